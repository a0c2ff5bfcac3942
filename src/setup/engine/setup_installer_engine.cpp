// The installation engine: the steps the worker runs, in the order of `Execute`.
#include "setup_installer.h"

#include "BodyReader.h"
#include "FileReplacement.h"
#include "InstallThread.h"
#include "InstallerTables.h"
#include "Platform.h"
#include "PointerList.h"
#include "lzh.h"

#include "ModalSeam.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace setup {

namespace {

const QString LogFileName = QStringLiteral("tvuninst.dat");
const QString UninstallKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\");

winplatform::Platform& Windows() {
    return winplatform::current();
}

[[noreturn]] void Fail(const QString& reason) {
    throw EInstallFailure(reason.toStdString());
}

QString HostPath(const QString& windowsPath) {
    if (auto host = Windows().paths().toHost(windowsPath))
        return *host;
    Fail(QStringLiteral("The path \"%1\" is not a valid Windows path.").arg(windowsPath));
}

// The path mapping takes "/" for "\" as well.
qsizetype LastSeparator(const QString& path) {
    return std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
}

// The folder part of a Windows path, with its trailing separator (empty when there is none).
QString FolderOf(const QString& path) {
    const qsizetype slash = LastSeparator(path);
    return slash < 0 ? QString() : path.left(slash + 1);
}

QString FileNameOf(const QString& path) {
    return path.mid(LastSeparator(path) + 1);
}

// Decimal integer text as the run-time reads it: optional blanks around, optional sign.
std::optional<std::int64_t> ReadInteger(const QString& text) {
    const std::string s = text.trimmed().toStdString();
    const char* first = s.data();
    const char* last = s.data() + s.size();
    if (first != last && *first == '+')
        ++first;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc() || end != last)
        return std::nullopt;
    return value;
}

