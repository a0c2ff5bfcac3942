#include "RubrosFrm.h"

#include "Database.h"
#include "DialogKit.h"
#include "Main.h"
#include "ModalSeam.h"
#include "PickerLists.h"

#include <QBoxLayout>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QVariant>

#include <string>

TRubrosForm* RubrosForm = nullptr;

namespace {

using estimating::TCategoria;
using estimating::TSubcategoria;

const std::string kOthers = "Others";
// A category of this name stays in the database but is never listed.
const QString kHiddenCategory = QStringLiteral("Otros");

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

void forgetSelection(QListWidget& list) {
    list.clearSelection();
    list.setCurrentRow(-1);
}

// The first entry spelt exactly so, else the first one equal without regard to case.
template <class List> int firstNamed(const List& list, const std::string& name) {
    for (int i = 0; i < list.Count(); ++i)
        if (list.Strings(i) == name)
            return i;
    return list.IndexOf(name);
}

template <class Object> std::string nameOf(const Object* object, const std::string& entry) {
    return object ? object->Name : entry;
}

// The entry a category row shows: its own object, or by name for an entry without one.
int categoryOfRow(const QListWidget& list, int row) {
    const estimating::TCategorias& categories = Document->CompoundCategories;
    if (const auto* category = static_cast<TCategoria*>(picker_lists::ObjectAt(list, row)))
        return categories.IndexOfObject(category);
    return firstNamed(categories, list.item(row)->text().toStdString());
}

bool hasCategoryNamed(const std::string& name) {
    const estimating::TCategorias& categories = Document->CompoundCategories;
    for (int i = 0; i < categories.Count(); ++i)
        if (nameOf(categories.Objects(i), categories.Strings(i)) == name)
            return true;
    return false;
}

TSubcategoria* subcategoryAt(const QListWidget& list, int row) {
    return static_cast<TSubcategoria*>(picker_lists::ObjectAt(list, row));
}

template <class Change> void forEachCompound(Change change) {
    for (int i = 0; i < Document->Compounds.Count(); ++i)
        change(Document->Compounds.Insumo(i));
}

// Files the compounds of `category` filed under `from` under `to` instead, once no subcategory
// of that name is left there: compounds name their subcategory, so while one remains they keep it.
void refileCompounds(const std::string& category, const std::string& from, const std::string& to) {
    if (Document->CompoundSubcategories.Holds(from, category))
        return;
    forEachCompound([&](estimating::TInsumo& compound) {
        if (compound.Category() == category && compound.Subcategory() == from)
            compound.SetSubcategory(to);
    });
}

// The compounds of a category that is gone are filed under "Others"; its subcategories go.
void dropCategoryFiling(const std::string& name) {
    forEachCompound([&](estimating::TInsumo& compound) {
        if (compound.Category() == name) {
            compound.SetCategory(kOthers);
            compound.SetSubcategory(kOthers);
        }
    });
    estimating::TSubCategorias& subcategories = Document->CompoundSubcategories;
    for (int i = subcategories.Count() - 1; i >= 0; --i) {
        const TSubcategoria* subcategory = subcategories.Objects(i);
        if (subcategory && subcategory->Category == name)
            subcategories.Delete(i);
    }
}

// The subcategories and compounds of a category renamed from `from` follow it to `to`.
void moveCategoryFiling(const std::string& from, const std::string& to) {
    estimating::TSubCategorias& subcategories = Document->CompoundSubcategories;
    for (int i = 0; i < subcategories.Count(); ++i) {
        TSubcategoria* subcategory = subcategories.Objects(i);
        if (subcategory && subcategory->Category == from)
            subcategory->Category = to;
    }
    forEachCompound([&](estimating::TInsumo& compound) {
        if (compound.Category() == from)
            compound.SetCategory(to);
    });
}

} // namespace

