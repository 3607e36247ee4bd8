#include "calc/entry_model.h"

#include "calc/entry_tables.h"
#include "store/format/format.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace calc {

using namespace entry_rules;

namespace {

// ------------------------------------------------------------------------------------------

void clampIndex(Control& g) {
    const int n = static_cast<int>(g.items.size());
    g.itemIndex = std::clamp(g.itemIndex, -1, n - 1);
}
// Sets the item index as a radio group does: beyond the last item it stands on the last one.
void setIndex(Control& g, int index) {
    g.itemIndex = index;
    clampIndex(g);
}
void setItem(Control& g, size_t i, const std::string& text) {
    if (i < g.items.size()) {
        g.items[i] = text;
    }
}
void setItems(Control& g, std::vector<std::string> items) {
    g.items = std::move(items);
    clampIndex(g);
}

Control radioGroup(std::string caption, std::vector<std::string> items, int index,
                   std::string hint) {
    Control g;
    g.caption = std::move(caption);
    g.items = std::move(items);
    g.itemIndex = index;
    g.hint = std::move(hint);
    return g;
}

// A whole number the user entered; nullopt when the text is empty or not a number.
std::optional<int32_t> number(const std::string& text) {
    return store::fmt::parseInt32(text);
}

std::string str(int v) {
    return std::to_string(v);
}

const std::vector<std::pair<std::string, Control EntryControls::*>>& controlTable() {
    using C = EntryControls;
    static const std::vector<std::pair<std::string, Control C::*>> t = {
        {"DBLCtipus", &C::DBLCtipus},
        {"LbTipus", &C::LbTipus},
        {"cb", &C::cb},
        {"cbr", &C::cbr},
        {"Cbts", &C::Cbts},
        {"Image1", &C::Image1},
        {"Grppant", &C::Grppant},
        {"rgpnyitas", &C::rgpnyitas},
        {"rgpszin", &C::rgpszin},
        {"rgptip", &C::rgptip},
        {"Checkeckband", &C::Checkeckband},
        {"Lbszelesseg", &C::Lbszelesseg},
        {"Lbmagassag", &C::Lbmagassag},
        {"LRb", &C::LRb},
        {"Lmerethat", &C::Lmerethat},
        {"LbSzmin", &C::LbSzmin},
        {"lbSzmax", &C::lbSzmax},
        {"LbMmin", &C::LbMmin},
        {"LbMmax", &C::LbMmax},
        {"lbjel1", &C::lbjel1},
        {"lbjel2", &C::lbjel2},
        {"Rabmhat", &C::Rabmhat},
        {"Eszelesseg", &C::Eszelesseg},
        {"Emagassag", &C::Emagassag},
        {"Erab", &C::Erab},
        {"Emennyiseg", &C::Emennyiseg},
        {"Ldarab", &C::Ldarab},
        {"Efok", &C::Efok},
        {"lfok", &C::lfok},
        {"Lfok2", &C::Lfok2},
        {"rgpanyag", &C::rgpanyag},
        {"Btnkivalaszt", &C::Btnkivalaszt},
        {"Btnbezaras", &C::Btnbezaras},
    };
    return t;
}

} // namespace

// ------------------------------------------------------------------------------------------

