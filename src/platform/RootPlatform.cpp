#include "RootPlatform.h"

#include "RegistryStore.h"
#include "RootPaths.h"
#include "RootServices.h"

#include <QDir>
#include <QFileInfo>

namespace winplatform {

namespace {

const QString kVersionKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion");
const QString kNtVersionKey = QStringLiteral("Software\\Microsoft\\Windows NT\\CurrentVersion");
const QString kShellFoldersKey = kVersionKey + QStringLiteral("\\Explorer\\Shell Folders");
const QString kProfiles = QStringLiteral("C:\\Documents and Settings\\");
const QString kQuickLaunch = QStringLiteral("\\Microsoft\\Internet Explorer\\Quick Launch");

// The host user's name, cut to what Windows allows in a folder name.
QString profileName() {
    QString name;
    for (QChar c : qEnvironmentVariable("USER"))
        if (c.isLetterOrNumber() || c == u'_' || c == u'-' || c == u'.' || c == u' ')
            name.append(c);
    while (!name.isEmpty() && (name.back() == u'.' || name.back() == u' '))
        name.chop(1);
    return name.isEmpty() ? QStringLiteral("user") : name;
}

struct Profile {
    QString root;
    QString startMenu() const { return root + QStringLiteral("\\Start Menu"); }
    QString programs() const { return startMenu() + QStringLiteral("\\Programs"); }
    QString startup() const { return programs() + QStringLiteral("\\Startup"); }
    QString desktop() const { return root + QStringLiteral("\\Desktop"); }
    QString appData() const { return root + QStringLiteral("\\Application Data"); }
    QString temp() const { return root + QStringLiteral("\\Local Settings\\Temp"); }
};

QStringList seededFolders(const Profile& all, const Profile& user) {
    QStringList folders{kWindowsFolder, kWindowsFolder + QStringLiteral("\\system32"),
                        kWindowsFolder + QStringLiteral("\\Temp"),
                        QStringLiteral("C:\\Program Files\\Common Files")};
    for (const Profile& p : {all, user})
        folders << p.startup() << p.desktop() << p.appData() + kQuickLaunch;
    folders << user.temp();
    return folders;
}

bool seedRegistry(Registry& r, const Profile& all, const Profile& user) {
    const auto lm = RootKey::LocalMachine;
    const auto cu = RootKey::CurrentUser;
    const QString env = QStringLiteral("Environment");
    return r.writeString(lm, kVersionKey, QStringLiteral("ProgramFilesDir"),
                         QStringLiteral("C:\\Program Files")) &&
           r.writeString(lm, kVersionKey, QStringLiteral("CommonFilesDir"),
                         QStringLiteral("C:\\Program Files\\Common Files")) &&
           r.writeString(lm, kShellFoldersKey, QStringLiteral("Common Start Menu"),
                         all.startMenu()) &&
           r.writeString(lm, kShellFoldersKey, QStringLiteral("Common Programs"), all.programs()) &&
           r.writeString(lm, kShellFoldersKey, QStringLiteral("Common Startup"), all.startup()) &&
           r.writeString(lm, kShellFoldersKey, QStringLiteral("Common Desktop"), all.desktop()) &&
           r.writeString(lm, kShellFoldersKey, QStringLiteral("Common AppData"), all.appData()) &&
           r.writeString(cu, kShellFoldersKey, QStringLiteral("Start Menu"), user.startMenu()) &&
           r.writeString(cu, kShellFoldersKey, QStringLiteral("Programs"), user.programs()) &&
           r.writeString(cu, kShellFoldersKey, QStringLiteral("Startup"), user.startup()) &&
           r.writeString(cu, kShellFoldersKey, QStringLiteral("Desktop"), user.desktop()) &&
           r.writeString(cu, kShellFoldersKey, QStringLiteral("AppData"), user.appData()) &&
           r.writeString(cu, env, QStringLiteral("TEMP"), user.temp()) &&
           r.writeString(cu, env, QStringLiteral("TMP"), user.temp()) &&
           r.writeString(lm, kNtVersionKey, QStringLiteral("ProductName"),
                         QStringLiteral("Microsoft Windows XP")) &&
           setWindowsVersion(r, kSeededVersion);
}

} // namespace

struct RootPlatform::Parts {
    explicit Parts(const QString& folder)
        : paths(folder), registry(paths.rootFolder() + u'/' + QLatin1String(kRegistryFileName)),
          shellFolders(registry), shortcuts(paths), fileVersions(paths), processes(paths),
          system(registry, paths.rootFolder() + u'/' + QLatin1String(kRestartMarkerName)) {}

