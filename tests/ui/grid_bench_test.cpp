// The grid over the 100 000-row price list of a large installation: creating the grid and
// going to the last row read only the rows that are shown.
#include "ui/dbgrid.h"
#include "ui_support.h"

#include <QHeaderView>
#include <QScrollBar>
#include <chrono>
#include <iostream>

using namespace store;

namespace {

class DBGridScale : public uitest::WindowTest {};

double msSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

} // namespace

TEST_F(DBGridScale, HundredThousandRowsOpenAndScrollToTheEndQuickly) {
    constexpr int kRows = 100000;
    create("arlista",
           {{"BSNR", FieldType::Text, 15, true},
            {"BEZEICHN", FieldType::Text, 50},
            {"PREIS", FieldType::Float},
            {"Grupp", FieldType::Int32}},
           {{"bsnrindex", {"BSNR"}, true}});
    auto t = handle("arlista");
    t->open();
    auto t0 = std::chrono::steady_clock::now();
    {
        ControlsDisabled quiet(*t);
        char code[16];
        for (int i = 0; i < kRows; ++i) {
            std::snprintf(code, sizeof code, "%07d", (i * 7919) % kRows);
            t->append();
            t->fieldByName("BSNR").setAsString(code);
            t->fieldByName("BEZEICHN").setAsString("Alkatrész " + std::to_string(i));
            t->fieldByName("PREIS").setAsFloat(i * 0.37);
            t->fieldByName("Grupp").setAsInteger(i % 40);
            t->post();
        }
    }
    const double fillMs = msSince(t0);
    t->first();
    t->fieldByName("PREIS").displayFormat = "### ##0.00";

    t0 = std::chrono::steady_clock::now();
    ui::DBGrid grid;
    grid.setMessages(&messages);
    grid.setDataSet(t.get());
    grid.resize(800, 600);
    showActive(grid);
    grid.viewport()->repaint();
    const double openMs = msSince(t0);
    const uint64_t openReads = grid.dataModel()->cellReads();

    t0 = std::chrono::steady_clock::now();
    t->last();
    grid.viewport()->repaint();
    const double lastMs = msSince(t0);

    t0 = std::chrono::steady_clock::now();
    for (int step = 0; step < 50; ++step) { // paging back up from the end
        grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->value() - 20);
        grid.viewport()->repaint();
    }
    const double pageMs = msSince(t0);
    const uint64_t reads = grid.dataModel()->cellReads();

    std::cout << "[ figures ] " << kRows << " rows: filling " << fillMs << " ms, grid open "
              << openMs << " ms (" << openReads << " field reads), to the last row " << lastMs
              << " ms, 50 pages up " << pageMs << " ms; " << reads << " field reads in all\n";
    RecordProperty("open_ms", static_cast<int>(openMs));
    RecordProperty("last_ms", static_cast<int>(lastMs));

    EXPECT_EQ(grid.model()->rowCount(), kRows);
    EXPECT_EQ(grid.currentIndex().row(), kRows - 1);
    EXPECT_EQ(grid.model()->index(kRows - 1, 0).data().toString(), QStringLiteral("0099999"));
    EXPECT_LT(openMs + lastMs, 1000.0);
    // only shown rows were read: a screen holds about 30 rows of 4 fields
    EXPECT_LT(reads, 60u * 4u * 60u);
    grid.setDataSet(nullptr);
}
