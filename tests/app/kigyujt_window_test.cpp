// The collection window over its two lists: the buttons and totals that follow the lists, the
// move into the order summary with its progress, the whole-list deletions, the profile change
// hand-over, the grid layouts, the data source switch and the summaries sent to the preview;
// then two windows collected through data entry on the demo installation and moved into one
// order with their log records.
#include "app/TFrmkigyujt.h"
#include "app/TFrmvasalatok.h"
#include "app/Tfrmkival.h"
#include "app/startup.h"
#include "calc/collection.h"
#include "reports/painter.h"
#include "setup/demo.h"
#include "tests/calc/calc_fixture.h"
#include "ui/dbgrid.h"
#include "ui/dblookup.h"
#include "ui/grid_layout.h"
#include "ui/status_bar.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <map>

namespace fs = std::filesystem;

namespace {

using Quantities = std::map<std::string, int64_t>;

// A summary the window sent to the preview or the printer, laid out as it would be shown.
struct Output {
    std::string report;
    bool print = false;
    reports::engine::Document doc;

    // every text the element printed, over all pages
    std::vector<std::string> texts(const char* element) const {
        std::vector<std::string> out;
        for (const auto& page : doc.pages) {
            for (const auto* t : page.texts(element)) {
                out.push_back(t->text);
            }
        }
        return out;
    }
    std::string first(const char* element) const {
        const auto t = texts(element);
        return t.empty() ? std::string() : t.front();
    }
};

std::function<bool(reports::engine::Report&, bool)> capture(std::vector<Output>& outputs) {
    return [&outputs](reports::engine::Report& r, bool print) {
        outputs.push_back({r.name(), print, reports::layoutWithPlatformFonts(r)});
        return !outputs.back().doc.pages.empty();
    };
}

// The totals as the status bar shows them, summed here over the rows' own price fields.
std::pair<std::string, std::string> totalsOf(store::Table& t) {
    double euro = 0, forint = 0;
    for (t.first(); !t.eof(); t.next()) {
        euro += t.fieldByName("ar").asFloat();
        forint += t.fieldByName("ar2").asFloat();
    }
    t.first();
    return {"Ár: " + calc::totalText(euro) + " EUR", "Ár: " + calc::totalText(forint) + " Ft"};
}

Quantities quantitiesOf(store::Table& t) {
    Quantities out;
    for (t.first(); !t.eof(); t.next()) {
        out[t.fieldByName("BSNR").asString()] = t.fieldByName("Darab").asInteger();
    }
    t.first();
    return out;
}

std::vector<std::string> codesOf(store::Table& t) {
    std::vector<std::string> out;
    for (t.first(); !t.eof(); t.next()) {
        out.push_back(t.fieldByName("BSNR").asString());
    }
    t.first();
    return out;
}

// ---------------------------------------------------------------- a small installation

class KigyujtWindowTest : public calctest::CalcTest {
protected:
    void SetUp() override {
        CalcTest::SetUp();
        setTarolo("Arfolyam", 300.0);
        group(1, 0);
        part("P1", 10, 1, 1, 10, "P1K");
        part("P2", 2.5);
        part("P3", 4);
        part("P1K", 90);
        for (store::Table* t : {&dm->Tblreszossz, &dm->tblkigyujt, &dm->tblnaplo}) {
            t->open();
        }
        w = std::make_unique<app::TFrmkigyujt>(*dm, *collection, messages);
        w->layoutFiles = {(dir / "racsr.txt").string(), (dir / "racso.txt").string(),
                          (dir / "dracsr.txt").string(), (dir / "dracso.txt").string()};
        w->reportOutput = capture(outputs);
    }
    void TearDown() override {
        w.reset();
        CalcTest::TearDown();
    }
    void fill(store::Table& t, const Quantities& rows) {
        t.emptyTable();
        for (const auto& [bsnr, n] : rows) {
            add(t, {{"BSNR", bsnr}, {"Darab", n}});
        }
        t.first();
    }
    void logRow(const char* profil) {
        add(dm->tblnaplo, {{"Tpus", "Bukó-nyíló ablak"}, {"Profil", profil}});
    }
    QString panel(int i) const { return w->StbKigyujt->panelText(i); }

