#include "MainFormFixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace forms_testing;
using modal::Answer;
using modal::Buttons;
using testing_support::ScriptedSeam;

namespace {

QByteArray readAll(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& file, const QByteArray& bytes) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const char* const kChanged = "The file has changed. Do you want to save the changes?";
const char* const kExists = "This file already exists. Overwrite it?";

} // namespace

class MainFileTest : public MainFormTest {
protected:
    void markEdited() {
        Document->Saved = 0;
        form->UpdateSaveButton();
    }
    // A named database with unsaved changes.
    void newDatabase(ScriptedSeam& seam, const QString& name) {
        seam.expectInput("Input a name.", name);
        form->FileNew();
    }
};

TEST_F(MainFileTest, NewAsksForANameAndWritesNothingYet) {
    ScriptedSeam seam;
    seam.expectInput("New database\nInput a name.", QString("abc"));
    form->FileNewItem->trigger();
    EXPECT_EQ(Document->FileName(), "abc.cdb");
    EXPECT_EQ(Document->Saved, 0);
    EXPECT_EQ(form->StBar->text(), "Database : abc.cdb");
    EXPECT_TRUE(form->btnSave->isEnabled());
    EXPECT_TRUE(form->OpenPresupuestos->isEnabled());
    EXPECT_TRUE(form->MenuUnidades->isEnabled());
    EXPECT_FALSE(QFileInfo::exists("abc.cdb"));
}

TEST_F(MainFileTest, NewWithAnEmptyNameChangesNothing) {
    ScriptedSeam seam;
    TDocument* before = Document;
    seam.expectInput("Input a name.", std::nullopt)
        .expectMessage("Type a name for the new database.");
    form->FileNew();
    EXPECT_EQ(Document, before);
    EXPECT_TRUE(Document->FileName().empty());
    EXPECT_FALSE(form->btnSave->isEnabled());
    EXPECT_FALSE(form->OpenPresupuestos->isEnabled());
}

TEST_F(MainFileTest, NewOverUnsavedWorkOffersCancel) {
    ScriptedSeam seam;
    newDatabase(seam, "first");
    TDocument* before = Document;
    seam.expectMessage(kChanged, Answer::Cancel);
    form->FileNew();
    EXPECT_EQ(seam.messages.back().buttons, Buttons::YesNoCancel);
    EXPECT_EQ(Document, before);
    EXPECT_EQ(Document->FileName(), "first.cdb");
    EXPECT_TRUE(form->btnSave->isEnabled());
}

TEST_F(MainFileTest, NewOverUnsavedWorkWithNoDiscardsIt) {
    ScriptedSeam seam;
    newDatabase(seam, "first");
    seam.expectMessage(kChanged, Answer::No).expectInput("Input a name.", QString("second"));
    form->FileNew();
    EXPECT_EQ(Document->FileName(), "second.cdb");
    EXPECT_FALSE(QFileInfo::exists("first.cdb"));
}

TEST_F(MainFileTest, NewOverUnsavedWorkWithYesSavesFirst) {
    ScriptedSeam seam;
    newDatabase(seam, "first");
    seam.expectMessage(kChanged, Answer::Yes).expectInput("Input a name.", QString("second"));
    form->FileNew();
    EXPECT_EQ(readAll("first.cdb").size(), 43);
    EXPECT_EQ(Document->FileName(), "second.cdb");
}

TEST_F(MainFileTest, NewStopsWhenTheSaveItAskedForFails) {
    ScriptedSeam seam;
    seam.expectInput("Input a name.", QString("missing/first"));
    form->FileNew();
    TDocument* before = Document;
    seam.expectMessage(kChanged, Answer::Yes).expectMessage("ErrorCannot create file");
    form->FileNew();
    EXPECT_EQ(Document, before);
    EXPECT_EQ(Document->Saved, 0);
    EXPECT_TRUE(form->btnSave->isEnabled());
}

TEST_F(MainFileTest, NewStopsWhenTheSaveAsItLeadsToIsCancelled) {
    ScriptedSeam seam;
    markEdited();
    TDocument* before = Document;
    seam.expectMessage(kChanged, Answer::Yes).expectSaveFile(std::nullopt);
    form->FileNew();
    EXPECT_EQ(Document, before);
    EXPECT_EQ(Document->Saved, 0);
}

TEST_F(MainFileTest, NewOverAnExistingFileAsksBeforeReplacingIt) {
    ScriptedSeam seam;
    writeBytes(path("abc.cdb"), "keep me");
    TDocument* before = Document;
    seam.expectInput("Input a name.", QString("abc")).expectMessage(kExists, Answer::No);
    form->FileNew();
    EXPECT_EQ(Document, before);
    EXPECT_TRUE(Document->FileName().empty());

    seam.expectInput("Input a name.", QString("abc")).expectMessage(kExists, Answer::Yes);
    form->FileNew();
    EXPECT_EQ(Document->FileName(), "abc.cdb");
    EXPECT_EQ(readAll(path("abc.cdb")), "keep me");
}

