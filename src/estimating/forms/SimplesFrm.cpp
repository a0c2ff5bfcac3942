#include "SimplesFrm.h"

#include "Componentes.h"
#include "Database.h"
#include "DialogKit.h"
#include "FitText.h"
#include "Main.h"
#include "ModalSeam.h"
#include "ModificarPreciosFrm.h"
#include "MyUtils.h"
#include "SimplesLists.h"
#include "SubCategoriasInsumos.h"
#include "UnidadesFrm.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <exception>
#include <memory>

using estimating::TInsumo;

TSimplesForm* SimplesForm = nullptr;

void ShowSimplesForm(QWidget* owner) {
    RunHeldInGlobal(SimplesForm, owner);
}

namespace {

const QString kWrongData = QStringLiteral("Wrong or missing data.");
const QString kConfirmDelete = QStringLiteral("Are you sure to delete this primary?");
const QString kOthers = QStringLiteral("Others");

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string s(const QString& text) {
    return text.toStdString();
}

// The memo gives "\n" line breaks; descriptions keep the CR LF of the database file.
std::string memoText(const QPlainTextEdit& memo) {
    return s(memo.toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
}

QStringList costTypeNames() {
    if (CostTypeNames)
        return *CostTypeNames;
    QStringList names;
    for (std::string_view name : estimating::kCostTypeNames)
        names << QString::fromUtf8(name.data(), qsizetype(name.size()));
    return names;
}

QString priceText(double price) {
    return q(estimating::FormatFixed(price, 16, 2));
}

QLabel* makeLabel(QWidget* owner, const QString& caption, QWidget* buddy) {
    auto* label = new QLabel(caption, owner);
    label->setBuddy(buddy);
    return label;
}

void copyEntries(const QListWidget& from, QComboBox& to) {
    to.clear();
    for (int i = 0; i < from.count(); ++i)
        to.addItem(from.item(i)->text());
}

void selectByText(QComboBox& combo, const std::string& text) {
    combo.setCurrentIndex(combo.findText(q(text), Qt::MatchFixedString));
}

template <class F> void reportFailure(F&& fill, modal::Icon icon) {
    try {
        fill();
    } catch (const std::exception& e) {
        modal::showMessage(QString::fromUtf8(e.what()), {}, modal::Buttons::Ok, icon);
    }
}

} // namespace

TSimplesForm::TSimplesForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SimplesForm"));
    setWindowTitle(QStringLiteral("Primaries"));
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    setFont(QFont(QStringLiteral("MS Sans Serif")));
    BuildControls();
    ConnectHandlers();
    modal::guarded([this] { FormCreate(); });
}

TSimplesForm::~TSimplesForm() = default;