EntryModel::EntryModel(TypeSource types, store::Messages& messages)
    : types_(std::move(types)), messages_(messages) {
    auto& c = c_;
    c.DBLCtipus.hint = "Garnitura kiválasztása";
    c.LbTipus.caption = "Tip:";
    c.cb.caption = "Rúdzár 3";
    c.cbr.caption = "Rúdzár 7mm";
    c.Cbts.caption = "Futósin 15 mm";
    c.Grppant.caption = "Pántoldal";
    c.rgpnyitas = radioGroup("Nyitásirány", {"Jobb", "Bal"}, 0, "Nyitásirány kiválasztása");
    c.rgpszin = radioGroup("&Szin", {"Fehér", "Barna", "Natur/EV1", "Fekete"}, 0, "Színválasztás");
    c.rgptip =
        radioGroup("&Tip", {"Normal", "Ka-Line", "Rejtett"}, 1, "Pántoldal tipusának megadása");
    c.Checkeckband.caption = "&Eckband";
    c.Lbszelesseg.caption = "Szélesség:";
    c.Lbmagassag.caption = "Magasság:";
    c.LRb.caption = "Zárold. m.:";
    c.Lmerethat.caption = "Mérethatár";
    for (Control* l : {&c.LbSzmin, &c.lbSzmax, &c.LbMmin, &c.LbMmax}) {
        l->caption = "0";
    }
    c.lbjel1.caption = "-";
    c.lbjel2.caption = "-";
    c.Rabmhat.caption = "=< 2381";
    c.Eszelesseg.text = "0";
    c.Eszelesseg.hint = "Szélesség megadása";
    c.Emagassag.text = "0";
    c.Emagassag.hint = "Magasság megadása";
    c.Erab.text = "0";
    c.Erab.enabled = false;
    c.Emennyiseg.text = "1";
    c.Emennyiseg.hint = "Darabszám";
    c.Ldarab.caption = "Mennyiség:";
    c.Efok.text = "0";
    c.Efok.enabled = false;
    c.Efok.visible = false;
    c.lfok.caption = "Fok:";
    c.lfok.visible = false;
    c.Lfok2.caption = "<=45";
    c.Lfok2.visible = false;
    c.rgpanyag =
        radioGroup("Ablak anyaga", {"Műanyag", "Fa", "LM"}, 0, "Az ablak anyagának kiválasztása");
    c.Btnkivalaszt.caption = "&Kigyűjt";
    c.Btnbezaras.caption = "&Bezár";
}

void EntryModel::setLanguage(int Nyelvindex, std::string Kivitelfelirat,
                             std::string Akadalyfelirat) {
    Nyelvindex_ = Nyelvindex;
    Kivitelfelirat_ = std::move(Kivitelfelirat);
    Akadalyfelirat_ = std::move(Akadalyfelirat);
}

void EntryModel::preset(int pant, int szin, int anyag, int nyitas, bool eckband, bool ts) {
    setIndex(c_.rgptip, pant);
    setIndex(c_.rgpszin, szin);
    setIndex(c_.rgpanyag, anyag);
    setIndex(c_.rgpnyitas, nyitas);
    c_.Checkeckband.checked = eckband;
    s_.Eckbandjel = eckband;
    c_.Cbts.checked = ts;
}

const Control* EntryModel::control(std::string_view name) const {
    for (const auto& [n, member] : controlTable()) {
        if (n == name) {
            return &(c_.*member);
        }
    }
    return nullptr;
}

const std::vector<std::string>& EntryModel::controlNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (const auto& entry : controlTable()) {
            out.push_back(entry.first);
        }
        return out;
    }();
    return names;
}

std::optional<TypeRecord> EntryModel::record() const {
    return types_ ? types_(s_.Akttipus) : std::nullopt;
}

std::string EntryModel::translated(const std::string& hungarian) const {
    const Lang l = langOf(Nyelvindex_);
    for (const Texts& t : kCaptions) {
        if (hungarian == t.hu) {
            return t.in(l);
        }
    }
    return hungarian;
}

// ---- the frame of every event ----

void EntryModel::begin() {
    select_.clear();
    focusTypeList_ = false;
}

// The limits and the size check always follow the final state of the controls: when a later
// step of the event changed a choice the limits depend on (a forced hinge variant, a rod-lock
// box unchecked because it was hidden), they are worked out again.
void EntryModel::finish() {
    if (limitInputs() != limitsFrom_) {
        sizeLimits();
        sizeCheck();
    }
}

EntryModel::LimitInputs EntryModel::limitInputs() const {
    return {s_.Akttipus, hinge(), material(), s_.Szelesseg, c_.cb.checked, c_.cbr.checked};
}

// ---- activation ----

void EntryModel::activate() {
    begin();
    activation();
    finish();
}

