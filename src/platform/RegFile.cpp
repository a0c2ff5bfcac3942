#include "RegFile.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace winplatform::regfile {

namespace {

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kOldHeader = QStringLiteral("REGEDIT4");
constexpr int kWrapColumn = 80;

std::optional<QString> decodeText(const QByteArray& bytes) {
    const bool utf16 = bytes.startsWith("\xFF\xFE");
    const bool utf8Bom = bytes.startsWith("\xEF\xBB\xBF");
    QStringDecoder decoder(utf16 ? QStringConverter::Utf16LE : QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless);
    const QString text = decoder(bytes.mid(utf16 ? 2 : utf8Bom ? 3 : 0));
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

std::optional<QString> parseQuoted(const QString& s, qsizetype& pos) {
    if (pos >= s.size() || s[pos] != u'"')
        return std::nullopt;
    QString out;
    for (++pos; pos < s.size(); ++pos) {
        const QChar c = s[pos];
        if (c == u'"') {
            ++pos;
            return out;
        }
        if (c == u'\\' && pos + 1 < s.size() && (s[pos + 1] == u'\\' || s[pos + 1] == u'"'))
            ++pos;
        out.append(s[pos]);
    }
    return std::nullopt;
}

std::optional<std::uint32_t> parseHexNumber(QStringView digits) {
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    bool ok = false;
    const auto v = digits.toULong(&ok, 16);
    if (!ok || v > 0xFFFFFFFFul)
        return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

std::optional<QByteArray> parseHexBytes(QStringView list) {
    QByteArray out;
    const auto tokens = list.split(u',');
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const QStringView t = tokens[i].trimmed();
        if (t.isEmpty() && i == tokens.size() - 1)
            break; // a trailing comma
        if (t.isEmpty() || t.size() > 2)
            return std::nullopt;
        const auto v = parseHexNumber(t);
        if (!v)
            return std::nullopt;
        out.append(static_cast<char>(*v));
    }
    return out;
}

// "=" and what follows it. nullopt: malformed; a value of kind None with the flag `remove`
// set stands for "-" (delete the value).
struct ParsedData {
    bool remove = false;
    RegistryValue value;
};

std::optional<ParsedData> parseData(QStringView data) {
    if (data == u"-")
        return ParsedData{true, {}};
    if (data.startsWith(u'"')) {
        const QString s = data.toString();
        qsizetype pos = 0;
        const auto text = parseQuoted(s, pos);
        if (!text || !QStringView(s).mid(pos).trimmed().isEmpty())
            return std::nullopt;
        return ParsedData{false, RegistryValue::fromString(*text)};
    }
    if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
        const auto v = parseHexNumber(data.mid(6).trimmed());
        if (!v)
            return std::nullopt;
        return ParsedData{false, RegistryValue::fromDWord(*v)};
    }
    if (data.startsWith(u"hex:", Qt::CaseInsensitive)) {
        const auto bytes = parseHexBytes(data.mid(4));
        if (!bytes)
            return std::nullopt;
        return ParsedData{false, RegistryValue::fromBinary(*bytes)};
    }
    if (data.startsWith(u"hex(", Qt::CaseInsensitive)) {
        const qsizetype close = data.indexOf(u"):");
        if (close < 0)
            return std::nullopt;
        const auto kind = parseHexNumber(data.mid(4, close - 4));
        const auto bytes = parseHexBytes(data.mid(close + 2));
        if (!kind || !bytes)
            return std::nullopt;
        return ParsedData{false, {static_cast<ValueKind>(*kind), *bytes}};
    }
    return std::nullopt;
}

class Parser {
public:
    Parser(const QString& text, RegistryData& data) : lines_(text.split(u'\n')), data_(data) {}

    bool run(QString& error) {
        if (!readHeader())
            return fail(error, QStringLiteral("it does not begin with \"%1\"").arg(kHeader));
        while (next_ < lines_.size()) {
            lineNumber_ = next_ + 1;
            const QString line = logicalLine();
            if (!handle(line))
                return fail(error, QStringLiteral("line %1 cannot be read").arg(lineNumber_));
        }
        return true;
    }

private:
    bool fail(QString& error, const QString& why) {
        error = why;
        return false;
    }

    QString physicalLine(qsizetype i) const {
        QString l = lines_[i];
        if (l.endsWith(u'\r'))
            l.chop(1);
        return l;
    }

    bool readHeader() {
        while (next_ < lines_.size() && physicalLine(next_).trimmed().isEmpty())
            ++next_;
        if (next_ >= lines_.size())
            return false;
        const QString first = physicalLine(next_++).trimmed();
        return first == kHeader || first == kOldHeader;
    }

