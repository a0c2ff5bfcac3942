#include "ScriptedSeam.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QStandardPaths>
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

TEST(QtSeam, HelpWithoutABrowserSaysSoInAMessage) {
    for (const char* launcher : {"xdg-open", "firefox", "google-chrome", "mozilla", "opera"})
        if (!QStandardPaths::findExecutable(launcher).isEmpty())
            GTEST_SKIP() << "a browser is installed: " << launcher;
    modal::Seam& qt = modal::seam();
    QTemporaryDir dir;
    const QString page = dir.filePath("Help.html");
    QFile file(page);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ScriptedSeam seam;
    seam.expectMessage("no browser was found");
    qt.showHelp(page, "overview");
    EXPECT_EQ(seam.messages.size(), 1U);
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

// The real input box leaves room for its whole caption in the title bar.
TEST(QtSeam, InputBoxIsWideEnoughForItsCaption) {
    for (const QString& caption :
         {QStringLiteral("Modify quantity."), QStringLiteral("New subcategory"),
          QString(60, QLatin1Char('W'))}) {
        int width = 0;
        int captionWidth = 0;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            width = box->width();
            captionWidth = box->fontMetrics().horizontalAdvance(caption);
            box->reject();
        });
        EXPECT_EQ(modal::seam().inputBox(caption, "Input a name.", "kept"), "kept");
        EXPECT_GE(width, captionWidth + 100) << caption.toStdString(); // icon and buttons beside it
    }
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
