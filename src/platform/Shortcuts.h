#pragma once
// Shortcuts: ".lnk" files in the shell link binary format, readable by Windows.

#include <QByteArray>
#include <QString>
#include <optional>

namespace winplatform {

// What a shortcut holds. Paths are Windows paths.
struct ShellLink {
    QString targetPath;
    QString workingFolder;
    QString arguments;
    bool hasIcon = false;
    QString iconFile;
    int iconIndex = 0;
    bool operator==(const ShellLink&) const = default;
};

class ShortcutWriter {
public:
    virtual ~ShortcutWriter() = default;
    // Writes the link to linkPath (a Windows path ending in ".lnk"), replacing an existing file.
    // The folder must exist. False when the file cannot be written.
    virtual bool save(const ShellLink& link, const QString& linkPath) = 0;
};

// The file's bytes. The target's size and attributes go in the header when known.
QByteArray encodeShellLink(const ShellLink& link, quint32 targetSize = 0,
                           bool targetIsFolder = false);
// Reads back what encodeShellLink (or Windows) wrote: target from the link info's local path,
// the string data, the icon index. nullopt with a reason in *error for anything malformed.
std::optional<ShellLink> decodeShellLink(const QByteArray& bytes, QString* error = nullptr);

} // namespace winplatform
