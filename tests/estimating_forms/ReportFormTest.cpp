// The report window: its start-up state, sections piling up, and saving as plain text.

#include "FileSizeLimit.h"
#include "PresupuestosTestData.h"
#include "ReportFrm.h"
#include "ScriptedSeam.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextCursor>
#include <gtest/gtest.h>

using namespace budget_testing;

namespace {

const QStringList kTitles = {"Code", "Component", "Un.", "Qty", "U.P:", "Tot.", "Perc."};

class ReportWindow : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        data = std::make_unique<SampleBudgets>(doc);
        selection = {data->house, data->concrete, data->concreteLine, false, {}};
        grid = {kTitles, {"S000001", "Cement", "kg", "    7.500", "    10.00", "       75.00", ""}};
    }
    QStringList Section() const { return BuildReportSection(selection, grid, ReportDate()); }
    QByteArray FileBytes(const QString& name) const {
        QFile file(name);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    QTemporaryDir dir;
    std::unique_ptr<SampleBudgets> data;
    TReportSelection selection;
    TReportGrid grid;
    TReportForm form;
};

} // namespace

TEST_F(ReportWindow, StartsEmptyAndHiddenWithItsControls) {
    EXPECT_EQ(form.windowTitle(), "Report");
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.redtReport->toPlainText().isEmpty());
    EXPECT_TRUE(form.Lines().isEmpty());
    EXPECT_FALSE(form.btnDelete->isEnabled());
    EXPECT_EQ(form.btnSave->text(), "Save as RTF");
    EXPECT_EQ(form.btnClear->text(), "Clear");
    EXPECT_EQ(form.btnClose->text(), "Close");
    for (const char* name : {"redtReport", "btnSave", "btnDelete", "btnClear", "btnClose"})
        EXPECT_NE(form.findChild<QWidget*>(name), nullptr) << name;
    EXPECT_EQ(form.redtReport->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(form.redtReport->font().family(), "Courier New");
    EXPECT_EQ(form.redtReport->font().styleHint(), QFont::TypeWriter);
}

TEST_F(ReportWindow, SectionsPileUpAndTheWindowComesUp) {
    form.AddToReport(selection, grid);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.Lines(), Section());
    form.AddToReport(selection, grid);
    EXPECT_EQ(form.Lines(), Section() + Section());
}

TEST_F(ReportWindow, UnsuitableSelectionChangesNothingAndShowsNothing) {
    selection.SelectedInsumo = data->mason;
    form.AddToReport(selection, grid);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.Lines().isEmpty());
    selection = {nullptr, data->concrete, data->concreteLine, false, {}};
    form.AddToReport(selection, grid);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(ReportWindow, ClosingKeepsTheTextClearingEmptiesIt) {
    form.AddToReport(selection, grid);
    form.btnClose->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.Lines(), Section());
    form.ShowReport();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.Lines(), Section());
    form.btnClear->click();
    EXPECT_TRUE(form.Lines().isEmpty());
    form.AddToReport(selection, grid);
    form.ClearReport();
    EXPECT_TRUE(form.Lines().isEmpty());
}

TEST_F(ReportWindow, DeleteFollowsTheSelectionAndRemovesIt) {
    form.AddToReport(selection, grid);
    EXPECT_FALSE(form.btnDelete->isEnabled());
    QTextCursor cursor = form.redtReport->textCursor();
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    form.redtReport->setTextCursor(cursor);
    EXPECT_TRUE(form.btnDelete->isEnabled());
    form.btnDelete->click();
    EXPECT_EQ(form.Lines(), Section().mid(1));
    EXPECT_FALSE(form.btnDelete->isEnabled());
}

