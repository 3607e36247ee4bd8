// One collection on the large installation (a set of 20 modules over the 20 000 module rows)
// against a reference in the same run: the same selection by a plain loop over the set and
// module rows held in memory, and raw SQLite writing the resulting rows in one transaction.
// The benchmark works on a copy of the installation's data folder.
#include "bench_support.h"
#include "calc/collection.h"
#include "store/catalogue/catalogue.h"
#include "store/rules/dm_rules.h"
#include "store/tdm.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kSetCode = 101; // type 1, "Ka-Line", plastic
constexpr int kModules = 20;

using bench::QuietMessages;

struct SetRow {
    std::string module;
    int kind, darab, getriebe;
};
struct ModuleRow {
    std::string module, bsnr;
    int min, max, colour, opening, qty;
};

// The data folder copied once; the set of kSetCode filled up to kModules modules there.
struct Copy {
    fs::path dir = fs::temp_directory_path() / "dirurar-bench-collection";
    std::vector<SetRow> sets;
    std::vector<ModuleRow> modules; // every module row, in module order
    int moduleRows = 0;

    Copy() {
        const fs::path from = bench::largeInstallation();
        std::error_code ec;
        fs::remove_all(dir, ec);
        fs::create_directories(dir / "adatok");
        for (const auto& e : fs::directory_iterator(from / "adatok")) {
            if (e.is_regular_file() && e.path().extension() != ".lck") {
                fs::copy_file(e.path(), dir / "adatok" / e.path().filename());
            }
        }
        sqlite3* db = nullptr;
        sqlite3_open((dir / "adatok" / "garnitura.DB").c_str(), &db);
        int have = 0;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT count(*) FROM garnitura WHERE Garkod = ?", -1, &st, nullptr);
        sqlite3_bind_int(st, 1, kSetCode);
        if (sqlite3_step(st) == SQLITE_ROW) {
            have = sqlite3_column_int(st, 0);
        }
        sqlite3_finalize(st);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (int i = have; i < kModules; ++i) {
            const std::string sql = "INSERT INTO garnitura (Garkod, Modulkod, Meretkod, Darab, "
                                    "Getriebe) VALUES (" +
                                    std::to_string(kSetCode) + ", '" + std::to_string(9001001 + i) +
                                    "', 2, 1, 1)";
            sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        }
        // a larger set keeps its first kModules modules
        const std::string trim =
            "DELETE FROM garnitura WHERE Garkod = " + std::to_string(kSetCode) +
            " AND Modulkod NOT IN (SELECT Modulkod FROM garnitura WHERE "
            "Garkod = " +
            std::to_string(kSetCode) + " ORDER BY Modulkod LIMIT " + std::to_string(kModules) + ")";
        sqlite3_exec(db, trim.c_str(), nullptr, nullptr, nullptr);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_prepare_v2(db,
                           "SELECT Modulkod, Meretkod, Darab, Getriebe FROM garnitura WHERE "
                           "Garkod = ? ORDER BY Modulkod",
                           -1, &st, nullptr);
        sqlite3_bind_int(st, 1, kSetCode);
        while (sqlite3_step(st) == SQLITE_ROW) {
            sets.push_back({reinterpret_cast<const char*>(sqlite3_column_text(st, 0)),
                            sqlite3_column_int(st, 1), sqlite3_column_int(st, 2),
                            sqlite3_column_int(st, 3)});
        }
        sqlite3_finalize(st);
        sqlite3_close(db);

        sqlite3_open((dir / "adatok" / "modul.DB").c_str(), &db);
        sqlite3_prepare_v2(db,
                           "SELECT Modulkod, BSNR, Min, Max, Szinkod, Nyitaskod, Mennyiseg FROM "
                           "modul",
                           -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            ModuleRow r;
            r.module = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
            const unsigned char* b = sqlite3_column_text(st, 1);
            r.bsnr = b ? reinterpret_cast<const char*>(b) : "";
            r.min = sqlite3_column_int(st, 2);
            r.max = sqlite3_column_int(st, 3);
            r.colour = sqlite3_column_int(st, 4);
            r.opening = sqlite3_column_int(st, 5);
            r.qty = sqlite3_column_int(st, 6);
            modules.push_back(std::move(r));
        }
        sqlite3_finalize(st);
        sqlite3_close(db);
        moduleRows = static_cast<int>(modules.size());
        // the reference table the raw writes go to
        fs::copy_file(dir / "adatok" / "reszosszesit.db", dir / "raw-reszosszesit.db");
    }
};

Copy& copy() {
    static Copy c;
    return c;
}

calc::Window benchWindow() {
    calc::Window w;
    w.type = kSetCode % 100;
    w.hinge = 1;
    w.width = 900;
    w.height = 1400;
    w.quantity = "3";
    return w;
}

void BM_Collection_Engine(benchmark::State& state) {
    Copy& c = copy();
    store::Session session;
    for (const char* a : {"diploma", "data", "kulso"}) {
        session.setAlias(a, c.dir / "adatok");
    }
    QuietMessages messages;
    store::TDM dm(session);
    store::DataModuleRules rules(dm, messages);
    calc::Collection collection(dm, rules, messages);
    dm.Tbltarol.open();
    const calc::Window w = benchWindow();
    dm.Rudzaropcio = calc::rodLockOptions(w);
    collection.bkivalasztClick(w, {}); // opens the tables the program keeps open
    for (auto _ : state) {
        collection.bkivalasztClick(w, {});
    }
    state.counters["set rows"] = static_cast<double>(c.sets.size());
    state.counters["module rows"] = c.moduleRows;
    state.counters["parts"] = dm.Tblreszossz.recordCount();
    for (store::Table* t : dm.handles()) {
        t->close();
    }
}

void BM_Collection_Reference(benchmark::State& state) {
    Copy& c = copy();
    const calc::Window w = benchWindow();
    const int32_t options = calc::rodLockOptions(w);
    sqlite3* db = nullptr;
    sqlite3_open((c.dir / "raw-reszosszesit.db").c_str(), &db);
    sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    size_t parts = 0;
    for (auto _ : state) {
        std::map<std::string, int64_t> sum;
        int32_t size = 1;
        for (const SetRow& s : c.sets) {
            if (!calc::gearFits(s.getriebe, options) ||
                ((s.module == "8800020" || s.module == "8800018") && w.height < 560) ||
                calc::handleModuleSkipped(s.module, {}) || calc::type70ModuleSkipped(s.module, w)) {
                continue;
            }
            if (auto v = calc::sizeValue(s.kind, w)) {
                size = *v;
            }
            const int colour = w.colour + 1;
            const int opening = calc::openingCode(s.module, w);
            for (const ModuleRow& m : c.modules) {
                if (m.module != s.module || m.bsnr == "-") {
                    continue;
                }
                if ((m.min == 0 || (m.min <= size && size <= m.max)) &&
                    (m.colour == 0 || m.colour == colour) &&
                    (m.opening == 0 || m.opening == opening)) {
                    sum[m.bsnr] += static_cast<int64_t>(m.qty) * s.darab * 3;
                }
            }
        }
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "DELETE FROM reszosszesit", nullptr, nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO reszosszesit (BSNR, Darab) VALUES (?, ?)", -1, &st,
                           nullptr);
        for (const auto& [bsnr, n] : sum) {
            sqlite3_bind_text(st, 1, bsnr.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(st, 2, n);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        parts = sum.size();
    }
    state.counters["parts"] = static_cast<double>(parts);
    sqlite3_close(db);
}

} // namespace

BENCHMARK(BM_Collection_Engine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Collection_Reference)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
