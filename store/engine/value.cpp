#include "store/engine/value.h"

#include "store/engine/errors.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace store {

std::string_view fieldTypeName(FieldType t) {
    switch (t) {
    case FieldType::Text:
        return "text";
    case FieldType::Int16:
        return "int16";
    case FieldType::Int32:
        return "int32";
    case FieldType::AutoInc:
        return "autoinc";
    case FieldType::Float:
        return "float";
    case FieldType::Bool:
        return "bool";
    case FieldType::Date:
        return "date";
    }
    return "text";
}

std::optional<FieldType> fieldTypeFromName(std::string_view name) {
    for (auto t : {FieldType::Text, FieldType::Int16, FieldType::Int32, FieldType::AutoInc,
                   FieldType::Float, FieldType::Bool, FieldType::Date}) {
        if (fieldTypeName(t) == name) {
            return t;
        }
    }
    return std::nullopt;
}

bool isIntegerType(FieldType t) {
    return t == FieldType::Int16 || t == FieldType::Int32 || t == FieldType::AutoInc;
}

// ---- dates: civil-from-days after H. Hinnant's public-domain algorithms ----

int64_t Date::toDays() const {
    const int64_t y = year - (month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t m = month;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

Date Date::fromDays(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = yoe + era * 400;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp + (mp < 10 ? 3 : -9);
    return Date{static_cast<int>(y + (m <= 2 ? 1 : 0)), static_cast<int>(m), static_cast<int>(d)};
}

bool Date::valid() const {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) {
        return false;
    }
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int dim = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= dim;
}

std::string Date::iso() const {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
    return buf;
}

std::optional<Date> Date::fromIso(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    Date d;
    auto num = [&](size_t pos, size_t len, int& out) {
        auto [p, ec] = std::from_chars(text.data() + pos, text.data() + pos + len, out);
        return ec == std::errc() && p == text.data() + pos + len;
    };
    if (!num(0, 4, d.year) || !num(5, 2, d.month) || !num(8, 2, d.day) || !d.valid()) {
        return std::nullopt;
    }
    return d;
}

Date Date::today() {
    const auto now = std::chrono::system_clock::now();
    const auto tt = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &tt);
#else
    localtime_r(&tt, &tm);
#endif
    return Date{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

// ---- text ----

static size_t utf8Len(unsigned char c) {
    if (c < 0x80) {
        return 1;
    }
    if ((c & 0xE0) == 0xC0) {
        return 2;
    }
    if ((c & 0xF0) == 0xE0) {
        return 3;
    }
    if ((c & 0xF8) == 0xF0) {
        return 4;
    }
    return 1; // stray continuation byte: counted as one character
}

size_t charCount(std::string_view text) {
    size_t n = 0;
    for (size_t i = 0; i < text.size(); ++n) {
        i += utf8Len(static_cast<unsigned char>(text[i]));
    }
    return n;
}

std::string cutToChars(std::string_view text, int n) {
    if (n <= 0) {
        return {};
    }
    size_t i = 0;
    int count = 0;
    while (i < text.size() && count < n) {
        i += utf8Len(static_cast<unsigned char>(text[i]));
        ++count;
    }
    return std::string(text.substr(0, std::min(i, text.size())));
}

static std::string trimmed(std::string_view s) {
    size_t b = 0;
    size_t e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) {
        ++b;
    }
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) {
        --e;
    }
    return std::string(s.substr(b, e - b));
}

static std::optional<double> textToDouble(std::string_view text) {
    std::string t = trimmed(text);
    std::string clean;
    clean.reserve(t.size());
    for (char c : t) {
        if (c == ',') {
            clean += '.';
        } else if (c != ' ') {
            clean += c;
        }
    }
    if (clean.empty()) {
        return std::nullopt;
    }
    double d = 0;
    auto [p, ec] = std::from_chars(clean.data(), clean.data() + clean.size(), d);
    if (ec != std::errc() || p != clean.data() + clean.size()) {
        return std::nullopt;
    }
    return d;
}

static std::optional<int64_t> textToInt(std::string_view text) {
    std::string t = trimmed(text);
    if (!t.empty() && t[0] == '+') {
        t.erase(0, 1);
    }
    int64_t v = 0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || p != t.data() + t.size()) {
        return std::nullopt;
    }
    return v;
}

