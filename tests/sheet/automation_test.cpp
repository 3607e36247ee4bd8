// The spreadsheet automation object, the CSV writer of the exports and the desktop hand-off.
#include "order_export.h"
#include "store/format/format.h"
#include "store/sheet/application.h"
#include "store/sheet/csv.h"
#include "store/sheet/desktop.h"
#include "support.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

using namespace store::sheet;
using sheettest::FakeDesktop;
using sheettest::readBytes;
namespace fs = std::filesystem;

namespace {

class AutomationTest : public sheettest::TempDirTest {};

TEST_F(AutomationTest, OrderExportStepsGiveTheFormattedWorkbook) {
    FakeDesktop desktop;
    const fs::path xls = sheettest::exportOrder(dir, sheettest::sampleOrder(), desktop, false);
    EXPECT_FALSE(fs::exists(dir / "Exelexp.csv"));
    ASSERT_TRUE(fs::exists(xls));
    // the application stays "open and visible": released, it shows the saved workbook
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0], xls);
    EXPECT_TRUE(desktop.mails.empty());

    const Workbook book = Workbook::open(xls);
    const Sheet& s = book.sheet(0);
    EXPECT_EQ(s.name(), "Exelexp");
    EXPECT_EQ(s.value(1, 1), CellValue::text("Megnevezés"));
    EXPECT_TRUE(s.style(1, 1).bold);
    EXPECT_EQ(s.style(1, 1).numberFormat, "@");
    EXPECT_EQ(s.style(1, 1).horizontal, HAlign::Center);
    EXPECT_EQ(s.style(1, 1).vertical, VAlign::Center);
    EXPECT_DOUBLE_EQ(*s.rowHeight(1), 22);
    // codes: a plain number stays a number, a leading zero keeps the code a text
    EXPECT_EQ(s.value(2, 3), CellValue::number(1234567));
    EXPECT_EQ(s.value(3, 3), CellValue::text("0012345"));
    EXPECT_EQ(s.style(2, 3).horizontal, HAlign::Right);
    EXPECT_EQ(s.value(3, 5), CellValue::text("db"));
    EXPECT_EQ(s.value(2, 6), CellValue::number(1.5));
    EXPECT_EQ(s.style(2, 6).numberFormat, "#,##0.00");
    EXPECT_EQ(s.style(2, 9).numberFormat, "###,###");
    EXPECT_EQ(s.style(2, 11).numberFormat, "#,##0");
    EXPECT_EQ(s.value(3, 11), CellValue::number(20));
    // totals under weight, euro and forint; none under the unit price
    EXPECT_EQ(s.value(5, 6), CellValue::number(4.5));
    EXPECT_EQ(s.value(5, 7), CellValue::number(120.5));
    EXPECT_TRUE(s.value(5, 8).isEmpty());
    EXPECT_NEAR(s.value(5, 9).number(), 23372.2, 1e-9);
    EXPECT_TRUE(s.style(5, 6).bold);
    EXPECT_EQ(s.style(5, 6).numberFormat, "#,##0.00");
    for (int c = 6; c <= 9; ++c) {
        EXPECT_EQ(s.style(4, c).bottom, LineWeight::Medium) << c;
    }
    EXPECT_EQ(s.style(4, 5).bottom, LineWeight::None);
    EXPECT_EQ(s.value(1, 12), CellValue::number(36));
    EXPECT_EQ(s.value(1, 13), CellValue::text("25.12.1"));
    // auto-fit: the long names are wider than the default, and bold titles count
    ASSERT_TRUE(s.columnWidth(1));
    EXPECT_GT(*s.columnWidth(1), 15.0);
    EXPECT_LT(*s.columnWidth(1), 22.0);
}

TEST_F(AutomationTest, MailCommandsHandTheWorkbookToTheMailProgram) {
    FakeDesktop desktop;
    const fs::path xls = sheettest::exportOrder(dir, sheettest::sampleOrder(), desktop, true, 49);
    ASSERT_EQ(desktop.mails.size(), 1u);
    EXPECT_EQ(desktop.mails[0].attachment, xls);
    EXPECT_EQ(desktop.mails[0].subject, "Megrendelés-Order");
    EXPECT_EQ(desktop.mails[0].recipients, 0u);
    EXPECT_TRUE(desktop.opened.empty()) << "the mailed workbook was closed";
    // German country code: "=Summe(" is understood as well
    EXPECT_EQ(Workbook::open(xls).sheet(0).value(5, 7), CellValue::number(120.5));
}

