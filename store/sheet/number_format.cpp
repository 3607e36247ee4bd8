#include "store/sheet/number_format.h"

#include "store/engine/schema.h"
#include "store/format/format.h"

#include <cctype>
#include <cmath>

namespace store::sheet {

namespace {

bool isPlaceholder(char c) {
    return c == '0' || c == '#' || c == '?';
}

// Splits at ";" outside quotes and escapes.
std::vector<std::string> sections(std::string_view f) {
    std::vector<std::string> out(1);
    bool quoted = false;
    for (size_t i = 0; i < f.size(); ++i) {
        const char c = f[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == '\\' && i + 1 < f.size()) {
            out.back() += c;
            out.back() += f[++i];
            continue;
        } else if (!quoted && c == ';') {
            out.emplace_back();
            continue;
        }
        out.back() += c;
    }
    return out;
}

// Literal text in file notation: letters and marks that mean something there are escaped.
std::string literal(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"') {
            // a quoted run is kept as it is
            const size_t end = text.find('"', i + 1);
            const size_t stop = end == std::string_view::npos ? text.size() : end + 1;
            out.append(text.substr(i, stop - i));
            if (end == std::string_view::npos) {
                out += '"';
            }
            i = stop - 1;
        } else if (c == '\\' && i + 1 < text.size()) {
            out += text[i];
            out += text[++i];
        } else if (c == ' ' || c == '-' || c == '(' || c == ')' || c == '%' || c == '$' ||
                   c == '+' || c >= 0x80) {
            out += static_cast<char>(c);
        } else {
            out += '\\';
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string translateSection(std::string_view s, char decimalMark) {
    // the number part runs from the first to the last digit placeholder
    size_t first = std::string_view::npos;
    size_t last = 0;
    bool quoted = false;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '"') {
            quoted = !quoted;
        } else if (!quoted && s[i] == '\\') {
            ++i;
        } else if (!quoted && isPlaceholder(s[i])) {
            if (first == std::string_view::npos) {
                first = i;
            }
            last = i;
        }
    }
    if (first == std::string_view::npos) {
        return literal(s);
    }
    const std::string_view number = s.substr(first, last - first + 1);
    char point = decimalMark;
    if (number.find(point) == std::string_view::npos) {
        point = '.';
    }
    std::string integer;
    std::string decimals;
    bool grouped = false;
    bool afterPoint = false;
    for (char c : number) {
        if (isPlaceholder(c)) {
            (afterPoint ? decimals : integer) += c;
        } else if (c == point && !afterPoint) {
            afterPoint = true;
        } else if (!afterPoint) {
            grouped = true; // a blank or another mark between the integer placeholders
        }
    }
    if (grouped && !integer.empty()) {
        if (integer.size() < 4) {
            integer.insert(0, 4 - integer.size(), '#');
        }
        integer.insert(integer.size() - 3, 1, ',');
    }
    std::string out = literal(s.substr(0, first)) + integer;
    if (afterPoint) {
        out += '.';
        out += decimals;
    }
    return out + literal(s.substr(last + 1));
}

} // namespace

bool isDateFormat(std::string_view f) {
    bool quoted = false;
    int bracket = 0;
    for (size_t i = 0; i < f.size(); ++i) {
        const char c = f[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (c == '\\') {
            ++i;
        } else if (c == '[') {
            ++bracket;
        } else if (c == ']') {
            bracket = std::max(0, bracket - 1);
        } else if (bracket == 0) {
            const char l = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (l == 'y' || l == 'm' || l == 'd' || l == 'h' || l == 's') {
                // "General" has no date letters that count: it is handled by the caller
                return true;
            }
        }
    }
    return false;
}

std::string fileNumberFormat(std::string_view programFormat, char decimalMark) {
    const std::string trimmed = fmt::trim(programFormat);
    if (trimmed.empty() || trimmed == "@" || equalsNoCase(trimmed, "General") ||
        equalsNoCase(trimmed, "Standard") || isDateFormat(trimmed)) {
        return equalsNoCase(trimmed, "Standard") ? "General" : trimmed;
    }
    std::string out;
    for (const std::string& sec : sections(trimmed)) {
        if (!out.empty()) {
            out += ';';
        }
        out += translateSection(sec, decimalMark);
    }
    return out;
}

namespace {

// A file format as a display mask of store::fmt (which reads "." as the decimal point and ","
// between placeholders as grouping, quoted text as literal).
std::string displayMask(std::string_view f) {
    std::string out;
    bool quoted = false;
    for (size_t i = 0; i < f.size(); ++i) {
        const char c = f[i];
        if (c == '"') {
            quoted = !quoted;
            out += c;
        } else if (quoted) {
            out += c;
        } else if (c == '\\' && i + 1 < f.size()) {
            out += '"';
            out += f[++i];
            out += '"';
        } else if (c == '[') {
            const size_t end = f.find(']', i);
            i = end == std::string_view::npos ? f.size() : end;
        } else if (c == '_' || c == '*') {
            ++i; // padding: the next character's width, ignored
        } else if (c == '?') {
            out += '#';
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::string displayText(const CellValue& v, std::string_view fileFormat) {
    switch (v.kind()) {
    case CellKind::Empty:
        return {};
    case CellKind::Text:
        return v.text();
    case CellKind::Date:
        return fmt::formatDate(v.date());
    case CellKind::Number:
        break;
    }
    if (fileFormat.empty() || fileFormat == "@" || equalsNoCase(fileFormat, "General")) {
        return fmt::formatGeneral(v.number());
    }
    if (isDateFormat(fileFormat)) {
        if (auto d = dateFromSerial(v.number())) {
            return fmt::formatDate(*d);
        }
        return fmt::formatGeneral(v.number());
    }
    return fmt::formatMask(v.number(), displayMask(fileFormat));
}

} // namespace store::sheet
