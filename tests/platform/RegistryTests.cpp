#include "QtPrinting.h"
#include "RegistryStore.h"
#include "TempWindows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

using platform_testing::TempWindows;
using namespace winplatform;

namespace {

const QString kApp = QStringLiteral("Software\\Acme\\App");

class PlatformRegistry : public ::testing::Test {
protected:
    Registry& reg() { return win.platform().registry(); }
    QString registryFile() const {
        return win.rootFolder() + u'/' + QLatin1String(kRegistryFileName);
    }
    QByteArray fileBytes() const {
        QFile f(registryFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeFileText(const QByteArray& bytes) const {
        QFile f(registryFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    TempWindows win;
};

TEST_F(PlatformRegistry, NewRootIsSeededWithTheFoldersTheInstallerReads) {
    const auto lm = RootKey::LocalMachine;
    const QString cv = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion");
    EXPECT_EQ(reg().readString(lm, cv, QStringLiteral("ProgramFilesDir")),
              QStringLiteral("C:\\Program Files"));
    EXPECT_EQ(reg().readString(lm, cv, QStringLiteral("CommonFilesDir")),
              QStringLiteral("C:\\Program Files\\Common Files"));
    const QString sf = cv + QStringLiteral("\\Explorer\\Shell Folders");
    for (const char* name : {"Common Start Menu", "Common Programs", "Common Startup",
                             "Common Desktop", "Common AppData"})
        EXPECT_TRUE(win.platform().paths().folderExists(
            reg().readString(lm, sf, QString::fromLatin1(name))))
            << name;
    for (const char* name : {"Start Menu", "Programs", "Startup", "Desktop", "AppData"})
        EXPECT_TRUE(win.platform().paths().folderExists(
            reg().readString(RootKey::CurrentUser, sf, QString::fromLatin1(name))))
            << name;
    EXPECT_TRUE(win.platform().paths().folderExists(QStringLiteral("C:\\Program Files")));
}

TEST_F(PlatformRegistry, ValuesAreStoredAsTheClassicRegistryObjectWritesThem) {
    const auto cu = RootKey::CurrentUser;
    ASSERT_TRUE(reg().writeString(cu, kApp, QStringLiteral("Path"), QStringLiteral("C:\\A \"q\"")));
    ASSERT_TRUE(reg().writeInteger(cu, kApp, QStringLiteral("Count"), 42));
    ASSERT_TRUE(reg().writeInteger(cu, kApp, QStringLiteral("Negative"), -1));
    ASSERT_TRUE(reg().writeBool(cu, kApp, QStringLiteral("On"), true));
    ASSERT_TRUE(reg().writeBool(cu, kApp, QStringLiteral("Off"), false));
    ASSERT_TRUE(reg().writeDateTime(cu, kApp, QStringLiteral("When"), 1.5));
    ASSERT_TRUE(reg().writeBinary(cu, kApp, QStringLiteral("Raw"), QByteArray("\x01\xAB\x00", 3)));

    EXPECT_EQ(reg().value(cu, kApp, QStringLiteral("Count"))->kind, ValueKind::DWord);
    EXPECT_EQ(reg().readInteger(cu, kApp, QStringLiteral("Negative")), -1);
    EXPECT_EQ(reg().value(cu, kApp, QStringLiteral("On")), RegistryValue::fromDWord(1));
    EXPECT_EQ(reg().readBool(cu, kApp, QStringLiteral("Off")), false);
    EXPECT_EQ(reg().value(cu, kApp, QStringLiteral("When"))->kind, ValueKind::Binary);
    EXPECT_EQ(reg().readDateTime(cu, kApp, QStringLiteral("When")), 1.5);

    const QString text = win.registryText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("[HKEY_CURRENT_USER\\Software\\Acme\\App]\r\n"
                                             "\"Path\"=\"C:\\\\A \\\"q\\\"\"\r\n"
                                             "\"Count\"=dword:0000002a\r\n"
                                             "\"Negative\"=dword:ffffffff\r\n"
                                             "\"On\"=dword:00000001\r\n"
                                             "\"Off\"=dword:00000000\r\n"
                                             "\"When\"=hex:00,00,00,00,00,00,f8,3f\r\n"
                                             "\"Raw\"=hex:01,ab,00\r\n")))
        << text.toStdString();
    EXPECT_TRUE(fileBytes().startsWith("\xFF\xFE"));
}

TEST_F(PlatformRegistry, EverythingWrittenIsThereAfterReopening) {
    const auto lm = RootKey::LocalMachine;
    ASSERT_TRUE(reg().writeString(lm, kApp, {}, QStringLiteral("default")));
    ASSERT_TRUE(reg().writeString(lm, kApp, QStringLiteral("Lines"), QStringLiteral("a\r\nb")));
    ASSERT_TRUE(reg().writeString(lm, kApp, QStringLiteral("Empty"), {}));
    ASSERT_TRUE(reg().writeBinary(lm, kApp, QStringLiteral("Long"), QByteArray(300, '\x7f')));
    ASSERT_TRUE(reg().setValue(
        lm, kApp, QStringLiteral("Expand"),
        RegistryValue::fromString(QStringLiteral("%WINDIR%\\x"), ValueKind::ExpandString)));
    ASSERT_TRUE(
        reg().writeString(lm, kApp, QStringLiteral("Wide"), QStringLiteral("Caf\u00e9 \u20ac")));
    for (const QString& line : win.registryText().split(QStringLiteral("\r\n")))
        if (line.contains(QStringLiteral("hex")) || line.startsWith(QStringLiteral("  "))) {
            EXPECT_LE(line.size(), 80) << line.toStdString();
        }

    RegistryStore reopened(registryFile());
    ASSERT_EQ(reopened.loadError(), QString());
    for (const QString& name : reg().valueNames(lm, kApp))
        EXPECT_EQ(reopened.value(lm, kApp, name), reg().value(lm, kApp, name))
            << name.toStdString();
    EXPECT_EQ(reopened.valueNames(lm, kApp).size(), 6);
    EXPECT_EQ(reopened.readString(lm, kApp, QStringLiteral("Lines")), QStringLiteral("a\r\nb"));
    EXPECT_EQ(reopened.readString(lm, kApp, {}), QStringLiteral("default"));
}

TEST_F(PlatformRegistry, KeyAndValueNamesIgnoreLetterCaseAndKeepTheirFirstSpelling) {
    const auto lm = RootKey::LocalMachine;
    ASSERT_TRUE(reg().writeString(lm, QStringLiteral("Software\\ACME"), QStringLiteral("Name"),
                                  QStringLiteral("one")));
    ASSERT_TRUE(reg().writeString(lm, QStringLiteral("software\\acme"), QStringLiteral("NAME"),
                                  QStringLiteral("two")));
    EXPECT_TRUE(reg().keyExists(lm, QStringLiteral("SOFTWARE\\Acme")));
    EXPECT_EQ(reg().valueNames(lm, QStringLiteral("software\\acme")), QStringList{"Name"});
    EXPECT_EQ(reg().readString(lm, QStringLiteral("Software\\Acme"), QStringLiteral("name")),
              QStringLiteral("two"));
    ASSERT_TRUE(reg().createKey(lm, QStringLiteral("software\\acme\\Sub")));
    EXPECT_TRUE(
        win.registryText().contains(QStringLiteral("[HKEY_LOCAL_MACHINE\\Software\\ACME\\Sub]")));
    EXPECT_EQ(reg().subKeyNames(lm, QStringLiteral("Software\\acme")), QStringList{"Sub"});
}

TEST_F(PlatformRegistry, KeysAreCreatedWithTheirParentsAndDeletedWithTheirSubtree) {
    const auto cr = RootKey::ClassesRoot;
    EXPECT_FALSE(reg().keyExists(cr, QStringLiteral(".abc")));
    ASSERT_TRUE(reg().createKey(cr, QStringLiteral("\\.abc\\shell\\open\\")));
    EXPECT_TRUE(reg().keyExists(cr, QStringLiteral(".abc\\shell")));
    EXPECT_TRUE(reg().keyExists(cr, QStringLiteral(".abc\\shell\\open")));
    ASSERT_TRUE(reg().createKey(cr, QStringLiteral(".abcd")));
    EXPECT_TRUE(reg().deleteKey(cr, QStringLiteral(".ABC")));
    EXPECT_FALSE(reg().keyExists(cr, QStringLiteral(".abc\\shell\\open")));
    EXPECT_TRUE(reg().keyExists(cr, QStringLiteral(".abcd")));
    EXPECT_FALSE(reg().deleteKey(cr, QStringLiteral(".abc")));
    EXPECT_FALSE(reg().deleteKey(cr, {}));
}

TEST_F(PlatformRegistry, RootsAreTheFivePredefinedOnes) {
    EXPECT_EQ(registryRootName(RootKey::ClassesRoot), QStringLiteral("HKEY_CLASSES_ROOT"));
    EXPECT_EQ(registryRootName(RootKey::CurrentUser), QStringLiteral("HKEY_CURRENT_USER"));
    EXPECT_EQ(registryRootName(RootKey::LocalMachine), QStringLiteral("HKEY_LOCAL_MACHINE"));
    EXPECT_EQ(registryRootName(RootKey::Users), QStringLiteral("HKEY_USERS"));
    EXPECT_EQ(registryRootName(RootKey::CurrentConfig), QStringLiteral("HKEY_CURRENT_CONFIG"));
    EXPECT_EQ(registryRootName(0x80000004u), QString());
    EXPECT_EQ(registryRootName(0), QString());
    for (std::uint32_t root : {RootKey::ClassesRoot, RootKey::CurrentUser, RootKey::LocalMachine,
                               RootKey::Users, RootKey::CurrentConfig})
        EXPECT_TRUE(reg().keyExists(root, {}));
    EXPECT_FALSE(reg().keyExists(0x80000004u, {}));
    EXPECT_FALSE(reg().writeString(0x80000004u, kApp, QStringLiteral("x"), QStringLiteral("y")));
    EXPECT_FALSE(reg().writeString(7, kApp, QStringLiteral("x"), QStringLiteral("y")));
    EXPECT_FALSE(reg().lastError().isEmpty());
}

TEST_F(PlatformRegistry, NamesTheFileCannotHoldAreRefused) {
    const auto lm = RootKey::LocalMachine;
    EXPECT_FALSE(reg().createKey(lm, QStringLiteral("Software\\\\Twice")));
    EXPECT_FALSE(reg().createKey(lm, QStringLiteral("Software\\") + QString(256, u'k')));
    EXPECT_TRUE(reg().createKey(lm, QStringLiteral("Software\\") + QString(255, u'k')));
    EXPECT_FALSE(reg().createKey(lm, QStringLiteral("Software\\new\nline")));
    EXPECT_FALSE(reg().writeString(lm, kApp, QStringLiteral("bad\r\nname"), QStringLiteral("x")));
    EXPECT_FALSE(reg().writeBinary(lm, kApp, QStringLiteral("huge"), QByteArray(2 << 20, 'x')));
    EXPECT_FALSE(reg().keyExists(lm, kApp));
    RegistryStore reopened(registryFile());
    EXPECT_EQ(reopened.loadError(), QString());
}

TEST_F(PlatformRegistry, ADamagedFileIsNeitherReadNorOverwritten) {
    const QByteArray damaged = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_NOWHERE\\x]\r\n";
    writeFileText(damaged);
    RegistryStore store(registryFile());
    EXPECT_TRUE(store.loadError().contains(QStringLiteral("damaged")));
    EXPECT_FALSE(store.writeString(RootKey::CurrentUser, kApp, QStringLiteral("x"), {}));
    EXPECT_FALSE(store.lastError().isEmpty());
    EXPECT_EQ(fileBytes(), damaged);

    for (const QByteArray& bad :
         {QByteArray("not a registry"), QByteArray(), QByteArray("\xFF\xFE\x00\xD8", 4),
          QByteArray("REGEDIT4\n\"orphan\"=\"value\"\n"),
          QByteArray("REGEDIT4\n[HKEY_USERS\\x]\n\"v\"=dword:123456789\n"),
          QByteArray("REGEDIT4\n[HKEY_USERS\\x]\n\"v\"=hex:1,zz\n"),
          QByteArray("REGEDIT4\n[HKEY_USERS\\x]\n\"v\"=\"open\n"),
          QByteArray("REGEDIT4\n[HKEY_USERS\\x]\n\"v\"=hex(7:00\n"),
          QByteArray("REGEDIT4\n[HKEY_USERS\\x\n")}) {
        writeFileText(bad);
        RegistryStore s(registryFile());
        EXPECT_FALSE(s.loadError().isEmpty()) << bad.toStdString();
        EXPECT_FALSE(s.keyExists(RootKey::Users, QStringLiteral("x")));
    }
}

TEST_F(PlatformRegistry, FilesWrittenByHandOrByTheRegistryEditorAreRead) {
    writeFileText("\xEF\xBB\xBFWindows Registry Editor Version 5.00\n"
                  "; a comment\n"
                  "[HKEY_LOCAL_MACHINE\\Software\\Hand]\n"
                  "@=\"default\"\n"
                  "\"Str\" = \"C:\\\\x\"\n"
                  "\"Num\"=dword:A\n"
                  "\"Exp\"=hex(2):25,00,41,00,25,00,00,00\n"
                  "\"Bin\"=hex:01,02,\\\n"
                  "  03,04\n"
                  "\"Gone\"=\"x\"\n"
                  "\"Gone\"=-\n"
                  "[HKEY_LOCAL_MACHINE\\Software\\Hand\\Sub]\n"
                  "[-HKEY_LOCAL_MACHINE\\Software\\Hand\\Sub]\n");
    RegistryStore s(registryFile());
    ASSERT_EQ(s.loadError(), QString());
    const auto lm = RootKey::LocalMachine;
    const QString k = QStringLiteral("Software\\Hand");
    EXPECT_EQ(s.readString(lm, k, {}), QStringLiteral("default"));
    EXPECT_EQ(s.readString(lm, k, QStringLiteral("Str")), QStringLiteral("C:\\x"));
    EXPECT_EQ(s.readInteger(lm, k, QStringLiteral("Num")), 10);
    EXPECT_EQ(s.readString(lm, k, QStringLiteral("Exp")), QStringLiteral("%A%"));
    EXPECT_EQ(s.value(lm, k, QStringLiteral("Bin"))->data, QByteArray("\x01\x02\x03\x04"));
    EXPECT_FALSE(s.value(lm, k, QStringLiteral("Gone")));
    EXPECT_FALSE(s.keyExists(lm, k + QStringLiteral("\\Sub")));
    EXPECT_TRUE(s.keyExists(lm, QStringLiteral("Software")));
}

TEST_F(PlatformRegistry, ChangesByAnotherWriterAreSeen) {
    RegistryStore other(registryFile());
    ASSERT_TRUE(other.writeString(RootKey::Users, kApp, QStringLiteral("v"), QStringLiteral("1")));
    EXPECT_EQ(reg().readString(RootKey::Users, kApp, QStringLiteral("v")), QStringLiteral("1"));
    ASSERT_TRUE(reg().writeString(RootKey::Users, kApp, QStringLiteral("w"), QStringLiteral("2")));
    EXPECT_EQ(other.readString(RootKey::Users, kApp, QStringLiteral("w")), QStringLiteral("2"));
    EXPECT_EQ(other.readString(RootKey::Users, kApp, QStringLiteral("v")), QStringLiteral("1"));
}

TEST_F(PlatformRegistry, AFailedWriteChangesNothing) {
    RegistryStore store(win.rootFolder() + QStringLiteral("/gone/registry.reg"));
    EXPECT_FALSE(store.writeString(RootKey::Users, kApp, QStringLiteral("v"), QStringLiteral("1")));
    EXPECT_FALSE(store.keyExists(RootKey::Users, kApp));
    EXPECT_FALSE(store.lastError().isEmpty());
    EXPECT_FALSE(store.change([](Registry& r) {
        return r.writeString(RootKey::Users, kApp, QStringLiteral("a"), QStringLiteral("1"));
    }));
    EXPECT_FALSE(store.keyExists(RootKey::Users, kApp));

    const QByteArray before = fileBytes();
    const auto throwing = [](Registry& r) -> bool {
        r.writeString(RootKey::Users, kApp, QStringLiteral("a"), QStringLiteral("1"));
        throw std::runtime_error("stop");
    };
    EXPECT_THROW(reg().change(throwing), std::runtime_error);
    EXPECT_FALSE(reg().keyExists(RootKey::Users, kApp));
    EXPECT_EQ(fileBytes(), before);
    ASSERT_TRUE(reg().writeString(RootKey::Users, kApp, QStringLiteral("b"), QStringLiteral("2")));
    EXPECT_EQ(RegistryStore(registryFile()).readString(RootKey::Users, kApp, QStringLiteral("b")),
              QStringLiteral("2"))
        << "writes after a batch that threw go to the file again";
}

TEST_F(PlatformRegistry, ValuesOfOtherKindsComeBackAsTheyWent) {
    const auto u = RootKey::Users;
    const RegistryValue multi{ValueKind::MultiString, QByteArray("a\0\0\0\0\0", 6)};
    const RegistryValue odd{ValueKind::String, QByteArray("abc", 3)};
    const RegistryValue shortDword{ValueKind::DWord, QByteArray("\x01", 1)};
    ASSERT_TRUE(reg().setValue(u, kApp, QStringLiteral("m"), multi));
    ASSERT_TRUE(reg().setValue(u, kApp, QStringLiteral("o"), odd));
    ASSERT_TRUE(reg().setValue(u, kApp, QStringLiteral("d"), shortDword));
    RegistryStore reopened(registryFile());
    EXPECT_EQ(reopened.value(u, kApp, QStringLiteral("m")), multi);
    EXPECT_EQ(reopened.value(u, kApp, QStringLiteral("o")), odd);
    EXPECT_EQ(reopened.value(u, kApp, QStringLiteral("d")), shortDword);
    EXPECT_EQ(reopened.readInteger(u, kApp, QStringLiteral("d")), std::nullopt);
    EXPECT_EQ(reopened.readString(u, kApp, QStringLiteral("d")), QString());
}

} // namespace

namespace {

TEST_F(PlatformRegistry, LargeAndDeepFilesAreReadWithoutRunningAway) {
    QByteArray many = "REGEDIT4\n[HKEY_USERS\\Big]\n";
    for (int i = 0; i < 50000; ++i)
        many += "\"v" + QByteArray::number(i) + "\"=dword:1\n";
    writeFileText(many);
    RegistryStore big(registryFile());
    ASSERT_EQ(big.loadError(), QString());
    EXPECT_EQ(big.valueNames(RootKey::Users, QStringLiteral("Big")).size(), 50000);
    EXPECT_EQ(big.readInteger(RootKey::Users, QStringLiteral("big"), QStringLiteral("V49999")), 1);

    QByteArray deep = "REGEDIT4\n[HKEY_USERS";
    for (int i = 0; i < 100000; ++i)
        deep += "\\k";
    writeFileText(deep + "]\n");
    RegistryStore tooDeep(registryFile());
    EXPECT_FALSE(tooDeep.loadError().isEmpty());
    writeFileText("REGEDIT4\n");
    QString path = QStringLiteral("k");
    for (int i = 1; i < 512; ++i)
        path += QStringLiteral("\\k");
    EXPECT_TRUE(reg().createKey(RootKey::Users, path));
    EXPECT_FALSE(reg().createKey(RootKey::Users, path + QStringLiteral("\\k")));
}

TEST_F(PlatformRegistry, WritersOnSeveralThreadsLoseNothing) {
    auto writer = [this](const QString& prefix) {
        for (int i = 0; i < 40; ++i)
            EXPECT_TRUE(reg().writeInteger(RootKey::Users, kApp, prefix + QString::number(i), i));
    };
    std::thread a(writer, QStringLiteral("a"));
    std::thread b(writer, QStringLiteral("b"));
    for (int i = 0; i < 40; ++i)
        reg().readString(RootKey::Users, kApp, QStringLiteral("a1"));
    a.join();
    b.join();
    RegistryStore reopened(registryFile());
    EXPECT_EQ(reopened.valueNames(RootKey::Users, kApp).size(), 80);
}

} // namespace
