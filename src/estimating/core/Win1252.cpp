#include "Win1252.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace estimating {
namespace {

// Code points of bytes 80..9F; the undefined bytes keep their own value (C1 controls).
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char32_t kBad = 0xFFFFFFFF;

char32_t ByteToCodePoint(unsigned char b) {
    if (b >= 0x80 && b < 0xA0) {
        return kHighControls[b - 0x80];
    }
    return b;
}

int CodePointToByte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<int>(cp);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == cp) {
            return static_cast<int>(0x80 + i);
        }
    }
    return -1;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Decodes one code point at `pos` and advances; a malformed sequence gives kBad and advances one
// byte.
char32_t NextCodePoint(std::string_view s, std::size_t& pos) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        cp = b0 & 0x1F;
        minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        cp = b0 & 0x0F;
        minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        cp = b0 & 0x07;
        minimum = 0x10000;
    } else {
        ++pos;
        return kBad;
    }
    if (pos + static_cast<std::size_t>(extra) >= s.size()) {
        ++pos;
        return kBad;
    }
    for (int i = 1; i <= extra; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + static_cast<std::size_t>(i)]);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return kBad;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return kBad;
    }
    pos += static_cast<std::size_t>(extra) + 1;
    return cp;
}

char32_t FoldCase(char32_t cp) {
    if (cp >= 'A' && cp <= 'Z') {
        return cp + 32;
    }
    if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) {
        return cp + 32;
    }
    switch (cp) {
    case 0x0160: // Š
    case 0x0152: // Œ
    case 0x017D: // Ž
        return cp + 1;
    case 0x0178: // Ÿ
        return 0x00FF;
    default:
        return cp;
    }
}

bool IsAscii(std::string_view s) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, s.data() + i, 8);
        if ((word & kHighBits) != 0) {
            return false;
        }
    }
    for (; i < s.size(); ++i) {
        if (static_cast<unsigned char>(s[i]) >= 0x80) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string Win1252ToUtf8(std::string_view bytes) {
    std::string out;
    if (IsAscii(bytes)) {
        out.assign(bytes);
        return out;
    }
    out.reserve(bytes.size() + bytes.size() / 2);
    for (char c : bytes) {
        AppendUtf8(out, ByteToCodePoint(static_cast<unsigned char>(c)));
    }
    return out;
}

void AppendWin1252(std::string& out, std::string_view text) {
    if (IsAscii(text)) {
        out.append(text);
        return;
    }
    // Never longer than the UTF-8 text: write in place, then trim.
    const std::size_t start = out.size();
    out.resize(start + text.size());
    char* dst = out.data() + start;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        if (lead < 0x80) {
            *dst++ = static_cast<char>(lead);
            ++pos;
            continue;
        }
        // Latin-1 letters, the common case, decode without the general path.
        if ((lead == 0xC2 || lead == 0xC3) && pos + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[pos + 1]);
            const char32_t cp = (static_cast<char32_t>(lead & 0x1F) << 6) | (next & 0x3F);
            if ((next & 0xC0) == 0x80 && cp >= 0xA0) {
                *dst++ = static_cast<char>(cp);
                pos += 2;
                continue;
            }
        }
        const char32_t cp = NextCodePoint(text, pos);
        const int b = cp == kBad ? -1 : CodePointToByte(cp);
        *dst++ = b < 0 ? '?' : static_cast<char>(b);
    }
    out.resize(static_cast<std::size_t>(dst - out.data()));
}

std::string Utf8ToWin1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendWin1252(out, text);
    return out;
}

std::size_t Utf8Length(std::string_view text) {
    std::size_t count = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        NextCodePoint(text, pos);
        ++count;
    }
    return count;
}

std::string_view Utf8Prefix(std::string_view text, std::size_t count) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < count && pos < text.size(); ++i) {
        NextCodePoint(text, pos);
    }
    return text.substr(0, pos);
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
    std::size_t pa = 0;
    std::size_t pb = 0;
    while (pa < a.size() && pb < b.size()) {
        const std::size_t startA = pa;
        const std::size_t startB = pb;
        const char32_t ca = NextCodePoint(a, pa);
        const char32_t cb = NextCodePoint(b, pb);
        if (ca == kBad || cb == kBad) {
            if (a.substr(startA, pa - startA) != b.substr(startB, pb - startB)) {
                return false;
            }
            continue;
        }
        if (FoldCase(ca) != FoldCase(cb)) {
            return false;
        }
    }
    return pa == a.size() && pb == b.size();
}

} // namespace estimating
