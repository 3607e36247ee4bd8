#include "store/sheet/application.h"

#include "store/engine/schema.h"
#include "store/sheet/csv.h"
#include "store/sheet/number_format.h"

#include <algorithm>
#include <random>

namespace store::sheet {

namespace fs = std::filesystem;

std::string sumFunction(int countryCode) {
    if (countryCode == 36) {
        return "=Szum(";
    }
    if (countryCode == 49) {
        return "=Summe(";
    }
    return "=Sum(";
}

// ---------------------------------------------------------------------------------------------
// Range

Range::Range(Application* app, OpenWorkbook* book, Sheet* sheet, Kind kind, int r1, int c1, int r2,
             int c2)
    : app_(app), book_(book), sheet_(sheet), kind_(kind), firstRow_(std::min(r1, r2)),
      firstColumn_(std::min(c1, c2)), lastRow_(std::max(r1, r2)), lastColumn_(std::max(c1, c2)) {
    if (firstRow_ < 1 || lastRow_ > kMaxRows || firstColumn_ < 1 || lastColumn_ > kMaxColumns) {
        throw SheetError("the range " +
                         cellName(std::max(firstRow_, 1), std::max(firstColumn_, 1)) +
                         " lies outside the sheet");
    }
}

void Range::touch() {
    book_->markModified();
}

void Range::select() {
    app_->selBook_ = book_;
    app_->selSheet_ = sheet_;
    app_->selKind_ = static_cast<int>(kind_);
    app_->sel_[0] = firstRow_;
    app_->sel_[1] = firstColumn_;
    app_->sel_[2] = lastRow_;
    app_->sel_[3] = lastColumn_;
    app_->active_[0] = firstRow_;
    app_->active_[1] = firstColumn_;
}

CellValue Range::value() const {
    return sheet_->value(firstRow_, firstColumn_);
}

std::string Range::text() const {
    return displayText(value(), sheet_->style(firstRow_, firstColumn_).numberFormat);
}

void Range::setValue(const CellValue& v) {
    if (kind_ != Kind::Cells) {
        throw SheetError("values are written into cells, not into whole rows or columns");
    }
    touch();
    for (int r = firstRow_; r <= lastRow_; ++r) {
        for (int c = firstColumn_; c <= lastColumn_; ++c) {
            sheet_->setValue(r, c, v);
        }
    }
}

void Range::setValue(std::string_view entry) {
    if (kind_ != Kind::Cells) {
        throw SheetError("values are written into cells, not into whole rows or columns");
    }
    touch();
    for (int r = firstRow_; r <= lastRow_; ++r) {
        for (int c = firstColumn_; c <= lastColumn_; ++c) {
            const bool asText =
                sheet_->style(r, c).numberFormat == "@" && !entry.empty() && entry.front() != '\'';
            sheet_->setValue(r, c,
                             asText ? CellValue::text(std::string(entry))
                                    : parseEntry(entry, app_->settings().decimalMark, false));
        }
    }
}

template <class Fn> void Range::applyStyle(Fn change) {
    touch();
    auto cell = [&](int r, int c) {
        Style s = sheet_->style(r, c);
        change(s);
        sheet_->setStyle(r, c, s);
    };
    switch (kind_) {
    case Kind::Cells:
        for (int r = firstRow_; r <= lastRow_; ++r) {
            for (int c = firstColumn_; c <= lastColumn_; ++c) {
                cell(r, c);
            }
        }
        break;
    case Kind::Rows:
        for (int r = firstRow_; r <= lastRow_; ++r) {
            Style s = sheet_->rowStyle(r) ? *sheet_->rowStyle(r) : Style{};
            change(s);
            sheet_->setRowStyle(r, s);
            const auto& cells = sheet_->rowCells(r);
            for (size_t c = 0; c < cells.size(); ++c) {
                if (cells[c].exists) {
                    cell(r, static_cast<int>(c) + 1);
                }
            }
        }
        break;
    case Kind::Columns: {
        const int rows = sheet_->lastRow();
        for (int c = firstColumn_; c <= lastColumn_; ++c) {
            Style s = sheet_->columnStyle(c) ? *sheet_->columnStyle(c) : Style{};
            change(s);
            sheet_->setColumnStyle(c, s);
            for (int r = 1; r <= rows; ++r) {
                if (sheet_->cellExists(r, c)) {
                    cell(r, c);
                }
            }
        }
        break;
    }
    }
}

RangeFont Range::font() const {
    return RangeFont(*this);
}

bool RangeFont::bold() const {
    return range_.sheet_->style(range_.firstRow_, range_.firstColumn_).bold;
}

int32_t RangeFont::color() const {
    const int32_t c = range_.sheet_->style(range_.firstRow_, range_.firstColumn_).colour;
    return c == kAutomaticColour ? 0 : c;
}

void RangeFont::setBold(bool on) {
    range_.applyStyle([on](Style& s) { s.bold = on; });
}

void RangeFont::setItalic(bool on) {
    range_.applyStyle([on](Style& s) { s.italic = on; });
}

void RangeFont::setColor(int32_t colour) {
    if (colour < 0 || colour > 0xFFFFFF) {
        throw SheetError("invalid colour " + std::to_string(colour));
    }
    range_.applyStyle([colour](Style& s) { s.colour = colour; });
}

void Range::setNumberFormat(std::string_view programFormat) {
    const std::string code = fileNumberFormat(programFormat, app_->settings().decimalMark);
    applyStyle([&code](Style& s) { s.numberFormat = equalsNoCase(code, "General") ? "" : code; });
}

std::string Range::numberFormat() const {
    return sheet_->style(firstRow_, firstColumn_).numberFormat;
}

void Range::setHorizontalAlignment(int constant) {
    HAlign a;
    switch (constant) {
    case xl::General:
        a = HAlign::General;
        break;
    case xl::Left:
        a = HAlign::Left;
        break;
    case xl::Center:
    case 7: // centre across the selection
        a = HAlign::Center;
        break;
    case xl::Right:
        a = HAlign::Right;
        break;
    default:
        throw SheetError("unsupported horizontal alignment " + std::to_string(constant));
    }
    applyStyle([a](Style& s) { s.horizontal = a; });
}

void Range::setVerticalAlignment(int constant) {
    VAlign a;
    switch (constant) {
    case xl::Top:
    case 1:
        a = VAlign::Top;
        break;
    case xl::Center:
    case 2:
        a = VAlign::Center;
        break;
    case xl::Bottom:
    case 3:
        a = VAlign::Bottom;
        break;
    default:
        throw SheetError("unsupported vertical alignment " + std::to_string(constant));
    }
    applyStyle([a](Style& s) { s.vertical = a; });
}

void Range::setRowHeight(double points) {
    if (kind_ == Kind::Columns) {
        throw SheetError("the height of whole columns cannot be set");
    }
    touch();
    for (int r = firstRow_; r <= lastRow_; ++r) {
        sheet_->setRowHeight(r, points);
    }
}

RangeBorder Range::borders(int item) const {
    if (item < xl::EdgeLeft || item > xl::EdgeRight) {
        throw SheetError("unsupported border " + std::to_string(item) +
                         " (only the four edges of a range)");
    }
    return RangeBorder(*this, item);
}

namespace {

LineWeight weightOf(int constant) {
    switch (constant) {
    case xl::Hairline:
        return LineWeight::Hairline;
    case xl::Thin:
        return LineWeight::Thin;
    case xl::Medium:
        return LineWeight::Medium;
    case xl::Thick:
        return LineWeight::Thick;
    default:
        throw SheetError("unsupported border weight " + std::to_string(constant));
    }
}

} // namespace

void RangeBorder::setWeight(int constant) {
    const LineWeight w = weightOf(constant);
    // the edge's own cells: the bottom row for the bottom edge, and so on
    Range edge = range_;
    switch (item_) {
    case xl::EdgeLeft:
        edge.lastColumn_ = edge.firstColumn_;
        edge.applyStyle([w](Style& s) { s.left = w; });
        break;
    case xl::EdgeRight:
        edge.firstColumn_ = edge.lastColumn_;
        edge.applyStyle([w](Style& s) { s.right = w; });
        break;
    case xl::EdgeTop:
        edge.lastRow_ = edge.firstRow_;
        edge.applyStyle([w](Style& s) { s.top = w; });
        break;
    default:
        edge.firstRow_ = edge.lastRow_;
        edge.applyStyle([w](Style& s) { s.bottom = w; });
        break;
    }
}

void RangeBorder::setLineStyle(int constant) {
    if (constant != xl::LineStyleNone) {
        setWeight(xl::Thin);
        return;
    }
    Range edge = range_;
    switch (item_) {
    case xl::EdgeLeft:
        edge.applyStyle([](Style& s) { s.left = LineWeight::None; });
        break;
    case xl::EdgeRight:
        edge.applyStyle([](Style& s) { s.right = LineWeight::None; });
        break;
    case xl::EdgeTop:
        edge.applyStyle([](Style& s) { s.top = LineWeight::None; });
        break;
    default:
        edge.applyStyle([](Style& s) { s.bottom = LineWeight::None; });
        break;
    }
}

Range Range::entireColumn() const {
    return Range(app_, book_, sheet_, Kind::Columns, 1, firstColumn_, kMaxRows, lastColumn_);
}

Range Range::entireRow() const {
    return Range(app_, book_, sheet_, Kind::Rows, firstRow_, 1, lastRow_, kMaxColumns);
}

void Range::autoFit() {
    if (kind_ == Kind::Rows) {
        return; // rows keep the height of their font
    }
    touch();
    for (int c = firstColumn_; c <= lastColumn_; ++c) {
        sheet_->autoFitColumn(c);
    }
}

void Range::setFormulaArray(std::string_view formula) {
    if (kind_ != Kind::Cells || firstRow_ != lastRow_ || firstColumn_ != lastColumn_) {
        throw SheetError("an array formula is set on a single cell");
    }
    touch();
    sheet_->setArrayFormula(firstRow_, firstColumn_, parseFormula(formula));
}

Range Range::end(int direction) const {
    int dr = 0;
    int dc = 0;
    switch (direction) {
    case xl::Down:
        dr = 1;
        break;
    case xl::Up:
        dr = -1;
        break;
    case xl::ToRight:
        dc = 1;
        break;
    case xl::ToLeft:
        dc = -1;
        break;
    default:
        throw SheetError("unsupported direction " + std::to_string(direction));
    }
    const int lastRow = sheet_->lastValueRow();
    const int lastCol = sheet_->lastValueColumn();
    auto inside = [](int r, int c) {
        return r >= 1 && r <= kMaxRows && c >= 1 && c <= kMaxColumns;
    };
    auto filled = [&](int r, int c) { return !sheet_->value(r, c).isEmpty(); };
    int r = firstRow_;
    int c = firstColumn_;
    if (inside(r + dr, c + dc)) {
        if (filled(r, c) && filled(r + dr, c + dc)) {
            while (inside(r + dr, c + dc) && filled(r + dr, c + dc)) {
                r += dr;
                c += dc;
            }
        } else {
            r += dr;
            c += dc;
            while (inside(r + dr, c + dc) && !filled(r, c)) {
                if ((dr > 0 && r > lastRow) || (dc > 0 && c > lastCol)) {
                    r = dr > 0 ? kMaxRows : r;
                    c = dc > 0 ? kMaxColumns : c;
                    break;
                }
                r += dr;
                c += dc;
            }
        }
    }
    return Range(app_, book_, sheet_, Kind::Cells, r, c, r, c);
}

Range Range::offset(int rows, int columns) const {
    return Range(app_, book_, sheet_, kind_, firstRow_ + rows, firstColumn_ + columns,
                 lastRow_ + rows, lastColumn_ + columns);
}

// ---------------------------------------------------------------------------------------------
// OpenWorkbook

OpenWorkbook::OpenWorkbook(Application* app, Workbook book, fs::path file, FileKind kind)
    : app_(app), book_(std::move(book)), file_(std::move(file)), kind_(kind) {
    book_.setCountryCode(app->settings().countryCode);
}

Sheet& OpenWorkbook::activeSheet() {
    return book_.sheet(std::min(active_, book_.sheetCount() - 1));
}

void OpenWorkbook::activateSheet(int index) {
    book_.sheet(index); // throws when absent
    active_ = index;
}

void OpenWorkbook::save() {
    const CsvOptions csv{app_->settings().listSeparator, app_->settings().decimalMark};
    switch (kind_) {
    case FileKind::None:
        throw SheetError("the workbook has no file yet; save it under a name first");
    case FileKind::Xls:
        book_.save(file_);
        break;
    case FileKind::Csv:
        writeCsvSheet(activeSheet(), file_, csv);
        break;
    }
    modified_ = false;
}

void OpenWorkbook::saveAs(const fs::path& file, int fileFormat) {
    FileKind kind;
    const std::string ext = lowerAscii(file.extension().string());
    if (fileFormat == xl::Csv) {
        kind = FileKind::Csv;
    } else if (fileFormat == xl::Normal || fileFormat == xl::Excel8) {
        kind = FileKind::Xls;
    } else if (fileFormat == 0) {
        kind = ext == ".csv" || ext == ".txt" ? FileKind::Csv : FileKind::Xls;
    } else {
        throw SheetError("unsupported file format " + std::to_string(fileFormat));
    }
    fs::path target = file;
    if (!target.has_extension()) {
        target += kind == FileKind::Csv ? ".csv" : ".xls";
    }
    std::error_code ec;
    if (app_->displayAlerts() && fs::exists(target, ec)) {
        throw SheetError("the file " + target.string() +
                         " exists; it is replaced only with the alerts switched off");
    }
    if (kind == FileKind::Csv) {
        writeCsvSheet(activeSheet(), target,
                      CsvOptions{app_->settings().listSeparator, app_->settings().decimalMark});
    } else {
        book_.save(target);
    }
    file_ = target;
    kind_ = kind;
    modified_ = false;
}

fs::path OpenWorkbook::viewingCopy() {
    thread_local std::mt19937_64 rng{std::random_device{}()};
    const fs::path dir = fs::temp_directory_path() / "dirurar-view";
    fs::create_directories(dir);
    std::string stem = file_.empty() ? activeSheet().name() : file_.stem().string();
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "-%06x", static_cast<unsigned>(rng() & 0xFFFFFF));
    const fs::path copy = dir / (stem + suffix + ".xls");
    book_.save(copy);
    return copy;
}

