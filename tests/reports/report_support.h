// A small installation for the report tests: the catalogue's tables in a fresh folder, the
// data module on them, rows added by name, and a price calculation for the summaries.
#pragma once

#include "reports/engine/layout.h"
#include "store/catalogue/catalogue.h"
#include "store/tdm.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace reportsupport {

using Fields = std::vector<std::pair<std::string, store::Value>>;

inline std::filesystem::path freshDir(const std::string& tag) {
    static std::mt19937_64 rng{std::random_device{}()};
    auto dir =
        std::filesystem::temp_directory_path() / ("dirurar-" + tag + "-" + std::to_string(rng()));
    std::filesystem::create_directories(dir);
    return dir;
}

inline void add(store::DataSet& t, const Fields& values) {
    t.append();
    for (const auto& [f, v] : values) {
        t.fieldByName(f).setValue(v);
    }
    t.post();
}

// A price-list part: BSNR, order number, the five names, packing unit, price and piece weight.
struct Part {
    const char* bsnr;
    const char* artikel;
    const char* hu;
    const char* de;
    const char* ro;
    const char* sr;
    int pe;
    double preis;
    double weight;
    const char* bsnr2;
};

// Three parts of a small order: a single piece, a pack of 100, a weight below a gramme.
inline const std::vector<Part> kParts = {
    {"201455", "OL-01455", "Olló 600 mm", "Schere 600 mm", "Foarfecă 600 mm", "Makaze 600 mm", 1,
     14.80, 0.62, "6000201455"},
    {"400101", "CS-00101", "Csavar 4x35", "Schraube 4x35", "Șurub 4x35", "Šraf 4x35", 100, 0.012,
     0.003, "6000400101"},
    {"530612", "ZL-30612", "Gombás zárólemez jobb", "Pilzkopf-Schließstück rechts",
     "Opritor ciupercă dreapta", "Pečurkasti prihvatnik desno", 1, 1.95, 0.045, "6000530612"},
};

// The prices of a summary row, computed on reading: ar = P x N x PREIS, ar2 = ar x rate,
// ear = PREIS, ear2 = ear x rate, gew = P x N x Kpreis (the price list must be open).
inline void installPrices(store::DataSet& summary, store::DataSet& priceList, double rate) {
    summary.onCalcFields = [&priceList, rate](store::DataSet& d) {
        const std::string bsnr = d.fieldByName("BSNR").asString();
        auto look = [&](const char* f) {
            store::Value v = priceList.lookup({"BSNR"}, {bsnr}, f);
            return v.isFloat() ? v.floatValue()
                   : v.isInt() ? static_cast<double>(v.intValue())
                               : 0.0;
        };
        const double n = d.fieldByName("Darab").asFloat();
        const double p = d.fieldByName("pe").asFloat();
        const double u = look("PREIS");
        d.fieldByName("ar").setAsFloat(p * n * u);
        d.fieldByName("ar2").setAsFloat(p * n * u * rate);
        d.fieldByName("ear").setAsFloat(u);
        d.fieldByName("ear2").setAsFloat(u * rate);
        d.fieldByName("gew").setAsFloat(p * n * look("Kpreis"));
    };
}

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = freshDir("reports");
        session.setAlias("diploma", dir / "adatok");
        session.setAlias("data", dir / "adatok");
        session.setAlias("kulso", dir / "adatok");
        session.setAlias("preis", dir / "preis");
        store::catalogue::createMissingTables(session, dir);
        dm = std::make_unique<store::TDM>(session);
    }
    void TearDown() override {
        for (store::Table* t : dm->handles()) {
            t->close();
        }
        dm.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // The settings record (master of several handles), with the exchange rate.
    void settings(double rate) {
        auto& t = dm->Tbltarol;
        t.open();
        Fields f = {
            {"Arfolyam", rate}, {"Grupp1", 0.0}, {"Vezkod", 1}, {"Modulkod", ""}, {"Profil", 1}};
        for (const char* n : {"Grupp5", "QZR1", "QZR3", "QZR4", "QZR2", "QZR5", "Pant", "IP"}) {
            f.emplace_back(n, 0.0);
        }
        add(t, f);
    }

    void parts(const std::vector<Part>& list) {
        auto& a = dm->Tblarlista;
        a.open();
        for (const Part& p : list) {
            add(a, {{"BSNR", p.bsnr},
                    {"ARTIKEL", p.artikel},
                    {"BEZEICHN", p.hu},
                    {"Nemet", p.de},
                    {"ROMAN", p.ro},
                    {"Szerb", p.sr},
                    {"PE", p.pe},
                    {"PREIS", p.preis},
                    {"Kpreis", p.weight},
                    {"BSNR2", p.bsnr2},
                    {"Grupp", 5}});
        }
    }

    void priceRows(store::DataSet& summary, double rate) {
        installPrices(summary, dm->Tblarlista, rate);
    }

    reports::engine::Document layout(const reports::engine::Report& r) {
        reports::engine::FixedFontMetrics m;
        reports::engine::LayoutOptions o;
        o.today = store::Date{2026, 3, 9};
        return reports::engine::layoutReport(r, m, o);
    }

    std::filesystem::path dir;
    store::Session session;
    std::unique_ptr<store::TDM> dm;
};

// The texts of a page in reading order (top to bottom, then left to right).
inline std::vector<std::string> readingOrder(const reports::engine::Page& p) {
    auto t = p.allTexts();
    std::stable_sort(t.begin(), t.end(), [](const auto* a, const auto* b) {
        if (std::abs(a->rect.y - b->rect.y) > 2.5) {
            return a->rect.y < b->rect.y;
        }
        return a->rect.x < b->rect.x;
    });
    std::vector<std::string> out;
    for (const auto* x : t) {
        out.push_back(x->text);
    }
    return out;
}

inline std::vector<std::string> textsOf(const reports::engine::Page& p, std::string_view name) {
    std::vector<std::string> out;
    for (const auto* t : p.texts(name)) {
        out.push_back(t->text);
    }
    return out;
}

} // namespace reportsupport
