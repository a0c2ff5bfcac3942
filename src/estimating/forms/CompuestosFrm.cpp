#include "CompuestosFrm.h"

#include "AddItemFrm.h"
#include "Componentes.h"
#include "Database.h"
#include "DialogKit.h"
#include "FitText.h"
#include "Main.h"
#include "ModalSeam.h"
#include "MyStrings.h"
#include "MyUtils.h"
#include "PickerLists.h"
#include "RubrosFrm.h"
#include "SimplesFrm.h"
#include "UnidadesFrm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <memory>
#include <vector>

using estimating::TInsumo;
using estimating::TInsumoCompuesto;
using estimating::TItem;

TCompuestosForm* CompuestosForm = nullptr;

namespace {

const QString kOthers = QStringLiteral("Others");
const QString kWrongData = QStringLiteral("Wrong or missing data.");

constexpr int kGridColumns = 7;
constexpr std::array<int, kGridColumns> kColumnWidths = {60, 320, 50, 70, 70, 80, 70};
// Characters of the figures in each column (0: a text column).
constexpr std::array<int, kGridColumns> kFigureWidths = {0, 0, 0, 9, 9, 11, 9};

QString q(const std::string& text) {
    return QString::fromStdString(text);
}
std::string s(const QString& text) {
    return text.toStdString();
}

// The memo shows line breaks as "\n"; the database keeps them as CR LF.
std::string MemoText(const QPlainTextEdit& memo) {
    return s(memo.toPlainText().replace('\n', QStringLiteral("\r\n")));
}

QFont FixedPitchFont() {
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

template <class Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A right-aligned figure in a fixed-pitch font.
QLabel* figureBox(QWidget* parent, const char* name) {
    auto* box = named(new TFitLabel(parent), name);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setFont(FixedPitchFont());
    box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    box->setMinimumWidth(110);
    return box;
}

QComboBox* dropDownList(QWidget* parent, const char* name) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QLatin1String(name));
    list->setEditable(false);
    list->setMinimumWidth(180);
    return list;
}

void emptyList(QComboBox& list) {
    const QSignalBlocker blocker(&list);
    list.clear();
}

void selectRow(QComboBox& list, int row) {
    const QSignalBlocker blocker(&list);
    list.setCurrentIndex(row < list.count() ? row : -1);
}

void copyEntries(const QComboBox& from, QComboBox& to) {
    const QSignalBlocker blocker(&to);
    to.clear();
    for (int i = 0; i < from.count(); ++i)
        to.addItem(from.itemText(i), from.itemData(i));
    to.setCurrentIndex(-1);
}

// The first entry equal to the text without regard to case, or -1.
int findNoCase(const QComboBox& list, const QString& text) {
    return list.findText(text, Qt::MatchFixedString);
}

int findObject(const QComboBox& list, const void* object) {
    for (int i = 0; i < list.count(); ++i)
        if (picker_lists::ObjectAt(list, i) == object)
            return i;
    return -1;
}

// The text of the selected entry; empty where nothing is selected.
std::string selectedText(const QComboBox& list) {
    return list.currentIndex() < 0 ? std::string() : s(list.currentText());
}

bool askYesNo(const QString& question) {
    return modal::showMessage(question, {}, modal::Buttons::YesNo, modal::Icon::Warning) ==
           modal::Answer::Yes;
}

// The shortest general text of a number with 15 significant digits and the decimal mark in
// force: fixed notation from 0.00001 up to 15 integer digits, otherwise "1.5E-7" or "1E20".
QString GeneralFloatText(double value) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0.0)
        return QStringLiteral("0");
    std::array<char, 64> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::scientific, 14);
    const std::string text(buffer.data(), written.ptr);
    const bool negative = text.front() == '-';
    const std::size_t ePos = text.find('e');
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < ePos; ++i)
        if (text[i] != '.')
            digits += text[i];
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int exponent = std::atoi(text.c_str() + ePos + 1);
    const std::string mark = estimating::DecimalMark();
    std::string result = negative ? "-" : "";
    if (exponent >= -5 && exponent < 15) {
        if (exponent < 0) {
            result +=
                "0" + mark + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
        } else {
            const auto integerDigits = static_cast<std::size_t>(exponent + 1);
            if (digits.size() <= integerDigits)
                result += digits + std::string(integerDigits - digits.size(), '0');
            else
                result += digits.substr(0, integerDigits) + mark + digits.substr(integerDigits);
        }
    } else {
        result += digits.substr(0, 1);
        if (digits.size() > 1)
            result += mark + digits.substr(1);
        result += "E" + std::to_string(exponent);
    }
    return q(result);
}

} // namespace

// Holds the form's Ready flag false while the form fills its own fields.
class TCompuestosForm::Filling {
public:
    explicit Filling(TCompuestosForm& form) : form_(form) { ++form_.filling_; }
    ~Filling() { --form_.filling_; }
    Filling(const Filling&) = delete;
    Filling& operator=(const Filling&) = delete;

private:
    TCompuestosForm& form_;
};

QString TCompuestosForm::FormatFixed(double value, int width, int decimals) {
    return q(estimating::FormatFixed(value, width, decimals));
}

TCompuestosForm::TCompuestosForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CompuestosForm"));
    BuildControls();
    ConnectHandlers();
    modal::guarded([this] { FormCreate(); });
}

TCompuestosForm::~TCompuestosForm() = default;

