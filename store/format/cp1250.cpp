// The Windows-1250 code page and UTF-8 handling.
#include "store/format/format.h"

#include <algorithm>
#include <array>

namespace store::fmt {

namespace {

constexpr char32_t kReplacementChar = 0xFFFD;

// Bytes 0x80-0xFF of Windows-1250; U+FFFD marks the five undefined bytes.
constexpr std::array<char16_t, 128> kHigh = {
    0x20AC, 0xFFFD, 0x201A, 0xFFFD, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0xFFFD, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179, // 88
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0xFFFD, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9, // F8
};

// Lower-case letters of the code page and their capitals, sorted by the lower-case letter.
struct CasePair {
    char16_t lower;
    char16_t upper;
};
constexpr std::array<CasePair, 40> kUpper = {{
    {0x00E1, 0x00C1}, {0x00E2, 0x00C2}, {0x00E4, 0x00C4}, {0x00E7, 0x00C7}, {0x00E9, 0x00C9},
    {0x00EB, 0x00CB}, {0x00ED, 0x00CD}, {0x00EE, 0x00CE}, {0x00F3, 0x00D3}, {0x00F4, 0x00D4},
    {0x00F6, 0x00D6}, {0x00FA, 0x00DA}, {0x00FC, 0x00DC}, {0x00FD, 0x00DD}, {0x0103, 0x0102},
    {0x0105, 0x0104}, {0x0107, 0x0106}, {0x010D, 0x010C}, {0x010F, 0x010E}, {0x0111, 0x0110},
    {0x0119, 0x0118}, {0x011B, 0x011A}, {0x013A, 0x0139}, {0x013E, 0x013D}, {0x0142, 0x0141},
    {0x0144, 0x0143}, {0x0148, 0x0147}, {0x0151, 0x0150}, {0x0155, 0x0154}, {0x0159, 0x0158},
    {0x015B, 0x015A}, {0x015F, 0x015E}, {0x0161, 0x0160}, {0x0163, 0x0162}, {0x0165, 0x0164},
    {0x016F, 0x016E}, {0x0171, 0x0170}, {0x017A, 0x0179}, {0x017C, 0x017B}, {0x017E, 0x017D},
}};
static_assert(std::is_sorted(kUpper.begin(), kUpper.end(),
                             [](const CasePair& a, const CasePair& b) {
                                 return a.lower < b.lower;
                             }));

// Code point -> byte for every character of the code page above U+007F (0: not in it).
class ReverseTable {
public:
    ReverseTable() {
        bytes_.fill(0);
        for (size_t i = 0; i < kHigh.size(); ++i) {
            if (kHigh[i] != kReplacementChar) {
                bytes_[kHigh[i]] = static_cast<unsigned char>(0x80 + i);
            }
        }
        // Romanian comma-below letters: written as the code page's cedilla letters.
        bytes_[0x0218] = 0xAA;
        bytes_[0x0219] = 0xBA;
        bytes_[0x021A] = 0xDE;
        bytes_[0x021B] = 0xFE;
    }
    unsigned char byteFor(char32_t cp) const { return cp < bytes_.size() ? bytes_[cp] : 0; }

private:
    std::array<unsigned char, 0x2130> bytes_{};
};

const ReverseTable& reverseTable() {
    static const ReverseTable table;
    return table;
}

struct Decoded {
    char32_t cp;  // kInvalid when the bytes are malformed
    size_t bytes; // at least 1
};
constexpr char32_t kInvalid = 0xFFFFFFFF;

bool isCont(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// Decodes the UTF-8 sequence at s[i]. A malformed sequence is reported with the length of its
// maximal valid prefix (at least one byte), so the next call starts where a new character may.
Decoded decodeAt(std::string_view s, size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        return {b0, 1};
    }
    size_t need = 0;
    char32_t cp = 0;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
        cp = b0 & 0x1Fu;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        cp = b0 & 0x0Fu;
        if (b0 == 0xE0) {
            lo = 0xA0; // no overlong forms
        } else if (b0 == 0xED) {
            hi = 0x9F; // no surrogates
        }
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        cp = b0 & 0x07u;
        if (b0 == 0xF0) {
            lo = 0x90;
        } else if (b0 == 0xF4) {
            hi = 0x8F; // nothing above U+10FFFF
        }
    } else {
        return {kInvalid, 1};
    }
    for (size_t k = 1; k <= need; ++k) {
        if (i + k >= s.size()) {
            return {kInvalid, k};
        }
        const auto b = static_cast<unsigned char>(s[i + k]);
        const bool ok = k == 1 ? (b >= lo && b <= hi) : isCont(b);
        if (!ok) {
            return {kInvalid, k};
        }
        cp = (cp << 6) | (b & 0x3Fu);
    }
    return {cp, need + 1};
}

} // namespace

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string utf8ToCp1250(std::string_view utf8, char replacement) {
    const ReverseTable& table = reverseTable();
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const Decoded d = decodeAt(utf8, i);
        i += d.bytes;
        if (d.cp == kInvalid) {
            out += replacement;
        } else if (d.cp < 0x80) {
            out += static_cast<char>(d.cp);
        } else if (unsigned char b = table.byteFor(d.cp); b != 0) {
            out += static_cast<char>(b);
        } else {
            out += replacement;
        }
    }
    return out;
}

std::string cp1250ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            appendUtf8(out, kHigh[b - 0x80u]);
        }
    }
    return out;
}

std::string upperHu(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const Decoded d = decodeAt(utf8, i);
        if (d.cp == kInvalid) {
            out.append(utf8.substr(i, d.bytes));
        } else if (d.cp >= 'a' && d.cp <= 'z') {
            out += static_cast<char>(d.cp - 'a' + 'A');
        } else if (d.cp < 0x80) {
            out += static_cast<char>(d.cp);
        } else {
            auto it = std::lower_bound(kUpper.begin(), kUpper.end(), d.cp,
                                       [](const CasePair& p, char32_t cp) { return p.lower < cp; });
            appendUtf8(out, it != kUpper.end() && it->lower == d.cp ? it->upper : d.cp);
        }
        i += d.bytes;
    }
    return out;
}

} // namespace store::fmt
