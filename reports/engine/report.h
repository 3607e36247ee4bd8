// A banded report definition: page set-up, bands and the elements printed on them.
//
// Units. Every position and size of a band or an element is in report units: screen pixels
// of a 96-dpi display, 1 unit = 1/96 inch = 0.2646 mm. Horizontal positions are counted from
// the left margin, vertical ones from the top of the band. Margins and the paper are given in
// millimetres (A4 = 210 x 297 mm = 793.7 x 1122.5 units); with the usual 10 mm margins the
// printable band is 190 mm = 718 units wide. Font sizes are in points (1 pt = 4/3 units).
// The "units" setting of a report (millimetres, inches) is only the unit the designer shows;
// it does not change how the positions are read.
//
// Bands print in the order of a banded report generator: on each page the page header (on the
// first page only with the option "first page header"), on the first page the title, then on
// each page the column header; then for every record the group headers whose value changed and
// the detail band; after the last record the summary band and its child; at the foot of each
// page the page footer (on the last page only with the option "last page footer"). A report
// whose data set is empty prints nothing at all unless "prints when empty" is on; then it prints
// its frame (headers, title, summary, footers) without records.
#pragma once

#include "store/engine/dataset.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace reports::engine {

inline constexpr double kUnitsPerInch = 96.0;
inline constexpr double kUnitsPerMm = kUnitsPerInch / 25.4;
inline constexpr double kUnitsPerPoint = kUnitsPerInch / 72.0;

inline double mmToUnits(double mm) {
    return mm * kUnitsPerMm;
}
inline double unitsToMm(double units) {
    return units / kUnitsPerMm;
}

// A layout or binding that cannot be printed (no data set, a field the data set lacks, an
// expression that cannot be read).
class ReportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Align { Left, Right, Center };

// A colour: a fixed RGB value or one of the desktop's colours, which the painting step resolves.
enum class SystemColor { None, WindowText, TooltipBackground };

struct Color {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    SystemColor system = SystemColor::None;

    static constexpr Color rgb(uint8_t r, uint8_t g, uint8_t b) {
        return Color{r, g, b, SystemColor::None};
    }
    static constexpr Color windowText() { return Color{0, 0, 0, SystemColor::WindowText}; }
    static constexpr Color tooltipBackground() {
        return Color{0, 0, 0, SystemColor::TooltipBackground};
    }
    bool operator==(const Color&) const = default;
};

inline constexpr Color kBlack = Color::rgb(0, 0, 0);
inline constexpr Color kBlue = Color::rgb(0, 0, 255);
inline constexpr Color kWhite = Color::rgb(255, 255, 255);

// A font by name; "Arial" and "Arial Narrow" are the report fonts, the painting step puts the
// platform's metric-compatible faces in their place.
struct Font {
    std::string family = "Arial";
    double size = 10; // points
    bool bold = false;
    bool italic = false;
    bool underline = false;

    bool operator==(const Font&) const = default;
};

inline const char* const kArial = "Arial";
inline const char* const kArialNarrow = "Arial Narrow";

enum class ElementKind {
    Label,      // fixed text
    DataField,  // a field of a data set
    SysData,    // running record number, page number, date
    Expression, // SUM(handle.field) over the printed records
    Memo,       // lines of text, word-wrapped to the width
    Shape,      // filled rectangle or line
    Picture,    // an image file, stretched into its rectangle
};

enum class SysDataKind { DetailNumber, PageNumber, Date };
enum class ShapeKind { Rectangle, HorizontalLine, VerticalLine };

struct Element {
    ElementKind kind = ElementKind::Label;
    std::string name;
    double left = 0;
    double top = 0;
    double width = 0;  // 0: as wide as its text
    double height = 0; // 0: one line of its font
    Font font;
    Color color = kBlack;
    Align align = Align::Left;
    bool enabled = true;

    std::string text;               // Label
    std::vector<std::string> lines; // Memo
    bool autoStretch = false;       // Memo: the band grows to show every line