void TCompuestosForm::BuildControls() {
    CreateBrowseControls();
    CreateHeaderControls();
    CreateSplitControls();
    CreateGridControls();
    auto* top = new QHBoxLayout;
    top->addLayout(HeaderLayout(), 3);
    auto* splitBox = new QGroupBox(this);
    splitBox->setLayout(SplitLayout());
    top->addWidget(splitBox, 2);
    auto* all = new QVBoxLayout(this);
    all->addLayout(BrowseLayout());
    all->addLayout(top);
    all->addWidget(gridItems, 1);
    all->addLayout(LineCommandsLayout());
}

void TCompuestosForm::CreateBrowseControls() {
    cboRubros = dropDownList(this, "cboRubros");
    cboSubrubros = dropDownList(this, "cboSubrubros");
    cboCompuestos = dropDownList(this, "cboCompuestos");
    cboCompuestos->setMinimumWidth(320);
    btnRubros = NamedButton(this, "btnRubros", QStringLiteral("Edit categories"));
}

void TCompuestosForm::CreateHeaderControls() {
    edtCodigo = named(new QLineEdit(this), "edtCodigo");
    edtNombre = named(new QLineEdit(this), "edtNombre");
    cboUnidad = dropDownList(this, "cboUnidad");
    btnUnidades = NamedButton(this, "btnUnidades", QStringLiteral("Units form"));
    cboRubro = dropDownList(this, "cboRubro");
    cboSubrubro = dropDownList(this, "cboSubrubro");
    edtDescripcion = named(new QPlainTextEdit(this), "edtDescripcion");
    edtDescripcion->setFixedHeight(60);
    stPU = named(new TFitLabel(this), "stPU");
    stPU->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    stPU->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    QFont bold = stPU->font();
    bold.setBold(true);
    stPU->setFont(bold);
    btnClonar = NamedButton(this, "btnClonar", QStringLiteral("Duplicate compound"));
    btnNew = NamedButton(this, "btnNew", QStringLiteral("New"));
    btnUpdate = NamedButton(this, "btnUpdate", QStringLiteral("Edit"));
    btnDelete = NamedButton(this, "btnDelete", QStringLiteral("Delete"));
    btnAccept = NamedButton(this, "btnAccept", QStringLiteral("Accept"));
    btnCancel = NamedButton(this, "btnCancel", QStringLiteral("Cancel"));
}

void TCompuestosForm::CreateSplitControls() {
    stMat = figureBox(this, "stMat");
    stMao = figureBox(this, "stMao");
    stEqu = figureBox(this, "stEqu");
    stSub = figureBox(this, "stSub");
    stOtros = figureBox(this, "stOtros");
    stMatP = figureBox(this, "stMatP");
    stMaoP = figureBox(this, "stMaoP");
    stEquP = figureBox(this, "stEquP");
    stSubP = figureBox(this, "stSubP");
    stOtrosP = figureBox(this, "stOtrosP");
    rbMat = named(new QRadioButton(QStringLiteral("Materials"), this), "rbMat");
    rbMao = named(new QRadioButton(QStringLiteral("Labor"), this), "rbMao");
    rbEqu = named(new QRadioButton(QStringLiteral("Equipment"), this), "rbEqu");
    rbSub = named(new QRadioButton(QStringLiteral("Subcontracts"), this), "rbSub");
    rbOtros = named(new QRadioButton(QStringLiteral("Others"), this), "rbOtros");
    rbTodos = named(new QRadioButton(QStringLiteral("All"), this), "rbTodos");
    auto* radios = new QButtonGroup(this);
    for (QRadioButton* rb : TypeRadios())
        radios->addButton(rb);
    chkExplosion = named(new QCheckBox(QStringLiteral("Primary components"), this), "chkExplosion");
}

void TCompuestosForm::CreateGridControls() {
    gridItems = named(new QTableWidget(this), "gridItems");
    gridItems->setFont(FixedPitchFont());
    gridItems->verticalHeader()->hide();
    gridItems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridItems->setSelectionMode(QAbstractItemView::SingleSelection);
    gridItems->setSelectionBehavior(QAbstractItemView::SelectItems);
    gridItems->setMinimumHeight(180);
    auto* figureCells = new TFitCells(gridItems);
    for (int c = 0; c < kGridColumns; ++c)
        if (kFigureWidths[static_cast<std::size_t>(c)] > 0)
            gridItems->setItemDelegateForColumn(c, figureCells);
    btnAddComp = NamedButton(this, "btnAddComp", QStringLiteral("Add comp."));
    btnAddSimple = NamedButton(this, "btnAddSimple", QStringLiteral("Add primary"));
    btnEditCant = NamedButton(this, "btnEditCant", QStringLiteral("Modify qtty"));
    btnDelComp = NamedButton(this, "btnDelComp", QStringLiteral("Delete comp."));
    btnSimples = NamedButton(this, "btnSimples", QStringLiteral("Primaries"));
    btnSave = NamedButton(this, "btnSave", QStringLiteral("Save"));
    btnClose = NamedButton(this, "btnClose", QStringLiteral("Close"));
}

QLayout* TCompuestosForm::BrowseLayout() {
    auto* browse = new QGridLayout;
    browse->addWidget(new QLabel(QStringLiteral("Select a category :"), this), 0, 0);
    browse->addWidget(new QLabel(QStringLiteral("Select a subcategory"), this), 0, 1);
    browse->addWidget(new QLabel(QStringLiteral("Select a compound"), this), 0, 2);
    browse->addWidget(cboRubros, 1, 0);
    browse->addWidget(cboSubrubros, 1, 1);
    browse->addWidget(cboCompuestos, 1, 2);
    browse->addWidget(btnRubros, 1, 3);
    return browse;
}

