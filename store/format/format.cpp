// Rounding, number texts, display masks, reading user entries and dates.
#include "store/format/format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <system_error>

namespace store::fmt {

namespace {

// A non-negative decimal number 0.d1d2...dn x 10^point. `digits` has no leading or trailing
// zeros; an empty `digits` is zero.
struct Decimal {
    std::string digits;
    int point = 0;

    bool isZero() const { return digits.empty(); }
};

void stripTrailingZeros(Decimal& d) {
    while (!d.digits.empty() && d.digits.back() == '0') {
        d.digits.pop_back();
    }
    if (d.digits.empty()) {
        d.point = 0;
    }
}

// The 15 significant digits of |v| (v finite).
Decimal toDecimal(double v) {
    Decimal d;
    v = std::fabs(v);
    if (v == 0.0) {
        return d;
    }
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
    std::string_view s(buf, static_cast<size_t>(res.ptr - buf)); // d.ddddddddddddddde+XX
    size_t e = s.find('e');
    d.digits.push_back(s[0]);
    d.digits.append(s.substr(2, e - 2));
    int exp = 0;
    std::string_view es = s.substr(e + 1);
    if (!es.empty() && es.front() == '+') {
        es.remove_prefix(1);
    }
    std::from_chars(es.data(), es.data() + es.size(), exp);
    d.point = exp + 1;
    stripTrailingZeros(d);
    return d;
}

// Rounds half-even to `decimals` places after the decimal point.
void roundDecimal(Decimal& d, int decimals) {
    if (d.isZero()) {
        return;
    }
    const long n = static_cast<long>(d.digits.size());
    const long keep = static_cast<long>(d.point) + decimals;
    if (keep >= n) {
        return;
    }
    if (keep < 0) {
        d = Decimal{};
        return;
    }
    const size_t k = static_cast<size_t>(keep);
    const char first = d.digits[k];
    const bool moreAfter = keep + 1 < n; // trailing zeros are stripped: anything left is non-zero
    const bool prevOdd = k > 0 && ((d.digits[k - 1] - '0') % 2) == 1;
    const bool up = first > '5' || (first == '5' && (moreAfter || prevOdd));
    d.digits.resize(k);
    if (up) {
        size_t i = k;
        while (i > 0 && d.digits[i - 1] == '9') {
            d.digits[i - 1] = '0';
            --i;
        }
        if (i == 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.point;
        } else {
            ++d.digits[i - 1];
        }
    }
    stripTrailingZeros(d);
}

double toDouble(const Decimal& d, bool negative) {
    if (d.isZero()) {
        return 0.0;
    }
    std::string s = d.digits;
    s += 'e';
    s += std::to_string(d.point - static_cast<int>(d.digits.size()));
    double v = 0.0;
    auto res = std::from_chars(s.data(), s.data() + s.size(), v);
    if (res.ec == std::errc::result_out_of_range) {
        v = d.point > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -v : v;
}

std::string nonFiniteText(double v) {
    if (std::isnan(v)) {
        return "NAN";
    }
    return v < 0 ? "-INF" : "INF";
}

// Integer digits of d (no leading zeros; empty when the integer part is 0).
std::string integerDigits(const Decimal& d) {
    if (d.isZero() || d.point <= 0) {
        return {};
    }
    const size_t p = static_cast<size_t>(d.point);
    std::string s = d.digits.substr(0, std::min(p, d.digits.size()));
    if (p > d.digits.size()) {
        s.append(p - d.digits.size(), '0');
    }
    return s;
}

// The j-th digit after the decimal point.
char fractionDigit(const Decimal& d, int j) {
    const long pos = static_cast<long>(d.point) + j;
    if (pos < 0 || pos >= static_cast<long>(d.digits.size())) {
        return '0';
    }
    return d.digits[static_cast<size_t>(pos)];
}

// ----- display masks ---------------------------------------------------------------------------

enum class TokKind { Zero, Hash, Point, Group, Literal };

struct Token {
    TokKind kind;
    std::string text;
};

bool isPlaceholder(const Token& t) {
    return t.kind == TokKind::Zero || t.kind == TokKind::Hash;
}

std::vector<std::string_view> splitSections(std::string_view mask) {
    std::vector<std::string_view> out;
    char quote = 0;
    size_t start = 0;
    for (size_t i = 0; i < mask.size(); ++i) {
        const char c = mask[i];
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            }
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';') {
            out.push_back(mask.substr(start, i - start));
            start = i + 1;
        }
    }
    out.push_back(mask.substr(start));
    return out;
}

std::vector<Token> tokenize(std::string_view section) {
    std::vector<Token> toks;
    for (size_t i = 0; i < section.size(); ++i) {
        const char c = section[i];
        switch (c) {
        case '0':
            toks.push_back({TokKind::Zero, "0"});
            break;
        case '#':
            toks.push_back({TokKind::Hash, "#"});
            break;
        case '.':
            toks.push_back({TokKind::Point, "."});
            break;
        case ',':
        case ' ':
            toks.push_back({TokKind::Group, std::string(1, c)});
            break;
        case '\'':
        case '"': {
            size_t end = section.find(c, i + 1);
            if (end == std::string_view::npos) {
                end = section.size();
            }
            toks.push_back({TokKind::Literal, std::string(section.substr(i + 1, end - i - 1))});
            i = end;
            break;
        }
        default:
            toks.push_back({TokKind::Literal, std::string(1, c)});
            break;
        }
    }
    return toks;
}

struct PlacedLiteral {
    int pos; // integer part: placeholders to its right; fraction: placeholders before it
    std::string text;
};

struct Section {
    bool literalOnly = false;
    std::string prefix;
    std::string suffix;
    int intPlaceholders = 0;
    int minIntDigits = 0;
    bool grouping = false;
    std::vector<PlacedLiteral> intLiterals; // left to right
    std::string decPlaceholders;            // '0' / '#' for each decimal place
    std::vector<PlacedLiteral> decLiterals; // left to right
};

Section parseSection(std::string_view text) {
    Section s;
    const std::vector<Token> toks = tokenize(text);
    const int count = static_cast<int>(toks.size());
    int firstPh = -1;
    int lastPh = -1;
    for (int i = 0; i < count; ++i) {
        if (isPlaceholder(toks[static_cast<size_t>(i)])) {
            if (firstPh < 0) {
                firstPh = i;
            }
            lastPh = i;
        }
    }
    if (firstPh < 0) {
        s.literalOnly = true;
        for (const Token& t : toks) {
            s.prefix += t.text;
        }
        return s;
    }
    int pointIdx = -1;
    for (int i = 0; i < lastPh; ++i) {
        if (toks[static_cast<size_t>(i)].kind == TokKind::Point) {
            pointIdx = i;
            break;
        }
    }
    const int intEnd = pointIdx >= 0 ? pointIdx : lastPh + 1;
    std::vector<int> intPh;
    for (int i = 0; i < intEnd; ++i) {
        if (isPlaceholder(toks[static_cast<size_t>(i)])) {
            intPh.push_back(i);
        }
    }
    s.intPlaceholders = static_cast<int>(intPh.size());
    for (size_t k = 0; k < intPh.size(); ++k) {
        if (toks[static_cast<size_t>(intPh[k])].kind == TokKind::Zero) {
            s.minIntDigits = static_cast<int>(intPh.size() - k);
            break;
        }
    }
    for (int i = 0; i < count; ++i) {
        const Token& t = toks[static_cast<size_t>(i)];
        if (i == pointIdx) {
            continue;
        }
        if (isPlaceholder(t)) {
            if (pointIdx >= 0 && i > pointIdx) {
                s.decPlaceholders += t.text;
            }
            continue;
        }
        if (i > lastPh) {
            s.suffix += t.text;
        } else if (i < intEnd) {
            if (intPh.empty() || i < intPh.front()) {
                s.prefix += t.text;
            } else if (t.kind == TokKind::Group && i < intPh.back()) {
                s.grouping = true;
            } else {
                const auto right =
                    std::count_if(intPh.begin(), intPh.end(), [i](int p) { return p > i; });
                s.intLiterals.push_back({static_cast<int>(right), t.text});
            }
        } else {
            s.decLiterals.push_back({static_cast<int>(s.decPlaceholders.size()), t.text});
        }
    }
    return s;
}

std::string render(const Section& s, const Decimal& d, bool minus) {
    if (s.literalOnly) {
        return s.prefix;
    }
    std::string intDigits = integerDigits(d);
    if (static_cast<int>(intDigits.size()) < s.minIntDigits) {
        intDigits.insert(0, static_cast<size_t>(s.minIntDigits) - intDigits.size(), '0');
    }
    // Integer part, built from the decimal point leftwards.
    const int len = static_cast<int>(intDigits.size());
    std::vector<std::string_view> parts;
    for (int k = 0; k < len; ++k) {
        if (s.grouping && k > 0 && k % 3 == 0) {
            parts.emplace_back(" ");
        }
        for (auto it = s.intLiterals.rbegin(); it != s.intLiterals.rend(); ++it) {
            if (it->pos == k) {
                parts.emplace_back(it->text);
            }
        }
        parts.emplace_back(&intDigits[static_cast<size_t>(len - 1 - k)], 1);
    }
    std::string body;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
        body += *it;
    }
    // Fraction.
    const int places = static_cast<int>(s.decPlaceholders.size());
    int shown = 0;
    for (int j = 0; j < places; ++j) {
        if (s.decPlaceholders[static_cast<size_t>(j)] == '0' || fractionDigit(d, j) != '0') {
            shown = j + 1;
        }
    }
    if (shown > 0) {
        body += kDecimalMark;
        for (int j = 0; j < shown; ++j) {
            for (const PlacedLiteral& lit : s.decLiterals) {
                if (lit.pos == j) {
                    body += lit.text;
                }
            }
            body += fractionDigit(d, j);
        }
    }
    std::string out = s.prefix;
    if (minus && !body.empty()) {
        out += '-';
    }
    out += body;
    out += s.suffix;
    return out;
}

