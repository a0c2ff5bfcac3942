#pragma once
// The pieces of a RootPlatform other than paths and registry.

#include "FileVersion.h"
#include "Processes.h"
#include "Registry.h"
#include "ShellFolders.h"
#include "Shortcuts.h"
#include "SystemServices.h"
#include "WindowsPaths.h"

#include <atomic>
#include <functional>
#include <mutex>

namespace winplatform {

// The seeded Windows folder.
inline const QString kWindowsFolder = QStringLiteral("C:\\WINDOWS");

class RegistryShellFolders : public ShellFolders {
public:
    explicit RegistryShellFolders(const Registry& registry) : registry_(registry) {}
    std::optional<QString> folderPath(int csidl) const override;

private:
    const Registry& registry_;
};

class RootShortcutWriter : public ShortcutWriter {
public:
    explicit RootShortcutWriter(const WindowsPaths& paths) : paths_(paths) {}
    bool save(const ShellLink& link, const QString& linkPath) override;

private:
    const WindowsPaths& paths_;
};

class RootFileVersions : public FileVersionReader {
public:
    explicit RootFileVersions(const WindowsPaths& paths) : paths_(paths) {}
    std::optional<FixedFileVersion> fixedFileVersion(const QString& windowsPath) const override;

private:
    const WindowsPaths& paths_;
};

class RootProcesses : public ProcessLauncher {
public:
    explicit RootProcesses(const WindowsPaths& paths) : paths_(paths) {}
    ProcessOutcome runAndWait(const QString& commandLine) override;

private:
    std::optional<QString> programFile(const QString& name) const;
    const WindowsPaths& paths_;
};

class RootSystem : public SystemServices {
public:
    RootSystem(const Registry& registry, const QString& restartMarker)
        : registry_(registry), restartMarker_(restartMarker) {}

    std::optional<WindowsVersion> windowsVersion() const override;
    QString tempPath() const override;
    std::optional<QString> environmentVariable(const QString& name) const override;
    void setEnvironmentVariable(const QString& name, const QString& value) override;
    void beep() override;
    bool openUrl(const QString& address) override;
    void requestRestart() override;

    void setUrlOpener(std::function<bool(const QString&)> opener);
    int restartRequests() const { return restarts_; }

private:
    const Registry& registry_;
    QString restartMarker_;
    std::mutex openerMutex_;
    std::function<bool(const QString&)> opener_;
    std::atomic<int> restarts_{0};
};

} // namespace winplatform
