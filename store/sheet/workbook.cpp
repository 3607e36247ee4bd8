#include "store/sheet/workbook.h"

#include "store/engine/schema.h"
#include "store/format/format.h"
#include "store/sheet/number_format.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>

namespace store::sheet {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------------------------
// Cell values

CellValue CellValue::text(std::string t) {
    CellValue v;
    if (!t.empty()) {
        v.kind_ = CellKind::Text;
        v.text_ = std::move(t);
    }
    return v;
}

CellValue CellValue::number(double n) {
    CellValue v;
    if (std::isfinite(n)) {
        v.kind_ = CellKind::Number;
        v.number_ = n;
    }
    return v;
}

CellValue CellValue::date(const store::Date& d) {
    CellValue v;
    if (d.valid()) {
        v.kind_ = CellKind::Date;
        v.date_ = d;
    }
    return v;
}

std::string CellValue::plainText() const {
    switch (kind_) {
    case CellKind::Text:
        return text_;
    case CellKind::Number:
        return fmt::formatGeneral(number_);
    case CellKind::Date:
        return fmt::formatDate(date_);
    case CellKind::Empty:
        break;
    }
    return {};
}

bool CellValue::operator==(const CellValue& o) const {
    if (kind_ != o.kind_) {
        return false;
    }
    switch (kind_) {
    case CellKind::Text:
        return text_ == o.text_;
    case CellKind::Number:
        return number_ == o.number_;
    case CellKind::Date:
        return date_ == o.date_;
    case CellKind::Empty:
        break;
    }
    return true;
}

namespace {
const int64_t kSerialBase = store::Date{1899, 12, 30}.toDays();
const int64_t kFirstOfMarch1900 = store::Date{1900, 3, 1}.toDays();
} // namespace

double dateSerial(const store::Date& d) {
    const int64_t days = d.toDays();
    // The spreadsheet programs count a 29 February 1900 that never was: serial 60.
    return static_cast<double>(days < kFirstOfMarch1900 ? days - kSerialBase - 1
                                                        : days - kSerialBase);
}

std::optional<store::Date> dateFromSerial(double serial) {
    if (!std::isfinite(serial) || serial < 1 || serial >= 2958466) {
        return std::nullopt;
    }
    auto whole = static_cast<int64_t>(std::floor(serial));
    if (whole == 60) {
        return store::Date{1900, 2, 28}; // the day that never was reads as the day before
    }
    if (whole < 60) {
        ++whole;
    }
    return store::Date::fromDays(kSerialBase + whole);
}

// ---------------------------------------------------------------------------------------------
// Styles

namespace {

std::string styleKey(const Style& s) {
    std::string k;
    k += s.bold ? 'B' : 'b';
    k += s.italic ? 'I' : 'i';
    k += std::to_string(s.colour);
    k += '|';
    k += static_cast<char>('0' + static_cast<int>(s.horizontal));
    k += static_cast<char>('0' + static_cast<int>(s.vertical));
    k += static_cast<char>('0' + static_cast<int>(s.left));
    k += static_cast<char>('0' + static_cast<int>(s.right));
    k += static_cast<char>('0' + static_cast<int>(s.top));
    k += static_cast<char>('0' + static_cast<int>(s.bottom));
    k += '|';
    k += s.numberFormat;
    return k;
}

} // namespace

StylePool::StylePool() {
    styles_.emplace_back();
    index_.emplace(styleKey(styles_.front()), 0);
}

int StylePool::intern(const Style& s) {
    std::string key = styleKey(s);
    auto it = index_.find(key);
    if (it != index_.end()) {
        return it->second;
    }
    const int i = static_cast<int>(styles_.size());
    styles_.push_back(s);
    index_.emplace(std::move(key), i);
    return i;
}

// ---------------------------------------------------------------------------------------------
// Cell names and formulas

std::string columnLetters(int column) {
    std::string s;
    while (column > 0) {
        const int r = (column - 1) % 26;
        s.insert(s.begin(), static_cast<char>('A' + r));
        column = (column - 1) / 26;
    }
    return s;
}

std::string cellName(int row, int column) {
    return columnLetters(column) + std::to_string(row);
}

std::optional<std::pair<int, int>> parseCellName(std::string_view text) {
    size_t i = 0;
    if (i < text.size() && text[i] == '$') {
        ++i;
    }
    int column = 0;
    size_t letters = 0;
    while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]))) {
        column = column * 26 + (std::toupper(static_cast<unsigned char>(text[i])) - 'A' + 1);
        ++i;
        if (++letters > 3) {
            return std::nullopt;
        }
    }
    if (letters == 0) {
        return std::nullopt;
    }
    if (i < text.size() && text[i] == '$') {
        ++i;
    }
    int row = 0;
    size_t digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        row = row * 10 + (text[i] - '0');
        ++i;
        if (++digits > 5) {
            return std::nullopt;
        }
    }
    if (digits == 0 || i != text.size() || row < 1 || row > kMaxRows || column > kMaxColumns) {
        return std::nullopt;
    }
    return std::make_pair(row, column);
}

