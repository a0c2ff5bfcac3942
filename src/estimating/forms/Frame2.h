#pragma once
// The detail panel of the main window: the selected line's figures, its split over the five cost
// types with percentages and bars, the breakdown switch, the cost-type filter and the report
// buttons. It has no behaviour of its own; the main window drives it.

#include <QFrame>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class TmyFrame : public QFrame {
    Q_OBJECT
public:
    explicit TmyFrame(QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* stNombre;
    QLabel* stUnidad;
    QLabel* stCant;
    QLabel* stPU;
    QLabel* stTotal;

    QGroupBox* GroupBox1;
    QRadioButton* rbMat;
    QRadioButton* rbMao;
    QRadioButton* rbEqu;
    QRadioButton* rbSub;
    QRadioButton* rbOtros;
    QRadioButton* rbTodos;
    QLabel* Label11;
    QLabel* Label12;
    QLabel* Label13;
    QLabel* Label14;
    QLabel* Label7;
    QLabel* Label15;
    QLabel* Label6;
    QLabel* stMat;
    QLabel* stMao;
    QLabel* stEqu;
    QLabel* stSub;
    QLabel* stOtros;
    QLabel* stMatP;
    QLabel* stMaoP;
    QLabel* stEquP;
    QLabel* stSubP;
    QLabel* stOtrosP;
    QFrame* shCanvas;
    QFrame* Shape2;
    QFrame* shMat;
    QFrame* shMao;
    QFrame* shEqu;
    QFrame* shSub;
    QFrame* shOtros;

    QCheckBox* chkExplosion;
    QPushButton* btnEditCant;
    QPushButton* btnReport;
    QPushButton* btnVerReporte;

    // The five cost-type radios, amounts, percentages and bars in the cost-type order.
    QRadioButton* costRadio(int k) const;
    QLabel* costAmount(int k) const;
    QLabel* costPercent(int k) const;
    QFrame* costBar(int k) const;
    // Sets a bar's width; the bars start at the left edge of shCanvas.
    void setBarWidth(int k, int width);

    // Keeps the bars in the middle of the rows they stand for; called when shCanvas resizes.
    void placeBarsOn(QFrame& canvas);

private:
    void buildFigures();
    void buildCostBlock();
    void buildButtons();
};
