#pragma once
// Shared by the main-window tests: the program's windows created as at start-up, a sample
// database written to a temporary folder, and helpers that act as the user would.

#include "AboutFrm.h"
#include "Database.h"
#include "DebugFrm.h"
#include "Frame2.h"
#include "Main.h"
#include "ObravelApp.h"
#include "PresupuestosFrm.h"
#include "ReportFrm.h"
#include "SampleDatabase.h"
#include "ScriptedSeam.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace forms_testing {

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitializeMainModule();
        ConnectCoreToUserInterface();
        ASSERT_TRUE(dir.isValid());
        previousDir = QDir::currentPath();
        QDir::setCurrent(dir.path());
        CreateApplicationForms();
        form = MainForm;
    }
    void TearDown() override {
        DestroyApplicationForms();
        FinalizeMainModule();
        QDir::setCurrent(previousDir);
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    // Opens the sample database and chooses one of its budgets in the budget list.
    void openSample(testing_support::ScriptedSeam& seam, const QString& budgetCode = "P000001") {
        const QString file = writeSample(path("sample.cdb"));
        seam.expectOpenFile(file);
        expectBudgetChoice(seam, budgetCode);
        form->FileOpen();
    }

    static void expectBudgetChoice(testing_support::ScriptedSeam& seam, const QString& code) {
        seam.expectDialog("TPresupuestosForm", [code](QDialog& d) {
            auto& list = static_cast<TPresupuestosForm&>(d);
            list.ChosenCode = code;
            list.Cancelled = 0;
            d.setResult(QDialog::Accepted);
        });
    }
    static void expectBudgetListCancelled(testing_support::ScriptedSeam& seam) {
        seam.expectDialog("TPresupuestosForm", [](QDialog& d) {
            auto& list = static_cast<TPresupuestosForm&>(d);
            list.ChosenCode.clear();
            list.Cancelled = 1;
        });
    }

    // The node reached by following node texts from the root.
    TTreeNode* node(std::initializer_list<const char*> texts) const {
        QTreeWidgetItem* at = form->tvPresu->topLevelItem(0);
        for (const char* t : texts) {
            QTreeWidgetItem* next = nullptr;
            for (int i = 0; at && i < at->childCount(); ++i)
                if (at->child(i)->text(0) == QString::fromUtf8(t))
                    next = at->child(i);
            at = next;
        }
        return static_cast<TTreeNode*>(at);
    }
    TTreeNode* root() const { return static_cast<TTreeNode*>(form->tvPresu->topLevelItem(0)); }

    // A mouse click on a node, as the user makes it.
    void click(QTreeWidgetItem* item) {
        ASSERT_NE(item, nullptr);
        showForm();
        for (QTreeWidgetItem* up = item->parent(); up; up = up->parent())
            up->setExpanded(true);
        form->tvPresu->scrollToItem(item);
        const QPoint at = form->tvPresu->visualItemRect(item).center();
        QTest::mouseClick(form->tvPresu->viewport(), Qt::LeftButton, {}, at);
    }
    void key(int k) {
        showForm();
        form->tvPresu->setFocus();
        QTest::keyClick(form->tvPresu, static_cast<Qt::Key>(k));
    }
    void showForm() {
        if (!form->isVisible()) {
            form->resize(1000, 700);
            form->show();
            QApplication::processEvents();
        }
    }

    QString cell(int row, int col) const { return form->GridCell(row, col).trimmed(); }

    QTemporaryDir dir;
    QString previousDir;
    TMainForm* form = nullptr;
};

} // namespace forms_testing
