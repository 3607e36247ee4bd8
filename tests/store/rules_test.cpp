#include "store/catalogue/catalogue.h"
#include "store/rules/dm_rules.h"
#include "store/tdm.h"
#include "test_support.h"

#include <memory>

using namespace store;

namespace {

class RulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = testsupport::freshDir("rules");
        session.setAlias("diploma", dir / "adatok");
        session.setAlias("data", dir / "adatok");
        session.setAlias("kulso", dir / "adatok");
        session.setAlias("preis", dir / "preis");
        catalogue::createMissingTables(session, dir);
        dm = std::make_unique<TDM>(session);
        rules = std::make_unique<DataModuleRules>(*dm, messages);
        dm->Tbltarol.open();
        dm->Tbltarol.append();
        for (const char* f :
             {"Grupp1", "Grupp5", "QZR1", "QZR3", "QZR4", "QZR2", "QZR5", "Pant", "IP"}) {
            dm->Tbltarol.fieldByName(f).setAsFloat(0);
        }
        dm->Tbltarol.post();
    }
    void TearDown() override {
        rules.reset();
        for (Table* t : dm->handles()) {
            t->close();
        }
        dm.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    void setTarolo(const char* field, const Value& v) {
        dm->Tbltarol.edit();
        dm->Tbltarol.fieldByName(field).setValue(v);
        dm->Tbltarol.post();
    }
    // Appends one row through the handle (opened when closed).
    void add(Table& t, const std::vector<std::pair<const char*, Value>>& values) {
        if (!t.active()) {
            t.open();
        }
        t.append();
        for (const auto& [f, v] : values) {
            t.fieldByName(f).setValue(v);
        }
        t.post();
    }
    void addPart(const char* bsnr, int grupp = 0, double fpreis = 0) {
        add(dm->Tblarlista,
            {{"BSNR", bsnr}, {"BSNR2", bsnr}, {"Grupp", grupp}, {"Fpreis", fpreis}});
    }
    // The values of a field over the visible rows.
    static std::vector<std::string> column(DataSet& t, const char* field) {
        std::vector<std::string> out;
        for (t.first(); !t.eof(); t.next()) {
            out.push_back(t.fieldByName(field).asString());
        }
        return out;
    }

    std::filesystem::path dir;
    Session session;
    ScriptedMessages messages;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<DataModuleRules> rules;
};

using Strings = std::vector<std::string>;

// ---- post and delete errors ----

