#include "store/engine/errors.h"
#include "store/engine/paradox.h"

#include <gtest/gtest.h>
extern "C" {
#include <paradox.h> // pxlib, to build tables independently of paradox::write
}
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <sqlite3.h>
#include <string>
#include <vector>

using namespace store;
namespace fs = std::filesystem;

namespace store {
void PrintTo(const Value& v, std::ostream* os) {
    if (v.isNull())
        *os << "null";
    else if (v.isInt())
        *os << v.intValue();
    else if (v.isFloat())
        *os << v.floatValue();
    else
        *os << '"' << v.textValue() << '"';
}
} // namespace store

namespace {

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void spit(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int64_t days(int y, int m, int d) {
    return Date{y, m, d}.toDays();
}

// Runs read() and returns the error code it throws, 0 when it reads the file.
int readErrorCode(const fs::path& p) {
    try {
        paradox::read(p);
        return 0;
    } catch (const EngineError& e) {
        return e.code();
    }
}

class ParadoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        dir_ =
            fs::temp_directory_path() / ("paradox_test_" + std::to_string(std::random_device{}()) +
                                         "_" + std::to_string(++counter));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A keyed table of every writable type, large enough to fill several data blocks.
    fs::path writeSample(int codepage = 1250) {
        const fs::path p = dir_ / "minta.db";
        std::vector<Row> rows;
        for (int i = 0; i < 400; ++i)
            rows.push_back({i + 1, "Tétel " + std::to_string(i), i % 300, Value(), i * 0.5,
                            i % 2 == 0, Value(days(2000, 1, 1) + i)});
        paradox::write(p,
                       {{"Kod", FieldType::Int32},
                        {"Megnevezés", FieldType::Text, 30},
                        {"Db", FieldType::Int16},
                        {"Sorszam", FieldType::AutoInc},
                        {"Ar", FieldType::Float},
                        {"Aktiv", FieldType::Bool},
                        {"Datum", FieldType::Date}},
                       rows, 1, codepage);
        return p;
    }

    fs::path dir_;
};

// ---------------------------------------------------------------------------------------------

struct CodePageCase {
    int codepage;
    std::string feher;   // "Kilincs fehér" in the code page
    std::string szarny;  // "Ablakszárny ÖŐÜŰ"
    std::string furogep; // "tükörfúrógép"
};

void PrintTo(const CodePageCase& c, std::ostream* os) {
    *os << "code page " << c.codepage;
}

class ParadoxRoundTrip : public ParadoxTest, public ::testing::WithParamInterface<CodePageCase> {};

TEST_P(ParadoxRoundTrip, WrittenTableReadsBackWithFieldsKeysValuesAndRecodedText) {
    const CodePageCase& cp = GetParam();
    const std::vector<FieldDef> fields = {
        {"Kod", FieldType::Int32},  {"Megnevezés", FieldType::Text, 30},
        {"Db", FieldType::Int16},   {"Sorszam", FieldType::AutoInc},
        {"Ar", FieldType::Float},   {"Aktiv", FieldType::Bool},
        {"Datum", FieldType::Date},
    };
    const Value null;
    std::vector<Row> rows = {
        {1, "Kilincs fehér", 12, 1, 1234.5, true, Date{2024, 3, 15}},
        {2, "Ablakszárny ÖŐÜŰ", -32767, 2, -0.25, false, Date{1899, 12, 31}},
        {3, "tükörfúrógép", 32767, null, null, null, null},
        {2147483647, null, null, 10, 0.0, true, Date{1970, 1, 1}},
        {-2147483647, "áéíóöőúüű ÁÉÍÓÖŐÚÜŰ", 0, null, 1e-300, false, Date{1, 1, 1}},
        {6, "", null, 7, -1e300, null, Date{9999, 12, 31}},
    };
    // enough rows for several data blocks
    for (int i = 0; i < 300; ++i)
        rows.push_back({1000 + i, "Tétel " + std::to_string(i), i - 150, 100 + i, i * 0.125,
                        i % 3 == 0, Value(days(2000, 1, 1) + i)});

    std::vector<Row> expected = rows;
    expected[2][3] = 400; // null autoincrement values count on from the largest given (399)
    expected[4][3] = 401;
    expected[5][1] = null; // an empty text is a blank field

    const fs::path p = dir_ / "arlista.db";
    paradox::write(p, fields, rows, 1, cp.codepage);

    EXPECT_TRUE(paradox::looksLikeParadox(p));
    const paradox::Table t = paradox::read(p);
    EXPECT_EQ(t.codepage, cp.codepage);
    EXPECT_EQ(t.keyFieldCount, 1);
    ASSERT_EQ(t.fields.size(), fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(t.fields[i].name, fields[i].name) << i;
        EXPECT_EQ(t.fields[i].type, fields[i].type) << i;
        EXPECT_EQ(t.fields[i].size, fields[i].size) << i;
    }
    ASSERT_EQ(t.rows.size(), expected.size());
    for (size_t r = 0; r < expected.size(); ++r)
        EXPECT_EQ(t.rows[r], expected[r]) << "row " << r;

    // The file holds the texts in the code page, not in UTF-8.
    const std::string bytes = slurp(p);
    EXPECT_NE(bytes.find(cp.feher), std::string::npos);
    EXPECT_NE(bytes.find(cp.szarny), std::string::npos);
    EXPECT_NE(bytes.find(cp.furogep), std::string::npos);
    EXPECT_EQ(bytes.find("Kilincs fehér"), std::string::npos);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0x6A]) |
                  (static_cast<unsigned char>(bytes[0x6B]) << 8),
              cp.codepage);
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, ParadoxRoundTrip,
    ::testing::Values(CodePageCase{1250, "Kilincs feh\xE9r", "Ablaksz\xE1rny \xD6\xD5\xDC\xDB",
                                   "t\xFCk\xF6rf\xFAr\xF3g\xE9p"},
                      CodePageCase{852, "Kilincs feh\x82r", "Ablaksz\xA0rny \x99\x8A\x9A\xEB",
                                   "t\x81k\x94rf\xA3r\xA2g\x82p"}),
    [](const auto& testCase) { return "cp" + std::to_string(testCase.param.codepage); });

