#include "MyUtils.h"

#include "Win1252.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace estimating {
namespace {

constexpr int kMaxDecimals = 100;

std::string& Mark() {
    static std::string mark = ".";
    return mark;
}

// True when the exact value of `value` ends exactly on a 5 at decimal place `decimals` + 1,
// i.e. halfway between two results with `decimals` places. A finite double has exactly as many
// decimal places as it has binary places after the point.
bool IsExactTie(double value, int decimals) {
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(value), &exponent);
    auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    int binaryExponent = exponent - 53;
    if (mantissa == 0) {
        return false;
    }
    while ((mantissa & 1U) == 0) {
        mantissa >>= 1U;
        ++binaryExponent;
    }
    return binaryExponent < 0 && -binaryExponent == decimals + 1;
}

// Adds one unit in the last place to the magnitude of a plain decimal text ("-9.99" -> "-10.00").
void RoundUpMagnitude(std::string& text) {
    for (std::size_t i = text.size(); i-- > 0;) {
        char& c = text[i];
        if (c == '.') {
            continue;
        }
        if (c == '-') {
            text.insert(i + 1, 1, '1');
            return;
        }
        if (c != '9') {
            ++c;
            return;
        }
        c = '0';
    }
    text.insert(0, 1, '1');
}

std::string FixedDigits(double value, int decimals) {
    std::array<char, 512> buffer{};
    const bool tie = IsExactTie(value, decimals);
    const int precision = tie ? decimals + 1 : decimals;
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, precision);
    std::string text(buffer.data(), result.ptr);
    if (tie) {
        text.pop_back(); // the final 5
        if (!text.empty() && text.back() == '.') {
            text.pop_back();
        }
        RoundUpMagnitude(text);
    }
    const bool allZero =
        std::none_of(text.begin(), text.end(), [](char c) { return c >= '1' && c <= '9'; });
    if (allZero && !text.empty() && text.front() == '-') {
        text.erase(0, 1);
    }
    return text;
}

std::string WithDecimalMark(std::string text) {
    const auto point = text.find('.');
    if (point != std::string::npos && Mark() != ".") {
        text.replace(point, 1, Mark());
    }
    return text;
}

std::string PadToWidth(std::string text, int width) {
    const auto length = static_cast<std::int64_t>(Utf8Length(text));
    const std::int64_t target = width < 0 ? -static_cast<std::int64_t>(width) : width;
    if (length >= target) {
        return text;
    }
    const auto blanks = static_cast<std::size_t>(target - length);
    if (width < 0) {
        text.append(blanks, ' ');
    } else {
        text.insert(0, blanks, ' ');
    }
    return text;
}

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::size_t SkipDigits(std::string_view s, std::size_t pos) {
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
        ++pos;
    }
    return pos;
}

// Parses sign, mantissa with `mark` as decimal mark, and exponent, all of `s`; gives the same
// number written with a period and no '+' signs, or an empty text when `s` is not a number.
std::string NormalisedNumber(std::string_view s, std::string_view mark) {
    std::string out;
    std::size_t pos = 0;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
        if (s[pos] == '-') {
            out.push_back('-');
        }
        ++pos;
    }
    std::size_t end = SkipDigits(s, pos);
    bool anyDigit = end > pos;
    out.append(s.substr(pos, end - pos));
    pos = end;
    if (!mark.empty() && s.substr(pos, mark.size()) == mark) {
        pos += mark.size();
        end = SkipDigits(s, pos);
        anyDigit = anyDigit || end > pos;
        out.push_back('.');
        out.append(s.substr(pos, end - pos));
        pos = end;
    }
    if (!anyDigit) {
        return {};
    }
    if (pos < s.size() && (s[pos] == 'e' || s[pos] == 'E')) {
        out.push_back('e');
        ++pos;
        if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
            if (s[pos] == '-') {
                out.push_back('-');
            }
            ++pos;
        }
        end = SkipDigits(s, pos);
        if (end == pos) {
            return {};
        }
        out.append(s.substr(pos, end - pos));
        pos = end;
    }
    return pos == s.size() ? out : std::string{};
}

[[noreturn]] void ThrowNotAFloat(std::string_view text) {
    throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
}

// The text with the decimal mark in force in place of every period.
std::string WithEveryPeriodMarked(std::string_view text) {
    std::string result;
    for (char c : text) {
        if (c == '.') {
            result += Mark();
        } else {
            result += c;
        }
    }
    return result;
}

// The text with a period in place of every decimal mark in force.
std::string WithPeriod(std::string_view text) {
    const std::string& mark = Mark();
    if (mark == ".") {
        return std::string(text);
    }
    std::string result;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text.substr(at, mark.size()) == mark) {
            result += '.';
            at += mark.size();
        } else {
            result += text[at++];
        }
    }
    return result;
}

} // namespace

void SetDecimalMark(std::string mark) {
    Mark() = mark.empty() ? std::string(".") : std::move(mark);
}

const std::string& DecimalMark() {
    return Mark();
}

std::string FormatFixed(double value, int width, int decimals) {
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    std::string text;
    if (std::isnan(value)) {
        text = "NAN";
    } else if (std::isinf(value)) {
        text = value < 0 ? "-INF" : "INF";
    } else {
        text = WithDecimalMark(FixedDigits(value, decimals));
    }
    return PadToWidth(std::move(text), width);
}

std::string PadText(std::string_view text, int width, int alignment) {
    std::string result;
    if (width > 0) {
        const auto length = static_cast<std::int64_t>(Utf8Length(text));
        const std::int64_t d = width - length;
        if (d > 0) {
            const auto blanks = static_cast<std::size_t>(d);
            if (alignment == taCenter) {
                result.append(blanks / 2, ' ').append(text).append(blanks - blanks / 2, ' ');
            } else if (alignment == taRight) {
                result.append(blanks, ' ').append(text);
            } else if (alignment == taLeft) {
                result.append(text).append(blanks, ' ');
            } else {
                result.append(static_cast<std::size_t>(width), ' ');
            }
        } else {
            result.append(Utf8Prefix(text, static_cast<std::size_t>(width)));
        }
    }
    result.push_back(' ');
    return result;
}

bool TryStrToFloat(std::string_view text, double& value) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsBlank(text[first])) {
        ++first;
    }
    while (last > first && IsBlank(text[last - 1])) {
        --last;
    }
    const std::string number = NormalisedNumber(text.substr(first, last - first), DecimalMark());
    if (number.empty()) {
        return false;
    }
    double parsed = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), parsed,
                                        std::chars_format::general);
    if (result.ec != std::errc{} || result.ptr != number.data() + number.size()) {
        return false;
    }
    value = parsed;
    return true;
}

double StrToFloat(std::string_view text) {
    double value = 0.0;
    if (!TryStrToFloat(text, value)) {
        ThrowNotAFloat(text);
    }
    return value;
}

void RequireFiniteResult(std::string_view text, double result) {
    if (!std::isfinite(result)) {
        ThrowNotAFloat(text);
    }
}

bool IsPeriodNumber(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
        ++pos;
    }
    return !NormalisedNumber(text.substr(pos), ".").empty();
}

bool IsTypedNumber(std::string_view text) {
    return IsPeriodNumber(text) || IsPeriodNumber(WithPeriod(text));
}

double TypedNumber(std::string_view text) {
    if (IsPeriodNumber(text)) {
        return StrToFloat(WithEveryPeriodMarked(text));
    }
    return StrToFloat(text);
}

} // namespace estimating