// ----- reading -------------------------------------------------------------------------------

bool isAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Length of a thousands blank at the start of s (" ", U+00A0, U+202F), 0 if none.
size_t groupBlankAt(std::string_view s) {
    if (!s.empty() && s[0] == ' ') {
        return 1;
    }
    if (s.substr(0, 2) == "\xC2\xA0") {
        return 2;
    }
    if (s.substr(0, 3) == "\xE2\x80\xAF") {
        return 3;
    }
    return 0;
}

std::string_view trimEntry(std::string_view s) {
    for (;;) {
        if (!s.empty() && isAsciiSpace(s.front())) {
            s.remove_prefix(1);
        } else if (size_t n = groupBlankAt(s); n > 0) {
            s.remove_prefix(n);
        } else {
            break;
        }
    }
    for (;;) {
        if (!s.empty() && isAsciiSpace(s.back())) {
            s.remove_suffix(1);
        } else if (s.size() >= 2 && s.substr(s.size() - 2) == "\xC2\xA0") {
            s.remove_suffix(2);
        } else if (s.size() >= 3 && s.substr(s.size() - 3) == "\xE2\x80\xAF") {
            s.remove_suffix(3);
        } else {
            break;
        }
    }
    return s;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

size_t countDigits(std::string_view s, size_t from) {
    size_t i = from;
    while (i < s.size() && isDigit(s[i])) {
        ++i;
    }
    return i - from;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) {
        return 29;
    }
    return kDays[month - 1];
}

} // namespace

