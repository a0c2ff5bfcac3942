#pragma once
// The primaries catalogue: browse the primaries by cost type and subcategory, create, edit and
// delete them, save the database, and open the units, subcategories and price-change dialogs.

#include <QDialog>
#include <QString>

#include <string>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
namespace estimating {
class TInsumo;
}

class TSimplesForm : public QDialog {
    Q_OBJECT
public:
    explicit TSimplesForm(QWidget* parent = nullptr);
    ~TSimplesForm() override;

    QListWidget* lbCategorias;
    QListWidget* lbSubcategorias;
    QListWidget* lbSimples;
    QLineEdit* edtCodigo;
    QLineEdit* edtNombre;
    QComboBox* cboUnidad;
    QPushButton* btnUnidades;
    QLineEdit* edtPU;
    QComboBox* cboCategoria;
    QComboBox* cboSubCategoria;
    QPlainTextEdit* edtDescripcion;
    QPushButton* btnAdd;
    QPushButton* btnUpdate;
    QPushButton* btnDelete;
    QPushButton* btnAccept;
    QPushButton* btnCancel;
    QPushButton* btnSave;
    QPushButton* btnClose;
    QPushButton* btnOpenSubcat;
    QPushButton* btnModificarPrecios;

    void lbCategoriasClick();
    void lbSubcategoriasClick();
    void lbSimplesClick();
    void btnAddClick();
    void btnUpdateClick();
    void btnAcceptClick();
    void btnCancelClick();
    void btnDeleteClick();
    void btnSaveClick();
    void btnCloseClick();
    void btnUnidadesClick();
    void btnOpenSubcatClick();
    void btnModificarPreciosClick();
    void cboCategoriaClick();
    void cboSubCategoriaClick();
    void cboCategoriaChange();
    void edtNombreChange();

    // The primary shown in the detail fields, looked up by its code; null when none.
    estimating::TInsumo* CurrentPrimary() const;
    bool IsAdding() const { return Adding; }
    bool IsEditing() const { return Editing; }
    bool IsReady() const { return NotReady == 0; }

private:
    // Holds Ready false while the form fills its own fields; nests.
    class TFilling {
    public:
        explicit TFilling(TSimplesForm& form) : form_(form) { ++form_.NotReady; }
        ~TFilling() { --form_.NotReady; }
        TFilling(const TFilling&) = delete;
        TFilling& operator=(const TFilling&) = delete;

    private:
        TSimplesForm& form_;
    };

    void BuildControls();
    void ConnectHandlers();
    void FormCreate();
    void ClearPrimaryFields();
    void FillUnitCombo();
    void FillSubcategoryLists();
    void FillPrimaryList();
    void ShowCurrentPrimary();
    bool ValidatePrimary() const;

    // Guarded wrappers with the error reports the catalogue gives for each fill.
    void RefillPrimaryList();
    void RefillSubcategoryLists();
    void ShowPrimary();
    void SelectCombosAsLists();
    void SetBrowseButtons();
    void SetEntryButtons();
    void UpdateSaveButton();
    double PriceFromText() const;
    void AddPrimary(double price);
    void UpdatePrimary(estimating::TInsumo& primary, double price);
    void LeaveAddMode();

    bool Adding = false;
    bool Editing = false;
    int NotReady = 0;
    std::string CurrentCode;
};

// The catalogue while it is open, null otherwise.
extern TSimplesForm* SimplesForm;

// Creates the catalogue with `owner` as its owner, keeps it in SimplesForm, shows it modally and
// frees it.
void ShowSimplesForm(QWidget* owner);
