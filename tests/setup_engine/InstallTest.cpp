// End-to-end installations into a temporary Windows root, checked on disk: files, folders,
// registry, shortcuts, the uninstall entry and the uninstall log line for line.
#include "EngineTestSupport.h"
#include "FileSizeLimit.h"
#include "ScriptedSeam.h"

#include "RegistryStore.h"
#include "Shortcuts.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace engine_testing;
using package_writer::Package;
using package_writer::Root1;
using package_writer::Root2;
using testing_support::ScriptedSeam;

namespace {

class SetupEngineInstall : public ::testing::Test {
protected:
    // Loads the package; the install root is C:\Apps\App unless the test sets another.
    void Load(const Package& p) {
        installer.reset();
        wizard = FakeWizard();
        folder = std::make_unique<PackageFolder>(p);
        installer = std::make_unique<setup::TInstaller>(wizard);
        installer->SourceDir = folder->SourceDir();
        ScriptedSeam seam;
        ASSERT_TRUE(installer->LoadPackage());
        installer->InstallRoot = QStringLiteral("C:\\Apps\\App");
    }
    void Run() { ASSERT_TRUE(RunToEnd(*installer, wizard)); }
    QStringList LogLines(const QString& rootPath = QStringLiteral("C:\\Apps\\App")) {
        const QByteArray bytes = root.Read(rootPath + "\\tvuninst.dat");
        EXPECT_TRUE(bytes.isEmpty() || bytes.endsWith("\r\n"));
        QStringList lines = QString::fromLatin1(bytes).split("\r\n");
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }
    winplatform::Registry& Registry() { return root.platform().registry(); }
    static QByteArray ReadHost(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    WindowsRoot root;
    FakeWizard wizard;
    std::unique_ptr<PackageFolder> folder;
    std::unique_ptr<setup::TInstaller> installer;
};

using testing_support::FileSizeLimit;

std::string Bytes(int n, int seed) {
    std::string s(static_cast<std::size_t>(n), '\0');
    std::uint32_t x = static_cast<std::uint32_t>(seed) * 2654435761u + 1;
    for (auto& c : s) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>((x >> 16) % 7 == 0 ? 'a' : (x >> 8));
    }
    return s;
}

TEST_F(SetupEngineInstall, StoredAndPackedFilesLandByteForByteWithTheirLog) {
    for (std::uint8_t compressed : {0, 1}) {
        Package p = BasicPackage();
        p.header.FilesCompressed = compressed;
        p.componentNames = {"Core", "Extra"};
        p.files = {{"<InstallRoot>\\bin\\app.exe", "Core", Bytes(70000, 1), {}, {}, {}},
                   {"<InstallRoot>\\readme.txt", "Core", "read me\r\n", {}, {}, {}},
                   {"<InstallRoot>\\empty.txt", "Core", "", {}, {}, {}},
                   {"<InstallRoot>\\extra\\x.dat", "Extra", "extra", {}, {}, {}},
                   {"<InstallRoot>\\never.txt", "Nobody", "never", {}, {}, {}},
                   {"C:\\Shared\\lib\\shared.dll", "Core", Bytes(3000, 2), {}, {}, {}}};
        Load(p);
        wizard.Uncheck("Extra");
        Run();
        EXPECT_EQ(installer->GetStatus(), setup::TInstaller::StatusCompleted);
        EXPECT_EQ(wizard.endSignals, 1);
        EXPECT_EQ(wizard.endCaption, "&Finish");
        EXPECT_EQ(wizard.title, "Installation Completed");
        EXPECT_EQ(wizard.subtitle, "Setup has successfully completed the Installation.");
        EXPECT_EQ(root.Read("C:\\Apps\\App\\bin\\app.exe"),
                  QByteArray::fromStdString(Bytes(70000, 1)));
        EXPECT_EQ(root.Read("C:\\Apps\\App\\readme.txt"), "read me\r\n");
        EXPECT_TRUE(root.Exists("C:\\Apps\\App\\empty.txt"));
        EXPECT_EQ(root.Read("C:\\Shared\\lib\\shared.dll"),
                  QByteArray::fromStdString(Bytes(3000, 2)));
        EXPECT_FALSE(root.Exists("C:\\Apps\\App\\extra"));
        EXPECT_FALSE(root.Exists("C:\\Apps\\App\\never.txt"));
        const QString announce =
            "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App";
        EXPECT_EQ(LogLines(), QStringList({
                                  "CreateDir::C:\\Apps\\App",
                                  "CreateFile::C:\\Apps\\App\\tvuninst.dat",
                                  "CreateDir::C:\\Apps\\App\\bin\\",
                                  "CreateFile::C:\\Apps\\App\\bin\\app.exe",
                                  "CreateFile::C:\\Apps\\App\\readme.txt",
                                  "CreateFile::C:\\Apps\\App\\empty.txt",
                                  "CreateDir::C:\\Shared\\lib\\",
                                  "CreateFile::C:\\Shared\\lib\\shared.dll",
                                  "CreateRegKey::" + announce,
                                  "CreateRegValue::" + announce + "\\DisplayName",
                                  "CreateRegValue::" + announce + "\\UninstallString",
                              }))
            << int(compressed);
        installer.reset();
        QDir(root.Host("C:\\Apps")).removeRecursively();
        QDir(root.Host("C:\\Shared")).removeRecursively();
    }
}

TEST_F(SetupEngineInstall, ProgressTextsAndBarPositionsRoundHalvesToEven) {
    Package p = BasicPackage();
    p.componentNames = {"A"};
    for (int i = 0; i < 4; ++i)
        p.files.push_back({"<InstallRoot>\\f" + std::to_string(i), "A", "x", {}, {}, {}});
    p.registryEntries = {{Root1, "Software\\T", "a", "1", 3}, {Root1, "Software\\T", "b", "2", 3}};
    Load(p);
    Run();
    EXPECT_EQ(
        wizard.events,
        QStringList({"label:Determining Free Disk Space...", "bar:1", "bar:2", "bar:4", "bar:5",
                     "label:Decompressing and Installing Files...", "bar:5", "bar:28", "bar:50",
                     "bar:72", "bar:95", "label:Updating Windows Registry...", "bar:96", "bar:97",
                     "bar:98", "label:Registering DLLs...", "label:Finalizing Installation..."}));
}

TEST_F(SetupEngineInstall, NoFileEntriesInstallsNothingAndPasses) {
    Load(BasicPackage());
    Run();
    EXPECT_EQ(installer->GetStatus(), setup::TInstaller::StatusCompleted);
    EXPECT_EQ(LogLines().mid(0, 2),
              QStringList({"CreateDir::C:\\Apps\\App", "CreateFile::C:\\Apps\\App\\tvuninst.dat"}));
}

TEST_F(SetupEngineInstall, OnlyFoldersTheInstallCreatedAreLogged) {
    Package p = BasicPackage();
    p.componentNames = {"A"};
    p.files = {{"<InstallRoot>\\sub/file.txt", "A", "x", {}, {}, {}}};
    Load(p);
    installer->InstallRoot = "C:\\Existing";
    root.Write("C:\\Existing\\old.txt", "old");
    Run();
    // "/" splits folders as in the path mapping: "sub" was created, never "C:\Existing".
    EXPECT_TRUE(root.Exists("C:\\Existing\\sub\\file.txt"));
    EXPECT_EQ(
        LogLines("C:\\Existing").mid(0, 3),
        QStringList({"CreateFile::C:\\Existing\\tvuninst.dat", "CreateDir::C:\\Existing\\sub\\",
                     "CreateFile::C:\\Existing\\sub/file.txt"}));
}

TEST_F(SetupEngineInstall, OverwriteAnswersNoToAllAndYesToAll) {
    Package p = BasicPackage();
    p.componentNames = {"A"};
    for (int i = 0; i < 4; ++i)
        p.files.push_back({"<InstallRoot>\\f" + std::to_string(i), "A", "new", {}, {}, {}});
    for (auto [answer, kept] :
         {std::pair{modal::Answer::NoToAll, true}, {modal::Answer::YesToAll, false}}) {
        Load(p);
        root.Write("C:\\Apps\\App\\f0", "old");
        root.Write("C:\\Apps\\App\\F2", "old"); // same file, other letter case
        ScriptedSeam seam;
        seam.expectMessage("The File f0 already exists.\r\nDo you want this existing file to be "
                           "replaced with\r\nthe one from this package?",
                           answer);
        Run();
        EXPECT_EQ(seam.beeps, 0) << "the overwrite question has no beep";
        EXPECT_EQ(seam.messages.at(0).buttons, modal::Buttons::YesNoNoToAllYesToAll);
        EXPECT_EQ(root.Read("C:\\Apps\\App\\f0"), kept ? "old" : "new");
        EXPECT_EQ(root.Read("C:\\Apps\\App\\f2"), kept ? "old" : "new");
        EXPECT_EQ(root.Read("C:\\Apps\\App\\f1"), "new");
        EXPECT_EQ(root.Read("C:\\Apps\\App\\f3"), "new");
        EXPECT_EQ(LogLines().contains("CreateFile::C:\\Apps\\App\\f0"), !kept);
        EXPECT_EQ(installer->OverwriteAnswer, answer == modal::Answer::NoToAll ? 9 : 10);
        installer.reset();
    }
}

TEST_F(SetupEngineInstall, OverwriteYesAndNoAskEachTime) {
    Package p = BasicPackage();
    p.files = {{"<InstallRoot>\\a", "", "new", {}, {}, {}},
               {"<InstallRoot>\\b", "", "new", {}, {}, {}}};
    p.componentNames = {""};
    Load(p);
    root.Write("C:\\Apps\\App\\a", "old");
    root.Write("C:\\Apps\\App\\b", "old");
    ScriptedSeam seam;
    seam.expectMessage("The File a already", modal::Answer::Yes);
    seam.expectMessage("The File b already", modal::Answer::No);
    Run();
    EXPECT_EQ(root.Read("C:\\Apps\\App\\a"), "new");
    EXPECT_EQ(root.Read("C:\\Apps\\App\\b"), "old");
}

TEST_F(SetupEngineInstall, BodiesOfFilesNotInstalledAreNeverChecked) {
    // Bodies decode ahead of the worker; one that is not installed must not fail the run.
    Package p = BasicPackage();
    p.header.FilesCompressed = 1;
    p.componentNames = {"A", "B"};
    p.files = {{"<InstallRoot>\\kept", "A", "new", 99, {}, {}},
               {"<InstallRoot>\\unchecked", "B", "x", 99, {}, {}},
               {"<InstallRoot>\\added", "A", "added body", {}, {}, {}}};
    Load(p);
    wizard.Uncheck("B");
    root.Write("C:\\Apps\\App\\kept", "old");
    ScriptedSeam seam;
    seam.expectMessage("The File kept already", modal::Answer::No);
    Run();
    EXPECT_EQ(installer->GetStatus(), setup::TInstaller::StatusCompleted)
        << wizard.errorText.toStdString();
    EXPECT_EQ(root.Read("C:\\Apps\\App\\kept"), "old");
    EXPECT_FALSE(root.Exists("C:\\Apps\\App\\unchecked"));
    EXPECT_EQ(root.Read("C:\\Apps\\App\\added"), "added body");
}

TEST_F(SetupEngineInstall, UnattendedRunReplacesWithoutAsking) {
    Package p = BasicPackage();
    p.header.Unattended = 1;
    p.componentNames = {"A"};
    p.files = {{"<InstallRoot>\\a", "A", "new", {}, {}, {}},
               {"<InstallRoot>\\b", "A", "new", {}, {}, {}}};
    Load(p);
    root.Write("C:\\Apps\\App\\a", "old");
    const QString a = root.Host("C:\\Apps\\App\\a");
    QFile::setPermissions(a, QFile::permissions(a) | QFile::ExeOwner | QFile::ExeGroup |
                                 QFile::ExeOther | QFile::ExeUser);
    ScriptedSeam seam; // any question fails the test
    Run();
    EXPECT_EQ(root.Read("C:\\Apps\\App\\a"), "new");
    EXPECT_EQ(QFile::permissions(a), QFile::permissions(root.Host("C:\\Apps\\App\\b")))
        << "a replaced file has the mode of a new one, never the old one's executable bits";
}

TEST_F(SetupEngineInstall, RegistryValuesOfEveryType) {
    Package p = BasicPackage();
    const std::int32_t hkcu = Root1;
    p.registryEntries = {
        {hkcu, "Software\\<Company>\\<AppName>", "Bin<AppName>", std::string("A\0B<AppName>", 12),
         0},
        {hkcu, "Software\\Firm\\App", "True", "1", 1},
        {hkcu, "Software\\Firm\\App", "False", "0", 1},
        {hkcu, "Software\\Firm\\App", "Two", "2", 1},
        {hkcu, "Software\\Firm\\App", "When", "36526.5", 2},
        {hkcu, "Software\\Firm\\App", "Count", "-42", 3},
        {hkcu, "Software\\Firm\\App", "Path", "<InstallRoot>\\x", 4},
        {hkcu, "Software\\Firm\\App", "Other", "x", 9},
        {Root2, "Software\\Firm\\Machine", "", "default", 4},
    };
    Load(p);
    Registry().createKey(hkcu, "Software\\Firm");
    Run();
    ASSERT_EQ(installer->GetStatus(), setup::TInstaller::StatusCompleted)
        << wizard.errorText.toStdString();
    const auto u = static_cast<std::uint32_t>(hkcu);
    const QString key = "Software\\Firm\\App";
    EXPECT_EQ(Registry().value(u, key, "BinApp")->data, QByteArray("A\0B<AppName>", 12));
    EXPECT_EQ(Registry().readBool(u, key, "True"), true);
    EXPECT_EQ(Registry().readBool(u, key, "False"), false);
    EXPECT_FALSE(Registry().value(u, key, "Two").has_value()) << "2 is neither true nor false";
    EXPECT_EQ(Registry().readDateTime(u, key, "When"), 36526.5);
    EXPECT_EQ(Registry().readInteger(u, key, "Count"), -42);
    EXPECT_EQ(Registry().readString(u, key, "Path"), "C:\\Apps\\App\\x");
    EXPECT_FALSE(Registry().value(u, key, "Other").has_value());
    EXPECT_EQ(Registry().readString(0x80000002u, "Software\\Firm\\Machine", ""), "default");
    EXPECT_TRUE(root.RegistryText().contains("Windows Registry Editor Version 5.00"));
    const QString v = "CreateRegValue::HKEY_CURRENT_USER\\Software\\Firm\\App\\";
    EXPECT_EQ(LogLines().mid(2, 11),
              QStringList({"CreateRegKey::HKEY_CURRENT_USER\\Software\\Firm\\App", v + "BinApp",
                           v + "True", v + "False", v + "Two", v + "When", v + "Count", v + "Path",
                           v + "Other", "CreateRegKey::HKEY_LOCAL_MACHINE\\Software\\Firm\\Machine",
                           "CreateRegValue::HKEY_LOCAL_MACHINE\\Software\\Firm\\Machine\\"}));
}

TEST_F(SetupEngineInstall, UnreadableNumberEndsWithAReasonAndAClosedLog) {
    Package p = BasicPackage();
    p.registryEntries = {{Root1, "Software\\Firm", "A", "1", 3},
                         {Root1, "Software\\Firm", "B", "12abc", 3},
                         {Root1, "Software\\Firm", "C", "3", 3}};
    Load(p);
    Run();
    EXPECT_EQ(installer->GetStatus(), setup::TInstaller::StatusFailed);
    EXPECT_EQ(wizard.endSignals, 1);
    EXPECT_EQ(wizard.endCaption, "&Close");
    EXPECT_EQ(wizard.title, "Installation Failed");
    EXPECT_TRUE(wizard.errorText.contains("12abc")) << wizard.errorText.toStdString();
    EXPECT_EQ(installer->FailureReason, wizard.errorText);
    EXPECT_EQ(LogLines().last(), "CreateRegValue::HKEY_CURRENT_USER\\Software\\Firm\\A");
    EXPECT_FALSE(Registry().value(0x80000001u, "Software\\Firm", "C").has_value());
    const winplatform::RegistryStore onDisk(root.RegistryFile());
    EXPECT_EQ(onDisk.readInteger(0x80000001u, "Software\\Firm", "A"), 1)
        << "what the log names is in the file";
}

TEST_F(SetupEngineInstall, RegistryFileWriteThatFailsLeavesTheFileAsBeforeTheStep) {
    // The file outgrows what this process may write in the middle of writing it: a large one
    // while it is written, a small one only when it is flushed.
    for (const auto& [entries, limitBytes] : {std::pair{100, 64 * 1024}, std::pair{1, 1024}}) {
        Package p = BasicPackage();
        for (int i = 0; i < entries; ++i)
            p.registryEntries.push_back(
                {Root1, "Software\\Firm", "V" + std::to_string(i), std::string(255, 'x'), 0});
        Load(p);
        const QByteArray before = ReadHost(root.RegistryFile());
        {
            FileSizeLimit limit(static_cast<rlim_t>(limitBytes));
            Run();
        }
        EXPECT_EQ(installer->GetStatus(), setup::TInstaller::StatusFailed);
        EXPECT_TRUE(wizard.errorText.contains("registry")) << wizard.errorText.toStdString();
        EXPECT_EQ(ReadHost(root.RegistryFile()), before);
        EXPECT_EQ(QDir(root.platform().rootFolder()).entryList({"*.reg?*"}, QDir::Files),
                  QStringList());
        EXPECT_EQ(LogLines().last(), "CreateFile::C:\\Apps\\App\\tvuninst.dat")
            << "the log names nothing the file does not hold";
    }
}

TEST_F(SetupEngineInstall, FileOrFolderThatCannotBeWrittenEndsWithAReason) {
    Package p = BasicPackage();
    p.componentNames = {"A"};
    p.files = {{"<InstallRoot>\\ok", "A", "ok", {}, {}, {}},
               {"<InstallRoot>\\taken", "A", "x", {}, {}, {}}};
    Load(p);
    QDir().mkpath(root.Host("C:\\Apps\\App\\taken"));
    Run();
    EXPECT_EQ(installer->GetStatus(), setup::TInstaller::StatusFailed);
    EXPECT_EQ(wizard.errorText, "Cannot write the file C:\\Apps\\App\\taken.");
    EXPECT_EQ(LogLines().last(), "CreateFile::C:\\Apps\\App\\ok");

    p.files = {{"<InstallRoot>\\blocker\\inner.txt", "A", "x", {}, {}, {}}};
    Load(p);
    QDir(root.Host("C:\\Apps")).removeRecursively();
    root.Write("C:\\Apps\\App\\blocker", "a file where a folder should be");
    Run();
    EXPECT_EQ(installer->GetStatus(), setup::TInstaller::StatusFailed);
    EXPECT_TRUE(wizard.errorText.startsWith("Cannot create the folder C:\\Apps\\App\\blocker"))
        << wizard.errorText.toStdString();

    p.header.Unattended = 1;
    p.files = {{"<InstallRoot>\\kept", "A", "new", {}, {}, {}}};
    Load(p);
    QDir(root.Host("C:\\Apps")).removeRecursively();
    root.Write("C:\\Apps\\App\\kept", "read-only");
    QFile::setPermissions(root.Host("C:\\Apps\\App\\kept"), QFile::ReadOwner | QFile::ReadOther);
    Run();
    EXPECT_EQ(wizard.errorText, "Cannot write the file C:\\Apps\\App\\kept.");
    EXPECT_EQ(root.Read("C:\\Apps\\App\\kept"), "read-only");
}

TEST_F(SetupEngineInstall, FileWriteThatFailsKeepsTheOldFileAndLeavesNothingOfItsOwn) {
    Package p = BasicPackage();
    p.header.Unattended = 1; // replaced without a question
    p.componentNames = {"A"};
    p.files = {{"<InstallRoot>\\Readme.txt", "A", Bytes(2 << 20, 3), {}, {}, {}}};
    const QString log = "C:\\Apps\\App\\tvuninst.dat";
    const auto installed = [&] {
        return QDir(root.Host("C:\\Apps\\App"))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    for (const bool replacing : {true, false}) {
        Load(p);
        QDir(root.Host("C:\\Apps")).removeRecursively();
        if (replacing)
            root.Write("C:\\Apps\\App\\Readme.txt", "the user's notes");
        {
            FileSizeLimit limit(1 << 20);
            Run();
        }
        EXPECT_EQ(wizard.errorText, "Cannot write the file C:\\Apps\\App\\Readme.txt.");
        EXPECT_EQ(installed(), replacing ? QStringList({"Readme.txt", "tvuninst.dat"})
                                         : QStringList({"tvuninst.dat"}));
        if (replacing) {
            EXPECT_EQ(root.Read("C:\\Apps\\App\\Readme.txt"), "the user's notes");
        }
        EXPECT_FALSE(LogLines().contains("CreateFile::C:\\Apps\\App\\Readme.txt"));
    }

    // The log of an earlier install gives way only to a new one that could be written.
    Load(p);
    root.Write(log, "CreateFile::C:\\Apps\\App\\Readme.txt\r\n");
    {
        FileSizeLimit limit(8);
        Run();
    }
    EXPECT_EQ(wizard.errorText, "Cannot write the uninstall log " + log + ".");
    EXPECT_EQ(root.Read(log), "CreateFile::C:\\Apps\\App\\Readme.txt\r\n");
    EXPECT_EQ(installed(), QStringList({"tvuninst.dat"}));

    // A log that fills up later keeps whole lines only: a line cut short could name another file.
    p.files = {{"<InstallRoot>\\Readme.txt", "A", "x", {}, {}, {}}};
    Load(p);
    QDir(root.Host("C:\\Apps")).removeRecursively();
    const QByteArray firstLines =
        "CreateDir::C:\\Apps\\App\r\nCreateFile::" + log.toLatin1() + "\r\n";
    {
        FileSizeLimit limit(firstLines.size() + 12);
        Run();
    }
    EXPECT_EQ(wizard.errorText, "Cannot write the uninstall log " + log + ".");
    EXPECT_EQ(root.Read(log), firstLines);
}

TEST_F(SetupEngineInstall, InvalidRootKeyIsAFailure) {
    Package p = BasicPackage();
    p.registryEntries = {{0x12345, "Software\\Firm", "A", "1", 3}};
    Load(p);
    Run();
    EXPECT_EQ(installer->GetStatus(), setup::TInstaller::StatusFailed);
}

TEST_F(SetupEngineInstall, UninstallerCopiedOnlyWhenItsVersionIsHigherPartByPart) {
    struct Case {
        std::array<std::uint16_t, 4> installed;
        std::array<std::uint16_t, 4> packaged;
        bool copied;
    };
    const Case cases[] = {{{1, 10, 0, 0}, {2, 0, 0, 0}, true},
                          {{2, 0, 0, 0}, {1, 10, 0, 0}, false},
                          {{2, 0, 0, 0}, {2, 0, 0, 0}, false},
                          {{2, 0, 0, 1}, {2, 0, 0, 2}, true}};
    for (const Case& c : cases) {
        Package p = BasicPackage();
        p.uninstaller = package_writer::VersionedExecutable(c.packaged[0], c.packaged[1],
                                                            c.packaged[2], c.packaged[3]);
        Load(p);
        const QString system = installer->GetEnvVar("WINDIR") + "\\system32\\tvuninst.exe";
        const QByteArray old = QByteArray::fromStdString(package_writer::VersionedExecutable(
            c.installed[0], c.installed[1], c.installed[2], c.installed[3]));
        root.Write(system, old);
        Run();
        EXPECT_EQ(root.Read(system), c.copied ? QByteArray::fromStdString(p.uninstaller) : old);
        installer.reset();
    }
    Package p = BasicPackage();
    p.uninstaller = package_writer::VersionedExecutable(1, 0, 0, 0);
    Load(p);
    const QString system = installer->GetEnvVar("WINDIR") + "\\system32\\tvuninst.exe";
    QFile::remove(root.Host(system));
    Run();
    EXPECT_EQ(root.Read(system), QByteArray::fromStdString(p.uninstaller)) << "missing counts as 0";
}

TEST_F(SetupEngineInstall, UninstallEntryNamesTheSystemUninstallerAndTheLog) {
    Package p = BasicPackage();
    p.header.AnnounceStyle = 0;
    Load(p);
    Run();
    const QString key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Firm App 1.0";
    const QString windir = installer->GetEnvVar("WINDIR");
    EXPECT_EQ(Registry().readString(0x80000002u, key, "DisplayName"), "Firm App 1.0");
    EXPECT_EQ(Registry().readString(0x80000002u, key, "UninstallString"),
              windir + "\\system32\\tvuninst.exe \"C:\\Apps\\App\\tvuninst.dat\"");
}

TEST_F(SetupEngineInstall, EmptyAnnounceNameNeverTouchesTheSharedUninstallKey) {
    const QString shared = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    Package p = BasicPackage();
    p.header.AnnounceStyle = 4;
    Load(p);
    Run();
    EXPECT_EQ(Registry().readString(0x80000002u, shared + "\\App", "DisplayName"), "App");
    EXPECT_TRUE(Registry().valueNames(0x80000002u, shared).isEmpty());
    installer.reset();

    p.header.AppName = "";
    Load(p);
    Run();
    EXPECT_EQ(installer->GetStatus(), setup::TInstaller::StatusCompleted);
    EXPECT_TRUE(Registry().valueNames(0x80000002u, shared).isEmpty());
    for (const QString& line : LogLines())
        EXPECT_FALSE(line.contains("Uninstall")) << line.toStdString();
}

TEST_F(SetupEngineInstall, ShortcutsFollowTheirOptionsAndParseBack) {
    Package p = BasicPackage();
    p.header.OfferStartMenuShortcuts = 1;
    p.header.OfferQuickLaunchShortcuts = 1;
    p.componentNames = {"A"};
    p.files = {{"<InstallRoot>\\app.exe", "A", "exe", {}, {}, {}}};
    const std::string longName(300, 'n');
    p.shortcutEntries = {
        {"<Programs>\\<AppName>", "<InstallRoot>\\app.exe", "<AppName>", "-a <AppName>", 1,
         "<InstallRoot>\\app.exe", 3},
        {"<Desktop>\\Sub", "<InstallRoot>\\app.exe", "Desk", "", 0, "", 0}, // not offered
        {"<InstallRoot>", "<InstallRoot>\\app.exe", "Plain", "", 0, "", 0}, // no option at all
        {"<Programs>", "<InstallRoot>\\missing.exe", "Missing", "", 0, "", 0},
        {"<QuickLaunch>", "<InstallRoot>\\app.exe", "Quick", "", 0, "", 0}, // unchecked below
        {"<Startup>", "<InstallRoot>\\app.exe", "<%OBR_LONG_NAME%>", "", 0, "", 0},
    };
    root.platform().system().setEnvironmentVariable("OBR_LONG_NAME", QString(250, 'n'));
    Load(p);
    wizard.Uncheck("Add Shortcuts to Quick Launch Bar");
    Run();
    ASSERT_EQ(installer->GetStatus(), setup::TInstaller::StatusCompleted)
        << wizard.errorText.toStdString();
    const QString programs =
        *root.platform().shellFolders().folderPath(winplatform::ShellFolder::Programs);
    const QString startup =
        *root.platform().shellFolders().folderPath(winplatform::ShellFolder::Startup);
    const QString link = programs + "\\App\\App.lnk";
    ASSERT_TRUE(root.Exists(link));
    QString why;
    const auto parsed = winplatform::decodeShellLink(root.Read(link), &why);
    ASSERT_TRUE(parsed) << why.toStdString();
    EXPECT_EQ(parsed->targetPath, "C:\\Apps\\App\\app.exe");
    EXPECT_EQ(parsed->workingFolder, "C:\\Apps\\App\\");
    EXPECT_EQ(parsed->arguments, "-a App");
    EXPECT_TRUE(parsed->hasIcon);
    EXPECT_EQ(parsed->iconFile, "C:\\Apps\\App\\app.exe");
    EXPECT_EQ(parsed->iconIndex, 3);
    EXPECT_TRUE(root.Exists(startup + "\\" + QString(250, 'n') + ".lnk"));
    const auto* record = installer->ShortcutEntryAt(1);
    EXPECT_EQ(record->ShortcutFolder, programs + "\\App") << "expanded texts are written back";
    EXPECT_EQ(record->Arguments, "-a App");

    const QStringList log = LogLines();
    EXPECT_TRUE(log.contains("CreateDir::" + programs + "\\App\\"));
    EXPECT_TRUE(log.contains("CreateFile::" + link));
    for (const QString& line : log) {
        EXPECT_FALSE(line.contains("Desk")) << line.toStdString();
        EXPECT_FALSE(line.contains("Plain")) << line.toStdString();
        EXPECT_FALSE(line.contains("Quick")) << line.toStdString();
        EXPECT_FALSE(line.contains("Missing")) << line.toStdString();
    }
    EXPECT_FALSE(root.Exists(
        *root.platform().shellFolders().folderPath(winplatform::ShellFolder::Desktop) + "\\Sub"));
    EXPECT_EQ(wizard.events.filter("Creating Shortcuts").size(), 1);
    const int at = static_cast<int>(wizard.events.indexOf("label:Creating Shortcuts..."));
    EXPECT_EQ(wizard.events.mid(at, 8),
              QStringList({"label:Creating Shortcuts...", "bar:98", "bar:98", "bar:99", "bar:99",
                           "bar:99", "bar:100", "bar:100"}));
}

TEST_F(SetupEngineInstall, DllsAndCommandsRunAndUninstallCommandsAreLoggedLastFirst) {
    Package p = BasicPackage();
    p.dllPaths = {"<InstallRoot>\\a.dll", "<InstallRoot>\\b.dll"};
    p.runAfterCommands = {"C:\\tools\\after.exe first <AppName>"};
    p.uninstallCommands = {"A <AppName>", "B"};
    Load(p);
    const QString marker = root.Host("C:\\marker.txt");
    root.Write("C:\\tools\\after.exe",
               QByteArray("#!/bin/sh\necho \"$@\" >> '") + marker.toUtf8() + "'\n");
    QFile::setPermissions(root.Host("C:\\tools\\after.exe"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Run();
    EXPECT_EQ(installer->GetStatus(), setup::TInstaller::StatusCompleted);
    EXPECT_EQ(root.Read("C:\\marker.txt"), "first App\n");
    const QStringList log = LogLines();
    ASSERT_GE(log.size(), 4);
    EXPECT_EQ(log.mid(log.size() - 4),
              QStringList({"RegisterDLL::regsvr32.exe /s \"C:\\Apps\\App\\a.dll\"",
                           "RegisterDLL::regsvr32.exe /s \"C:\\Apps\\App\\b.dll\"", "Exec::B",
                           "Exec::A App"}));
}

TEST_F(SetupEngineInstall, NotEnoughDiskSpaceStopsBeforeTheLog) {
    Package p = BasicPackage();
    p.componentNames = {"A"};
    p.files = {{"<InstallRoot>\\big", "A", "x", 3000000000, {}, {}},
               {"<InstallRoot>\\big2", "A", "x", 2000000000, {}, {}},
               {"D:\\elsewhere", "A", "x", 2000000000, {}, {}}};
    Load(p);
    root.platform().setFreeSpace('C', 5000000000LL); // the 32-bit sum would wrap to ~0.7 GB
    Run();
    EXPECT_EQ(installer->GetStatus(), setup::TInstaller::StatusNoDiskSpace);
    EXPECT_EQ(wizard.endSignals, 1);
    EXPECT_EQ(wizard.errorText, "Insufficient free disk space to perform the installation.");
    EXPECT_EQ(wizard.title, "Installation Failed");
    EXPECT_EQ(wizard.subtitle, "Setup could not complete the Installation.");
    EXPECT_EQ(wizard.endCaption, "&Close");
    EXPECT_FALSE(root.Exists("C:\\Apps\\App"));

    // One byte more is enough: the file for drive D: is not counted against drive C:.
    Load(p);
    root.platform().setFreeSpace('C', 5000000001LL);
    Run();
    EXPECT_NE(installer->GetStatus(), setup::TInstaller::StatusNoDiskSpace);
    EXPECT_TRUE(root.Exists("C:\\Apps\\App\\big2"));
}

TEST_F(SetupEngineInstall, PathsNeverLeaveTheWindowsRoot) {
    Package p = BasicPackage();
    p.files = {{"<InstallRoot>\\..\\..\\..\\..\\..\\escape.txt", "", "x", {}, {}, {}},
               {"/tmp/obravel-engine-escape.txt", "", "x", {}, {}, {}}};
    p.componentNames = {""};
    Load(p);
    Run();
    EXPECT_FALSE(QFileInfo::exists("/tmp/obravel-engine-escape.txt"));
    EXPECT_FALSE(QFileInfo::exists(root.platform().rootFolder() + "/../escape.txt"));
    EXPECT_EQ(installer->GetStatus(), setup::TInstaller::StatusFailed);
}

TEST_F(SetupEngineInstall, LineBreakInALoggedTextIsRefused) {
    Package p = BasicPackage();
    p.uninstallCommands = {"ok", "evil\r\nCreateDir::C:\\WINDOWS"};
    Load(p);
    Run();
    EXPECT_EQ(installer->GetStatus(), setup::TInstaller::StatusFailed);
    for (const QString& line : LogLines())
        EXPECT_NE(line, "CreateDir::C:\\WINDOWS");
}

TEST_F(SetupEngineInstall, PackedBodyOfTheWrongSizeIsAnError) {
    Package p = BasicPackage();
    p.header.FilesCompressed = 1;
    p.files = {{"<InstallRoot>\\good", "", "good body", {}, {}, {}},
               {"<InstallRoot>\\bad", "", "bad body", 5, {}, {}}};
    p.componentNames = {""};
    Load(p);
    Run();
    EXPECT_EQ(installer->GetStatus(), setup::TInstaller::StatusFailed);
    EXPECT_TRUE(wizard.errorText.contains("C:\\Apps\\App\\bad"));
    EXPECT_EQ(root.Read("C:\\Apps\\App\\good"), "good body");
    EXPECT_FALSE(root.Exists("C:\\Apps\\App\\bad"));
    EXPECT_EQ(LogLines().last(), "CreateFile::C:\\Apps\\App\\good");
}

} // namespace

namespace {

TEST_F(SetupEngineInstall, SamplePackageInstallsWhole) {
    Load(package_writer::Sample());
    installer->InstallRoot = installer->ExpandPlaceholders(installer->Header.DefaultDestination);
    EXPECT_EQ(installer->InstallRoot, "C:\\Program Files\\Sample Estimator");
    Run();
    ASSERT_EQ(installer->GetStatus(), setup::TInstaller::StatusCompleted)
        << wizard.errorText.toStdString();
    const QString installRoot = installer->InstallRoot;
    EXPECT_EQ(setup::TInstaller::GetFileVersionNumber(installRoot + "\\Estimator.exe"), 21017);
    EXPECT_TRUE(root.Exists(installRoot + "\\Docs\\Manual.txt"));
    const QStringList log = LogLines(installRoot);
    EXPECT_EQ(log.filter(".lnk").size(), 4);
    EXPECT_EQ(log.filter("CreateRegValue::HKEY_CURRENT_USER\\Software\\Sample Software").size(), 3);
}

} // namespace
