#include "Main.h"

#include "AboutFrm.h"
#include "AddItemFrm.h"
#include "AddPresuFrm.h"
#include "AppHelp.h"
#include "CompuestosFrm.h"
#include "ControlCentralFrm.h"
#include "Database.h"
#include "DetallePresuFrm.h"
#include "DialogKit.h"
#include "FitText.h"
#include "Frame2.h"
#include "ItemGrid.h"
#include "MyStrings.h"
#include "MyUtils.h"
#include "PresupuestosFrm.h"
#include "ReportFrm.h"
#include "RubrosFrm.h"
#include "SelectItemFrm.h"
#include "SimplesFrm.h"
#include "SubCategoriasInsumos.h"
#include "UnidadesFrm.h"

#include "ModalSeam.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDrag>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
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
#include <array>
#include <cstdlib>
#include <exception>
#include <limits>
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

// Follows CloneItem's walk: each division it copies, at any depth, takes a code of its own.
void CountDivisionCopies(const TInsumoCompuesto& holder, std::vector<const TInsumoCompuesto*>& path,
                         std::int64_t enough, std::int64_t& count) {
    for (const auto& line : holder.Items().List()) {
        if (count >= enough)
            return;
        const TInsumoCompuesto* division = line->SubKind == kSubKindDivision && line->Insumo
                                               ? line->Insumo->AsCompuesto()
                                               : nullptr;
        if (!division || path.size() >= kMaxDivisionDepth ||
            std::find(path.begin(), path.end(), division) != path.end())
            continue;
        ++count;
        path.push_back(division);
        CountDivisionCopies(*division, path, enough, count);
        path.pop_back();
    }
}

// The codes cloning the budget takes (its copied divisions and itself), counted no further than
// the codes left.
std::int64_t CodesForClone(const TInsumoCompuesto& budget, const TInsumos& budgets) {
    const std::int64_t left =
        std::int64_t{std::numeric_limits<std::int32_t>::max()} - budgets.Counter();
    std::vector<const TInsumoCompuesto*> path{&budget};
    std::int64_t count = 0;
    CountDivisionCopies(budget, path, left, count);
    return count + 1;
}

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

// Saves the document under another name; a save that fails leaves it the name it had, so that
// the next Save does not go to the failed path.
bool SaveDocumentAs(const std::string& fileName) {
    const std::string previous = Document->FileName();
    Document->SetFileName(fileName);
    bool saved = false;
    try {
        saved = Document->Save();
    } catch (...) {
        Document->SetFileName(previous);
        throw;
    }
    if (!saved)
        Document->SetFileName(previous);
    return saved;
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
    SetDialogSaveAs([this] { FileSave(); });
}