// ---------------------------------------------------------------------------------------------
// A table written with pxlib directly, holding the types paradox::write does not produce.

struct RawField {
    const char* name;
    int type;
    int length;
    int decimals;
};

TEST_F(ParadoxTest, ReadsTypesOfOtherProgramsFromAForeignTable) {
    const std::vector<RawField> spec = {
        {"Nev", pxfAlpha, 10, 0},
        {"Bcd", pxfBCD, 17, 2},
        {"Penz", pxfCurrency, 8, 0},
        {"Ido", pxfTime, 4, 0},
        {"Bélyeg", pxfTimestamp, 8, 0},
        {"Kep", pxfBLOb, 10, 0},
        {"Megjegyzés", pxfMemoBLOb, 20, 0},
        {"Nyers", pxfBytes, 4, 0},
        {"Szam", pxfLong, 4, 0},
    };
    const fs::path p = dir_ / "idegen.db";
    {
        pxdoc_t* doc = PX_new();
        auto* pf = static_cast<pxfield_t*>(doc->malloc(doc, sizeof(pxfield_t) * spec.size(), "t"));
        for (size_t i = 0; i < spec.size(); ++i) {
            // field names in code page 852: "Bélyeg", "Megjegyzés"
            std::string name = spec[i].name;
            if (name == "Bélyeg")
                name = "B\x82lyeg";
            if (name == "Megjegyzés")
                name = "Megjegyz\x82s";
            pf[i] = {PX_strdup(doc, name.c_str()), static_cast<char>(spec[i].type), spec[i].length,
                     spec[i].decimals};
        }
        ASSERT_EQ(PX_create_file(doc, pf, static_cast<int>(spec.size()), p.string().c_str(),
                                 pxfFileTypIndexDB),
                  0);
        doc->px_head->px_doscodepage = 852;
        PX_set_value(doc, "numprimkeys", 1);
        ASSERT_EQ(PX_create_blob_file(PX_new_blob(doc), (dir_ / "idegen.mb").string().c_str()), 0);

        const std::string longMemo = "Hossz\xA3 megjegyz\x82s a mem\xA2 mez\x8B"
                                     "ben";
        const std::string hugeMemo = std::string(3000, 'x') + "\x8B";
        const long sdn1970 = PX_GregorianToSdn(1970, 1, 1) - 1721425;
        const double stamp = (PX_GregorianToSdn(2024, 3, 15) - 1721425) * 86400000.0 + 49530250.0;
        struct RawRow {
            const char* alpha;
            const char* bcd;
            double money;
            long ms;
            double stamp;
            std::string memo;
        };
        const std::vector<RawRow> raw = {
            {"abc   ", "123.45", 19.99, 49530250, stamp, "r\x94vid"},
            {"   ", "-7.5", -0.5, 8 * 3600000, sdn1970 * 86400000.0, longMemo},
            {"feh\x82r", nullptr, 0.0, -1, -1, hugeMemo},
            {nullptr, nullptr, 0.0, -1, -1, ""},
        };
        std::vector<char> rec(static_cast<size_t>(PX_get_recordsize(doc)));
        for (size_t r = 0; r < raw.size(); ++r) {
            std::fill(rec.begin(), rec.end(), 0);
            char* d = rec.data();
            std::string alpha = raw[r].alpha ? raw[r].alpha : "";
            PX_put_data_alpha(doc, d, 10, raw[r].alpha ? alpha.data() : nullptr);
            std::string bcd = raw[r].bcd ? raw[r].bcd : "";
            if (raw[r].bcd)
                PX_put_data_bcd(doc, d + 10, 2, bcd.data());
            PX_put_data_double(doc, d + 27, r < 2 ? 8 : 0, raw[r].money);
            PX_put_data_long(doc, d + 35, raw[r].ms < 0 ? 0 : 4, static_cast<int>(raw[r].ms));
            PX_put_data_double(doc, d + 39, raw[r].stamp < 0 ? 0 : 8, raw[r].stamp);
            std::string memo = raw[r].memo;
            if (!memo.empty())
                PX_put_data_blob(doc, d + 57, 20, memo.data(), static_cast<int>(memo.size()));
            memcpy(d + 77, "\x01\x02\x03\x04", 4);
            PX_put_data_long(doc, d + 81, 4, static_cast<int>(r + 1));
            ASSERT_GE(PX_put_record(doc, d), 0);
        }
        PX_close(doc);
        PX_delete(doc);
    }

    const paradox::Table t = paradox::read(p);
    EXPECT_EQ(t.codepage, 852);
    EXPECT_EQ(t.keyFieldCount, 1);
    // the binary and bytes fields are left out
    const std::vector<std::tuple<std::string, FieldType, int>> fields = {
        {"Nev", FieldType::Text, 10},    {"Bcd", FieldType::Float, 0},
        {"Penz", FieldType::Float, 0},   {"Ido", FieldType::Text, 12},
        {"Bélyeg", FieldType::Text, 23}, {"Megjegyzés", FieldType::Text, 3001},
        {"Szam", FieldType::Int32, 0},
    };
    ASSERT_EQ(t.fields.size(), fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(t.fields[i].name, std::get<0>(fields[i])) << i;
        EXPECT_EQ(t.fields[i].type, std::get<1>(fields[i])) << i;
        EXPECT_EQ(t.fields[i].size, std::get<2>(fields[i])) << i;
    }
    const Value null;
    const std::vector<Row> expected = {
        {"abc", 123.45, 19.99, "13:45:30.250", "2024-03-15 13:45:30.250", "rövid", 1},
        {null, -7.5, -0.5, "08:00:00", "1970-01-01 00:00:00", "Hosszú megjegyzés a memó mezőben",
         2},
        {"fehér", null, null, null, null, std::string(3000, 'x') + "ő", 3},
        {null, null, null, null, null, null, 4},
    };
    ASSERT_EQ(t.rows.size(), expected.size());
    for (size_t r = 0; r < expected.size(); ++r) {
        ASSERT_EQ(t.rows[r].size(), expected[r].size());
        for (size_t i = 0; i < expected[r].size(); ++i) {
            const Value& got = t.rows[r][i];
            if (expected[r][i].isFloat() && got.isFloat())
                EXPECT_NEAR(got.floatValue(), expected[r][i].floatValue(), 1e-9) << r << "/" << i;
            else
                EXPECT_EQ(got, expected[r][i]) << "row " << r << " field " << i;
        }
    }

    // A memo file cut short: the longest memo runs past its end.
    const std::string mb = slurp(dir_ / "idegen.mb");
    spit(dir_ / "idegen.mb", mb.substr(0, mb.size() - 10));
    EXPECT_EQ(readErrorCode(p), errc::Corrupt);
    // Without its memo file the long memos cannot be read.
    fs::remove(dir_ / "idegen.mb");
    EXPECT_EQ(readErrorCode(p), errc::Corrupt);
}

