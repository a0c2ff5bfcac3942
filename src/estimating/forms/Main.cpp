#include "Main.h"

#include "AboutFrm.h"
#include "AppHelp.h"
#include "Database.h"
#include "DetallePresuFrm.h"
#include "Frame2.h"
#include "ItemGrid.h"
#include "MyStrings.h"
#include "MyUtils.h"
#include "PresupuestosFrm.h"
#include "ReportFrm.h"

#include "ModalSeam.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <exception>
#include <vector>

using namespace estimating;

TDocument* Document = nullptr;
QString DatabasesDir;
QStringList* CostTypeNames = nullptr;
TMainForm* MainForm = nullptr;

QString ApplicationTitle() {
    return QStringLiteral("Obravel");
}

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}
QString res(TResString id) {
    return q(LoadResString(id));
}
QString fixed(double value, int width, int decimals) {
    return q(FormatFixed(value, width, decimals));
}

const QString kDatabasePrefix = QStringLiteral("Database : ");

enum TreeImage { ImgContainer = 0, ImgLine = 2 };

constexpr std::size_t kMaxDivisionDepth = 200;

// Counts nested fills so that the widgets' change signals of our own making are not taken for
// the user's.
class FillGuard {
public:
    explicit FillGuard(int& depth) : depth_(depth) { ++depth_; }
    ~FillGuard() { --depth_; }
    FillGuard(const FillGuard&) = delete;
    FillGuard& operator=(const FillGuard&) = delete;

private:
    int& depth_;
};

// Runs a file command; a failure of its own steps is shown after "Error".
template <class F> void fileCommand(F&& body) {
    try {
        body();
    } catch (const std::exception& e) {
        modal::showMessage(res(SError) + QString::fromUtf8(e.what()));
    }
}

template <class F> void forEachNode(QTreeWidget* tree, F&& visit) {
    std::vector<QTreeWidgetItem*> stack;
    for (int i = tree->topLevelItemCount() - 1; i >= 0; --i)
        stack.push_back(tree->topLevelItem(i));
    while (!stack.empty()) {
        QTreeWidgetItem* node = stack.back();
        stack.pop_back();
        visit(static_cast<TTreeNode*>(node));
        for (int i = node->childCount() - 1; i >= 0; --i)
            stack.push_back(node->child(i));
    }
}

} // namespace

// What one grid row is made of, copied before any price is worked out: computing a price may
// rebuild the very list the row came from.
struct TGridSource {
    std::uint8_t Kind;
    std::uint8_t SubKind;
    std::string Code;
    double Quantity;
};

// ---------------------------------------------------------------------------------------------
// Construction

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainForm"));
    resize(800, 542);
    BuildMenus();
    BuildToolBar();
    BuildClientArea();
    ConnectHandlers();
    FormCreate();
}

TMainForm::~TMainForm() {
    FormDestroy();
}

QToolButton* TMainForm::AddToolButton(const char* name, const QString& hint, int icon) {
    auto* button = new QToolButton(ToolBar2);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setStatusTip(hint);
    button->setAutoRaise(true);
    button->setIcon(style()->standardIcon(static_cast<QStyle::StandardPixmap>(icon)));
    ToolBar2->addWidget(button);
    return button;
}

void TMainForm::BuildMenus() {
    auto action = [](QMenu* menu, const char* name, const QString& text, const QString& hint = {}) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        a->setStatusTip(hint);
        return a;
    };
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    FileMenu = bar->addMenu(QStringLiteral("&File"));
    FileMenu->setObjectName(QStringLiteral("FileMenu"));
    FileNewItem = action(FileMenu, "FileNewItem", QStringLiteral("&New database"),
                         QStringLiteral("Create a new file"));
    FileOpenItem = action(FileMenu, "FileOpenItem", QStringLiteral("&Open..."),
                          QStringLiteral("Open an existing file"));
    FileSaveItem = action(FileMenu, "FileSaveItem", QStringLiteral("&Save"),
                          QStringLiteral("Save current file"));
    FileSaveAsItem = action(FileMenu, "FileSaveAsItem", QStringLiteral("Save &as..."),
                            QStringLiteral("Save current file under a new name"));
    FileMenu->addSeparator();
    FileExitItem = action(FileMenu, "FileExitItem", QStringLiteral("E&xit"),
                          QStringLiteral("Exit this application"));

    Database = bar->addMenu(QStringLiteral("Database"));
    Database->setObjectName(QStringLiteral("Database"));
    MenuUnidades = action(Database, "MenuUnidades", QStringLiteral("Units"));
    Compuestos1 = action(Database, "Compuestos1", QStringLiteral("Compound's categories"));
    Simples1 = action(Database, "Simples1", QStringLiteral("Primary's subcategories"));
    OpenSimples = action(Database, "OpenSimples", QStringLiteral("Primaries"));
    OpenCompuestos = action(Database, "OpenCompuestos", QStringLiteral("Compounds"));
    OpenPresupuestos = action(Database, "OpenPresupuestos", QStringLiteral("Budgets..."));

    Ayuda = bar->addMenu(QStringLiteral("Help"));
    Ayuda->setObjectName(QStringLiteral("Ayuda"));
    Contenido = action(Ayuda, "Contenido", QStringLiteral("Contents"));
    Sep = Ayuda->addSeparator();
    Sep->setObjectName(QStringLiteral("Sep"));
    About = action(Ayuda, "About", QStringLiteral("About ..."));
}

