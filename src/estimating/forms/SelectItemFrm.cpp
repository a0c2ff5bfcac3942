#include "SelectItemFrm.h"

#include "DialogKit.h"
#include "ModalSeam.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

TSelectItemForm::TSelectItemForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SelectItemForm"));
    setWindowTitle(QStringLiteral("Add element"));

    auto* panel = new QGroupBox(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    auto radio = [panel](const char* name, const QString& caption) {
        auto* button = new QRadioButton(caption, panel);
        button->setObjectName(QLatin1String(name));
        return button;
    };
    rbSimple = radio("rbSimple", QStringLiteral("Primary"));
    rbCompuesto = radio("rbCompuesto", QStringLiteral("Compound"));
    rbPresupuesto = radio("rbPresupuesto", QStringLiteral("Budget"));
    rbDivision = radio("rbDivision", QStringLiteral("Division"));
    auto* radios = new QVBoxLayout(panel);
    for (QRadioButton* r : {rbSimple, rbCompuesto, rbPresupuesto, rbDivision})
        radios->addWidget(r);

    btnAccept = new QPushButton(QStringLiteral("Accept"), this);
    btnAccept->setObjectName(QStringLiteral("btnAccept"));
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnAccept);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addLayout(buttons);

    for (QRadioButton* r : {rbSimple, rbCompuesto, rbPresupuesto, rbDivision})
        connect(r, &QRadioButton::clicked, this, [this, r] { modal::guarded([&] { Tipo(r); }); });
    connect(btnAccept, &QPushButton::clicked, this,
            [this] { modal::guarded([this] { btnAcceptClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this,
            [this] { modal::guarded([this] { btnCancelClick(); }); });

    FormCreate();
}

void TSelectItemForm::FormCreate() {
    Cancelled = 1;
    rbDivision->setChecked(true);
    // Checking from code raises no click; the choice must still follow it.
    Tipo(rbDivision);
    adjustSize();
    CentreOnScreen(*this);
}

void TSelectItemForm::Tipo(QObject* sender) {
    static const struct {
        const char* name;
        std::uint8_t kind;
    } kinds[] = {{"rbSimple", 0}, {"rbCompuesto", 1}, {"rbPresupuesto", 2}, {"rbDivision", 3}};
    const QString name = sender ? sender->objectName() : QString();
    for (const auto& k : kinds) {
        if (name == QLatin1String(k.name)) {
            if (auto* radio = qobject_cast<QRadioButton*>(sender))
                radio->setChecked(true);
            ItemKind = k.kind;
        }
    }
}

void TSelectItemForm::btnAcceptClick() {
    Cancelled = 0;
    accept();
}

void TSelectItemForm::btnCancelClick() {
    reject();
}