QLayout* TCompuestosForm::HeaderLayout() {
    auto* header = new QGridLayout;
    auto row = [this, header](int at, const QString& caption, QWidget* control, QWidget* extra) {
        header->addWidget(new QLabel(caption, this), at, 0, Qt::AlignRight | Qt::AlignTop);
        header->addWidget(control, at, 1, 1, extra ? 1 : 2);
        if (extra)
            header->addWidget(extra, at, 2);
    };
    row(0, QStringLiteral("Code :"), edtCodigo, nullptr);
    row(1, QStringLiteral("Name :"), edtNombre, nullptr);
    row(2, QStringLiteral("Unit :"), cboUnidad, btnUnidades);
    row(3, QStringLiteral("Category :"), cboRubro, nullptr);
    row(4, QStringLiteral("Subcategory :"), cboSubrubro, nullptr);
    row(5, QStringLiteral("Description :"), edtDescripcion, nullptr);
    row(6, QStringLiteral("Unitary Price :"), stPU, btnClonar);
    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {btnNew, btnUpdate, btnDelete, btnAccept, btnCancel})
        commands->addWidget(b);
    header->addLayout(commands, 7, 0, 1, 3);
    return header;
}

QLayout* TCompuestosForm::SplitLayout() {
    auto* split = new QGridLayout;
    auto* percent = new QLabel(QStringLiteral("%"), this);
    percent->setAlignment(Qt::AlignCenter);
    split->addWidget(percent, 0, 2);
    const auto radios = TypeRadios();
    const auto amounts = AmountBoxes();
    const auto shares = ShareBoxes();
    for (std::size_t i = 0; i < radios.size(); ++i) {
        const int at = static_cast<int>(i) + 1;
        split->addWidget(radios[i], at, 0);
        if (i < amounts.size()) {
            split->addWidget(amounts[i], at, 1);
            split->addWidget(shares[i], at, 2);
        }
    }
    split->addWidget(chkExplosion, 7, 0, 1, 3);
    return split;
}

QLayout* TCompuestosForm::LineCommandsLayout() {
    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {btnAddComp, btnAddSimple, btnEditCant, btnDelComp})
        commands->addWidget(b);
    commands->addStretch();
    commands->addWidget(btnSimples);
    commands->addWidget(btnSave);
    commands->addWidget(btnClose);
    return commands;
}

std::array<QRadioButton*, 6> TCompuestosForm::TypeRadios() const {
    return {rbMat, rbMao, rbEqu, rbSub, rbOtros, rbTodos};
}

std::array<QLabel*, 5> TCompuestosForm::AmountBoxes() const {
    return {stMat, stMao, stEqu, stSub, stOtros};
}

std::array<QLabel*, 5> TCompuestosForm::ShareBoxes() const {
    return {stMatP, stMaoP, stEquP, stSubP, stOtrosP};
}

void TCompuestosForm::ConnectHandlers() {
    auto run = [this](auto handler) { return modal::guardedHandler(this, handler); };
    connect(cboRubros, &QComboBox::activated, this, run(&TCompuestosForm::cboRubrosClick));
    connect(cboSubrubros, &QComboBox::activated, this, run(&TCompuestosForm::cboSubrubrosClick));
    connect(cboCompuestos, &QComboBox::activated, this, run(&TCompuestosForm::cboCompuestosClick));
    connect(cboRubro, &QComboBox::activated, this, run(&TCompuestosForm::cboRubroClick));
    for (QComboBox* list : {cboUnidad, cboRubro, cboSubrubro})
        connect(list, &QComboBox::activated, this, run(&TCompuestosForm::edtNombreChange));
    for (QLineEdit* edit : {edtCodigo, edtNombre})
        connect(edit, &QLineEdit::textChanged, this, run(&TCompuestosForm::edtNombreChange));
    connect(edtDescripcion, &QPlainTextEdit::textChanged, this,
            run(&TCompuestosForm::edtNombreChange));

    const std::pair<QPushButton*, void (TCompuestosForm::*)()> buttons[] = {
        {btnNew, &TCompuestosForm::btnNewClick},
        {btnUpdate, &TCompuestosForm::btnUpdateClick},
        {btnDelete, &TCompuestosForm::btnDeleteClick},
        {btnAccept, &TCompuestosForm::btnAcceptClick},
        {btnCancel, &TCompuestosForm::btnCancelClick},
        {btnClonar, &TCompuestosForm::btnClonarClick},
        {btnAddComp, &TCompuestosForm::btnAddCompClick},
        {btnAddSimple, &TCompuestosForm::btnAddSimpleClick},
        {btnEditCant, &TCompuestosForm::btnEditCantClick},
        {btnDelComp, &TCompuestosForm::btnDelCompClick},
        {btnRubros, &TCompuestosForm::btnRubrosClick},
        {btnSimples, &TCompuestosForm::btnSimplesClick},
        {btnUnidades, &TCompuestosForm::btnUnidadesClick},
        {btnSave, &TCompuestosForm::btnSaveClick},
        {btnClose, &TCompuestosForm::btnCloseClick},
    };
    for (const auto& [b, handler] : buttons)
        connect(b, &QPushButton::clicked, this, run(handler));

    connect(gridItems, &QTableWidget::cellClicked, this, run(&TCompuestosForm::gridItemsClick));
    // A move of the current cell by the user (keys or mouse) selects and clicks, as the classic
    // grid does; the grid's own fills run with its signals blocked.
    connect(gridItems, &QTableWidget::currentCellChanged, this, [this](int row, int col) {
        modal::guarded([this, row, col] {
            if (row < 0)
                return;
            gridItemsSelectCell(col, row + 1);
            gridItemsClick();
        });
    });
    connect(chkExplosion, &QCheckBox::clicked, this, run(&TCompuestosForm::chkExplosionClick));
    for (QRadioButton* rb : TypeRadios())
        connect(rb, &QRadioButton::clicked, this,
                [this, rb] { modal::guarded([this, rb] { rbCategoriasClick(rb); }); });
}

