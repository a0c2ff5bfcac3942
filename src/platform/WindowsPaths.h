#pragma once
// Where a Windows path lives on this machine. Every path the installer touches passes through
// toHost (Windows -> host) or toWindows (host -> Windows); nothing else builds host paths.

#include <QChar>
#include <QString>
#include <QtGlobal>
#include <optional>

namespace winplatform {

class WindowsPaths {
public:
    virtual ~WindowsPaths() = default;

    // "C:\Program Files\App\x.exe" -> host path. Letter case of existing names is matched as
    // Windows does (an existing "program files" folder is the same folder); names that do not
    // exist yet are kept as given. "/" counts as "\", ".." never climbs above the drive, trailing
    // dots and blanks of a name are dropped. nullopt for a path that has no drive letter, names a
    // drive that does not exist, holds characters Windows forbids in names, or would leave the
    // Windows root.
    virtual std::optional<QString> toHost(const QString& windowsPath) const = 0;
    // Host path inside a drive folder -> "C:\..." (no trailing "\" except for "C:\").
    virtual std::optional<QString> toWindows(const QString& hostPath) const = 0;
    // Free bytes on the drive of that letter (either case); -1 when there is no such drive.
    virtual qint64 diskFree(QChar driveLetter) const = 0;

    bool fileExists(const QString& windowsPath) const;   // an existing file, not a folder
    bool folderExists(const QString& windowsPath) const; // an existing folder
    bool exists(const QString& windowsPath) const;       // either
};

} // namespace winplatform
