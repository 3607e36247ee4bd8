// The report operations the windows call: preview, printer set-up and print (binding the data
// set is done on the report itself). Each report keeps its own printer settings.
#pragma once

#include "reports/engine/report.h"
#include "reports/painter.h"

#include <memory>

class QPrinter;
class QWidget;

namespace reports {

class ReportPrinter {
public:
    explicit ReportPrinter(engine::Report& report);
    ~ReportPrinter();
    ReportPrinter(const ReportPrinter&) = delete;
    ReportPrinter& operator=(const ReportPrinter&) = delete;

    engine::Report& report() const { return report_; }
    // The printer this report prints on: A4 (the report's paper), full page, its copies.
    QPrinter& printer();

    // Shows the pages in a modal preview window with page navigation, zoom, printer set-up
    // and print; returns when it is closed. A report that prints nothing (empty and not
    // "prints when empty") shows no window. Returns false when nothing was shown.
    bool preview(QWidget* parent = nullptr);
    // The printer set-up dialog; true on OK.
    bool printerSetup(QWidget* parent = nullptr);
    // Prints through the platform's print dialog (showDialog) or straight on the printer
    // (printing to a PDF file when the printer's output file name is set). False when the
    // dialog was cancelled, nothing was printed or the printer failed.
    bool print(QWidget* parent = nullptr, bool showDialog = true);
    // Paints the pages onto a printer, within the printer's chosen page range.
    static bool printDocument(const engine::Document& doc, QPrinter& printer);

private:
    engine::Report& report_;
    std::unique_ptr<QPrinter> printer_;
};

} // namespace reports