void TCompuestosForm::FormCreate() {
    adding_ = false;
    editing_ = false;
    edtCodigo->setEnabled(false);
    {
        const QSignalBlocker blocker(rbMat);
        rbMat->setChecked(true);
    }
    explosion_ = false;
    EnableTypeRadios();
    SetupComponentGrid();
    FillCategoryCombo();
    FillSubcategoryCombo();
    FillCompoundCombo();
    ShowCompoundAndLines();
    SetBrowseMode();
    btnEditCant->setEnabled(false);
    btnDelComp->setEnabled(false);
    UpdateSaveButton();
    resize(900, 640);
    CentreOnScreen(*this);
    setWindowTitle(q(estimating::LoadResString(estimating::SCompounds)));
}

// ---------------------------------------------------------------------------------------------
// Browse lists

void TCompuestosForm::FillCategoryCombo() {
    const Filling filling(*this);
    emptyList(*cboRubros);
    const estimating::TCategorias& categories = Document->CompoundCategories;
    {
        const QSignalBlocker blocker(cboRubros);
        for (int i = 0; i < categories.Count(); ++i)
            picker_lists::InsertSorted(*cboRubros, q(categories.Strings(i)), categories.Objects(i));
        picker_lists::InsertSorted(*cboRubros, kOthers, nullptr);
    }
    selectRow(*cboRubros, 0);
}

void TCompuestosForm::FillSubcategoryCombo() {
    const Filling filling(*this);
    emptyList(*cboSubrubros);
    const estimating::TSubCategorias& subcategories = Document->CompoundSubcategories;
    if (subcategories.Count() == 0) {
        currentCompound_ = nullptr;
        return;
    }
    if (cboRubros->currentIndex() < 0)
        return;
    const std::string category = s(cboRubros->currentText());
    {
        const QSignalBlocker blocker(cboSubrubros);
        for (int i = 0; i < subcategories.Count(); ++i) {
            estimating::TSubcategoria* entry = subcategories.Objects(i);
            if (entry && entry->Category == category)
                picker_lists::InsertSorted(*cboSubrubros, q(subcategories.Strings(i)), entry);
        }
        picker_lists::InsertSorted(*cboSubrubros, kOthers, nullptr);
    }
    selectRow(*cboSubrubros, 0);
}

void TCompuestosForm::FillCompoundCombo() {
    const Filling filling(*this);
    emptyList(*cboCompuestos);
    const std::string category = selectedText(*cboRubros);
    const std::string subcategory = selectedText(*cboSubrubros);
    {
        const QSignalBlocker blocker(cboCompuestos);
        const estimating::TInsumos& compounds = Document->Compounds;
        for (int i = 0; i < compounds.Count(); ++i) {
            TInsumoCompuesto* compound = compounds.Insumo(i).AsCompuesto();
            if (compound && compound->Category() == category &&
                compound->Subcategory() == subcategory)
                picker_lists::InsertSorted(*cboCompuestos, q(compound->Name()), compound);
        }
    }
    if (cboCompuestos->count() > 0) {
        selectRow(*cboCompuestos, 0);
        currentCompound_ =
            static_cast<TInsumoCompuesto*>(picker_lists::ObjectAt(*cboCompuestos, 0));
    } else {
        selectRow(*cboCompuestos, -1);
        currentCompound_ = nullptr;
    }
}

void TCompuestosForm::cboRubrosClick() {
    FillSubcategoryCombo();
    FillCompoundCombo();
    ShowCompoundAndLines();
    ForgetLineSelection();
}

void TCompuestosForm::cboSubrubrosClick() {
    FillCompoundCombo();
    ShowCompoundAndLines();
    ForgetLineSelection();
}

void TCompuestosForm::cboCompuestosClick() {
    const int row = cboCompuestos->currentIndex();
    if (row < 0)
        return;
    currentCompound_ = static_cast<TInsumoCompuesto*>(picker_lists::ObjectAt(*cboCompuestos, row));
    ShowCompoundAndLines();
    ForgetLineSelection();
}

// ---------------------------------------------------------------------------------------------
// The compound shown

void TCompuestosForm::ClearCompoundFields() {
    const Filling filling(*this);
    edtCodigo->clear();
    edtNombre->clear();
    edtDescripcion->clear();
    for (QComboBox* list : {cboUnidad, cboRubro, cboSubrubro})
        selectRow(*list, -1);
    for (QLabel* box :
         {stPU, stMat, stMao, stEqu, stSub, stOtros, stMatP, stMaoP, stEquP, stSubP, stOtrosP})
        box->clear();
    ClearComponentGrid();
}

void TCompuestosForm::ShowCompoundAndLines() {
    // The header's price and the grid's rows share one break-down.
    const estimating::TBreakDownScope breakDowns;
    ShowCurrentCompound();
    FillComponentGrid();
}

