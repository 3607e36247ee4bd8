// The copy engine between tables and workbooks, and the dirurar-xls command that runs it.
#include "store/catalogue/catalogue.h"
#include "store/engine/errors.h"
#include "store/engine/table.h"
#include "store/engine/table_file.h"
#include "store/format/format.h"
#include "store/sheet/copy_engine.h"
#include "support.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>

using namespace store::sheet;
using sheettest::listing;
using sheettest::readBytes;
namespace fs = std::filesystem;

namespace {

class CopyEngineTest : public sheettest::TempDirTest {
protected:
    // A table file with the catalogue's layout of `name` (no field required, so that rows may
    // have empty fields) and these rows.
    fs::path catalogueTable(const std::string& name, const std::vector<store::Row>& rows) {
        const store::catalogue::TableEntry* e = store::catalogue::findTable(name);
        EXPECT_NE(e, nullptr) << name;
        store::TableSchema schema = e->schema;
        for (auto& f : schema.fields) {
            f.required = false;
            f.defaultValue = {};
        }
        schema.indexes.clear();
        const fs::path file = dir / e->file;
        store::TableFile::createWithRows(file, schema, rows);
        return file;
    }

    struct Table {
        std::vector<store::FieldDef> fields;
        std::vector<std::vector<std::string>> rows; // values in a comparable form
    };
    // Reads a table through a handle; numbers of every kind compare by value.
    Table read(const fs::path& file) {
        store::Table t(session);
        t.setTableName(file.string());
        t.open();
        Table out;
        out.fields = t.schema().fields;
        for (int r = 0; r < t.rowCount(); ++r) {
            std::vector<std::string> row;
            for (int f = 0; f < t.fieldCount(); ++f) {
                const store::Value v = t.rowValue(r, f);
                row.push_back(v.isNull()   ? "null"
                              : v.isText() ? "'" + v.textValue()
                              : v.isFloat()
                                  ? store::fmt::formatGeneral(v.floatValue())
                                  : store::fmt::formatGeneral(static_cast<double>(v.intValue())));
            }
            out.rows.push_back(row);
        }
        return out;
    }

