#include "WizardFixture.h"

#include <QFile>
#include <QProgressBar>
#include <QTimer>

using namespace wizard_testing;

namespace {

// A package command that signals its start and then takes its time, so that a test can cancel
// or close while the worker runs.
class SetupWizardWorkerRunning : public SetupWizard {
protected:
    // Installs a package whose last step is that command; returns once the command has started.
    void InstallUntilTheSlowCommandRuns() {
        const QString marker = work.path() + "/started";
        const QByteArray script = "#!/bin/sh\ntouch '" + marker.toUtf8() + "'\nsleep 1\n";
        windows.writeFile("C:\\Tools\\slow.exe", script);
        QFile::setPermissions(windows.host("C:\\Tools\\slow.exe"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        package_writer::Package p = BasicPackage();
        p.runAfterCommands = {"C:\\Tools\\slow.exe"};
        Start(p);
        GoToComponents();
        Next();
        ASSERT_TRUE(WaitFor([&] { return QFile::exists(marker); }));
    }

    QTemporaryDir work;
};

} // namespace

TEST_F(SetupWizard, InteractiveInstallToDone) {
    package_writer::Package p = BasicPackage();
    p.componentNames = {"Program", "Help"};
    Start(p, {"/p:Program"});
    GoToComponents();
    Next();
    EXPECT_EQ(page(), Page::Install);
    EXPECT_EQ(title(), "Performing Installation");
    EXPECT_EQ(subtitle(), "The Application is now being installed on your computer.");
    EXPECT_FALSE(form->Button2->isEnabled());
    EXPECT_FALSE(form->Button3->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return page() != Page::Install; }));

    EXPECT_EQ(page(), Page::Done);
    EXPECT_EQ(title(), "Installation Completed");
    EXPECT_EQ(subtitle(), "Setup has successfully completed the Installation.");
    EXPECT_EQ(form->BEnd->text(), "&Finish");
    EXPECT_EQ(form->ProgressBar->value(), 50); // the second file was not chosen
    EXPECT_EQ(installed("C:\\Program Files\\Sample\\sample.exe"), "program body");
    EXPECT_FALSE(installedExists("C:\\Program Files\\Sample\\help\\sample.txt"));
    EXPECT_TRUE(installedExists("C:\\Program Files\\Sample\\tvuninst.dat"));
    EXPECT_FALSE(form->CoThread->isActive());

    form->BEnd->click(); // no restart wanted, no Cancel question
    EXPECT_TRUE(form->Closed());
    EXPECT_EQ(form->ExitCode(), 0);
    EXPECT_EQ(windows.platform().restartRequests(), 0);
}

TEST_F(SetupWizard, NotEnoughDiskSpaceShowsTheErrorPage) {
    windows.platform().setFreeSpace('C', 10);
    Start(BasicPackage());
    GoToComponents();
    InstallToTheEnd();
    EXPECT_EQ(page(), Page::Error);
    EXPECT_EQ(title(), "Installation Failed");
    EXPECT_EQ(subtitle(), "Setup could not complete the Installation.");
    EXPECT_EQ(form->LError->text(), "Insufficient free disk space to perform the installation.");
    EXPECT_EQ(form->BEnd->text(), "&Close");
    EXPECT_FALSE(installedExists("C:\\Program Files\\Sample\\tvuninst.dat"));
    form->close(); // no Cancel question any more
    EXPECT_TRUE(form->Closed());
    EXPECT_NE(form->ExitCode(), 0);
}

TEST_F(SetupWizard, RestartQuestionAtFinish) {
    package_writer::Package p = BasicPackage();
    p.header.RecommendRestart = 1;
    Start(p);
    GoToComponents();
    InstallToTheEnd();
    ASSERT_EQ(page(), Page::Done);
    seam.expectMessage("It is strongly recommended to restart your computer now.", Answer::No);
    form->BEnd->click();
    EXPECT_TRUE(form->Closed());
    EXPECT_EQ(windows.platform().restartRequests(), 0);
    EXPECT_EQ(seam.messages.back().buttons, modal::Buttons::YesNo);
    EXPECT_EQ(seam.beeps, 1);
}

