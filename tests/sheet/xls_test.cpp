// The .xls writer and reader: what a workbook holds comes back as it was written, large files
// and long string tables included, and damaged or foreign files give an error, never a crash.
#include "store/format/format.h"
#include "store/sheet/bytes.h"
#include "store/sheet/cfb.h"
#include "store/sheet/number_format.h"
#include "store/sheet/workbook.h"
#include "support.h"

#include <gtest/gtest.h>

using namespace store::sheet;
using sheettest::readBytes;
using sheettest::writeBytes;
namespace fs = std::filesystem;

namespace {

class XlsTest : public sheettest::TempDirTest {};

TEST_F(XlsTest, RoundTripKeepsValuesFormatsSizesAndNames) {
    Workbook book;
    Sheet& s = book.addSheet("Árlista");
    s.setValue(1, 1, CellValue::text("Megnevezés"));
    s.setValue(1, 2, CellValue::text("Grüße"));
    s.setValue(1, 3, CellValue::text("Dátum"));
    s.setValue(2, 1, CellValue::text("Árvíztűrő tükörfúrógép"));
    s.setValue(2, 2, CellValue::number(1234.5));
    s.setValue(2, 3, CellValue::date({2024, 2, 29}));
    s.setValue(3, 1, CellValue::text("ŐŰőű ȘȚ €"));
    s.setValue(3, 2, CellValue::number(-0.125));
    s.setValue(3, 3, CellValue::date({1900, 1, 15})); // before the day that never was
    s.setValue(4, 2, CellValue::number(1e20));
    s.setValue(4, 3, CellValue::date({1899, 5, 1})); // before the spreadsheet calendar
    s.setValue(5, 2, CellValue::number(7));

    Style title;
    title.bold = true;
    title.colour = 16711680; // blue
    title.horizontal = HAlign::Center;
    title.vertical = VAlign::Center;
    for (int c = 1; c <= 3; ++c) {
        s.setStyle(1, c, title);
    }
    Style money;
    money.numberFormat = fileNumberFormat("# ##0,00");
    money.bottom = LineWeight::Medium;
    money.colour = 0x123456; // not in the default palette
    s.setStyle(2, 2, money);
    Style right;
    right.horizontal = HAlign::Right;
    right.italic = true;
    s.setColumnStyle(4, right);
    s.setValue(2, 4, CellValue::text("takes the column's format"));
    s.setRowHeight(1, 22);
    s.setColumnWidth(1, 30);
    s.setArrayFormula(6, 2, parseFormula("=Szum(B2:B5)"));

    Sheet& second = book.addSheet("import");
    second.setValue(1, 1, CellValue::text("x"));
    book.defineName(DefinedName{"tabla", 0, -1, CellArea{1, 1, 5, 3}});

    const fs::path file = dir / "a.xls";
    book.save(file);
    const Workbook r = Workbook::open(file);

    ASSERT_EQ(r.sheetCount(), 2);
    const Sheet& a = r.sheet(0);
    EXPECT_EQ(a.name(), "Árlista");
    EXPECT_EQ(r.sheet(1).name(), "import");
    for (int row = 1; row <= 5; ++row) {
        for (int col = 1; col <= 4; ++col) {
            if (row == 4 && col == 3) {
                continue;
            }
            EXPECT_EQ(a.value(row, col), s.value(row, col)) << cellName(row, col);
        }
    }
    // a date before 1900 is kept as its text
    EXPECT_EQ(a.value(4, 3), CellValue::text("1899.05.01."));
    // the formula's value is stored with it
    EXPECT_EQ(a.value(6, 2), CellValue::number(1234.5 - 0.125 + 1e20 + 7));

    EXPECT_TRUE(a.style(1, 1).bold);
    EXPECT_EQ(a.style(1, 1).colour, 16711680);
    EXPECT_EQ(a.style(1, 1).horizontal, HAlign::Center);
    EXPECT_EQ(a.style(1, 1).vertical, VAlign::Center);
    EXPECT_EQ(a.style(2, 2).numberFormat, "#,##0.00");
    EXPECT_EQ(a.style(2, 2).bottom, LineWeight::Medium);
    EXPECT_EQ(a.style(2, 2).colour, 0x123456);
    EXPECT_FALSE(a.style(2, 1).bold);
    EXPECT_TRUE(a.style(2, 4).italic);
    EXPECT_EQ(a.style(2, 4).horizontal, HAlign::Right);
    EXPECT_TRUE(isDateFormat(a.style(2, 3).numberFormat));
    ASSERT_TRUE(a.rowHeight(1));
    EXPECT_DOUBLE_EQ(*a.rowHeight(1), 22);
    ASSERT_TRUE(a.columnWidth(1));
    EXPECT_NEAR(*a.columnWidth(1), 30, 0.01);
    ASSERT_NE(r.findName("TABLA"), nullptr);
    EXPECT_EQ(r.findName("tabla")->sheet, 0);
    EXPECT_EQ(r.findName("tabla")->area, (CellArea{1, 1, 5, 3}));
    EXPECT_EQ(r.notRewritable(), "");
}

TEST_F(XlsTest, LongStringTablesContinueOverRecords) {
    Workbook book;
    Sheet& s = book.addSheet("Munka1");
    for (int i = 1; i <= 3000; ++i) {
        s.setValue(i, 1,
                   CellValue::text("Cikk " + std::to_string(i) + " – fűtőszál ő" +
                                   std::string(static_cast<size_t>(i % 40), 'x')));
        s.setValue(i, 2, CellValue::text("plain " + std::to_string(i)));
    }
    std::string wide;
    for (int i = 0; i < 6000; ++i) {
        wide += i % 7 == 0 ? "ő" : "a";
    }
    s.setValue(1, 3, CellValue::text(wide));                   // UTF-16, 12 000 bytes
    s.setValue(2, 3, CellValue::text(std::string(9000, 'q'))); // one byte a character
    const fs::path file = dir / "strings.xls";
    book.save(file);
    const Workbook r = Workbook::open(file);
    for (int i = 1; i <= 3000; ++i) {
        ASSERT_EQ(r.sheet(0).value(i, 1), s.value(i, 1)) << i;
        ASSERT_EQ(r.sheet(0).value(i, 2), s.value(i, 2)) << i;
    }
    EXPECT_EQ(r.sheet(0).value(1, 3).text(), wide);
    EXPECT_EQ(r.sheet(0).value(2, 3).text(), std::string(9000, 'q'));
}

TEST_F(XlsTest, LargeWorkbookUsesTheExtendedAllocationTable) {
    Workbook book;
    Sheet& s = book.addSheet("nagy");
    for (int r = 1; r <= 65536; ++r) {
        for (int c = 1; c <= 8; ++c) {
            s.setValue(r, c, CellValue::number(r * 10.0 + c + 0.5));
        }
    }
    const fs::path file = dir / "large.xls";
    book.save(file);
    const std::string bytes = readBytes(file);
    ASSERT_GT(bytes.size(), 109u * 128u * 512u);
    EXPECT_GT(bytes::u32(bytes, 72), 0u) << "extended allocation sectors";
    const Workbook r = Workbook::open(file);
    const Sheet& a = r.sheet(0);
    EXPECT_EQ(a.lastRow(), 65536);
    EXPECT_EQ(a.lastColumn(), 8);
    for (int row : {1, 2, 30000, 65535, 65536}) {
        for (int c : {1, 8}) {
            EXPECT_EQ(a.value(row, c), CellValue::number(row * 10.0 + c + 0.5));
        }
    }
}

// A small workbook for the damage cases.
std::string goodWorkbook(const fs::path& dir) {
    Workbook book;
    Sheet& s = book.addSheet("Adatok");
    for (int r = 1; r <= 300; ++r) {
        s.setValue(r, 1, CellValue::text("sor " + std::to_string(r)));
        s.setValue(r, 2, CellValue::number(r));
    }
    book.addSheet("Másik").setValue(1, 1, CellValue::text("ő"));
    book.save(dir / "good.xls");
    return readBytes(dir / "good.xls");
}

TEST_F(XlsTest, DamagedAndForeignFilesGiveClearErrors) {
    const std::string good = goodWorkbook(dir);
    const cfb::Reader container(good);
    const std::string stream = container.read(*container.findStream({"Workbook"}));
    const size_t fatSector = bytes::u32(good, 76);
    struct Case {
        const char* name;
        std::string bytes;
        const char* expected; // part of the message
    };
    std::vector<Case> cases;
    cases.push_back({"empty file", "", "not an .xls workbook"});
    cases.push_back({"text named .xls", "BSNR;Darab\r\n12345;3\r\n", "not an .xls workbook"});
    cases.push_back({"truncated in the header", good.substr(0, 300), "not an .xls workbook"});
    cases.push_back({"truncated in the stream", good.substr(0, good.size() / 2), "damaged"});
    cases.push_back({"truncated at the end", good.substr(0, good.size() - 100), "damaged"});
    {
        std::string b = good; // the first stream sector points back to itself
        bytes::set32(b, (fatSector + 1) * 512, 0);
        cases.push_back({"allocation chain loop", b, "damaged"});
    }
    {
        std::string b = good; // a record claims more bytes than the stream has
        const size_t streamStart = 512;
        bytes::set16(b, streamStart + 20 + 2, 0xFFFF);
        cases.push_back({"record length", b, "damaged"});
    }
    {
        // the sheet list points into the middle of a record
        std::string b = good;
        size_t at = 0;
        while (bytes::u16(stream, at) != 0x0085) {
            at += 4 + bytes::u16(stream, at + 2);
        }
        bytes::set32(b, 512 + at + 4, bytes::u32(stream, at + 4) + 3);
        cases.push_back({"sheet offset", b, "damaged"});
    }
    {
        // both sheets declare the whole grid: more cells than the reader takes on
        std::string b = good;
        for (size_t at = 0; at + 4 <= stream.size(); at += 4 + bytes::u16(stream, at + 2)) {
            if (bytes::u16(stream, at) == 0x0200) {
                bytes::set32(b, 512 + at + 8, 65536);
                bytes::set16(b, 512 + at + 14, 256);
            }
        }
        cases.push_back({"declared size", b, "too large"});
    }
    {
        std::string b = good;
        b.replace(512, 2, "\x09\x02"); // an Excel 2-4 start record inside a compound file
        cases.push_back({"old format", b, "supported version"});
    }
    {
        std::string b(good.substr(0, 512));
        std::mt19937 rng(7);
        for (int i = 0; i < 20000; ++i) {
            b += static_cast<char>(rng());
        }
        cases.push_back({"garbage after a header", b, ""});
    }
    for (const Case& c : cases) {
        const fs::path f = dir / "bad.xls";
        writeBytes(f, c.bytes);
        try {
            Workbook::open(f);
            ADD_FAILURE() << c.name << ": opened";
        } catch (const SheetError& e) {
            EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos)
                << c.name << ": " << e.what();
        }
    }
    EXPECT_THROW(Workbook::open(dir / "missing.xls"), SheetError);
}

