#include "ControlCentralFrm.h"

#include "DialogKit.h"
#include "Database.h"
#include "Main.h"
#include "ModalSeam.h"
#include "UnidadesFrm.h"

#include <QAction>
#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

TControlForm* ControlForm = nullptr;

namespace {

// The main window's command, then its Save button brought in line with the document: the
// panel's commands change the database like the menu's do.
void forward(void (TMainForm::*command)()) {
    if (!MainForm)
        return;
    (MainForm->*command)();
    MainForm->UpdateSaveButton();
}

} // namespace

TControlForm::TControlForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ControlForm"));
    setWindowTitle(QStringLiteral("Control Panel"));

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    Label1 = new QLabel(QStringLiteral("CONTROL PANEL"), GroupBox1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    QFont heading = Label1->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.6);
    Label1->setFont(heading);
    auto* Bevel1 = new QFrame(GroupBox1);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);

    auto makeButton = [this](const char* name, const QString& caption,
                             QStyle::StandardPixmap icon) {
        auto* button = new QPushButton(style()->standardIcon(icon), caption, GroupBox1);
        button->setObjectName(QLatin1String(name));
        button->setAutoDefault(false);
        button->setIconSize(QSize(32, 32));
        button->setMinimumSize(200, 48);
        return button;
    };
    btnOpenDB =
        makeButton("btnOpenDB", QStringLiteral("Open database"), QStyle::SP_DialogOpenButton);
    btnRubrosCompuestos = makeButton("btnRubrosCompuestos", QStringLiteral("Compound's categories"),
                                     QStyle::SP_DirIcon);
    btnCompuestos =
        makeButton("btnCompuestos", QStringLiteral("Compounds"), QStyle::SP_FileDialogDetailedView);
    btnSubcategoriasSimples =
        makeButton("btnSubcategoriasSimples", QStringLiteral("Primary's subcategories"),
                   QStyle::SP_DirOpenIcon);
    btnSimples =
        makeButton("btnSimples", QStringLiteral("Primaries"), QStyle::SP_FileDialogListView);
    btnPresupuestos =
        makeButton("btnPresupuestos", QStringLiteral("Budgets"), QStyle::SP_FileDialogContentsView);
    btnUnidades = makeButton("btnUnidades", QStringLiteral("Units"), QStyle::SP_FileDialogInfoView);
    btnClose = makeButton("btnClose", QStringLiteral("Close"), QStyle::SP_DialogCloseButton);

    auto* grid = new QGridLayout;
    grid->addWidget(btnOpenDB, 0, 0);
    grid->addWidget(btnPresupuestos, 0, 1);
    grid->addWidget(btnRubrosCompuestos, 1, 0);
    grid->addWidget(btnCompuestos, 1, 1);
    grid->addWidget(btnSubcategoriasSimples, 2, 0);
    grid->addWidget(btnSimples, 2, 1);
    grid->addWidget(btnUnidades, 3, 0);
    grid->addWidget(btnClose, 3, 1);
    auto* inside = new QVBoxLayout(GroupBox1);
    inside->addWidget(Label1);
    inside->addWidget(Bevel1);
    inside->addLayout(grid);
    auto* outside = new QVBoxLayout(this);
    outside->addWidget(GroupBox1);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    auto bind = [this](QPushButton* button, void (TControlForm::*handler)()) {
        connect(button, &QPushButton::clicked, this, modal::guardedHandler(this, handler));
    };
    bind(btnOpenDB, &TControlForm::btnOpenDBClick);
    bind(btnRubrosCompuestos, &TControlForm::btnRubrosCompuestosClick);
    bind(btnCompuestos, &TControlForm::btnCompuestosClick);
    bind(btnSubcategoriasSimples, &TControlForm::btnSubcategoriasSimplesClick);
    bind(btnSimples, &TControlForm::btnSimplesClick);
    bind(btnPresupuestos, &TControlForm::btnPresupuestosClick);
    bind(btnUnidades, &TControlForm::btnUnidadesClick);
    bind(btnClose, &TControlForm::btnCloseClick);

    modal::guarded([this] { FormCreate(); });
}

void TControlForm::FormCreate() {
    EnableControlButtons();
    adjustSize();
    CentreOnScreen(*this);
}

void TControlForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        modal::guarded([this] { FormShow(); });
}

void TControlForm::FormShow() {
    EnableControlButtons();
}

void TControlForm::EnableControlButtons() {
    // A database read only in part keeps no file name (so that it is never written back over
    // the damaged file) yet is open: the main window's Database menu says so.
    const bool open = (Document && !Document->FileName().empty()) ||
                      (MainForm && MainForm->OpenPresupuestos->isEnabled());
    for (QPushButton* button : {btnSubcategoriasSimples, btnRubrosCompuestos, btnSimples,
                                btnCompuestos, btnPresupuestos, btnUnidades})
        button->setEnabled(open);
}

void TControlForm::btnOpenDBClick() {
    forward(&TMainForm::FileOpen);
    EnableControlButtons();
}

void TControlForm::btnRubrosCompuestosClick() {
    forward(&TMainForm::RubrosClick);
}

void TControlForm::btnCompuestosClick() {
    forward(&TMainForm::OpenCompuestosClick);
}

void TControlForm::btnSubcategoriasSimplesClick() {
    forward(&TMainForm::OpenSubCategorias);
}

void TControlForm::btnSimplesClick() {
    forward(&TMainForm::OpenSimplesClick);
}

void TControlForm::btnPresupuestosClick() {
    forward(&TMainForm::OpenPresupuestosClick);
}

void TControlForm::btnUnidadesClick() {
    ShowUnidadesForm(this);
    if (MainForm)
        MainForm->UpdateSaveButton();
}

void TControlForm::btnCloseClick() {
    close();
}

void ShowControlForm(QWidget* owner) {
    RunHeldInGlobal(ControlForm, owner);
}
