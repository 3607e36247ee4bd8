#include "store/engine/collate.h"
#include "store/engine/paradox.h"
#include "store/engine/query.h"
#include "store/engine/table_file.h"
#include "test_support.h"

#include <fstream>
#include <random>
#include <sqlite3.h>

using namespace store;
using testsupport::StoreTest;

namespace {

std::vector<std::string> column(Table& t, const std::string& field) {
    std::vector<std::string> out;
    for (t.first(); !t.eof(); t.next()) {
        out.push_back(t.fieldByName(field).asString());
    }
    return out;
}

class PartsTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        create("arlista",
               {{"BSNR", FieldType::Text, 15, true},
                {"BEZEICHN", FieldType::Text, 50, true, Value("Magyar")},
                {"PE", FieldType::Int32, 0, true, Value(1)},
                {"PREIS", FieldType::Float, 0, true, Value(0.0)},
                {"Grupp", FieldType::Int32}},
               {{"bsnrindex", {"BSNR"}, true}, {"nev", {"BEZEICHN"}, false, true}});
        create("rabat", {{"PG", FieldType::Int32}, {"alias", FieldType::Text, 3}},
               {{"PGindex", {"PG"}, true}});
        auto a = handle("arlista");
        a->open();
        add(*a, {{"BSNR", "300"}, {"BEZEICHN", "Zsanér"}, {"PREIS", 2.5}, {"Grupp", 1}});
        add(*a, {{"BSNR", "100"}, {"BEZEICHN", "ablakkilincs"}, {"PREIS", 10.0}, {"Grupp", 2}});
        add(*a, {{"BSNR", "200"}, {"BEZEICHN", "Csavar"}, {"PREIS", 0.25}, {"Grupp", 9}});
        add(*a, {{"BSNR", "400"}, {"BEZEICHN", "Ácskapocs"}, {"PREIS", 1.0}, {"Grupp", 1}});
        auto r = handle("rabat");
        r->open();
        add(*r, {{"PG", 1}, {"alias", "AB"}});
        add(*r, {{"PG", 2}, {"alias", "CD"}});
    }
};

} // namespace

TEST(Collate, HungarianAlphabet) {
    struct Case {
        const char* a;
        const char* b;
        int expected; // sign of collate(a, b)
        bool ci;
    };
    const Case cases[] = {
        {"cukor", "csak", -1, false},                          // cs is a letter after c
        {"ablak", "ács", -1, false},                           // a and á are one letter: "b" < "c"
        {"kor", "kór", -1, false},                             // same letters: the unaccented first
        {"ott", "öt", -1, false},                              // ö after o
        {"őz", "öz", 1, false},                                // ő after ö at the second level
        {"ütő", "uzsonna", 1, false},                          // ü after u
        {"zsák", "zuhany", 1, false},                          // zs after z
        {"kassza", "kasza", 1, false},                         // ssz = sz + sz
        {"nyúl", "nulla", 1, false},                           // ny after n
        {"Alma", "alma", 1, false},                            // case decides last, lower first
        {"Alma", "alma", 0, true},                             // ... and not at all without case
        {"ÁRVÍZ", "árvíz", 0, true},   {"12", "A", -1, false}, // digits before letters
        {" x", "0", -1, false},                                // blanks before digits
        {"čaša", "casa", 1, false}, // other accents sort with their letter
        {"abc", "abc", 0, false},
    };
    for (const auto& c : cases) {
        const int r = collate(c.a, c.b, c.ci);
        EXPECT_EQ((r > 0) - (r < 0), c.expected) << c.a << " vs " << c.b;
        const int back = collate(c.b, c.a, c.ci);
        EXPECT_EQ((back > 0) - (back < 0), -c.expected) << c.b << " vs " << c.a;
    }
}

