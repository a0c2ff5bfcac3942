#pragma once
// Picks a budget to add as a sub-budget, with a quantity. Budgets that would make a circular
// reference are never offered.

#include <QDialog>
#include <QString>

#include <cstdint>

class QLineEdit;
class QListWidget;
class QPushButton;
namespace estimating {
class TInsumoCompuesto;
}

class TAddPresuForm : public QDialog {
    Q_OBJECT
public:
    explicit TAddPresuForm(QWidget* parent = nullptr);

    // Set by the opener: the code of the budget shown in the main window.
    QString ExcludedCode;
    // The chosen budget's code; empty when nothing was chosen.
    QString ChosenCode;
    // 1 unless Accept ended the dialog.
    std::uint8_t Cancelled = 1;
    // The quantity typed; 0 when nothing was chosen.
    double Quantity = 0.0;
    // Set by the opener: what the chosen budget's line goes into, so that a quantity that would
    // make its price (or that of what holds it) infinite is refused here.
    estimating::TInsumoCompuesto* Holder = nullptr;

    QListWidget* lbPresupuestos;
    QLineEdit* edtCant;
    QPushButton* btnAccept;
    QPushButton* btnCancel;

    // Resets the results and lists the budgets that do not contain ExcludedCode; runs when the
    // dialog is shown (tests may call it directly).
    void FormShow();
    void btnAcceptClick();
    void btnCancelClick();

    // The budget of the selected row, or null.
    estimating::TInsumoCompuesto* SelectedBudget() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
};
