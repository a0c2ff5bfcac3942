#pragma once
// Shared pieces of the engine tests: a fake wizard, a temporary Windows root in force, a package
// folder, and running an installation to its end.

#include "PackageWriter.h"
#include "Platform.h"
#include "RootPlatform.h"
#include "WizardLink.h"
#include "setup_installer.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <ostream>
#include <utility>
#include <vector>

// Readable QString values in test failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace engine_testing {

class FakeWizard : public setup::WizardLink {
public:
    void ClearParts() override {
        parts.clear();
        checked.clear();
    }
    void AddPart(const QString& text) override {
        parts.append(text);
        checked.push_back(false);
    }
    int PartCount() const override { return static_cast<int>(parts.size()); }
    QString PartText(int index) const override { return parts.at(index); }
    bool IsPartChecked(int index) const override { return checked.at(index); }
    void SetPartChecked(int index, bool value) override { checked.at(index) = value; }
    bool IsCommonShortcutsChecked() const override { return commonShortcuts; }
    void DisableCommonShortcuts() override { commonShortcutsDisabled = true; }
    void UseTahomaFont() override { tahoma = true; }
    void SetProgressText(const QString& text) override {
        progressTexts.append(text);
        events.append(QStringLiteral("label:") + text);
    }
    void SetProgressPosition(int position) override {
        positions.push_back(position);
        events.append(QStringLiteral("bar:") + QString::number(position));
    }
    void SetHeader(const QString& t, const QString& s) override {
        title = t;
        subtitle = s;
    }
    void SetErrorText(const QString& text) override { errorText = text; }
    void SetEndButtonCaption(const QString& caption) override { endCaption = caption; }
    void EnableEndSignal() override { ++endSignals; }

    void Uncheck(const QString& text) { checked.at(parts.indexOf(text)) = false; }

    QStringList parts;
    std::vector<bool> checked;
    bool commonShortcuts = false;
    bool commonShortcutsDisabled = false;
    bool tahoma = false;
    QStringList progressTexts;
    std::vector<int> positions;
    QStringList events;
    QString title;
    QString subtitle;
    QString errorText;
    QString endCaption;
    int endSignals = 0;
};

// A fresh Windows root in a temporary folder, the platform in force while it lives.
class WindowsRoot {
public:
    WindowsRoot();
    ~WindowsRoot();
    winplatform::RootPlatform& platform() { return *platform_; }
    QString Host(const QString& windowsPath) const;
    bool Exists(const QString& windowsPath) const;
    QByteArray Read(const QString& windowsPath) const;
    void Write(const QString& windowsPath, const QByteArray& bytes) const;
    QString RegistryFile() const; // host path
    QString RegistryText() const;

private:
    QTemporaryDir dir_;
    std::unique_ptr<winplatform::RootPlatform> platform_;
    std::unique_ptr<winplatform::ScopedPlatform> scope_;
};

// A folder holding a package, as the folder of the running installer.
class PackageFolder {
public:
    explicit PackageFolder(const package_writer::Package& package);
    PackageFolder();
    QString SourceDir() const { return dir_.path() + QLatin1Char('/'); }
    QString File(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    void WriteRaw(const char* name, const std::string& bytes) const;

private:
    QTemporaryDir dir_;
};

// Runs the installation started by StartInstallThread until the worker has ended and every
// report has reached the wizard. False when it did not end in time.
bool RunToEnd(setup::TInstaller& installer, FakeWizard& wizard);
void ProcessPendingEvents();

// A package with the usual header: any Windows, unattended off, the given files.
package_writer::Package BasicPackage();

} // namespace engine_testing
