#include "ui/grid_layout.h"

#include "store/format/format.h"

#include <charconv>

namespace ui {

namespace {

constexpr const char* kMagic = "DIRURAR GRID LAYOUT 1";
const std::vector<std::string> kCells = {"Field",     "Title", "Width", "Visible",    "ReadOnly",
                                         "Alignment", "Color", "Font",  "TitleColor", "TitleFont"};

std::string escape(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string unescape(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            const char n = s[++i];
            out += n == 't' ? '\t' : n == 'r' ? '\r' : n == 'n' ? '\n' : n;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        const size_t t = line.find('\t', start);
        out.push_back(line.substr(start, t == std::string::npos ? std::string::npos : t - start));
        if (t == std::string::npos) {
            return out;
        }
        start = t + 1;
    }
}

std::string joinTabs(const std::vector<std::string>& cells) {
    std::string out;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) {
            out += '\t';
        }
        out += cells[i];
    }
    return out;
}

bool setError(std::string* error, std::string text) {
    if (error) {
        *error = std::move(text);
    }
    return false;
}

} // namespace

std::vector<std::string> layoutLines(const std::vector<ColumnLayout>& columns) {
    std::vector<std::string> lines{kMagic, joinTabs(kCells)};
    for (const auto& c : columns) {
        lines.push_back(
            joinTabs({escape(c.field), escape(c.title), std::to_string(c.width),
                      c.visible ? "1" : "0", c.readOnly ? "1" : "0", escape(c.alignment),
                      escape(c.color), escape(c.font), escape(c.titleColor), escape(c.titleFont)}));
    }
    return lines;
}

std::optional<std::vector<ColumnLayout>> parseLayout(const std::vector<std::string>& lines,
                                                     std::string* error) {
    if (lines.size() < 2 || store::fmt::trim(lines[0]) != kMagic) {
        setError(error, "not a grid layout file");
        return std::nullopt;
    }
    const std::vector<std::string> names = splitTabs(lines[1]);
    std::vector<ColumnLayout> out;
    for (size_t n = 2; n < lines.size(); ++n) {
        if (store::fmt::trim(lines[n]).empty()) {
            continue;
        }
        const std::vector<std::string> cells = splitTabs(lines[n]);
        ColumnLayout c;
        const std::string where = "line " + std::to_string(n + 1);
        for (size_t i = 0; i < cells.size() && i < names.size(); ++i) {
            const std::string& name = names[i];
            const std::string v = unescape(cells[i]);
            auto flag = [&](bool& target) {
                if (v != "0" && v != "1") {
                    return setError(error, where + ": " + name + " must be 0 or 1");
                }
                target = v == "1";
                return true;
            };
            if (name == "Field") {
                c.field = v;
            } else if (name == "Title") {
                c.title = v;
            } else if (name == "Width") {
                int w = 0;
                auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), w);
                if (ec != std::errc() || p != v.data() + v.size() || w < 0) {
                    setError(error, where + ": bad width \"" + v + "\"");
                    return std::nullopt;
                }
                c.width = w;
            } else if (name == "Visible") {
                if (!flag(c.visible)) {
                    return std::nullopt;
                }
            } else if (name == "ReadOnly") {
                if (!flag(c.readOnly)) {
                    return std::nullopt;
                }
            } else if (name == "Alignment") {
                if (!v.empty() && v != "left" && v != "right" && v != "center") {
                    setError(error, where + ": bad alignment \"" + v + "\"");
                    return std::nullopt;
                }
                c.alignment = v;
            } else if (name == "Color") {
                c.color = v;
            } else if (name == "Font") {
                c.font = v;
            } else if (name == "TitleColor") {
                c.titleColor = v;
            } else if (name == "TitleFont") {
                c.titleFont = v;
            }
        }
        if (c.field.empty()) {
            setError(error, where + ": a column without a field");
            return std::nullopt;
        }
        out.push_back(std::move(c));
    }
    return out;
}

bool writeLayoutFile(const std::filesystem::path& file, const std::vector<ColumnLayout>& columns,
                     std::string* error) {
    return store::fmt::writeTextFile(file, layoutLines(columns), error);
}

std::optional<std::vector<ColumnLayout>> readLayoutFile(const std::filesystem::path& file,
                                                        std::string* error) {
    auto lines = store::fmt::readCp1250Lines(file, error);
    if (!lines) {
        return std::nullopt;
    }
    return parseLayout(*lines, error);
}

} // namespace ui