std::string Formula::text() const {
    std::string s = "=SUM(" + cellName(area.firstRow, area.firstColumn);
    if (area.lastRow != area.firstRow || area.lastColumn != area.firstColumn) {
        s += ':' + cellName(area.lastRow, area.lastColumn);
    }
    return s + ')';
}

Formula parseFormula(std::string_view text) {
    auto fail = [&]() -> Formula {
        throw SheetError("unsupported formula \"" + std::string(text) +
                         "\" (only the sum of a cell or an area is supported)");
    };
    std::string t;
    for (char c : text) {
        if (c != ' ') {
            t += c;
        }
    }
    if (t.empty() || t[0] != '=') {
        return fail();
    }
    const size_t open = t.find('(');
    if (open == std::string::npos || t.back() != ')') {
        return fail();
    }
    const std::string fn = lowerAscii(t.substr(1, open - 1));
    if (fn != "sum" && fn != "szum" && fn != "summe") {
        return fail();
    }
    const std::string args = t.substr(open + 1, t.size() - open - 2);
    const size_t colon = args.find(':');
    auto first = parseCellName(args.substr(0, colon));
    auto last = colon == std::string::npos ? first : parseCellName(args.substr(colon + 1));
    if (!first || !last) {
        return fail();
    }
    Formula f;
    f.area.firstRow = std::min(first->first, last->first);
    f.area.lastRow = std::max(first->first, last->first);
    f.area.firstColumn = std::min(first->second, last->second);
    f.area.lastColumn = std::max(first->second, last->second);
    return f;
}

// ---------------------------------------------------------------------------------------------
// Sheets

namespace {

void checkCell(int row, int column) {
    if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) {
        throw SheetError("cell row " + std::to_string(row) + ", column " + std::to_string(column) +
                         " is outside the sheet (at most " + std::to_string(kMaxRows) +
                         " rows and " + std::to_string(kMaxColumns) + " columns)");
    }
}

const CellValue kEmptyValue;
const std::vector<Sheet::Cell> kNoCells;

} // namespace

Sheet::Cell& Sheet::cellAt(int row, int column) {
    checkCell(row, column);
    if (rows_.size() < static_cast<size_t>(row)) {
        rows_.resize(static_cast<size_t>(row));
    }
    auto& r = rows_[static_cast<size_t>(row - 1)];
    if (r.size() < static_cast<size_t>(column)) {
        r.resize(static_cast<size_t>(column));
    }
    Cell& c = r[static_cast<size_t>(column - 1)];
    if (!c.exists) {
        c.exists = true;
        c.style = inheritedStyle(row, column);
    }
    return c;
}

int Sheet::inheritedStyle(int row, int column) const {
    if (auto it = rowStyles_.find(row); it != rowStyles_.end()) {
        return it->second;
    }
    if (auto it = columnStyles_.find(column); it != columnStyles_.end()) {
        return it->second;
    }
    return -1;
}

const std::vector<Sheet::Cell>& Sheet::rowCells(int row) const {
    if (row < 1 || static_cast<size_t>(row) > rows_.size()) {
        return kNoCells;
    }
    return rows_[static_cast<size_t>(row - 1)];
}

bool Sheet::cellExists(int row, int column) const {
    const auto& r = rowCells(row);
    return column >= 1 && static_cast<size_t>(column) <= r.size() &&
           r[static_cast<size_t>(column - 1)].exists;
}

int Sheet::lastRow() const {
    for (size_t r = rows_.size(); r > 0; --r) {
        for (const Cell& c : rows_[r - 1]) {
            if (c.exists) {
                return static_cast<int>(r);
            }
        }
    }
    return 0;
}