TEST_F(ReportWindow, SavesPlainTextLinesEndedByCrLf) {
    form.AddToReport(selection, grid);
    form.AddToReport(selection, grid);
    const QString name = dir.filePath("report.rtf");
    testing_support::ScriptedSeam seam;
    seam.expectSaveFile(name);
    form.btnSave->click();
    ASSERT_EQ(seam.fileDialogs.size(), 1U);
    EXPECT_EQ(seam.fileDialogs[0].defaultSuffix, "rtf");
    EXPECT_TRUE(seam.fileDialogs[0].filter.startsWith("Archivos RTF (*.rtf)"));
    EXPECT_TRUE(seam.fileDialogs[0].filter.contains("Todos los archivos (*.*)"));

    QByteArray expected;
    for (const QString& line : Section() + Section())
        expected += line.toUtf8() + "\r\n";
    const QByteArray bytes = FileBytes(name);
    EXPECT_EQ(bytes, expected);
    EXPECT_FALSE(bytes.startsWith("{\\rtf"));
    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n'));
}

TEST_F(ReportWindow, SavingReplacesAnExistingFileAndCancelWritesNothing) {
    const QString name = dir.filePath("old.txt");
    {
        QFile old(name);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older and much longer report than the new one\r\n");
    }
    form.redtReport->setPlainText("one\ntwo");
    testing_support::ScriptedSeam seam;
    seam.expectSaveFile(std::nullopt).expectSaveFile(name);
    form.btnSave->click();
    EXPECT_EQ(FileBytes(name), "an older and much longer report than the new one\r\n");
    form.btnSave->click();
    EXPECT_EQ(FileBytes(name), "one\r\ntwo\r\n");
}

TEST_F(ReportWindow, EmptyReportSavesAnEmptyFile) {
    const QString name = dir.filePath("empty.rtf");
    testing_support::ScriptedSeam seam;
    seam.expectSaveFile(name);
    form.btnSave->click();
    EXPECT_TRUE(QFile::exists(name));
    EXPECT_TRUE(FileBytes(name).isEmpty());
}

TEST_F(ReportWindow, AFileThatCannotBeWrittenIsReportedAndTheTextStays) {
    form.AddToReport(selection, grid);
    const QString missingFolder = dir.filePath("no such folder/report.rtf");
    ASSERT_TRUE(QDir(dir.path()).mkdir("a folder"));
    const QString folder = dir.filePath("a folder");
    testing_support::ScriptedSeam seam;
    seam.expectSaveFile(missingFolder)
        .expectMessage("Cannot create file \"" + missingFolder + "\".")
        .expectSaveFile(folder)
        .expectMessage("Cannot create file \"" + folder + "\".");
    form.btnSave->click();
    form.btnSave->click();
    EXPECT_FALSE(QFile::exists(missingFolder));
    EXPECT_EQ(form.Lines(), Section());
}

TEST(ReportFile, WriteFailureThrowsWithTheFileNameAndKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString old = dir.filePath("old.rtf");
    {
        QFile file(old);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the old report\r\n");
    }
    // A short report stays in the writer's buffer until it is put in place: a full disk fails
    // only then.
    for (const QString& name : {dir.filePath("missing/r.rtf"), old}) {
        testing_support::FileSizeLimit limit(8);
        try {
            WriteReportFile(name, {"a line longer than the disk takes"});
            ADD_FAILURE() << "no error for " << name.toStdString();
        } catch (const std::exception& e) {
            EXPECT_TRUE(
                QString::fromUtf8(e.what()).startsWith("Cannot create file \"" + name + "\". "))
                << e.what();
        }
    }
    QFile kept(old);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("the old report\r\n"));
}

TEST(ReportFile, KeepsNonAsciiTextAsUtf8) {
    QTemporaryDir dir;
    const QString name = dir.filePath("r.rtf");
    WriteReportFile(name, {QString::fromUtf8("Área – €"), ""});
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\xC3\x81rea \xE2\x80\x93 \xE2\x82\xAC\r\n\r\n"));
}

TEST_F(ReportWindow, LinesKeepNonBreakingSpacesAndSplitAtEveryLineBreak) {
    const QString name = QString::fromUtf8("Caf\u00e9\u00a0Bar");
    data->concrete->SetName(name.toStdString());
    data->concrete->SetDescription("first\r\nsecond");
    form.AddToReport(selection, grid);
    const QStringList lines = form.Lines();
    EXPECT_TRUE(lines.contains("   Name        : " + name));
    EXPECT_TRUE(lines.contains("   Description : first"));
    EXPECT_TRUE(lines.contains("second"));
    EXPECT_EQ(lines.size(), Section().size() + 1);
}