void TSimplesForm::BuildControls() {
    lbCategorias = new QListWidget(this);
    lbCategorias->setObjectName(QStringLiteral("lbCategorias"));
    lbSubcategorias = new QListWidget(this);
    lbSubcategorias->setObjectName(QStringLiteral("lbSubcategorias"));
    lbSimples = new QListWidget(this);
    lbSimples->setObjectName(QStringLiteral("lbSimples"));
    for (QListWidget* list : {lbCategorias, lbSubcategorias, lbSimples}) {
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setSortingEnabled(false); // kept sorted ignoring case by InsertSorted
    }
    btnOpenSubcat = NamedButton(this, "btnOpenSubcat", QStringLiteral("Edit subcategory"));
    btnModificarPrecios = NamedButton(this, "btnModificarPrecios", QStringLiteral("Modify prices"));

    auto* left = new QVBoxLayout;
    left->addWidget(makeLabel(this, QStringLiteral("Categories :"), lbCategorias));
    left->addWidget(lbCategorias);
    left->addWidget(makeLabel(this, QStringLiteral("Subcategories :"), lbSubcategorias));
    left->addWidget(lbSubcategorias);
    left->addWidget(makeLabel(this, QStringLiteral("Primaries :"), lbSimples));
    left->addWidget(lbSimples, 1);
    auto* dialogButtons = new QHBoxLayout;
    dialogButtons->addWidget(btnOpenSubcat);
    dialogButtons->addWidget(btnModificarPrecios);
    left->addLayout(dialogButtons);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);

    edtCodigo = new QLineEdit(panel);
    edtCodigo->setObjectName(QStringLiteral("edtCodigo"));
    edtNombre = new QLineEdit(panel);
    edtNombre->setObjectName(QStringLiteral("edtNombre"));
    cboUnidad = new QComboBox(panel);
    cboUnidad->setObjectName(QStringLiteral("cboUnidad"));
    btnUnidades = NamedButton(panel, "btnUnidades", QStringLiteral("Units form"));
    edtPU = new QLineEdit(panel);
    edtPU->setObjectName(QStringLiteral("edtPU"));
    QFont bold = edtPU->font();
    bold.setBold(true);
    edtPU->setFont(bold);
    QPalette pricePalette = edtPU->palette();
    pricePalette.setColor(QPalette::Base, pricePalette.color(QPalette::ToolTipBase));
    pricePalette.setColor(QPalette::Text, QColor(0, 0, 0x80));
    edtPU->setPalette(pricePalette);
    TipWholeText(*edtPU);
    cboCategoria = new QComboBox(panel);
    cboCategoria->setObjectName(QStringLiteral("cboCategoria"));
    cboSubCategoria = new QComboBox(panel);
    cboSubCategoria->setObjectName(QStringLiteral("cboSubCategoria"));
    edtDescripcion = new QPlainTextEdit(panel);
    edtDescripcion->setObjectName(QStringLiteral("edtDescripcion"));

    btnAdd = NamedButton(panel, "btnAdd", QStringLiteral("New"));
    btnUpdate = NamedButton(panel, "btnUpdate", QStringLiteral("Edit"));
    btnDelete = NamedButton(panel, "btnDelete", QStringLiteral("Delete"));
    btnAccept = NamedButton(panel, "btnAccept", QStringLiteral("Accept"));
    btnCancel = NamedButton(panel, "btnCancel", QStringLiteral("Cancel"));
    btnSave = NamedButton(panel, "btnSave", QStringLiteral("Save"));
    btnClose = NamedButton(panel, "btnClose", QStringLiteral("Close"));

    auto* fields = new QGridLayout;
    int row = 0;
    auto addRow = [&](const QString& caption, QWidget* field, QWidget* beside = nullptr) {
        fields->addWidget(makeLabel(panel, caption, field), row, 0);
        fields->addWidget(field, row, 1, 1, beside ? 1 : 2);
        if (beside)
            fields->addWidget(beside, row, 2);
        ++row;
    };
    addRow(QStringLiteral("Code :"), edtCodigo);
    addRow(QStringLiteral("Name :"), edtNombre);
    addRow(QStringLiteral("Unit :"), cboUnidad, btnUnidades);
    addRow(QStringLiteral("Unitary price :"), edtPU);
    addRow(QStringLiteral("Category :"), cboCategoria);
    addRow(QStringLiteral("Subcategory :"), cboSubCategoria);
    addRow(QStringLiteral("Description :"), edtDescripcion);

    auto* commands = new QHBoxLayout;
    for (QPushButton* button : {btnAdd, btnUpdate, btnDelete, btnAccept, btnCancel})
        commands->addWidget(button);
    auto* closing = new QHBoxLayout;
    closing->addStretch();
    closing->addWidget(btnSave);
    closing->addWidget(btnClose);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->addLayout(fields);
    panelLayout->addLayout(commands);
    panelLayout->addLayout(closing);

    auto* whole = new QHBoxLayout(this);
    whole->addLayout(left, 2);
    whole->addWidget(panel, 3);

    QWidget* order[] = {edtCodigo,       edtNombre,      cboUnidad, edtPU,     cboCategoria,
                        cboSubCategoria, edtDescripcion, btnAdd,    btnDelete, btnUpdate,
                        btnAccept,       btnCancel,      btnClose};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TSimplesForm::ConnectHandlers() {
    auto bind = [this](QPushButton* button, void (TSimplesForm::*handler)()) {
        connect(button, &QPushButton::clicked, this, modal::guardedHandler(this, handler));
    };
    bind(btnAdd, &TSimplesForm::btnAddClick);
    bind(btnUpdate, &TSimplesForm::btnUpdateClick);
    bind(btnDelete, &TSimplesForm::btnDeleteClick);
    bind(btnAccept, &TSimplesForm::btnAcceptClick);
    bind(btnCancel, &TSimplesForm::btnCancelClick);
    bind(btnSave, &TSimplesForm::btnSaveClick);
    bind(btnClose, &TSimplesForm::btnCloseClick);
    bind(btnUnidades, &TSimplesForm::btnUnidadesClick);
    bind(btnOpenSubcat, &TSimplesForm::btnOpenSubcatClick);
    bind(btnModificarPrecios, &TSimplesForm::btnModificarPreciosClick);

    BindListClick(*lbCategorias, [this] { lbCategoriasClick(); });
    BindListClick(*lbSubcategorias, [this] { lbSubcategoriasClick(); });
    BindListClick(*lbSimples, [this] { lbSimplesClick(); });

    connect(cboCategoria, &QComboBox::activated, this,
            [this] { modal::guarded([this] { cboCategoriaClick(); }); });
    connect(cboSubCategoria, &QComboBox::activated, this,
            [this] { modal::guarded([this] { cboSubCategoriaClick(); }); });

    auto changed = [this] { modal::guarded([this] { edtNombreChange(); }); };
    connect(edtCodigo, &QLineEdit::textChanged, this, changed);
    connect(edtNombre, &QLineEdit::textChanged, this, changed);
    connect(edtPU, &QLineEdit::textChanged, this, changed);
    connect(edtDescripcion, &QPlainTextEdit::textChanged, this, changed);
    for (QComboBox* combo : {cboUnidad, cboCategoria, cboSubCategoria})
        connect(combo, &QComboBox::currentIndexChanged, this, changed);
}

