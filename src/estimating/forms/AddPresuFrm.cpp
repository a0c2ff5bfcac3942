#include "AddPresuFrm.h"

#include "Componentes.h"
#include "Database.h"
#include "DialogKit.h"
#include "Main.h"
#include "ModalSeam.h"
#include "MyUtils.h"
#include "PickerLists.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>

#include <exception>

using estimating::TInsumoCompuesto;

TAddPresuForm::TAddPresuForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AddPresuForm"));
    setWindowTitle(QStringLiteral("Agregar subpresupuesto"));

    auto* listLabel = new QLabel(QStringLiteral("Budgets (circular references avoided)"), this);
    lbPresupuestos = new QListWidget(this);
    lbPresupuestos->setObjectName(QStringLiteral("lbPresupuestos"));
    lbPresupuestos->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* quantityLabel = new QLabel(QStringLiteral("Quantity"), this);
    edtCant = new QLineEdit(this);
    edtCant->setObjectName(QStringLiteral("edtCant"));
    btnAccept = NamedButton(this, "btnAccept", QStringLiteral("Accept"));
    btnCancel = NamedButton(this, "btnCancel", QStringLiteral("Cancel"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(listLabel, 0, 0, 1, 2);
    grid->addWidget(lbPresupuestos, 1, 0, 1, 2);
    grid->addWidget(quantityLabel, 2, 0, 1, 2);
    grid->addWidget(edtCant, 3, 0, 1, 2);
    grid->addWidget(btnAccept, 4, 0);
    grid->addWidget(btnCancel, 4, 1);

    connect(btnAccept, &QPushButton::clicked, this,
            [this] { modal::guarded([this] { btnAcceptClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this,
            [this] { modal::guarded([this] { btnCancelClick(); }); });

    FormCreate();
}

void TAddPresuForm::FormCreate() {
    resize(320, 360);
    CentreOnScreen(*this);
}

void TAddPresuForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        modal::guarded([this] { FormShow(); });
}

void TAddPresuForm::FormShow() {
    ChosenCode.clear();
    Cancelled = 1;
    Quantity = 0.0;
    const QSignalBlocker blocker(lbPresupuestos);
    lbPresupuestos->clear();
    const std::string excluded = ExcludedCode.toStdString();
    for (const auto& entry : Document->Budgets.List()) {
        TInsumoCompuesto* budget = entry->AsCompuesto();
        if (!budget || budget->SubKind() != estimating::kSubKindBudget)
            continue;
        if (budget->ContainsBudget(excluded))
            continue;
        picker_lists::InsertSorted(*lbPresupuestos, QString::fromStdString(budget->Name()), budget);
    }
}

TInsumoCompuesto* TAddPresuForm::SelectedBudget() const {
    const int row = lbPresupuestos->currentRow();
    if (row < 0 || !lbPresupuestos->item(row)->isSelected())
        return nullptr;
    return static_cast<TInsumoCompuesto*>(picker_lists::ObjectAt(*lbPresupuestos, row));
}

void TAddPresuForm::btnAcceptClick() {
    TInsumoCompuesto* budget = SelectedBudget();
    if (!budget)
        return;
    double quantity = 0.0;
    try {
        const std::string text = edtCant->text().toStdString();
        quantity = estimating::StrToFloat(text);
        estimating::RequireFiniteResult(text, quantity * budget->ComputePrice());
        if (Holder)
            RequireFinitePricesWithLine(*Document, *Holder, *budget, quantity, text);
    } catch (const std::exception& e) {
        modal::showMessage(QString::fromUtf8(e.what()));
        return;
    }
    ChosenCode = QString::fromStdString(budget->Code());
    Quantity = quantity;
    Cancelled = 0;
    accept();
}

void TAddPresuForm::btnCancelClick() {
    reject();
}