[[noreturn]] static void badValue(const std::string& what, FieldType type) {
    throw EngineError(errc::MaxValue, "'" + what + "' is not a valid " +
                                          std::string(fieldTypeName(type)) + " value");
}

static int64_t checkIntRange(int64_t v, FieldType type) {
    const int64_t lo = type == FieldType::Int16 ? INT16_MIN : INT32_MIN;
    const int64_t hi = type == FieldType::Int16 ? INT16_MAX : INT32_MAX;
    if (v < lo || v > hi) {
        badValue(std::to_string(v), type);
    }
    return v;
}

Value coerce(const Value& v, FieldType type, int size) {
    if (v.isNull()) {
        return v;
    }
    switch (type) {
    case FieldType::Text: {
        const int cap = size > 0 ? size : 20;
        if (v.isText() && !v.textValue().empty() && v.textValue().size() <= static_cast<size_t>(cap)) {
            return v; // fits: no character can be over the capacity
        }
        std::string s;
        if (v.isText()) {
            s = v.textValue();
        } else if (v.isInt()) {
            s = std::to_string(v.intValue());
        } else {
            char buf[32];
            std::snprintf(buf, sizeof buf, "%.15g", v.floatValue());
            s = buf;
            for (char& c : s) {
                if (c == '.') {
                    c = ',';
                }
            }
        }
        if (s.empty()) {
            return {};
        }
        return Value(cutToChars(s, size > 0 ? size : 20));
    }
    case FieldType::Int16:
    case FieldType::Int32:
    case FieldType::AutoInc:
        if (v.isInt()) {
            return Value(checkIntRange(v.intValue(), type));
        }
        if (v.isFloat()) {
            const double d = v.floatValue();
            if (!std::isfinite(d) || d < -2147483648.0 || d > 2147483647.0) {
                badValue(std::to_string(d), type);
            }
            return Value(checkIntRange(static_cast<int64_t>(std::nearbyint(d)), type));
        }
        if (trimmed(v.textValue()).empty()) {
            return {};
        }
        if (auto i = textToInt(v.textValue())) {
            return Value(checkIntRange(*i, type));
        }
        badValue(v.textValue(), type);
    case FieldType::Float:
        if (v.isFloat()) {
            return v;
        }
        if (v.isInt()) {
            return Value(static_cast<double>(v.intValue()));
        }
        if (trimmed(v.textValue()).empty()) {
            return {};
        }
        if (auto d = textToDouble(v.textValue())) {
            return Value(*d);
        }
        badValue(v.textValue(), type);
    case FieldType::Bool:
        if (v.isInt()) {
            return Value(v.intValue() != 0);
        }
        if (v.isFloat()) {
            return Value(v.floatValue() != 0.0);
        }
        {
            const std::string t = trimmed(v.textValue());
            if (t.empty()) {
                return {};
            }
            std::string low;
            for (char c : t) {
                low += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            if (low == "true" || low == "igaz" || low == "1" || low == "t" || low == "i") {
                return Value(true);
            }
            if (low == "false" || low == "hamis" || low == "0" || low == "f" || low == "h") {
                return Value(false);
            }
            badValue(t, type);
        }
    case FieldType::Date:
        if (v.isInt()) {
            return v;
        }
        if (v.isText()) {
            const std::string t = trimmed(v.textValue());
            if (t.empty()) {
                return {};
            }
            if (auto d = Date::fromIso(t)) {
                return Value(*d);
            }
            // Hungarian short form "2026.12.11." or "2026. 12. 11."
            int y = 0;
            int m = 0;
            int dd = 0;
            std::string compact;
            for (char c : t) {
                if (c != ' ') {
                    compact += c;
                }
            }
            char tail = 0;
            const int n = std::sscanf(compact.c_str(), "%d.%d.%d%c", &y, &m, &dd, &tail);
            Date d{y, m, dd};
            if ((n == 3 || (n == 4 && tail == '.')) && d.valid()) {
                return Value(d);
            }
            badValue(t, type);
        }
        badValue("?", type);
    }
    return v;
}

} // namespace store
