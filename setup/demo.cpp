// The demo installation. The master data is generated from a small description of an invented
// fittings range: families of parts graded by size, opening side and colour, modules made of
// them, and sets that put the modules together for every window type, hinge variant and
// material (or sliding scheme) that data entry can choose.
#include "setup/demo.h"

#include "store/catalogue/catalogue.h"
#include "store/engine/paradox.h"
#include "store/engine/session.h"
#include "store/engine/shared_table.h"
#include "store/engine/table.h"
#include "store/engine/table_file.h"
#include "store/format/format.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>

namespace setup {

namespace fs = std::filesystem;
using store::Row;
using store::Value;

namespace {

// ---------------------------------------------------------------- random numbers

// splitmix64: the same numbers on every platform and standard library.
class Rng {
public:
    explicit Rng(uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}
    uint64_t next() {
        uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    bool chance(double p) { return unit() < p; }

private:
    uint64_t s_;
};

double round2(double v) {
    return std::round(v * 100.0) / 100.0;
}
double round3(double v) {
    return std::round(v * 1000.0) / 1000.0;
}

// ---------------------------------------------------------------- names

// A name in the four languages of the price list.
struct Names {
    std::string hu, de, sr, ro;
};

Names same(const std::string& s) {
    return {s, s, s, s};
}
Names operator+(const Names& a, const Names& b) {
    return {a.hu + " " + b.hu, a.de + " " + b.de, a.sr + " " + b.sr, a.ro + " " + b.ro};
}
Names operator+(const Names& a, const std::string& b) {
    return a + same(b);
}

const Names kOpening[4] = {{"", "", "", ""},
                           {"jobb", "rechts", "desno", "dreapta"},
                           {"bal", "links", "levo", "stânga"},
                           {"Eckband", "Eckband", "Eckband", "Eckband"}};
const Names kColour[5] = {{"", "", "", ""},
                          {"fehér", "weiß", "bela", "alb"},
                          {"barna", "braun", "braon", "maro"},
                          {"natúr/EV1", "natur/EV1", "natur/EV1", "natur/EV1"},
                          {"fekete", "schwarz", "crna", "negru"}};

void checkLength(const std::string& text, int size, const char* what) {
    if (store::charCount(text) > static_cast<size_t>(size)) {
        throw std::logic_error(std::string(what) + " longer than " + std::to_string(size) +
                               " characters: " + text);
    }
}

// ---------------------------------------------------------------- size bands

struct Band {
    int min = 0, max = 0;
    std::string label() const { return std::to_string(min) + "-" + std::to_string(max); }
};

// {a, b, c} -> [a, b], [b + 1, c]
std::vector<Band> bands(const std::vector<int>& edges) {
    std::vector<Band> out;
    for (size_t i = 1; i < edges.size(); ++i) {
        out.push_back({i == 1 ? edges[0] : edges[i - 1] + 1, edges[i]});
    }
    return out;
}

std::vector<int> steps(int first, int from, int to, int step) {
    std::vector<int> e{first};
    for (int v = from; v <= to; v += step) {
        e.push_back(v);
    }
    return e;
}

const std::vector<Band> kHeight =
    bands({250, 600, 800, 1050, 1300, 1550, 1800, 2050, 2400, 2800, 3000});
const std::vector<Band> kHeightLow =
    bands({150, 600, 800, 1050, 1300, 1550, 1800, 2050, 2400, 2800, 3000});
const std::vector<Band> kWidth = bands({200, 400, 600, 800, 1000, 1200, 1400, 1650, 2000});
const std::vector<Band> kDoorHeight = bands({1500, 1900, 2100, 2300, 2600, 3000});
const std::vector<Band> kDoorWidth = bands({500, 800, 1000, 1200, 1400});
const std::vector<Band> kLiftHeight = bands({1400, 1800, 2100, 2400, 2800, 3000});
const std::vector<Band> kLiftWidth = bands({600, 1500, 2500, 3300});
const std::vector<Band> kPskWidth = bands({600, 900, 1200, 1500, 1800, 2000});
const std::vector<Band> kRab = bands(steps(500, 1300, 20000, 1000));        // lock side / RAB
const std::vector<Band> kDifference = bands(steps(1, 1000, 20000, 1000));   // R - W, R - 2W
const std::vector<Band> kHalfDifference = bands(steps(1, 500, 10000, 500)); // (R - 2W) / 2
const std::vector<Band> kSlantEdge = bands({1, 600, 900, 1200, 1500, 2000, 3000});
const std::vector<Band> kDoubleWidth = bands({1200, 2500, 3500, 4500, 5500, 6600});
constexpr int kAny = 9999; // Max of the rows that apply to every size (Min = 0)

// ---------------------------------------------------------------- master data records

struct Part {
    std::string bsnr, artikel, hu, de, sr, ro, bsnr2;
    int pe = 1, kpe = 1, grupp = 0;
    double preis = 0, kpreis = 0, epreis = 0, fpreis = 0;
};

// How a new part is numbered and priced.
struct PartSpec {
    int family = 0;  // leading digits of the part number (3 digits: 6-digit numbers, 4: 7)
    std::string art; // order-number prefix
    int grupp = 0;
    double price = 1;  // euro per piece, before a little variation
    double weight = 0; // kg per piece
    int pe = 1, kpe = 1;
};

struct ModRow {
    std::string bsnr;
    int min = 0, max = kAny, szin = 0, nyit = 0, menny = 1;
    std::string ts; // empty: the same as bsnr
};

struct Module {
    std::string code, hu, de;
    std::vector<ModRow> rows;
};

struct SetRow {
    int garkod = 0;
    std::string modul;
    int kind = 0, darab = 1, getriebe = 1;
};

enum class Fam { Window, Tilt, Turn, Balcony, Lift, Terrace, Door, Slant, Psk, Af };

struct TypeDef {
    int code = 0;
    Fam fam = Fam::Window;
    bool twin = false; // two leaves (active and passive)
    bool oxal = false; // built with the Oxal range
    int security = 0;  // resistance class of the security windows
    std::string hu, de, sr, ro, en;
    int szmin = 0, szmax = 0, mmin = 0, mmax = 0, rudzar = 0;
};

struct Group {
    int pg = 0;
    double rab = 0;
    std::string neve;
    int wg = 0;
};

struct Customer {
    std::string kod, nev, isz, varos, utca, tel, fax;
};

// ---------------------------------------------------------------- window types

bool in(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

bool isThresholdType(int t) {
    return t == 3 || in(t, 23, 27) || t == 48 || t == 49 || in(t, 60, 69) || in(t, 75, 77);
}
bool isAluminiumType(int t) {
    return in(t, 1, 4) || t == 8 || t == 9 || in(t, 13, 27) || t == 48 || t == 49 || t == 60 ||
           t == 71 || t == 72 || in(t, 75, 77) || in(t, 86, 95);
}

// The hinge variants data entry can reach for a type.
std::vector<int> hingesOf(int t) {
    if (in(t, 24, 27) || in(t, 61, 69) || t == 75) {
        return {1}; // forced to Ka-Line
    }
    if (t == 4 || t == 5 || in(t, 50, 54)) {
        return {0, 1};
    }
    return {0, 1, 2};
}

// The materials (or sliding schemes of the threshold types) data entry can reach for a type.
std::vector<int> materialsOf(int t) {
    if (in(t, 61, 69)) {
        return {0};
    }
    if (t == 23) {
        return {0, 1, 2, 3, 4};
    }
    if (isAluminiumType(t)) {
        return {0, 1, 2};
    }
    return {0, 1};
}

std::vector<TypeDef> buildTypes() {
    std::vector<TypeDef> t;
    auto add = [&](int code, Fam fam, std::string hu, std::string de, std::string sr,
                   std::string ro, std::string en, int szmin, int szmax, int mmin, int mmax,
                   int rudzar) {
        TypeDef d;
        d.code = code;
        d.fam = fam;
        d.hu = std::move(hu);
        d.de = std::move(de);
        d.sr = std::move(sr);
        d.ro = std::move(ro);
        d.en = std::move(en);
        d.szmin = szmin;
        d.szmax = szmax;
        d.mmin = mmin;
        d.mmax = mmax;
        d.rudzar = rudzar;
        for (const std::string* s : {&d.hu, &d.de, &d.sr, &d.ro, &d.en}) {
            checkLength(*s, 30, "type name");
        }
        t.push_back(d);
        return &t.back();
    };
    using F = Fam;
    add(1, F::Window, "Bukó-nyíló ablak", "Dreh-Kipp-Fenster", "Okretno-nagibni prozor",
        "Fereastră oscilobatantă", "Tilt and turn window", 290, 1650, 300, 2400, 3);
    add(2, F::Window, "Kétszárnyú bukó-nyíló ablak", "Stulpfenster Dreh-Kipp",
        "Dvokrilni okretno-nagibni", "Fereastră cu două canaturi", "Double sash tilt-turn", 331,
        1600, 461, 2400, 3)
        ->twin = true;
    add(3, F::Lift, "Emelő-toló ajtó", "Hebe-Schiebe-Tür", "Podizno-klizna vrata",
        "Uşă glisantă cu ridicare", "Lift and slide door", 700, 3300, 1500, 2800, 2);
    add(4, F::Tilt, "Bukó ablak", "Kippfenster", "Nagibni prozor", "Fereastră rabatabilă",
        "Bottom hung window", 300, 1650, 260, 1200, 1);
    add(8, F::Turn, "Nyíló ablak", "Drehfenster", "Okretni prozor", "Fereastră batantă",
        "Side hung window", 290, 1400, 300, 2400, 2);
    add(9, F::Window, "Bukó-nyíló ablak, kis méret", "Dreh-Kipp-Fenster, klein",
        "Okretno-nagibni, mali", "Fereastră oscilobat., mică", "Tilt-turn window, small", 230, 800,
        260, 900, 0);
    add(13, F::Window, "Bukó-nyíló ablak, alap", "Dreh-Kipp-Fenster, Basis",
        "Okretno-nagibni, osnovni", "Oscilobatantă, bază", "Tilt-turn window, basic", 290, 1400,
        300, 2000, 2);
    add(14, F::Window, "Kétszárnyú ablak, alap", "Stulpfenster, Basis", "Dvokrilni, osnovni",
        "Fereastră dublă, bază", "Double sash window, basic", 331, 1400, 461, 2000, 2)
        ->twin = true;
    const char* balconyHu[8] = {"Erkélyajtó, egyszárnyú",       "Erkélyajtó, kétszárnyú",
                                "Erkélyajtó, bukó-nyíló",       "Erkélyajtó, nyíló",
                                "Erkélyajtó, felülvilágítóval", "Erkélyajtó, oldalvilágítóval",
                                "Erkélyajtó, akadálymentes",    "Erkélyajtó, kifelé nyíló"};
    const char* balconyDe[8] = {"Balkontür, einflügelig",  "Balkontür, zweiflügelig",
                                "Balkontür, Dreh-Kipp",    "Balkontür, Dreh",
                                "Balkontür mit Oberlicht", "Balkontür mit Seitenteil",
                                "Balkontür, barrierefrei", "Balkontür, nach außen"};
    const char* balconySr[8] = {"Balkonska vrata, jednokrilna", "Balkonska vrata, dvokrilna",
                                "Balkonska vrata, okr.-nag.",   "Balkonska vrata, okretna",
                                "Balk. vrata sa nadsvetlom",    "Balk. vrata sa bočnim poljem",
                                "Balk. vrata, bez praga",       "Balk. vrata, otvaranje van"};
    const char* balconyRo[8] = {"Uşă balcon, un canat",      "Uşă balcon, două canaturi",
                                "Uşă balcon, oscilobatantă", "Uşă balcon, batantă",
                                "Uşă balcon cu supralumină", "Uşă balcon cu parte laterală",
                                "Uşă balcon, fără prag",     "Uşă balcon, deschidere ext."};
    const char* balconyEn[8] = {"Balcony door, single",       "Balcony door, double",
                                "Balcony door, tilt-turn",    "Balcony door, side hung",
                                "Balcony door with transom",  "Balcony door with side light",
                                "Balcony door, barrier-free", "Balcony door, outward"};
    for (int i = 0; i < 8; ++i) {
        add(15 + i, F::Balcony, balconyHu[i], balconyDe[i], balconySr[i], balconyRo[i],
            balconyEn[i], 500, 1400, 1600, 2600, 3)
            ->twin = i == 1;
    }
    add(23, F::Lift, "Emelő-toló ajtó, nagy", "Hebe-Schiebe-Tür, groß",
        "Podizno-klizna vrata, velika", "Uşă glisantă ridic., mare", "Lift and slide door, large",
        900, 3300, 1800, 3000, 2);
    const char* slideHu[4] = {"Toló ajtó, küszöbös", "Toló ajtó, kétszárnyú",
                              "Toló ajtó, fix mezővel", "Toló ajtó, sarok kivitel"};
    const char* slideDe[4] = {"Schiebetür mit Schwelle", "Schiebetür, zweiflügelig",
                              "Schiebetür mit Festfeld", "Schiebetür, Eckausführung"};
    const char* slideSr[4] = {"Klizna vrata sa pragom", "Klizna vrata, dvokrilna",
                              "Klizna vrata s fiks. poljem", "Klizna vrata, ugaona"};
    const char* slideRo[4] = {"Uşă glisantă cu prag", "Uşă glisantă, două canaturi",
                              "Uşă glisantă cu câmp fix", "Uşă glisantă de colţ"};
    const char* slideEn[4] = {"Sliding door with sill", "Sliding door, double",
                              "Sliding door with fixed pane", "Corner sliding door"};
    for (int i = 0; i < 4; ++i) {
        add(24 + i, F::Lift, slideHu[i], slideDe[i], slideSr[i], slideRo[i], slideEn[i], 700, 2500,
            1500, 2600, 0);
    }
    add(28, F::Window, "Bukó-nyíló ablak, fa IV", "Dreh-Kipp-Fenster, Holz IV",
        "Okretno-nagibni, drvo IV", "Oscilobatantă, lemn IV", "Tilt-turn window, timber", 290, 1400,
        300, 2400, 2);
    add(40, F::Af, "Bukó-nyíló ablak, AF", "Dreh-Kipp-Fenster, AF", "Okretno-nagibni, AF",
        "Fereastră oscilobat., AF", "Tilt-turn window, AF", 230, 1650, 310, 2400, 3);
    add(41, F::Af, "Kétszárnyú ablak, AF", "Stulpfenster, AF", "Dvokrilni prozor, AF",
        "Fereastră dublă, AF", "Double sash window, AF", 330, 1650, 410, 2400, 3)
        ->twin = true;
    add(48, F::Terrace, "Teraszajtó", "Terrassentür", "Terasna vrata", "Uşă terasă", "Terrace door",
        600, 1300, 1800, 2500, 0);
    add(49, F::Terrace, "Teraszajtó, kétszárnyú", "Terrassentür, zweiflügelig",
        "Terasna vrata, dvokrilna", "Uşă terasă, două canaturi", "Terrace door, double", 600, 1300,
        1800, 2500, 0)
        ->twin = true;
    add(60, F::Door, "Bejárati ajtó, küszöbös", "Haustür mit Schwelle", "Ulazna vrata s pragom",
        "Uşă intrare cu prag", "Entrance door with sill", 800, 1300, 1900, 2500, 0);
    const char* doorHu[9] = {"Bejárati ajtó, egyszárnyú",
                             "Bejárati ajtó, kétszárnyú",
                             "Mellékbejárati ajtó",
                             "Ajtó, többpontos zárral",
                             "Ajtó, motoros zárral",
                             "Ajtó, kifelé nyíló",
                             "Kétszárnyú ajtó, kifelé nyíló",
                             "Pánikajtó",
                             "Tűzgátló ajtó"};
    const char* doorDe[9] = {"Haustür, einflügelig",
                             "Haustür, zweiflügelig",
                             "Nebeneingangstür",
                             "Tür mit Mehrfachverriegelung",
                             "Tür mit Motorschloss",
                             "Tür, nach außen öffnend",
                             "Tür zweiflügelig, nach außen",
                             "Paniktür",
                             "Brandschutztür"};
    const char* doorSr[9] = {"Ulazna vrata, jednokrilna", "Ulazna vrata, dvokrilna",
                             "Sporedna ulazna vrata",     "Vrata s višetač. bravom",
                             "Vrata s motornom bravom",   "Vrata, otvaranje van",
                             "Dvokrilna vrata, van",      "Panik vrata",
                             "Protivpožarna vrata"};
    const char* doorRo[9] = {"Uşă intrare, un canat",
                             "Uşă intrare, două canaturi",
                             "Uşă intrare secundară",
                             "Uşă cu închidere multiplă",
                             "Uşă cu broască motorizată",
                             "Uşă, deschidere exterioară",
                             "Uşă dublă, deschidere ext.",
                             "Uşă antipanică",
                             "Uşă antifoc"};
    const char* doorEn[9] = {"Entrance door, single",
                             "Entrance door, double",
                             "Side entrance door",
                             "Door with multipoint lock",
                             "Door with motor lock",
                             "Door, outward opening",
                             "Double door, outward",
                             "Panic door",
                             "Fire door"};
    for (int i = 0; i < 9; ++i) {
        add(61 + i, F::Door, doorHu[i], doorDe[i], doorSr[i], doorRo[i], doorEn[i], 700, 1300, 1800,
            2600, 0)
            ->twin = i == 1 || i == 6;
    }
    add(70, F::Slant, "Ferde ablak", "Schrägfenster", "Kosi prozor", "Fereastră trapezoidală",
        "Raked window", 300, 1300, 400, 2300, 2);
    add(71, F::Psk, "Toló-bukó ajtó (PSK)", "Parallel-Schiebe-Kipp-Tür",
        "Klizno-nagibna vrata (PSK)", "Uşă glisant-rabatabilă", "Tilt and slide door", 700, 2000,
        1000, 2400, 3);
    add(72, F::Psk, "Toló-bukó ajtó, kényszervez.", "PSK-Tür, Zwangssteuerung",
        "PSK vrata, prinudna", "Uşă PSK, comandă forţată", "Tilt-slide door, forced", 700, 2000,
        1000, 2400, 3);
    add(73, F::Psk, "Toló-bukó ablak (PSK)", "Parallel-Schiebe-Kipp-Fenst.",
        "Klizno-nagibni prozor", "Fereastră glisant-rabatabilă", "Tilt and slide window", 600, 1600,
        600, 1800, 2);
    add(75, F::Terrace, "Teraszajtó, bukó-nyíló", "Terrassentür, Dreh-Kipp",
        "Terasna vrata, okr.-nag.", "Uşă terasă, oscilobatantă", "Terrace door, tilt-turn", 600,
        1300, 1800, 2500, 0);
    add(76, F::Terrace, "Teraszajtó, akadálymentes", "Terrassentür, barrierefrei",
        "Terasna vrata, bez praga", "Uşă terasă, fără prag", "Terrace door, barrier-free", 600,
        1300, 1800, 2500, 0);
    add(77, F::Terrace, "Teraszajtó kétsz., akadálym.", "Terrassentür 2fl. barrierefrei",
        "Terasna vrata 2kr., bez praga", "Uşă terasă dublă, fără prag",
        "Double terrace door, no sill", 600, 1300, 1800, 2500, 0)
        ->twin = true;
    struct Ox {
        int code;
        Fam fam;
        bool twin;
        const char *hu, *de, *sr, *ro, *en;
        int szmax, mmin, mmax;
    };
    const Ox oxal[7] = {
        {86, F::Window, false, "Oxal bukó-nyíló ablak", "Oxal Dreh-Kipp-Fenster",
         "Oxal okretno-nagibni prozor", "Oxal fereastră oscilobatantă", "Oxal tilt-turn window",
         1400, 350, 2400},
        {87, F::Window, true, "Oxal kétszárnyú ablak", "Oxal Stulpfenster", "Oxal dvokrilni prozor",
         "Oxal fereastră dublă", "Oxal double sash window", 1400, 461, 2400},
        {88, F::Turn, false, "Oxal nyíló ablak", "Oxal Drehfenster", "Oxal okretni prozor",
         "Oxal fereastră batantă", "Oxal side hung window", 1400, 350, 2400},
        {89, F::Tilt, false, "Oxal bukó ablak", "Oxal Kippfenster", "Oxal nagibni prozor",
         "Oxal fereastră rabatabilă", "Oxal bottom hung window", 1650, 260, 1200},
        {90, F::Balcony, false, "Oxal erkélyajtó", "Oxal Balkontür", "Oxal balkonska vrata",
         "Oxal uşă balcon", "Oxal balcony door", 1400, 1600, 2600},
        {91, F::Balcony, true, "Oxal kétszárnyú erkélyajtó", "Oxal Stulp-Balkontür",
         "Oxal dvokrilna balk. vrata", "Oxal uşă balcon dublă", "Oxal double balcony door", 1400,
         1600, 2600},
        {92, F::Window, false, "Oxal bukó-nyíló ablak, nagy", "Oxal Dreh-Kipp-Fenster, groß",
         "Oxal okr.-nag. prozor, veliki", "Oxal oscilobatantă, mare",
         "Oxal tilt-turn window, large", 1650, 480, 2800},
    };
    for (const Ox& o : oxal) {
        TypeDef* d = add(o.code, o.fam, o.hu, o.de, o.sr, o.ro, o.en,
                         o.fam == F::Balcony ? 500 : 350, o.szmax, o.mmin, o.mmax, 2);
        d->twin = o.twin;
        d->oxal = true;
    }
    add(93, F::Window, "Biztonsági ablak RC1", "Sicherheitsfenster RC1", "Sigurnosni prozor RC1",
        "Fereastră de siguranţă RC1", "Security window RC1", 355, 1400, 480, 2200, 3)
        ->security = 1;
    add(94, F::Window, "Biztonsági ablak RC2", "Sicherheitsfenster RC2", "Sigurnosni prozor RC2",
        "Fereastră de siguranţă RC2", "Security window RC2", 355, 1400, 480, 2200, 3)
        ->security = 2;
    TypeDef* rc2 = add(95, F::Window, "Kétszárnyú bizt. ablak RC2", "Stulp-Sicherheitsfenster RC2",
                       "Dvokrilni sig. prozor RC2", "Fereastră dublă sig. RC2",
                       "Double security window RC2", 355, 1400, 480, 2200, 3);
    rc2->security = 2;
    rc2->twin = true;
    std::sort(t.begin(), t.end(),
              [](const TypeDef& a, const TypeDef& b) { return a.code < b.code; });
    return t;
}

// ---------------------------------------------------------------- discount groups

std::vector<Group> buildGroups() {
    return {{1, 32, "Hajtóművek", 1},
            {2, 32, "Ollók", 1},
            {4, 30, "Pántok", 1},
            {5, 35, "Zárólemezek", 1},
            {6, 32, "Középzárak", 1},
            {7, 30, "Sarokátfordítók", 1},
            {8, 25, "Kiegészítők", 1},
            {14, 28, "Ka-Line pántok", 1},
            {15, 26, "Rejtett vasalat", 1},
            {16, 30, "Fa vasalat", 1},
            {17, 22, "LM vasalat", 3},
            {18, 30, "Bukó vasalat", 1},
            {19, 20, "Ferde ablak", 1},
            {20, 25, "Ajtózárak", 55},
            {23, 25, "Ajtópántok", 1},
            {24, 18, "Küszöbök", 55},
            {38, 20, "Emelő-toló", 55},
            {40, 22, "PSK vasalat", 40},
            {44, 24, "Oxal", 44},
            {56, 22, "PSK 160", 2},
            {60, 15, "Kilincsek", 51},
            {61, 15, "Ka-Line kilincsek", 51},
            {62, 15, "Tokyo kilincsek", 51},
            {63, 20, "Zárbetétek", 51},
            {80, 20, "Oxal kiegészítők", 44},
            {81, 18, "Biztonsági vasalat", 1},
            {90, 10, "Csavarok", 43},
            {91, 12, "Tömítések", 43},
            {92, 5, "Szerszámok, sablonok", 43},
            {93, 10, "Pótalkatrészek", 1},
            {94, 5, "Kenőanyagok", 1},
            {99, 0, "Egyéb", 1},
            {100, 0, "Fix ár", 1}};
}

// Groups that only the delivered list knows.
std::vector<Group> deliveredOnlyGroups() {
    return {{57, 20, "PSK kiegészítők", 40}, {95, 12, "Akciós termékek", 1}};
}

std::string twoDigits(int v) {
    return (v < 10 ? "0" : "") + std::to_string(v);
}

// ---------------------------------------------------------------- the master data

class Master {
public:
    Master(unsigned seed, bool large);

    std::vector<TypeDef> types;
    std::vector<Group> groups;
    std::vector<Part> parts;
    std::vector<Module> modules;
    std::vector<SetRow> sets;
    struct Converter {
        int sorsz;
        std::string rehau;
        Names names;
    };
    std::vector<Converter> converter;
    struct Profile {
        int sorsz;
        std::string nev, shortName;
        bool wood;
    };
    std::vector<Profile> profiles;
    struct Sheet {
        int ind, sorsz;
        std::string bsnr;
    };
    std::vector<Sheet> sheets;
    std::vector<std::pair<std::string, std::string>> holz;
    std::vector<std::string> accessories; // parts no module uses
    std::string firstModule;

    const Part& partOf(const std::string& bsnr) const { return parts[partIndex_.at(bsnr)]; }
    Rng& rng() { return rng_; }

private:
    std::string part(const Names& n, const PartSpec& s);
    std::string module(const std::string& key, std::string code, int prefix, const char* hu,
                       const char* de, const std::function<std::vector<ModRow>()>& rows);

    // rows of one part per size band (per opening side when `sides`), optionally with the
    // 15 mm running-rail variant of each part
    std::vector<ModRow> graded(const std::vector<Band>& bs, const Names& stem, PartSpec spec,
                               double step, bool sides = false, const Names* rail = nullptr);
    // one part per colour (and per opening side when `sides`)
    std::vector<ModRow> coloured(const Names& stem, const PartSpec& spec, bool sides = false,
                                 int menny = 1);
    // one part per opening side; `eckband` adds the Eckband variant (opening code 3)
    std::vector<ModRow> sided(const Names& stem, const PartSpec& spec, bool eckband,
                              bool rightOnly = false, int menny = 1);
    std::vector<ModRow> single(const Names& name, const PartSpec& spec, int menny = 1,
                               const Names* rail = nullptr);

    // the profile-dependent parts (conversion list) of the reference profile
    std::string converterPart(int index, int side);
    std::vector<ModRow> converterRows(int index, const std::vector<std::pair<Band, int>>& bandQty);

    void buildConverterParts();
    void buildSets();
    void compose(const TypeDef& t, int hinge, int material);
    void buildProfiles();
    void buildAccessories();
    void buildLarge();

    // modules, created on first use
    std::string gear(int material);
    std::string stay(int hinge, int material, bool oxal);
    std::string bearing(int material);
    std::string cornerHinge(int hinge, int material);
    std::string cover(int hinge);
    std::string keepers(int material, bool oxal);
    std::string handle(bool lockable);

    Rng rng_;
    bool large_;
    std::map<std::string, std::string> partByName_;
    std::map<std::string, size_t> partIndex_;
    std::set<std::string> numbers_;
    std::map<std::string, std::string> moduleByKey_;
    std::map<int, int> moduleSeq_;
    std::set<std::string> moduleCodes_;
    std::map<int, std::set<std::string>> setModules_;
    std::vector<std::string> converterParts_; // 15 kinds x (right, left)
    int currentGarkod_ = 0;
    void add(const std::string& modul, int kind, int darab = 1, int getriebe = 1);
};

Master::Master(unsigned seed, bool large) : rng_(seed), large_(large) {
    types = buildTypes();
    groups = buildGroups();
    buildConverterParts();
    buildSets();
    buildProfiles();
    buildAccessories();
    if (large_) {
        buildLarge();
    }
}

std::string Master::part(const Names& n, const PartSpec& s) {
    if (auto it = partByName_.find(n.hu); it != partByName_.end()) {
        return it->second;
    }
    for (const std::string* text : {&n.hu, &n.de, &n.sr, &n.ro}) {
        checkLength(*text, 50, "part name");
    }
    std::string bsnr;
    for (int attempt = 0;; ++attempt) {
        const int tail = rng_.below(1000);
        bsnr = std::to_string(s.family) +
               std::string(tail < 10    ? "00"
                           : tail < 100 ? "0"
                                        : "") +
               std::to_string(tail);
        if (numbers_.insert(bsnr).second) {
            break;
        }
        if (attempt > 20000) {
            throw std::logic_error("part family " + std::to_string(s.family) + " is full");
        }
    }
    Part p;
    p.bsnr = bsnr;
    p.artikel = s.art + "-" + bsnr.substr(bsnr.size() - 5);
    p.hu = n.hu;
    p.de = n.de;
    p.sr = n.sr;
    p.ro = n.ro;
    p.bsnr2 = "6" + std::string(9 - bsnr.size(), '0') + bsnr;
    p.pe = s.pe;
    p.kpe = s.kpe;
    p.grupp = s.grupp;
    p.preis = std::max(0.01, round2(s.price * (0.93 + 0.14 * rng_.unit())));
    p.kpreis = round3(std::max(0.001, s.weight * (0.95 + 0.1 * rng_.unit())));
    if (p.kpe > p.pe) {
        p.epreis = std::max(0.01, round2(p.preis * 0.88));
    }
    partIndex_[bsnr] = parts.size();
    parts.push_back(std::move(p));
    partByName_[n.hu] = bsnr;
    return bsnr;
}

std::string Master::module(const std::string& key, std::string code, int prefix, const char* hu,
                           const char* de, const std::function<std::vector<ModRow>()>& rows) {
    if (auto it = moduleByKey_.find(key); it != moduleByKey_.end()) {
        return it->second;
    }
    checkLength(hu, 30, "module name");
    checkLength(de, 30, "module name");
    if (code.empty()) {
        const int seq = ++moduleSeq_[prefix];
        code = std::to_string(prefix * 100000 + seq);
    }
    checkLength(code, 7, "module code");
    if (!moduleCodes_.insert(code).second) {
        throw std::logic_error("module code used twice: " + code);
    }
    Module m;
    m.code = code;
    m.hu = hu;
    m.de = de;
    m.rows = rows();
    std::set<std::tuple<std::string, int, int, int, int>> keys;
    for (auto& r : m.rows) {
        if (r.ts.empty()) {
            r.ts = r.bsnr;
        }
        if (!keys.insert({r.bsnr, r.min, r.max, r.szin, r.nyit}).second) {
            throw std::logic_error("module " + code + " repeats a part row");
        }
    }
    modules.push_back(std::move(m));
    moduleByKey_[key] = code;
    return code;
}

std::vector<ModRow> Master::graded(const std::vector<Band>& bs, const Names& stem, PartSpec spec,
                                   double step, bool sides, const Names* rail) {
    std::vector<ModRow> rows;
    const double base = spec.price;
    const double baseWeight = spec.weight;
    for (size_t i = 0; i < bs.size(); ++i) {
        spec.price = base + step * static_cast<double>(i);
        spec.weight = baseWeight * (1.0 + 0.18 * static_cast<double>(i));
        for (int side = sides ? 1 : 0; side <= (sides ? 2 : 0); ++side) {
            const Names n =
                side == 0 ? stem + bs[i].label() : stem + kOpening[side] + bs[i].label();
            ModRow r;
            r.bsnr = part(n, spec);
            r.min = bs[i].min;
            r.max = bs[i].max;
            r.nyit = side;
            if (rail != nullptr) {
                PartSpec ts = spec;
                ts.price *= 1.12;
                ts.family += 1;
                const Names tn =
                    side == 0 ? *rail + bs[i].label() : *rail + kOpening[side] + bs[i].label();
                r.ts = part(tn, ts);
            }
            rows.push_back(r);
        }
    }
    return rows;
}

std::vector<ModRow> Master::coloured(const Names& stem, const PartSpec& spec, bool sides,
                                     int menny) {
    std::vector<ModRow> rows;
    for (int c = 1; c <= 4; ++c) {
        PartSpec s = spec;
        s.price = spec.price * (c == 3 ? 1.25 : c == 4 ? 1.15 : c == 2 ? 1.08 : 1.0);
        for (int side = sides ? 1 : 0; side <= (sides ? 3 : 0); ++side) {
            ModRow r;
            r.bsnr = part(side == 0 ? stem + kColour[c] : stem + kColour[c] + kOpening[side], s);
            r.szin = c;
            r.nyit = side;
            r.menny = menny;
            rows.push_back(r);
        }
    }
    return rows;
}

std::vector<ModRow> Master::sided(const Names& stem, const PartSpec& spec, bool eckband,
                                  bool rightOnly, int menny) {
    std::vector<ModRow> rows;
    for (int side : {1, 2, 3}) {
        if ((side == 2 && rightOnly) || (side == 3 && !eckband)) {
            continue;
        }
        PartSpec s = spec;
        if (side == 3) {
            s.price *= 1.2;
        }
        ModRow r;
        r.bsnr = part(stem + kOpening[side], s);
        r.nyit = side;
        r.menny = menny;
        rows.push_back(r);
    }
    return rows;
}

std::vector<ModRow> Master::single(const Names& name, const PartSpec& spec, int menny,
                                   const Names* rail) {
    ModRow r;
    r.bsnr = part(name, spec);
    r.menny = menny;
    if (rail != nullptr) {
        PartSpec ts = spec;
        ts.family += 1;
        ts.price *= 1.1;
        r.ts = part(*rail, ts);
    }
    return {r};
}

// ---------------------------------------------------------------- profile-dependent parts

struct KeeperKind {
    Names names;
    double price;
};

const KeeperKind kKeepers[15] = {
    {{"Gombás zárólemez", "Pilzkopf-Schließstück", "Pečurkasti prihvatnik", "Opritor ciupercă"},
     1.9},
    {{"Bukó zárólemez", "Kippschließstück", "Nagibni prihvatnik", "Opritor rabatare"}, 2.4},
    {{"Középzár zárólemez", "Mittelverschl.-Schließstück", "Prihvatnik srednje brave",
      "Opritor închizător median"},
     2.1},
    {{"Ollócsapágy zárólemez", "Scherenlager-Schließstück", "Prihvatnik ležaja makaza",
      "Opritor lagăr foarfecă"},
     2.6},
    {{"Sarokpánt alátét", "Ecklager-Unterlage", "Podloška ugaone šarke", "Distanţier balama colţ"},
     0.9},
    {{"Stulp zárólemez", "Stulp-Schließstück", "Prihvatnik pasivnog krila", "Opritor canat pasiv"},
     2.8},
    {{"Ajtó zárólemez", "Tür-Schließblech", "Prihvatnik vrata", "Contraplacă uşă"}, 4.6},
    {{"Küszöb zárólemez", "Schwellen-Schließstück", "Prihvatnik praga", "Opritor prag"}, 3.2},
    {{"HS zárólemez", "HS-Schließstück", "HS prihvatnik", "Opritor HS"}, 5.4},
    {{"PSK zárólemez", "PSK-Schließstück", "PSK prihvatnik", "Opritor PSK"}, 4.9},
    {{"Biztonsági zárólemez", "Sicherheits-Schließstück", "Sigurnosni prihvatnik",
      "Opritor de siguranţă"},
     6.8},
    {{"Hibásműk.-gátló ellenlemez", "Fehlbedienungs-Auflaufstück", "Kontraploča blokatora",
      "Contraplacă blocator"},
     1.6},
    {{"Szárnyemelő ellenlemez", "Flügelheber-Auflaufstück", "Kontraploča podizača krila",
      "Contraplacă ridicător canat"},
     1.4},
    {{"Ferde ablak zárólemez", "Schrägfenster-Schließstück", "Prihvatnik kosog prozora",
      "Opritor fereastră trapez"},
     3.6},
    {{"Oxal zárólemez", "Oxal-Schließstück", "Oxal prihvatnik", "Opritor Oxal"}, 2.3},
};

enum Keeper {
    kMushroom,
    kTiltKeeper,
    kMidKeeper,
    kBearingKeeper,
    kShim,
    kStulpKeeper,
    kDoorKeeper,
    kSillKeeper,
    kLiftKeeper,
    kPskKeeper,
    kSecurityKeeper,
    kMisopPlate,
    kLifterPlate,
    kSlantKeeper,
    kOxalKeeper
};

void Master::buildConverterParts() {
    int sorsz = 0;
    for (int k = 0; k < 15; ++k) {
        for (int side : {1, 2}) {
            PartSpec s{530, "ZL", k == kOxalKeeper ? 44 : 5, kKeepers[k].price, 0.045};
            s.kpe = 50;
            const Names n = kKeepers[k].names + kOpening[side];
            const std::string bsnr = part(n, s);
            converterParts_.push_back(bsnr);
            converter.push_back({++sorsz, bsnr, n});
        }
    }
}

std::string Master::converterPart(int index, int side) {
    return converterParts_[static_cast<size_t>(index * 2 + (side == 2 ? 1 : 0))];
}

std::vector<ModRow> Master::converterRows(int index,
                                          const std::vector<std::pair<Band, int>>& bandQty) {
    std::vector<ModRow> rows;
    for (int side : {1, 2}) {
        for (const auto& [band, qty] : bandQty) {
            ModRow r;
            r.bsnr = qty > 0 ? converterPart(index, side) : "-";
            r.min = band.min;
            r.max = band.max;
            r.nyit = side;
            r.menny = std::max(1, qty);
            rows.push_back(r);
        }
    }
    return rows;
}

// ---------------------------------------------------------------- modules

const Names kGearFix{"Hajtómű fix", "Getriebe fest", "Kremon fiksni", "Cremon fix"};
const Names kGearFixTs{"Hajtómű fix TS15", "Getriebe fest TS15", "Kremon fiksni TS15",
                       "Cremon fix TS15"};

std::string Master::gear(int material) {
    if (material == 2) {
        return module("gearLM", "", 21, "LM hajtómű", "Alu-Getriebe", [this] {
            return graded(kHeight, {"LM hajtómű", "Alu-Getriebe", "Alu kremon", "Cremon aluminiu"},
                          {308, "LGT", 17, 14.5, 0.42}, 2.1);
        });
    }
    return module("gear", "", 21, "Hajtómű fix", "Getriebe fest", [this] {
        return graded(kHeight, kGearFix, {208, "GF", 1, 8.9, 0.36}, 1.7, false, &kGearFixTs);
    });
}

std::string Master::stay(int hinge, int material, bool oxal) {
    if (oxal) {
        return module("stayOx", "", 35, "Oxal olló", "Oxal-Schere", [this] {
            return graded(kWidth, {"Oxal olló", "Oxal-Schere", "Oxal makaze", "Foarfecă Oxal"},
                          {352, "OXS", 44, 9.8, 0.5}, 1.6, true);
        });
    }
    if (material == 2) {
        return module("stayLM", "", 22, "LM olló", "Alu-Schere", [this] {
            return graded(kWidth, {"LM olló", "Alu-Schere", "Alu makaze", "Foarfecă aluminiu"},
                          {322, "LSC", 17, 12.4, 0.55}, 1.9, true);
        });
    }
    switch (hinge) {
    case 1:
        return module("stayK", "", 22, "Olló Ka-Line", "Schere Ka-Line", [this] {
            return graded(kWidth,
                          {"Olló Ka-Line", "Schere Ka-Line", "Makaze Ka-Line", "Foarfecă Ka-Line"},
                          {223, "SK", 14, 8.6, 0.48}, 1.4, true);
        });
    case 2:
        return module("stayR", "", 22, "Rejtett olló", "Verdeckte Schere", [this] {
            return graded(
                kWidth, {"Rejtett olló", "Verdeckte Schere", "Skrivene makaze", "Foarfecă ascunsă"},
                {225, "SR", 15, 13.2, 0.62}, 2.0, true);
        });
    default:
        return module("stayN", "", 22, "Olló", "Schere", [this] {
            return graded(kWidth, {"Olló", "Schere", "Makaze", "Foarfecă"},
                          {221, "SN", 2, 6.9, 0.44}, 1.2, true);
        });
    }
}

// The stay bearing: the opening code is 1, or 3 with Eckband.
std::string Master::bearing(int material) {
    if (material == 2) {
        return module("bearingLM", "8800001", 0, "Ollócsapágy LM", "Scherenlager Alu", [this] {
            return sided(
                {"LM ollócsapágy", "Alu-Scherenlager", "Alu ležaj makaza", "Lagăr foarfecă alu"},
                {311, "LSL", 17, 4.9, 0.12}, true, true);
        });
    }
    if (material == 1) {
        return module("bearingWood", "8000005", 0, "Ollócsapágy fa", "Scherenlager Holz", [this] {
            return sided(
                {"Ollócsapágy fa", "Scherenlager Holz", "Ležaj makaza drvo", "Lagăr foarfecă lemn"},
                {261, "HSL", 16, 3.8, 0.11}, true, true);
        });
    }
    return module("bearing", "1000108", 0, "Ollócsapágy", "Scherenlager", [this] {
        return sided({"Ollócsapágy", "Scherenlager", "Ležaj makaza", "Lagăr foarfecă"},
                     {231, "SL", 4, 3.2, 0.1}, true, true);
    });
}

std::string Master::cornerHinge(int hinge, int material) {
    if (hinge == 1) {
        return module("hingeK", "5120009", 0, "Sarokpánt Ka-Line", "Ecklager Ka-Line", [this] {
            return sided({"Sarokpánt Ka-Line", "Ecklager Ka-Line", "Ugaona šarka Ka-Line",
                          "Balama colţ Ka-Line"},
                         {241, "EK", 14, 5.6, 0.16}, true);
        });
    }
    if (hinge == 2) {
        if (material == 2) {
            return module("hingeRLM", "7000012", 0, "Rejtett sarokpánt LM",
                          "Verdecktes Ecklager Alu", [this] {
                              return sided({"Rejtett sarokpánt LM", "Verdecktes Ecklager Alu",
                                            "Skrivena ug. šarka alu", "Balama ascunsă alu"},
                                           {315, "LVE", 17, 14.2, 0.3}, true);
                          });
        }
        return module("hingeR", "7000021", 0, "Rejtett sarokpánt", "Verdecktes Ecklager", [this] {
            return sided({"Rejtett sarokpánt", "Verdecktes Ecklager", "Skrivena ugaona šarka",
                          "Balama colţ ascunsă"},
                         {251, "VE", 15, 11.8, 0.28}, true);
        });
    }
    if (material == 2) {
        return module("hingeLM", "8800000", 0, "Sarokpánt LM", "Ecklager Alu", [this] {
            return sided({"LM sarokpánt", "Alu-Ecklager", "Alu ugaona šarka", "Balama colţ alu"},
                         {312, "LEL", 17, 6.9, 0.2}, true);
        });
    }
    if (material == 1) {
        return module("hingeWood", "8000000", 0, "Sarokpánt fa", "Ecklager Holz", [this] {
            return sided({"Sarokpánt fa", "Ecklager Holz", "Ugaona šarka drvo", "Balama colţ lemn"},
                         {262, "HEL", 16, 4.4, 0.15}, true);
        });
    }
    return module("hinge", "0000008", 0, "Sarokpánt", "Ecklager", [this] {
        return sided({"Sarokpánt", "Ecklager", "Ugaona šarka", "Balama colţ"},
                     {232, "EL", 4, 3.9, 0.14}, true);
    });
}

std::string Master::cover(int hinge) {
    if (hinge == 1) {
        return module("coverK", "", 23, "Pántfedő Ka-Line", "Bandabdeckung Ka-Line", [this] {
            return coloured({"Pántfedő Ka-Line", "Bandabdeckung Ka-Line", "Poklopac šarke Ka-Line",
                             "Capac balama Ka-Line"},
                            {242, "AK", 14, 2.2, 0.03});
        });
    }
    if (hinge == 2) {
        return module("coverR", "7000005", 0, "Rejtett pánt takaró", "Abdeckung verdeckt", [this] {
            return coloured({"Rejtett pánt takaró", "Abdeckung verdeckt", "Poklopac skrivene šarke",
                             "Capac balama ascunsă"},
                            {252, "AV", 15, 1.9, 0.02}, true);
        });
    }
    return module("cover", "0200003", 0, "Pántfedő szett", "Bandabdeckung Set", [this] {
        return coloured(
            {"Pántfedő szett", "Bandabdeckung Set", "Set poklopaca šarke", "Set capace balama"},
            {233, "AB", 4, 1.6, 0.03}, true);
    });
}

std::string Master::keepers(int material, bool oxal) {
    const std::vector<std::pair<Band, int>> byHeight = {
        {{250, 800}, 2}, {{801, 1400}, 3}, {{1401, 2000}, 4}, {{2001, 3000}, 5}};
    if (oxal && material != 1) {
        return module("keeperOx", "", 26, "Oxal zárólemezek", "Oxal-Schließstücke",
                      [this, byHeight] { return converterRows(kOxalKeeper, byHeight); });
    }
    if (material == 2) {
        return module("keeperLM", "", 26, "LM zárólemezek", "Alu-Schließstücke", [this] {
            std::vector<ModRow> rows;
            for (const auto& [band, qty] : std::vector<std::pair<Band, int>>{
                     {{250, 800}, 2}, {{801, 1400}, 3}, {{1401, 3000}, 4}}) {
                ModRow r;
                r.bsnr =
                    part({"LM zárólemez", "Alu-Schließstück", "Alu prihvatnik", "Opritor aluminiu"},
                         {313, "LZL", 17, 2.9, 0.05, 1, 25});
                r.min = band.min;
                r.max = band.max;
                r.menny = qty;
                rows.push_back(r);
            }
            return rows;
        });
    }
    if (material == 1) {
        return module("keeperWood", "", 26, "Zárólemezek fa", "Schließstücke Holz", [this] {
            std::vector<ModRow> rows;
            for (int side : {1, 2}) {
                for (const auto& [band, qty] : std::vector<std::pair<Band, int>>{
                         {{250, 800}, 2}, {{801, 1400}, 3}, {{1401, 2000}, 4}, {{2001, 3000}, 5}}) {
                    ModRow r;
                    r.bsnr = part(Names{"Zárólemez fa", "Schließstück Holz", "Prihvatnik drvo",
                                        "Opritor lemn"} +
                                      kOpening[side],
                                  {263, "HZL", 16, 1.7, 0.04, 1, 50});
                    r.min = band.min;
                    r.max = band.max;
                    r.nyit = side;
                    r.menny = qty;
                    rows.push_back(r);
                }
                ModRow tilt;
                tilt.bsnr = part(Names{"Bukó zárólemez fa", "Kippschließstück Holz",
                                       "Nagibni prihvatnik drvo", "Opritor rabatare lemn"} +
                                     kOpening[side],
                                 {263, "HZL", 16, 2.2, 0.05, 1, 50});
                tilt.nyit = side;
                rows.push_back(tilt);
            }
            return rows;
        });
    }
    return module("keeper", "", 26, "Zárólemezek", "Schließstücke",
                  [this, byHeight] { return converterRows(kMushroom, byHeight); });
}

std::string Master::handle(bool lockable) {
    if (lockable) {
        return module("handleLock", "", 28, "Zárható ablakkilincs", "Abschließbarer Griff", [this] {
            return coloured({"Zárható ablakkilincs", "Abschließbarer Fenstergriff",
                             "Ručka prozora sa ključem", "Mâner fereastră cu cheie"},
                            {602, "FGS", 60, 14.8, 0.21});
        });
    }
    return module("handle", "", 28, "Ablakkilincs", "Fenstergriff", [this] {
        return coloured({"Ablakkilincs", "Fenstergriff", "Ručka prozora", "Mâner fereastră"},
                        {601, "FG", 60, 5.4, 0.18});
    });
}

// ---------------------------------------------------------------- sets

void Master::add(const std::string& modul, int kind, int darab, int getriebe) {
    if (!setModules_[currentGarkod_].insert(modul).second) {
        throw std::logic_error("set " + std::to_string(currentGarkod_) + " holds module " + modul +
                               " twice");
    }
    sets.push_back({currentGarkod_, modul, kind, darab, getriebe});
}

void Master::buildSets() {
    for (const TypeDef& t : types) {
        for (int m : materialsOf(t.code)) {
            for (int h : hingesOf(t.code)) {
                compose(t, h, m);
            }
        }
    }
}

void Master::compose(const TypeDef& t, int h, int m) {
    currentGarkod_ = t.code + 100 * h + 1000 * m;
    const bool threshold = isThresholdType(t.code);
    const int leaves = t.twin ? 2 : 1;
    const int material = threshold ? 0 : m; // a threshold type's "material" is its scheme

    // The gear of the active leaf with the rod-lock options: Getriebe 7 = "Rúdzár 3" not chosen, 11
    // = chosen, 13 = "Rúdzár 15mm" not chosen, 14 = chosen.
    auto gearAndRods = [&](int kind) {
        if (material == 2) {
            add(gear(2), kind, 1);
            return;
        }
        add(gear(material), kind, 1, 7);
        add(module("gear3", "", 21, "Hajtómű, Rúdzár 3", "Getriebe, Stange 3",
                   [this] {
                       return graded(kHeight,
                                     {"Hajtómű rúdzár 3", "Getriebe Stange 3", "Kremon šipka 3",
                                      "Cremon tijă 3"},
                                     {211, "GR", 1, 11.4, 0.4}, 1.9);
                   }),
            kind, 1, 11);
        if (material == 0) {
            add(module("rod15", "", 21, "Rúdzár 15 mm kiegészítő", "Stange 15 mm Zusatz",
                       [this] {
                           const std::string p =
                               part({"Rúdzár 15 mm toldat", "Stange 15 mm Verlängerung",
                                     "Šipka 15 mm produžetak", "Tijă 15 mm prelungire"},
                                    {212, "RZ", 1, 3.6, 0.12});
                           return std::vector<ModRow>{{p, 250, 1200, 0, 0, 1, {}},
                                                      {p, 1201, 3000, 0, 0, 2, {}}};
                       }),
                kind, 1, 14);
            add(module("rod7", "", 21, "Rúdzár 7 mm csap", "Stange 7 mm Zapfen",
                       [this] {
                           return single({"Rúdzár 7 mm csap", "Stange 7 mm Zapfen",
                                          "Šipka 7 mm čep", "Tijă 7 mm bolţ"},
                                         {212, "RZ", 1, 0.8, 0.02, 1, 100}, 2);
                       }),
                0, 1, 13);
        }
    };
    auto corner = [&] {
        if (material == 2) {
            add(module("cornerLM", "", 24, "LM sarokátfordító", "Alu-Eckumlenkung",
                       [this] {
                           return single({"LM sarokátfordító", "Alu-Eckumlenkung",
                                          "Alu ugaoni prenosnik", "Colţar aluminiu"},
                                         {316, "LEU", 17, 6.2, 0.14});
                       }),
                0, leaves);
            return;
        }
        static const Names rail{"Sarokátfordító TS15", "Eckumlenkung TS15", "Ugaoni prenosnik TS15",
                                "Colţar TS15"};
        if (t.oxal) {
            add(module("cornerOx", "", 35, "Oxal sarokátfordító", "Oxal-Eckumlenkung",
                       [this] {
                           return single({"Oxal sarokátfordító", "Oxal-Eckumlenkung",
                                          "Oxal ugaoni prenosnik", "Colţar Oxal"},
                                         {354, "OXE", 44, 4.6, 0.12}, 2);
                       }),
                0, leaves);
            return;
        }
        add(module("corner", "", 24, "Sarokátfordító", "Eckumlenkung",
                   [this] {
                       return single(
                           {"Sarokátfordító", "Eckumlenkung", "Ugaoni prenosnik", "Colţar"},
                           {243, "EU", 7, 3.4, 0.1}, 2, &rail);
                   }),
            0, leaves);
    };
    auto middleLocks = [&](bool vertical, bool horizontal) {
        if (material == 2) {
            if (vertical) {
                add(module("midLMV", "8800020", 0, "LM középzár függőleges",
                           "Alu-Mittelverschl. senkr.",
                           [this] {
                               const std::string p =
                                   part({"LM középzár", "Alu-Mittelverschluss", "Alu srednja brava",
                                         "Închizător median alu"},
                                        {317, "LMV", 17, 7.4, 0.18});
                               return std::vector<ModRow>{{"-", 250, 800, 0, 0, 1, "-"},
                                                          {p, 801, 1600, 0, 0, 1, {}},
                                                          {p, 1601, 3000, 0, 0, 2, {}}};
                           }),
                    2, leaves);
            }
            if (horizontal) {
                add(module("midLMH", "8800018", 0, "LM középzár vízszintes",
                           "Alu-Mittelverschl. waagr.",
                           [this] {
                               const std::string p = part(
                                   {"LM középzár vízszintes", "Alu-Mittelverschluss waagr.",
                                    "Alu srednja brava vodoravna", "Închizător median alu oriz."},
                                   {317, "LMV", 17, 7.9, 0.19});
                               return std::vector<ModRow>{{"-", 200, 800, 0, 0, 1, "-"},
                                                          {p, 801, 1400, 0, 0, 1, {}},
                                                          {p, 1401, 2000, 0, 0, 2, {}}};
                           }),
                    1, leaves);
            }
            return;
        }
        if (vertical) {
            add(module("midV", "", 25, "Középzár függőleges", "Mittelverschluss senkrecht",
                       [this] {
                           const std::string p = part({"Középzár", "Mittelverschluss",
                                                       "Srednja brava", "Închizător median"},
                                                      {244, "MV", 6, 4.2, 0.16});
                           const std::string ts =
                               part({"Középzár TS15", "Mittelverschluss TS15", "Srednja brava TS15",
                                     "Închizător median TS15"},
                                    {245, "MVT", 6, 4.8, 0.17});
                           return std::vector<ModRow>{{"-", 250, 800, 0, 0, 1, "-"},
                                                      {p, 801, 1400, 0, 0, 1, ts},
                                                      {p, 1401, 2000, 0, 0, 2, ts},
                                                      {p, 2001, 3000, 0, 0, 3, ts}};
                       }),
                2, leaves);
        }
        if (horizontal) {
            add(module("midH", "", 25, "Középzár vízszintes", "Mittelverschluss waagrecht",
                       [this] {
                           const std::string p =
                               part({"Középzár vízszintes", "Mittelverschluss waagrecht",
                                     "Srednja brava vodoravna", "Închizător median orizontal"},
                                    {246, "MH", 6, 4.5, 0.17});
                           const std::string rail =
                               part({"Futósín toldat 15 mm", "Laufschiene Verlängerung 15 mm",
                                     "Produžetak šine 15 mm", "Prelungire şină 15 mm"},
                                    {247, "FT", 6, 1.9, 0.08});
                           // with the 15 mm running rail even a narrow leaf gets the extension
                           return std::vector<ModRow>{{"-", 200, 800, 0, 0, 1, rail},
                                                      {p, 801, 1400, 0, 0, 1, {}},
                                                      {p, 1401, 2000, 0, 0, 2, {}},
                                                      {p, 2001, 3300, 0, 0, 3, {}}};
                       }),
                1, leaves);
        }
    };
    auto plasticKeepers = [&](bool tilt) {
        add(keepers(material, t.oxal), 2, leaves);
        if (material != 0 || t.oxal) {
            return;
        }
        if (tilt) {
            add(module("keeperTilt", "", 26, "Bukó zárólemez", "Kippschließstück",
                       [this] {
                           return converterRows(kTiltKeeper, {{{0, kAny}, 1}});
                       }),
                0, leaves);
        }
        add(module("keeperMid", "", 26, "Középzár zárólemez", "Mittelverschl.-Schließstück",
                   [this] {
                       return converterRows(kMidKeeper,
                                            {{{250, 800}, 0}, {{801, 1400}, 1}, {{1401, 3000}, 2}});
                   }),
            2, leaves);
        add(module("keeperBearing", "", 26, "Ollócsapágy zárólemez", "Scherenlager-Schließstück",
                   [this] {
                       return converterRows(kBearingKeeper, {{{0, kAny}, 1}});
                   }),
            0, leaves);
    };
    auto hingeSide = [&](bool withBearing) {
        add(cornerHinge(h, material), 0, leaves);
        add(cover(h), 0, leaves);
        if (withBearing && h < 2) {
            add(bearing(material), 0, leaves);
        }
        if (h == 0 && material == 0) {
            add(module("shim", "", 26, "Sarokpánt alátét", "Ecklager-Unterlage",
                       [this] {
                           return converterRows(kShim, {{{0, kAny}, 1}});
                       }),
                0, leaves);
        }
    };
    auto comfort = [&] {
        if (material == 2) {
            return;
        }
        add(module("misop", "", 27, "Hibásműködés-gátló", "Fehlbedienungssperre",
                   [this] {
                       auto rows =
                           single({"Hibásműködés-gátló", "Fehlbedienungssperre",
                                   "Blokator pogrešnog rukovanja", "Blocator manevră greşită"},
                                  {271, "FB", 8, 2.9, 0.06});
                       for (auto& r : converterRows(kMisopPlate, {{{0, kAny}, 1}})) {
                           rows.push_back(r);
                       }
                       return rows;
                   }),
            0);
        add(module("lifter", "", 27, "Szárnyemelő", "Flügelheber",
                   [this] {
                       auto rows = single(
                           {"Szárnyemelő", "Flügelheber", "Podizač krila", "Ridicător canat"},
                           {272, "FH", 8, 2.1, 0.05});
                       for (auto& r : converterRows(kLifterPlate, {{{0, kAny}, 1}})) {
                           rows.push_back(r);
                       }
                       return rows;
                   }),
            0);
    };
    auto screws = [&] {
        add(module("screws", "", 27, "Csavarkészlet", "Schraubenset",
                   [this] {
                       return single({"Csavar 4,1x35 horganyzott", "Schraube 4,1x35 verzinkt",
                                      "Vijak 4,1x35 pocinkovan", "Şurub 4,1x35 zincat"},
                                     {901, "SCR", 90, 0.04, 0.004, 1, 500}, 24);
                   }),
            0, leaves);
    };
    auto passiveLeaf = [&] {
        if (!t.twin) {
            return;
        }
        add(module("gearStulp", "", 21, "Stulp hajtómű", "Stulpgetriebe",
                   [this] {
                       return graded(kHeight,
                                     {"Stulp hajtómű", "Stulpgetriebe", "Kremon pasivnog krila",
                                      "Cremon canat pasiv"},
                                     {213, "GS", 1, 12.6, 0.45}, 2.0);
                   }),
            2);
        add(module("vrVso", "", 36, "Stulp felső retesz", "Stulp-Riegel oben",
                   [this] {
                       const Names n{"Stulp felső retesz", "Stulp-Riegel oben",
                                     "Gornja reza pasivnog krila", "Zăvor sus canat pasiv"};
                       return std::vector<ModRow>{
                           {part(n + "300", {214, "VR", 1, 3.1, 0.08}), 1, 500, 0, 0, 1, {}},
                           {part(n + "800", {214, "VR", 1, 3.9, 0.1}), 501, 1000, 0, 0, 1, {}}};
                   }),
            14);
        add(module("vrVsu", "", 36, "Stulp alsó retesz", "Stulp-Riegel unten",
                   [this] {
                       const Names n{"Stulp alsó retesz", "Stulp-Riegel unten",
                                     "Donja reza pasivnog krila", "Zăvor jos canat pasiv"};
                       return std::vector<ModRow>{
                           {part(n + "300", {214, "VR", 1, 3.0, 0.08}), 1, 500, 0, 0, 1, {}},
                           {part(n + "800", {214, "VR", 1, 3.7, 0.1}), 501, 1000, 0, 0, 1, {}}};
                   }),
            15);
        if (material == 0) {
            add(module("keeperStulp", "", 26, "Stulp zárólemez", "Stulp-Schließstück",
                       [this] {
                           return converterRows(
                               kStulpKeeper,
                               {{{250, 1200}, 1}, {{1201, 2000}, 2}, {{2001, 3000}, 3}});
                       }),
                2);
        }
    };
    // the sill of the threshold doors, by hinge item: standard, barrier-free, C315
    auto sillOnly = [&] {
        static const char* hu[3] = {"Küszöb standard", "Küszöb akadálymentes", "Küszöb C315"};
        static const char* de[3] = {"Schwelle Standard", "Schwelle barrierefrei", "Schwelle C315"};
        static const char* sr[3] = {"Prag standard", "Prag bez barijera", "Prag C315"};
        static const char* ro[3] = {"Prag standard", "Prag fără barieră", "Prag C315"};
        add(module("sill" + std::to_string(h), "", 33, hu[h], de[h],
                   [this, hh = h] {
                       return graded(kDoorWidth, {hu[hh], de[hh], sr[hh], ro[hh]},
                                     {341 + hh, "KS", 24, 24.0 + 6 * hh, 1.2}, 5.5);
                   }),
            1);
    };
    auto sill = [&] {
        sillOnly();
        add(module("rabRail", "", 33, "Zárósín RAB szerint", "Schließleiste nach RAB",
                   [this] {
                       return graded(
                           kRab, {"Zárósín", "Schließleiste", "Zaporna letva", "Şină închidere"},
                           {1240, "ZS", 24, 6.5, 0.4}, 3.1);
                   }),
            3);
        add(module("keeperSill", "", 26, "Küszöb zárólemez", "Schwellen-Schließstück",
                   [this] {
                       return converterRows(kSillKeeper, {{{0, kAny}, 1}});
                   }),
            0, leaves);
    };
    auto schemeExtras = [&] {
        // C scheme with a transom, D scheme with a side light
        if (m == 1) {
            add(module("transom", "", 33, "Felülvilágító nyitó", "Oberlichtöffner",
                       [this] {
                           return graded(kWidth,
                                         {"Felülvilágító nyitó", "Oberlichtöffner",
                                          "Otvarač nadsvetla", "Deschizător supralumină"},
                                         {1250, "OL", 8, 21.0, 0.8}, 2.4);
                       }),
                1);
        } else if (m == 2) {
            add(module("sideJoin", "", 33, "Oldalfény csatlakozó", "Seitenteilverbinder",
                       [this] {
                           return graded(kDoorHeight,
                                         {"Oldalfény csatlakozó", "Seitenteilverbinder",
                                          "Spojnica bočnog polja", "Conector parte laterală"},
                                         {1251, "SV", 8, 7.5, 0.3}, 1.1);
                       }),
                2);
        }
    };
    auto doorHandle = [&] {
        add(module("handleDoor", "", 32, "Ajtókilincs garnitúra", "Türdrückergarnitur",
                   [this] {
                       return coloured({"Ajtókilincs garnitúra", "Türdrückergarnitur",
                                        "Garnitura kvake", "Garnitură mâner uşă"},
                                       {603, "TD", 60, 24.0, 0.9});
                   }),
            0, leaves);
    };

    switch (t.fam) {
    case Fam::Window:
    case Fam::Af:
        if (t.oxal && material != 2) {
            add(module("gearOx", "", 35, "Oxal hajtómű", "Oxal-Getriebe",
                       [this] {
                           return graded(
                               kHeight,
                               {"Oxal hajtómű", "Oxal-Getriebe", "Oxal kremon", "Cremon Oxal"},
                               {351, "OXG", 44, 10.6, 0.38}, 1.8);
                       }),
                2, 1, 7);
        } else {
            gearAndRods(2);
        }
        corner();
        add(stay(h, material, t.oxal), 1);
        hingeSide(true);
        middleLocks(true, true);
        plasticKeepers(true);
        comfort();
        passiveLeaf();
        if (h == 2 && material != 2) {
            add(module(
                    "vsoZol", "", 36, "Felső zárás ZOL", "Verschluss oben ZOL",
                    [this] {
                        const Names n{"Felső zárás ZOL", "Verschluss oben ZOL",
                                      "Gornje zaključavanje ZOL", "Închidere sus ZOL"};
                        return std::vector<ModRow>{
                            {part(n + "230", {215, "VZ", 15, 4.4, 0.1}), 1, 400, 0, 0, 1, {}},
                            {part(n + "800", {215, "VZ", 15, 5.2, 0.12}), 401, 1000, 0, 0, 1, {}},
                            {part(n + "2000", {215, "VZ", 15, 6.8, 0.15}),
                             1001,
                             2500,
                             0,
                             0,
                             1,
                             {}}};
                    }),
                11);
        }
        if (t.fam == Fam::Af) {
            add(module("afTop", "", 36, "AF felső zárás", "AF Verschluss oben",
                       [this] {
                           const Names n{"AF felső zárás", "AF Verschluss oben",
                                         "AF gornje zaključavanje", "AF închidere sus"};
                           return std::vector<ModRow>{
                               {part({"AF zárócsap", "AF Schließzapfen", "AF zaporni čep",
                                      "AF bolţ închidere"},
                                     {216, "AF", 1, 0.9, 0.01}),
                                0,
                                kAny,
                                0,
                                0,
                                1,
                                {}},
                               {part(n + "230", {216, "AF", 1, 4.1, 0.1}), 1, 400, 0, 0, 1, {}},
                               {part(n + "600", {216, "AF", 1, 5.0, 0.12}), 401, 900, 0, 0, 1, {}}};
                       }),
                7);
            if (t.twin) {
                add(module("afStulp", "", 36, "AF alsó zárás Stulp", "AF Verschl. unten Stulp",
                           [this] {
                               const Names n{"AF alsó zárás Stulp", "AF Verschluss unten Stulp",
                                             "AF donje zaklj. pasivno", "AF închidere jos pasiv"};
                               std::vector<ModRow> rows;
                               const int values[4] = {200, 300, 600, 800};
                               const Band b[4] = {{1, 250}, {251, 450}, {451, 700}, {701, 900}};
                               for (int i = 0; i < 4; ++i) {
                                   rows.push_back({part(n + std::to_string(values[i]),
                                                        {217, "AFS", 1, 3.8 + 0.6 * i, 0.1}),
                                                   b[i].min,
                                                   b[i].max,
                                                   0,
                                                   0,
                                                   1,
                                                   {}});
                               }
                               return rows;
                           }),
                    9);
            } else {
                add(module("afVV", "", 36, "AF alsó zárás V-V", "AF Verschluss unten V-V",
                           [this] {
                               const Names n{"AF alsó zárás V-V", "AF Verschluss unten V-V",
                                             "AF donje zaklj. V-V", "AF închidere jos V-V"};
                               std::vector<ModRow> rows;
                               const int values[4] = {100, 200, 600, 800};
                               const Band b[4] = {{1, 150}, {151, 400}, {401, 700}, {701, 900}};
                               for (int i = 0; i < 4; ++i) {
                                   rows.push_back({part(n + std::to_string(values[i]),
                                                        {218, "AFV", 1, 3.6 + 0.5 * i, 0.1}),
                                                   b[i].min,
                                                   b[i].max,
                                                   0,
                                                   0,
                                                   1,
                                                   {}});
                               }
                               return rows;
                           }),
                    8);
            }
        }
        if (t.security > 0) {
            add(module("rcPin", "", 37, "Biztonsági gombacsap", "Sicherheits-Pilzzapfen",
                       [this] {
                           const std::string p =
                               part({"Biztonsági gombacsap", "Sicherheits-Pilzzapfen",
                                     "Sigurnosni pečurkasti čep", "Bolţ ciupercă siguranţă"},
                                    {811, "SP", 81, 1.8, 0.02, 1, 100});
                           return std::vector<ModRow>{{p, 250, 1000, 0, 0, 4, {}},
                                                      {p, 1001, 1800, 0, 0, 6, {}},
                                                      {p, 1801, 3000, 0, 0, 8, {}}};
                       }),
                2, leaves);
            add(module("rcKeeper", "", 37, "Biztonsági zárólemezek", "Sicherheits-Schließstücke",
                       [this] {
                           return converterRows(
                               kSecurityKeeper,
                               {{{250, 1000}, 4}, {{1001, 1800}, 6}, {{1801, 3000}, 8}});
                       }),
                2, leaves);
            add(module("rcExtra", "", 37, "Kiegészítő zárópont", "Zusatzverriegelungspunkt",
                       [this] {
                           return single({"Kiegészítő zárópont", "Zusatzverriegelungspunkt",
                                          "Dodatna tačka zaključavanja",
                                          "Punct închidere suplimentar"},
                                         {812, "ZV", 81, 5.9, 0.09});
                       }),
                0, leaves, 10);
        }
        add(handle(t.security >= 2), 0);
        screws();
        break;

    case Fam::Tilt:
        add(module("vsu", "", 36, "Alsó zárás bukó", "Kippverschluss unten",
                   [this] {
                       const Names n{"Bukó zárás", "Kippverschluss", "Nagibno zaključavanje",
                                     "Închidere rabatare"};
                       return std::vector<ModRow>{
                           {part(n + "230", {219, "KV", 18, 5.1, 0.12}), 1, 400, 0, 0, 1, {}},
                           {part(n + "800", {219, "KV", 18, 6.3, 0.15}), 401, 900, 0, 0, 1, {}}};
                   }),
            13);
        add(module("tiltStay", "", 22, "Bukóolló", "Kippschere",
                   [this] {
                       return graded(
                           kWidth,
                           {"Bukóolló", "Kippschere", "Nagibne makaze", "Foarfecă rabatare"},
                           {226, "KS", 18, 5.2, 0.3}, 0.9);
                   }),
            1, 2);
        add(cornerHinge(h, material), 0, 2);
        add(cover(h), 0, 2);
        middleLocks(false, true);
        if (material == 0 && !t.oxal) {
            add(module("keeperTilt", "", 26, "Bukó zárólemez", "Kippschließstück",
                       [this] {
                           return converterRows(kTiltKeeper, {{{0, kAny}, 1}});
                       }),
                0, 2);
        } else {
            add(keepers(material, t.oxal), 1);
        }
        add(handle(false), 0);
        screws();
        break;

    case Fam::Turn:
        add(module("gearWide", "", 21, "Hajtómű pótolóval", "Getriebe mit Verlängerung",
                   [this] {
                       return graded(kHeightLow,
                                     {"Hajtómű pótolóval", "Getriebe mit Verlängerung",
                                      "Kremon s produžetkom", "Cremon cu prelungire"},
                                     {220, "GP", 1, 9.6, 0.38}, 1.8);
                   }),
            12, 1, 1);
        corner();
        hingeSide(true);
        middleLocks(true, false);
        add(keepers(material, t.oxal), 2);
        add(handle(false), 0);
        screws();
        break;

    case Fam::Balcony: {
        add(module("gearDoor", "", 21, "Erkélyajtó hajtómű", "Balkontürgetriebe",
                   [this] {
                       return graded(kDoorHeight,
                                     {"Erkélyajtó hajtómű", "Balkontürgetriebe",
                                      "Kremon balkonskih vrata", "Cremon uşă balcon"},
                                     {218 + 10, "GB", 1, 16.4, 0.7}, 2.6);
                   }),
            2, leaves);
        corner();
        add(stay(h, material, t.oxal), 1);
        hingeSide(true);
        middleLocks(true, true);
        add(keepers(material, t.oxal), 2, leaves);
        // hinge options: neither box, "Pánt 27/48", "Pánt 17/48" (the boxes exclude each other)
        const bool oxalHinges = t.oxal;
        add(module(oxalHinges ? "balconyHingeOx" : "balconyHinge", "", 23,
                   oxalHinges ? "Oxal erkélyajtó pánt" : "Erkélyajtó pánt",
                   oxalHinges ? "Oxal Balkontürband" : "Balkontürband",
                   [this, oxalHinges] {
                       const Names n =
                           oxalHinges ? Names{"Oxal erkélyajtó pánt", "Oxal Balkontürband",
                                              "Oxal šarka balk. vrata", "Balama uşă balcon Oxal"}
                                      : Names{"Erkélyajtó pánt", "Balkontürband",
                                              "Šarka balkonskih vrata", "Balama uşă balcon"};
                       return sided(n,
                                    {oxalHinges ? 355 : 234, "BB", oxalHinges ? 44 : 23, 7.8, 0.25},
                                    false, false, 3);
                   }),
            0, leaves, 5);
        add(module("hinge2748", "", 23, "Pánt 27/48", "Band 27/48",
                   [this] {
                       return sided({"Pánt 27/48", "Band 27/48", "Šarka 27/48", "Balama 27/48"},
                                    {235, "B27", 23, 9.1, 0.28}, false, false, 3);
                   }),
            0, leaves, 9);
        add(module("hinge1748", "", 23, "Pánt 17/48", "Band 17/48",
                   [this] {
                       return sided({"Pánt 17/48", "Band 17/48", "Šarka 17/48", "Balama 17/48"},
                                    {236, "B17", 23, 8.7, 0.27}, false, false, 3);
                   }),
            0, leaves, 6);
        passiveLeaf();
        add(module("keeperSill", "", 26, "Küszöb zárólemez", "Schwellen-Schließstück",
                   [this] {
                       return converterRows(kSillKeeper, {{{0, kAny}, 1}});
                   }),
            0, leaves);
        doorHandle();
        screws();
        break;
    }

    case Fam::Terrace:
        add(module("gearDoor", "", 21, "Erkélyajtó hajtómű", "Balkontürgetriebe",
                   [this] {
                       return graded(kDoorHeight,
                                     {"Erkélyajtó hajtómű", "Balkontürgetriebe",
                                      "Kremon balkonskih vrata", "Cremon uşă balcon"},
                                     {218 + 10, "GB", 1, 16.4, 0.7}, 2.6);
                   }),
            2, leaves);
        corner();
        add(stay(h == 0 ? 0 : 1, 0, false), 1);
        add(h == 0
                ? module("doorHinge0", "7990012", 0, "Ajtó sarokpánt", "Tür-Ecklager",
                         [this] {
                             return sided({"Ajtó sarokpánt", "Tür-Ecklager", "Ugaona šarka vrata",
                                           "Balama colţ uşă"},
                                          {237, "TE", 23, 8.8, 0.3}, true);
                         })
                : module("doorHinge1", "7990013", 0, "Ajtó sarokpánt Ka-Line",
                         "Tür-Ecklager Ka-Line",
                         [this] {
                             return sided({"Ajtó sarokpánt Ka-Line", "Tür-Ecklager Ka-Line",
                                           "Ugaona šarka vrata Ka-Line", "Balama colţ uşă Ka-Line"},
                                          {238, "TK", 23, 10.2, 0.32}, true);
                         }),
            0, leaves);
        add(cover(h == 0 ? 0 : 1), 0, leaves);
        add(bearing(0), 0, leaves);
        middleLocks(true, false);
        add(keepers(0, false), 2, leaves);
        passiveLeaf();
        sill();
        schemeExtras();
        doorHandle();
        screws();
        break;

    case Fam::Door: {
        const char* lockHu = "Többpontos ajtózár";
        const char* lockDe = "Mehrfachverriegelung";
        Names lockNames{"Többpontos ajtózár", "Mehrfachverriegelung", "Višetačkasta brava",
                        "Broască multipunct"};
        std::string key = "doorLock";
        int family = 2010;
        double price = 48;
        if (t.code == 65) {
            lockHu = "Motoros ajtózár";
            lockDe = "Motorschloss";
            lockNames = {"Motoros ajtózár", "Motorschloss", "Motorna brava", "Broască motorizată"};
            key = "doorLockMotor";
            family = 2011;
            price = 310;
        } else if (t.code == 68) {
            lockHu = "Pánikzár";
            lockDe = "Panikschloss";
            lockNames = {"Pánikzár", "Panikschloss", "Panik brava", "Broască antipanică"};
            key = "doorLockPanic";
            family = 2012;
            price = 142;
        } else if (t.code == 69) {
            lockHu = "Tűzgátló ajtózár";
            lockDe = "Brandschutzschloss";
            lockNames = {"Tűzgátló ajtózár", "Brandschutzschloss", "Protivpožarna brava",
                         "Broască antifoc"};
            key = "doorLockFire";
            family = 2013;
            price = 96;
        } else if (t.code == 63) {
            lockHu = "Ajtózár, egypontos";
            lockDe = "Türschloss, einfach";
            lockNames = {"Ajtózár egypontos", "Türschloss einfach", "Brava jednotačkasta",
                         "Broască un punct"};
            key = "doorLockSimple";
            family = 2014;
            price = 19;
        }
        add(module(key, "", 32, lockHu, lockDe,
                   [this, lockNames, family, price] {
                       return graded(kDoorHeight, lockNames, {family, "TS", 20, price, 1.6},
                                     price * 0.06);
                   }),
            2, leaves);
        add(module("doorHinge1", "7990013", 0, "Ajtó sarokpánt Ka-Line", "Tür-Ecklager Ka-Line",
                   [this] {
                       return sided({"Ajtó sarokpánt Ka-Line", "Tür-Ecklager Ka-Line",
                                     "Ugaona šarka vrata Ka-Line", "Balama colţ uşă Ka-Line"},
                                    {238, "TK", 23, 10.2, 0.32}, true);
                   }),
            0, leaves);
        add(module("doorBand", "", 32, "Ajtópánt 3D", "Türband 3D",
                   [this] {
                       return coloured(
                           {"Ajtópánt 3D", "Türband 3D", "Šarka vrata 3D", "Balama uşă 3D"},
                           {2015, "TB", 23, 11.5, 0.55}, false, 3);
                   }),
            0, leaves);
        if (t.code != 65) {
            add(module("cylinder", "", 32, "Zárbetét", "Profilzylinder",
                       [this] {
                           return single({"Zárbetét 30/35", "Profilzylinder 30/35",
                                          "Cilindar 30/35", "Cilindru 30/35"},
                                         {631, "ZY", 63, 12.9, 0.32});
                       }),
                0);
        }
        if (t.code == 68) {
            add(module("panicBar", "", 32, "Pánikrúd", "Panikstange",
                       [this] {
                           return graded(
                               kDoorWidth,
                               {"Pánikrúd", "Panikstange", "Panik šipka", "Bară antipanică"},
                               {2016, "PS", 20, 58, 2.4}, 6);
                       }),
                1, leaves);
        } else {
            doorHandle();
        }
        add(module("doorSill", "", 32, "Ajtóküszöb", "Türschwelle",
                   [this] {
                       return graded(kDoorWidth,
                                     {"Ajtóküszöb", "Türschwelle", "Prag vrata", "Prag uşă"},
                                     {2017, "TSW", 24, 21, 1.5}, 4.2);
                   }),
            1);
        add(module("keeperDoor", "", 26, "Ajtó zárólemezek", "Tür-Schließbleche",
                   [this] {
                       return converterRows(kDoorKeeper, {{{1500, 2100}, 3}, {{2101, 3000}, 4}});
                   }),
            2, leaves);
        add(module("rabRail", "", 33, "Zárósín RAB szerint", "Schließleiste nach RAB",
                   [this] {
                       return graded(
                           kRab, {"Zárósín", "Schließleiste", "Zaporna letva", "Şină închidere"},
                           {1240, "ZS", 24, 6.5, 0.4}, 3.1);
                   }),
            3);
        if (t.twin) {
            add(module("doorBolt", "", 32, "Reteszzár passzív szárny", "Treibriegel Standflügel",
                       [this] {
                           return graded(kDoorHeight, {"Reteszzár", "Treibriegel", "Reza", "Zăvor"},
                                         {2018, "TR", 20, 22, 0.9}, 1.8);
                       }),
                2);
        }
        if (t.code == 60) {
            sillOnly();
            schemeExtras();
        }
        screws();
        break;
    }

    case Fam::Lift: {
        static const int sashesOf[5] = {1, 2, 2, 3, 4}; // schemes A, C, D, E, L
        const int sashes = sashesOf[m];
        add(module("liftGear", "", 30, "HS hajtómű", "HS-Getriebe",
                   [this] {
                       return graded(kLiftHeight,
                                     {"HS hajtómű", "HS-Getriebe", "HS kremon", "Cremon HS"},
                                     {3010, "HSG", 38, 62, 2.2}, 9);
                   }),
            2, sashes);
        static const Names rail{"HS futókocsi TS15", "HS-Laufwagen TS15", "HS kolica TS15",
                                "Cărucior HS TS15"};
        add(module("liftCarriage", "", 30, "HS futókocsi", "HS-Laufwagen",
                   [this] {
                       return graded(kLiftWidth,
                                     {"HS futókocsi", "HS-Laufwagen", "HS kolica", "Cărucior HS"},
                                     {3020, "HSL", 38, 38, 1.1}, 14, false, &rail);
                   }),
            1, 2 * sashes);
        // threshold rail by hinge item: type 3 offers 78, 92 and 300, the others 68, 78 and 300
        static const int sillKinds[2][3] = {{68, 78, 300}, {78, 92, 300}};
        const int sillKind = sillKinds[t.code == 3 ? 1 : 0][h];
        const std::string sk = std::to_string(sillKind);
        add(module("liftSill" + sk, "", 30, ("HS küszöbsín " + sk).c_str(),
                   ("HS-Schwellenschiene " + sk).c_str(),
                   [this, sk, sillKind, h, &t] {
                       return graded(
                           kRab,
                           Names{"HS küszöbsín", "HS-Schwellenschiene", "HS šina praga",
                                 "Şină prag HS"} +
                               sk,
                           {3030 + h + (t.code == 3 ? 3 : 0), "HSS", 24, 34 + sillKind / 10.0, 2.8},
                           11);
                   }),
            3);
        add(module("liftTop", "", 30, "HS felső vezetősín", "HS-Führungsschiene oben",
                   [this] {
                       return graded(kRab,
                                     {"HS felső vezetősín", "HS-Führungsschiene oben",
                                      "HS gornja vodilica", "Şină ghidaj sus HS"},
                                     {3040, "HSF", 38, 18, 1.6}, 6.5);
                   }),
            3);
        switch (m) {
        case 0:
            add(module("liftCoverA", "", 30, "Fix mező takaró", "Festfeldabdeckung",
                       [this] {
                           return graded(kDifference,
                                         {"Fix mező takaró", "Festfeldabdeckung",
                                          "Poklopac fiksnog polja", "Capac câmp fix"},
                                         {3050, "HFA", 38, 9, 0.6}, 4.5);
                       }),
                5);
            break;
        case 1:
            add(module("liftCoverC", "", 30, "Középtakaró C séma", "Mittelabdeckung C-Schema",
                       [this] {
                           return graded(kDifference,
                                         {"Középtakaró", "Mittelabdeckung", "Srednji poklopac",
                                          "Capac median"},
                                         {3051, "HMC", 38, 10, 0.6}, 4.8);
                       }),
                6);
            break;
        case 2:
            add(module("liftCoverD", "", 30, "Toldóprofil D séma", "Verlängerung D-Schema",
                       [this] {
                           return graded(kHalfDifference,
                                         {"Toldóprofil", "Verlängerungsprofil", "Profil produžetka",
                                          "Profil prelungire"},
                                         {3052, "HVD", 38, 7, 0.4}, 2.2);
                       }),
                10);
            break;
        default:
            add(module("liftRod", "", 30, "Emelőrúd E/L séma", "Hubstange E/L-Schema",
                       [this] {
                           return graded(
                               kDoubleWidth,
                               {"Emelőrúd", "Hubstange", "Podizna šipka", "Tijă ridicare"},
                               {3053, "HSR", 38, 26, 1.4}, 7);
                       }),
                4, sashes / 2);
            break;
        }
        add(module("keeperLift", "", 26, "HS zárólemez", "HS-Schließstück",
                   [this] {
                       return converterRows(kLiftKeeper, {{{0, kAny}, 2}});
                   }),
            0, sashes);
        add(module("liftHandleK", "4000007", 0, "HS kilincs Ka-Line", "HS-Griff Ka-Line",
                   [this] {
                       return coloured({"HS kilincs Ka-Line", "HS-Griff Ka-Line",
                                        "HS ručka Ka-Line", "Mâner HS Ka-Line"},
                                       {611, "HGK", 61, 36, 0.6});
                   }),
            0, sashes);
        add(module("liftHandleT", "4200007", 0, "HS kilincs Tokyo", "HS-Griff Tokyo",
                   [this] {
                       return coloured({"HS kilincs Tokyo", "HS-Griff Tokyo", "HS ručka Tokyo",
                                        "Mâner HS Tokyo"},
                                       {621, "HGT", 62, 41, 0.65});
                   }),
            0, sashes);
        add(module("liftExtra", "", 30, "Kiegészítő zár KH", "Zusatzverriegelung KH",
                   [this] {
                       return single({"Kiegészítő zár KH0130", "Zusatzverriegelung KH0130",
                                      "Dodatna brava KH0130", "Încuietoare supl. KH0130"},
                                     {3060, "KH", 38, 14.5, 0.4});
                   }),
            0, sashes, 11);
        screws();
        break;
    }

    case Fam::Psk: {
        static const char* railHu[2][3] = {
            {"PSK 160 sín", "PSK 100 sín", "PSK 160+ sín"},
            {"PSK 160 Forte sín", "PSK Serena 2.0 sín", "PSK Serena sín"}};
        static const char* railDe[2][3] = {
            {"PSK 160 Schiene", "PSK 100 Schiene", "PSK 160+ Schiene"},
            {"PSK 160 Forte Schiene", "PSK Serena 2.0 Schiene", "PSK Serena Schiene"}};
        const int lm = material == 2 ? 1 : 0;
        const std::string hu = railHu[lm][h];
        const std::string de = railDe[lm][h];
        add(module("pskRail" + std::to_string(lm) + std::to_string(h), "", 31, hu.c_str(),
                   de.c_str(),
                   [this, hu, de, lm, hh = h] {
                       return graded(kPskWidth,
                                     {hu, de, "PSK šina " + std::to_string(hh + 1),
                                      "Şină PSK " + std::to_string(hh + 1)},
                                     {561 + lm * 10 + hh, "PR", lm ? 17 : 56, 28.0 + 4 * hh, 1.9},
                                     4.4);
                   }),
            1);
        add(module("pskCarriage", "", 31, "PSK kocsi készlet", "PSK-Laufwagenset",
                   [this] {
                       return single({"PSK kocsi készlet", "PSK-Laufwagenset", "PSK set kolica",
                                      "Set cărucioare PSK"},
                                     {564, "PK", 56, 44, 1.3});
                   }),
            0, 2);
        add(module("pskStay", "", 31, "PSK olló", "PSK-Schere",
                   [this] {
                       return graded(kHeight,
                                     {"PSK olló", "PSK-Schere", "PSK makaze", "Foarfecă PSK"},
                                     {401, "PO", 40, 16, 0.6}, 2.5);
                   }),
            2, 1, t.code == 73 ? 1 : 7);
        if (t.code != 73) {
            add(module("pskStay20", "", 31, "PSK olló 2.0", "PSK-Schere 2.0",
                       [this] {
                           return graded(kHeight,
                                         {"PSK olló 2.0", "PSK-Schere 2.0", "PSK makaze 2.0",
                                          "Foarfecă PSK 2.0"},
                                         {402, "PO2", 40, 19, 0.65}, 2.7);
                       }),
                2, 1, 11);
        }
        add(module("pskGear", "", 31, "PSK hajtómű", "PSK-Getriebe",
                   [this] {
                       return graded(kHeight,
                                     {"PSK hajtómű", "PSK-Getriebe", "PSK kremon", "Cremon PSK"},
                                     {403, "PG", 40, 21, 0.8}, 2.9);
                   }),
            2);
        static const Names coverRail{"PSK takaró Style/Soft", "PSK-Abdeckung Style/Soft",
                                     "PSK poklopac Style/Soft", "Capac PSK Style/Soft"};
        add(module("pskCover", "", 31, "PSK takaró", "PSK-Abdeckung",
                   [this] {
                       return graded(kPskWidth,
                                     {"PSK takaró", "PSK-Abdeckung", "PSK poklopac", "Capac PSK"},
                                     {404, "PT", 40, 6, 0.3}, 1.2, false, &coverRail);
                   }),
            1);
        add(module("keeperPsk", "", 26, "PSK zárólemez", "PSK-Schließstück",
                   [this] {
                       return converterRows(kPskKeeper, {{{0, kAny}, 2}});
                   }),
            0);
        add(module("pskHandleK", "4100007", 0, "PSK kilincs Ka-Line", "PSK-Griff Ka-Line",
                   [this] {
                       return coloured({"PSK kilincs Ka-Line", "PSK-Griff Ka-Line",
                                        "PSK ručka Ka-Line", "Mâner PSK Ka-Line"},
                                       {612, "PGK", 61, 29, 0.5});
                   }),
            0);
        add(module("pskHandleT", "4300007", 0, "PSK kilincs Tokyo", "PSK-Griff Tokyo",
                   [this] {
                       return coloured({"PSK kilincs Tokyo", "PSK-Griff Tokyo", "PSK ručka Tokyo",
                                        "Mâner PSK Tokyo"},
                                       {622, "PGT", 62, 33, 0.55});
                   }),
            0);
        screws();
        break;
    }

    case Fam::Slant:
        gearAndRods(3);
        add(module("slantShort", "0000002", 0, "Rövid hajtómű", "Kurzgetriebe",
                   [this] {
                       return graded(
                           bands({250, 500, 800}),
                           {"Rövid hajtómű", "Kurzgetriebe", "Kratki kremon", "Cremon scurt"},
                           {1910, "RG", 19, 7.2, 0.25}, 1.1);
                   }),
            3);
        add(module("slantMid", "6299999", 0, "Ferde középzár", "Schräg-Mittelverschluss",
                   [this] {
                       const std::string p = part({"Ferde középzár", "Schräg-Mittelverschluss",
                                                   "Kosa srednja brava", "Închizător median oblic"},
                                                  {1911, "FM", 19, 8.4, 0.2});
                       return std::vector<ModRow>{{p, 801, 1500, 0, 0, 1, {}},
                                                  {p, 1501, 3000, 0, 0, 2, {}}};
                   }),
            3);
        add(module("slantCorner", "6299998", 0, "Ferde sarokátfordító", "Schräg-Eckumlenkung",
                   [this] {
                       return single({"Ferde sarokátfordító", "Schräg-Eckumlenkung",
                                      "Kosi ugaoni prenosnik", "Colţar oblic"},
                                     {1912, "FE", 19, 9.9, 0.16});
                   }),
            0);
        add(module("slantGuide", "6299995", 0, "Ferde átvezető", "Schrägumlenkung",
                   [this] {
                       return sided(
                           {"Ferde átvezető", "Schrägumlenkung", "Kosi prevodnik", "Ghidaj oblic"},
                           {1913, "FU", 19, 11.2, 0.18}, false);
                   }),
            0);
        add(module("slantKeeper", "6299996", 0, "Ferde ablak zárólemez", "Schrägfenster-Schließst.",
                   [this] {
                       return converterRows(kSlantKeeper, {{{0, kAny}, 2}});
                   }),
            0);
        add(module("slantStay", "", 34, "Ferde olló", "Schrägschere",
                   [this] {
                       return graded(
                           kSlantEdge,
                           {"Ferde olló", "Schrägschere", "Kose makaze", "Foarfecă oblică"},
                           {1914, "FO", 19, 14, 0.6}, 2.2);
                   }),
            4);
        hingeSide(true);
        middleLocks(false, true);
        add(handle(false), 0);
        screws();
        break;
    }
}

// ---------------------------------------------------------------- profiles and accessories

void Master::buildProfiles() {
    profiles = {{1, "Rehau 730", "R730", false},   {2, "Alfa-Plast 76", "AP76", false},
                {3, "Nordline 82", "NL82", false}, {62, "Fa IV68", "IV68", true},
                {63, "Fa IV78", "IV78", true},     {64, "Fa IV92", "IV92", true},
                {65, "Fa IV110", "IV110", true}};
    for (const auto& p : profiles) {
        for (const auto& c : converter) {
            std::string bsnr = c.rehau;
            if (p.sorsz != 1 && !rng_.chance(0.2)) {
                const Part& ref = partOf(c.rehau);
                PartSpec s{p.wood ? 540 : 535, "ZP", ref.grupp == 44 ? 44 : (p.wood ? 16 : 5),
                           ref.preis * (p.wood ? 1.15 : 1.05), ref.kpreis};
                s.kpe = 50;
                const std::string tag = ", " + p.shortName;
                bsnr = part(
                    {c.names.hu + tag, c.names.de + tag, c.names.sr + tag, c.names.ro + tag}, s);
            }
            sheets.push_back({p.sorsz, c.sorsz, bsnr});
        }
    }
    // wood substitutions for the IV92 profile (profile 64)
    std::vector<std::string> woodParts;
    for (const char* key : {"keeperWood", "bearingWood", "hingeWood"}) {
        auto it = moduleByKey_.find(key);
        if (it == moduleByKey_.end()) {
            continue;
        }
        for (const Module& m : modules) {
            if (m.code == it->second) {
                for (const ModRow& r : m.rows) {
                    if (r.bsnr != "-" &&
                        std::find(woodParts.begin(), woodParts.end(), r.bsnr) == woodParts.end()) {
                        woodParts.push_back(r.bsnr);
                    }
                }
            }
        }
    }
    for (const std::string& alt : woodParts) {
        const Part& ref = partOf(alt);
        PartSpec s{541, "HV", 16, ref.preis * 1.1, ref.kpreis};
        s.kpe = ref.kpe;
        const std::string neu =
            part({ref.hu + ", IV92", ref.de + ", IV92", ref.sr + ", IV92", ref.ro + ", IV92"}, s);
        holz.emplace_back(alt, neu);
    }
}

void Master::buildAccessories() {
    // parts no module uses (a name a module part already has is that part)
    auto acc = [&](const Names& n, PartSpec s) {
        const bool known = partByName_.count(n.hu) != 0;
        const std::string bsnr = part(n, s);
        if (!known) {
            accessories.push_back(bsnr);
        }
    };
    const char* screwSizes[6] = {"3,9x16", "3,9x25", "4,1x25", "4,1x45", "4,8x60", "4,8x80"};
    for (const char* size : screwSizes) {
        acc(Names{"Csavar", "Schraube", "Vijak", "Şurub"} + size +
                Names{"horganyzott", "verzinkt", "pocinkovan", "zincat"},
            {902, "SCR", 90, 0.03, 0.004, 100, 1000});
        acc(Names{"Csavar", "Schraube", "Vijak", "Şurub"} + size +
                Names{"rozsdamentes", "rostfrei", "nerđajući", "inox"},
            {903, "SCI", 90, 0.08, 0.004, 100, 1000});
    }
    for (const Names& c : {kColour[1], kColour[2], kColour[4]}) {
        acc(Names{"Tömítés ütköző", "Anschlagdichtung", "Zaptivka naleganja", "Garnitură opritor"} +
                c + "100 m",
            {911, "DI", 91, 38, 2.1});
        acc(Names{"Tömítés üvegező", "Verglasungsdichtung", "Zaptivka stakla", "Garnitură geam"} +
                c + "200 m",
            {911, "DI", 91, 54, 3.8});
    }
    const Names jigs[6] = {
        {"Fúrósablon sarokpánthoz", "Bohrlehre für Ecklager", "Šablon za ugaonu šarku",
         "Şablon balama colţ"},
        {"Fúrósablon ollócsapágyhoz", "Bohrlehre für Scherenlager", "Šablon za ležaj makaza",
         "Şablon lagăr foarfecă"},
        {"Fúrósablon kilincshez", "Bohrlehre für Griff", "Šablon za ručku", "Şablon mâner"},
        {"Beállító sablon zárólemezhez", "Einstelllehre Schließstück", "Šablon za prihvatnik",
         "Şablon opritor"},
        {"Szerelőbak", "Montagebock", "Montažni nosač", "Suport montaj"},
        {"Préssablon hajtóműhöz", "Presslehre für Getriebe", "Šablon za kremon", "Şablon cremon"}};
    for (const Names& j : jigs) {
        acc(j, {921, "SB", 92, 85, 1.8});
    }
    acc({"Kenőanyag spray 400 ml", "Schmierspray 400 ml", "Sprej za podmazivanje 400 ml",
         "Spray lubrifiant 400 ml"},
        {941, "KA", 94, 7.9, 0.45});
    acc({"Kenőzsír 100 g", "Schmierfett 100 g", "Mast za podmazivanje 100 g", "Unsoare 100 g"},
        {941, "KA", 94, 4.6, 0.12});
    const Names spares[8] = {
        {"Gombacsap 8 mm", "Pilzzapfen 8 mm", "Pečurkasti čep 8 mm", "Bolţ ciupercă 8 mm"},
        {"Zárócsap állítható", "Verstellbarer Zapfen", "Podesivi čep", "Bolţ reglabil"},
        {"Ollókar rögzítő", "Scherenarm-Befestigung", "Učvršćivač kraka makaza",
         "Fixare braţ foarfecă"},
        {"Pántcsap", "Bandstift", "Osovina šarke", "Ax balama"},
        {"Takarósapka", "Abdeckkappe", "Zaštitna kapica", "Capac protecţie"},
        {"Rögzítő csap", "Befestigungsstift", "Pričvrsni čep", "Ştift fixare"},
        {"Hajtómű kapcsoló elem", "Getriebe-Kupplungsstück", "Spojni element kremona",
         "Element cuplare cremon"},
        {"Ütközőbak", "Anschlagbock", "Graničnik", "Opritor capăt"}};
    for (const Names& s : spares) {
        acc(s, {931, "PA", 93, 1.2, 0.02, 1, 20});
    }
    const char* cylinders[8] = {"30/30", "30/35", "30/40", "35/35",
                                "35/40", "40/40", "40/45", "45/45"};
    for (const char* c : cylinders) {
        acc(Names{"Zárbetét", "Profilzylinder", "Cilindar", "Cilindru"} + c,
            {632, "ZY", 63, 13.5, 0.3});
        acc(Names{"Biztonsági zárbetét", "Sicherheitszylinder", "Sigurnosni cilindar",
                  "Cilindru siguranţă"} +
                c,
            {633, "ZYS", 63, 34, 0.34});
    }
    const Names finishes[3] = {{"bronz", "bronze", "bronza", "bronz"},
                               {"ezüst", "silber", "srebrna", "argintiu"},
                               {"titán", "titan", "titan", "titan"}};
    for (const Names& f : finishes) {
        acc(Names{"Ablakkilincs", "Fenstergriff", "Ručka prozora", "Mâner fereastră"} + f,
            {604, "FG", 60, 7.9, 0.18});
        acc(Names{"Zárható ablakkilincs", "Abschließbarer Fenstergriff", "Ručka prozora sa ključem",
                  "Mâner fereastră cu cheie"} +
                f,
            {605, "FGS", 60, 17.5, 0.21});
    }
    const Names misc[8] = {
        {"Gyerekzár", "Kindersicherung", "Dečja brava", "Siguranţă copii"},
        {"Résszellőző", "Spaltlüfter", "Ventilacioni otvor", "Aerisire fantă"},
        {"Ablakfék", "Fensterbremse", "Kočnica prozora", "Frână fereastră"},
        {"Bukóhatároló", "Kippbegrenzer", "Ograničivač nagiba", "Limitator rabatare"},
        {"Nyitáskorlátozó", "Öffnungsbegrenzer", "Ograničivač otvaranja", "Limitator deschidere"},
        {"Ajtócsukó", "Türschließer", "Zatvarač vrata", "Amortizor uşă"},
        {"Ajtóütköző", "Türstopper", "Odbojnik vrata", "Opritor uşă"},
        {"Nyitásérzékelő", "Öffnungsmelder", "Senzor otvaranja", "Senzor deschidere"}};
    for (int i = 0; i < 8; ++i) {
        // the last four are sold at a fixed price (group 100)
        acc(misc[i], {821 + i / 4, "KG", i < 4 ? 8 : 100, 6.5 + 3 * i, 0.2});
    }
    // customer prices: the fixed-price list of the customer whose conditions are loaded
    for (size_t i = 0; i < accessories.size(); i += 9) {
        Part& p = parts[partIndex_.at(accessories[i])];
        p.fpreis = round2(p.preis * 0.8);
    }
}

// The benchmark size: 100 000 more parts and 2 000 more modules of ten parts each, five of
// them added to every set.
void Master::buildLarge() {
    static const Names stems[10] = {
        {"Hajtómű", "Getriebe", "Kremon", "Cremon"},
        {"Olló", "Schere", "Makaze", "Foarfecă"},
        {"Sarokpánt", "Ecklager", "Ugaona šarka", "Balama colţ"},
        {"Zárólemez", "Schließstück", "Prihvatnik", "Opritor"},
        {"Középzár", "Mittelverschluss", "Srednja brava", "Închizător median"},
        {"Sarokátfordító", "Eckumlenkung", "Ugaoni prenosnik", "Colţar"},
        {"Pántfedő", "Bandabdeckung", "Poklopac šarke", "Capac balama"},
        {"Kilincs", "Griff", "Ručka", "Mâner"},
        {"Futókocsi", "Laufwagen", "Kolica", "Cărucior"},
        {"Tömítés", "Dichtung", "Zaptivka", "Garnitură"}};
    static const int groupsOf[10] = {1, 2, 4, 5, 6, 7, 4, 60, 38, 91};
    const size_t first = parts.size();
    constexpr int kParts = 100000;
    parts.reserve(first + kParts);
    for (int i = 0; i < kParts; ++i) {
        const Names& s = stems[i % 10];
        const std::string variant = "V" + std::to_string(10000 + i);
        Part p;
        p.bsnr = std::to_string(10000000 + i);
        p.artikel = "X" + std::to_string(i % 10) + "-" + p.bsnr.substr(2);
        p.hu = s.hu + " " + variant;
        p.de = s.de + " " + variant;
        p.sr = s.sr + " " + variant;
        p.ro = s.ro + " " + variant;
        p.bsnr2 = "6" + std::string(9 - p.bsnr.size(), '0') + p.bsnr;
        p.grupp = groupsOf[i % 10];
        p.preis = round2(0.5 + 60 * rng_.unit());
        p.kpreis = round3(0.01 + 1.5 * rng_.unit());
        if (i % 7 == 0) {
            p.kpe = 10;
            p.epreis = round2(p.preis * 0.9);
        }
        partIndex_[p.bsnr] = parts.size();
        parts.push_back(std::move(p));
    }
    constexpr int kModules = 2000;
    std::vector<std::string> codes;
    for (int mi = 0; mi < kModules; ++mi) {
        Module m;
        m.code = std::to_string(9000001 + mi);
        m.hu = "Kiegészítő modul " + std::to_string(1000 + mi);
        m.de = "Zusatzmodul " + std::to_string(1000 + mi);
        for (size_t b = 0; b < kHeight.size(); ++b) {
            ModRow r;
            r.bsnr = parts[first + static_cast<size_t>(mi) * kHeight.size() + b].bsnr;
            r.ts = r.bsnr;
            r.min = kHeight[b].min;
            r.max = kHeight[b].max;
            r.menny = 1 + static_cast<int>(b % 3);
            m.rows.push_back(r);
        }
        codes.push_back(m.code);
        modules.push_back(std::move(m));
    }
    std::vector<int> garkods;
    for (const SetRow& r : sets) {
        if (garkods.empty() || garkods.back() != r.garkod) {
            garkods.push_back(r.garkod);
        }
    }
    size_t next = 0;
    for (int g : garkods) {
        currentGarkod_ = g;
        for (int j = 0; j < 5; ++j) {
            add(codes[next++ % codes.size()], 2);
        }
    }
}

// ---------------------------------------------------------------- customers

std::vector<Customer> buildCustomers() {
    return {
        {"1001", "Hajdú Ablakgyártó Kft.", "4031", "Debrecen", "Balmazújvárosi út 14.",
         "52/412-318", "52/412-319"},
        {"1002", "Tisza Nyílászáró Bt.", "6728", "Szeged", "Kenyérgyári út 8.", "62/551-270",
         "62/551-271"},
        {"1003", "Mecsek Ablak Zrt.", "7630", "Pécs", "Hengermalom utca 3.", "72/236-114",
         "72/236-115"},
        {"1004", "Rába Fa-Ablak Kft.", "9027", "Győr", "Budai út 41.", "96/517-902", "96/517-903"},
        {"1005", "Avas Műanyag Ablak Kft.", "3527", "Miskolc", "József Attila utca 62.",
         "46/430-655", "46/430-656"},
        {"1006", "Hírös Ajtó-Ablak Kft.", "6000", "Kecskemét", "Kiskőrösi út 27.", "76/481-330",
         "76/481-331"},
        {"1007", "Nyírségi Nyílászáró Kft.", "4400", "Nyíregyháza", "Debreceni út 115.",
         "42/595-118", "42/595-119"},
        {"1008", "Vasi Asztalos Bt.", "9700", "Szombathely", "Szövő utca 19.", "94/312-064",
         "94/312-065"},
        {"1009", "Egri Ablakműhely Kft.", "3300", "Eger", "Kistályai út 9.", "36/515-287",
         "36/515-288"},
        {"1010", "Soproni Erkélyajtó Kft.", "9400", "Sopron", "Ipar körút 5.", "99/329-740",
         "99/329-741"}};
}

// ---------------------------------------------------------------- writing

// Appends rows through a handle, all of them in one transaction.
void fill(store::Session& session, const fs::path& file, const std::vector<std::string>& fields,
          const std::vector<Row>& rows) {
    store::Table t(session, file.stem().string());
    t.setTableName(session.resolveTable("", file.string()).string());
    t.setExclusive(true);
    t.open();
    std::vector<store::Field*> f;
    for (const auto& name : fields) {
        f.push_back(&t.fieldByName(name));
    }
    {
        store::ControlsDisabled grouped(t);
        for (const Row& r : rows) {
            t.append();
            for (size_t i = 0; i < f.size(); ++i) {
                if (!r[i].isNull()) {
                    f[i]->setValue(r[i]);
                }
            }
            t.post();
        }
    }
    t.close();
}

Row priceRow(const Part& p) {
    return {p.bsnr,   p.artikel, p.hu, p.pe,    p.preis, p.bsnr2,  p.de,
            p.kpreis, p.kpe,     p.sr, p.grupp, p.ro,    p.epreis, p.fpreis};
}
const std::vector<std::string> kPriceFields = {"BSNR",  "ARTIKEL", "BEZEICHN", "PE",    "PREIS",
                                               "BSNR2", "Nemet",   "Kpreis",   "Kpe",   "Szerb",
                                               "Grupp", "ROMAN",   "Epreis",   "Fpreis"};

void writeText(const fs::path& file, const std::vector<std::string>& lines) {
    std::string error;
    if (!store::fmt::writeTextFile(file, lines, &error)) {
        throw std::runtime_error(error);
    }
}

void writeMasterTables(store::Session& s, const fs::path& dir, Master& m) {
    const fs::path data = dir / "adatok";
    {
        std::vector<Row> rows;
        int sorsz = 0;
        for (const TypeDef& t : m.types) {
            rows.push_back({sorsz += 10, t.code, t.hu, t.szmin, t.szmax, t.mmin, t.mmax, t.de, t.sr,
                            t.rudzar, t.ro, t.en});
        }
        fill(s, data / "tipus.DB",
             {"Sorsz", "Tipuskod", "Megnevezes", "Szmin", "Szmax", "Mmin", "Mmax", "Nemet", "Szerb",
              "Rudzar", "Roman", "Angol"},
             rows);
    }
    {
        std::vector<Row> rows;
        for (const SetRow& r : m.sets) {
            rows.push_back({r.garkod, r.modul, r.kind, r.darab, r.getriebe});
        }
        fill(s, data / "garnitura.DB", {"Garkod", "Modulkod", "Meretkod", "Darab", "Getriebe"},
             rows);
    }
    {
        std::vector<Row> names, rows;
        for (const Module& mod : m.modules) {
            names.push_back({mod.code, mod.hu, mod.de});
            for (const ModRow& r : mod.rows) {
                rows.push_back({mod.code, r.bsnr, r.min, r.max, r.szin, r.nyit, r.menny, r.ts});
            }
        }
        fill(s, data / "modulnev.db", {"Modulkod", "Modulnev", "ModulnevD"}, names);
        fill(s, data / "modul.DB",
             {"Modulkod", "BSNR", "Min", "Max", "Szinkod", "Nyitaskod", "Mennyiseg", "TSBSNR"},
             rows);
    }
    fill(s, data / "szinnev.DB", {"Szinkod", "Szinnev", "SzinnevD"},
         {{1, "Fehér", "Weiß"},
          {2, "Barna", "Braun"},
          {3, "Natúr/EV1", "Natur/EV1"},
          {4, "Fekete", "Schwarz"}});
    fill(s, data / "nyitasirany.DB", {"Nyitaskod", "Megnevezes"},
         {{1, "Jobb"}, {2, "Bal"}, {3, "Eckband"}});
    {
        std::vector<Row> rows;
        for (const auto& [alt, neu] : m.holz) {
            rows.push_back({alt, neu});
        }
        fill(s, data / "holz.DB", {"alt", "neu"}, rows);
    }
    {
        std::vector<Row> rows;
        rows.reserve(m.parts.size());
        for (const Part& p : m.parts) {
            rows.push_back(priceRow(p));
        }
        fill(s, data / "arlista.db", kPriceFields, rows);
    }
    {
        std::vector<Row> rabat, csoport;
        for (const Group& g : m.groups) {
            rabat.push_back({g.pg, g.rab, g.neve, twoDigits(g.wg)});
            csoport.push_back({g.pg, g.wg});
        }
        fill(s, data / "rabat.db", {"PG", "Rab", "Neve", "alias"}, rabat);
        fill(s, data / "csoport.db", {"PG", "WG"}, csoport);
    }
    {
        // the fixed-price list of the loaded customer: the parts with a customer price, one of
        // them under its carton code
        std::vector<Row> rows;
        bool carton = true;
        for (const Part& p : m.parts) {
            if (p.fpreis != 0) {
                rows.push_back({carton ? p.bsnr2 : p.bsnr, p.fpreis});
                carton = false;
            }
        }
        fill(s, data / "K005.db", {"BSNR", "K005"}, rows);
    }
    {
        std::vector<Row> conv;
        for (const auto& c : m.converter) {
            conv.push_back({c.sorsz, c.rehau, c.rehau, c.names.hu, c.names.de, c.names.sr});
        }
        fill(s, data / "converter.DB", {"Sorsz", "REHAU", "ACTUAL", "Megnevezes", "Nemet", "Szerb"},
             conv);
        std::vector<Row> sheets;
        for (const auto& sh : m.sheets) {
            sheets.push_back({sh.ind, sh.sorsz, sh.bsnr});
        }
        fill(s, data / "Profil.db", {"Ind", "Sorsz", "Bsnr"}, sheets);
        // The profile numbers are the automatic numbers of the names table; the wood profiles
        // are numbered 62 to 65, so the rows are stored with their numbers.
        const fs::path names = s.resolveTable("", (data / "profilnev.DB").string());
        auto table = s.acquire(names, true);
        try {
            table->beginGroup();
            for (const auto& p : m.profiles) {
                table->insert({Value(p.sorsz), Value(p.nev)});
            }
            table->endGroup();
        } catch (...) {
            s.release(table, true);
            throw;
        }
        s.release(table, true);
    }
}

void writeUserTables(store::Session& s, const fs::path& dir, Master& m) {
    const fs::path data = dir / "adatok";
    const auto customers = buildCustomers();
    {
        std::vector<Row> rows;
        for (const Customer& c : customers) {
            rows.push_back({c.kod, c.nev, c.isz, c.varos, c.utca, c.tel, c.fax});
        }
        fill(s, data / "vevo.db", {"Vevokod", "Vevonev", "Isz", "Varos", "Utca", "Tel", "Fax"},
             rows);
    }
    // parts the collection produces, for saved orders and stock
    std::vector<std::string> used;
    for (const Module& mod : m.modules) {
        if (mod.code[0] == '9') {
            continue; // the benchmark modules
        }
        for (const ModRow& r : mod.rows) {
            if (r.bsnr != "-" && std::find(used.begin(), used.end(), r.bsnr) == used.end()) {
                used.push_back(r.bsnr);
            }
        }
    }
    Rng& rng = m.rng();
    {
        struct Order {
            const char* customer;
            store::Date date;
            bool prof;
            int lines;
        };
        const Order orders[4] = {{"1001", {2025, 3, 14}, false, 9},
                                 {"1001", {2025, 5, 2}, true, 12},
                                 {"1004", {2025, 6, 20}, false, 7},
                                 {"1007", {2025, 9, 9}, false, 11}};
        store::Table head(s, "Rkapcs");
        head.setTableName(s.resolveTable("", (data / "Rkapcs.db").string()).string());
        head.open();
        std::vector<Row> lines;
        {
            store::ControlsDisabled grouped(head);
            for (const Order& o : orders) {
                head.append();
                head.fieldByName("Vevokod").setAsString(o.customer);
                head.fieldByName("Datum").setAsDate(o.date);
                head.fieldByName("Prof").setAsBoolean(o.prof);
                head.post();
                const int64_t rszam = head.fieldByName("Rszam").asInteger();
                std::set<std::string> taken;
                while (static_cast<int>(taken.size()) < o.lines) {
                    const std::string& b =
                        used[static_cast<size_t>(rng.below(static_cast<int>(used.size())))];
                    if (taken.insert(b).second) {
                        lines.push_back({rszam, b, 1 + rng.below(12)});
                    }
                }
            }
        }
        head.close();
        fill(s, data / "rendeles.db", {"Rszam", "BSNR", "Darab"}, lines);
    }
    {
        std::vector<Row> rows;
        std::set<std::string> taken;
        while (taken.size() < 25) {
            const std::string& b =
                used[static_cast<size_t>(rng.below(static_cast<int>(used.size())))];
            if (taken.insert(b).second) {
                rows.push_back({b, rng.chance(0.15) ? 0 : 1 + rng.below(120)});
            }
        }
        fill(s, data / "keszlet.DB", {"Bsnr", "Darab"}, rows);
    }
    fill(s, data / "filenev.db", {"filenev"},
         {{"vevo.db"}, {"Rkapcs.db"}, {"rendeles.db"}, {"keszlet.DB"}});
    {
        // the settings record: a tilt-and-turn window, Ka-Line, plastic, white, right
        const TypeDef& first = m.types.front();
        Row r = {first.code,
                 Value(),
                 first.code + 100,
                 1,
                 m.firstModule,
                 1,
                 1,
                 0.0,
                 0.0,
                 0.0,
                 1,
                 true,
                 true,
                 store::Date::today(),
                 0.0,
                 0.0,
                 0.0,
                 0.0,
                 1,
                 400.0,
                 customers.front().kod,
                 0.0,
                 0.0,
                 0.0,
                 0.0,
                 0.0,
                 0.0,
                 0.0,
                 0.0,
                 0.0};
        fill(s, data / "tarolo.DB",
             {"Kod",       "Nev",      "Vezkod", "Meret",  "Modulkod", "Szinkod",
              "Nyitaskod", "ZOL",      "VEND",   "LM",     "Nyelv",    "KR",
              "Konv",      "Dt",       "Grupp1", "Grupp2", "Grupp3",   "Grupp4",
              "Profil",    "Arfolyam", "Vevo",   "HS",     "Grupp5",   "QZR1",
              "QZR3",      "QZR4",     "QZR2",   "QZR5",   "Pant",     "IP"},
             {r});
    }
}

// The delivered price-list update: a Paradox table with changed prices and weights, a few new
// parts, a few codes marked with a leading "*", and a few local parts no longer delivered.
void writeDelivery(store::Session& s, const fs::path& dir, Master& m) {
    const fs::path preis = dir / "preis";
    Rng& rng = m.rng();
    std::set<std::string> dropped;
    for (size_t i = 3; i < m.accessories.size() && dropped.size() < 5; i += 7) {
        if (m.partOf(m.accessories[i]).fpreis == 0) {
            dropped.insert(m.accessories[i]);
        }
    }
    std::vector<Row> rows;
    rows.reserve(m.parts.size() + 20);
    int starred = 0;
    for (const Part& local : m.parts) {
        if (dropped.count(local.bsnr) != 0) {
            continue;
        }
        Part p = local;
        if (rng.chance(0.08)) {
            const double f = 1.02 + 0.05 * rng.unit();
            p.preis = round2(p.preis * f);
            if (p.epreis != 0) {
                p.epreis = round2(p.epreis * f);
            }
        }
        if (rng.chance(0.02)) {
            p.kpreis = round3(p.kpreis * 1.1);
        }
        if (starred < 3 && rng.chance(0.01)) {
            p.bsnr = "*" + p.bsnr;
            ++starred;
        }
        rows.push_back(priceRow(p));
    }
    const Names news[12] = {
        {"PSK kocsi készlet 250 kg", "PSK-Laufwagenset 250 kg", "PSK set kolica 250 kg",
         "Set cărucioare PSK 250 kg"},
        {"PSK takaró Style/Soft 2,5 m", "PSK-Abdeckung Style/Soft 2,5 m", "PSK poklopac 2,5 m",
         "Capac PSK 2,5 m"},
        {"PSK vezetőgörgő", "PSK-Führungsrolle", "PSK vodeći točkić", "Rolă ghidaj PSK"},
        {"PSK ütközőbak", "PSK-Anschlagbock", "PSK graničnik", "Opritor PSK"},
        {"PSK rögzítő készlet", "PSK-Befestigungsset", "PSK set za pričvršćivanje",
         "Set fixare PSK"},
        {"PSK szigetelő elem", "PSK-Dämmelement", "PSK izolacioni element", "Element izolare PSK"},
        {"Ablakkilincs akciós, fehér", "Fenstergriff Aktion, weiß", "Ručka prozora akcija, bela",
         "Mâner fereastră promo, alb"},
        {"Ablakkilincs akciós, barna", "Fenstergriff Aktion, braun", "Ručka prozora akcija, braon",
         "Mâner fereastră promo, maro"},
        {"Kenőanyag spray 200 ml akció", "Schmierspray 200 ml Aktion", "Sprej 200 ml akcija",
         "Spray 200 ml promo"},
        {"Fúrósablon univerzális", "Universal-Bohrlehre", "Univerzalni šablon", "Şablon universal"},
        {"Szerelőkészlet erkélyajtóhoz", "Montageset Balkontür", "Montažni set balk. vrata",
         "Set montaj uşă balcon"},
        {"Résszellőző, automatikus", "Spaltlüfter, automatisch", "Ventilacioni otvor, automatski",
         "Aerisire automată"}};
    std::set<std::string> numbers;
    for (const Part& p : m.parts) {
        numbers.insert(p.bsnr);
    }
    for (int i = 0; i < 12; ++i) {
        std::string bsnr;
        do {
            bsnr = "58" + std::to_string(1000 + rng.below(9000));
        } while (!numbers.insert(bsnr).second);
        Part p;
        p.bsnr = bsnr;
        p.artikel = "NEW-" + bsnr.substr(1);
        p.hu = news[i].hu;
        p.de = news[i].de;
        p.sr = news[i].sr;
        p.ro = news[i].ro;
        p.bsnr2 = "6" + std::string(9 - bsnr.size(), '0') + bsnr;
        p.grupp = i < 6 ? 57 : i < 9 ? 95 : 8;
        p.preis = round2(3 + 40 * rng.unit());
        p.kpreis = round3(0.05 + rng.unit());
        rows.push_back(priceRow(p));
    }
    std::vector<store::FieldDef> fields =
        store::catalogue::findTable("Arlista.db", "preis")->schema.fields;
    for (auto& f : fields) {
        f.required = false;
        f.defaultValue = Value();
    }
    store::paradox::write(preis / "Arlista.db", fields, rows, 0, 1250);

    // the delivered discount groups, two of them new; a plain table without a key (the main
    // window keys the copy it takes into the data folder)
    store::TableSchema rabat = store::catalogue::findTable("rabat.db")->schema;
    rabat.indexes.clear();
    s.createTable(preis / "rabat.db", rabat);
    std::vector<Row> groups;
    for (const Group& g : m.groups) {
        groups.push_back({g.pg, g.rab, g.neve, twoDigits(g.wg)});
    }
    for (const Group& g : deliveredOnlyGroups()) {
        groups.push_back({g.pg, g.rab, g.neve, twoDigits(g.wg)});
    }
    fill(s, preis / "rabat.db", {"PG", "Rab", "Neve", "alias"}, groups);
    // a delivered list is waiting to be read
    writeText(preis / "friss.txt", {});
}

void writeTexts(const fs::path& dir) {
    writeText(dir / "aliases.ini",
              {"[aliases]", "diploma=adatok", "data=adatok", "kulso=adatok", "preis=preis"});
    // the footer of the printed order summary
    writeText(dir / "adatok" / "labj.txt",
              {"Demó Vasalat Kereskedelmi Kft.  –  1117 Budapest, Példa utca 12.",
               "Tel.: (1) 555-0142   Fax: (1) 555-0143   E-mail: rendeles@demo-vasalat.hu",
               "Bankszámla: 11700000-20000000-00000000   Adószám: 10000000-2-43",
               "Az árajánlat 30 napig érvényes. Szállítás a rendelés visszaigazolásától számítva 5 "
               "munkanap."});
    std::ofstream help(dir / "help" / "dirurar.hlp", std::ios::binary | std::ios::trunc);
    help << "<!DOCTYPE html>\n<html lang=\"hu\">\n<head><meta charset=\"utf-8\">"
            "<title>Ka-vasalatok – Súgó</title></head>\n<body>\n"
            "<h1>Ka-vasalatok – Súgó</h1>\n"
            "<h2>Tartalom</h2>\n<ol>\n"
            "<li><a href=\"#garnitura\">Garnitúra kigyűjtése</a></li>\n"
            "<li><a href=\"#osszesito\">Részösszesítő és összesítő</a></li>\n"
            "<li><a href=\"#arlista\">Árlista, engedmények</a></li>\n"
            "<li><a href=\"#mentes\">Biztonsági mentés</a></li>\n"
            "</ol>\n"
            "<h2 id=\"garnitura\">Garnitúra kigyűjtése</h2>\n"
            "<p>A Garnitura paranccsal nyíló Adatbevitel ablakban válassza ki az ablak típusát, "
            "adja meg a szélességet, a magasságot és a darabszámot, majd az anyagot, a "
            "pántoldal típusát, a színt és a nyitásirányt. A &Kigyűjt gomb a megadott ablak "
            "összes vasalat alkatrészét a részösszesítőbe gyűjti.</p>\n"
            "<h2 id=\"osszesito\">Részösszesítő és összesítő</h2>\n"
            "<p>Az Összesít gomb a részösszesítő tételeit a rendelés összesítőjébe teszi. Az "
            "összesítő nyomtatható, Excel táblába menthető és a vevőhöz rendelésként "
            "elmenthető.</p>\n"
            "<h2 id=\"arlista\">Árlista, engedmények</h2>\n"
            "<p>Az árak euróban szerepelnek, a forint érték az árfolyammal számolódik. Az "
            "alkatrészek engedménycsoportjai és a vevői fix árak az Engedmény ablakban "
            "állíthatók. A preis mappába érkező új árlistát a program induláskor felajánlja "
            "beolvasásra.</p>\n"
            "<h2 id=\"mentes\">Biztonsági mentés</h2>\n"
            "<p>A Rendszer menü Biztonsági mentés parancsa a vevőtörzset, a mentett "
            "rendeléseket és a raktárkészletet a rendel mappába másolja; a Helyreállítás "
            "parancs onnan állítja vissza őket.</p>\n"
            "</body>\n</html>\n";
    help.close();
    if (!help) {
        throw std::runtime_error("cannot write the help file");
    }
}

void removeLockFiles(const fs::path& dir) {
    std::vector<fs::path> locks;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        if (e.is_regular_file() && e.path().extension() == ".lck") {
            locks.push_back(e.path());
        }
    }
    for (const auto& p : locks) {
        fs::remove(p);
    }
}

void build(const fs::path& dir, const Options& options) {
    Master m(options.seed, options.large);
    m.firstModule = m.sets.front().modul;
    for (const char* sub :
         {"adatok", "preis", "import", "ment", "rendel", "text", "Rabat", "icon", "help"}) {
        fs::create_directories(dir / sub);
    }
    writeTexts(dir);
    {
        store::Session session;
        store::catalogue::createMissingTables(session, dir);
        writeMasterTables(session, dir, m);
        writeUserTables(session, dir, m);
        writeDelivery(session, dir, m);
    }
    std::vector<int> codes;
    for (const TypeDef& t : m.types) {
        codes.push_back(t.code);
    }
    writePictures(dir, codes);
    removeLockFiles(dir);
}

} // namespace

void createInstallation(const fs::path& dir, const Options& options) {
    std::error_code ec;
    const bool existed = fs::exists(dir, ec);
    if (existed) {
        if (!fs::is_directory(dir, ec)) {
            throw std::runtime_error(dir.string() + " exists and is not a folder");
        }
        if (!fs::is_empty(dir, ec) || ec) {
            throw std::runtime_error(
                dir.string() + " is not empty; the installation needs an empty or new folder");
        }
    }
    try {
        fs::create_directories(dir);
        build(dir, options);
    } catch (const std::exception& e) {
        // leave the folder as it was found
        std::error_code cleanup;
        if (existed) {
            for (const auto& entry : fs::directory_iterator(dir, cleanup)) {
                fs::remove_all(entry.path(), cleanup);
            }
        } else {
            fs::remove_all(dir, cleanup);
        }
        throw std::runtime_error("creating the installation in " + dir.string() +
                                 " failed: " + e.what());
    }
}

std::vector<TableCount> countTables(const fs::path& dir) {
    std::vector<TableCount> out;
    for (const char* sub : {"adatok", "preis", "import", "ment"}) {
        std::vector<fs::path> files;
        for (const auto& e : fs::directory_iterator(dir / sub)) {
            if (e.is_regular_file() && store::lowerAscii(e.path().extension().string()) == ".db") {
                files.push_back(e.path());
            }
        }
        std::sort(files.begin(), files.end());
        for (const auto& f : files) {
            TableCount c;
            c.file = fs::path(sub) / f.filename();
            if (store::paradox::looksLikeParadox(f)) {
                c.rows = store::paradox::read(f).rows.size();
            } else if (store::TableFile::isTableFile(f)) {
                auto t = store::TableFile::open(f);
                t->loadRows([&c](int64_t, Row&&) { ++c.rows; });
            } else {
                continue; // the background picture's pristine copy
            }
            out.push_back(c);
        }
    }
    return out;
}

} // namespace setup
