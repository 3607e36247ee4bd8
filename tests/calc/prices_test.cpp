#include "calc_fixture.h"

#include <cmath>

using calctest::CalcTest;

namespace {

TEST(RowPrices, Formulas) {
    struct Case {
        const char* what;
        calc::PartPrice part;
        double N, P;
        calc::PriceSettings s;
        calc::RowPrices expected;
    };
    calc::PartPrice ten;
    ten.PREIS = 10;
    ten.g = 20;
    calc::PartPrice weight;
    weight.Kpreis = 0.15;
    calc::PartPrice second;
    second.PREIS = 10;
    second.Epreis = 4;
    second.PE = 1;
    second.Kpe = 10;
    calc::PartPrice same = second;
    same.Kpe = 1;
    calc::PartPrice customer;
    customer.PREIS = 20;
    customer.Fpreis = 12.5;
    customer.g = 30;
    const std::vector<Case> cases = {
        {"discounts", ten, 3, 1, {10, 0, 260}, {21.6, 5616, 8, 2080, 0}},
        {"weight", weight, 2, 10, {0, 0, 260}, {0, 0, 0, 0, 3}},
        {"second price", second, 1, 1, {0, 0, 1}, {4, 4, 4, 4, 0}},
        {"list price", same, 1, 1, {0, 0, 1}, {10, 10, 10, 10, 0}},
        // a customer price carries no group discount, but the general ones
        {"customer price", customer, 2, 1, {10, 20, 100}, {27, 2700, 12.5, 1250, 0}},
        {"negative quantity", ten, -1, 1, {0, 0, 1}, {-8, -8, 8, 8, 0}},
    };
    for (const auto& c : cases) {
        const auto r = calc::rowPrices(c.part, c.N, c.P, c.s);
        EXPECT_NEAR(r.ar, c.expected.ar, 1e-9) << c.what;
        EXPECT_NEAR(r.ar2, c.expected.ar2, 1e-9) << c.what;
        EXPECT_NEAR(r.ear, c.expected.ear, 1e-9) << c.what;
        EXPECT_NEAR(r.ear2, c.expected.ear2, 1e-9) << c.what;
        EXPECT_NEAR(r.gew, c.expected.gew, 1e-9) << c.what;
    }
}

TEST_F(CalcTest, SummaryRowsShowTheirPricesAndFollowTheSettings) {
    group(1, 20);
    part("P1", 10);
    setTarolo("Grupp1", 10);
    setTarolo("Arfolyam", 260);
    add(dm->Tblreszossz, {{"BSNR", "P1"}, {"Darab", 3}});
    add(dm->tblkigyujt, {{"BSNR", "P1"}, {"Darab", 3}});
    for (store::Table* t : {&dm->Tblreszossz, &dm->tblkigyujt}) {
        t->first();
        EXPECT_NEAR(t->fieldByName("ar").asFloat(), 21.6, 1e-9);
        EXPECT_NEAR(t->fieldByName("ar2").asFloat(), 5616, 1e-9);
        EXPECT_NEAR(t->fieldByName("ear").asFloat(), 8, 1e-9);
        EXPECT_NEAR(t->fieldByName("ear2").asFloat(), 2080, 1e-9);
        // a grid reads the row without moving
        EXPECT_NEAR(t->rowValue(0, t->fieldByName("ar2").index()).floatValue(), 5616, 1e-9);
    }
    setTarolo("Arfolyam", 300);
    setTarolo("Grupp1", 0);
    dm->Tblreszossz.first();
    EXPECT_NEAR(dm->Tblreszossz.fieldByName("ar2").asFloat(), 3 * 8 * 300, 1e-9);

    dm->Tblarlista.open();
    dm->Tblarlista.first();
    EXPECT_NEAR(dm->Tblarlista.fieldByName("ar").asFloat(), 3000, 1e-9);

    add(dm->Tblkeszlet, {{"Bsnr", "P1"}, {"Darab", 2}});
    add(dm->Tblkeszlet, {{"Bsnr", "NOPE"}, {"Darab", 2}});
    dm->Tblkeszlet.first();                                  // in part number order
    EXPECT_TRUE(dm->Tblkeszlet.fieldByName("ar2").isNull()); // no price, no message
    dm->Tblkeszlet.next();
    EXPECT_NEAR(dm->Tblkeszlet.fieldByName("ar2").asFloat(), 2 * 8 * 300, 1e-9);
    EXPECT_EQ(prices->removeUnpriceable(), 0);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(CalcTest, UnpriceableRowsAreReportedOnceLoggedAndRemoved) {
    group(1, 0);
    part("GOOD");
    part("NOGROUP", 1, 7); // its discount group has no record
    for (const char* p : {"GOOD", "MISSING", "NOGROUP"}) {
        add(dm->Tblreszossz, {{"BSNR", p}, {"Darab", 4}});
    }
    int scheduled = 0;
    prices->scheduleRemoval = [&] { ++scheduled; };
    for (int pass = 0; pass < 2; ++pass) { // reading twice reports once
        for (int r = 0; r < dm->Tblreszossz.rowCount(); ++r) {
            dm->Tblreszossz.rowValue(r, dm->Tblreszossz.fieldByName("ar").index());
        }
    }
    EXPECT_EQ(scheduled, 2);
    EXPECT_EQ(prices->removeUnpriceable(), 2);
    EXPECT_EQ(partial(), (std::map<std::string, int64_t>{{"GOOD", 4}}));
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.shown()[0].text, "Tblreszossz:  Hibás BSNR kód!\nMISSING\n  ->  4\n"
                                        "Az alkatrész automatikusan törlődik!");
    ASSERT_EQ(badParts.size(), 2u);
    EXPECT_EQ(badParts[1], "Tblreszossz:  Hibás BSNR kód! NOGROUP   2026.12.11. 9:30:00");

    // the quantity of the order line while an order is copied in
    add(dm->Tblrendel, {{"Rszam", 1}, {"BSNR", "X"}, {"Darab", 9}});
    dm->rendelesbetoltes = true;
    add(dm->tblkigyujt, {{"BSNR", "GONE"}, {"Darab", 1}});
    dm->tblkigyujt.fieldByName("ar").asFloat();
    EXPECT_EQ(prices->removeUnpriceable(), 1);
    EXPECT_EQ(messages.shown().back().text,
              "tblkigyujt:  Hibás BSNR kód!\nGONE\n  ->  9\nAz alkatrész automatikusan törlődik!");
    EXPECT_TRUE(dm->tblkigyujt.isEmpty());
}

} // namespace