void EntryModel::activation() {
    const auto& g = groups();
    s_.Akttipus = s_.Kod;
    c_.rgptip.enabled = true;
    colourRules();
    if (g.noLightMetal.has(s_.Akttipus) && material() == 2) {
        setIndex(c_.rgpanyag, 0);
    }
    eckbandRule();
    relabel();
    s_.Pantindex = hinge();
    hingeRules();
    openingAndRail();
    sizeLimits();
    lockSideLabels();
    sizeCheck();
    rodLockBoxes();
    picture();
}

bool EntryModel::clickOpening(int index) {
    const Control& g = c_.rgpnyitas;
    if (!g.enabled || !g.visible || index < 0 || index >= static_cast<int>(g.items.size())) {
        return false;
    }
    begin();
    c_.rgpnyitas.itemIndex = index;
    activation();
    finish();
    return true;
}

bool EntryModel::clickHinge(int index) {
    const Control& g = c_.rgptip;
    if (!g.enabled || !g.visible || index < 0 || index >= static_cast<int>(g.items.size())) {
        return false;
    }
    begin();
    c_.rgptip.itemIndex = index;
    activation();
    finish();
    return true;
}

bool EntryModel::clickMaterial(int index) {
    const Control& g = c_.rgpanyag;
    if (!g.enabled || !g.visible || index < 0 || index >= static_cast<int>(g.items.size())) {
        return false;
    }
    begin();
    c_.rgpanyag.itemIndex = index;
    activation();
    finish();
    return true;
}

bool EntryModel::clickColour(int index) {
    const Control& g = c_.rgpszin;
    if (!g.enabled || !g.visible || index < 0 || index >= static_cast<int>(g.items.size())) {
        return false;
    }
    begin();
    c_.rgpszin.itemIndex = index;
    colourRules();
    finish();
    return true;
}

void EntryModel::leaveHinge() {
    begin();
    eckbandRule();
    finish();
}

// ---- relabelling by type ----

void EntryModel::relabel() {
    const auto& g = groups();
    const int t = s_.Akttipus;
    const Lang l = langOf(Nyelvindex_);
    Control& mat = c_.rgpanyag;
    Control& hin = c_.rgptip;
    Control& open = c_.rgpnyitas;

    if (t != 23 && mat.items.size() > 3) {
        mat.items.resize(3);
        clampIndex(mat);
    }
    if (g.threshold.has(t)) {
        hin.caption = Kivitelfelirat_;
        if (hin.items.size() < 2) {
            hin.items.resize(2);
        }
        hin.items[0] = t == 3 ? "TERRA STEP 78" : "TERRA STEP 68";
        hin.items[1] = t == 3 ? "TERRA STEP 92" : "TERRA STEP 78";
        if (hin.items.size() < 3) {
            hin.items.push_back("HS 300");
        } else {
            hin.items[2] = "HS 300";
        }
        c_.Checkeckband.visible = false;
        mat.caption = "Séma";
        setItem(mat, 0, "A Séma");
        setItem(mat, 1, "C Séma");
        setItem(mat, 2, "D Séma");
        if (t == 23 && mat.items.size() == 3) {
            mat.items.push_back("E Séma");
            mat.items.push_back("L Séma");
        }
        if (g.doors.has(t)) {
            open.caption = kOpeningCaption.in(l);
            setItems(open, {kDoorOpeningItems[0].in(l), kDoorOpeningItems[1].in(l)});
            open.enabled = true;
        }
        if (g.forcedKaLine.has(t)) {
            setIndex(hin, 1);
            hin.enabled = false;
        }
    } else {
        c_.LRb.caption = "Zárold. m.:";
        hin.caption = "Tip";
        setItem(hin, 0, "Normal");
        setItem(hin, 1, "Ka-Line");
        if (hin.items.size() > 2 && t != 23) {
            hin.items[2] = kHidden.in(l);
        }
        c_.Checkeckband.visible = true;
        mat.caption = kMaterialCaption.in(l);
        setItems(mat, {kMaterialItems[0].in(l), kMaterialItems[1].in(l), kMaterialItems[2].in(l)});
        open.caption = kOpeningCaption.in(l);
        setItems(open, {kOpeningItems[0].in(l), kOpeningItems[1].in(l)});
    }
    if (g.twoHinges.has(t)) {
        if (hin.items.size() > 2) {
            hin.items.resize(2);
            clampIndex(hin);
        }
    } else if (t != 23 && hin.items.size() == 2) {
        // in the language of the other items, as the next relabelling would name it
        hin.items.push_back(kHidden.in(l));
    }
    if (g.doors.has(t)) {
        setIndex(mat, 0);
        mat.enabled = false;
    } else {
        mat.enabled = true;
    }
    for (const HingeLabels& row : hingeLabels()) {
        if (!row.types.has(t) || !inMask(row.materials, material())) {
            continue;
        }
        if (row.variantCaption) {
            hin.caption = Kivitelfelirat_;
        }
        for (size_t i = 0; i < 3; ++i) {
            if (row.items[i] != nullptr) {
                setItem(hin, i, row.items[i] == kAkadaly ? Akadalyfelirat_ : row.items[i]);
            }
        }
        if (row.dropThird && hin.items.size() > 2) {
            hin.items.resize(2);
            clampIndex(hin);
        }
        if (row.hideEckband) {
            c_.Checkeckband.visible = false;
        }
    }
    // the two extra schemes are built with the third variant only
    if (material() > 2) {
        setIndex(hin, 2);
    }
    hingeRules();
    lockSideLabels();
}