void TCompuestosForm::ShowCurrentCompound() {
    ClearCompoundFields();
    const Filling filling(*this);
    copyEntries(*cboRubros, *cboRubro);
    copyEntries(*cboSubrubros, *cboSubrubro);
    emptyList(*cboUnidad);
    {
        const QSignalBlocker blocker(cboUnidad);
        for (int i = 0; i < Document->Units.Count(); ++i)
            picker_lists::InsertSorted(*cboUnidad, q(Document->Units.Strings(i)), nullptr);
    }
    selectRow(*cboUnidad, -1);
    if (!currentCompound_) {
        selectRow(*cboRubro, cboRubros->currentIndex());
        selectRow(*cboSubrubro, cboSubrubros->currentIndex());
        return;
    }
    TInsumoCompuesto& compound = *currentCompound_;
    edtCodigo->setText(q(compound.Code()));
    edtNombre->setText(q(compound.Name()));
    edtDescripcion->setPlainText(q(compound.Description()));

    const double price = compound.ComputePrice();
    stPU->setText(FormatFixed(price, 0, 2));
    const auto amounts = AmountBoxes();
    const auto shares = ShareBoxes();
    for (std::size_t i = 0; i < amounts.size(); ++i) {
        const double amount = compound.CostAmounts()[i];
        amounts[i]->setText(FormatFixed(amount, 0, 2));
        if (price > 0)
            shares[i]->setText(FormatFixed(amount / price * 100, 8, 2));
    }
    selectRow(*cboUnidad, findNoCase(*cboUnidad, q(compound.Unit())));
    selectRow(*cboRubro, findNoCase(*cboRubro, q(compound.Category())));
    selectRow(*cboSubrubro, findNoCase(*cboSubrubro, q(compound.Subcategory())));
}

// ---------------------------------------------------------------------------------------------
// Header editing

void TCompuestosForm::edtNombreChange() {
    if (Ready())
        btnUpdateClick();
}

void TCompuestosForm::cboRubroClick() {
    if (cboRubro->currentIndex() < 0)
        return;
    const std::string category = s(cboRubro->currentText());
    emptyList(*cboSubrubro);
    const estimating::TSubCategorias& subcategories = Document->CompoundSubcategories;
    const QSignalBlocker blocker(cboSubrubro);
    for (int i = 0; i < subcategories.Count(); ++i) {
        estimating::TSubcategoria* entry = subcategories.Objects(i);
        if (entry && entry->Category == category)
            picker_lists::InsertSorted(*cboSubrubro, q(subcategories.Strings(i)), entry);
    }
    cboSubrubro->setCurrentIndex(-1);
}

void TCompuestosForm::SetBrowseMode() {
    for (QPushButton* b : {btnNew, btnUpdate, btnDelete})
        b->setEnabled(true);
    for (QPushButton* b : {btnAccept, btnCancel})
        b->setEnabled(false);
}

void TCompuestosForm::SetEditingButtons() {
    for (QPushButton* b : {btnNew, btnDelete, btnUpdate})
        b->setEnabled(false);
    for (QPushButton* b : {btnAccept, btnCancel})
        b->setEnabled(true);
}

void TCompuestosForm::btnNewClick() {
    try {
        if (!CodesLeftFor(Document->Compounds, 1))
            return;
        adding_ = true;
        SetEditingButtons();
        ClearCompoundFields();
        edtCodigo->setText(q(
            Document->Compounds.NewCode(estimating::kKindCompound, estimating::kSubKindCompound)));
        edtNombre->setFocus();
    } catch (const std::exception& e) {
        modal::showMessage(QStringLiteral("Error : ") + QString::fromUtf8(e.what()));
    }
}

void TCompuestosForm::btnUpdateClick() {
    try {
        editing_ = true;
        SetEditingButtons();
    } catch (const std::exception& e) {
        modal::showMessage(QStringLiteral("Error : ") + QString::fromUtf8(e.what()));
    }
}

void TCompuestosForm::btnCancelClick() {
    adding_ = false;
    editing_ = false;
    SetBrowseMode();
    ShowCompoundAndLines();
}

bool TCompuestosForm::ValidateCompound() const {
    return !edtNombre->text().isEmpty() && !cboRubro->currentText().isEmpty() &&
           !cboSubrubro->currentText().isEmpty();
}

void TCompuestosForm::btnAcceptClick() {
    if (adding_)
        AcceptNewCompound();
    else if (editing_)
        AcceptEditedCompound();
    UpdateSaveButton();
}

void TCompuestosForm::AcceptNewCompound() {
    if (!ValidateCompound()) {
        modal::showMessage(kWrongData);
        return;
    }
    estimating::TInsumos& compounds = Document->Compounds;
    if (!CodesLeftFor(compounds, 1))
        return;
    // The code shown at New may have been taken meanwhile (a duplicate made, another compound
    // shown): a new compound always gets a code nobody uses.
    std::string code = s(edtCodigo->text());
    if (code.empty() || compounds.Find(code)) {
        code = compounds.NewCode(estimating::kKindCompound, estimating::kSubKindCompound);
        const Filling filling(*this);
        edtCodigo->setText(q(code));
    }
    auto compound = std::make_unique<TInsumoCompuesto>();
    compound->SetKind(estimating::kKindCompound);
    compound->SetSubKind(estimating::kSubKindCompound);
    compound->SetCode(code);
    compound->SetName(s(edtNombre->text()));
    compound->SetUnit(s(cboUnidad->currentText()));
    compound->SetCategory(s(cboRubro->currentText()));
    compound->SetSubcategory(s(cboSubrubro->currentText()));
    compound->SetDescription(MemoText(*edtDescripcion));
    compound->SetOwner(static_cast<const estimating::TDocument*>(Document));
    TInsumo* added = compounds.Add(std::move(compound));
    if (!added)
        return;
    adding_ = false;
    editing_ = false;
    Document->Saved = 0;
    SetBrowseMode();
    FillCompoundCombo();
    currentCompound_ = added->AsCompuesto();
    SelectCompoundEntry(currentCompound_);
    ForgetLineSelection();
}