TEST_F(SetupWizard, RestartQuestionAnsweredYesAsksForARestart) {
    package_writer::Package p = BasicPackage();
    p.header.RecommendRestart = 1;
    Start(p);
    GoToComponents();
    InstallToTheEnd();
    seam.expectMessage("Do you want Setup to restart your computer?", Answer::Yes);
    form->BEnd->click();
    EXPECT_TRUE(form->Closed());
    EXPECT_EQ(windows.platform().restartRequests(), 1);
}

TEST_F(SetupWizardWorkerRunning, CancelDuringInstallAnsweredNoGoesOn) {
    InstallUntilTheSlowCommandRuns();
    seam.expectMessage("Are you sure you want to cancel installation?", Answer::No);
    form->BEnd->click();
    EXPECT_FALSE(form->Closed());
    ASSERT_TRUE(WaitFor([&] { return page() != Page::Install; }));
    EXPECT_EQ(page(), Page::Done);
    EXPECT_EQ(form->installer().GetStatus(), setup::TInstaller::StatusCompleted);
}

TEST_F(SetupWizardWorkerRunning, CancelDuringInstallAnsweredYesEndsTheWorkerAndCloses) {
    InstallUntilTheSlowCommandRuns();
    seam.expectMessage("Are you sure you want to cancel installation?", Answer::Yes);
    form->BEnd->click();
    // The wizard waited for the worker: it has ended and gave no end signal.
    EXPECT_TRUE(form->Closed());
    EXPECT_FALSE(form->installer().IsWorkerRunning());
    EXPECT_EQ(form->installer().GetStatus(), setup::TInstaller::StatusNone);
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(page(), Page::Install);
    EXPECT_NE(form->ExitCode(), 0);
    // The steps already under way were finished and logged.
    EXPECT_TRUE(installedExists("C:\\Program Files\\Sample\\tvuninst.dat"));
}

TEST_F(SetupWizardWorkerRunning, ClosingWhileTheWorkerRunsWaitsForIt) {
    InstallUntilTheSlowCommandRuns();
    form.reset(); // the installer goes only after its worker
    EXPECT_TRUE(installedExists("C:\\Program Files\\Sample\\tvuninst.dat"));
}

TEST_F(SetupWizard, UnattendedInstallClosesItself) {
    package_writer::Package p = BasicPackage();
    p.header.RecommendRestart = 1;
    Start(p, {"/U"});
    EXPECT_EQ(page(), Page::Install);
    EXPECT_EQ(title(), "Performing Installation");
    EXPECT_FALSE(form->Button2->isEnabled());
    EXPECT_FALSE(form->Button3->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return form->Closed(); }));
    EXPECT_EQ(form->ExitCode(), 0);
    EXPECT_EQ(installed("C:\\Program Files\\Sample\\sample.exe"), "program body");
    EXPECT_EQ(installed("C:\\Program Files\\Sample\\help\\sample.txt"), "help text");
    EXPECT_EQ(windows.platform().restartRequests(), 0);
}

TEST_F(SetupWizard, UnattendedByThePackageAndIntoTheGivenFolder) {
    package_writer::Package p = BasicPackage();
    p.header.Unattended = 1;
    Start(p, {"/d:C:\\Custom\\", "/p:Help"});
    EXPECT_EQ(form->installer().InstallRoot, "C:\\Custom");
    ASSERT_TRUE(WaitFor([&] { return form->Closed(); }));
    EXPECT_EQ(installed("C:\\Custom\\help\\sample.txt"), "help text");
    EXPECT_FALSE(installedExists("C:\\Custom\\sample.exe"));
}

TEST_F(SetupWizard, UnattendedRunReplacesExistingFilesWithoutAsking) {
    windows.writeFile("C:\\Program Files\\Sample\\sample.exe", "old");
    Start(BasicPackage(), {"/u"});
    ASSERT_TRUE(WaitFor([&] { return form->Closed(); }));
    EXPECT_EQ(installed("C:\\Program Files\\Sample\\sample.exe"), "program body");
}

TEST_F(SetupWizard, UnattendedInvalidDestinationFailsClearly) {
    QString deep = "C:";
    for (int i = 0; i < 17; ++i)
        deep += "\\" + QString(240, u'd');
    for (const QString& bad : {QString("Apps"), "C:\\" + QString(256, u'n'), deep}) {
        seam.expectMessage("Unattended Setup failed!\r\nInvalid Destination Directory");
        Start(BasicPackage(), {"/u", "/d:" + bad});
        EXPECT_TRUE(form->Ended());
        EXPECT_NE(form->ExitCode(), 0);
        EXPECT_FALSE(form->installer().IsWorkerRunning());
    }
    EXPECT_EQ(seam.beeps, 3);
    EXPECT_FALSE(winplatform::current().paths().folderExists("C:\\Program Files\\Sample"));
}

