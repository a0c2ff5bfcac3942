#pragma once
// The small services: Windows version, temporary folder, environment, beep, web address,
// restart.

#include <QString>
#include <cstdint>
#include <optional>

namespace winplatform {

enum class WindowsPlatform : std::uint32_t { Win32s = 0, Windows9x = 1, WindowsNT = 2 };

struct WindowsVersion {
    WindowsPlatform platform = WindowsPlatform::WindowsNT;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    bool operator==(const WindowsVersion&) const = default;
};

// http:// or https:// (any letter case) with a host; nothing else is ever opened.
bool isWebAddress(const QString& address);

class SystemServices {
public:
    virtual ~SystemServices() = default;
    // nullopt when the version cannot be read (the version query fails).
    virtual std::optional<WindowsVersion> windowsVersion() const = 0;
    // Windows path of the temporary folder, ending in "\".
    virtual QString tempPath() const = 0;
    // Names compare without regard to letter case; nullopt when not set.
    virtual std::optional<QString> environmentVariable(const QString& name) const = 0;
    virtual void setEnvironmentVariable(const QString& name, const QString& value) = 0;
    virtual void beep() = 0;
    // Opens a web address with the desktop's opener; false (and nothing done) for anything that
    // is not isWebAddress or when the opener cannot be started.
    virtual bool openUrl(const QString& address) = 0;
    // Asks for a restart of the computer: recorded, never carried out on this machine.
    virtual void requestRestart() = 0;
};

} // namespace winplatform