TEST_F(PartsTest, FieldsDefaultsRequiredAndCapacity) {
    auto t = handle("arlista");
    t->open();
    EXPECT_EQ(t->fieldNames(),
              (std::vector<std::string>{"BSNR", "BEZEICHN", "PE", "PREIS", "Grupp"}));
    t->append();
    EXPECT_EQ(t->fieldByName("BEZEICHN").asString(), "Magyar");
    EXPECT_EQ(t->fieldByName("pe").asInteger(), 1); // names match without case
    // a required field left empty refuses the post with the engine's code
    int code = 0;
    t->onPostError = [&](DataSet&, const EngineError& e) {
        code = e.code();
        return ErrorAction::Fail;
    };
    EXPECT_THROW(t->post(), EngineError);
    EXPECT_EQ(code, errc::RequiredField);
    EXPECT_EQ(t->state(), DataSetState::Insert); // left in insert state
    // a longer text is cut to the capacity, counted in characters
    t->fieldByName("BSNR").setAsString("ŐŐŐŐŐŐŐŐŐŐŐŐŐŐŐŐŐŐ");
    EXPECT_EQ(t->fieldByName("BSNR").asString(), "ŐŐŐŐŐŐŐŐŐŐŐŐŐŐŐ");
    EXPECT_THROW(t->fieldByName("PE").setAsString("sok"), EngineError);
    t->fieldByName("PREIS").setAsString("12,5");
    t->post();
    EXPECT_DOUBLE_EQ(t->fieldByName("PREIS").asFloat(), 12.5);
    EXPECT_EQ(t->fieldByName("PREIS").asString(), "12,5");
}

TEST_F(PartsTest, NavigationOrdersAndBookmarks) {
    auto t = handle("arlista");
    t->open();
    EXPECT_EQ(column(*t, "BSNR"), (std::vector<std::string>{"100", "200", "300", "400"}));
    t->first();
    EXPECT_TRUE(t->bof());
    EXPECT_FALSE(t->eof());
    t->prior();
    EXPECT_TRUE(t->bof());
    EXPECT_EQ(t->recNo(), 1);
    t->last();
    EXPECT_TRUE(t->eof());
    EXPECT_EQ(t->recNo(), 4);
    EXPECT_EQ(t->recordCount(), 4);
    t->setRecNo(2);
    const Bookmark b = t->bookmark();
    t->first();
    t->gotoBookmark(b);
    EXPECT_EQ(t->fieldByName("BSNR").asString(), "200");

    t->setIndexName("nev"); // case-insensitive, Hungarian order; the current record is kept
    EXPECT_EQ(t->fieldByName("BSNR").asString(), "200");
    EXPECT_EQ(column(*t, "BEZEICHN"),
              (std::vector<std::string>{"ablakkilincs", "Ácskapocs", "Csavar", "Zsanér"}));
    EXPECT_TRUE(t->findKey({Value("CSAVAR")}));
    EXPECT_EQ(t->fieldByName("BSNR").asString(), "200");
    EXPECT_FALSE(t->findKey({Value("csavarhúzó")}));
    EXPECT_EQ(t->fieldByName("BSNR").asString(), "200"); // not found: no move
    t->findNearest({Value("b")});
    EXPECT_EQ(t->fieldByName("BEZEICHN").asString(), "Csavar"); // "b" < "Cs" (c < cs)
    t->findNearest({Value("zsz")});                             // zs is the last letter
    EXPECT_TRUE(t->eof());

    t->setIndexFieldNames("BSNR");
    EXPECT_TRUE(t->findKey({Value("300")}));
    EXPECT_THROW(t->setIndexFieldNames("PREIS"), EngineError); // no such index
    EXPECT_THROW(t->addIndex("nev", "PREIS"), EngineError);    // an existing name fails
    t->addIndex("ar", "PREIS");
    t->setIndexName("ar");
    EXPECT_EQ(column(*t, "BSNR"), (std::vector<std::string>{"200", "400", "300", "100"}));
}

