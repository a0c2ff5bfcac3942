#include "CoreTestSupport.h"
#include "MyStrings.h"
#include "MyUtils.h"
#include "Win1252.h"

#include <gtest/gtest.h>

#include <limits>

namespace estimating {
namespace {

class DecimalMarkScope {
public:
    explicit DecimalMarkScope(std::string mark) : previous_(DecimalMark()) {
        SetDecimalMark(std::move(mark));
    }
    ~DecimalMarkScope() { SetDecimalMark(previous_); }

private:
    std::string previous_;
};

TEST(EstCoreFormatFixed, PadsToWidthWithTheGivenDecimals) {
    EXPECT_EQ(FormatFixed(2.5, 12, 3), "       2.500");
    EXPECT_EQ(FormatFixed(1234.5, 0, 2), "1234.50");
    EXPECT_EQ(FormatFixed(12.5, 16, 2), "           12.50");
    EXPECT_EQ(FormatFixed(-3, 0, 0), "-3");
    EXPECT_EQ(FormatFixed(123456.789, 4, 1), "123456.8"); // longer text is not cut
    EXPECT_EQ(FormatFixed(1e20, 0, 2), "100000000000000000000.00");
}

TEST(EstCoreFormatFixed, ExactTiesRoundAwayFromZero) {
    EXPECT_EQ(FormatFixed(0.125, 0, 2), "0.13");
    EXPECT_EQ(FormatFixed(-0.125, 0, 2), "-0.13");
    EXPECT_EQ(FormatFixed(2.5, 0, 0), "3");
    EXPECT_EQ(FormatFixed(0.5, 0, 0), "1");
    EXPECT_EQ(FormatFixed(-2.5, 0, 0), "-3");
    EXPECT_EQ(FormatFixed(99.5, 0, 0), "100");
    EXPECT_EQ(FormatFixed(9.9375, 0, 3), "9.938");
    EXPECT_EQ(FormatFixed(0.375, 6, 2), "  0.38");
}

TEST(EstCoreFormatFixed, RoundsTheExactBinaryValueWhenItIsNoTie) {
    // 2.675 and 1.005 are stored slightly below the written value.
    EXPECT_EQ(FormatFixed(2.675, 0, 2), "2.67");
    EXPECT_EQ(FormatFixed(1.005, 0, 2), "1.00");
    EXPECT_EQ(FormatFixed(0.1 + 0.2, 0, 2), "0.30");
    EXPECT_EQ(FormatFixed(2.0 / 3.0, 0, 3), "0.667");
}

TEST(EstCoreFormatFixed, NegativeZeroAndTinyNegativesShowNoSign) {
    EXPECT_EQ(FormatFixed(-0.0, 0, 2), "0.00");
    EXPECT_EQ(FormatFixed(-0.001, 0, 2), "0.00");
    EXPECT_EQ(FormatFixed(-0.005, 0, 2), "-0.01"); // stored just above 0.005 in magnitude
}

TEST(EstCoreFormatFixed, UsesTheDecimalMarkInForce) {
    DecimalMarkScope comma(",");
    EXPECT_EQ(FormatFixed(1234.5, 0, 2), "1234,50");
    EXPECT_EQ(FormatFixed(2.5, 8, 3), "   2,500");
    EXPECT_EQ(FormatFixed(7, 0, 0), "7");
}

TEST(EstCoreFormatFixed, NegativeWidthPadsOnTheRightAndOddValuesAreNamed) {
    EXPECT_EQ(FormatFixed(1.5, -6, 1), "1.5   ");
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::infinity(), 5, 2), "  INF");
    EXPECT_EQ(FormatFixed(-std::numeric_limits<double>::infinity(), 0, 2), "-INF");
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::quiet_NaN(), 0, 2), "NAN");
    EXPECT_EQ(FormatFixed(1.25, 0, -3), "1"); // no negative precision: 1.25 -> 1
}