int Sheet::lastColumn() const {
    size_t last = 0;
    for (const auto& r : rows_) {
        for (size_t c = r.size(); c > last; --c) {
            if (r[c - 1].exists) {
                last = c;
                break;
            }
        }
    }
    return static_cast<int>(last);
}

int Sheet::lastValueRow() const {
    for (size_t r = rows_.size(); r > 0; --r) {
        for (size_t c = 0; c < rows_[r - 1].size(); ++c) {
            if (!rows_[r - 1][c].value.isEmpty() ||
                formulas_.count({static_cast<int>(r), static_cast<int>(c + 1)}) > 0) {
                return static_cast<int>(r);
            }
        }
    }
    return 0;
}

int Sheet::lastValueColumn() const {
    size_t last = 0;
    for (size_t r = 0; r < rows_.size(); ++r) {
        const auto& row = rows_[r];
        for (size_t c = row.size(); c > last; --c) {
            if (!row[c - 1].value.isEmpty() ||
                formulas_.count({static_cast<int>(r + 1), static_cast<int>(c)}) > 0) {
                last = c;
                break;
            }
        }
    }
    return static_cast<int>(last);
}

CellValue Sheet::value(int row, int column) const {
    if (const Formula* f = formula(row, column)) {
        return CellValue::number(formulaValue(*f));
    }
    const auto& r = rowCells(row);
    if (column < 1 || static_cast<size_t>(column) > r.size()) {
        return kEmptyValue;
    }
    return r[static_cast<size_t>(column - 1)].value;
}

void Sheet::setValue(int row, int column, CellValue v) {
    Cell& c = cellAt(row, column);
    c.value = std::move(v);
    formulas_.erase({row, column});
}

const Style& Sheet::style(int row, int column) const {
    return book_->styles().at(std::max(styleIndex(row, column), 0));
}

int Sheet::styleIndex(int row, int column) const {
    const auto& r = rowCells(row);
    if (column >= 1 && static_cast<size_t>(column) <= r.size() &&
        r[static_cast<size_t>(column - 1)].exists) {
        return r[static_cast<size_t>(column - 1)].style;
    }
    return inheritedStyle(row, column);
}

void Sheet::setStyle(int row, int column, const Style& s) {
    Cell& c = cellAt(row, column);
    c.style = book_->styles().intern(s);
}

void Sheet::setStyleIndex(int row, int column, int index) {
    if (index < -1 || index >= book_->styles().size()) {
        throw SheetError("invalid cell format");
    }
    Cell& c = cellAt(row, column);
    c.style = index;
}

const Style* Sheet::rowStyle(int row) const {
    auto it = rowStyles_.find(row);
    return it == rowStyles_.end() ? nullptr : &book_->styles().at(it->second);
}

const Style* Sheet::columnStyle(int column) const {
    auto it = columnStyles_.find(column);
    return it == columnStyles_.end() ? nullptr : &book_->styles().at(it->second);
}

int Sheet::rowStyleIndex(int row) const {
    auto it = rowStyles_.find(row);
    return it == rowStyles_.end() ? -1 : it->second;
}

int Sheet::columnStyleIndex(int column) const {
    auto it = columnStyles_.find(column);
    return it == columnStyles_.end() ? -1 : it->second;
}

void Sheet::setRowStyle(int row, const Style& s) {
    checkCell(row, 1);
    rowStyles_[row] = book_->styles().intern(s);
}

void Sheet::setColumnStyle(int column, const Style& s) {
    checkCell(1, column);
    columnStyles_[column] = book_->styles().intern(s);
}

void Sheet::setArrayFormula(int row, int column, const Formula& f) {
    checkCell(f.area.firstRow, f.area.firstColumn);
    checkCell(f.area.lastRow, f.area.lastColumn);
    if (f.area.contains(row, column)) {
        throw SheetError("the formula " + f.text() + " in " + cellName(row, column) +
                         " refers to its own cell");
    }
    Cell& c = cellAt(row, column);
    c.value = CellValue();
    formulas_[{row, column}] = f;
}

const Formula* Sheet::formula(int row, int column) const {
    auto it = formulas_.find({row, column});
    return it == formulas_.end() ? nullptr : &it->second;
}

