// Delimited text files of the exports: Windows-1250, CR LF line ends, fields joined by the list
// separator without quotes, numbers in their plain text form with the decimal mark of the
// settings. Every export of the program writes through CsvWriter.
#pragma once

#include "store/engine/value.h"
#include "store/format/format.h"
#include "store/sheet/workbook.h"

#include <filesystem>
#include <string>
#include <vector>

namespace store::sheet {

struct CsvOptions {
    char separator = fmt::kListSeparator; // the setting "Listaelvalaszto": ';' or ','
    char decimalMark = fmt::kDecimalMark; // the setting "Tizedesjel"
};

class CsvWriter {
public:
    explicit CsvWriter(CsvOptions options = {});

    // One line from field values: null gives an empty field, integers their decimal digits,
    // floats the general format (up to 15 significant digits) with the decimal mark, texts
    // themselves. When the decimal mark equals the list separator, numbers are written with
    // "." so that they stay one field each. A separator, CR or LF inside a text becomes a
    // blank (fmt::joinCsvLine).
    void addRow(const std::vector<store::Value>& values);
    // One line of ready texts.
    void addTextRow(const std::vector<std::string>& fields);

    std::string field(const store::Value& v) const;
    std::string number(double v) const;
    const std::vector<std::string>& lines() const { return lines_; }
    const CsvOptions& options() const { return options_; }

    // Writes the lines (fmt::writeTextFile: Windows-1250, CR LF, a temporary file renamed
    // over the target). Returns false with a description in *error on failure.
    bool save(const std::filesystem::path& file, std::string* error = nullptr) const;

private:
    CsvOptions options_;
    std::vector<std::string> lines_;
};

// A cell read from a text: "'01" is the text "01"; a number in the program's notation (with
// `decimalMark` and blanks between thousands) becomes a number, a date such as "2026.12.11."
// a date; everything else stays text. With keepCodes, digits with a leading zero ("0012") and
// numbers of more than 15 digits stay text, so that part codes keep every digit.
CellValue parseEntry(std::string_view text, char decimalMark, bool keepCodes);

// A delimited file as a workbook of one sheet named after the file.
Workbook readCsvWorkbook(const std::filesystem::path& file, CsvOptions options = {});
// The values of a sheet as a delimited file (formats are not kept). Throws SheetError.
void writeCsvSheet(const Sheet& sheet, const std::filesystem::path& file, CsvOptions options = {});

} // namespace store::sheet
