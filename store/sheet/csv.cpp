#include "store/sheet/csv.h"

#include <cctype>

namespace store::sheet {

namespace fs = std::filesystem;

CsvWriter::CsvWriter(CsvOptions options) : options_(options) {}

std::string CsvWriter::number(double v) const {
    std::string s = fmt::formatGeneral(v);
    const char mark = options_.decimalMark == options_.separator ? '.' : options_.decimalMark;
    for (char& c : s) {
        if (c == fmt::kDecimalMark) {
            c = mark;
        }
    }
    return s;
}

std::string CsvWriter::field(const store::Value& v) const {
    if (v.isNull()) {
        return {};
    }
    if (v.isInt()) {
        return fmt::formatInt(v.intValue());
    }
    if (v.isFloat()) {
        return number(v.floatValue());
    }
    return v.textValue();
}

void CsvWriter::addRow(const std::vector<store::Value>& values) {
    std::vector<std::string> fields;
    fields.reserve(values.size());
    for (const store::Value& v : values) {
        fields.push_back(field(v));
    }
    addTextRow(fields);
}

void CsvWriter::addTextRow(const std::vector<std::string>& fields) {
    lines_.push_back(fmt::joinCsvLine(fields, options_.separator));
}

bool CsvWriter::save(const fs::path& file, std::string* error) const {
    return fmt::writeTextFile(file, lines_, error);
}

// ---------------------------------------------------------------------------------------------

CellValue parseEntry(std::string_view text, char decimalMark, bool keepCodes) {
    if (text.empty()) {
        return {};
    }
    if (text.front() == '\'') {
        return CellValue::text(std::string(text.substr(1)));
    }
    const std::string t = fmt::trim(text);
    if (t.empty()) {
        return CellValue::text(std::string(text));
    }
    // a number: digits, one decimal mark of the program's notation, blanks between thousands
    const char otherMark = decimalMark == ',' ? '.' : ',';
    bool numeric = t.find(otherMark) == std::string::npos;
    size_t digits = 0;
    size_t firstDigit = std::string::npos;
    for (size_t i = 0; i < t.size() && numeric; ++i) {
        const unsigned char c = static_cast<unsigned char>(t[i]);
        if (std::isdigit(c)) {
            if (firstDigit == std::string::npos) {
                firstDigit = i;
            }
            ++digits;
        } else if (!(c == static_cast<unsigned char>(decimalMark) || c == ' ' ||
                     ((c == '-' || c == '+') && i == 0))) {
            numeric = false;
        }
    }
    if (numeric && digits > 0) {
        if (auto n = fmt::parseNumber(t)) {
            const bool leadingZero = t[firstDigit] == '0' && firstDigit + 1 < t.size() &&
                                     std::isdigit(static_cast<unsigned char>(t[firstDigit + 1]));
            if (!(keepCodes && (leadingZero || digits > 15))) {
                return CellValue::number(*n);
            }
            return CellValue::text(std::string(text));
        }
    }
    if (auto d = fmt::parseDateValue(t)) {
        return CellValue::date(*d);
    }
    return CellValue::text(std::string(text));
}

namespace {

std::string sheetNameFor(const fs::path& file) {
    std::string name = file.stem().string();
    for (char& c : name) {
        if (std::string_view(":\\/?*[]").find(c) != std::string_view::npos) {
            c = '_';
        }
    }
    name = store::cutToChars(name, 31);
    while (!name.empty() && (name.front() == '\'' || name.back() == '\'')) {
        name = name.front() == '\'' ? name.substr(1) : name.substr(0, name.size() - 1);
    }
    return name.empty() ? std::string("Munka1") : name;
}

} // namespace

Workbook readCsvWorkbook(const fs::path& file, CsvOptions options) {
    std::string error;
    auto lines = fmt::readCp1250Lines(file, &error);
    if (!lines) {
        throw SheetError(error.empty() ? "cannot read " + file.string() : error);
    }
    if (lines->size() > static_cast<size_t>(kMaxRows)) {
        throw SheetError(file.filename().string() + " has more lines than a sheet holds (" +
                         std::to_string(kMaxRows) + ")");
    }
    Workbook book;
    Sheet& sheet = book.addSheet(sheetNameFor(file));
    int row = 0;
    for (const std::string& line : *lines) {
        ++row;
        int col = 0;
        size_t start = 0;
        for (;;) {
            const size_t end = line.find(options.separator, start);
            const std::string_view f =
                std::string_view(line).substr(start, end == std::string::npos ? end : end - start);
            ++col;
            if (col > kMaxColumns) {
                throw SheetError(file.filename().string() + ": line " + std::to_string(row) +
                                 " has more fields than a sheet has columns");
            }
            CellValue v = parseEntry(f, options.decimalMark, true);
            if (!v.isEmpty()) {
                sheet.setValue(row, col, std::move(v));
            }
            if (end == std::string::npos) {
                break;
            }
            start = end + 1;
        }
    }
    return book;
}

void writeCsvSheet(const Sheet& sheet, const fs::path& file, CsvOptions options) {
    CsvWriter w(options);
    const int rows = sheet.lastValueRow();
    const int cols = sheet.lastValueColumn();
    for (int r = 1; r <= rows; ++r) {
        std::vector<std::string> fields;
        for (int c = 1; c <= cols; ++c) {
            const CellValue v = sheet.value(r, c);
            switch (v.kind()) {
            case CellKind::Number:
                fields.push_back(w.number(v.number()));
                break;
            case CellKind::Empty:
                fields.emplace_back();
                break;
            default:
                fields.push_back(v.plainText());
                break;
            }
        }
        w.addTextRow(fields);
    }
    std::string error;
    if (!w.save(file, &error)) {
        throw SheetError(error);
    }
}

} // namespace store::sheet
