#include "RtfText.h"

#include "sharedtypes.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <utility>

namespace setup_main {

namespace {

// Hostile documents: groups nested deeper than this share the deepest group's state, and numbers
// longer than this many digits keep their first digits.
constexpr std::size_t MaxGroupDepth = 100;
constexpr int MaxParameterDigits = 10;
constexpr std::size_t MaxWordLength = 32;
constexpr int MaxFallbackLength = 64;
constexpr int Windows1252 = 1252;

const QChar ParagraphEnd = QLatin1Char('\n');

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Destinations whose text is not part of the licence's text.
bool isHiddenDestination(std::string_view word) {
    static constexpr std::array<std::string_view, 30> hidden = {"fonttbl",
                                                                "colortbl",
                                                                "stylesheet",
                                                                "info",
                                                                "pict",
                                                                "object",
                                                                "objdata",
                                                                "nonshppict",
                                                                "listtable",
                                                                "listoverridetable",
                                                                "revtbl",
                                                                "rsidtbl",
                                                                "filetbl",
                                                                "generator",
                                                                "xmlnstbl",
                                                                "themedata",
                                                                "datastore",
                                                                "latentstyles",
                                                                "colorschememapping",
                                                                "fldinst",
                                                                "header",
                                                                "headerl",
                                                                "headerr",
                                                                "headerf",
                                                                "footer",
                                                                "footerl",
                                                                "footerr",
                                                                "footerf",
                                                                "footnote",
                                                                "template"};
    return std::find(hidden.begin(), hidden.end(), word) != hidden.end();
}

// Control words that stand for one character.
std::optional<QChar> characterWord(std::string_view word) {
    static constexpr std::array<std::pair<std::string_view, char16_t>, 17> characters = {{
        {"par", u'\n'},
        {"sect", u'\n'},
        {"page", u'\n'},
        {"row", u'\n'},
        {"line", u'\u2028'},
        {"tab", u'\t'},
        {"cell", u'\t'},
        {"lquote", u'\u2018'},
        {"rquote", u'\u2019'},
        {"ldblquote", u'\u201C'},
        {"rdblquote", u'\u201D'},
        {"bullet", u'\u2022'},
        {"endash", u'\u2013'},
        {"emdash", u'\u2014'},
        {"enspace", u'\u2002'},
        {"emspace", u'\u2003'},
        {"qmspace", u'\u2005'},
    }};
    for (const auto& [name, unit] : characters)
        if (name == word)
            return QChar(unit);
    return std::nullopt;
}

// The code page of a font's \fcharsetN; nothing for the sets that keep the document's code page.
std::optional<int> codePageOfCharacterSet(std::int64_t characterSet) {
    static constexpr std::array<std::pair<int, int>, 9> codePages = {{
        {204, 1251}, // Cyrillic
        {161, 1253}, // Greek
        {238, 1250}, // Central European
        {162, 1254}, // Turkish
        {177, 1255}, // Hebrew
        {178, 1256}, // Arabic
        {186, 1257}, // Baltic
        {163, 1258}, // Vietnamese
        {222, 874},  // Thai
    }};
    for (const auto& [set, codePage] : codePages)
        if (set == characterSet)
            return codePage;
    return std::nullopt;
}

struct ControlWord {
    std::string_view name;
    std::optional<std::int64_t> parameter;

    bool on() const { return !parameter || *parameter != 0; }
};

struct GroupState {
    TextStyle style;
    std::optional<std::int64_t> font; // \fN; nothing: the document's default font
    int fallbackLength = 1;           // characters after \uN that stand in for it
    bool hidden = false;              // a destination whose text is not shown
    bool fontTable = false;           // inside the font table, \fN declares a font
};

class RtfReader {
public:
    RtfReader(const QByteArray& bytes, qsizetype start) : in_(bytes), pos_(start) {
        groups_.emplace_back();
    }

