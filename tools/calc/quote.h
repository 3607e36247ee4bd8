// Batch quoting: one window described on the command line is taken through the data entry
// rules, the collection and the prices exactly as the program does it, on a copy of the
// installation's working tables, and its partial summary is printed.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace quote {

// One window as the command line gives it (item indexes as in data entry).
struct WindowOptions {
    int type = -1;
    int width = -1;
    int height = -1;
    int rab = 0;
    int count = 1;
    int hinge = 1;
    int material = 0;
    int colour = 0;
    int opening = 0;
    bool eckband = false;
    bool rod3 = false;
    bool rod15 = false;
    bool rail15 = false;
    std::optional<int> profile; // "Automatkus váltás" on with this profile
};

struct Options {
    std::filesystem::path install;
    WindowOptions window;
    bool verbose = false;
    std::optional<std::filesystem::path> pdf;   // print the summary into this PDF file
    std::optional<std::filesystem::path> order; // the windows of an order, one per line
    bool help = false;
};

// Reads the arguments (without the program name); an error text when they are wrong.
std::optional<std::string> parseArguments(const std::vector<std::string>& args, Options& o);

const char* usage();

// Runs the tool: 0 done, 1 the window was refused (reason on `err`), 2 bad arguments.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace quote
