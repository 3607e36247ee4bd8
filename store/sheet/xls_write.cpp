// Writing workbooks as .xls: a BIFF8 workbook stream (the workbook globals with fonts, number
// formats, cell formats, sheet list, names and the shared string table, then one substream per
// sheet) inside a compound file.
#include "store/format/format.h"
#include "store/sheet/bytes.h"
#include "store/sheet/cfb.h"
#include "store/sheet/number_format.h"
#include "store/sheet/workbook.h"
#include "store/sheet/xls_scan.h"

#include <array>
#include <cmath>
#include <unordered_map>

namespace store::sheet {

namespace {

using bytes::put16;
using bytes::put32;
using bytes::put8;
using bytes::putF64;

constexpr size_t kMaxRecordData = 8224;
constexpr int kDefaultCellXf = 15;

void record(std::string& out, uint16_t type, const std::string& data) {
    if (data.size() > kMaxRecordData) {
        throw SheetError("internal error: record too long");
    }
    put16(out, type);
    put16(out, static_cast<unsigned>(data.size()));
    out += data;
}

void record(std::string& out, uint16_t type, std::initializer_list<uint16_t> words) {
    std::string d;
    for (uint16_t w : words) {
        put16(d, w);
    }
    record(out, type, d);
}

bool fitsLatin1(const std::u16string& u) {
    for (char16_t c : u) {
        if (c > 0xFF) {
            return false;
        }
    }
    return true;
}

// A string with a 1- or 2-byte character count, an option byte and the characters.
void putString(std::string& out, std::string_view utf8, bool longCount) {
    const std::u16string u = bytes::toUtf16(utf8);
    longCount ? put16(out, static_cast<unsigned>(u.size()))
              : put8(out, static_cast<unsigned>(u.size()));
    const bool latin = fitsLatin1(u);
    put8(out, latin ? 0 : 1);
    for (char16_t c : u) {
        latin ? put8(out, c) : put16(out, c);
    }
}

uint8_t lineStyle(LineWeight w) {
    switch (w) {
    case LineWeight::Hairline:
        return 7;
    case LineWeight::Thin:
        return 1;
    case LineWeight::Medium:
        return 2;
    case LineWeight::Thick:
        return 5;
    case LineWeight::None:
        break;
    }
    return 0;
}

struct FontKey {
    bool bold;
    bool italic;
    int colour; // palette index, 0x7FFF automatic
    bool operator==(const FontKey&) const = default;
};

class Builder {
public:
    explicit Builder(const Workbook& book) : book_(book) {}

    std::string build() {
        std::vector<std::string> sheets;
        sheets.reserve(static_cast<size_t>(book_.sheetCount()));
        for (int i = 0; i < book_.sheetCount(); ++i) {
            sheets.push_back(sheetStream(book_.sheet(i), i == 0));
        }
        std::vector<size_t> offsetFields;
        std::string stream = globals(offsetFields);
        for (size_t i = 0; i < sheets.size(); ++i) {
            bytes::set32(stream, offsetFields[i], static_cast<uint32_t>(stream.size()));
            stream += sheets[i];
        }
        if (stream.size() > 0xFFFFFFF0u) {
            throw SheetError("the workbook is too large for an .xls file");
        }
        return stream;
    }

private:
    // ---- formats ----

