#include "SubCategoriasInsumos.h"

#include "Database.h"
#include "DialogKit.h"
#include "Main.h"
#include "ModalSeam.h"
#include "PickerLists.h"

#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStringList>
#include <QVariant>

#include <string>

TSubcategoriasSimplesForm* SubcategoriasSimplesForm = nullptr;

namespace {

using estimating::TSubcategoria;

// A subcategory of this name stays in the database but is never listed.
const std::string kOthers = "Others";

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// The current row when it is selected, else -1.
int selectedRow(const QListWidget& list) {
    const int row = list.currentRow();
    if (row < 0 || !list.item(row)->isSelected())
        return -1;
    return row;
}

// The subcategory a row shows.
TSubcategoria* subcategoryAt(const QListWidget& list, int row) {
    return static_cast<TSubcategoria*>(picker_lists::ObjectAt(list, row));
}

QStringList costTypeNames() {
    if (CostTypeNames)
        return *CostTypeNames;
    QStringList names;
    for (std::string_view name : estimating::kCostTypeNames)
        names << QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    return names;
}

// Files the primaries of `type` filed under `from` under `to` instead, once no subcategory of
// that name is left there: primaries name their subcategory, so while one remains they keep it.
void refilePrimaries(const std::string& type, const std::string& from, const std::string& to) {
    if (Document->PrimarySubcategories.Holds(from, type))
        return;
    for (int i = 0; i < Document->Primaries.Count(); ++i) {
        estimating::TInsumo& primary = Document->Primaries.Insumo(i);
        if (primary.Category() == type && primary.Subcategory() == from)
            primary.SetSubcategory(to);
    }
}

} // namespace

TSubcategoriasSimplesForm::TSubcategoriasSimplesForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SubcategoriasSimplesForm"));
    setWindowTitle(QStringLiteral("Primaries' subcategories"));
    setFixedSize(417, 378);

    auto makeLabel = [this](const char* name, const QString& caption, int top) {
        auto* label = new QLabel(caption, this);
        label->setObjectName(QLatin1String(name));
        label->move(8, top);
        return label;
    };
    auto makeList = [this](const char* name, int top, int height) {
        auto* list = new QListWidget(this);
        list->setObjectName(QLatin1String(name));
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setGeometry(8, top, 281, height);
        return list;
    };
    auto makeButton = [this](const char* name, const QString& caption, int top) {
        auto* button = NamedButton(this, name, caption);
        button->setGeometry(312, top, 97, 25);
        return button;
    };
    Label2 = makeLabel("Label2", QStringLiteral("Categories"), 8);
    lbCategorias = makeList("lbCategorias", 24, 73);
    Label1 = makeLabel("Label1", QStringLiteral("Subcategories"), 104);
    lbSubcategorias = makeList("lbSubcategorias", 120, 249);
    btnAdd = makeButton("btnAdd", QStringLiteral("New"), 16);
    btnUpdate = makeButton("btnUpdate", QStringLiteral("Update"), 48);
    btnDelete = makeButton("btnDelete", QStringLiteral("Delete"), 88);
    btnSave = makeButton("btnSave", QStringLiteral("Save"), 304);
    btnClose = makeButton("btnClose", QStringLiteral("Close"), 344);

    auto bind = [this](QPushButton* button, void (TSubcategoriasSimplesForm::*handler)()) {
        connect(button, &QPushButton::clicked, this, modal::guardedHandler(this, handler));
    };
    bind(btnAdd, &TSubcategoriasSimplesForm::btnAddClick);
    bind(btnUpdate, &TSubcategoriasSimplesForm::btnUpdateClick);
    bind(btnDelete, &TSubcategoriasSimplesForm::btnDeleteClick);
    bind(btnSave, &TSubcategoriasSimplesForm::btnSaveClick);
    bind(btnClose, &TSubcategoriasSimplesForm::btnCloseClick);
    BindListClick(*lbCategorias, [this] { lbCategoriasClick(); });

    modal::guarded([this] { FormCreate(); });
}

QString TSubcategoriasSimplesForm::ChosenType() const {
    // A cost type stays chosen even when the user clears the list's highlight.
    const QListWidgetItem* current = lbCategorias->currentItem();
    return current ? current->text() : QString();
}

