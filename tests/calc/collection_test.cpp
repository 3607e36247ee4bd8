#include "calc_fixture.h"

#include <optional>

using calc::Window;
using calctest::CalcTest;
using Parts = std::map<std::string, int64_t>;

namespace {

// ---- the size value of each dependency kind ----

struct SizeCase {
    int kind;
    int type, W, H, R;
    std::optional<int32_t> S;
    int materialItems = 3;
};

TEST(SizeValue, EveryKindWithItsRegionEnds) {
    const std::vector<SizeCase> cases = {
        {0, 1, 500, 600, 0, std::nullopt},
        {1, 1, 500, 600, 0, 500},
        {2, 1, 500, 600, 0, 600},
        {3, 3, 500, 600, 1400, 1400},
        {4, 3, 400, 1000, 1300, 500},     // a 300-400-500 triangle
        {4, 3, 1, 1000, 1000, 1},         // no rise: the width
        {4, 23, 401, 1000, 1300, 802, 5}, // the schemes of type 23: twice the width
        {4, 23, 400, 1000, 1300, 500, 3},
        {5, 3, 500, 0, 1400, 900},  // R - W
        {6, 3, 500, 0, 1400, 400},  // R - 2W
        {10, 3, 500, 0, 2001, 500}, // 500.5: the even neighbour
        {10, 3, 500, 0, 2003, 502}, // 501.5: the even neighbour
        {10, 3, 500, 0, 2002, 501},
        {10, 3, 700, 0, 1000, -200}, // a lock-side height below twice the width
        {7, 1, 300, 350, 0, 0},      // both in the small region: 0
        {7, 1, 300, 411, 0, 230},
        {7, 1, 331, 410, 0, 230},
        {7, 1, 1801, 410, 0, 600},
        {7, 1, 229, 350, 0, 600},
        {8, 1, 381, 601, 0, 800},
        {8, 1, 381, 600, 0, 600},
        {8, 1, 360, 601, 0, 200},
        {8, 1, 360, 600, 0, 100},
        {8, 1, 359, 900, 0, 100},
        {9, 1, 851, 801, 0, 800},
        {9, 1, 851, 800, 0, 600},
        {9, 1, 850, 800, 0, 200},
        {9, 1, 850, 801, 0, 300},
        {11, 1, 290, 431, 0, 230},
        {11, 1, 800, 320, 0, 230},
        {11, 1, 1650, 3000, 0, 800},
        {11, 1, 1651, 3000, 0, 2000},
        {12, 1, 901, 1000, 0, 930},
        {12, 1, 900, 1000, 0, 1000},
        {13, 1, 331, 260, 0, 230},
        {13, 1, 851, 460, 0, 800},
        {14, 1, 230, 461, 0, 300},
        {14, 1, 850, 260, 0, 300},
        {14, 1, 1650, 3000, 0, 800},
        {14, 1, 229, 461, 0, std::nullopt}, // outside both regions
        {14, 1, 900, 300, 0, std::nullopt},
        {15, 1, 331, 460, 0, 300},
        {15, 1, 230, 461, 0, 800},
        {15, 1, 230, 460, 0, std::nullopt},
        {16, 1, 500, 600, 0, std::nullopt}, // unknown kind: nothing set
    };
    for (const auto& c : cases) {
        Window w;
        w.type = c.type;
        w.width = c.W;
        w.height = c.H;
        w.lockSide = c.R;
        w.materialItems = c.materialItems;
        EXPECT_EQ(calc::sizeValue(c.kind, w), c.S) << "kind " << c.kind << " type " << c.type
                                                   << " W " << c.W << " H " << c.H << " R " << c.R;
    }
}

TEST(SetFilter, GearVariantsAgainstTheRodLockOptions) {
    struct Case {
        int getriebe, options;
        bool fits;
    } cases[] = {{1, 5, true},  {1, 10, true}, {6, 5, false},  {7, 5, true},   {5, 5, true},
                 {6, 6, true},  {9, 9, true},  {10, 10, true}, {10, 9, false}, {15, 10, true},
                 {4, 5, false}, {0, 5, false}, {13, 9, true}};
    for (const auto& c : cases) {
        EXPECT_EQ(calc::gearFits(c.getriebe, c.options), c.fits)
            << c.getriebe << " with " << c.options;
    }
}

TEST(SkippedModules, HandleChoicesAndType70Sizes) {
    const std::vector<std::string> handles = {"4000007", "4100007", "4200007", "4300007"};
    auto skipped = [&](calc::HandleSettings h) {
        std::string out;
        for (const auto& m : handles) {
            out += calc::handleModuleSkipped(m, h) ? 'x' : '.';
        }
        return out;
    };
    EXPECT_EQ(skipped({false, false, true}), "xxxx");
    EXPECT_EQ(skipped({true, false, true}), "xx.."); // Hoppe Tokyo
    EXPECT_EQ(skipped({true, true, false}), "..xx"); // Ka-Line
    EXPECT_EQ(skipped({true, false, false}), "....");
    EXPECT_FALSE(calc::handleModuleSkipped("1000108", {}));

    const std::vector<std::string> t70 = {"6299999", "6299998", "6299995",
                                          "6299996", "0000002", "1000108"};
    auto skipped70 = [&](int type, int W, int H, int R) {
        Window w;
        w.type = type;
        w.width = W;
        w.height = H;
        w.lockSide = R;
        std::string out;
        for (const auto& m : t70) {
            out += calc::type70ModuleSkipped(m, w) ? 'x' : '.';
        }
        return out;
    };
    EXPECT_EQ(skipped70(70, 400, 1000, 900), "xxxxx.");
    EXPECT_EQ(skipped70(70, 500, 430, 900), "xxxxx.");
    EXPECT_EQ(skipped70(70, 401, 431, 800), "x.....");
    EXPECT_EQ(skipped70(70, 401, 431, 801), "....x.");
    EXPECT_EQ(skipped70(71, 400, 300, 0), "......");
}

TEST(OpeningCode, EckbandModules) {
    Window w;
    w.opening = 1;
    EXPECT_EQ(calc::openingCode("5555555", w), 2);
    EXPECT_EQ(calc::openingCode("0000008", w), 2);
    EXPECT_EQ(calc::openingCode("1000108", w), 1); // without Eckband: always right
    EXPECT_EQ(calc::openingCode("0200003", w), 2);
    w.eckband = true;
    EXPECT_EQ(calc::openingCode("0000008", w), 3);
    EXPECT_EQ(calc::openingCode("7000012", w), 3);
    EXPECT_EQ(calc::openingCode("1000108", w), 3);
    EXPECT_EQ(calc::openingCode("0200003", w), 3);
    EXPECT_EQ(calc::openingCode("5555555", w), 2);
}

// ---- the collection on the working tables ----

TEST_F(CalcTest, SharedPartsAddUpAndSizeRangesIncludeTheirEnds) {
    // set 1: type 1, hinge 0, plastic
    setRow(1, "M1", 1, 2); // by width, twice per window
    setRow(1, "M2", 2, 1); // by height
    moduleRow("M1", "SHARED", 0, 0, 0, 0, 1);
    moduleRow("M1", "RANGE", 500, 800);
    moduleRow("M2", "SHARED", 0, 0, 0, 0, 3);
    moduleRow("M2", "SKIP", 0, 0);
    addTo("modul.DB", {{"Modulkod", "M2"},
                       {"BSNR", "-"},
                       {"Min", 0},
                       {"Max", 0},
                       {"Szinkod", 0},
                       {"Nyitaskod", 0},
                       {"Mennyiseg", 1},
                       {"TSBSNR", "-"}});
    setRow(2, "M1", 1); // another set: not collected
    struct Case {
        int W;
        bool range;
    } cases[] = {{499, false}, {500, true}, {650, true}, {800, true}, {801, false}};
    for (const auto& c : cases) {
        Window w = window(1, c.W, 1000);
        w.quantity = "2";
        ASSERT_TRUE(collect(w));
        Parts expected = {{"SHARED", 2 * 1 * 2 + 3 * 1 * 2}, {"SKIP", 2}};
        if (c.range) {
            expected["RANGE"] = 2 * 2;
        }
        EXPECT_EQ(partial(), expected) << "W " << c.W;
    }
    EXPECT_EQ(dm->Tbltarol.fieldByName("Vezkod").asInteger(), 1);
}

TEST_F(CalcTest, SetCodeColourOpeningAndRailColumn) {
    // type 42, hinge 2, wood: set code 42 + 200 + 1000
    setRow(1242, "M1", 0);
    setRow(1242, "1000108", 0);
    moduleRow("M1", "WHITE", 0, 0, 1, 0, 1, "WHITE-TS");
    moduleRow("M1", "BROWN", 0, 0, 2, 0);
    moduleRow("M1", "LEFT", 0, 0, 0, 2);
    moduleRow("M1", "RIGHT", 0, 0, 0, 1);
    moduleRow("1000108", "ECK", 0, 0, 0, 3);
    moduleRow("1000108", "ECK-RIGHT", 0, 0, 0, 1);
    Window w = window(42, 800, 1000);
    w.hinge = 2;
    w.material = 1;
    w.colour = 1;
    w.opening = 1;
    ASSERT_TRUE(collect(w));
    EXPECT_EQ(partial(), (Parts{{"BROWN", 1}, {"LEFT", 1}, {"ECK-RIGHT", 1}}));
    w.colour = 0;
    w.eckband = true;
    w.rail = true;
    ASSERT_TRUE(collect(w));
    EXPECT_EQ(partial(), (Parts{{"WHITE-TS", 1}, {"LEFT", 1}, {"ECK", 1}}));
    EXPECT_EQ(dm->Tbltarol.fieldByName("Vezkod").asInteger(), 1242);
    EXPECT_EQ(dm->Tbltarol.fieldByName("Szinkod").asInteger(), 1);
    // the codes of the last set row in index order ("M1" after "1000108")
    EXPECT_EQ(dm->Tbltarol.fieldByName("Nyitaskod").asInteger(), 2);
}

TEST_F(CalcTest, GearVariantsHeightRuleAndIndependentKinds) {
    setRow(1, "A", 1, 1, 1);
    setRow(1, "G6", 1, 1, 6);
    setRow(1, "G7", 1, 1, 7);
    setRow(1, "8800020", 1, 1, 1);
    setRow(1, "Z", 0, 1, 1); // independent: the value left by the row before ("8800020")
    moduleRow("A", "A1");
    moduleRow("G6", "G6P");
    moduleRow("G7", "G7P");
    moduleRow("8800020", "HP");
    moduleRow("Z", "Z-NARROW", 400, 500);
    moduleRow("Z", "Z-WIDE", 501, 900);
    ASSERT_TRUE(collect(window(1, 450, 560))); // Rudzaropcio 5
    EXPECT_EQ(partial(), (Parts{{"A1", 1}, {"G7P", 1}, {"HP", 1}, {"Z-NARROW", 1}}));
    EXPECT_EQ(dm->Rudzaropcio, 5);

    Window w = window(1, 600, 559);
    ASSERT_TRUE(collect(w)); // too low for 8800020 without "Rúdzár 3"
    EXPECT_EQ(partial(), (Parts{{"A1", 1}, {"G7P", 1}, {"Z-WIDE", 1}}));
    w.height = 470;
    w.rod3 = true;
    w.rod15 = true; // 10: neither 6 nor 7 fits
    ASSERT_TRUE(collect(w));
    EXPECT_EQ(partial(), (Parts{{"A1", 1}, {"HP", 1}, {"Z-WIDE", 1}}));
}

TEST_F(CalcTest, NegativeCountsRatioMessageAndRefusedQuantity) {
    setRow(1, "V", 14);
    setRow(1, "W", 1);
    moduleRow("V", "VP");
    moduleRow("W", "WP", 0, 0, 0, 0, 2);
    Window w = window(1, 900, 300); // outside both regions of kind 14
    w.quantity = "-3";
    ASSERT_TRUE(collect(w));
    EXPECT_EQ(partial(), (Parts{{"VP", -3}, {"WP", -6}}));
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, "Magasság -szélesség arány nem megengedett!");

