#include "QtPrinting.h"
#include "TempWindows.h"

#include <QFile>
#include <gtest/gtest.h>

using platform_testing::TempWindows;
using namespace winplatform;

namespace {

// A host script standing in for a Windows program: writes its arguments, one a line, to the
// file that PLATFORM_TEST_OUT names, and ends with the given code.
QByteArray recorder(int exitCode = 0) {
    return "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > "
           "\"$PLATFORM_TEST_OUT\"\nexit " +
           QByteArray::number(exitCode) + "\n";
}

class PlatformProcesses : public ::testing::Test {
protected:
    void SetUp() override {
        out = win.rootFolder() + QStringLiteral("/args.txt");
        qputenv("PLATFORM_TEST_OUT", out.toLocal8Bit());
    }
    void TearDown() override { qunsetenv("PLATFORM_TEST_OUT"); }

    void placeProgram(const QString& windowsPath, const QByteArray& script,
                      bool executable = true) {
        win.writeFile(windowsPath, script);
        QFile f(win.host(windowsPath));
        f.setPermissions(executable ? f.permissions() | QFileDevice::ExeOwner
                                    : f.permissions() & ~QFileDevice::ExeOwner);
    }
    QStringList recordedArguments() const {
        QFile f(out);
        if (!f.open(QIODevice::ReadOnly))
            return {QStringLiteral("<not run>")};
        QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
        lines.removeLast();
        return lines;
    }
    ProcessOutcome run(const QString& commandLine) {
        return win.platform().processes().runAndWait(commandLine);
    }

    TempWindows win;
    QString out;
};

TEST_F(PlatformProcesses, AProgramThatIsNotThereFailsToStart) {
    const auto outcome = run(QStringLiteral("regsvr32.exe /s \"C:\\Program Files\\App\\a.dll\""));
    EXPECT_FALSE(outcome.started);
    EXPECT_FALSE(outcome.error.isEmpty());
    EXPECT_FALSE(run(QString()).started);
    EXPECT_FALSE(run(QStringLiteral("   ")).started);
    EXPECT_FALSE(run(QStringLiteral("\"unclosed")).started);
    EXPECT_FALSE(run(QStringLiteral("/bin/sh -c true")).started);
    EXPECT_FALSE(run(QStringLiteral("sub\\tool.exe")).started);
}

TEST_F(PlatformProcesses, ABareNameIsFoundInTheSystemFolderInAnyLetterCase) {
    placeProgram(QStringLiteral("C:\\WINDOWS\\system32\\regsvr32.exe"), recorder());
    const auto outcome = run(QStringLiteral("REGSVR32.EXE /s \"C:\\Program Files\\App\\a b.dll\""));
    ASSERT_TRUE(outcome.started) << outcome.error.toStdString();
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(recordedArguments(), (QStringList{"/s", "C:\\Program Files\\App\\a b.dll"}));
}

TEST_F(PlatformProcesses, ExeIsAddedToANameWithoutExtensionAndTheWindowsFolderIsSearched) {
    placeProgram(QStringLiteral("C:\\WINDOWS\\notepad.exe"), recorder(7));
    const auto outcome = run(QStringLiteral("notepad readme.txt"));
    ASSERT_TRUE(outcome.started);
    EXPECT_EQ(outcome.exitCode, 7);
    EXPECT_EQ(recordedArguments(), QStringList{"readme.txt"});
}

TEST_F(PlatformProcesses, AFullPathIsTakenQuotedOrWithItsBlanksUnquoted) {
    placeProgram(QStringLiteral("C:\\Program Files\\My Tools\\tool.exe"), recorder());
    auto outcome =
        run(QStringLiteral("\"c:\\program files\\my tools\\tool.exe\" one \"two three\""));
    ASSERT_TRUE(outcome.started);
    EXPECT_EQ(recordedArguments(), (QStringList{"one", "two three"}));
    outcome = run(QStringLiteral("C:\\Program Files\\My Tools\\tool.exe  four"));
    ASSERT_TRUE(outcome.started);
    EXPECT_EQ(recordedArguments(), QStringList{"four"});
}

TEST_F(PlatformProcesses, AFileThatCannotRunHereFailsToStart) {
    placeProgram(QStringLiteral("C:\\WINDOWS\\system32\\plain.exe"), "MZ not runnable", false);
    EXPECT_FALSE(run(QStringLiteral("plain.exe")).started);
    placeProgram(QStringLiteral("C:\\WINDOWS\\system32\\image.exe"), "MZ\x90\x00 binary", true);
    EXPECT_FALSE(run(QStringLiteral("image.exe")).started);
}

TEST(PlatformArguments, SplitAsWindowsProgramsSplitTheirCommandLine) {
    using L = QStringList;
    EXPECT_EQ(splitArguments(QStringLiteral("a  b\tc ")), (L{"a", "b", "c"}));
    EXPECT_EQ(splitArguments(QStringLiteral("\"a b\" c")), (L{"a b", "c"}));
    EXPECT_EQ(splitArguments(QStringLiteral("x\"a b\"y")), (L{"xa by"}));
    EXPECT_EQ(splitArguments(QStringLiteral("a\\\"b")), (L{"a\"b"}));
    EXPECT_EQ(splitArguments(QStringLiteral("\"a\\\\\" b")), (L{"a\\", "b"}));
    EXPECT_EQ(splitArguments(QStringLiteral("C:\\dir\\ \"C:\\dir\\\\\"")),
              (L{"C:\\dir\\", "C:\\dir\\"}));
    EXPECT_EQ(splitArguments(QStringLiteral("\"a\"\"b\"")), (L{"a\"b"}));
    EXPECT_EQ(splitArguments(QStringLiteral("\"\" x")), (L{"", "x"}));
    EXPECT_EQ(splitArguments(QStringLiteral("\"open")), (L{"open"}));
    EXPECT_EQ(splitArguments(QString()), L{});
}

} // namespace
