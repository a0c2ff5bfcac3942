#include "RootPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

#include <dirent.h>
#include <sys/stat.h>

namespace winplatform {

bool WindowsPaths::fileExists(const QString& windowsPath) const {
    const auto host = toHost(windowsPath);
    return host && QFileInfo(*host).isFile();
}

bool WindowsPaths::folderExists(const QString& windowsPath) const {
    const auto host = toHost(windowsPath);
    return host && QFileInfo(*host).isDir();
}

bool WindowsPaths::exists(const QString& windowsPath) const {
    const auto host = toHost(windowsPath);
    return host && QFileInfo::exists(*host);
}

namespace {

bool isAsciiLetter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

char16_t lowerLetter(QChar c) {
    return c.toLower().unicode();
}

bool isForbiddenInName(QChar c) {
    static const QString forbidden = QStringLiteral("<>:\"|?*");
    return c.unicode() < 0x20 || forbidden.contains(c);
}

// Windows ignores trailing dots and blanks of a name.
QString trimTrailingDotsAndBlanks(QString name) {
    while (!name.isEmpty() && (name.back() == u'.' || name.back() == u' '))
        name.chop(1);
    return name;
}

struct SplitPath {
    QChar drive;
    QStringList names; // already free of ".", ".." and empty names
};

std::optional<SplitPath> splitWindowsPath(const QString& path) {
    QString p = path;
    p.replace(u'/', u'\\');
    SplitPath out;
    QString rest;
    if (p.size() >= 2 && p[1] == u':' && isAsciiLetter(p[0])) {
        out.drive = p[0];
        rest = p.mid(2);
    } else {
        // Relative, drive-relative, UNC or empty; also keeps host paths ("/etc") from being
        // taken for Windows ones.
        return std::nullopt;
    }
    for (const QString& raw : rest.split(u'\\', Qt::SkipEmptyParts)) {
        if (raw == u"..") {
            if (!out.names.isEmpty())
                out.names.removeLast();
            continue;
        }
        const QString name = trimTrailingDotsAndBlanks(raw);
        if (name.isEmpty())
            continue; // ".", "...", " "
        if (std::any_of(name.begin(), name.end(), isForbiddenInName))
            return std::nullopt;
        out.names.append(name);
    }
    return out;
}

bool entryExists(const QByteArray& hostPath) {
    struct stat info {};
    return ::lstat(hostPath.constData(), &info) == 0; // also a link whose target is gone
}

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool isAscii(const char* text) {
    for (; *text; ++text)
        if (static_cast<unsigned char>(*text) >= 0x80)
            return false;
    return true;
}

bool asciiEqualIgnoringCase(const char* a, const QByteArray& b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    qsizetype i = 0;
    for (; a[i] && i < b.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return !a[i] && i == b.size();
}

// Whether the folder entry `raw` is `name` without regard to case; entry and name that are
// both plain ASCII (nearly all of them) are compared without decoding the entry.
bool sameNameIgnoringCase(const char* raw, const QString& name, const QByteArray* asciiName) {
    if (asciiName && isAscii(raw))
        return asciiEqualIgnoringCase(raw, *asciiName);
    return QString::compare(QFile::decodeName(raw), name, Qt::CaseInsensitive) == 0;
}

// Of the entries that equal `name` without regard to case, the first in code-unit order (the
// order a case-sensitive sort of the folder gives), so the choice never depends on the
// directory's own order. One pass over the folder, no stat of its entries, no sort.
std::optional<QString> findOtherSpelling(const QString& folder, const QString& name) {
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return std::nullopt;
    const bool nameIsAscii =
        std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x80; });
    const QByteArray asciiName = nameIsAscii ? name.toLatin1() : QByteArray();
    std::optional<QString> best;
    while (const dirent* entry = ::readdir(dir)) {
        if (isDotOrDotDot(entry->d_name) ||
            !sameNameIgnoringCase(entry->d_name, name, nameIsAscii ? &asciiName : nullptr))
            continue;
        QString candidate = QFile::decodeName(entry->d_name);
        if (!best || candidate < *best)
            best = std::move(candidate);
    }
    ::closedir(dir);
    return best;
}

// The entry of `folder` that is `name` without regard to case; exact spelling first.
std::optional<QString> findEntry(const QString& folder, const QString& name) {
    if (entryExists(QFile::encodeName(folder + u'/' + name)))
        return name;
    return findOtherSpelling(folder, name);
}

} // namespace

