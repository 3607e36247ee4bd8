// The table engine against raw SQLite doing the same work on the same rows, on the large
// installation (dirurar-setup --large). The installation is made once in the temporary folder
// (or taken from DIRURAR_BENCH_INSTALL).
//
//   engine_bench                 the timings
//   engine_bench --memory        peak memory of a process holding the large price list open
#include "bench_support.h"
#include "store/engine/session.h"
#include "store/engine/table.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sqlite3.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace store;

namespace {

fs::path installation() {
    return bench::largeInstallation();
}

fs::path priceList() {
    return installation() / "adatok" / "arlista.db";
}

struct Raw {
    sqlite3* db = nullptr;
    explicit Raw(const fs::path& f, int flags = SQLITE_OPEN_READWRITE) {
        sqlite3_open_v2(f.c_str(), &db, flags, nullptr);
    }
    ~Raw() { sqlite3_close_v2(db); }
    void exec(const char* sql) const { sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
};

// The part numbers of the price list, in file order.
const std::vector<std::string>& partNumbers() {
    static const std::vector<std::string> parts = [] {
        std::vector<std::string> p;
        Raw r(priceList(), SQLITE_OPEN_READONLY);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(r.db, "SELECT BSNR FROM arlista", -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            p.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        }
        sqlite3_finalize(st);
        return p;
    }();
    return parts;
}

std::unique_ptr<Table> priceHandle(Session& s) {
    auto t = std::make_unique<Table>(s, "Tblarlista");
    t->setAlias("diploma");
    t->setTableName("arlista.db");
    return t;
}

void setAliases(Session& s) {
    s.loadAliases(installation() / "aliases.ini");
}

// ---------------------------------------------------------------- opening

void BM_OpenPriceList_Engine(benchmark::State& state) {
    for (auto _ : state) {
        Session s;
        setAliases(s);
        auto t = priceHandle(s);
        t->open();
        benchmark::DoNotOptimize(t->recordCount());
        t->close();
    }
    state.counters["rows"] = static_cast<double>(partNumbers().size());
}

// raw SQLite reading every row and column, as the engine does when it opens a table
void BM_OpenPriceList_RawSQLite(benchmark::State& state) {
    for (auto _ : state) {
        Raw r(priceList(), SQLITE_OPEN_READONLY);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(r.db, "SELECT * FROM arlista ORDER BY BSNR", -1, &st, nullptr);
        int64_t n = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                benchmark::DoNotOptimize(sqlite3_column_text(st, c));
            }
            ++n;
        }
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(n);
    }
}

// ---------------------------------------------------------------- find-key by BSNR

std::vector<std::string> probes() {
    std::mt19937 rng(7);
    const auto& parts = partNumbers();
    std::vector<std::string> p;
    for (int i = 0; i < 1000; ++i) {
        p.push_back(parts[rng() % parts.size()]);
    }
    return p;
}

void BM_FindKey_Engine(benchmark::State& state) {
    Session s;
    setAliases(s);
    auto t = priceHandle(s);
    t->open();
    const auto keys = probes();
    for (auto _ : state) {
        for (const auto& k : keys) {
            benchmark::DoNotOptimize(t->findKey({Value(k)}));
            benchmark::DoNotOptimize(t->fieldByName("PREIS").asFloat());
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(keys.size()));
}

// raw SQLite with an index on BSNR (in a copy of the file, so the installation stays as it is)
void BM_FindKey_RawSQLite(benchmark::State& state) {
    const fs::path copy = fs::temp_directory_path() / "dirurar-bench-findkey.db";
    fs::copy_file(priceList(), copy, fs::copy_options::overwrite_existing);
    Raw r(copy);
    r.exec("CREATE INDEX IF NOT EXISTS bsnr_ix ON arlista(BSNR)");
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(r.db, "SELECT PREIS FROM arlista WHERE BSNR=?", -1, &st, nullptr);
    const auto keys = probes();
    for (auto _ : state) {
        for (const auto& k : keys) {
            sqlite3_bind_text(st, 1, k.c_str(), -1, SQLITE_STATIC);
            if (sqlite3_step(st) == SQLITE_ROW) {
                benchmark::DoNotOptimize(sqlite3_column_double(st, 0));
            }
            sqlite3_reset(st);
        }
    }
    sqlite3_finalize(st);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(keys.size()));
}

// ---------------------------------------------------------------- filtered walk

void BM_FilteredWalk_Engine(benchmark::State& state) {
    Session s;
    setAliases(s);
    auto t = priceHandle(s);
    t->open();
    Field& grupp = t->fieldByName("Grupp");
    t->onFilterRecord = [&](DataSet&) { return grupp.asInteger() % 3 == 0; };
    for (auto _ : state) {
        t->setFiltered(false);
        t->setFiltered(true); // the visible records are worked out afresh
        int64_t n = 0;
        Field& bsnr = t->fieldByName("BSNR");
        for (t->first(); !t->eof(); t->next()) {
            benchmark::DoNotOptimize(bsnr.asString());
            ++n;
        }
        benchmark::DoNotOptimize(n);
    }
}

