#pragma once
// The editor of the compounds' categories and, under each category, its subcategories. Renames
// and deletes carry over to the compounds that use the names.

#include <QDialog>

class QListWidget;
class QPushButton;
class QWidget;

class TRubrosForm : public QDialog {
    Q_OBJECT
public:
    explicit TRubrosForm(QWidget* parent = nullptr);

    QPushButton* btnAdd;
    QPushButton* btnDelete;
    QPushButton* btnUpdate;
    QListWidget* lbRubros;
    QPushButton* btnAddSub;
    QPushButton* btnDeleteSub;
    QPushButton* btnUpdateSub;
    QListWidget* lbSubrubros;
    QPushButton* btnSave;
    QPushButton* btnClose;

    void FormCreate();
    void lbRubrosClick();
    void btnAddClick();
    void btnDeleteClick();
    void btnUpdateClick();
    void btnAddSubClick();
    void btnDeleteSubClick();
    void btnUpdateSubClick();
    void btnSaveClick();
    void btnCloseClick();

private:
    void FillCompoundCategories();
    void FillCompoundSubcategories();
    void MarkChanged();
    void UpdateSaveButton();
};

// The editor while it is open, null otherwise.
extern TRubrosForm* RubrosForm;

// Creates the editor with `owner` as its owner, keeps it in RubrosForm, shows it modally and
// frees it.
void ShowRubrosForm(QWidget* owner);
