#pragma once
// Helpers of the tree-editing tests: the sample House budget shown, and the pickers answered as
// the user would answer them.

#include "AddItemFrm.h"
#include "AddPresuFrm.h"
#include "MainFormFixture.h"
#include "SelectItemFrm.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace forms_testing {

class TreeEditTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        openSample(opening);
    }

    static void expectKind(testing_support::ScriptedSeam& seam, int kind) {
        seam.expectDialog("TSelectItemForm", [kind](QDialog& d) {
            auto& choice = static_cast<TSelectItemForm&>(d);
            EXPECT_EQ(choice.ItemKind, 3);
            choice.ItemKind = static_cast<std::uint8_t>(kind);
            choice.Cancelled = 0;
        });
    }
    // The primary or compound picker; an empty code is a cancelled picker.
    static void expectPick(testing_support::ScriptedSeam& seam, const char* dialog, int mode,
                           const QString& code, double quantity) {
        seam.expectDialog(dialog, [=](QDialog& d) {
            auto& picker = static_cast<TAddSimpleForm&>(d);
            EXPECT_EQ(picker.Mode, mode);
            EXPECT_TRUE(picker.ChosenCode.isEmpty());
            EXPECT_GT(picker.cboCategorias->count(), mode == 0 ? 4 : -1);
            picker.ChosenCode = code;
            picker.Quantity = code.isEmpty() ? 0.0 : quantity;
        });
    }
    static void expectBudgetPick(testing_support::ScriptedSeam& seam, const QString& code,
                                 double quantity, QStringList* offered = nullptr) {
        seam.expectDialog("TAddPresuForm", [=](QDialog& d) {
            auto& picker = static_cast<TAddPresuForm&>(d);
            picker.FormShow();
            if (offered)
                for (int i = 0; i < picker.lbPresupuestos->count(); ++i)
                    offered->append(picker.lbPresupuestos->item(i)->text());
            picker.ChosenCode = code;
            picker.Quantity = quantity;
            picker.Cancelled = code.isEmpty() ? 1 : 0;
        });
    }

    TInsumoCompuesto* budget(const char* code) const {
        TInsumo* found = Document->Budgets.Find(code);
        return found ? found->AsCompuesto() : nullptr;
    }
    static QStringList codes(const TInsumoCompuesto* holder) {
        QStringList list;
        for (const auto& line : holder->Items().List())
            list.append(QString::fromStdString(line->Code));
        return list;
    }
    static QStringList childTexts(const QTreeWidgetItem* parent) {
        QStringList list;
        for (int i = 0; i < parent->childCount(); ++i)
            list.append(parent->child(i)->text(0));
        return list;
    }
    bool saved() const { return Document->Saved != 0; }

    testing_support::ScriptedSeam opening;
};

} // namespace forms_testing
