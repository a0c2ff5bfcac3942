#pragma once
// Picks one primary (Mode 0) or one compound (Mode 1) by category and subcategory, with a
// quantity.
//
// Opener: create with an owner, set Mode, call PrepareChoices, show it with
// modal::seam().runModal, then read ChosenCode (non-empty means a choice) and Quantity.

#include <QDialog>
#include <QString>

#include <cstdint>

class QComboBox;
class QLineEdit;
class QPushButton;
namespace estimating {
class TInsumo;
class TInsumoCompuesto;
} // namespace estimating

class TAddSimpleForm : public QDialog {
    Q_OBJECT
public:
    explicit TAddSimpleForm(QWidget* parent = nullptr);

    // Set by the opener: 0 pick a primary, 1 pick a compound.
    std::uint8_t Mode = 0;
    // The picked input's code; empty when nothing was picked.
    QString ChosenCode;
    // The quantity typed; 0 when nothing was picked.
    double Quantity = 0.0;
    // Set by the opener: what the picked line goes into, so that a quantity that would make its
    // price (or that of what holds it) infinite is refused here.
    estimating::TInsumoCompuesto* Holder = nullptr;

    QComboBox* cboCategorias;
    QComboBox* cboSubcategorias;
    QComboBox* cboSimples;
    QLineEdit* edtCantidad;
    QPushButton* btnAccept;
    QPushButton* btnCancel;

    // Empties the lists and the results, sets the caption and offers the categories of Mode.
    void PrepareChoices();
    void cboCategoriasClick();
    void cboSubcategoriasClick();
    void btnAcceptClick();
    void btnCancelClick();

    // The input of the selected row of cboSimples, or null.
    estimating::TInsumo* SelectedInput() const;

private:
    void FormCreate();
};

// The same picker, used for compounds.
class TAddCompuestoForm : public TAddSimpleForm {
    Q_OBJECT
public:
    explicit TAddCompuestoForm(QWidget* parent = nullptr) : TAddSimpleForm(parent) {
        setObjectName(QStringLiteral("AddCompuestoForm"));
    }
};