void TMainForm::BuildToolBar() {
    ToolBar2 = addToolBar(QStringLiteral("ToolBar2"));
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    ToolBar2->setMovable(false);
    ToolBar2->setIconSize(QSize(20, 20));
    ToolBar2->addSeparator();
    btnAddItem =
        AddToolButton("btnAddItem", QStringLiteral("Add item."), QStyle::SP_FileDialogNewFolder);
    btnDelItem = AddToolButton("btnDelItem", QStringLiteral("Delete item (division or item)."),
                               QStyle::SP_TrashIcon);
    btnUpdate = AddToolButton("btnUpdate", QStringLiteral("Rename element."),
                              QStyle::SP_FileDialogContentsView);
    btnClonar = AddToolButton("btnClonar", QStringLiteral("Duplicate this budget."),
                              QStyle::SP_FileLinkIcon);
    btnUpdateTree =
        AddToolButton("btnUpdateTree", QStringLiteral("Refresh tree."), QStyle::SP_BrowserReload);
    btnPropiedades = AddToolButton("btnPropiedades", QStringLiteral("Budget data."),
                                   QStyle::SP_FileDialogInfoView);
    btnPresupuestos = AddToolButton("btnPresupuestos", QStringLiteral("Open Budgets Form."),
                                    QStyle::SP_FileDialogListView);
    ToolBar2->addSeparator();
    btnDown =
        AddToolButton("btnDown", QStringLiteral("Move node downwards."), QStyle::SP_ArrowDown);
    btnUp = AddToolButton("btnUp", QStringLiteral("Move node upwards."), QStyle::SP_ArrowUp);
    ToolBar2->addSeparator();
    btnOpen =
        AddToolButton("btnOpen", QStringLiteral("Open database."), QStyle::SP_DialogOpenButton);
    btnSave = AddToolButton("btnSave", QStringLiteral("Save all."), QStyle::SP_DialogSaveButton);
    btnNewDB = AddToolButton("btnNewDB", QStringLiteral("New database."), QStyle::SP_FileIcon);
    ToolBar2->addSeparator();
    btnControlPanel = AddToolButton("btnControlPanel", QStringLiteral("Open control form."),
                                    QStyle::SP_ComputerIcon);
    btnHelp = AddToolButton("btnHelp", QStringLiteral("Help."), QStyle::SP_DialogHelpButton);
    ToolBar2->addSeparator();
    stTipo = new QLabel(ToolBar2);
    stTipo->setObjectName(QStringLiteral("stTipo"));
    stTipo->setAlignment(Qt::AlignCenter);
    stTipo->setFrameShape(QFrame::Panel);
    stTipo->setFrameShadow(QFrame::Sunken);
    stTipo->setFixedWidth(304);
    QFont bold = stTipo->font();
    bold.setBold(true);
    stTipo->setFont(bold);
    ToolBar2->addWidget(stTipo);
}

