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
        if (!priceList_.active() || !groups_.active()) {
            store::openIfClosed(priceList_);
            store::openIfClosed(groups_);
            const store::TableSchema& p = priceList_.store()->schema();
            col_.bsnr = p.fieldIndex("BSNR");
            col_.preis = p.fieldIndex("PREIS");
            col_.epreis = p.fieldIndex("Epreis");
            col_.fpreis = p.fieldIndex("Fpreis");
            col_.pe = p.fieldIndex("PE");
            col_.kpe = p.fieldIndex("Kpe");
            col_.kpreis = p.fieldIndex("Kpreis");
            col_.grupp = p.fieldIndex("Grupp");
            const store::TableSchema& g = groups_.store()->schema();
            col_.pg = g.fieldIndex("PG");
            col_.rab = g.fieldIndex("Rab");
        }
        return col_.bsnr >= 0 && col_.grupp >= 0 && col_.pg >= 0 && col_.rab >= 0;
    } catch (const std::exception&) {
        return false;
    }
}

namespace {

double number(const store::Row& r, int column) {
    if (column < 0) {
        return 0;
    }
    const Value& v = r[static_cast<size_t>(column)];
    return v.isFloat() ? v.floatValue() : v.isInt() ? static_cast<double>(v.intValue()) : 0;
}

} // namespace

std::optional<PartPrice> Prices::partPrice(const std::string& bsnr) {
    // straight through the stored rows and their indexes: no cursor moves, no events
    if (!openLookups()) {
        return std::nullopt;
    }
    store::SharedTable& parts = *priceList_.store();
    store::SharedTable& groups = *groups_.store();
    if (cacheOf_ != &parts || cacheParts_ != parts.version() || cacheGroups_ != groups.version()) {
        cache_.clear();
        cacheOf_ = &parts;
        cacheParts_ = parts.version();
        cacheGroups_ = groups.version();
    }
    if (auto hit = cache_.find(bsnr); hit != cache_.end()) {
        return hit->second;
    }
    auto& entry = cache_[bsnr];
    const uint32_t slot = parts.findHashed(col_.bsnr, Value(bsnr));
    if (slot == store::kNoSlot) {
        return std::nullopt;
    }
    const store::Row& r = parts.row(slot);
    const Value& group = r[static_cast<size_t>(col_.grupp)];
    if (group.isNull()) {
        return std::nullopt;
    }
    const uint32_t g = groups.findHashed(col_.pg, group);
    if (g == store::kNoSlot) {
        return std::nullopt;
    }
    PartPrice p;
    p.PREIS = number(r, col_.preis);
    p.Epreis = number(r, col_.epreis);
    p.Fpreis = number(r, col_.fpreis);
    p.PE = static_cast<int32_t>(number(r, col_.pe));
    p.Kpe = static_cast<int32_t>(number(r, col_.kpe));
    p.Kpreis = number(r, col_.kpreis);
    p.g = number(groups.row(g), col_.rab);
    entry = p;
    return p;
}

PriceSettings Prices::settings() {
    // read again after any change: an edited settings record counts as well
    const uint64_t stamp = dm_.session().changeCount();
    Table& t = dm_.Tbltarol;
    const bool editing = t.active() && t.state() != store::DataSetState::Browse;
    if (stamp == settingsStamp_ && !editing) {
        return settings_;
    }
    PriceSettings s;
    if (t.active() && !t.isEmpty()) {
        s.Grupp1 = t.fieldByName("Grupp1").asFloat();
        s.Grupp5 = t.fieldByName("Grupp5").asFloat();
        s.Arfolyam = t.fieldByName("Arfolyam").asFloat();
    }
    settings_ = s;
    settingsStamp_ = editing ? 0 : stamp;
    return s;
}

const Prices::RowFields& Prices::rowFields(DataSet& ds, const char* key, const char* total) {
    for (auto& [handle, f] : rowFields_) {
        if (handle == &ds && f.key < ds.fieldCount() && f.ar < ds.fieldCount() &&
            store::equalsNoCase(ds.field(f.key).name(), key) &&
            store::equalsNoCase(ds.field(f.ar).name(), total)) {
            return f;
        }
    }
    RowFields f;
    auto at = [&](const char* name) {
        store::Field* x = ds.findField(name);
        return x ? x->index() : -1;
    };
    f.key = at(key);
    f.darab = at("Darab");
    f.ar = at(total);
    f.ar2 = at("ar2");
    f.ear = at("ear");
    f.ear2 = at("ear2");
    f.gew = at("gew");
    std::erase_if(rowFields_, [&](const auto& e) { return e.first == &ds; });
    rowFields_.emplace_back(&ds, f);
    return rowFields_.back().second;
}