void TSimplesForm::FormCreate() {
    TFilling filling(*this);
    Adding = false;
    Editing = false;
    {
        const QSignalBlocker blockList(lbCategorias);
        const QSignalBlocker blockCombo(cboCategoria);
        const QStringList names = costTypeNames();
        lbCategorias->addItems(names);
        cboCategoria->addItems(names);
        cboCategoria->setCurrentIndex(-1);
        FillUnitCombo();
        if (lbCategorias->count() > 0)
            lbCategorias->setCurrentRow(0);
    }
    RefillSubcategoryLists();
    RefillPrimaryList();
    ShowPrimary();
    SelectCombosAsLists();
    edtCodigo->setEnabled(false);
    SetBrowseButtons();
    UpdateSaveButton();
    resize(768, 360);
    CentreOnScreen(*this);
}

TInsumo* TSimplesForm::CurrentPrimary() const {
    if (CurrentCode.empty() || !Document)
        return nullptr;
    return Document->Primaries.Find(CurrentCode);
}

void TSimplesForm::ClearPrimaryFields() {
    TFilling filling(*this);
    edtCodigo->clear();
    edtNombre->clear();
    edtPU->clear();
    edtDescripcion->clear();
    for (QComboBox* combo : {cboUnidad, cboCategoria, cboSubCategoria})
        combo->setCurrentIndex(-1);
}

void TSimplesForm::FillUnitCombo() {
    TFilling filling(*this);
    cboUnidad->clear();
    for (int i = 0; i < Document->Units.Count(); ++i)
        simples_lists::InsertSorted(*cboUnidad, q(Document->Units.Strings(i)));
    cboUnidad->setCurrentIndex(-1);
}

