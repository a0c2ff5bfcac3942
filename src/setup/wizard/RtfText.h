#pragma once
// The licence as the licence page shows it: the text of an RTF document with its paragraphs, line
// breaks, tabs and bold, italic and underlined words, without its markup. A file that is not RTF
// is shown as its plain text.

#include <QByteArray>
#include <QString>

#include <vector>

namespace setup_main {

struct TextStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool operator==(const TextStyle&) const = default;
};

// In `text`, "\n" ends a paragraph, U+2028 breaks a line within one and "\t" is a tab.
struct TextRun {
    QString text;
    TextStyle style;
};

// Never fails: markup it does not know is left out, a document cut short ends where it stops.
std::vector<TextRun> ReadLicenceText(const QByteArray& bytes);

} // namespace setup_main