// ----- rounding ------------------------------------------------------------------------------

double roundHalfEven(double v, int decimals) {
    if (!std::isfinite(v)) {
        return v;
    }
    if (decimals >= 0 && v == std::trunc(v)) {
        return v == 0.0 ? 0.0 : v;
    }
    decimals = std::clamp(decimals, -400, 400);
    Decimal d = toDecimal(v);
    roundDecimal(d, decimals);
    return toDouble(d, v < 0);
}

int64_t roundToInt(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    const double r = roundHalfEven(v, 0);
    constexpr double kTwo63 = 9223372036854775808.0;
    if (r >= kTwo63) {
        return std::numeric_limits<int64_t>::max();
    }
    if (r <= -kTwo63) {
        return std::numeric_limits<int64_t>::min();
    }
    return static_cast<int64_t>(r);
}

// ----- number to text ------------------------------------------------------------------------

std::string formatGeneral(double v) {
    if (!std::isfinite(v)) {
        return nonFiniteText(v);
    }
    const Decimal d = toDecimal(v);
    if (d.isZero()) {
        return "0";
    }
    std::string out = v < 0 ? "-" : "";
    const int exp = d.point - 1;
    if (exp >= 15 || exp < -4) {
        out += d.digits[0];
        if (d.digits.size() > 1) {
            out += kDecimalMark;
            out.append(d.digits, 1);
        }
        out += exp < 0 ? "E-" : "E+";
        const int a = exp < 0 ? -exp : exp;
        if (a < 10) {
            out += '0';
        }
        out += std::to_string(a);
        return out;
    }
    if (d.point <= 0) {
        out += '0';
        out += kDecimalMark;
        out.append(static_cast<size_t>(-d.point), '0');
        out += d.digits;
        return out;
    }
    out += integerDigits(d);
    if (static_cast<int>(d.digits.size()) > d.point) {
        out += kDecimalMark;
        out.append(d.digits, static_cast<size_t>(d.point));
    }
    return out;
}