    std::vector<TextRun> Read() {
        while (pos_ < in_.size() && !ended_)
            ReadToken(in_[pos_++]);
        FlushBytes();
        EndLoneSurrogate();
        if (!runs_.empty() && runs_.back().text.endsWith(ParagraphEnd)) {
            runs_.back().text.chop(1);
            if (runs_.back().text.isEmpty())
                runs_.pop_back();
        }
        return std::move(runs_);
    }

private:
    GroupState& state() { return groups_.back(); }
    const GroupState& state() const { return groups_.back(); }

    void ReadToken(char c) {
        switch (c) {
        case '{':
            fallbackToSkip_ = 0;
            FlushBytes();
            OpenGroup();
            break;
        case '}':
            fallbackToSkip_ = 0;
            FlushBytes();
            CloseGroup();
            break;
        case '\\':
            ReadControl();
            break;
        case '\r':
        case '\n':
            break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t')
                TextByte(c);
        }
    }

    void OpenGroup() {
        if (groups_.size() >= MaxGroupDepth)
            ++overflowDepth_;
        else
            groups_.push_back(groups_.back());
    }

    // The document ends with the group it opened with; what follows it is not read.
    void CloseGroup() {
        if (overflowDepth_ > 0) {
            --overflowDepth_;
            return;
        }
        if (groups_.size() > 1)
            groups_.pop_back();
        ended_ = groups_.size() <= 1;
    }

    void ReadControl() {
        if (pos_ >= in_.size())
            return;
        if (isLetter(in_[pos_])) {
            ReadControlWord();
            return;
        }
        const char symbol = in_[pos_++];
        if (symbol == '\'')
            ReadHexByte();
        else if (!SkippedAsFallback())
            ControlSymbol(symbol);
    }

    void ReadControlWord() {
        const qsizetype start = pos_;
        while (pos_ < in_.size() && isLetter(in_[pos_]))
            ++pos_;
        ControlWord word;
        word.name = std::string_view(in_.constData() + start,
                                     std::min<std::size_t>(pos_ - start, MaxWordLength));
        word.parameter = ReadParameter();
        if (pos_ < in_.size() && in_[pos_] == ' ')
            ++pos_;
        if (word.name == "bin") {
            SkipBinary(word.parameter.value_or(0));
            return;
        }
        if (!SkippedAsFallback())
            Apply(word);
    }

    std::optional<std::int64_t> ReadParameter() {
        const bool negative = pos_ + 1 < in_.size() && in_[pos_] == '-' && isDigit(in_[pos_ + 1]);
        if (negative)
            ++pos_;
        if (pos_ >= in_.size() || !isDigit(in_[pos_]))
            return std::nullopt;
        std::int64_t value = 0;
        for (int digits = 0; pos_ < in_.size() && isDigit(in_[pos_]); ++pos_, ++digits)
            if (digits < MaxParameterDigits)
                value = value * 10 + (in_[pos_] - '0');
        return negative ? -value : value;
    }

    void SkipBinary(std::int64_t length) {
        const qsizetype left = in_.size() - pos_;
        pos_ += static_cast<qsizetype>(std::clamp<std::int64_t>(length, 0, left));
        SkippedAsFallback();
    }

    void ReadHexByte() {
        int value = 0;
        int digits = 0;
        for (; digits < 2 && pos_ < in_.size() && hexValue(in_[pos_]) >= 0; ++digits)
            value = value * 16 + hexValue(in_[pos_++]);
        if (digits == 2)
            TextByte(static_cast<char>(value));
        else
            SkippedAsFallback();
    }

    // The characters after \uN stand in for it for readers without Unicode: they are passed over.
    bool SkippedAsFallback() {
        if (fallbackToSkip_ == 0)
            return false;
        --fallbackToSkip_;
        return true;
    }

    void TextByte(char c) {
        if (SkippedAsFallback() || state().hidden)
            return;
        pendingBytes_.append(c);
    }

