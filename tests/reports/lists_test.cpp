// The seven lists besides the order summary, each on its handle of the data module: elements,
// texts, masks and their order on the page, the groups, and the frame of an empty list.
#include "report_support.h"
#include "reports/layouts/lists.h"

#include <functional>

using namespace reports;
using namespace reports::engine;
using reportsupport::add;
using reportsupport::readingOrder;
using reportsupport::textsOf;

namespace {

const std::vector<reportsupport::Part> kParts = {
    {"201455", "OL-01455", "Olló 600 mm", "Schere 600 mm", "Foarfecă 600 mm", "Makaze 600 mm", 1,
     14.80, 0.62, "6000201455"},
    {"201456", "OL-01456", "Olló 1000 mm", "Schere 1000 mm", "Foarfecă 1000 mm", "Makaze 1000 mm",
     1, 18.20, 0.91, "6000201456"},
    {"530612", "ZL-30612", "Gombás zárólemez jobb", "Pilzkopf-Schließstück rechts",
     "Opritor ciupercă dreapta", "Pečurkasti prihvatnik desno", 1, 1.95, 0.045, "6000530612"},
};

class ListsTest : public reportsupport::ReportTest {
protected:
    void SetUp() override {
        ReportTest::SetUp();
        settings(400);
        parts(kParts);
    }

    void moduleNames() {
        auto& n = dm->Tblmodulnev;
        n.open();
        add(n, {{"Modulkod", "OL01"}, {"Modulnev", "Olló"}, {"ModulnevD", "Schere"}});
        add(n, {{"Modulkod", "ZL01"}, {"Modulnev", "Zárólemez"}, {"ModulnevD", "Schließteil"}});
    }

    // the texts of the line that holds `anchor`, left to right
    static std::vector<std::string> lineOf(const Page& p, const TextItem* anchor) {
        std::vector<const TextItem*> same;
        for (const TextItem* t : p.allTexts()) {
            if (std::abs(t->rect.y - anchor->rect.y) < 2.5) {
                same.push_back(t);
            }
        }
        std::sort(same.begin(), same.end(),
                  [](const TextItem* a, const TextItem* b) { return a->rect.x < b->rect.x; });
        std::vector<std::string> out;
        for (const TextItem* t : same) {
            out.push_back(t->text);
        }
        return out;
    }
};

} // namespace

TEST_F(ListsTest, DiscountList) {
    auto& q = dm->Tblqrabat;
    q.open();
    add(q, {{"PG", 7}, {"Rab", 12.5}, {"Neve", "Ollók"}, {"alias", "07"}});
    add(q, {{"PG", 5}, {"Rab", 30.0}, {"Neve", "Zárólemezek"}, {"alias", "05"}});
    TFrmQrabat frm;
    frm.bind(q);
    const Document doc = layout(frm.QRPrabat);
    EXPECT_EQ(doc.title, "Engedmény");
    ASSERT_EQ(doc.pages.size(), 1u);
    EXPECT_EQ(
        readingOrder(doc.pages[0]),
        (std::vector<std::string>{"Engedmények", "Termék csoport", "Megnevezés", "Engedmény", "05",
                                  "Zárólemezek", "30,00", "%", "07", "Ollók", "12,50", "%"}));
    const Page& p = doc.pages[0];
    EXPECT_EQ(frm.QRPrabat.element("QRDBText3").mask, "### ##0.00");
    EXPECT_NEAR(p.text("QRDBText3")->rect.right(), mmToUnits(10) + 206, 1e-9);
    EXPECT_EQ(p.text("QRDBText2")->font.size, 6);
    EXPECT_NEAR(p.texts("QRDBText2")[1]->rect.y - p.texts("QRDBText2")[0]->rect.y, 14, 1e-9);
    EXPECT_TRUE(p.text("Engedmények")->font.bold);
    EXPECT_EQ(p.text("Engedmények")->font.size, 12);
}

