#include "setup_installer.h"

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

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <random>
#include <set>

namespace setup {

namespace {

const QString MissingFilesMessage =
    QStringLiteral("Could not find all required files!\r\nYour Setup Package seems to be corrupt "
                   "or incomplete.\r\nPlease contact your software manufacturer.\r\n\r\nSetup "
                   "cannot continue and will terminate now.");
const QString DamagedMessage =
    QStringLiteral("Setup Data File setup.dat invalid or damaged!\r\nSeems like the file "
                   "setup.dat was created with an\r\ninappropriate version of Tavelin.\r\nPlease "
                   "contact your software manufacturer.\r\n\r\nSetup cannot continue and will "
                   "terminate now.");

const QString StartMenuOption = QStringLiteral("Add Shortcuts to Start Menu");
const QString DesktopOption = QStringLiteral("Add Shortcuts to Desktop");
const QString QuickLaunchOption = QStringLiteral("Add Shortcuts to Quick Launch Bar");
const QString CurrentVersionKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion");
const QString ShellFoldersKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");

// Expanded environment text never grows past this; references beyond it stay as they are.
constexpr qsizetype MaxExpandedLength = 32768;

winplatform::Platform& Windows() {
    return winplatform::current();
}

QString DropOneTrailingBackslash(QString text) {
    if (text.endsWith(QLatin1Char('\\')))
        text.chop(1);
    return text;
}

QString WithTrailingBackslash(QString text) {
    if (!text.endsWith(QLatin1Char('\\')))
        text.append(QLatin1Char('\\'));
    return text;
}

// The longest name the file system that would hold `hostPath` takes.
long LongestName(QString hostPath) {
    while (!QFileInfo::exists(hostPath) && hostPath != QFileInfo(hostPath).path())
        hostPath = QFileInfo(hostPath).path();
    const long longest = ::pathconf(QFile::encodeName(hostPath).constData(), _PC_NAME_MAX);
    return longest > 0 ? longest : NAME_MAX;
}

// Whether this machine can make the folder: no name in it, nor the whole path, too long.
bool FitsTheHost(const QString& hostPath) {
    const QByteArray path = QFile::encodeName(hostPath);
    if (path.size() >= PATH_MAX)
        return false;
    const long longest = LongestName(hostPath);
    const QList<QByteArray> names = path.split('/');
    return std::none_of(names.begin(), names.end(),
                        [longest](const QByteArray& name) { return name.size() > longest; });
}

// Host path of a Windows path; a path outside the Windows root is a failure of the step.
QString HostPath(const QString& windowsPath) {
    if (auto host = Windows().paths().toHost(windowsPath))
        return *host;
    throw EInstallFailure(QStringLiteral("The path \"%1\" is not a valid Windows path.")
                              .arg(windowsPath)
                              .toStdString());
}

// Reads exactly `size` bytes or throws EPackageDamaged.
QByteArray ReadExactly(QFile& file, qint64 size) {
    QByteArray bytes = file.read(size);
    if (bytes.size() != size)
        throw EPackageDamaged("read past the end of the package");
    return bytes;
}

SetupHeader ReadHeader(QFile& file) {
    const QByteArray header = ReadExactly(file, SetupHeaderSize);
    return SetupHeader::Read(
        std::span(reinterpret_cast<const std::uint8_t*>(header.data()), SetupHeaderSize));
}

} // namespace

std::optional<SetupHeader> ReadPackageHeader(const QString& sourceDir) {
    QFile file(QDir(sourceDir).filePath(QStringLiteral("setup.dat")));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    try {
        return ReadHeader(file);
    } catch (const EPackageDamaged&) {
        return std::nullopt;
    }
}

QString RootKeyName(std::int32_t root) {
    switch (static_cast<std::uint32_t>(root)) {
    case 0x80000000u:
        return QStringLiteral("HKEY_CLASSES_ROOT");
    case 0x80000001u:
        return QStringLiteral("HKEY_CURRENT_USER");
    case 0x80000002u:
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    case 0x80000003u:
        return QStringLiteral("HKEY_USERS");
    case 0x80000005u:
        return QStringLiteral("HKEY_CURRENT_CONFIG");
    default:
        return {};
    }
}

TInstaller::TInstaller(WizardLink& wizard) : wizard_(wizard) {}

TInstaller::~TInstaller() {
    // The worker still uses this installer until its thread has gone.
    if (Worker)
        Worker->EndAndJoin();
    Worker.reset();
    UninstallLog.reset();
    tables_.reset();
    if (TempDir.isEmpty())
        return;
    if (auto host = Windows().paths().toHost(TempDir))
        QDir(*host).removeRecursively();
}

// ---------------------------------------------------------------------------------------------
// Loading

QString TInstaller::SourceFile(const char* name) const {
    QString folder = SourceDir;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')) &&
        !folder.endsWith(QLatin1Char('\\')))
        folder.append(QLatin1Char('/'));
    return folder + QString::fromLatin1(name);
}

