// The order summary report on the data module's summaries: its blocks, columns, masks and
// totals, and every element the callers change at run time.
#include "report_support.h"
#include "reports/layouts/order_summary.h"
#include "store/format/format.h"

using namespace reports;
using namespace reports::engine;
using reportsupport::add;
using reportsupport::readingOrder;
using reportsupport::textsOf;

namespace {

using reportsupport::kParts;

class OrderSummaryTest : public reportsupport::ReportTest {
protected:
    void SetUp() override {
        ReportTest::SetUp();
        settings(400);
        parts(kParts);
        auto& k = dm->tblkigyujt;
        k.open();
        add(k, {{"BSNR", "530612"}, {"Darab", 4}});
        add(k, {{"BSNR", "201455"}, {"Darab", 2}});
        add(k, {{"BSNR", "400101"}, {"Darab", 3}});
        priceRows(k, 400);
        frm.bind(k);
        frm.bindSettings(dm->Tbltarol);
        frm.setExchangeRate(400);
    }

    // the texts of detail line `row` (0-based) from left to right
    std::vector<std::string> line(const Page& p, size_t row) {
        std::vector<std::string> out;
        for (const char* n : {"QRSysData1", "QRDBText1", "QRDBText9", "QRDBText3", "QRDBText4",
                              "QRDBText5", "QRDBRendeles", "QRDBText6"}) {
            const auto t = p.texts(n);
            out.push_back(row < t.size() ? t[row]->text : "<none>");
        }
        return out;
    }

    TFrmqrosszesit frm;
};

} // namespace

