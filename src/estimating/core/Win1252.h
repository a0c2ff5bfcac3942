#pragma once
// Text is Windows-1252 in the database file and UTF-8 in memory. The conversion is lossless for
// every byte: the five bytes the code page leaves undefined (81 8D 8F 90 9D) map to the C1
// code points of the same value, so a file read and written again is byte-identical.

#include <string>
#include <string_view>

namespace estimating {

// Every byte becomes one code point, written as UTF-8.
std::string Win1252ToUtf8(std::string_view bytes);
// Each code point becomes its Windows-1252 byte; a code point the code page cannot hold, and
// every byte of a malformed UTF-8 sequence, becomes '?'.
std::string Utf8ToWin1252(std::string_view text);

// Appends the Windows-1252 form of UTF-8 text to `out` (as Utf8ToWin1252).
void AppendWin1252(std::string& out, std::string_view text);

// Number of code points in UTF-8 text (a malformed byte counts as one).
std::size_t Utf8Length(std::string_view text);
// The first `count` code points of UTF-8 text.
std::string_view Utf8Prefix(std::string_view text, std::size_t count);

// Equality without regard to letter case for every letter of Windows-1252 (ASCII, accented
// Latin-1 letters, and Š/š, Œ/œ, Ž/ž, Ÿ/ÿ). Other characters compare exactly.
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

} // namespace estimating
