// Painting laid-out report pages with QPainter: the platform's fonts and text metrics, one
// page onto any paint device, a whole document into a PDF file.
#pragma once

#include "reports/engine/layout.h"

#include <QColor>
#include <QFont>
#include <filesystem>
#include <memory>
#include <string>

class QPainter;
class QPaintDevice;

namespace reports {

// The face that prints a report font: the font itself when the platform has it, otherwise its
// metric-compatible substitute (Arial -> Liberation Sans, Arial Narrow -> Liberation Sans
// Narrow), so that texts keep the widths the layouts were designed for.
QString platformFamily(const std::string& family);

// The font for painting in report units: `device` decides how points become pixels, and the
// size is chosen so that after the painter's scaling to report units the text has its size.
QFont qtFont(const engine::Font& font, const QPaintDevice& device);

// Desktop colours resolve to what paper needs, not to the desktop's theme: window text is
// black and the tooltip background a pale yellow (as on a light desktop), so hidden prices
// stay hidden and shown prices stay readable whatever theme the desktop has.
QColor qtColor(const engine::Color& color);

// Text metrics of the platform's fonts, in report units (measured unhinted at 1200 dpi).
class QtFontMetrics : public engine::FontMetrics {
public:
    QtFontMetrics();
    ~QtFontMetrics() override;
    QtFontMetrics(const QtFontMetrics&) = delete;
    QtFontMetrics& operator=(const QtFontMetrics&) = delete;
    double textWidth(const engine::Font& font, std::string_view utf8) override;
    double lineHeight(const engine::Font& font) override;

private:
    struct Cache;
    std::unique_ptr<Cache> cache_; // the metrics of each font used, for this object's life
};

// Lays the report out with the platform's metrics.
engine::Document layoutWithPlatformFonts(const engine::Report& report,
                                         const engine::LayoutOptions& options = {});

// Paints one page; `scale` is the number of device pixels per report unit, the page's top left
// corner at the painter's current origin.
void paintPage(QPainter& painter, const engine::Page& page, double scale);

// Writes every page into a PDF of the document's paper size. The file is replaced only when
// everything was written. A document without pages writes nothing and returns false.
bool writePdf(const engine::Document& doc, const std::filesystem::path& file,
              std::string* error = nullptr);

} // namespace reports