// ---------------------------------------------------------------------------------------------

TEST_F(ParadoxTest, RecognisesParadoxTablesOnly) {
    const fs::path table = writeSample();
    EXPECT_TRUE(paradox::looksLikeParadox(table));

    const fs::path sqlite = dir_ / "sqlite.db";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(sqlite.string().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE t(a INTEGER, b TEXT); INSERT INTO t VALUES(1,'x');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    const fs::path text = dir_ / "text.db";
    spit(text, "Kod;Megnevezes;Ar\n1;Kilincs;1200\n2;Zsanér;800\n");
    const fs::path empty = dir_ / "empty.db";
    spit(empty, "");

    for (const fs::path& p : {sqlite, text, empty}) {
        EXPECT_FALSE(paradox::looksLikeParadox(p)) << p;
        EXPECT_EQ(readErrorCode(p), errc::Corrupt) << p;
    }
    EXPECT_FALSE(paradox::looksLikeParadox(dir_ / "missing.db"));
    EXPECT_EQ(readErrorCode(dir_ / "missing.db"), errc::Io);
}

TEST_F(ParadoxTest, AnEmptiedDataBlockInTheChainIsSkipped) {
    const fs::path p = writeSample();
    const paradox::Table whole = paradox::read(p);
    std::string bytes = slurp(p);
    const size_t recordSize =
        static_cast<unsigned char>(bytes[0]) | (static_cast<unsigned char>(bytes[1]) << 8);
    const size_t headerSize =
        static_cast<unsigned char>(bytes[2]) | (static_cast<unsigned char>(bytes[3]) << 8);
    const size_t blockSize = static_cast<size_t>(bytes[5]) * 0x400;
    const size_t perBlock = (blockSize - 6) / recordSize;
    ASSERT_GT(whole.rows.size(), 2 * perBlock);

    // Block 2 marked empty the way Paradox leaves a block whose records were all deleted.
    const auto emptyMark = static_cast<uint16_t>(-static_cast<int>(recordSize));
    bytes[headerSize + blockSize + 4] = static_cast<char>(emptyMark & 0xFF);
    bytes[headerSize + blockSize + 5] = static_cast<char>(emptyMark >> 8);
    const size_t count = whole.rows.size() - perBlock;
    bytes[6] = static_cast<char>(count & 0xFF);
    bytes[7] = static_cast<char>(count >> 8);
    spit(p, bytes);

    std::vector<Row> expected = whole.rows;
    expected.erase(expected.begin() + static_cast<long>(perBlock),
                   expected.begin() + static_cast<long>(2 * perBlock));
    const paradox::Table t = paradox::read(p);
    ASSERT_EQ(t.rows.size(), expected.size());
    for (size_t r = 0; r < expected.size(); ++r)
        EXPECT_EQ(t.rows[r], expected[r]) << "row " << r;
}

TEST_F(ParadoxTest, DamagedFilesAreReportedAsCorrupt) {
    const fs::path good = writeSample();
    const std::string bytes = slurp(good);
    const size_t headerSize =
        static_cast<unsigned char>(bytes[2]) | (static_cast<unsigned char>(bytes[3]) << 8);
    const size_t blockSize = static_cast<size_t>(bytes[5]) * 0x400;
    ASSERT_GT(bytes.size(), headerSize + 2 * blockSize);
    const fs::path p = dir_ / "damaged.db";

    // truncated copies
    for (size_t length : {size_t{0}, size_t{10}, size_t{0x57}, size_t{0x100}, headerSize - 1,
                          headerSize + 3, headerSize + blockSize / 2, headerSize + blockSize + 7}) {
        spit(p, bytes.substr(0, length));
        EXPECT_EQ(readErrorCode(p), errc::Corrupt) << "cut at " << length;
    }

    // random bytes, alone and behind a sound header
    std::mt19937 rng(4711);
    auto randomBytes = [&rng](size_t n) {
        std::string s(n, '\0');
        for (char& c : s)
            c = static_cast<char>(rng());
        return s;
    };
    for (size_t n : {100, 2048, 4096, 20000}) {
        spit(p, randomBytes(n));
        EXPECT_EQ(readErrorCode(p), errc::Corrupt) << n << " random bytes";
    }
    spit(p, bytes.substr(0, headerSize) + randomBytes(bytes.size() - headerSize));
    EXPECT_EQ(readErrorCode(p), errc::Corrupt) << "random blocks";

    // single damages of header and block chain
    struct Damage {
        const char* what;
        size_t offset;
        std::string patch;
        bool headerSound; // still recognised as a Paradox table
    };
    const size_t names = bytes.find(std::string("Kod\0", 4));
    ASSERT_LT(names, headerSize);
    const std::vector<Damage> damages = {
        {"index file type", 0x04, "\x01", false},
        {"record size differs from fields", 0x00, "\x05", false},
        {"unknown field type", 0x78, "\x07", false},
        {"field names run past the header", names, std::string(headerSize - names, 'A'), false},
        {"password protected", 0x5C, "\x01", true},
        {"more records than stored", 0x06, "\xFF\x7F", true},
        {"block chain loops", headerSize, std::string("\x01\x00", 2), true},
        {"block link out of range", headerSize, "\xFF\x7F", true},
    };
    for (const Damage& d : damages) {
        std::string copy = bytes;
        copy.replace(d.offset, d.patch.size(), d.patch);
        spit(p, copy);
        EXPECT_EQ(readErrorCode(p), errc::Corrupt) << d.what;
        EXPECT_EQ(paradox::looksLikeParadox(p), d.headerSound) << d.what;
    }

    // random damage anywhere in header and first blocks: read succeeds or throws EngineError
    for (int i = 0; i < 300; ++i) {
        std::string copy = bytes;
        const int flips = 1 + static_cast<int>(rng() % 8);
        for (int k = 0; k < flips; ++k)
            copy[rng() % (headerSize + 2 * blockSize)] = static_cast<char>(rng());
        spit(p, copy);
        const int code = readErrorCode(p);
        EXPECT_TRUE(code == 0 || code == errc::Corrupt) << "iteration " << i << " code " << code;
    }
}

TEST_F(ParadoxTest, WriteRejectsValuesThatDoNotFitAndKeepsTheOldFile) {
    const fs::path p = writeSample();
    const std::string before = slurp(p);
    struct Case {
        const char* what;
        FieldDef field;
        Value value;
        int codepage;
        int code;
    };
    const std::vector<Case> cases = {
        {"text too long", {"T", FieldType::Text, 5}, "Ablakszárny", 1250, errc::MaxValue},
        {"not in code page", {"T", FieldType::Text, 5}, "€", 852, errc::MaxValue},
        {"Ő not in 437", {"T", FieldType::Text, 5}, "Ő", 437, errc::MaxValue},
        {"malformed UTF-8", {"T", FieldType::Text, 5}, "\xC3", 1250, errc::MaxValue},
        {"number as text", {"T", FieldType::Text, 5}, 5, 1250, errc::MaxValue},
        {"short blank pattern", {"S", FieldType::Int16}, -32768, 1250, errc::MaxValue},
        {"short too large", {"S", FieldType::Int16}, 40000, 1250, errc::MaxValue},
        {"long blank pattern",
         {"L", FieldType::Int32},
         int64_t{-2147483648LL},
         1250,
         errc::MaxValue},
        {"not finite", {"F", FieldType::Float}, std::nan(""), 1250, errc::MaxValue},
        {"logical 2", {"B", FieldType::Bool}, 2, 1250, errc::MaxValue},
        {"date before year 1",
         {"D", FieldType::Date},
         Value(days(1, 1, 1) - 1),
         1250,
         errc::MaxValue},
        {"unknown code page", {"T", FieldType::Text, 5}, "a", 866, errc::BadState},
    };
    for (const Case& c : cases) {
        try {
            paradox::write(p, {c.field}, {{c.value}}, 0, c.codepage);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), c.code) << c.what;
        }
        EXPECT_EQ(slurp(p), before) << c.what;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

} // namespace
