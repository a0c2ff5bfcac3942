// Reading packages: the records at their offsets, the fatal package messages, damaged and hostile
// packages, the uninstaller copy, the announce name and the component list.
#include "EngineTestSupport.h"
#include "ScriptedSeam.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace engine_testing;
using package_writer::Package;
using package_writer::Root1;
using package_writer::Root2;
using testing_support::ScriptedSeam;

namespace {

const QString MissingFiles = QStringLiteral("Could not find all required files!\r\nYour Setup "
                                            "Package seems to be corrupt or incomplete.");
const QString Damaged = QStringLiteral("Setup Data File setup.dat invalid or damaged!\r\n");

class SetupEnginePackageLoading : public ::testing::Test {
protected:
    // Loads the package and gives back whether it loaded; the seam expects `message` (if any).
    bool Load(const PackageFolder& folder, const QString& message = {}) {
        ScriptedSeam seam;
        if (!message.isEmpty())
            seam.expectMessage(message);
        installer.SourceDir = folder.SourceDir();
        const bool loaded = installer.LoadPackage();
        if (!message.isEmpty()) {
            EXPECT_EQ(seam.beeps, 1);
            EXPECT_EQ(seam.messages.at(0).icon, modal::Icon::Error);
        }
        return loaded;
    }

    WindowsRoot root;
    FakeWizard wizard;
    setup::TInstaller installer{wizard};
};

TEST_F(SetupEnginePackageLoading, ReadsEveryRecordFieldAtItsOffset) {
    Package p = BasicPackage();
    p.header.AppName = "App";
    p.header.Website = "http://x.example";
    p.header.RecommendRestart = 1;
    p.header.AllowWinXP = 1;
    p.header.AllowAnyWindows = 0;
    p.header.DefaultDestination = "<ProgramFiles>\\App";
    p.header.Unattended = 1;
    p.componentNames = {"Core", "Extras"};
    p.registryEntries = {{Root2, "Software\\A", "Name", "Data\xE9", 4}};
    p.shortcutEntries = {{"<Desktop>", "<InstallRoot>\\a.exe", "A", "-x", 1, "icon.ico", 513}};
    p.dllPaths = {"<InstallRoot>\\a.dll"};
    p.runAfterCommands = {"cmd1"};
    p.uninstallCommands = {"u1", "u2"};
    p.files = {{"<InstallRoot>\\a.exe", "Core", "abc", 77, {}, {}}};
    p.leadingBlock = "LEAD";
    PackageFolder folder(p);
    ASSERT_TRUE(Load(folder));

    EXPECT_EQ(installer.Header.AppName, "App");
    EXPECT_EQ(installer.Header.Website, "http://x.example");
    EXPECT_EQ(installer.Header.RecommendRestart, 1);
    EXPECT_EQ(installer.Header.AllowWinXP, 1);
    EXPECT_EQ(installer.Header.AllowAnyWindows, 0);
    EXPECT_EQ(installer.Header.DefaultDestination, "<ProgramFiles>\\App");
    EXPECT_EQ(installer.Header.LeadingBlockSize, 4);
    EXPECT_EQ(installer.Header.Unattended, 1);
    EXPECT_EQ(installer.ComponentNames, QStringList({"Core", "Extras"}));
    ASSERT_EQ(installer.RegistryEntryCount(), 1);
    const auto* r = installer.RegistryEntryAt(1);
    EXPECT_EQ(r->RootKey, Root2);
    EXPECT_EQ(r->KeyPath, "Software\\A");
    EXPECT_EQ(r->ValueName, "Name");
    EXPECT_EQ(r->ValueData(), QString::fromUtf8("Data\u00E9"));
    EXPECT_EQ(r->ValueType, 4);
    ASSERT_EQ(installer.ShortcutEntryCount(), 1);
    const auto* s = installer.ShortcutEntryAt(1);
    EXPECT_EQ(s->ShortcutFolder, "<Desktop>");
    EXPECT_EQ(s->TargetFile, "<InstallRoot>\\a.exe");
    EXPECT_EQ(s->ShortcutName, "A");
    EXPECT_EQ(s->Arguments, "-x");
    EXPECT_EQ(s->HasIcon, 1);
    EXPECT_EQ(s->IconFile, "icon.ico");
    EXPECT_EQ(s->IconIndex, 513);
    EXPECT_EQ(installer.DllPaths, QStringList({"<InstallRoot>\\a.dll"}));
    EXPECT_EQ(installer.RunAfterCommands, QStringList({"cmd1"}));
    EXPECT_EQ(installer.UninstallCommands, QStringList({"u1", "u2"}));
    ASSERT_EQ(installer.FileEntryCount(), 1);
    const auto* f = installer.FileEntryAt(1);
    EXPECT_EQ(f->TargetPath, "<InstallRoot>\\a.exe");
    EXPECT_EQ(f->ComponentName, "Core");
    EXPECT_EQ(f->DataOffset, 4 + 14 + 1);
    EXPECT_EQ(f->StoredSize, 3);
    EXPECT_EQ(f->InstalledSize, 77);
    EXPECT_EQ(installer.FileEntryAt(2), nullptr);
}

TEST_F(SetupEnginePackageLoading, SourceFolderWithoutTrailingSeparator) {
    PackageFolder folder(BasicPackage());
    ScriptedSeam seam;
    installer.SourceDir = folder.SourceDir().chopped(1);
    EXPECT_TRUE(installer.LoadPackage());
}

TEST_F(SetupEnginePackageLoading, MissingPackageFilesEndTheInstaller) {
    PackageFolder onlyData;
    onlyData.WriteRaw("data.pak", "x");
    EXPECT_FALSE(Load(onlyData, MissingFiles));
    PackageFolder onlySetup;
    onlySetup.WriteRaw("setup.dat", package_writer::Build(BasicPackage()).setupDat);
    EXPECT_FALSE(Load(onlySetup, MissingFiles));
    EXPECT_TRUE(installer.TempDir.isEmpty());
}

TEST_F(SetupEnginePackageLoading, LicenceAskedForButMissingIsRefused) {
    Package p = BasicPackage();
    p.header.HasLicense = 1;
    PackageFolder folder(p);
    EXPECT_FALSE(Load(folder, MissingFiles));
    p.license = "{\\rtf1 terms}";
    PackageFolder withLicence(p);
    EXPECT_TRUE(Load(withLicence));
}

TEST_F(SetupEnginePackageLoading, SetupDatOf1307BytesIsDamagedAnd1308FailsAtTheFirstTable) {
    const auto bytes = package_writer::Build(BasicPackage());
    PackageFolder shortFolder;
    shortFolder.WriteRaw("setup.dat", bytes.setupDat.substr(0, 1307));
    shortFolder.WriteRaw("data.pak", bytes.dataPak);
    EXPECT_FALSE(Load(shortFolder, Damaged));
    EXPECT_TRUE(installer.TempDir.isEmpty()) << "no temporary folder before the size check";

    PackageFolder headerOnly;
    headerOnly.WriteRaw("setup.dat", bytes.setupDat.substr(0, 1308));
    headerOnly.WriteRaw("data.pak", bytes.dataPak);
    EXPECT_FALSE(Load(headerOnly, Damaged));
}

TEST_F(SetupEnginePackageLoading, HostilePackagesAreDamagedNotCrashes) {
    const auto refused = [this](const std::string& setupDat, const std::string& dataPak) {
        PackageFolder folder;
        folder.WriteRaw("setup.dat", setupDat);
        folder.WriteRaw("data.pak", dataPak);
        return !Load(folder, Damaged);
    };
    Package p = BasicPackage();
    p.files = {{"<InstallRoot>\\a", "", "body", {}, {}, {}}};
    auto good = package_writer::Build(p);

    // A file count far beyond the file's size.
    std::string bigCount = good.setupDat;
    bigCount[bigCount.size() - 524 - 1] = '\x7F';
    bigCount[bigCount.size() - 524 - 2] = '\x7F';
    EXPECT_TRUE(refused(bigCount, good.dataPak));
    // A registry count with too few records behind it.
    std::string regCount = good.setupDat;
    regCount[1308 + 1] = '\x05';
    EXPECT_TRUE(refused(regCount, good.dataPak));

    const auto withFile = [&](std::optional<std::int32_t> offset,
                              std::optional<std::int32_t> size) {
        Package q = p;
        q.files[0].DataOffset = offset;
        q.files[0].StoredSize = size;
        return package_writer::Build(q);
    };
    for (auto [offset, size] :
         {std::pair<std::optional<std::int32_t>, std::optional<std::int32_t>>{0, {}},
          {-5, {}},
          {1000, {}},
          {{}, 1000},
          {{}, -1},
          {INT32_MAX, INT32_MAX}}) {
        const auto b = withFile(offset, size);
        EXPECT_TRUE(refused(b.setupDat, b.dataPak));
    }
    Package big = p;
    big.header.UninstallerSize = 1 << 30;
    auto b = package_writer::Build(big);
    EXPECT_TRUE(refused(b.setupDat, b.dataPak));
    big.header.UninstallerSize = -1;
    b = package_writer::Build(big);
    EXPECT_TRUE(refused(b.setupDat, b.dataPak));
    Package lead = p;
    lead.header.LeadingBlockSize = -100;
    b = package_writer::Build(lead);
    EXPECT_TRUE(refused(b.setupDat, b.dataPak));
}

TEST_F(SetupEnginePackageLoading, NegativeFileCountMeansNoFiles) {
    auto bytes = package_writer::Build(BasicPackage());
    bytes.setupDat.replace(bytes.setupDat.size() - 4, 4, std::string("\xFF\xFF\xFF\xFF", 4));
    PackageFolder folder;
    folder.WriteRaw("setup.dat", bytes.setupDat + "trailing bytes are not read");
    folder.WriteRaw("data.pak", bytes.dataPak);
    ASSERT_TRUE(Load(folder));
    EXPECT_EQ(installer.FileEntryCount(), 0);
}

TEST_F(SetupEnginePackageLoading, UninstallerIsCopiedWholeWhateverItsBlockSize) {
    for (int size : {4096, 2049, 2048, 1, 0}) {
        Package p = BasicPackage();
        p.leadingBlock = "skip me";
        p.uninstaller = std::string(static_cast<std::size_t>(size), '\0');
        for (int i = 0; i < size; ++i)
            p.uninstaller[static_cast<std::size_t>(i)] = static_cast<char>(i * 7 + size);
        PackageFolder folder(p);
        setup::TInstaller fresh(wizard);
        ScriptedSeam seam;
        fresh.SourceDir = folder.SourceDir();
        ASSERT_TRUE(fresh.LoadPackage());
        EXPECT_EQ(root.Read(fresh.TempDir + "tvuninst.exe"),
                  QByteArray::fromStdString(p.uninstaller))
            << size;
    }
}

TEST_F(SetupEnginePackageLoading, AnnounceNameFollowsTheStyle) {
    const std::pair<int, const char*> cases[] = {{0, "Firm App 1.0"}, {1, "Firm App"}, {2, "App"},
                                                 {3, "App 1.0"},      {4, ""},         {255, ""}};
    for (const auto& [style, expected] : cases) {
        Package p = BasicPackage();
        p.header.AnnounceStyle = static_cast<std::uint8_t>(style);
        PackageFolder folder(p);
        ASSERT_TRUE(Load(folder));
        EXPECT_EQ(installer.AnnounceName, QString::fromLatin1(expected)) << style;
    }
}

TEST_F(SetupEnginePackageLoading, ComponentListOrderIsStartMenuDesktopQuickLaunchThenNamesAllChecked) {
    Package p = BasicPackage();
    p.header.OfferDesktopShortcuts = 1;
    p.header.OfferStartMenuShortcuts = 1;
    p.header.OfferQuickLaunchShortcuts = 1;
    p.componentNames = {"Core", "Help"};
    PackageFolder folder(p);
    wizard.AddPart("stale");
    ASSERT_TRUE(Load(folder));
    EXPECT_EQ(wizard.parts, QStringList({"Add Shortcuts to Start Menu", "Add Shortcuts to Desktop",
                                         "Add Shortcuts to Quick Launch Bar", "Core", "Help"}));
    EXPECT_EQ(wizard.checked, std::vector<bool>(5, true));

    Package none = BasicPackage();
    none.header.OfferDesktopShortcuts = 2; // only 1 offers
    PackageFolder plain(none);
    ASSERT_TRUE(Load(plain));
    EXPECT_TRUE(wizard.parts.isEmpty());
}

TEST_F(SetupEnginePackageLoading, TemporaryFolderIsPrivateAndRemovedAtTeardown) {
    PackageFolder folder(BasicPackage());
    QString host;
    {
        setup::TInstaller other(wizard);
        other.SourceDir = folder.SourceDir();
        ASSERT_TRUE(other.LoadPackage());
        ASSERT_TRUE(other.TempDir.endsWith('\\'));
        ASSERT_TRUE(other.TempDir.startsWith(root.platform().system().tempPath()));
        host = root.Host(other.TempDir);
        EXPECT_TRUE(QFileInfo(host).isDir());
        EXPECT_EQ(QFileInfo(host).permissions() &
                      (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                  QFile::Permissions());
        // A second installer draws another folder.
        setup::TInstaller second(wizard);
        second.SourceDir = folder.SourceDir();
        ASSERT_TRUE(second.LoadPackage());
        EXPECT_NE(second.TempDir, other.TempDir);
    }
    EXPECT_FALSE(QFileInfo::exists(host));
}

} // namespace
