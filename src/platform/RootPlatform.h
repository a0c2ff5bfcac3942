#pragma once
// Windows in a folder of this machine: drive folders "drive_c" ..., the registry in
// "registry.reg" (the Windows registry export format), the shell folders under
// "C:\Documents and Settings". A new root is created and seeded on first open.

#include "Platform.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace winplatform {

// Environment variable that names the Windows root folder (tests point it at a temporary one).
inline constexpr char kRootVariable[] = "OBRAVEL_WINROOT";
// The version a new root reports: Windows XP.
inline constexpr WindowsVersion kSeededVersion{WindowsPlatform::WindowsNT, 5, 1, 2600};
inline constexpr char kRegistryFileName[] = "registry.reg";
inline constexpr char kRestartMarkerName[] = "restart-requested";

class RootPlatform : public Platform {
public:
    // Opens (creating and seeding when new) the Windows root in hostFolder.
    explicit RootPlatform(const QString& hostFolder);
    ~RootPlatform() override;

    // $OBRAVEL_WINROOT, else $XDG_DATA_HOME/obravel/windows, else ~/.local/share/obravel/windows.
    static QString defaultRootFolder();

    QString rootFolder() const;
    // Empty when the root is usable; otherwise why it could not be created or read.
    QString openError() const;

    WindowsPaths& paths() override;
    Registry& registry() override;
    ShellFolders& shellFolders() override;
    ShortcutWriter& shortcuts() override;
    FileVersionReader& fileVersions() override;
    ProcessLauncher& processes() override;
    SystemServices& system() override;

    // For tests: the free space a drive reports (nullopt: the real figure again).
    void setFreeSpace(QChar driveLetter, std::optional<qint64> bytes);
    // For tests: what opens a web address instead of the desktop's opener. The default runs
    // "xdg-open <address>" detached.
    void setUrlOpener(std::function<bool(const QString&)> opener);
    // How many restarts were requested (each also leaves the file "restart-requested" in the root).
    int restartRequests() const;

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

// Makes the root's registry report this version (tests pose as each Windows version this way):
// NT versions in "Software\Microsoft\Windows NT\CurrentVersion", 9x ones in
// "Software\Microsoft\Windows\CurrentVersion" "VersionNumber", under HKEY_LOCAL_MACHINE.
bool setWindowsVersion(Registry& registry, const WindowsVersion& v);

} // namespace winplatform