bool TInstaller::FailLoading(const QString& message) {
    modal::showMessage(message, QStringLiteral("Setup"), modal::Buttons::Ok, modal::Icon::Error,
                       true);
    return false;
}

bool TInstaller::LoadPackage() {
    if (!TempDir.isEmpty())
        if (auto host = Windows().paths().toHost(TempDir))
            QDir(*host).removeRecursively();
    TempDir.clear();
    tables_.reset();
    ComponentNames.clear();
    DllPaths.clear();
    RunAfterCommands.clear();
    UninstallCommands.clear();
    WorkerRunning = 0;

    const QString setupDat = SourceFile("setup.dat");
    const QString dataPak = SourceFile("data.pak");
    if (!QFileInfo(setupDat).isFile() || !QFileInfo(dataPak).isFile())
        return FailLoading(MissingFilesMessage);
    if (QFileInfo(setupDat).size() < static_cast<qint64>(SetupHeaderSize))
        return FailLoading(DamagedMessage);
    try {
        CreateTempDir();
        ReadSetupDat(setupDat);
        if (Header.HasLicense == 1 && !QFileInfo(SourceFile("license.rtf")).isFile())
            return FailLoading(MissingFilesMessage);
        CopyUninstaller(dataPak);
    } catch (const EPackageDamaged&) {
        return FailLoading(DamagedMessage);
    } catch (const EInstallFailure& e) {
        return FailLoading(QString::fromStdString(e.what()));
    }
    ComposeAnnounceName();
    FillComponentList();
    return true;
}

void TInstaller::ReadSetupDat(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EPackageDamaged("setup.dat cannot be opened");
    const auto remaining = [&file] { return file.size() - file.pos(); };
    const auto readCount = [&](int width) -> qint64 {
        const QByteArray b = ReadExactly(file, width);
        const RecordReader r(std::span(reinterpret_cast<const std::uint8_t*>(b.data()), b.size()));
        return width == 1 ? r.Byte(0) : width == 2 ? r.Word(0) : std::max(r.Int(0), 0);
    };
    // A table whose records cannot all lie in the rest of the file is refused before anything
    // is allocated for it.
    const auto readRecords = [&](int countWidth, std::size_t recordSize, auto&& take) {
        const qint64 count = readCount(countWidth);
        if (count > remaining() / static_cast<qint64>(recordSize))
            throw EPackageDamaged("table larger than setup.dat");
        for (qint64 i = 0; i < count; ++i) {
            const QByteArray b = ReadExactly(file, static_cast<qint64>(recordSize));
            take(std::span(reinterpret_cast<const std::uint8_t*>(b.data()), recordSize));
        }
    };
    const auto readStrings = [&](int countWidth, QStringList& list) {
        readRecords(countWidth, PackageStringSize, [&list](std::span<const std::uint8_t> b) {
            list.append(RecordReader(b).PackageString(0));
        });
    };

    Header = ReadHeader(file);
    tables_ = std::make_unique<Tables>();
    readStrings(1, ComponentNames);
    readRecords(2, RegistryEntrySize, [this](std::span<const std::uint8_t> b) {
        tables_->RegistryEntries.Add(new RegistryEntry(RegistryEntry::Read(b)));
    });
    readRecords(1, ShortcutEntrySize, [this](std::span<const std::uint8_t> b) {
        tables_->ShortcutEntries.Add(new ShortcutEntry(ShortcutEntry::Read(b)));
    });
    readStrings(2, DllPaths);
    readStrings(1, RunAfterCommands);
    readStrings(1, UninstallCommands);
    readRecords(4, FileEntrySize, [this](std::span<const std::uint8_t> b) {
        tables_->FileEntries.Add(new FileEntry(FileEntry::Read(b)));
    });
}