double Sheet::formulaValue(const Formula& f) const {
    double sum = 0;
    const int lastR = std::min(f.area.lastRow, static_cast<int>(rows_.size()));
    for (int r = f.area.firstRow; r <= lastR; ++r) {
        const auto& row = rows_[static_cast<size_t>(r - 1)];
        const int lastC = std::min(f.area.lastColumn, static_cast<int>(row.size()));
        for (int c = f.area.firstColumn; c <= lastC; ++c) {
            if (const Formula* inner = formula(r, c)) {
                if (!(inner->area == f.area)) {
                    sum += formulaValue(*inner);
                }
                continue;
            }
            const CellValue& v = row[static_cast<size_t>(c - 1)].value;
            if (v.kind() == CellKind::Number) {
                sum += v.number();
            } else if (v.kind() == CellKind::Date) {
                sum += dateSerial(v.date());
            }
        }
    }
    return sum;
}

std::optional<double> Sheet::rowHeight(int row) const {
    auto it = rowHeights_.find(row);
    return it == rowHeights_.end() ? std::nullopt : std::optional<double>(it->second);
}

void Sheet::setRowHeight(int row, double points) {
    checkCell(row, 1);
    if (!(points >= 0 && points <= 409)) {
        throw SheetError("row height " + fmt::formatGeneral(points) +
                         " is outside 0 to 409 points");
    }
    rowHeights_[row] = points;
}

std::optional<double> Sheet::columnWidth(int column) const {
    auto it = columnWidths_.find(column);
    return it == columnWidths_.end() ? std::nullopt : std::optional<double>(it->second);
}

void Sheet::setColumnWidth(int column, double characters) {
    checkCell(1, column);
    if (!(characters >= 0 && characters <= 255)) {
        throw SheetError("column width " + fmt::formatGeneral(characters) +
                         " is outside 0 to 255 characters");
    }
    columnWidths_[column] = characters;
}

void Sheet::autoFitColumn(int column) {
    checkCell(1, column);
    double widest = 0;
    const int last = static_cast<int>(rows_.size());
    for (int r = 1; r <= last; ++r) {
        if (!cellExists(r, column)) {
            continue;
        }
        const CellValue v = value(r, column);
        if (v.isEmpty()) {
            continue;
        }
        const Style& s = style(r, column);
        const std::string shown = displayText(v, s.numberFormat);
        double w = static_cast<double>(store::charCount(shown));
        if (s.bold) {
            w *= 1.12;
        }
        widest = std::max(widest, w);
    }
    if (widest > 0) {
        // a little room on both sides of the widest value, as the spreadsheet programs leave
        columnWidths_[column] = std::min(255.0, std::ceil((widest + 1.3) * 4) / 4);
    }
}

// ---------------------------------------------------------------------------------------------
// Workbooks

Workbook::Workbook() : styles_(std::make_unique<StylePool>()) {}
Workbook::~Workbook() = default;

Workbook::Workbook(Workbook&& o) noexcept
    : sheets_(std::move(o.sheets_)), names_(std::move(o.names_)), styles_(std::move(o.styles_)),
      countryCode_(o.countryCode_), notRewritable_(std::move(o.notRewritable_)) {
    for (auto& s : sheets_) {
        s->book_ = this;
    }
    o.styles_ = std::make_unique<StylePool>();
}

Workbook& Workbook::operator=(Workbook&& o) noexcept {
    if (this != &o) {
        sheets_ = std::move(o.sheets_);
        names_ = std::move(o.names_);
        styles_ = std::move(o.styles_);
        countryCode_ = o.countryCode_;
        notRewritable_ = std::move(o.notRewritable_);
        for (auto& s : sheets_) {
            s->book_ = this;
        }
        o.styles_ = std::make_unique<StylePool>();
    }
    return *this;
}

Sheet& Workbook::sheet(int index) {
    if (index < 0 || index >= sheetCount()) {
        throw SheetError("the workbook has no sheet number " + std::to_string(index + 1));
    }
    return *sheets_[static_cast<size_t>(index)];
}

const Sheet& Workbook::sheet(int index) const {
    return const_cast<Workbook*>(this)->sheet(index);
}