// ---- hinge, colour, Eckband, opening and rail rules ----

void EntryModel::hingeRules() {
    const auto& g = groups();
    const int t = s_.Akttipus;
    const int mat = material();
    Control& hin = c_.rgptip;
    bool disable = g.hingeH1.has(t) || (mat == 2 && !g.lightMetalHinges.has(t));
    if (g.lift.has(t)) {
        disable = false;
    }
    if (disable) {
        hin.enabled = false;
        if (g.hingeH2.has(t) || (mat == 2 && !g.hingeH3.has(t))) {
            setIndex(hin, 0);
        }
        c_.Checkeckband.checked = false;
        if (g.pskDoors.has(t) && mat == 2) {
            hin.enabled = true;
        }
    } else {
        hin.enabled = true;
    }
    const bool forcing = (g.hingeH4.has(t) && mat < 2) ||
                         (c_.Cbts.checked && mat != 2 && hin.enabled && !g.hingeH5.has(t));
    if (!forcing) {
        return;
    }
    if (hinge() == 0 && (!g.hingeH6.has(t) || (g.normalForcedOff.has(t) && mat != 2))) {
        setIndex(hin, 1);
    }
    if (hinge() == 2 && g.hiddenToKaLine.has(t)) {
        setIndex(hin, 1);
    }
    if (hinge() == 0 && g.oxal.has(t) && mat == 0) {
        setIndex(hin, 1);
    }
    if (hinge() == 2 && g.hiddenToRemembered.has(t)) {
        setIndex(hin, s_.Pantindex);
    }
}

void EntryModel::colourRules() {
    const auto& g = groups();
    const int t = s_.Akttipus;
    const int mat = material();
    Control& col = c_.rgpszin;
    if (mat != 1 && mat != 2 && hinge() != 1 && !g.colourC1.has(t) && col.itemIndex == 2) {
        setIndex(col, 0);
    }
    col.enabled = !(hinge() == 2 && !g.colourC2.has(t) && !g.colourFromHidden.has(t));
    const bool noBlack = g.noBlack.has(t) || (t == 73 && mat == 2 && hinge() < 2);
    if (noBlack && col.itemIndex > 2) {
        setIndex(col, 0);
        messages_.showMessage("Ehhez a típushoz fekete szín nem választható!");
    }
}

void EntryModel::eckbandRule() {
    const auto& g = groups();
    const int t = s_.Akttipus;
    const bool on = material() == 0 && ((hinge() <= 1 && hinge() >= 0 && !g.noEckband.has(t)) ||
                                        g.alwaysEckband.has(t));
    c_.Checkeckband.enabled = on;
    if (!on) {
        c_.Checkeckband.checked = false;
    }
}

void EntryModel::restoreEckband() {
    if (c_.Checkeckband.enabled) {
        c_.Checkeckband.checked = s_.Eckbandjel;
    }
}