TEST_F(PartsTest, FilterHidesRecordsFromNavigationAndSearch) {
    auto t = handle("arlista");
    t->open();
    int wanted = 1;
    t->onFilterRecord = [&](DataSet& d) { return d.fieldByName("Grupp").asInteger() == wanted; };
    t->setFiltered(true);
    EXPECT_EQ(column(*t, "BSNR"), (std::vector<std::string>{"300", "400"}));
    EXPECT_FALSE(t->findKey({Value("100")})); // hidden
    EXPECT_TRUE(t->findKey({Value("400")}));
    wanted = 77;
    t->refilter();
    EXPECT_TRUE(t->isEmpty());
    EXPECT_TRUE(t->eof());
    EXPECT_TRUE(t->bof());
    EXPECT_EQ(t->recordCount(), 0);
    t->setFiltered(false);
    EXPECT_EQ(t->recordCount(), 4);
}

TEST_F(PartsTest, HandlesShareOneLiveState) {
    auto a = handle("arlista", "a");
    auto b = handle("arlista", "b");
    a->open();
    b->open();
    ASSERT_TRUE(b->findKey({Value("200")}));
    ASSERT_TRUE(a->findKey({Value("200")}));
    a->edit();
    a->fieldByName("PREIS").setAsFloat(9.75);
    a->post();
    EXPECT_DOUBLE_EQ(b->fieldByName("PREIS").asFloat(), 9.75);
    add(*a, {{"BSNR", "050"}, {"BEZEICHN", "Új"}});
    EXPECT_EQ(b->recordCount(), 5);
    EXPECT_EQ(b->fieldByName("BSNR").asString(), "200"); // b stays where it was
    a->deleteRecord();
    EXPECT_EQ(b->recordCount(), 4);
}

TEST_F(PartsTest, MovingAwayPostsAndKeyViolationAborts) {
    auto t = handle("arlista", "Tblarlista");
    t->open();
    t->findKey({Value("100")});
    t->edit();
    t->fieldByName("PE").setAsInteger(5);
    t->next(); // posts
    EXPECT_EQ(t->state(), DataSetState::Browse);
    EXPECT_TRUE(t->findKey({Value("100")}));
    EXPECT_EQ(t->fieldByName("PE").asInteger(), 5);

    std::vector<std::string> said;
    t->onPostError = [&](DataSet& d, const EngineError& e) {
        if (e.code() == errc::KeyViolation) {
            said.push_back(d.name() + " Már létezik az alkatrész a listában!");
            d.cancel();
            return ErrorAction::Abort;
        }
        return ErrorAction::Fail;
    };
    t->append();
    t->fieldByName("BSNR").setAsString("300");
    EXPECT_THROW(t->post(), Abort);
    EXPECT_EQ(said, std::vector<std::string>{"Tblarlista Már létezik az alkatrész a listában!"});
    EXPECT_EQ(t->recordCount(), 4);

    // an unchanged new record is dropped when the cursor moves on
    t->append();
    t->first();
    EXPECT_EQ(t->recordCount(), 4);
}

TEST_F(PartsTest, LookupAndCalculatedFieldsFollowTheirTables) {
    create("osszesit", {{"BSNR", FieldType::Text, 15}, {"Darab", FieldType::Int32, 0, false, 0}},
           {{"bsnrindex", {"BSNR"}, true}});
    auto s = handle("osszesit");
    s->addLookupField(
        {"Megnevezes", FieldType::Text, 50, {"BSNR"}, {{"", "arlista", {"BSNR"}, "BEZEICHN"}}});
    s->addLookupField({"WG",
                       FieldType::Text,
                       2,
                       {"BSNR"},
                       {{"", "arlista", {"BSNR"}, "Grupp"}, {"", "rabat", {"PG"}, "alias"}}});
    s->addCalcField({"ar", FieldType::Float});
    int calcs = 0;
    s->onCalcFields = [&](DataSet& d) {
        ++calcs;
        d.fieldByName("ar").setAsFloat(d.fieldByName("Darab").asFloat() * 2.0);
    };
    s->open();
    add(*s, {{"BSNR", "100"}, {"Darab", 3}});
    add(*s, {{"BSNR", "200"}, {"Darab", 1}});
    add(*s, {{"BSNR", "999"}, {"Darab", 1}});
    s->first();
    EXPECT_EQ(s->fieldByName("Megnevezes").asString(), "ablakkilincs");
    EXPECT_EQ(s->fieldByName("WG").asString(), "CD");
    EXPECT_DOUBLE_EQ(s->fieldByName("ar").asFloat(), 6.0);
    s->next();
    EXPECT_EQ(s->fieldByName("WG").asString(), ""); // group 9 is not in rabat
    s->next();
    EXPECT_EQ(s->fieldByName("Megnevezes").asString(), ""); // no such part
    EXPECT_TRUE(s->fieldByName("Megnevezes").isNull());

    // a change of a looked-up table shows at once
    auto a = handle("arlista");
    a->open();
    a->findKey({Value("100")});
    a->edit();
    a->fieldByName("BEZEICHN").setAsString("Kilincs fehér");
    a->post();
    EXPECT_EQ(s->rowValue(0, s->fieldByName("Megnevezes").index()).textValue(), "Kilincs fehér");
    EXPECT_DOUBLE_EQ(s->rowValue(0, s->fieldByName("ar").index()).floatValue(), 6.0);
    EXPECT_THROW(s->fieldByName("ar").setAsFloat(1), EngineError); // only the calc event writes
    EXPECT_GT(calcs, 0);
}

