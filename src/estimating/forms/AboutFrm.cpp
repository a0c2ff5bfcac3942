#include "AboutFrm.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    ProgramIcon = new QLabel(this);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setPixmap(style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(48));

    ProductName = new QLabel(QStringLiteral("Obravel"), this);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    QFont big = ProductName->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    ProductName->setFont(big);

    Version = new QLabel(QStringLiteral("Versión 2.3.11"), this);
    Version->setObjectName(QStringLiteral("Version"));

    Comments = new QLabel(QStringLiteral("Construction cost estimating: prices, budgets and "
                                         "their breakdown into primaries."),
                          this);
    Comments->setObjectName(QStringLiteral("Comments"));
    Comments->setWordWrap(true);

    OKButton = new QPushButton(QStringLiteral("Accept"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* head = new QHBoxLayout;
    head->addWidget(ProgramIcon, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->addWidget(ProductName);
    texts->addWidget(Version);
    texts->addSpacing(8);
    texts->addWidget(Comments);
    head->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addStretch();
    auto* all = new QVBoxLayout(this);
    all->addLayout(head);
    all->addStretch();
    all->addLayout(buttons);
    setFixedSize(340, 190);
}