    store::Session session;
};

TEST_F(CopyEngineTest, CatalogueTablesGoToAWorkbookAndBackUnchanged) {
    using V = store::Value;
    const fs::path arlista = catalogueTable(
        "arlista.db", {{V("12345678901"), V("A-12"), V("Kilincs fehér, árvíztűrő"), V(1), V(12.345),
                        V("123456789012"), V("Griff weiß"), V(100.5), V(10), V("Kvaka bela"), V(40),
                        V("Mâner alb"), V(11.0), V(0.0)},
                       {V("99"), V("B"), V("Zárszerkezet ő ű"), V(10), V(-0.1), V(), V(), V(0.0),
                        V(10), V(), V(55), V("Închizătoare"), V(0.3), V(2.75)},
                       {V("0012"), V(), V("Ollókar"), V(1), V(1e-5), V("0012X"), V("Schere"),
                        V(7.25), V(1), V("Makaze"), V(44), V("Foarfece"), V(0.0), V(0.0)}});
    const fs::path rkapcs =
        catalogueTable("Rkapcs.db", {{V("12"), V(1), V(store::Date{2024, 2, 29}), V(true)},
                                     {V("7"), V(2), V(), V(false)},
                                     {V(), V(3), V(store::Date{1999, 12, 31}), V()}});
    const fs::path book = dir / "tablak.xls";
    copyTableToSheet(session, arlista, book, "arlista");
    // as the statements name it: no extension, a blank after the name
    copyTableToSheet(session, dir / "Rkapcs ", book, "Rkapcs");
    {
        const Workbook w = Workbook::open(book);
        ASSERT_EQ(w.sheetCount(), 2);
        EXPECT_EQ(w.sheet(0).value(1, 3), CellValue::text("BEZEICHN"));
        EXPECT_EQ(w.sheet(1).value(2, 3), CellValue::date({2024, 2, 29}));
        ASSERT_NE(w.findName("Rkapcs"), nullptr);
        EXPECT_EQ(w.findName("Rkapcs")->area, (CellArea{1, 1, 4, 4}));
    }
    const fs::path back = dir / "vissza";
    fs::create_directories(back);
    copySheetToTable(session, book, "arlista", back / "arlista");
    copySheetToTable(session, book, "Rkapcs", back / "Rkapcs.db");

    for (const auto& [original, copy] :
         {std::pair{arlista, back / "arlista.db"}, std::pair{rkapcs, back / "Rkapcs.db"}}) {
        const Table a = read(original);
        const Table b = read(copy);
        ASSERT_EQ(a.fields.size(), b.fields.size());
        for (size_t i = 0; i < a.fields.size(); ++i) {
            EXPECT_EQ(a.fields[i].name, b.fields[i].name);
        }
        EXPECT_EQ(a.rows, b.rows) << original;
    }
    // the types the copy chose
    const Table arl = read(back / "arlista.db");
    auto type = [&](const Table& t, const char* name) {
        for (const auto& f : t.fields) {
            if (f.name == name) {
                return f;
            }
        }
        ADD_FAILURE() << name;
        return store::FieldDef();
    };
    EXPECT_EQ(type(arl, "BSNR").type, store::FieldType::Text);
    EXPECT_EQ(type(arl, "BEZEICHN").size, 24);
    EXPECT_EQ(type(arl, "PE").type, store::FieldType::Int32);
    EXPECT_EQ(type(arl, "PREIS").type, store::FieldType::Float);
    const Table rk = read(back / "Rkapcs.db");
    EXPECT_EQ(type(rk, "Datum").type, store::FieldType::Date);
    EXPECT_EQ(type(rk, "Prof").type, store::FieldType::Int32);
    EXPECT_EQ(type(rk, "Vevokod").type, store::FieldType::Text);
}

TEST_F(CopyEngineTest, FieldTypesFollowTheCells) {
    Workbook book;
    Sheet& s = book.addSheet("import");
    const std::vector<std::string> titles = {"egész",  "tört", "nagy",  "nap", "szöveg",
                                             "vegyes", "",     "egész", "üres"};
    for (size_t c = 0; c < titles.size(); ++c) {
        if (!titles[c].empty()) {
            s.setValue(1, static_cast<int>(c) + 1, CellValue::text(titles[c]));
        }
    }
    auto set = [&](int r, int c, CellValue v) { s.setValue(r, c, std::move(v)); };
    set(2, 1, CellValue::number(1));
    set(3, 1, CellValue::number(-3));
    set(2, 2, CellValue::number(1));
    set(3, 2, CellValue::number(2.5));
    set(2, 3, CellValue::number(3e9));
    set(2, 4, CellValue::date({2024, 3, 15}));
    set(3, 4, CellValue::date({2000, 1, 1}));
    set(2, 5, CellValue::text("ab"));
    set(3, 5, CellValue::text("ővé12"));
    set(2, 6, CellValue::number(1.5));
    set(3, 6, CellValue::text("x"));
    set(5, 6, CellValue::date({2024, 3, 15}));
    set(2, 7, CellValue::text("no title"));
    set(3, 8, CellValue::number(8));
    Style bold;
    bold.bold = true;
    s.setStyle(9, 1, bold); // a formatted empty cell below: not a record
    const auto area = book.tableArea("import");
    std::vector<store::Row> rows;
    const store::TableSchema t = columnsFor(*area.sheet, area.area, "import", &rows);
    struct Expect {
        const char* name;
        store::FieldType type;
        int size;
    };
    const Expect expected[] = {
        {"egész", store::FieldType::Int32, 0}, {"tört", store::FieldType::Float, 0},
        {"nagy", store::FieldType::Float, 0},  {"nap", store::FieldType::Date, 0},
        {"szöveg", store::FieldType::Text, 5}, {"vegyes", store::FieldType::Text, 11},
        {"F7", store::FieldType::Text, 8},     {"F8", store::FieldType::Int32, 0},
        {"üres", store::FieldType::Text, 1}};
    ASSERT_EQ(t.fields.size(), std::size(expected));
    for (size_t i = 0; i < t.fields.size(); ++i) {
        EXPECT_EQ(t.fields[i].name, expected[i].name);
        EXPECT_EQ(t.fields[i].type, expected[i].type) << expected[i].name;
        if (expected[i].size > 0) {
            EXPECT_EQ(t.fields[i].size, expected[i].size) << expected[i].name;
        }
    }
    ASSERT_EQ(rows.size(), 4u); // rows 2 to 5; row 4 is empty but inside
    EXPECT_EQ(rows[0][0], store::Value(int64_t{1}));
    EXPECT_EQ(rows[1][1], store::Value(2.5));
    EXPECT_EQ(rows[0][3], store::Value(store::Date{2024, 3, 15}));
    EXPECT_EQ(rows[0][5], store::Value("1,5"));
    EXPECT_EQ(rows[3][5], store::Value("2024.03.15."));
    EXPECT_TRUE(rows[2][0].isNull());
    EXPECT_TRUE(rows[0][8].isNull());
}

TEST_F(CopyEngineTest, ANamedAreaComesBeforeTheSheetOfThatName) {
    Workbook book;
    book.addSheet("import").setValue(1, 1, CellValue::text("a sheet"));
    Sheet& data = book.addSheet("Adatok");
    data.setValue(3, 2, CellValue::text("BSNR"));
    data.setValue(3, 3, CellValue::text("ar"));
    data.setValue(4, 2, CellValue::text("X1"));
    data.setValue(4, 3, CellValue::number(12.5));
    data.setValue(5, 2, CellValue::text("X2"));
    data.setValue(5, 3, CellValue::number(3));
    data.setValue(6, 2, CellValue::text("outside the name"));
    book.defineName(DefinedName{"import", 1, -1, CellArea{3, 2, 5, 3}});
    book.save(dir / "ar.xls");

    copySheetToTable(session, dir / "ar.xls", "import", dir / "ar");
    const Table t = read(dir / "ar.db");
    ASSERT_EQ(t.fields.size(), 2u);
    EXPECT_EQ(t.fields[0].name, "BSNR");
    EXPECT_EQ(t.fields[1].type, store::FieldType::Float);
    EXPECT_EQ(t.rows, (std::vector<std::vector<std::string>>{{"'X1", "12,5"}, {"'X2", "3"}}));

    copySheetToTable(session, dir / "ar.xls", "import$", dir / "lap");
    const Table sheet = read(dir / "lap.db");
    ASSERT_EQ(sheet.fields.size(), 1u);
    EXPECT_EQ(sheet.fields[0].name, "a sheet");
    EXPECT_TRUE(sheet.rows.empty());
}

TEST_F(CopyEngineTest, FailuresLeaveNothingBehind) {
    Workbook book;
    book.addSheet("rabat").setValue(1, 1, CellValue::text("PG"));
    book.sheet(0).setValue(2, 1, CellValue::number(40));
    book.addSheet("ures");
    book.save(dir / "rabat.xls");
    const std::string good = readBytes(dir / "rabat.xls");
    sheettest::writeBytes(dir / "truncated.xls", good.substr(0, good.size() - 700));
    sheettest::writeBytes(dir / "vevo.xls", "vevokod;vevonev\r\n1;Kovács\r\n");
    const fs::path table = catalogueTable(
        "rabat.db", {{store::Value(1), store::Value(2.5), store::Value("x"), store::Value("a")}});
    store::TableFile::createWithRows(
        dir / "ar.db", {"ar", {store::FieldDef("x", store::FieldType::Int32)}, {}}, {});

    struct Case {
        const char* name;
        std::function<void()> call;
        const char* expected;
    };
    const Case cases[] = {
        {"missing workbook",
         [&] { copySheetToTable(session, dir / "nincs.xls", "rabat", dir / "rabat1"); },
         "does not exist"},
        {"truncated workbook",
         [&] { copySheetToTable(session, dir / "truncated.xls", "rabat", dir / "rabat1"); },
         "damaged"},
        {"text file named .xls",
         [&] { copySheetToTable(session, dir / "vevo.xls", "import", dir / "vevo1"); },
         "not an .xls workbook"},
        {"missing sheet",
         [&] { copySheetToTable(session, dir / "rabat.xls", "csoport", dir / "csoport1"); },
         "no sheet or named area \"csoport\""},
        {"empty sheet",
         [&] { copySheetToTable(session, dir / "rabat.xls", "ures", dir / "ures1"); }, "is empty"},
        {"table exists", [&] { copySheetToTable(session, dir / "rabat.xls", "rabat", dir / "AR"); },
         "already exists"},
        {"sheet exists", [&] { copyTableToSheet(session, table, dir / "rabat.xls", "RABAT"); },
         "already has a sheet"},
        {"missing table",
         [&] { copyTableToSheet(session, dir / "nincs.db", dir / "uj.xls", "nincs"); },
         "does not exist"},
        {"invalid sheet name", [&] { copyTableToSheet(session, table, dir / "uj.xls", "a/b"); },
         "invalid sheet name"},
    };
    const auto before = listing(dir);
    for (const Case& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << c.name << ": no error";
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos)
                << c.name << ": " << e.what();
        }
        EXPECT_EQ(listing(dir), before) << c.name;
    }
    EXPECT_EQ(readBytes(dir / "rabat.xls"), good);
}

