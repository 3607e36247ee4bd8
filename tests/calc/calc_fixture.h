// A working-table folder with the data module, its rules, the collection and the prices
// attached, and small helpers to put master data in.
#pragma once

#include "../store/test_support.h"
#include "calc/collection.h"
#include "calc/prices.h"
#include "store/catalogue/catalogue.h"
#include "store/rules/dm_rules.h"
#include "store/tdm.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace calctest {

class CalcTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = testsupport::freshDir("calc");
        for (const char* a : {"diploma", "data", "kulso"}) {
            session.setAlias(a, dir / "adatok");
        }
        session.setAlias("preis", dir / "preis");
        store::catalogue::createMissingTables(session, dir);
        dm = std::make_unique<store::TDM>(session);
        rules = std::make_unique<store::DataModuleRules>(*dm, messages);
        collection = std::make_unique<calc::Collection>(*dm, *rules, messages);
        prices = std::make_unique<calc::Prices>(*dm, messages);
        prices->logBadPart = [this](const std::string& line) { badParts.push_back(line); };
        prices->now = [] { return std::pair<std::string, std::string>{"2026.12.11.", "9:30:00"}; };
        dm->Tbltarol.open();
        dm->Tbltarol.append();
        for (const char* f :
             {"Grupp1", "Grupp5", "QZR1", "QZR3", "QZR4", "QZR2", "QZR5", "Pant", "IP"}) {
            dm->Tbltarol.fieldByName(f).setAsFloat(0);
        }
        dm->Tbltarol.fieldByName("Kod").setAsInteger(1);
        dm->Tbltarol.post();
    }
    void TearDown() override {
        prices.reset();
        collection.reset();
        rules.reset();
        for (store::Table* t : dm->handles()) {
            t->close();
        }
        dm.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // Appends one row through a handle (opened when closed).
    static void add(store::Table& t, const std::vector<std::pair<const char*, store::Value>>& v) {
        if (!t.active()) {
            t.open();
        }
        t.append();
        for (const auto& [f, value] : v) {
            t.fieldByName(f).setValue(value);
        }
        t.post();
    }
    // Appends one row to a table file through a handle of its own.
    void addTo(const char* table, const std::vector<std::pair<const char*, store::Value>>& v) {
        store::Table t(session);
        t.setAlias("diploma");
        t.setTableName(table);
        add(t, v);
        t.close();
    }
    void setTarolo(const char* field, const store::Value& v) {
        if (dm->Tbltarol.state() == store::DataSetState::Browse) {
            dm->Tbltarol.edit();
        }
        dm->Tbltarol.fieldByName(field).setValue(v);
        dm->Tbltarol.post();
    }
    void part(const char* bsnr, double preis = 1, int grupp = 1, int pe = 1, int kpe = 1,
              const char* bsnr2 = nullptr) {
        addTo("arlista.db", {{"BSNR", bsnr},
                             {"BSNR2", bsnr2 ? bsnr2 : bsnr},
                             {"ARTIKEL", bsnr},
                             {"BEZEICHN", bsnr},
                             {"PREIS", preis},
                             {"Grupp", grupp},
                             {"PE", pe},
                             {"Kpe", kpe}});
    }
    void group(int pg, double rab) {
        addTo("rabat.db", {{"PG", pg}, {"Rab", rab}, {"alias", "A"}});
    }
    void setRow(int garkod, const char* module, int kind, int darab = 1, int getriebe = 1) {
        addTo("garnitura.DB", {{"Garkod", garkod},
                               {"Modulkod", module},
                               {"Meretkod", kind},
                               {"Darab", darab},
                               {"Getriebe", getriebe}});
    }
    void moduleRow(const char* module, const char* bsnr, int min = 0, int max = 0, int colour = 0,
                   int opening = 0, int qty = 1, const char* ts = nullptr) {
        addTo("modul.DB", {{"Modulkod", module},
                           {"BSNR", bsnr},
                           {"Min", min},
                           {"Max", max},
                           {"Szinkod", colour},
                           {"Nyitaskod", opening},
                           {"Mennyiseg", qty},
                           {"TSBSNR", ts ? ts : bsnr}});
    }
    // The partial summary as part number -> quantity.
    std::map<std::string, int64_t> partial() { return quantities(dm->Tblreszossz); }
    std::map<std::string, int64_t> order() { return quantities(dm->tblkigyujt); }
    static std::map<std::string, int64_t> quantities(store::Table& t) {
        std::map<std::string, int64_t> out;
        if (!t.active()) {
            t.open();
        }
        for (t.first(); !t.eof(); t.next()) {
            out[t.fieldByName("BSNR").asString()] = t.fieldByName("Darab").asInteger();
        }
        return out;
    }
    calc::Window window(int type, int w, int h, int r = 0) {
        calc::Window win;
        win.type = type;
        win.hinge = 0;
        win.width = w;
        win.height = h;
        win.lockSide = r;
        return win;
    }
    bool collect(const calc::Window& w, calc::HandleSettings h = {}) {
        dm->Rudzaropcio = calc::rodLockOptions(w);
        return collection->bkivalasztClick(w, h);
    }

    std::filesystem::path dir;
    store::Session session;
    store::ScriptedMessages messages;
    std::unique_ptr<store::TDM> dm;
    std::unique_ptr<store::DataModuleRules> rules;
    std::unique_ptr<calc::Collection> collection;
    std::unique_ptr<calc::Prices> prices;
    std::vector<std::string> badParts;
};

} // namespace calctest