void TSimplesForm::FillSubcategoryLists() {
    TFilling filling(*this);
    const QSignalBlocker blockList(lbSubcategorias);
    lbSubcategorias->clear();
    cboSubCategoria->clear();
    const int typeRow = simples_lists::SelectedRow(*lbCategorias);
    if (typeRow >= 0) {
        const std::string costType = s(lbCategorias->item(typeRow)->text());
        const estimating::TSubCategorias& stored = Document->PrimarySubcategories;
        for (int i = 0; i < stored.Count(); ++i) {
            const estimating::TSubcategoria* entry = stored.Objects(i);
            if (!entry || entry->Category != costType)
                continue;
            simples_lists::InsertSorted(*lbSubcategorias, q(stored.Strings(i)));
            simples_lists::InsertSorted(*cboSubCategoria, q(stored.Strings(i)));
            lbSubcategorias->setCurrentRow(0);
        }
        simples_lists::InsertSorted(*lbSubcategorias, kOthers);
        simples_lists::InsertSorted(*cboSubCategoria, kOthers);
    }
    cboSubCategoria->setCurrentIndex(-1);
}

void TSimplesForm::FillPrimaryList() {
    TFilling filling(*this);
    const QSignalBlocker blockList(lbSimples);
    lbSimples->clear();
    CurrentCode.clear();
    const std::string costType = s(simples_lists::SelectedText(*lbCategorias));
    const std::string subcategory = s(simples_lists::SelectedText(*lbSubcategorias));
    const estimating::TInsumosSimples& primaries = Document->Primaries;
    for (int i = 0; i < primaries.Count(); ++i) {
        const TInsumo& primary = primaries.Insumo(i);
        if (primary.Category() == costType && primary.Subcategory() == subcategory)
            simples_lists::InsertSorted(*lbSimples, q(primary.Name()), q(primary.Code()));
    }
    if (lbSimples->count() > 0) {
        lbSimples->setCurrentRow(0);
        CurrentCode = s(simples_lists::CodeOf(*lbSimples->item(0)));
        btnDelete->setEnabled(true);
    }
}

void TSimplesForm::ShowCurrentPrimary() {
    if (Adding)
        LeaveAddMode();
    ClearPrimaryFields();
    const TInsumo* primary = CurrentPrimary();
    if (!primary)
        return;
    TFilling filling(*this);
    edtCodigo->setText(q(primary->Code()));
    edtNombre->setText(q(primary->Name()));
    edtDescripcion->setPlainText(q(primary->Description()));
    edtPU->setText(priceText(primary->Price()));
    copyEntries(*lbCategorias, *cboCategoria);
    copyEntries(*lbSubcategorias, *cboSubCategoria);
    selectByText(*cboUnidad, primary->Unit());
    selectByText(*cboCategoria, primary->Category());
    selectByText(*cboSubCategoria, primary->Subcategory());
}

// A price typed with a period passes as well as one in the locale's own form, so that the
// price the form shows is always accepted again.
bool TSimplesForm::ValidatePrimary() const {
    const bool name = !edtNombre->text().isEmpty();
    const bool unit = !cboUnidad->currentText().isEmpty();
    const bool costType = !cboCategoria->currentText().isEmpty();
    const bool subcategory = !cboSubCategoria->currentText().isEmpty();
    const bool price = estimating::IsTypedNumber(s(edtPU->text()));
    return name && unit && costType && subcategory && price;
}

double TSimplesForm::PriceFromText() const {
    return estimating::TypedNumber(s(edtPU->text()));
}

void TSimplesForm::RefillPrimaryList() {
    reportFailure([this] { FillPrimaryList(); }, modal::Icon::None);
}

void TSimplesForm::RefillSubcategoryLists() {
    reportFailure([this] { FillSubcategoryLists(); }, modal::Icon::Warning);
}

void TSimplesForm::ShowPrimary() {
    reportFailure([this] { ShowCurrentPrimary(); }, modal::Icon::Warning);
}

void TSimplesForm::SelectCombosAsLists() {
    TFilling filling(*this);
    cboCategoria->setCurrentIndex(simples_lists::SelectedRow(*lbCategorias));
    const int subRow = simples_lists::SelectedRow(*lbSubcategorias);
    cboSubCategoria->setCurrentIndex(subRow < cboSubCategoria->count() ? subRow : -1);
}

