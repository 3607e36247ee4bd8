// Text files of the exports: CSV lines, atomic Windows-1250 writing and reading back.
#include "store/format/format.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

namespace store::fmt {

namespace fs = std::filesystem;

namespace {

void setError(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
}

std::string pathText(const fs::path& p) {
    const auto u8 = p.u8string();
    return std::string(u8.begin(), u8.end());
}

std::string systemReason() {
    const int e = errno;
    return e != 0 ? std::string(": ") + std::strerror(e) : std::string();
}

// Windows-1250 bytes of all lines, every line break written as CR LF.
std::string fileBytes(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) {
        const std::string bytes = utf8ToCp1250(line);
        for (size_t i = 0; i < bytes.size(); ++i) {
            const char c = bytes[i];
            if (c == '\r' || c == '\n') {
                if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                    ++i;
                }
                out += "\r\n";
            } else {
                out += c;
            }
        }
        out += "\r\n";
    }
    return out;
}

// A name next to `target` that does not exist yet.
std::optional<fs::path> temporaryName(const fs::path& target) {
    thread_local std::mt19937_64 rng{std::random_device{}()};
    static const char* const kHex = "0123456789abcdef";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix = ".tmp";
        uint64_t r = rng();
        for (int k = 0; k < 8; ++k) {
            suffix += kHex[r & 0xF];
            r >>= 4;
        }
        fs::path candidate = target;
        candidate += suffix;
        std::error_code ec;
        if (!fs::exists(candidate, ec) && !ec) {
            return candidate;
        }
    }
    return std::nullopt;
}

} // namespace

std::string joinCsvLine(const std::vector<std::string>& fields, char sep) {
    std::string out;
    for (size_t f = 0; f < fields.size(); ++f) {
        if (f > 0) {
            out += sep;
        }
        const std::string& field = fields[f];
        for (size_t i = 0; i < field.size(); ++i) {
            const char c = field[i];
            if (c == sep || c == '\r' || c == '\n') {
                if (c == '\r' && i + 1 < field.size() && field[i + 1] == '\n') {
                    ++i;
                }
                out += ' ';
            } else {
                out += c;
            }
        }
    }
    return out;
}

bool writeTextFile(const fs::path& path, const std::vector<std::string>& lines,
                   std::string* error) {
    if (path.filename().empty()) {
        setError(error, "no file name in \"" + pathText(path) + "\"");
        return false;
    }
    const std::string bytes = fileBytes(lines);
    const std::optional<fs::path> tmp = temporaryName(path);
    if (!tmp) {
        setError(error, "no temporary file name available next to \"" + pathText(path) + "\"");
        return false;
    }
    std::error_code ignored;
    {
        errno = 0;
        std::ofstream out(*tmp, std::ios::binary | std::ios::trunc);
        if (!out) {
            setError(error, "cannot create \"" + pathText(*tmp) + "\"" + systemReason());
            fs::remove(*tmp, ignored);
            return false;
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            setError(error, "cannot write \"" + pathText(*tmp) + "\"" + systemReason());
            fs::remove(*tmp, ignored);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(*tmp, path, ec);
    if (ec) {
        setError(error, "cannot replace \"" + pathText(path) + "\": " + ec.message());
        fs::remove(*tmp, ignored);
        return false;
    }
    return true;
}

std::optional<std::vector<std::string>> readCp1250Lines(const fs::path& path, std::string* error) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        setError(error, "cannot open \"" + pathText(path) + "\"" + systemReason());
        return std::nullopt;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        setError(error, "cannot read \"" + pathText(path) + "\"" + systemReason());
        return std::nullopt;
    }
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        const bool terminated = end != std::string::npos;
        if (!terminated) {
            end = bytes.size();
        }
        size_t stop = end;
        if (terminated && stop > start && bytes[stop - 1] == '\r') {
            --stop;
        }
        lines.push_back(cp1250ToUtf8(std::string_view(bytes).substr(start, stop - start)));
        start = end + 1;
    }
    return lines;
}

} // namespace store::fmt