TEST_F(OrderSummaryTest, PrintsTheOrderWithItsBlocksColumnsAndTotals) {
    frm.setVersion("Verzió: 25.12.1");
    frm.setInstallDate(store::Date{2025, 1, 15});
    frm.setFooterLines({"Demó Kft.", "Tel.: 555-0142"});
    WindowDescription w;
    w.type = "Bukó-nyíló ablak, Normal";
    w.size = WindowDescription::sizeText(1230, 1480, 740);
    w.material = "Műanyag - Rehau 730";
    w.opening = "Jobb";
    w.colour = "Fehér";
    w.quantity = WindowDescription::quantityText(2);
    w.picture = dir / "icon" / "10.bmp";
    frm.setWindow(w);
    frm.setCustomer({"Minta Bt.", "Árajánlat", "R-2026/17", {"Szállítás csütörtökön."}});
    frm.setPriceColumn(PriceColumn::UnitPrice, Language::Magyar);

    const Document doc = layout(frm.QRposszesit);
    EXPECT_EQ(doc.title, "Dirurar összesítő");
    ASSERT_EQ(doc.pages.size(), 1u);
    const Page& p = doc.pages[0];
    const double x0 = mmToUnits(10);

    // the page header, left and right block, in reading order
    const std::vector<std::string> header = {
        "Verzió: 25.12.1", "Installálás:", "2025.01.15.", "Alkatrész lista",
        "Bukó-nyíló ablak, Normal", "Árajánlat", "1230 x 1480 x 740 mm", "Műanyag - Rehau 730",
        "Jobb", "Fehér", "2 db ", "Megrendelő:", "Minta Bt.", "Rendelési szám: ", "R-2026/17",
        // title band
        "Árfolyam:", "400", "2026.03.09.",
        // column header
        "Megnevezés", "Cs.E.", "BSNR", "Mennyiség", "Ár (Euro)", "Ár/db(Ft)", "Ár (Ft)"};
    const auto order = readingOrder(p);
    ASSERT_GE(order.size(), header.size());
    EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + header.size()), header);

    struct Place {
        const char* name;
        double left;
    } places[] = {{"qver", 8},       {"Qinst", 56},        {"Alkatrész lista", 48},
                  {"lajanlat", 49},  {"Megrendelő:", 126}, {"lvevo", 232},
                  {"Qtipus", 530},   {"Qszel", 552},       {"Qszin", 532},
                  {"qdarab", 586},   {"QRDBText2", 120},   {"QRSysData2", 624},
                  {"QRLabel2", 580}, {"Ár (Ft)", 668},     {"Lap:", 615}};
    for (const Place& pl : places) {
        ASSERT_NE(p.text(pl.name), nullptr) << pl.name;
        EXPECT_NEAR(p.text(pl.name)->rect.x, x0 + pl.left, 1e-9) << pl.name;
    }
    EXPECT_TRUE(p.text("Alkatrész lista")->font.bold && p.text("Alkatrész lista")->font.underline);
    EXPECT_EQ(p.text("Alkatrész lista")->font.size, 14);
    EXPECT_EQ(p.text("qver")->font.family, kArialNarrow);

    // one line per row in the order of the part number index, with the masks of the columns
    EXPECT_EQ(line(p, 0), (std::vector<std::string>{"1", "Olló 600 mm", "1", "201455", "2", "29,60",
                                                    "5 920", "11 840"}));
    EXPECT_EQ(line(p, 1), (std::vector<std::string>{"2", "Csavar 4x35", "100", "400101", "3",
                                                    "3,60", "5", "1 440"}));
    EXPECT_EQ(line(p, 2), (std::vector<std::string>{"3", "Gombás zárólemez jobb", "1", "530612",
                                                    "4", "7,80", "780", "3 120"}));
    struct Column {
        const char* name;
        double left, width;
        Align align;
        const char* mask;
    } columns[] = {{"QRSysData1", -18, 43, Align::Right, ""},
                   {"QRDBText1", 40, 200, Align::Left, ""},
                   {"QRDBText9", 282, 28, Align::Right, "######"},
                   {"QRDBText3", 324, 86, Align::Left, ""},
                   {"QRDBText4", 414, 56, Align::Right, "### ###"},
                   {"QRDBText5", 460, 71, Align::Right, "### ##0.00"},
                   {"QRDBRendeles", 594, 40, Align::Right, "# ### ###"},
                   {"QRDBText6", 638, 79, Align::Right, "### ###"}};
    const double lineTop = p.texts("QRDBText1")[1]->rect.y;
    for (const Column& c : columns) {
        SCOPED_TRACE(c.name);
        const TextItem* t = p.texts(c.name)[1];
        EXPECT_NEAR(t->rect.x, x0 + c.left, 1e-9);
        EXPECT_NEAR(t->rect.w, c.width, 1e-9);
        EXPECT_EQ(t->align, c.align);
        EXPECT_EQ(t->font, (Font{kArialNarrow, 9}));
        EXPECT_EQ(t->rect.y, lineTop);
        EXPECT_EQ(frm.QRposszesit.element(c.name).mask, c.mask);
    }
    EXPECT_NEAR(p.texts("QRDBText1")[1]->rect.y - p.texts("QRDBText1")[0]->rect.y, 20, 1e-9);

    // totals: 41 euro, 16 400 forint, 2.32 kg; then the notes and the footer
    EXPECT_EQ(frm.QRposszesit.element("QRExpr1").expression, "SUM(tblkigyujt.ar)");
    const std::vector<std::string> rest = {"41",
                                           "16 400",
                                           "+ Áfa",
                                           "2,32",
                                           "Kg",
                                           "Szállítás csütörtökön.",
                                           "Demó Kft.",
                                           "Tel.: 555-0142",
                                           "A megadott árak nettó árak,  Áfa-t nem tartalmaznak! ",
                                           "Lap:",
                                           "1"};
    EXPECT_EQ(std::vector<std::string>(order.end() - static_cast<long>(rest.size()), order.end()),
              rest);
    EXPECT_NEAR(p.text("QRExpr1")->rect.right(), x0 + 397 + 138, 1e-9);
    EXPECT_NEAR(p.text("QRExpr2")->rect.right(), x0 + 622 + 81, 1e-9);
    // the bands follow each other: detail, summary (153 high), its child with the notes
    EXPECT_NEAR(p.text("QRExpr1")->rect.y, p.texts("QRDBText1")[2]->rect.y - 3 + 20 + 6, 1e-9);
    EXPECT_NEAR(p.text("qmemo")->rect.y, p.text("QRExpr1")->rect.y - 6 + 153 + 4, 1e-9);
    // the footer sits at the foot of the page
    EXPECT_NEAR(p.text("QRMemo1")->rect.y, doc.pageHeight() - mmToUnits(10) - 104 + 4, 1e-9);

    // the picture and the two blue bars of the window block
    int bars = 0;
    for (const Item& it : p.items) {
        if (const auto* pic = std::get_if<PictureItem>(&it)) {
            EXPECT_EQ(pic->file, w.picture);
            EXPECT_NEAR(pic->rect.x, x0 + 530, 1e-9);
            EXPECT_NEAR(pic->rect.w, 105, 1e-9);
            EXPECT_NEAR(pic->rect.h, 49, 1e-9);
        }
        if (const auto* r = std::get_if<RectItem>(&it)) {
            ++bars;
            EXPECT_EQ(r->fill, kBlue);
            EXPECT_NEAR(r->rect.x, x0 + 500, 1e-9);
            EXPECT_TRUE((r->rect.w == 3 && r->rect.h == 120) ||
                        (r->rect.w == 150 && r->rect.h == 3));
        }
    }
    EXPECT_EQ(bars, 2);

    // emptied and disabled for a print that does not follow a collection
    frm.clearWindow();
    frm.clearCustomer();
    const Document plain = layout(frm.QRposszesit);
    const Page& q = plain.pages.at(0);
    for (const char* n : {"Qtipus", "Qszel", "Qanyag", "Qnyitas", "Qszin", "qdarab", "lvevo",
                          "lajanlat", "Qrszam", "qmemo"}) {
        EXPECT_EQ(q.text(n), nullptr) << n;
    }
    for (const Item& it : q.items) {
        EXPECT_FALSE(std::holds_alternative<PictureItem>(it));
        EXPECT_FALSE(std::holds_alternative<RectItem>(it));
    }
    // the type picture set by data entry comes back with the next filled block
    WindowDescription again = w;
    again.picture.clear();
    frm.setWindow(again);
    size_t pictures = 0;
    const Document refilled = layout(frm.QRposszesit);
    for (const Item& it : refilled.pages.at(0).items) {
        if (const auto* pic = std::get_if<PictureItem>(&it)) {
            ++pictures;
            EXPECT_EQ(pic->file, w.picture);
        }
    }
    EXPECT_EQ(pictures, 1u);
}

