#pragma once
// The budget list: choose the budget the main window shows; create, rename and
// delete budgets.

#include <QDialog>
#include <QString>

#include <cstdint>

class QListWidget;
class QPushButton;
namespace estimating {
class TInsumoCompuesto;
}
using estimating::TInsumoCompuesto;

class TPresupuestosForm : public QDialog {
    Q_OBJECT
public:
    explicit TPresupuestosForm(QWidget* parent = nullptr);

    // Set by the opener: the budget shown in the main window, never listed.
    TInsumoCompuesto* ExcludedBudget = nullptr;
    TInsumoCompuesto* SelectedBudget = nullptr;
    QString ChosenCode;
    std::uint8_t Cancelled = 1;

    QListWidget* cboPresupuestos;
    QPushButton* btnAdd;
    QPushButton* btnRename;
    QPushButton* btnDelete;
    QPushButton* btnAccept;
    QPushButton* btnCancel;

    void FormShow();
    void cboPresupuestosClick();
    void cboPresupuestosDblClick();
    void btnAddClick();
    void btnRenameClick();
    void btnDeleteClick();
    void btnAcceptClick();
    void btnCancelClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    int SelectedRow() const;
    TInsumoCompuesto* BudgetOfRow(int row) const;
    TInsumoCompuesto* BudgetOfSelectedRow() const;
};

extern TPresupuestosForm* PresupuestosForm;
