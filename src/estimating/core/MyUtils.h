#pragma once
// Text helpers for numbers and fixed-width layout.

#include <stdexcept>
#include <string>
#include <string_view>

namespace estimating {

// The decimal mark used by FormatFixed and StrToFloat (UTF-8, usually "." or ","). Process-wide;
// the program sets it from the user's locale at start. Default ".".
void SetDecimalMark(std::string mark);
const std::string& DecimalMark();

// The text of `value` with `decimals` digits after the decimal mark, padded with blanks on the
// left to at least `width` characters (a negative width pads on the right to -width); a longer
// text is not cut. No thousands separators. Rounds the exact binary value to nearest, exact
// ties away from zero (0.125 with 2 decimals gives 0.13). A result whose digits are all zero
// carries no minus sign. Infinities and NaN give "INF", "-INF" and "NAN".
std::string FormatFixed(double value, int width, int decimals);

enum TAlignment : int { taLeft = 0, taCenter = 1, taRight = 2 };

// `text` padded or cut to `width` characters, then one blank appended (width 0 or less gives one
// blank). Alignment 0 left, 1 centre (the odd blank goes after), 2 right. Characters are code
// points of the UTF-8 text.
std::string PadText(std::string_view text, int width, int alignment);

// The error of a text that is not a number.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a number written with the decimal mark in force: optional blanks around it, an optional
// sign, digits with an optional decimal mark and fraction, an optional exponent ("E" or "e",
// optional sign, digits). Group separators, infinities, NaN, hexadecimal and the empty text are
// refused with EConvertError "'<text>' is not a valid floating point value".
double StrToFloat(std::string_view text);
// As StrToFloat; false (and `value` untouched) instead of the error.
bool TryStrToFloat(std::string_view text, double& value);

// A number written with a period (report cells, and with IsTypedNumber typed prices and
// quantities): leading blanks, an optional sign, digits with an optional period and fraction
// digits, an optional exponent ("E" or "e", optional sign, at least one digit), and nothing after
// it. A period is the decimal mark whatever the locale; the empty text fails.
bool IsPeriodNumber(std::string_view text);

// A typed price or quantity: IsPeriodNumber's form, or the same written with the decimal mark in
// force.
bool IsTypedNumber(std::string_view text);
// The value of a text that IsTypedNumber accepts, in either form; EConvertError otherwise.
double TypedNumber(std::string_view text);

// Refuses the typed `text` with StrToFloat's error when `result`, what its number makes of a
// stored price, quantity or amount, is not finite: a number too large for its place is refused
// as one that cannot be read.
void RequireFiniteResult(std::string_view text, double result);

} // namespace estimating