TEST_F(ListsTest, CollectionLog) {
    auto& n = dm->tblnaplo;
    n.open();
    add(n, {{"Tpus", "Bukó-nyíló ablak"},
            {"Szel", 1230},
            {"Mag", 1480},
            {"ERab", 740},
            {"Darab", 2},
            {"Anyag", "Műanyag"},
            {"Pant", "Normal"},
            {"Eckband", "Rejtett"},
            {"Szin", "Fehér"},
            {"Nyitas", "Jobb"},
            {"Profil", "Rehau 730"},
            {"Ts", "TS"},
            {"Rzar", "1"}});
    add(n, {{"Tpus", "Erkélyajtó"}, {"Szel", 900}, {"Mag", 2200}, {"Darab", 1}});
    TqrNaplo frm;
    frm.bind(n);
    const Document doc = layout(frm.Qrnaplo);
    EXPECT_EQ(doc.title, "Napló");
    ASSERT_EQ(doc.pages.size(), 1u);
    const Page& p = doc.pages[0];
    EXPECT_EQ(lineOf(p, p.text("Garnitúra kigyűjtési napló")),
              (std::vector<std::string>{"Garnitúra kigyűjtési napló", "2026.03.09."}));
    EXPECT_EQ(lineOf(p, p.text("Típus")),
              (std::vector<std::string>{"Típus", "Sz.", "M.", "RAB", "Db", "Pántoldal", "Szin",
                                        "Profil", "Rúdzár"}));
    EXPECT_EQ(
        lineOf(p, p.texts("Tpus")[0]),
        (std::vector<std::string>{"Bukó-nyíló ablak", "1230", "1480", "740", "2", "Műanyag",
                                  "Normal", "Rejtett", "Fehér", "Jobb", "Rehau 730", "1", "TS"}));
    EXPECT_EQ(lineOf(p, p.texts("Tpus")[1]),
              (std::vector<std::string>{"Erkélyajtó", "900", "2200", "1"}));
    // margins of 12.7 mm
    const double x0 = mmToUnits(12.7);
    EXPECT_NEAR(p.text("Tpus")->rect.x, x0, 1e-9);
    EXPECT_NEAR(p.text("Szel")->rect.right(), x0 + 164, 1e-9);
    EXPECT_EQ(p.text("Szel")->align, Align::Right);
    EXPECT_EQ(p.text("Típus")->font, (Font{kArialNarrow, 10, true}));
    EXPECT_EQ(p.text("QRSysData2")->text, "1");
    EXPECT_NEAR(p.text("QRSysData2")->rect.x, x0 + 600, 1e-9);
    // the column header's line below is 2 wide
    bool thick = false;
    for (const Item& it : p.items) {
        if (const auto* l = std::get_if<LineItem>(&it); l && l->band == BandKind::ColumnHeader) {
            thick = l->width == 2 && std::abs(l->x2 - l->x1 - mmToUnits(210 - 25.4)) < 1e-9;
        }
    }
    EXPECT_TRUE(thick);
}

TEST_F(ListsTest, ProfileDataSheet) {
    auto& names = dm->Tblprofineve;
    names.open();
    add(names, {{"Nev", "Rehau 730"}});
    auto& d = dm->tblprofildat;
    d.open(); // linked to the settings record's profile 1
    add(d, {{"Ind", 1}, {"Sorsz", 2}, {"Bsnr", "201455"}});
    add(d, {{"Ind", 1}, {"Sorsz", 1}, {"Bsnr", "530612"}});
    add(d, {{"Ind", 2}, {"Sorsz", 1}, {"Bsnr", "201456"}});
    TQrprofil rep;
    rep.bind(d);
    rep.bindProfileName(names);
    const Document doc = layout(rep);
    ASSERT_EQ(doc.pages.size(), 1u);
    EXPECT_EQ(readingOrder(doc.pages[0]),
              (std::vector<std::string>{"Profiladatlap", "Rehau 730", "BSNR", "Megnevezés",
                                        "Cikk-szám", "1", "530612", "Pilzkopf-Schließstück rechts",
                                        "ZL-30612", "2", "201455", "Schere 600 mm", "OL-01455",
                                        "2026.03.09.", "1", "lap"}));
    const Page& p = doc.pages[0];
    EXPECT_EQ(p.text("Rehau 730")->font, (Font{kArial, 10, true, false, true}));
    EXPECT_EQ(p.text("QRSysData1")->font.family, kArialNarrow);
    EXPECT_NEAR(p.text("QRSysData1")->rect.right(), mmToUnits(10) + 85, 1e-9);
    EXPECT_EQ(p.text("BSNR")->font, (Font{kArial, 8, true, true}));
}

