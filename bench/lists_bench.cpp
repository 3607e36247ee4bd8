// The collection window's list work against references measured in the same run:
//  - "&Összesít" of a 2 000-row partial summary into a 5 000-row order summary, against raw
//    SQLite doing the same look-ups, updates, inserts and deletes in one transaction;
//  - the totals over a 5 000-row order summary (every row priced through the price list and
//    its discount group), against the same arithmetic over plain arrays.
#include "bench_support.h"
#include "calc/collection.h"
#include "calc/order_lists.h"
#include "calc/prices.h"
#include "store/catalogue/catalogue.h"
#include "store/rules/dm_rules.h"
#include "store/tdm.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>
#include <random>
#include <sqlite3.h>
#include <string>
#include <unordered_map>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kOrder = 5000;
constexpr int kPartial = 2000;
constexpr int kParts = 7000;

using bench::QuietMessages;

std::string partNo(int i) {
    return std::to_string(30000000 + i);
}

// The order rows: parts 0..4999. The partial rows: 1 000 of the order's parts (every fifth
// of them taking its row down to 0) and 1 000 new ones.
struct Rows {
    std::vector<std::pair<std::string, int>> order, partial;
    Rows() {
        for (int i = 0; i < kOrder; ++i) {
            order.emplace_back(partNo(i), 1 + i % 9);
        }
        for (int i = 0; i < kPartial / 2; ++i) {
            const int o = 4000 + i;
            partial.emplace_back(partNo(o), i % 5 == 0 ? -(1 + o % 9) : 2);
        }
        for (int i = 0; i < kPartial / 2; ++i) {
            partial.emplace_back(partNo(kOrder + i), 3);
        }
    }
};

struct Fixture {
    fs::path dir = fs::temp_directory_path() / "dirurar-bench-lists";
    store::Session session;
    QuietMessages messages;
    std::unique_ptr<store::TDM> dm;
    std::unique_ptr<store::DataModuleRules> rules;
    std::unique_ptr<calc::Collection> collection;
    std::unique_ptr<calc::Prices> prices;
    std::unique_ptr<calc::OrderLists> lists;
    Rows rows;
    std::vector<double> price, discount; // per part, for the array reference