    int colourIndex(int32_t colour) {
        if (colour == kAutomaticColour) {
            return 0x7FFF;
        }
        const uint32_t rgb = ((static_cast<uint32_t>(colour) & 0xFF) << 16) |
                             (static_cast<uint32_t>(colour) & 0xFF00) |
                             ((static_cast<uint32_t>(colour) >> 16) & 0xFF);
        for (size_t i = 0; i < palette_.size(); ++i) {
            if (palette_[i] == rgb) {
                return static_cast<int>(i) + 8;
            }
        }
        if (customColours_ < 40) {
            // replace a colour of the default palette that no format uses, from the end
            const size_t slot = palette_.size() - 1 - static_cast<size_t>(customColours_++);
            palette_[slot] = rgb;
            paletteChanged_ = true;
            return static_cast<int>(slot) + 8;
        }
        // nearest colour of the palette
        size_t best = 0;
        long bestDistance = -1;
        for (size_t i = 0; i < palette_.size(); ++i) {
            long d = 0;
            for (int shift : {0, 8, 16}) {
                const long a = static_cast<long>((palette_[i] >> shift) & 0xFF);
                const long b = static_cast<long>((rgb >> shift) & 0xFF);
                d += (a - b) * (a - b);
            }
            if (bestDistance < 0 || d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        return static_cast<int>(best) + 8;
    }

    int fontIndex(const Style& s) {
        const FontKey key{s.bold, s.italic, colourIndex(s.colour)};
        if (!key.bold && !key.italic && key.colour == 0x7FFF) {
            return 0;
        }
        for (size_t i = 0; i < fonts_.size(); ++i) {
            if (fonts_[i] == key) {
                return static_cast<int>(i) + 5; // font index 4 does not exist
            }
        }
        fonts_.push_back(key);
        return static_cast<int>(fonts_.size()) + 4;
    }

    int formatIndex(const std::string& code) {
        static const std::unordered_map<std::string, int> kBuiltIn = {
            {"", 0},         {"General", 0}, {"0", 1},      {"0.00", 2},      {"#,##0", 3},
            {"#,##0.00", 4}, {"0%", 9},      {"0.00%", 10}, {"0.00E+00", 11}, {"@", 49}};
        if (auto it = kBuiltIn.find(code); it != kBuiltIn.end()) {
            return it->second;
        }
        for (size_t i = 0; i < formats_.size(); ++i) {
            if (formats_[i] == code) {
                return static_cast<int>(i) + 164;
            }
        }
        if (formats_.size() >= 200) {
            throw SheetError("the workbook uses too many number formats");
        }
        formats_.push_back(code);
        return static_cast<int>(formats_.size()) + 163;
    }

    // The cell format record index of a format; dates get the date format when theirs does
    // not show dates.
    int xfIndex(int styleIndex, bool isDate) {
        if (styleIndex < 0) {
            styleIndex = 0;
        }
        const uint64_t key = (static_cast<uint64_t>(styleIndex) << 1) | (isDate ? 1 : 0);
        if (auto it = xfByStyle_.find(key); it != xfByStyle_.end()) {
            return it->second;
        }
        Style s = book_.styles().at(styleIndex);
        if (isDate && !isDateFormat(s.numberFormat)) {
            s.numberFormat = std::string(kDateFormat);
        }
        int xf = kDefaultCellXf;
        if (!(s == Style{})) {
            std::string rec;
            put16(rec, static_cast<unsigned>(fontIndex(s)));
            put16(rec, static_cast<unsigned>(formatIndex(s.numberFormat)));
            put16(rec, 0x0001); // locked, cell format, parent style 0
            const unsigned hor = s.horizontal == HAlign::Left     ? 1
                                 : s.horizontal == HAlign::Center ? 2
                                 : s.horizontal == HAlign::Right  ? 3
                                                                  : 0;
            const unsigned ver = s.vertical == VAlign::Top      ? 0
                                 : s.vertical == VAlign::Center ? 1
                                                                : 2;
            put8(rec, hor | (ver << 4));
            put8(rec, 0);
            put8(rec, 0);
            put8(rec, 0xFC); // every attribute of this record is its own
            auto colourOf = [](LineWeight w) -> uint32_t { return w == LineWeight::None ? 0 : 64; };
            const uint32_t lines = lineStyle(s.left) | (lineStyle(s.right) << 4) |
                                   (lineStyle(s.top) << 8) | (lineStyle(s.bottom) << 12) |
                                   (colourOf(s.left) << 16) | (colourOf(s.right) << 23);
            put32(rec, lines);
            put32(rec, colourOf(s.top) | (colourOf(s.bottom) << 7));
            put16(rec, 0x20C0);
            cellXfs_.push_back(rec);
            xf = kDefaultCellXf + static_cast<int>(cellXfs_.size());
        }
        xfByStyle_.emplace(key, xf);
        return xf;
    }

    uint32_t sstIndex(const std::string& text) {
        ++sstTotal_;
        auto [it, added] = sstIndex_.try_emplace(text, static_cast<uint32_t>(sst_.size()));
        if (added) {
            sst_.push_back(&it->first);
        }
        return it->second;
    }

    // ---- sheets ----

    std::string sheetStream(const Sheet& sheet, bool active) {
        std::string out;
        record(out, 0x0809, {0x0600, 0x0010, 0x0DBB, 0x07CC, 0, 0, 6, 0});
        record(out, 0x000D, {1});   // CALCMODE automatic
        record(out, 0x000C, {100}); // CALCCOUNT
        record(out, 0x000F, {1});   // REFMODE A1
        record(out, 0x0011, {0});   // ITERATION off
        {
            std::string d;
            putF64(d, 0.001);
            record(out, 0x0010, d); // DELTA
        }
        record(out, 0x005F, {1});          // SAVERECALC
        record(out, 0x002A, {0});          // PRINTHEADERS
        record(out, 0x002B, {0});          // PRINTGRIDLINES
        record(out, 0x0082, {1});          // GRIDSET
        record(out, 0x0080, {0, 0, 0, 0}); // GUTS
        record(out, 0x0225, {0, 255});     // DEFAULTROWHEIGHT 12.75 pt
        record(out, 0x0081, {0x04C1});     // WSBOOL
        record(out, 0x0055, {8});          // DEFCOLWIDTH

        // column widths and formats
        struct Col {
            unsigned width;
            int xf;
            bool hidden;
            bool operator==(const Col&) const = default;
        };
        std::map<int, Col> cols;
        for (const auto& [c, w] : sheet.columnWidths()) {
            cols[c] = Col{static_cast<unsigned>(std::lround(w * 256 + (w > 0 ? 182 : 0))),
                          kDefaultCellXf, w <= 0};
        }
        for (const auto& [c, s] : sheet.columnStyles()) {
            auto it = cols.find(c);
            if (it == cols.end()) {
                it = cols.emplace(c, Col{2340, kDefaultCellXf, false}).first;
            }
            it->second.xf = xfIndex(s, false);
        }
        for (auto it = cols.begin(); it != cols.end();) {
            auto end = std::next(it);
            int last = it->first;
            while (end != cols.end() && end->first == last + 1 && end->second == it->second) {
                last = end->first;
                ++end;
            }
            std::string d;
            put16(d, static_cast<unsigned>(it->first - 1));
            put16(d, static_cast<unsigned>(last - 1));
            put16(d, std::min(it->second.width, 65535u));
            put16(d, static_cast<unsigned>(it->second.xf));
            put16(d, it->second.hidden ? 1 : 0);
            put16(d, 0);
            record(out, 0x007D, d);
            it = end;
        }

        // used area
        int firstRow = 0;
        int lastRow = 0;
        int firstCol = 0;
        int lastCol = 0;
        const int rows = sheet.lastRow();
        for (int r = 1; r <= rows; ++r) {
            const auto& cells = sheet.rowCells(r);
            for (size_t c = 0; c < cells.size(); ++c) {
                if (cells[c].exists) {
                    if (firstRow == 0) {
                        firstRow = r;
                    }
                    lastRow = r;
                    const int col = static_cast<int>(c) + 1;
                    firstCol = firstCol == 0 ? col : std::min(firstCol, col);
                    lastCol = std::max(lastCol, col);
                }
            }
        }
        {
            std::string d;
            put32(d, firstRow > 0 ? static_cast<uint32_t>(firstRow - 1) : 0);
            put32(d, static_cast<uint32_t>(lastRow));
            put16(d, firstCol > 0 ? static_cast<unsigned>(firstCol - 1) : 0);
            put16(d, static_cast<unsigned>(lastCol));
            put16(d, 0);
            record(out, 0x0200, d); // DIMENSIONS
        }

        // rows in blocks of 32: the row records, then the cells of those rows
        int maxRow = rows;
        if (!sheet.rowHeights().empty()) {
            maxRow = std::max(maxRow, sheet.rowHeights().rbegin()->first);
        }
        if (!sheet.rowStyles().empty()) {
            maxRow = std::max(maxRow, sheet.rowStyles().rbegin()->first);
        }
        for (int block = 1; block <= maxRow; block += 32) {
            const int blockEnd = std::min(maxRow, block + 31);
            for (int r = block; r <= blockEnd; ++r) {
                rowRecord(out, sheet, r);
            }
            for (int r = block; r <= blockEnd; ++r) {
                cellRecords(out, sheet, r);
            }
        }

        record(out, 0x023E,
               {static_cast<uint16_t>(active ? 0x06B6 : 0x00B6), 0, 0, 0x40, 0, 0, 0, 0,
                0});                        // WINDOW2
        record(out, 0x000A, std::string()); // EOF
        return out;
    }

    void rowRecord(std::string& out, const Sheet& sheet, int r) {
        const auto& cells = sheet.rowCells(r);
        int first = 0;
        int last = 0;
        for (size_t c = 0; c < cells.size(); ++c) {
            if (cells[c].exists) {
                if (first == 0) {
                    first = static_cast<int>(c) + 1;
                }
                last = static_cast<int>(c) + 1;
            }
        }
        const auto height = sheet.rowHeight(r);
        const int rowStyle = sheet.rowStyleIndex(r);
        if (first == 0 && !height && rowStyle < 0) {
            return;
        }
        std::string d;
        put16(d, static_cast<unsigned>(r - 1));
        put16(d, first > 0 ? static_cast<unsigned>(first - 1) : 0);
        put16(d, static_cast<unsigned>(last));
        put16(d, height ? static_cast<unsigned>(std::lround(*height * 20)) & 0x7FFF : 255);
        put16(d, 0);
        put16(d, 0);
        unsigned flags = 0x0100;
        if (height) {
            flags |= 0x0040;
            if (*height <= 0) {
                flags |= 0x0020;
            }
        }
        if (rowStyle >= 0) {
            flags |= 0x0080;
        }
        put16(d, flags);
        put16(d, static_cast<unsigned>(rowStyle >= 0 ? xfIndex(rowStyle, false) : kDefaultCellXf));
        record(out, 0x0208, d);
    }

    void cellRecords(std::string& out, const Sheet& sheet, int r) {
        const auto& cells = sheet.rowCells(r);
        for (size_t c = 0; c < cells.size(); ++c) {
            const Sheet::Cell& cell = cells[c];
            if (!cell.exists) {
                continue;
            }
            const int col = static_cast<int>(c) + 1;
            std::string d;
            put16(d, static_cast<unsigned>(r - 1));
            put16(d, static_cast<unsigned>(col - 1));
            if (const Formula* f = sheet.formula(r, col)) {
                put16(d, static_cast<unsigned>(xfIndex(cell.style, false)));
                formulaRecords(out, d, sheet, r, col, *f);
                continue;
            }
            const CellValue& v = cell.value;
            switch (v.kind()) {
            case CellKind::Text: {
                if (bytes::toUtf16(v.text()).size() > 32767) {
                    throw SheetError("the text of cell " + cellName(r, col) + " on sheet \"" +
                                     sheet.name() +
                                     "\" is longer than the 32 767 characters a cell can hold");
                }
                put16(d, static_cast<unsigned>(xfIndex(cell.style, false)));
                put32(d, sstIndex(v.text()));
                record(out, 0x00FD, d); // LABELSST
                break;
            }
            case CellKind::Number:
                put16(d, static_cast<unsigned>(xfIndex(cell.style, false)));
                putF64(d, v.number());
                record(out, 0x0203, d); // NUMBER
                break;
            case CellKind::Date:
                if (v.date().year < 1900) {
                    // before the first day the spreadsheet programs count: kept as text
                    put16(d, static_cast<unsigned>(xfIndex(cell.style, false)));
                    put32(d, sstIndex(fmt::formatDate(v.date())));
                    record(out, 0x00FD, d);
                } else {
                    put16(d, static_cast<unsigned>(xfIndex(cell.style, true)));
                    putF64(d, dateSerial(v.date()));
                    record(out, 0x0203, d);
                }
                break;
            case CellKind::Empty:
                if (cell.style >= 0) {
                    put16(d, static_cast<unsigned>(xfIndex(cell.style, false)));
                    record(out, 0x0201, d); // BLANK
                }
                break;
            }
        }
    }

    // An array formula of one cell: the FORMULA record points to the ARRAY record that
    // follows it and holds the expression.
    static void formulaRecords(std::string& out, const std::string& head, const Sheet& sheet, int r,
                               int col, const Formula& f) {
        std::string d = head;
        putF64(d, sheet.formulaValue(f));
        put16(d, 0x0000); // options
        put32(d, 0);
        put16(d, 5);
        put8(d, 0x01); // ptgExp: the array anchored at this cell
        put16(d, static_cast<unsigned>(r - 1));
        put16(d, static_cast<unsigned>(col - 1));
        record(out, 0x0006, d);

        std::string a;
        put16(a, static_cast<unsigned>(r - 1));
        put16(a, static_cast<unsigned>(r - 1));
        put8(a, static_cast<unsigned>(col - 1));
        put8(a, static_cast<unsigned>(col - 1));
        put16(a, 0x0000);
        put32(a, 0);
        std::string expr;
        put8(expr, 0x25); // ptgArea, reference class
        put16(expr, static_cast<unsigned>(f.area.firstRow - 1));
        put16(expr, static_cast<unsigned>(f.area.lastRow - 1));
        put16(expr, static_cast<unsigned>(f.area.firstColumn - 1) | 0xC000); // relative
        put16(expr, static_cast<unsigned>(f.area.lastColumn - 1) | 0xC000);
        put8(expr, 0x42); // ptgFuncVar, value class
        put8(expr, 1);    // one argument
        put16(expr, 4);   // SUM
        put16(a, static_cast<unsigned>(expr.size()));
        a += expr;
        record(out, 0x0221, a);
    }

    // ---- workbook globals ----

    std::string globals(std::vector<size_t>& offsetFields) {
        std::string out;
        record(out, 0x0809, {0x0600, 0x0005, 0x0DBB, 0x07CC, 0, 0, 6, 0});    // BOF
        record(out, 0x00E1, {0x04B0});                                        // INTERFACEHDR
        record(out, 0x00C1, {0});                                             // MMS
        record(out, 0x00E2, std::string());                                   // INTERFACEEND
        record(out, 0x0042, {0x04B0});                                        // CODEPAGE: UTF-16
        record(out, 0x0161, {0});                                             // DSF
        record(out, 0x0019, {0});                                             // WINDOWPROTECT
        record(out, 0x0012, {0});                                             // PROTECT
        record(out, 0x0013, {0});                                             // PASSWORD
        record(out, 0x003D, {0, 0, 0x4000, 0x2000, 0x0038, 0, 0, 1, 0x0258}); // WINDOW1
        record(out, 0x0040, {0});                                             // BACKUP
        record(out, 0x008D, {0});                                             // HIDEOBJ
        record(out, 0x0022, {0});                                             // DATEMODE 1900
        record(out, 0x000E, {1});                                             // PRECISION
        record(out, 0x00DA, {0});                                             // BOOKBOOL

        auto font = [&](bool bold, bool italic, int colour) {
            std::string d;
            put16(d, 200); // 10 points
            put16(d, italic ? 0x0002 : 0);
            put16(d, static_cast<unsigned>(colour));
            put16(d, bold ? 700 : 400);
            put16(d, 0);
            put8(d, 0);
            put8(d, 0);
            put8(d, 0);
            put8(d, 0);
            putString(d, "Arial", false);
            record(out, 0x0031, d);
        };
        for (int i = 0; i < 4; ++i) {
            font(false, false, 0x7FFF);
        }
        for (const FontKey& f : fonts_) {
            font(f.bold, f.italic, f.colour);
        }
        for (size_t i = 0; i < formats_.size(); ++i) {
            std::string d;
            put16(d, static_cast<unsigned>(164 + i));
            putString(d, formats_[i], true);
            record(out, 0x041E, d);
        }
        // cell format records: 15 style formats, the default cell format, then ours
        for (int i = 0; i < 15; ++i) {
            std::string d;
            put16(d, 0);
            put16(d, 0);
            put16(d, 0xFFF5);
            put8(d, 0x20);
            put8(d, 0);
            put8(d, 0);
            put8(d, i == 0 ? 0x00 : 0xF4);
            put32(d, 0);
            put32(d, 0);
            put16(d, 0x20C0);
            record(out, 0x00E0, d);
        }
        record(out, 0x00E0, {0, 0, 0x0001, 0x0020, 0, 0, 0, 0, 0, 0x20C0});
        for (const std::string& xf : cellXfs_) {
            record(out, 0x00E0, xf);
        }
        record(out, 0x0293, {0x8000, 0xFF00}); // STYLE: Normal
        if (paletteChanged_) {
            std::string d;
            put16(d, static_cast<unsigned>(palette_.size()));
            for (uint32_t rgb : palette_) {
                put8(d, (rgb >> 16) & 0xFF);
                put8(d, (rgb >> 8) & 0xFF);
                put8(d, rgb & 0xFF);
                put8(d, 0);
            }
            record(out, 0x0092, d); // PALETTE
        }
        for (int i = 0; i < book_.sheetCount(); ++i) {
            std::string d;
            put32(d, 0); // stream position, filled in later
            put8(d, 0);  // visible
            put8(d, 0);  // worksheet
            putString(d, book_.sheet(i).name(), false);
            offsetFields.push_back(out.size() + 4);
            record(out, 0x0085, d); // BOUNDSHEET
        }
        record(out, 0x008C,
               {static_cast<uint16_t>(book_.countryCode()),
                static_cast<uint16_t>(book_.countryCode())}); // COUNTRY
        if (!book_.names().empty()) {
            record(out, 0x01AE, {static_cast<uint16_t>(book_.sheetCount()), 0x0401}); // SUPBOOK
            std::string x;
            put16(x, static_cast<unsigned>(book_.sheetCount()));
            for (int i = 0; i < book_.sheetCount(); ++i) {
                put16(x, 0);
                put16(x, static_cast<unsigned>(i));
                put16(x, static_cast<unsigned>(i));
            }
            record(out, 0x0017, x); // EXTERNSHEET
            for (const DefinedName& n : book_.names()) {
                const std::u16string u = bytes::toUtf16(n.name);
                std::string d;
                put16(d, 0);
                put8(d, 0);
                put8(d, static_cast<unsigned>(u.size()));
                put16(d, 11);
                put16(d, 0);
                put16(d, static_cast<unsigned>(n.scope + 1));
                put32(d, 0);
                const bool latin = fitsLatin1(u);
                put8(d, latin ? 0 : 1);
                for (char16_t c : u) {
                    latin ? put8(d, c) : put16(d, c);
                }
                put8(d, 0x3B); // ptgArea3d
                put16(d, static_cast<unsigned>(n.sheet));
                put16(d, static_cast<unsigned>(n.area.firstRow - 1));
                put16(d, static_cast<unsigned>(n.area.lastRow - 1));
                put16(d, static_cast<unsigned>(n.area.firstColumn - 1));
                put16(d, static_cast<unsigned>(n.area.lastColumn - 1));
                record(out, 0x0018, d); // NAME
            }
        }
        sharedStrings(out);
        record(out, 0x000A, std::string()); // EOF
        return out;
    }

    // The shared string table, continued in CONTINUE records. A string is never split when it
    // fits into a record of its own, and the header of a string is never split.
    void sharedStrings(std::string& out) {
        std::vector<std::string> records(1);
        put32(records[0], sstTotal_);
        put32(records[0], static_cast<uint32_t>(sst_.size()));
        const size_t bucket = std::max<size_t>(8, (sst_.size() + 127) / 128);
        std::vector<std::pair<size_t, size_t>> bucketStarts; // record number, offset in it
        for (size_t i = 0; i < sst_.size(); ++i) {
            const std::u16string u = bytes::toUtf16(*sst_[i]);
            const bool latin = fitsLatin1(u);
            const size_t unit = latin ? 1 : 2;
            const size_t whole = 3 + u.size() * unit;
            if (records.back().size() + whole > kMaxRecordData &&
                (whole <= kMaxRecordData || records.back().size() + 3 + unit > kMaxRecordData)) {
                records.emplace_back();
            }
            if (i % bucket == 0) {
                bucketStarts.emplace_back(records.size() - 1, records.back().size());
            }
            put16(records.back(), static_cast<unsigned>(u.size()));
            put8(records.back(), latin ? 0 : 1);
            for (char16_t c : u) {
                if (records.back().size() + unit > kMaxRecordData) {
                    records.emplace_back();
                    put8(records.back(), latin ? 0 : 1); // the continued characters' option
                }
                latin ? put8(records.back(), c) : put16(records.back(), c);
            }
        }
        std::vector<size_t> recordPos;
        for (size_t k = 0; k < records.size(); ++k) {
            recordPos.push_back(out.size());
            record(out, k == 0 ? 0x00FC : 0x003C, records[k]);
        }
        std::string ext;
        put16(ext, static_cast<unsigned>(bucket));
        for (const auto& [rec, offset] : bucketStarts) {
            put32(ext, static_cast<uint32_t>(recordPos[rec] + 4 + offset));
            put16(ext, static_cast<unsigned>(4 + offset));
            put16(ext, 0);
        }
        record(out, 0x00FF, ext); // EXTSST
    }

    const Workbook& book_;
    std::vector<uint32_t> palette_{xls::kDefaultPalette.begin(), xls::kDefaultPalette.end()};
    int customColours_ = 0;
    bool paletteChanged_ = false;
    std::vector<FontKey> fonts_;
    std::vector<std::string> formats_;
    std::vector<std::string> cellXfs_;
    std::unordered_map<uint64_t, int> xfByStyle_;
    std::unordered_map<std::string, uint32_t> sstIndex_;
    std::vector<const std::string*> sst_;
    uint32_t sstTotal_ = 0;
};

std::string workbookStream(const Workbook& book) {
    if (book.sheetCount() == 0) {
        throw SheetError("a workbook without sheets cannot be written");
    }
    return Builder(book).build();
}

} // namespace

void Workbook::save(const std::filesystem::path& file) const {
    if (!notRewritable_.empty()) {
        throw SheetError("the workbook " + file.filename().string() +
                         " cannot be written again without losing content: " + notRewritable_);
    }
    writeFileAtomically(file, cfb::write("Workbook", workbookStream(*this)));
}

} // namespace store::sheet
