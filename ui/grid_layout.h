// Grid layout files: a grid's column list kept between runs.
//
// The file is a Windows-1250 text file with CR LF line ends. The first line is
//     DIRURAR GRID LAYOUT 1
// the second names the cells of the column lines, separated by TAB:
//     Field  Title  Width  Visible  ReadOnly  Alignment  Color  Font  TitleColor  TitleFont
// and every further line is one column, in display order, with those cells separated by TAB:
//   Field      the field name
//   Title      the column title
//   Width      the width in pixels (whole number, 0: the grid's default)
//   Visible    1 or 0
//   ReadOnly   1 or 0
//   Alignment  left, right, center, or empty for the field's own alignment
//   Color      the cells' background as #rrggbb, empty for the grid's
//   Font       the cells' font as Qt writes a font description, empty for the grid's
//   TitleColor, TitleFont  the same for the title
// A TAB, CR, LF or backslash inside a cell is written as \t, \r, \n or \\. A reader takes the
// cells by the names of the second line: cells it does not know are ignored, missing ones keep
// their defaults. Empty lines are skipped.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ui {

struct ColumnLayout {
    std::string field;
    std::string title;
    int width = 0;
    bool visible = true;
    bool readOnly = false;
    std::string alignment; // "left", "right", "center" or empty
    std::string color;     // "#rrggbb" or empty
    std::string font;
    std::string titleColor;
    std::string titleFont;

    bool operator==(const ColumnLayout&) const = default;
};

std::vector<std::string> layoutLines(const std::vector<ColumnLayout>& columns);
// nullopt with *error when the text is not a layout
std::optional<std::vector<ColumnLayout>> parseLayout(const std::vector<std::string>& lines,
                                                     std::string* error = nullptr);

// The file is replaced only when it was written completely.
bool writeLayoutFile(const std::filesystem::path& file, const std::vector<ColumnLayout>& columns,
                     std::string* error = nullptr);
std::optional<std::vector<ColumnLayout>> readLayoutFile(const std::filesystem::path& file,
                                                        std::string* error = nullptr);

} // namespace ui
