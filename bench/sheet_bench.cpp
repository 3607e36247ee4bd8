// Workbooks of an order's size and more: writing and reading back a sheet of 10 000 rows and
// 11 columns (names, codes, quantities, weights and prices, as the order export has them),
// against the same rows as a delimited file, the export's other form.
#include "store/sheet/csv.h"
#include "store/sheet/workbook.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace store::sheet;

namespace {

constexpr int kRows = 10000;

const std::vector<store::Row>& rows() {
    static const std::vector<store::Row> r = [] {
        std::vector<store::Row> out;
        out.reserve(kRows);
        for (int i = 0; i < kRows; ++i) {
            const int pe = i % 3 == 0 ? 10 : 1;
            const int qty = 1 + i % 17;
            out.push_back({store::Value("Kilincs fehér ő " + std::to_string(i % 500)),
                           store::Value(pe), store::Value(std::to_string(1000000 + i)),
                           store::Value(qty), store::Value(pe > 1 ? "db" : ""),
                           store::Value(0.25 * (i % 40)), store::Value(12.5 + i % 100),
                           store::Value(4567.8 + i), store::Value((4567.8 + i) * qty),
                           store::Value(40 + i % 20), store::Value(pe * qty)});
        }
        return out;
    }();
    return r;
}

Workbook workbookOf(const std::vector<store::Row>& data) {
    Workbook book;
    Sheet& s = book.addSheet("Exelexp");
    for (size_t r = 0; r < data.size(); ++r) {
        for (size_t c = 0; c < data[r].size(); ++c) {
            const store::Value& v = data[r][c];
            const int row = static_cast<int>(r) + 1;
            const int col = static_cast<int>(c) + 1;
            if (v.isText()) {
                s.setValue(row, col, CellValue::text(v.textValue()));
            } else if (v.isInt()) {
                s.setValue(row, col, CellValue::number(static_cast<double>(v.intValue())));
            } else if (v.isFloat()) {
                s.setValue(row, col, CellValue::number(v.floatValue()));
            }
        }
    }
    return book;
}

fs::path benchFile(const char* name) {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / "dirurar-sheet-bench";
        fs::create_directories(d);
        return d;
    }();
    return dir / name;
}

void BM_WriteXls(benchmark::State& state) {
    for (auto _ : state) {
        workbookOf(rows()).save(benchFile("write.xls"));
    }
    state.counters["rows"] = kRows;
    state.counters["bytes"] = static_cast<double>(fs::file_size(benchFile("write.xls")));
}

void BM_ReadXls(benchmark::State& state) {
    workbookOf(rows()).save(benchFile("read.xls"));
    int cells = 0;
    for (auto _ : state) {
        const Workbook book = Workbook::open(benchFile("read.xls"));
        cells = book.sheet(0).lastRow() * book.sheet(0).lastColumn();
        benchmark::DoNotOptimize(cells);
    }
    state.counters["cells"] = cells;
}

// The reference: the same rows as the delimited file of the export.
void BM_WriteCsv_Reference(benchmark::State& state) {
    for (auto _ : state) {
        CsvWriter w;
        for (const store::Row& r : rows()) {
            w.addRow(r);
        }
        if (!w.save(benchFile("write.csv"))) {
            state.SkipWithError("cannot write the delimited file");
        }
    }
    state.counters["rows"] = kRows;
    state.counters["bytes"] = static_cast<double>(fs::file_size(benchFile("write.csv")));
}

void BM_ReadCsv_Reference(benchmark::State& state) {
    CsvWriter w;
    for (const store::Row& r : rows()) {
        w.addRow(r);
    }
    w.save(benchFile("read.csv"));
    for (auto _ : state) {
        const Workbook book = readCsvWorkbook(benchFile("read.csv"));
        benchmark::DoNotOptimize(book.sheet(0).lastRow());
    }
}

} // namespace

BENCHMARK(BM_WriteXls)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadXls)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteCsv_Reference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadCsv_Reference)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
