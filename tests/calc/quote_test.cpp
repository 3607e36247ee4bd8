// The batch quoting tool on the demo installation.
#include "../reports/pdf_support.h"
#include "../store/test_support.h"
#include "setup/demo.h"
#include "tools/calc/quote.h"

#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class QuoteTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new fs::path(testsupport::freshDir("quote"));
        setup::createInstallation(*dir_, {});
        // the user's settings file: none written yet
        setenv("DIRURAR_SETTINGS", (*dir_ / "settings.ini").c_str(), 1);
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        fs::remove_all(*dir_, ec);
        delete dir_;
    }

    struct Result {
        int rc;
        std::string out, err;
        std::vector<std::string> lines() const {
            std::vector<std::string> l;
            std::istringstream in(out);
            for (std::string s; std::getline(in, s);) {
                l.push_back(s);
            }
            return l;
        }
    };
    static Result run(std::vector<std::string> args, bool install = true) {
        if (install) {
            args.insert(args.begin(), {"--install", dir_->string()});
        }
        std::ostringstream out, err;
        const int rc = quote::run(args, out, err);
        return {rc, out.str(), err.str()};
    }
    static std::string fileStamp() {
        std::string s;
        for (const auto& e : fs::recursive_directory_iterator(*dir_ / "adatok")) {
            if (e.is_regular_file()) {
                s += e.path().filename().string() + ":" + std::to_string(e.file_size()) + ":" +
                     std::to_string(e.last_write_time().time_since_epoch().count()) + "\n";
            }
        }
        return s;
    }

    static fs::path* dir_;
};
fs::path* QuoteTest::dir_ = nullptr;

TEST_F(QuoteTest, PrintsThePartialSummaryAndLeavesTheInstallationAlone) {
    const std::string before = fileStamp();
    const Result r = run({"--type", "1", "--width", "800", "--height", "1200", "--count", "2"});
    ASSERT_EQ(r.rc, 0) << r.err;
    const auto lines = r.lines();
    ASSERT_GT(lines.size(), 5u);
    EXPECT_EQ(lines[0], "BSNR;Megnevezes;Darab;ear;ar;ear2;ar2;gew");
    std::string previous;
    std::map<std::string, long long> darab2;
    for (size_t i = 1; i < lines.size(); ++i) {
        std::vector<std::string> f;
        std::stringstream in(lines[i]);
        for (std::string s; std::getline(in, s, ';');) {
            f.push_back(s);
        }
        ASSERT_EQ(f.size(), 8u) << lines[i];
        EXPECT_LT(previous, f[0]); // in the summary's order, each part once
        previous = f[0];
        EXPECT_EQ(f[2].find_first_not_of("-0123456789"), std::string::npos);
        for (size_t n = 3; n < f.size(); ++n) {
            EXPECT_EQ(f[n].find('.'), std::string::npos) << "decimal comma: " << lines[i];
        }
        darab2[f[0]] = std::stoll(f[2]);
        EXPECT_NE(f[4], ""); // every row priced
    }
    EXPECT_EQ(fileStamp(), before);

    // the count multiplies every quantity
    const Result one = run({"--type", "1", "--width", "800", "--height", "1200"});
    const auto oneLines = one.lines();
    ASSERT_EQ(oneLines.size(), lines.size());
    for (size_t i = 1; i < oneLines.size(); ++i) {
        const auto bsnr = oneLines[i].substr(0, oneLines[i].find(';'));
        const auto rest = oneLines[i].substr(oneLines[i].find(';', bsnr.size() + 1) + 1);
        EXPECT_EQ(darab2[bsnr], 2 * std::stoll(rest)) << oneLines[i];
    }
}

