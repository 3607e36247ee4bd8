#include "calc/prices.h"

#include "store/format/format.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace calc {

using store::DataSet;
using store::Table;
using store::Value;

RowPrices rowPrices(const PartPrice& part, double quantity, double P, const PriceSettings& s) {
    double d = 100.0 - part.g;
    double U = part.Kpe > part.PE ? part.Epreis : part.PREIS;
    if (part.Fpreis != 0) {
        U = part.Fpreis;
        d = 100.0;
    }
    const double f5 = 1.0 + s.Grupp5 / 100.0;
    const double f1 = (100.0 - s.Grupp1) / 100.0;
    RowPrices r;
    r.ar = P * quantity * U * f5 * f1 * d / 100.0;
    r.ar2 = r.ar * s.Arfolyam;
    r.ear = U * d / 100.0;
    r.ear2 = r.ear * s.Arfolyam;
    r.gew = P * quantity * part.Kpreis;
    return r;
}

namespace {

std::pair<std::string, std::string> systemNow() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char time[16];
    std::snprintf(time, sizeof time, "%d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
    return {store::fmt::formatDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday), time};
}

} // namespace

Prices::Prices(store::TDM& dm, store::Messages& messages)
    : dm_(dm), messages_(messages), priceList_(dm.session(), "arak"),
      groups_(dm.session(), "csoportok") {
    priceList_.setAlias("diploma");
    priceList_.setTableName("arlista.db");
    groups_.setAlias("diploma");
    groups_.setTableName("rabat.db");
    now = systemNow;
    dm_.Tblreszossz.onCalcFields = [this](DataSet& ds) { summaryRow(ds); };
    dm_.tblkigyujt.onCalcFields = [this](DataSet& ds) { summaryRow(ds); };
    dm_.Tblkeszlet.onCalcFields = [this](DataSet& ds) { stockRow(ds); };
    dm_.Tblarlista.onCalcFields = [this](DataSet& ds) { priceListRow(ds); };
}

Prices::~Prices() {
    dm_.Tblreszossz.onCalcFields = nullptr;
    dm_.tblkigyujt.onCalcFields = nullptr;
    dm_.Tblkeszlet.onCalcFields = nullptr;
    dm_.Tblarlista.onCalcFields = nullptr;
}

bool Prices::openLookups() {
    try {
        if (!priceList_.active()) {
            priceList_.open();
        }
        if (!groups_.active()) {
            groups_.open();
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::optional<PartPrice> Prices::partPrice(const std::string& bsnr) {
    if (!openLookups() || !priceList_.findKey({Value(bsnr)})) {
        return std::nullopt;
    }
    const Value group = priceList_.fieldByName("Grupp").value();
    if (group.isNull() || !groups_.findKey({group})) {
        return std::nullopt;
    }
    PartPrice p;
    p.PREIS = priceList_.fieldByName("PREIS").asFloat();
    p.Epreis = priceList_.fieldByName("Epreis").asFloat();
    p.Fpreis = priceList_.fieldByName("Fpreis").asFloat();
    p.PE = static_cast<int32_t>(priceList_.fieldByName("PE").asInteger());
    p.Kpe = static_cast<int32_t>(priceList_.fieldByName("Kpe").asInteger());
    p.Kpreis = priceList_.fieldByName("Kpreis").asFloat();
    p.g = groups_.fieldByName("Rab").asFloat();
    return p;
}

PriceSettings Prices::settings() {
    PriceSettings s;
    Table& t = dm_.Tbltarol;
    if (t.active() && !t.isEmpty()) {
        s.Grupp1 = t.fieldByName("Grupp1").asFloat();
        s.Grupp5 = t.fieldByName("Grupp5").asFloat();
        s.Arfolyam = t.fieldByName("Arfolyam").asFloat();
    }
    return s;
}

void Prices::summaryRow(DataSet& ds) {
    const std::string bsnr = ds.fieldByName("BSNR").asString();
    const auto part = partPrice(bsnr);
    if (!part) {
        markUnpriceable(ds, bsnr);
        return;
    }
    const double N = static_cast<double>(ds.fieldByName("Darab").asInteger());
    const RowPrices r = rowPrices(*part, N, part->PE, settings());
    ds.fieldByName("ar").setAsFloat(r.ar);
    ds.fieldByName("ar2").setAsFloat(r.ar2);
    ds.fieldByName("ear").setAsFloat(r.ear);
    ds.fieldByName("ear2").setAsFloat(r.ear2);
    ds.fieldByName("gew").setAsFloat(r.gew);
}

void Prices::stockRow(DataSet& ds) {
    // a stock row that cannot be priced simply shows no prices
    const auto part = partPrice(ds.fieldByName("Bsnr").asString());
    if (!part) {
        return;
    }
    const double N = static_cast<double>(ds.fieldByName("Darab").asInteger());
    const RowPrices r = rowPrices(*part, N, part->PE, settings());
    ds.fieldByName("Ar").setAsFloat(r.ar);
    ds.fieldByName("ar2").setAsFloat(r.ar2);
    ds.fieldByName("ear").setAsFloat(r.ear);
    ds.fieldByName("ear2").setAsFloat(r.ear2);
}

void Prices::priceListRow(DataSet& ds) {
    ds.fieldByName("ar").setAsFloat(ds.fieldByName("PREIS").asFloat() * settings().Arfolyam);
}

void Prices::markUnpriceable(DataSet& ds, const std::string& bsnr) {
    auto* handle = dynamic_cast<Table*>(&ds);
    if (handle == nullptr || removing_) {
        return;
    }
    for (const Pending& p : pending_) {
        if (p.handle == handle && p.bsnr == bsnr) {
            return; // already waiting for its report
        }
    }
    // while an opened order is copied in, the quantity is that of the order line
    const Table& rendel = dm_.Tblrendel;
    std::string quantity = ds.fieldByName("Darab").asString();
    if (dm_.rendelesbetoltes && rendel.active()) {
        quantity = dm_.Tblrendel.fieldByName("Darab").asString();
    }
    pending_.push_back({handle, bsnr, quantity});
    if (scheduleRemoval) {
        scheduleRemoval();
    }
}

int Prices::removeUnpriceable() {
    if (removing_) {
        return 0;
    }
    removing_ = true;
    int removed = 0;
    std::vector<Pending> work;
    work.swap(pending_);
    for (const Pending& p : work) {
        std::string receipt;
        if (dm_.Tblmanual.active() && !dm_.Tblmanual.isEmpty()) {
            receipt = dm_.Tblmanual.fieldByName("BSNR").asString();
        }
        const auto [date, time] = now();
        const std::string name = p.handle->name();
        if (logBadPart) {
            logBadPart(name + ":  Hibás BSNR kód! " + p.bsnr + "  " + receipt + " " + date + " " +
                       time);
        }
        messages_.showMessage(name + ":  Hibás BSNR kód!\n" + p.bsnr + "\n" + receipt + "  ->  " +
                              p.quantity + "\nAz alkatrész automatikusan törlődik!");
        Table& t = *p.handle;
        if (!t.active()) {
            continue;
        }
        if (t.state() != store::DataSetState::Browse) {
            t.cancel();
        }
        const store::Bookmark here = t.bookmark();
        if (t.locate("BSNR", Value(p.bsnr))) {
            const bool wasCurrent = t.bookmark() == here;
            t.deleteRecord();
            ++removed;
            if (!wasCurrent && t.bookmarkValid(here)) {
                t.gotoBookmark(here);
            }
        }
    }
    removing_ = false;
    return removed;
}

} // namespace calc