TEST(EstCorePadText, AlignsPadsAndCuts) {
    EXPECT_EQ(PadText("abc", 7, 0), "abc     ");
    EXPECT_EQ(PadText("abc", 7, 2), "    abc ");
    EXPECT_EQ(PadText("abc", 6, 1), " abc   ");
    EXPECT_EQ(PadText("abc", 10, 1), "   abc     "); // d = 7: three before, four after
    EXPECT_EQ(PadText("abcdef", 4, 2), "abcd ");
    EXPECT_EQ(PadText("abc", 3, 0), "abc ");
    EXPECT_EQ(PadText("", 0, 0), " ");
    EXPECT_EQ(PadText("abc", 0, 2), " ");
    EXPECT_EQ(PadText("abc", -4, 0), " ");
}

TEST(EstCorePadText, CountsCharactersNotBytes) {
    EXPECT_EQ(PadText("Área", 6, 2), "  Área ");
    EXPECT_EQ(PadText("Ñandú€x", 6, 0), "Ñandú€ ");
}

TEST(EstCorePadText, UnknownAlignmentLeavesBlanks) {
    EXPECT_EQ(PadText("ab", 4, 7), "     ");
}

TEST(EstCoreStrToFloat, ReadsNumbersWithTheDecimalMark) {
    EXPECT_DOUBLE_EQ(StrToFloat("2.5"), 2.5);
    EXPECT_DOUBLE_EQ(StrToFloat("  -1.5E-2 "), -0.015);
    EXPECT_DOUBLE_EQ(StrToFloat("+3"), 3.0);
    EXPECT_DOUBLE_EQ(StrToFloat("1e3"), 1000.0);
    EXPECT_DOUBLE_EQ(StrToFloat(".5"), 0.5);
    EXPECT_DOUBLE_EQ(StrToFloat("5."), 5.0);
    DecimalMarkScope comma(",");
    EXPECT_DOUBLE_EQ(StrToFloat("2,5"), 2.5);
    EXPECT_THROW(StrToFloat("2.5"), EConvertError);
}

TEST(EstCoreStrToFloat, RefusesWhatIsNoPlainNumber) {
    for (const char* text : {"", "  ", "abc", "1,000.5", "1.2.3", "inf", "nan", "Infinity", "0x10",
                             "1e", "1e+", "--1", "+", "-", ".", "1 000", "1e999"}) {
        double value = 42.0;
        EXPECT_FALSE(TryStrToFloat(text, value)) << text;
        EXPECT_EQ(value, 42.0) << text;
    }
}

TEST(EstCoreStrToFloat, ErrorNamesTheText) {
    try {
        StrToFloat("12a");
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'12a' is not a valid floating point value");
    }
    try {
        StrToFloat("");
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'' is not a valid floating point value");
    }
}

TEST(EstCoreIsPeriodNumber, AcceptsPeriodNotationOnly) {
    for (const char* text :
         {"12.5", "   12.50", "-3", "+1e5", "2.5E-3", "0", "5.", ".5", "           12.50"}) {
        EXPECT_TRUE(IsPeriodNumber(text)) << text;
    }
    for (const char* text : {"", " ", "12.5 ", "2,5", "1.5e", "abc", "1e+", "- 1", "1.2.3"}) {
        EXPECT_FALSE(IsPeriodNumber(text)) << text;
    }
    DecimalMarkScope comma(",");
    EXPECT_TRUE(IsPeriodNumber("2.5"));
    EXPECT_FALSE(IsPeriodNumber("2,5"));
}

TEST(EstCoreWin1252, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    const std::string utf8 = Win1252ToUtf8(all);
    EXPECT_EQ(Utf8Length(utf8), 256U);
    EXPECT_EQ(Utf8ToWin1252(utf8), all);
}

TEST(EstCoreWin1252, MapsTheHighControlsAndUndefinedBytes) {
    EXPECT_EQ(Win1252ToUtf8("\x80"), "€");
    EXPECT_EQ(Win1252ToUtf8("\x81"), "\xC2\x81");
    EXPECT_EQ(Win1252ToUtf8("\x9F"), "Ÿ");
    EXPECT_EQ(Win1252ToUtf8("\xC1rea"), "Área");
    EXPECT_EQ(Utf8ToWin1252("Área €"), "\xC1rea \x80");
}