TEST_F(RulesTest, DuplicateKeyIsReportedWithTheHandleNameAndTheNewRowDiscarded) {
    int closed = 0;
    rules->hooks.closePartSearch = [&] { ++closed; };
    struct Case {
        Table* table;
        std::function<void()> fill; // fills the key of the new row
    };
    addPart("A1");
    add(dm->Tblreszossz, {{"BSNR", "A1"}, {"Darab", 2}});
    add(dm->tblkigyujt, {{"BSNR", "A1"}, {"Darab", 3}});
    const Case cases[] = {
        {&dm->Tblreszossz, [&] { dm->Tblreszossz.fieldByName("BSNR").setAsString("A1"); }},
        {&dm->tblkigyujt, [&] { dm->tblkigyujt.fieldByName("BSNR").setAsString("A1"); }},
        {&dm->Tblarlista,
         [&] {
             dm->Tblarlista.fieldByName("BSNR").setAsString("A1");
             dm->Tblarlista.fieldByName("BSNR2").setAsString("X");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table->name());
        messages.clear();
        const int before = c.table->recordCount();
        c.table->append();
        c.fill();
        EXPECT_THROW(c.table->post(), Abort);
        EXPECT_EQ(messages.texts(),
                  Strings{c.table->name() + " Már létezik az alkatrész a listában!"});
        EXPECT_EQ(c.table->state(), DataSetState::Browse);
        EXPECT_EQ(c.table->recordCount(), before);
    }
    EXPECT_EQ(closed, 3);
    dm->Tblreszossz.first();
    EXPECT_EQ(dm->Tblreszossz.fieldByName("Darab").asInteger(), 2); // the stored row is intact
}

TEST_F(RulesTest, RequiredFieldLeavesTheRecordInEditState) {
    dm->Tblvevo.open();
    dm->Tblvevo.append();
    dm->Tblvevo.fieldByName("Vevokod").setAsString("V1");
    EXPECT_THROW(dm->Tblvevo.post(), Abort);
    EXPECT_EQ(messages.texts(), Strings{" A mezők kitöltése kötelező"});
    EXPECT_EQ(dm->Tblvevo.state(), DataSetState::Insert);
    EXPECT_EQ(dm->Tblvevo.fieldByName("Vevokod").asString(), "V1"); // the entry is kept
    dm->Tblvevo.fieldByName("Vevonev").setAsString("Kiss");
    dm->Tblvevo.post();
    EXPECT_EQ(dm->Tblvevo.recordCount(), 1);
}

TEST_F(RulesTest, ReferencedRecordsAreNotDeleted) {
    rules->state.torlesreRakerdez = false;
    add(dm->Tblmodulnev, {{"Modulkod", "M1"}, {"Modulnev", "Egy"}, {"ModulnevD", "Eins"}});
    dm->Tblgarnitur.setMasterSource(nullptr, "");
    add(dm->Tblgarnitur, {{"Garkod", 1}, {"Modulkod", "M1"}});
    add(dm->Tblvevo, {{"Vevokod", "V1"}, {"Vevonev", "Kiss"}});
    add(dm->tblrkapcs, {{"Vevokod", "V1"}});
    for (Table* t : {&dm->Tblmodulnev, &dm->Tblvevo}) {
        SCOPED_TRACE(t->name());
        messages.clear();
        t->first();
        EXPECT_THROW(t->deleteRecord(), Abort);
        EXPECT_EQ(messages.texts(), Strings{"Nem törölhető, hivatozási kapcsolat miatt!"});
        EXPECT_EQ(t->recordCount(), 1);
        EXPECT_EQ(t->state(), DataSetState::Browse);
    }
}

// ---- delete guard ----

TEST_F(RulesTest, DeleteGuardAsksChecksUsageAndSetsTheFlags) {
    struct Case {
        const char* name;
        bool price; // a price-list row, else a customer
        bool ask;
        bool answer;
        bool used;
        bool deleted;
        bool flag;
        bool checked; // the usage check ran
    };
    const Case cases[] = {
        {"not asked, used part", true, false, false, true, true, true, false},
        {"No", true, true, false, false, false, false, false},
        {"Yes, used part", true, true, true, true, false, false, true},
        {"Yes, unused part", true, true, true, false, true, true, true},
        {"Yes, customer", false, true, true, true, true, true, false},
        {"No, customer", false, true, false, false, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Table& t = c.price ? dm->Tblarlista : dm->Tblvevo;
        if (c.price) {
            addPart("P1");
        } else {
            add(dm->Tblvevo, {{"Vevokod", "V1"}, {"Vevonev", "Kiss"}});
        }
        std::vector<std::string> checked;
        rules->hooks.partUsage = [&](const std::string& bsnr, bool) {
            checked.push_back(bsnr);
            return std::array<bool, 6>{false, c.used, false, false, false, false};
        };
        rules->state.torlesreRakerdez = c.ask;
        rules->state.Torlesflag = !c.flag;
        messages.clear();
        if (c.ask) {
            c.answer ? messages.answerYes() : messages.answerNo();
        }
        t.first();
        if (c.deleted) {
            EXPECT_NO_THROW(t.deleteRecord());
        } else {
            EXPECT_THROW(t.deleteRecord(), Abort);
        }
        EXPECT_EQ(t.recordCount(), c.deleted ? 0 : 1);
        EXPECT_EQ(rules->state.Torlesflag, c.flag);
        EXPECT_EQ(rules->state.Torlesvizsgalat, c.price);
        EXPECT_EQ(checked, c.checked ? Strings{"P1"} : Strings{});
        EXPECT_EQ(messages.texts(), c.ask ? Strings{"Biztos törölni akarja?"} : Strings{});
        EXPECT_EQ(messages.pendingAnswers(), 0u);
        rules->state.torlesreRakerdez = false; // clean up
        while (!t.isEmpty()) {
            t.first();
            t.deleteRecord();
        }
    }
}

// ---- filters ----

TEST(RulesTypeList, Decisions) {
    struct Case {
        int current;
        int material;
        bool oxal;
        std::vector<int> shown, hidden;
    };
    const Case cases[] = {
        {3, 0, false, {1, 3, 23, 61, 65, 90}, {24, 27, 48, 49, 60, 75, 77}},
        {23, 2, false, {1, 5, 23}, {24, 48, 76}},
        {48, 0, false, {24, 48, 60, 1}, {3, 23, 65}},
        {77, 1, false, {24, 77}, {3, 65}},
        {62, 2, false, {3, 24, 48, 5}, {}}, // another threshold type: every type
        {1, 2, false, {1, 2, 4, 8, 9, 13, 22, 71, 72, 93, 95}, {3, 5, 10, 23, 24, 70, 96}},
        {1, 1, false, {1, 3, 23, 65, 70}, {24, 25, 48, 49, 60, 75, 77}},
        {1, 0, false, {1, 24, 48, 60, 99}, {}},
        {3, 0, true, {86, 92}, {85, 93, 3, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "current " << c.current << " material " << c.material
                                          << " oxal " << c.oxal);
        for (int t : c.shown) {
            EXPECT_TRUE(DataModuleRules::typeShown(t, c.current, c.material, c.oxal)) << t;
        }
        for (int t : c.hidden) {
            EXPECT_FALSE(DataModuleRules::typeShown(t, c.current, c.material, c.oxal)) << t;
        }
    }
}

TEST_F(RulesTest, TypeListWithCurrentTypeThreeOffersNeither24Nor48) {
    int sorsz = 1;
    for (int code : {1, 3, 24, 48, 65, 70}) {
        add(dm->tbltipus, {{"Sorsz", sorsz++}, {"Tipuskod", code}, {"Rudzar", 2}});
    }
    setTarolo("Kod", 3);
    dm->tbltipus.refilter();
    EXPECT_EQ(column(dm->tbltipus, "Tipuskod"), (Strings{"1", "3", "65", "70"}));
    rules->state.oxalSzures = true;
    dm->tbltipus.refilter();
    EXPECT_TRUE(dm->tbltipus.isEmpty());
}

TEST_F(RulesTest, DeletingTheCurrentTypeMovesTheSettingsToTheFirstRemaining) {
    int sorsz = 1;
    for (int code : {5, 7, 9}) {
        add(dm->tbltipus, {{"Sorsz", sorsz++}, {"Tipuskod", code}, {"Rudzar", 2}});
    }
    for (int current : {5, 9}) {
        setTarolo("Kod", current);
        ASSERT_TRUE(dm->tbltipus.locate("Tipuskod", current));
        dm->tbltipus.deleteRecord();
        EXPECT_EQ(dm->Tbltarol.fieldByName("Kod").asInteger(), 7);
        EXPECT_EQ(dm->Tbltarol.state(), DataSetState::Browse);
    }
    dm->tbltipus.first();
    dm->tbltipus.deleteRecord(); // the last type: the settings keep their value
    EXPECT_EQ(dm->Tbltarol.fieldByName("Kod").asInteger(), 7);
}

TEST_F(RulesTest, RecordFiltersFollowTheWindowState) {
    auto& st = rules->state;
    addPart("G1", 1);
    addPart("G2", 2, 5.5);
    addPart("G3", 2);
    dm->Tblarlista.setFiltered(true);
    dm->Tblfix.open();
    add(dm->tblrabat, {{"PG", 0}, {"Rab", 10.0}});
    add(dm->tblrabat, {{"PG", 1}, {"Rab", 0.0}});
    add(dm->tblrabat, {{"PG", 2}, {"Rab", 5.0}});
    dm->tblrabat.setFiltered(true);
    dm->Tblqrabat.open();
    add(dm->Tblkeszlet, {{"Bsnr", "K1"}, {"Darab", 1}});
    add(dm->Tblkeszlet, {{"Bsnr", "K5"}, {"Darab", 5}});
    add(dm->Tblkeszlet, {{"Bsnr", "K9"}, {"Darab", 9}});
    add(dm->tblkigyujt, {{"BSNR", "S1"}, {"Darab", 4}, {"Keszet", 4}});
    add(dm->tblkigyujt, {{"BSNR", "S2"}, {"Darab", 4}, {"Keszet", 3}});
    add(dm->tblkigyujt, {{"BSNR", "S3"}, {"Darab", 2}, {"Keszet", 6}});
    dm->Tblkeszlet2.open();
    for (int i = 0; i < 64; ++i) {
        add(dm->Tblprofineve, {{"Nev", "P" + std::to_string(i)}});
    }

    struct Case {
        const char* name;
        std::function<void()> set;
        DataSet* table;
        const char* field;
        Strings expected;
    };
    const Case cases[] = {
        {"group 2", [&] { st.EACSOP = "2"; }, &dm->Tblarlista, "BSNR", {"G2", "G3"}},
        {"group 1", [&] { st.EACSOP = " 1"; }, &dm->Tblarlista, "BSNR", {"G1"}},
        {"group not a number", [&] { st.EACSOP = "AB"; }, &dm->Tblarlista, "BSNR", {}},
        {"fixed prices", [] {}, &dm->Tblfix, "BSNR", {"G2"}},
        {"discount groups", [] {}, &dm->tblrabat, "PG", {"2"}},
        {"discount report", [] {}, &dm->Tblqrabat, "PG", {"2"}},
        {"stock: all", [&] { st.RDPrakt2 = 0; }, &dm->Tblkeszlet, "Bsnr", {"K1", "K5", "K9"}},
        {"stock: more than 5",
         [&] {
             st.RDPrakt2 = 1;
             st.Enagyobb = "5";
         },
         &dm->Tblkeszlet,
         "Bsnr",
         {"K9"}},
        {"stock: more than a non-number",
         [&] { st.Enagyobb = "x"; },
         &dm->Tblkeszlet,
         "Bsnr",
         {"K1", "K5", "K9"}},
        {"stock: less than 5",
         [&] {
             st.RDPrakt2 = 2;
             st.Ekissebb = "5";
         },
         &dm->Tblkeszlet,
         "Bsnr",
         {"K1"}},
        {"stock: less than a non-number", [&] { st.Ekissebb = ""; }, &dm->Tblkeszlet, "Bsnr", {}},
        {"order: all", [&] { st.Rgpkeszlet = 0; }, &dm->Tblkeszlet2, "BSNR", {"S1", "S2", "S3"}},
        {"order: available", [&] { st.Rgpkeszlet = 1; }, &dm->Tblkeszlet2, "BSNR", {"S1", "S3"}},
        {"order: missing", [&] { st.Rgpkeszlet = 2; }, &dm->Tblkeszlet2, "BSNR", {"S2"}},
        {"wood profiles",
         [&] { st.materialIndex = 1; },
         &dm->Tblprofineve,
         "Sorsz",
         {"62", "63", "64"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.set();
        c.table->refilter();
        EXPECT_EQ(column(*c.table, c.field), c.expected);
    }
    st.materialIndex = 0;
    dm->Tblprofineve.refilter();
    EXPECT_EQ(dm->Tblprofineve.recordCount(), 64 - 3);
    EXPECT_FALSE(dm->Tblprofineve.locate("Sorsz", 62));
}

TEST_F(RulesTest, OrderHeadersOfTheCustomerAndLinesOfTheHeader) {
    add(dm->Tblvevo, {{"Vevokod", "V1"}, {"Vevonev", "Egy"}});
    add(dm->Tblvevo, {{"Vevokod", "V2"}, {"Vevonev", "Ketto"}});
    Table& headers = dm->Tblmkapcs;
    add(headers, {{"Vevokod", "V1"}});
    add(headers, {{"Vevokod", "V2"}});
    add(headers, {{"Vevokod", "V1"}});
    const Strings rszam = column(headers, "Rszam");
    ASSERT_EQ(rszam.size(), 3u);
    int n = 1;
    for (const auto& r : rszam) {
        add(dm->Tblrendel, {{"Rszam", Value(std::stoi(r))}, {"BSNR", "B" + std::to_string(n++)}});
    }
    setTarolo("Vevo", "V1 ");
    headers.setFiltered(true);
    EXPECT_EQ(column(headers, "Vevokod"), (Strings{"V1", "V1"}));
    headers.first();
    const std::string first = headers.fieldByName("Rszam").asString();
    dm->Tblrendel.refilter();
    const Strings lines = column(dm->Tblrendel, "Rszam");
    EXPECT_EQ(lines, Strings{first});
    headers.close();
    dm->Tblrendel.refilter();
    EXPECT_TRUE(dm->Tblrendel.isEmpty()); // no header: no lines
}

TEST_F(RulesTest, SetRowsInMaintenanceAndDuringTheCollection) {
    Table& sets = dm->Tblgarnitur;
    sets.setMasterSource(nullptr, "");
    for (int g : {101, 102, 1101}) {
        for (const char* m : {"A", "B"}) {
            add(sets, {{"Garkod", g}, {"Modulkod", m}});
        }
    }
    sets.setFiltered(true);
    auto& st = rules->state;
    st.maintenanceActive = true;
    st.Aktgarkod = 1101;
    sets.refilter();
    EXPECT_EQ(column(sets, "Garkod"), (Strings{"1101", "1101"}));
    st.maintenanceActive = false;
    sets.refilter();
    EXPECT_EQ(sets.recordCount(), 6); // no collection filter set
    rules->hooks.collectionSetFilter = [](DataSet& ds) {
        return ds.fieldByName("Modulkod").asString() == "B";
    };
    sets.refilter();
    EXPECT_EQ(column(sets, "Garkod"), (Strings{"101", "102", "1101"}));
    rules->hooks.collectionModuleFilter = [](DataSet& ds) {
        return ds.fieldByName("Min").asInteger() > 0;
    };
    dm->Tblmodul.setMasterSource(nullptr, "");
    for (int min : {0, 5}) {
        add(dm->Tblmodul, {{"Modulkod", "A"},
                           {"BSNR", "X"},
                           {"Min", min},
                           {"Max", 9},
                           {"Nyitaskod", 0},
                           {"TSBSNR", "X"}});
    }
    dm->Tblmodul.setFiltered(true);
    EXPECT_EQ(column(dm->Tblmodul, "Min"), Strings{"5"});
}

// ---- after scroll ----

TEST_F(RulesTest, AfterScrollShowsTheSetRowAndTheRecordNumber) {
    std::vector<std::pair<int, std::string>> shown;
    int position = -1;
    rules->hooks.showSizeDependency = [&](int p) { position = p; };
    rules->hooks.showGearVariant = [&](const std::string& g) { shown.emplace_back(position, g); };
    Table& sets = dm->Tblgarnitur;
    sets.setMasterSource(nullptr, "");
    add(sets, {{"Garkod", 1}, {"Modulkod", "A"}, {"Meretkod", 3}, {"Getriebe", 5}});
    add(sets, {{"Garkod", 1}, {"Modulkod", "B"}, {"Meretkod", 12}, {"Getriebe", 14}});
    shown.clear();
    sets.first();
    sets.next();
    EXPECT_EQ(shown, (std::vector<std::pair<int, std::string>>{{3, "05"}, {12, "14"}}));

    std::vector<std::string> panel;
    rules->hooks.searchStatusPanel2 = [&](const std::string& s) { panel.push_back(s); };
    addPart("A1");
    addPart("A2");
    panel.clear();
    dm->Tblarlista.first();
    dm->Tblarlista.next();
    EXPECT_EQ(panel, (Strings{" Aktuális rekord: 1", " Aktuális rekord: 2"}));
}

// ---- partial summary ----

TEST_F(RulesTest, PartialSummaryBookkeeping) {
    int totals = 0;
    rules->hooks.Reszosszeg = [&] { ++totals; };
    Table& p = dm->Tblreszossz;
    add(p, {{"BSNR", "B"}, {"Darab", 1}});
    add(p, {{"BSNR", "D"}, {"Darab", 1}});
    p.first();
    p.insert();
    EXPECT_TRUE(dm->Ujsor);
    p.fieldByName("BSNR").setAsString("A");
    dm->Reszfrissit = true;
    p.post();
    EXPECT_EQ(p.fieldByName("BSNR").asString(), "D"); // moved to the last row
    EXPECT_FALSE(dm->Ujsor);
    EXPECT_FALSE(dm->Reszfrissit);
    EXPECT_EQ(totals, 1);
    // an edit is not a new row and does not move; without the mark no refresh
    p.first();
    p.edit();
    p.fieldByName("Darab").setAsInteger(7);
    p.post();
    EXPECT_EQ(p.fieldByName("BSNR").asString(), "A");
    EXPECT_EQ(totals, 1);
    // a move after the insert clears the mark
    p.insert();
    p.cancel();
    EXPECT_TRUE(dm->Ujsor);
    p.next();
    EXPECT_FALSE(dm->Ujsor);

    add(dm->tblkigyujt, {{"BSNR", "A"}, {"Darab", 1}});
    dm->Osszvaltozott = false;
    dm->tblkigyujt.edit();
    EXPECT_TRUE(dm->Osszvaltozott);
    dm->tblkigyujt.cancel();
}

// ---- profile tables ----

TEST_F(RulesTest, ConverterRowsAddAndRemoveDataSheetRows) {
    for (int i = 0; i < 63; ++i) { // profiles 1 to 63, among them the wood profiles 62 and 63
        add(dm->Tblprofineve, {{"Nev", "P" + std::to_string(i)}});
    }
    setTarolo("Profil", 2);
    dm->tblprofildat.open();
    auto convRow = [&](int sorsz, const char* rehau) {
        dm->Ujsor = true;
        add(dm->Tblprofil, {{"Sorsz", sorsz},
                            {"REHAU", rehau},
                            {"Megnevezes", "m"},
                            {"Nemet", "n"},
                            {"Szerb", "s"}});
    };
    convRow(5, "R5");
    EXPECT_FALSE(dm->Ujsor);
    rules->state.uj = "NEW";
    convRow(3, "R3"); // posted before the last row: the sheet rows are the posted row's
    auto sheet = [&] {
        std::vector<std::tuple<int64_t, int64_t, std::string>> rows;
        Table& t = dm->profil;
        t.open();
        for (t.first(); !t.eof(); t.next()) {
            rows.emplace_back(t.fieldByName("Ind").asInteger(), t.fieldByName("Sorsz").asInteger(),
                              t.fieldByName("Bsnr").asString());
        }
        t.close();
        return rows;
    };
    auto rows = sheet();
    ASSERT_EQ(rows.size(), 126u); // every profile, whatever the profile list shows
    size_t star = 0, fresh = 0;
    for (const auto& [ind, sorsz, bsnr] : rows) {
        if (sorsz == 5) {
            star += bsnr == "*";
        } else if (sorsz == 3) {
            fresh += bsnr == "NEW";
        }
    }
    EXPECT_EQ(star, 63u);
    EXPECT_EQ(fresh, 63u);
    EXPECT_EQ(dm->tblprofildat.recordCount(), 2); // the data sheet of profile 2
    EXPECT_EQ(dm->tblprofildat.fieldByName("Sorsz").asInteger(), 3);

    // a row posted without the mark adds nothing
    add(dm->Tblprofil,
        {{"Sorsz", 8}, {"REHAU", "R8"}, {"Megnevezes", "m"}, {"Nemet", "n"}, {"Szerb", "s"}});
    EXPECT_EQ(sheet().size(), 126u);

    // deleting a converter row removes its sheet rows of every profile
    ASSERT_TRUE(dm->Tblprofil.locate("Sorsz", 5));
    dm->Tblprofil.deleteRecord();
    rows = sheet();
    EXPECT_EQ(rows.size(), 63u);
    for (const auto& r : rows) {
        EXPECT_EQ(std::get<1>(r), 3);
    }
    EXPECT_EQ(dm->tblprofildat.masterSource(), &dm->Tbltarol);
    EXPECT_EQ(dm->tblprofildat.recordCount(), 1);

    // deleting a profile name removes that profile's sheet, not the current profile's
    ASSERT_TRUE(dm->Tblprofineve.locate("Sorsz", 7));
    dm->Tblprofineve.deleteRecord();
    rows = sheet();
    EXPECT_EQ(rows.size(), 62u);
    for (const auto& r : rows) {
        EXPECT_NE(std::get<0>(r), 7);
    }
    EXPECT_EQ(dm->tblprofildat.recordCount(), 1);
    ASSERT_TRUE(dm->Tblprofineve.locate("Sorsz", 2));
    dm->Tblprofineve.deleteRecord();
    EXPECT_EQ(dm->tblprofildat.recordCount(), 0);
    EXPECT_EQ(sheet().size(), 61u);
}

// ---- goods receipt ----

TEST_F(RulesTest, GoodsReceiptRefusesUnknownPartsAndShowsTheCount) {
    addPart("A1");
    addPart("A2");
    dm->Tblarlista.setFiltered(true);
    rules->state.EACSOP = "9"; // the price list window's filter does not hide the part
    dm->Tblarlista.refilter();
    int focus = 0;
    Strings panel;
    rules->hooks.focusGoodsReceiptGrid = [&] { ++focus; };
    rules->hooks.goodsReceiptStatusPanel1 = [&](const std::string& s) { panel.push_back(s); };
    Table& m = dm->Tblmanual;
    m.open();
    m.append();
    m.fieldByName("BSNR").setAsString("NOPE");
    EXPECT_THROW(m.post(), Abort);
    EXPECT_EQ(messages.texts(), Strings{"Hibás kód! NOPE"});
    EXPECT_EQ(m.state(), DataSetState::Browse);
    EXPECT_TRUE(m.isEmpty());
    messages.clear();
    for (const char* part : {"A1", "A2"}) {
        m.append();
        m.fieldByName("BSNR").setAsString(part);
        m.post();
    }
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(m.recordCount(), 2);
    m.first();
    m.deleteRecord();
    EXPECT_EQ(m.recordCount(), 1);
    EXPECT_EQ(focus, 4);
    EXPECT_EQ(panel, (Strings{"Recordok száma: 0", "Recordok száma: 0", "Recordok száma: 1",
                              "Recordok száma: 1"}));
}

TEST_F(RulesTest, DetachingLeavesTheHandlesWithoutRules) {
    rules.reset();
    for (Table* t : dm->handles()) {
        EXPECT_FALSE(t->onPostError) << t->name();
        EXPECT_FALSE(t->onFilterRecord) << t->name();
        EXPECT_FALSE(t->beforeDelete) << t->name();
    }
}

} // namespace