    w.quantity = "0";
    ASSERT_TRUE(collect(w));
    EXPECT_EQ(partial(), (Parts{{"VP", 0}, {"WP", 0}}));

    // a quantity that is not a whole number keeps the list as it was
    for (const char* q : {"-", "", "1,5"}) {
        w.quantity = q;
        EXPECT_FALSE(collect(w));
        EXPECT_EQ(partial(), (Parts{{"VP", 0}, {"WP", 0}})) << q;
    }
    EXPECT_EQ(messages.shown().back().kind, store::ScriptedMessages::Kind::Error);

    w.type = 5; // no set rows
    w.quantity = "1";
    ASSERT_TRUE(collect(w));
    EXPECT_TRUE(partial().empty());
}

TEST_F(CalcTest, HandleAndType70Modules) {
    for (const char* m : {"4000007", "4200007", "6299999", "0000002", "6299998"}) {
        setRow(70, m, 0);
        moduleRow(m, (std::string("P") + m).c_str());
    }
    auto collected = [&](const Window& w, calc::HandleSettings h) {
        EXPECT_TRUE(collect(w, h));
        std::string out;
        for (const auto& [p, n] : partial()) {
            out += p.substr(1) + " ";
        }
        return out;
    };
    EXPECT_EQ(collected(window(70, 400, 1000, 1300), {true, false, false}), "4000007 4200007 ");
    EXPECT_EQ(collected(window(70, 401, 431, 800), {false, false, true}), "0000002 6299998 ");
    EXPECT_EQ(collected(window(70, 401, 431, 801), {true, false, true}),
              "4200007 6299998 6299999 ");
}