TRubrosForm::TRubrosForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("RubrosForm"));
    setWindowTitle(QStringLiteral("Compound's categories"));
    auto makeButton = [this](const char* name, const QString& caption, int width) {
        auto* button = NamedButton(this, name, caption);
        button->setMinimumWidth(width);
        button->setFixedHeight(25);
        return button;
    };
    auto makeList = [this](const char* name, int height) {
        auto* list = new QListWidget(this);
        list->setObjectName(QLatin1String(name));
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setMinimumWidth(377);
        list->setFixedHeight(height);
        return list;
    };
    btnAdd = makeButton("btnAdd", QStringLiteral("Add category"), 105);
    btnDelete = makeButton("btnDelete", QStringLiteral("Delete category"), 97);
    btnUpdate = makeButton("btnUpdate", QStringLiteral("Rename category"), 97);
    lbRubros = makeList("lbRubros", 97);
    btnAddSub = makeButton("btnAddSub", QStringLiteral("Add subcategory"), 105);
    btnDeleteSub = makeButton("btnDeleteSub", QStringLiteral("Delete subcategory"), 97);
    btnUpdateSub = makeButton("btnUpdateSub", QStringLiteral("Rename subcategory"), 105);
    lbSubrubros = makeList("lbSubrubros", 161);
    btnSave = makeButton("btnSave", QStringLiteral("Save"), 97);
    btnClose = makeButton("btnClose", QStringLiteral("Close"), 97);

    // The design's positions, with room for captions wider than the design font's.
    auto row = [](std::initializer_list<QPushButton*> buttons, bool right) {
        auto* line = new QHBoxLayout;
        if (right)
            line->addStretch();
        for (QPushButton* button : buttons) {
            line->addStretch();
            line->addWidget(button);
        }
        line->addStretch();
        return line;
    };
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 6);
    layout->setSpacing(7);
    layout->addLayout(row({btnAdd, btnDelete, btnUpdate}, false));
    layout->addWidget(lbRubros);
    layout->addLayout(row({btnAddSub, btnDeleteSub, btnUpdateSub}, false));
    layout->addWidget(lbSubrubros);
    layout->addLayout(row({btnSave, btnClose}, true));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto bind = [this](QPushButton* button, void (TRubrosForm::*handler)()) {
        connect(button, &QPushButton::clicked, this, modal::guardedHandler(this, handler));
    };
    bind(btnAdd, &TRubrosForm::btnAddClick);
    bind(btnDelete, &TRubrosForm::btnDeleteClick);
    bind(btnUpdate, &TRubrosForm::btnUpdateClick);
    bind(btnAddSub, &TRubrosForm::btnAddSubClick);
    bind(btnDeleteSub, &TRubrosForm::btnDeleteSubClick);
    bind(btnUpdateSub, &TRubrosForm::btnUpdateSubClick);
    bind(btnSave, &TRubrosForm::btnSaveClick);
    bind(btnClose, &TRubrosForm::btnCloseClick);
    BindListClick(*lbRubros, [this] { lbRubrosClick(); });

    modal::guarded([this] { FormCreate(); });
}

void TRubrosForm::FillCompoundCategories() {
    const QSignalBlocker blocker(lbRubros);
    lbRubros->clear();
    const estimating::TCategorias& categories = Document->CompoundCategories;
    for (int i = 0; i < categories.Count(); ++i) {
        TCategoria* category = categories.Objects(i);
        const QString name = fromUtf8(nameOf(category, categories.Strings(i)));
        if (name != kHiddenCategory)
            picker_lists::InsertSorted(*lbRubros, name, category);
    }
}

void TRubrosForm::FillCompoundSubcategories() {
    const QSignalBlocker blocker(lbSubrubros);
    lbSubrubros->clear();
    if (lbRubros->count() == 0)
        return;
    const int row = selectedRow(*lbRubros);
    const std::string category = lbRubros->item(row < 0 ? 0 : row)->text().toStdString();
    const estimating::TSubCategorias& subcategories = Document->CompoundSubcategories;
    for (int i = 0; i < subcategories.Count(); ++i) {
        TSubcategoria* subcategory = subcategories.Objects(i);
        if (subcategory && subcategory->Category == category)
            picker_lists::InsertSorted(*lbSubrubros, fromUtf8(subcategory->Name), subcategory);
    }
}

void TRubrosForm::FormCreate() {
    FillCompoundCategories();
    if (lbRubros->count() > 0) {
        {
            const QSignalBlocker blocker(lbRubros);
            lbRubros->setCurrentRow(0);
        }
        FillCompoundSubcategories();
    }
    UpdateSaveButton();
    adjustSize();
    CentreOnScreen(*this);
}

void TRubrosForm::MarkChanged() {
    Document->Saved = 0;
    UpdateSaveButton();
}

void TRubrosForm::UpdateSaveButton() {
    btnSave->setEnabled(Document->Saved == 0);
}

void TRubrosForm::lbRubrosClick() {
    FillCompoundSubcategories();
}

void TRubrosForm::btnAddClick() {
    const QString answer =
        modal::seam().inputBox(QStringLiteral("New category"), QStringLiteral("Type a name."), {});
    if (answer.isEmpty())
        return;
    const std::string name = answer.toStdString();
    const int index =
        Document->CompoundCategories.AddObject(name, std::make_unique<TCategoria>(name));
    MarkChanged();
    const QSignalBlocker blocker(lbRubros);
    picker_lists::InsertSorted(*lbRubros, answer, Document->CompoundCategories.Objects(index));
}