TEST_F(SetupWizard, UnattendedWithoutDiskSpaceSaysSoAndCloses) {
    windows.platform().setFreeSpace('C', 10);
    seam.expectMessage(
        "Unattended Setup failed!\r\nInsufficient free disk space to perform the installation.");
    Start(BasicPackage(), {"/u"});
    ASSERT_TRUE(WaitFor([&] { return form->Closed(); }));
    EXPECT_NE(form->ExitCode(), 0);
    EXPECT_EQ(seam.beeps, 1);
}

TEST_F(SetupWizard, UnattendedFailureWithoutAScreenClosesWithoutABox) {
    windows.platform().setFreeSpace('C', 10);
    screenless = true;
    Start(BasicPackage(), {"/u"});
    ASSERT_TRUE(WaitFor([&] { return form->Closed(); }));
    EXPECT_EQ(form->ExitCode(), 1);
    EXPECT_TRUE(seam.messages.empty());
}

TEST_F(SetupWizard, UnattendedOnUnsupportedWindowsEnds) {
    ASSERT_TRUE(winplatform::setWindowsVersion(
        windows.platform().registry(), {winplatform::WindowsPlatform::WindowsNT, 5, 0, 2195}));
    package_writer::Package p = BasicPackage();
    p.header.AllowAnyWindows = 0;
    p.header.AllowWinXP = 1;
    seam.expectMessage("Unattended Setup failed!\r\nThis Version of Windows is not supported.");
    Start(p, {"/u"});
    EXPECT_TRUE(form->Ended());
    EXPECT_FALSE(form->installer().IsWorkerRunning());
    EXPECT_FALSE(winplatform::current().paths().folderExists("C:\\Program Files\\Sample"));
}

TEST_F(SetupWizard, FailedStepShowsItsReasonOnTheErrorPage) {
    // A file where the package wants a folder: the help file cannot be written.
    windows.writeFile("C:\\Program Files\\Sample\\help", "in the way");
    seam.expectMessage("Destination Directory already exists.", Answer::Yes);
    Start(BasicPackage());
    GoToComponents();
    InstallToTheEnd();
    EXPECT_EQ(page(), Page::Error);
    EXPECT_EQ(form->installer().GetStatus(), setup::TInstaller::StatusFailed);
    EXPECT_EQ(title(), "Installation Failed");
    EXPECT_EQ(form->LError->text(), form->installer().FailureReason);
    EXPECT_FALSE(form->LError->text().isEmpty());
    EXPECT_EQ(form->BEnd->text(), "&Close");
    form->BEnd->click();
    EXPECT_TRUE(form->Closed());
    EXPECT_EQ(form->ExitCode(), 1);
}

TEST_F(SetupWizard, UnattendedFailedStepSaysWhyAndCloses) {
    windows.writeFile("C:\\Program Files\\Sample\\help", "in the way");
    seam.expectMessage("Unattended Setup failed!\r\n");
    Start(BasicPackage(), {"/u"});
    ASSERT_TRUE(WaitFor([&] { return form->Closed(); }));
    EXPECT_EQ(form->ExitCode(), 1);
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_TRUE(seam.messages[0].text.endsWith(form->installer().FailureReason));
}

TEST_F(SetupWizard, OverwriteQuestionDuringAnInteractiveInstall) {
    windows.writeFile("C:\\Program Files\\Sample\\sample.exe", "old");
    windows.writeFile("C:\\Program Files\\Sample\\help\\sample.txt", "old help");
    seam.expectMessage("Destination Directory already exists.", Answer::Yes)
        .expectMessage("The File sample.exe already exists.", Answer::No)
        .expectMessage("The File sample.txt already exists.", Answer::Yes);
    Start(BasicPackage());
    GoToComponents();
    InstallToTheEnd();
    EXPECT_EQ(page(), Page::Done);
    EXPECT_EQ(installed("C:\\Program Files\\Sample\\sample.exe"), "old");
    EXPECT_EQ(installed("C:\\Program Files\\Sample\\help\\sample.txt"), "help text");
    EXPECT_EQ(seam.beeps, 1); // the overwrite question comes without one
}
