// The data entry rules without the window: every case is reached through the events a user
// causes (type chosen, groups clicked, entries typed), and the controls are read back.
#include "calc/entry_model.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

using calc::EntryField;
using calc::EntryModel;
using calc::TypeRecord;

namespace {

using Strings = std::vector<std::string>;

// A few types with limits of their own (code, width min/max, height min/max, rod-lock class).
const std::map<int, TypeRecord> kTypes = [] {
    std::map<int, TypeRecord> m;
    for (const TypeRecord& r :
         std::vector<TypeRecord>{{1, 290, 1650, 300, 2400, 3},   {2, 331, 1600, 461, 2400, 3},
                                 {3, 700, 3300, 1500, 2800, 2},  {4, 300, 1650, 260, 1200, 1},
                                 {6, 300, 1400, 300, 2400, 2},   {15, 500, 1400, 1600, 2600, 3},
                                 {23, 900, 3300, 1800, 3000, 2}, {24, 700, 2500, 1500, 2600, 0},
                                 {25, 700, 2500, 1500, 2600, 0}, {26, 700, 2500, 1500, 2600, 0},
                                 {27, 700, 2500, 1500, 2600, 0}, {28, 290, 1400, 300, 2400, 2},
                                 {40, 230, 1650, 300, 2400, 3},  {41, 330, 1650, 410, 2400, 3},
                                 {48, 600, 1300, 1800, 2500, 0}, {50, 400, 1200, 500, 2400, 2},
                                 {53, 400, 1200, 500, 2400, 2},  {61, 700, 1300, 1800, 2600, 0},
                                 {70, 300, 1300, 400, 2300, 2},  {71, 700, 1800, 1000, 2400, 3},
                                 {73, 600, 1600, 600, 1800, 2},  {75, 600, 1300, 1800, 2500, 0},
                                 {80, 300, 1400, 200, 2400, 3},  {92, 350, 1650, 480, 2800, 2}}) {
        m[r.Tipuskod] = r;
    }
    return m;
}();

std::optional<TypeRecord> findType(int code) {
    const auto it = kTypes.find(code);
    return it == kTypes.end() ? std::nullopt : std::optional(it->second);
}

// The window opened on type 1, then `type` chosen in the list.
void chooseIn(EntryModel& m, int type) {
    if (m.state().Akttipus == 0) {
        m.setStoredType(1);
        m.activate();
    }
    ASSERT_TRUE(m.chooseType(type));
    m.leaveTypeList();
}

// Type, material and hinge variant chosen as a user would; the case must be reachable.
void selectIn(EntryModel& m, int type, int hinge, int material) {
    chooseIn(m, type);
    if (m.controls().rgpanyag.itemIndex != material) {
        ASSERT_TRUE(m.clickMaterial(material)) << "material " << material;
    }
    if (m.controls().rgptip.itemIndex != hinge) {
        ASSERT_TRUE(m.clickHinge(hinge)) << "hinge " << hinge;
    }
    ASSERT_EQ(m.controls().rgptip.itemIndex, hinge);
    ASSERT_EQ(m.controls().rgpanyag.itemIndex, material);
}

void enterIn(EntryModel& m, int width, int height) {
    ASSERT_TRUE(m.setWidth(std::to_string(width)));
    ASSERT_TRUE(m.setHeight(std::to_string(height)));
}

class EntryModelTest : public ::testing::Test {
protected:
    store::ScriptedMessages messages;
    EntryModel m{findType, messages};