    // A value line ending in "\" goes on in the next line.
    QString logicalLine() {
        QString line = physicalLine(next_++).trimmed();
        if (line.startsWith(u'['))
            return line;
        while (line.endsWith(u'\\') && next_ < lines_.size()) {
            line.chop(1);
            line += physicalLine(next_++).trimmed();
        }
        return line;
    }

    bool handle(const QString& line) {
        if (line.isEmpty() || line.startsWith(u';'))
            return true;
        if (line.startsWith(u'['))
            return handleKey(line);
        return handleValue(line);
    }

    bool handleKey(const QString& line) {
        if (!line.endsWith(u']'))
            return false;
        QString inner = line.mid(1, line.size() - 2);
        const bool remove = inner.startsWith(u'-');
        if (remove)
            inner.remove(0, 1);
        const auto path = normalizedFullPath(inner);
        if (!path)
            return false;
        if (remove) {
            data_.deleteKey(*path);
            current_.reset();
        } else {
            data_.createKey(*path);
            current_ = *path;
        }
        return true;
    }

    bool handleValue(const QString& line) {
        if (!current_)
            return false;
        qsizetype pos = 0;
        QString name;
        if (line.startsWith(u'@')) {
            pos = 1;
        } else {
            const auto quoted = parseQuoted(line, pos);
            if (!quoted)
                return false;
            name = *quoted;
        }
        const QStringView rest = QStringView(line).mid(pos).trimmed();
        if (!rest.startsWith(u'='))
            return false;
        const auto parsed = parseData(rest.mid(1).trimmed());
        if (!parsed)
            return false;
        RegistryData::Key* key = data_.key(*current_);
        if (parsed->remove)
            key->removeValue(name);
        else
            key->setValue(name, parsed->value);
        return true;
    }

    QStringList lines_;
    RegistryData& data_;
    qsizetype next_ = 0;
    qsizetype lineNumber_ = 0;
    std::optional<QString> current_;
};

QString quoted(const QString& text) {
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        if (c == u'\\' || c == u'"')
            out.append(u'\\');
        out.append(c);
    }
    out.append(u'"');
    return out;
}

bool fitsQuotedString(const RegistryValue& v) {
    if (v.kind != ValueKind::String)
        return false;
    const auto text = v.toText();
    return text && !text->contains(u'\r') && !text->contains(u'\n') &&
           RegistryValue::fromString(*text) == v;
}

QString hexLines(QString line, const QByteArray& bytes) {
    QString out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        QString piece =
            QStringLiteral("%1").arg(static_cast<unsigned char>(bytes[i]), 2, 16, QLatin1Char('0'));
        if (i + 1 < bytes.size())
            piece.append(u',');
        if (line.size() + piece.size() >= kWrapColumn - 1) {
            out += line + QStringLiteral("\\\r\n");
            line = QStringLiteral("  ");
        }
        line += piece;
    }
    return out + line + QStringLiteral("\r\n");
}

QString valueLine(const QString& name, const RegistryValue& v) {
    const QString lead = (name.isEmpty() ? QStringLiteral("@") : quoted(name)) + u'=';
    if (fitsQuotedString(v))
        return lead + quoted(*v.toText()) + QStringLiteral("\r\n");
    if (const auto d = v.toDWord())
        return lead + QStringLiteral("dword:%1\r\n").arg(*d, 8, 16, QLatin1Char('0'));
    if (v.kind == ValueKind::Binary)
        return hexLines(lead + QStringLiteral("hex:"), v.data);
    return hexLines(
        lead + QStringLiteral("hex(%1):").arg(static_cast<std::uint32_t>(v.kind), 0, 16), v.data);
}

} // namespace

bool parse(const QByteArray& bytes, RegistryData& out, QString& error) {
    if (bytes.size() > kMaxFileSize) {
        error = QStringLiteral("it is larger than the registry can be");
        return false;
    }
    const auto text = decodeText(bytes);
    if (!text) {
        error = QStringLiteral("it is not valid text");
        return false;
    }
    RegistryData data;
    if (!Parser(*text, data).run(error))
        return false;
    out = std::move(data);
    return true;
}

QByteArray serialize(const RegistryData& data) {
    QString text = kHeader + QStringLiteral("\r\n\r\n");
    for (const auto& [folded, key] : data.keys()) {
        text += u'[' + key.path + QStringLiteral("]\r\n");
        for (const auto& [name, value] : key.values())
            text += valueLine(name, value);
        text += QStringLiteral("\r\n");
    }
    QStringEncoder encoder(QStringConverter::Utf16LE);
    return QByteArray("\xFF\xFE", 2) + QByteArray(encoder(text));
}

} // namespace winplatform::regfile
