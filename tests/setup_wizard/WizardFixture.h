#pragma once
// A wizard started beside a generated package, in a temporary Windows, with every question
// scripted.

#include "PackageWriter.h"
#include "ScriptedSeam.h"
#include "TempWindows.h"
#include "setup_installer.h"
#include "setup_main.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace wizard_testing {

using modal::Answer;
using Page = TMainForm::Page;

inline package_writer::Package BasicPackage() {
    package_writer::Package p;
    p.header.AppName = "Sample";
    p.header.Version = "1.0";
    p.header.Company = "Sample Company";
    p.header.Website = "http://www.example.com";
    p.header.AnnounceStyle = 2;
    p.header.DefaultDestination = "<ProgramFiles>\\<AppName>";
    p.componentNames = {"Program", "Help"};
    p.files = {{"<InstallRoot>\\sample.exe", "Program", "program body", {}, {}, {}},
               {"<InstallRoot>\\help\\sample.txt", "Help", "help text", {}, {}, {}}};
    return p;
}

inline package_writer::Package LicensedPackage() {
    package_writer::Package p = BasicPackage();
    p.header.HasLicense = 1;
    p.license = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\b Licence\\b0\\par\r\nFirst line\\line "
                "Second \\'e9\\par}\r\n";
    return p;
}

class SetupWizard : public ::testing::Test {
protected:
    void SetUp() override { QApplication::setQuitOnLastWindowClosed(false); }
    void TearDown() override {
        // Close as a user would not: the form goes and the installer waits for its worker.
        form.reset();
    }

    void Start(const package_writer::Package& package, const QStringList& arguments = {}) {
        package_writer::Write(packageDir.path().toStdString(), package);
        StartBesideWrittenPackage(arguments);
    }
    void StartBesideWrittenPackage(const QStringList& arguments = {}) {
        form = std::make_unique<TMainForm>(
            TMainForm::StartUp{arguments, packageDir.path(), screenless});
        if (!form->Ended())
            form->show();
    }

    static bool WaitFor(const std::function<bool()>& done, int timeoutMs = 30000) {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > timeoutMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(1);
        }
        return true;
    }

    Page page() const { return form->CurrentPage(); }
    void Next() const { form->Button2->click(); }
    void Back() const { form->Button3->click(); }
    QString title() const { return form->Label3->text(); }
    QString subtitle() const { return form->Label4->text(); }
    QString dest() const { return form->EDest->text(); }
    QString installed(const QString& windowsPath) const {
        return QString::fromLatin1(windows.readFile(windowsPath));
    }
    bool installedExists(const QString& windowsPath) const {
        return winplatform::current().paths().fileExists(windowsPath);
    }

    // From the Default page of a package without a licence to the Type page.
    void GoToComponents() {
        Next();
        ASSERT_EQ(page(), Page::Destination);
        Next();
        ASSERT_EQ(page(), Page::Type);
    }
    void InstallToTheEnd() {
        Next();
        ASSERT_EQ(page(), Page::Install);
        ASSERT_TRUE(WaitFor([&] { return page() != Page::Install; }));
    }

    platform_testing::TempWindows windows;
    QTemporaryDir packageDir;
    testing_support::ScriptedSeam seam;
    std::unique_ptr<TMainForm> form;
    bool screenless = false; // as under the offscreen platform
};

} // namespace wizard_testing