void EntryModel::openingAndRail() {
    const auto& g = groups();
    const int t = s_.Akttipus;
    const int mat = material();
    const Lang l = langOf(Nyelvindex_);
    Control& open = c_.rgpnyitas;
    if ((g.closedOpening.has(t) && hinge() != 2) || g.openingO1.has(t) ||
        (mat != 1 && g.openingO2.has(t))) {
        open.enabled = false;
        setIndex(open, 0);
    } else {
        open.enabled = true;
    }
    if (t == 23 && mat > 2) {
        setIndex(open, 1);
        open.enabled = false;
    }
    if (g.lift.has(t) && hinge() == 2 && mat < 3) {
        setIndex(open, 0);
        open.enabled = false;
    }
    Control& ts = c_.Cbts;
    if (g.lift.has(t) && hinge() < 2) {
        ts.visible = true;
        ts.caption = kRailCaption.in(l);
    }
    if (g.railCaption.has(t)) {
        ts.visible = true;
        ts.caption = kCoverCaption.in(l);
    }
    if (!g.rail.has(t)) {
        ts.checked = true;
        ts.visible = false;
    }
}

// ---- limits and lock side ----

void EntryModel::sizeLimits() {
    const std::optional<TypeRecord> r = record();
    s_.AktSzmin = r ? r->Szmin : 0;
    s_.AktSzmax = r ? r->Szmax : 0;
    s_.AktMmin = r ? r->Mmin : 0;
    s_.AktMmax = r ? r->Mmax : 0;
    const int t = s_.Akttipus;
    int skip = 0;
    for (const SizeRule& rule : sizeRules()) {
        if (skip > 0) {
            --skip;
            continue;
        }
        if (!rule.types.has(t) || !inMask(rule.hinges, hinge()) ||
            !inMask(rule.materials, material()) || !matches(rule.rod3, c_.cb.checked) ||
            !matches(rule.rod15, c_.cbr.checked) || !(s_.Szelesseg > rule.widthAbove)) {
            continue;
        }
        if (rule.szmin) {
            s_.AktSzmin = *rule.szmin;
        }
        if (rule.szmax) {
            s_.AktSzmax = *rule.szmax;
        }
        if (rule.mmin) {
            s_.AktMmin = *rule.mmin;
        }
        if (rule.mmax) {
            s_.AktMmax = *rule.mmax;
        }
        skip = rule.skip;
    }
    s_.Mminhatar = s_.AktMmin;
    c_.LbSzmin.caption = str(s_.AktSzmin);
    c_.lbSzmax.caption = str(s_.AktSzmax);
    c_.LbMmin.caption = str(s_.AktMmin);
    c_.LbMmax.caption = str(s_.AktMmax);
    limitsFrom_ = limitInputs();
}

void EntryModel::lockSideLabels() {
    const auto& g = groups();
    const int t = s_.Akttipus;
    const int mat = material();
    const Lang l = langOf(Nyelvindex_);
    if (g.threshold.has(t)) {
        c_.LRb.caption = "RAB:";
        const LockSideLimit& lim = kThresholdLockSide[std::clamp(
            mat, 0, static_cast<int>(std::size(kThresholdLockSide)) - 1)];
        c_.Rabmhat.caption = lim.label;
        s_.Rabmax = lim.rabmax;
        for (const LockSideOverride& o : lockSideOverrides()) {
            if (o.types.has(t) && inMask(o.hinges, hinge()) && inMask(o.materials, mat)) {
                c_.Rabmhat.caption = o.label;
                if (o.rabmax) {
                    s_.Rabmax = *o.rabmax;
                }
            }
        }
    } else {
        c_.Rabmhat.caption = g.shortLockSide.has(t) ? "915  -    2360" : "500  -    2360";
        s_.Rabmax = 2361;
        c_.LRb.caption = "Zárold. m.:";
    }
    c_.Lbszelesseg.caption = g.balcony.has(t) ? "RAB:" : kWidthCaption.in(l);
    c_.Lbmagassag.caption = translated(g.hingeSideHeight.has(t) ? "Pántold m.:" : "Magasság:");
    c_.LRb.caption = translated(c_.LRb.caption);
    lockSideEntry();
}