TEST_F(ListsTest, ModuleListGroupsByModuleCode) {
    moduleNames();
    auto& sz = dm->Tblszin;
    sz.open();
    add(sz, {{"Szinkod", 0}, {"Szinnev", "Minden"}});
    auto& ny = dm->Tblnyitas;
    ny.open();
    add(ny, {{"Nyitaskod", 1}, {"Megnevezes", "Jobb"}});
    auto& m = dm->Tblmodulkarb;
    m.setMasterSource(nullptr, ""); // every module, as with "Szűrés" off
    m.open();
    add(m, {{"Modulkod", "ZL01"},
            {"BSNR", "530612"},
            {"Min", 0},
            {"Max", 9999},
            {"Szinkod", 0},
            {"Nyitaskod", 1},
            {"Mennyiseg", 2},
            {"TSBSNR", "530612T"}});
    add(m, {{"Modulkod", "OL01"},
            {"BSNR", "201455"},
            {"Min", 400},
            {"Max", 1200},
            {"Szinkod", 0},
            {"Nyitaskod", 1},
            {"Mennyiseg", 1},
            {"TSBSNR", "201455T"}});
    add(m, {{"Modulkod", "OL01"},
            {"BSNR", "201456"},
            {"Min", 1201},
            {"Max", 2400},
            {"Szinkod", 0},
            {"Nyitaskod", 1},
            {"Mennyiseg", 1},
            {"TSBSNR", "201456T"}});
    TQrpmodul frm;
    frm.bind(m);
    const Document doc = layout(frm.QRepmodul);
    EXPECT_EQ(doc.title, "Modul riport");
    ASSERT_EQ(doc.pages.size(), 1u);
    const Page& p = doc.pages[0];
    EXPECT_EQ(textsOf(p, "QRDBText1"), (std::vector<std::string>{"OL01", "ZL01"}));
    EXPECT_EQ(textsOf(p, "QRDBText2"), (std::vector<std::string>{"Olló", "Zárólemez"}));
    EXPECT_EQ(textsOf(p, "Darab").size(), 2u); // the captions repeat with each group
    EXPECT_EQ(readingOrder(p), (std::vector<std::string>{"Modul- alkatrészek",
                                                         "2026.03.09.", //
                                                         "Modulkód:",
                                                         "OL01",
                                                         "Olló", //
                                                         "BSNR",
                                                         "Megnevezés",
                                                         "Min.",
                                                         "Max.",
                                                         "Szin",
                                                         "Nyitási.",
                                                         "Darab", //
                                                         "201455",
                                                         "Olló 600 mm",
                                                         "400 ",
                                                         "1 200",
                                                         "Minden",
                                                         "Jobb",
                                                         "1",       //
                                                         "201455T", //
                                                         "201456",
                                                         "Olló 1000 mm",
                                                         "1 201 ",
                                                         "2 400",
                                                         "Minden",
                                                         "Jobb",
                                                         "1",       //
                                                         "201456T", //
                                                         "Modulkód:",
                                                         "ZL01",
                                                         "Zárólemez", //
                                                         "BSNR",
                                                         "Megnevezés",
                                                         "Min.",
                                                         "Max.",
                                                         "Szin",
                                                         "Nyitási.",
                                                         "Darab", //
                                                         "530612",
                                                         "Gombás zárólemez jobb",
                                                         " ",
                                                         "9 999",
                                                         "Minden",
                                                         "Jobb",
                                                         "2", //
                                                         "530612T",
                                                         "1"}));
    EXPECT_EQ(frm.QRepmodul.element("Min").mask, "## ### ");
    EXPECT_EQ(frm.QRepmodul.element("Max").mask, "## ###");
    EXPECT_NEAR(p.texts("TSBSNR")[0]->rect.y - p.texts("BSNR")[1]->rect.y, 20, 1e-9);
    EXPECT_NEAR(p.texts("BSNR")[2]->rect.y - p.texts("BSNR")[1]->rect.y, 45, 1e-9);
    EXPECT_EQ(p.text("OL01")->font, (Font{kArial, 10, true, true}));
}