void TMainForm::BuildClientArea() {
    Splitter2 = new QSplitter(Qt::Vertical, this);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter1 = new QSplitter(Qt::Horizontal, Splitter2);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));

    tvPresu = new QTreeWidget(Splitter1);
    tvPresu->setObjectName(QStringLiteral("tvPresu"));
    tvPresu->setHeaderHidden(true);
    tvPresu->setColumnCount(1);
    tvPresu->setSelectionMode(QAbstractItemView::SingleSelection);
    tvPresu->setUniformRowHeights(true);
    tvPresu->viewport()->installEventFilter(this);

    frame1 = new TmyFrame(Splitter1);
    Splitter1->addWidget(tvPresu);
    Splitter1->addWidget(frame1);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({337, 463});

    gridItems = new QTableView(Splitter2);
    gridItems->setObjectName(QStringLiteral("gridItems"));
    GridModel = new TItemGridModel(gridItems);
    gridItems->setModel(GridModel);
    QFont mono(QStringLiteral("Courier New"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setFixedPitch(true);
    mono.setPointSize(9);
    gridItems->setFont(mono);
    gridItems->setTextElideMode(Qt::ElideNone);
    gridItems->verticalHeader()->hide();
    gridItems->verticalHeader()->setDefaultSectionSize(18);
    gridItems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridItems->setSelectionBehavior(QAbstractItemView::SelectRows);
    gridItems->setWordWrap(false);
    gridItems->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    gridItems->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Splitter2->addWidget(Splitter1);
    Splitter2->addWidget(gridItems);
    Splitter2->setStretchFactor(0, 1);
    Splitter2->setStretchFactor(1, 0);
    Splitter2->setSizes({330, 157});
    setCentralWidget(Splitter2);

    StBar = new QLabel(this);
    StBar->setObjectName(QStringLiteral("StBar"));
    statusBar()->addWidget(StBar, 1);
    statusBar()->setFixedHeight(22);
}

void TMainForm::ConnectHandlers() {
    auto on = [this](QAction* action, void (TMainForm::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { modal::guarded([&] { (this->*handler)(); }); });
    };
    auto click = [this](QAbstractButton* button, void (TMainForm::*handler)()) {
        connect(button, &QAbstractButton::clicked, this,
                [this, handler] { modal::guarded([&] { (this->*handler)(); }); });
    };
    on(FileNewItem, &TMainForm::FileNew);
    on(FileOpenItem, &TMainForm::FileOpen);
    on(FileSaveItem, &TMainForm::FileSave);
    on(FileSaveAsItem, &TMainForm::FileSaveAs);
    on(FileExitItem, &TMainForm::FileExit);
    on(MenuUnidades, &TMainForm::MenuUnidadesClick);
    on(Compuestos1, &TMainForm::RubrosClick);
    on(Simples1, &TMainForm::OpenSubCategorias);
    on(OpenSimples, &TMainForm::OpenSimplesClick);
    on(OpenCompuestos, &TMainForm::OpenCompuestosClick);
    on(OpenPresupuestos, &TMainForm::OpenPresupuestosClick);
    on(Contenido, &TMainForm::ContenidoClick);
    on(About, &TMainForm::AboutClick);
    click(btnNewDB, &TMainForm::FileNew);
    click(btnOpen, &TMainForm::FileOpen);
    click(btnPresupuestos, &TMainForm::OpenPresupuestosClick);
    click(btnControlPanel, &TMainForm::btnControlClick);
    click(btnHelp, &TMainForm::ContenidoClick);
    click(btnUpdateTree, &TMainForm::btnUpdateTreeClick);
    click(btnPropiedades, &TMainForm::btnPropiedades_Click);
    click(btnSave, &TMainForm::btnSave_Click);
    click(frame1->chkExplosion, &TMainForm::chkExplosionClick);
    click(frame1->btnReport, &TMainForm::frame1btnReportClick);
    click(frame1->btnVerReporte, &TMainForm::frame1btnVerReporteClick);
    for (QRadioButton* radio : {frame1->rbMat, frame1->rbMao, frame1->rbEqu, frame1->rbSub,
                                frame1->rbOtros, frame1->rbTodos}) {
        connect(radio, &QRadioButton::clicked, this,
                [this, radio] { modal::guarded([&] { rbCategoriasClick(radio); }); });
    }
    connect(tvPresu, &QTreeWidget::itemClicked, this,
            [this] { modal::guarded([&] { tvPresuClick(); }); });
    connect(tvPresu, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        modal::guarded([&] { tvPresuKeySelect(current); });
    });
}

// ---------------------------------------------------------------------------------------------
// Start and end

void TMainForm::FormCreate() {
    ImageList2 = {style()->standardIcon(QStyle::SP_DirIcon),
                  style()->standardIcon(QStyle::SP_DirOpenIcon),
                  style()->standardIcon(QStyle::SP_FileIcon)};
    Document = new TDocument;
    RootItem = std::make_unique<TItem>();
    SetupItemGrid();
    Explosion = 0;
    frame1->rbTodos->setChecked(true);
    CategoryFilter.clear();
    frame1->chkExplosion->setChecked(false);
    for (int k = 0; k < kCostTypeCount; ++k)
        frame1->setBarWidth(k, 0);
    setWindowTitle(ApplicationTitle());
    frame1->btnEditCant->setEnabled(false);
    for (QToolButton* b :
         {btnUpdate, btnAddItem, btnDelItem, btnClonar, btnPropiedades, btnSave, btnUp, btnDown})
        b->setEnabled(false);
    SetDatabaseMenus(false);
    StBar->clear();
    EnableCategoryButtons();
}

void TMainForm::FormDestroy() {
    {
        const QSignalBlocker blocker(tvPresu);
        tvPresu->clear();
    }
    CurrentBudget = nullptr;
    SelectedInsumo = nullptr;
    delete Document;
    Document = nullptr;
    RootItem.reset();
}

modal::FileDialog TMainForm::DatabaseDialog(const QString& caption) const {
    modal::FileDialog d;
    d.caption = caption;
    d.initialDir = DatabasesDir;
    d.filter = QStringLiteral("Estimates (*.cdb);;All Files (*)");
    d.defaultSuffix = QStringLiteral("cdb");
    return d;
}

