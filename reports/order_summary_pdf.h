// A quotation without a window: the order summary layout over a summary, with the collected
// window's description block filled, written into a PDF file. The command-line tool calls
// this; it works without a display.
#pragma once

#include "reports/layouts/order_summary.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace reports {

inline constexpr const char* kVersionLabel = "Verzió: 25.12.1";

// The settings the program's settings apply step and its print step give the report.
struct OrderSummaryOptions {
    store::DataSet* settings = nullptr; // tarolo: the exchange rate printed in the title
    std::optional<double> exchangeRate; // the forint masks; none: the design masks
    Language language = Language::Magyar;
    bool secondCode = false;
    bool pricesVisible = true;
    PriceColumn column = PriceColumn::UnitPrice;
    std::string version = kVersionLabel;
    std::optional<store::Date> installDate;
    std::vector<std::string> footer; // lines of labj.txt
    CustomerBlock customer;
};

enum class PdfResult { Written, Empty, Failed };

// Lays the summary out with the order summary report and writes the PDF. An empty summary
// writes no file and gives Empty (the report prints nothing for it). A layout or file failure
// gives Failed with a description in *error. A process without an application gets an
// off-screen GUI application, kept until the process ends (fonts need one).
PdfResult printOrderSummaryPdf(store::DataSet& summary,
                               const std::optional<WindowDescription>& window,
                               const std::filesystem::path& file,
                               const OrderSummaryOptions& options = {},
                               std::string* error = nullptr);

} // namespace reports