TMainForm::~TMainForm() {
    SetDialogSaveAs(nullptr);
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
    // Nodes move by the tree's own rules, never by the view's built-in drag and drop.
    tvPresu->setDragDropMode(QAbstractItemView::NoDragDrop);
    tvPresu->viewport()->setAcceptDrops(true);

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
    auto* figureCells = new TFitCells(gridItems);
    for (int c = 0; c < TItemGridModel::ColumnCount; ++c)
        if (TItemGridModel::FigureWidth(c) > 0)
            gridItems->setItemDelegateForColumn(c, figureCells);
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
    click(btnAddItem, &TMainForm::btnAddItem_Click);
    click(btnDelItem, &TMainForm::btnDelItem_Click);
    click(btnUpdate, &TMainForm::btnUpdate_Click);
    click(btnClonar, &TMainForm::btnClonar_Click);
    click(frame1->btnEditCant, &TMainForm::frame11btnEditCantClick);
    ToolBar2->installEventFilter(this);
    for (QToolButton* arrow : {btnUp, btnDown}) {
        connect(arrow, &QToolButton::clicked, this,
                [this, arrow] { modal::guarded([&] { UpDownDivClick(arrow); }); });
    }
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
    // A click beside the nodes or a Ctrl+click clears the selection, yet the commands still act
    // on the current node: it must keep looking selected.
    connect(tvPresu, &QTreeWidget::itemSelectionChanged, this, [this] {
        QTreeWidgetItem* current = tvPresu->currentItem();
        if (current && !current->isSelected()) {
            const QSignalBlocker blocker(tvPresu);
            current->setSelected(true);
        }
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
    // With no budget shown, the caption and the kind label describe none.
    setWindowTitle(ApplicationTitle());
    stTipo->clear();
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
        // The question below is the only one, also for the database's own file.
        d.confirmOverwrite = false;
        if (!Document->FileName().empty()) {
            const QFileInfo current(q(Document->FileName()));
            d.initialDir = current.absolutePath();
            d.initialName = current.fileName();
        }
        const auto chosen = modal::seam().saveFile(d);
        if (!chosen)
            return;
        if (!ConfirmOverwrite(*chosen))
            return;
        if (!SaveDocumentAs(chosen->toStdString()))
            return;
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
    if (!goOn) {
        event->ignore();
        return;
    }
    event->accept();
    // The program ends with this window; the report window must not keep it running.
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window != this && window->isVisible())
            window->close();
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

namespace {

// Keeps a dialog module's global pointing at the open dialog, also when the dialog fails.
template <class Form> class OpenDialogGlobal {
public:
    OpenDialogGlobal(Form*& global, Form& dialog) : global_(global) { global_ = &dialog; }
    ~OpenDialogGlobal() { global_ = nullptr; }
    OpenDialogGlobal(const OpenDialogGlobal&) = delete;
    OpenDialogGlobal& operator=(const OpenDialogGlobal&) = delete;

private:
    Form*& global_;
};

} // namespace

// A catalogue may change any price, unit or name the panel and the grid show, and clears the
// saved flag on a change: both are brought up to date after each of them.
void TMainForm::CatalogueClosed() {
    ShowSelection();
    UpdateSaveButton();
}

void TMainForm::MenuUnidadesClick() {
    ShowUnidadesForm(this);
    CatalogueClosed();
}

void TMainForm::RubrosClick() {
    ShowRubrosForm(this);
    CatalogueClosed();
}

void TMainForm::OpenSubCategorias() {
    ShowSubcategoriasSimplesForm(this);
    CatalogueClosed();
}

void TMainForm::OpenSimplesClick() {
    {
        TSimplesForm dialog(this);
        const OpenDialogGlobal<TSimplesForm> open(SimplesForm, dialog);
        modal::seam().runModal(dialog);
    }
    CatalogueClosed();
}

void TMainForm::OpenCompuestosClick() {
    {
        TCompuestosForm dialog(this);
        const OpenDialogGlobal<TCompuestosForm> open(CompuestosForm, dialog);
        modal::seam().runModal(dialog);
    }
    CatalogueClosed();
}

void TMainForm::btnControlClick() {
    ShowControlForm(this);
    CatalogueClosed();
}

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
        if (!CurrentBudget)
            EmptyBudgetView();
        else
            ShowSelection(); // the list may have renamed what the panel shows
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
        ShowSelection();
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
    if (watched == ToolBar2 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        modal::guarded([&] { UpDownDivClick(ToolBar2); });
        return false;
    }
    if (watched != tvPresu->viewport())
        return QMainWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* press = static_cast<QMouseEvent*>(event);
        const QPoint at = press->position().toPoint();
        modal::guarded([&] { tvPresuMouseDown(at.x(), at.y(), press->button()); });
        break;
    }
    case QEvent::MouseMove: {
        auto* move = static_cast<QMouseEvent*>(event);
        if (!DragArmed)
            break;
        if (!(move->buttons() & Qt::LeftButton)) {
            DragArmed = false;
            break;
        }
        const QPoint moved = move->position().toPoint() - QPoint(MouseDownX, MouseDownY);
        if (std::abs(moved.x()) >= DragThreshold || std::abs(moved.y()) >= DragThreshold) {
            DragArmed = false;
            modal::guarded([&] { StartNodeDrag(); });
        }
        // The view would otherwise move the selection along with the pointer.
        return true;
    }
    case QEvent::MouseButtonRelease: {
        DragArmed = false;
        // A press that selected a node but ended elsewhere makes no click; the panel and the
        // commands must still follow the node now selected.
        QTimer::singleShot(0, this, [this] {
            modal::guarded([&] {
                auto* current = static_cast<TTreeNode*>(tvPresu->currentItem());
                if (current && current != ShownNode && Filling == 0)
                    NodeSelected(current);
            });
        });
        break;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
        return HandleTreeDragEvent(event);
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::tvPresuMouseDown(int x, int y, Qt::MouseButton button) {
    MouseDownX = x;
    MouseDownY = y;
    const QTreeWidgetItem* hit = tvPresu->itemAt(x, y);
    DragArmed = hit && !IsRootNode(hit) && button == Qt::LeftButton;
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
    // The node's text: a rename reaches the nodes, not the lines.
    frame1->stNombre->setText(node->text(0));
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
    const TBreakDownScope breakDowns;
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
    // The rows' own prices share that break-down wherever it stands for them.
    const TBreakDownScope breakDowns;
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
    // Each row shows its input broken down on its own, as the panel shows it when selected.
    TInsumoCompuesto* compound = source.Kind == kKindPrimary ? nullptr : input->AsCompuesto();
    row.Price = compound ? compound->ComputePrice() : input->Price();
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

// ---------------------------------------------------------------------------------------------
// Editing the budget shown

namespace {

const QString kNodeMimeType = QStringLiteral("application/x-obravel-budget-node");

// The position of this very line in a list, or -1.
int PositionOfLine(const TItems& lines, const TItem* line) {
    const auto& list = lines.List();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == line)
            return static_cast<int>(i);
    return -1;
}

std::size_t BudgetLineCount() {
    std::size_t count = 0;
    for (const auto& entry : Document->Budgets.List())
        if (const TInsumoCompuesto* holder = entry->AsCompuesto())
            count += static_cast<std::size_t>(holder->Items().Count());
    return count;
}

TInsumoCompuesto* FindBudget(const std::string& code) {
    TInsumo* found = Document->Budgets.Find(code);
    return found ? found->AsCompuesto() : nullptr;
}

TItem LineTemplate(std::uint8_t kind, std::uint8_t subKind, TInsumo& input,
                   TInsumoCompuesto& holder, double quantity) {
    TItem line;
    line.Kind = kind;
    line.SubKind = subKind;
    line.Code = input.Code();
    line.Name = input.Name();
    line.Insumo = &input;
    line.Parent = &holder;
    line.ParentCode = holder.Code();
    line.Quantity = quantity;
    return line;
}

// The open state of every node of a subtree, in the order forEach visits them.
std::vector<bool> OpenStates(QTreeWidgetItem* top) {
    std::vector<bool> states;
    std::vector<QTreeWidgetItem*> stack{top};
    while (!stack.empty()) {
        QTreeWidgetItem* node = stack.back();
        stack.pop_back();
        states.push_back(node->isExpanded());
        for (int i = node->childCount() - 1; i >= 0; --i)
            stack.push_back(node->child(i));
    }
    return states;
}

void RestoreOpenStates(QTreeWidgetItem* top, const std::vector<bool>& states) {
    std::size_t k = 0;
    std::vector<QTreeWidgetItem*> stack{top};
    while (!stack.empty() && k < states.size()) {
        QTreeWidgetItem* node = stack.back();
        stack.pop_back();
        node->setExpanded(states[k++]);
        for (int i = node->childCount() - 1; i >= 0; --i)
            stack.push_back(node->child(i));
    }
}

using TNodePath = std::vector<std::string>;

TNodePath PathOf(const QTreeWidgetItem* node) {
    TNodePath path;
    for (; node && node->parent(); node = node->parent())
        path.push_back(static_cast<const TTreeNode*>(node)->Line->Code);
    std::reverse(path.begin(), path.end());
    return path;
}

// The node at this place, or null.
TTreeNode* NodeAt(QTreeWidget* tree, const TNodePath& path) {
    QTreeWidgetItem* at = tree->topLevelItemCount() > 0 ? tree->topLevelItem(0) : nullptr;
    for (std::size_t k = 0; at && k < path.size(); ++k) {
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; !next && i < at->childCount(); ++i)
            if (static_cast<TTreeNode*>(at->child(i))->Line->Code == path[k])
                next = at->child(i);
        at = next;
    }
    return static_cast<TTreeNode*>(at);
}

std::vector<TNodePath> OpenNodePaths(QTreeWidget* tree) {
    std::vector<TNodePath> open;
    forEachNode(tree, [&](TTreeNode* node) {
        if (node->Container && node->isExpanded())
            open.push_back(PathOf(node));
    });
    return open;
}

// A place inside the subtree at `from` moved to the same place under `to`; others as they are.
TNodePath Rebased(const TNodePath& path, const TNodePath& from, const TNodePath& to) {
    if (path.size() < from.size() || !std::equal(from.begin(), from.end(), path.begin()))
        return path;
    TNodePath moved = to;
    moved.insert(moved.end(), path.begin() + static_cast<std::ptrdiff_t>(from.size()), path.end());
    return moved;
}

// Only a damaged file holds one division in two holders; each of them shows its lines.
bool ShownMoreThanOnce(QTreeWidget* tree, const TInsumo* holder) {
    int shown = 0;
    forEachNode(tree, [&](TTreeNode* node) {
        if (node->Container && node->Line->Insumo == holder)
            ++shown;
    });
    return shown > 1;
}

} // namespace

void TMainForm::RebuildTree(const std::vector<TNodePath>& open, const TNodePath& selected) {
    setUpdatesEnabled(false);
    RootAdded = false;
    FillBudgetTree();
    TTreeNode* chosen = NodeAt(tvPresu, selected);
    {
        const QSignalBlocker blocker(tvPresu);
        for (const TNodePath& path : open)
            if (TTreeNode* node = NodeAt(tvPresu, path))
                node->setExpanded(true);
        if (!chosen)
            chosen = NodeAt(tvPresu, {});
        if (chosen)
            tvPresu->setCurrentItem(chosen);
    }
    setUpdatesEnabled(true);
    if (chosen)
        NodeSelected(chosen);
}

bool TMainForm::IsRootNode(const QTreeWidgetItem* node) const {
    return node && tvPresu->topLevelItemCount() > 0 && node == tvPresu->topLevelItem(0);
}

bool TMainForm::IsRootOrDivision(const TTreeNode* node) const {
    return node && (IsRootNode(node) || node->Line->SubKind == kSubKindDivision);
}

void TMainForm::MarkModified() {
    Document->Saved = 0;
    UpdateSaveButton();
}

TTreeNode* TMainForm::AddChildNode(QTreeWidgetItem* parent, TItem* line, bool container) {
    auto* node = new TTreeNode(line, container);
    node->setText(0, q(line->Name));
    node->setIcon(0, ImageList2[container ? ImgContainer : ImgLine]);
    const QSignalBlocker blocker(tvPresu);
    parent->addChild(node);
    parent->setExpanded(true);
    return node;
}

void TMainForm::ShowNewLine(TTreeNode* holderNode, TItem* line, bool container) {
    const TInsumo* holder = holderNode->Line->Insumo;
    if (!holder || !ShownMoreThanOnce(tvPresu, holder)) {
        AddChildNode(holderNode, line, container);
        return;
    }
    std::vector<TNodePath> open = OpenNodePaths(tvPresu);
    const TNodePath at = PathOf(holderNode);
    open.push_back(at);
    RebuildTree(open, at);
}

void TMainForm::PurgeBudgets() {
    const std::size_t before = BudgetLineCount();
    Document->Budgets.PurgeDeleted();
    // Nodes refer to lines; any line the purge freed must take its node with it.
    if (BudgetLineCount() != before)
        RefreshTree();
}

void TMainForm::MoveNode(QTreeWidgetItem* node, QTreeWidgetItem* newParent, int index) {
    const std::vector<bool> states = OpenStates(node);
    QTreeWidgetItem* current = tvPresu->currentItem();
    const QSignalBlocker blocker(tvPresu);
    QTreeWidgetItem* oldParent = node->parent();
    oldParent->takeChild(oldParent->indexOfChild(node));
    newParent->insertChild(std::clamp(index, 0, newParent->childCount()), node);
    RestoreOpenStates(node, states);
    if (current)
        tvPresu->setCurrentItem(current);
}

void TMainForm::btnAddItem_Click() {
    int kind = -1;
    {
        TSelectItemForm choice(this);
        modal::seam().runModal(choice);
        if (choice.Cancelled != 0)
            return;
        kind = choice.ItemKind;
    }
    switch (kind) {
    case 0:
        AddPrimaryItem();
        break;
    case 1:
        AddCompoundItem();
        break;
    case 2:
        AddSubBudget();
        break;
    case 3:
        AddDivision();
        break;
    default:
        break;
    }
}

void TMainForm::AddPrimaryItem() {
    TTreeNode* node = SelectedNode();
    if (!node)
        return;
    TAddSimpleForm picker(this);
    TInsumoCompuesto* holder = FindBudget(node->Line->Code);
    if (!holder || !IsRootOrDivision(node) || !node->Line->Insumo)
        return;
    try {
        picker.Mode = 0;
        picker.Holder = holder;
        picker.PrepareChoices();
        modal::seam().runModal(picker);
        if (picker.ChosenCode.isEmpty())
            return;
        TInsumo* primary = Document->Primaries.Find(picker.ChosenCode.toStdString());
        if (!primary)
            return;
        holder->Items().Add(
            LineTemplate(kKindPrimary, kSubKindNone, *primary, *holder, picker.Quantity));
        TItem* line = holder->Items().Find(primary->Code());
        MarkModified();
        ShowNewLine(node, line, false);
        PurgeBudgets();
        ShowItemDetails();
        FillItemGrid();
    } catch (const std::exception& e) {
        modal::showMessage(QString::fromUtf8(e.what()));
    }
}

void TMainForm::AddCompoundItem() {
    TTreeNode* node = SelectedNode();
    if (!node)
        return;
    TAddCompuestoForm picker(this);
    TInsumoCompuesto* holder = FindBudget(node->Line->Code);
    if (!holder || !IsRootOrDivision(node) || !node->Line->Insumo)
        return;
    if (holder->SubKind() != kSubKindBudget && holder->SubKind() != kSubKindDivision)
        return;
    try {
        picker.Mode = 1;
        picker.Holder = holder;
        picker.PrepareChoices();
        modal::seam().runModal(picker);
        if (picker.ChosenCode.isEmpty())
            return;
        TInsumo* compound = Document->Compounds.Find(picker.ChosenCode.toStdString());
        if (!compound)
            return;
        holder->Items().Add(
            LineTemplate(kKindCompound, kSubKindCompound, *compound, *holder, picker.Quantity));
        TItem* line = holder->Items().Find(compound->Code());
        MarkModified();
        ShowNewLine(node, line, false);
        ShowItemDetails();
        FillItemGrid();
    } catch (const std::exception& e) {
        modal::showMessage(QString::fromUtf8(e.what()));
    }
}

void TMainForm::AddSubBudget() {
    TAddPresuForm picker(this);
    TTreeNode* node = SelectedNode();
    if (!IsRootOrDivision(node) || !node->Line->Insumo || !CurrentBudget)
        return;
    TInsumoCompuesto* holder = node->Line->Insumo->AsCompuesto();
    if (!holder)
        return;
    picker.ExcludedCode = q(CurrentBudget->Code());
    picker.Holder = holder;
    modal::seam().runModal(picker);
    if (picker.ChosenCode.isEmpty())
        return;
    TInsumoCompuesto* budget = FindBudget(picker.ChosenCode.toStdString());
    if (!budget)
        return;
    // A clash with a line already in the holder goes to the general error report.
    holder->Items().Add(
        LineTemplate(kKindCompound, kSubKindBudget, *budget, *holder, picker.Quantity));
    MarkModified();
    TItem* line = holder->Items().Find(budget->Code());
    ShowNewLine(node, line, false);
    ShowItemDetails();
    FillItemGrid();
}

void TMainForm::AddDivision() {
    TTreeNode* node = SelectedNode();
    if (!IsRootOrDivision(node) || !CurrentBudget || !CodesLeftFor(Document->Budgets, 1))
        return;
    const QString name = modal::seam().inputBox(res(SNewDivision), res(SInputName), {});
    if (name.isEmpty())
        return;
    TItem* selected = node->Line;
    TInsumoCompuesto* holder = IsRootNode(node)
                                   ? CurrentBudget
                                   : (selected->Insumo ? selected->Insumo->AsCompuesto() : nullptr);
    if (!holder)
        return;
    auto fresh = std::make_unique<TPresupuesto>();
    fresh->SetName(name.toStdString());
    fresh->SetDescription({});
    fresh->SetCode(Document->Budgets.NewCode(kKindCompound, kSubKindDivision));
    fresh->SetUnit("Gl.");
    fresh->SetSpareValue(1.0);
    fresh->SetKind(kKindCompound);
    fresh->SetSubKind(kSubKindDivision);
    fresh->SetOwner(static_cast<const TInsumo*>(selected->Insumo));
    TInsumo* division = Document->Budgets.Add(std::move(fresh));
    if (!division)
        return;
    holder->Items().Add(LineTemplate(kKindCompound, kSubKindDivision, *division, *holder, 1.0));
    MarkModified();
    TItem* line = holder->Items().Find(division->Code());
    ShowNewLine(node, line, true);
}

void TMainForm::frame11btnEditCantClick() {
    TTreeNode* node = SelectedNode();
    // The root's line is the budget itself, not a line anyone holds.
    if (!node || IsRootNode(node))
        return;
    TItem* line = node->Line;
    if (line->SubKind != kSubKindNone && line->SubKind != kSubKindCompound &&
        line->SubKind != kSubKindBudget)
        return;
    QString shown = QString::number(line->Quantity, 'g', 15);
    shown.replace(QLatin1Char('.'), q(DecimalMark()));
    const QString answer = modal::seam().inputBox(res(SNewQuantity), res(SInputNewQuantity), shown);
    double value = 0.0;
    try {
        value = StrToFloat(answer.toStdString());
        if (value > 0) {
            const double before = line->Quantity;
            ChangeKeepingPricesFinite(
                *Document, answer.toStdString(), [&] { line->Quantity = value; },
                [&] { line->Quantity = before; });
        }
    } catch (const std::exception& e) {
        modal::showMessage(QString::fromUtf8(e.what()));
        return;
    }
    if (answer.isEmpty() || !(value > 0))
        return;
    MarkModified();
    ShowItemDetails();
    FillItemGrid();
}

void TMainForm::btnUpdate_Click() {
    TTreeNode* node = SelectedNode();
    if (!node || IsRootNode(node) || node->Line->SubKind != kSubKindDivision)
        return;
    TItem* line = node->Line;
    TInsumo* division = Document->Budgets.Find(line->Code);
    const QString answer = modal::seam().inputBox(res(SNewName), res(SInputName), q(line->Name));
    const std::string name = answer.toStdString();
    if (division)
        division->SetName(name);
    line->Name = name;
    node->setText(0, answer);
    MarkModified();
    ShowItemDetails();
    FillItemGrid();
}

void TMainForm::btnDelItem_Click() {
    TTreeNode* node = SelectedNode();
    if (!node || IsRootNode(node) || !node->parent())
        return;
    if (modal::showMessage(res(SDeleteElement), {}, modal::Buttons::YesNo, modal::Icon::Warning) !=
        modal::Answer::Yes)
        return;
    auto* parent = static_cast<TTreeNode*>(node->parent());
    TInsumoCompuesto* holder = parent->Line->Insumo ? parent->Line->Insumo->AsCompuesto() : nullptr;
    // Other nodes showing the holder show this very line too: they are built again.
    const bool shownElsewhere = holder && ShownMoreThanOnce(tvPresu, holder);
    const std::vector<TNodePath> open =
        shownElsewhere ? OpenNodePaths(tvPresu) : std::vector<TNodePath>{};
    const TNodePath parentPath = PathOf(parent);
    if (holder) {
        // The very line of the node: a damaged file may hold two lines with one code.
        const int position = PositionOfLine(holder->Items(), node->Line);
        if (position >= 0)
            holder->Items().Delete(position);
    }
    if (shownElsewhere) {
        MarkModified();
        RebuildTree(open, parentPath);
        return;
    }
    {
        const QSignalBlocker blocker(tvPresu);
        delete node;
        if (parent->childCount() == 0)
            parent->setIcon(0, ImageList2[ImgContainer]);
        tvPresu->setCurrentItem(parent);
    }
    MarkModified();
    NodeSelected(parent);
}

void TMainForm::UpDownDivClick(QObject* sender) {
    TTreeNode* node = SelectedNode();
    if (!node || IsRootNode(node) || !node->parent())
        return;
    QTreeWidgetItem* parent = node->parent();
    const int index = parent->indexOfChild(node);
    const QString name = sender ? sender->objectName() : QString();
    const bool up = name == QLatin1String("btnUp") && index > 0;
    const bool down = name == QLatin1String("btnDown") && index < parent->childCount() - 1;
    if (up || down) {
        auto* sibling = static_cast<TTreeNode*>(parent->child(up ? index - 1 : index + 1));
        TInsumoCompuesto* holder = FindBudget(static_cast<TTreeNode*>(parent)->Line->Code);
        if (holder) {
            // Lines without an input have no node, so positions are taken from the lines
            // themselves: the line passes the sibling's line.
            TItems& lines = holder->Items();
            const int mine = PositionOfLine(lines, node->Line);
            const int theirs = PositionOfLine(lines, sibling->Line);
            if (mine >= 0 && theirs >= 0)
                up ? lines.Move(mine, theirs) : lines.Move(theirs, mine);
            if (ShownMoreThanOnce(tvPresu, holder)) {
                MarkModified();
                RebuildTree(OpenNodePaths(tvPresu), PathOf(node));
                return;
            }
        }
        if (up)
            MoveNode(node, parent, index - 1);
        else
            MoveNode(sibling, parent, index);
        const int now = parent->indexOfChild(node);
        btnUp->setEnabled(now > 0);
        btnDown->setEnabled(now < parent->childCount() - 1);
    }
    MarkModified();
}

bool TMainForm::tvPresuDragOver(QObject* source, int x, int y) const {
    if (!qobject_cast<QTreeView*>(source))
        return false;
    const auto* target = static_cast<const TTreeNode*>(tvPresu->itemAt(x, y));
    return target && IsRootOrDivision(target);
}

void TMainForm::tvPresuDragDrop(QObject* source, int x, int y) {
    if (!qobject_cast<QTreeView*>(source))
        return;
    auto* target = static_cast<TTreeNode*>(tvPresu->itemAt(x, y));
    TTreeNode* dragged = SelectedNode();
    if (!target || !dragged || !IsRootOrDivision(target) || IsRootNode(dragged) ||
        target == dragged->parent() || !dragged->parent())
        return;
    TItem* line = dragged->Line;
    const TItem* targetLine = target->Line;
    if (line->SubKind == kSubKindDivision) {
        const TInsumoCompuesto* division = line->Insumo ? line->Insumo->AsCompuesto() : nullptr;
        // Into itself or into a division inside it, the division would hold itself.
        if (!division || division->ContainsBudget(targetLine->Code))
            return;
    }
    TInsumoCompuesto* newHolder = FindBudget(targetLine->Code);
    auto* oldParent = static_cast<TTreeNode*>(dragged->parent());
    TInsumoCompuesto* oldHolder =
        oldParent->Line->Insumo ? oldParent->Line->Insumo->AsCompuesto() : nullptr;
    if (!newHolder || !oldHolder)
        return;
    // Other nodes showing either holder would keep the freed line or miss the new one.
    const bool shownElsewhere =
        ShownMoreThanOnce(tvPresu, oldHolder) || ShownMoreThanOnce(tvPresu, newHolder);
    TNodePath movedPath = PathOf(target);
    movedPath.push_back(line->Code);
    std::vector<TNodePath> open;
    if (shownElsewhere) {
        // The moved subtree keeps its open nodes at its new place; the target opens.
        const TNodePath from = PathOf(dragged);
        for (const TNodePath& path : OpenNodePaths(tvPresu))
            open.push_back(Rebased(path, from, movedPath));
        open.push_back(PathOf(target));
    }
    TItem moved;
    moved.Kind = line->Kind;
    moved.SubKind = line->SubKind;
    moved.Code = line->Code;
    moved.Name = line->Name;
    moved.Insumo = line->Insumo;
    moved.Quantity = line->Quantity;
    moved.Parent = targetLine->Insumo ? targetLine->Insumo->AsCompuesto() : nullptr;
    moved.ParentCode = targetLine->Code;
    // A clash with a line already in the target goes to the general error report.
    TItem* added = newHolder->Items().Add(moved);
    const int position = PositionOfLine(oldHolder->Items(), line);
    if (position >= 0)
        oldHolder->Items().Delete(position);
    if (shownElsewhere) {
        MarkModified();
        Document->Budgets.PurgeDeleted();
        RebuildTree(open, movedPath);
        return;
    }
    dragged->Line = added;
    MoveNode(dragged, target, target->childCount());
    target->setExpanded(true);
    if (oldParent->childCount() == 0)
        oldParent->setIcon(0, ImageList2[ImgContainer]);
    MarkModified();
    PurgeBudgets();
    if (tvPresu->currentItem() == dragged)
        SetNodeCommands(dragged);
}

void TMainForm::StartNodeDrag() {
    auto* drag = new QDrag(tvPresu);
    auto* data = new QMimeData;
    data->setData(kNodeMimeType, QByteArray());
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction);
}

