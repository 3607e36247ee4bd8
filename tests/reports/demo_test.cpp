// Every report printed from the demo installation, as the program prints it: an order
// collected from a set, the installation's discount groups, profiles, modules, sets and
// stock. The PDFs are read back as text. With DIRURAR_REPORTS_OUT set to a folder, the PDFs
// are kept there for a look.
#include "pdf_support.h"
#include "report_support.h"
#include "reports/layouts/lists.h"
#include "reports/order_summary_pdf.h"
#include "reports/painter.h"
#include "setup/demo.h"
#include "store/format/format.h"

#include <cstdlib>

using namespace reports;
using namespace reports::engine;
using reportsupport::add;
using reportsupport::squeeze;

namespace {

class DemoReportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = reportsupport::freshDir("reports-demo");
        setup::createInstallation(dir / "dirurar");
        prog = dir / "dirurar";
        session.loadAliases(prog / "aliases.ini");
        dm = std::make_unique<store::TDM>(session);
        dm->Tbltarol.open();
        dm->Tblarlista.open();
        if (const char* out = std::getenv("DIRURAR_REPORTS_OUT"); out != nullptr && *out) {
            outDir = out;
        } else {
            outDir = dir / "pdf";
        }
        std::filesystem::create_directories(outDir);
    }
    void TearDown() override {
        for (store::Table* t : dm->handles()) {
            t->close();
        }
        dm.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    double rate() { return dm->Tbltarol.fieldByName("Arfolyam").asFloat(); }

    // The parts of the settings record's set (the window last entered), the first part of
    // each module, times the module's count in the set and the number of windows.
    void collectOrder(int windows) {
        auto& g = dm->Tblgarnitur; // linked to tarolo.Vezkod
        g.open();
        auto& m = dm->modul;
        m.open();
        auto& k = dm->tblkigyujt;
        k.open();
        store::ControlsDisabled hold(k);
        int stock = 0;
        for (g.first(); !g.eof(); g.next()) {
            const store::Value bsnr =
                m.lookup({"Modulkod"}, {g.fieldByName("Modulkod").asString()}, "BSNR");
            if (!bsnr.isText() || bsnr.textValue().empty() ||
                !dm->Tblarlista.locate("BSNR", bsnr) || k.locate("BSNR", bsnr)) {
                continue;
            }
            add(k, {{"BSNR", bsnr},
                    {"Darab", windows * g.fieldByName("Darab").asInteger()},
                    {"Keszet", (stock += 7) % 30}});
        }
        reportsupport::installPrices(k, dm->Tblarlista, rate());
    }

    std::string write(const Report& r, const std::string& name) {
        const Document doc = layoutWithPlatformFonts(r);
        EXPECT_FALSE(doc.pages.empty()) << name;
        const auto pdf = outDir / (name + ".pdf");
        std::string error;
        EXPECT_TRUE(writePdf(doc, pdf, &error)) << error;
        const auto text = reportsupport::pdfText(pdf);
        EXPECT_TRUE(text) << name;
        return text ? squeeze(*text) : std::string();
    }

    std::filesystem::path dir, prog, outDir;
    store::Session session;
    std::unique_ptr<store::TDM> dm;
};

void expectAll(const std::string& text, const std::vector<std::string>& parts) {
    for (const std::string& s : parts) {
        EXPECT_NE(text.find(squeeze(s)), std::string::npos) << s << "\n" << text;
    }
}

} // namespace