    // DataField: the field of `dataSet`, or of the report's data set while `dataSet` is null
    // and `ownDataSet` is false. An element with its own data set that is not bound prints
    // nothing. Numbers are formatted with `mask` (store::fmt::formatMask), or with the field's
    // display format when there is no mask; texts are printed as they are.
    store::DataSet* dataSet = nullptr;
    bool ownDataSet = false;
    std::string field;
    std::string mask; // DataField and Expression

    SysDataKind sysData = SysDataKind::DetailNumber;
    std::string expression; // "SUM(tblkigyujt.ar)"

    ShapeKind shape = ShapeKind::Rectangle;
    Color brush = kBlack; // fill of a rectangle, colour of a line
    double penWidth = 1;

    std::filesystem::path picture; // Picture; nothing is printed when empty
};

enum class BandKind {
    PageHeader,
    Title,
    ColumnHeader,
    GroupHeader,
    Detail,
    Summary,
    Child,
    PageFooter
};
std::string_view bandKindName(BandKind kind);

struct Frame {
    bool top = false;
    bool bottom = false;
    double width = 1;
    Color color = kBlack;
};

class Band {
public:
    Band(BandKind kind, double bandHeight) : height(bandHeight), kind_(kind) {}
    Band(const Band&) = delete;
    Band& operator=(const Band&) = delete;

    BandKind kind() const { return kind_; }
    double height;
    Frame frame;
    bool enabled = true;
    // Group header: a new group starts whenever this field of the report's data set changes.
    std::string groupField;
    // The band printed right after this one (a child band), or null.
    Band* child() const { return child_; }

    Element& add(Element e);
    const std::vector<std::unique_ptr<Element>>& elements() const { return elements_; }

private:
    friend class Report;
    BandKind kind_;
    Band* child_ = nullptr;
    Band* parent_ = nullptr;
    std::vector<std::unique_ptr<Element>> elements_;
};

enum class DesignUnit { Millimetres, Inches };

struct PageSetup {
    double paperWidthMm = 210; // A4 portrait
    double paperHeightMm = 297;
    double leftMm = 10;
    double topMm = 10;
    double rightMm = 10;
    double bottomMm = 10;
    DesignUnit unit = DesignUnit::Millimetres;
    int copies = 1;
    int zoomPercent = 100;

    double pageWidth() const { return mmToUnits(paperWidthMm); }
    double pageHeight() const { return mmToUnits(paperHeightMm); }
    double printableWidth() const { return mmToUnits(paperWidthMm - leftMm - rightMm); }
    double printableHeight() const { return mmToUnits(paperHeightMm - topMm - bottomMm); }
};

class Report {
public:
    explicit Report(std::string name = {}) : name_(std::move(name)) {}
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;
    virtual ~Report() = default;

    const std::string& name() const { return name_; }
    std::string caption; // the title of its window and of the printed document
    PageSetup page;
    bool firstPageHeader = true;
    bool lastPageFooter = true;
    bool printIfEmpty = true;

    // Binding the data set: the records the detail band prints and the data set of every
    // data field without one of its own.
    void setDataSet(store::DataSet* ds) { dataSet_ = ds; }
    store::DataSet* dataSet() const { return dataSet_; }

    Band& addBand(BandKind kind, double height);
    // A child band printed right after `parent`.
    Band& addChild(Band& parent, double height);
    const std::vector<std::unique_ptr<Band>>& bands() const { return bands_; }
    // The first band of that kind, or null.
    Band* band(BandKind kind) const;

    // Elements by name (exact); element() throws ReportError when there is none.
    Element* findElement(std::string_view name) const;
    Element& element(std::string_view name) const;
    // The labels whose text is `text`, in band order.
    std::vector<Element*> labels(std::string_view text) const;

private:
    std::string name_;
    store::DataSet* dataSet_ = nullptr;
    std::vector<std::unique_ptr<Band>> bands_;
};

} // namespace reports::engine
