// Workbooks checked with an independent spreadsheet program: LibreOffice (headless) writes a
// workbook that this layer reads, and converts the workbooks this layer writes to CSV, where
// the cells, the number formats and the recalculated totals show. The program must be on
// PATH (soffice); each test runs it once.
#include "order_export.h"
#include "store/engine/table.h"
#include "store/engine/table_file.h"
#include "store/sheet/copy_engine.h"
#include "support.h"

#include <gtest/gtest.h>

using namespace store::sheet;
namespace fs = std::filesystem;
using Rows = std::vector<std::vector<std::string>>;

namespace {

// A workbook as LibreOffice itself saves it: two sheets, accented texts, a bold title row, a
// decimal number, a date, an empty cell, a code with a leading zero, a formula and a named
// range "import".
const char* kLibreOfficeSource = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>
 <number:date-style style:name="N1"><number:year number:style="long"/><number:text>-</number:text><number:month number:style="long"/><number:text>-</number:text><number:day number:style="long"/></number:date-style>
 <style:style style:name="ce1" style:family="table-cell" style:data-style-name="N1"/>
 <style:style style:name="ce2" style:family="table-cell"><style:text-properties fo:font-weight="bold"/></style:style>
</office:automatic-styles>
<office:body><office:spreadsheet>
<table:table table:name="Első">
 <table:table-row><table:table-cell office:value-type="string"><text:p>előlap</text:p></table:table-cell></table:table-row>
</table:table>
<table:table table:name="Adatok">
 <table:table-row>
  <table:table-cell table:style-name="ce2" office:value-type="string"><text:p>BSNR</text:p></table:table-cell>
  <table:table-cell table:style-name="ce2" office:value-type="string"><text:p>Megnevezés</text:p></table:table-cell>
  <table:table-cell table:style-name="ce2" office:value-type="string"><text:p>ár</text:p></table:table-cell>
  <table:table-cell table:style-name="ce2" office:value-type="string"><text:p>nap</text:p></table:table-cell>
  <table:table-cell table:style-name="ce2" office:value-type="string"><text:p>dupla</text:p></table:table-cell>
 </table:table-row>
 <table:table-row>
  <table:table-cell office:value-type="string"><text:p>0012</text:p></table:table-cell>
  <table:table-cell office:value-type="string"><text:p>Árvíztűrő tükörfúrógép</text:p></table:table-cell>
  <table:table-cell office:value-type="float" office:value="12.5"/>
  <table:table-cell table:style-name="ce1" office:value-type="date" office:date-value="2024-03-15"/>
  <table:table-cell table:formula="of:=[.C2]*2" office:value-type="float" office:value="25"/>
 </table:table-row>
 <table:table-row>
  <table:table-cell office:value-type="string"><text:p>A-77</text:p></table:table-cell>
  <table:table-cell/>
  <table:table-cell office:value-type="float" office:value="7"/>
  <table:table-cell table:style-name="ce1" office:value-type="date" office:date-value="1999-12-31"/>
  <table:table-cell table:formula="of:=[.C3]*2" office:value-type="float" office:value="14"/>
 </table:table-row>
 <table:table-row>
  <table:table-cell office:value-type="string"><text:p>kívül</text:p></table:table-cell>
 </table:table-row>
</table:table>
<table:named-expressions>
 <table:named-range table:name="import" table:base-cell-address="$Adatok.$A$1" table:cell-range-address="$Adatok.$A$1:.$E$3"/>
</table:named-expressions>
</office:spreadsheet></office:body></office:document>
)";

// Each test runs LibreOffice once (the test runner may start every test in a process of its
// own), converting all of its files in that one run.
class LibreOffice : public sheettest::TempDirTest {
protected:
    Rows csv(const std::string& name) const {
        const fs::path f = dir / "csv" / name;
        EXPECT_TRUE(fs::exists(f)) << name << " was not written; soffice said:\n" << log;
        return sheettest::readCsv(f);
    }

    // the first n fields of a row
    static std::vector<std::string> head(const Rows& rows, size_t row, size_t n) {
        if (row >= rows.size()) {
            return {};
        }
        std::vector<std::string> r = rows[row];
        r.resize(n);
        return r;
    }

    std::string log;
};

