#include "FolderBrowser.h"
#include "QtPrinting.h"
#include "ScriptedSeam.h"
#include "TempWindows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using platform_testing::TempWindows;
using namespace winplatform;

namespace {

class PlatformSystem : public ::testing::Test {
protected:
    SystemServices& sys() { return win.platform().system(); }
    TempWindows win;
};

// Restores an environment variable when the test ends.
class SavedVariable {
public:
    explicit SavedVariable(const char* name)
        : name_(name), set_(qEnvironmentVariableIsSet(name)), value_(qgetenv(name)) {}
    ~SavedVariable() {
        if (set_)
            qputenv(name_, value_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool set_;
    QByteArray value_;
};

TEST_F(PlatformSystem, ANewRootIsWindowsXp) {
    EXPECT_EQ(sys().windowsVersion(), (WindowsVersion{WindowsPlatform::WindowsNT, 5, 1, 2600}));
    EXPECT_EQ(sys().windowsVersion(), kSeededVersion);
}

TEST_F(PlatformSystem, TheRootCanPoseAsEveryVersionThePackagesName) {
    const WindowsVersion versions[] = {
        {WindowsPlatform::Windows9x, 4, 0, 950},   {WindowsPlatform::Windows9x, 4, 10, 1998},
        {WindowsPlatform::Windows9x, 4, 90, 3000}, {WindowsPlatform::WindowsNT, 4, 0, 1381},
        {WindowsPlatform::WindowsNT, 5, 0, 2195},  {WindowsPlatform::WindowsNT, 5, 1, 2600},
        {WindowsPlatform::WindowsNT, 5, 2, 3790},  {WindowsPlatform::WindowsNT, 6, 1, 7601},
    };
    for (const WindowsVersion& v : versions) {
        ASSERT_TRUE(setWindowsVersion(win.platform().registry(), v));
        EXPECT_EQ(sys().windowsVersion(), v);
    }
    EXPECT_FALSE(setWindowsVersion(win.platform().registry(), {WindowsPlatform::Win32s, 1, 30, 0}));
}

TEST_F(PlatformSystem, AVersionThatCannotBeReadMakesTheQueryFail) {
    Registry& r = win.platform().registry();
    const QString nt = QStringLiteral("Software\\Microsoft\\Windows NT\\CurrentVersion");
    for (const char* bad : {"5", "five.one", "5.1.2.3", "", "-5.1", "99999999999.1"}) {
        ASSERT_TRUE(r.writeString(RootKey::LocalMachine, nt, QStringLiteral("CurrentVersion"),
                                  QString::fromLatin1(bad)));
        EXPECT_EQ(sys().windowsVersion(), std::nullopt) << bad;
    }
    ASSERT_TRUE(r.deleteKey(RootKey::LocalMachine, nt));
    EXPECT_EQ(sys().windowsVersion(), std::nullopt);
    ASSERT_TRUE(
        r.writeInteger(RootKey::LocalMachine, nt, QStringLiteral("CurrentMajorVersionNumber"), 10));
    ASSERT_TRUE(
        r.writeInteger(RootKey::LocalMachine, nt, QStringLiteral("CurrentMinorVersionNumber"), 0));
    EXPECT_EQ(sys().windowsVersion(), (WindowsVersion{WindowsPlatform::WindowsNT, 10, 0, 0}));
}

TEST_F(PlatformSystem, TheTemporaryFolderIsAnExistingWindowsFolder) {
    SavedVariable tmp("TMP");
    SavedVariable temp("TEMP");
    qunsetenv("TMP");
    qputenv("TEMP", "/tmp");
    const QString path = sys().tempPath();
    EXPECT_TRUE(path.endsWith(u'\\'));
    EXPECT_TRUE(win.platform().paths().folderExists(path)) << path.toStdString();
    qputenv("TMP", "D:\\Scratch");
    EXPECT_EQ(sys().tempPath(), QStringLiteral("D:\\Scratch\\"));
}

TEST_F(PlatformSystem, WindirFallsBackToTheWindowsFolder) {
    SavedVariable windir("WINDIR");
    qunsetenv("WINDIR");
    EXPECT_EQ(sys().environmentVariable(QStringLiteral("WINDIR")), QStringLiteral("C:\\WINDOWS"));
    EXPECT_EQ(sys().environmentVariable(QStringLiteral("windir")), QStringLiteral("C:\\WINDOWS"));
    EXPECT_TRUE(win.platform().paths().folderExists(QStringLiteral("C:\\WINDOWS\\system32")));
    sys().setEnvironmentVariable(QStringLiteral("WINDIR"), QStringLiteral("C:\\WINNT"));
    EXPECT_EQ(sys().environmentVariable(QStringLiteral("windir")), QStringLiteral("C:\\WINNT"));
}

TEST_F(PlatformSystem, EnvironmentNamesIgnoreLetterCase) {
    SavedVariable v("PLATFORM_TEST_Mixed");
    sys().setEnvironmentVariable(QStringLiteral("PLATFORM_TEST_Mixed"), QStringLiteral("value"));
    EXPECT_EQ(sys().environmentVariable(QStringLiteral("platform_test_MIXED")),
              QStringLiteral("value"));
    EXPECT_EQ(sys().environmentVariable(QStringLiteral("PLATFORM_TEST_UNSET_ONE")), std::nullopt);
    EXPECT_EQ(sys().environmentVariable(QString()), std::nullopt);
    EXPECT_EQ(sys().environmentVariable(QStringLiteral("A=B")), std::nullopt);
}

TEST_F(PlatformSystem, OnlyWebAddressesAreOpened) {
    for (const char* good : {"http://example.com", "HTTPS://example.com/a?b=c", "http://x.org:80/"})
        EXPECT_TRUE(sys().openUrl(QString::fromLatin1(good))) << good;
    for (const char* bad : {"file:///etc/passwd", "javascript:alert(1)", "ftp://example.com",
                            "http://", "mailto:a@b.c", " http://example.com", "-http://x",
                            "C:\\WINDOWS\\notepad.exe", "", "http:// spaced.com"})
        EXPECT_FALSE(sys().openUrl(QString::fromLatin1(bad))) << bad;
    EXPECT_EQ(win.openedUrls(),
              (QStringList{"http://example.com", "HTTPS://example.com/a?b=c", "http://x.org:80/"}));
}

TEST_F(PlatformSystem, ARestartIsRecordedAndNotCarriedOut) {
    EXPECT_EQ(win.platform().restartRequests(), 0);
    sys().requestRestart();
    EXPECT_EQ(win.platform().restartRequests(), 1);
    EXPECT_TRUE(QFile::exists(win.rootFolder() + u'/' + QLatin1String(kRestartMarkerName)));
}

TEST_F(PlatformSystem, TheBeepGoesThroughTheModalSeam) {
    testing_support::ScriptedSeam seam;
    sys().beep();
    EXPECT_EQ(seam.beeps, 1);
}

TEST_F(PlatformSystem, ShellFoldersAreTheSeededFoldersForAllUsersOrTheUser) {
    const ShellFolders& f = win.platform().shellFolders();
    const int all[] = {ShellFolder::CommonStartMenu, ShellFolder::CommonPrograms,
                       ShellFolder::CommonStartup, ShellFolder::CommonDesktop,
                       ShellFolder::CommonAppData};
    const int mine[] = {ShellFolder::StartMenu, ShellFolder::Programs, ShellFolder::Startup,
                        ShellFolder::Desktop, ShellFolder::AppData};
    for (int i = 0; i < 5; ++i) {
        const auto a = f.folderPath(all[i]);
        const auto m = f.folderPath(mine[i]);
        ASSERT_TRUE(a && m) << i;
        EXPECT_NE(*a, *m);
        EXPECT_TRUE(win.platform().paths().folderExists(*a)) << a->toStdString();
        EXPECT_TRUE(win.platform().paths().folderExists(*m)) << m->toStdString();
        EXPECT_FALSE(a->endsWith(u'\\'));
    }
    EXPECT_TRUE(f.folderPath(ShellFolder::CommonPrograms)
                    ->startsWith(*f.folderPath(ShellFolder::CommonStartMenu)));
    EXPECT_EQ(f.folderPath(0x05), std::nullopt);
    for (const int appData : {ShellFolder::AppData, ShellFolder::CommonAppData})
        EXPECT_TRUE(win.platform().paths().folderExists(
            *f.folderPath(appData) +
            QStringLiteral("\\Microsoft\\Internet Explorer\\Quick Launch")));
}

TEST_F(PlatformSystem, TheFolderDialogSpeaksWindowsPaths) {
    testing_support::ScriptedSeam seam;
    seam.expectFolder(win.host(QStringLiteral("C:\\Program Files")))
        .expectFolder(std::nullopt)
        .expectFolder(QDir::tempPath());
    auto choice = browseForFolder(QStringLiteral("Select"), QStringLiteral("C:\\Nowhere"));
    EXPECT_EQ(choice.outcome, FolderChoice::Outcome::Chosen);
    EXPECT_EQ(choice.windowsPath, QStringLiteral("C:\\Program Files"));
    EXPECT_EQ(browseForFolder(QStringLiteral("Select"), {}).outcome,
              FolderChoice::Outcome::Cancelled);
    EXPECT_EQ(browseForFolder(QStringLiteral("Select"), {}).outcome,
              FolderChoice::Outcome::OutsideWindows);
}

TEST(PlatformRoot, TheRootFolderComesFromTheEnvironment) {
    SavedVariable root(kRootVariable);
    SavedVariable data("XDG_DATA_HOME");
    qputenv(kRootVariable, "/somewhere/win");
    EXPECT_EQ(RootPlatform::defaultRootFolder(), QStringLiteral("/somewhere/win"));
    qunsetenv(kRootVariable);
    qputenv("XDG_DATA_HOME", "/data");
    EXPECT_EQ(RootPlatform::defaultRootFolder(), QStringLiteral("/data/obravel/windows"));
    qputenv("XDG_DATA_HOME", "relative");
    EXPECT_EQ(RootPlatform::defaultRootFolder(),
              QDir::homePath() + QStringLiteral("/.local/share/obravel/windows"));
}

TEST(PlatformRoot, AnInstalledPlatformIsCurrentUntilItsScopeEnds) {
    TempWindows outer;
    {
        TempWindows inner;
        EXPECT_EQ(&current(), &inner.platform());
    }
    EXPECT_EQ(&current(), &outer.platform());
}

TEST(PlatformRoot, AnExistingRootIsOpenedAsItIs) {
    QTemporaryDir dir;
    {
        RootPlatform first(dir.path());
        ASSERT_EQ(first.openError(), QString());
        ASSERT_TRUE(setWindowsVersion(first.registry(), {WindowsPlatform::Windows9x, 4, 10, 1998}));
    }
    RootPlatform again(dir.path());
    EXPECT_EQ(again.openError(), QString());
    EXPECT_EQ(again.system().windowsVersion(),
              (WindowsVersion{WindowsPlatform::Windows9x, 4, 10, 1998}));
}

} // namespace

namespace {

TEST(PlatformRoot, ARootThatCannotBeMadeOrReadIsReportedAndChangesNothing) {
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RootPlatform unmade(dir.filePath(QStringLiteral("file/windows")));
    EXPECT_FALSE(unmade.openError().isEmpty());
    EXPECT_FALSE(unmade.paths().toHost(QStringLiteral("C:\\x")).has_value());
    EXPECT_FALSE(unmade.registry().writeString(RootKey::Users, QStringLiteral("k"),
                                               QStringLiteral("v"), QStringLiteral("x")));
    EXPECT_EQ(unmade.system().windowsVersion(), std::nullopt);

    const QString root = dir.filePath(QStringLiteral("damaged"));
    ASSERT_TRUE(QDir().mkpath(root));
    QFile reg(root + u'/' + QLatin1String(kRegistryFileName));
    ASSERT_TRUE(reg.open(QIODevice::WriteOnly));
    reg.write("garbage");
    reg.close();
    RootPlatform damaged(root);
    EXPECT_TRUE(damaged.openError().contains(QStringLiteral("damaged")));
    EXPECT_FALSE(QFileInfo::exists(root + QStringLiteral("/drive_c/WINDOWS")));
    reg.open(QIODevice::ReadOnly);
    EXPECT_EQ(reg.readAll(), QByteArray("garbage"));
}

} // namespace
