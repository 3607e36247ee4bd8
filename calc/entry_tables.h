// The data of the data entry rules: the groups of type codes the rules name, the size-limit
// rules, the lock-side limits, the captions by language and the item texts by type. Only the
// data entry model reads it.
#pragma once

#include "calc/entry_model.h"

#include <bitset>
#include <climits>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

namespace calc::entry_rules {

// ------------------------------------------------------------------------------------------
// Type-code groups. Every group of type codes a rule of the window names is declared here.

struct Range {
    int lo, hi;
    Range(int v) : lo(v), hi(v) {}
    Range(int a, int b) : lo(a), hi(b) {}
};

class Codes {
public:
    Codes(std::initializer_list<Range> ranges) {
        for (const Range& r : ranges) {
            for (int c = r.lo; c <= r.hi; ++c) {
                bits_.set(static_cast<size_t>(c));
            }
        }
    }
    static Codes all() {
        Codes c{};
        c.bits_.set();
        return c;
    }
    static Codes allExcept(std::initializer_list<Range> ranges) {
        Codes c(ranges);
        c.bits_.flip();
        return c;
    }
    bool has(int code) const {
        return code >= 0 && code < kSize && bits_.test(static_cast<size_t>(code));
    }

private:
    static constexpr int kSize = 128;
    std::bitset<kSize> bits_;
};

struct Groups {
    // the sets of the rules
    Codes threshold{3, {23, 27}, 48, 49, {60, 69}, {75, 77}};
    Codes lockSideEntry{3, {23, 27}, 48, 49, {52, 54}, {60, 70}, {75, 77}};
    Codes aluminium{{1, 4}, 8, 9, {13, 27}, 48, 49, 60, 71, 72, {75, 77}, {86, 95}};
    Codes colourC1{3, {13, 21}, {23, 27}, 35, 37, {40, 49}, {60, 69}, {71, 73}, {75, 77}, 80, 81};
    Codes colourC2{3, 23, 42, 44, {46, 49}, 60, {70, 73}, 76, 77, 80, 81};
    Codes noBlack{3, {23, 27}, {48, 53}, 60, {75, 77}};
    Codes hingeH1{13, 14, {24, 27}, {35, 37}, 43, 45, {61, 69}, 74, 75};
    Codes hingeH2{13, 14, {35, 37}, 43, 45, 74, 80, 81};
    Codes hingeH3{{24, 27}, 49, 60, 71, 72, 75, 77, 80, 81};
    Codes hingeH4{{28, 34}, {61, 70}, 74, 83, {86, 88}, {90, 92}, 99};
    Codes hingeH5{{15, 27}, 42, 44, {46, 49}, 60, {71, 73}, {75, 77}};
    Codes hingeH6{{1, 3}, {6, 8}, 40, 41, {80, 83}, {86, 88}, {90, 92}, 99};
    Codes openingO1{11, 12, 16, 17, {19, 21}, {24, 27}, 75, 83, 89};
    Codes openingO2{{30, 32}, 34, 35, 37, 41, 81};
    Codes rail{3, 23, 42, 44, 45, 47, {71, 73}};