TEST_F(AutomationTest, VisibleUnsavedWorkbookIsShownAsACopyAndQuitShowsNothing) {
    FakeDesktop desktop;
    {
        Application app(AppSettings{}, &desktop);
        app.add();
        app.cells(1, 1).setValue(std::string_view("'01"));
        app.cells(2, 1).setValue(std::string_view("12,5"));
        app.cells(3, 1).setValue(std::string_view("2026.12.11."));
        app.cells(4, 1).setValue(std::string_view("01"));
        EXPECT_EQ(app.cells(1, 1).value(), CellValue::text("01"));
        EXPECT_EQ(app.cells(2, 1).value(), CellValue::number(12.5));
        EXPECT_EQ(app.cells(3, 1).value(), CellValue::date({2026, 12, 11}));
        EXPECT_EQ(app.cells(4, 1).value(), CellValue::number(1));
        EXPECT_EQ(app.activeSheet().name(), "Munka1");
        EXPECT_THROW(app.activeWorkbook().save(), SheetError);
        app.setVisible(true);
    }
    ASSERT_EQ(desktop.opened.size(), 1u);
    const fs::path copy = desktop.opened[0];
    EXPECT_EQ(Workbook::open(copy).sheet(0).value(2, 1), CellValue::number(12.5));
    fs::remove(copy);
    {
        Application app(AppSettings{}, &desktop);
        app.add();
        app.setVisible(true);
        app.quit();
        EXPECT_EQ(app.workbookCount(), 0);
    }
    EXPECT_EQ(desktop.opened.size(), 1u);
}

TEST_F(AutomationTest, SaveAsReplacesAFileOnlyWithAlertsOff) {
    FakeDesktop desktop;
    Application app(AppSettings{}, &desktop);
    app.add();
    app.cells(1, 1).setValue(1.0);
    const fs::path f = dir / "Manual.xls";
    sheettest::writeBytes(f, "old");
    EXPECT_THROW(app.activeWorkbook().saveAs(f, xl::Normal), SheetError);
    EXPECT_EQ(readBytes(f), "old");
    app.setDisplayAlerts(false);
    app.activeWorkbook().saveAs(f, xl::Normal);
    EXPECT_EQ(Workbook::open(f).sheet(0).value(1, 1), CellValue::number(1));
    EXPECT_THROW(app.activeWorkbook().saveAs(dir / "x.xls", 51), SheetError);
}

TEST_F(AutomationTest, OpenedWorkbookIsEditedAndSavedBack) {
    // read a delivery list, rewrite a code, mark another bold blue, save it over itself
    Workbook b;
    Sheet& s = b.addSheet("Munka1");
    s.setValue(1, 1, CellValue::text("Cikkszám"));
    s.setValue(2, 1, CellValue::text("123456789AX"));
    s.setValue(3, 1, CellValue::text("000"));
    s.setValue(2, 2, CellValue::number(5));
    b.save(dir / "manual.xls");
    FakeDesktop desktop;
    Application app(AppSettings{}, &desktop);
    app.open(dir / "manual.xls");
    app.setVisible(true);
    app.range("A2", "A2").select();
    EXPECT_EQ(app.activeCell().text(), "123456789AX");
    app.activeCell().setValue(CellValue::text("123456789AB"));
    app.activeCell().font().setBold(false);
    app.activeCell().font().setColor(0);
    app.range("A3", "A3").select();
    app.activeCell().font().setBold(true);
    app.activeCell().font().setColor(16711680);
    app.setDisplayAlerts(false);
    app.activeWorkbook().saveAs(dir / "manual.xls");
    app.quit();
    const Workbook r = Workbook::open(dir / "manual.xls");
    EXPECT_EQ(r.sheet(0).value(2, 1), CellValue::text("123456789AB"));
    EXPECT_EQ(r.sheet(0).value(2, 2), CellValue::number(5));
    EXPECT_TRUE(r.sheet(0).style(3, 1).bold);
    EXPECT_EQ(r.sheet(0).style(3, 1).colour, 16711680);
    EXPECT_EQ(r.sheet(0).style(2, 1).colour, 0);
    EXPECT_TRUE(desktop.opened.empty());
}