TEST_F(MainFileTest, OpenAsksWithoutCancelAndACancelledDialogKeepsTheDatabase) {
    ScriptedSeam seam;
    newDatabase(seam, "first");
    TDocument* before = Document;
    seam.expectMessage(kChanged, Answer::No).expectOpenFile(std::nullopt);
    form->FileOpen();
    EXPECT_EQ(seam.messages.back().buttons, Buttons::YesNo);
    EXPECT_EQ(Document, before);
    EXPECT_EQ(Document->FileName(), "first.cdb");
    EXPECT_TRUE(form->btnSave->isEnabled());
    const modal::FileDialog& d = seam.fileDialogs.at(0);
    EXPECT_EQ(d.initialDir, DatabasesDir);
    EXPECT_EQ(d.defaultSuffix, "cdb");
    EXPECT_TRUE(d.filter.startsWith("Estimates (*.cdb)"));
}

TEST_F(MainFileTest, OpenStopsWhenTheSaveItAskedForIsCancelled) {
    ScriptedSeam seam;
    markEdited();
    TDocument* before = Document;
    seam.expectMessage(kChanged, Answer::Yes).expectSaveFile(std::nullopt);
    form->FileOpen();
    EXPECT_EQ(Document, before);
}

TEST_F(MainFileTest, OpenShowsTheBudgetListAndTheChosenBudget) {
    ScriptedSeam seam;
    openSample(seam);
    EXPECT_EQ(Document->Saved, 1);
    EXPECT_FALSE(form->btnSave->isEnabled());
    EXPECT_EQ(form->StBar->text(), "Database : " + path("sample.cdb"));
    EXPECT_TRUE(form->OpenSimples->isEnabled());
    EXPECT_EQ(form->windowTitle(), "Obravel - House");
    ASSERT_NE(root(), nullptr);
    EXPECT_EQ(root()->text(0), "House");
}

TEST_F(MainFileTest, OpeningADatabaseWithoutBudgetsShowsNoBudgetList) {
    ScriptedSeam seam;
    TDocument empty;
    empty.SetFileName(path("empty.cdb").toStdString());
    empty.Save();
    seam.expectOpenFile(path("empty.cdb"));
    form->FileOpen();
    EXPECT_EQ(form->tvPresu->topLevelItemCount(), 0);
    EXPECT_EQ(Document->FileName(), path("empty.cdb").toStdString());
}

TEST_F(MainFileTest, ADamagedFileIsNeverWrittenBackWithoutChoosingAFile) {
    ScriptedSeam seam;
    QByteArray bytes = readAll(writeSample(path("sample.cdb")));
    bytes.chop(3); // inside the last budget: the others are read whole
    writeBytes(path("damaged.cdb"), bytes);
    seam.expectOpenFile(path("damaged.cdb")).expectMessage("File reading error \r\n");
    expectBudgetListCancelled(seam);
    form->FileOpen();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Document->Saved, 1);
    EXPECT_TRUE(Document->FileName().empty());
    EXPECT_TRUE(form->OpenPresupuestos->isEnabled());
    EXPECT_EQ(form->StBar->text(), "Database : " + path("damaged.cdb"));

    seam.expectSaveFile(std::nullopt);
    form->FileSave();
    EXPECT_EQ(readAll(path("damaged.cdb")), bytes);
    EXPECT_EQ(seam.fileDialogs.back().initialName, "");
}

TEST_F(MainFileTest, AFileOfAnotherFormatIsReportedAndLeftAlone) {
    ScriptedSeam seam;
    openSample(seam);
    ASSERT_EQ(form->windowTitle(), "Obravel - House");
    ASSERT_EQ(form->stTipo->text(), "BUDGET");
    writeBytes(path("other.cdb"), "\x1b\xa2\x0e rest");
    seam.expectOpenFile(path("other.cdb")).expectMessage("Error : Unknown file format.");
    form->FileOpen();
    EXPECT_TRUE(Document->FileName().empty());
    EXPECT_EQ(Document->Budgets.Count(), 0);
    EXPECT_EQ(form->tvPresu->topLevelItemCount(), 0);
    // Nothing is left describing the budget of the database that was closed.
    EXPECT_EQ(form->windowTitle(), "Obravel");
    EXPECT_TRUE(form->stTipo->text().isEmpty());
}