// Random damage anywhere in the file: every attempt ends with a workbook or an error.
TEST_F(XlsTest, RandomDamageNeverCrashes) {
    const std::string good = goodWorkbook(dir);
    std::mt19937 rng(2024);
    int errors = 0;
    for (int attempt = 0; attempt < 400; ++attempt) {
        std::string b = good;
        if (attempt % 4 == 0) {
            b.resize(rng() % b.size());
        } else {
            const int flips = 1 + static_cast<int>(rng() % 8);
            for (int k = 0; k < flips; ++k) {
                b[rng() % b.size()] = static_cast<char>(rng());
            }
        }
        writeBytes(dir / "fuzz.xls", b);
        try {
            Workbook::open(dir / "fuzz.xls");
        } catch (const SheetError&) {
            ++errors;
        }
    }
    EXPECT_GT(errors, 0);
}

// A workbook of the Excel 5.0/95 format (BIFF5) in its own code page, built record by record.
TEST_F(XlsTest, ReadsExcel95Workbooks) {
    using bytes::put16;
    using bytes::put32;
    using bytes::put8;
    auto rec = [](std::string& out, uint16_t type, const std::string& d) {
        put16(out, type);
        put16(out, static_cast<unsigned>(d.size()));
        out += d;
    };
    auto words = [](std::initializer_list<unsigned> w) {
        std::string d;
        for (unsigned x : w) {
            put16(d, x);
        }
        return d;
    };
    const std::string name1 = store::fmt::utf8ToCp1250("Árlista");
    const std::string name2 = "Masik";
    std::string globals;
    rec(globals, 0x0809, words({0x0500, 0x0005, 0x0DBB, 0x07CC}));
    rec(globals, 0x0042, words({1250}));
    for (int i = 0; i < 17; ++i) { // 15 style formats, the default cell format, a date format
        std::string xf = words({0, i == 16 ? 14u : 0u, i < 15 ? 0xFFF5u : 0x0001u});
        xf += std::string(10, '\0');
        rec(globals, 0x00E0, xf);
    }
    std::vector<size_t> offsets;
    for (const std::string& n : {name1, name2}) {
        std::string d;
        put32(d, 0);
        put8(d, 0);
        put8(d, 0);
        put8(d, static_cast<unsigned>(n.size()));
        d += n;
        offsets.push_back(globals.size() + 4);
        rec(globals, 0x0085, d);
    }
    {
        // a defined name "import" for A1:B3 of the first sheet
        std::string d = words({0});
        put8(d, 0);
        put8(d, 6);
        put16(d, 21);
        put16(d, 0);
        put16(d, 0);
        put32(d, 0);
        d += "import";
        put8(d, 0x3B);
        put16(d, 0xFFFF); // internal reference
        d += std::string(8, '\0');
        d += words({0, 0, 0, 2});
        put8(d, 0);
        put8(d, 1);
        rec(globals, 0x0018, d);
    }
    rec(globals, 0x000A, "");
    std::string sheet1;
    rec(sheet1, 0x0809, words({0x0500, 0x0010, 0x0DBB, 0x07CC}));
    rec(sheet1, 0x0200, words({0, 3, 0, 2, 0}));
    auto label = [&](std::string& out, unsigned row, unsigned col, const std::string& utf8) {
        const std::string t = store::fmt::utf8ToCp1250(utf8);
        std::string d = words({row, col, 15, static_cast<unsigned>(t.size())});
        d += t;
        rec(out, 0x0204, d);
    };
    auto number = [&](std::string& out, unsigned row, unsigned col, unsigned xf, double v) {
        std::string d = words({row, col, xf});
        bytes::putF64(d, v);
        rec(out, 0x0203, d);
    };
    label(sheet1, 0, 0, "Megnevezés");
    label(sheet1, 0, 1, "Nap");
    label(sheet1, 1, 0, "Árvíztűrő tükörfúrógép");
    number(sheet1, 1, 1, 16, 45366); // 2024-03-15
    label(sheet1, 2, 0, "ŐŰ");
    number(sheet1, 2, 1, 15, 12.5);
    rec(sheet1, 0x000A, "");
    std::string sheet2;
    rec(sheet2, 0x0809, words({0x0500, 0x0010, 0x0DBB, 0x07CC}));
    rec(sheet2, 0x0200, words({0, 1, 0, 1, 0}));
    number(sheet2, 0, 0, 15, 3);
    rec(sheet2, 0x000A, "");
    std::string stream = globals;
    bytes::set32(stream, offsets[0], static_cast<uint32_t>(stream.size()));
    stream += sheet1;
    bytes::set32(stream, offsets[1], static_cast<uint32_t>(stream.size()));
    stream += sheet2;
    writeBytes(dir / "excel95.xls", cfb::write("Book", stream));

    const Workbook r = Workbook::open(dir / "excel95.xls");
    ASSERT_EQ(r.sheetCount(), 2);
    EXPECT_EQ(r.sheet(0).name(), "Árlista");
    EXPECT_EQ(r.sheet(0).value(2, 1), CellValue::text("Árvíztűrő tükörfúrógép"));
    EXPECT_EQ(r.sheet(0).value(3, 1), CellValue::text("ŐŰ"));
    EXPECT_EQ(r.sheet(0).value(2, 2), CellValue::date({2024, 3, 15}));
    EXPECT_EQ(r.sheet(0).value(3, 2), CellValue::number(12.5));
    EXPECT_EQ(r.sheet(1).value(1, 1), CellValue::number(3));
    const Workbook::TableArea area = r.tableArea("import");
    EXPECT_TRUE(area.fromName);
    EXPECT_EQ(area.sheet, &r.sheet(0));
    EXPECT_EQ(area.area, (CellArea{1, 1, 3, 2}));
}

