#include "PresupuestosFrm.h"

#include "Componentes.h"
#include "Database.h"
#include "DialogKit.h"
#include "Main.h"
#include "ModalSeam.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <exception>
#include <memory>

TPresupuestosForm* PresupuestosForm = nullptr;

namespace {

constexpr int kBudgetRole = Qt::UserRole;

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

QListWidgetItem* budgetRow(TInsumoCompuesto* budget, const QString& text) {
    auto* row = new QListWidgetItem(text);
    row->setData(kBudgetRole, QVariant::fromValue(static_cast<void*>(budget)));
    return row;
}

// Deletes from every budget and division (the last found line of each) the line
// that uses the budget of this code.
void RemoveBudgetLines(const std::string& code) {
    const int count = Document->Budgets.Count();
    for (int i = 0; i < count; ++i) {
        TInsumoCompuesto* entry = Document->Budgets.Insumo(i).AsCompuesto();
        if (!entry)
            continue;
        estimating::TItems& items = entry->Items();
        for (int j = items.Count() - 1; j >= 0; --j) {
            if (items.Item(j).Code == code) {
                items.Delete(code);
                break;
            }
        }
    }
}

} // namespace

TPresupuestosForm::TPresupuestosForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PresupuestosForm"));
    setWindowTitle(QStringLiteral("Budgets"));

    auto* label = new QLabel(QStringLiteral("Name  :"), this);
    cboPresupuestos = new QListWidget(this);
    cboPresupuestos->setObjectName(QStringLiteral("cboPresupuestos"));
    cboPresupuestos->setSelectionMode(QAbstractItemView::SingleSelection);
    cboPresupuestos->setSortingEnabled(false);

    btnAdd = NamedButton(this, "btnAdd", QStringLiteral("New"));
    btnRename = NamedButton(this, "btnRename", QStringLiteral("Rename"));
    btnDelete = NamedButton(this, "btnDelete", QStringLiteral("Delete"));
    btnAccept = NamedButton(this, "btnAccept", QStringLiteral("Accept"));
    btnCancel = NamedButton(this, "btnCancel", QStringLiteral("Cancel"));

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btnAdd);
    buttons->addWidget(btnRename);
    buttons->addWidget(btnDelete);
    buttons->addStretch();
    buttons->addWidget(btnAccept);
    buttons->addWidget(btnCancel);
    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(cboPresupuestos, 1, 0);
    grid->addLayout(buttons, 1, 1);

    auto bind = [this](QPushButton* button, void (TPresupuestosForm::*handler)()) {
        connect(button, &QPushButton::clicked, this, modal::guardedHandler(this, handler));
    };
    bind(btnAdd, &TPresupuestosForm::btnAddClick);
    bind(btnRename, &TPresupuestosForm::btnRenameClick);
    bind(btnDelete, &TPresupuestosForm::btnDeleteClick);
    bind(btnAccept, &TPresupuestosForm::btnAcceptClick);
    bind(btnCancel, &TPresupuestosForm::btnCancelClick);
    BindListClick(*cboPresupuestos, [this] { cboPresupuestosClick(); });
    // The view makes a row current, unselected, when the list takes the focus; a row that looks
    // chosen must be chosen.
    connect(cboPresupuestos, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && !cboPresupuestos->item(row)->isSelected())
            cboPresupuestos->item(row)->setSelected(true);
    });
    connect(cboPresupuestos, &QListWidget::itemDoubleClicked, this,
            [this] { modal::guarded([this] { cboPresupuestosDblClick(); }); });

    FormCreate();
}

void TPresupuestosForm::FormCreate() {
    resize(420, 300);
    CentreOnScreen(*this);
}

void TPresupuestosForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        modal::guarded([this] { FormShow(); });
}

void TPresupuestosForm::FormShow() {
    const QSignalBlocker blocker(cboPresupuestos);
    cboPresupuestos->clear();
    ChosenCode.clear();
    Cancelled = 1;
    SelectedBudget = nullptr;
    const int count = Document->Budgets.Count();
    for (int i = 0; i < count; ++i) {
        TInsumoCompuesto* entry = Document->Budgets.Insumo(i).AsCompuesto();
        if (!entry || entry->SubKind() != estimating::kSubKindBudget)
            continue;
        if (ExcludedBudget && ExcludedBudget->Code() == entry->Code())
            continue;
        cboPresupuestos->addItem(budgetRow(entry, fromUtf8(entry->Name())));
    }
}