void BM_FilteredWalk_RawSQLite(benchmark::State& state) {
    Raw r(priceList(), SQLITE_OPEN_READONLY);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(r.db, "SELECT BSNR FROM arlista WHERE Grupp % 3 = 0 ORDER BY BSNR", -1, &st,
                       nullptr);
    for (auto _ : state) {
        int64_t n = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            benchmark::DoNotOptimize(
                std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))));
            ++n;
        }
        sqlite3_reset(st);
        benchmark::DoNotOptimize(n);
    }
    sqlite3_finalize(st);
}

// ---------------------------------------------------------------- appending 100 000 rows

struct Source {
    std::vector<FieldDef> fields;
    std::vector<Row> rows;
};

const Source& sourceRows() {
    static const Source src = [] {
        Source s;
        Session ses;
        setAliases(ses);
        auto t = priceHandle(ses);
        t->open();
        s.fields = t->schema().fields;
        for (t->first(); !t->eof(); t->next()) {
            Row r;
            for (int i = 0; i < t->fieldCount(); ++i) {
                r.push_back(t->field(i).value());
            }
            s.rows.push_back(std::move(r));
        }
        return s;
    }();
    return src;
}

fs::path emptyTableDir() {
    fs::path d = fs::temp_directory_path() / "dirurar-bench-append";
    std::error_code ec;
    fs::remove_all(d, ec);
    fs::create_directories(d);
    return d;
}

void BM_Append100k_Engine(benchmark::State& state) {
    const Source& src = sourceRows();
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path d = emptyTableDir();
        Session s;
        s.setAlias("bench", d);
        TableSchema sc;
        sc.tableName = "arlista";
        sc.fields = src.fields;
        sc.indexes = {IndexDef{"Primary", {"BSNR"}, true}};
        s.createTable(d / "arlista.db", sc);
        Table t(s, "t");
        t.setAlias("bench");
        t.setTableName("arlista.db");
        t.open();
        state.ResumeTiming();
        {
            ControlsDisabled stretch(t);
            const int n = static_cast<int>(src.fields.size());
            for (const auto& r : src.rows) {
                t.append();
                for (int i = 0; i < n; ++i) {
                    t.field(i).setValue(r[static_cast<size_t>(i)]);
                }
                t.post();
            }
        }
        state.PauseTiming();
        t.close();
        state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(src.rows.size());
}

void BM_Append100k_RawSQLite(benchmark::State& state) {
    const Source& src = sourceRows();
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path d = emptyTableDir();
        Raw r(d / "arlista.db", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        std::string cols;
        std::string qs;
        for (const auto& f : src.fields) {
            cols += (cols.empty() ? "" : ",") + std::string("\"") + f.name + "\"";
            qs += qs.empty() ? "?" : ",?";
        }
        r.exec(("CREATE TABLE arlista(" + cols + ")").c_str());
        state.ResumeTiming();
        r.exec("BEGIN");
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(r.db, ("INSERT INTO arlista VALUES(" + qs + ")").c_str(), -1, &st,
                           nullptr);
        for (const auto& row : src.rows) {
            for (size_t i = 0; i < row.size(); ++i) {
                const Value& v = row[i];
                const int p = static_cast<int>(i) + 1;
                if (v.isNull()) {
                    sqlite3_bind_null(st, p);
                } else if (v.isText()) {
                    sqlite3_bind_text(st, p, v.textValue().c_str(), -1, SQLITE_TRANSIENT);
                } else if (v.isFloat()) {
                    sqlite3_bind_double(st, p, v.floatValue());
                } else {
                    sqlite3_bind_int64(st, p, v.intValue());
                }
            }
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        r.exec("COMMIT");
    }
    state.counters["rows"] = static_cast<double>(src.rows.size());
}

long peakKilobytes() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

} // namespace

BENCHMARK(BM_OpenPriceList_Engine)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_OpenPriceList_RawSQLite)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FindKey_Engine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindKey_RawSQLite)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FilteredWalk_Engine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilteredWalk_RawSQLite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Append100k_Engine)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Append100k_RawSQLite)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--memory") == 0) {
        // the installation is made (when missing) by another process, so that only the
        // opening of the price list counts here
        if (const pid_t pid = fork(); pid == 0) {
            installation();
            _exit(0);
        } else {
            int status = 0;
            waitpid(pid, &status, 0);
        }
        const long before = peakKilobytes();
        Session s;
        setAliases(s);
        auto t = priceHandle(s);
        t->open();
        t->last();
        std::printf("price list rows: %d\npeak memory before opening: %.1f MB\n"
                    "peak memory with the price list open: %.1f MB (target: under 200 MB)\n",
                    t->recordCount(), before / 1024.0, peakKilobytes() / 1024.0);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
