// Names that differ only in letter case, and folders that change between two mappings: every
// mapping must see the folder as it is now.
#include "QtPrinting.h"
#include "TempWindows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using platform_testing::TempWindows;

namespace {

class PlatformPathCase : public ::testing::Test {
protected:
    winplatform::WindowsPaths& paths() { return win.platform().paths(); }
    QString drive(const QString& rest = {}) const {
        return win.rootFolder() + QStringLiteral("/drive_c") + rest;
    }
    void makeFolder(const QString& rest) const { ASSERT_TRUE(QDir().mkpath(drive(rest))); }
    void makeFile(const QString& rest) const {
        QFile f(drive(rest));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << rest.toStdString();
    }
    std::optional<QString> map(const char* windowsPath) {
        return paths().toHost(QString::fromUtf8(windowsPath));
    }
    TempWindows win;
};

TEST_F(PlatformPathCase, FilesCreatedRenamedAndDeletedBetweenMappingsAreSeen) {
    makeFolder(QStringLiteral("/Dir"));
    EXPECT_EQ(map("C:\\dir\\readme.txt"), drive(QStringLiteral("/Dir/readme.txt")));

    makeFile(QStringLiteral("/Dir/README.TXT"));
    EXPECT_EQ(map("C:\\dir\\readme.txt"), drive(QStringLiteral("/Dir/README.TXT")));

    ASSERT_TRUE(QFile::rename(drive(QStringLiteral("/Dir/README.TXT")),
                              drive(QStringLiteral("/Dir/ReadMe.txt"))));
    EXPECT_EQ(map("C:\\dir\\readme.txt"), drive(QStringLiteral("/Dir/ReadMe.txt")));
    EXPECT_TRUE(paths().fileExists(QStringLiteral("C:\\DIR\\README.TXT")));

    ASSERT_TRUE(QFile::remove(drive(QStringLiteral("/Dir/ReadMe.txt"))));
    EXPECT_EQ(map("C:\\dir\\readme.txt"), drive(QStringLiteral("/Dir/readme.txt")));
    EXPECT_FALSE(paths().exists(QStringLiteral("C:\\DIR\\README.TXT")));

    // Many new names in a row, each written before the next is mapped, as an installation does.
    for (int i = 0; i < 50; ++i) {
        const QString name = QStringLiteral("File%1.DAT").arg(i);
        EXPECT_EQ(paths().toHost(QStringLiteral("C:\\DIR\\") + name.toLower()),
                  drive(QStringLiteral("/Dir/") + name.toLower()));
        makeFile(QStringLiteral("/Dir/") + name);
        EXPECT_EQ(paths().toHost(QStringLiteral("C:\\DIR\\") + name.toLower()),
                  drive(QStringLiteral("/Dir/") + name));
    }
}

TEST_F(PlatformPathCase, OfSeveralOtherSpellingsTheFirstInCodeOrderIsTakenWhateverTheFolderOrder) {
    // Created in opposite orders, with many other entries around them.
    for (const char* folder : {"/One", "/Two"}) {
        makeFolder(QString::fromUtf8(folder));
        for (int i = 0; i < 150; ++i)
            makeFile(QString::fromUtf8(folder) + QStringLiteral("/other%1").arg(i));
    }
    makeFile(QStringLiteral("/One/aBc"));
    makeFile(QStringLiteral("/One/Abc"));
    makeFile(QStringLiteral("/Two/Abc"));
    makeFile(QStringLiteral("/Two/aBc"));
    EXPECT_EQ(map("C:\\one\\ABC"), drive(QStringLiteral("/One/Abc")));
    EXPECT_EQ(map("C:\\two\\abc"), drive(QStringLiteral("/Two/Abc")));
    // The exact spelling still wins over both.
    EXPECT_EQ(map("C:\\two\\aBc"), drive(QStringLiteral("/Two/aBc")));
    makeFile(QStringLiteral("/Two/ABC"));
    EXPECT_EQ(map("C:\\two\\abc"), drive(QStringLiteral("/Two/ABC")));
}

TEST_F(PlatformPathCase, LettersBeyondAsciiMatchWithoutRegardToCase) {
    makeFile(QStringLiteral("/\u00C4rger.txt"));
    EXPECT_EQ(map("C:\\\u00E4RGER.TXT"), drive(QStringLiteral("/\u00C4rger.txt")));
    // The Kelvin sign is a capital k: an ASCII name can match a non-ASCII entry and back.
    makeFile(QStringLiteral("/\u212Aelvin"));
    EXPECT_EQ(map("C:\\kelvin"), drive(QStringLiteral("/\u212Aelvin")));
    makeFile(QStringLiteral("/plain"));
    EXPECT_EQ(map("C:\\PLAIN"), drive(QStringLiteral("/plain")));
    EXPECT_EQ(map("C:\\\u0420lain"), drive(QStringLiteral("/\u0420lain"))); // Cyrillic Er: other
}

TEST_F(PlatformPathCase, AFolderReplacedByAFileIsMappedAsTheFile) {
    makeFolder(QStringLiteral("/Data"));
    makeFile(QStringLiteral("/Data/x.txt"));
    EXPECT_EQ(map("C:\\data\\X.TXT"), drive(QStringLiteral("/Data/x.txt")));
    EXPECT_TRUE(paths().folderExists(QStringLiteral("C:\\DATA")));

    ASSERT_TRUE(QDir(drive(QStringLiteral("/Data"))).removeRecursively());
    makeFile(QStringLiteral("/DATA"));
    EXPECT_EQ(map("C:\\data\\X.TXT"), drive(QStringLiteral("/DATA/X.TXT")));
    EXPECT_TRUE(paths().fileExists(QStringLiteral("C:\\data")));
    EXPECT_FALSE(paths().folderExists(QStringLiteral("C:\\data")));
    EXPECT_FALSE(paths().exists(QStringLiteral("C:\\data\\x.txt")));

    ASSERT_TRUE(QFile::remove(drive(QStringLiteral("/DATA"))));
    makeFolder(QStringLiteral("/dAtA"));
    EXPECT_EQ(map("C:\\DATA\\x.txt"), drive(QStringLiteral("/dAtA/x.txt")));
    EXPECT_TRUE(paths().folderExists(QStringLiteral("C:\\Data")));
}

TEST_F(PlatformPathCase, LinksAreEntriesEvenWhenTheirTargetIsGone) {
    makeFolder(QStringLiteral("/Target"));
    ASSERT_TRUE(QFile::link(drive(QStringLiteral("/Target")), drive(QStringLiteral("/Alias"))));
    EXPECT_EQ(map("C:\\ALIAS\\f"), drive(QStringLiteral("/Alias/f")));
    ASSERT_TRUE(QDir(drive(QStringLiteral("/Target"))).removeRecursively());
    // A dangling link keeps its name taken: it is neither mapped through nor shadowed.
    EXPECT_EQ(map("C:\\alias\\f"), std::nullopt);
    EXPECT_EQ(map("C:\\Alias\\f"), std::nullopt);
}

TEST_F(PlatformPathCase, AFolderThatCannotBeListedHoldsNoOtherSpelling) {
    makeFolder(QStringLiteral("/Locked"));
    makeFile(QStringLiteral("/Locked/Inner"));
    ASSERT_TRUE(QFile::setPermissions(drive(QStringLiteral("/Locked")), QFile::ExeOwner));
    const bool listable = QDir(drive(QStringLiteral("/Locked"))).entryList().contains("Inner");
    if (!listable) {
        EXPECT_EQ(map("C:\\locked\\inner"), drive(QStringLiteral("/Locked/inner")));
    }
    EXPECT_EQ(map("C:\\locked\\Inner"), drive(QStringLiteral("/Locked/Inner")));
    QFile::setPermissions(drive(QStringLiteral("/Locked")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(map("C:\\locked\\inner"), drive(QStringLiteral("/Locked/Inner")));
}

} // namespace