void EntryModel::lockSideEntry() {
    const bool entry = groups().lockSideEntry.has(s_.Akttipus);
    c_.Erab.enabled = entry; // the window shows an enabled entry in $D9CCBB, else silver
    const bool slant = s_.Akttipus == 70;
    c_.Efok.visible = slant;
    c_.lfok.visible = slant;
    c_.Lfok2.visible = slant;
}

// ---- rod-lock boxes ----

bool EntryModel::rodLockBoxes() {
    const auto& g = groups();
    const int t = s_.Akttipus;
    const int mat = material();
    const Lang l = langOf(Nyelvindex_);
    const bool before3 = c_.cb.checked, before15 = c_.cbr.checked;
    const std::optional<TypeRecord> r = record();
    const int rudzar = r ? r->Rudzar : 0;
    s_.Rudzar3jel = (rudzar & 2) != 0 || (g.lift.has(t) && mat < 2);
    if (g.pskDoors.has(t) && hinge() == 1) {
        s_.Rudzar3jel = false;
    }
    s_.Rudzar15jel = (rudzar & 1) != 0;

    auto caption = [&](const std::vector<RodCaption>& rows, Control& box) {
        for (const RodCaption& row : rows) {
            const char* text = row.text.in(l);
            if (text == nullptr || !row.types.has(t) || !inMask(row.hinges, hinge()) ||
                !inMask(row.materials, mat)) {
                continue;
            }
            if (text != kKeep) {
                box.caption = text;
            }
            return;
        }
    };
    caption(rod3Captions(), c_.cb);
    caption(rod15Captions(), c_.cbr);

    c_.cb.visible = mat >= 0 && mat < 2 && s_.Rudzar3jel;
    c_.cbr.visible = mat == 0 && s_.Rudzar15jel;
    if (g.balcony.has(t) && mat == 1) {
        c_.cb.visible = false;
        c_.cbr.visible = false;
    }
    if (!c_.cb.visible) {
        c_.cb.checked = false;
    }
    if (t == 2 && mat == 0 && !c_.cb.checked) {
        c_.cbr.visible = false;
    }
    if (between(t, 40, 41) && hinge() == 2) {
        c_.cbr.visible = false;
    }
    if (!c_.cbr.visible) {
        c_.cbr.checked = false;
    }
    return before3 != c_.cb.checked || before15 != c_.cbr.checked;
}

bool EntryModel::clickRod3(bool checked) {
    if (!c_.cb.enabled || !c_.cb.visible) {
        return false;
    }
    begin();
    c_.cb.checked = checked;
    if (checked && groups().balcony.has(s_.Akttipus)) {
        c_.cbr.checked = false;
    }
    sizeLimits();
    sizeCheck();
    rodLockBoxes();
    finish();
    return true;
}

bool EntryModel::clickRod15(bool checked) {
    if (!c_.cbr.enabled || !c_.cbr.visible) {
        return false;
    }
    begin();
    c_.cbr.checked = checked;
    if (checked && groups().balcony.has(s_.Akttipus)) {
        c_.cb.checked = false;
    }
    sizeLimits();
    sizeCheck();
    rodLockBoxes();
    finish();
    return true;
}

bool EntryModel::clickRail(bool checked) {
    if (!c_.Cbts.enabled || !c_.Cbts.visible) {
        return false;
    }
    begin();
    c_.Cbts.checked = checked;
    hingeRules();
    finish();
    return true;
}

bool EntryModel::setEckband(bool checked) {
    if (!c_.Checkeckband.enabled || !c_.Checkeckband.visible) {
        return false;
    }
    c_.Checkeckband.checked = checked;
    return true;
}

void EntryModel::leaveEckband() {
    s_.Eckbandjel = c_.Checkeckband.checked;
}

// ---- picture ----

void EntryModel::picture() {
    const auto& g = groups();
    const int t = s_.Akttipus;
    std::string name = str(t) + str(c_.rgpnyitas.itemIndex);
    if (t == 3) {
        name += "0" + str(material());
    }
    if (g.pictureMaterial.has(t)) {
        name += str(material());
    }
    c_.Image1.text = name + ".bmp";
    restoreEckband();
}