TEST_F(PartsTest, DetailFollowsItsMaster) {
    create("garnitura",
           {{"Garkod", FieldType::Int32, 0, true}, {"Modulkod", FieldType::Text, 7, true}},
           {{"", {"Garkod", "Modulkod"}, true}});
    create("tarolo", {{"Kod", FieldType::Int32}, {"Vezkod", FieldType::Int32, 0, false, 1}});
    auto g = handle("garnitura");
    g->open();
    add(*g, {{"Garkod", 1}, {"Modulkod", "A"}});
    add(*g, {{"Garkod", 2}, {"Modulkod", "B"}});
    add(*g, {{"Garkod", 2}, {"Modulkod", "C"}});
    g->close();

    auto tarolo = handle("tarolo");
    tarolo->open();
    tarolo->append();
    tarolo->post();
    auto detail = handle("garnitura", "Tblgarnitur");
    detail->setIndexFieldNames("Garkod");
    detail->setMasterSource(tarolo.get(), "Vezkod");
    int scrolls = 0;
    detail->afterScroll = [&](DataSet&) { ++scrolls; };
    detail->open();
    EXPECT_EQ(column(*detail, "Modulkod"), std::vector<std::string>{"A"});
    tarolo->edit();
    tarolo->fieldByName("Vezkod").setAsInteger(2); // follows the change before the post
    EXPECT_EQ(column(*detail, "Modulkod"), (std::vector<std::string>{"B", "C"}));
    tarolo->post();
    // a change of another master field leaves the detail where it stands
    detail->last();
    tarolo->edit();
    tarolo->fieldByName("Kod").setAsInteger(7);
    EXPECT_EQ(detail->fieldByName("Modulkod").asString(), "C");
    tarolo->post();
    detail->append(); // a new detail record takes the master's value
    detail->fieldByName("Modulkod").setAsString("D");
    detail->post();
    EXPECT_EQ(column(*detail, "Modulkod"), (std::vector<std::string>{"B", "C", "D"}));
    tarolo->edit();
    tarolo->fieldByName("Vezkod").setAsInteger(5);
    tarolo->post();
    EXPECT_TRUE(detail->isEmpty());
    EXPECT_TRUE(detail->eof());
    EXPECT_GT(scrolls, 0);
    // unlinked and linked again while open
    detail->setMasterSource(nullptr, "");
    EXPECT_EQ(detail->recordCount(), 4);
    detail->setMasterSource(tarolo.get(), "Vezkod");
    EXPECT_TRUE(detail->isEmpty());
}