// The command beside the programs.
TEST_F(CopyEngineTest, ToolRunsTheCopyEngineAndReportsFailures) {
    const fs::path table = catalogueTable(
        "rabat.db",
        {{store::Value(40), store::Value(12.5), store::Value("Kilincs"), store::Value("KI")}});
    auto run = [&](const std::string& args, std::string* err) {
        const fs::path errFile = dir / "err.txt";
        const std::string cmd =
            std::string("'") + DIRURAR_XLS_TOOL + "' " + args + " 2> '" + errFile.string() + "'";
        const int status = std::system(cmd.c_str());
        *err = readBytes(errFile);
        fs::remove(errFile);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const std::string book = (dir / "rabat.xls").string();
    std::string err;
    EXPECT_EQ(run("to-sheet '" + table.string() + "' '" + book + "' rabat", &err), 0) << err;
    EXPECT_EQ(run("to-table '" + book + "' rabat '" + (dir / "rabat1").string() + "'", &err), 0)
        << err;
    EXPECT_EQ(read(dir / "rabat1.db").rows, read(table).rows);
    EXPECT_EQ(run("to-table '" + book + "' csoport '" + (dir / "csoport1").string() + "'", &err),
              1);
    EXPECT_NE(err.find("no sheet or named area \"csoport\""), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(dir / "csoport1.db"));
    EXPECT_EQ(run("to-sheet '" + table.string() + "' '" + book + "' rabat", &err), 1);
    EXPECT_NE(err.find("already has a sheet"), std::string::npos) << err;
    EXPECT_EQ(run("copy a b", &err), 2);
    EXPECT_NE(err.find("usage"), std::string::npos);
}

} // namespace