// ---- size check ----

void EntryModel::sizeCheck() {
    const auto& g = groups();
    const int t = s_.Akttipus;
    std::vector<std::string> why;
    if (!record()) {
        why.push_back("a(z) " + str(t) + " típus nincs a típusok között");
    }
    const auto range = [](int lo, int hi) { return str(lo) + " - " + str(hi); };
    if (s_.Szelesseg < s_.AktSzmin || s_.Szelesseg > s_.AktSzmax) {
        why.push_back("a szélesség (" + str(s_.Szelesseg) + ") nincs a " +
                      range(s_.AktSzmin, s_.AktSzmax) + " határon belül");
    }
    if (s_.Magassag < s_.Mminhatar || s_.Magassag > s_.AktMmax) {
        why.push_back("a magasság (" + str(s_.Magassag) + ") nincs a " +
                      range(s_.Mminhatar, s_.AktMmax) + " határon belül");
    }
    if (c_.Efok.visible) {
        const int angle = static_cast<int>(number(c_.Efok.text).value_or(0));
        if (angle > 45 || angle < 0) {
            why.push_back("a szög (" + str(angle) + " fok) nincs a 0 - 45 határon belül");
        }
    }
    if (c_.Erab.enabled) {
        const std::optional<int32_t> rab = number(c_.Erab.text);
        const int least = g.longLockSide.has(t) ? 1330 : g.shortLockSide.has(t) ? 915 : 500;
        if (!rab) {
            c_.Erab.text.clear();
            why.push_back("a zárold. magasság nem szám");
        } else if (*rab > s_.Rabmax || *rab < least) {
            why.push_back("a zárold. magasság (" + str(*rab) + ") nincs a " +
                          range(least, s_.Rabmax) + " határon belül");
        }
    }
    c_.Btnkivalaszt.enabled = why.empty();
    refusal_.clear();
    for (size_t i = 0; i < why.size(); ++i) {
        refusal_ += (i ? "; " : "") + why[i];
    }
    if (!refusal_.empty()) {
        refusal_[0] = 'A';
    }
}

// ---- entries and the type list ----

void EntryModel::computeAngle() {
    const int32_t w = number(c_.Eszelesseg.text).value_or(0);
    if (w <= 0) {
        return;
    }
    const double h = number(c_.Emagassag.text).value_or(0);
    const double r = number(c_.Erab.text).value_or(0);
    const double degrees = std::atan((r - h) / w) * 180.0 / std::numbers::pi;
    std::string text = std::to_string(store::fmt::roundToInt(degrees));
    if (text.size() < 2) {
        text.insert(0, 2 - text.size(), ' ');
    }
    c_.Efok.text = text;
}

void EntryModel::entryChanged(Changed which) {
    s_.Akttipus = s_.Kod;
    picture();
    Control* changed = which == Changed::Width      ? &c_.Eszelesseg
                       : which == Changed::Height   ? &c_.Emagassag
                       : which == Changed::LockSide ? &c_.Erab
                                                    : nullptr;
    const bool widthPositive = number(c_.Eszelesseg.text).value_or(0) > 0;
    if (changed == nullptr) {
        computeAngle();
    } else if (number(changed->text) && widthPositive) {
        computeAngle();
    } else {
        // an entry that holds no number, or any entry before the width, goes back to "0"
        changed->text = "0";
        select_ = which == Changed::Width    ? "Eszelesseg"
                  : which == Changed::Height ? "Emagassag"
                                             : "Erab";
    }
    const auto w = number(c_.Eszelesseg.text);
    const auto h = number(c_.Emagassag.text);
    if (w && h) {
        s_.Szelesseg = *w;
        s_.Magassag = *h;
    }
    lockSideEntry();
    if (which == Changed::None) {
        colourRules();
    }
    c_.cb.visible = s_.Rudzar3jel && material() >= 0 && material() < 2;
    if (!c_.cb.visible) {
        c_.cb.checked = false;
    }
    sizeLimits();
    sizeCheck();
}

