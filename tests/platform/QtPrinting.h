#pragma once
// Readable Qt strings in failure messages of these tests.

#include <QString>
#include <optional>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
