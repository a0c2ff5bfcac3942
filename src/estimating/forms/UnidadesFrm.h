#pragma once
// The editor of the database's units of measure: add, rename and delete units; a rename or a
// delete carries over to the primaries and compounds that use the unit.

#include <QDialog>

class QListWidget;
class QPushButton;
class QWidget;

class TUnidadesForm : public QDialog {
    Q_OBJECT
public:
    explicit TUnidadesForm(QWidget* parent = nullptr);

    QListWidget* lbUnits;
    QPushButton* btnNew;
    QPushButton* btnUpdate;
    QPushButton* btnDelete;
    QPushButton* btnSave;
    QPushButton* btnClose;

    void FormCreate();
    void btnNewClick();
    void btnUpdateClick();
    void btnDeleteClick();
    void btnSaveClick();
    void btnCloseClick();

private:
    int SelectedRow() const;
    void MarkChanged();
    void UpdateSaveButton();
};

// The editor while it is open, null otherwise.
extern TUnidadesForm* UnidadesForm;

// Creates the editor with `owner` as its owner, keeps it in UnidadesForm, shows it modally and
// frees it.
void ShowUnidadesForm(QWidget* owner);
