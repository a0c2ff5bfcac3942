#include "UnidadesFrm.h"

#include "Database.h"
#include "DialogKit.h"
#include "Main.h"
#include "ModalSeam.h"
#include "PickerLists.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

#include <exception>
#include <string>

TUnidadesForm* UnidadesForm = nullptr;

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// The first unit spelt exactly so, else the first one equal without regard to case.
int findUnit(const std::string& name) {
    const estimating::TUnidades& units = Document->Units;
    for (int i = 0; i < units.Count(); ++i)
        if (units.Strings(i) == name)
            return i;
    return units.IndexOf(name);
}

bool hasUnitSpelt(const std::string& name) {
    const estimating::TUnidades& units = Document->Units;
    for (int i = 0; i < units.Count(); ++i)
        if (units.Strings(i) == name)
            return true;
    return false;
}

// Budgets and divisions keep their units: only primaries and compounds follow the list. Inputs
// name their unit, so while an entry of the old name remains they still have it.
void replaceUnitOfInputs(const std::string& from, const std::string& to) {
    if (hasUnitSpelt(from))
        return;
    for (estimating::TInsumos* inputs :
         {static_cast<estimating::TInsumos*>(&Document->Primaries),
          static_cast<estimating::TInsumos*>(&Document->Compounds)}) {
        for (int i = 0; i < inputs->Count(); ++i) {
            estimating::TInsumo& input = inputs->Insumo(i);
            if (input.Unit() == from)
                input.SetUnit(to);
        }
    }
}

void showError(const std::exception& e) {
    modal::showMessage(QStringLiteral("Error: ") + QString::fromUtf8(e.what()));
}

} // namespace

TUnidadesForm::TUnidadesForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("UnidadesForm"));
    setWindowTitle(QStringLiteral("Units"));

    lbUnits = new QListWidget(this);
    lbUnits->setObjectName(QStringLiteral("lbUnits"));
    lbUnits->setSelectionMode(QAbstractItemView::SingleSelection);

    auto makeButton = [this](const char* name, const QString& caption,
                             QStyle::StandardPixmap icon = QStyle::SP_CustomBase) {
        auto* button = NamedButton(this, name, caption);
        if (icon != QStyle::SP_CustomBase)
            button->setIcon(style()->standardIcon(icon));
        return button;
    };
    btnNew = makeButton("btnNew", QStringLiteral("New"));
    btnUpdate = makeButton("btnUpdate", QStringLiteral("Update"));
    btnDelete = makeButton("btnDelete", QStringLiteral("Delete"), QStyle::SP_TrashIcon);
    btnSave = makeButton("btnSave", QStringLiteral("Save"), QStyle::SP_DialogSaveButton);
    btnClose = makeButton("btnClose", QStringLiteral("Close"), QStyle::SP_DialogCloseButton);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btnNew);
    buttons->addWidget(btnUpdate);
    buttons->addWidget(btnDelete);
    buttons->addStretch();
    buttons->addWidget(btnSave);
    buttons->addWidget(btnClose);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(lbUnits);
    layout->addLayout(buttons);

    auto bind = [this](QPushButton* button, void (TUnidadesForm::*handler)()) {
        connect(button, &QPushButton::clicked, this, modal::guardedHandler(this, handler));
    };
    bind(btnNew, &TUnidadesForm::btnNewClick);
    bind(btnUpdate, &TUnidadesForm::btnUpdateClick);
    bind(btnDelete, &TUnidadesForm::btnDeleteClick);
    bind(btnSave, &TUnidadesForm::btnSaveClick);
    bind(btnClose, &TUnidadesForm::btnCloseClick);

    resize(320, 300);
    modal::guarded([this] { FormCreate(); });
}

void TUnidadesForm::FormCreate() {
    {
        const QSignalBlocker blocker(lbUnits);
        lbUnits->clear();
        for (int i = 0; i < Document->Units.Count(); ++i)
            picker_lists::InsertSorted(*lbUnits, fromUtf8(Document->Units.Strings(i)), nullptr);
    }
    UpdateSaveButton();
    CentreOnScreen(*this);
}

int TUnidadesForm::SelectedRow() const {
    const int row = lbUnits->currentRow();
    if (row < 0 || !lbUnits->item(row)->isSelected())
        return -1;
    return row;
}

void TUnidadesForm::MarkChanged() {
    Document->Saved = 0;
    UpdateSaveButton();
}

void TUnidadesForm::UpdateSaveButton() {
    btnSave->setEnabled(Document->Saved == 0);
}

void TUnidadesForm::btnNewClick() {
    try {
        const QString answer = modal::seam().inputBox(
            QStringLiteral("Nueva unidad"), QStringLiteral("Ingrese la nueva unidad"), {});
        if (answer.isEmpty())
            return;
        Document->Units.Add(answer.toStdString());
        {
            const QSignalBlocker blocker(lbUnits);
            picker_lists::InsertSorted(*lbUnits, answer, nullptr);
        }
        MarkChanged();
    } catch (const std::exception& e) {
        showError(e);
    }
}

void TUnidadesForm::btnUpdateClick() {
    const int row = SelectedRow();
    if (row < 0)
        return;
    const QString oldName = lbUnits->item(row)->text();
    const QString answer = modal::seam().inputBox(
        QStringLiteral("Modificar unidad"), QStringLiteral("Ingrese la modificacion"), oldName);
    if (answer.isEmpty())
        return;
    const std::string from = oldName.toStdString();
    const std::string to = answer.toStdString();
    if (const int index = findUnit(from); index >= 0)
        Document->Units.SetString(index, to);
    {
        const QSignalBlocker blocker(lbUnits);
        delete lbUnits->takeItem(row);
        picker_lists::InsertSorted(*lbUnits, answer, nullptr);
        lbUnits->clearSelection();
        lbUnits->setCurrentRow(-1);
    }
    MarkChanged();
    replaceUnitOfInputs(from, to);
}

void TUnidadesForm::btnDeleteClick() {
    const int row = SelectedRow();
    if (row < 0)
        return;
    try {
        if (modal::showMessage(QStringLiteral("Esta seguro de querer eliminar este ítem?"), {},
                               modal::Buttons::OkCancel, modal::Icon::Warning) != modal::Answer::Ok)
            return;
        const std::string name = lbUnits->item(row)->text().toStdString();
        if (const int index = findUnit(name); index >= 0)
            Document->Units.Delete(index);
        {
            const QSignalBlocker blocker(lbUnits);
            delete lbUnits->takeItem(row);
            lbUnits->clearSelection();
            lbUnits->setCurrentRow(-1);
        }
        MarkChanged();
        replaceUnitOfInputs(name, {});
    } catch (const std::exception& e) {
        showError(e);
    }
}

void TUnidadesForm::btnSaveClick() {
    SaveDocumentFromDialog(*Document, [this] { UpdateSaveButton(); });
}

void TUnidadesForm::btnCloseClick() {
    close();
}

void ShowUnidadesForm(QWidget* owner) {
    RunHeldInGlobal(UnidadesForm, owner);
}