    Fixture() {
        std::error_code ec;
        fs::remove_all(dir, ec);
        fs::create_directories(dir);
        for (const char* a : {"diploma", "data", "kulso"}) {
            session.setAlias(a, dir / "adatok");
        }
        session.setAlias("preis", dir / "preis");
        store::catalogue::createMissingTables(session, dir);
        dm = std::make_unique<store::TDM>(session);
        rules = std::make_unique<store::DataModuleRules>(*dm, messages);
        collection = std::make_unique<calc::Collection>(*dm, *rules, messages);
        prices = std::make_unique<calc::Prices>(*dm, messages);
        lists = std::make_unique<calc::OrderLists>(*dm, *collection, messages);
        std::mt19937 rng(7);
        {
            store::Table groups(session, "g");
            groups.setAlias("diploma");
            groups.setTableName("rabat.db");
            groups.open();
            store::ControlsDisabled grouped(groups);
            for (int g = 1; g <= 10; ++g) {
                groups.append();
                groups.fieldByName("PG").setAsInteger(g);
                groups.fieldByName("Rab").setAsFloat(g * 3.0);
                groups.post();
            }
        }
        {
            store::Table parts(session, "p");
            parts.setAlias("diploma");
            parts.setTableName("arlista.db");
            parts.open();
            store::ControlsDisabled grouped(parts);
            for (int i = 0; i < kParts; ++i) {
                const double p = 0.5 + static_cast<double>(rng() % 6000) / 100.0;
                const int g = 1 + i % 10;
                parts.append();
                parts.fieldByName("BSNR").setAsString(partNo(i));
                parts.fieldByName("BSNR2").setAsString(partNo(i));
                parts.fieldByName("ARTIKEL").setAsString(partNo(i));
                parts.fieldByName("BEZEICHN").setAsString("Alkatrész " + std::to_string(i));
                parts.fieldByName("PREIS").setAsFloat(p);
                parts.fieldByName("Grupp").setAsInteger(g);
                parts.post();
                price.push_back(p);
                discount.push_back(g * 3.0);
            }
        }
        store::Table& t = dm->Tbltarol;
        t.open();
        t.append();
        for (int i = 0; i < t.fieldCount(); ++i) {
            if (t.field(i).required() && t.field(i).isNull()) {
                t.field(i).setAsFloat(0);
            }
        }
        t.fieldByName("Arfolyam").setAsFloat(400);
        t.fieldByName("Grupp1").setAsFloat(5);
        t.post();
        dm->Tblreszossz.open();
        dm->tblkigyujt.open();
        dm->tblnaplo.open();
    }
    ~Fixture() {
        lists.reset();
        prices.reset();
        collection.reset();
        rules.reset();
        for (store::Table* t : dm->handles()) {
            t->close();
        }
        dm.reset();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    static void fill(store::Table& t, const std::vector<std::pair<std::string, int>>& r) {
        store::ControlsDisabled grouped(t);
        t.emptyTable();
        for (const auto& [bsnr, n] : r) {
            t.append();
            t.fieldByName("BSNR").setAsString(bsnr);
            t.fieldByName("Darab").setAsInteger(n);
            t.post();
        }
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_Osszesit_Engine(benchmark::State& state) {
    Fixture& f = fixture();
    int orderRows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Fixture::fill(f.dm->tblkigyujt, f.rows.order);
        Fixture::fill(f.dm->Tblreszossz, f.rows.partial);
        state.ResumeTiming();
        f.lists->Osszesit(std::nullopt);
        orderRows = f.dm->tblkigyujt.recordCount();
    }
    state.counters["order rows after"] = orderRows;
}

void BM_Osszesit_RawSQLite(benchmark::State& state) {
    Fixture& f = fixture();
    const fs::path order = f.dir / "raw-osszesit.db";
    const fs::path partial = f.dir / "raw-reszosszesit.db";
    fs::copy_file(f.dir / "adatok" / "osszesit.db", order, fs::copy_options::overwrite_existing);
    fs::copy_file(f.dir / "adatok" / "reszosszesit.db", partial,
                  fs::copy_options::overwrite_existing);
    sqlite3* db = nullptr;
    sqlite3_open(order.c_str(), &db);
    sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    const std::string attach = "ATTACH '" + partial.string() + "' AS p";
    sqlite3_exec(db, attach.c_str(), nullptr, nullptr, nullptr);
    // the engine keeps its part number index in memory; the reference gets one in the file
    sqlite3_exec(db, "CREATE INDEX IF NOT EXISTS raw_bsnr ON osszesit (BSNR)", nullptr, nullptr,
                 nullptr);
    sqlite3_exec(db, "CREATE INDEX IF NOT EXISTS p.raw_bsnr ON reszosszesit (BSNR)", nullptr,
                 nullptr, nullptr);
    auto prepare = [&](const char* sql) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
        return st;
    };
    auto refill = [&](const char* table, const std::vector<std::pair<std::string, int>>& r) {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_exec(db, (std::string("DELETE FROM ") + table).c_str(), nullptr, nullptr, nullptr);
        sqlite3_stmt* ins =
            prepare((std::string("INSERT INTO ") + table + " (BSNR, Darab) VALUES (?, ?)").c_str());
        for (const auto& [bsnr, n] : r) {
            sqlite3_bind_text(ins, 1, bsnr.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(ins, 2, n);
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    };
    sqlite3_stmt* walk = prepare("SELECT BSNR, Darab FROM p.reszosszesit ORDER BY BSNR");
    sqlite3_stmt* find = prepare("SELECT rowid, Darab FROM osszesit WHERE BSNR = ?");
    sqlite3_stmt* update = prepare("UPDATE osszesit SET Darab = ?, Keszet = 0 WHERE rowid = ?");
    sqlite3_stmt* insert = prepare("INSERT INTO osszesit (BSNR, Darab, Keszet) VALUES (?, ?, 0)");
    sqlite3_stmt* remove = prepare("DELETE FROM osszesit WHERE rowid = ?");
    int orderRows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        refill("osszesit", f.rows.order);
        refill("p.reszosszesit", f.rows.partial);
        state.ResumeTiming();
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        while (sqlite3_step(walk) == SQLITE_ROW) {
            const int n = sqlite3_column_int(walk, 1);
            if (n == 0) {
                continue;
            }
            const std::string bsnr = reinterpret_cast<const char*>(sqlite3_column_text(walk, 0));
            sqlite3_bind_text(find, 1, bsnr.c_str(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(find) == SQLITE_ROW) {
                const sqlite3_int64 rowid = sqlite3_column_int64(find, 0);
                const int total = sqlite3_column_int(find, 1) + n;
                sqlite3_reset(find);
                sqlite3_stmt* st = total == 0 ? remove : update;
                if (total != 0) {
                    sqlite3_bind_int(st, 1, total);
                    sqlite3_bind_int64(st, 2, rowid);
                } else {
                    sqlite3_bind_int64(st, 1, rowid);
                }
                sqlite3_step(st);
                sqlite3_reset(st);
            } else {
                sqlite3_reset(find);
                sqlite3_bind_text(insert, 1, bsnr.c_str(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_int(insert, 2, n);
                sqlite3_step(insert);
                sqlite3_reset(insert);
            }
        }
        sqlite3_reset(walk);
        sqlite3_exec(db, "DELETE FROM p.reszosszesit", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        state.PauseTiming();
        sqlite3_stmt* count = prepare("SELECT count(*) FROM osszesit");
        sqlite3_step(count);
        orderRows = sqlite3_column_int(count, 0);
        sqlite3_finalize(count);
        state.ResumeTiming();
    }
    for (sqlite3_stmt* st : {walk, find, update, insert, remove}) {
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    state.counters["order rows after"] = orderRows;
}

void BM_Totals_Engine(benchmark::State& state) {
    Fixture& f = fixture();
    Fixture::fill(f.dm->tblkigyujt, f.rows.order);
    double sum = 0;
    for (auto _ : state) {
        // a change of the settings makes every row's values be worked out again
        f.dm->Tbltarol.edit();
        f.dm->Tbltarol.fieldByName("Grupp5").setAsFloat(0);
        f.dm->Tbltarol.post();
        sum = f.prices->totals(f.dm->tblkigyujt).second;
        benchmark::DoNotOptimize(sum);
    }
    state.counters["sum"] = sum;
}

// The rows and the price list in plain arrays, the part found through a hash of part numbers.
// The same sums through every row's calculated fields, as a grid reads them.
void BM_Totals_RowByRow(benchmark::State& state) {
    Fixture& f = fixture();
    Fixture::fill(f.dm->tblkigyujt, f.rows.order);
    double sum = 0;
    for (auto _ : state) {
        f.dm->Tbltarol.edit();
        f.dm->Tbltarol.fieldByName("Grupp5").setAsFloat(0);
        f.dm->Tbltarol.post();
        sum = calc::sumOf(f.dm->tblkigyujt).forint;
        benchmark::DoNotOptimize(sum);
    }
    state.counters["sum"] = sum;
}

void BM_Totals_PlainArrays(benchmark::State& state) {
    Fixture& f = fixture();
    std::vector<std::string> part;
    std::vector<int> quantity;
    for (const auto& [bsnr, n] : f.rows.order) {
        part.push_back(bsnr);
        quantity.push_back(n);
    }
    std::unordered_map<std::string, size_t> at;
    for (int i = 0; i < kParts; ++i) {
        at.emplace(partNo(i), static_cast<size_t>(i));
    }
    const calc::PriceSettings s{5, 0, 400};
    double sum = 0;
    for (auto _ : state) {
        double euro = 0;
        double forint = 0;
        for (size_t i = 0; i < part.size(); ++i) {
            const size_t k = at.find(part[i])->second;
            calc::PartPrice p;
            p.PREIS = f.price[k];
            p.g = f.discount[k];
            const calc::RowPrices r = calc::rowPrices(p, quantity[i], 1, s);
            euro += r.ar;
            forint += r.ar2;
        }
        sum = forint;
        benchmark::DoNotOptimize(euro);
        benchmark::DoNotOptimize(forint);
    }
    state.counters["sum"] = sum;
}

} // namespace

BENCHMARK(BM_Osszesit_Engine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Osszesit_RawSQLite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Totals_Engine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Totals_RowByRow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Totals_PlainArrays)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