std::optional<double> ReadFloat(const QString& text) {
    const std::string s = text.trimmed().toStdString();
    const char* first = s.data();
    const char* last = s.data() + s.size();
    if (first != last && *first == '+')
        ++first;
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (first == last || error != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Worker-side helpers

bool TInstaller::Terminated() const {
    return Worker->Terminated();
}

void TInstaller::Report(std::function<void(WizardLink&)> update) const {
    WizardLink& wizard = wizard_;
    Worker->Post([&wizard, update = std::move(update)] { update(wizard); });
}

void TInstaller::SetProgressText(const QString& text) const {
    Report([text](WizardLink& w) { w.SetProgressText(text); });
}

void TInstaller::SetProgress(double position) const {
    // The default rounding mode takes halves to the even neighbour.
    const int rounded = static_cast<int>(std::lrint(position));
    Report([rounded](WizardLink& w) { w.SetProgressPosition(rounded); });
}

void TInstaller::WriteLog(const QString& kind, const QString& argument) {
    if (argument.contains(QLatin1Char('\r')) || argument.contains(QLatin1Char('\n')))
        Fail(
            QStringLiteral("The package holds a line break in \"%1\".").arg(argument.simplified()));
    const std::string line = TextToAnsi(kind + argument) + "\r\n";
    if (pendingLog_)
        pendingLog_->append(line);
    else
        WriteLogText(line);
}

void TInstaller::WriteLogText(const std::string& lines) {
    if (!UninstallLog->write(lines))
        Fail(QStringLiteral("Cannot write the uninstall log %1.")
                 .arg(InstallRoot + "\\" + LogFileName));
}

// Runs a step's registry changes in memory and writes the registry file once at its end, also
// when the step fails or is cancelled. The step's log lines follow the file: when its write
// fails, the file stays as it was before the step and the log names none of the step's changes.
void TInstaller::ChangeRegistry(const std::function<void()>& step) {
    auto& registry = Windows().registry();
    std::string lines;
    std::exception_ptr failure;
    pendingLog_ = &lines;
    // Cleared however this ends: the lines live only as long as this call.
    const struct Clear {
        std::string*& log;
        ~Clear() { log = nullptr; }
    } clear{pendingLog_};
    const bool written = registry.change([&](winplatform::Registry&) {
        try {
            step();
        } catch (...) {
            failure = std::current_exception();
        }
        return true; // what was applied before a failure stays, as its log lines do
    });
    if (written && !lines.empty())
        WriteLogText(lines);
    if (failure)
        std::rethrow_exception(failure);
    if (!written)
        Fail(registry.lastError());
}

// Creates a missing folder with its parents (logged when asked); gives back its host path.
QString TInstaller::EnsureFolder(const QString& windowsFolder, bool logIt) {
    const QString host = HostPath(windowsFolder);
    if (QFileInfo(host).isDir())
        return host;
    if (!QDir().mkpath(host))
        Fail(QStringLiteral("Cannot create the folder %1.").arg(windowsFolder));
    if (logIt)
        WriteLog(QStringLiteral("CreateDir::"), windowsFolder);
    return host;
}

// ---------------------------------------------------------------------------------------------
// Execute

void TInstaller::Execute() {
    WorkerRunning = 1;
    try {
        if (!CheckFreeDiskSpace()) {
            Report([](WizardLink& w) {
                w.SetErrorText(
                    QStringLiteral("Insufficient free disk space to perform the installation."));
                w.SetHeader(QStringLiteral("Installation Failed"),
                            QStringLiteral("Setup could not complete the Installation."));
                w.SetEndButtonCaption(QStringLiteral("&Close"));
            });
            Status = StatusNoDiskSpace;
            Report([](WizardLink& w) { w.EnableEndSignal(); });
            WorkerRunning = 0;
            return;
        }
        const QString root = ExpandPlaceholders(QStringLiteral("<InstallRoot>"));
        const bool rootExisted = Windows().paths().folderExists(root);
        const QString hostRoot = HostPath(root);
        if (!rootExisted && !QDir().mkpath(hostRoot))
            Fail(QStringLiteral("Cannot create the folder %1.").arg(root));
        const QString logPath = root + QLatin1Char('\\') + LogFileName;
        UninstallLog = std::make_unique<FileReplacement>(HostPath(logPath));
        if (!UninstallLog->isOpen())
            Fail(QStringLiteral("Cannot create the uninstall log %1.").arg(logPath));
        if (!rootExisted)
            WriteLog(QStringLiteral("CreateDir::"), root);
        WriteLog(QStringLiteral("CreateFile::"), logPath);
        // The log of an earlier install gives way only to one that holds its first lines; the
        // lines after them go on to it as the steps run.
        if (!UninstallLog->commit())
            Fail(QStringLiteral("Cannot create the uninstall log %1.").arg(logPath));

        InstallFiles();
        WriteRegistryValues();
        RegisterUninstaller();
        Worker->Synchronize([this] { CreateShortcuts(); });
        RegisterDlls();
        RunFinalCommands();
        UninstallLog.reset();

        if (!Worker->EndRequested()) {
            Report([](WizardLink& w) {
                w.SetHeader(QStringLiteral("Installation Completed"),
                            QStringLiteral("Setup has successfully completed the Installation."));
                w.SetEndButtonCaption(QStringLiteral("&Finish"));
            });
            Status = StatusCompleted;
            Report([](WizardLink& w) { w.EnableEndSignal(); });
        }
    } catch (const std::exception& e) {
        ReportFailure(QString::fromStdString(e.what()));
    } catch (...) {
        ReportFailure(QStringLiteral("An unknown error occurred."));
    }
    WorkerRunning = 0;
}

void TInstaller::ReportFailure(const QString& reason) {
    UninstallLog.reset();
    if (Worker->EndRequested())
        return;
    FailureReason = reason;
    Report([reason](WizardLink& w) {
        w.SetErrorText(reason);
        w.SetHeader(QStringLiteral("Installation Failed"),
                    QStringLiteral("Setup could not complete the Installation."));
        w.SetEndButtonCaption(QStringLiteral("&Close"));
    });
    Status = StatusFailed;
    Report([](WizardLink& w) { w.EnableEndSignal(); });
}

// ---------------------------------------------------------------------------------------------
// Free space

bool TInstaller::CheckFreeDiskSpace() {
    SetProgressText(QStringLiteral("Determining Free Disk Space..."));
    TKestPointerList& files = tables_->FileEntries;
    const std::int32_t n = files.Count();
    const QChar rootDrive = InstallRoot.isEmpty() ? QChar() : InstallRoot.at(0).toLower();
    std::uint64_t sum = 0;
    files.First();
    for (std::int32_t i = 1; i <= n; ++i, files.Next()) {
        const auto* entry = static_cast<const FileEntry*>(files.Current());
        if (IsComponentChecked(entry->ComponentName)) {
            const QString target = ExpandPlaceholders(entry->TargetPath);
            if (!target.isEmpty() && target.at(0).toLower() == rootDrive)
                sum += static_cast<std::uint32_t>(entry->InstalledSize);
        }
        SetProgress(double(i) / n * 5);
        if (Terminated())
            break;
    }
    if (rootDrive.isNull())
        return false;
    const qint64 free = Windows().paths().diskFree(rootDrive);
    return free >= 0 && sum < static_cast<std::uint64_t>(free);
}

// ---------------------------------------------------------------------------------------------
// Files

void TInstaller::AskOverwrite() {
    const QString text = QStringLiteral("The File ") + FileNameOf(CurrentTarget) +
                         QStringLiteral(" already exists.\r\n") +
                         QStringLiteral("Do you want this existing file to be replaced with\r\n") +
                         QStringLiteral("the one from this package?");
    switch (modal::showMessage(text, QStringLiteral("Setup"), modal::Buttons::YesNoNoToAllYesToAll,
                               modal::Icon::Question, false)) {
    case modal::Answer::Yes:
        OverwriteAnswer = AnswerYes;
        break;
    case modal::Answer::NoToAll:
        OverwriteAnswer = AnswerNoToAll;
        break;
    case modal::Answer::YesToAll:
        OverwriteAnswer = AnswerYesToAll;
        break;
    default:
        OverwriteAnswer = AnswerNo;
    }
}

// The bodies of the files of checked components, in package order, as the reader takes them.
std::vector<BodyLocation> TInstaller::CheckedBodies() const {
    TKestPointerList& files = tables_->FileEntries;
    std::vector<BodyLocation> bodies;
    files.First();
    for (std::int32_t i = 1; i <= files.Count(); ++i, files.Next()) {
        const auto& entry = *static_cast<const FileEntry*>(files.Current());
        if (IsComponentChecked(entry.ComponentName))
            bodies.push_back({entry.DataOffset, entry.StoredSize, entry.InstalledSize});
    }
    return bodies;
}

void TInstaller::CheckBody(const TBodyReader::Body& body) const {
    if (body.error)
        std::rethrow_exception(body.error);
    switch (body.fault) {
    case TBodyReader::Fault::None:
        return;
    case TBodyReader::Fault::NoData:
        Fail(QStringLiteral("The package holds no data for %1.").arg(CurrentTarget));
    case TBodyReader::Fault::Unreadable:
        Fail(QStringLiteral("Cannot read the data for %1 from the package.").arg(CurrentTarget));
    case TBodyReader::Fault::Damaged:
        Fail(QStringLiteral("The packed data for %1 is damaged.").arg(CurrentTarget));
    }
}

void TInstaller::InstallOneFile(const QString& hostTarget, const TBodyReader::Body& body) {
    CheckBody(body);
    const QFileInfo target(hostTarget);
    if (!target.dir().exists()) {
        const QString folder = FolderOf(CurrentTarget);
        if (!QDir().mkpath(target.path()))
            Fail(QStringLiteral("Cannot create the folder %1.").arg(folder));
        // Named as the mapping resolved it ("/", "..", trailing dots), so the folder logged is
        // the folder created.
        const auto created = Windows().paths().toWindows(target.path());
        WriteLog(QStringLiteral("CreateDir::"), created ? *created + QLatin1Char('\\') : folder);
    }
    // A read-only file is not written over, whoever runs the install. A replaced file is made
    // anew, so it never keeps the old one's mode (an executable bit).
    constexpr QFile::Permissions anyWrite =
        QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if ((target.isFile() && !(target.permissions() & anyWrite)) ||
        !FileReplacement::replace(hostTarget, QByteArrayView(body.content)))
        Fail(QStringLiteral("Cannot write the file %1.").arg(CurrentTarget));
    WriteLog(QStringLiteral("CreateFile::"), CurrentTarget);
}

void TInstaller::InstallFiles() {
    SetProgressText(QStringLiteral("Decompressing and Installing Files..."));
    SetProgress(5);
    QFile dataPak(SourceFile("data.pak"));
    if (!dataPak.open(QIODevice::ReadOnly))
        Fail(QStringLiteral("Cannot open the package file data.pak."));
    // The next bodies decode while this one is mapped, asked about and written.
    TBodyReader bodies(dataPak, Header.FilesCompressed == 1, CheckedBodies());
    // Nobody is there to answer in an unattended run: existing files are replaced.
    bool yesToAll = Header.Unattended == 1;
    bool noToAll = false;
    TKestPointerList& files = tables_->FileEntries;
    const std::int32_t n = files.Count();
    files.First();
    for (std::int32_t i = 1; i <= n; ++i, files.Next()) {
        const auto& entry = *static_cast<const FileEntry*>(files.Current());
        bool replace = yesToAll;
        if (IsComponentChecked(entry.ComponentName)) {
            CurrentTarget = ExpandPlaceholders(entry.TargetPath);
            // One mapping per file: the host path names the existing file whatever its case.
            const QString host = HostPath(CurrentTarget);
            const bool exists = QFileInfo(host).isFile();
            if (!yesToAll && !noToAll && exists) {
                Worker->Synchronize([this] { AskOverwrite(); });
                replace = OverwriteAnswer == AnswerYes || OverwriteAnswer == AnswerYesToAll;
                noToAll = OverwriteAnswer == AnswerNoToAll;
                yesToAll = OverwriteAnswer == AnswerYesToAll;
            }
            const TBodyReader::Body body = bodies.Next();
            if (replace || !exists)
                InstallOneFile(host, body);
            SetProgress(double(i) / n * 90 + 5);
        }
        if (Terminated())
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// Registry

void TInstaller::WriteRegistryValue(const RegistryEntry& entry, const QString& key,
                                    const QString& name) {
    auto& registry = Windows().registry();
    const auto root = static_cast<std::uint32_t>(entry.RootKey);
    const auto unreadable = [&] {
        Fail(QStringLiteral("The registry value %1 holds an unreadable number \"%2\".")
                 .arg(name, entry.ValueData()));
    };
    bool written = true;
    switch (entry.ValueType) {
    case rvBinary:
        written =
            registry.writeBinary(root, key, name, QByteArray::fromStdString(entry.ValueDataBytes));
        break;
    case rvBoolean: {
        const auto v = ReadInteger(entry.ValueData());
        if (!v)
            unreadable();
        if (*v == 0 || *v == 1)
            written = registry.writeBool(root, key, name, *v == 1);
        break;
    }
    case rvDateTime: {
        const auto v = ReadFloat(entry.ValueData());
        if (!v)
            unreadable();
        written = registry.writeDateTime(root, key, name, *v);
        break;
    }
    case rvInteger: {
        const auto v = ReadInteger(entry.ValueData());
        if (!v || *v < INT32_MIN || *v > INT32_MAX)
            unreadable();
        written = registry.writeInteger(root, key, name, static_cast<std::int32_t>(*v));
        break;
    }
    case rvString:
        written = registry.writeString(root, key, name, ExpandPlaceholders(entry.ValueData()));
        break;
    default:
        break;
    }
    if (!written)
        Fail(QStringLiteral("Cannot write the registry value %1\\%2\\%3. %4")
                 .arg(RootKeyName(entry.RootKey), key, name, registry.lastError()));
}

void TInstaller::WriteRegistryValues() {
    TKestPointerList& entries = tables_->RegistryEntries;
    const std::int32_t n = entries.Count();
    if (n == 0)
        return;
    SetProgressText(QStringLiteral("Updating Windows Registry..."));
    SetProgress(96);
    ChangeRegistry([&] { WriteRegistryEntries(); });
}

void TInstaller::WriteRegistryEntries() {
    TKestPointerList& entries = tables_->RegistryEntries;
    const std::int32_t n = entries.Count();
    auto& registry = Windows().registry();
    entries.First();
    for (std::int32_t i = 1; i <= n; ++i, entries.Next()) {
        const auto& entry = *static_cast<const RegistryEntry*>(entries.Current());
        const auto root = static_cast<std::uint32_t>(entry.RootKey);
        const QString rootName = RootKeyName(entry.RootKey);
        const QString key = ExpandPlaceholders(entry.KeyPath);
        if (!registry.keyExists(root, key)) {
            if (!registry.createKey(root, key))
                Fail(QStringLiteral("Cannot create the registry key %1\\%2. %3")
                         .arg(rootName, key, registry.lastError()));
            WriteLog(QStringLiteral("CreateRegKey::"), rootName + QLatin1Char('\\') + key);
        }
        const QString name = ExpandPlaceholders(entry.ValueName);
        WriteRegistryValue(entry, key, name);
        WriteLog(QStringLiteral("CreateRegValue::"),
                 rootName + QLatin1Char('\\') + key + QLatin1Char('\\') + name);
        SetProgress(double(i) / n * 2 + 96);
        if (Terminated())
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// Uninstaller and uninstall entry

namespace {

std::array<std::uint16_t, 4> VersionParts(const QString& windowsPath) {
    const auto v = Windows().fileVersions().fixedFileVersion(windowsPath);
    if (!v)
        return {0, 0, 0, 0};
    return {v->major, v->minor, v->release, v->build};
}

} // namespace

void TInstaller::RegisterUninstaller() {
    const QString installed =
        GetEnvVar(QStringLiteral("WINDIR")) + QStringLiteral("\\system32\\tvuninst.exe");
    const QString packaged = TempDir + QStringLiteral("tvuninst.exe");
    // The four parts in order: the joined-digit number would put 1.10.0.0 above 2.0.0.0.
    if (VersionParts(installed) < VersionParts(packaged)) {
        const QString host = HostPath(installed);
        EnsureFolder(FolderOf(installed), false);
        QFile source(HostPath(packaged));
        const bool opened = source.open(QIODevice::ReadOnly);
        const QByteArray body = opened ? source.readAll() : QByteArray();
        if (!opened || body.size() != source.size() || !FileReplacement::replace(host, body))
            Fail(QStringLiteral("Cannot copy the uninstaller to %1.").arg(installed));
    }

    // The shared "...\Uninstall\" key itself must never receive the entry.
    const QString name = AnnounceName.isEmpty() ? Header.AppName : AnnounceName;
    if (!name.isEmpty())
        ChangeRegistry([&] { WriteUninstallEntry(name); });
}

void TInstaller::WriteUninstallEntry(const QString& name) {
    auto& registry = Windows().registry();
    const auto hklm = winplatform::RootKey::LocalMachine;
    const QString key = UninstallKey + name;
    const QString logged = QStringLiteral("HKEY_LOCAL_MACHINE\\") + key;
    if (!registry.createKey(hklm, key))
        Fail(QStringLiteral("Cannot create the registry key %1. %2")
                 .arg(logged, registry.lastError()));
    WriteLog(QStringLiteral("CreateRegKey::"), logged);
    if (!registry.writeString(hklm, key, QStringLiteral("DisplayName"), name))
        Fail(QStringLiteral("Cannot write the registry value %1\\DisplayName. %2")
                 .arg(logged, registry.lastError()));
    WriteLog(QStringLiteral("CreateRegValue::"), logged + QStringLiteral("\\DisplayName"));
    const QString command =
        ExpandPlaceholders(QStringLiteral("<Uninstall>")) + QStringLiteral(" \"") +
        ExpandPlaceholders(QStringLiteral("<UninstallFile>")) + QLatin1Char('"');
    if (!registry.writeString(hklm, key, QStringLiteral("UninstallString"), command))
        Fail(QStringLiteral("Cannot write the registry value %1\\UninstallString. %2")
                 .arg(logged, registry.lastError()));
    WriteLog(QStringLiteral("CreateRegValue::"), logged + QStringLiteral("\\UninstallString"));
}

// ---------------------------------------------------------------------------------------------
// Shortcuts (user-interface thread, while the worker waits)

bool TInstaller::IsShortcutWanted(const QString& folder) const {
    const auto governs = [&](std::initializer_list<const char*> placeholders, const char* option) {
        for (const char* p : placeholders)
            if (folder.contains(QString::fromLatin1(p)))
                return IsComponentChecked(QString::fromLatin1(option));
        return false;
    };
    return governs({"<StartMenu>", "<Programs>", "<Startup>"}, "Add Shortcuts to Start Menu") ||
           governs({"<Desktop>"}, "Add Shortcuts to Desktop") ||
           governs({"<QuickLaunch>"}, "Add Shortcuts to Quick Launch Bar");
}

void TInstaller::CreateShortcut(const QString& folder, const QString& target, int iconIndex,
                                const QString& iconFile, bool hasIcon, const QString& name,
                                const QString& arguments) {
    winplatform::ShellLink link;
    link.targetPath = target;
    link.workingFolder = FolderOf(target);
    link.arguments = arguments;
    link.hasIcon = hasIcon;
    if (hasIcon) {
        link.iconFile = iconFile;
        link.iconIndex = iconIndex;
    }
    const QString linkPath = folder + name + QStringLiteral(".lnk");
    if (!Windows().shortcuts().save(link, linkPath))
        Fail(QStringLiteral("Cannot create the shortcut %1.").arg(linkPath));
    WriteLog(QStringLiteral("CreateFile::"), linkPath);
}

void TInstaller::CreateShortcutFor(ShortcutEntry& entry) {
    if (!IsShortcutWanted(entry.ShortcutFolder))
        return;
    const QString target = ExpandPlaceholders(entry.TargetFile);
    if (!Windows().paths().fileExists(target))
        return;
    // Used whole: a folder cut short would put the link somewhere else.
    entry.ShortcutFolder = ExpandPlaceholders(entry.ShortcutFolder);
    entry.ShortcutName = ExpandPlaceholders(entry.ShortcutName);
    entry.Arguments = ExpandPlaceholders(entry.Arguments);
    QString folder = entry.ShortcutFolder;
    if (!folder.endsWith(QLatin1Char('\\')))
        folder.append(QLatin1Char('\\'));
    EnsureFolder(folder, true);
    QString iconFile;
    if (entry.HasIcon != 0) {
        entry.IconFile = ExpandPlaceholders(entry.IconFile);
        iconFile = entry.IconFile;
    }
    CreateShortcut(folder, target, entry.IconIndex, iconFile, entry.HasIcon != 0,
                   entry.ShortcutName, entry.Arguments);
}

void TInstaller::CreateShortcuts() {
    TKestPointerList& entries = tables_->ShortcutEntries;
    const std::int32_t n = entries.Count();
    if (n == 0)
        return;
    SetProgressText(QStringLiteral("Creating Shortcuts..."));
    SetProgress(98);
    entries.First();
    for (std::int32_t i = 1; i <= n; ++i, entries.Next()) {
        CreateShortcutFor(*static_cast<ShortcutEntry*>(entries.Current()));
        SetProgress(double(i) / n * 2 + 98);
        if (Worker->EndRequested())
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// DLLs and final commands

void TInstaller::RegisterDlls() {
    SetProgressText(QStringLiteral("Registering DLLs..."));
    for (const QString& path : DllPaths) {
        const QString command =
            QStringLiteral("regsvr32.exe /s \"") + ExpandPlaceholders(path) + QLatin1Char('"');
        Windows().processes().runAndWait(command);
        WriteLog(QStringLiteral("RegisterDLL::"), command);
    }
}

void TInstaller::RunFinalCommands() {
    SetProgressText(QStringLiteral("Finalizing Installation..."));
    for (const QString& command : RunAfterCommands)
        Windows().processes().runAndWait(ExpandPlaceholders(command));
    for (qsizetype i = UninstallCommands.size() - 1; i >= 0; --i)
        WriteLog(QStringLiteral("Exec::"), ExpandPlaceholders(UninstallCommands.at(i)));
}

} // namespace setup