TEST_F(OrderSummaryTest, EmptySummaryPrintsNothingAtAll) {
    auto& r = dm->Tblreszossz;
    r.open();
    frm.bind(r);
    EXPECT_EQ(frm.QRposszesit.element("QRExpr2").expression, "SUM(tblreszossz.ar2)");
    EXPECT_TRUE(layout(frm.QRposszesit).pages.empty());

    add(r, {{"BSNR", "530612"}, {"Darab", 1}});
    priceRows(r, 400);
    const Document doc = layout(frm.QRposszesit);
    ASSERT_EQ(doc.pages.size(), 1u);
    EXPECT_EQ(textsOf(doc.pages[0], "QRDBText6"), (std::vector<std::string>{"780"}));
    // 0.045 kg: half to even, and the mask has no integer "0"
    EXPECT_EQ(doc.pages[0].text("QRExpr3")->text, ",04");
}

TEST_F(OrderSummaryTest, LanguageCodeAndPriceColumn) {
    struct Case {
        Language language;
        const char* name; // first row's name
        const char* unitCaption;
        const char* weightCaption;
    } cases[] = {
        {Language::Magyar, "Olló 600 mm", "Ár/db(Ft)", "Súly(Kg)"},
        {Language::Nemet, "Schere 600 mm", "Ár/db(Ft)", "Súly(Kg)"},
        {Language::Roman, "Foarfecă 600 mm", "Pret/Buc(Lei)", "Greutate(Kg)"},
        {Language::Szerb, "Makaze 600 mm", "Ár/db(Ft)", "Súly(Kg)"},
        {Language::English, "Schere 600 mm", "Price/Pc(..)", "Weight(Kg)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.language));
        frm.setLanguage(c.language);
        frm.setPriceColumn(PriceColumn::UnitPrice, c.language);
        Document doc = layout(frm.QRposszesit);
        EXPECT_EQ(doc.pages.at(0).texts("QRDBText1").at(0)->text, c.name);
        EXPECT_EQ(doc.pages[0].text("QRLabel2")->text, c.unitCaption);
        EXPECT_EQ(frm.QRposszesit.element("QRDBRendeles").field, "ear2");
        EXPECT_EQ(doc.pages[0].texts("QRDBRendeles").at(0)->text, "5 920");

        frm.setPriceColumn(PriceColumn::Weight, c.language);
        doc = layout(frm.QRposszesit);
        EXPECT_EQ(doc.pages[0].text("QRLabel2")->text, c.weightCaption);
        EXPECT_EQ(frm.QRposszesit.element("QRDBRendeles").field, "gew");
        EXPECT_EQ(frm.QRposszesit.element("QRDBRendeles").mask, "### ##0.000");
        EXPECT_EQ(textsOf(doc.pages[0], "QRDBRendeles"),
                  (std::vector<std::string>{"1,240", "0,900", "0,180"}));
    }
    frm.setSecondCode(true);
    EXPECT_EQ(textsOf(layout(frm.QRposszesit).pages.at(0), "QRDBText3"),
              (std::vector<std::string>{"6000201455", "6000400101", "6000530612"}));
    frm.setSecondCode(false);
    EXPECT_EQ(layout(frm.QRposszesit).pages.at(0).texts("QRDBText3").at(0)->text, "201455");
}

TEST_F(OrderSummaryTest, ForintMasksFollowTheExchangeRate) {
    struct Case {
        double rate;
        const char* mask;
        const char* total;    // first row: 29.6 euro
        const char* unit;     // second row: 0.012 euro a piece
        const char* subtotal; // sum of ar2, always "## ### ###"
    } cases[] = {
        {150, "### ###", "4 440", "2", "6 150"},       {12.5, "### ##0.0", "370,0", "0,2", "512"},
        {3.2, "### ##0.00", "94,72", "0,04", "131"},   {10, "### ##0.0", "296,0", "0,1", "410"},
        {99, "### ##0.0", "2 930,4", "1,2", "4 059"},  {99.5, "### ###", "2 945", "1", "4 080"},
        {9.99, "### ##0.00", "295,70", "0,12", "410"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        EXPECT_EQ(TFrmqrosszesit::forintMask(c.rate), c.mask);
        priceRows(dm->tblkigyujt, c.rate);
        frm.setPriceColumn(PriceColumn::UnitPrice, Language::Magyar);
        frm.setExchangeRate(c.rate);
        EXPECT_EQ(frm.QRposszesit.element("QRDBText6").mask, c.mask);
        const Document doc = layout(frm.QRposszesit);
        const Page& p = doc.pages.at(0);
        EXPECT_EQ(p.texts("QRDBText6").at(0)->text, c.total);
        EXPECT_EQ(p.texts("QRDBRendeles").at(1)->text, c.unit);
        EXPECT_EQ(p.text("QRExpr2")->text, c.subtotal);
    }
}

TEST_F(OrderSummaryTest, HiddenPricesPrintInTheTooltipColour) {
    const Color hidden = Color::tooltipBackground();
    for (bool visible : {true, false}) {
        SCOPED_TRACE(visible);
        frm.setPricesVisible(visible);
        frm.setPriceColumn(PriceColumn::UnitPrice, Language::Magyar);
        Document doc = layout(frm.QRposszesit);
        const Page& p = doc.pages.at(0);
        for (const char* n :
             {"QRDBText5", "QRDBText6", "QRExpr1", "QRExpr2", "+ Áfa", "QRDBRendeles"}) {
            SCOPED_TRACE(n);
            const auto t = p.texts(n);
            ASSERT_FALSE(t.empty()); // still laid out
            for (const TextItem* x : t) {
                EXPECT_EQ(x->color == hidden, !visible);
            }
        }
        for (const char* n : {"QRDBText1", "QRDBText4", "QRExpr3", "Kg", "Megnevezés"}) {
            EXPECT_FALSE(p.text(n)->color == hidden) << n;
        }
        // a weight is no price
        frm.setPriceColumn(PriceColumn::Weight, Language::Magyar);
        doc = layout(frm.QRposszesit);
        EXPECT_FALSE(doc.pages.at(0).text("QRDBRendeles")->color == hidden);
    }
}

TEST_F(OrderSummaryTest, FooterMemoFromTheDataFolder) {
    const auto labj = dir / "adatok" / "labj.txt";
    ASSERT_TRUE(store::fmt::writeTextFile(labj, {"Első sor – ő ű", "", "Harmadik sor"}));
    ASSERT_TRUE(frm.loadFooter(labj));
    const Document doc = layout(frm.QRposszesit);
    EXPECT_EQ(textsOf(doc.pages.at(0), "QRMemo1"),
              (std::vector<std::string>{"Első sor – ő ű", "Harmadik sor"}));
    const auto memo = doc.pages[0].texts("QRMemo1");
    EXPECT_NEAR(memo[1]->rect.y - memo[0]->rect.y, 2 * 8.0 * 4 / 3 * 1.15, 1e-9);

    std::string error;
    EXPECT_FALSE(frm.loadFooter(dir / "nincs.txt", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(frm.QRposszesit.element("QRMemo1").lines.size(), 3u);
}

TEST_F(OrderSummaryTest, LongOrderRunsOverPagesWithHeadersAndOneSummary) {
    auto& k = dm->tblkigyujt;
    {
        store::ControlsDisabled hold(k);
        for (int i = 0; i < 120; ++i) {
            add(k, {{"BSNR", "9" + std::to_string(10000 + i)}, {"Darab", 1}});
        }
    }
    const Document doc = layout(frm.QRposszesit);
    // page 1 has room for (1046.9 - 202 - 25 - 35 - 104) / 20 = 34 rows, the others for 35
    ASSERT_EQ(doc.pages.size(), 4u);
    size_t rows = 0;
    for (const Page& p : doc.pages) {
        SCOPED_TRACE(p.number);
        EXPECT_NE(p.text("Alkatrész lista"), nullptr);
        EXPECT_EQ(p.text("Árfolyam:") != nullptr, p.number == 1);
        EXPECT_NE(p.text("Ár (Euro)"), nullptr);
        EXPECT_EQ(p.text("QRSysData3")->text, std::to_string(p.number));
        EXPECT_EQ(p.text("QRExpr1") != nullptr, p.number == 4);
        rows += p.texts("QRDBText3").size();
    }
    EXPECT_EQ(doc.pages[0].texts("QRDBText3").size(), 34u);
    EXPECT_EQ(rows, 123u);
    EXPECT_EQ(doc.pages[3].texts("QRSysData1").back()->text, "123");
}