TEST_F(AutomationTest, EndGoesLikeCtrlAndArrow) {
    FakeDesktop desktop;
    Application app(AppSettings{}, &desktop);
    app.add();
    for (int r : {1, 2, 3, 6, 7}) {
        app.cells(r, 1).setValue(static_cast<double>(r));
    }
    struct Case {
        int row;
        int direction;
        int expectedRow;
    };
    const Case cases[] = {{1, xl::Down, 3}, {3, xl::Down, 6},     {4, xl::Down, 6},
                          {6, xl::Down, 7}, {7, xl::Down, 65536}, {7, xl::Up, 6},
                          {6, xl::Up, 3},   {2, xl::Up, 1},       {1, xl::Up, 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(app.cells(c.row, 1).end(c.direction).row(), c.expectedRow)
            << c.row << " " << c.direction;
    }
    EXPECT_EQ(app.cells(1, 1).end(xl::ToRight).column(), 256);
    EXPECT_THROW(app.cells(1, 1).end(7), SheetError);
    app.quit();
}

TEST(Csv, WindowsCodePageCrLfAndTheSettingsSeparators) {
    const fs::path dir = sheettest::freshDir("csv");
    CsvWriter semicolon;
    semicolon.addRow({store::Value("Zárszerkezet ő;ű"), store::Value(12), store::Value(1.5),
                      store::Value(), store::Value(-0.25), store::Value(1e20)});
    semicolon.addTextRow({"a\r\nb", "c"});
    ASSERT_TRUE(semicolon.save(dir / "a.csv"));
    const std::string expected =
        store::fmt::utf8ToCp1250("Zárszerkezet ő ű;12;1,5;;-0,25;1E+20") + "\r\na b;c\r\n";
    EXPECT_EQ(readBytes(dir / "a.csv"), expected);

    struct Case {
        char separator;
        char mark;
        const char* line;
    };
    const Case cases[] = {{',', '.', "x,3.75,7"}, {';', '.', "x;3.75;7"}, {',', ',', "x,3.75,7"}};
    for (const Case& c : cases) {
        CsvWriter w(CsvOptions{c.separator, c.mark});
        w.addRow({store::Value("x"), store::Value(3.75), store::Value(int64_t{7})});
        EXPECT_EQ(w.lines().at(0), c.line) << c.separator << c.mark;
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
}

TEST(Csv, EntriesBecomeNumbersDatesOrTexts) {
    struct Case {
        const char* text;
        bool keepCodes;
        CellValue expected;
    };
    const Case cases[] = {
        {"12", true, CellValue::number(12)},
        {"-1 234,5", true, CellValue::number(-1234.5)},
        {"0,5", true, CellValue::number(0.5)},
        {"0012", true, CellValue::text("0012")},
        {"0012", false, CellValue::number(12)},
        {"1234567890123456", true, CellValue::text("1234567890123456")},
        {"1.5", true, CellValue::text("1.5")},
        {"'15", true, CellValue::text("15")},
        {"2026.12.11.", true, CellValue::date({2026, 12, 11})},
        {"123456789AB", true, CellValue::text("123456789AB")},
        {"", true, CellValue()},
        {"  ", true, CellValue::text("  ")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseEntry(c.text, ',', c.keepCodes), c.expected) << c.text;
    }
}

// The real desktop hand-off, with stand-ins for xdg-open and xdg-email on PATH.
TEST(SystemDesktop, StartsTheDesktopToolsWithTheFileAndReportsAMissingMailProgram) {
    const fs::path dir = sheettest::freshDir("desktop");
    const fs::path bin = dir / "bin";
    fs::create_directories(bin);
    const fs::path log = dir / "args.txt";
    const fs::path done = dir / "done";
    // shell built-ins only: PATH holds nothing but the stand-ins
    sheettest::writeBytes(bin / "xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + log.string() +
                                                "'\nprintf x > '" + done.string() + "'\n");
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", bin.c_str(), 1);
    const fs::path doc = dir / "Exelexp; rm -rf x.xls";
    sheettest::writeBytes(doc, "x");
    EXPECT_TRUE(systemDesktop().openDocument(doc));
    for (int i = 0; i < 100 && !fs::exists(done); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(readBytes(log), doc.string() + "\n");
    try {
        systemDesktop().composeMail(doc, "Megrendelés-Order", {});
        ADD_FAILURE() << "no mail program, yet no error";
    } catch (const SheetError& e) {
        EXPECT_NE(std::string(e.what()).find("no mail program"), std::string::npos);
    }
    ::setenv("PATH", "", 1);
    EXPECT_FALSE(systemDesktop().openDocument(doc)) << "no opener: skipped";
    ::setenv("PATH", oldPath.c_str(), 1);
    std::error_code ec;
    fs::remove_all(dir, ec);
}

} // namespace
