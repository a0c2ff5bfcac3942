#include "QtPrinting.h"
#include "TempWindows.h"

#include <QFile>
#include <gtest/gtest.h>

using platform_testing::TempWindows;
using namespace winplatform;

namespace {

quint32 u32At(const QByteArray& b, int at) {
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

ShellLink fullLink() {
    ShellLink link;
    link.targetPath = QStringLiteral("C:\\Program Files\\App\\app.exe");
    link.workingFolder = QStringLiteral("C:\\Program Files\\App");
    link.arguments = QStringLiteral("/x \"a b\"");
    link.hasIcon = true;
    link.iconFile = QStringLiteral("C:\\Program Files\\App\\app.ico");
    link.iconIndex = 3;
    return link;
}

TEST(PlatformShortcuts, TheHeaderIsAShellLinkHeader) {
    const QByteArray b = encodeShellLink(fullLink(), 1234);
    ASSERT_GE(b.size(), 0x4C);
    EXPECT_EQ(u32At(b, 0), 0x4Cu);
    EXPECT_EQ(b.mid(4, 16),
              QByteArray("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16));
    EXPECT_EQ(u32At(b, 20), 0x02u | 0x10u | 0x20u | 0x40u | 0x80u);
    EXPECT_EQ(u32At(b, 24), 0x20u); // an ordinary file
    EXPECT_EQ(u32At(b, 52), 1234u);
    EXPECT_EQ(u32At(b, 56), 3u);
    EXPECT_EQ(u32At(b, 60), 1u); // shown normally
    EXPECT_TRUE(b.contains(QByteArray("C:\\Program Files\\App\\app.exe\0", 30)));
    EXPECT_EQ(u32At(b, b.size() - 4), 0u);
}

TEST(PlatformShortcuts, WhatIsWrittenIsReadBack) {
    ShellLink bare;
    bare.targetPath = QStringLiteral("C:\\x.exe");
    ShellLink wide = fullLink();
    wide.targetPath = QStringLiteral("C:\\Caf\u00e9\\\u20ac.exe");
    for (const ShellLink& link : {fullLink(), bare, wide}) {
        QString error;
        const auto back = decodeShellLink(encodeShellLink(link), &error);
        ASSERT_TRUE(back) << error.toStdString();
        EXPECT_EQ(*back, link);
    }
    const QByteArray noIcon = encodeShellLink(bare);
    EXPECT_EQ(u32At(noIcon, 20), 0x02u | 0x80u);
}

TEST(PlatformShortcuts, AFolderTargetIsMarkedAsAFolder) {
    const QByteArray b = encodeShellLink(fullLink(), 0, true);
    EXPECT_EQ(u32At(b, 24), 0x10u);
}

TEST(PlatformShortcuts, DamagedLinksAreRefusedWithoutReadingPastTheEnd) {
    const QByteArray good = encodeShellLink(fullLink());
    for (int n = 0; n < good.size() - 4; ++n) // the last 4 bytes only end the extra data
        EXPECT_FALSE(decodeShellLink(good.left(n))) << n;
    for (int i = 0; i < good.size(); ++i) {
        QByteArray b = good;
        b[i] = static_cast<char>(0xFF);
        decodeShellLink(b); // must not crash or read outside
        b[i] = 0;
        decodeShellLink(b);
    }
    QByteArray wrongClass = good;
    wrongClass[4] = 0x02;
    QString error;
    EXPECT_FALSE(decodeShellLink(wrongClass, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(PlatformShortcuts, ItemListsAndAnsiStringsOfOtherWritersAreRead) {
    QByteArray b = encodeShellLink(ShellLink{QStringLiteral("C:\\t.exe"), {}, {}, false, {}, 0});
    // An item list before the link info, and ANSI string data with a name.
    QByteArray withList = b.left(0x4C);
    withList[20] = static_cast<char>(0x01 | 0x02 | 0x04 | 0x20);
    withList += QByteArray("\x04\x00\xAA\xBB\xCC\xDD", 6);
    withList += b.mid(0x4C, b.size() - 0x4C - 4);
    withList += QByteArray("\x02\x00hi\x03\x00/q1", 9);
    withList += QByteArray(4, '\0');
    const auto link = decodeShellLink(withList);
    ASSERT_TRUE(link);
    EXPECT_EQ(link->targetPath, QStringLiteral("C:\\t.exe"));
    EXPECT_EQ(link->arguments, QStringLiteral("/q1"));
}

TEST(PlatformShortcuts, ThePlatformWritesLinksIntoTheWindowsRoot) {
    TempWindows win;
    win.writeFile(QStringLiteral("C:\\Program Files\\App\\app.exe"), QByteArray(777, 'x'));
    const QString linkPath =
        QStringLiteral("C:\\Documents and Settings\\All Users\\Desktop\\App.lnk");
    ASSERT_TRUE(win.platform().shortcuts().save(fullLink(), linkPath));
    const QByteArray bytes = win.readFile(linkPath);
    EXPECT_EQ(u32At(bytes, 52), 777u);
    EXPECT_EQ(decodeShellLink(bytes), fullLink());
    // Saving again replaces the link.
    ShellLink other = fullLink();
    other.arguments.clear();
    ASSERT_TRUE(win.platform().shortcuts().save(other, linkPath));
    EXPECT_EQ(decodeShellLink(win.readFile(linkPath)), other);

    EXPECT_FALSE(
        win.platform().shortcuts().save(fullLink(), QStringLiteral("C:\\No Folder\\x.lnk")));
    EXPECT_FALSE(win.platform().shortcuts().save(fullLink(), QStringLiteral("/tmp/x.lnk")));
}

} // namespace
