#pragma once
// Raises or lowers by one percentage the unit prices of the primaries chosen through three check
// lists: cost types, their subcategories, the primaries of those subcategories.

#include <QDialog>
#include <QHash>
#include <QString>

#include <vector>

namespace estimating {
class TInsumo;
}

class QCheckBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;

class TModificarPreciosForm : public QDialog {
    Q_OBJECT
public:
    explicit TModificarPreciosForm(QWidget* parent = nullptr);

    QRadioButton* rbAumento;
    QRadioButton* rbDecremento;
    QLineEdit* edtPorcent;
    QListWidget* chkCategorias;
    QCheckBox* chbCategorias;
    QListWidget* chkSubcategorias;
    QCheckBox* chbSubcategorias;
    QListWidget* chkSimples;
    QCheckBox* chbSimples;
    QPushButton* btnAccept;
    QPushButton* btnCancel;

    void rbVariacion(QObject* sender);
    void chkCategoriasClickCheck(QListWidgetItem* item);
    void chbCategoriasClick();
    void chkSubcategoriasClickCheck(QListWidgetItem* item);
    void chbSubcategoriasClick();
    void chbSimplesClick();
    void btnAcceptClick();
    void btnCancelClick();

    bool IsIncrease() const { return Increase; }
    double LastFactor() const { return Factor; }

private:
    void BuildControls();
    void ConnectHandlers();
    void FormCreate();
    void ToggleTypeSubcategories(const QString& costType, bool checked);
    void TogglePrimariesOfSubcategory(const QString& subcategory, bool checked);
    void RemoveSubcategoryRow(QListWidgetItem* row);
    std::vector<estimating::TInsumo*> CheckedPrimaries() const;

    // The rows of the two lower lists, kept in step with them so that a toggle never searches
    // a list: subcategory rows by their name folded to one case (the list's search ignores
    // case), primary rows by the primary each is bound to.
    QHash<QString, QListWidgetItem*> SubcategoryRows;
    QHash<const estimating::TInsumo*, QListWidgetItem*> PrimaryRows;
    bool Increase = true;
    double Factor = 1.0;
};
