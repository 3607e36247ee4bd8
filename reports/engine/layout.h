// Laying out a report: the bands and elements of a Report over the records of its data set,
// turned into pages of positioned items (texts with their font, rectangles, lines, pictures).
// No painting happens here; the painting step draws the items into a PDF, on screen or on a
// printer. Item positions are absolute on the paper, in report units (see report.h).
#pragma once

#include "reports/engine/report.h"

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace reports::engine {

// Text measuring, in report units. The painting step supplies the platform's real metrics;
// tests use FixedFontMetrics.
class FontMetrics {
public:
    virtual ~FontMetrics() = default;
    virtual double textWidth(const Font& font, std::string_view utf8) = 0;
    virtual double lineHeight(const Font& font) = 0;
};

// Deterministic metrics: every character is half an em wide (Arial Narrow: 0.41 em, bold 10 %
// wider), a line is 1.15 em high. An em is the font size in units.
class FixedFontMetrics : public FontMetrics {
public:
    double textWidth(const Font& font, std::string_view utf8) override;
    double lineHeight(const Font& font) override;
};

struct Rect {
    double x = 0;
    double y = 0;
    double w = 0;
    double h = 0;
    double right() const { return x + w; }
    double bottom() const { return y + h; }
};

// Every item names the element it comes from (empty for band frames) and its band.
struct TextItem {
    std::string name;
    BandKind band = BandKind::Detail;
    Rect rect; // the text is aligned inside it, from its top edge
    std::string text;
    Font font;
    Color color;
    Align align = Align::Left;
};

struct RectItem {
    std::string name;
    BandKind band = BandKind::Detail;
    Rect rect;
    Color fill;
};

struct LineItem {
    std::string name;
    BandKind band = BandKind::Detail;
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
    double width = 1;
    Color color;
};

struct PictureItem {
    std::string name;
    BandKind band = BandKind::Detail;
    Rect rect;
    std::filesystem::path file;
};

using Item = std::variant<TextItem, RectItem, LineItem, PictureItem>;

struct Page {
    int number = 1;
    std::vector<Item> items;

    // The texts of the element `name`, in the order they were laid out.
    std::vector<const TextItem*> texts(std::string_view name) const;
    // The first text of element `name`, or of a label with exactly this text; null when none.
    const TextItem* text(std::string_view name) const;
    const TextItem* textEqual(std::string_view text) const;
    std::vector<const TextItem*> allTexts() const;
};

struct Document {
    std::string title;
    PageSetup setup;
    std::vector<Page> pages;

    double pageWidth() const { return setup.pageWidth(); }
    double pageHeight() const { return setup.pageHeight(); }
};

struct LayoutOptions {
    store::Date today = store::Date::today(); // what the date elements print
};

// Lays the report out over its data set. Reads the records without moving the data set's
// cursor; data fields bound to another data set print that data set's current record.
// Throws ReportError when the report has no open data set, a data field or a sum names a
// field or a data set that does not exist, or an expression cannot be read.
Document layoutReport(const Report& report, FontMetrics& metrics,
                      const LayoutOptions& options = {});

// A parsed expression: SUM(<dataset>.<field>), or a bare <dataset>.<field> (the field's value).
struct Expression {
    bool sum = false;
    std::string dataSet; // as written; matched without regard to case
    std::string field;
};
// Throws ReportError for anything else.
Expression parseExpression(std::string_view text);

// The text a data field prints for `value` of `field` with `mask` (see Element::mask).
std::string formatFieldValue(const store::Field& field, const store::Value& value,
                             std::string_view mask);

// UTF-8 helpers used by the layout: the code points of a text as separate strings, and the
// longest prefix of whole code points that is at most `width` wide.
std::vector<std::string> splitCodePoints(std::string_view utf8);
std::string fitPrefix(FontMetrics& metrics, const Font& font, std::string_view utf8, double width);
// Breaks `line` at blanks into lines at most `width` wide; a word wider than that is broken
// between characters. An empty line stays one empty line.
std::vector<std::string> wrapLine(FontMetrics& metrics, const Font& font, std::string_view line,
                                  double width);

} // namespace reports::engine
