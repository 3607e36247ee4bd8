// Number, date and text conventions of the program: rounding, display masks, reading user
// entries, the Windows-1250 code page and the text files every export writes.
//
// The program never touches the operating system's regional settings; it always uses its own:
// decimal mark ",", thousands separator " " (blank) and list separator ";".
#pragma once

#include "store/engine/value.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace store::fmt {

inline constexpr char kDecimalMark = ',';
inline constexpr char kThousandsSeparator = ' ';
inline constexpr char kListSeparator = ';';

// ---------------------------------------------------------------------------------------------
// Rounding
//
// Amounts are doubles and are rounded only for display, halves going to the even neighbour.
// A double rarely holds the decimal the user typed (1.005 is stored as 1.00499999999999989...),
// so rounding works on the value's decimal form: the value is first rounded to 15 significant
// digits (which removes the binary noise), then rounded half-even at the requested position on
// those exact decimal digits. Hence 2.5 -> 2, 3.5 -> 4, -2.5 -> -2, 1.005 -> 1.00 (a true half,
// 0 is even), 1.015 -> 1.02, 2.675 -> 2.68, 0.125 -> 0.12. Digits beyond the 15th significant
// one are never honoured.

// Rounds half-even to `decimals` places (negative: to tens, hundreds, ...). An integral value
// with decimals >= 0, NaN and the infinities come back unchanged; a result of zero is +0.0.
double roundHalfEven(double v, int decimals = 0);

// Half-even to a whole number; NaN gives 0, values beyond the int64 range saturate.
int64_t roundToInt(double v);

// ---------------------------------------------------------------------------------------------
// Number to text

// General float format: the value's 15 significant digits without trailing zeros and with the
// decimal mark ",". Scientific notation only when the decimal exponent (after rounding to 15
// digits) is >= 15 or < -4; the exponent is written with its sign and at least two digits:
// "1,5E+20", "1E-05", "-2,25E+100". 0 and -0 give "0"; NaN "NAN", infinities "INF" / "-INF".
std::string formatGeneral(double v);

// Plain decimal digits with a leading "-" when negative, no grouping: "-1234".
std::string formatInt(int64_t v);

// Display masks, as used by the grids and the reports.
//
//   0        a digit that is always shown
//   #        a digit shown when significant
//   .        the decimal point (the first one in a section), printed as ","
//   , blank  between the first and the last integer placeholder: group the integer digits by
//            three with " ". Only their presence counts, not where they stand, so
//            "### ### ##" groups exactly like "# ### ###".
//   ;        separates sections: positive;negative;zero
//   '...' "..."  quoted literal text
//   anything else (letters, "%", "E", a blank or "," outside the integer placeholders, a "."
//   after the last placeholder) is literal text.
//
// The value is rounded half-even (see above) to the number of decimal placeholders. Decimal "0"
// placeholders always show their digit; decimal "#" placeholders drop trailing zeros, and the
// decimal mark is printed only when at least one decimal digit is. In the integer part the
// placeholders from the leftmost "0" onwards give the minimum number of digits; integer digits
// beyond the placeholders are all shown (1234567 with "#0" -> "1234567"). A value whose integer
// part is 0 shows no integer digit under "#" placeholders (0 with "#.00" -> ",00", 0 with
// "# ### ###" -> "").
//
// Literals before the first placeholder are printed before the number, those after the last
// placeholder after it ("X ### ###" with 1234 -> "X 1 234", "## ### " with 1234 -> "1 234 ").
// A literal between integer placeholders keeps its place counted from the decimal point and is
// printed only when digits stand to its left ("0-00" with 123 -> "1-23"); a literal between
// decimal placeholders is printed when the digit after it is.
//
// The automatic minus sign stands right before the first digit (after the leading literals).
// With a non-empty negative section that section formats the absolute value and prints no
// minus of its own. A value that rounds to zero under its section is formatted by the zero
// section when there is a non-empty one, otherwise by the positive section, and never carries
// a minus sign. Empty negative or zero sections fall back to the positive section; an empty
// mask or an empty positive section gives formatGeneral(v). A section without any digit
// placeholder prints just its literal text (e.g. a zero section "-"). Scientific notation is
// not a mask feature here. NaN and the infinities print as in formatGeneral.
//
// Note: "### ###0,##" has no decimal point, so its "," groups and the value is shown as a
// whole number ("1 235" for 1234.56) - a mask meant with decimals must use ".".
std::string formatMask(double v, std::string_view mask);

// ---------------------------------------------------------------------------------------------
// Text to number (user entries)