// ---- profile conversion and wood substitution ----

TEST_F(CalcTest, ProfileConversionMergesMovesAndKeepsUnsetRows) {
    auto conv = [&](int n, const char* rehau, const char* actual) {
        addTo("converter.DB", {{"Sorsz", n},
                               {"REHAU", rehau},
                               {"ACTUAL", actual},
                               {"Megnevezes", rehau},
                               {"Nemet", rehau},
                               {"Szerb", rehau}});
    };
    conv(1, "R1", "A1"); // both in the list: one row with the sum
    conv(2, "R2", "A2"); // only the reference part: renamed
    conv(3, "R3", "R3"); // same part: skipped
    conv(4, "R4", "*");  // not set for this profile: the reference part stays
    conv(5, "R5", "A5"); // only the actual part: stays
    for (auto [p, n] : std::vector<std::pair<const char*, int>>{
             {"R1", 2}, {"A1", 3}, {"R2", 4}, {"R3", 1}, {"R4", 6}, {"A5", 7}}) {
        add(dm->Tblreszossz, {{"BSNR", p}, {"Darab", n}});
    }
    collection->profileConversion();
    EXPECT_EQ(partial(), (Parts{{"A1", 5}, {"A2", 4}, {"R3", 1}, {"R4", 6}, {"A5", 7}}));
    EXPECT_TRUE(collection->Profilvaltva);
}