void TSubcategoriasSimplesForm::FillTypeSubcategories(const QString& typeName) {
    const QSignalBlocker blocker(lbSubcategorias);
    lbSubcategorias->clear();
    const std::string type = typeName.toStdString();
    const estimating::TSubCategorias& subcategories = Document->PrimarySubcategories;
    for (int i = 0; i < subcategories.Count(); ++i) {
        TSubcategoria* subcategory = subcategories.Objects(i);
        if (subcategory && subcategory->Category == type && subcategory->Name != kOthers)
            picker_lists::InsertSorted(*lbSubcategorias, fromUtf8(subcategory->Name), subcategory);
    }
}

void TSubcategoriasSimplesForm::FormCreate() {
    {
        const QSignalBlocker blocker(lbCategorias);
        lbCategorias->clear();
        lbCategorias->addItems(costTypeNames());
        lbCategorias->setCurrentRow(0);
    }
    FillTypeSubcategories(ChosenType());
    btnAdd->setEnabled(true);
    btnUpdate->setEnabled(true);
    btnDelete->setEnabled(true);
    UpdateSaveButton();
    CentreOnScreen(*this);
}

void TSubcategoriasSimplesForm::MarkChanged() {
    Document->Saved = 0;
    UpdateSaveButton();
}

void TSubcategoriasSimplesForm::UpdateSaveButton() {
    btnSave->setEnabled(Document->Saved == 0);
}

void TSubcategoriasSimplesForm::lbCategoriasClick() {
    FillTypeSubcategories(ChosenType());
}

void TSubcategoriasSimplesForm::btnAddClick() {
    const QString answer = modal::seam().inputBox(QStringLiteral("New subcategory"),
                                                  QStringLiteral("Input a new subcategory"), {});
    if (answer.isEmpty())
        return;
    const QString type = ChosenType();
    const std::string name = answer.toStdString();
    Document->PrimarySubcategories.AddObject(
        name, std::make_unique<TSubcategoria>(name, type.toStdString()));
    FillTypeSubcategories(type);
    MarkChanged();
}

void TSubcategoriasSimplesForm::btnDeleteClick() {
    const int row = selectedRow(*lbSubcategorias);
    if (row < 0)
        return;
    if (modal::showMessage(QStringLiteral("Are you sure to delete this subcategory?"), {},
                           modal::Buttons::YesNo, modal::Icon::Warning) != modal::Answer::Yes)
        return;
    estimating::TSubCategorias& subcategories = Document->PrimarySubcategories;
    const TSubcategoria* subcategory = subcategoryAt(*lbSubcategorias, row);
    const int index = subcategories.IndexOfObject(subcategory);
    if (index < 0)
        return;
    const std::string name = subcategory->Name;
    const std::string type = subcategory->Category;
    subcategories.Delete(index);
    {
        const QSignalBlocker blocker(lbSubcategorias);
        delete lbSubcategorias->takeItem(row);
    }
    MarkChanged();
    refilePrimaries(type, name, kOthers);
    FillTypeSubcategories(ChosenType());
}

void TSubcategoriasSimplesForm::btnUpdateClick() {
    const int row = selectedRow(*lbSubcategorias);
    if (row < 0)
        return;
    TSubcategoria* subcategory = subcategoryAt(*lbSubcategorias, row);
    const int index = Document->PrimarySubcategories.IndexOfObject(subcategory);
    if (index < 0)
        return;
    const QString oldName = lbSubcategorias->item(row)->text();
    const QString answer = modal::seam().inputBox(
        QStringLiteral("Modify subcategory"), QStringLiteral("Input the modification."), oldName);
    if (answer.isEmpty())
        return;
    const std::string from = subcategory->Name;
    const std::string to = answer.toStdString();
    subcategory->Name = to;
    Document->PrimarySubcategories.SetString(index, to);
    MarkChanged();
    refilePrimaries(subcategory->Category, from, to);
    FillTypeSubcategories(ChosenType());
}

void TSubcategoriasSimplesForm::btnSaveClick() {
    SaveDocumentFromDialog(*Document, [this] { UpdateSaveButton(); });
}

void TSubcategoriasSimplesForm::btnCloseClick() {
    close();
}

void ShowSubcategoriasSimplesForm(QWidget* owner) {
    RunHeldInGlobal(SubcategoriasSimplesForm, owner);
}
