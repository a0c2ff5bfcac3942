#pragma once
// The compounds catalogue: browse compounds by category and subcategory, create, edit, delete and
// duplicate them, edit their lines, see their unit price split by cost type and their break-down
// into primaries.
//
// Opener: create it with an owner, show it with modal::seam().runModal, free it. It works on the
// shared Document and hands nothing back.

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;
namespace estimating {
class TInsumo;
class TInsumoCompuesto;
struct TItem;
} // namespace estimating

class TCompuestosForm : public QDialog {
    Q_OBJECT
public:
    explicit TCompuestosForm(QWidget* parent = nullptr);
    ~TCompuestosForm() override;

    // Browse lists.
    QComboBox* cboRubros;
    QComboBox* cboSubrubros;
    QComboBox* cboCompuestos;
    QPushButton* btnRubros;
    // Header of the compound shown.
    QLineEdit* edtCodigo;
    QLineEdit* edtNombre;
    QComboBox* cboUnidad;
    QPushButton* btnUnidades;
    QComboBox* cboRubro;
    QComboBox* cboSubrubro;
    QPlainTextEdit* edtDescripcion;
    QLabel* stPU;
    QPushButton* btnClonar;
    QPushButton* btnNew;
    QPushButton* btnUpdate;
    QPushButton* btnDelete;
    QPushButton* btnAccept;
    QPushButton* btnCancel;
    // Split by cost type: amounts and shares.
    QLabel* stMat;
    QLabel* stMao;
    QLabel* stEqu;
    QLabel* stSub;
    QLabel* stOtros;
    QLabel* stMatP;
    QLabel* stMaoP;
    QLabel* stEquP;
    QLabel* stSubP;
    QLabel* stOtrosP;
    QRadioButton* rbMat;
    QRadioButton* rbMao;
    QRadioButton* rbEqu;
    QRadioButton* rbSub;
    QRadioButton* rbOtros;
    QRadioButton* rbTodos;
    QCheckBox* chkExplosion;
    // The component grid; its horizontal header is the title row.
    QTableWidget* gridItems;
    QPushButton* btnAddComp;
    QPushButton* btnAddSimple;
    QPushButton* btnEditCant;
    QPushButton* btnDelComp;
    QPushButton* btnSimples;
    QPushButton* btnSave;
    QPushButton* btnClose;

    // Handlers, bound to the user's actions.
    void cboRubrosClick();
    void cboSubrubrosClick();
    void cboCompuestosClick();
    void cboRubroClick();
    void edtNombreChange();
    void btnNewClick();
    void btnUpdateClick();
    void btnDeleteClick();
    void btnAcceptClick();
    void btnCancelClick();
    void btnClonarClick();
    void btnAddCompClick();
    void btnAddSimpleClick();
    void btnEditCantClick();
    void btnDelCompClick();
    void gridItemsClick();
    // Grid row 0 is the title row; allows every selection.
    bool gridItemsSelectCell(int col, int row);
    void chkExplosionClick();
    void rbCategoriasClick(QObject* sender);
    void btnRubrosClick();
    void btnSimplesClick();
    void btnUnidadesClick();
    void btnSaveClick();
    void btnCloseClick();

    // The grid as the user sees it: row 0 holds the titles, rows 1.. the cells ("" when empty).
    int GridRowCount() const;
    QString GridCell(int row, int col) const;

    // State, for the opener's and tests' eyes.
    bool Adding() const { return adding_; }
    bool Editing() const { return editing_; }
    bool Ready() const { return filling_ == 0; }
    bool Explosion() const { return explosion_; }
    const QString& CategoryFilter() const { return categoryFilter_; }
    estimating::TInsumoCompuesto* CurrentCompound() const { return currentCompound_; }
    const QString& SelectedCode() const { return selectedCode_; }

    // The number text of the form's figures (same as the core's FormatFixed).
    static QString FormatFixed(double value, int width, int decimals);

private:
    void BuildControls();
    void CreateBrowseControls();
    void CreateHeaderControls();
    void CreateSplitControls();
    void CreateGridControls();
    QLayout* BrowseLayout();
    QLayout* HeaderLayout();
    QLayout* SplitLayout();
    QLayout* LineCommandsLayout();
    // In the order of the cost types; the last radio button stands for all of them.
    std::array<QRadioButton*, 6> TypeRadios() const;
    std::array<QLabel*, 5> AmountBoxes() const;
    std::array<QLabel*, 5> ShareBoxes() const;
    void ConnectHandlers();
    void FormCreate();

    void FillCategoryCombo();
    void FillSubcategoryCombo();
    void FillCompoundCombo();
    void ClearCompoundFields();
    void ShowCurrentCompound();
    // ShowCurrentCompound and FillComponentGrid.
    void ShowCompoundAndLines();
    bool ValidateCompound() const;
    void SetupComponentGrid();
    void ClearComponentGrid();
    int ColumnWidth(int col) const;
    void FillComponentGrid();
    void FillComponentRow(int row, const estimating::TItem& line, double compoundPrice);
    void EnableTypeRadios();
    static void CopyComponentLine(const estimating::TItem& source, estimating::TItem& target);

    void SetBrowseMode();
    void SetEditingButtons();
    void UpdateSaveButton();
    void ChangedDocument();
    void ForgetLineSelection();
    void AddLine(std::uint8_t mode);
    void SelectCompoundEntry(const estimating::TInsumoCompuesto* compound);
    void AcceptNewCompound();
    void AcceptEditedCompound();
    estimating::TInsumoCompuesto* CompoundOfCode(const std::string& code) const;
    void OpenRubrosEditor();
    void OpenSimplesEditor();
    void OpenUnidadesEditor();

    bool adding_ = false;
    bool editing_ = false;
    int filling_ = 0; // Ready while 0; fills nest
    bool explosion_ = false;
    QString categoryFilter_;
    estimating::TInsumoCompuesto* currentCompound_ = nullptr;
    QString selectedCode_;

    class Filling;
};

extern TCompuestosForm* CompuestosForm;