void TSimplesForm::SetBrowseButtons() {
    btnAdd->setEnabled(true);
    btnUpdate->setEnabled(true);
    btnDelete->setEnabled(true);
    btnAccept->setEnabled(false);
    btnCancel->setEnabled(false);
}

void TSimplesForm::SetEntryButtons() {
    btnAdd->setEnabled(false);
    btnUpdate->setEnabled(false);
    btnDelete->setEnabled(false);
    btnAccept->setEnabled(true);
    btnCancel->setEnabled(true);
}

void TSimplesForm::UpdateSaveButton() {
    btnSave->setEnabled(Document && Document->Saved == 0);
}

// The fields are about to show an existing primary: the new one being typed is dropped, so that
// Accept cannot add a second primary from that primary's fields.
void TSimplesForm::LeaveAddMode() {
    Adding = false;
    Editing = false;
    SetBrowseButtons();
}

void TSimplesForm::lbCategoriasClick() {
    ClearPrimaryFields();
    RefillSubcategoryLists();
    RefillPrimaryList();
    ShowPrimary();
    SelectCombosAsLists();
}

void TSimplesForm::lbSubcategoriasClick() {
    ClearPrimaryFields();
    RefillPrimaryList();
    ShowPrimary();
    SelectCombosAsLists();
}

void TSimplesForm::lbSimplesClick() {
    const int row = simples_lists::SelectedRow(*lbSimples);
    if (row < 0)
        return;
    const QString code = simples_lists::CodeOf(*lbSimples->item(row));
    if (!Document->Primaries.Find(s(code)))
        return;
    CurrentCode = s(code);
    ShowPrimary();
}

void TSimplesForm::btnAddClick() {
    if (!CodesLeftFor(Document->Primaries, 1))
        return;
    Adding = true;
    ClearPrimaryFields();
    {
        TFilling filling(*this);
        edtCodigo->setText(q(Document->Primaries.NewCode(estimating::kKindPrimary, 0)));
    }
    edtNombre->setFocus();
    SetEntryButtons();
}

void TSimplesForm::btnUpdateClick() {
    Editing = true;
    SetEntryButtons();
}

void TSimplesForm::edtNombreChange() {
    if (IsReady())
        btnUpdateClick();
}

void TSimplesForm::cboCategoriaClick() {
    {
        TFilling filling(*this);
        const std::string costType = s(cboCategoria->currentText());
        cboSubCategoria->clear();
        const estimating::TSubCategorias& stored = Document->PrimarySubcategories;
        for (int i = 0; i < stored.Count(); ++i) {
            const estimating::TSubcategoria* entry = stored.Objects(i);
            if (entry && entry->Category == costType)
                simples_lists::InsertSorted(*cboSubCategoria, q(stored.Strings(i)));
        }
        cboSubCategoria->setCurrentIndex(-1);
    }
    edtNombreChange();
}

void TSimplesForm::cboSubCategoriaClick() {}

void TSimplesForm::cboCategoriaChange() {}

void TSimplesForm::btnAcceptClick() {
    const bool valid = ValidatePrimary();
    if (!valid || (!Adding && !Editing)) {
        modal::showMessage(kWrongData);
        return;
    }
    try {
        if (Adding) {
            AddPrimary(PriceFromText());
        } else if (TInsumo* primary = CurrentPrimary()) {
            UpdatePrimary(*primary, PriceFromText());
        }
    } catch (const std::exception& e) {
        modal::showMessage(QString::fromUtf8(e.what()));
    }
    Adding = false;
    Editing = false;
    SetBrowseButtons();
    UpdateSaveButton();
}

