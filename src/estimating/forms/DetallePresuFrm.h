#pragma once
// The data of one budget and its bid price.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
namespace estimating {
class TInsumoCompuesto;
}
using estimating::TInsumoCompuesto;

class TDetallePresuForm : public QDialog {
    Q_OBJECT
public:
    explicit TDetallePresuForm(QWidget* parent = nullptr);

    // Set by the opener before showing; not owned.
    TInsumoCompuesto* Budget = nullptr;

    QLineEdit* edtNombre;
    QPlainTextEdit* edtDescripcion;
    QLineEdit* edtCliente;
    QLineEdit* edtLugar;
    QLabel* stCostoDirecto;
    QLabel* stGastosGenerales;
    QLabel* stGastosGeneralesPorcent;
    QLabel* stBeneficio;
    QLabel* stBeneficioPorcent;
    QLabel* stIVA;
    QLabel* stIvaPorcent;
    QLabel* stOtros;
    QLabel* stOtrosPorcent;
    QLabel* stPrecio;
    QPushButton* btnAccept;
    QPushButton* btnCancel;
    QPushButton* btnSave;

    void FormShow();
    void ShowBudgetData();
    void ComputeBidPrice();
    // Double click on one of the four percentage boxes.
    void newValue(QLabel* sender);
    void btnAcceptClick();
    void btnCancelClick();
    void btnSaveClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void UpdateSaveButton();
};

extern TDetallePresuForm* DetallePresuForm;