void Prices::summaryRow(DataSet& ds) {
    const RowFields& f = rowFields(ds, "BSNR", "ar");
    const std::string bsnr = ds.field(f.key).asString();
    const auto part = partPrice(bsnr);
    if (!part) {
        markUnpriceable(ds, bsnr);
        return;
    }
    const double N = static_cast<double>(ds.field(f.darab).asInteger());
    const RowPrices r = rowPrices(*part, N, part->PE, settings());
    ds.field(f.ar).setAsFloat(r.ar);
    ds.field(f.ar2).setAsFloat(r.ar2);
    ds.field(f.ear).setAsFloat(r.ear);
    ds.field(f.ear2).setAsFloat(r.ear2);
    ds.field(f.gew).setAsFloat(r.gew);
}

void Prices::stockRow(DataSet& ds) {
    // a stock row that cannot be priced simply shows no prices
    const RowFields& f = rowFields(ds, "Bsnr", "Ar");
    const auto part = partPrice(ds.field(f.key).asString());
    if (!part) {
        return;
    }
    const double N = static_cast<double>(ds.field(f.darab).asInteger());
    const RowPrices r = rowPrices(*part, N, part->PE, settings());
    ds.field(f.ar).setAsFloat(r.ar);
    ds.field(f.ar2).setAsFloat(r.ar2);
    ds.field(f.ear).setAsFloat(r.ear);
    ds.field(f.ear2).setAsFloat(r.ear2);
}

void Prices::priceListRow(DataSet& ds) {
    ds.fieldByName("ar").setAsFloat(ds.fieldByName("PREIS").asFloat() * settings().Arfolyam);
}

void Prices::markUnpriceable(DataSet& ds, const std::string& bsnr) {
    if (auto* handle = dynamic_cast<Table*>(&ds)) {
        markUnpriceable(*handle, bsnr, ds.fieldByName("Darab").asString());
    }
}

void Prices::markUnpriceable(Table& handle, const std::string& bsnr, std::string quantity) {
    if (removing_) {
        return;
    }
    for (const Pending& p : pending_) {
        if (p.handle == &handle && p.bsnr == bsnr) {
            return; // already waiting for its report
        }
    }
    // while an opened order is copied in, the quantity is that of the order line
    if (dm_.rendelesbetoltes && dm_.Tblrendel.active()) {
        quantity = dm_.Tblrendel.fieldByName("Darab").asString();
    }
    pending_.push_back({&handle, bsnr, std::move(quantity)});
    if (scheduleRemoval) {
        scheduleRemoval();
    }
}

std::pair<double, double> Prices::totals(Table& summary) {
    double euro = 0;
    double forint = 0;
    if (!summary.active()) {
        return {euro, forint};
    }
    const RowFields& f = rowFields(summary, "BSNR", "ar");
    const PriceSettings s = settings();
    auto add = [&](const Value& key, const Value& n) {
        const std::string& bsnr = key.isText() ? key.textValue() : std::string();
        const auto part = partPrice(bsnr);
        if (!part) {
            markUnpriceable(summary, bsnr, n.isInt() ? std::to_string(n.intValue()) : "");
            return;
        }
        const RowPrices p =
            rowPrices(*part, n.isInt() ? static_cast<double>(n.intValue()) : 0, part->PE, s);
        euro += p.ar;
        forint += p.ar2;
    };
    store::SharedTable* rows = summary.store();
    const int keyColumn = rows ? rows->schema().fieldIndex("BSNR") : -1;
    const int darabColumn = rows ? rows->schema().fieldIndex("Darab") : -1;
    if (rows && keyColumn >= 0 && darabColumn >= 0 && !summary.filtered() &&
        summary.masterSource() == nullptr && summary.state() == store::DataSetState::Browse) {
        // every stored row is shown: the sums are taken from the rows themselves
        for (uint32_t slot = 0; slot < rows->slotCount(); ++slot) {
            if (rows->live(slot)) {
                const store::Row& r = rows->row(slot);
                add(r[static_cast<size_t>(keyColumn)], r[static_cast<size_t>(darabColumn)]);
            }
        }
        return {euro, forint};
    }
    const int count = summary.rowCount();
    for (int r = 0; r < count; ++r) {
        add(summary.rowValue(r, f.key), summary.rowValue(r, f.darab));
    }
    return {euro, forint};
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