void TSimplesForm::AddPrimary(double price) {
    estimating::TInsumosSimples& primaries = Document->Primaries;
    std::string code = s(edtCodigo->text());
    if (!CodesLeftFor(primaries, 1))
        return;
    if (code.empty() || primaries.Find(code))
        code = primaries.NewCode(estimating::kKindPrimary, 0);
    auto primary = std::make_unique<estimating::TInsumoSimple>();
    primary->SetCode(code);
    primary->SetName(s(edtNombre->text()));
    primary->SetDescription(memoText(*edtDescripcion));
    primary->SetUnit(s(cboUnidad->currentText()));
    primary->SetPrice(price);
    primary->SetCategory(s(cboCategoria->currentText()));
    primary->SetSubcategory(s(cboSubCategoria->currentText()));
    primary->SetKind(estimating::kKindPrimary);
    primary->SetSubKind(0);
    const QString name = edtNombre->text();
    if (!primaries.Add(std::move(primary)))
        return;
    Document->Saved = 0;
    CurrentCode = code;
    TFilling filling(*this);
    edtCodigo->setText(q(code));
    edtPU->setText(priceText(price));
    const QSignalBlocker blockList(lbSimples);
    lbSimples->setCurrentRow(simples_lists::InsertSorted(*lbSimples, name, q(code)));
}

void TSimplesForm::UpdatePrimary(TInsumo& primary, double price) {
    const double before = primary.Price();
    ChangeKeepingPricesFinite(
        *Document, s(edtPU->text()), [&] { primary.SetPrice(price); },
        [&] { primary.SetPrice(before); });
    const QString name = edtNombre->text();
    primary.SetName(s(name));
    primary.SetUnit(s(cboUnidad->currentText()));
    primary.SetDescription(memoText(*edtDescripcion));
    primary.SetPrice(price);
    primary.SetCategory(s(cboCategoria->currentText()));
    primary.SetSubcategory(s(cboSubCategoria->currentText()));
    {
        TFilling filling(*this);
        edtPU->setText(priceText(price));
    }
    const QString code = q(primary.Code());
    for (int i = 0; i < lbSimples->count(); ++i) {
        if (simples_lists::CodeOf(*lbSimples->item(i)) == code)
            lbSimples->item(i)->setText(name);
    }
    Document->Saved = 0;
    Editing = false;
    if (MainForm)
        MainForm->RenameTreeNodes(code, name);
}

void TSimplesForm::btnCancelClick() {
    if (Adding || Editing) {
        Adding = false;
        Editing = false;
        ShowPrimary();
    }
    SetBrowseButtons();
}

void TSimplesForm::btnDeleteClick() {
    TInsumo* primary = CurrentPrimary();
    if (!primary)
        return;
    if (modal::showMessage(kConfirmDelete, {}, modal::Buttons::YesNo, modal::Icon::Warning) !=
        modal::Answer::Yes)
        return;
    const std::string code = primary->Code();
    primary->SetDeleted(1);
    Document->Compounds.PurgeDeleted();
    Document->Primaries.Delete(code);
    CurrentCode.clear();
    Document->PurgeBudgetItems();
    RefillPrimaryList();
    ShowPrimary();
    Document->Saved = 0;
    btnSave->setEnabled(true);
    if (MainForm)
        MainForm->RefreshTree();
}

void TSimplesForm::btnSaveClick() {
    SaveDocumentFromDialog(*Document, [this] { UpdateSaveButton(); });
}

void TSimplesForm::btnCloseClick() {
    close();
}

void TSimplesForm::btnUnidadesClick() {
    ShowUnidadesForm(this);
    if (Adding) {
        // Keep what is being typed: only the unit list is new.
        const QString unit = cboUnidad->currentText();
        FillUnitCombo();
        TFilling filling(*this);
        cboUnidad->setCurrentIndex(cboUnidad->findText(unit, Qt::MatchFixedString));
    } else {
        FillUnitCombo();
        if (CurrentPrimary())
            ShowPrimary();
    }
    UpdateSaveButton();
}

void TSimplesForm::btnOpenSubcatClick() {
    ShowSubcategoriasSimplesForm(this);
    RefillSubcategoryLists();
    RefillPrimaryList();
    ShowPrimary();
    UpdateSaveButton();
}

void TSimplesForm::btnModificarPreciosClick() {
    {
        TModificarPreciosForm prices(this);
        modal::seam().runModal(prices);
    }
    RefillPrimaryList();
    ShowPrimary();
    UpdateSaveButton();
}
