// Workbooks held in memory: sheets of cells with their values and formats, array formulas and
// defined names. A workbook is read from and written to .xls files (xls_file.h) and is what the
// copy engine and the spreadsheet automation work on.
//
// Rows and columns are counted from 1, as the spreadsheet programs show them. A sheet has at
// most 65 536 rows and 256 columns (the limits of the .xls format).
#pragma once

#include "store/engine/value.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace store::sheet {

// Every failure of this layer: damaged or foreign files, missing sheets, invalid arguments.
class SheetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr int kMaxRows = 65536;
inline constexpr int kMaxColumns = 256;

// ---------------------------------------------------------------------------------------------
// Cell values

enum class CellKind { Empty, Text, Number, Date };

class CellValue {
public:
    CellValue() = default;
    static CellValue text(std::string t);
    static CellValue number(double v);
    static CellValue date(const store::Date& d);

    CellKind kind() const { return kind_; }
    bool isEmpty() const { return kind_ == CellKind::Empty; }
    const std::string& text() const { return text_; }
    double number() const { return number_; }
    const store::Date& date() const { return date_; }

    // The value as plain text in the program's conventions: numbers in general format with
    // the decimal mark ",", dates as "2026.12.11.", empty as "".
    std::string plainText() const;

    bool operator==(const CellValue& o) const;

private:
    CellKind kind_ = CellKind::Empty;
    double number_ = 0;
    store::Date date_;
    std::string text_;
};

// Days since 1899-12-30, the date numbers of the spreadsheet programs (1900 date system).
double dateSerial(const store::Date& d);
// The calendar day of a date number (its whole part); nullopt outside years 1900-9999.
std::optional<store::Date> dateFromSerial(double serial);

// ---------------------------------------------------------------------------------------------
// Cell formats

enum class HAlign : uint8_t { General, Left, Center, Right };
enum class VAlign : uint8_t { Top, Center, Bottom };
enum class LineWeight : uint8_t { None, Hairline, Thin, Medium, Thick };

// The colour of automatic text (the spreadsheet program's window text).
inline constexpr int32_t kAutomaticColour = -1;

struct Style {
    bool bold = false;
    bool italic = false;
    // The colour as the automation calls give it: red + 256 * green + 65536 * blue
    // (16711680 is blue); kAutomaticColour for the default.
    int32_t colour = kAutomaticColour;
    // The number format in the file's own notation ("#,##0.00", "@", "yyyy\.mm\.dd\.");
    // empty: General. See number_format.h for the program's notation.
    std::string numberFormat;
    HAlign horizontal = HAlign::General;
    VAlign vertical = VAlign::Bottom;
    LineWeight left = LineWeight::None;
    LineWeight right = LineWeight::None;
    LineWeight top = LineWeight::None;
    LineWeight bottom = LineWeight::None;

    bool operator==(const Style&) const = default;
};

// The distinct formats of a workbook; index 0 is the default format.
class StylePool {
public:
    StylePool();
    int intern(const Style& s);
    const Style& at(int index) const { return styles_.at(static_cast<size_t>(index)); }
    int size() const { return static_cast<int>(styles_.size()); }

private:
    std::vector<Style> styles_;
    std::map<std::string, int> index_; // key: serialised style
};

// ---------------------------------------------------------------------------------------------
// Formulas

// An area of one sheet, rows and columns from 1, first <= last.
struct CellArea {
    int firstRow = 1;
    int firstColumn = 1;
    int lastRow = 1;
    int lastColumn = 1;

    bool contains(int row, int column) const {
        return row >= firstRow && row <= lastRow && column >= firstColumn && column <= lastColumn;
    }
    bool operator==(const CellArea&) const = default;
};

// The formulas this layer writes: the sum of one area, "=SUM(F2:F9)". The function name is
// accepted in the spellings of the spreadsheet programs' languages (SUM, SZUM, SUMME), in any
// letter case; "$" marks are allowed.
struct Formula {
    CellArea area;
    std::string text() const; // "=SUM(F2:F9)"
};

// Reads a formula; throws SheetError for anything else than the sum of a cell or an area.
Formula parseFormula(std::string_view text);

// "A" for 1, "Z" for 26, "AA" for 27 ...; "F9" <-> {9, 6}.
std::string columnLetters(int column);
std::string cellName(int row, int column);
// Parses "F9" or "$F$9"; nullopt when it is not a cell inside the sheet limits.
std::optional<std::pair<int, int>> parseCellName(std::string_view text);

// ---------------------------------------------------------------------------------------------
// Sheets

class Workbook;

class Sheet {
public:
    Sheet(const Sheet&) = delete;
    Sheet& operator=(const Sheet&) = delete;

    const std::string& name() const { return name_; }
    Workbook& workbook() const { return *book_; }

    // The used area: the last row and column holding a value, a formula or a format of their
    // own (0 when none).
    int lastRow() const;
    int lastColumn() const;
    // The last row and column holding a value or a formula (formats alone do not count).
    int lastValueRow() const;
    int lastValueColumn() const;
    bool hasValues() const { return lastValueRow() > 0; }

    // ---- values ----
    // The value of a cell; a formula cell gives the formula's value from the current cells.
    CellValue value(int row, int column) const;
    void setValue(int row, int column, CellValue v);
    bool cellExists(int row, int column) const;

    // ---- formats ----
    // The format a cell shows: its own, or for a cell without one the row's, else the
    // column's, else the default.
    const Style& style(int row, int column) const;
    int styleIndex(int row, int column) const;
    void setStyle(int row, int column, const Style& s);
    // The same with a format of the workbook's pool (StylePool::intern); -1: none of its own.
    void setStyleIndex(int row, int column, int index);
    // Formats of whole rows and columns; cells created later take them (the row's first).
    const Style* rowStyle(int row) const;
    const Style* columnStyle(int column) const;
    void setRowStyle(int row, const Style& s);
    void setColumnStyle(int column, const Style& s);
    int rowStyleIndex(int row) const;       // -1: none
    int columnStyleIndex(int column) const; // -1: none