int TPresupuestosForm::SelectedRow() const {
    const int row = cboPresupuestos->currentRow();
    if (row < 0 || !cboPresupuestos->item(row)->isSelected())
        return -1;
    return row;
}

TInsumoCompuesto* TPresupuestosForm::BudgetOfRow(int row) const {
    return static_cast<TInsumoCompuesto*>(
        cboPresupuestos->item(row)->data(kBudgetRole).value<void*>());
}

TInsumoCompuesto* TPresupuestosForm::BudgetOfSelectedRow() const {
    const int row = SelectedRow();
    return row < 0 ? nullptr : BudgetOfRow(row);
}

void TPresupuestosForm::cboPresupuestosClick() {
    // A deselected row (Ctrl+click) leaves no budget to act on.
    SelectedBudget = BudgetOfSelectedRow();
    if (SelectedBudget)
        ChosenCode = fromUtf8(SelectedBudget->Code());
}

void TPresupuestosForm::cboPresupuestosDblClick() {
    btnAcceptClick();
}

void TPresupuestosForm::btnAddClick() {
    if (!CodesLeftFor(Document->Budgets, 1))
        return;
    const QString answer =
        modal::seam().inputBox(QStringLiteral("New budget"), QStringLiteral("Input a name"), {});
    if (answer.isEmpty()) {
        modal::showMessage(QStringLiteral("You must type a name."));
        return;
    }
    const std::string code =
        Document->Budgets.NewCode(estimating::kKindCompound, estimating::kSubKindBudget);
    auto budget = std::make_unique<estimating::TPresupuesto>();
    budget->SetCode(code);
    budget->SetName(answer.toStdString());
    budget->SetUnit("Gl.");
    budget->SetKind(estimating::kKindCompound);
    budget->SetSubKind(estimating::kSubKindBudget);
    if (!Document->Budgets.Add(std::move(budget)))
        return;
    // A new budget is a change to the database like any other.
    Document->Saved = 0;
    estimating::TInsumo* found = Document->Budgets.Find(code);
    if (!found || !found->AsCompuesto())
        return;
    const QSignalBlocker blocker(cboPresupuestos);
    cboPresupuestos->addItem(budgetRow(found->AsCompuesto(), answer));
}

void TPresupuestosForm::btnRenameClick() {
    const int row = SelectedRow();
    SelectedBudget = BudgetOfSelectedRow();
    if (!SelectedBudget)
        return;
    QListWidgetItem* item = cboPresupuestos->item(row);
    const QString answer = modal::seam().inputBox(
        QStringLiteral("Rename budget"), QStringLiteral("Input a new name."), item->text());
    if (answer.isEmpty())
        return;
    const std::string name = answer.toStdString();
    const std::string code = SelectedBudget->Code();
    if (SelectedBudget->Name() != name)
        Document->Saved = 0;
    SelectedBudget->SetName(name);
    if (estimating::TInsumo* same = Document->Budgets.Find(code))
        same->SetName(name);
    item->setText(answer);
    if (MainForm)
        MainForm->RenameTreeNodes(fromUtf8(code), answer);
}

void TPresupuestosForm::btnDeleteClick() {
    const int row = SelectedRow();
    SelectedBudget = BudgetOfSelectedRow();
    if (!SelectedBudget)
        return;
    if (modal::showMessage(QStringLiteral("Are you sure to delete this budget?"), {},
                           modal::Buttons::YesNo, modal::Icon::Warning) != modal::Answer::Yes)
        return;
    try {
        Document->Saved = 0;
        const std::string code = SelectedBudget->Code();
        RemoveBudgetLines(code);
        Document->Budgets.Delete(code);
        SelectedBudget = nullptr;
        ChosenCode.clear();
        {
            const QSignalBlocker blocker(cboPresupuestos);
            delete cboPresupuestos->takeItem(row);
            cboPresupuestos->clearSelection();
            cboPresupuestos->setCurrentRow(-1);
        }
        if (MainForm)
            MainForm->RefreshTree();
    } catch (const std::exception& e) {
        modal::showMessage(QStringLiteral("Error : ") + QString::fromUtf8(e.what()));
    }
}

void TPresupuestosForm::btnAcceptClick() {
    SelectedBudget = BudgetOfSelectedRow();
    if (!SelectedBudget)
        return;
    ChosenCode = fromUtf8(SelectedBudget->Code());
    Cancelled = 0;
    accept();
}

void TPresupuestosForm::btnCancelClick() {
    ChosenCode.clear();
    Cancelled = 1;
    reject();
}