bool TMainForm::HandleTreeDragEvent(QEvent* event) {
    if (event->type() == QEvent::DragLeave)
        return true;
    auto* drop = static_cast<QDropEvent*>(event);
    if (!drop->mimeData() || !drop->mimeData()->hasFormat(kNodeMimeType)) {
        drop->ignore();
        return true;
    }
    const QPoint at = drop->position().toPoint();
    if (event->type() == QEvent::DragEnter) {
        drop->acceptProposedAction();
        return true;
    }
    if (event->type() == QEvent::DragMove) {
        bool accepted = false;
        modal::guarded([&] { accepted = tvPresuDragOver(drop->source(), at.x(), at.y()); });
        if (accepted)
            drop->acceptProposedAction();
        else
            drop->ignore();
        return true;
    }
    modal::guarded([&] { tvPresuDragDrop(drop->source(), at.x(), at.y()); });
    drop->acceptProposedAction();
    return true;
}

void TMainForm::btnClonar_Click() {
    if (!CurrentBudget)
        return;
    TInsumoCompuesto* source = FindBudget(CurrentBudget->Code());
    if (!source || !CodesLeftFor(Document->Budgets, CodesForClone(*source, Document->Budgets)))
        return;
    const QString name = modal::seam().inputBox(res(SCloneBudget), res(SNewName), {});
    if (name.isEmpty())
        return;
    auto clone = std::make_unique<TPresupuesto>();
    ClonePath.assign(1, source);
    for (const auto& sourceLine : source->Items().List()) {
        TItem copy;
        CloneItem(*sourceLine, copy);
        // Only a damaged file holds one code twice in a list; the copy keeps the first.
        if (!clone->Items().Exists(copy.Code))
            clone->Items().Add(copy);
    }
    ClonePath.clear();
    const std::string code = Document->Budgets.NewCode(kKindCompound, kSubKindBudget);
    clone->SetCode(code);
    for (const auto& line : clone->Items().List())
        line->ParentCode = code;
    clone->SetName(name.toStdString());
    clone->SetKind(source->Kind());
    clone->SetSubKind(source->SubKind());
    clone->SetSpareValue(source->SpareValue());
    clone->SetUnit(source->Unit());
    clone->SetDescription(source->Description());
    TInsumo* added = Document->Budgets.Add(std::move(clone));
    if (!added || !added->AsCompuesto())
        return;
    MarkModified();
    setWindowTitle(ApplicationTitle() + QStringLiteral(" - ") + q(added->Name()));
    ShowBudget(added->AsCompuesto());
    UpdateSaveButton();
}

