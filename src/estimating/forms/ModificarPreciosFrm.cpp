#include "ModificarPreciosFrm.h"

#include "Componentes.h"
#include "Database.h"
#include "DialogKit.h"
#include "Main.h"
#include "ModalSeam.h"
#include "MyUtils.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSet>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>
#include <string>

namespace {

constexpr int kPrimaryRole = Qt::UserRole;

const QString kDone = QStringLiteral("Modifications made successfully.");

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

// The key of a subcategory row: its name as the list's own case-blind search sees it.
QString foldedName(const QString& name) {
    return name.toCaseFolded();
}

QListWidgetItem* appendUnchecked(QListWidget& list, const QString& text) {
    auto* item = new QListWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    list.addItem(item);
    return item;
}

estimating::TInsumo* primaryOf(const QListWidgetItem& row) {
    return static_cast<estimating::TInsumo*>(row.data(kPrimaryRole).value<void*>());
}

// Removes the rows in runs of neighbours, so that many rows cost one pass over the list rather
// than one search each.
void removeRows(QListWidget& list, const QSet<const QListWidgetItem*>& doomed) {
    int end = doomed.isEmpty() ? 0 : list.count();
    while (end > 0) {
        if (!doomed.contains(list.item(end - 1))) {
            --end;
            continue;
        }
        int start = end - 1;
        while (start > 0 && doomed.contains(list.item(start - 1)))
            --start;
        list.model()->removeRows(start, end - start);
        end = start;
    }
}

QListWidget* makeCheckList(QWidget* owner, const char* name) {
    auto* list = new QListWidget(owner);
    list->setObjectName(QLatin1String(name));
    list->setSortingEnabled(false);
    return list;
}

QCheckBox* makeAllBox(QWidget* owner, const char* name) {
    auto* box = new QCheckBox(QStringLiteral("All"), owner);
    box->setObjectName(QLatin1String(name));
    return box;
}

} // namespace

TModificarPreciosForm::TModificarPreciosForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ModificarPreciosForm"));
    setWindowTitle(QStringLiteral("Modify primaries' prices"));
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    BuildControls();
    ConnectHandlers();
    modal::guarded([this] { FormCreate(); });
}

void TModificarPreciosForm::BuildControls() {
    auto* panel = new QGroupBox(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    rbAumento = new QRadioButton(QStringLiteral("Augment"), panel);
    rbAumento->setObjectName(QStringLiteral("rbAumento"));
    rbDecremento = new QRadioButton(QStringLiteral("Diminish"), panel);
    rbDecremento->setObjectName(QStringLiteral("rbDecremento"));
    edtPorcent = new QLineEdit(panel);
    edtPorcent->setObjectName(QStringLiteral("edtPorcent"));
    auto* percentLabel = new QLabel(QStringLiteral("Variation :"), panel);
    percentLabel->setBuddy(edtPorcent);
    auto* panelLayout = new QGridLayout(panel);
    panelLayout->addWidget(rbAumento, 0, 0);
    panelLayout->addWidget(rbDecremento, 0, 1);
    panelLayout->addWidget(percentLabel, 1, 0);
    panelLayout->addWidget(edtPorcent, 1, 1);

    btnAccept = NamedButton(this, "btnAccept", QStringLiteral("Accept"));
    btnCancel = NamedButton(this, "btnCancel", QStringLiteral("Cancel"));
    auto* commands = new QVBoxLayout;
    commands->addWidget(btnAccept);
    commands->addWidget(btnCancel);
    commands->addStretch();

    chkCategorias = makeCheckList(this, "chkCategorias");
    chbCategorias = makeAllBox(this, "chbCategorias");
    chkSubcategorias = makeCheckList(this, "chkSubcategorias");
    chbSubcategorias = makeAllBox(this, "chbSubcategorias");
    chkSimples = makeCheckList(this, "chkSimples");
    chbSimples = makeAllBox(this, "chbSimples");

    auto* whole = new QGridLayout(this);
    whole->addWidget(panel, 0, 0, 1, 2);
    whole->addLayout(commands, 0, 2);
    int row = 1;
    auto addList = [&](const QString& caption, QCheckBox* all, QListWidget* list) {
        whole->addWidget(new QLabel(caption, this), row, 0);
        whole->addWidget(all, row, 1);
        whole->addWidget(list, row + 1, 0, 1, 3);
        row += 2;
    };
    addList(QStringLiteral("Category"), chbCategorias, chkCategorias);
    addList(QStringLiteral("Subcategory"), chbSubcategorias, chkSubcategorias);
    addList(QStringLiteral("Primaries"), chbSimples, chkSimples);
}

void TModificarPreciosForm::ConnectHandlers() {
    for (QRadioButton* radio : {rbAumento, rbDecremento})
        connect(radio, &QRadioButton::clicked, this,
                [this, radio] { modal::guarded([this, radio] { rbVariacion(radio); }); });
    connect(chkCategorias, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        modal::guarded([this, item] { chkCategoriasClickCheck(item); });
    });
    connect(chkSubcategorias, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        modal::guarded([this, item] { chkSubcategoriasClickCheck(item); });
    });
    auto bindBox = [this](QAbstractButton* box, void (TModificarPreciosForm::*handler)()) {
        connect(box, &QAbstractButton::clicked, this, modal::guardedHandler(this, handler));
    };
    bindBox(chbCategorias, &TModificarPreciosForm::chbCategoriasClick);
    bindBox(chbSubcategorias, &TModificarPreciosForm::chbSubcategoriasClick);
    bindBox(chbSimples, &TModificarPreciosForm::chbSimplesClick);
    bindBox(btnAccept, &TModificarPreciosForm::btnAcceptClick);
    bindBox(btnCancel, &TModificarPreciosForm::btnCancelClick);
}

