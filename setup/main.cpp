// dirurar-setup: creates a demo installation (or, with --large, the benchmark installation)
// in a new or empty folder and tells what it made.
#include "setup/demo.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

int usage() {
    std::fprintf(stderr, "usage: dirurar-setup [--large] [--seed N] DIR\n"
                         "Creates a demo installation of the fittings ordering program in DIR,\n"
                         "which must be missing or empty. --large makes the benchmark\n"
                         "installation (100 000 price-list parts, 20 000 module parts).\n");
    return 1;
}

std::string megabytes(std::uintmax_t bytes) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return buf;
}

} // namespace

int main(int argc, char** argv) {
    setup::Options options;
    std::string dir;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--large") {
            options.large = true;
        } else if (a == "--seed" && i + 1 < argc) {
            char* end = nullptr;
            const unsigned long v = std::strtoul(argv[++i], &end, 10);
            if (end == nullptr || *end != '\0') {
                return usage();
            }
            options.seed = static_cast<unsigned>(v);
        } else if (!a.empty() && a[0] == '-') {
            return usage();
        } else if (dir.empty()) {
            dir = a;
        } else {
            return usage();
        }
    }
    if (dir.empty()) {
        return usage();
    }
    try {
        const auto start = std::chrono::steady_clock::now();
        setup::createInstallation(dir, options);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const fs::path root = fs::absolute(dir);
        std::printf("%s installation created in %s (%.1f s)\n",
                    options.large ? "Benchmark" : "Demo", root.string().c_str(), seconds);
        std::printf("\nTables:\n");
        for (const auto& t : setup::countTables(root)) {
            std::printf("  %-28s %8zu rows\n", t.file.string().c_str(), t.rows);
        }
        std::uintmax_t total = 0;
        size_t files = 0, pictures = 0;
        for (const auto& e : fs::recursive_directory_iterator(root)) {
            if (e.is_regular_file()) {
                total += e.file_size();
                ++files;
                const std::string ext = e.path().extension().string();
                if (ext == ".bmp" || ext == ".jpg") {
                    ++pictures;
                }
            }
        }
        std::printf(
            "\nOther files: aliases.ini, adatok/labj.txt, preis/friss.txt, help/dirurar.hlp,"
            " %zu pictures in icon/ (and ment/hatter.db)\n",
            pictures);
        std::printf("%zu files, %s\n", files, megabytes(total).c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dirurar-setup: %s\n", e.what());
        return 1;
    }
}