TEST_F(MainFileTest, SaveOfTheStartUpDocumentGoesThroughSaveAs) {
    ScriptedSeam seam;
    markEdited();
    seam.expectSaveFile(path("new.cdb"));
    form->FileSaveItem->trigger();
    EXPECT_EQ(readAll(path("new.cdb")).size(), 43);
    EXPECT_EQ(Document->Saved, 1);
    EXPECT_FALSE(form->btnSave->isEnabled());
    EXPECT_EQ(form->StBar->text(), "Database : " + path("new.cdb"));
    // Save As does not switch the Database menu on.
    EXPECT_FALSE(form->OpenPresupuestos->isEnabled());
}

TEST_F(MainFileTest, SaveAsOntoAnExistingFileAsksAndNoWritesNothing) {
    ScriptedSeam seam;
    writeBytes(path("taken.cdb"), "old");
    markEdited();
    seam.expectSaveFile(path("taken.cdb")).expectMessage(kExists, Answer::No);
    form->FileSaveAs();
    // The program's question is the only one: the dialog asks none of its own.
    EXPECT_FALSE(seam.fileDialogs.back().confirmOverwrite);
    EXPECT_EQ(readAll(path("taken.cdb")), "old");
    EXPECT_TRUE(form->btnSave->isEnabled());

    seam.expectSaveFile(path("taken.cdb")).expectMessage(kExists, Answer::Yes);
    form->FileSaveAs();
    EXPECT_EQ(readAll(path("taken.cdb")).size(), 43);
    EXPECT_FALSE(form->btnSave->isEnabled());
}

TEST_F(MainFileTest, SaveAsOpensInTheDatabasesFolderWithItsName) {
    ScriptedSeam seam;
    newDatabase(seam, "mine");
    seam.expectSaveFile(std::nullopt);
    form->FileSaveAs();
    EXPECT_EQ(seam.fileDialogs.back().initialDir, QDir::currentPath());
    EXPECT_EQ(seam.fileDialogs.back().initialName, "mine.cdb");
    EXPECT_TRUE(form->btnSave->isEnabled());

    seam.expectMessage(kChanged, Answer::No);
    openSample(seam);
    seam.expectSaveFile(std::nullopt);
    form->FileSaveAs();
    EXPECT_EQ(seam.fileDialogs.back().initialDir, dir.path());
    EXPECT_EQ(seam.fileDialogs.back().initialName, "sample.cdb");
}

TEST_F(MainFileTest, AFailedSaveAsKeepsTheNameAndTheNextSaveGoesThere) {
    ScriptedSeam seam;
    newDatabase(seam, "mine");
    seam.expectSaveFile(path("no/such/folder/x.cdb")).expectMessage("ErrorCannot create file");
    form->FileSaveAs();
    EXPECT_EQ(Document->Saved, 0);
    EXPECT_TRUE(form->btnSave->isEnabled());
    EXPECT_EQ(Document->FileName(), "mine.cdb");
    EXPECT_EQ(form->StBar->text(), "Database : mine.cdb");

    form->FileSave();
    EXPECT_EQ(readAll("mine.cdb").size(), 43);
    EXPECT_EQ(Document->Saved, 1);
}

TEST_F(MainFileTest, ExitWithNoClosesWithoutWriting) {
    ScriptedSeam seam;
    newDatabase(seam, "gone");
    showForm();
    ReportForm->ShowReport();
    ASSERT_TRUE(ReportForm->isVisible());
    seam.expectMessage(kChanged, Answer::No);
    form->FileExitItem->trigger();
    EXPECT_FALSE(form->isVisible());
    // The program ends with the main window: no other window keeps it running.
    EXPECT_FALSE(ReportForm->isVisible());
    EXPECT_FALSE(QFileInfo::exists("gone.cdb"));
}

TEST_F(MainFileTest, ExitWithYesSavesAndCloses) {
    ScriptedSeam seam;
    newDatabase(seam, "kept");
    showForm();
    seam.expectMessage(kChanged, Answer::Yes);
    form->FileExit();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(readAll("kept.cdb").size(), 43);
}

TEST_F(MainFileTest, ExitStaysOpenWhenTheSaveIsAbandoned) {
    ScriptedSeam seam;
    markEdited();
    showForm();
    seam.expectMessage(kChanged, Answer::Yes).expectSaveFile(std::nullopt);
    form->FileExit();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Document->Saved, 0);
}

TEST_F(MainFileTest, ClosingByTheFrameAsksTheSameQuestion) {
    ScriptedSeam seam;
    markEdited();
    showForm();
    seam.expectMessage(kChanged, Answer::Yes).expectSaveFile(std::nullopt);
    form->close();
    EXPECT_TRUE(form->isVisible());
    seam.expectMessage(kChanged, Answer::No);
    form->close();
    EXPECT_FALSE(form->isVisible());
}

TEST_F(MainFileTest, ExitWithoutChangesAsksNothing) {
    ScriptedSeam seam;
    showForm();
    form->FileExit();
    EXPECT_FALSE(form->isVisible());
}