    std::unique_ptr<app::TFrmkigyujt> w;
    std::vector<Output> outputs;
};

TEST_F(KigyujtWindowTest, ButtonsAndTotalsFollowTheLists) {
    const struct {
        const char* what;
        Quantities partial, order;
    } cases[] = {
        {"both empty", {}, {}},
        {"partial rows only", {{"P1", 3}, {"P2", 4}}, {}},
        {"order rows only", {}, {{"P3", 5}}},
        {"both", {{"P2", 1}}, {{"P1", 12}, {"P3", 2}}},
    };
    setTarolo("KR", true);
    setTarolo("Konv", true);
    for (const bool dialog : {false, true}) {
        w->showProfileChange = dialog ? std::function<void()>([] {}) : nullptr;
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (dialog ? ", with the profile dialog" : ""));
            fill(dm->Tblreszossz, c.partial);
            fill(dm->tblkigyujt, c.order);
            w->Gombfrissites(false);
            const bool p = !c.partial.empty(), o = !c.order.empty();
            for (QPushButton* b :
                 {w->Btnossz, w->Btnreszmegtekint, w->Btnresznyomtat, w->Btnresztorol}) {
                EXPECT_EQ(b->isEnabled(), p) << b->objectName().toStdString();
            }
            EXPECT_EQ(w->Btnprofi_2->isEnabled(), dialog && p);
            EXPECT_EQ(w->Btntorol->isEnabled(), o);
            EXPECT_EQ(w->Btn_ossztorol->isEnabled(), o);
            EXPECT_EQ(w->btncon->isEnabled(), dialog && o);
            // never disabled by the lists
            for (QPushButton* b : {w->BitBtn1, w->Btnossznyomtat, w->BtnMegtekint}) {
                EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
            }
            const auto partialTotals = totalsOf(dm->Tblreszossz);
            EXPECT_EQ(panel(1).toStdString(), p ? partialTotals.first : "");
            EXPECT_EQ(panel(2).toStdString(), p ? partialTotals.second : "");
            // an empty order summary shows its zero totals
            const auto orderTotals = totalsOf(dm->tblkigyujt);
            EXPECT_EQ(panel(4).toStdString(), o ? orderTotals.first : "Ár: 0 EUR");
            EXPECT_EQ(panel(5).toStdString(), o ? orderTotals.second : "Ár: 0 Ft");
        }
    }
    EXPECT_NE(panel(5), QString::fromUtf8("Ár: 0 Ft")); // the last case has priced rows
    EXPECT_EQ(messages.count(), 0u) << messages.texts().front();
}

TEST_F(KigyujtWindowTest, OsszesitAddsThePartialRowsWithItsProgressPanel) {
    fill(dm->Tblreszossz, {{"P1", 3}, {"P2", -2}, {"P3", 0}});
    fill(dm->tblkigyujt, {{"P1", 4}, {"P2", 2}});
    setTarolo("KR", false);
    setTarolo("Konv", true);
    collection->Ujkigyujtes = true;
    w->Gombfrissites(false);
    ASSERT_TRUE(w->Btnossz->isEnabled());

    std::vector<std::pair<int, bool>> seen; // bar value, panel shown
    auto shown = w->lists().progress;
    w->lists().progress = [&](int done, int total) {
        shown(done, total);
        seen.emplace_back(w->prbar->value(), w->Panel->isVisible());
    };
    w->show();
    w->Btnossz->click();

    EXPECT_EQ(order(), (Quantities{{"P1", 7}})) << "P2 reaches 0 and goes, P3 is not moved";
    EXPECT_TRUE(partial().empty());
    EXPECT_EQ(seen, (std::vector<std::pair<int, bool>>{{33, true}, {66, true}, {100, true}}));
    EXPECT_EQ(w->grp1->title(), QString::fromUtf8("Összesítés folyamatban"));
    EXPECT_FALSE(w->Panel->isVisible());
    EXPECT_EQ(w->Haladas, 3);
    EXPECT_EQ(w->Haladasmax, 3);
    EXPECT_FALSE(collection->Ujkigyujtes);
    EXPECT_TRUE(dm->Tbltarol.fieldByName("KR").asBoolean());
    EXPECT_FALSE(dm->Tbltarol.fieldByName("Konv").asBoolean());
    // the buttons follow the emptied partial summary, the totals the order summary
    EXPECT_FALSE(w->Btnossz->isEnabled());
    EXPECT_TRUE(w->Btntorol->isEnabled());
    EXPECT_EQ(panel(4).toStdString(), totalsOf(dm->tblkigyujt).first);
    EXPECT_EQ(dm->tblnaplo.recordCount(), 0) << "no data entry: no log record";
}

