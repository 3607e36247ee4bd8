#include "store/format/format.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <limits>

namespace fmt = store::fmt;
namespace fs = std::filesystem;

namespace {

// ----- rounding ------------------------------------------------------------------------------

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbourOnTheDecimalValue) {
    struct Case {
        double v;
        int decimals;
        double expected;
    };
    const Case cases[] = {
        {2.5, 0, 2.0},          {3.5, 0, 4.0},     {-2.5, 0, -2.0},         {-3.5, 0, -4.0},
        {0.5, 0, 0.0},          {1.5, 0, 2.0},     {2.4999, 0, 2.0},        {2.5001, 0, 3.0},
        {1.005, 2, 1.0},        {1.015, 2, 1.02},  {2.675, 2, 2.68},        {0.125, 2, 0.12},
        {0.375, 2, 0.38},       {9.995, 2, 10.0},  {-1.015, 2, -1.02},      {0.1 + 0.2, 20, 0.3},
        {1234.5, -1, 1230.},    {1250, -2, 1200.}, {1350, -2, 1400.},       {12.345678, 4, 12.3457},
        {0.000125, 5, 0.00012}, {1e-300, 2, 0.0},  {123456.0, 2, 123456.0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fmt::roundHalfEven(c.v, c.decimals), c.expected)
            << c.v << " to " << c.decimals << " places";
    }
    EXPECT_FALSE(std::signbit(fmt::roundHalfEven(-0.4)));
    EXPECT_TRUE(std::isnan(fmt::roundHalfEven(std::nan(""), 2)));
}

