// The order summary report over a 5 000-row order: laying the pages out and painting them
// into a PDF, timed separately. References in the same run: reading the printed fields of
// every row straight from the handle (what the layout cannot do without), and a PDF of the
// same number of empty pages (what painting cannot do without).
#include "reports/layouts/order_summary.h"
#include "reports/painter.h"
#include "store/catalogue/catalogue.h"
#include "store/tdm.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>
#include <random>

namespace {

namespace fs = std::filesystem;
constexpr int kRows = 5000;
constexpr double kRate = 400;

struct Fixture {
    fs::path dir;
    store::Session session;
    std::unique_ptr<store::TDM> dm;
    reports::TFrmqrosszesit frm;

    Fixture() {
        dir = fs::temp_directory_path() /
              ("dirurar-report-bench-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        for (const char* a : {"diploma", "data", "kulso"}) {
            session.setAlias(a, dir / "adatok");
        }
        session.setAlias("preis", dir / "preis");
        store::catalogue::createMissingTables(session, dir);
        dm = std::make_unique<store::TDM>(session);
        auto& a = dm->Tblarlista;
        a.open();
        auto& k = dm->tblkigyujt;
        k.open();
        std::mt19937 rng(7);
        {
            store::ControlsDisabled holdA(a);
            store::ControlsDisabled holdK(k);
            for (int i = 0; i < kRows; ++i) {
                const std::string bsnr = std::to_string(100000 + i);
                a.append();
                a.fieldByName("BSNR").setAsString(bsnr);
                a.fieldByName("ARTIKEL").setAsString("AK-" + bsnr);
                a.fieldByName("BEZEICHN")
                    .setAsString("Vasalat alkatrész " + std::to_string(i) + " fehér jobb");
                a.fieldByName("PE").setAsInteger(1 + static_cast<int>(rng() % 3));
                a.fieldByName("PREIS").setAsFloat(0.5 + (rng() % 4000) / 100.0);
                a.fieldByName("Kpreis").setAsFloat((rng() % 900) / 1000.0);
                a.fieldByName("BSNR2").setAsString("6000" + bsnr);
                a.post();
                k.append();
                k.fieldByName("BSNR").setAsString(bsnr);
                k.fieldByName("Darab").setAsInteger(1 + static_cast<int>(rng() % 20));
                k.post();
            }
        }
        k.onCalcFields = [this](store::DataSet& d) {
            const std::string bsnr = d.fieldByName("BSNR").asString();
            const double u = dm->Tblarlista.lookup({"BSNR"}, {bsnr}, "PREIS").floatValue();
            const double w = dm->Tblarlista.lookup({"BSNR"}, {bsnr}, "Kpreis").floatValue();
            const double n = d.fieldByName("Darab").asFloat() * d.fieldByName("pe").asFloat();
            d.fieldByName("ar").setAsFloat(n * u);
            d.fieldByName("ar2").setAsFloat(n * u * kRate);
            d.fieldByName("ear").setAsFloat(u);
            d.fieldByName("ear2").setAsFloat(u * kRate);
            d.fieldByName("gew").setAsFloat(n * w);
        };
        frm.bind(k);
        frm.setExchangeRate(kRate);
        frm.setFooterLines({"Demó Vasalat Kft. – 1117 Budapest, Példa utca 12.",
                            "Tel.: (1) 555-0142   E-mail: rendeles@demo-vasalat.hu"});
    }
    ~Fixture() {
        for (store::Table* t : dm->handles()) {
            t->close();
        }
        dm.reset();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_Reference_ReadPrintedFields(benchmark::State& state) {
    auto& k = fixture().dm->tblkigyujt;
    std::vector<int> fields;
    for (const char* f : {"Megnevezes", "pe", "BSNR", "Darab", "ar", "ear2", "ar2", "gew"}) {
        fields.push_back(k.fieldByName(f).index());
    }
    for (auto _ : state) {
        fixture().session.noteChange(); // the calculated values are computed afresh
        double sum = 0;
        for (int r = 0; r < k.rowCount(); ++r) {
            for (int f : fields) {
                const store::Value v = k.rowValue(r, f);
                sum += v.isFloat() ? v.floatValue() : 0.0;
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["rows"] = kRows;
}
BENCHMARK(BM_Reference_ReadPrintedFields)->Unit(benchmark::kMillisecond);

void BM_Layout(benchmark::State& state) {
    size_t pages = 0;
    for (auto _ : state) {
        fixture().session.noteChange();
        const auto doc = reports::layoutWithPlatformFonts(fixture().frm.QRposszesit);
        pages = doc.pages.size();
        benchmark::DoNotOptimize(pages);
    }
    state.counters["pages"] = static_cast<double>(pages);
}
BENCHMARK(BM_Layout)->Unit(benchmark::kMillisecond);

void BM_Paint_Pdf(benchmark::State& state) {
    const auto doc = reports::layoutWithPlatformFonts(fixture().frm.QRposszesit);
    const fs::path file = fixture().dir / "summary.pdf";
    for (auto _ : state) {
        std::string error;
        if (!reports::writePdf(doc, file, &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    state.counters["pages"] = static_cast<double>(doc.pages.size());
    state.counters["kB"] = static_cast<double>(fs::file_size(file)) / 1024.0;
}
BENCHMARK(BM_Paint_Pdf)->Unit(benchmark::kMillisecond);

void BM_Reference_EmptyPdfPages(benchmark::State& state) {
    const auto doc = reports::layoutWithPlatformFonts(fixture().frm.QRposszesit);
    const QString file = QString::fromStdString((fixture().dir / "empty.pdf").string());
    for (auto _ : state) {
        QPdfWriter pdf(file);
        pdf.setResolution(1200);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        QPainter p(&pdf);
        for (size_t i = 1; i < doc.pages.size(); ++i) {
            pdf.newPage();
        }
    }
    state.counters["pages"] = static_cast<double>(doc.pages.size());
}
BENCHMARK(BM_Reference_EmptyPdfPages)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