TEST_F(ListsTest, SetListRepeatsItsGroupHeaderPerSetCode) {
    moduleNames();
    auto& tip = dm->tbltipus;
    tip.open();
    add(tip, {{"Sorsz", 10}, {"Tipuskod", 12}, {"Megnevezes", "Bukó-nyíló ablak"}});
    auto& g = dm->Tblgarnitur;
    g.setMasterSource(nullptr, "");
    g.open();
    add(g,
        {{"Garkod", 1112}, {"Modulkod", "ZL01"}, {"Meretkod", 0}, {"Darab", 2}, {"Getriebe", 1}});
    add(g,
        {{"Garkod", 1112}, {"Modulkod", "OL01"}, {"Meretkod", 1}, {"Darab", 1}, {"Getriebe", 0}});
    add(g, {{"Garkod", 12}, {"Modulkod", "OL01"}, {"Meretkod", 1}, {"Darab", 1}, {"Getriebe", 1}});
    TQrgarnitura rep;
    rep.bind(g);
    rep.bindTypes(tip);
    rep.setCaptions("Fa", "Ka-Line");
    const Document doc = layout(rep);
    ASSERT_EQ(doc.pages.size(), 1u);
    const Page& p = doc.pages[0];
    const std::vector<std::string> group = {"Modulkód", "Modul neve", "Darab", "Rúdzár"};
    EXPECT_EQ(textsOf(p, "QRDBText1"), (std::vector<std::string>{"12", "1112"}));
    for (const char* n : {"QRDBText2", "qlanyag", "Qlpant", "Modulkód", "Rúdzár"}) {
        EXPECT_EQ(textsOf(p, n).size(), 2u) << n;
    }
    const auto order = readingOrder(p);
    const std::vector<std::string> expected = {
        "Garnitura modulok", "Méretkódok:", "Méretfüggetlen: ", "0", "Szélesség:          ", "1",
        "Magasság :        ", "2", "RAB/íves :           ", "3", "Garn. kód", "Anyag", "Pántoldal",
        // set 12
        "12", "Bukó-nyíló ablak", "Fa", "Ka-Line", "Modulkód", "Modul neve", "Darab", "Rúdzár", "1",
        "OL01", "Olló", "1", "1", "1",
        // set 1112: the header again, the record numbers go on
        "1112", "Bukó-nyíló ablak", "Fa", "Ka-Line", "Modulkód", "Modul neve", "Darab", "Rúdzár",
        "2", "OL01", "Olló", "1", "1", "0", "3", "ZL01", "Zárólemez", "0", "2", "1",
        // footer
        "2026.03.09.", "1", "lap"};
    EXPECT_EQ(order, expected);
    const TextItem* second = p.texts("QRDBText1")[1];
    EXPECT_NEAR(second->rect.x, mmToUnits(10) + 64, 1e-9);
    EXPECT_EQ(second->font, (Font{kArial, 10, true}));
    EXPECT_EQ(p.text("Getriebe")->font.size, 10);
    EXPECT_TRUE(p.text("Garn. kód")->font.underline);

    // linked to the settings record, as the set print selection does: one set
    dm->Tbltarol.edit();
    dm->Tbltarol.fieldByName("Vezkod").setAsInteger(1112);
    dm->Tbltarol.post();
    g.close();
    g.setMasterSource(&dm->Tbltarol, "Vezkod");
    g.open();
    EXPECT_EQ(textsOf(layout(rep).pages.at(0), "QRDBText1"), (std::vector<std::string>{"1112"}));
}

TEST_F(ListsTest, StockLists) {
    auto& k2 = dm->Tblkeszlet2;
    k2.open();
    add(k2, {{"BSNR", "201455"}, {"Darab", 2}, {"Keszet", 5}});
    add(k2, {{"BSNR", "530612"}, {"Darab", 1200}, {"Keszet", 0}});
    TFrmQrKimutat kim;
    kim.bind(k2);
    kim.setTitle("Hiány");
    Document doc = layout(kim.QuickRepkezlet);
    EXPECT_EQ(doc.title, "Qrkeszlet");
    const Page& p = doc.pages.at(0);
    EXPECT_EQ(readingOrder(p), (std::vector<std::string>{"Hiány",
                                                         "2026.03.09.",
                                                         "Lap:",
                                                         "1",
                                                         "Megnevezés",
                                                         "Rendelési szám",
                                                         "Cs.E.",
                                                         "BSNR",
                                                         "Rend. m.",
                                                         " Készlet",
                                                         "1",
                                                         "Olló 600 mm",
                                                         "OL-01455",
                                                         "1",
                                                         "201455",
                                                         "2",
                                                         "5",
                                                         "2",
                                                         "Gombás zárólemez jobb",
                                                         "ZL-30612",
                                                         "1",
                                                         "530612",
                                                         "1 200",
                                                         "0"}));
    EXPECT_EQ(kim.QuickRepkezlet.element("Keszet").mask, "### ###0");
    EXPECT_EQ(p.text("cimke")->font, (Font{kArial, 14, true, false, true}));
    EXPECT_NEAR(p.text("Keszet")->rect.right(), mmToUnits(10) + 672, 1e-9);

    auto& k = dm->Tblkeszlet;
    k.open();
    add(k, {{"Bsnr", "201455"}, {"Darab", 3}});
    add(k, {{"Bsnr", "530612"}, {"Darab", 10}});
    k.onCalcFields = [this](store::DataSet& d) {
        const store::Value u =
            dm->Tblarlista.lookup({"BSNR"}, {d.fieldByName("Bsnr").asString()}, "PREIS");
        const double ar = d.fieldByName("Darab").asFloat() * (u.isFloat() ? u.floatValue() : 0.0);
        d.fieldByName("Ar").setAsFloat(ar);
        d.fieldByName("ar2").setAsFloat(ar * 400);
    };
    TFrmqrkezlet view;
    view.bind(k);
    doc = layout(view.QuickRepkezlet);
    EXPECT_EQ(doc.title, "Raktárkészlet");
    EXPECT_EQ(readingOrder(doc.pages.at(0)), (std::vector<std::string>{"Raktárkészlet",
                                                                       "2026.03.09.",
                                                                       "Lap:",
                                                                       "1",
                                                                       "Megnevezés",
                                                                       "Rendelési szám",
                                                                       "Cs.E.",
                                                                       "BSNR",
                                                                       " Készlet",
                                                                       "Ár",
                                                                       "1",
                                                                       "Olló 600 mm",
                                                                       "OL-01455",
                                                                       "1",
                                                                       "201455",
                                                                       "3",
                                                                       "17 760",
                                                                       "2",
                                                                       "Gombás zárólemez jobb",
                                                                       "ZL-30612",
                                                                       "1",
                                                                       "530612",
                                                                       "10",
                                                                       "7 800",
                                                                       "25 560",
                                                                       "Ft"}));
    const Page& v = doc.pages[0];
    EXPECT_TRUE(v.text("ar2")->font.bold);
    EXPECT_EQ(view.QuickRepkezlet.element("QRExpr1").expression, "SUM(Tblkeszlet.Ar2)");
    EXPECT_NEAR(v.text("Lap:")->rect.x, mmToUnits(10) + 580, 1e-9);
    EXPECT_NEAR(v.text("QRSysData3")->rect.x, mmToUnits(10) + 620, 1e-9);
}