    // further groups the rules name
    Codes lift{3, 23};                            // lift-and-slide doors
    Codes doors{{61, 69}};                        // material fixed, opening relabelled
    Codes balcony{{15, 22}};                      // hinge-size boxes instead of rod locks
    Codes psk{{71, 73}};                          // parallel sliding tilt doors
    Codes pskDoors{71, 72};                       // ... of them the doors
    Codes oxal{{86, 92}};                         // the R720 range
    Codes noLightMetal{82, 83, {86, 92}, 99};     // light metal reset at activation
    Codes forcedKaLine{{24, 27}, {61, 69}, 75};   // hinge fixed to the second variant
    Codes twoHinges{4, 5, {50, 54}, {61, 69}};    // no third hinge variant
    Codes lightMetalHinges{1, 2, 8};              // hinge group open with light metal
    Codes normalForcedOff{1, 2, 6, 7, 8};         // "Normal" forced off without light metal
    Codes hiddenToKaLine{70, {80, 82}, {86, 92}}; // "Rejtett" forced to the second variant
    Codes hiddenToRemembered{83, 99};             // "Rejtett" goes back to the remembered one
    Codes noEckband{4, 5, 82, 89};                // no Eckband even with the first variants
    Codes alwaysEckband{{80, 83}, {86, 88}, {90, 92}, 99}; // Eckband with any variant
    Codes closedOpening{{4, 10}};                          // opening fixed unless "Rejtett"
    Codes railCaption{42, 44, 45, 47, {71, 73}};           // the box is the cover cap
    Codes colourFromHidden{1, 2, 8};                       // colours stay open with "Rejtett"
    Codes pictureMaterial{{23, 27}, 48, 49, 60, {75, 77}}; // picture name carries the material
    Codes longLockSide{3, {23, 27}, 48, 49, {75, 77}};     // smallest lock-side height 1330
    Codes shortLockSide{52, 53};                           // smallest lock-side height 915
    Codes hingeSideHeight{{50, 53}};                       // height entry is the hinge side
};

inline const Groups& groups() {
    static const Groups g;
    return g;
}

inline bool between(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

// Masks of item indexes (hinge variant, material) for the conditions of the tables.
constexpr unsigned bit(int i) {
    return 1u << i;
}
inline constexpr unsigned kAny = 0xFFu;
inline constexpr unsigned kBelow2 = bit(0) | bit(1);
inline bool inMask(unsigned mask, int index) {
    return index >= 0 && index < 8 && (mask & bit(index)) != 0;
}

// ------------------------------------------------------------------------------------------
// Size limits: the type's own limits, then these rules in order (later rules win).

enum class Tri { Any, On, Off };
inline bool matches(Tri t, bool v) {
    return t == Tri::Any || (t == Tri::On) == v;
}

struct SizeRule {
    Codes types;
    unsigned hinges = kAny;
    unsigned materials = kAny;
    Tri rod3 = Tri::Any;  // "Rúdzár 3"
    Tri rod15 = Tri::Any; // the 15 mm box
    int widthAbove = INT_MIN;
    std::optional<int> szmin, szmax, mmin, mmax;
    int skip = 0; // rules skipped after this one when it applied
};

inline const std::vector<SizeRule>& sizeRules() {
    using T = Tri;
    const auto none = std::nullopt;
    static const std::vector<SizeRule> rules = {
        {{1, 2, {6, 9}, {90, 95}}, bit(2), kAny, T::Any, T::Any, INT_MIN, 350, 1400, none, none},
        {{1, 2, 6, {90, 95}}, bit(2), kAny, T::Any, T::Any, INT_MIN, none, none, 480, none},
        {{{90, 95}}, kAny, kAny, T::Off, T::On, INT_MIN, none, none, 431, none},
        {{4}, kAny, kAny, T::Any, T::On, INT_MIN, 480, none, none, none},
        {{2}, kAny, kAny, T::Any, T::On, INT_MIN, none, none, 480, none, 1},
        {{6, 28, 29, 70, {92, 95}}, kAny, kAny, T::On, T::Any, INT_MIN, none, none, 480, none},
        {Codes::allExcept({1, {6, 9}, {15, 22}, 40, 41}), kAny, kAny, T::Any, T::On, INT_MIN, none,
         none, 470, none, 1},
        {{{86, 88}, 91, 92}, kAny, kAny, T::On, T::Any, INT_MIN, none, none, 470, none},
        {{9}, kAny, bit(2), T::Any, T::Any, INT_MIN, none, 1000, none, none},
        {{1, 2, 8, 9, {93, 95}}, kAny, bit(2), T::Any, T::Any, INT_MIN, 355, none, none, none},
        {{4}, kAny, bit(2), T::Any, T::Any, INT_MIN, 400, none, none, none},
        {{{71, 73}}, bit(0), bit(2), T::Any, T::Any, INT_MIN, none, 1600, none, none},
        {{{71, 73}}, bit(0) | bit(2), kBelow2, T::Any, T::Any, INT_MIN, none, 2000, none, none},
        {{{71, 73}}, bit(1), bit(2), T::Any, T::Any, INT_MIN, none, 2000, none, none},
        {{2}, kAny, kAny, T::On, T::Off, INT_MIN, none, none, 290, none},
        {{40}, kAny, kAny, T::Any, T::On, 330, none, none, 310, none},
        {{40}, bit(2), kAny, T::Any, T::Any, INT_MIN, 380, 1650, 460, 3000},
        {{41}, kAny, kAny, T::Any, T::On, INT_MIN, none, none, 410, none},
        {{41}, bit(2), kAny, T::Any, T::Any, INT_MIN, 380, 1650, 460, 3000},
        {{41}, bit(2), bit(1), T::Any, T::Any, INT_MIN, none, none, 601, 2400},
        {{50, 51}, kAny, kAny, T::Any, T::Any, 900, none, none, 785, none, 2},
        {{51}, kAny, kAny, T::On, T::Any, INT_MIN, none, none, 575, none},
        {{50}, kAny, kAny, T::On, T::Any, INT_MIN, none, none, 510, none},
        {{80, 81}, kAny, kAny, T::Any, T::Any, INT_MIN, none, none, 310, none},
        {{80, 81}, kAny, kAny, T::On, T::Off, INT_MIN, none, none, 260, none},
        {{81}, kAny, kAny, T::Any, T::On, INT_MIN, none, none, 310, none},
    };
    return rules;
}

// ------------------------------------------------------------------------------------------
// Lock-side height of the threshold types, by material (scheme) index.

struct LockSideLimit {
    const char* label;
    int32_t rabmax;
};
inline constexpr LockSideLimit kThresholdLockSide[] = {{"=< 6700", 6701},
                                                       {"=< 13400", 13401},
                                                       {"=< 6700", 6701},
                                                       {"=< 10000", 10012},
                                                       {"=< 19872", 19873}};

struct LockSideOverride {
    Codes types;
    unsigned hinges;
    unsigned materials;
    const char* label;
    std::optional<int32_t> rabmax;
};
inline const std::vector<LockSideOverride>& lockSideOverrides() {
    static const std::vector<LockSideOverride> rows = {
        {{60}, kAny, kAny, "=<7000", std::nullopt},
        {{48, 49, 76, 77}, kAny, kAny, "=< 6700", std::nullopt},
        {{3, 23}, kBelow2, bit(1), "=< 6700", 6701},
    };
    return rows;
}

// ------------------------------------------------------------------------------------------
// Languages and the texts that follow them.

enum class Lang { Hu, Ro, En }; // German and Serbian use the Hungarian texts

inline Lang langOf(int Nyelvindex) {
    switch (Nyelvindex) {
    case 2:
        return Lang::Ro;
    case 4:
        return Lang::En;
    default:
        return Lang::Hu;
    }
}

struct Texts {
    const char* hu;
    const char* ro;
    const char* en;
    const char* in(Lang l) const { return l == Lang::Ro ? ro : l == Lang::En ? en : hu; }
};

// The size captions in the other languages, by their Hungarian text.
inline const Texts kCaptions[] = {
    {"Magasság:", "Inaltime:", "Height::"},
    {"Pántold m.:", "Inaltime peparte:", "Hinge side Height:"},
    {"Pánto. magasság:", "Inaltime peparte:", "Hinge side Height:"},
    {"Zárold. m.:", "Inaltime inch.:", "Lock si. H::"},
};
inline const Texts kWidthCaption{"Szélesség:", "Latime", "Width"};
inline const Texts kHidden{"Rejtett", "Ascuns", "Hidden"};
inline const Texts kMaterialCaption{"Ablak anyaga", "Material prof.", "Windows material"};
inline const Texts kMaterialItems[3] = {
    {"Műanyag", "PVC", "PVC"}, {"Fa", "Lemn", "Timber"}, {"LM", "Alu", "Aluminium"}};
inline const Texts kOpeningCaption{"Nyitásirány", "Sens desch.", "Opening direct."};
inline const Texts kOpeningItems[2] = {{"Jobb", "Dreapta", "Right"}, {"Bal", "Stanga", "Left"}};
// the door types name the right side so in Romanian
inline const Texts kDoorOpeningItems[2] = {{"Jobb", "Drehapta", "Right"},
                                           {"Bal", "Stanga", "Left"}};
inline const Texts kRailCaption{"Futósin 15 mm ", "Futósin 15 mm ", "Running rail 15 mm "};
inline const Texts kCoverCaption{"Takaró Style/Soft ", "Takaró Style/Soft ",
                                 "Cover cap Style/Soft "};

// Captions of the rod-lock boxes: the first row whose types and conditions match and that has
// a text for the language; a row may also keep the caption as it is.
inline const char* const kKeep = "";
struct RodCaption {
    Codes types;
    unsigned hinges;
    unsigned materials;
    Texts text; // nullptr: the row does not speak for that language
};
inline const std::vector<RodCaption>& rod3Captions() {
    static const std::vector<RodCaption> rows = {
        {{3, 23}, kAny, kBelow2, {"KH0130-01/03", "KH0130-01/03", "KH0130-01/03"}},
        {{71, 72}, kAny, kAny, {"Új olló 2.0", nullptr, "New Stay 2.0"}},
        {{71, 72}, bit(0) | bit(2), kAny, {nullptr, "Noi Foarfece 2.0", nullptr}},
        {{{15, 22}}, kAny, kAny, {"Pánt 27/48", "Balama 27/48", "Hinge 27/48"}},
        {Codes::all(), kAny, kAny, {"Rúdzár 3", "Cremon 3", "Gear 3"}},
    };
    return rows;
}
inline const std::vector<RodCaption>& rod15Captions() {
    static const std::vector<RodCaption> rows = {
        {{40, 41}, kAny, kAny, {"Vizsz. bukópont", kKeep, "Horiz.Tilt point"}},
        {{80, 81}, kAny, kAny, {"Függ.b.pont", "Batare vert", "Vert.Tilt point"}},
        {{{15, 22}}, kAny, kAny, {"Pánt 17/48", "Balama 17/48", "Hinge 17/48"}},
        {Codes::all(), kAny, kAny, {"Rúdzár 15mm", "Cremon 15mm", "Gear 15mm"}},
    };
    return rows;
}

// Item texts of the hinge group for particular types, after the general relabelling.
inline const char* const kAkadaly = "\x01"; // stands for the barrier-free caption of the language
struct HingeLabels {
    Codes types;
    unsigned materials;
    bool variantCaption;  // the group is captioned with the "Kivitel" caption
    const char* items[3]; // nullptr: item unchanged
    bool dropThird;
    bool hideEckband;
};
inline const std::vector<HingeLabels>& hingeLabels() {
    static const std::vector<HingeLabels> rows = {
        {{{86, 92}}, kAny, false, {"R720-KA", "R720", nullptr}, false, false},
        {{83, 99}, kAny, false, {"Ka-Line", "R720", nullptr}, false, false},
        {{1, 2, 8}, bit(2), true, {"LM5100", "LM3100", "Lumex"}, false, true},
        {{4}, bit(2), true, {"LM5100", "LM3100", nullptr}, false, true},
        {{{15, 22}}, kAny, true, {nullptr, kAkadaly, nullptr}, true, true},
        {{{71, 73}},
         kBelow2,
         false,
         {"PSK 160 Serena", "PSK 100 Serena", "PSK 160 Serena +"},
         false,
         true},
        {{{71, 73}}, bit(2), false, {"PSK 160 Forte", "PSK Serena 2.0", "PSK Serena"}, false, true},
        {{42, 44, 46, 47}, kAny, false, {"Normal", "Forte S-ES", "Forte S-RS"}, false, true},
        {{40, 41}, kAny, false, {"Vireo AF", nullptr, "Lumex"}, false, false},
        {{48, 49, 60, 76, 77},
         kAny,
         false,
         {"Standard", "Barrierefrei (Akad.m.)", "C315 R-25mm"},
         false,
         true},
        {{{35, 37}, 43}, kAny, false, {"Vireo AF", nullptr, nullptr}, false, false},
        {{{80, 82}}, kAny, false, {"Vireo/AF", "Vireo", "--"}, false, false},
    };
    return rows;
}

} // namespace calc::entry_rules