TEST_F(KigyujtWindowTest, OrderDeleteSetsKonvWhateverTheAnswer) {
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        fill(dm->tblkigyujt, {{"P1", 2}, {"P2", 1}});
        dm->tblnaplo.emptyTable();
        logRow("Rehau");
        setTarolo("Konv", false);
        messages.clear();
        yes ? messages.answerYes() : messages.answerNo();
        w->Gombfrissites(false);
        w->Btntorol->click();
        EXPECT_EQ(messages.texts(), (std::vector<std::string>{"Biztos törölni akarja?"}));
        EXPECT_TRUE(dm->Tbltarol.fieldByName("Konv").asBoolean());
        EXPECT_EQ(order().empty(), yes);
        EXPECT_EQ(dm->tblnaplo.isEmpty(), yes);
        EXPECT_EQ(w->Btntorol->isEnabled(), !yes);
    }
}

TEST_F(KigyujtWindowTest, PreviewAndPrintOfTheOrderSummary) {
    fill(dm->tblkigyujt, {{"P1", 12}, {"P2", 4}, {"P3", 1}});
    collection->Ujkigyujtes = true; // the order summary never carries the window description
    w->BtnMegtekint->click();
    ASSERT_EQ(outputs.size(), 1u);
    const Output& o = outputs.front();
    EXPECT_EQ(o.report, "QRposszesit");
    EXPECT_FALSE(o.print);
    ASSERT_FALSE(o.doc.pages.empty());
    EXPECT_EQ(o.texts("QRDBText3"), codesOf(dm->tblkigyujt));
    EXPECT_EQ(o.first("Qtipus"), "");

    w->Btnossznyomtat->click();
    ASSERT_EQ(outputs.size(), 2u);
    EXPECT_TRUE(outputs.back().print);
    EXPECT_EQ(outputs.back().texts("QRDBText3"), codesOf(dm->tblkigyujt));

    // the partial summary is printed from its own rows
    fill(dm->Tblreszossz, {{"P3", 2}});
    w->Btnreszmegtekint->click();
    ASSERT_EQ(outputs.size(), 3u);
    EXPECT_EQ(outputs.back().texts("QRDBText3"), (std::vector<std::string>{"P3"}));
    EXPECT_EQ(messages.count(), 0u) << messages.texts().front();
}

TEST_F(KigyujtWindowTest, ProfileChangeOfTheOrderRenamesTheLog) {
    addTo("profilnev.DB", {{"Nev", "Veka Softline"}});
    fill(dm->tblkigyujt, {{"P1", 2}});
    logRow("Rehau");
    logRow("--");
    setTarolo("Konv", true);
    int Valtasmod = 0;
    w->showProfileChange = [&] {
        Valtasmod = w->Valtasmod;
        setTarolo("Profil", 1);
    };
    w->Gombfrissites(false);
    ASSERT_TRUE(w->btncon->isEnabled());
    w->btncon->click();
    EXPECT_EQ(Valtasmod, 2);
    std::vector<std::string> profiles;
    for (dm->tblnaplo.first(); !dm->tblnaplo.eof(); dm->tblnaplo.next()) {
        profiles.push_back(dm->tblnaplo.fieldByName("Profil").asString());
    }
    EXPECT_EQ(profiles, (std::vector<std::string>{"Veka Softline", "--"}));
}

TEST_F(KigyujtWindowTest, GridLayoutsAreMadeResetAndSaved) {
    EXPECT_TRUE(w->prepareLayouts());
    for (const char* f : {"racsr.txt", "racso.txt", "dracsr.txt", "dracso.txt"}) {
        EXPECT_TRUE(fs::exists(dir / f)) << f;
    }
    EXPECT_FALSE(w->prepareLayouts()) << "every file is there now";
    auto fields = [](const std::vector<ui::ColumnLayout>& cols) {
        std::vector<std::string> out;
        for (const auto& c : cols) {
            out.push_back(c.field + (c.visible ? "" : " hidden"));
        }
        return out;
    };
    const std::vector<std::string> builtIn = {"Megnevezes", "BSNR2", "BSNR", "pe", "Darab", "ar2"};
    EXPECT_EQ(fields(*ui::readLayoutFile(dir / "dracso.txt")), builtIn);

    // a column moved is saved at once
    w->DBGridr->horizontalHeader()->moveSection(4, 0);
    EXPECT_EQ(fields(*ui::readLayoutFile(dir / "racsr.txt")),
              (std::vector<std::string>{"Darab", "Megnevezes", "BSNR2", "BSNR", "pe", "ar2"}));

    // the reset loads the default layouts without the second part number; closing saves them
    w->action("Tábla alapbeállítás")->trigger();
    w->show();
    w->Btnvissza->click();
    std::vector<std::string> reset = builtIn;
    reset[1] += " hidden";
    EXPECT_EQ(fields(*ui::readLayoutFile(dir / "racsr.txt")), reset);
    EXPECT_EQ(fields(*ui::readLayoutFile(dir / "racso.txt")), reset);
}

