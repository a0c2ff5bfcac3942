// The built `setup` program, run as a user would run it: copied beside a package.

#include "PackageWriter.h"
#include "RootPlatform.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>

namespace {

struct Outcome {
    int exitCode = -1; // -1: still running at the time limit
    QString output;
    QString errors; // standard error
};

class SetupWizardProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid() && packageDir.isValid());
        program = packageDir.filePath("setup");
        ASSERT_TRUE(QFile::copy(QStringLiteral(SETUP_PROGRAM), program));
    }

    Outcome Start(const QStringList& arguments, int timeLimitMs = 60000) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (display) {
            for (const char* name :
                 {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"})
                environment.remove(name);
            if (!display->isEmpty())
                environment.insert("DISPLAY", *display);
        } else {
            environment.insert("QT_QPA_PLATFORM", "offscreen");
        }
        environment.insert(winplatform::kRootVariable, root.path());
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        Outcome run;
        if (!process.waitForFinished(timeLimitMs)) {
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        run.output = QString::fromLocal8Bit(process.readAllStandardOutput());
        run.errors = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    QString hostOf(const QString& windowsPath) {
        winplatform::RootPlatform windows(root.path());
        return windows.paths().toHost(windowsPath).value_or(QString());
    }

    static QByteArray Read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir root;
    QTemporaryDir packageDir;
    QString program;
    // Unset: the offscreen platform. Set: the program finds its platform itself, with this
    // DISPLAY (none when empty).
    std::optional<QString> display;
};

package_writer::Package Package() {
    package_writer::Package p;
    p.header.AppName = "Sample";
    p.header.DefaultDestination = "<ProgramFiles>\\<AppName>";
    p.header.FilesCompressed = 1;
    p.componentNames = {"Program", "Help"};
    p.files = {{"<InstallRoot>\\sample.exe", "Program", std::string(5000, 'x') + "end", {}, {}, {}},
               {"<InstallRoot>\\help\\readme.txt", "Help", "read me", {}, {}, {}}};
    return p;
}

} // namespace

TEST_F(SetupWizardProgram, UnattendedRunInstallsBesideItsPackage) {
    package_writer::Write(packageDir.path().toStdString(), Package());
    const Outcome run = Start({"/u", "/p:Program"});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(Read(hostOf("C:\\Program Files\\Sample\\sample.exe")), QByteArray(5000, 'x') + "end");
    EXPECT_FALSE(QFile::exists(hostOf("C:\\Program Files\\Sample\\help\\readme.txt")));
    const QByteArray log = Read(hostOf("C:\\Program Files\\Sample\\tvuninst.dat"));
    EXPECT_TRUE(log.startsWith("CreateDir::C:\\Program Files\\Sample\r\n")) << log.toStdString();
    EXPECT_TRUE(log.contains("CreateFile::C:\\Program Files\\Sample\\sample.exe\r\n"));
}

TEST_F(SetupWizardProgram, UnattendedRunIntoTheGivenFolder) {
    package_writer::Write(packageDir.path().toStdString(), Package());
    const Outcome run = Start({"/U", "/d:C:\\Elsewhere\\"});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(Read(hostOf("C:\\Elsewhere\\help\\readme.txt")), "read me");
    EXPECT_TRUE(QFile::exists(hostOf("C:\\Elsewhere\\sample.exe")));
}

// No one can press OK without a screen: the failure goes to standard error and the run ends,
// whether the platform is offscreen, no display is set or the display names no server.
TEST_F(SetupWizardProgram, UnattendedFailureWithoutAScreenSaysWhyAndEnds) {
    package_writer::Write(packageDir.path().toStdString(), Package());
    Outcome run = Start({"/u", "/d:C:\\Bad|Folder"}, 10000);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("Unattended Setup failed!\nInvalid Destination Directory"))
        << run.errors.toStdString();

    display = ":987";
    run = Start({"/u", "/d:C:\\Bad|Folder"}, 10000);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("Unattended Setup failed!\nInvalid Destination Directory"))
        << run.errors.toStdString();

    QFile::remove(packageDir.filePath("data.pak"));
    display = "";
    run = Start({"/u"}, 10000);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("Could not find all required files!"))
        << run.errors.toStdString();
}

// A package that asks for an unattended run needs no display; a wizard without one says so.
TEST_F(SetupWizardProgram, WithoutADisplayOnlyTheWizardRefusesToStart) {
    package_writer::Package unattended = Package();
    unattended.header.Unattended = 1;
    package_writer::Write(packageDir.path().toStdString(), unattended);
    display = "";
    Outcome run = Start({});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(QFile::exists(hostOf("C:\\Program Files\\Sample\\sample.exe")));

    package_writer::Write(packageDir.path().toStdString(), Package());
    display = ":987";
    run = Start({}, 10000);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors, "setup: cannot open a display; run with /u to install unattended\n");
}
