#include "reports/printing.h"

#include "reports/preview.h"

#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace reports {

ReportPrinter::ReportPrinter(engine::Report& report) : report_(report) {}

ReportPrinter::~ReportPrinter() = default;

QPrinter& ReportPrinter::printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        const engine::PageSetup& s = report_.page;
        printer_->setPageSize(
            QPageSize(QSizeF(s.paperWidthMm, s.paperHeightMm), QPageSize::Millimeter));
        printer_->setPageOrientation(QPageLayout::Portrait);
        printer_->setFullPage(true);
        printer_->setCopyCount(s.copies);
        printer_->setDocName(QString::fromStdString(report_.caption));
    }
    return *printer_;
}

bool ReportPrinter::preview(QWidget* parent) {
    engine::Document doc = layoutWithPlatformFonts(report_);
    if (doc.pages.empty()) {
        return false;
    }
    PreviewWindow w(std::move(doc), parent);
    w.setPrintAction([this, &w] { print(&w, true); });
    w.setPrinterSetupAction([this, &w] { printerSetup(&w); });
    w.exec();
    return true;
}

bool ReportPrinter::printerSetup(QWidget* parent) {
    QPageSetupDialog dlg(&printer(), parent);
    return dlg.exec() == QDialog::Accepted;
}

bool ReportPrinter::print(QWidget* parent, bool showDialog) {
    const engine::Document doc = layoutWithPlatformFonts(report_);
    if (doc.pages.empty()) {
        return false;
    }
    QPrinter& p = printer();
    if (showDialog) {
        QPrintDialog dlg(&p, parent);
        dlg.setMinMax(1, static_cast<int>(doc.pages.size()));
        if (dlg.exec() != QDialog::Accepted) {
            return false;
        }
    }
    return printDocument(doc, p);
}

bool ReportPrinter::printDocument(const engine::Document& doc, QPrinter& printer) {
    if (doc.pages.empty()) {
        return false;
    }
    int from = 1;
    int to = static_cast<int>(doc.pages.size());
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = std::max(from, printer.fromPage());
        to = std::min(to, printer.toPage() > 0 ? printer.toPage() : to);
    }
    if (from > to) {
        return false;
    }
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    const double scale = printer.resolution() / engine::kUnitsPerInch;
    for (int i = from; i <= to; ++i) {
        if (i > from) {
            printer.newPage();
        }
        paintPage(painter, doc.pages[static_cast<size_t>(i - 1)], scale);
    }
    return painter.end();
}

} // namespace reports
