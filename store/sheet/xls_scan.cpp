#include "store/sheet/xls_scan.h"

#include "store/engine/schema.h"
#include "store/format/format.h"
#include "store/sheet/bytes.h"
#include "store/sheet/cfb.h"

#include <algorithm>

namespace store::sheet::xls {

using bytes::u16;
using bytes::u32;

namespace {

constexpr size_t kMaxRecord = 8224;

[[noreturn]] void damaged(const std::string& what) {
    throw SheetError("the workbook file is damaged (" + what + ")");
}

struct Rec {
    uint16_t type;
    size_t pos; // of the record header in the stream
    std::string_view data;
    int depth; // 1 for the substream's own records, 2 inside an embedded chart
};

// The records from the start record at `pos` up to and including its EOF record; a chart
// embedded in a sheet brings its own pair of start and end records.
std::vector<Rec> substream(std::string_view stream, size_t pos) {
    std::vector<Rec> out;
    int depth = 0;
    for (;;) {
        if (pos + 4 > stream.size()) {
            damaged("the workbook stream ends inside a sheet");
        }
        const uint16_t type = u16(stream, pos);
        const uint16_t size = u16(stream, pos + 2);
        if (size > kMaxRecord || pos + 4 + size > stream.size()) {
            damaged("a record runs past the end of the workbook stream");
        }
        if (type == 0 && size == 0) {
            damaged("the workbook stream ends inside a sheet");
        }
        if (type == 0x0809 && ++depth > 2) {
            damaged("sheets nested in sheets");
        }
        out.push_back(Rec{type, pos, stream.substr(pos + 4, size), std::max(depth, 1)});
        pos += 4 + size;
        if (type == 0x000A && --depth <= 0) {
            return out;
        }
    }
}

// FreeXL reads the workbook stream from start to end, record after record, not sheet by sheet
// from the offsets of the sheet list. So the whole stream must be well framed: substreams from
// start to end record, each sheet of the list starting one of them, then nothing but zero
// padding.
void checkFraming(std::string_view stream, const std::vector<uint32_t>& sheetOffsets) {
    std::vector<size_t> starts;
    size_t pos = 0;
    int depth = 0;
    while (pos + 4 <= stream.size()) {
        const uint16_t type = u16(stream, pos);
        const uint16_t size = u16(stream, pos + 2);
        if (type == 0 && size == 0 && depth == 0) {
            break;
        }
        if (size > kMaxRecord || pos + 4 + size > stream.size()) {
            damaged("a record runs past the end of the workbook stream");
        }
        if (depth == 0) {
            if (type != 0x0809) {
                damaged("a record lies outside the sheets");
            }
            starts.push_back(pos);
        }
        if (type == 0x0809 && ++depth > 2) {
            damaged("sheets nested in sheets");
        }
        if (type == 0x000A) {
            --depth;
        }
        pos += 4 + size;
    }
    if (depth != 0) {
        damaged("the workbook stream ends inside a sheet");
    }
    for (size_t rest = pos; rest < stream.size(); ++rest) {
        if (stream[rest] != '\0') {
            damaged("unreadable data after the last sheet");
        }
    }
    for (uint32_t at : sheetOffsets) {
        if (std::find(starts.begin(), starts.end(), at) == starts.end()) {
            damaged("a sheet does not start where the sheet list says");
        }
    }
}

void noteLoss(std::string& list, const char* what) {
    if (list.find(what) == std::string::npos) {
        if (!list.empty()) {
            list += ", ";
        }
        list += what;
    }
}

// 8-bit text of a BIFF5 file in its code page (Windows-1250 exactly, other code pages as
// Latin-1).
std::string text8(std::string_view b, int codepage) {
    if (codepage == 1250) {
        return fmt::cp1250ToUtf8(b);
    }
    return bytes::unitsToUtf8(b, 0, b.size(), false);
}

// A BIFF8 string whose character count was read already: option byte, optional run and
// extension counts, then the characters. Returns the end of the string's characters or
// npos when it does not fit in `d`.
size_t unicodeEnd(std::string_view d, size_t at, size_t chars, std::string* out) {
    if (at >= d.size()) {
        return chars == 0 && at == d.size() ? at : std::string_view::npos;
    }
    const uint8_t flags = static_cast<uint8_t>(d[at]);
    size_t p = at + 1;
    if (flags & 0x08) {
        p += 2;
    }
    if (flags & 0x04) {
        p += 4;
    }
    const size_t len = chars * ((flags & 0x01) ? 2 : 1);
    if (p + len > d.size()) {
        return std::string_view::npos;
    }
    if (out != nullptr) {
        *out = bytes::unitsToUtf8(d, p, chars, (flags & 0x01) != 0);
    }
    return p + len;
}

// Checks the shared string table with its CONTINUE records the way it is read: a string's
// header lies in one record, its characters may go on in the next record after a new option
// byte. FreeXL reads a string split over more than two records wrongly, so such a table is
// refused.
void checkSharedStrings(const std::vector<Rec>& recs, size_t first) {
    std::vector<std::string_view> parts;
    parts.push_back(recs[first].data);
    for (size_t k = first + 1; k < recs.size() && recs[k].type == 0x003C; ++k) {
        parts.push_back(recs[k].data);
    }
    if (parts[0].size() < 8) {
        damaged("shared string table");
    }
    const uint32_t unique = u32(parts[0], 4);
    size_t part = 0;
    size_t at = 8;
    uint64_t carry = 0; // bytes of runs and extensions still to skip
    for (uint32_t i = 0; i < unique; ++i) {
        // skip what the previous string left
        while (carry > 0) {
            const size_t avail = parts[part].size() - at;
            if (carry <= avail) {
                at += static_cast<size_t>(carry);
                carry = 0;
            } else {
                carry -= avail;
                if (++part >= parts.size()) {
                    damaged("shared string table ends early");
                }
                at = 0;
            }
        }
        if (at == parts[part].size()) {
            if (++part >= parts.size()) {
                damaged("shared string table ends early");
            }
            at = 0;
        }
        std::string_view d = parts[part];
        if (at + 3 > d.size()) {
            damaged("a shared string header is split");
        }
        const uint16_t chars = u16(d, at);
        uint8_t flags = static_cast<uint8_t>(d[at + 2]);
        size_t p = at + 3;
        uint64_t runs = 0;
        uint64_t ext = 0;
        if (flags & 0x08) {
            if (p + 2 > d.size()) {
                damaged("a shared string header is split");
            }
            runs = u16(d, p);
            p += 2;
        }
        if (flags & 0x04) {
            if (p + 4 > d.size()) {
                damaged("a shared string header is split");
            }
            ext = u32(d, p);
            p += 4;
        }
        size_t left = chars;
        int splits = 0;
        for (;;) {
            const size_t unit = (flags & 0x01) ? 2 : 1;
            const size_t fit = (d.size() - p) / unit;
            if (left <= fit) {
                p += left * unit;
                break;
            }
            left -= fit;
            if (++part >= parts.size() || ++splits > 1) {
                if (splits > 1) {
                    throw SheetError("the workbook holds a text of more than 8 000 characters "
                                     "that cannot be read");
                }
                damaged("shared string table ends early");
            }
            d = parts[part];
            if (d.empty()) {
                damaged("shared string table");
            }
            flags = static_cast<uint8_t>((flags & 0xFE) | (d[0] & 0x01));
            p = 1;
        }
        at = p;
        carry = runs * 4 + ext;
    }
}

void scanGlobals(std::string_view stream, Scan& s) {
    if (stream.size() < 8 || u16(stream, 0) != 0x0809) {
        throw SheetError("the file is not an .xls workbook of a supported version "
                         "(Excel 5.0 to 2003)");
    }
    const std::vector<Rec> recs = substream(stream, 0);
    const Rec& bof = recs.front();
    if (bof.data.size() < 4) {
        damaged("start record");
    }
    const uint16_t version = u16(bof.data, 0);
    if (version == 0x0600) {
        s.biff = 8;
    } else if (version == 0x0500) {
        s.biff = 5;
    } else {
        throw SheetError("the file is not an .xls workbook of a supported version "
                         "(Excel 5.0 to 2003)");
    }
    if (u16(bof.data, 2) != 0x0005) {
        damaged("the workbook stream does not start with the workbook globals");
    }
    const bool b8 = s.biff == 8;
    for (size_t k = 1; k < recs.size(); ++k) {
        const Rec& r = recs[k];
        const std::string_view d = r.data;
        if (r.depth > 1) {
            damaged("the workbook globals do not end before the first sheet");
        }
        switch (r.type) {
        case 0x002F: // FILEPASS
            throw SheetError("the workbook is protected with a password");
        case 0x0042: // CODEPAGE
            if (d.size() < 2) {
                damaged("code page");
            }
            s.codepage = u16(d, 0);
            break;
        case 0x0022: // DATEMODE
        case 0x000E:
            if (d.size() < 2) {
                damaged("workbook settings");
            }
            break;
        case 0x0031: { // FONT
            if (d.size() < 14) {
                damaged("font");
            }
            FontInfo f;
            f.italic = (u16(d, 2) & 0x0002) != 0;
            f.colour = u16(d, 4);
            f.bold = u16(d, 6) >= 700;
            s.fonts.push_back(f);
            break;
        }
        case 0x041E: { // FORMAT
            std::string code;
            if (b8) {
                if (d.size() < 5 || unicodeEnd(d, 4, u16(d, 2), &code) == std::string_view::npos) {
                    damaged("number format");
                }
            } else {
                if (d.size() < 3 ||
                    3 + static_cast<size_t>(static_cast<uint8_t>(d[2])) > d.size()) {
                    damaged("number format");
                }
                code = text8(d.substr(3, static_cast<uint8_t>(d[2])), s.codepage);
            }
            if (code.empty()) {
                damaged("empty number format");
            }
            s.formats[u16(d, 0)] = code;
            break;
        }
        case 0x00E0: { // XF
            if (d.size() < (b8 ? 20u : 16u)) {
                damaged("cell format");
            }
            XfInfo x;
            x.font = u16(d, 0);
            x.format = u16(d, 2);
            const uint8_t align = static_cast<uint8_t>(d[6]);
            x.hor = align & 0x07;
            x.ver = (align >> 4) & 0x07;
            if (b8) {
                const uint32_t lines = u32(d, 10);
                x.left = lines & 0x0F;
                x.right = (lines >> 4) & 0x0F;
                x.top = (lines >> 8) & 0x0F;
                x.bottom = (lines >> 12) & 0x0F;
            } else {
                x.bottom = (u32(d, 8) >> 22) & 0x07;
                const uint32_t lines = u32(d, 12);
                x.top = lines & 0x07;
                x.left = (lines >> 3) & 0x07;
                x.right = (lines >> 6) & 0x07;
            }
            s.xfs.push_back(x);
            break;
        }
        case 0x0092: { // PALETTE
            if (d.size() < 2) {
                damaged("palette");
            }
            const size_t n = std::min<size_t>(u16(d, 0), 56);
            if (2 + 4 * n > d.size()) {
                damaged("palette");
            }
            for (size_t i = 0; i < n; ++i) {
                const size_t at = 2 + 4 * i;
                s.palette[i] = (static_cast<uint32_t>(static_cast<uint8_t>(d[at])) << 16) |
                               (static_cast<uint32_t>(static_cast<uint8_t>(d[at + 1])) << 8) |
                               static_cast<uint8_t>(d[at + 2]);
            }
            break;
        }
        case 0x0085: { // BOUNDSHEET
            if (d.size() < 7) {
                damaged("sheet list");
            }
            const size_t chars = static_cast<uint8_t>(d[6]);
            const bool fits = b8 ? unicodeEnd(d, 7, chars, nullptr) != std::string_view::npos
                                 : 7 + chars <= d.size();
            if (!fits || chars == 0) {
                damaged("sheet name");
            }
            s.sheets.push_back(SheetEntry{u32(d, 0), static_cast<uint8_t>(d[5])});
            break;
        }
        case 0x0017: // EXTERNSHEET
            if (b8) {
                if (d.size() < 2 || 2 + 6 * static_cast<size_t>(u16(d, 0)) > d.size()) {
                    damaged("sheet references");
                }
                for (size_t i = 0; i < u16(d, 0); ++i) {
                    s.xti.push_back({u16(d, 2 + 6 * i), u16(d, 4 + 6 * i), u16(d, 6 + 6 * i)});
                }
            }
            break;
        case 0x0018: { // NAME
            if (d.size() < 14) {
                damaged("defined name");
            }
            const uint16_t options = u16(d, 0);
            const size_t chars = static_cast<uint8_t>(d[3]);
            const size_t cce = u16(d, 4);
            const int itab = u16(d, 8);
            std::string name;
            size_t p = 14;
            if (b8) {
                p = unicodeEnd(d, 14, chars, &name);
            } else if (14 + chars <= d.size()) {
                name = text8(d.substr(14, chars), s.codepage);
                p = 14 + chars;
            } else {
                p = std::string_view::npos;
            }
            if (p == std::string_view::npos || p + cce > d.size()) {
                damaged("defined name");
            }
            if ((options & 0x0021) != 0 || cce == 0) {
                break; // hidden or built-in names (print areas, filters): not tables
            }
            const std::string_view f = d.substr(p, cce);
            const uint8_t ptg = static_cast<uint8_t>(f[0]);
            RawName n;
            n.name = name;
            n.scope = itab - 1;
            if (b8 && (ptg == 0x3B || ptg == 0x5B || ptg == 0x7B) && f.size() >= 11) {
                const uint16_t ixti = u16(f, 1);
                if (ixti >= s.xti.size() || s.xti[ixti][1] != s.xti[ixti][2]) {
                    break;
                }
                n.sheet = s.xti[ixti][1];
                n.area = CellArea{u16(f, 3) + 1, (u16(f, 7) & 0x3FFF) + 1, u16(f, 5) + 1,
                                  (u16(f, 9) & 0x3FFF) + 1};
            } else if (b8 && (ptg == 0x3A || ptg == 0x5A || ptg == 0x7A) && f.size() >= 7) {
                const uint16_t ixti = u16(f, 1);
                if (ixti >= s.xti.size() || s.xti[ixti][1] != s.xti[ixti][2]) {
                    break;
                }
                n.sheet = s.xti[ixti][1];
                const int row = u16(f, 3) + 1;
                const int col = (u16(f, 5) & 0x3FFF) + 1;
                n.area = CellArea{row, col, row, col};
            } else if (!b8 && (ptg == 0x3B || ptg == 0x5B || ptg == 0x7B) && f.size() >= 21) {
                if (u16(f, 11) != u16(f, 13) || static_cast<int16_t>(u16(f, 1)) >= 0) {
                    break;
                }
                n.sheet = u16(f, 11);
                n.area = CellArea{(u16(f, 15) & 0x3FFF) + 1, static_cast<uint8_t>(f[19]) + 1,
                                  (u16(f, 17) & 0x3FFF) + 1, static_cast<uint8_t>(f[20]) + 1};
            } else if (!b8 && (ptg == 0x3A || ptg == 0x5A || ptg == 0x7A) && f.size() >= 18) {
                if (u16(f, 11) != u16(f, 13) || static_cast<int16_t>(u16(f, 1)) >= 0) {
                    break;
                }
                n.sheet = u16(f, 11);
                const int row = (u16(f, 15) & 0x3FFF) + 1;
                const int col = static_cast<uint8_t>(f[17]) + 1;
                n.area = CellArea{row, col, row, col};
            } else {
                break; // a name for a formula or another workbook
            }
            if (n.area.firstRow > n.area.lastRow || n.area.firstColumn > n.area.lastColumn) {
                break;
            }
            s.names.push_back(std::move(n));
            break;
        }
        case 0x00FC: // SST
            if (b8) {
                checkSharedStrings(recs, k);
            }
            break;
        case 0x00EB: // MSODRAWINGGROUP: harmless on its own
            break;
        case 0x01AD:
        case 0x00D5: // pivot table caches
            noteLoss(s.notRewritable, "pivot tables");
            break;
        default:
            break;
        }
    }
    if (s.sheets.empty()) {
        damaged("the workbook lists no sheet");
    }
}

void scanSheet(std::string_view stream, const Scan& scan, SheetScan& out,
               std::string& notRewritable) {
    const bool b8 = scan.biff == 8;
    const std::vector<Rec> recs = substream(stream, 0);
    const Rec& bof = recs.front();
    if (bof.type != 0x0809 || bof.data.size() < 4) {
        damaged("a sheet does not start where the sheet list says");
    }
    const uint16_t dt = u16(bof.data, 2);
    if (dt != 0x0010) {
        noteLoss(notRewritable, dt == 0x0020 ? "chart sheets" : "macro sheets");
        return;
    }
    out.worksheet = true;
    const int maxRows = b8 ? 65536 : 16384;
    auto cellXf = [&](std::string_view d, size_t need) {
        if (d.size() < need) {
            damaged("cell record");
        }
        out.cells.push_back(CellFormat{u16(d, 0) + 1, u16(d, 2) + 1, u16(d, 4)});
    };
    bool sized = false;
    for (size_t k = 1; k < recs.size(); ++k) {
        const std::string_view d = recs[k].data;
        if (recs[k].depth > 1) {
            // an embedded chart: only a chart may sit inside a sheet
            if (recs[k].type == 0x0809 && (d.size() < 4 || u16(d, 2) != 0x0020)) {
                damaged("a sheet does not end before the next one");
            }
            noteLoss(notRewritable, "charts");
            continue;
        }
        switch (recs[k].type) {
        case 0x0200: { // DIMENSIONS
            if (d.size() < (b8 ? 14u : 10u) || sized) {
                damaged("sheet size");
            }
            sized = true;
            const uint32_t rows = b8 ? u32(d, 4) : u16(d, 2);
            const uint16_t cols = b8 ? u16(d, 10) : u16(d, 6);
            if (rows > static_cast<uint32_t>(maxRows) || cols > 256) {
                damaged("sheet size beyond the limits of the format");
            }
            out.declaredCells =
                std::max<uint64_t>(out.declaredCells, static_cast<uint64_t>(rows) * cols);
            break;
        }
        case 0x0201: // BLANK
        case 0x00FD: // LABELSST
        case 0x0203: // NUMBER
        case 0x027E: // RK
        case 0x0205: // BOOLERR
            cellXf(d, recs[k].type == 0x0201   ? 6
                      : recs[k].type == 0x0203 ? 14
                      : recs[k].type == 0x0205 ? 8
                                               : 10);
            break;
        case 0x0204:   // LABEL
        case 0x00D6: { // RSTRING
            cellXf(d, 8);
            const size_t chars = u16(d, 6);
            const bool fits = b8 ? unicodeEnd(d, 8, chars, nullptr) != std::string_view::npos
                                 : 8 + chars <= d.size();
            if (!fits) {
                damaged("text cell");
            }
            break;
        }
        case 0x00BD:   // MULRK
        case 0x00BE: { // MULBLANK
            const size_t each = recs[k].type == 0x00BD ? 6 : 2;
            if (d.size() < 6 + each || (d.size() - 6) % each != 0) {
                damaged("cell record");
            }
            const int row = u16(d, 0) + 1;
            const int first = u16(d, 2) + 1;
            const size_t n = (d.size() - 6) / each;
            for (size_t i = 0; i < n; ++i) {
                out.cells.push_back(
                    CellFormat{row, first + static_cast<int>(i), u16(d, 4 + each * i)});
            }
            break;
        }
        case 0x0006: { // FORMULA
            cellXf(d, 20);
            FormulaResult f{u16(d, 0) + 1, u16(d, 2) + 1, u16(d, 4), CellValue(), false};
            if (u16(d, 12) != 0xFFFF) {
                f.value = CellValue::number(bytes::f64(d, 6));
                f.isNumber = true;
            } else if (d[6] == 1) {
                f.value = CellValue::number(d[8] != 0 ? 1 : 0);
            } else if (d[6] == 0) {
                // the text result is in the STRING record that follows
                for (size_t j = k + 1; j < recs.size() && j <= k + 3; ++j) {
                    if (recs[j].type == 0x0207) {
                        const std::string_view t = recs[j].data;
                        std::string text;
                        if (t.size() >= 2) {
                            const size_t chars = u16(t, 0);
                            if (b8) {
                                unicodeEnd(t, 2, chars, &text);
                            } else if (2 + chars <= t.size()) {
                                text = text8(t.substr(2, chars), scan.codepage);
                            }
                        }
                        f.value = CellValue::text(text);
                        break;
                    }
                }
            }
            out.formulas.push_back(std::move(f));
            break;
        }
        case 0x007D: // COLINFO
            if (d.size() >= 10) {
                const int first = u16(d, 0) + 1;
                const int last = std::min<int>(u16(d, 2) + 1, 256);
                if (first <= last) {
                    out.cols.push_back(SheetScan::Col{first, last, u16(d, 4), u16(d, 6),
                                                      (u16(d, 8) & 0x0001) != 0});
                }
            }
            break;
        case 0x0208: // ROW
            if (d.size() >= 16) {
                SheetScan::Row row{u16(d, 0) + 1, std::nullopt, std::nullopt};
                const uint16_t flags = u16(d, 12);
                if (flags & 0x0020) {
                    row.height = 0.0;
                } else if (flags & 0x0040) {
                    row.height = (u16(d, 6) & 0x7FFF) / 20.0;
                }
                if (flags & 0x0080) {
                    row.xf = u16(d, 14) & 0x0FFF;
                }
                if (row.height || row.xf) {
                    out.rows.push_back(row);
                }
            }
            break;
        case 0x005D: // OBJ
        case 0x007F: // IMDATA
            noteLoss(notRewritable, "pictures, charts or controls");
            break;
        case 0x001C: // NOTE
            noteLoss(notRewritable, "comments");
            break;
        case 0x00B0: // SXVIEW
            noteLoss(notRewritable, "pivot tables");
            break;
        default:
            break;
        }
    }
    if (!sized) {
        // FreeXL works the size out itself then, but not reliably
        damaged("a sheet without its size record");
    }
}

// Two records for one cell: FreeXL would keep the second and lose track of the first.
void checkDistinctCells(std::vector<CellFormat> cells) {
    std::sort(cells.begin(), cells.end(), [](const CellFormat& a, const CellFormat& b) {
        return a.row != b.row ? a.row < b.row : a.col < b.col;
    });
    for (size_t i = 1; i < cells.size(); ++i) {
        if (cells[i].row == cells[i - 1].row && cells[i].col == cells[i - 1].col) {
            damaged("two records for one cell");
        }
    }
}

} // namespace

Scan scanWorkbook(std::string_view bytes) {
    Scan scan;
    const cfb::Reader container(bytes);
    const cfb::Entry* entry = container.findStream({"Workbook", "Book"});
    if (entry == nullptr) {
        throw SheetError("the file is not an .xls workbook (it holds no workbook stream)");
    }
    for (const cfb::Entry& e : container.entries()) {
        if (e.type == 1 &&
            (equalsNoCase(e.name, "_VBA_PROJECT_CUR") || equalsNoCase(e.name, "_VBA_PROJECT"))) {
            noteLoss(scan.notRewritable, "macros");
        }
    }
    const std::string stream = container.read(*entry);
    if (!container.plainLayout(*entry)) {
        throw SheetError("the workbook file is laid out in a way that cannot be read (a small "
                         "workbook stream out of order)");
    }
    scanGlobals(stream, scan);
    std::vector<uint32_t> offsets;
    for (const SheetEntry& e : scan.sheets) {
        offsets.push_back(e.offset);
    }
    checkFraming(stream, offsets);
    scan.sheetScans.resize(scan.sheets.size());
    for (size_t i = 0; i < scan.sheets.size(); ++i) {
        const uint32_t at = scan.sheets[i].offset;
        if (at >= stream.size()) {
            damaged("a sheet lies outside the workbook stream");
        }
        scanSheet(std::string_view(stream).substr(at), scan, scan.sheetScans[i],
                  scan.notRewritable);
        checkDistinctCells(scan.sheetScans[i].cells);
    }
    // FreeXL holds every cell of every sheet's declared area in memory at once
    uint64_t cells = 0;
    for (const SheetScan& ss : scan.sheetScans) {
        uint64_t used = ss.declaredCells;
        if (used == 0 && !ss.cells.empty()) {
            int rows = 0;
            int cols = 0;
            for (const CellFormat& c : ss.cells) {
                rows = std::max(rows, c.row);
                cols = std::max(cols, c.col);
            }
            used = static_cast<uint64_t>(rows) * static_cast<uint64_t>(cols);
        }
        cells += used;
    }
    if (cells > static_cast<uint64_t>(kMaxRows) * kMaxColumns) {
        throw SheetError("the workbook is too large to be read (its sheets span more than " +
                         std::to_string(static_cast<uint64_t>(kMaxRows) * kMaxColumns) + " cells)");
    }
    return scan;
}

} // namespace store::sheet::xls