void TMainForm::CloneItem(const TItem& source, TItem& newLine) {
    const TInsumoCompuesto* division = source.SubKind == kSubKindDivision && source.Insumo
                                           ? source.Insumo->AsCompuesto()
                                           : nullptr;
    // A division already being copied above this one (only in a damaged file) is shared, so
    // that the copy ends.
    const bool copyDivision =
        division && ClonePath.size() < kMaxDivisionDepth &&
        std::find(ClonePath.begin(), ClonePath.end(), division) == ClonePath.end();
    if (copyDivision)
        CloneDivision(source, newLine);
    else
        newLine.Insumo = source.Insumo;
    newLine.Name = newLine.Insumo ? newLine.Insumo->Name() : source.Name;
    newLine.Code = newLine.Insumo ? newLine.Insumo->Code() : source.Code;
    newLine.Kind = source.Kind;
    newLine.SubKind = source.SubKind;
    newLine.Quantity = source.Quantity;
}

void TMainForm::CloneDivision(const TItem& source, TItem& newLine) {
    TInsumoCompuesto* original = source.Insumo->AsCompuesto();
    auto fresh = std::make_unique<TPresupuesto>();
    fresh->SetCode(Document->Budgets.NewCode(kKindCompound, kSubKindDivision));
    fresh->SetName(original->Name());
    fresh->SetUnit(original->Unit());
    fresh->SetSpareValue(original->SpareValue());
    fresh->SetKind(kKindCompound);
    fresh->SetSubKind(kSubKindDivision);
    TInsumo* added = Document->Budgets.Add(std::move(fresh));
    if (!added) {
        newLine.Insumo = source.Insumo;
        return;
    }
    TInsumoCompuesto* copy = added->AsCompuesto();
    ClonePath.push_back(original);
    for (const auto& line : original->Items().List()) {
        TItem inner;
        CloneItem(*line, inner);
        if (!copy->Items().Exists(inner.Code))
            copy->Items().Add(inner);
    }
    ClonePath.pop_back();
    newLine.Insumo = copy;
}