TEST_F(DemoReportsTest, EveryReportPrintsFromTheDemoInstallation) {
    if (!reportsupport::havePoppler()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    collectOrder(2);
    auto& k = dm->tblkigyujt;
    ASSERT_GT(k.rowCount(), 10);

    // ---- the order summary, as the collection window prints it after a collection ----
    auto& vevo = dm->Tblvevo;
    vevo.open();
    vevo.first();
    auto& tip = dm->tbltipus;
    tip.open();
    ASSERT_TRUE(tip.locate("Tipuskod", store::Value(1)));
    WindowDescription w;
    w.type = tip.fieldByName("Megnevezes").asString() + ", Normal";
    w.size = WindowDescription::sizeText(1230, 1480);
    w.material = "Műanyag - Rehau 730";
    w.opening = "Jobb";
    w.colour = "Fehér";
    w.quantity = WindowDescription::quantityText(2);
    w.picture = prog / "icon" / "10.bmp";
    ASSERT_TRUE(std::filesystem::exists(w.picture));
    OrderSummaryOptions o;
    o.settings = &dm->Tbltarol;
    o.exchangeRate = rate();
    o.installDate = store::Date{2025, 1, 15};
    o.customer = {vevo.fieldByName("Vevonev").asString(),
                  "Árajánlat",
                  "2026/0042",
                  {"A vasalatokat a jövő héten szállítjuk.", "Kapcsolattartó: Kovács Péter"}};
    ASSERT_TRUE(store::fmt::readCp1250Lines(prog / "adatok" / "labj.txt"));
    o.footer = *store::fmt::readCp1250Lines(prog / "adatok" / "labj.txt");
    std::string error;
    const auto summaryPdf = outDir / "QRposszesit.pdf";
    ASSERT_EQ(printOrderSummaryPdf(k, w, summaryPdf, o, &error), PdfResult::Written) << error;
    k.first();
    const std::string firstName = k.fieldByName("Megnevezes").asString();
    const std::string firstCode = k.fieldByName("BSNR").asString();
    const auto summaryText = reportsupport::pdfText(summaryPdf);
    ASSERT_TRUE(summaryText);
    expectAll(squeeze(*summaryText),
              {"Alkatrész lista", "Árajánlat", vevo.fieldByName("Vevonev").asString(), w.type,
               "1230 x 1480 mm", firstName, o.footer.front(), "+ Áfa", "Kg"});

    // prices hidden, weights instead of unit prices, German names: still laid out, in the
    // tooltip colour
    OrderSummaryOptions hidden = o;
    hidden.pricesVisible = false;
    hidden.column = PriceColumn::Weight;
    hidden.language = Language::Nemet;
    const auto hiddenPdf = outDir / "QRposszesit-rejtett-arak.pdf";
    ASSERT_EQ(printOrderSummaryPdf(k, w, hiddenPdf, hidden, &error), PdfResult::Written) << error;
    const auto hiddenText = reportsupport::pdfText(hiddenPdf);
    ASSERT_TRUE(hiddenText);
    expectAll(squeeze(*hiddenText), {"Súly(Kg)", k.fieldByName("nemet").asString(), "+ Áfa"});

    // ---- the other seven ----
    TFrmQrabat rabat;
    dm->Tblqrabat.open();
    rabat.bind(dm->Tblqrabat);
    dm->Tblqrabat.first();
    expectAll(write(rabat.QRPrabat, "QRPrabat"),
              {"Engedmények", "Termék csoport", dm->Tblqrabat.fieldByName("Neve").asString()});

    TqrNaplo naplo;
    auto& n = dm->tblnaplo;
    n.open();
    add(n, {{"Tpus", w.type},
            {"Szel", 1230},
            {"Mag", 1480},
            {"Darab", 2},
            {"Anyag", "Műanyag"},
            {"Pant", "Normal"},
            {"Szin", "Fehér"},
            {"Nyitas", "Jobb"},
            {"Profil", "Rehau 730"},
            {"Rzar", "0"}});
    add(n, {{"Tpus", "Erkélyajtó, Ka-Line"},
            {"Szel", 900},
            {"Mag", 2200},
            {"ERab", 1050},
            {"Darab", 1},
            {"Anyag", "Fa"},
            {"Pant", "Ka-Line"},
            {"Szin", "Barna"},
            {"Nyitas", "Bal"},
            {"Profil", "--"},
            {"Rzar", "1"},
            {"Ts", "TS"}});
    naplo.bind(n);
    expectAll(write(naplo.Qrnaplo, "Qrnaplo"),
              {"Garnitúra kigyűjtési napló", "Pántoldal", "Erkélyajtó, Ka-Line 900 2200 1050 1"});

    TQrprofil profil;
    auto& pd = dm->tblprofildat;
    pd.open();
    auto& pn = dm->Tblprofineve;
    pn.open();
    ASSERT_TRUE(pn.locate("Sorsz", store::Value(1)));
    profil.bind(pd);
    profil.bindProfileName(pn);
    ASSERT_GT(pd.rowCount(), 0);
    expectAll(write(profil, "TQrprofil"),
              {"Profiladatlap", pn.fieldByName("Nev").asString(), "Cikk-szám"});

    TQrpmodul modul;
    auto& mk = dm->Tblmodulkarb;
    mk.setMasterSource(nullptr, "");
    mk.open();
    modul.bind(mk);
    mk.first();
    expectAll(write(modul.QRepmodul, "QRepmodul"),
              {"Modul- alkatrészek", "Modulkód: " + mk.fieldByName("Modulkod").asString() + " " +
                                         mk.fieldByName("Mnev").asString()});

    TQrgarnitura garn;
    garn.bind(dm->Tblgarnitur);
    garn.bindTypes(tip);
    garn.setCaptions("Műanyag", "Normál");
    expectAll(write(garn, "TQrgarnitura"),
              {"Garnitura modulok", "101 " + tip.fieldByName("Megnevezes").asString()});

    TFrmQrKimutat kimutat;
    auto& k2 = dm->Tblkeszlet2;
    k2.open();
    kimutat.bind(k2);
    kimutat.setTitle("Rendelkezésre álló készlet");
    expectAll(write(kimutat.QuickRepkezlet, "QuickRepkezlet-Kimutat"),
              {"Rendelkezésre álló készlet", "Rend. m.", firstCode});

    TFrmqrkezlet kezlet;
    auto& ks = dm->Tblkeszlet;
    ks.open();
    const double r = rate();
    ks.onCalcFields = [this, r](store::DataSet& d) {
        const store::Value u =
            dm->Tblarlista.lookup({"BSNR"}, {d.fieldByName("Bsnr").asString()}, "PREIS");
        const double ar = d.fieldByName("Darab").asFloat() * (u.isFloat() ? u.floatValue() : 0.0);
        d.fieldByName("Ar").setAsFloat(ar);
        d.fieldByName("ar2").setAsFloat(ar * r);
    };
    kezlet.bind(ks);
    expectAll(write(kezlet.QuickRepkezlet, "QuickRepkezlet-Kezlet"),
              {"Raktárkészlet", "Ft", "Rendelési szám"});
}
