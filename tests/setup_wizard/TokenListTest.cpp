#include "TokenList.h"

#include <gtest/gtest.h>

using namespace setup_main;

namespace {
const QChar Bar = QLatin1Char('|');
}

TEST(SetupWizardNormalizeList, CollapsesDoubledAndTrimsOuterSeparators) {
    EXPECT_EQ(NormalizeList("Main||Help|", Bar), "Main|Help|");
    EXPECT_EQ(NormalizeList("|||Main|||Help|||", Bar), "Main|Help|");
    EXPECT_EQ(NormalizeList("Main|Help", Bar), "Main|Help|");
    EXPECT_EQ(NormalizeList("Main", Bar), "Main|");
}

TEST(SetupWizardNormalizeList, EmptyOrSeparatorsOnlyGiveOneSeparator) {
    EXPECT_EQ(NormalizeList("", Bar), "|");
    EXPECT_EQ(NormalizeList("|", Bar), "|");
    EXPECT_EQ(NormalizeList("||||", Bar), "|");
    EXPECT_EQ(NormalizeList("\r\n\r\n", Bar), "|");
}

TEST(SetupWizardNormalizeList, LineBreakPairsBecomeSeparatorsButLoneBreaksStay) {
    EXPECT_EQ(NormalizeList("Main\r\nHelp\r\n", Bar), "Main|Help|");
    EXPECT_EQ(NormalizeList("Main\r\n|Help", Bar), "Main|Help|");
    EXPECT_EQ(NormalizeList("Ma\nin\rX", Bar), "Ma\nin\rX|");
    EXPECT_EQ(NormalizeList("a\n\r\nb", Bar), "a\n|b|");
}

TEST(SetupWizardNormalizeList, OtherSeparatorsAndBlanksAreKept) {
    EXPECT_EQ(NormalizeList(";a;;b c;", QLatin1Char(';')), "a;b c;");
    EXPECT_EQ(NormalizeList(" | a ", Bar), " | a |");
}

TEST(SetupWizardCountTokens, CountsTokensOfTheNormalisedList) {
    EXPECT_EQ(CountTokens("Main||Help|", Bar), 2);
    EXPECT_EQ(CountTokens("Main", Bar), 1);
    EXPECT_EQ(CountTokens("a|b|c", Bar), 3);
    // An empty list holds one empty token.
    EXPECT_EQ(CountTokens("", Bar), 1);
    EXPECT_EQ(CountTokens("|||", Bar), 1);
}

TEST(SetupWizardGetToken, GivesTheIndexedTokenOneBased) {
    const QString list = "||Main||Help Files|Extras|";
    EXPECT_EQ(GetToken(list, 1, Bar), "Main");
    EXPECT_EQ(GetToken(list, 2, Bar), "Help Files");
    EXPECT_EQ(GetToken(list, 3, Bar), "Extras");
}

TEST(SetupWizardGetToken, OutOfRangeIndexGivesEmptyText) {
    const QString list = "Main|Help";
    EXPECT_EQ(GetToken(list, 0, Bar), "");
    EXPECT_EQ(GetToken(list, -1, Bar), "");
    EXPECT_EQ(GetToken(list, 3, Bar), "");
    EXPECT_EQ(GetToken("", 1, Bar), "");
    EXPECT_EQ(GetToken("", 2, Bar), "");
}