TEST_F(PartsTest, DeleteOfAReferencedRecordIsRefused) {
    create("vevo", {{"Vevokod", FieldType::Text, 8, true}}, {{"", {"Vevokod"}, true}});
    create("Rkapcs", {{"Vevokod", FieldType::Text, 8}, {"Rszam", FieldType::AutoInc}});
    session.declareReference({"vevo", {"Vevokod"}, "Rkapcs", {"Vevokod"}});
    auto v = handle("vevo");
    v->open();
    add(*v, {{"Vevokod", "K1"}});
    add(*v, {{"Vevokod", "K2"}});
    auto r = handle("Rkapcs");
    r->open();
    add(*r, {{"Vevokod", "K1"}});
    add(*r, {{"Vevokod", "K1"}});
    r->last();
    EXPECT_EQ(r->fieldByName("Rszam").asInteger(), 2); // numbered on insert
    EXPECT_THROW(r->fieldByName("Rszam").setAsInteger(7), EngineError);

    int code = 0;
    v->onDeleteError = [&](DataSet&, const EngineError& e) {
        code = e.code();
        return ErrorAction::Abort;
    };
    v->first();
    EXPECT_THROW(v->deleteRecord(), Abort);
    EXPECT_EQ(code, errc::DetailRecordsExist);
    EXPECT_EQ(v->recordCount(), 2);
    v->last();
    v->deleteRecord(); // K2 has no orders
    EXPECT_EQ(v->recordCount(), 1);

    // an autoinc number is never given twice, not even after the last record went away
    r->last();
    r->deleteRecord();
    add(*r, {{"Vevokod", "K1"}});
    r->last();
    EXPECT_EQ(r->fieldByName("Rszam").asInteger(), 3);
}

TEST_F(PartsTest, SuspendedStretchCommitsOnceWhenResumed) {
    auto t = handle("arlista");
    t->open();
    auto countOnDisk = [&] {
        sqlite3* db = nullptr;
        sqlite3_open_v2((dir / "arlista.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT count(*) FROM arlista", -1, &st, nullptr);
        sqlite3_step(st);
        const int n = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
        sqlite3_close(db);
        return n;
    };
    int notified = 0;
    struct Obs : DataSetObserver {
        int* n;
        void dataSetChanged(DataSet&) override { ++*n; }
    } obs;
    obs.n = &notified;
    t->addObserver(&obs);
    {
        ControlsDisabled guard(*t);
        EXPECT_TRUE(t->controlsDisabled());
        for (int i = 0; i < 50; ++i) {
            add(*t, {{"BSNR", "X" + std::to_string(i)}});
        }
        EXPECT_EQ(countOnDisk(), 4); // not yet committed
        EXPECT_EQ(notified, 0);      // bound controls were not told
    }
    EXPECT_EQ(countOnDisk(), 54);
    EXPECT_EQ(notified, 1);
    t->removeObserver(&obs);
}

TEST_F(PartsTest, EmptyTableAndLocalSql) {
    Query q(session, "q1");
    q.setAlias("diploma");
    q.setSql(
        "select BSNR, BEZEICHN, PREIS * :szorzo as ertek from arlista "
        "inner join rabat on arlista.Grupp = rabat.PG where BEZEICHN like :minta order by BSNR");
    q.setParam(":szorzo", 2.0);
    q.setParam("minta", "%KAPOCS%"); // LIKE ignores case, accented letters too
    q.open();
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q.fieldByName("BSNR").asString(), "400");
    EXPECT_EQ(q.fieldByName("BSNR").type(), FieldType::Text);
    EXPECT_DOUBLE_EQ(q.fieldByName("ertek").asFloat(), 2.0);
    EXPECT_THROW(q.edit(), EngineError);
    q.close();
    q.setSql("delete from arlista");
    EXPECT_THROW(q.open(), EngineError);

    auto t = handle("arlista");
    t->emptyTable(); // on a closed handle
    t->open();
    EXPECT_TRUE(t->isEmpty());
}

