#pragma once
// The Windows the installer runs on, one piece per interface. The programs use current(); tests
// put their own in place with ScopedPlatform (usually a RootPlatform on a temporary folder).

#include "FileVersion.h"
#include "Processes.h"
#include "Registry.h"
#include "ShellFolders.h"
#include "Shortcuts.h"
#include "SystemServices.h"
#include "WindowsPaths.h"

namespace winplatform {

class Platform {
public:
    virtual ~Platform() = default;
    virtual WindowsPaths& paths() = 0;
    virtual Registry& registry() = 0;
    virtual ShellFolders& shellFolders() = 0;
    virtual ShortcutWriter& shortcuts() = 0;
    virtual FileVersionReader& fileVersions() = 0;
    virtual ProcessLauncher& processes() = 0;
    virtual SystemServices& system() = 0;
};

// The platform in force: unless one was set, a RootPlatform on RootPlatform::defaultRootFolder()
// (made and seeded on first use).
Platform& current();
// Installs a platform (not owned) and gives back the previous one; nullptr restores the default.
Platform* setCurrent(Platform* p);

class ScopedPlatform {
public:
    explicit ScopedPlatform(Platform& p) : previous_(setCurrent(&p)) {}
    ~ScopedPlatform() { setCurrent(previous_); }
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

private:
    Platform* previous_;
};

} // namespace winplatform