void TRubrosForm::btnDeleteClick() {
    const int row = selectedRow(*lbRubros);
    if (row < 0)
        return;
    if (modal::showMessage(QStringLiteral("Are you sure to delete this category?"), {},
                           modal::Buttons::YesNo, modal::Icon::Warning) != modal::Answer::Yes)
        return;
    const std::string name = lbRubros->item(row)->text().toStdString();
    if (const int index = categoryOfRow(*lbRubros, row); index >= 0)
        Document->CompoundCategories.Delete(index);
    MarkChanged();
    // Subcategories and compounds name their category: a namesake that remains keeps them.
    if (!hasCategoryNamed(name))
        dropCategoryFiling(name);
    FillCompoundCategories();
    FillCompoundSubcategories();
}

void TRubrosForm::btnUpdateClick() {
    const int row = selectedRow(*lbRubros);
    if (row < 0)
        return;
    const QString oldName = lbRubros->item(row)->text();
    const std::string from = oldName.toStdString();
    const int index = categoryOfRow(*lbRubros, row);
    const QString answer = modal::seam().inputBox(QStringLiteral("Modify category"),
                                                  QStringLiteral("Edit this category."), oldName);
    if (!answer.isEmpty()) {
        const std::string to = answer.toStdString();
        if (index >= 0) {
            Document->CompoundCategories.SetString(index, to);
            if (TCategoria* category = Document->CompoundCategories.Objects(index))
                category->Name = to;
        }
        // Subcategories and compounds name their category: a namesake that remains keeps them.
        if (!hasCategoryNamed(from))
            moveCategoryFiling(from, to);
    }
    FillCompoundCategories();
    FillCompoundSubcategories();
    MarkChanged();
}

void TRubrosForm::btnAddSubClick() {
    const int row = selectedRow(*lbRubros);
    if (row < 0) {
        modal::showMessage(QStringLiteral("You must select a category first."));
        return;
    }
    const QString answer = modal::seam().inputBox(QStringLiteral("New subcategory."),
                                                  QStringLiteral("Input a new subcategory."), {});
    if (answer.isEmpty())
        return;
    const std::string name = answer.toStdString();
    Document->CompoundSubcategories.AddObject(
        name, std::make_unique<TSubcategoria>(name, lbRubros->item(row)->text().toStdString()));
    FillCompoundSubcategories();
    MarkChanged();
}

void TRubrosForm::btnDeleteSubClick() {
    const int row = selectedRow(*lbSubrubros);
    if (row < 0)
        return;
    if (modal::showMessage(QStringLiteral("Are you sure to delete this subcategory?"), {},
                           modal::Buttons::YesNo, modal::Icon::Warning) != modal::Answer::Yes)
        return;
    estimating::TSubCategorias& subcategories = Document->CompoundSubcategories;
    const TSubcategoria* subcategory = subcategoryAt(*lbSubrubros, row);
    const int index = subcategories.IndexOfObject(subcategory);
    if (index < 0)
        return;
    const std::string name = subcategory->Name;
    const std::string category = subcategory->Category;
    subcategories.Delete(index);
    {
        const QSignalBlocker blocker(lbSubrubros);
        delete lbSubrubros->takeItem(row);
        forgetSelection(*lbSubrubros);
    }
    MarkChanged();
    refileCompounds(category, name, kOthers);
}

void TRubrosForm::btnUpdateSubClick() {
    const int row = selectedRow(*lbSubrubros);
    if (row < 0)
        return;
    TSubcategoria* subcategory = subcategoryAt(*lbSubrubros, row);
    const int index = Document->CompoundSubcategories.IndexOfObject(subcategory);
    if (index < 0)
        return;
    const QString oldName = lbSubrubros->item(row)->text();
    const QString answer = modal::seam().inputBox(
        QStringLiteral("Modify subcategory."), QStringLiteral("Edit this subcategory."), oldName);
    if (answer.isEmpty())
        return;
    const std::string from = subcategory->Name;
    const std::string to = answer.toStdString();
    Document->CompoundSubcategories.SetString(index, to);
    subcategory->Name = to;
    refileCompounds(subcategory->Category, from, to);
    FillCompoundSubcategories();
    MarkChanged();
}

void TRubrosForm::btnSaveClick() {
    SaveDocumentFromDialog(*Document, [this] { UpdateSaveButton(); });
}

void TRubrosForm::btnCloseClick() {
    close();
}

void ShowRubrosForm(QWidget* owner) {
    RunHeldInGlobal(RubrosForm, owner);
}
