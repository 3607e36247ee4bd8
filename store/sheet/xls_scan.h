// The checking pass over an .xls file that comes before FreeXL reads it: the compound file and
// every record FreeXL interprets are checked against their stated lengths and against what
// FreeXL can take (a damaged or foreign file gives an error instead of a crash, an endless loop
// or a leak in the library), and what FreeXL does not offer is read here: the defined names,
// the cached values of formulas, the cell formats, column widths and row heights.
#pragma once

#include "store/sheet/workbook.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace store::sheet::xls {

// The 56 colours of the default palette (indexes 8 to 63), as 0xRRGGBB.
inline constexpr std::array<uint32_t, 56> kDefaultPalette = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};

struct FontInfo {
    bool bold = false;
    bool italic = false;
    uint16_t colour = 0x7FFF;
};

struct XfInfo {
    uint16_t font = 0;
    uint16_t format = 0;
    uint8_t hor = 0;
    uint8_t ver = 2;
    uint8_t left = 0;
    uint8_t right = 0;
    uint8_t top = 0;
    uint8_t bottom = 0;
};

struct SheetEntry {
    uint32_t offset = 0;
    uint8_t type = 0; // 0 worksheet, 1 macro sheet, 2 chart, 6 module
};

struct RawName {
    std::string name;
    int scope = -1; // index among all sheets of the file, -1 workbook
    int sheet = -1; // index among all sheets of the file
    CellArea area;
};

struct CellFormat {
    int row;
    int col;
    uint16_t xf;
};

struct FormulaResult {
    int row;
    int col;
    uint16_t xf;
    CellValue value;
    bool isNumber = false;
};

struct SheetScan {
    bool worksheet = false;
    uint64_t declaredCells = 0; // rows x columns the sheet declares (FreeXL allocates them)
    std::vector<CellFormat> cells;
    std::vector<FormulaResult> formulas;
    struct Col {
        int first;
        int last;
        uint16_t width;
        uint16_t xf;
        bool hidden;
    };
    std::vector<Col> cols;
    struct Row {
        int row;
        std::optional<double> height;
        std::optional<uint16_t> xf;
    };
    std::vector<Row> rows;
};

struct Scan {
    int biff = 8;
    int codepage = 1252;
    std::vector<FontInfo> fonts;
    std::unordered_map<uint16_t, std::string> formats;
    std::vector<XfInfo> xfs;
    std::vector<uint32_t> palette{kDefaultPalette.begin(), kDefaultPalette.end()};
    std::vector<SheetEntry> sheets;
    std::vector<std::array<uint16_t, 3>> xti;
    std::vector<RawName> names;
    std::vector<SheetScan> sheetScans;
    std::string notRewritable;
};

// Checks the file's bytes and reads what the workbook holds besides the cell values; throws
// SheetError.
Scan scanWorkbook(std::string_view fileBytes);

} // namespace store::sheet::xls
