#include "PeBuilder.h"
#include "QtPrinting.h"
#include "TempWindows.h"

#include <QBuffer>
#include <gtest/gtest.h>

using platform_testing::TempWindows;
using namespace winplatform;

namespace {

std::optional<FixedFileVersion> versionOf(QByteArray bytes) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readFixedFileVersion(buffer);
}

TEST(PlatformFileVersion, TheFixedFileVersionIsRead) {
    for (const FixedFileVersion v :
         {FixedFileVersion{1, 2, 3, 4}, FixedFileVersion{20, 1, 0, 1},
          FixedFileVersion{2, 0, 10, 1}, FixedFileVersion{65535, 65535, 65535, 65535},
          FixedFileVersion{0, 0, 0, 0}})
        EXPECT_EQ(versionOf(platform_testing::peWithVersion(v)), v);
}

TEST(PlatformFileVersion, FilesWithoutAFixedVersionHaveNone) {
    EXPECT_EQ(versionOf(platform_testing::peWithVersionButNoFixedBlock()), std::nullopt);
    EXPECT_EQ(versionOf(platform_testing::peWithoutResources()), std::nullopt);
    EXPECT_EQ(versionOf(QByteArray()), std::nullopt);
    EXPECT_EQ(versionOf(QByteArray("MZ plain text, not an image")), std::nullopt);
}

TEST(PlatformFileVersion, DamagedImagesNeverReadOutsideTheFile) {
    const QByteArray good = platform_testing::peWithVersion({1, 2, 3, 4});
    for (int n = 0; n < good.size(); n += 7)
        versionOf(good.left(n)); // must not crash
    EXPECT_EQ(versionOf(good.left(0x200 + 0x58 + 40)), std::nullopt);
    for (int i = 0; i < 0x200 + 0x58 + 60; ++i) {
        for (char c : {'\xFF', '\x80', '\x00'}) {
            QByteArray b = good;
            b[i] = c;
            versionOf(b);
        }
    }
    QByteArray farHeader = good;
    farHeader[0x3F] = '\x7F';
    EXPECT_EQ(versionOf(farHeader), std::nullopt);
    QByteArray badSignature = good;
    badSignature[0x200 + 0x58 + 40] = 0;
    EXPECT_EQ(versionOf(badSignature), std::nullopt);
}

TEST(PlatformFileVersion, ThePlatformReadsFilesAtWindowsPaths) {
    TempWindows win;
    const QString path = QStringLiteral("C:\\WINDOWS\\system32\\tvuninst.exe");
    EXPECT_EQ(win.platform().fileVersions().fixedFileVersion(path), std::nullopt);
    win.writeFile(path, platform_testing::peWithVersion({1, 2, 3, 4}));
    EXPECT_EQ(win.platform().fileVersions().fixedFileVersion(
                  QStringLiteral("c:\\windows\\SYSTEM32\\TVUNINST.EXE")),
              (FixedFileVersion{1, 2, 3, 4}));
    EXPECT_EQ(win.platform().fileVersions().fixedFileVersion(QStringLiteral("C:\\WINDOWS")),
              std::nullopt);
    EXPECT_EQ(win.platform().fileVersions().fixedFileVersion(QStringLiteral("/bin/sh")),
              std::nullopt);
}

} // namespace