    void ControlSymbol(char symbol) {
        FlushBytes();
        switch (symbol) {
        case '\\':
        case '{':
        case '}':
            Append(QChar::fromLatin1(symbol));
            break;
        case '~':
            Append(QChar(QChar::Nbsp));
            break;
        case '_':
            Append(QChar(0x2011));
            break;
        case '*':
            state().hidden = true;
            break;
        case '\r':
        case '\n':
            Append(ParagraphEnd);
            break;
        default:
            break;
        }
    }

    void Apply(const ControlWord& word) {
        FlushBytes();
        if (isHiddenDestination(word.name)) {
            state().hidden = true;
            state().fontTable = state().fontTable || word.name == "fonttbl";
        } else if (const auto character = characterWord(word.name)) {
            Append(*character);
        } else if (word.name == "u") {
            AppendUnicode(word.parameter);
        } else if (word.name == "uc") {
            state().fallbackLength = static_cast<int>(
                std::clamp<std::int64_t>(word.parameter.value_or(1), 0, MaxFallbackLength));
        } else if (!ApplyStyle(word) && !ApplyFont(word)) {
            ApplyCodePage(word);
        }
    }

    bool ApplyStyle(const ControlWord& word) {
        TextStyle& style = state().style;
        if (word.name == "plain") {
            style = {};
            state().font.reset();
        } else if (word.name == "b")
            style.bold = word.on();
        else if (word.name == "i")
            style.italic = word.on();
        else if (word.name == "ulnone")
            style.underline = false;
        else if (word.name.starts_with("ul") && word.name != "ulc")
            style.underline = word.on(); // \ul and its dotted, double, wave ... kinds
        else
            return false;
        return true;
    }

    // Text in a font declared with a character set is read in that set's code page.
    bool ApplyFont(const ControlWord& word) {
        if (word.name == "f") {
            if (state().fontTable)
                declaredFont_ = word.parameter;
            else
                state().font = word.parameter;
        } else if (word.name == "fcharset") {
            if (state().fontTable && declaredFont_ && word.parameter)
                DeclareCharacterSet(*declaredFont_, *word.parameter);
        } else if (word.name == "deff") {
            defaultFont_ = word.parameter;
        } else {
            return false;
        }
        return true;
    }

    void DeclareCharacterSet(std::int64_t font, std::int64_t characterSet) {
        if (const auto codePage = codePageOfCharacterSet(characterSet))
            fontCodePages_[font] = *codePage;
        else
            fontCodePages_.erase(font);
    }

    int CurrentCodePage() const {
        const auto font = state().font ? state().font : defaultFont_;
        if (font)
            if (const auto found = fontCodePages_.find(*font); found != fontCodePages_.end())
                return found->second;
        return codePage_;
    }

    // The document's code page is named once, in its header: the first character set word, and
    // \ansicpg, which wins over it.
    void ApplyCodePage(const ControlWord& word) {
        std::optional<int> codePage;
        if (word.name == "ansicpg" && !codePageNamed_) {
            codePageNamed_ = true;
            if (word.parameter && *word.parameter > 0 && *word.parameter <= 65535)
                codePage = static_cast<int>(*word.parameter);
        } else if (!codePageNamed_ && !characterSetNamed_) {
            characterSetNamed_ = true;
            if (word.name == "ansi")
                codePage = Windows1252;
            else if (word.name == "mac")
                codePage = 10000;
            else if (word.name == "pc")
                codePage = 437;
            else if (word.name == "pca")
                codePage = 850;
            else
                characterSetNamed_ = false;
        }
        if (codePage)
            codePage_ = *codePage;
    }

    // A character beyond the 16-bit range is written as two \uN, its surrogate pair; a half
    // without its other half is no character.
    void AppendUnicode(std::optional<std::int64_t> parameter) {
        if (!parameter)
            return;
        std::int64_t unit = *parameter;
        if (unit < 0)
            unit += 0x10000; // written as a signed 16-bit number
        fallbackToSkip_ = state().fallbackLength;
        if (unit <= 0 || unit > 0xFFFF || state().hidden)
            return;
        const QChar character(static_cast<char16_t>(unit));
        if (character.isLowSurrogate() && highSurrogate_) {
            const QChar high = *std::exchange(highSurrogate_, std::nullopt);
            const std::array<QChar, 2> pair = {high, character};
            Append(QString(pair.data(), pair.size()));
        } else if (character.isHighSurrogate()) {
            EndLoneSurrogate();
            highSurrogate_ = character;
        } else {
            Append(character.isSurrogate() ? QChar(QChar::ReplacementCharacter) : character);
        }
    }

