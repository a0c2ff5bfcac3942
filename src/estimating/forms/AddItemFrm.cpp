#include "AddItemFrm.h"

#include "Componentes.h"
#include "Database.h"
#include "DialogKit.h"
#include "Main.h"
#include "ModalSeam.h"
#include "MyUtils.h"
#include "PickerLists.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include <exception>

using estimating::TInsumo;

namespace {

const QString kWrongData = QStringLiteral("Error : Wrong or missing data.");

QComboBox* dropDownList(QWidget* parent, const char* name) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QLatin1String(name));
    list->setEditable(false);
    list->setMinimumWidth(260);
    return list;
}

void emptyList(QComboBox& list) {
    const QSignalBlocker blocker(&list);
    list.clear();
}

// A filled list starts with nothing selected, as the user has chosen nothing yet.
void selectNothing(QComboBox& list) {
    const QSignalBlocker blocker(&list);
    list.setCurrentIndex(-1);
}

} // namespace

TAddSimpleForm::TAddSimpleForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AddSimpleForm"));
    setWindowTitle(QStringLiteral("Add item"));

    cboCategorias = dropDownList(this, "cboCategorias");
    cboSubcategorias = dropDownList(this, "cboSubcategorias");
    cboSimples = dropDownList(this, "cboSimples");
    edtCantidad = new QLineEdit(this);
    edtCantidad->setObjectName(QStringLiteral("edtCantidad"));
    btnAccept = NamedButton(this, "btnAccept", QStringLiteral("Accept"));
    btnCancel = NamedButton(this, "btnCancel", QStringLiteral("Cancel"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Category"), this), 0, 0);
    grid->addWidget(cboCategorias, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Subcategory"), this), 1, 0);
    grid->addWidget(cboSubcategorias, 1, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Primary or compound"), this), 2, 0);
    grid->addWidget(cboSimples, 2, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Quantity :"), this), 3, 0);
    grid->addWidget(edtCantidad, 3, 1, 1, 2);
    grid->addWidget(btnAccept, 4, 1);
    grid->addWidget(btnCancel, 4, 2);

    connect(cboCategorias, &QComboBox::activated, this,
            [this] { modal::guarded([this] { cboCategoriasClick(); }); });
    connect(cboSubcategorias, &QComboBox::activated, this,
            [this] { modal::guarded([this] { cboSubcategoriasClick(); }); });
    connect(btnAccept, &QPushButton::clicked, this,
            [this] { modal::guarded([this] { btnAcceptClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this,
            [this] { modal::guarded([this] { btnCancelClick(); }); });

    FormCreate();
}

void TAddSimpleForm::FormCreate() {}

void TAddSimpleForm::PrepareChoices() {
    emptyList(*cboCategorias);
    emptyList(*cboSubcategorias);
    emptyList(*cboSimples);
    ChosenCode.clear();
    Quantity = 0.0;
    const estimating::TCategorias* categories = nullptr;
    if (Mode == 0) {
        setWindowTitle(QStringLiteral("Add primary"));
        categories = &Document->CostTypes;
    } else if (Mode == 1) {
        setWindowTitle(QStringLiteral("Add compound"));
        categories = &Document->CompoundCategories;
    }
    if (!categories)
        return;
    {
        const QSignalBlocker blocker(cboCategorias);
        for (int i = 0; i < categories->Count(); ++i)
            picker_lists::InsertSorted(*cboCategorias,
                                       QString::fromStdString(categories->Strings(i)), nullptr);
    }
    selectNothing(*cboCategorias);
}

void TAddSimpleForm::cboCategoriasClick() {
    if (cboCategorias->currentIndex() < 0)
        return;
    emptyList(*cboSubcategorias);
    const std::string category = cboCategorias->currentText().toStdString();
    const estimating::TSubCategorias& subcategories =
        Mode == 0 ? Document->PrimarySubcategories : Document->CompoundSubcategories;
    {
        const QSignalBlocker blocker(cboSubcategorias);
        for (int i = 0; i < subcategories.Count(); ++i) {
            const estimating::TSubcategoria* sub = subcategories.Objects(i);
            if (sub && sub->Category == category)
                picker_lists::InsertSorted(*cboSubcategorias, QString::fromStdString(sub->Name),
                                           nullptr);
        }
    }
    selectNothing(*cboSubcategorias);
}

void TAddSimpleForm::cboSubcategoriasClick() {
    if (cboSubcategorias->currentIndex() < 0)
        return;
    emptyList(*cboSimples);
    const std::string category = cboCategorias->currentText().toStdString();
    const std::string subcategory = cboSubcategorias->currentText().toStdString();
    const estimating::TInsumos& inputs =
        Mode == 0 ? static_cast<estimating::TInsumos&>(Document->Primaries) : Document->Compounds;
    {
        const QSignalBlocker blocker(cboSimples);
        for (const auto& input : inputs.List())
            if (input->Category() == category && input->Subcategory() == subcategory)
                picker_lists::InsertSorted(*cboSimples, QString::fromStdString(input->Name()),
                                           input.get());
    }
    selectNothing(*cboSimples);
}

TInsumo* TAddSimpleForm::SelectedInput() const {
    return static_cast<TInsumo*>(picker_lists::ObjectAt(*cboSimples, cboSimples->currentIndex()));
}

void TAddSimpleForm::btnAcceptClick() {
    TInsumo* input = SelectedInput();
    const std::string text = edtCantidad->text().toStdString();
    if (!input || text.empty() || !estimating::IsTypedNumber(text)) {
        modal::showMessage(kWrongData);
        return;
    }
    double quantity = 0.0;
    try {
        quantity = estimating::TypedNumber(text);
        estimating::RequireFiniteResult(text, quantity * estimating::UnitPrice(*input));
        if (Holder)
            RequireFinitePricesWithLine(*Document, *Holder, *input, quantity, text);
    } catch (const std::exception& e) {
        modal::showMessage(QStringLiteral("Error : ") + QString::fromUtf8(e.what()));
        return;
    }
    ChosenCode = QString::fromStdString(input->Code());
    Quantity = quantity;
    accept();
}

void TAddSimpleForm::btnCancelClick() {
    ChosenCode.clear();
    Quantity = 0.0;
    reject();
}
