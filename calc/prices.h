// The computed price and weight values of the partial summary, the order summary, the stock
// and the price list, and the handling of summary rows whose part cannot be priced.
#pragma once

#include "store/messages.h"
#include "store/tdm.h"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
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

    // The sums of `ar` and `ar2` over the visible rows of a summary, worked out from the rows'
    // part numbers and quantities with the same formulas as the rows show, without running
    // the row calculation of each row. Rows that cannot be priced count 0 and are reported as
    // when they are shown.
    std::pair<double, double> totals(store::Table& summary);

    // Reports, logs and removes every summary row found unpriceable since the last call;
    // each row is reported once. Returns the number of rows removed.
    int removeUnpriceable();
    bool removalPending() const { return !pending_.empty(); }

private:
    // positions of the fields a row calculation reads and writes, per handle
    struct RowFields {
        int key = -1, darab = -1, ar = -1, ar2 = -1, ear = -1, ear2 = -1, gew = -1;
    };
    const RowFields& rowFields(store::DataSet& ds, const char* key, const char* total);
    struct Pending {
        store::Table* handle;
        std::string bsnr;
        std::string quantity;
    };
    void summaryRow(store::DataSet& ds);
    void stockRow(store::DataSet& ds);
    void priceListRow(store::DataSet& ds);
    void markUnpriceable(store::DataSet& ds, const std::string& bsnr);
    void markUnpriceable(store::Table& handle, const std::string& bsnr, std::string quantity);
    bool openLookups();

    store::TDM& dm_;
    store::Messages& messages_;
    store::Table priceList_; // own handles: reading a row never moves the windows' handles
    store::Table groups_;
    // columns of the price list and the discount groups in their stored rows
    struct {
        int bsnr = -1, preis = -1, epreis = -1, fpreis = -1, pe = -1, kpe = -1, kpreis = -1,
            grupp = -1, pg = -1, rab = -1;
    } col_;
    std::vector<std::pair<const store::DataSet*, RowFields>> rowFields_;
    // the prices found so far, while the price list and the discount groups stay unchanged
    std::unordered_map<std::string, std::optional<PartPrice>> cache_;
    const void* cacheOf_ = nullptr;
    uint64_t cacheParts_ = 0, cacheGroups_ = 0;
    PriceSettings settings_;
    uint64_t settingsStamp_ = 0;
    std::vector<Pending> pending_;
    bool removing_ = false;
};

} // namespace calc
