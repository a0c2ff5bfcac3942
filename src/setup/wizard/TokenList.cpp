#include "TokenList.h"

namespace setup_main {

QString NormalizeList(const QString& text, QChar separator) {
    QString joined = text;
    joined.replace(QStringLiteral("\r\n"), QString(separator));
    QString result;
    result.reserve(joined.size() + 1);
    for (QChar c : joined) {
        if (c == separator && (result.isEmpty() || result.back() == separator))
            continue;
        result.append(c);
    }
    if (result.isEmpty() || result.back() != separator)
        result.append(separator);
    return result;
}

int CountTokens(const QString& text, QChar separator) {
    return static_cast<int>(NormalizeList(text, separator).count(separator));
}

QString GetToken(const QString& text, int index, QChar separator) {
    const QString list = NormalizeList(text, separator);
    if (index <= 0 || index > list.count(separator))
        return {};
    qsizetype start = 0;
    for (int i = 1; i < index; ++i)
        start = list.indexOf(separator, start) + 1;
    return list.mid(start, list.indexOf(separator, start) - start);
}

} // namespace setup_main
