#include "QtPrinting.h"
#include "TempWindows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using platform_testing::TempWindows;

namespace {

class PlatformPaths : public ::testing::Test {
protected:
    winplatform::WindowsPaths& paths() { return win.platform().paths(); }
    QString drive(const QString& rest = {}) const {
        return win.rootFolder() + QStringLiteral("/drive_c") + rest;
    }
    void makeFolder(const QString& rest) const { ASSERT_TRUE(QDir().mkpath(drive(rest))); }
    TempWindows win;
};

TEST_F(PlatformPaths, DriveLetterPathsMapToTheDriveFolderInEitherCaseAndSlash) {
    EXPECT_EQ(paths().toHost(QStringLiteral("C:\\Program Files\\App\\x.exe")),
              drive(QStringLiteral("/Program Files/App/x.exe")));
    EXPECT_EQ(paths().toHost(QStringLiteral("c:/Program Files/App")),
              drive(QStringLiteral("/Program Files/App")));
    EXPECT_EQ(paths().toHost(QStringLiteral("C:")), drive());
    EXPECT_EQ(paths().toHost(QStringLiteral("C:\\")), drive());
}

TEST_F(PlatformPaths, ExistingNamesAreFoundWhateverTheirLetterCase) {
    makeFolder(QStringLiteral("/Foo/Bar"));
    QFile f(drive(QStringLiteral("/Foo/Bar/Data.TXT")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(paths().toHost(QStringLiteral("C:\\FOO\\bar\\data.txt")),
              drive(QStringLiteral("/Foo/Bar/Data.TXT")));
    // A new name below an existing folder keeps the existing folder's spelling.
    EXPECT_EQ(paths().toHost(QStringLiteral("C:\\foo\\New Folder\\Sub")),
              drive(QStringLiteral("/Foo/New Folder/Sub")));
    EXPECT_EQ(paths().toHost(QStringLiteral("C:\\program files")),
              drive(QStringLiteral("/Program Files")));
}

TEST_F(PlatformPaths, ExactSpellingWinsWhenTwoNamesDifferOnlyInCase) {
    makeFolder(QStringLiteral("/abc"));
    makeFolder(QStringLiteral("/ABC"));
    EXPECT_EQ(paths().toHost(QStringLiteral("C:\\ABC")), drive(QStringLiteral("/ABC")));
    EXPECT_EQ(paths().toHost(QStringLiteral("C:\\abc")), drive(QStringLiteral("/abc")));
}

TEST_F(PlatformPaths, DotDotNeverClimbsAboveTheDrive) {
    EXPECT_EQ(paths().toHost(QStringLiteral("C:\\..\\..\\..\\etc\\passwd")),
              drive(QStringLiteral("/etc/passwd")));
    EXPECT_EQ(paths().toHost(QStringLiteral("C:\\WINDOWS\\..\\..\\x")),
              drive(QStringLiteral("/x")));
    EXPECT_EQ(paths().toHost(QStringLiteral("C:\\a\\.\\b\\..\\c")), drive(QStringLiteral("/a/c")));
}

TEST_F(PlatformPaths, TrailingDotsAndBlanksOfNamesAreDropped) {
    EXPECT_EQ(paths().toHost(QStringLiteral("C:\\Foo.\\bar  \\baz. .")),
              drive(QStringLiteral("/Foo/bar/baz")));
    EXPECT_EQ(paths().toHost(QStringLiteral("C:\\...\\x")), drive(QStringLiteral("/x")));
}

TEST_F(PlatformPaths, PathsThatAreNotWindowsDrivePathsDoNotMap) {
    for (const QString& p :
         {QStringLiteral(""), QStringLiteral("/etc/passwd"), QStringLiteral("relative\\file"),
          QStringLiteral("\\WINDOWS"), QStringLiteral("\\\\server\\share\\x"),
          QStringLiteral("D:\\no drive d"), QStringLiteral("1:\\x"), QStringLiteral("C:\\a<b"),
          QStringLiteral("C:\\a>b"), QStringLiteral("C:\\a|b"), QStringLiteral("C:\\a?b"),
          QStringLiteral("C:\\a*b"), QStringLiteral("C:\\a\"b"), QStringLiteral("C:\\stream:name"),
          QStringLiteral("C:\\tab\there")})
        EXPECT_FALSE(paths().toHost(p).has_value()) << p.toStdString();
}

TEST_F(PlatformPaths, LinksLeadingOutOfTheRootAreRefused) {
    const QString outside = QDir::tempPath();
    ASSERT_TRUE(QFile::link(outside, drive(QStringLiteral("/escape"))));
    EXPECT_EQ(paths().toHost(QStringLiteral("C:\\escape\\x")), std::nullopt);
    EXPECT_EQ(paths().toHost(QStringLiteral("C:\\ESCAPE")), std::nullopt);
    makeFolder(QStringLiteral("/inside"));
    ASSERT_TRUE(QFile::link(drive(QStringLiteral("/inside")), drive(QStringLiteral("/alias"))));
    EXPECT_TRUE(paths().toHost(QStringLiteral("C:\\alias\\x")).has_value());
}

TEST_F(PlatformPaths, HostPathsMapBackToWindowsPaths) {
    EXPECT_EQ(paths().toWindows(drive(QStringLiteral("/Program Files/App"))),
              QStringLiteral("C:\\Program Files\\App"));
    EXPECT_EQ(paths().toWindows(drive()), QStringLiteral("C:\\"));
    EXPECT_EQ(paths().toWindows(drive(QStringLiteral("/"))), QStringLiteral("C:\\"));
    EXPECT_EQ(paths().toWindows(drive(QStringLiteral("/a/../b"))), QStringLiteral("C:\\b"));
    EXPECT_EQ(paths().toWindows(win.rootFolder()), std::nullopt);
    EXPECT_EQ(paths().toWindows(win.rootFolder() + QStringLiteral("/registry.reg")), std::nullopt);
    EXPECT_EQ(paths().toWindows(drive(QStringLiteral("/../registry.reg"))), std::nullopt);
    EXPECT_EQ(paths().toWindows(QStringLiteral("/etc/passwd")), std::nullopt);
    EXPECT_EQ(paths().toWindows(drive(QStringLiteral("/back\\slash"))), std::nullopt);
    EXPECT_EQ(paths().toWindows(win.rootFolder() + QStringLiteral("/drive_C/x")), std::nullopt);
}

TEST_F(PlatformPaths, MappingBothWaysGivesTheSamePlace) {
    for (const QString& p : {QStringLiteral("C:\\WINDOWS\\system32"),
                             QStringLiteral("C:\\Program Files\\Common Files\\New\\f.dll")}) {
        const auto host = paths().toHost(p);
        ASSERT_TRUE(host);
        EXPECT_EQ(paths().toWindows(*host), p);
    }
}

TEST_F(PlatformPaths, ExistenceTellsFilesFromFolders) {
    win.writeFile(QStringLiteral("C:\\App\\f.txt"), "x");
    EXPECT_TRUE(paths().fileExists(QStringLiteral("C:\\app\\F.TXT")));
    EXPECT_FALSE(paths().folderExists(QStringLiteral("C:\\app\\F.TXT")));
    EXPECT_TRUE(paths().folderExists(QStringLiteral("C:\\APP")));
    EXPECT_FALSE(paths().fileExists(QStringLiteral("C:\\APP")));
    EXPECT_TRUE(paths().exists(QStringLiteral("c:\\app")));
    EXPECT_FALSE(paths().exists(QStringLiteral("C:\\app\\missing")));
    EXPECT_FALSE(paths().exists(QStringLiteral("Q:\\app")));
}

TEST_F(PlatformPaths, FreeSpaceIsReadForExistingDrivesOnlyAndCanBeFaked) {
    EXPECT_GT(paths().diskFree(u'c'), 0);
    EXPECT_GT(paths().diskFree(u'C'), 0);
    EXPECT_EQ(paths().diskFree(u'd'), -1);
    EXPECT_EQ(paths().diskFree(u'1'), -1);
    EXPECT_EQ(paths().diskFree(u';'), -1);
    win.platform().setFreeSpace(u'C', 0);
    EXPECT_EQ(paths().diskFree(u'c'), 0);
    win.platform().setFreeSpace(u'c', 12345);
    EXPECT_EQ(paths().diskFree(u'C'), 12345);
    win.platform().setFreeSpace(u'c', std::nullopt);
    EXPECT_GT(paths().diskFree(u'c'), 0);
}

TEST_F(PlatformPaths, AnotherDriveFolderIsAnotherDrive) {
    ASSERT_TRUE(QDir().mkpath(win.rootFolder() + QStringLiteral("/drive_d")));
    EXPECT_EQ(paths().toHost(QStringLiteral("d:\\Data")),
              win.rootFolder() + QStringLiteral("/drive_d/Data"));
    EXPECT_EQ(paths().toWindows(win.rootFolder() + QStringLiteral("/drive_d/Data")),
              QStringLiteral("D:\\Data"));
    EXPECT_GT(paths().diskFree(u'D'), 0);
}

} // namespace