// ---------------------------------------------------------------------------------------------
// File commands

void TMainForm::UpdateSaveButton() {
    btnSave->setEnabled(Document && Document->Saved == 0);
}

void TMainForm::ShowDatabaseStatus(const QString& fileName) {
    StBar->setText(kDatabasePrefix + fileName);
}

bool TMainForm::AskSaveChanges(bool withCancel) {
    if (Document->Saved != 0)
        return true;
    const modal::Answer answer = modal::showMessage(
        res(SFileChanged), {}, withCancel ? modal::Buttons::YesNoCancel : modal::Buttons::YesNo,
        modal::Icon::Question);
    if (answer == modal::Answer::Cancel)
        return false;
    if (answer != modal::Answer::Yes)
        return true;
    FileSave();
    // A save the user asked for that failed or was abandoned must not lose the work.
    return Document->Saved != 0;
}

bool TMainForm::ConfirmOverwrite(const QString& fileName) {
    if (!QFileInfo::exists(fileName))
        return true;
    return modal::showMessage(res(SFileExists), {}, modal::Buttons::YesNo, modal::Icon::Question) ==
           modal::Answer::Yes;
}

void TMainForm::EmptyBudgetView() {
    ShownNode = nullptr;
    {
        const QSignalBlocker blocker(tvPresu);
        tvPresu->clear();
    }
    ClearDetails();
    CurrentBudget = nullptr;
    CurrentBudgetCode.clear();
    SelectedInsumo = nullptr;
    RootAdded = false;
    *RootItem = TItem{};
    DisableNodeCommands();
    btnClonar->setEnabled(false);
    btnPropiedades->setEnabled(false);
}

void TMainForm::ReplaceDocument(const QString& fileName) {
    EmptyBudgetView();
    auto fresh = std::make_unique<TDocument>();
    fresh->SetFileName(fileName.toStdString());
    delete Document;
    Document = fresh.release();
}

void TMainForm::FileNew() {
    fileCommand([this] {
        if (!AskSaveChanges(true))
            return;
        const QString name = modal::seam().inputBox(res(SNewDatabase), res(SInputName), {});
        if (name.isEmpty()) {
            modal::showMessage(QStringLiteral("Type a name for the new database."));
            return;
        }
        const QString fileName = name + QStringLiteral(".cdb");
        if (!ConfirmOverwrite(fileName))
            return;
        ReplaceDocument(fileName);
        Document->Saved = 0;
        UpdateSaveButton();
        EnableDatabaseMenus();
        ShowDatabaseStatus(fileName);
    });
    UpdateSaveButton();
}

void TMainForm::FileOpen() {
    fileCommand([this] {
        if (!AskSaveChanges(false))
            return;
        const auto chosen = modal::seam().openFile(DatabaseDialog(QStringLiteral("Open")));
        if (!chosen)
            return;
        ReplaceDocument(*chosen);
        const bool complete = Document->Load();
        Document->Saved = 1;
        if (complete) {
            EnableDatabaseMenus();
        } else {
            // What could be read stays for the user to look at, but a save must never go back
            // over the damaged file without the user choosing a file.
            Document->SetFileName({});
            SetDatabaseMenus(true);
        }
        ShowDatabaseStatus(*chosen);
        if (Document->Budgets.Count() > 0)
            OpenPresupuestosClick();
    });
    UpdateSaveButton();
}

void TMainForm::FileSave() {
    fileCommand([this] {
        if (Document->FileName().empty()) {
            FileSaveAs();
            return;
        }
        Document->Save();
    });
    UpdateSaveButton();
}

void TMainForm::FileSaveAs() {
    fileCommand([this] {
        modal::FileDialog d = DatabaseDialog(QStringLiteral("Save as"));
        d.initialName = q(Document->FileName());
        const auto chosen = modal::seam().saveFile(d);
        if (!chosen)
            return;
        if (!ConfirmOverwrite(*chosen))
            return;
        Document->SetFileName(chosen->toStdString());
        Document->Save();
        UpdateSaveButton();
        ShowDatabaseStatus(*chosen);
    });
    UpdateSaveButton();
}

void TMainForm::FileExit() {
    close();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    bool goOn = false;
    modal::guarded([&] { goOn = AskSaveChanges(false); });
    if (goOn)
        event->accept();
    else
        event->ignore();
}

// ---------------------------------------------------------------------------------------------
// Openers, help, about

void TMainForm::SetDatabaseMenus(bool on) {
    for (QAction* a :
         {MenuUnidades, Compuestos1, Simples1, OpenSimples, OpenCompuestos, OpenPresupuestos})
        a->setEnabled(on);
}

void TMainForm::EnableDatabaseMenus() {
    SetDatabaseMenus(!Document->FileName().empty());
}

