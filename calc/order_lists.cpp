#include "calc/order_lists.h"

#include "store/format/format.h"

namespace calc {

using store::Table;
using store::Value;

std::string groupThousands(std::string text) {
    size_t p = text.find(',');
    if (p == std::string::npos) {
        p = text.find('.');
    }
    if (p == std::string::npos) {
        p = text.size();
    }
    ++p; // counted from 1
    if (p > 4) {
        text.insert(p - 4, " ");
        if (p > 7) {
            text.insert(p - 7, " ");
        }
    }
    return text;
}

std::string totalText(double sum, const std::string& decimalMark) {
    std::string t = store::fmt::formatGeneral(store::fmt::roundHalfEven(sum, 2));
    if (decimalMark != ",") {
        if (const size_t at = t.find(','); at != std::string::npos) {
            t.replace(at, 1, decimalMark);
        }
    }
    return groupThousands(t);
}

Totals sumOf(store::DataSet& list, Prices* prices) {
    Totals t;
    if (!list.active()) {
        return t;
    }
    if (auto* table = dynamic_cast<Table*>(&list); table && prices) {
        const auto [euro, forint] = prices->totals(*table);
        return {euro, forint};
    }
    const int ar = list.fieldByName("ar").index();
    const int ar2 = list.fieldByName("ar2").index();
    const int rows = list.rowCount();
    for (int r = 0; r < rows; ++r) {
        const Value a = list.rowValue(r, ar);
        const Value b = list.rowValue(r, ar2);
        t.euro += a.isFloat() ? a.floatValue() : 0;
        t.forint += b.isFloat() ? b.floatValue() : 0;
    }
    return t;
}

ButtonStates buttonStates(bool partialEmpty, bool orderEmpty, bool KR, bool Konv, bool automatic) {
    ButtonStates b;
    b.partialProfile = KR && !partialEmpty && !automatic;
    b.orderProfile = Konv && !orderEmpty && !automatic;
    b.partialRows = !partialEmpty;
    b.orderRows = !orderEmpty;
    return b;
}

namespace {

std::string itemText(const Control& c) {
    if (c.itemIndex < 0 || c.itemIndex >= static_cast<int>(c.items.size())) {
        return {};
    }
    return c.items[static_cast<size_t>(c.itemIndex)];
}

int32_t entryInt(const Control& c) {
    return store::fmt::parseInt32(c.text).value_or(0);
}

} // namespace

LogRecord logRecord(const EntryModel& entry, const std::string& typeName, bool Profilvaltva,
                    const std::string& profileName) {
    const EntryControls& c = entry.controls();
    const Window w = entry.window();
    LogRecord r;
    r.Tpus = typeName;
    r.Mag = entryInt(c.Emagassag);
    r.Szel = entryInt(c.Eszelesseg);
    r.Darab = entryInt(c.Emennyiseg);
    r.Pant = c.rgptip.enabled ? itemText(c.rgptip) : "--";
    r.Szin = itemText(c.rgpszin);
    r.Anyag = itemText(c.rgpanyag);
    r.ERab = c.Erab.enabled ? entryInt(c.Erab) : 0;
    if (w.material != 0 || (w.type >= 23 && w.type <= 27)) {
        r.Profil = "--";
    } else {
        r.Profil = Profilvaltva ? profileName : "Rehau";
    }
    r.Eckband = c.Checkeckband.checked && c.Checkeckband.enabled ? "Eckband" : "--";
    r.Nyitas = c.rgpnyitas.enabled ? itemText(c.rgpnyitas) : "--";
    // as the collection reads it: a box hidden for the type is not the rail of the window
    r.Ts = w.rail ? "TS" : "--";
    r.Rzar = c.cb.visible ? (c.cb.checked ? "3" : "23") : "--";
    if (c.cbr.visible && c.cbr.checked) {
        r.Rzar += "/ 15";
    }
    return r;
}

OrderLists::OrderLists(store::TDM& dm, Collection& collection, store::Messages& messages)
    : dm_(dm), collection_(collection), messages_(messages) {}

void OrderLists::Osszesit(const std::optional<LogRecord>& log) {
    Table& tarolo = dm_.Tbltarol;
    Table& partial = dm_.Tblreszossz;
    Table& order = dm_.tblkigyujt;
    for (Table* t : {&tarolo, &partial, &order}) {
        store::openIfClosed(*t);
    }
    collection_.Ujkigyujtes = false;
    store::editIfBrowsing(tarolo);
    if (!tarolo.fieldByName("KR").asBoolean()) {
        tarolo.fieldByName("KR").setAsBoolean(true);
        tarolo.fieldByName("Konv").setAsBoolean(false);
        tarolo.post();
    }
    {
        store::ControlsDisabled quietPartial(partial);
        store::ControlsDisabled quietOrder(order);
        const int total = partial.recordCount();
        int done = 0;
        for (partial.first(); !partial.eof(); partial.next()) {
            const int64_t n = partial.fieldByName("Darab").asInteger();
            if (n != 0) {
                const std::string bsnr = partial.fieldByName("BSNR").asString();
                if (order.findKey({Value(bsnr)})) {
                    const int64_t sum = order.fieldByName("Darab").asInteger() + n;
                    if (sum == 0) {
                        order.deleteRecord(); // taken off the order entirely
                    } else {
                        order.edit();
                        order.fieldByName("Darab").setAsInteger(sum);
                        order.fieldByName("Keszet").setAsInteger(0);
                        order.post();
                    }
                } else {
                    order.append();
                    order.fieldByName("BSNR").setAsString(bsnr);
                    order.fieldByName("Darab").setAsInteger(n);
                    order.fieldByName("Keszet").setAsInteger(0);
                    order.post();
                }
            }
            step(++done, total);
        }
        partial.emptyTable();
    }
    order.first();
    if (collection_.Naplozando && log) {
        Table& naplo = dm_.tblnaplo;
        store::openIfClosed(naplo);
        naplo.append();
        naplo.fieldByName("Tpus").setAsString(log->Tpus);
        naplo.fieldByName("Mag").setAsInteger(log->Mag);
        naplo.fieldByName("Szel").setAsInteger(log->Szel);
        naplo.fieldByName("Darab").setAsInteger(log->Darab);
        naplo.fieldByName("Pant").setAsString(log->Pant);
        naplo.fieldByName("Szin").setAsString(log->Szin);
        naplo.fieldByName("Anyag").setAsString(log->Anyag);
        naplo.fieldByName("ERab").setAsInteger(log->ERab);
        naplo.fieldByName("Profil").setAsString(log->Profil);
        naplo.fieldByName("Eckband").setAsString(log->Eckband);
        naplo.fieldByName("Nyitas").setAsString(log->Nyitas);
        naplo.fieldByName("Ts").setAsString(log->Ts);
        naplo.fieldByName("Rzar").setAsString(log->Rzar);
        naplo.post();
        collection_.Naplozando = false;
        collection_.Profilvaltva = false;
    }
}

void OrderLists::deleteOrderRow() {
    Table& order = dm_.tblkigyujt;
    store::openIfClosed(order);
    if (!order.isEmpty()) {
        order.deleteRecord();
    }
    if (order.isEmpty()) {
        store::openIfClosed(dm_.tblnaplo);
        dm_.tblnaplo.emptyTable();
    }
}

bool OrderLists::deletePartialList() {
    if (!messages_.yesNo("Biztos törölni akarja?")) {
        return false;
    }
    store::openIfClosed(dm_.Tblreszossz);
    dm_.Tblreszossz.emptyTable();
    return true;
}

bool OrderLists::deleteOrderList() {
    const bool yes = messages_.yesNo("Biztos törölni akarja?");
    if (yes) {
        store::openIfClosed(dm_.tblkigyujt);
        store::openIfClosed(dm_.tblnaplo);
        dm_.tblkigyujt.emptyTable();
        dm_.tblnaplo.emptyTable();
    }
    Table& tarolo = dm_.Tbltarol;
    store::openIfClosed(tarolo);
    store::editIfBrowsing(tarolo);
    tarolo.fieldByName("Konv").setAsBoolean(true);
    tarolo.post();
    return yes;
}

bool OrderLists::changeQuantities() {
    const auto answer = messages_.inputBox("Mennyiség vátoztatás",
                                           "Mennyiség növelése/csökkentése adott %-al:", "0");
    if (!answer) {
        return false;
    }
    const auto p = store::fmt::parseNumber(*answer);
    if (!p) {
        messages_.error("A megadott érték formailag nem megengedett!");
        return false;
    }
    const double percent = *p < -100 ? -100 : *p;
    Table& partial = dm_.Tblreszossz;
    try {
        store::openIfClosed(partial);
        store::ControlsDisabled quiet(partial);
        for (partial.first(); !partial.eof(); partial.next()) {
            store::Field& darab = partial.fieldByName("Darab");
            const double n = static_cast<double>(darab.asInteger()) * (1 + percent / 100);
            partial.edit();
            darab.setAsInteger(store::fmt::roundToInt(n));
            partial.post();
        }
        partial.first();
    } catch (const std::exception&) {
        // the rows changed so far stay changed
        messages_.error("A megadott érték formailag nem megengedett!");
        return false;
    }
    return true;
}

void OrderLists::cartonSplit() {
    Table& tarolo = dm_.Tbltarol;
    Table& partial = dm_.Tblreszossz;
    Table& order = dm_.tblkigyujt;
    for (Table* t : {&tarolo, &partial, &order}) {
        store::openIfClosed(*t);
    }
    collection_.Ujkigyujtes = false;
    store::ControlsDisabled quietPartial(partial);
    store::ControlsDisabled quietOrder(order);
    store::editIfBrowsing(tarolo);
    tarolo.fieldByName("KR").setAsBoolean(false);
    tarolo.post();
    partial.emptyTable();
    auto add = [&](const std::string& bsnr, int64_t n) {
        if (partial.findKey({Value(bsnr)})) {
            partial.edit();
        } else {
            partial.append();
            partial.fieldByName("BSNR").setAsString(bsnr);
            partial.fieldByName("Darab").setAsInteger(0);
        }
        store::Field& darab = partial.fieldByName("Darab");
        darab.setAsInteger(darab.asInteger() + n);
        partial.post();
    };
    const int total = order.recordCount();
    int done = 0;
    for (order.first(); !order.eof(); order.next()) {
        const int64_t PE = order.fieldByName("pe").asInteger();
        const int64_t K = order.fieldByName("kpe").asInteger();
        const int64_t d = order.fieldByName("Darab").asInteger();
        const std::string bsnr = order.fieldByName("BSNR").asString();
        if (PE < K && d >= K) {
            if (d % K != 0) {
                add(bsnr, d % K);
            }
            add(order.fieldByName("BSNR2").asString(), d / K);
        } else {
            add(bsnr, d);
        }
        step(++done, total);
    }
    partial.first();
    order.first();
}

void OrderLists::roundUpToCartons() {
    Table& order = dm_.tblkigyujt;
    store::openIfClosed(order);
    store::ControlsDisabled quiet(order);
    const int total = order.recordCount();
    int done = 0;
    for (order.first(); !order.eof(); order.next()) {
        const int64_t K = order.fieldByName("kpe").asInteger();
        const int64_t PE = order.fieldByName("pe").asInteger();
        const int64_t d = order.fieldByName("Darab").asInteger();
        // a negative quantity (parts taken off the order) is left as it is
        if (K > PE && K > 0 && d > 0 && d % K != 0) {
            order.edit();
            order.fieldByName("Darab").setAsInteger(d + K - (d % K));
            order.post();
        }
        step(++done, total);
    }
    order.first();
}

void OrderLists::renameLogProfiles(const std::string& profileName) {
    Table& naplo = dm_.tblnaplo;
    store::openIfClosed(naplo);
    for (naplo.first(); !naplo.eof(); naplo.next()) {
        if (store::fmt::trim(naplo.fieldByName("Profil").asString()) != "--") {
            naplo.edit();
            naplo.fieldByName("Profil").setAsString(profileName);
            naplo.post();
        }
    }
    naplo.first();
}

} // namespace calc