TEST(NumberFormats, ProgramNotationBecomesFileNotation) {
    struct Case {
        const char* program;
        char mark;
        const char* file;
    };
    const Case cases[] = {
        {"# ##0,00", ',', "#,##0.00"},
        {"### ###", ',', "###,###"},
        {"### ##0,0", ',', "###,##0.0"},
        {"### ##0,00", ',', "###,##0.00"},
        {"# ##0", ',', "#,##0"},
        {"@", ',', "@"},
        {"# ##0.00", '.', "#,##0.00"},
        {"0.00", ',', "0.00"},
        {"0,0%", ',', "0.0%"},
        {"# ##0 Ft", ',', "#,##0 \\F\\t"},
        {"", ',', ""},
        {"# ##0,00;-# ##0,00", ',', "#,##0.00;-#,##0.00"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fileNumberFormat(c.program, c.mark), c.file) << c.program;
    }
    EXPECT_EQ(displayText(CellValue::number(1234.5), "#,##0.00"), "1 234,50");
    EXPECT_EQ(displayText(CellValue::number(1234567), "###,###"), "1 234 567");
    EXPECT_EQ(displayText(CellValue::number(45366), std::string(kDateFormat)), "2024.03.15.");
    EXPECT_EQ(displayText(CellValue::number(0.5), ""), "0,5");
}

