#include "reports/painter.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <map>
#include <tuple>

namespace reports {

namespace {

constexpr double kMeasureDpi = 1200.0;

QString fromUtf8(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

QString platformFamily(const std::string& family) {
    static QHash<QString, QString> cache;
    const QString name = QString::fromStdString(family);
    auto it = cache.find(name);
    if (it != cache.end()) {
        return *it;
    }
    QString chosen = name;
    if (!QFontDatabase::hasFamily(name)) {
        const QString lower = name.toLower();
        const QString substitute =
            lower == QLatin1String("arial narrow") ? QStringLiteral("Liberation Sans Narrow")
            : lower == QLatin1String("arial")      ? QStringLiteral("Liberation Sans")
                                                   : QString();
        if (!substitute.isEmpty() && QFontDatabase::hasFamily(substitute)) {
            chosen = substitute;
        }
    }
    cache.insert(name, chosen);
    return chosen;
}

namespace {

QFont baseFont(const engine::Font& f) {
    QFont q(platformFamily(f.family));
    q.setBold(f.bold);
    q.setItalic(f.italic);
    q.setUnderline(f.underline);
    q.setHintingPreference(QFont::PreferNoHinting);
    q.setKerning(true);
    return q;
}

} // namespace

QFont qtFont(const engine::Font& font, const QPaintDevice& device) {
    QFont q = baseFont(font);
    const int dpi = device.logicalDpiY() > 0 ? device.logicalDpiY() : 96;
    q.setPointSizeF(font.size * engine::kUnitsPerInch / dpi);
    return q;
}

QColor qtColor(const engine::Color& c) {
    switch (c.system) {
    case engine::SystemColor::WindowText:
        return QColor(0, 0, 0);
    case engine::SystemColor::TooltipBackground:
        return QColor(0xff, 0xff, 0xdc);
    case engine::SystemColor::None:
        break;
    }
    return QColor(c.r, c.g, c.b);
}

namespace {

// The reference device the metrics are taken on.
const QImage& measureDevice() {
    static const QImage image = [] {
        QImage i(1, 1, QImage::Format_RGB32);
        const int dpm = static_cast<int>(kMeasureDpi / 0.0254 + 0.5);
        i.setDotsPerMeterX(dpm);
        i.setDotsPerMeterY(dpm);
        return i;
    }();
    return image;
}

constexpr double kMeasureScale = kMeasureDpi / engine::kUnitsPerInch;

} // namespace

struct QtFontMetrics::Cache {
    using Key = std::tuple<std::string, double, bool, bool, bool>;
    std::map<Key, QFontMetricsF> metrics;

    const QFontMetricsF& of(const engine::Font& f) {
        const Key key{f.family, f.size, f.bold, f.italic, f.underline};
        auto it = metrics.find(key);
        if (it == metrics.end()) {
            QFont q = baseFont(f);
            q.setPointSizeF(f.size);
            it = metrics.emplace(key, QFontMetricsF(q, &measureDevice())).first;
        }
        return it->second;
    }
};

QtFontMetrics::QtFontMetrics() : cache_(std::make_unique<Cache>()) {}

QtFontMetrics::~QtFontMetrics() = default;

double QtFontMetrics::textWidth(const engine::Font& font, std::string_view utf8) {
    return cache_->of(font).horizontalAdvance(fromUtf8(utf8)) / kMeasureScale;
}

double QtFontMetrics::lineHeight(const engine::Font& font) {
    return cache_->of(font).height() / kMeasureScale;
}

engine::Document layoutWithPlatformFonts(const engine::Report& report,
                                         const engine::LayoutOptions& options) {
    QtFontMetrics m;
    return engine::layoutReport(report, m, options);
}

void paintPage(QPainter& p, const engine::Page& page, double scale) {
    p.save();
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const QPaintDevice& device = *p.device();
    std::map<std::filesystem::path, QImage> images;
    for (const engine::Item& item : page.items) {
        if (const auto* t = std::get_if<engine::TextItem>(&item)) {
            p.setFont(qtFont(t->font, device));
            p.setPen(qtColor(t->color));
            int flags = Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;
            flags |= t->align == engine::Align::Right    ? Qt::AlignRight
                     : t->align == engine::Align::Center ? Qt::AlignHCenter
                                                         : Qt::AlignLeft;
            p.drawText(QRectF(t->rect.x, t->rect.y, t->rect.w, t->rect.h), flags,
                       fromUtf8(t->text));
        } else if (const auto* r = std::get_if<engine::RectItem>(&item)) {
            p.fillRect(QRectF(r->rect.x, r->rect.y, r->rect.w, r->rect.h), qtColor(r->fill));
        } else if (const auto* l = std::get_if<engine::LineItem>(&item)) {
            QPen pen(qtColor(l->color));
            pen.setWidthF(l->width);
            pen.setCapStyle(Qt::FlatCap);
            p.setPen(pen);
            p.drawLine(QPointF(l->x1, l->y1), QPointF(l->x2, l->y2));
        } else if (const auto* pic = std::get_if<engine::PictureItem>(&item)) {
            auto it = images.find(pic->file);
            if (it == images.end()) {
                it = images.emplace(pic->file, QImage(QString::fromStdString(pic->file.string())))
                         .first;
            }
            if (!it->second.isNull()) { // a missing picture leaves its place empty
                p.drawImage(QRectF(pic->rect.x, pic->rect.y, pic->rect.w, pic->rect.h), it->second);
            }
        }
    }
    p.restore();
}

bool writePdf(const engine::Document& doc, const std::filesystem::path& file, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error != nullptr) {
            *error = why;
        }
        return false;
    };
    if (doc.pages.empty()) {
        return fail("A riport üres, nincs mit nyomtatni.");
    }
    QSaveFile out(QString::fromStdString(file.string()));
    if (!out.open(QIODevice::WriteOnly)) {
        return fail("A fájl nem írható: " + file.string() + " (" + out.errorString().toStdString() +
                    ")");
    }
    {
        QPdfWriter pdf(&out);
        pdf.setResolution(static_cast<int>(kMeasureDpi));
        pdf.setPageSize(QPageSize(QSizeF(doc.setup.paperWidthMm, doc.setup.paperHeightMm),
                                  QPageSize::Millimeter));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(QString::fromStdString(doc.title));
        pdf.setCreator(QStringLiteral("dirurar"));
        QPainter painter;
        if (!painter.begin(&pdf)) {
            out.cancelWriting();
            return fail("A PDF nem készíthető el: " + file.string());
        }
        const double scale = pdf.resolution() / engine::kUnitsPerInch;
        for (size_t i = 0; i < doc.pages.size(); ++i) {
            if (i > 0) {
                pdf.newPage();
            }
            paintPage(painter, doc.pages[i], scale);
        }
        painter.end();
    }
    if (!out.commit()) {
        return fail("A fájl nem írható: " + file.string() + " (" + out.errorString().toStdString() +
                    ")");
    }
    return true;
}

} // namespace reports
