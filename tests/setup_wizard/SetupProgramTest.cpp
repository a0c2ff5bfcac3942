// The built `setup` program, run as a user would run it: copied beside a package.

#include "PackageWriter.h"
#include "RootPlatform.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int exitCode = -1;
    QString output;
};

class SetupWizardProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid() && packageDir.isValid());
        program = packageDir.filePath("setup");
        ASSERT_TRUE(QFile::copy(QStringLiteral(SETUP_PROGRAM), program));
    }

    Outcome Start(const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert(winplatform::kRootVariable, root.path());
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        Outcome run;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        run.output = QString::fromLocal8Bit(process.readAll());
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
    ASSERT_EQ(run.exitCode, 0) << run.output.toStdString();
    EXPECT_EQ(Read(hostOf("C:\\Program Files\\Sample\\sample.exe")), QByteArray(5000, 'x') + "end");
    EXPECT_FALSE(QFile::exists(hostOf("C:\\Program Files\\Sample\\help\\readme.txt")));
    const QByteArray log = Read(hostOf("C:\\Program Files\\Sample\\tvuninst.dat"));
    EXPECT_TRUE(log.startsWith("CreateDir::C:\\Program Files\\Sample\r\n")) << log.toStdString();
    EXPECT_TRUE(log.contains("CreateFile::C:\\Program Files\\Sample\\sample.exe\r\n"));
}

TEST_F(SetupWizardProgram, UnattendedRunIntoTheGivenFolder) {
    package_writer::Write(packageDir.path().toStdString(), Package());
    const Outcome run = Start({"/U", "/d:C:\\Elsewhere\\"});
    ASSERT_EQ(run.exitCode, 0) << run.output.toStdString();
    EXPECT_EQ(Read(hostOf("C:\\Elsewhere\\help\\readme.txt")), "read me");
    EXPECT_TRUE(QFile::exists(hostOf("C:\\Elsewhere\\sample.exe")));
}