RootPaths::RootPaths(const QString& rootFolder)
    : root_(QDir::cleanPath(QDir(rootFolder).absolutePath())),
      canonicalRoot_(QFileInfo(root_).canonicalFilePath()) {}

QString RootPaths::driveFolder(QChar driveLetter) const {
    return root_ + QStringLiteral("/drive_") + QChar(lowerLetter(driveLetter));
}

std::optional<QString> RootPaths::toHost(const QString& windowsPath) const {
    const auto split = splitWindowsPath(windowsPath);
    if (!split)
        return std::nullopt;
    QString host = driveFolder(split->drive);
    if (!QFileInfo(host).isDir())
        return std::nullopt;
    QString deepestExisting = host;
    bool existing = true;
    for (const QString& name : split->names) {
        if (existing) {
            if (const auto found = findEntry(host, name)) {
                host += u'/' + *found;
                deepestExisting = host;
                continue;
            }
            existing = false;
        }
        host += u'/' + name;
    }
    if (!insideRoot(deepestExisting))
        return std::nullopt;
    return host;
}

// Guards against links inside the root that lead out of it.
bool RootPaths::insideRoot(const QString& existingHostPath) const {
    const QString canonical = QFileInfo(existingHostPath).canonicalFilePath();
    if (canonical.isEmpty())
        return !QFileInfo(existingHostPath).isSymLink();
    return canonical == canonicalRoot_ || canonical.startsWith(canonicalRoot_ + u'/');
}

std::optional<QString> RootPaths::relativeToRoot(const QString& cleanHostPath) const {
    for (const QString& base : {root_, canonicalRoot_}) {
        if (base.isEmpty())
            continue;
        if (cleanHostPath.startsWith(base + u'/'))
            return cleanHostPath.mid(base.size() + 1);
    }
    return std::nullopt;
}

std::optional<QString> RootPaths::toWindows(const QString& hostPath) const {
    if (hostPath.isEmpty())
        return std::nullopt;
    const QString clean = QDir::cleanPath(QDir(hostPath).absolutePath());
    const auto rel = relativeToRoot(clean);
    if (!rel)
        return std::nullopt;
    const QString drive = rel->section(u'/', 0, 0);
    if (drive.size() != 7 || !drive.startsWith(QStringLiteral("drive_")) ||
        !isAsciiLetter(drive[6]) || drive[6].isUpper())
        return std::nullopt;
    const QString inside = rel->section(u'/', 1);
    if (inside.contains(u'\\'))
        return std::nullopt; // a host name Windows could not spell
    QString win = drive[6].toUpper() + QStringLiteral(":\\") + inside;
    win.replace(u'/', u'\\');
    return win;
}

qint64 RootPaths::diskFree(QChar driveLetter) const {
    if (!isAsciiLetter(driveLetter))
        return -1;
    {
        std::lock_guard lock(mutex_);
        const auto fake = fakeFree_.find(lowerLetter(driveLetter));
        if (fake != fakeFree_.end())
            return fake->second;
    }
    const QString folder = driveFolder(driveLetter);
    if (!QFileInfo(folder).isDir())
        return -1;
    const QStorageInfo storage(folder);
    return storage.isValid() ? storage.bytesAvailable() : -1;
}

void RootPaths::setFreeSpace(QChar driveLetter, std::optional<qint64> bytes) {
    std::lock_guard lock(mutex_);
    if (bytes)
        fakeFree_[lowerLetter(driveLetter)] = *bytes;
    else
        fakeFree_.erase(lowerLetter(driveLetter));
}

} // namespace winplatform