    void choose(int type) { chooseIn(m, type); }
    void select(int type, int hinge, int material) { selectIn(m, type, hinge, material); }
    void enter(int width, int height) { enterIn(m, width, height); }
};

// ---- size limits ----

struct LimitCase {
    const char* name;
    int type, hinge, material;
    bool rod3, rod15;
    int width;
    std::vector<int> expected; // width min, max, height min, max
};

TEST_F(EntryModelTest, SizeLimitsFollowTheTypeAndItsOptions) {
    const std::vector<LimitCase> cases = {
        {"own limits", 1, 1, 0, false, false, 800, {290, 1650, 300, 2400}},
        {"hidden hinge narrows and raises", 1, 2, 0, false, false, 800, {350, 1400, 480, 2400}},
        {"hidden hinge of the twin", 2, 2, 0, false, false, 800, {350, 1400, 480, 2400}},
        {"rod lock 3 alone lowers the twin", 2, 1, 0, true, false, 800, {331, 1600, 290, 2400}},
        {"15 mm box on the tilt window", 4, 1, 0, false, true, 800, {480, 1650, 470, 1200}},
        {"light metal tilt window", 4, 0, 2, false, false, 800, {400, 1650, 260, 1200}},
        {"sliding door Normal light metal", 71, 0, 2, false, false, 800, {700, 1600, 1000, 2400}},
        {"sliding door Ka-Line light metal", 71, 1, 2, false, false, 800, {700, 2000, 1000, 2400}},
        {"sliding door Normal plastic", 71, 0, 0, false, false, 800, {700, 2000, 1000, 2400}},
        {"sliding door Ka-Line plastic", 71, 1, 0, false, false, 800, {700, 1800, 1000, 2400}},
        {"AF hidden hinge", 40, 2, 0, false, false, 800, {380, 1650, 460, 3000}},
        {"AF wide with the 15 mm box", 40, 1, 0, false, true, 400, {230, 1650, 310, 2400}},
        {"AF narrow with the 15 mm box", 40, 1, 0, false, true, 300, {230, 1650, 300, 2400}},
        {"AF twin hidden hinge in wood", 41, 2, 1, false, false, 800, {380, 1650, 601, 2400}},
        {"wide balcony skips its rod rules", 50, 1, 0, true, false, 1000, {400, 1200, 785, 2400}},
        {"narrow balcony with rod lock 3", 50, 1, 0, true, false, 800, {400, 1200, 510, 2400}},
        {"Vireo always", 80, 1, 0, false, false, 800, {300, 1400, 310, 2400}},
        {"Vireo with rod lock 3 only", 80, 1, 0, true, false, 800, {300, 1400, 260, 2400}},
        {"R720 large with rod lock 3", 92, 1, 0, true, false, 800, {350, 1650, 470, 2800}},
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.name);
        store::ScriptedMessages quiet;
        EntryModel fresh(findType, quiet);
        selectIn(fresh, c.type, c.hinge, c.material);
        enterIn(fresh, c.width, 1000);
        if (c.rod3) {
            ASSERT_TRUE(fresh.clickRod3(true));
        }
        if (c.rod15) {
            ASSERT_TRUE(fresh.clickRod15(true));
        }
        const auto& s = fresh.state();
        EXPECT_EQ((std::vector<int>{s.AktSzmin, s.AktSzmax, s.Mminhatar, s.AktMmax}), c.expected);
        EXPECT_EQ(fresh.controls().LbSzmin.caption, std::to_string(c.expected[0]));
        EXPECT_EQ(fresh.controls().LbMmax.caption, std::to_string(c.expected[3]));
    }
}

