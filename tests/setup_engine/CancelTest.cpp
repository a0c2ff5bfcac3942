// Cancel: the worker pauses at its end tests while the question is open, goes on after No, and
// after Yes finishes the record at hand, runs the steps that still run, and ends without a status.
#include "EngineTestSupport.h"
#include "RegistryStore.h"
#include "ScriptedSeam.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

using namespace engine_testing;
using package_writer::Package;
using package_writer::Root1;

namespace {

// A seam whose overwrite question runs a test's action on the user-interface thread first.
class ActingSeam : public testing_support::ScriptedSeam {
public:
    std::function<void()> onQuestion;
    modal::Answer message(const modal::Message& m) override {
        if (onQuestion)
            onQuestion();
        return ScriptedSeam::message(m);
    }
};

class SetupEngineCancel : public ::testing::Test {
protected:
    void Load(const Package& p) {
        folder = std::make_unique<PackageFolder>(p);
        installer = std::make_unique<setup::TInstaller>(wizard);
        installer->SourceDir = folder->SourceDir();
        testing_support::ScriptedSeam seam;
        ASSERT_TRUE(installer->LoadPackage());
        installer->InstallRoot = QStringLiteral("C:\\Apps\\App");
    }
    // Starts the worker suspended, as if Cancel had been pressed at once, and answers Yes.
    void CancelAtTheFirstEndTest() {
        installer->StartInstallThread(true);
        QThread::msleep(20);
        installer->EndWorkerAndWait();
        ProcessPendingEvents();
    }
    QStringList Log() {
        return QString::fromLatin1(root.Read("C:\\Apps\\App\\tvuninst.dat"))
            .split("\r\n", Qt::SkipEmptyParts);
    }
    void ExpectNoEnd() {
        EXPECT_EQ(installer->GetStatus(), setup::TInstaller::StatusNone);
        EXPECT_EQ(wizard.endSignals, 0);
        EXPECT_FALSE(installer->IsWorkerRunning());
        EXPECT_TRUE(wizard.endCaption.isEmpty());
    }

    WindowsRoot root;
    FakeWizard wizard;
    std::unique_ptr<PackageFolder> folder;
    std::unique_ptr<setup::TInstaller> installer;
};

Package Full(int files, int values, int shortcuts) {
    Package p = BasicPackage();
    p.header.OfferStartMenuShortcuts = 1;
    p.componentNames = {"A"};
    for (int i = 0; i < files; ++i)
        p.files.push_back({"<InstallRoot>\\f" + std::to_string(i), "A", "body", {}, {}, {}});
    for (int i = 0; i < values; ++i)
        p.registryEntries.push_back({Root1, "Software\\Firm", "v" + std::to_string(i), "1", 3});
    for (int i = 0; i < shortcuts; ++i)
        p.shortcutEntries.push_back({"<Programs>", "C:\\WINDOWS\\system32\\..\\win.ini",
                                     "s" + std::to_string(i), "", 0, "", 0});
    p.dllPaths = {"x.dll"};
    p.uninstallCommands = {"undo"};
    return p;
}

TEST_F(SetupEngineCancel, InTheFreeSpaceStepLaterStepsHandleTheirFirstRecordOnly) {
    Load(Full(3, 3, 0));
    CancelAtTheFirstEndTest();
    ExpectNoEnd();
    const QStringList log = Log();
    EXPECT_TRUE(log.contains("CreateFile::C:\\Apps\\App\\f0"));
    EXPECT_FALSE(log.contains("CreateFile::C:\\Apps\\App\\f1"));
    EXPECT_TRUE(log.contains("CreateRegValue::HKEY_CURRENT_USER\\Software\\Firm\\v0"));
    EXPECT_FALSE(log.contains("CreateRegValue::HKEY_CURRENT_USER\\Software\\Firm\\v1"));
    // The uninstall entry, DLLs and final commands run in full.
    EXPECT_EQ(log.filter("Uninstall\\App").size(), 3);
    EXPECT_EQ(log.filter("RegisterDLL::").size(), 1);
    EXPECT_EQ(log.last(), "Exec::undo");
}

TEST_F(SetupEngineCancel, InTheRegistryStep) {
    Load(Full(0, 3, 0));
    CancelAtTheFirstEndTest();
    ExpectNoEnd();
    EXPECT_EQ(Log().filter("Software\\Firm\\v").size(), 1);
    EXPECT_EQ(
        winplatform::RegistryStore(root.RegistryFile()).valueNames(0x80000001u, "Software\\Firm"),
        QStringList({"v0"}))
        << "the cancelled step wrote what it logged";
    EXPECT_EQ(Log().last(), "Exec::undo");
}

TEST_F(SetupEngineCancel, InTheShortcutStep) {
    root.Write("C:\\WINDOWS\\win.ini", "[windows]");
    Load(Full(0, 0, 3));
    CancelAtTheFirstEndTest();
    ExpectNoEnd();
    EXPECT_EQ(Log().filter(".lnk").size(), 1);
    EXPECT_EQ(Log().last(), "Exec::undo");
}

TEST_F(SetupEngineCancel, InTheFileStepWhileTheOverwriteQuestionIsOpen) {
    Load(Full(4, 2, 0));
    root.Write("C:\\Apps\\App\\f1", "old");
    ActingSeam seam;
    seam.expectMessage("The File f1 already exists", modal::Answer::Yes);
    // Cancel pressed while the question is open: the worker is paused, then asked to end.
    seam.onQuestion = [this] { installer->SuspendWorker(); };
    installer->StartInstallThread();
    while (seam.log().empty())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    installer->EndWorkerAndWait();
    ProcessPendingEvents();
    ExpectNoEnd();
    EXPECT_EQ(root.Read("C:\\Apps\\App\\f1"), "body") << "the record at hand is finished";
    EXPECT_FALSE(root.Exists("C:\\Apps\\App\\f2"));
    EXPECT_EQ(Log().filter("Software\\Firm\\v").size(), 1);
}

TEST_F(SetupEngineCancel, AnsweredNoTheWorkerGoesOnToTheEnd) {
    Load(Full(3, 2, 0));
    installer->StartInstallThread();
    installer->SuspendWorker();
    QThread::msleep(20);
    installer->ResumeWorker();
    ASSERT_TRUE(RunToEnd(*installer, wizard));
    EXPECT_EQ(installer->GetStatus(), setup::TInstaller::StatusCompleted);
    EXPECT_EQ(Log().filter("CreateFile::C:\\Apps\\App\\f").size(), 3);
}

TEST_F(SetupEngineCancel, ClosingWhileTheWorkerRunsWaitsForIt) {
    Package p = Full(40, 5, 0);
    for (auto& f : p.files)
        f.Content = std::string(20000, 'z');
    Load(p);
    installer->StartInstallThread();
    installer.reset(); // the wizard frees the installer: the worker is ended and waited for
    EXPECT_EQ(wizard.endSignals, 0);
    ProcessPendingEvents(); // queued reports for the freed installer are dropped
}

} // namespace
