// The order summary report "Dirurar összesítő": the parts of the order or partial summary with
// prices, weights and totals, the window that was collected, the customer block and the
// footer text of the data folder.
#pragma once

#include "reports/engine/report.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace reports {

// Document language (Nyelvindex): 0 Magyar, 1 Német, 2 Roman, 3 Szerb, 4 English.
enum class Language { Magyar = 0, Nemet = 1, Roman = 2, Szerb = 3, English = 4 };

// The name field of the price list a document language prints.
std::string nameFieldOf(Language language);

// The column between the euro price and the forint price.
enum class PriceColumn { UnitPrice, Weight };

// The window that was collected, as the right block of the page header shows it.
struct WindowDescription {
    std::string type;     // type and hinge variant: "Bukó-nyíló ablak, Normal"
    std::string size;     // sizeText()
    std::string material; // material, with the profile system
    std::string opening;
    std::string colour;
    std::string quantity;          // quantityText()
    std::filesystem::path picture; // empty: the type picture set before stays

    // "1230 x 1480 mm", with the lock-side height "1230 x 1480 x 740 mm"
    static std::string sizeText(int width, int height, std::optional<int> lockSide = {});
    // "2 db "
    static std::string quantityText(int quantity);
};

// The customer block of the page header and the notes under the totals.
struct CustomerBlock {
    std::string customer;    // lvevo
    std::string kind;        // lajanlat, the order kind
    std::string orderNumber; // Qrszam
    std::vector<std::string> notes;
};

class TFrmqrosszesit {
public:
    TFrmqrosszesit();
    TFrmqrosszesit(const TFrmqrosszesit&) = delete;
    TFrmqrosszesit& operator=(const TFrmqrosszesit&) = delete;

    const std::string Caption = "Dirurar összesítő";
    engine::Report QRposszesit{"QRposszesit"};

    // The order summary (tblkigyujt) or the partial summary (Tblreszossz): the records, every
    // data field and the three sums SUM(<handle>.ar), SUM(<handle>.ar2), SUM(<handle>.gew).
    void bind(store::DataSet& summary);
    // The settings record whose Arfolyam the title band prints.
    void bindSettings(store::DataSet& tarolo);

    // Version label qver ("Verzió: 25.12.1") and the date of the first start Qinst.
    void setVersion(const std::string& text);
    void setInstallDate(const store::Date& date);
    // The footer memo QRMemo1: lines of the data folder's labj.txt (Windows-1250). A file
    // that cannot be read leaves the memo as it was and returns false.
    void setFooterLines(std::vector<std::string> lines);
    bool loadFooter(const std::filesystem::path& labj, std::string* error = nullptr);

    // The name field QRDBText1 by document language.
    void setLanguage(Language language);
    // The code field QRDBText3: BSNR, or BSNR2 when the second code is shown.
    void setSecondCode(bool second);
    // Prices shown in the window text colour, or hidden in the tooltip background colour.
    void setPricesVisible(bool visible);
    bool pricesVisible() const { return pricesVisible_; }
    // The forint masks of QRDBText6 and QRDBRendeles for an exchange rate.
    void setExchangeRate(double rate);
    static std::string forintMask(double rate);
    // The column QRLabel2 / QRDBRendeles: unit price or weight, captioned by language.
    void setPriceColumn(PriceColumn column, Language language);
    PriceColumn priceColumn() const { return column_; }

    // The type picture QRImage2, set by data entry when the window type changes.
    void setTypePicture(const std::filesystem::path& picture);
    // The right block of the page header: filled and enabled, or emptied and disabled (the
    // picture is kept, only disabled).
    void setWindow(const WindowDescription& window);
    void clearWindow();
    // The customer block (lvevo, lajanlat, Qrszam) and the notes qmemo.
    void setCustomer(const CustomerBlock& customer);
    void clearCustomer();

private:
    void updateUnitPriceColumn();

    bool pricesVisible_ = true;
    PriceColumn column_ = PriceColumn::UnitPrice;
    std::optional<double> rate_;
};

} // namespace reports
