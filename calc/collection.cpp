#include "calc/collection.h"

#include "store/format/format.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace calc {

using store::DataSet;
using store::Table;
using store::Value;

namespace {

bool in(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

bool oneOf(std::string_view m, std::initializer_list<std::string_view> list) {
    return std::find(list.begin(), list.end(), m) != list.end();
}

int32_t nearest(double v) {
    return static_cast<int32_t>(store::fmt::roundToInt(v));
}

} // namespace

std::optional<int32_t> sizeValue(int kind, const Window& w) {
    const int W = w.width;
    const int H = w.height;
    const int R = w.lockSide;
    switch (static_cast<SizeKind>(kind)) {
    case SizeKind::Independent:
        return std::nullopt;
    case SizeKind::Width:
        return W;
    case SizeKind::Height:
        return H;
    case SizeKind::LockSide:
        return R;
    case SizeKind::Computed:
        if (w.type == 23 && w.materialItems > 3) {
            return nearest(2.0 * W);
        }
        return nearest(
            std::sqrt(static_cast<double>(R - H) * (R - H) + static_cast<double>(W) * W));
    case SizeKind::HalfRab:
        return nearest(static_cast<double>(R) - W);
    case SizeKind::QuarterRrb:
        return nearest(static_cast<double>(R) - 2.0 * W);
    case SizeKind::AfVso:
        if ((in(W, 230, 330) && H >= 411) || (in(W, 331, 1800) && in(H, 310, 410))) {
            return 230;
        }
        if (in(W, 230, 330) && in(H, 310, 410)) {
            return 0;
        }
        return 600;
    case SizeKind::AfVsuVv: {
        int32_t s = 100;
        if (W >= 381 && H > 600) {
            s = 800;
        } else if (W >= 381) {
            s = 600;
        } else if (in(W, 360, 380) && H > 600) {
            s = 200;
        }
        return s;
    }
    case SizeKind::AfVsuStulp:
        if (W > 850) {
            return H > 800 ? 800 : 600;
        }
        return H <= 800 ? 200 : 300;
    case SizeKind::QuarterTerra:
        return nearest((static_cast<double>(R) - 2.0 * W) / 2.0);
    case SizeKind::VsoZol:
        if ((in(W, 290, 410) && in(H, 431, 3000)) || (in(W, 411, 800) && in(H, 320, 430))) {
            return 230;
        }
        if (in(W, 411, 1650) && in(H, 431, 3000)) {
            return 800;
        }
        return 2000;
    case SizeKind::RbFiller:
        return W > 900 ? H - 70 : H;
    case SizeKind::AfVsu:
        return in(W, 331, 850) && in(H, 260, 460) ? 230 : 800;
    case SizeKind::VrVso:
        if ((in(W, 230, 330) && in(H, 461, 3000)) || (in(W, 331, 850) && in(H, 260, 460))) {
            return 300;
        }
        if (in(W, 331, 1650) && in(H, 461, 3000)) {
            return 800;
        }
        return std::nullopt;
    case SizeKind::VrVsu:
        if (in(W, 331, 850) && in(H, 260, 460)) {
            return 300;
        }
        if (in(W, 230, 1650) && in(H, 461, 3000)) {
            return 800;
        }
        return std::nullopt;
    }
    return std::nullopt; // a kind the program does not know leaves the value as it was
}

bool gearFits(int32_t getriebe, int32_t options) {
    if (getriebe == 1) {
        return true;
    }
    const int32_t both = options & getriebe;
    return both == 5 || both == 6 || both == 9 || both == 10;
}

bool handleModuleSkipped(std::string_view module, const HandleSettings& h) {
    if (!h.kilincs) {
        return oneOf(module, {"4300007", "4100007", "4200007", "4000007"});
    }
    if (h.hoppeTokyo) {
        return oneOf(module, {"4000007", "4100007"});
    }
    if (h.kaLine) {
        return oneOf(module, {"4200007", "4300007"});
    }
    return false;
}

bool type70ModuleSkipped(std::string_view module, const Window& w) {
    if (w.type != 70) {
        return false;
    }
    if (w.height < 431 || w.width < 401) {
        return oneOf(module, {"6299999", "6299998", "6299995", "6299996", "0000002"});
    }
    return (module == "6299999" && w.lockSide < 801) || (module == "0000002" && w.lockSide > 800);
}

int32_t openingCode(std::string_view module, const Window& w) {
    int32_t code = w.opening + 1;
    if (w.eckband && oneOf(module, {"0000008", "8000000", "8800000", "5120009", "7990012",
                                    "7990013", "7000021", "7000012"})) {
        code = 3;
    }
    if (w.eckband && oneOf(module, {"1000108", "8000005", "8800001", "7000005", "0200003"})) {
        code = 3;
    } else if (!w.eckband && oneOf(module, {"1000108", "8000005", "8800001"})) {
        code = 1;
    }
    return code;
}

Collection::Collection(store::TDM& dm, store::DataModuleRules& rules, store::Messages& messages)
    : dm_(dm), rules_(rules), messages_(messages) {
    rules_.hooks.collectionSetFilter = [this](DataSet& ds) { return setRowShown(ds); };
    rules_.hooks.collectionModuleFilter = [this](DataSet& ds) { return moduleRowShown(ds); };
}

Collection::~Collection() {
    rules_.hooks.collectionSetFilter = nullptr;
    rules_.hooks.collectionModuleFilter = nullptr;
}

bool Collection::setRowShown(DataSet& ds) {
    if (!gearFits(static_cast<int32_t>(ds.fieldByName("Getriebe").asInteger()), dm_.Rudzaropcio)) {
        return false;
    }
    const std::string module = ds.fieldByName("Modulkod").asString();
    if (module == "8800020" || module == "8800018") {
        return window_.height >= (window_.rod3 ? 470 : 560);
    }
    return true;
}

bool Collection::moduleRowShown(DataSet& ds) {
    // the selection values are the 4th, 6th and 7th field of the settings record
    Table& t = dm_.Tbltarol;
    if (!t.active() || t.fieldCount() < 7) {
        return true;
    }
    const int64_t size = t.field(3).asInteger();
    const int64_t colour = t.field(5).asInteger();
    const int64_t opening = t.field(6).asInteger();
    const int64_t min = ds.fieldByName("Min").asInteger();
    const int64_t max = ds.fieldByName("Max").asInteger();
    const int64_t c = ds.fieldByName("Szinkod").asInteger();
    const int64_t o = ds.fieldByName("Nyitaskod").asInteger();
    return (min == 0 || (min <= size && size <= max)) && (c == 0 || c == colour) &&
           (o == 0 || o == opening);
}

bool Collection::bkivalasztClick(const Window& w, const HandleSettings& h) {
    const auto count = store::fmt::parseInt32(w.quantity);
    if (!count) {
        // checked before the partial summary is emptied, so that nothing is lost
        messages_.error("'" + w.quantity + "' nem érvényes egész szám.");
        return false;
    }
    const int64_t Q = *count;
    window_ = w;

    Table& tarolo = dm_.Tbltarol;
    Table& sets = dm_.Tblgarnitur;
    Table& modules = dm_.Tblmodul;
    Table& partial = dm_.Tblreszossz;
    for (Table* t : {&tarolo, &sets, &modules, &partial}) {
        store::openIfClosed(*t);
    }

    // the partial summary is scratch data: the whole collection is one transaction
    store::ControlsDisabled grouped(partial);
    sets.setFiltered(true);
    sets.refilter();
    partial.emptyTable();

    store::editIfBrowsing(tarolo);
    tarolo.fieldByName("Vezkod").setAsInteger(setCode(w));

    const char* partColumn = w.rail ? "TSBSNR" : "BSNR";
    for (sets.first(); !sets.eof(); sets.next()) {
        const std::string module = sets.fieldByName("Modulkod").asString();
        if (handleModuleSkipped(module, h) || type70ModuleSkipped(module, w)) {
            continue;
        }
        const int kind = static_cast<int>(sets.fieldByName("Meretkod").asInteger());
        if (const auto S = sizeValue(kind, w)) {
            tarolo.fieldByName("Meret").setAsInteger(*S);
        } else if (kind == static_cast<int>(SizeKind::VrVso)) {
            messages_.showMessage(kRatioMessage);
        }
        tarolo.fieldByName("Szinkod").setAsInteger(w.colour + 1);
        tarolo.fieldByName("Nyitaskod").setAsInteger(openingCode(module, w));
        const int64_t perSet = sets.fieldByName("Darab").asInteger();

        modules.setFiltered(true);
        modules.refilter();
        for (modules.first(); !modules.eof(); modules.next()) {
            const std::string part = modules.fieldByName(partColumn).asString();
            if (part == "-") {
                continue;
            }
            if (partial.findKey({Value(part)})) {
                partial.edit();
            } else {
                partial.append();
                partial.fieldByName("BSNR").setAsString(part);
                partial.fieldByName("Darab").setAsInteger(0);
            }
            store::Field& darab = partial.fieldByName("Darab");
            darab.setAsInteger(darab.asInteger() +
                               modules.fieldByName("Mennyiseg").asInteger() * perSet * Q);
            partial.post();
        }
    }
    partial.first();
    return true;
}

void Collection::profileConversion() {
    Profilvaltva = true;
    Table& partial = dm_.Tblreszossz;
    Table& conv = dm_.tblconv;
    store::openIfClosed(partial);
    store::openIfClosed(conv);
    store::ControlsDisabled suspended(partial);
    for (conv.first(); !conv.eof(); conv.next()) {
        const std::string rehau = conv.fieldByName("REHAU").asString();
        const std::string actual = conv.fieldByName("ACTUAL").asString();
        // a data sheet row not filled in yet ("*") keeps the reference part
        if (rehau == actual || actual.empty() || actual == "*") {
            continue;
        }
        std::optional<int64_t> moved;
        if (partial.findKey({Value(actual)})) {
            moved = partial.fieldByName("Darab").asInteger();
            partial.deleteRecord();
        }
        if (partial.findKey({Value(rehau)})) {
            partial.edit();
            partial.fieldByName("BSNR").setAsString(actual);
            if (moved) {
                store::Field& darab = partial.fieldByName("Darab");
                darab.setAsInteger(darab.asInteger() + *moved);
            }
            partial.post();
        } else if (moved) {
            partial.insert();
            partial.fieldByName("BSNR").setAsString(actual);
            partial.fieldByName("Darab").setAsInteger(*moved);
            partial.post();
        }
    }
}

void Collection::woodSubstitution(const Window& w, bool automatic) {
    Table& partial = dm_.Tblreszossz;
    Table& wood = dm_.tblholz;
    store::openIfClosed(partial);
    const bool applies = automatic && dm_.Tbltarol.active() &&
                         dm_.Tbltarol.fieldByName("Profil").asInteger() == 64 && w.material == 1 &&
                         w.opening == 0 && (w.type == 28 || w.type == 40 || w.type == 41);
    if (!applies) {
        return;
    }
    wood.open();
    for (wood.first(); !wood.eof(); wood.next()) {
        const std::string from = wood.fieldByName("alt").asString();
        const std::string to = wood.fieldByName("neu").asString();
        if (from == to || !partial.findKey({Value(from)})) {
            continue;
        }
        const int64_t n = partial.fieldByName("Darab").asInteger();
        if (partial.findKey({Value(to)})) {
            // the wood part is already in the list: the quantities are added up
            partial.edit();
            partial.fieldByName("Darab").setAsInteger(partial.fieldByName("Darab").asInteger() + n);
            partial.post();
            if (partial.findKey({Value(from)})) {
                partial.deleteRecord();
            }
            continue;
        }
        partial.findKey({Value(from)});
        partial.edit();
        partial.fieldByName("BSNR").setAsString(to);
        partial.post();
    }
    wood.close();
}

void Collection::activate(const Window& w, bool automatic) {
    dm_.rendelesbetoltes = false;
    if (automatic && w.material < 2) {
        const bool profileChosen =
            dm_.Tbltarol.active() && dm_.Tbltarol.fieldByName("Profil").asInteger() != 0;
        if (Konvertalando && profileChosen) {
            const bool wasOpen = dm_.tblconv.active();
            profileConversion();
            woodSubstitution(w, automatic);
            if (!wasOpen) {
                dm_.tblconv.close();
            }
        }
        store::openIfClosed(dm_.Tblreszossz);
        dm_.Tblreszossz.first();
        Konvertalando = false;
    }
}

} // namespace calc