    RootPaths paths;
    RegistryStore registry;
    RegistryShellFolders shellFolders;
    RootShortcutWriter shortcuts;
    RootFileVersions fileVersions;
    RootProcesses processes;
    RootSystem system;
    QString openError;

    void seed() {
        const Profile all{kProfiles + QStringLiteral("All Users")};
        const Profile user{kProfiles + profileName()};
        for (const QString& folder : seededFolders(all, user)) {
            const auto host = paths.toHost(folder);
            if (!host || !QDir().mkpath(*host))
                openError = QStringLiteral("The folder %1 cannot be created.").arg(folder);
        }
        if (!registry.change([&](Registry& r) { return seedRegistry(r, all, user); }))
            openError = registry.lastError();
    }
};

RootPlatform::RootPlatform(const QString& hostFolder) {
    const QDir root(hostFolder);
    const bool isNew = !QFileInfo::exists(root.filePath(QLatin1String(kRegistryFileName)));
    const bool made = QDir().mkpath(root.filePath(QStringLiteral("drive_c")));
    parts_ = std::make_unique<Parts>(hostFolder);
    if (!made)
        parts_->openError =
            QStringLiteral("The Windows folder %1 cannot be created.").arg(hostFolder);
    else
        parts_->openError = parts_->registry.loadError();
    if (isNew && parts_->openError.isEmpty())
        parts_->seed();
}

RootPlatform::~RootPlatform() = default;

QString RootPlatform::defaultRootFolder() {
    const QString chosen = qEnvironmentVariable(kRootVariable);
    if (!chosen.isEmpty())
        return QDir(chosen).absolutePath();
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || QDir::isRelativePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/obravel/windows");
}

QString RootPlatform::rootFolder() const {
    return parts_->paths.rootFolder();
}
QString RootPlatform::openError() const {
    return parts_->openError;
}
WindowsPaths& RootPlatform::paths() {
    return parts_->paths;
}
Registry& RootPlatform::registry() {
    return parts_->registry;
}
ShellFolders& RootPlatform::shellFolders() {
    return parts_->shellFolders;
}
ShortcutWriter& RootPlatform::shortcuts() {
    return parts_->shortcuts;
}
FileVersionReader& RootPlatform::fileVersions() {
    return parts_->fileVersions;
}
ProcessLauncher& RootPlatform::processes() {
    return parts_->processes;
}
SystemServices& RootPlatform::system() {
    return parts_->system;
}

void RootPlatform::setFreeSpace(QChar driveLetter, std::optional<qint64> bytes) {
    parts_->paths.setFreeSpace(driveLetter, bytes);
}

void RootPlatform::setUrlOpener(std::function<bool(const QString&)> opener) {
    parts_->system.setUrlOpener(std::move(opener));
}

int RootPlatform::restartRequests() const {
    return parts_->system.restartRequests();
}

bool setWindowsVersion(Registry& registry, const WindowsVersion& v) {
    const auto lm = RootKey::LocalMachine;
    for (const char* name : {"CurrentVersion", "CurrentBuildNumber", "CurrentMajorVersionNumber",
                             "CurrentMinorVersionNumber"})
        registry.deleteValue(lm, kNtVersionKey, QString::fromLatin1(name));
    registry.deleteValue(lm, kVersionKey, QStringLiteral("VersionNumber"));
    switch (v.platform) {
    case WindowsPlatform::WindowsNT:
        return registry.writeString(lm, kNtVersionKey, QStringLiteral("CurrentVersion"),
                                    QStringLiteral("%1.%2").arg(v.major).arg(v.minor)) &&
               registry.writeString(lm, kNtVersionKey, QStringLiteral("CurrentBuildNumber"),
                                    QString::number(v.build));
    case WindowsPlatform::Windows9x:
        return registry.writeString(lm, kVersionKey, QStringLiteral("VersionNumber"),
                                    QStringLiteral("%1.%2.%3")
                                        .arg(v.major)
                                        .arg(v.minor, 2, 10, QLatin1Char('0'))
                                        .arg(v.build));
    case WindowsPlatform::Win32s:
        break;
    }
    return false;
}

} // namespace winplatform
