// The computed price and weight values of the partial summary, the order summary, the stock
// and the price list, and the handling of summary rows whose part cannot be priced.
#pragma once

#include "store/messages.h"
#include "store/tdm.h"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace calc {

// What the price of one part is made of: its price-list record and its group discount.
struct PartPrice {
    double PREIS = 0;
    double Epreis = 0;
    double Fpreis = 0;
    int32_t PE = 1;
    int32_t Kpe = 1;
    double Kpreis = 0; // weight of one piece, kg
    double g = 0;      // group discount, percent
};

// The settings record's values the prices read.
struct PriceSettings {
    double Grupp1 = 0;     // general discount, percent
    double Grupp5 = 0;     // general surcharge, percent
    double Arfolyam = 260; // local currency per unit of the price-list currency
};

struct RowPrices {
    double ar = 0;   // total, price-list currency
    double ar2 = 0;  // total, local currency
    double ear = 0;  // unit price, price-list currency
    double ear2 = 0; // unit price, local currency
    double gew = 0;  // total weight, kg
};

// The values of a row of `quantity` pieces packed by `P` (the row's packaging unit). A
// customer price (Fpreis) carries no group discount; the unit price carries neither the
// general surcharge nor the general discount.
RowPrices rowPrices(const PartPrice& part, double quantity, double P, const PriceSettings& s);

class Prices {
public:
    // Attaches the computed values to Tblreszossz, tblkigyujt, Tblkeszlet and Tblarlista; the
    // destructor detaches them.
    Prices(store::TDM& dm, store::Messages& messages);
    ~Prices();
    Prices(const Prices&) = delete;
    Prices& operator=(const Prices&) = delete;

    // Keeps the bad part code list: appends the line and saves the list.
    std::function<void(const std::string& line)> logBadPart;
    // Asks for removeUnpriceable() to run soon (a window posts it to its event loop); unset:
    // the caller runs it after reading the rows.
    std::function<void()> scheduleRemoval;
    // The current date and time as the log line shows them ("2026.12.11.", "14:39:05").
    std::function<std::pair<std::string, std::string>()> now;

    // The part's price, or nothing when the part is not in the price list or its discount
    // group has no record.
    std::optional<PartPrice> partPrice(const std::string& bsnr);
    PriceSettings settings();

    // Reports, logs and removes every summary row found unpriceable since the last call;
    // each row is reported once. Returns the number of rows removed.
    int removeUnpriceable();
    bool removalPending() const { return !pending_.empty(); }

private:
    struct Pending {
        store::Table* handle;
        std::string bsnr;
        std::string quantity;
    };
    void summaryRow(store::DataSet& ds);
    void stockRow(store::DataSet& ds);
    void priceListRow(store::DataSet& ds);
    void markUnpriceable(store::DataSet& ds, const std::string& bsnr);
    bool openLookups();

    store::TDM& dm_;
    store::Messages& messages_;
    store::Table priceList_; // own cursors: reading a row never moves the windows' handles
    store::Table groups_;
    std::vector<Pending> pending_;
    bool removing_ = false;
};

} // namespace calc
