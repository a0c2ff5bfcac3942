#pragma once
// Asks which kind of element is to be added to the budget tree.

#include <QDialog>

#include <cstdint>

class QPushButton;
class QRadioButton;

class TSelectItemForm : public QDialog {
    Q_OBJECT
public:
    explicit TSelectItemForm(QWidget* parent = nullptr);

    // 0 primary, 1 compound, 2 budget, 3 division.
    std::uint8_t ItemKind = 3;
    // 1 unless Accept ended the dialog.
    std::uint8_t Cancelled = 1;

    QRadioButton* rbSimple;
    QRadioButton* rbCompuesto;
    QRadioButton* rbPresupuesto;
    QRadioButton* rbDivision;
    QPushButton* btnAccept;
    QPushButton* btnCancel;

    // One handler for the four radio buttons; tells them apart by the sender's name.
    void Tipo(QObject* sender);
    void btnAcceptClick();
    void btnCancelClick();

private:
    void FormCreate();
};