TEST(EstCoreWin1252, UnrepresentableAndMalformedTextBecomesQuestionMarks) {
    EXPECT_EQ(Utf8ToWin1252("a中b"), "a?b");
    EXPECT_EQ(Utf8ToWin1252("a\xFF"
                            "b"),
              "a?b");
    EXPECT_EQ(Utf8ToWin1252("\xE2\x82"), "??"); // cut sequence
    EXPECT_EQ(Utf8ToWin1252("\xC0\x80"), "??"); // overlong
}

TEST(EstCoreWin1252, CaseFoldingCoversEveryLetterOfTheCodePage) {
    EXPECT_TRUE(SameTextIgnoringCase("Área", "área"));
    EXPECT_TRUE(SameTextIgnoringCase("ÀÉÎÕÜÇÑØÞ", "àéîõüçñøþ"));
    EXPECT_TRUE(SameTextIgnoringCase("ŠŒŽŸ", "šœžÿ"));
    EXPECT_TRUE(SameTextIgnoringCase("Metro", "mETRO"));
    EXPECT_FALSE(SameTextIgnoringCase("×", "÷"));
    EXPECT_FALSE(SameTextIgnoringCase("ß", "SS"));
    EXPECT_FALSE(SameTextIgnoringCase("m2", "m3"));
    EXPECT_FALSE(SameTextIgnoringCase("m", "m2"));
    EXPECT_TRUE(SameTextIgnoringCase("", ""));
}

TEST(EstCoreMyStrings, TableHoldsTheProgramTexts) {
    EXPECT_EQ(LoadResString(SCompounds), "Compounds");
    EXPECT_EQ(LoadResString(SCloneBudget), "Clone budget");
    EXPECT_EQ(LoadResString(SNewDivision), "New division");
    EXPECT_EQ(LoadResString(SInputName), "Input a name.");
    EXPECT_EQ(LoadResString(SNewQuantity), "New quantity");
    EXPECT_EQ(LoadResString(SInputNewQuantity), "Input a new quantity");
    EXPECT_EQ(LoadResString(SNewDatabase), "New database");
    EXPECT_EQ(LoadResString(SNewName), "New name");
    EXPECT_EQ(LoadResString(SDeleteElement), "Delete element?");
    EXPECT_EQ(LoadResString(SFileExists), "This file already exists. Overwrite it?");
    EXPECT_EQ(LoadResString(SFileChanged),
              "The file has changed. Do you want to save the changes?");
    EXPECT_EQ(LoadResString(SError), "Error");
    EXPECT_EQ(LoadResString(SDatabasesFolder), "Databases\\");
    EXPECT_EQ(static_cast<int>(SCompounds), 65261);
    EXPECT_EQ(static_cast<int>(SInputName), 65232);
    EXPECT_EQ(static_cast<int>(SDatabasesFolder), 65241);
    EXPECT_EQ(ResStringTable().size(), 13U);
}

TEST(EstCoreMyStrings, TextsCanBeReplacedInOnePlace) {
    const std::string original = LoadResString(SError);
    SetResString(SError, "Fehler");
    EXPECT_EQ(LoadResString(SError), "Fehler");
    SetResString(SError, original);
}

TEST(EstCoreSeams, DefaultSinkWritesToStderrWithoutFailing) {
    const MessageSink previous = SetMessageSink({});
    ::testing::internal::CaptureStderr();
    ShowMessage("Error : Unknown file format.");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Error : Unknown file format.\n");
    SetMessageSink(previous);
}

TEST(EstCoreSeams, BusyCursorNestsAndRestores) {
    std::vector<bool> calls;
    const BusyCursorSink previous =
        SetBusyCursorSink([&calls](bool busy) { calls.push_back(busy); });
    {
        TBusyCursor outer;
        TBusyCursor inner;
    }
    SetBusyCursorSink(previous);
    EXPECT_EQ(calls, (std::vector<bool>{true, true, false, false}));
}

} // namespace
} // namespace estimating