TEST_F(CalcTest, ActivationConvertsOnlyWhenAsked) {
    addTo("converter.DB", {{"Sorsz", 1},
                           {"REHAU", "R1"},
                           {"ACTUAL", "A1"},
                           {"Megnevezes", "R1"},
                           {"Nemet", "R1"},
                           {"Szerb", "R1"}});
    addTo("holz.DB", {{"alt", "A1"}, {"neu", "WOOD"}});
    Window w = window(40, 500, 500);
    w.material = 1;
    auto fill = [&] {
        dm->Tblreszossz.open();
        dm->Tblreszossz.emptyTable();
        add(dm->Tblreszossz, {{"BSNR", "R1"}, {"Darab", 2}});
    };
    setTarolo("Profil", 64);
    fill();
    collection->Konvertalando = true;
    collection->activate(w, false); // "Automatkus váltás" off
    EXPECT_EQ(partial(), (Parts{{"R1", 2}}));
    EXPECT_TRUE(collection->Konvertalando);

    w.material = 2;
    collection->activate(w, true); // light metal: no conversion
    EXPECT_EQ(partial(), (Parts{{"R1", 2}}));

    w.material = 1;
    collection->activate(w, true);
    EXPECT_EQ(partial(), (Parts{{"WOOD", 2}})); // converted, then the wood part
    EXPECT_FALSE(collection->Konvertalando);

    fill();
    collection->activate(w, true); // converted once per collection
    EXPECT_EQ(partial(), (Parts{{"R1", 2}}));

    fill();
    collection->Konvertalando = true;
    w.opening = 1; // wood substitution only for right-opening windows
    collection->activate(w, true);
    EXPECT_EQ(partial(), (Parts{{"A1", 2}}));
}

TEST_F(CalcTest, WoodSubstitutionAddsUpAnExistingWoodPart) {
    addTo("holz.DB", {{"alt", "OLD"}, {"neu", "NEW"}});
    setTarolo("Profil", 64);
    add(dm->Tblreszossz, {{"BSNR", "OLD"}, {"Darab", 2}});
    add(dm->Tblreszossz, {{"BSNR", "NEW"}, {"Darab", 1}});
    Window w = window(28, 500, 500);
    w.material = 1;
    collection->woodSubstitution(w, true);
    EXPECT_EQ(partial(), (Parts{{"NEW", 3}}));
    EXPECT_TRUE(messages.shown().empty());
}

} // namespace