// Reads a number the user typed. Leading and trailing blanks (space, tab, CR, LF, no-break
// space) are ignored. Accepted: an optional "+" or "-" directly before the digits; integer
// digits, optionally grouped by thousands with single blanks (" ", U+00A0 or U+202F) in the
// strict form 1-3 digits followed by groups of exactly 3 ("1 234 567,5"); one decimal mark,
// "," or "." alike (so "1.5" and "1,5" are both 1.5; "1.234,5" with two marks is rejected);
// "5," and ",5" are accepted. Everything else - letters, exponents, blanks in the fraction, a
// lone sign or mark, an empty text, a value beyond the double range - gives nullopt.
std::optional<double> parseNumber(std::string_view text);

// Optional sign and decimal digits only (after trimming as above); nullopt when anything else
// is present or the value does not fit the type.
std::optional<int64_t> parseInt(std::string_view text);
std::optional<int32_t> parseInt32(std::string_view text);

// ---------------------------------------------------------------------------------------------
// Dates

// Hungarian short form "2026.12.11." (year with four digits, month and day with two).
std::string formatDate(int year, int month, int day);
inline std::string formatDate(const store::Date& d) {
    return formatDate(d.year, d.month, d.day);
}

// Accepts "2026.12.11.", "2026.12.11", "2026. 12. 11." (blanks after the dots) and the ISO
// "2026-12-11", after trimming. The year has four digits, month and day one or two. The date
// must exist in the Gregorian calendar (years 1-9999). Returns {year, month, day}.
std::optional<std::array<int, 3>> parseDate(std::string_view text);
inline std::optional<store::Date> parseDateValue(std::string_view text) {
    auto ymd = parseDate(text);
    if (!ymd) {
        return std::nullopt;
    }
    return store::Date{(*ymd)[0], (*ymd)[1], (*ymd)[2]};
}

// ---------------------------------------------------------------------------------------------
// Windows-1250

// UTF-8 to Windows-1250. A character outside the code page becomes `replacement`, and so does
// each malformed piece of the input (a stray byte, a truncated or overlong sequence, an encoded
// surrogate). The Romanian comma-below letters U+0218-U+021B are written as their cedilla twins
// of the code page (Ş ş Ţ ţ) instead of being lost.
std::string utf8ToCp1250(std::string_view utf8, char replacement = '?');

// Windows-1250 to UTF-8; the five bytes the code page leaves undefined (0x81 0x83 0x88 0x90
// 0x98) become U+FFFD.
std::string cp1250ToUtf8(std::string_view bytes);
// Appends one character (a code point) to a UTF-8 text.
void appendUtf8(std::string& out, char32_t cp);

// ---------------------------------------------------------------------------------------------
// Text files of the exports

// Joins the fields of one CSV line with `sep`. Fields are never quoted; so that no field can
// break the file's structure, every occurrence of `sep`, CR or LF inside a field is written as
// one blank (a CR LF pair as a single blank).
std::string joinCsvLine(const std::vector<std::string>& fields, char sep = kListSeparator);

// Writes the UTF-8 lines in Windows-1250 (unknown characters become "?"), each line ended by
// CR LF, the last one included; a line break inside a line is written as CR LF as well. The
// file is written next to the target under a temporary name and renamed over the target only
// when everything was written, so a failure leaves the previous file (or none) and no
// temporary file behind. Returns false with a description in *error on failure.
// (The rename protects against failed writes, not against power loss: no disk flush is forced.)
bool writeTextFile(const std::filesystem::path& path, const std::vector<std::string>& lines,
                   std::string* error = nullptr);

// Reads a Windows-1250 text file back as UTF-8 lines. CR LF and LF both end a line; a final line
// end does not add an empty line. nullopt (with *error) when the file cannot be read.
std::optional<std::vector<std::string>> readCp1250Lines(const std::filesystem::path& path,
                                                        std::string* error = nullptr);

// ---------------------------------------------------------------------------------------------
// Small text helpers

// Removes ASCII white space (space, tab, CR, LF, VT, FF) from both ends.
std::string trim(std::string_view text);

// Upper-cases ASCII letters and the lower-case letters of the Windows-1250 repertoire
// (Hungarian á é í ó ö ő ú ü ű, and also ä ç č ć ď đ ě ę ë ĺ ľ ł ń ň ô ŕ ř ś š ş ť ţ ů ý ź ž ż
// ă â î ą); ß and everything else, malformed bytes included, are left as they are.
std::string upperHu(std::string_view utf8);

} // namespace store::fmt