// Every list but the order summary prints its frame without records.
TEST_F(ListsTest, EmptyListsPrintTheirFrame) {
    TFrmQrabat rabat;
    TqrNaplo naplo;
    TQrprofil profil;
    TQrpmodul modul;
    TQrgarnitura garn;
    TFrmQrKimutat kimutat;
    TFrmqrkezlet kezlet;
    dm->Tblmodulkarb.setMasterSource(nullptr, "");
    dm->Tblgarnitur.setMasterSource(nullptr, "");
    struct Case {
        Report* report;
        store::Table* data;
        std::vector<std::string> texts;
    } cases[] = {
        {&rabat.QRPrabat,
         &dm->Tblqrabat,
         {"Engedmények", "Termék csoport", "Megnevezés", "Engedmény"}},
        {&naplo.Qrnaplo,
         &dm->tblnaplo,
         {"Garnitúra kigyűjtési napló", "2026.03.09.", "Típus", "Sz.", "M.", "RAB", "Db",
          "Pántoldal", "Szin", "Profil", "Rúdzár", "1"}},
        {&profil,
         &dm->tblprofildat,
         {"Profiladatlap", "BSNR", "Megnevezés", "Cikk-szám", "2026.03.09.", "1", "lap"}},
        {&modul.QRepmodul, &dm->Tblmodulkarb, {"Modul- alkatrészek", "2026.03.09.", "1"}},
        {&garn,
         &dm->Tblgarnitur,
         {"Garnitura modulok", "Méretkódok:", "Méretfüggetlen: ", "0", "Szélesség:          ", "1",
          "Magasság :        ", "2", "RAB/íves :           ", "3", "Garn. kód", "Anyag",
          "Pántoldal", "2026.03.09.", "1", "lap"}},
        {&kimutat.QuickRepkezlet,
         &dm->Tblkeszlet2,
         {"Raktárkészlet", "2026.03.09.", "Lap:", "1", "Megnevezés", "Rendelési szám", "Cs.E.",
          "BSNR", "Rend. m.", " Készlet"}},
        {&kezlet.QuickRepkezlet,
         &dm->Tblkeszlet,
         {"Raktárkészlet", "2026.03.09.", "Lap:", "1", "Megnevezés", "Rendelési szám", "Cs.E.",
          "BSNR", " Készlet", "Ár", "0", "Ft"}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.report->name());
        c.data->open();
        ASSERT_EQ(c.data->rowCount(), 0);
        c.report->setDataSet(c.data);
        const Document doc = layout(*c.report);
        ASSERT_EQ(doc.pages.size(), 1u);
        EXPECT_EQ(readingOrder(doc.pages[0]), c.texts);
    }
}
