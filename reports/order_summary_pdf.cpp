#include "reports/order_summary_pdf.h"

#include "reports/painter.h"

#include <QGuiApplication>

namespace reports {

namespace {

// An off-screen application for a process that has none. It stays for the rest of the
// process: the font database must outlive every font and metrics object made with it.
void ensureGuiApplication() {
    if (QCoreApplication::instance() != nullptr) {
        return;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "dirurar";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

} // namespace

PdfResult printOrderSummaryPdf(store::DataSet& summary,
                               const std::optional<WindowDescription>& window,
                               const std::filesystem::path& file,
                               const OrderSummaryOptions& options, std::string* error) {
    ensureGuiApplication();
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        if (error != nullptr) {
            *error = "A PDF készítéséhez grafikus alkalmazás szükséges.";
        }
        return PdfResult::Failed;
    }
    TFrmqrosszesit frm;
    frm.bind(summary);
    if (options.settings != nullptr) {
        frm.bindSettings(*options.settings);
    }
    frm.setVersion(options.version);
    if (options.installDate) {
        frm.setInstallDate(*options.installDate);
    }
    frm.setFooterLines(options.footer);
    frm.setLanguage(options.language);
    frm.setSecondCode(options.secondCode);
    frm.setPricesVisible(options.pricesVisible);
    if (options.exchangeRate) {
        frm.setExchangeRate(*options.exchangeRate);
    }
    frm.setPriceColumn(options.column, options.language);
    if (window) {
        frm.setWindow(*window); // otherwise the block stays empty and hidden
    }
    frm.setCustomer(options.customer);
    try {
        const engine::Document doc = layoutWithPlatformFonts(frm.QRposszesit);
        if (doc.pages.empty()) {
            return PdfResult::Empty;
        }
        return writePdf(doc, file, error) ? PdfResult::Written : PdfResult::Failed;
    } catch (const std::exception& e) {
        if (error != nullptr) {
            *error = e.what();
        }
        return PdfResult::Failed;
    }
}

} // namespace reports