void TInstaller::CheckPackageBounds(qint64 dataPakSize) const {
    const qint64 leading = Header.LeadingBlockSize;
    const qint64 uninstaller = Header.UninstallerSize;
    if (leading < 0 || uninstaller < 0 || leading + uninstaller > dataPakSize)
        throw EPackageDamaged("uninstaller outside data.pak");
    TKestPointerList& files = tables_->FileEntries;
    files.First();
    for (std::int32_t i = 1; i <= files.Count(); ++i, files.Next()) {
        const auto* entry = static_cast<const FileEntry*>(files.Current());
        const qint64 start = qint64(entry->DataOffset) - 1;
        if (start < 0 || entry->StoredSize < 0 || start + entry->StoredSize > dataPakSize)
            throw EPackageDamaged("file body outside data.pak");
    }
}

void TInstaller::CopyUninstaller(const QString& dataPakPath) {
    QFile dataPak(dataPakPath);
    if (!dataPak.open(QIODevice::ReadOnly))
        throw EPackageDamaged("data.pak cannot be opened");
    CheckPackageBounds(dataPak.size());
    if (!dataPak.seek(Header.LeadingBlockSize))
        throw EPackageDamaged("data.pak too short");
    QFile copy(HostPath(TempDir + QStringLiteral("tvuninst.exe")));
    if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw EInstallFailure(
            QStringLiteral("Setup cannot write its temporary files.").toStdString());
    constexpr qint64 BlockSize = 2048;
    const qint64 size = Header.UninstallerSize;
    for (qint64 block = 0; block < size / BlockSize; ++block)
        copy.write(ReadExactly(dataPak, BlockSize));
    copy.write(ReadExactly(dataPak, size % BlockSize));
    if (!copy.flush())
        throw EInstallFailure(
            QStringLiteral("Setup cannot write its temporary files.").toStdString());
}

void TInstaller::ComposeAnnounceName() {
    const QString& company = Header.Company;
    const QString& app = Header.AppName;
    const QString& version = Header.Version;
    switch (Header.AnnounceStyle) {
    case 0:
        AnnounceName = company + QLatin1Char(' ') + app + QLatin1Char(' ') + version;
        break;
    case 1:
        AnnounceName = company + QLatin1Char(' ') + app;
        break;
    case 2:
        AnnounceName = app;
        break;
    case 3:
        AnnounceName = app + QLatin1Char(' ') + version;
        break;
    default:
        AnnounceName.clear();
    }
}

void TInstaller::CreateTempDir() {
    QString base = Windows().system().tempPath();
    base = WithTrailingBackslash(base);
    const QString hostBase = HostPath(base);
    if (!QDir().mkpath(hostBase))
        throw EInstallFailure(
            QStringLiteral("Setup cannot create its temporary folder.").toStdString());
    std::random_device entropy;
    std::mt19937 generator(entropy());
    std::uniform_int_distribution<std::int32_t> numbers(0, 2147483646);
    // The folder is made with mkdir's own exclusivity and for this user alone, so nobody can
    // plant the uninstaller copy before it is written.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const QString name = QString::number(numbers(generator));
        const QString host = QDir(hostBase).filePath(name);
        if (::mkdir(QFile::encodeName(host).constData(), 0700) == 0) {
            TempDir = base + name + QLatin1Char('\\');
            return;
        }
        if (errno != EEXIST)
            break;
    }
    throw EInstallFailure(
        QStringLiteral("Setup cannot create its temporary folder.").toStdString());
}

void TInstaller::FillComponentList() {
    wizard_.ClearParts();
    if (Header.OfferStartMenuShortcuts == 1)
        wizard_.AddPart(StartMenuOption);
    if (Header.OfferDesktopShortcuts == 1)
        wizard_.AddPart(DesktopOption);
    if (Header.OfferQuickLaunchShortcuts == 1)
        wizard_.AddPart(QuickLaunchOption);
    for (const QString& name : ComponentNames)
        wizard_.AddPart(name);
    for (int i = 0; i < wizard_.PartCount(); ++i)
        wizard_.SetPartChecked(i, true);
}

int TInstaller::RegistryEntryCount() const {
    return tables_ ? tables_->RegistryEntries.Count() : 0;
}
int TInstaller::ShortcutEntryCount() const {
    return tables_ ? tables_->ShortcutEntries.Count() : 0;
}
int TInstaller::FileEntryCount() const {
    return tables_ ? tables_->FileEntries.Count() : 0;
}