// The catalogue dialogs are not part of the program yet; their openers stay in place.
void TMainForm::MenuUnidadesClick() {
    UpdateSaveButton();
}
void TMainForm::RubrosClick() {}
void TMainForm::OpenSubCategorias() {}
void TMainForm::OpenSimplesClick() {}
void TMainForm::OpenCompuestosClick() {}
void TMainForm::btnControlClick() {}

void TMainForm::ContenidoClick() {
    SetApplicationHelpFile(QStringLiteral("Help.hlp"));
    ShowHelpTopic(QStringLiteral("overview"));
}

void TMainForm::AboutClick() {
    modal::seam().runModal(*AboutBox);
}

// ---------------------------------------------------------------------------------------------
// Choosing a budget and filling the tree

void TMainForm::OpenPresupuestosClick() {
    TPresupuestosForm dialog(this);
    if (CurrentBudget)
        dialog.ExcludedBudget = CurrentBudget;
    modal::seam().runModal(dialog);
    if (dialog.Cancelled != 0) {
        if (!CurrentBudget) {
            EmptyBudgetView();
            setWindowTitle(ApplicationTitle());
        }
    } else if (!dialog.ChosenCode.isEmpty()) {
        TInsumo* chosen = Document->Budgets.Find(dialog.ChosenCode.toStdString());
        if (chosen && chosen->AsCompuesto()) {
            ShowBudget(chosen->AsCompuesto());
            ReportForm->ClearReport();
            setWindowTitle(ApplicationTitle() + QStringLiteral(" - ") + q(chosen->Name()));
        }
    }
    UpdateSaveButton();
}

void TMainForm::ShowBudget(TInsumoCompuesto* budget) {
    CurrentBudget = budget;
    CurrentBudgetCode = budget->Code();
    RootAdded = false;
    FillBudgetTree();
    ShowSelection();
}

void TMainForm::FillBudgetTree() {
    if (!CurrentBudget)
        return;
    // Found again by code: the budget object itself may be gone.
    TInsumo* found = Document->Budgets.Find(CurrentBudgetCode);
    if (!found || !found->AsCompuesto()) {
        EmptyBudgetView();
        return;
    }
    CurrentBudget = found->AsCompuesto();
    FillGuard filling(Filling);
    const QSignalBlocker blocker(tvPresu);
    SelectedInsumo = nullptr;
    tvPresu->clear();

    *RootItem = TItem{};
    RootItem->Kind = kKindCompound;
    RootItem->SubKind = kSubKindBudget;
    RootItem->Insumo = CurrentBudget;
    RootItem->Name = CurrentBudget->Name();
    RootItem->Code = CurrentBudget->Code();
    RootItem->Quantity = 1.0;
    auto* root = new TTreeNode(RootItem.get(), true);
    root->setText(0, q(RootItem->Name));
    root->setIcon(0, ImageList2[ImgContainer]);
    tvPresu->addTopLevelItem(root);
    RootAdded = true;

    DivisionPath.clear();
    DivisionPath.push_back(CurrentBudget);
    TItems& lines = CurrentBudget->Items();
    for (int i = 0; i < lines.Count(); ++i) {
        FillParentNode = root;
        AddItemNode(&lines.Item(i));
    }
    DivisionPath.clear();
    FillParentNode = nullptr;

    tvPresu->setCurrentItem(root);
    ShownNode = root;
    SelectedInsumo = CurrentBudget;
    root->setExpanded(true);
    UpdateSaveButton();
    btnClonar->setEnabled(true);
    btnPropiedades->setEnabled(true);
    frame1->stCant->setEnabled(false);
    SetNodeCommands(root);
}

void TMainForm::AddItemNode(TItem* line) {
    if (!line->Insumo)
        return;
    line->Name = line->Insumo->Name();
    TInsumoCompuesto* division =
        line->SubKind == kSubKindDivision ? line->Insumo->AsCompuesto() : nullptr;
    auto* node = new TTreeNode(line, line->SubKind == kSubKindDivision);
    node->setText(0, q(line->Name));
    node->setIcon(0, ImageList2[node->Container ? ImgContainer : ImgLine]);
    FillParentNode->addChild(node);
    // A division already being filled above this one, or nested deeper than any real budget
    // goes (both only in a damaged file), is shown but not opened, so the fill always ends.
    if (division && DivisionPath.size() < kMaxDivisionDepth &&
        std::find(DivisionPath.begin(), DivisionPath.end(), division) == DivisionPath.end()) {
        DivisionPath.push_back(division);
        TItems& lines = division->Items();
        for (int i = 0; i < lines.Count(); ++i) {
            FillParentNode = node;
            AddItemNode(&lines.Item(i));
        }
        DivisionPath.pop_back();
    }
    FillParentNode = node->parent();
}

void TMainForm::btnUpdateTreeClick() {
    RefreshTree();
}