TEST_F(EntryModelTest, SizeCheckAcceptsTheLimitsThemselvesAndNothingBeyond) {
    choose(1); // 290 - 1650 wide, 300 - 2400 high
    const struct {
        int width, height;
        bool accepted;
    } cases[] = {{290, 1000, true}, {289, 1000, false}, {1650, 1000, true}, {1651, 1000, false},
                 {800, 300, true},  {800, 299, false},  {800, 2400, true},  {800, 2401, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        enter(c.width, c.height);
        EXPECT_EQ(m.collectEnabled(), c.accepted);
        EXPECT_EQ(m.refusal().empty(), c.accepted) << m.refusal();
    }
    enter(1651, 1000);
    EXPECT_NE(m.refusal().find("szélesség (1651)"), std::string::npos) << m.refusal();
    EXPECT_NE(m.refusal().find("290 - 1650"), std::string::npos) << m.refusal();
}

// A later step of the same event unchecks a box the limits had counted: the limits follow.
TEST_F(EntryModelTest, LimitsFollowARodLockBoxTheEventUnchecked) {
    select(6, 1, 0);
    enter(800, 400);
    ASSERT_TRUE(m.clickRod3(true));
    EXPECT_EQ(m.state().Mminhatar, 480);
    EXPECT_FALSE(m.collectEnabled());
    ASSERT_TRUE(m.clickMaterial(2)); // no rod lock in light metal
    EXPECT_FALSE(m.controls().cb.visible);
    EXPECT_FALSE(m.controls().cb.checked);
    EXPECT_EQ(m.state().Mminhatar, 300);
    EXPECT_TRUE(m.collectEnabled()) << m.refusal();
}

TEST_F(EntryModelTest, UnknownTypeKeepsCollectDisabled) {
    choose(999);
    enter(800, 1000);
    EXPECT_FALSE(m.collectEnabled());
    EXPECT_NE(m.refusal().find("999"), std::string::npos) << m.refusal();
}

// ---- lock side and angle ----

TEST_F(EntryModelTest, LockSideLimitsOfTheThresholdTypes) {
    const struct {
        const char* name;
        int type, hinge, material;
        const char* label;
        int lockSide;
        bool accepted;
    } cases[] = {
        {"plastic one above the label", 48, 1, 0, "=< 6700", 6701, true},
        {"plastic two above the label", 48, 1, 0, "=< 6700", 6702, false},
        {"below the smallest", 48, 1, 0, "=< 6700", 1329, false},
        {"the smallest", 48, 1, 0, "=< 6700", 1330, true},
        {"lift door E scheme", 23, 2, 3, "=< 10000", 10012, true},
        {"lift door E scheme beyond", 23, 2, 3, "=< 10000", 10013, false},
        {"lift door L scheme", 23, 2, 4, "=< 19872", 19873, true},
        {"lift door C scheme", 23, 1, 1, "=< 6700", 6701, true},
        {"lift door C scheme beyond", 23, 1, 1, "=< 6700", 6702, false},
        {"hinge-side window", 53, 1, 0, "915  -    2360", 2361, true},
        {"hinge-side window beyond", 53, 1, 0, "915  -    2360", 2362, false},
        {"hinge-side window below", 53, 1, 0, "915  -    2360", 914, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        select(c.type, c.hinge, c.material);
        const TypeRecord& r = kTypes.at(c.type);
        enter(r.Szmin, r.Mmin);
        ASSERT_TRUE(m.setLockSide(std::to_string(c.lockSide)));
        EXPECT_EQ(m.controls().Rabmhat.caption, c.label);
        EXPECT_EQ(m.controls().LRb.caption, c.type == 53 ? "Zárold. m.:" : "RAB:");
        EXPECT_EQ(m.collectEnabled(), c.accepted) << m.refusal();
    }
}

TEST_F(EntryModelTest, SlantWindowAngleUpToFortyFiveDegrees) {
    choose(70);
    EXPECT_TRUE(m.controls().Efok.visible);
    EXPECT_TRUE(m.controls().Erab.enabled);
    enter(300, 1000);
    const struct {
        int lockSide;
        const char* angle;
        bool accepted;
    } cases[] = {{1300, "45", true},
                 {1310, "46", false},
                 {900, "-18", false},
                 {1000, " 0", true},
                 {1005, " 1", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lockSide);
        ASSERT_TRUE(m.setLockSide(std::to_string(c.lockSide)));
        EXPECT_EQ(m.controls().Efok.text, c.angle);
        EXPECT_EQ(m.collectEnabled(), c.accepted) << m.refusal();
    }
    ASSERT_TRUE(m.setLockSide("1310"));
    EXPECT_NE(m.refusal().find("szög (46"), std::string::npos) << m.refusal();

    choose(1); // no angle controls: the last angle no longer counts
    EXPECT_FALSE(m.controls().Efok.visible);
    EXPECT_FALSE(m.controls().Erab.enabled);
    enter(800, 1000);
    EXPECT_TRUE(m.collectEnabled()) << m.refusal();
    EXPECT_FALSE(m.setLockSide("1000"));
}

// ---- entries ----

TEST_F(EntryModelTest, EntriesGoBackToZeroUntilTheWidthIsEntered) {
    choose(1);
    ASSERT_TRUE(m.setWidth("0"));
    ASSERT_TRUE(m.setHeight("5"));
    EXPECT_EQ(m.controls().Emagassag.text, "0");
    EXPECT_EQ(m.entryToSelect(), "Emagassag");
    ASSERT_TRUE(m.setWidth(""));
    EXPECT_EQ(m.controls().Eszelesseg.text, "0");
    EXPECT_EQ(m.entryToSelect(), "Eszelesseg");
    ASSERT_TRUE(m.setWidth("800"));
    EXPECT_EQ(m.entryToSelect(), "");
    ASSERT_TRUE(m.setHeight("1200"));
    EXPECT_EQ(m.controls().Emagassag.text, "1200");
    EXPECT_EQ(m.state().Szelesseg, 800);
    EXPECT_EQ(m.state().Magassag, 1200);
    ASSERT_TRUE(m.setHeight("12x")); // pasted: no number
    EXPECT_EQ(m.controls().Emagassag.text, "0");
    EXPECT_FALSE(m.collectEnabled());

    choose(48);
    enter(800, 2000);
    ASSERT_TRUE(m.setLockSide("abc"));
    EXPECT_EQ(m.controls().Erab.text, "0");
    EXPECT_EQ(m.entryToSelect(), "Erab");
    EXPECT_FALSE(m.collectEnabled());
}

TEST_F(EntryModelTest, KeyFiltersOfTheEntries) {
    const struct {
        EntryField entry;
        char32_t ch;
        bool accepted;
    } cases[] = {
        {EntryField::Width, U'7', true},     {EntryField::Width, U'-', false},
        {EntryField::Width, U'a', false},    {EntryField::Width, U',', false},
        {EntryField::Height, U'\b', true},   {EntryField::LockSide, U'ő', false},
        {EntryField::TypeList, U'3', true},  {EntryField::TypeList, U'x', false},
        {EntryField::Quantity, U'-', true},  {EntryField::Quantity, U'+', false},
        {EntryField::Quantity, U'\r', true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EntryModel::keyAccepted(c.entry, c.ch), c.accepted)
            << static_cast<int>(c.entry) << " " << static_cast<uint32_t>(c.ch);
    }
    choose(1);
    ASSERT_TRUE(m.setQuantity("-2"));
    EXPECT_EQ(m.window().quantity, "-2"); // negative counts reach the collection
}

// ---- hinge, colour, Eckband, opening ----

TEST_F(EntryModelTest, SlidingAndEntranceDoorsForceKaLine) {
    for (int type : {24, 25, 26, 27, 75, 61}) {
        SCOPED_TRACE(type);
        m.preset(0, 0, 0, 0, false, false);
        choose(type);
        EXPECT_EQ(m.controls().rgptip.itemIndex, 1);
        EXPECT_FALSE(m.controls().rgptip.enabled);
        EXPECT_FALSE(m.clickHinge(0));
    }
    // entrance doors: plastic only, no "HS 300"
    EXPECT_FALSE(m.controls().rgpanyag.enabled);
    EXPECT_EQ(m.controls().rgpanyag.itemIndex, 0);
    EXPECT_EQ(m.controls().rgptip.items, (Strings{"TERRA STEP 68", "TERRA STEP 78"}));
}

TEST_F(EntryModelTest, ColourRules) {
    const struct {
        const char* name;
        int type, hinge, material, colour;
        int expected;
        bool enabled;
    } cases[] = {
        {"natural with the hidden hinge", 1, 2, 0, 2, 0, true},
        {"natural with Ka-Line", 1, 1, 0, 2, 2, true},
        {"natural in wood with the hidden hinge", 1, 2, 1, 2, 2, true},
        {"natural on a type that offers it", 40, 2, 0, 2, 2, false},
        {"hidden hinge closes the colours", 6, 2, 0, 1, 1, false},
        {"the twin keeps them open", 2, 2, 0, 1, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        select(c.type, 1, c.material);
        ASSERT_TRUE(m.clickColour(c.colour));
        ASSERT_TRUE(m.clickHinge(c.hinge));
        EXPECT_EQ(m.controls().rgpszin.itemIndex, c.expected);
        EXPECT_EQ(m.controls().rgpszin.enabled, c.enabled);
        EXPECT_EQ(m.clickColour(0), c.enabled);
        ASSERT_TRUE(m.clickHinge(1));
        ASSERT_TRUE(m.clickColour(0));
    }
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(EntryModelTest, BlackRefusedWhereTheTypeDoesNotOfferIt) {
    const struct {
        int type, hinge, material;
        bool refused;
    } cases[] = {
        {3, 1, 0, true}, {48, 1, 0, true}, {1, 1, 0, false}, {73, 0, 2, true}, {73, 1, 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        messages.clear();
        select(c.type, c.hinge, c.material);
        ASSERT_TRUE(m.clickColour(3));
        EXPECT_EQ(m.controls().rgpszin.itemIndex, c.refused ? 0 : 3);
        EXPECT_EQ(messages.texts(),
                  c.refused ? Strings{"Ehhez a típushoz fekete szín nem választható!"} : Strings{});
        ASSERT_TRUE(m.clickColour(0));
    }
    // black remembered from the last run: refused at the first activation
    messages.clear();
    EntryModel again(findType, messages);
    again.preset(1, 3, 0, 0, false, false);
    again.setStoredType(48);
    again.activate();
    EXPECT_EQ(again.controls().rgpszin.itemIndex, 0);
    EXPECT_EQ(messages.count(), 1u);
}

TEST_F(EntryModelTest, EckbandOnlyWhereTheTypeTakesIt) {
    const struct {
        int type, hinge, material;
        bool enabled;
    } cases[] = {{1, 1, 0, true},  {1, 2, 0, false}, {1, 1, 1, false},
                 {4, 1, 0, false}, {80, 1, 0, true}, {80, 1, 1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        select(c.type, c.hinge, c.material);
        m.leaveHinge();
        EXPECT_EQ(m.controls().Checkeckband.enabled, c.enabled);
        EXPECT_EQ(m.setEckband(true), c.enabled);
        m.leaveEckband();
        EXPECT_EQ(m.window().eckband, c.enabled);
        ASSERT_TRUE(!c.enabled || m.setEckband(false));
        m.leaveEckband();
    }
    // the state left in the box comes back when the box opens again
    select(1, 1, 0);
    ASSERT_TRUE(m.setEckband(true));
    m.leaveEckband();
    ASSERT_TRUE(m.clickMaterial(1));
    EXPECT_FALSE(m.controls().Checkeckband.checked);
    ASSERT_TRUE(m.clickMaterial(0));
    EXPECT_TRUE(m.controls().Checkeckband.checked);
}

TEST_F(EntryModelTest, OpeningSideAndRailBox) {
    select(4, 1, 0);
    EXPECT_FALSE(m.controls().rgpnyitas.enabled);
    select(24, 1, 0);
    EXPECT_FALSE(m.controls().rgpnyitas.enabled);
    select(1, 1, 0);
    ASSERT_TRUE(m.clickOpening(1));
    EXPECT_EQ(m.window().opening, 1);
    EXPECT_FALSE(m.controls().Cbts.visible); // checked, but no rail for this type
    EXPECT_TRUE(m.controls().Cbts.checked);
    EXPECT_FALSE(m.window().rail);

    select(3, 1, 0);
    EXPECT_TRUE(m.controls().Cbts.visible);
    EXPECT_EQ(m.controls().Cbts.caption, "Futósin 15 mm ");
    ASSERT_TRUE(m.clickRail(true));
    EXPECT_TRUE(m.window().rail);
    ASSERT_TRUE(m.clickHinge(2)); // HS 300: opening fixed
    EXPECT_EQ(m.controls().rgpnyitas.itemIndex, 0);
    EXPECT_FALSE(m.controls().rgpnyitas.enabled);

    select(23, 2, 3); // E scheme: opening left, fixed
    EXPECT_EQ(m.controls().rgpnyitas.itemIndex, 1);
    EXPECT_FALSE(m.controls().rgpnyitas.enabled);

    m.setLanguage(4, "Variant", "Barrier-free");
    select(71, 1, 0);
    EXPECT_EQ(m.controls().Cbts.caption, "Cover cap Style/Soft ");
}

// ---- labels ----

TEST_F(EntryModelTest, RelabellingByLanguage) {
    const struct {
        int language;
        const char *kivitel, *akadaly;
        Strings material, opening, hinge;
        const char *width, *height, *lockSide;
    } cases[] = {
        {0,
         "Kivitel",
         "Süllyesztett",
         {"Ablak anyaga", "Műanyag", "Fa", "LM"},
         {"Nyitásirány", "Jobb", "Bal"},
         {"Tip", "Normal", "Ka-Line", "Rejtett"},
         "Szélesség:",
         "Magasság:",
         "Zárold. m.:"},
        {2,
         "Ausführung",
         "Accesibilitate",
         {"Material prof.", "PVC", "Lemn", "Alu"},
         {"Sens desch.", "Dreapta", "Stanga"},
         {"Tip", "Normal", "Ka-Line", "Ascuns"},
         "Latime",
         "Inaltime:",
         "Inaltime inch.:"},
        {4,
         "Variant",
         "Barrier-free",
         {"Windows material", "PVC", "Timber", "Aluminium"},
         {"Opening direct.", "Right", "Left"},
         {"Tip", "Normal", "Ka-Line", "Hidden"},
         "Width",
         "Height::",
         "Lock si. H::"},
    };
    auto group = [](const calc::Control& g) {
        Strings out{g.caption};
        out.insert(out.end(), g.items.begin(), g.items.end());
        return out;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        m.setLanguage(c.language, c.kivitel, c.akadaly);
        select(1, 1, 0);
        EXPECT_EQ(group(m.controls().rgpanyag), c.material);
        EXPECT_EQ(group(m.controls().rgpnyitas), c.opening);
        EXPECT_EQ(group(m.controls().rgptip), c.hinge);
        EXPECT_EQ(m.controls().Lbszelesseg.caption, c.width);
        EXPECT_EQ(m.controls().Lbmagassag.caption, c.height);
        EXPECT_EQ(m.controls().LRb.caption, c.lockSide);
        // balcony doors: the barrier-free variant, two items, the width is the rod height
        select(15, 1, 0);
        EXPECT_EQ(group(m.controls().rgptip), (Strings{c.kivitel, "Normal", c.akadaly}));
        EXPECT_EQ(m.controls().Lbszelesseg.caption, "RAB:");
        EXPECT_FALSE(m.controls().Checkeckband.visible);
    }
    select(50, 1, 0);
    EXPECT_EQ(m.controls().Lbmagassag.caption, "Hinge side Height:");
    select(48, 1, 0);
    EXPECT_EQ(group(m.controls().rgptip),
              (Strings{"Variant", "Standard", "Barrierefrei (Akad.m.)", "C315 R-25mm"}));
    EXPECT_EQ(group(m.controls().rgpanyag), (Strings{"Séma", "A Séma", "C Séma", "D Séma"}));
    select(1, 1, 2);
    EXPECT_EQ(group(m.controls().rgptip), (Strings{"Variant", "LM5100", "LM3100", "Lumex"}));
}

TEST_F(EntryModelTest, LiftDoorSchemesComeAndGoWithType23) {
    select(23, 1, 0);
    EXPECT_EQ(m.controls().rgpanyag.items,
              (Strings{"A Séma", "C Séma", "D Séma", "E Séma", "L Séma"}));
    EXPECT_EQ(m.window().materialItems, 5);
    ASSERT_TRUE(m.clickMaterial(4));
    EXPECT_EQ(m.controls().rgptip.itemIndex, 2); // the extra schemes are HS 300
    choose(1);
    EXPECT_EQ(m.controls().rgpanyag.items, (Strings{"Műanyag", "Fa", "LM"}));
    EXPECT_EQ(m.window().materialItems, 3);
    EXPECT_EQ(m.controls().rgpanyag.itemIndex, 2); // as a radio group does: the last item
    choose(3);
    EXPECT_EQ(m.controls().rgpanyag.items.size(), 3u);
    EXPECT_EQ(m.controls().rgptip.items[0], "TERRA STEP 78");
}

TEST_F(EntryModelTest, RodLockBoxesByTypeAndLanguage) {
    const struct {
        const char* name;
        int language, type, hinge, material;
        bool cbShown;
        const char* cb;
        bool cbrShown;
        const char* cbr;
    } cases[] = {
        {"plastic window", 0, 1, 1, 0, true, "Rúdzár 3", true, "Rúdzár 15mm"},
        {"wood window", 0, 1, 1, 1, true, "Rúdzár 3", false, nullptr},
        {"light metal window", 0, 1, 1, 2, false, nullptr, false, nullptr},
        {"lift door", 0, 3, 1, 0, true, "KH0130-01/03", false, nullptr},
        {"balcony door", 0, 15, 1, 0, true, "Pánt 27/48", true, "Pánt 17/48"},
        {"wooden balcony door", 0, 15, 1, 1, false, nullptr, false, nullptr},
        {"AF window", 0, 40, 1, 0, true, "Rúdzár 3", true, "Vizsz. bukópont"},
        {"AF window hidden hinge", 0, 40, 2, 0, true, "Rúdzár 3", false, nullptr},
        {"sliding door Ka-Line", 0, 71, 1, 0, false, nullptr, true, "Rúdzár 15mm"},
        {"sliding door Normal", 4, 71, 0, 0, true, "New Stay 2.0", true, "Gear 15mm"},
        {"Vireo in Romanian", 2, 80, 1, 0, true, "Cremon 3", true, "Batare vert"},
        {"twin without rod lock 3", 0, 2, 1, 0, true, "Rúdzár 3", false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m.setLanguage(c.language, "Kivitel", "Süllyesztett");
        select(c.type, c.hinge, c.material);
        EXPECT_EQ(m.controls().cb.visible, c.cbShown);
        EXPECT_EQ(m.controls().cbr.visible, c.cbrShown);
        if (c.cbShown) {
            EXPECT_EQ(m.controls().cb.caption, c.cb);
        } else {
            EXPECT_FALSE(m.clickRod3(true));
        }
        if (c.cbrShown) {
            EXPECT_EQ(m.controls().cbr.caption, c.cbr);
        }
    }
    // the twin offers the 15 mm box only with rod lock 3
    ASSERT_TRUE(m.clickRod3(true));
    EXPECT_TRUE(m.controls().cbr.visible);
    ASSERT_TRUE(m.clickRod15(true));
    EXPECT_EQ(m.Rudzaropcio(), 10);
    ASSERT_TRUE(m.clickRod3(false));
    EXPECT_FALSE(m.controls().cbr.visible);
    EXPECT_FALSE(m.controls().cbr.checked);
    EXPECT_EQ(m.Rudzaropcio(), 5);

    // the hinge boxes of the balcony doors exclude each other
    select(15, 1, 0);
    ASSERT_TRUE(m.clickRod3(true));
    ASSERT_TRUE(m.clickRod15(true));
    EXPECT_FALSE(m.controls().cb.checked);
    EXPECT_EQ(m.Rudzaropcio(), 6);
    ASSERT_TRUE(m.clickRod3(true));
    EXPECT_FALSE(m.controls().cbr.checked);
    EXPECT_EQ(m.Rudzaropcio(), 9);
}

TEST_F(EntryModelTest, PictureNames) {
    const struct {
        int type, hinge, material, opening;
        const char* picture;
    } cases[] = {{1, 1, 0, 0, "10.bmp"},    {1, 1, 0, 1, "11.bmp"},    {3, 1, 1, 0, "3001.bmp"},
                 {23, 2, 3, 1, "2313.bmp"}, {48, 1, 1, 1, "4811.bmp"}, {24, 1, 0, 0, "2400.bmp"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture);
        select(c.type, c.hinge, c.material);
        if (m.controls().rgpnyitas.itemIndex != c.opening) {
            ASSERT_TRUE(m.clickOpening(c.opening));
        }
        EXPECT_EQ(m.pictureName(), c.picture);
    }
}

// ---- material check, results ----

TEST_F(EntryModelTest, LightMetalOnATypeWithoutItFallsBackToType1) {
    select(28, 1, 0);
    ASSERT_TRUE(m.clickMaterial(2));
    m.leaveMaterial();
    EXPECT_EQ(messages.texts(), Strings{"A kiválasztott típus alumíniumra nem alkalmazható"});
    EXPECT_TRUE(m.materialReplacedType());
    EXPECT_TRUE(m.focusTypeList());
    EXPECT_EQ(m.storedType(), 1);
    EXPECT_EQ(m.state().Akttipus, 1);
    EXPECT_EQ(m.window().type, 1);
    EXPECT_EQ(m.state().AktSzmin, 355); // type 1 in light metal

    messages.clear();
    select(4, 0, 2);
    m.leaveMaterial();
    EXPECT_FALSE(m.materialReplacedType());
    EXPECT_EQ(m.storedType(), 4);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(EntryModelTest, WindowAndRememberedChoices) {
    m.preset(2, 1, 1, 1, true, false);
    EXPECT_EQ(m.state().Eckbandjel, true);
    select(1, 1, 0);
    enter(800, 1200);
    ASSERT_TRUE(m.clickColour(1));
    ASSERT_TRUE(m.setQuantity("3"));
    ASSERT_TRUE(m.clickRod3(true));
    const calc::Window w = m.window();
    EXPECT_EQ(w.type, 1);
    EXPECT_EQ(w.hinge, 1);
    EXPECT_EQ(w.material, 0);
    EXPECT_EQ(w.width, 800);
    EXPECT_EQ(w.height, 1200);
    EXPECT_EQ(w.colour, 1);
    EXPECT_EQ(w.opening, 1);
    EXPECT_TRUE(w.eckband);
    EXPECT_TRUE(w.rod3);
    EXPECT_FALSE(w.rod15);
    EXPECT_EQ(w.quantity, "3");
    EXPECT_EQ(m.Rudzaropcio(), calc::rodLockOptions(w));
    const calc::RememberedChoices r = m.remembered();
    EXPECT_EQ(r.pant, 1);
    EXPECT_EQ(r.szin, 1);
    EXPECT_EQ(r.anyag, 0);
    EXPECT_EQ(r.nyitas, 1);
    EXPECT_TRUE(r.eckband);
    EXPECT_TRUE(r.ts); // the hidden rail box of type 1 is checked
}

} // namespace
