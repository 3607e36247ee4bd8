// What the benchmarks share: the large installation they run on (dirurar-setup --large), made
// once in the temporary folder or taken from DIRURAR_BENCH_INSTALL, and a message service that
// stays silent.
#pragma once

#include "setup/demo.h"
#include "store/messages.h"

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

// Shows nothing and answers every question with No.
class QuietMessages : public store::Messages {
public:
    void showMessage(const std::string&) override {}
    void information(const std::string&) override {}
    void warning(const std::string&) override {}
    void error(const std::string&) override {}
    bool yesNo(const std::string&) override { return false; }
    bool okCancel(const std::string&) override { return false; }
    std::optional<std::string> inputBox(const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> passwordBox(const std::string&, const std::string&) override {
        return std::nullopt;
    }
};

} // namespace bench