TEST_F(StoreTest, AliasesAndTableFileNames) {
    std::filesystem::create_directories(dir / "prog" / "adatok");
    std::ofstream(dir / "prog" / "aliases.ini") << "# demo\ndiploma=adatok\ndata = adatok\n";
    Session s;
    s.loadAliases(dir / "prog" / "aliases.ini");
    const auto params = s.aliasParams("diploma");
    ASSERT_FALSE(params.empty());
    EXPECT_EQ(params[0], "PATH=" + (dir / "prog" / "adatok").string());
    // the program cuts its folders from it: the last six characters are the data folder, the
    // rest after "PATH=" is the program directory with its separator
    EXPECT_EQ(params[0].substr(params[0].size() - 6), "adatok");
    EXPECT_EQ(params[0].substr(5, params[0].size() - 11),
              (dir / "prog").string() + std::string(1, std::filesystem::path::preferred_separator));
    EXPECT_THROW(s.aliasParams("nincs"), EngineError);

    TableSchema sc;
    sc.tableName = "tipus";
    sc.fields = {{"Tipuskod", FieldType::Int32}};
    s.createTable(dir / "prog" / "adatok" / "tipus.DB", sc);
    Table t(s, "tbltipus");
    t.setAlias("diploma");
    t.setTableName("TIPUS.db"); // matched without regard to case
    t.open();
    EXPECT_TRUE(t.isEmpty());
    EXPECT_THROW(t.setTableName("x"), EngineError); // only while closed
    t.close();
    t.setTableName("missing.db");
    EXPECT_THROW(t.open(), EngineError);
}

TEST_F(StoreTest, ParadoxTableIsReadAndConvertedOnItsFirstChange) {
    const std::vector<FieldDef> fields = {{"BSNR", FieldType::Text, 15},
                                          {"BEZEICHN", FieldType::Text, 50},
                                          {"PE", FieldType::Int16},
                                          {"PREIS", FieldType::Float}};
    const std::vector<Row> rows = {
        {Value("200"), Value("Kilincs fehér"), Value(1), Value(12.5)},
        {Value("100"), Value("Ablakszárny ÖŐÜŰ"), Value(10), Value(0.75)}};
    paradox::write(dir / "Arlista.db", fields, rows, 1, 1250);

    auto t = handle("Arlista", "tblfar");
    t->open();
    EXPECT_EQ(t->fieldNames(), (std::vector<std::string>{"BSNR", "BEZEICHN", "PE", "PREIS"}));
    EXPECT_EQ(column(*t, "BSNR"), (std::vector<std::string>{"100", "200"})); // keyed on BSNR
    ASSERT_TRUE(t->findKey({Value("200")}));
    EXPECT_EQ(t->fieldByName("BEZEICHN").asString(), "Kilincs fehér");
    EXPECT_TRUE(paradox::looksLikeParadox(dir / "Arlista.db"));

    t->edit();
    t->fieldByName("PREIS").setAsFloat(13.0);
    t->post();
    EXPECT_TRUE(TableFile::isTableFile(dir / "Arlista.db"));
    EXPECT_TRUE(paradox::looksLikeParadox(dir / "Arlista.db.paradox")); // the original, kept
    t->addIndex("BSNRindex", "BSNR", false, true); // a new primary index takes the old one's place
    t->close();

    auto again = handle("Arlista");
    again->open();
    ASSERT_TRUE(again->findKey({Value("200")}));
    EXPECT_DOUBLE_EQ(again->fieldByName("PREIS").asFloat(), 13.0);
    EXPECT_EQ(again->recordCount(), 2);
    EXPECT_EQ(again->schema().primaryIndex()->name, "BSNRindex");
}

TEST(Collate, QuickPathAgreesWithTheFullOrder) {
    // texts made of the characters where the quick path must hand over: digraph letters,
    // accents, case, digits and blanks
    const std::vector<std::string> pieces = {"c", "s", "z", "d", "g", "y", "n", "a", "á", "o",
                                             "ö", "ő", "A", "S", "Z", "1", "9", " ", "-", "t"};
    std::mt19937 rng(11);
    auto text = [&] {
        std::string s;
        const int len = static_cast<int>(rng() % 6);
        for (int i = 0; i < len; ++i) {
            s += pieces[rng() % pieces.size()];
        }
        return s;
    };
    for (int k = 0; k < 20000; ++k) {
        const std::string a = text();
        const std::string b = text();
        for (bool ci : {false, true}) {
            const int fast = collate(a, b, ci);
            const int full = collateElements(a, b, ci);
            ASSERT_EQ((fast > 0) - (fast < 0), (full > 0) - (full < 0))
                << "'" << a << "' vs '" << b << "' ci=" << ci;
        }
    }
}