std::string formatInt(int64_t v) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

std::string formatMask(double v, std::string_view mask) {
    if (!std::isfinite(v)) {
        return nonFiniteText(v);
    }
    const std::vector<std::string_view> texts = splitSections(mask);
    if (texts[0].empty()) {
        return formatGeneral(v);
    }
    const Section positive = parseSection(texts[0]);
    std::optional<Section> negative;
    std::optional<Section> zero;
    if (texts.size() > 1 && !texts[1].empty()) {
        negative = parseSection(texts[1]);
    }
    if (texts.size() > 2 && !texts[2].empty()) {
        zero = parseSection(texts[2]);
    }
    const bool isNegative = v < 0;
    const bool ownNegative = isNegative && negative.has_value();
    const Section& chosen = ownNegative ? *negative : positive;
    Decimal d = toDecimal(v);
    roundDecimal(d, static_cast<int>(chosen.decPlaceholders.size()));
    if (d.isZero()) {
        return render(zero ? *zero : positive, d, false);
    }
    return render(chosen, d, isNegative && !ownNegative);
}

// ----- text to number ------------------------------------------------------------------------

std::optional<double> parseNumber(std::string_view text) {
    std::string_view s = trimEntry(text);
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    std::string intDigits;
    size_t i = 0;
    size_t groups = 0;
    for (;;) {
        const size_t n = countDigits(s, i);
        if (n == 0) {
            if (groups > 0) {
                return std::nullopt; // a blank not followed by digits
            }
            break;
        }
        if (groups > 0 && n != 3) {
            return std::nullopt;
        }
        intDigits.append(s.substr(i, n));
        i += n;
        ++groups;
        const size_t blank = groupBlankAt(s.substr(i));
        if (blank == 0) {
            break;
        }
        if (groups == 1 && n > 3) {
            return std::nullopt;
        }
        i += blank;
    }
    std::string fraction;
    if (i < s.size() && (s[i] == ',' || s[i] == '.')) {
        ++i;
        const size_t n = countDigits(s, i);
        fraction.assign(s.substr(i, n));
        i += n;
    }
    if (i != s.size() || (intDigits.empty() && fraction.empty())) {
        return std::nullopt;
    }
    std::string ascii = intDigits.empty() ? "0" : intDigits;
    if (!fraction.empty()) {
        ascii += '.';
        ascii += fraction;
    }
    double v = 0.0;
    auto res =
        std::from_chars(ascii.data(), ascii.data() + ascii.size(), v, std::chars_format::fixed);
    if (res.ec == std::errc::result_out_of_range) {
        // Too small for a double is zero; too large is refused.
        if (intDigits.find_first_not_of('0') != std::string::npos) {
            return std::nullopt;
        }
        v = 0.0;
    } else if (res.ec != std::errc{} || res.ptr != ascii.data() + ascii.size()) {
        return std::nullopt;
    }
    if (v == 0.0) {
        return 0.0;
    }
    return negative ? -v : v;
}

