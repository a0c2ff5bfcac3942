#include "DebugFrm.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TDebugForm* DebugForm = nullptr;

TDebugForm::TDebugForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("DebugForm"));
    setWindowTitle(QStringLiteral("Debug Form"));
    memo = new QPlainTextEdit(this);
    memo->setObjectName(QStringLiteral("memo"));
    memo->setPlainText(QStringLiteral("memo"));
    btnClose = new QPushButton(QStringLiteral("Cerrar"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClear = new QPushButton(QStringLiteral("Limpiar"), this);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnClear);
    buttons->addWidget(btnClose);
    auto* all = new QVBoxLayout(this);
    all->addWidget(memo);
    all->addLayout(buttons);
    resize(480, 320);
    FormCreate();
}

void TDebugForm::FormCreate() {
    memo->clear();
}
