// Reading .xls workbooks (BIFF5 and BIFF8): the cell values from FreeXL, after the checking
// pass of xls_scan.h, which also gives the names, formula values, formats and sizes.
#include "store/engine/schema.h"
#include "store/format/format.h"
#include "store/sheet/number_format.h"
#include "store/sheet/workbook.h"
#include "store/sheet/xls_scan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <freexl.h>
#include <fstream>
#include <unordered_map>

namespace store::sheet {

namespace fs = std::filesystem;
using namespace xls;

namespace {

std::string freexlMessage(int rc) {
    switch (rc) {
    case FREEXL_FILE_NOT_FOUND:
        return "the workbook file cannot be opened";
    case FREEXL_INSUFFICIENT_MEMORY:
        return "the workbook is too large to be read";
    case FREEXL_BIFF_INVALID_BOF:
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        return "the file is not an .xls workbook of a supported version";
    case FREEXL_UNSUPPORTED_CHARSET:
        return "the workbook uses a character set that cannot be read";
    default:
        return "the workbook file is damaged (error " + std::to_string(rc) + " while reading)";
    }
}

struct FreeXl {
    const void* handle = nullptr;
    ~FreeXl() {
        if (handle != nullptr) {
            freexl_close(handle);
        }
    }
};

int32_t excelColour(uint32_t rgb) {
    return static_cast<int32_t>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
}

LineWeight weight(uint8_t style) {
    switch (style) {
    case 0:
        return LineWeight::None;
    case 7:
        return LineWeight::Hairline;
    case 2:
    case 8:
    case 10:
    case 12:
        return LineWeight::Medium;
    case 5:
    case 6:
        return LineWeight::Thick;
    default:
        return LineWeight::Thin;
    }
}

std::string builtInFormat(uint16_t index) {
    switch (index) {
    case 1:
        return "0";
    case 2:
        return "0.00";
    case 3:
        return "#,##0";
    case 4:
        return "#,##0.00";
    case 9:
        return "0%";
    case 10:
        return "0.00%";
    case 11:
        return "0.00E+00";
    case 14:
    case 15:
    case 16:
    case 17:
        return std::string(kDateFormat);
    case 18:
    case 19:
    case 20:
    case 21:
    case 45:
    case 46:
    case 47:
        return "hh:mm:ss";
    case 22:
        return "yyyy\\.mm\\.dd\\.\\ hh:mm";
    case 49:
        return "@";
    default:
        return {};
    }
}

} // namespace

class XlsReader {
public:
    static Workbook read(const fs::path& file);
};

Workbook XlsReader::read(const fs::path& file) {
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    if (ec) {
        throw SheetError("the workbook " + file.string() + " does not exist or cannot be read");
    }
    if (size > 512u * 1024u * 1024u) {
        throw SheetError("the workbook " + file.string() + " is too large to be read");
    }
    std::string bytes(static_cast<size_t>(size), '\0');
    {
        std::ifstream in(file, std::ios::binary);
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!in) {
            throw SheetError("the workbook " + file.string() + " cannot be read");
        }
    }
    Scan scan;
    try {
        scan = scanWorkbook(bytes);
    } catch (const SheetError& e) {
        throw SheetError(file.filename().string() + ": " + e.what());
    }

    FreeXl x;
    const int rc = freexl_open(file.string().c_str(), &x.handle);
    if (rc != FREEXL_OK) {
        throw SheetError(file.filename().string() + ": " + freexlMessage(rc));
    }
    unsigned int sheetCount = 0;
    freexl_get_info(x.handle, FREEXL_BIFF_SHEET_COUNT, &sheetCount);
    if (sheetCount != scan.sheets.size()) {
        throw SheetError(file.filename().string() + ": the workbook file is damaged (sheet list)");
    }

    Workbook book;
    book.setNotRewritable(scan.notRewritable);
    std::vector<int> ourIndex(scan.sheets.size(), -1);
    std::vector<std::optional<int>> styleCache(scan.xfs.size());
    auto styleOf = [&](uint16_t xfIndex) -> int {
        if (xfIndex >= scan.xfs.size()) {
            return -1;
        }
        if (styleCache[xfIndex]) {
            return *styleCache[xfIndex];
        }
        const XfInfo& xf = scan.xfs[xfIndex];
        Style st;
        const size_t fontRecord = xf.font < 4 ? xf.font : static_cast<size_t>(xf.font) - 1;
        if (xf.font != 4 && fontRecord < scan.fonts.size()) {
            const FontInfo& f = scan.fonts[fontRecord];
            st.bold = f.bold;
            st.italic = f.italic;
            if (f.colour < 8) {
                st.colour = excelColour(kDefaultPalette[f.colour]);
            } else if (f.colour < 64) {
                st.colour = excelColour(scan.palette[f.colour - 8]);
            }
        }
        if (auto it = scan.formats.find(xf.format); it != scan.formats.end()) {
            st.numberFormat = equalsNoCase(it->second, "General") ? "" : it->second;
        } else {
            st.numberFormat = builtInFormat(xf.format);
        }
        st.horizontal = xf.hor == 1   ? HAlign::Left
                        : xf.hor == 2 ? HAlign::Center
                        : xf.hor == 3 ? HAlign::Right
                                      : HAlign::General;
        st.vertical = xf.ver == 0 ? VAlign::Top : xf.ver == 1 ? VAlign::Center : VAlign::Bottom;
        st.left = weight(xf.left);
        st.right = weight(xf.right);
        st.top = weight(xf.top);
        st.bottom = weight(xf.bottom);
        const int index = st == Style{} ? -1 : book.styles().intern(st);
        styleCache[xfIndex] = index;
        return index;
    };

