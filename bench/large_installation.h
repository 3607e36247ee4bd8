// The large installation the benchmarks run on (dirurar-setup --large), made once in the
// temporary folder or taken from DIRURAR_BENCH_INSTALL.
#pragma once

#include "setup/demo.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace bench {

inline std::filesystem::path largeInstallation() {
    static const std::filesystem::path dir = [] {
        if (const char* env = std::getenv("DIRURAR_BENCH_INSTALL")) {
            return std::filesystem::path(env);
        }
        std::filesystem::path d = std::filesystem::temp_directory_path() / "dirurar-bench-large";
        if (!std::filesystem::exists(d / "aliases.ini")) {
            std::error_code ec;
            std::filesystem::remove_all(d, ec);
            std::fprintf(stderr, "creating the large installation in %s ...\n", d.c_str());
            setup::Options o;
            o.large = true;
            setup::createInstallation(d, o);
        }
        return d;
    }();
    return dir;
}

} // namespace bench