std::optional<int64_t> parseInt(std::string_view text) {
    std::string_view s = trimEntry(text);
    if (!s.empty() && s[0] == '+') {
        s.remove_prefix(1);
        if (!s.empty() && s[0] == '-') {
            return std::nullopt;
        }
    }
    const size_t start = (!s.empty() && s[0] == '-') ? 1 : 0;
    if (countDigits(s, start) == 0 || start + countDigits(s, start) != s.size()) {
        return std::nullopt;
    }
    int64_t v = 0;
    auto res = std::from_chars(s.data(), s.data() + s.size(), v);
    if (res.ec != std::errc{} || res.ptr != s.data() + s.size()) {
        return std::nullopt;
    }
    return v;
}

std::optional<int32_t> parseInt32(std::string_view text) {
    auto v = parseInt(text);
    if (!v || *v < std::numeric_limits<int32_t>::min() ||
        *v > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*v);
}

// ----- dates ---------------------------------------------------------------------------------

std::string formatDate(int year, int month, int day) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d.%02d.%02d.", year, month, day);
    return buf;
}

std::optional<std::array<int, 3>> parseDate(std::string_view text) {
    const std::string s = trim(text);
    auto number = [&s](size_t& i, size_t minLen, size_t maxLen) -> std::optional<int> {
        const size_t n = countDigits(s, i);
        if (n < minLen || n > maxLen) {
            return std::nullopt;
        }
        int v = 0;
        std::from_chars(s.data() + i, s.data() + i + n, v);
        i += n;
        return v;
    };
    size_t i = 0;
    auto year = number(i, 4, 4);
    if (!year || i >= s.size() || (s[i] != '.' && s[i] != '-')) {
        return std::nullopt;
    }
    const char sep = s[i];
    auto skipSeparator = [&]() {
        if (i >= s.size() || s[i] != sep) {
            return false;
        }
        ++i;
        if (sep == '.') {
            while (i < s.size() && s[i] == ' ') {
                ++i;
            }
        }
        return true;
    };
    skipSeparator();
    auto month = number(i, 1, 2);
    if (!month || !skipSeparator()) {
        return std::nullopt;
    }
    auto day = number(i, 1, 2);
    if (!day) {
        return std::nullopt;
    }
    if (sep == '.' && i < s.size() && s[i] == '.') {
        ++i;
    }
    if (i != s.size()) {
        return std::nullopt;
    }
    if (*year < 1 || *month < 1 || *month > 12 || *day < 1 || *day > daysInMonth(*year, *month)) {
        return std::nullopt;
    }
    return std::array<int, 3>{*year, *month, *day};
}

// ----- helpers -------------------------------------------------------------------------------

std::string trim(std::string_view text) {
    while (!text.empty() && isAsciiSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isAsciiSpace(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

} // namespace store::fmt