void TMainForm::btnPropiedades_Click() {
    TDetallePresuForm dialog(this);
    if (CurrentBudget) {
        dialog.Budget = CurrentBudget;
        modal::seam().runModal(dialog);
        RootItem->Name = CurrentBudget->Name();
        if (QTreeWidgetItem* root = tvPresu->topLevelItem(0))
            root->setText(0, q(CurrentBudget->Name()));
        frame1->stNombre->setText(q(CurrentBudget->Name()));
        frame1->stUnidad->setText(q(CurrentBudget->Unit()));
    }
    UpdateSaveButton();
}

void TMainForm::btnSave_Click() {
    // Without a file name (a damaged file was opened) the user chooses where to write.
    if (Document->FileName().empty())
        FileSaveAs();
    else
        Document->Save();
    UpdateSaveButton();
}

void TMainForm::RefreshTree() {
    std::vector<bool> openStates;
    forEachNode(tvPresu, [&](TTreeNode* node) {
        if (node->Container)
            openStates.push_back(node->isExpanded());
    });
    RootAdded = false;
    setUpdatesEnabled(false);
    FillBudgetTree();
    std::size_t k = 0;
    {
        const QSignalBlocker blocker(tvPresu);
        forEachNode(tvPresu, [&](TTreeNode* node) {
            if (node->Container && k < openStates.size())
                node->setExpanded(openStates[k++]);
        });
    }
    // The panel and the grid follow the root, which is now the selected node.
    ShowSelection();
    setUpdatesEnabled(true);
    UpdateSaveButton();
}

void TMainForm::RenameTreeNodes(const QString& code, const QString& newName) {
    const std::string key = code.toStdString();
    QTreeWidgetItem* root = tvPresu->topLevelItemCount() > 0 ? tvPresu->topLevelItem(0) : nullptr;
    forEachNode(tvPresu, [&](TTreeNode* node) {
        if (node != root && node->Line->Code == key)
            node->setText(0, newName);
    });
}

// ---------------------------------------------------------------------------------------------
// Selecting a node

TTreeNode* TMainForm::SelectedNode() const {
    return static_cast<TTreeNode*>(tvPresu->currentItem());
}