TEST_F(KigyujtWindowTest, DataSourceSwitchesTheOrderSummary) {
    fill(dm->tblkigyujt, {{"P1", 1}});
    dm->tblkigyujt.close();
    fs::create_directories(dir / "kulso");
    fs::copy_file(dir / "adatok" / "osszesit.db", dir / "kulso" / "osszesit.db");
    session.setAlias("kulso", dir / "kulso");
    dm->tblkigyujt.open();
    add(dm->tblkigyujt, {{"BSNR", "P2"}, {"Darab", 1}});

    w->action("Külső")->trigger();
    EXPECT_EQ(dm->tblkigyujt.alias(), "kulso");
    EXPECT_EQ(codesOf(dm->tblkigyujt), (std::vector<std::string>{"P1"}));
    EXPECT_EQ(w->DBGrido->model()->rowCount(), 1);
    EXPECT_FALSE(w->action("Alap")->isChecked());
    EXPECT_TRUE(w->action("Külső")->isChecked());

    w->action("Alap")->trigger();
    EXPECT_EQ(dm->tblkigyujt.alias(), "data");
    EXPECT_EQ(codesOf(dm->tblkigyujt), (std::vector<std::string>{"P1", "P2"}));
    EXPECT_EQ(w->DBGrido->model()->rowCount(), 2);
    EXPECT_TRUE(w->action("Alap")->isChecked());
}

// ---------------------------------------------------------------- the demo installation

void typeInto(QWidget* target, const QString& keys) {
    for (QChar ch : keys) {
        const int key = int(ch.toUpper().unicode());
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(target, &release);
    }
}

void enter(QLineEdit* e, const QString& text) {
    e->setFocus();
    e->selectAll();
    typeInto(e, text);
}