void OpenWorkbook::sendMail(const std::vector<std::string>& recipients,
                            const std::string& subject) {
    std::error_code ec;
    const fs::path attachment =
        kind_ == FileKind::Xls && !modified_ && fs::exists(file_, ec) ? file_ : viewingCopy();
    app_->desktop().composeMail(attachment, subject, recipients);
}

void OpenWorkbook::close() {
    app_->forget(this);
}

// ---------------------------------------------------------------------------------------------
// Application

Application::Application(AppSettings settings, Desktop* desktop)
    : settings_(settings), desktop_(desktop != nullptr ? desktop : &systemDesktop()) {}

Application::~Application() {
    if (!quit_ && !shown_) {
        try {
            show();
        } catch (...) {
            // showing is a courtesy at the end; a failure has nobody left to tell
        }
    }
}

int Application::international(int item) const {
    if (item == xl::CountryCode || item == xl::CountrySetting) {
        return settings_.countryCode;
    }
    throw SheetError("International(" + std::to_string(item) + ") is not supported");
}

OpenWorkbook& Application::open(const fs::path& file) {
    for (auto& b : books_) {
        std::error_code ec;
        if (!b->file_.empty() && fs::equivalent(b->file_, file, ec)) {
            books_.splice(books_.end(), books_, std::find(books_.begin(), books_.end(), b));
            return *books_.back();
        }
    }
    std::error_code ec;
    if (!fs::exists(file, ec)) {
        throw SheetError("the file " + file.string() + " does not exist");
    }
    const std::string ext = lowerAscii(file.extension().string());
    const bool text = ext == ".csv" || ext == ".txt";
    Workbook book =
        text ? readCsvWorkbook(file, CsvOptions{settings_.listSeparator, settings_.decimalMark})
             : Workbook::open(file);
    books_.push_back(std::unique_ptr<OpenWorkbook>(
        new OpenWorkbook(this, std::move(book), file,
                         text ? OpenWorkbook::FileKind::Csv : OpenWorkbook::FileKind::Xls)));
    return *books_.back();
}

