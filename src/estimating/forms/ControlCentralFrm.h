#pragma once
// The control panel: one large button for each database command.

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;
class QShowEvent;
class QWidget;

class TControlForm : public QDialog {
    Q_OBJECT
public:
    explicit TControlForm(QWidget* parent = nullptr);

    QGroupBox* GroupBox1;
    QLabel* Label1;
    QPushButton* btnOpenDB;
    QPushButton* btnRubrosCompuestos;
    QPushButton* btnCompuestos;
    QPushButton* btnSubcategoriasSimples;
    QPushButton* btnSimples;
    QPushButton* btnPresupuestos;
    QPushButton* btnUnidades;
    QPushButton* btnClose;

    void FormCreate();
    void FormShow();
    // The six database buttons are enabled exactly while a database is open.
    void EnableControlButtons();
    void btnOpenDBClick();
    void btnRubrosCompuestosClick();
    void btnCompuestosClick();
    void btnSubcategoriasSimplesClick();
    void btnSimplesClick();
    void btnPresupuestosClick();
    void btnUnidadesClick();
    void btnCloseClick();

protected:
    void showEvent(QShowEvent* event) override;
};

// The panel while it is open, null otherwise.
extern TControlForm* ControlForm;

// Creates the panel with `owner` as its owner, keeps it in ControlForm, shows it modally and
// frees it.
void ShowControlForm(QWidget* owner);
