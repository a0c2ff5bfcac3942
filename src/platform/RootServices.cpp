#include "RootServices.h"

#include "ModalSeam.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSaveFile>
#include <QUrl>

namespace winplatform {

namespace {

const QString kShellFoldersKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
const QString kNtVersionKey = QStringLiteral("Software\\Microsoft\\Windows NT\\CurrentVersion");
const QString kVersionKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion");

struct FolderValue {
    int csidl;
    std::uint32_t root;
    const char* name;
};
constexpr FolderValue kFolderValues[] = {
    {ShellFolder::Desktop, RootKey::CurrentUser, "Desktop"},
    {ShellFolder::Programs, RootKey::CurrentUser, "Programs"},
    {ShellFolder::Startup, RootKey::CurrentUser, "Startup"},
    {ShellFolder::StartMenu, RootKey::CurrentUser, "Start Menu"},
    {ShellFolder::AppData, RootKey::CurrentUser, "AppData"},
    {ShellFolder::CommonStartMenu, RootKey::LocalMachine, "Common Start Menu"},
    {ShellFolder::CommonPrograms, RootKey::LocalMachine, "Common Programs"},
    {ShellFolder::CommonStartup, RootKey::LocalMachine, "Common Startup"},
    {ShellFolder::CommonDesktop, RootKey::LocalMachine, "Common Desktop"},
    {ShellFolder::CommonAppData, RootKey::LocalMachine, "Common AppData"},
};

QString withoutTrailingBackslash(QString path) {
    while (path.endsWith(u'\\') && !(path.size() == 3 && path[1] == u':'))
        path.chop(1);
    return path;
}

bool isWindowsDrivePath(const QString& p) {
    return p.size() >= 3 && p[0].isLetter() && p[0].unicode() < 0x80 && p[1] == u':' &&
           (p[2] == u'\\' || p[2] == u'/');
}

std::optional<std::uint32_t> decimal(const QString& text) {
    if (text.isEmpty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    return text.toUInt();
}

// "5.1", "4.10.1998": at least major and minor.
std::optional<WindowsVersion> parseVersion(const QString& text, WindowsPlatform platform) {
    const QStringList parts = text.trimmed().split(u'.');
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    const auto major = decimal(parts[0]);
    const auto minor = decimal(parts[1]);
    const auto build = parts.size() == 3 ? decimal(parts[2]) : std::optional<std::uint32_t>(0);
    if (!major || !minor || !build)
        return std::nullopt;
    return WindowsVersion{platform, *major, *minor, *build};
}

bool desktopOpen(const QString& address) {
    return QProcess::startDetached(QStringLiteral("xdg-open"), {address});
}

} // namespace

std::optional<QString> RegistryShellFolders::folderPath(int csidl) const {
    for (const FolderValue& f : kFolderValues) {
        if (f.csidl != csidl)
            continue;
        const QString path =
            registry_.readString(f.root, kShellFoldersKey, QString::fromLatin1(f.name));
        if (path.isEmpty())
            return std::nullopt;
        return withoutTrailingBackslash(path);
    }
    return std::nullopt;
}

bool RootShortcutWriter::save(const ShellLink& link, const QString& linkPath) {
    const auto host = paths_.toHost(linkPath);
    if (!host || !QFileInfo(QFileInfo(*host).path()).isDir())
        return false;
    quint32 targetSize = 0;
    bool targetIsFolder = false;
    if (const auto target = paths_.toHost(link.targetPath)) {
        const QFileInfo info(*target);
        targetSize = static_cast<quint32>(info.size() & 0xFFFFFFFF);
        targetIsFolder = info.isDir();
    }
    QSaveFile file(*host);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = encodeShellLink(link, targetSize, targetIsFolder);
    // A small file is only written when flushed; commit() would put a failed one in place.
    return file.write(bytes) == bytes.size() && file.flush() && file.commit();
}

std::optional<FixedFileVersion>
RootFileVersions::fixedFileVersion(const QString& windowsPath) const {
    const auto host = paths_.toHost(windowsPath);
    if (!host || !QFileInfo(*host).isFile())
        return std::nullopt;
    QFile file(*host);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return readFixedFileVersion(file);
}

bool isWebAddress(const QString& address) {
    const QUrl url(address, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty() &&
           address.trimmed() == address;
}

// The NT key wins; without it the 9x "VersionNumber"; without both the query fails.
std::optional<WindowsVersion> RootSystem::windowsVersion() const {
    const auto ntMajor = registry_.readInteger(RootKey::LocalMachine, kNtVersionKey,
                                               QStringLiteral("CurrentMajorVersionNumber"));
    const auto ntMinor = registry_.readInteger(RootKey::LocalMachine, kNtVersionKey,
                                               QStringLiteral("CurrentMinorVersionNumber"));
    const QString ntBuild = registry_.readString(RootKey::LocalMachine, kNtVersionKey,
                                                 QStringLiteral("CurrentBuildNumber"));
    if (ntMajor && ntMinor)
        return WindowsVersion{WindowsPlatform::WindowsNT, static_cast<std::uint32_t>(*ntMajor),
                              static_cast<std::uint32_t>(*ntMinor), decimal(ntBuild).value_or(0)};
    const QString nt = registry_.readString(RootKey::LocalMachine, kNtVersionKey,
                                            QStringLiteral("CurrentVersion"));
    if (!nt.isEmpty()) {
        auto v = parseVersion(nt, WindowsPlatform::WindowsNT);
        if (v)
            v->build = decimal(ntBuild).value_or(0);
        return v;
    }
    const QString nine =
        registry_.readString(RootKey::LocalMachine, kVersionKey, QStringLiteral("VersionNumber"));
    if (!nine.isEmpty())
        return parseVersion(nine, WindowsPlatform::Windows9x);
    return std::nullopt;
}

QString RootSystem::tempPath() const {
    QString path;
    for (const char* name : {"TMP", "TEMP"}) {
        const auto v = environmentVariable(QString::fromLatin1(name));
        if (v && isWindowsDrivePath(*v)) {
            path = *v;
            break;
        }
    }
    for (const char* name : {"TMP", "TEMP"}) {
        if (!path.isEmpty())
            break;
        path = registry_.readString(RootKey::CurrentUser, QStringLiteral("Environment"),
                                    QString::fromLatin1(name));
        if (!isWindowsDrivePath(path))
            path.clear();
    }
    if (path.isEmpty())
        path = kWindowsFolder + QStringLiteral("\\Temp");
    if (!path.endsWith(u'\\'))
        path += u'\\';
    return path;
}

std::optional<QString> RootSystem::environmentVariable(const QString& name) const {
    if (name.isEmpty() || name.contains(u'='))
        return std::nullopt;
    if (qEnvironmentVariableIsSet(name.toLocal8Bit().constData()))
        return qEnvironmentVariable(name.toLocal8Bit().constData());
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& key : env.keys())
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return env.value(key);
    if (name.compare(QStringLiteral("WINDIR"), Qt::CaseInsensitive) == 0)
        return kWindowsFolder;
    return std::nullopt;
}

void RootSystem::setEnvironmentVariable(const QString& name, const QString& value) {
    if (name.isEmpty() || name.contains(u'='))
        return;
    qputenv(name.toLocal8Bit().constData(), value.toLocal8Bit());
}

void RootSystem::beep() {
    modal::seam().beep();
}

bool RootSystem::openUrl(const QString& address) {
    if (!isWebAddress(address))
        return false;
    std::function<bool(const QString&)> opener;
    {
        std::lock_guard lock(openerMutex_);
        opener = opener_;
    }
    return opener ? opener(address) : desktopOpen(address);
}

void RootSystem::setUrlOpener(std::function<bool(const QString&)> opener) {
    std::lock_guard lock(openerMutex_);
    opener_ = std::move(opener);
}

void RootSystem::requestRestart() {
    ++restarts_;
    QFile marker(restartMarker_);
    if (marker.open(QIODevice::WriteOnly | QIODevice::Append))
        marker.write(QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toUtf8() + '\n');
}

} // namespace winplatform
