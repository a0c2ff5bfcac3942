#include "RtfText.h"

#include <gtest/gtest.h>

using namespace setup_main;

namespace {

QString Text(const QByteArray& bytes) {
    QString text;
    for (const TextRun& run : ReadLicenceText(bytes))
        text += run.text;
    return text;
}

// The style of the run holding `word`.
TextStyle StyleOf(const QByteArray& bytes, const QString& word) {
    for (const TextRun& run : ReadLicenceText(bytes))
        if (run.text.contains(word))
            return run.style;
    ADD_FAILURE() << word.toStdString();
    return {};
}

} // namespace

TEST(SetupWizardRtfText, AFileThatIsNotRtfIsItsPlainText) {
    EXPECT_EQ(Text("\xEF\xBB\xBF\r\n{\\rtf1 Terms}"), "Terms"); // a byte-order mark is no text
    EXPECT_EQ(Text("Terms\r\nof use\r\x80\r\n"), "Terms\nof use\n\u20AC");
    EXPECT_EQ(Text("{\\par not rtf}"), "{\\par not rtf}");
    EXPECT_TRUE(ReadLicenceText("").empty());
}

TEST(SetupWizardRtfText, ParagraphsLineBreaksAndTabsWithoutMarkup) {
    const QByteArray rtf = "\r\n {\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}"
                           "{\\colortbl;\\red255\\green0\\blue0;}{\\stylesheet{\\s0 Normal;}}"
                           "{\\info{\\title T}}{\\*\\generator Writer;}\\pard\\f0\\fs20 "
                           "First\r\n para\\par Second\\line line\\tab tabbed\\par\r\n"
                           "{\\pict\\wmetafile8 0a0b}{\\*\\unknown hidden}{\\header Head}"
                           "Last \\{\\}\\\\\\~x\\par}trailing";
    EXPECT_EQ(Text(rtf), "First para\nSecond\u2028line\ttabbed\nLast {}\\\u00A0x");
}

TEST(SetupWizardRtfText, BoldItalicAndUnderlineFollowTheGroups) {
    const QByteArray rtf = "{\\rtf1 plain {\\b bold {\\i both} \\ul under\\ulnone back} "
                           "\\i italic\\i0  upright \\b\\i\\ul all\\plain  none}";
    EXPECT_EQ(StyleOf(rtf, "plain"), TextStyle{});
    EXPECT_EQ(StyleOf(rtf, "bold"), (TextStyle{true, false, false}));
    EXPECT_EQ(StyleOf(rtf, "both"), (TextStyle{true, true, false}));
    EXPECT_EQ(StyleOf(rtf, "under"), (TextStyle{true, false, true}));
    EXPECT_EQ(StyleOf(rtf, "back"), (TextStyle{true, false, false}));
    EXPECT_EQ(StyleOf(rtf, "italic"), (TextStyle{false, true, false}));
    EXPECT_EQ(StyleOf(rtf, "upright"), TextStyle{});
    EXPECT_EQ(StyleOf(rtf, "all"), (TextStyle{true, true, true}));
    EXPECT_EQ(StyleOf(rtf, "none"), TextStyle{});
}

TEST(SetupWizardRtfText, CharactersInTheCodePageAndInUnicode) {
    EXPECT_EQ(Text("{\\rtf1\\ansi caf\\'e9 \\'80 \\lquote x\\rquote}"),
              "caf\u00E9 \u20AC \u2018x\u2019");
    EXPECT_EQ(Text("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}"), "\u041F\u0440\u0438");
    // The fallback after \uN is skipped: one character, or as many as \ucN says, in its group.
    EXPECT_EQ(Text("{\\rtf1 a\\u8364?b\\u-4064\\'3fc{\\uc2\\u1055 \\'cf\\'cfd}\\u1056 ?e}"),
              "a\u20ACb\uF020c\u041Fd\u0420e");
    // A character past 16 bits is a surrogate pair of \uN; a half alone is no character.
    EXPECT_EQ(Text("{\\rtf1 \\u-10179?\\u-8704?a\\u55357?b\\u56832?c\\u-10179?}"),
              "\U0001F600a\uFFFDb\uFFFDc\uFFFD");
}

TEST(SetupWizardRtfText, TextInAFontIsReadInTheCodePageOfItsCharacterSet) {
    const std::pair<const char*, char16_t> characterSets[] = {
        {"204\\'c0", u'\u0410'}, {"161\\'c1", u'\u0391'}, {"238\\'e8", u'\u010D'},
        {"162\\'d0", u'\u011E'}, {"177\\'e0", u'\u05D0'}, {"178\\'c7", u'\u0627'},
        {"186\\'c0", u'\u0104'}, {"163\\'d0", u'\u0110'}, {"222\\'a1", u'\u0E01'}};
    for (const auto& [setAndByte, character] : characterSets) {
        const QByteArray set(setAndByte);
        EXPECT_EQ(
            Text("{\\rtf1{\\fonttbl{\\f1\\fcharset" + set.left(3) + " X;}}\\f1" + set.mid(3) + "}"),
            QChar(character))
            << setAndByte;
    }
    // The default font's set holds until \fN; \plain goes back to it, \pard does not.
    EXPECT_EQ(
        Text("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fcharset0 A;}{\\f1\\fcharset204 B;}"
             "{\\f2\\fcharset161 C;}}\\'c0{\\f1\\'c0}\\'c0\\f2\\'c1\\plain\\'c1\\f1\\pard\\'c1}"),
        "\u00C0\u0410\u00C0\u0391\u00C1\u0411");
    // An unknown set keeps the document's code page, and a default font may carry a set.
    EXPECT_EQ(Text("{\\rtf1\\ansi\\ansicpg1251{\\fonttbl\\f3\\fcharset77 M;}\\f3\\'c0}"), "\u0410");
    EXPECT_EQ(Text("{\\rtf1\\deff1{\\fonttbl{\\f1\\fcharset161 G;}}\\'c1}"), "\u0391");
}

TEST(SetupWizardRtfText, HostileDocumentsEndQuietly) {
    QByteArray deep = "{\\rtf1 ";
    deep += QByteArray(200000, '{') + "deep\\b bold" + QByteArray(200000, '}') + " after}";
    EXPECT_EQ(Text(deep), "deepbold after");
    EXPECT_EQ(Text("{\\rtf1 a\\u99999999999999999999 b\\uc99999999999 c\\fs-99999999999999 d}"),
              "acd");
    EXPECT_EQ(Text("{\\rtf1 a\\bin5 {}}}}b\\bin99999999999"), "ab");
    for (const char* cut :
         {"{\\rtf1 x\\", "{\\rtf1 x\\'", "{\\rtf1 x\\'4", "{\\rtf1 x\\u", "{\\rtf1 x{"})
        EXPECT_EQ(Text(cut), "x") << cut;
}