bool EntryModel::setWidth(const std::string& text) {
    if (!c_.Eszelesseg.enabled || !c_.Eszelesseg.visible) {
        return false;
    }
    begin();
    c_.Eszelesseg.text = text;
    entryChanged(Changed::Width);
    finish();
    return true;
}

bool EntryModel::setHeight(const std::string& text) {
    if (!c_.Emagassag.enabled || !c_.Emagassag.visible) {
        return false;
    }
    begin();
    c_.Emagassag.text = text;
    entryChanged(Changed::Height);
    finish();
    return true;
}

bool EntryModel::setLockSide(const std::string& text) {
    if (!c_.Erab.enabled || !c_.Erab.visible) {
        return false;
    }
    begin();
    c_.Erab.text = text;
    entryChanged(Changed::LockSide);
    finish();
    return true;
}

bool EntryModel::setQuantity(const std::string& text) {
    if (!c_.Emennyiseg.enabled || !c_.Emennyiseg.visible) {
        return false;
    }
    c_.Emennyiseg.text = text;
    return true;
}

bool EntryModel::chooseType(int code) {
    if (!c_.DBLCtipus.enabled || !c_.DBLCtipus.visible) {
        return false;
    }
    begin();
    materialReplaced_ = false;
    s_.Kod = code;
    entryChanged(Changed::None);
    finish();
    return true;
}

void EntryModel::leaveTypeList() {
    begin();
    sizeLimits();
    relabel();
    openingAndRail();
    eckbandRule();
    lockSideLabels();
    rodLockBoxes();
    restoreEckband();
    sizeCheck();
    finish();
}

void EntryModel::leaveMaterial() {
    begin();
    materialReplaced_ = false;
    if (material() == 2 && !groups().aluminium.has(s_.Akttipus)) {
        messages_.showMessage("A kiválasztott típus alumíniumra nem alkalmazható");
        s_.Kod = 1;
        s_.Akttipus = 1;
        c_.Erab.enabled = false;
        picture();
        focusTypeList_ = true;
        materialReplaced_ = true;
    }
    sizeLimits();
    lockSideLabels();
    sizeCheck();
    finish();
}

// ---- results ----

int32_t EntryModel::Rudzaropcio() const {
    int32_t v = 0;
    v += c_.cb.checked ? 8 : 4;
    v += c_.cbr.checked ? 2 : 1;
    return v;
}

Window EntryModel::window() const {
    Window w;
    w.type = s_.Kod;
    w.hinge = hinge();
    w.material = material();
    w.materialItems = static_cast<int>(c_.rgpanyag.items.size());
    w.width = number(c_.Eszelesseg.text).value_or(0);
    w.height = number(c_.Emagassag.text).value_or(0);
    w.lockSide = number(c_.Erab.text).value_or(0);
    w.quantity = c_.Emennyiseg.text;
    w.colour = c_.rgpszin.itemIndex;
    w.opening = c_.rgpnyitas.itemIndex;
    w.eckband = c_.Checkeckband.checked;
    w.rail = c_.Cbts.checked && c_.Cbts.visible;
    w.rod3 = c_.cb.checked;
    w.rod15 = c_.cbr.checked;
    return w;
}

RememberedChoices EntryModel::remembered() const {
    return {c_.rgptip.itemIndex,    c_.rgpszin.itemIndex,    c_.rgpanyag.itemIndex,
            c_.rgpnyitas.itemIndex, c_.Checkeckband.checked, c_.Cbts.checked};
}

// ---- keyboard ----

bool EntryModel::keyAccepted(EntryField entry, char32_t ch) {
    if (ch < 0x20 || ch == 0x7F) {
        return true; // backspace, Enter and the other control keys
    }
    const std::string allowed = acceptedChars(entry);
    return ch < 0x80 && allowed.find(static_cast<char>(ch)) != std::string::npos;
}

std::string EntryModel::acceptedChars(EntryField entry) {
    return entry == EntryField::Quantity ? "0123456789-" : "0123456789";
}

} // namespace calc