TEST_F(LibreOffice, OurWorkbooksOpenWithTheirCellsFormatsAndRecalculatedTotals) {
    // the order export and two tables copied into one workbook
    const fs::path text = dir / "text";
    fs::create_directories(text);
    fs::create_directories(dir / "csv");
    sheettest::FakeDesktop desktop;
    sheettest::exportOrder(text, sheettest::sampleOrder(), desktop, false);
    store::Session session;
    using V = store::Value;
    const store::TableSchema arl{"arlista",
                                 {store::FieldDef("BSNR", store::FieldType::Text, 15),
                                  store::FieldDef("BEZEICHN", store::FieldType::Text, 50),
                                  store::FieldDef("PE", store::FieldType::Int32),
                                  store::FieldDef("PREIS", store::FieldType::Float)},
                                 {}};
    store::TableFile::createWithRows(dir / "arlista.db", arl,
                                     {{V("0012"), V("Kilincs fehér, árvíztűrő"), V(1), V(12.345)},
                                      {V("99"), V(), V(10), V(-0.5)}});
    const store::TableSchema rk{"Rkapcs",
                                {store::FieldDef("Vevokod", store::FieldType::Text, 8),
                                 store::FieldDef("Datum", store::FieldType::Date)},
                                {}};
    store::TableFile::createWithRows(dir / "Rkapcs.db", rk,
                                     {{V("12"), V(store::Date{2024, 2, 29})}});
    copyTableToSheet(session, dir / "arlista.db", text / "tablak.xls", "arlista");
    copyTableToSheet(session, dir / "Rkapcs.db", text / "tablak.xls", "Rkapcs");

    ASSERT_EQ(sheettest::soffice(sheettest::kCsvAllSheets,
                                 {text / "Exelexp.xls", text / "tablak.xls"}, dir / "csv",
                                 dir / "profile", &log),
              0)
        << log;

    const Rows rows = csv("Exelexp-Exelexp.csv");
    ASSERT_GE(rows.size(), 5u);
    EXPECT_EQ(head(rows, 0, 13),
              (std::vector<std::string>{"Megnevezés", "Cs.E.", "BSNR", "Mennyis.", "", "Súly(kg)",
                                        "Ár(Euro)", "Ár/db(Ft)", "Ár(Ft)", "Á.cs", "Össz.db", "36",
                                        "25.12.1"}));
    EXPECT_EQ(head(rows, 1, 11),
              (std::vector<std::string>{"Kilincs fehér ő", "1", "1234567", "4", "", "1.50", "12.25",
                                        "4,568", "18,271", "40", "4"}));
    EXPECT_EQ(head(rows, 2, 11),
              (std::vector<std::string>{"Zárszerkezet ű", "10", "0012345", "2", "db", "2.25",
                                        "100.50", "1,000", "2,001", "55", "20"}));
    // the totals row: LibreOffice worked the array formulas out itself
    EXPECT_EQ(head(rows, 4, 11), (std::vector<std::string>{"", "", "", "", "", "4.50", "120.50", "",
                                                           "23,372", "", ""}));

    EXPECT_EQ(csv("tablak-arlista.csv"), (Rows{{"BSNR", "BEZEICHN", "PE", "PREIS"},
                                               {"0012", "Kilincs fehér, árvíztűrő", "1", "12.345"},
                                               {"99", "", "10", "-0.5"}}));
    EXPECT_EQ(csv("tablak-Rkapcs.csv"), (Rows{{"Vevokod", "Datum"}, {"12", "2024.02.29."}}));
}

TEST_F(LibreOffice, WorkbookWrittenByLibreOfficeIsRead) {
    sheettest::writeBytes(dir / "forras.fods", kLibreOfficeSource);
    fs::create_directories(dir / "lo");
    ASSERT_EQ(sheettest::soffice("xls", {dir / "forras.fods"}, dir / "lo", dir / "profile", &log),
              0)
        << log;
    const fs::path file = dir / "lo" / "forras.xls";
    const Workbook book = Workbook::open(file);
    ASSERT_EQ(book.sheetCount(), 2);
    EXPECT_EQ(book.sheet(0).name(), "Első");
    const Sheet& s = book.sheet(1);
    EXPECT_EQ(s.name(), "Adatok");
    EXPECT_EQ(s.value(1, 2), CellValue::text("Megnevezés"));
    EXPECT_TRUE(s.style(1, 2).bold);
    EXPECT_FALSE(s.style(2, 2).bold);
    EXPECT_EQ(s.value(2, 1), CellValue::text("0012"));
    EXPECT_EQ(s.value(2, 2), CellValue::text("Árvíztűrő tükörfúrógép"));
    EXPECT_EQ(s.value(2, 3), CellValue::number(12.5));
    EXPECT_EQ(s.value(2, 4), CellValue::date({2024, 3, 15}));
    EXPECT_EQ(s.value(3, 4), CellValue::date({1999, 12, 31}));
    EXPECT_TRUE(s.value(3, 2).isEmpty());
    EXPECT_EQ(s.value(2, 5), CellValue::number(25)) << "the formula's stored value";
    EXPECT_EQ(book.notRewritable(), "");

    // the named range, copied into a table
    store::Session session;
    copySheetToTable(session, file, "import", dir / "import");
    store::Table t(session);
    t.setTableName((dir / "import.db").string());
    t.open();
    ASSERT_EQ(t.fieldCount(), 5);
    const std::vector<std::pair<const char*, store::FieldType>> fields = {
        {"BSNR", store::FieldType::Text},
        {"Megnevezés", store::FieldType::Text},
        {"ár", store::FieldType::Float},
        {"nap", store::FieldType::Date},
        {"dupla", store::FieldType::Int32}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(t.field(i).name(), fields[static_cast<size_t>(i)].first);
        EXPECT_EQ(t.field(i).type(), fields[static_cast<size_t>(i)].second) << i;
    }
    ASSERT_EQ(t.rowCount(), 2) << "the row below the named range is not part of it";
    EXPECT_EQ(t.rowValue(0, 0), store::Value("0012"));
    EXPECT_EQ(t.rowValue(0, 3), store::Value(store::Date{2024, 3, 15}));
    EXPECT_TRUE(t.rowValue(1, 1).isNull());
    EXPECT_EQ(t.rowValue(1, 4), store::Value(int64_t{14}));
}

} // namespace