TEST(KigyujtWithDataEntry, TwoWindowsMovedIntoOneOrderWithTheirLog) {
    const fs::path dir = testsupport::freshDir("kigyujt");
    setup::createInstallation(dir, {});
    setenv("DIRURAR_SETTINGS", (dir / "cfg" / "registry.ini").c_str(), 1);
    {
        store::Session session;
        session.loadAliases(dir / "aliases.ini");
        app::Startup s(session);
        s.run(false);
        app::TFrmvasalatok& main = *s.mainWindow();
        main.messageSink = [](const std::string& m) { ADD_FAILURE() << m; };
        main.activate();
        app::Registry* reg = main.Regnyitas();
        ASSERT_NE(reg, nullptr);
        reg->writeBool("kalk", true);
        reg->writeBool("arlat", true);
        store::TDM& dm = *s.dataModule();
        calc::Collection& collection = *s.collection();
        app::Tfrmkival& entry = *s.dataEntry();

        store::ScriptedMessages messages;
        app::TFrmkigyujt k(dm, collection, messages, &main);
        k.mainWindow = &main;
        k.dataEntry = &entry;
        main.layoutFiles = {(dir / "racsr.txt").string(), (dir / "racso.txt").string(),
                            (dir / "dracsr.txt").string(), (dir / "dracso.txt").string()};
        std::vector<Output> outputs;
        k.reportOutput = capture(outputs);
        entry.onCollect = [&](const calc::Window& w) {
            collection.Ujkigyujtes = true;
            collection.Naplozando = true;
            collection.Konvertalando = true;
            collection.Profilvaltva = false;
            const app::CollectionChoices& c = main.collectionChoices;
            ASSERT_TRUE(collection.bkivalasztClick(w, {c.kilincs, c.kaLine, c.hoppeTokyo}));
            k.show(); // the activation
        };
        // the steps run in data entry, shown by the main window's "Garnitura"
        bool ran = false;
        auto steps = [&] {
            ran = true;
            ui::DBLookupComboBox* types = entry.DBLCtipus;
            for (size_t i = 0; i < types->keys().size(); ++i) {
                if (types->keys()[i].intValue() == 1) {
                    types->setCurrentIndex(static_cast<int>(i));
                    emit types->activated(static_cast<int>(i));
                }
            }
            const std::string typeName = types->currentText().toStdString();
            ASSERT_FALSE(typeName.empty());
            const calc::Control& hinge = entry.model().controls().rgptip;
            ASSERT_GE(hinge.itemIndex, 0);
            const std::string hingeName = hinge.items.at(static_cast<size_t>(hinge.itemIndex));

            struct Collected {
                int width, height, quantity;
            };
            Quantities expected;
            for (const Collected c : {Collected{800, 1200, 2}, Collected{600, 900, 1}}) {
                SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
                enter(entry.Eszelesseg, QString::number(c.width));
                enter(entry.Emagassag, QString::number(c.height));
                enter(entry.Emennyiseg, QString::number(c.quantity));
                ASSERT_TRUE(entry.Btnkivalaszt->isEnabled());
                entry.Btnkivalaszt->click();
                const Quantities partial = quantitiesOf(dm.Tblreszossz);
                ASSERT_GT(partial.size(), 3u);
                for (const auto& [bsnr, n] : partial) {
                    if ((expected[bsnr] += n) == 0) {
                        expected.erase(bsnr);
                    }
                }
                ASSERT_TRUE(k.Btnossz->isEnabled());
                EXPECT_EQ(k.StbKigyujt->panelText(2).toStdString(),
                          totalsOf(dm.Tblreszossz).second);

                // the partial summary of a new collection is printed with the window
                outputs.clear();
                k.Btnreszmegtekint->click();
                ASSERT_FALSE(outputs.empty());
                EXPECT_EQ(outputs.front().report, "QRposszesit");
                EXPECT_EQ(outputs.front().first("Qtipus"), typeName + ", " + hingeName);
                EXPECT_EQ(outputs.front().first("Qszel"),
                          std::to_string(c.width) + " x " + std::to_string(c.height) + " mm");
                EXPECT_EQ(outputs.front().first("qdarab"), std::to_string(c.quantity) + " db ");

                k.Btnossz->click();
                EXPECT_TRUE(dm.Tblreszossz.isEmpty());
                EXPECT_FALSE(collection.Naplozando);
                k.Btnvissza->click();
            }
            EXPECT_EQ(quantitiesOf(dm.tblkigyujt), expected);
            const auto totals = totalsOf(dm.tblkigyujt);
            EXPECT_EQ(k.StbKigyujt->panelText(4).toStdString(), totals.first);
            EXPECT_EQ(k.StbKigyujt->panelText(5).toStdString(), totals.second);
            EXPECT_NE(totals.second, "Ár: 0 Ft");

            std::vector<std::string> log;
            store::Table& naplo = dm.tblnaplo;
            for (naplo.first(); !naplo.eof(); naplo.next()) {
                log.push_back(naplo.fieldByName("Tpus").asString() + ";" +
                              naplo.fieldByName("Szel").asString() + ";" +
                              naplo.fieldByName("Mag").asString() + ";" +
                              naplo.fieldByName("Darab").asString() + ";" +
                              naplo.fieldByName("Profil").asString());
            }
            EXPECT_EQ(log, (std::vector<std::string>{typeName + ";800;1200;2;Rehau",
                                                     typeName + ";600;900;1;Rehau"}));

            // the order preview, followed by the discount list
            outputs.clear();
            k.BtnMegtekint->click();
            ASSERT_EQ(outputs.size(), 2u);
            EXPECT_EQ(outputs[0].report, "QRposszesit");
            EXPECT_EQ(outputs[0].texts("QRDBText3").size(), expected.size());
            EXPECT_EQ(outputs[0].first("Qtipus"), "");
            EXPECT_EQ(outputs[1].report, "QRPrabat");

            // after the carton split the partial summary is no new collection
            k.action("Átalakítás B0/B1")->trigger();
            ASSERT_FALSE(dm.Tblreszossz.isEmpty());
            outputs.clear();
            k.Btnreszmegtekint->click();
            ASSERT_FALSE(outputs.empty());
            EXPECT_FALSE(outputs.front().doc.pages.empty());
            EXPECT_EQ(outputs.front().first("Qtipus"), "");
            EXPECT_EQ(messages.count(), 0u) << messages.texts().front();
        };
        QTimer::singleShot(0, &entry, [&] {
            steps();
            entry.reject();
        });
        main.action("Garnitura")->trigger();
        EXPECT_TRUE(ran);
    }
    unsetenv("DIRURAR_SETTINGS");
    std::error_code ec;
    fs::remove_all(dir, ec);
}

} // namespace