    void EndLoneSurrogate() {
        if (highSurrogate_) {
            highSurrogate_.reset();
            Append(QChar(QChar::ReplacementCharacter));
        }
    }

    void FlushBytes() {
        if (pendingBytes_.isEmpty())
            return;
        const QString text = Decode(pendingBytes_);
        pendingBytes_.clear();
        Append(text);
    }

    QString Decode(const QByteArray& bytes) {
        const int codePage = CurrentCodePage();
        if (codePage == Windows1252 || std::all_of(bytes.begin(), bytes.end(), [](char c) {
                return static_cast<unsigned char>(c) < 0x80;
            }))
            return setup::AnsiToText(std::string_view(bytes.constData(), bytes.size()));
        auto decoder = decoders_.find(codePage);
        if (decoder == decoders_.end())
            decoder = decoders_.emplace(codePage, DecoderFor(codePage)).first;
        if (!decoder->second.isValid())
            return setup::AnsiToText(std::string_view(bytes.constData(), bytes.size()));
        decoder->second.resetState();
        return decoder->second.decode(bytes);
    }

    static QStringDecoder DecoderFor(int codePage) {
        if (codePage == 65001)
            return QStringDecoder(QStringDecoder::Utf8);
        if (codePage == 10000)
            return QStringDecoder("macintosh");
        for (const char* prefix : {"windows-", "cp", "IBM"}) {
            QStringDecoder decoder(QByteArray(prefix) + QByteArray::number(codePage));
            if (decoder.isValid())
                return decoder;
        }
        return QStringDecoder();
    }

    void Append(const QString& text) {
        if (text.isEmpty() || state().hidden)
            return;
        EndLoneSurrogate();
        const TextStyle& style = state().style;
        if (runs_.empty() || !(runs_.back().style == style))
            runs_.push_back({QString(), style});
        runs_.back().text += text;
    }
    void Append(QChar c) { Append(QString(c)); }

    const QByteArray& in_;
    qsizetype pos_;
    std::vector<GroupState> groups_; // the outermost entry stands for outside the document
    qsizetype overflowDepth_ = 0;
    bool ended_ = false;
    int fallbackToSkip_ = 0;
    int codePage_ = Windows1252;
    bool codePageNamed_ = false;
    bool characterSetNamed_ = false;
    std::optional<std::int64_t> defaultFont_;
    std::optional<std::int64_t> declaredFont_;
    std::map<std::int64_t, int> fontCodePages_;
    std::map<int, QStringDecoder> decoders_;
    std::optional<QChar> highSurrogate_;
    QByteArray pendingBytes_;
    std::vector<TextRun> runs_;
};

// Where the document's opening "{\rtf" is, after a UTF-8 byte-order mark, blanks and line ends;
// nothing when the file is no RTF document.
std::optional<qsizetype> rtfStart(const QByteArray& bytes) {
    qsizetype start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (start < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[start])))
        ++start;
    if (!QByteArrayView(bytes).sliced(start).startsWith("{\\rtf"))
        return std::nullopt;
    return start;
}

std::vector<TextRun> plainText(const QByteArray& bytes) {
    QString text = setup::AnsiToText(std::string_view(bytes.constData(), bytes.size()));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    if (text.isEmpty())
        return {};
    return {TextRun{text, TextStyle{}}};
}

} // namespace

std::vector<TextRun> ReadLicenceText(const QByteArray& bytes) {
    const auto start = rtfStart(bytes);
    if (!start)
        return plainText(bytes);
    return RtfReader(bytes, *start).Read();
}

} // namespace setup_main