TEST_F(QuoteTest, RefusesWhatDataEntryRefusesAndRejectsBadArguments) {
    struct Case {
        std::vector<std::string> args;
        int rc;
        const char* inErr;
    } cases[] = {
        {{"--type", "1", "--width", "80", "--height", "1200"}, 1, "szélesség"},
        {{"--type", "70", "--width", "300", "--height", "1000", "--rab", "1310"}, 1, "46"},
        {{"--type", "70", "--width", "300", "--height", "1000", "--rab", "900"}, 1, "szög"},
        {{"--type", "28", "--width", "800", "--height", "1200", "--material", "2"},
         1,
         "alumíniumra nem alkalmazható"},
        {{"--type", "1", "--width", "800", "--height", "1200", "--material", "3"}, 1, "anyag"},
        {{"--type", "555", "--width", "800", "--height", "1200"}, 1, "555"},
        {{"--type", "1", "--width", "800"}, 2, "Használat"},
        {{"--type", "1", "--width", "8x0", "--height", "1200"}, 2, "--width"},
        {{"--type", "1", "--width", "800", "--height", "1200", "--hinge", "3"}, 2, "--hinge"},
        {{"--type", "1", "--width", "800", "--height", "1200", "--bogus"}, 2, "--bogus"},
    };
    for (const auto& c : cases) {
        const Result r = run(c.args);
        EXPECT_EQ(r.rc, c.rc) << c.args[1] << " " << r.err;
        EXPECT_NE(r.err.find(c.inErr), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    const Result help = run({"--help"}, false);
    EXPECT_EQ(help.rc, 0);
    EXPECT_NE(help.out.find("--install DIR"), std::string::npos);
    EXPECT_EQ(run({"--type", "1"}, false).rc, 2);
}

TEST_F(QuoteTest, TheWindowAsDataEntryLeavesIt) {
    auto windowLine = [](const Result& r) {
        const auto at = r.err.find("window: ");
        return at == std::string::npos ? std::string()
                                       : r.err.substr(at, r.err.find('\n', at) - at);
    };
    // threshold type 24: the hinge variant is forced to 1
    Result r = run({"--type", "24", "--width", "1000", "--height", "2200", "--rab", "2300",
                    "--hinge", "0", "--verbose"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(windowLine(r), "window: Vezkod=124 Kod=24 hinge=1 material=0 colour=0 opening=0 "
                             "W=1000 H=2200 R=2300 Q=1 eckband=0 ts=0 Rudzaropcio=5");
    // black is not offered for type 3: reset to white with the message
    r = run({"--type", "3", "--width", "1000", "--height", "2000", "--rab", "2100", "--colour", "3",
             "--verbose", "--count", "-2"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(r.err.find("Ehhez a típushoz fekete szín nem választható!"), std::string::npos);
    EXPECT_NE(windowLine(r).find("colour=0"), std::string::npos);
    EXPECT_NE(windowLine(r).find("Q=-2"), std::string::npos);
    // type 9 offers no "Rúdzár 3": the option changes nothing
    const Result plain = run({"--type", "9", "--width", "800", "--height", "800", "--verbose"});
    const Result rod3 =
        run({"--type", "9", "--width", "800", "--height", "800", "--rod3", "--verbose"});
    ASSERT_EQ(plain.rc, 0) << plain.err;
    EXPECT_EQ(rod3.out, plain.out);
    EXPECT_EQ(windowLine(rod3), windowLine(plain));
    // type 1 offers it: the option word changes
    r = run({"--type", "1", "--width", "800", "--height", "1200", "--rod3", "--verbose"});
    EXPECT_NE(windowLine(r).find("Rudzaropcio=9"), std::string::npos) << r.err;
}

TEST_F(QuoteTest, PrintsTheQuotationIntoAPdf) {
    const fs::path pdf = *dir_ / "ajanlat.pdf";
    const Result r = run({"--type", "1", "--width", "800", "--height", "1200", "--count", "2",
                          "--colour", "1", "--pdf", pdf.string()});
    ASSERT_EQ(r.rc, 0) << r.err;
    ASSERT_TRUE(fs::exists(pdf));
    using namespace reportsupport;
    if (!havePoppler()) {
        GTEST_SKIP() << "pdftotext is not installed";
    }
    const auto text = pdfText(pdf);
    ASSERT_TRUE(text);
    const std::string flat = squeeze(*text);
    for (const char* s : {"Bukó-nyíló ablak, Ka-Line", "800 x 1200 mm", "Műanyag - Rehau 730",
                          "Barna", "2 db", "Alkatrész lista"}) {
        EXPECT_NE(flat.find(s), std::string::npos) << s << " in\n" << flat;
    }
    // every part of the summary is on the page
    for (size_t i = 1; i < r.lines().size(); ++i) {
        const std::string bsnr = r.lines()[i].substr(0, r.lines()[i].find(';'));
        EXPECT_NE(flat.find(bsnr), std::string::npos) << bsnr;
    }
}

std::map<std::string, long long> quantities(const std::vector<std::string>& lines) {
    std::map<std::string, long long> q;
    for (size_t i = 1; i < lines.size(); ++i) {
        const size_t a = lines[i].find(';');
        const size_t b = lines[i].find(';', a + 1);
        const size_t c = lines[i].find(';', b + 1);
        q[lines[i].substr(0, a)] += std::stoll(lines[i].substr(b + 1, c - b - 1));
    }
    return q;
}

TEST_F(QuoteTest, AnOrderFileAddsItsWindowsUp) {
    const std::vector<std::vector<std::string>> windows = {
        {"--type", "1", "--width", "800", "--height", "1200"},
        {"--type", "1", "--width", "800", "--height", "1200", "--count", "2"},
        {"--type", "3", "--width", "1000", "--height", "2000", "--rab", "2100"},
        {"--type", "1", "--width", "800", "--height", "1200", "--count", "-3"}};
    std::map<std::string, long long> expected;
    {
        std::ofstream file(*dir_ / "order.txt");
        for (const auto& w : windows) {
            for (const auto& a : w) {
                file << a << ' ';
            }
            file << "\n\n"; // empty lines are skipped
            for (const auto& [part, n] : quantities(run(w).lines())) {
                expected[part] += n;
            }
        }
    }
    std::erase_if(expected, [](const auto& e) { return e.second == 0; });
    const Result r = run({"--order", (*dir_ / "order.txt").string()});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(quantities(r.lines()), expected);
    EXPECT_EQ(r.lines()[0], "BSNR;Megnevezes;Darab;ear;ar;ear2;ar2;gew");
    // printed after "&Összesít": the order summary without a window description
    const fs::path pdf = *dir_ / "rendeles.pdf";
    ASSERT_EQ(run({"--order", (*dir_ / "order.txt").string(), "--pdf", pdf.string()}).rc, 0);
    if (const auto text =
            reportsupport::havePoppler() ? reportsupport::pdfText(pdf) : std::nullopt) {
        EXPECT_EQ(text->find("1000 x 2000 x 2100 mm"), std::string::npos);
        EXPECT_NE(text->find(r.lines()[1].substr(0, r.lines()[1].find(';'))), std::string::npos);
    }

    std::ofstream(*dir_ / "bad.txt") << "--type 1 --width 800 --height 1200\n"
                                     << "--type 1 --width 80 --height 1200\n";
    Result bad = run({"--order", (*dir_ / "bad.txt").string()});
    EXPECT_EQ(bad.rc, 1);
    EXPECT_NE(bad.err.find("2. sor"), std::string::npos) << bad.err;
    EXPECT_TRUE(bad.out.empty());
    std::ofstream(*dir_ / "bad.txt") << "--type 1 --width 800 --height 1200 --pdf x.pdf\n";
    bad = run({"--order", (*dir_ / "bad.txt").string()});
    EXPECT_EQ(bad.rc, 2);
    EXPECT_NE(bad.err.find("1. sor"), std::string::npos) << bad.err;
    EXPECT_EQ(run({"--order", (*dir_ / "none.txt").string()}).rc, 2);
    EXPECT_EQ(run({"--order", (*dir_ / "order.txt").string(), "--type", "1"}).rc, 2);
}

} // namespace