void TCompuestosForm::AcceptEditedCompound() {
    if (!ValidateCompound()) {
        modal::showMessage(kWrongData);
        return;
    }
    if (!currentCompound_) {
        editing_ = false;
        SetBrowseMode();
        return;
    }
    TInsumoCompuesto& compound = *currentCompound_;
    compound.SetName(s(edtNombre->text()));
    compound.SetUnit(s(cboUnidad->currentText()));
    compound.SetCategory(s(cboRubro->currentText()));
    compound.SetSubcategory(s(cboSubrubro->currentText()));
    compound.SetDescription(MemoText(*edtDescripcion));
    editing_ = false;
    Document->Saved = 0;
    SetBrowseMode();
    const int row = findObject(*cboCompuestos, &compound);
    if (row >= 0) {
        const QSignalBlocker blocker(cboCompuestos);
        cboCompuestos->setItemText(row, edtNombre->text());
        cboCompuestos->setCurrentIndex(row);
    }
    if (MainForm)
        MainForm->RenameTreeNodes(q(compound.Code()), q(compound.Name()));
}

void TCompuestosForm::SelectCompoundEntry(const TInsumoCompuesto* compound) {
    const int row = findObject(*cboCompuestos, compound);
    if (row >= 0)
        selectRow(*cboCompuestos, row);
}

// ---------------------------------------------------------------------------------------------
// Delete and duplicate

void TCompuestosForm::btnDeleteClick() {
    if (!currentCompound_)
        return;
    if (!askYesNo(QStringLiteral("Are you sure to delete this compound?.")))
        return;
    const std::string code = currentCompound_->Code();
    currentCompound_ = nullptr;
    Document->Compounds.Delete(code);
    Document->PurgeBudgetItems();
    FillCompoundCombo();
    ShowCompoundAndLines();
    ForgetLineSelection();
    ChangedDocument();
    if (MainForm)
        MainForm->RefreshTree();
}

void TCompuestosForm::CopyComponentLine(const TItem& source, TItem& target) {
    target.Insumo = source.Insumo;
    // A line whose input is missing (a database written elsewhere) keeps what it has.
    target.Code = source.Insumo ? source.Insumo->Code() : source.Code;
    target.Name = source.Insumo ? source.Insumo->Name() : source.Name;
    target.Kind = source.Kind;
    target.SubKind = source.SubKind;
    target.Quantity = source.Quantity;
    target.Parent = source.Parent;
    target.ParentCode = source.ParentCode;
}

void TCompuestosForm::btnClonarClick() {
    if (!currentCompound_)
        return;
    estimating::TInsumos& compounds = Document->Compounds;
    TInsumo* found = compounds.Find(currentCompound_->Code());
    TInsumoCompuesto* source = found ? found->AsCompuesto() : nullptr;
    if (!source || !CodesLeftFor(compounds, 1))
        return;
    const QString name = modal::seam().inputBox(QStringLiteral("Clone compound."),
                                                QStringLiteral("Input a new name."), {});
    if (name.isEmpty())
        return;
    auto clone = std::make_unique<TInsumoCompuesto>();
    clone->SetCode(compounds.NewCode(estimating::kKindCompound, estimating::kSubKindCompound));
    clone->SetName(s(name));
    clone->SetKind(source->Kind());
    clone->SetSubKind(source->SubKind());
    clone->SetUnit(source->Unit());
    clone->SetDescription(source->Description());
    clone->SetCategory(source->Category());
    clone->SetSubcategory(source->Subcategory());
    const estimating::TItems& lines = source->Items();
    for (int i = 0; i < lines.Count(); ++i) {
        TItem line;
        CopyComponentLine(lines.Item(i), line);
        clone->Items().Add(line);
    }
    TInsumo* added = compounds.Add(std::move(clone));
    if (!added)
        return;
    currentCompound_ = added->AsCompuesto();
    {
        const QSignalBlocker blocker(cboCompuestos);
        picker_lists::InsertSorted(*cboCompuestos, name, currentCompound_);
    }
    ShowCompoundAndLines();
    SelectCompoundEntry(currentCompound_);
    ForgetLineSelection();
    ChangedDocument();
}

// ---------------------------------------------------------------------------------------------
// Component grid

void TCompuestosForm::SetupComponentGrid() {
    const QSignalBlocker blocker(gridItems);
    gridItems->setColumnCount(kGridColumns);
    gridItems->setHorizontalHeaderLabels({QStringLiteral("Code"), QStringLiteral("Component"),
                                          QStringLiteral("Un."), QStringLiteral("Quant."),
                                          QStringLiteral("U.P."), QStringLiteral("Tot."),
                                          QStringLiteral("Percent.")});
    for (int c = 0; c < kGridColumns; ++c)
        gridItems->setColumnWidth(c, ColumnWidth(c));
    ClearComponentGrid();
}

// The column's width, widened where the grid's font would not show a whole figure.
int TCompuestosForm::ColumnWidth(int col) const {
    const auto c = static_cast<std::size_t>(col);
    const int figure =
        gridItems->fontMetrics().horizontalAdvance(QString(kFigureWidths[c], QLatin1Char('0')));
    return std::max(kColumnWidths[c], kFigureWidths[c] > 0 ? figure + 12 : 0);
}