const RegistryEntry* TInstaller::RegistryEntryAt(int index) const {
    return tables_ ? static_cast<const RegistryEntry*>(tables_->RegistryEntries.Items(index))
                   : nullptr;
}
const ShortcutEntry* TInstaller::ShortcutEntryAt(int index) const {
    return tables_ ? static_cast<const ShortcutEntry*>(tables_->ShortcutEntries.Items(index))
                   : nullptr;
}
const FileEntry* TInstaller::FileEntryAt(int index) const {
    return tables_ ? static_cast<const FileEntry*>(tables_->FileEntries.Items(index)) : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Services

QString TInstaller::ReplaceAll(const QString& text, const QString& oldText,
                               const QString& newText) {
    if (oldText.isEmpty())
        return text;
    QString result = text;
    result.replace(oldText, newText, Qt::CaseSensitive);
    return result;
}

QString TInstaller::GetEnvVar(const QString& name) const {
    return Windows().system().environmentVariable(name).value_or(QString());
}

bool TInstaller::IsCommonShortcutsChecked() const {
    return choices_ ? choices_->commonShortcuts : wizard_.IsCommonShortcutsChecked();
}

QString TInstaller::ShellFolderPath(int commonCsidl, int userCsidl) const {
    const int csidl = IsCommonShortcutsChecked() ? commonCsidl : userCsidl;
    return Windows().shellFolders().folderPath(csidl).value_or(QString());
}

QString TInstaller::QuickLaunchFolder() const {
    auto& registry = Windows().registry();
    const QString appData =
        IsCommonShortcutsChecked()
            ? registry.readString(winplatform::RootKey::LocalMachine, ShellFoldersKey,
                                  QStringLiteral("Common AppData"))
            : registry.readString(winplatform::RootKey::CurrentUser, ShellFoldersKey,
                                  QStringLiteral("AppData"));
    return WithTrailingBackslash(appData) +
           QStringLiteral("Microsoft\\Internet Explorer\\Quick Launch");
}

QString TInstaller::ExpandPlaceholders(const QString& input) const {
    using Lookup = std::function<QString()>;
    const auto registryValue = [](const char* name) {
        return DropOneTrailingBackslash(Windows().registry().readString(
            winplatform::RootKey::LocalMachine, CurrentVersionKey, QString::fromLatin1(name)));
    };
    const auto folder = [this](int common, int user) {
        return DropOneTrailingBackslash(ShellFolderPath(common, user));
    };
    namespace sf = winplatform::ShellFolder;
    const std::array<std::pair<const char*, Lookup>, 16> stage1{{
        {"<AppName>", [this] { return Header.AppName; }},
        {"<Version>", [this] { return Header.Version; }},
        {"<Company>", [this] { return Header.Company; }},
        {"<Website>", [this] { return Header.Website; }},
        {"<AnnounceName>", [this] { return AnnounceName; }},
        {"<InstallRoot>", [this] { return InstallRoot; }},
        {"<SystemRoot>", [this] { return GetEnvVar(QStringLiteral("WINDIR")); }},
        {"<Uninstall>",
         [this] {
             return GetEnvVar(QStringLiteral("WINDIR")) +
                    QStringLiteral("\\system32\\tvuninst.exe");
         }},
        {"<UninstallFile>", [this] { return InstallRoot + QStringLiteral("\\tvuninst.dat"); }},
        {"<ProgramFiles>", [&] { return registryValue("ProgramFilesDir"); }},
        {"<StartMenu>", [&] { return folder(sf::CommonStartMenu, sf::StartMenu); }},
        {"<Programs>", [&] { return folder(sf::CommonPrograms, sf::Programs); }},
        {"<Startup>", [&] { return folder(sf::CommonStartup, sf::Startup); }},
        {"<Desktop>", [&] { return folder(sf::CommonDesktop, sf::Desktop); }},
        {"<SharedFiles>", [&] { return registryValue("CommonFilesDir"); }},
        {"<QuickLaunch>", [this] { return QuickLaunchFolder(); }},
    }};
    QString text = input;
    for (const auto& [placeholder, value] : stage1) {
        const QString name = QString::fromLatin1(placeholder);
        if (text.contains(name))
            text = ReplaceAll(text, name, value());
    }
    text = ExpandEnvironment(text);
    return ReplaceAll(text, QStringLiteral("\\\\"), QStringLiteral("\\"));
}

// Each variable is expanded once: a value that refers to itself, or to a variable already
// expanded, stays as it is, so expansion always ends.
QString TInstaller::ExpandEnvironment(QString text) const {
    const QString open = QStringLiteral("<%");
    const QString close = QStringLiteral("%>");
    std::set<QString> expanded;
    for (;;) {
        const qsizetype start = text.indexOf(open);
        const qsizetype end = text.indexOf(close);
        if (start < 0 || end < 0 || end < start)
            return text;
        const QString name = text.mid(start + 2, end - start - 2);
        if (!expanded.insert(name).second)
            return text;
        const QString replaced = ReplaceAll(text, open + name + close, GetEnvVar(name));
        if (replaced.size() > MaxExpandedLength)
            return text;
        text = replaced;
    }
}

bool TInstaller::IsValidDestination(const QString& text) const {
    if (text.size() < 2)
        return false;
    const QChar letter = text.at(0).toLower();
    if (letter < QLatin1Char('a') || letter > QLatin1Char('z'))
        return false;
    if (Windows().paths().diskFree(letter) <= 0)
        return false;
    if (text.at(1) != QLatin1Char(':'))
        return false;
    if (text.size() > 2 && text.at(2) != QLatin1Char('\\'))
        return false;
    // A folder the install could not create (a name with "|", "?", ... in it, or too long for
    // this machine) is no destination.
    const auto host = Windows().paths().toHost(text);
    return host && FitsTheHost(*host);
}

bool TInstaller::CheckWindowsVersion() {
    const auto version = Windows().system().windowsVersion();
    if (!version)
        return false;
    const auto is = [&](std::uint32_t major, std::uint32_t minor) {
        return version->major == major && version->minor == minor;
    };
    bool allowed = false;
    switch (version->platform) {
    case winplatform::WindowsPlatform::Windows9x:
        wizard_.DisableCommonShortcuts();
        allowed = (is(4, 0) && Header.AllowWin95) || (is(4, 10) && Header.AllowWin98) ||
                  (is(4, 90) && Header.AllowWinME) || Header.AllowAnyWindows;
        break;
    case winplatform::WindowsPlatform::WindowsNT:
        allowed = (is(4, 0) && Header.AllowNT4) || (is(5, 0) && Header.AllowWin2000) ||
                  (is(5, 1) && Header.AllowWinXP) || (is(5, 2) && Header.AllowWin2003) ||
                  Header.AllowAnyWindows;
        break;
    default:
        allowed = false;
    }
    if ((version->major == 4 && version->minor != 0) || version->major > 4)
        wizard_.UseTahomaFont();
    return allowed;
}

std::int32_t TInstaller::GetFileVersionNumber(const QString& path) {
    const auto version = Windows().fileVersions().fixedFileVersion(path);
    if (!version)
        return 0;
    const QString joined = QString::number(version->major) + QString::number(version->minor) +
                           QString::number(version->release) + QString::number(version->build);
    bool ok = false;
    const std::int32_t number = joined.toInt(&ok);
    return ok ? number : 0;
}

void TInstaller::OpenUrl(const QString& address) {
    if (winplatform::isWebAddress(address))
        Windows().system().openUrl(address);
}

// ---------------------------------------------------------------------------------------------
// Worker control from the user-interface thread

void TInstaller::StartInstallThread(bool suspended) {
    if (Worker)
        return;
    Choices choices;
    for (int i = 0; i < wizard_.PartCount(); ++i)
        if (wizard_.IsPartChecked(i))
            choices.checkedParts.append(wizard_.PartText(i));
    choices.commonShortcuts = wizard_.IsCommonShortcutsChecked();
    choices_ = choices;
    Worker = std::make_unique<TInstallThread>(*this);
    WorkerRunning = 1;
    if (suspended)
        Worker->Suspend();
    Worker->Start();
}

void TInstaller::SuspendWorker() {
    if (Worker)
        Worker->Suspend();
}

void TInstaller::ResumeWorker() {
    if (Worker)
        Worker->Resume();
}

void TInstaller::EndWorkerAndWait() {
    if (!Worker)
        return;
    Worker->Terminate();
    Worker->Resume();
    Worker->WaitFor();
}

bool TInstaller::IsComponentChecked(const QString& name) const {
    if (choices_)
        return choices_->checkedParts.contains(name, Qt::CaseSensitive);
    for (int i = 0; i < wizard_.PartCount(); ++i)
        if (wizard_.PartText(i) == name && wizard_.IsPartChecked(i))
            return true;
    return false;
}

} // namespace setup