void TModificarPreciosForm::FormCreate() {
    {
        const QSignalBlocker block(chkCategorias);
        for (int i = 0; i < Document->CostTypes.Count(); ++i)
            appendUnchecked(*chkCategorias, q(Document->CostTypes.Strings(i)));
    }
    rbAumento->setChecked(true);
    Increase = true;
    resize(408, 497);
    CentreOnScreen(*this);
}

void TModificarPreciosForm::rbVariacion(QObject* sender) {
    Increase = sender && sender->objectName() == QLatin1String("rbAumento");
}

void TModificarPreciosForm::chkCategoriasClickCheck(QListWidgetItem* item) {
    if (item)
        ToggleTypeSubcategories(item->text(), item->checkState() == Qt::Checked);
}

void TModificarPreciosForm::chbCategoriasClick() {
    if (!chbCategorias->isChecked())
        return;
    for (int i = 0; i < chkCategorias->count(); ++i) {
        QListWidgetItem* item = chkCategorias->item(i);
        {
            const QSignalBlocker block(chkCategorias);
            item->setCheckState(Qt::Checked);
        }
        ToggleTypeSubcategories(item->text(), true);
    }
}

void TModificarPreciosForm::chkSubcategoriasClickCheck(QListWidgetItem* item) {
    if (item)
        TogglePrimariesOfSubcategory(item->text(), item->checkState() == Qt::Checked);
}

void TModificarPreciosForm::chbSubcategoriasClick() {
    if (!chbSubcategorias->isChecked())
        return;
    for (int i = 0; i < chkSubcategorias->count(); ++i) {
        QListWidgetItem* item = chkSubcategorias->item(i);
        {
            const QSignalBlocker block(chkSubcategorias);
            item->setCheckState(Qt::Checked);
        }
        TogglePrimariesOfSubcategory(item->text(), true);
    }
}

void TModificarPreciosForm::chbSimplesClick() {
    if (!chbSimples->isChecked())
        return;
    const QSignalBlocker block(chkSimples);
    for (int i = 0; i < chkSimples->count(); ++i)
        chkSimples->item(i)->setCheckState(Qt::Checked);
}