void TCompuestosForm::ClearComponentGrid() {
    const QSignalBlocker blocker(gridItems);
    gridItems->setRowCount(0);
    gridItems->setRowCount(1);
}

int TCompuestosForm::GridRowCount() const {
    return gridItems->rowCount() + 1;
}

QString TCompuestosForm::GridCell(int row, int col) const {
    if (row == 0) {
        const QTableWidgetItem* title = gridItems->horizontalHeaderItem(col);
        return title ? title->text() : QString();
    }
    const QTableWidgetItem* item = gridItems->item(row - 1, col);
    return item ? item->text() : QString();
}

void TCompuestosForm::FillComponentGrid() {
    ClearComponentGrid();
    if (!currentCompound_ || currentCompound_->Items().Count() == 0)
        return;
    TInsumoCompuesto& compound = *currentCompound_;
    const estimating::TBreakDownScope breakDowns;
    const double price = compound.ComputePrice();
    std::vector<TItem> rows;
    if (!explosion_) {
        const estimating::TItems& lines = compound.Items();
        for (int i = 0; i < lines.Count(); ++i)
            rows.push_back(lines.Item(i));
    } else {
        // Copied first: working out the prices of the rows rebuilds exploded lists.
        for (const TItem& entry : compound.Items().Exploded()) {
            const TInsumo* primary = Document->Primaries.Find(entry.Code);
            const std::string category = primary ? primary->Category() : std::string();
            if (categoryFilter_.isEmpty() || category == s(categoryFilter_))
                rows.push_back(entry);
        }
    }
    const QSignalBlocker blocker(gridItems);
    gridItems->setRowCount(std::max<int>(1, static_cast<int>(rows.size())));
    for (std::size_t i = 0; i < rows.size(); ++i)
        FillComponentRow(static_cast<int>(i) + 1, rows[i], price);
}

void TCompuestosForm::FillComponentRow(int row, const TItem& line, double compoundPrice) {
    TInsumo* input = line.Kind == estimating::kKindPrimary ? Document->Primaries.Find(line.Code)
                                                           : Document->Compounds.Find(line.Code);
    auto put = [this, row](int col, const QString& text) {
        auto* cell = new QTableWidgetItem(text);
        if (kFigureWidths[static_cast<std::size_t>(col)] > 0)
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        gridItems->setItem(row - 1, col, cell);
    };
    put(3, FormatFixed(line.Quantity, 9, 3));
    if (!input) {
        // Only a database written elsewhere can hold a line whose input is gone: it shows what
        // the line itself knows and no price.
        put(0, q(line.Code));
        put(1, q(line.Name));
        return;
    }
    double unitPrice = input->Price();
    if (line.Kind != estimating::kKindPrimary)
        if (TInsumoCompuesto* sub = input->AsCompuesto())
            unitPrice = sub->ComputePrice();
    const double total = unitPrice * line.Quantity;
    const double share = compoundPrice > 0 ? total / compoundPrice * 100 : 0.0;
    put(0, q(input->Code()));
    put(1, q(input->Name()));
    put(2, q(input->Unit()));
    put(4, FormatFixed(unitPrice, 9, 2));
    put(5, FormatFixed(total, 11, 2));
    put(6, FormatFixed(share, 9, 2));
}

// ---------------------------------------------------------------------------------------------
// Breakdown mode and cost-type filter

void TCompuestosForm::EnableTypeRadios() {
    for (QRadioButton* rb : TypeRadios())
        rb->setEnabled(explosion_);
}

void TCompuestosForm::chkExplosionClick() {
    explosion_ = chkExplosion->isChecked();
    rbTodos->setChecked(true);
    categoryFilter_.clear();
    EnableTypeRadios();
    FillComponentGrid();
    btnEditCant->setEnabled(false);
    btnDelComp->setEnabled(false);
    btnAddSimple->setEnabled(!explosion_);
    btnAddComp->setEnabled(!explosion_);
    selectedCode_.clear();
}

void TCompuestosForm::rbCategoriasClick(QObject* sender) {
    if (!sender)
        return;
    static const std::array<std::pair<const char*, const char*>, 6> filters = {{
        {"rbMat", "Materials"},
        {"rbMao", "Labor"},
        {"rbEqu", "Equipment"},
        {"rbSub", "Subcontracts"},
        {"rbOtros", "Others"},
        {"rbTodos", ""},
    }};
    const QString name = sender->objectName();
    const auto match = std::find_if(filters.begin(), filters.end(),
                                    [&](const auto& f) { return name == QLatin1String(f.first); });
    if (match == filters.end())
        return;
    categoryFilter_ = QString::fromLatin1(match->second);
    FillComponentGrid();
}

// ---------------------------------------------------------------------------------------------
// Lines

bool TCompuestosForm::gridItemsSelectCell(int /*col*/, int row) {
    selectedCode_ = GridCell(row, 0);
    return true;
}

void TCompuestosForm::gridItemsClick() {
    const int row = std::max(0, gridItems->currentRow()) + 1;
    selectedCode_ = GridCell(row, 0);
    btnEditCant->setEnabled(!explosion_);
    btnDelComp->setEnabled(!explosion_);
}

void TCompuestosForm::ForgetLineSelection() {
    // A code clicked in another compound's grid must not act on a line of this one that merely
    // shares it.
    selectedCode_.clear();
    btnEditCant->setEnabled(false);
    btnDelComp->setEnabled(false);
}