OpenWorkbook& Application::add() {
    Workbook book;
    book.addSheet(settings_.countryCode == 36   ? "Munka1"
                  : settings_.countryCode == 49 ? "Tabelle1"
                                                : "Sheet1");
    books_.push_back(std::unique_ptr<OpenWorkbook>(
        new OpenWorkbook(this, std::move(book), fs::path(), OpenWorkbook::FileKind::None)));
    return *books_.back();
}

OpenWorkbook& Application::workbook(int index) {
    if (index < 0 || index >= workbookCount()) {
        throw SheetError("no workbook number " + std::to_string(index + 1) + " is open");
    }
    return **std::next(books_.begin(), index);
}

OpenWorkbook& Application::requireBook() {
    if (books_.empty()) {
        throw SheetError("no workbook is open");
    }
    return *books_.back();
}

OpenWorkbook& Application::activeWorkbook() {
    return requireBook();
}

Sheet& Application::activeSheet() {
    return requireBook().activeSheet();
}

Range Application::cells(int row, int column) {
    OpenWorkbook& b = requireBook();
    return Range(this, &b, &b.activeSheet(), Range::Kind::Cells, row, column, row, column);
}

Range Application::cells(int index) {
    if (index < 1 || index > kMaxRows * kMaxColumns) {
        throw SheetError("cell number " + std::to_string(index) + " lies outside the sheet");
    }
    return cells((index - 1) / kMaxColumns + 1, (index - 1) % kMaxColumns + 1);
}