int Workbook::sheetIndex(std::string_view name) const {
    const std::string wanted = fmt::upperHu(name);
    for (size_t i = 0; i < sheets_.size(); ++i) {
        if (fmt::upperHu(sheets_[i]->name()) == wanted) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

Sheet* Workbook::findSheet(std::string_view name) {
    const int i = sheetIndex(name);
    return i < 0 ? nullptr : sheets_[static_cast<size_t>(i)].get();
}

const Sheet* Workbook::findSheet(std::string_view name) const {
    const int i = sheetIndex(name);
    return i < 0 ? nullptr : sheets_[static_cast<size_t>(i)].get();
}

void Workbook::checkSheetName(std::string_view name) {
    const size_t n = store::charCount(name);
    if (n == 0 || n > 31) {
        throw SheetError("invalid sheet name \"" + std::string(name) +
                         "\": a sheet name has 1 to 31 characters");
    }
    if (name.find_first_of(":\\/?*[]") != std::string_view::npos) {
        throw SheetError("invalid sheet name \"" + std::string(name) +
                         "\": it may not contain : \\ / ? * [ ]");
    }
    if (name.front() == '\'' || name.back() == '\'') {
        throw SheetError("invalid sheet name \"" + std::string(name) +
                         "\": it may not begin or end with an apostrophe");
    }
}

Sheet& Workbook::addSheet(const std::string& name) {
    checkSheetName(name);
    if (sheetIndex(name) >= 0) {
        throw SheetError("the workbook already has a sheet named \"" + name + "\"");
    }
    sheets_.push_back(std::unique_ptr<Sheet>(new Sheet(this, name)));
    return *sheets_.back();
}

Sheet& Workbook::appendSheet(std::string name) {
    sheets_.push_back(std::unique_ptr<Sheet>(new Sheet(this, std::move(name))));
    return *sheets_.back();
}

void Workbook::defineName(DefinedName n) {
    bool valid = !n.name.empty() && n.name.size() <= 255 &&
                 !std::isdigit(static_cast<unsigned char>(n.name[0])) && n.name[0] != '.';
    for (unsigned char c : n.name) {
        valid = valid && (std::isalnum(c) || c == '_' || c == '.' || c == '\\' || c >= 0x80);
    }
    if (!valid || parseCellName(n.name)) {
        throw SheetError("invalid name \"" + n.name + "\" for an area of a workbook");
    }
    if (n.sheet < 0 || n.sheet >= sheetCount() || n.scope < -1 || n.scope >= sheetCount()) {
        throw SheetError("the name \"" + n.name + "\" refers to a sheet the workbook lacks");
    }
    checkCell(n.area.firstRow, n.area.firstColumn);
    checkCell(n.area.lastRow, n.area.lastColumn);
    for (auto& existing : names_) {
        if (existing.scope == n.scope && equalsNoCase(existing.name, n.name)) {
            existing = std::move(n);
            return;
        }
    }
    names_.push_back(std::move(n));
}

const DefinedName* Workbook::findName(std::string_view name) const {
    const DefinedName* local = nullptr;
    for (const auto& n : names_) {
        if (fmt::upperHu(n.name) == fmt::upperHu(name)) {
            if (n.scope < 0) {
                return &n;
            }
            if (local == nullptr) {
                local = &n;
            }
        }
    }
    return local;
}

Workbook::TableArea Workbook::tableArea(std::string_view name) const {
    TableArea t;
    if (const DefinedName* n = findName(name)) {
        t.sheet = sheets_[static_cast<size_t>(n->sheet)].get();
        t.area = n->area;
        t.fromName = true;
        return t;
    }
    const Sheet* s = findSheet(name);
    if (s == nullptr && !name.empty() && name.back() == '$') {
        s = findSheet(name.substr(0, name.size() - 1));
    }
    if (s == nullptr) {
        throw SheetError("the workbook has no sheet or named area \"" + std::string(name) + "\"");
    }
    t.sheet = s;
    t.area = CellArea{1, 1, std::max(s->lastValueRow(), 1), std::max(s->lastValueColumn(), 1)};
    return t;
}

// ---------------------------------------------------------------------------------------------

void writeFileAtomically(const fs::path& file, const std::string& bytes) {
    thread_local std::mt19937_64 rng{std::random_device{}()};
    fs::path tmp = file;
    tmp += ".tmp" + std::to_string(rng() % 100000000);
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) {
            throw SheetError("cannot write " + file.string() + ": the folder is missing or " +
                             "not writable");
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ec;
            fs::remove(tmp, ec);
            throw SheetError("cannot write " + file.string() + ": the disk is full or failing");
        }
    }
    std::error_code ec;
    fs::rename(tmp, file, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(tmp, ignored);
        throw SheetError("cannot write " + file.string() + ": " + ec.message());
    }
}

} // namespace store::sheet