void TCompuestosForm::btnAddSimpleClick() {
    AddLine(estimating::kKindPrimary);
}

void TCompuestosForm::btnAddCompClick() {
    AddLine(estimating::kKindCompound);
}

void TCompuestosForm::AddLine(std::uint8_t mode) {
    std::unique_ptr<TAddSimpleForm> picker;
    if (mode == estimating::kKindPrimary)
        picker = std::make_unique<TAddSimpleForm>(this);
    else
        picker = std::make_unique<TAddCompuestoForm>(this);
    if (!currentCompound_)
        return;
    picker->Mode = mode;
    picker->Holder = currentCompound_;
    picker->PrepareChoices();
    modal::seam().runModal(*picker);
    if (picker->ChosenCode.isEmpty())
        return;
    const std::string code = s(picker->ChosenCode);
    TInsumo* input = mode == estimating::kKindPrimary ? Document->Primaries.Find(code)
                                                      : Document->Compounds.Find(code);
    if (!input)
        return;
    if (mode != estimating::kKindPrimary) {
        const TInsumoCompuesto* chosen = input->AsCompuesto();
        if (chosen && chosen->UsesCode(currentCompound_->Code())) {
            modal::showMessage(QStringLiteral("Error : Circular reference."));
            return;
        }
    }
    TItem line;
    line.Kind = mode;
    line.SubKind =
        mode == estimating::kKindPrimary ? estimating::kSubKindNone : estimating::kSubKindCompound;
    line.Code = input->Code();
    line.ParentCode = currentCompound_->Code();
    line.Insumo = input;
    line.Name = input->Name();
    line.Quantity = picker->Quantity;
    line.Parent = currentCompound_;
    currentCompound_->Items().Add(line);
    ShowCompoundAndLines();
    ChangedDocument();
}

void TCompuestosForm::btnEditCantClick() {
    if (!currentCompound_ || explosion_ || selectedCode_.isEmpty())
        return;
    TItem* line = currentCompound_->Items().Find(s(selectedCode_));
    if (!line)
        return;
    const int col = gridItems->currentColumn();
    const int row = gridItems->currentRow();
    const QString shown = GeneralFloatText(line->Quantity);
    const QString answer = modal::seam().inputBox(QStringLiteral("Modify quantity."),
                                                  QStringLiteral("Input new value."), shown);
    if (answer == shown)
        return;
    const double quantity = estimating::StrToFloat(s(answer));
    const double before = line->Quantity;
    ChangeKeepingPricesFinite(
        *Document, s(answer), [&] { line->Quantity = quantity; }, [&] { line->Quantity = before; });
    ShowCompoundAndLines();
    {
        const QSignalBlocker blocker(gridItems);
        gridItems->setCurrentCell(row, col);
    }
    ChangedDocument();
}

void TCompuestosForm::btnDelCompClick() {
    if (!currentCompound_ || explosion_ || selectedCode_.isEmpty())
        return;
    const std::string code = s(selectedCode_);
    // Nothing to ask about when the line is gone already (deleted a moment ago).
    if (!currentCompound_->Items().Find(code))
        return;
    if (!askYesNo(QStringLiteral("Are you sure to delete this item?")))
        return;
    currentCompound_->Items().Delete(code);
    ShowCompoundAndLines();
    btnEditCant->setEnabled(false);
    btnDelComp->setEnabled(false);
    ChangedDocument();
}

// ---------------------------------------------------------------------------------------------
// Other editors and commands

void TCompuestosForm::UpdateSaveButton() {
    btnSave->setEnabled(Document && Document->Saved == 0);
}

void TCompuestosForm::ChangedDocument() {
    Document->Saved = 0;
    btnSave->setEnabled(true);
}

TInsumoCompuesto* TCompuestosForm::CompoundOfCode(const std::string& code) const {
    if (code.empty())
        return nullptr;
    TInsumo* found = Document->Compounds.Find(code);
    return found ? found->AsCompuesto() : nullptr;
}

void TCompuestosForm::btnRubrosClick() {
    const std::string remembered = currentCompound_ ? currentCompound_->Code() : std::string();
    OpenRubrosEditor();
    FillCategoryCombo();
    FillSubcategoryCombo();
    FillCompoundCombo();
    currentCompound_ = CompoundOfCode(remembered);
    ShowCompoundAndLines();
    UpdateSaveButton();
}

void TCompuestosForm::btnSimplesClick() {
    const std::string remembered = currentCompound_ ? currentCompound_->Code() : std::string();
    OpenSimplesEditor();
    currentCompound_ = CompoundOfCode(remembered);
    ShowCompoundAndLines();
    UpdateSaveButton();
}

void TCompuestosForm::btnUnidadesClick() {
    const std::string remembered = currentCompound_ ? currentCompound_->Code() : std::string();
    OpenUnidadesEditor();
    currentCompound_ = CompoundOfCode(remembered);
    ShowCompoundAndLines();
    UpdateSaveButton();
}

void TCompuestosForm::OpenRubrosEditor() {
    ShowRubrosForm(this);
}

void TCompuestosForm::OpenSimplesEditor() {
    ShowSimplesForm(this);
}

void TCompuestosForm::OpenUnidadesEditor() {
    ShowUnidadesForm(this);
}

void TCompuestosForm::btnSaveClick() {
    SaveDocumentFromDialog(*Document, [this] { UpdateSaveButton(); });
}

void TCompuestosForm::btnCloseClick() {
    close();
}