TItem* TMainForm::SelectedLine() const {
    TTreeNode* node = SelectedNode();
    return node ? node->Line : nullptr;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tvPresu->viewport() && event->type() == QEvent::MouseButtonPress) {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        tvPresuMouseDown(at.x(), at.y());
    }
    if (watched == tvPresu->viewport() && event->type() == QEvent::MouseButtonRelease) {
        // A press that selected a node but ended elsewhere makes no click; the panel and the
        // commands must still follow the node now selected.
        QTimer::singleShot(0, this, [this] {
            modal::guarded([&] {
                auto* current = static_cast<TTreeNode*>(tvPresu->currentItem());
                if (current && current != ShownNode && Filling == 0)
                    NodeSelected(current);
            });
        });
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::tvPresuMouseDown(int x, int y) {
    MouseDownX = x;
    MouseDownY = y;
}

void TMainForm::tvPresuClick() {
    QTreeWidgetItem* hit = tvPresu->itemAt(MouseDownX, MouseDownY);
    if (!hit || hit != tvPresu->currentItem())
        return;
    NodeSelected(static_cast<TTreeNode*>(hit));
}

void TMainForm::tvPresuKeySelect(QTreeWidgetItem* current) {
    // A mouse press selects too; its click follows and does the work once.
    if (Filling > 0 || !current || QApplication::mouseButtons() != Qt::NoButton)
        return;
    NodeSelected(static_cast<TTreeNode*>(current));
}

void TMainForm::NodeSelected(TTreeNode* node) {
    ShownNode = node;
    TItem* line = node->Line;
    if (!line->Insumo)
        return;
    SelectedInsumo = line->Insumo;
    SetNodeCommands(node);
    ShowSelection();
}

void TMainForm::DisableNodeCommands() {
    for (QToolButton* b : {btnAddItem, btnDelItem, btnUpdate, btnUp, btnDown})
        b->setEnabled(false);
    frame1->btnEditCant->setEnabled(false);
}

void TMainForm::SetNodeCommands(TTreeNode* node) {
    DisableNodeCommands();
    const TItem* line = node->Line;
    if (!line->Insumo || !CurrentBudget)
        return;
    QTreeWidgetItem* parent = node->parent();
    const int index = parent ? parent->indexOfChild(node) : 0;
    const int siblings = parent ? parent->childCount() : 1;
    const bool movable = parent != nullptr;
    const bool lineLike = line->Insumo->Kind() == kKindPrimary ||
                          line->SubKind == kSubKindCompound || line->SubKind == kSubKindBudget;
    if (lineLike && line->Code == CurrentBudget->Code() && !parent) {
        btnAddItem->setEnabled(true);
    } else if (lineLike) {
        btnDelItem->setEnabled(true);
        frame1->btnEditCant->setEnabled(true);
        btnUp->setEnabled(movable && index > 0);
        btnDown->setEnabled(movable && index < siblings - 1);
    } else if (line->Insumo->SubKind() == kSubKindDivision) {
        btnAddItem->setEnabled(true);
        btnDelItem->setEnabled(true);
        btnUpdate->setEnabled(true);
        btnUp->setEnabled(movable && index > 0);
        btnDown->setEnabled(movable && index < siblings - 1);
    }
}

// ---------------------------------------------------------------------------------------------
// Detail panel

void TMainForm::ClearDetails() {
    for (QLabel* l :
         {frame1->stNombre, frame1->stUnidad, frame1->stCant, frame1->stPU, frame1->stTotal})
        l->clear();
    for (int k = 0; k < kCostTypeCount; ++k) {
        frame1->costAmount(k)->clear();
        frame1->costPercent(k)->clear();
        frame1->setBarWidth(k, 0);
    }
    ClearItemGrid();
}

void TMainForm::ShowItemDetails() {
    ShowDetails();
}

std::optional<double> TMainForm::ShowDetails() {
    ClearDetails();
    TTreeNode* node = SelectedNode();
    if (!SelectedInsumo || !node || !node->Line->Insumo)
        return std::nullopt;
    const TItem& line = *node->Line;
    TInsumo& input = *line.Insumo;
    const double quantity = line.Quantity;
    stTipo->setText(KindText(line));
    frame1->stNombre->setText(q(line.Name));
    frame1->stUnidad->setText(q(input.Unit()));
    frame1->stCant->setText(fixed(quantity, 0, 3));
    TInsumoCompuesto* compound = line.Kind == kKindPrimary ? nullptr : input.AsCompuesto();
    const double price = compound ? compound->ComputePrice() : input.Price();
    frame1->stPU->setText(fixed(price, 0, 2));
    frame1->stTotal->setText(fixed(quantity * price, 0, 2));
    if (!compound)
        return std::nullopt;
    const auto& amounts = compound->CostAmounts();
    for (int k = 0; k < kCostTypeCount; ++k)
        frame1->costAmount(k)->setText(fixed(amounts[k] * quantity, 0, 2));
    if (price > 0 && quantity > 0) {
        const int canvasWidth = frame1->shCanvas->width();
        for (int k = 0; k < kCostTypeCount; ++k) {
            const double share = (amounts[k] * quantity) / (price * quantity) * 100;
            frame1->costPercent(k)->setText(fixed(share, 0, 2));
            const double width = std::clamp(canvasWidth * share / 100, 0.0, double(canvasWidth));
            frame1->setBarWidth(k, static_cast<int>(width));
        }
    }
    return price;
}

void TMainForm::ShowSelection() {
    // The panel has just exploded the selected input and worked out its price; the grid uses
    // both as they are.
    const std::optional<double> price = ShowDetails();
    FillGrid(price);
}

QString TMainForm::KindText(const TItem& line) {
    if (line.Kind == kKindPrimary)
        return QStringLiteral("PRIMARY");
    switch (line.SubKind) {
    case kSubKindCompound:
        return QStringLiteral("COMPOUND");
    case kSubKindBudget:
        return QStringLiteral("BUDGET");
    case kSubKindDivision:
        return QStringLiteral("DIVISION");
    default:
        return {};
    }
}

// ---------------------------------------------------------------------------------------------
// Item grid

void TMainForm::SetupItemGrid() {
    // The design widths, widened where this font would not show a whole figure.
    const QFontMetrics metrics(gridItems->font());
    for (int c = 0; c < TItemGridModel::ColumnCount; ++c) {
        const int figure =
            metrics.horizontalAdvance(QString(TItemGridModel::FigureWidth(c), QLatin1Char('0')));
        gridItems->setColumnWidth(c, std::max(TItemGridModel::TitleWidth(c), figure + 10));
    }
    ClearItemGrid();
}

void TMainForm::ClearItemGrid() {
    GridModel->Clear();
}

int TMainForm::GridRowCount() const {
    return GridModel->RowCount() + 1;
}

QString TMainForm::GridCell(int row, int col) const {
    if (row == 0)
        return col >= 0 && col < TItemGridModel::ColumnCount ? TItemGridModel::Title(col)
                                                             : QString();
    return GridModel->CellText(row - 1, col);
}

TReportGrid TMainForm::GridCells() const {
    TReportGrid cells;
    for (int row = 0; row < GridRowCount(); ++row) {
        QStringList line;
        for (int col = 0; col < TItemGridModel::ColumnCount; ++col)
            line.append(GridCell(row, col));
        cells.push_back(line);
    }
    return cells;
}

void TMainForm::FillItemGrid() {
    FillGrid(std::nullopt);
}

void TMainForm::FillGrid(std::optional<double> selectedPrice) {
    ClearItemGrid();
    TTreeNode* node = SelectedNode();
    if (!node || node->Line->Kind != kKindCompound || !node->Line->Insumo)
        return;
    TInsumoCompuesto* selected = node->Line->Insumo->AsCompuesto();
    if (!selected || selected->Items().Count() == 0)
        return;

    // Worked out once per fill; it explodes the selected input afresh before its list is read.
    TGridFill fill;
    fill.SelectedQuantity = node->Line->Quantity;
    fill.SelectedPrice = selectedPrice ? *selectedPrice : selected->ComputePrice();

    std::vector<TGridSource> sources;
    if (Explosion == 0) {
        const TItems& lines = selected->Items();
        sources.reserve(static_cast<std::size_t>(lines.Count()));
        for (const auto& line : lines.List())
            sources.push_back({line->Kind, line->SubKind, line->Code, line->Quantity});
    } else {
        const std::string filter = CategoryFilter.toStdString();
        for (const TItem& entry : selected->Items().Exploded()) {
            if (!filter.empty() && (!entry.Insumo || entry.Insumo->Category() != filter))
                continue;
            sources.push_back({entry.Kind, entry.SubKind, entry.Code, entry.Quantity});
        }
    }
    if (sources.empty())
        return;
    std::vector<TGridRow> rows;
    rows.reserve(sources.size());
    for (const TGridSource& source : sources)
        rows.push_back(FillGridRow(source, fill));
    GridModel->SetRows(std::move(rows));
}

// The price of a line's input from its exploded list. The explosion of the selected input that
// comes before every fill rebuilds the lists of all the inputs it reaches, so this is the sum
// ComputePrice would make, without exploding each line's input a second time.
double TMainForm::PriceOfExploded(const TInsumoCompuesto& input) {
    double total = 0.0;
    for (const TItem& entry : input.Items().Exploded())
        if (entry.Insumo)
            total += entry.Insumo->Price() * entry.Quantity;
    return total;
}

TInsumo* TMainForm::FindGridInput(const TGridSource& source) const {
    if (source.Kind == kKindPrimary)
        return Document->Primaries.Find(source.Code);
    if (source.SubKind == kSubKindCompound)
        return Document->Compounds.Find(source.Code);
    return Document->Budgets.Find(source.Code);
}

TGridRow TMainForm::FillGridRow(const TGridSource& source, const TGridFill& fill) const {
    TGridRow row;
    row.Blank = false;
    TInsumo* input = FindGridInput(source);
    if (!input) {
        row.Code = q(source.Code);
        return row;
    }
    row.Found = true;
    row.Code = q(input->Code());
    row.Name = q(input->Name());
    row.Unit = q(input->Unit());
    row.Quantity = fill.SelectedQuantity * source.Quantity;
    const TInsumoCompuesto* compound = source.Kind == kKindPrimary ? nullptr : input->AsCompuesto();
    row.Price = compound ? PriceOfExploded(*compound) : input->Price();
    row.Total = row.Price * row.Quantity;
    const bool shares = fill.SelectedPrice > 0 && fill.SelectedQuantity > 0;
    row.Percent = shares ? row.Total / (fill.SelectedPrice * fill.SelectedQuantity) * 100 : 0.0;
    return row;
}

void TMainForm::EnableCategoryButtons() {
    for (QRadioButton* r : {frame1->rbMat, frame1->rbMao, frame1->rbEqu, frame1->rbSub,
                            frame1->rbOtros, frame1->rbTodos})
        r->setEnabled(Explosion != 0);
}

void TMainForm::chkExplosionClick() {
    Explosion = frame1->chkExplosion->isChecked() ? 1 : 0;
    frame1->rbTodos->setChecked(true);
    CategoryFilter.clear();
    EnableCategoryButtons();
    FillItemGrid();
}

void TMainForm::rbCategoriasClick(QObject* sender) {
    static const struct {
        const char* radio;
        const char* filter;
    } choices[] = {{"rbMat", "Materials"},    {"rbMao", "Labor"},    {"rbEqu", "Equipment"},
                   {"rbSub", "Subcontracts"}, {"rbOtros", "Others"}, {"rbTodos", ""}};
    const QString name = sender ? sender->objectName() : QString();
    for (const auto& c : choices)
        if (name == QLatin1String(c.radio))
            CategoryFilter = QString::fromLatin1(c.filter);
    FillItemGrid();
}

// ---------------------------------------------------------------------------------------------
// Report

void TMainForm::frame1btnReportClick() {
    ReportForm->AddToReport(
        {CurrentBudget, SelectedInsumo, SelectedLine(), Explosion != 0, CategoryFilter},
        GridCells());
}

void TMainForm::frame1btnVerReporteClick() {
    ReportForm->ShowReport();
}
