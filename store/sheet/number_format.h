// Number formats of spreadsheet cells.
//
// The formats the program gives for its exports are written in the program's notation: a blank
// between digit placeholders groups the thousands and the program's decimal mark (the setting
// "Tizedesjel", "," by default) separates the decimals: "# ##0,00", "### ###", "### ##0,0",
// "# ##0", and "@" for text. Files hold the spreadsheet programs' own notation, which does not
// depend on the language: "," groups and "." separates decimals ("#,##0.00"); every program
// shows it with its user's separators.
#pragma once

#include "store/sheet/workbook.h"

#include <string>
#include <string_view>

namespace store::sheet {

// The format code dates are written with: "2026.12.11.".
inline constexpr std::string_view kDateFormat = "yyyy\\.mm\\.dd\\.";

// Program notation -> file notation. "@", "General" and date or time formats pass unchanged;
// in a number format the first `decimalMark` (or, when the format has none, the first ".")
// separates the decimals, blanks and other marks between the integer placeholders ask for
// grouped thousands, and any other character is kept as literal text. Sections separated by
// ";" are translated one by one.
std::string fileNumberFormat(std::string_view programFormat, char decimalMark = ',');

// A format code (file notation) that shows dates or times: it holds y, m, d, h or s outside
// quotes, escapes and colour brackets.
bool isDateFormat(std::string_view fileFormat);

// The text a cell shows in the program's conventions ("1 234,50" for 1234.5 under
// "#,##0.00", "2026.12.11." for a date), as the column auto-fit measures it.
std::string displayText(const CellValue& v, std::string_view fileFormat);

} // namespace store::sheet
