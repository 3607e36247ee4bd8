// Helpers of the workbook tests: a fresh folder per test, files as bytes, and LibreOffice in
// headless mode as the independent spreadsheet program.
#pragma once

#include "store/sheet/workbook.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

// Readable values in the test messages.
namespace store::sheet {
inline void PrintTo(const CellValue& v, std::ostream* os) {
    static const char* const kKinds[] = {"empty", "text", "number", "date"};
    *os << kKinds[static_cast<int>(v.kind())] << " \"" << v.plainText() << "\"";
}
} // namespace store::sheet

namespace sheettest {

namespace fs = std::filesystem;

inline fs::path freshDir(const std::string& tag) {
    static std::mt19937_64 rng{std::random_device{}()};
    auto dir = fs::temp_directory_path() / ("dirurar-sheet-" + tag + "-" + std::to_string(rng()));
    fs::create_directories(dir);
    return dir;
}

inline std::string readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The names of the files in a folder, sorted.
inline std::vector<std::string> listing(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override { dir = freshDir("t"); }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path dir;
};

// Runs LibreOffice on `files` with one --convert-to filter; the results go to `outDir`.
// Returns the program's exit status (and its output in *log).
inline int soffice(const std::string& filter, const std::vector<fs::path>& files,
                   const fs::path& outDir, const fs::path& profile, std::string* log = nullptr) {
    std::string cmd = "soffice -env:UserInstallation=file://" + profile.string() +
                      " --headless --norestore --convert-to '" + filter + "' --outdir '" +
                      outDir.string() + "'";
    for (const fs::path& f : files) {
        cmd += " '" + f.string() + "'";
    }
    const fs::path logFile = outDir / "soffice.log";
    cmd += " > '" + logFile.string() + "' 2>&1";
    const int rc = std::system(cmd.c_str());
    if (log != nullptr) {
        *log = readBytes(logFile);
    }
    return rc;
}

// The CSV filter: comma separated, quoted with ", UTF-8, US English number display, values
// as shown, every sheet into its own file "<name>-<sheet>.csv".
inline const char* kCsvAllSheets =
    "csv:Text - txt - csv (StarCalc):44,34,76,1,,1033,false,true,true,false,false,-1";

// Rows of a CSV file as LibreOffice writes it (fields in quotes when they hold a comma).
inline std::vector<std::vector<std::string>> readCsv(const fs::path& p) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(readBytes(p));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::vector<std::string> fields(1);
        bool quoted = false;
        for (size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    fields.back() += '"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
            } else if (c == ',' && !quoted) {
                fields.emplace_back();
            } else {
                fields.back() += c;
            }
        }
        rows.push_back(fields);
    }
    return rows;
}

} // namespace sheettest
