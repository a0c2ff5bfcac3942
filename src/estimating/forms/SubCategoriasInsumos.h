#pragma once
// The editor of the primaries' subcategories under each cost type. Renames and deletes carry
// over to the primaries that use the names.

#include <QDialog>
#include <QString>

class QLabel;
class QListWidget;
class QPushButton;
class QWidget;

class TSubcategoriasSimplesForm : public QDialog {
    Q_OBJECT
public:
    explicit TSubcategoriasSimplesForm(QWidget* parent = nullptr);

    QLabel* Label2;
    QListWidget* lbCategorias;
    QLabel* Label1;
    QListWidget* lbSubcategorias;
    QPushButton* btnAdd;
    QPushButton* btnUpdate;
    QPushButton* btnDelete;
    QPushButton* btnSave;
    QPushButton* btnClose;

    void FormCreate();
    void lbCategoriasClick();
    void btnAddClick();
    void btnUpdateClick();
    void btnDeleteClick();
    void btnSaveClick();
    void btnCloseClick();

private:
    void FillTypeSubcategories(const QString& typeName);
    QString ChosenType() const;
    void MarkChanged();
    void UpdateSaveButton();
};

// The editor while it is open, null otherwise.
extern TSubcategoriasSimplesForm* SubcategoriasSimplesForm;

// Creates the editor with `owner` as its owner, keeps it in SubcategoriasSimplesForm, shows it
// modally and frees it.
void ShowSubcategoriasSimplesForm(QWidget* owner);