TEST(Formulas, SumOfAnAreaInEverySpelling) {
    struct Case {
        const char* text;
        CellArea area;
    };
    const Case ok[] = {{"=Szum(F2:F9)", {2, 6, 9, 6}},
                       {"=SUMME($F$2:$I$9)", {2, 6, 9, 9}},
                       {"=sum(F9)", {9, 6, 9, 6}},
                       {"= Sum( F9 : F2 )", {2, 6, 9, 6}}};
    for (const Case& c : ok) {
        EXPECT_EQ(parseFormula(c.text).area, c.area) << c.text;
    }
    for (const char* bad : {"=AVERAGE(A1:A2)", "=SUM(A1,B2)", "SUM(A1)", "=SUM(A0)", "=SUM(A1:IW2)",
                            "=SUM(A1:A2)+1", ""}) {
        EXPECT_THROW(parseFormula(bad), SheetError) << bad;
    }
    EXPECT_EQ(parseFormula("=Szum(F2:F9)").text(), "=SUM(F2:F9)");
}

TEST(Sheets, NamesAndLimitsAreChecked) {
    Workbook book;
    book.addSheet("modul");
    EXPECT_THROW(book.addSheet("MODUL"), SheetError);
    for (const char* bad :
         {"", "a/b", "a[1]", "x?", "'quoted'", "0123456789012345678901234567890x"}) {
        EXPECT_THROW(book.addSheet(bad), SheetError) << bad;
    }
    Sheet& s = book.sheet(0);
    EXPECT_THROW(s.setValue(65537, 1, CellValue::number(1)), SheetError);
    EXPECT_THROW(s.setValue(1, 257, CellValue::number(1)), SheetError);
    EXPECT_THROW(book.defineName(DefinedName{"A1", 0, -1, {}}), SheetError);
    EXPECT_THROW(book.defineName(DefinedName{"x", 3, -1, {}}), SheetError);
    EXPECT_THROW(Workbook().save(fs::temp_directory_path() / "never.xls"), SheetError);
}

} // namespace