    // ---- formulas ----
    // An array formula in one cell; its value is worked out when the workbook is written and
    // by value() / formulaValue().
    void setArrayFormula(int row, int column, const Formula& f);
    const Formula* formula(int row, int column) const;
    double formulaValue(const Formula& f) const;

    // ---- sizes ----
    // Row height in points; nullopt: the default height.
    std::optional<double> rowHeight(int row) const;
    void setRowHeight(int row, double points);
    // Column width in characters of the default font; nullopt: the default width.
    std::optional<double> columnWidth(int column) const;
    void setColumnWidth(int column, double characters);
    // Sets the width from the widest shown value of the column (the text each cell shows
    // with its format, wider for bold text); a column without values keeps its width.
    void autoFitColumn(int column);

    // ---- for the file writer ----
    struct Cell {
        CellValue value;
        int style = -1; // -1: none of its own
        bool exists = false;
    };
    // Row `row` (from 1) as stored: cells from column 1; empty when the row has no cell.
    const std::vector<Cell>& rowCells(int row) const;
    const std::map<int, double>& rowHeights() const { return rowHeights_; }
    const std::map<int, double>& columnWidths() const { return columnWidths_; }
    const std::map<int, int>& rowStyles() const { return rowStyles_; }
    const std::map<int, int>& columnStyles() const { return columnStyles_; }
    const std::map<std::pair<int, int>, Formula>& formulas() const { return formulas_; }

private:
    friend class Workbook;
    Sheet(Workbook* book, std::string name) : book_(book), name_(std::move(name)) {}
    Cell& cellAt(int row, int column); // creates it
    int inheritedStyle(int row, int column) const;

    Workbook* book_;
    std::string name_;
    std::vector<std::vector<Cell>> rows_; // rows_[r-1][c-1]
    std::map<int, double> rowHeights_;
    std::map<int, double> columnWidths_;
    std::map<int, int> rowStyles_;
    std::map<int, int> columnStyles_;
    std::map<std::pair<int, int>, Formula> formulas_;
};

// ---------------------------------------------------------------------------------------------
// Workbooks

// A defined name of the workbook ("a table named import"): an area of one sheet.
struct DefinedName {
    std::string name;
    int sheet = 0;  // index of the sheet the area is on
    int scope = -1; // -1: the whole workbook; otherwise the index of the sheet it belongs to
    CellArea area;
};

class Workbook {
public:
    Workbook();
    ~Workbook();
    Workbook(Workbook&&) noexcept;
    Workbook& operator=(Workbook&&) noexcept;

    // Reads an .xls workbook (BIFF5 or BIFF8); throws SheetError.
    static Workbook open(const std::filesystem::path& file);
    // Writes the workbook as .xls (BIFF8) next to `file` under a temporary name and renames it
    // over `file` when complete; throws SheetError. A workbook without sheets cannot be
    // written.
    void save(const std::filesystem::path& file) const;

    int sheetCount() const { return static_cast<int>(sheets_.size()); }
    Sheet& sheet(int index);
    const Sheet& sheet(int index) const;
    // Sheet names are matched without regard to letter case, as the spreadsheet programs do.
    Sheet* findSheet(std::string_view name);
    const Sheet* findSheet(std::string_view name) const;
    int sheetIndex(std::string_view name) const; // -1 when absent
    // Appends a sheet. Names have 1 to 31 characters, none of : \ / ? * [ ], and differ from
    // the other sheets' names.
    Sheet& addSheet(const std::string& name);
    static void checkSheetName(std::string_view name);

    const std::vector<DefinedName>& names() const { return names_; }
    // Adds or replaces a defined name; names are letters, digits, "_" and "." and do not
    // start with a digit.
    void defineName(DefinedName n);
    // The workbook-wide name first, then a sheet's own name of that spelling.
    const DefinedName* findName(std::string_view name) const;

    // The area a copy statement means by `name`: a defined name of that spelling, else the
    // used area of the sheet of that name ("name$" also names the sheet). Throws SheetError
    // when there is neither.
    struct TableArea {
        const Sheet* sheet = nullptr;
        CellArea area;
        bool fromName = false;
    };
    TableArea tableArea(std::string_view name) const;

    StylePool& styles() { return *styles_; }
    const StylePool& styles() const { return *styles_; }

    // The country code written into the file (the spreadsheet application's setting).
    int countryCode() const { return countryCode_; }
    void setCountryCode(int code) { countryCode_ = code; }

    // A workbook read from a file may hold content this layer does not keep (charts,
    // pictures, comments, macros). Writing it would lose that, so save() refuses such a
    // workbook; the reason is empty when nothing would be lost.
    const std::string& notRewritable() const { return notRewritable_; }
    void setNotRewritable(std::string reason) { notRewritable_ = std::move(reason); }

private:
    friend class XlsReader;
    // A sheet of a file read in: its name is taken as the file has it.
    Sheet& appendSheet(std::string name);

    std::vector<std::unique_ptr<Sheet>> sheets_;
    std::vector<DefinedName> names_;
    std::unique_ptr<StylePool> styles_;
    int countryCode_ = 36;
    std::string notRewritable_;
};

// Writes bytes next to `file` under a temporary name and renames it over `file`; a failure
// leaves the previous file (or none) and no temporary file. Throws SheetError.
void writeFileAtomically(const std::filesystem::path& file, const std::string& bytes);

} // namespace store::sheet