TEST(RoundHalfEven, ToIntSaturatesAndIgnoresNaN) {
    EXPECT_EQ(fmt::roundToInt(2.5), 2);
    EXPECT_EQ(fmt::roundToInt(3.5), 4);
    EXPECT_EQ(fmt::roundToInt(-2.5), -2);
    EXPECT_EQ(fmt::roundToInt(-3.5), -4);
    EXPECT_EQ(fmt::roundToInt(2147483647.5), 2147483648LL);
    EXPECT_EQ(fmt::roundToInt(1e300), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(fmt::roundToInt(-1e300), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(fmt::roundToInt(std::nan("")), 0);
}

// ----- number to text ------------------------------------------------------------------------

TEST(FormatGeneral, FifteenDigitsDecimalCommaScientificOnlyAtTheEdges) {
    struct Case {
        double v;
        const char* expected;
    };
    const Case cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {1.5, "1,5"},
        {-1234.5, "-1234,5"},
        {0.1 + 0.2, "0,3"},
        {1.0 / 3.0, "0,333333333333333"},
        {123456789.123456789, "123456789,123457"},
        {999999999999999.0, "999999999999999"},
        {999999999999999.9, "1E+15"},
        {1e15, "1E+15"},
        {1.5e20, "1,5E+20"},
        {-2.25e100, "-2,25E+100"},
        {0.0001, "0,0001"},
        {0.00001, "1E-05"},
        {1.25e-7, "1,25E-07"},
        {std::numeric_limits<double>::infinity(), "INF"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fmt::formatGeneral(c.v), c.expected) << c.v;
    }
    EXPECT_EQ(fmt::formatInt(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(fmt::formatInt(1234567), "1234567");
}

struct MaskCase {
    double v;
    const char* mask;
    const char* expected;
};

void checkMasks(const std::vector<MaskCase>& cases) {
    for (const MaskCase& c : cases) {
        EXPECT_EQ(fmt::formatMask(c.v, c.mask), c.expected)
            << "value " << c.v << " mask \"" << c.mask << "\"";
    }
}

TEST(FormatMask, DigitsGroupingAndDecimals) {
    checkMasks({
        {1234567.891, "### ###0.##", "1 234 567,89"},
        {12.5, "### ###0.##", "12,5"},
        {12.0, "### ###0.##", "12"},
        {12, "# ### ###", "12"},
        {1234567.5, "# ### ###", "1 234 568"},
        {2.5, "# ### ###", "2"},
        {3.5, "# ### ###", "4"},
        {0, "# ### ###", ""},
        {1234, "# ##0", "1 234"},
        {0.3, "# ##0", "0"},
        {5, "##00", "05"},
        {123, "##00", "123"},
        {0, "#.00", ",00"},
        {3.14159, "###0.###", "3,142"},
        {1234567, "#0", "1234567"},
        {1234567, "### ### ##", "1 234 567"},
        {2.5, "### ##0.00", "2,50"},
        {1234.005, "### ##0.00", "1 234,00"},
        {1234.015, "### ##0.00", "1 234,02"},
        {0.0125, "### ##0.000", "0,012"},
        {100, "## ##0.00", "100,00"},
        {0.05, "0.0", "0,0"},
        {0.15, "0.0", "0,2"},
        {0.25, "0.0", "0,2"},
        {5, "#.##", "5"},
        {0, "######", ""},
        {1e20, "#,##0", "100 000 000 000 000 000 000"},
        {1234.56, "### ###0,##", "1 235"},
    });
}

TEST(FormatMask, SignsLiteralsAndSections) {
    checkMasks({
        {1234, "X ### ###", "X 1 234"},
        {-1234, "X ### ###", "X -1 234"},
        {-1234.4, "# ##0", "-1 234"},
        {-0.4, "# ##0", "0"},
        {-0.5, ".00", "-,50"},
        {1234, "## ### ", "1 234 "},
        {1234, "#,##0 'Ft'", "1 234 Ft"},
        {12, "\"Összesen: \"# ##0", "Összesen: 12"},
        {5, "0' ; '", "5 ; "},
        {5, "0 Ft.", "5 Ft."},
        {123, "0-00", "1-23"},
        {5, "0-00", "0-05"},
        {5, "0.00;(0.00);nulla", "5,00"},
        {-5, "0.00;(0.00);nulla", "(5,00)"},
        {0, "0.00;(0.00);nulla", "nulla"},
        {0.004, "0.00;(0.00);nulla", "nulla"},
        {-0.004, "0.00;(0.00);nulla", "nulla"},
        {-0.004, "0.00;(0.00)", "0,00"},
        {-5, "0;;zero", "-5"},
        {0, "0;;zero", "zero"},
        {-0.04, "0.0;-0.000", "-0,040"},
        {-0.0004, "0.0;-0.000", "0,0"},
        {1.5, "", "1,5"},
        {1.5, ";0", "1,5"},
        {std::nan(""), "# ##0", "NAN"},
    });
}

// ----- text to number ------------------------------------------------------------------------

TEST(ParseNumber, AcceptsTheProgramsNumberForms) {
    const std::string kNoBreakSpace = "\xC2\xA0";
    struct Case {
        std::string text;
        double expected;
    };
    const Case cases[] = {
        {"1 234,5", 1234.5},
        {"  -12,25 ", -12.25},
        {"1.5", 1.5},
        {"+3", 3.0},
        {",5", 0.5},
        {"5,", 5.0},
        {"1 234 567", 1234567.0},
        {"1" + kNoBreakSpace + "234,5", 1234.5},
        {"007", 7.0},
        {"-0", 0.0},
        {"0,1", 0.1},
        {"\t42\r\n", 42.0},
    };
    for (const Case& c : cases) {
        auto v = fmt::parseNumber(c.text);
        ASSERT_TRUE(v.has_value()) << c.text;
        EXPECT_EQ(*v, c.expected) << c.text;
    }
    EXPECT_FALSE(std::signbit(*fmt::parseNumber("-0")));
    EXPECT_EQ(fmt::parseNumber("0," + std::string(400, '0') + "1"), 0.0);
}

TEST(ParseNumber, RejectsAnythingElse) {
    const std::string huge(400, '9');
    const char* const bad[] = {
        "",       " ",    "abc",  "1,2,3", "1.234,5", "1,2.3", "12 34",      "1234 567",
        "1  234", "1 ,5", "1e5",  "- 5",   "+-5",     "--1",   "5-",         "1 234,56 7",
        "inf",    "nan",  "0x10", "-",     ",",       "5 %",   huge.c_str(),
    };
    for (const char* text : bad) {
        EXPECT_FALSE(fmt::parseNumber(text).has_value()) << '"' << text << '"';
    }
}

TEST(ParseInt, SignAndDigitsWithinRange) {
    EXPECT_EQ(fmt::parseInt("42"), 42);
    EXPECT_EQ(fmt::parseInt(" -7 "), -7);
    EXPECT_EQ(fmt::parseInt("+9223372036854775807"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(fmt::parseInt("-9223372036854775808"), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(fmt::parseInt32("2147483647"), 2147483647);
    EXPECT_EQ(fmt::parseInt32("-2147483648"), std::numeric_limits<int32_t>::min());
    for (const char* text :
         {"9223372036854775808", "1,0", "1 000", "", "+", "-", "+-1", "1a", "0x1", "1.0"}) {
        EXPECT_FALSE(fmt::parseInt(text).has_value()) << '"' << text << '"';
    }
    EXPECT_FALSE(fmt::parseInt32("2147483648").has_value());
    EXPECT_FALSE(fmt::parseInt32("-2147483649").has_value());
}

// ----- dates ---------------------------------------------------------------------------------

TEST(Dates, HungarianShortFormAndAcceptedEntries) {
    EXPECT_EQ(fmt::formatDate(2026, 12, 11), "2026.12.11.");
    EXPECT_EQ(fmt::formatDate(2026, 1, 5), "2026.01.05.");
    using Ymd = std::array<int, 3>;
    const std::pair<const char*, Ymd> good[] = {
        {"2026.12.11.", {2026, 12, 11}},   {"2026.12.11", {2026, 12, 11}},
        {"2026. 12. 11.", {2026, 12, 11}}, {"2026-12-11", {2026, 12, 11}},
        {" 2024.2.29. ", {2024, 2, 29}},   {"2000-02-29", {2000, 2, 29}},
    };
    for (const auto& [text, ymd] : good) {
        EXPECT_EQ(fmt::parseDate(text), ymd) << text;
    }
    for (const char* text : {"2026.13.01.", "2026.02.29.", "1900.02.29.", "2026.12.11..",
                             "2026-12-11.", "2026.12-11", "26.12.11.", "2026.12.32", "",
                             "2026.00.10", "2026. 12 .11.", "2026.12.11.x", "0000.01.01."}) {
        EXPECT_FALSE(fmt::parseDate(text).has_value()) << '"' << text << '"';
    }
}

// ----- Windows-1250 --------------------------------------------------------------------------

const char* const kPangram = "árvíztűrő tükörfúrógép ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP";

TEST(Cp1250, HungarianLettersHaveTheirCodePageBytes) {
    const std::string bytes = fmt::utf8ToCp1250(kPangram);
    EXPECT_EQ(bytes, "\xE1rv\xEDzt\xFBr\xF5 t\xFCk\xF6rf\xFAr\xF3g\xE9p "
                     "\xC1RV\xCDZT\xDBR\xD5 T\xDCK\xD6RF\xDAR\xD3G\xC9P");
    EXPECT_EQ(fmt::utf8ToCp1250("ő"), "\xF5");
    EXPECT_EQ(fmt::utf8ToCp1250("ű"), "\xFB");
    EXPECT_EQ(fmt::cp1250ToUtf8(bytes), kPangram);
    EXPECT_EQ(fmt::utf8ToCp1250("€ Š ž Ł ą Č"), "\x80 \x8A \x9E \xA3 \xB9 \xC8");
}

TEST(Cp1250, EveryDefinedByteSurvivesTheRoundTrip) {
    for (int b = 1; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::string utf8 = fmt::cp1250ToUtf8(byte);
        if (b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98) {
            EXPECT_EQ(utf8, "\xEF\xBF\xBD") << b;
            EXPECT_EQ(fmt::utf8ToCp1250(utf8), "?") << b;
        } else {
            EXPECT_EQ(fmt::utf8ToCp1250(utf8, '#'), byte) << b;
        }
    }
}

TEST(Cp1250, UnknownAndMalformedInputBecomesTheReplacement) {
    struct Case {
        std::string utf8;
        std::string expected;
    };
    const Case cases[] = {
        {"a漢b", "a?b"},
        {"a\xFF"
         "b",
         "a?b"},
        {"\xC5", "?"},                      // truncated at the end
        {"\xE2\x82x", "?x"},                // truncated in the middle
        {"\xC0\xAF", "??"},                 // overlong "/"
        {"\xED\xA0\x80", "???"},            // encoded surrogate
        {"\xF4\x90\x80\x80", "????"},       // beyond U+10FFFF
        {"\xC2\x80", "?"},                  // C1 control, not in the code page
        {"ș ț Ș Ț", "\xBA \xFE \xAA \xDE"}, // comma-below letters as their cedilla twins
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fmt::utf8ToCp1250(c.utf8), c.expected);
    }
    EXPECT_EQ(fmt::utf8ToCp1250("x漢", '_'), "x_");
}

TEST(TextHelpers, UpperHuAndTrim) {
    EXPECT_EQ(fmt::upperHu("árvíztűrő tükörfúrógép"), "ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP");
    EXPECT_EQ(fmt::upperHu("abc-ß-漢-čšž-ţ"), "ABC-ß-漢-ČŠŽ-Ţ");
    EXPECT_EQ(fmt::upperHu("a\xFF"
                           "b"),
              "A\xFF"
              "B");
    EXPECT_EQ(fmt::trim(" \t ab c \r\n"), "ab c");
    EXPECT_EQ(fmt::trim("   "), "");
}

// ----- text files ----------------------------------------------------------------------------

TEST(Csv, FieldsCannotBreakTheLine) {
    EXPECT_EQ(fmt::joinCsvLine({"a", "b;c", "d\r\ne", "f\ng", "h\ri"}), "a;b c;d e;f g;h i");
    EXPECT_EQ(fmt::joinCsvLine({"", ""}), ";");
    EXPECT_EQ(fmt::joinCsvLine({"a;b", "c\td"}, '\t'), "a;b\tc d");
    EXPECT_EQ(fmt::joinCsvLine({}), "");
}

class TextFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("format_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    static std::string rawBytes(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void writeRaw(const fs::path& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir_;
};

TEST_F(TextFileTest, WritesCp1250WithCrLfAndReadsItBack) {
    const fs::path file = dir_ / "lista.csv";
    std::string error;
    ASSERT_TRUE(fmt::writeTextFile(file, {"árvíztűrő;12", "", "két\nsor"}, &error)) << error;
    EXPECT_EQ(rawBytes(file), "\xE1rv\xEDzt\xFBr\xF5;12\r\n\r\nk\xE9t\r\nsor\r\n");
    EXPECT_EQ(entries(), std::vector<std::string>{"lista.csv"});

    auto lines = fmt::readCp1250Lines(file);
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(*lines, (std::vector<std::string>{"árvíztűrő;12", "", "két", "sor"}));

    // Rewriting replaces the whole file.
    ASSERT_TRUE(fmt::writeTextFile(file, {"x"}));
    EXPECT_EQ(rawBytes(file), "x\r\n");
    EXPECT_EQ(entries(), std::vector<std::string>{"lista.csv"});
}

TEST_F(TextFileTest, ReadingAcceptsLfAndAMissingFinalLineEnd) {
    const fs::path file = dir_ / "in.txt";
    writeRaw(file, "a\nb\r\n\xF5\xFB");
    EXPECT_EQ(fmt::readCp1250Lines(file), (std::vector<std::string>{"a", "b", "őű"}));
    writeRaw(file, "a\r\n\r\n");
    EXPECT_EQ(fmt::readCp1250Lines(file), (std::vector<std::string>{"a", ""}));
    writeRaw(file, "");
    EXPECT_EQ(fmt::readCp1250Lines(file), std::vector<std::string>{});

    std::string error;
    EXPECT_FALSE(fmt::readCp1250Lines(dir_ / "missing.txt", &error).has_value());
    EXPECT_FALSE(error.empty());
}

TEST_F(TextFileTest, AFailedWriteLeavesNoTemporaryFile) {
    // The target name is taken by a folder: the final rename fails.
    fs::create_directory(dir_ / "busy");
    std::string error;
    EXPECT_FALSE(fmt::writeTextFile(dir_ / "busy", {"a", "b"}, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(entries(), std::vector<std::string>{"busy"});
    EXPECT_TRUE(fs::is_empty(dir_ / "busy"));

    // The folder does not exist: nothing can be created.
    error.clear();
    EXPECT_FALSE(fmt::writeTextFile(dir_ / "nofolder" / "x.csv", {"a"}, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(entries(), std::vector<std::string>{"busy"});
}

} // namespace
