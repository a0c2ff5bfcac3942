#pragma once
// Separator lists as the command line's "/p:" switch writes them: "Main|Help||Samples|".

#include <QChar>
#include <QString>

namespace setup_main {

// CR LF pairs become separators, runs of separators collapse, leading and trailing ones go, and
// exactly one separator ends the result; an empty list gives a lone separator.
QString NormalizeList(const QString& text, QChar separator);
int CountTokens(const QString& text, QChar separator);
// The index-th token (1-based) of the normalised list; empty outside 1..CountTokens.
QString GetToken(const QString& text, int index, QChar separator);

} // namespace setup_main