void TModificarPreciosForm::ToggleTypeSubcategories(const QString& costType, bool checked) {
    const std::string type = costType.toStdString();
    const estimating::TSubCategorias& stored = Document->PrimarySubcategories;
    const QSignalBlocker block(chkSubcategorias);
    for (int i = 0; i < stored.Count(); ++i) {
        const estimating::TSubcategoria* entry = stored.Objects(i);
        if (!entry || entry->Category != type)
            continue;
        const QString name = q(stored.Strings(i));
        QListWidgetItem* found = SubcategoryRows.value(foldedName(name));
        if (checked && !found)
            SubcategoryRows.insert(foldedName(name), appendUnchecked(*chkSubcategorias, name));
        else if (!checked && found)
            RemoveSubcategoryRow(found);
    }
}

// The primaries were listed under the row's own text, which may differ in case from the name
// of the entry that removes it.
void TModificarPreciosForm::RemoveSubcategoryRow(QListWidgetItem* row) {
    const QString name = row->text();
    SubcategoryRows.remove(foldedName(name));
    delete chkSubcategorias->takeItem(chkSubcategorias->row(row));
    TogglePrimariesOfSubcategory(name, false);
}

void TModificarPreciosForm::TogglePrimariesOfSubcategory(const QString& subcategory, bool checked) {
    const std::string name = subcategory.toStdString();
    const estimating::TInsumosSimples& primaries = Document->Primaries;
    const QSignalBlocker block(chkSimples);
    QSet<const QListWidgetItem*> leaving;
    for (int i = 0; i < primaries.Count(); ++i) {
        estimating::TInsumo& primary = primaries.Insumo(i);
        if (primary.Subcategory() != name)
            continue;
        QListWidgetItem* found = PrimaryRows.value(&primary);
        if (checked && !found) {
            QListWidgetItem* row = appendUnchecked(*chkSimples, q(primary.Name()));
            row->setData(kPrimaryRole, QVariant::fromValue(static_cast<void*>(&primary)));
            PrimaryRows.insert(&primary, row);
        } else if (!checked && found) {
            PrimaryRows.remove(&primary);
            leaving.insert(found);
        }
    }
    removeRows(*chkSimples, leaving);
}

// The checked rows' primaries still in the catalogue, in list order.
std::vector<estimating::TInsumo*> TModificarPreciosForm::CheckedPrimaries() const {
    QSet<const estimating::TInsumo*> present;
    for (const auto& primary : Document->Primaries.List())
        present.insert(primary.get());
    std::vector<estimating::TInsumo*> chosen;
    for (int i = 0; i < chkSimples->count(); ++i) {
        const QListWidgetItem* row = chkSimples->item(i);
        estimating::TInsumo* primary = primaryOf(*row);
        if (row->checkState() == Qt::Checked && present.contains(primary))
            chosen.push_back(primary);
    }
    return chosen;
}

// An unreadable percentage, or one that would make a price infinite, reaches the general error
// report before any price changes.
void TModificarPreciosForm::btnAcceptClick() {
    const std::string text = edtPorcent->text().toStdString();
    const double share = std::fabs(estimating::StrToFloat(text) / 100);
    const double factor = Increase ? 1 + share : 1 - share;
    const std::vector<estimating::TInsumo*> chosen = CheckedPrimaries();
    std::vector<double> before;
    for (const estimating::TInsumo* primary : chosen) {
        estimating::RequireFiniteResult(text, primary->Price() * factor);
        before.push_back(primary->Price());
    }
    ChangeKeepingPricesFinite(
        *Document, text,
        [&] {
            for (estimating::TInsumo* primary : chosen)
                primary->SetPrice(primary->Price() * factor);
        },
        [&] {
            for (std::size_t i = 0; i < chosen.size(); ++i)
                chosen[i]->SetPrice(before[i]);
        });
    Factor = factor;
    // Changed prices are unsaved changes like any other, or they are lost without a question.
    if (!chosen.empty())
        Document->Saved = 0;
    modal::showMessage(kDone);
}

void TModificarPreciosForm::btnCancelClick() {
    close();
}