    for (unsigned int i = 0; i < sheetCount; ++i) {
        const SheetScan& ss = scan.sheetScans[i];
        if (!ss.worksheet) {
            continue;
        }
        const char* name = nullptr;
        if (freexl_get_worksheet_name(x.handle, static_cast<unsigned short>(i), &name) !=
                FREEXL_OK ||
            name == nullptr) {
            throw SheetError(file.filename().string() + ": the workbook file is damaged (sheet " +
                             "name)");
        }
        ourIndex[i] = book.sheetCount();
        Sheet& sheet = book.appendSheet(name);
        if (freexl_select_active_worksheet(x.handle, static_cast<unsigned short>(i)) != FREEXL_OK) {
            throw SheetError(file.filename().string() + ": the workbook file is damaged");
        }
        unsigned int rows = 0;
        unsigned short cols = 0;
        freexl_worksheet_dimensions(x.handle, &rows, &cols);
        rows = std::min<unsigned int>(rows, kMaxRows);
        cols = std::min<unsigned short>(cols, kMaxColumns);

        for (const auto& c : ss.cols) {
            for (int col = c.first; col <= c.last; ++col) {
                const double w = c.hidden ? 0.0 : std::max(0.0, (c.width - 182) / 256.0);
                sheet.setColumnWidth(col, std::min(255.0, std::round(w * 100) / 100));
                const int st = styleOf(c.xf);
                if (st >= 0) {
                    sheet.setColumnStyle(col, book.styles().at(st));
                }
            }
        }
        for (const auto& r : ss.rows) {
            if (r.row > kMaxRows) {
                continue;
            }
            if (r.height) {
                sheet.setRowHeight(r.row, std::min(409.0, *r.height));
            }
            if (r.xf) {
                const int st = styleOf(*r.xf);
                if (st >= 0) {
                    sheet.setRowStyle(r.row, book.styles().at(st));
                }
            }
        }
        // formats of the cells first (blank formatted cells included), then the values
        for (const CellFormat& cf : ss.cells) {
            if (cf.row <= kMaxRows && cf.col <= kMaxColumns) {
                const int st = styleOf(cf.xf);
                sheet.setStyleIndex(cf.row, cf.col, st >= 0 ? st : 0);
            }
        }
        for (unsigned int r = 0; r < rows; ++r) {
            for (unsigned short c = 0; c < cols; ++c) {
                FreeXL_CellValue v;
                if (freexl_get_cell_value(x.handle, r, c, &v) != FREEXL_OK) {
                    continue;
                }
                CellValue value;
                switch (v.type) {
                case FREEXL_CELL_INT:
                    value = CellValue::number(v.value.int_value);
                    break;
                case FREEXL_CELL_DOUBLE:
                    value = CellValue::number(v.value.double_value);
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                    value = CellValue::text(v.value.text_value ? v.value.text_value : "");
                    break;
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                case FREEXL_CELL_TIME: {
                    const std::string t = v.value.text_value ? v.value.text_value : "";
                    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
                    if (v.type == FREEXL_CELL_TIME) {
                        if (std::sscanf(t.c_str(), "%d:%d:%d", &h, &mi, &s) == 3) {
                            value = CellValue::number((h * 3600 + mi * 60 + s) / 86400.0);
                        }
                        break;
                    }
                    const int n =
                        std::sscanf(t.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s);
                    const store::Date date{y, mo, d};
                    if (n >= 3 && date.valid()) {
                        if (h == 0 && mi == 0 && s == 0) {
                            value = CellValue::date(date);
                        } else {
                            value = CellValue::number(dateSerial(date) +
                                                      (h * 3600 + mi * 60 + s) / 86400.0);
                        }
                    }
                    break;
                }
                default:
                    break;
                }
                if (!value.isEmpty()) {
                    sheet.setValue(static_cast<int>(r) + 1, static_cast<int>(c) + 1,
                                   std::move(value));
                }
            }
        }
        // formula results, which FreeXL leaves empty; a date format shows a date
        for (const FormulaResult& f : ss.formulas) {
            if (f.row > kMaxRows || f.col > kMaxColumns || !sheet.value(f.row, f.col).isEmpty()) {
                continue;
            }
            CellValue value = f.value;
            if (f.isNumber && isDateFormat(sheet.style(f.row, f.col).numberFormat)) {
                const double n = value.number();
                if (auto d = dateFromSerial(n); d && n == std::floor(n)) {
                    value = CellValue::date(*d);
                }
            }
            if (!value.isEmpty()) {
                sheet.setValue(f.row, f.col, std::move(value));
            }
        }
    }
    for (const RawName& n : scan.names) {
        if (n.sheet < 0 || static_cast<size_t>(n.sheet) >= ourIndex.size() ||
            ourIndex[static_cast<size_t>(n.sheet)] < 0) {
            continue;
        }
        DefinedName d;
        d.name = n.name;
        d.sheet = ourIndex[static_cast<size_t>(n.sheet)];
        d.scope = n.scope < 0 || static_cast<size_t>(n.scope) >= ourIndex.size()
                      ? -1
                      : ourIndex[static_cast<size_t>(n.scope)];
        d.area = n.area;
        d.area.lastRow = std::min(d.area.lastRow, kMaxRows);
        d.area.lastColumn = std::min(d.area.lastColumn, kMaxColumns);
        try {
            book.defineName(std::move(d));
        } catch (const SheetError&) {
            // a name this layer cannot address is left out
        }
    }
    return book;
}

Workbook Workbook::open(const fs::path& file) {
    return XlsReader::read(file);
}

} // namespace store::sheet
