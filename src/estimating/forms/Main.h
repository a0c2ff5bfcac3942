#pragma once
// The main window of the estimator: file commands, the budget tree, the detail panel and the
// item grid of the budget shown. Other windows reach it through the global MainForm.

#include "ModalSeam.h"
#include "ReportFrm.h"

#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QStringList>
#include <QTreeWidgetItem>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPushButton;
class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QTableView;
class TItemGridModel;
struct TGridRow;
class QToolBar;
class QToolButton;
class QTreeWidget;
class TmyFrame;
struct TGridSource;
namespace estimating {
class TDocument;
class TInsumo;
class TInsumoCompuesto;
struct TItem;
} // namespace estimating
using estimating::TDocument;
using estimating::TInsumo;
using estimating::TInsumoCompuesto;
using estimating::TItem;

// The one open database, owned by the main window.
extern TDocument* Document;
// The program's folder followed by "Databases/"; where the file dialogs start.
extern QString DatabasesDir;
// "Materials", "Labor", "Equipment", "Subcontracts", "Others", in this order.
extern QStringList* CostTypeNames;

// The application's title ("Obravel"), shown in the main window's caption.
QString ApplicationTitle();

// A node of the budget tree: the line it shows (not owned) and whether it can hold lines.
class TTreeNode : public QTreeWidgetItem {
public:
    TTreeNode(TItem* line, bool container) : Line(line), Container(container) {}
    TItem* Line;
    // The root or a division; recorded when the node is made so that a rebuild can read the
    // open states of the old tree without touching lines that may be gone.
    bool Container;
};

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // File commands.
    void FileNew();
    void FileOpen();
    void FileSave();
    void FileSaveAs();
    void FileExit();

    // Openers of the Database menu and the tool bar.
    void MenuUnidadesClick();
    void RubrosClick();
    void OpenSubCategorias();
    void OpenSimplesClick();
    void OpenCompuestosClick();
    void OpenPresupuestosClick();
    void btnControlClick();
    void ContenidoClick();
    void AboutClick();
    void EnableDatabaseMenus();

    // Budget tree, detail panel and item grid.
    void tvPresuClick();
    void chkExplosionClick();
    void rbCategoriasClick(QObject* sender);
    void btnUpdateTreeClick();
    void btnPropiedades_Click();
    void btnSave_Click();
    void tvPresuMouseDown(int x, int y, Qt::MouseButton button = Qt::LeftButton);

    // Editing the budget shown.
    void btnAddItem_Click();
    void frame11btnEditCantClick();
    void btnUpdate_Click();
    void btnDelItem_Click();
    // btnUp, btnDown and a click on the tool bar itself; told apart by the sender's name.
    void UpDownDivClick(QObject* sender);
    // Whether a node dragged from `source` may be dropped at this point of the tree.
    bool tvPresuDragOver(QObject* source, int x, int y) const;
    // Moves the selected node's line into the root or division under this point.
    void tvPresuDragDrop(QObject* source, int x, int y);
    void btnClonar_Click();
    void FillBudgetTree();
    void AddItemNode(TItem* line);
    void ShowItemDetails();
    void FillItemGrid();
    void ClearDetails();
    void SetupItemGrid();
    void ClearItemGrid();
    void EnableCategoryButtons();
    // Rebuilds the tree keeping the open state of the root and of every division.
    void RefreshTree();
    // Renames every node but the root whose line has this code; the lines stay as they are.
    void RenameTreeNodes(const QString& code, const QString& newName);

    // Report commands of the detail panel.
    void frame1btnReportClick();
    void frame1btnVerReporteClick();

    // The item grid as the report reads it: row 0 holds the titles, rows 1.. the cells.
    int GridRowCount() const;
    QString GridCell(int row, int col) const;
    // The line of the selected node (RootItem for the root), or null.
    TItem* SelectedLine() const;
    // The whole grid, titles first, as the report takes it.
    TReportGrid GridCells() const;
    // Enables btnSave exactly while the document has unsaved changes.
    void UpdateSaveButton();

    // State.
    TInsumoCompuesto* CurrentBudget = nullptr;
    std::unique_ptr<TItem> RootItem;
    bool RootAdded = false;
    TInsumo* SelectedInsumo = nullptr;
    QTreeWidgetItem* FillParentNode = nullptr;
    int MouseDownX = -1;
    int MouseDownY = -1;
    // A press on a node that may be dragged; the drag starts once the pointer has gone far enough.
    bool DragArmed = false;
    static constexpr int DragThreshold = 25;
    std::uint8_t Explosion = 0;
    QString CategoryFilter;

    // Menus and actions.
    QMenu* FileMenu;
    QAction* FileNewItem;
    QAction* FileOpenItem;
    QAction* FileSaveItem;
    QAction* FileSaveAsItem;
    QAction* FileExitItem;
    QMenu* Database;
    QAction* MenuUnidades;
    QAction* Compuestos1;
    QAction* Simples1;
    QAction* OpenSimples;
    QAction* OpenCompuestos;
    QAction* OpenPresupuestos;
    QMenu* Ayuda;
    QAction* Contenido;
    QAction* Sep;
    QAction* About;

    // Tool bar.
    QToolBar* ToolBar2;
    QToolButton* btnAddItem;
    QToolButton* btnDelItem;
    QToolButton* btnUpdate;
    QToolButton* btnClonar;
    QToolButton* btnUpdateTree;
    QToolButton* btnPropiedades;
    QToolButton* btnPresupuestos;
    QToolButton* btnDown;
    QToolButton* btnUp;
    QToolButton* btnOpen;
    QToolButton* btnSave;
    QToolButton* btnNewDB;
    QToolButton* btnControlPanel;
    QToolButton* btnHelp;
    QLabel* stTipo;

    // Client area.
    QSplitter* Splitter1;
    QSplitter* Splitter2;
    QTreeWidget* tvPresu;
    TmyFrame* frame1;
    QTableView* gridItems;
    TItemGridModel* GridModel;
    QLabel* StBar;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void BuildMenus();
    void BuildToolBar();
    void BuildClientArea();
    void ConnectHandlers();
    QToolButton* AddToolButton(const char* name, const QString& hint, int icon);
    modal::FileDialog DatabaseDialog(const QString& caption) const;

    // False when the user cancelled, or asked for a save that did not happen.
    bool AskSaveChanges(bool withCancel);
    bool ConfirmOverwrite(const QString& fileName);
    void ReplaceDocument(const QString& fileName);
    void EmptyBudgetView();
    void ShowDatabaseStatus(const QString& fileName);
    void SetDatabaseMenus(bool on);
    void ShowBudget(TInsumoCompuesto* budget);
    void CatalogueClosed();

    void AddPrimaryItem();
    void AddCompoundItem();
    void AddSubBudget();
    void AddDivision();
    void CloneItem(const TItem& source, TItem& newLine);
    void CloneDivision(const TItem& source, TItem& newLine);
    bool IsRootNode(const QTreeWidgetItem* node) const;
    bool IsRootOrDivision(const TTreeNode* node) const;
    TTreeNode* AddChildNode(QTreeWidgetItem* parent, TItem* line, bool container);
    void MarkModified();
    void PurgeBudgets();
    // Moves a child node to another place, keeping the open state of its subtree and the
    // current node.
    void MoveNode(QTreeWidgetItem* node, QTreeWidgetItem* newParent, int index);
    void StartNodeDrag();
    bool HandleTreeDragEvent(QEvent* event);
    // A node's place: the codes of the lines from the root down to it.
    using TNodePath = std::vector<std::string>;
    // Builds the whole tree again after a change to a holder shown by more than one node, whose
    // other nodes may refer to lines that are gone; opens the nodes at `open` and selects the one
    // at `selected` (the root when it is no longer there).
    void RebuildTree(const std::vector<TNodePath>& open, const TNodePath& selected);
    // Shows a line just added to the holder of `holderNode`; every node showing that holder (a
    // damaged file may show one division twice) shows it.
    void ShowNewLine(TTreeNode* holderNode, TItem* line, bool container);

    void tvPresuKeySelect(QTreeWidgetItem* current);
    void NodeSelected(TTreeNode* node);
    void SetNodeCommands(TTreeNode* node);
    void DisableNodeCommands();
    TTreeNode* SelectedNode() const;
    static QString KindText(const TItem& line);

    struct TGridFill {
        double SelectedQuantity = 0.0;
        double SelectedPrice = 0.0;
    };
    TInsumo* FindGridInput(const TGridSource& source) const;
    TGridRow FillGridRow(const TGridSource& source, const TGridFill& fill) const;
    // The panel for the selected node; gives the selected input's price when it worked it out.
    std::optional<double> ShowDetails();
    // The grid for the selected node, with the selected input's price when already known.
    void FillGrid(std::optional<double> selectedPrice);
    // Panel and grid for the selected node, the price worked out once.
    void ShowSelection();

    QList<QIcon> ImageList2;
    std::string CurrentBudgetCode;
    std::vector<TInsumoCompuesto*> DivisionPath; // divisions being filled, outermost first
    std::vector<const TInsumo*> ClonePath;       // divisions being copied, outermost first
    int Filling = 0;
    // The node the panel and the commands were last set for; compared, never dereferenced.
    const QTreeWidgetItem* ShownNode = nullptr;
};

extern TMainForm* MainForm;
