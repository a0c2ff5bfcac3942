// The installer's services: placeholder expansion, environment references, the destination check,
// the Windows version gate, file version numbers and web addresses.
#include "EngineTestSupport.h"
#include "ScriptedSeam.h"

#include <gtest/gtest.h>

using namespace engine_testing;
using package_writer::Package;
using testing_support::ScriptedSeam;

namespace {

class SetupEngineServices : public ::testing::Test {
protected:
    void Load(const Package& p) {
        folder = std::make_unique<PackageFolder>(p);
        installer.SourceDir = folder->SourceDir();
        ScriptedSeam seam;
        ASSERT_TRUE(installer.LoadPackage());
    }
    winplatform::SystemServices& System() { return root.platform().system(); }

    WindowsRoot root;
    FakeWizard wizard;
    setup::TInstaller installer{wizard};
    std::unique_ptr<PackageFolder> folder;
};

TEST_F(SetupEngineServices, HeaderPlaceholdersExpandInOrderAndOnce) {
    Package p = BasicPackage();
    p.header.AppName = "My<AppName><Version>";
    p.header.Version = "<Company>";
    p.header.Company = "Co";
    p.header.AnnounceStyle = 2;
    Load(p);
    installer.InstallRoot = "C:\\Apps\\X";
    // <AppName> is visited once; the <Version> it brings in is expanded by the later row, and the
    // <Company> that brings in by the row after that.
    EXPECT_EQ(installer.ExpandPlaceholders("<AppName>"), "My<AppName>Co");
    EXPECT_EQ(installer.ExpandPlaceholders("<InstallRoot>\\bin <InstallRoot>"),
              "C:\\Apps\\X\\bin C:\\Apps\\X");
    EXPECT_EQ(installer.ExpandPlaceholders("<UninstallFile>"), "C:\\Apps\\X\\tvuninst.dat");
    EXPECT_EQ(installer.ExpandPlaceholders("<appname>"), "<appname>") << "case-sensitive";
    // <AnnounceName> comes after the header rows, so what it brings in stays.
    EXPECT_EQ(installer.ExpandPlaceholders("<AnnounceName>"), "My<AppName><Version>");
}

TEST_F(SetupEngineServices, SystemPlaceholdersComeFromTheWindowsRoot) {
    Load(BasicPackage());
    EXPECT_EQ(installer.ExpandPlaceholders("<ProgramFiles>\\A"), "C:\\Program Files\\A");
    EXPECT_EQ(installer.ExpandPlaceholders("<SharedFiles>"), "C:\\Program Files\\Common Files");
    const QString windir = installer.GetEnvVar("WINDIR");
    EXPECT_FALSE(windir.isEmpty());
    EXPECT_EQ(installer.ExpandPlaceholders("<SystemRoot>"), windir);
    EXPECT_EQ(installer.ExpandPlaceholders("<Uninstall>"), windir + "\\system32\\tvuninst.exe");

    namespace sf = winplatform::ShellFolder;
    auto& folders = root.platform().shellFolders();
    wizard.commonShortcuts = false;
    EXPECT_EQ(installer.ExpandPlaceholders("<Desktop>"), *folders.folderPath(sf::Desktop));
    EXPECT_EQ(installer.ExpandPlaceholders("<StartMenu>|<Programs>|<Startup>"),
              *folders.folderPath(sf::StartMenu) + "|" + *folders.folderPath(sf::Programs) + "|" +
                  *folders.folderPath(sf::Startup));
    const QString userQuick = installer.ExpandPlaceholders("<QuickLaunch>");
    EXPECT_TRUE(userQuick.endsWith("\\Microsoft\\Internet Explorer\\Quick Launch"));
    EXPECT_TRUE(root.Exists(userQuick));
    wizard.commonShortcuts = true;
    EXPECT_EQ(installer.ExpandPlaceholders("<Desktop>"), *folders.folderPath(sf::CommonDesktop));
    EXPECT_EQ(installer.ExpandPlaceholders("<Programs>"), *folders.folderPath(sf::CommonPrograms));
    const QString commonQuick = installer.ExpandPlaceholders("<QuickLaunch>");
    EXPECT_NE(commonQuick, userQuick);
    EXPECT_TRUE(root.Exists(commonQuick));
}

TEST_F(SetupEngineServices, EnvironmentReferences) {
    Load(BasicPackage());
    System().setEnvironmentVariable("OBR_A", "alpha");
    System().setEnvironmentVariable("OBR_SELF", "x<%OBR_SELF%>y");
    System().setEnvironmentVariable("OBR_LONG", QString(300, 'L'));
    EXPECT_EQ(installer.ExpandPlaceholders("<%OBR_A%>\\<%OBR_A%>"), "alpha\\alpha");
    EXPECT_EQ(installer.ExpandPlaceholders("[<%OBR_UNSET_VARIABLE%>]"), "[]");
    // The first "%>" before the first "<%" stops the expansion.
    EXPECT_EQ(installer.ExpandPlaceholders("a%>b<%OBR_A%>"), "a%>b<%OBR_A%>");
    EXPECT_EQ(installer.ExpandPlaceholders("<%OBR_A"), "<%OBR_A");
    // A value that refers to itself is expanded once and the expansion ends.
    EXPECT_EQ(installer.ExpandPlaceholders("<%OBR_SELF%>"), "x<%OBR_SELF%>y");
    // Values longer than the classic 250-character buffer come whole.
    EXPECT_EQ(installer.GetEnvVar("OBR_LONG"), QString(300, 'L'));
    EXPECT_EQ(installer.ExpandPlaceholders("<%OBR_LONG%>"), QString(300, 'L'));
}

TEST_F(SetupEngineServices, DoubledBackslashesCollapseInOnePass) {
    Load(BasicPackage());
    EXPECT_EQ(installer.ExpandPlaceholders("C:\\\\a\\\\\\b"), "C:\\a\\\\b");
    installer.InstallRoot = "C:\\R\\";
    EXPECT_EQ(installer.ExpandPlaceholders("<InstallRoot>\\f"), "C:\\R\\f");
    EXPECT_EQ(setup::TInstaller::ReplaceAll("aXbXc", "X", "YY"), "aYYbYYc");
    EXPECT_EQ(setup::TInstaller::ReplaceAll("abc", "", "Z"), "abc");
}

TEST_F(SetupEngineServices, IsValidDestination) {
    Load(BasicPackage());
    for (const char* good : {"C:", "c:", "C:\\", "c:\\Program Files\\App", "C:\\..\\x"})
        EXPECT_TRUE(installer.IsValidDestination(good)) << good;
    for (const char* bad : {"", "C", "1:\\x", "C\\x", "C;\\x", "C:x", "Z:\\x", "\\\\server\\x",
                            "C:\\Bad|Folder", "C:\\a\\b<c>", "C:\\Wh?t\\x", "C:\\\"q\"", "C:\\*"})
        EXPECT_FALSE(installer.IsValidDestination(bad)) << bad;
    // Names and paths this machine's file system cannot hold, counted in bytes.
    const QString longest(255, u'n');
    EXPECT_TRUE(installer.IsValidDestination("C:\\" + longest + "\\" + longest));
    EXPECT_FALSE(installer.IsValidDestination("C:\\a\\" + longest + "n"));
    EXPECT_FALSE(installer.IsValidDestination("C:\\" + QString(128, u'\u00e9')));
    QString deep = "C:";
    for (int i = 0; i < 17; ++i)
        deep += "\\" + QString(240, u'd');
    EXPECT_FALSE(installer.IsValidDestination(deep));
    root.platform().setFreeSpace('C', 0);
    EXPECT_FALSE(installer.IsValidDestination("C:\\x")) << "a full drive";
}

TEST_F(SetupEngineServices, WindowsVersionGate) {
    using winplatform::WindowsPlatform;
    struct Gate {
        WindowsPlatform platform;
        std::uint32_t major;
        std::uint32_t minor;
        int flag; // index into the allow flags, or -1 for none
    };
    const Gate gates[] = {
        {WindowsPlatform::Windows9x, 4, 0, 0},  {WindowsPlatform::Windows9x, 4, 10, 1},
        {WindowsPlatform::Windows9x, 4, 90, 2}, {WindowsPlatform::WindowsNT, 4, 0, 3},
        {WindowsPlatform::WindowsNT, 5, 0, 4},  {WindowsPlatform::WindowsNT, 5, 1, 5},
        {WindowsPlatform::WindowsNT, 5, 2, 6},  {WindowsPlatform::WindowsNT, 6, 1, -1},
    };
    for (const Gate& gate : gates) {
        for (int allowed = -1; allowed < 8; ++allowed) {
            Package p = BasicPackage();
            auto& h = p.header;
            std::uint8_t* flags[] = {&h.AllowWin95,   &h.AllowWin98,     &h.AllowWinME,
                                     &h.AllowNT4,     &h.AllowWin2000,   &h.AllowWinXP,
                                     &h.AllowWin2003, &h.AllowAnyWindows};
            for (auto* f : flags)
                *f = 0;
            if (allowed >= 0)
                *flags[allowed] = 7;
            Load(p);
            ASSERT_TRUE(winplatform::setWindowsVersion(root.platform().registry(),
                                                       {gate.platform, gate.major, gate.minor, 1}));
            wizard = FakeWizard();
            const bool expected = allowed == 7 || (allowed >= 0 && allowed == gate.flag);
            EXPECT_EQ(installer.CheckWindowsVersion(), expected)
                << int(gate.platform) << " " << gate.major << "." << gate.minor << " flag "
                << allowed;
            EXPECT_EQ(wizard.commonShortcutsDisabled, gate.platform == WindowsPlatform::Windows9x);
            EXPECT_EQ(wizard.tahoma, gate.major > 4 || gate.minor != 0);
        }
    }
}

TEST_F(SetupEngineServices, UnreadableWindowsVersionFailsTheGateAndChangesNothing) {
    Load(BasicPackage());
    auto& registry = root.platform().registry();
    registry.deleteKey(0x80000002u, "Software\\Microsoft\\Windows NT\\CurrentVersion");
    registry.deleteValue(0x80000002u, "Software\\Microsoft\\Windows\\CurrentVersion",
                         "VersionNumber");
    if (root.platform().system().windowsVersion())
        GTEST_SKIP() << "this Windows root still reports a version";
    wizard = FakeWizard();
    EXPECT_FALSE(installer.CheckWindowsVersion());
    EXPECT_FALSE(wizard.tahoma);
    EXPECT_FALSE(wizard.commonShortcutsDisabled);
}

TEST_F(SetupEngineServices, ComponentsMatchExactlyAndCaseSensitively) {
    Package p = BasicPackage();
    p.componentNames = {"Core", "Help"};
    Load(p);
    wizard.Uncheck("Help");
    EXPECT_TRUE(installer.IsComponentChecked("Core"));
    EXPECT_FALSE(installer.IsComponentChecked("core"));
    EXPECT_FALSE(installer.IsComponentChecked("Core "));
    EXPECT_FALSE(installer.IsComponentChecked("Help"));
    EXPECT_FALSE(installer.IsComponentChecked("Missing"));
}

TEST_F(SetupEngineServices, FileVersionNumberJoinsTheDigits) {
    Load(BasicPackage());
    const auto place = [&](const QString& path, std::uint16_t a, std::uint16_t b, std::uint16_t c,
                           std::uint16_t d) {
        root.Write(path,
                   QByteArray::fromStdString(package_writer::VersionedExecutable(a, b, c, d)));
        return setup::TInstaller::GetFileVersionNumber(path);
    };
    EXPECT_EQ(place("C:\\v\\a.exe", 1, 2, 3, 4), 1234);
    EXPECT_EQ(place("C:\\v\\b.exe", 2, 0, 10, 1), place("C:\\v\\c.exe", 20, 1, 0, 1));
    EXPECT_EQ(place("C:\\v\\d.exe", 2, 0, 10, 1), 20101);
    EXPECT_EQ(place("C:\\v\\e.exe", 0, 0, 0, 0), 0);
    // Joined digits beyond the 32-bit range count as no version.
    EXPECT_EQ(place("C:\\v\\f.exe", 65535, 65535, 65535, 65535), 0);
    EXPECT_EQ(place("C:\\v\\g.exe", 2147, 48, 36, 47), 2147483647);
    EXPECT_EQ(place("C:\\v\\h.exe", 2147, 48, 36, 48), 0);
    EXPECT_EQ(setup::TInstaller::GetFileVersionNumber("C:\\v\\missing.exe"), 0);
    root.Write("C:\\v\\plain.exe", "not an executable");
    EXPECT_EQ(setup::TInstaller::GetFileVersionNumber("C:\\v\\plain.exe"), 0);
}

TEST_F(SetupEngineServices, OpenUrlOpensOnlyWebAddresses) {
    Load(BasicPackage());
    QStringList opened;
    root.platform().setUrlOpener([&](const QString& a) {
        opened.append(a);
        return true;
    });
    installer.OpenUrl("http://www.example.com");
    installer.OpenUrl("HTTPS://example.com/x");
    installer.OpenUrl("file:///etc/passwd");
    installer.OpenUrl("C:\\WINDOWS\\system32\\calc.exe");
    installer.OpenUrl("javascript:alert(1)");
    installer.OpenUrl("http://");
    EXPECT_EQ(opened, QStringList({"http://www.example.com", "HTTPS://example.com/x"}));
}

} // namespace