Range Application::range(std::string_view from, std::string_view to) {
    std::string_view a = from;
    std::string_view b = to;
    if (b.empty()) {
        const size_t colon = from.find(':');
        if (colon != std::string_view::npos) {
            a = from.substr(0, colon);
            b = from.substr(colon + 1);
        } else {
            b = from;
        }
    }
    const auto first = parseCellName(a);
    const auto last = parseCellName(b);
    if (!first || !last) {
        throw SheetError("invalid cell reference \"" + std::string(from) +
                         (to.empty() ? "" : "\", \"" + std::string(to)) + "\"");
    }
    OpenWorkbook& book = requireBook();
    return Range(this, &book, &book.activeSheet(), Range::Kind::Cells, first->first, first->second,
                 last->first, last->second);
}

Range Application::rows(int row) {
    OpenWorkbook& b = requireBook();
    return Range(this, &b, &b.activeSheet(), Range::Kind::Rows, row, 1, row, kMaxColumns);
}

Range Application::columns(int column) {
    OpenWorkbook& b = requireBook();
    return Range(this, &b, &b.activeSheet(), Range::Kind::Columns, 1, column, kMaxRows, column);
}

Range Application::selection() {
    if (selSheet_ == nullptr) {
        return cells(1, 1);
    }
    return Range(this, selBook_, selSheet_, static_cast<Range::Kind>(selKind_), sel_[0], sel_[1],
                 sel_[2], sel_[3]);
}

Range Application::activeCell() {
    if (selSheet_ == nullptr) {
        return cells(1, 1);
    }
    return Range(this, selBook_, selSheet_, Range::Kind::Cells, active_[0], active_[1], active_[0],
                 active_[1]);
}

void Application::forget(OpenWorkbook* book) {
    if (selBook_ == book) {
        selBook_ = nullptr;
        selSheet_ = nullptr;
    }
    books_.remove_if([book](const std::unique_ptr<OpenWorkbook>& b) { return b.get() == book; });
}

void Application::quit() {
    quit_ = true;
    selBook_ = nullptr;
    selSheet_ = nullptr;
    books_.clear();
}

std::vector<fs::path> Application::show() {
    std::vector<fs::path> shown;
    if (!visible_ || quit_) {
        return shown;
    }
    shown_ = true;
    for (auto& b : books_) {
        std::error_code ec;
        const bool current =
            b->kind_ != OpenWorkbook::FileKind::None && !b->modified_ && fs::exists(b->file_, ec);
        const fs::path file = current ? b->file_ : b->viewingCopy();
        if (desktop_->openDocument(file)) {
            shown.push_back(file);
        }
    }
    return shown;
}

} // namespace store::sheet
