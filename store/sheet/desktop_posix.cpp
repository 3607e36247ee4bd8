// The desktop hand-off on POSIX systems: the freedesktop.org tools xdg-open and xdg-email,
// found on PATH and started detached (a child that starts the program and ends at once, so that
// the program outlives no zombie and the caller never waits for it).
#include "store/sheet/desktop.h"
#include "store/sheet/workbook.h"

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace store::sheet {

namespace fs = std::filesystem;

namespace {

// The program's full path from PATH; empty when it is not there.
std::string findProgram(std::string_view name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) {
        return {};
    }
    std::string_view rest(path);
    while (!rest.empty()) {
        const size_t colon = rest.find(':');
        const std::string_view dir = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (dir.empty()) {
            continue;
        }
        std::string candidate = std::string(dir) + "/" + std::string(name);
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

// Starts the program with the arguments and does not wait for it. Everything the children
// need is prepared before fork, so they only call fork, execve and _exit.
bool startDetached(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> all;
    all.push_back(program);
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        return false;
    }
    if (child == 0) {
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ::execve(program.c_str(), argv.data(), environ);
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class PosixDesktop : public Desktop {
public:
    bool openDocument(const fs::path& file) override {
        const std::string opener = findProgram("xdg-open");
        if (opener.empty()) {
            return false;
        }
        return startDetached(opener, {fs::absolute(file).string()});
    }

    void composeMail(const fs::path& attachment, const std::string& subject,
                     const std::vector<std::string>& recipients) override {
        const std::string mailer = findProgram("xdg-email");
        if (mailer.empty()) {
            throw SheetError("no mail program is set up on this computer (xdg-email is "
                             "missing); the file is " +
                             fs::absolute(attachment).string());
        }
        std::vector<std::string> args = {"--subject", subject, "--attach",
                                         fs::absolute(attachment).string()};
        for (const std::string& r : recipients) {
            if (!r.empty() && r.front() != '-') {
                args.push_back(r);
            }
        }
        if (!startDetached(mailer, args)) {
            throw SheetError("the mail program could not be started");
        }
    }
};

} // namespace

Desktop& systemDesktop() {
    static PosixDesktop desktop;
    return desktop;
}

} // namespace store::sheet
