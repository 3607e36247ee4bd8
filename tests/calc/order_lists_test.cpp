#include "calc/order_lists.h"
#include "calc_fixture.h"

using calctest::CalcTest;
using Parts = std::map<std::string, int64_t>;

namespace {

TEST(Totals, GroupingOfTheStatusBarAmounts) {
    struct Case {
        double sum;
        const char* text;
    } cases[] = {{1234567.891, "1 234 567,89"},
                 {1234.5, "1 234,5"},
                 {999, "999"},
                 {1000000000, "1000 000 000"},
                 {0, "0"},
                 {1000, "1 000"},
                 {0.125, "0,12"},
                 {0.135, "0,14"},
                 {-1234.5, "-1 234,5"},
                 {12345.675, "12 345,68"},
                 {100000, "100 000"}};
    for (const auto& c : cases) {
        EXPECT_EQ(calc::totalText(c.sum), c.text) << c.sum;
    }
    EXPECT_EQ(calc::totalText(1234.5, "."), "1 234.5");
}

TEST(Buttons, FollowTheListsAndTheProfileMarks) {
    auto b = calc::buttonStates(true, true, true, true, false);
    EXPECT_FALSE(b.partialRows);
    EXPECT_FALSE(b.orderRows);
    EXPECT_FALSE(b.partialProfile); // nothing to change
    b = calc::buttonStates(false, false, true, false, false);
    EXPECT_TRUE(b.partialRows && b.orderRows && b.partialProfile);
    EXPECT_FALSE(b.orderProfile);
    b = calc::buttonStates(false, false, true, true, true); // "Automatkus váltás"
    EXPECT_FALSE(b.partialProfile || b.orderProfile);
}

class ListsTest : public CalcTest {
protected:
    void SetUp() override {
        CalcTest::SetUp();
        lists = std::make_unique<calc::OrderLists>(*dm, *collection, messages);
    }
    void TearDown() override {
        lists.reset();
        CalcTest::TearDown();
    }
    void fill(store::Table& t, const Parts& rows) {
        if (!t.active()) {
            t.open();
        }
        t.emptyTable();
        for (const auto& [p, n] : rows) {
            add(t, {{"BSNR", p}, {"Darab", n}});
        }
    }
    std::unique_ptr<calc::OrderLists> lists;
};

TEST_F(ListsTest, OsszesitAddsUpDeletesAtZeroAndWritesTheLogOnce) {
    fill(dm->tblkigyujt, {{"A", 2}, {"B", 5}});
    fill(dm->Tblreszossz, {{"A", -2}, {"B", 0}, {"C", 3}});
    setTarolo("KR", false);
    setTarolo("Konv", true);
    collection->Naplozando = true;
    collection->Ujkigyujtes = true;
    std::vector<int> steps;
    lists->progress = [&](int done, int total) { steps.push_back(done * 10 + total); };
    calc::LogRecord log;
    log.Tpus = "Bukó-nyíló ablak";
    log.Rzar = "23";
    lists->Osszesit(log);
    EXPECT_EQ(order(), (Parts{{"B", 5}, {"C", 3}}));
    EXPECT_TRUE(partial().empty());
    EXPECT_EQ(steps, (std::vector<int>{13, 23, 33})); // a row of 0 counts a step too
    dm->tblkigyujt.findKey({store::Value("C")});
    EXPECT_EQ(dm->tblkigyujt.fieldByName("Keszet").asInteger(), 0);
    EXPECT_TRUE(dm->Tbltarol.fieldByName("KR").asBoolean());
    EXPECT_FALSE(dm->Tbltarol.fieldByName("Konv").asBoolean());
    EXPECT_FALSE(collection->Naplozando || collection->Ujkigyujtes);
    ASSERT_EQ(dm->tblnaplo.recordCount(), 1);
    dm->tblnaplo.first();
    EXPECT_EQ(dm->tblnaplo.fieldByName("Tpus").asString(), "Bukó-nyíló ablak");

    fill(dm->Tblreszossz, {{"B", 1}});
    lists->Osszesit(log); // no new window: no log record
    EXPECT_EQ(order(), (Parts{{"B", 6}, {"C", 3}}));
    EXPECT_EQ(dm->tblnaplo.recordCount(), 1);

    // the last order row takes the log with it
    dm->tblkigyujt.first();
    lists->deleteOrderRow();
    EXPECT_EQ(dm->tblnaplo.recordCount(), 1);
    lists->deleteOrderRow();
    EXPECT_TRUE(dm->tblkigyujt.isEmpty());
    EXPECT_EQ(dm->tblnaplo.recordCount(), 0);
}

TEST_F(ListsTest, QuantityChangeByPercent) {
    struct Case {
        const char* answer;
        Parts expected;
    } cases[] = {{"50", {{"A", 4}, {"B", 8}, {"C", 0}}},   // halves to the even neighbour
                 {"-150", {{"A", 0}, {"B", 0}, {"C", 0}}}, // no less than -100 %
                 {"12,5", {{"A", 3}, {"B", 6}, {"C", 0}}},
                 {"0", {{"A", 3}, {"B", 5}, {"C", 0}}}};
    for (const auto& c : cases) {
        fill(dm->Tblreszossz, {{"A", 3}, {"B", 5}, {"C", 0}});
        messages.answerText(c.answer);
        EXPECT_TRUE(lists->changeQuantities()) << c.answer;
        EXPECT_EQ(partial(), c.expected) << c.answer;
    }
    fill(dm->Tblreszossz, {{"A", 3}});
    fill(dm->tblkigyujt, {{"A", 3}});
    messages.answerText("sok");
    EXPECT_FALSE(lists->changeQuantities());
    EXPECT_EQ(messages.shown().back().text, "A megadott érték formailag nem megengedett!");
    messages.answerInputCancelled();
    EXPECT_FALSE(lists->changeQuantities());
    EXPECT_EQ(partial(), (Parts{{"A", 3}}));
    EXPECT_EQ(order(), (Parts{{"A", 3}})); // never the order summary
    EXPECT_EQ(messages.shown().back().caption, "Mennyiség vátoztatás");
}

TEST_F(ListsTest, CartonSplitAndFillUp) {
    group(1, 0);
    part("P23", 1, 1, 1, 10, "K23");
    part("P20", 1, 1, 1, 10, "K20");
    part("P7", 1, 1, 1, 10, "K7");
    part("SAME", 1, 1, 10, 10, "KS");
    part("K23"); // the carton of P23 is also ordered on its own
    part("NEG", 1, 1, 1, 10, "KN");
    fill(dm->tblkigyujt,
         {{"P23", 23}, {"P20", 20}, {"P7", 7}, {"SAME", 23}, {"K23", 1}, {"NEG", -3}});
    collection->Ujkigyujtes = true;
    setTarolo("KR", true);
    lists->cartonSplit();
    EXPECT_EQ(partial(),
              (Parts{{"P23", 3}, {"K23", 3}, {"K20", 2}, {"P7", 7}, {"SAME", 23}, {"NEG", -3}}));
    EXPECT_EQ(order().size(), 6u); // the order summary is not changed
    EXPECT_FALSE(collection->Ujkigyujtes);
    EXPECT_FALSE(dm->Tbltarol.fieldByName("KR").asBoolean());

    lists->roundUpToCartons();
    EXPECT_EQ(order(), (Parts{{"P23", 30},
                              {"P20", 20},
                              {"P7", 10},
                              {"SAME", 23},
                              {"K23", 1},
                              {"NEG", -3}})); // a subtraction is not made an order
}

TEST_F(ListsTest, WholeListDeletionAsksFirst) {
    fill(dm->tblkigyujt, {{"A", 1}});
    fill(dm->Tblreszossz, {{"A", 1}});
    add(dm->tblnaplo, {{"Tpus", "x"}});
    setTarolo("Konv", false);
    messages.answerNo();
    EXPECT_FALSE(lists->deleteOrderList());
    EXPECT_EQ(order().size(), 1u);
    EXPECT_TRUE(dm->Tbltarol.fieldByName("Konv").asBoolean()); // whatever the answer
    messages.answerYes();
    EXPECT_TRUE(lists->deleteOrderList());
    EXPECT_TRUE(order().empty());
    EXPECT_TRUE(dm->tblnaplo.isEmpty());
    messages.answerNo();
    EXPECT_FALSE(lists->deletePartialList());
    EXPECT_EQ(partial().size(), 1u);
    messages.answerYes();
    EXPECT_TRUE(lists->deletePartialList());
    EXPECT_TRUE(partial().empty());
}

TEST_F(ListsTest, TotalsAreTheSumOfTheRows) {
    group(1, 0);
    part("A", 1.5);
    part("B", 2.25);
    setTarolo("Arfolyam", 300);
    fill(dm->tblkigyujt, {{"A", 2}, {"B", 4}});
    const auto t = calc::sumOf(dm->tblkigyujt);
    EXPECT_DOUBLE_EQ(t.euro, 12);
    EXPECT_DOUBLE_EQ(t.forint, 3600);
    EXPECT_EQ(calc::totalText(t.forint), "3 600");
    // the status bar's walk gives the same sums without the row calculation
    EXPECT_EQ(prices->totals(dm->tblkigyujt), (std::pair<double, double>{12, 3600}));
    EXPECT_DOUBLE_EQ(calc::sumOf(dm->tblkigyujt, prices.get()).forint, 3600);
    dm->tblkigyujt.first();
    dm->tblkigyujt.edit(); // an edited row counts with its edited quantity
    dm->tblkigyujt.fieldByName("Darab").setAsInteger(4);
    EXPECT_EQ(prices->totals(dm->tblkigyujt), (std::pair<double, double>{15, 4500}));
    dm->tblkigyujt.post();
    // a price change is seen at once
    addTo("rabat.db", {{"PG", 2}, {"Rab", 50.0}});
    add(dm->Tblarlista, {{"BSNR", "C"},
                         {"BSNR2", "C"},
                         {"ARTIKEL", "C"},
                         {"BEZEICHN", "C"},
                         {"PREIS", 10.0},
                         {"Grupp", 2}});
    add(dm->tblkigyujt, {{"BSNR", "C"}, {"Darab", 1}});
    add(dm->tblkigyujt, {{"BSNR", "LOST"}, {"Darab", 1}});
    EXPECT_EQ(prices->totals(dm->tblkigyujt), (std::pair<double, double>{20, 6000}));
    EXPECT_EQ(prices->removeUnpriceable(), 1);
    EXPECT_EQ(order(), (Parts{{"A", 4}, {"B", 4}, {"C", 1}}));
}

TEST_F(ListsTest, LogRecordOfAWindowWithoutRodLock3) {
    // a type offering only the 15 mm rod lock
    calc::EntryModel entry(
        [](int code) -> std::optional<calc::TypeRecord> {
            return calc::TypeRecord{code, 300, 1600, 300, 2400, 1};
        },
        messages);
    entry.setStoredType(1);
    entry.activate();
    entry.chooseType(1);
    entry.leaveTypeList();
    ASSERT_TRUE(entry.clickRod15(true));
    entry.setWidth("800");
    entry.setHeight("1200");
    const calc::LogRecord r = calc::logRecord(entry, "Bukó-nyíló ablak", false, "");
    EXPECT_FALSE(entry.controls().cb.visible);
    EXPECT_EQ(r.Rzar, "--/ 15");
    EXPECT_EQ(r.Profil, "Rehau");
    EXPECT_EQ(r.Szel, 800);
    EXPECT_EQ(r.Mag, 1200);
    EXPECT_EQ(r.ERab, 0);
    EXPECT_EQ(r.Ts, "--"); // the rail box is checked but hidden for this type
    EXPECT_EQ(calc::logRecord(entry, "x", true, "Veka").Profil, "Veka");
}

} // namespace
