#include "ScriptedSeam.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

using modal::Answer;
using testing_support::ScriptedSeam;

TEST(GeneralErrorReport, ShowsTheErrorTextAndStopsTheHandler) {
    ScriptedSeam seam;
    seam.expectMessage("Disk is full");
    bool ranPastThrow = false;
    modal::guarded([&] {
        throw std::runtime_error("Disk is full");
        ranPastThrow = true;
    });
    EXPECT_FALSE(ranPastThrow);
    EXPECT_EQ(seam.messages.at(0).icon, modal::Icon::Error);
}

TEST(ScriptedSeam, InputBoxCancelGivesBackTheShownValue) {
    ScriptedSeam seam;
    seam.expectInput("Name", std::nullopt).expectInput("Name", QString("New"));
    EXPECT_EQ(modal::seam().inputBox("Budget", "Name", "Old"), "Old");
    EXPECT_EQ(modal::seam().inputBox("Budget", "Name", "Old"), "New");
}

TEST(ScriptedSeam, AnswersInOrderAndCountsBeeps) {
    ScriptedSeam seam;
    seam.expectMessage("first", Answer::Yes).expectMessage("second", Answer::No);
    EXPECT_EQ(modal::showMessage("the first one", {}, modal::Buttons::YesNo, modal::Icon::None, true),
              Answer::Yes);
    EXPECT_EQ(modal::showMessage("the second one", {}, modal::Buttons::YesNo), Answer::No);
    EXPECT_EQ(seam.beeps, 1);
}

TEST(QtSeam, TheSaveDialogAsksAboutOverwritingOnlyWhenTheCallerDoesNot) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const bool confirm : {true, false}) {
        bool dialogAsks = !confirm;
        QString shownFolder;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            dialogAsks = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            shownFolder = dialog->directory().absolutePath();
            dialog->reject();
        });
        closer.start(10);
        modal::FileDialog d;
        d.initialDir = QStringLiteral("/elsewhere");
        d.initialName = folder.filePath("db.cdb"); // a full path is not glued to the folder
        d.confirmOverwrite = confirm;
        EXPECT_EQ(modal::seam().saveFile(d), std::nullopt);
        EXPECT_EQ(dialogAsks, confirm);
        EXPECT_EQ(shownFolder, QDir(folder.path()).absolutePath());
    }
}
