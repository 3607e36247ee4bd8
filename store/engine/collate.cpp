#include "store/engine/collate.h"

#include <cstdint>

namespace store {
namespace {

// Letters of the alphabet in order; 'O' stands for ö, 'U' for ü, and the digraphs for
// themselves. Each gets its own first-level weight.
enum Letter : uint8_t {
    L_a,
    L_b,
    L_c,
    L_cs,
    L_d,
    L_dz,
    L_dzs,
    L_e,
    L_f,
    L_g,
    L_gy,
    L_h,
    L_i,
    L_j,
    L_k,
    L_l,
    L_ly,
    L_m,
    L_n,
    L_ny,
    L_o,
    L_oe,
    L_p,
    L_q,
    L_r,
    L_s,
    L_sz,
    L_t,
    L_ty,
    L_u,
    L_ue,
    L_v,
    L_w,
    L_x,
    L_y,
    L_z,
    L_zs,
    L_none
};

struct Char {
    uint8_t letter = L_none; // L_none: not a letter
    uint16_t accent = 0;     // 0 plain, 1 the Hungarian long vowel, others: other accents
    bool upper = false;
};

constexpr uint8_t kAscii[26] = {L_a, L_b, L_c, L_d, L_e, L_f, L_g, L_h, L_i, L_j, L_k, L_l, L_m,
                                L_n, L_o, L_p, L_q, L_r, L_s, L_t, L_u, L_v, L_w, L_x, L_y, L_z};

struct Accented {
    char32_t lower;
    char32_t upper;
    uint8_t letter;
    uint16_t accent;
};

// Accented Latin letters of the languages the price list holds (Hungarian, German, Serbian,
// Romanian, English) and their neighbours.
constexpr Accented kAccented[] = {
    {U'á', U'Á', L_a, 1},  {U'é', U'É', L_e, 1},  {U'í', U'Í', L_i, 1}, {U'ó', U'Ó', L_o, 1},
    {U'ö', U'Ö', L_oe, 0}, {U'ő', U'Ő', L_oe, 1}, {U'ú', U'Ú', L_u, 1}, {U'ü', U'Ü', L_ue, 0},
    {U'ű', U'Ű', L_ue, 1}, {U'à', U'À', L_a, 2},  {U'â', U'Â', L_a, 3}, {U'ä', U'Ä', L_a, 4},
    {U'ã', U'Ã', L_a, 5},  {U'å', U'Å', L_a, 6},  {U'ă', U'Ă', L_a, 7}, {U'ą', U'Ą', L_a, 8},
    {U'ç', U'Ç', L_c, 2},  {U'ć', U'Ć', L_c, 3},  {U'č', U'Č', L_c, 4}, {U'ď', U'Ď', L_d, 2},
    {U'đ', U'Đ', L_d, 3},  {U'è', U'È', L_e, 2},  {U'ê', U'Ê', L_e, 3}, {U'ë', U'Ë', L_e, 4},
    {U'ě', U'Ě', L_e, 5},  {U'ę', U'Ę', L_e, 6},  {U'ì', U'Ì', L_i, 2}, {U'î', U'Î', L_i, 3},
    {U'ï', U'Ï', L_i, 4},  {U'ľ', U'Ľ', L_l, 2},  {U'ĺ', U'Ĺ', L_l, 3}, {U'ł', U'Ł', L_l, 4},
    {U'ñ', U'Ñ', L_n, 2},  {U'ń', U'Ń', L_n, 3},  {U'ň', U'Ň', L_n, 4}, {U'ò', U'Ò', L_o, 2},
    {U'ô', U'Ô', L_o, 3},  {U'õ', U'Õ', L_o, 4},  {U'ø', U'Ø', L_o, 5}, {U'ŕ', U'Ŕ', L_r, 2},
    {U'ř', U'Ř', L_r, 3},  {U'ś', U'Ś', L_s, 2},  {U'š', U'Š', L_s, 3}, {U'ş', U'Ş', L_s, 4},
    {U'ș', U'Ș', L_s, 5},  {U'ť', U'Ť', L_t, 2},  {U'ţ', U'Ţ', L_t, 3}, {U'ț', U'Ț', L_t, 4},
    {U'ù', U'Ù', L_u, 2},  {U'û', U'Û', L_u, 3},  {U'ů', U'Ů', L_u, 4}, {U'ý', U'Ý', L_y, 2},
    {U'ÿ', U'Ÿ', L_y, 3},  {U'ź', U'Ź', L_z, 2},  {U'ż', U'Ż', L_z, 3}, {U'ž', U'Ž', L_z, 4},
    {U'ß', U'ß', L_s, 9},
};

char32_t decode(std::string_view s, size_t& i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
        ++i;
        return c;
    }
    int len = 0;
    char32_t cp = 0;
    if ((c & 0xE0) == 0xC0) {
        len = 2;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4;
        cp = c & 0x07;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + static_cast<size_t>(len) > s.size()) {
        i = s.size();
        return 0xFFFD;
    }
    for (int k = 1; k < len; ++k) {
        const auto cc = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
        if ((cc & 0xC0) != 0x80) {
            i += static_cast<size_t>(k);
            return 0xFFFD;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    i += static_cast<size_t>(len);
    return cp;
}

Char classify(char32_t cp) {
    if (cp < 0x80) {
        if (cp >= 'a' && cp <= 'z') {
            return {kAscii[cp - 'a'], 0, false};
        }
        if (cp >= 'A' && cp <= 'Z') {
            return {kAscii[cp - 'A'], 0, true};
        }
        return {};
    }
    for (const auto& a : kAccented) {
        if (cp == a.lower) {
            return {a.letter, a.accent, false};
        }
        if (cp == a.upper) {
            return {a.letter, a.accent, true};
        }
    }
    return {};
}

// One collation element: three levels.
struct Element {
    uint32_t primary = 0;
    uint32_t secondary = 0;
    uint32_t tertiary = 0;
};

constexpr uint32_t kDigitBase = 0x100;
constexpr uint32_t kLetterBase = 0x200;
constexpr uint32_t kOtherBase = 0x1000;

// Second letter of a digraph starting with `first`, and the digraph it makes.
uint8_t digraph(uint8_t first, uint8_t second, uint8_t third, int& consumed) {
    consumed = 2;
    switch (first) {
    case L_c:
        return second == L_s ? L_cs : L_none;
    case L_d:
        if (second == L_z) {
            if (third == L_s) {
                consumed = 3;
                return L_dzs;
            }
            return L_dz;
        }
        return L_none;
    case L_g:
        return second == L_y ? L_gy : L_none;
    case L_l:
        return second == L_y ? L_ly : L_none;
    case L_n:
        return second == L_y ? L_ny : L_none;
    case L_s:
        return second == L_z ? L_sz : L_none;
    case L_t:
        return second == L_y ? L_ty : L_none;
    case L_z:
        return second == L_s ? L_zs : L_none;
    default:
        return L_none;
    }
}

// Streams the collation elements of a text, looking ahead three characters for digraphs.
class Elements {
public:
    explicit Elements(std::string_view s) : s_(s) {
        for (auto& c : ahead_) {
            c = fetch();
        }
    }

    bool next(Element& e) {
        if (pending_ > 0) {
            --pending_;
            e = pendingElement_;
            return true;
        }
        if (ahead_[0].end) {
            return false;
        }
        const Peek p = ahead_[0];
        if (p.ch.letter == L_none) {
            advance(1);
            if (p.cp < 0x80) {
                const bool digit = p.cp >= '0' && p.cp <= '9';
                e = {digit ? kDigitBase + (p.cp - '0') : 1 + p.cp, 0, 0};
            } else {
                e = {kOtherBase + p.cp, 0, 0};
            }
            return true;
        }
        // doubled digraph written short: "ssz" = sz + sz, "ggy" = gy + gy, "ddzs" = dzs + dzs
        if (!ahead_[1].end && ahead_[1].ch.letter == p.ch.letter && p.ch.accent == 0 &&
            ahead_[1].ch.accent == 0) {
            int consumed = 0;
            const uint8_t dg =
                digraph(ahead_[1].ch.letter, ahead_[2].end ? uint8_t{L_none} : ahead_[2].ch.letter,
                        ahead_[3].end ? uint8_t{L_none} : ahead_[3].ch.letter, consumed);
            if (dg != L_none && plainRun(1, consumed)) {
                const uint32_t t = caseLevel(0, consumed + 1);
                advance(consumed + 1);
                e = {kLetterBase + dg, 0, t};
                pendingElement_ = e;
                pending_ = 1;
                return true;
            }
        }
        int consumed = 0;
        const uint8_t dg =
            digraph(p.ch.letter, ahead_[1].end ? uint8_t{L_none} : ahead_[1].ch.letter,
                    ahead_[2].end ? uint8_t{L_none} : ahead_[2].ch.letter, consumed);
        if (dg != L_none && p.ch.accent == 0 && plainRun(1, consumed - 1)) {
            const uint32_t t = caseLevel(0, consumed);
            advance(consumed);
            e = {kLetterBase + dg, 0, t};
            return true;
        }
        advance(1);
        e = {kLetterBase + p.ch.letter, p.ch.accent, p.ch.upper ? 2u : 0u};
        return true;
    }

private:
    struct Peek {
        bool end = true;
        char32_t cp = 0;
        Char ch;
    };

    Peek fetch() {
        Peek p;
        if (pos_ >= s_.size()) {
            return p;
        }
        p.end = false;
        p.cp = decode(s_, pos_);
        p.ch = classify(p.cp);
        return p;
    }

    void advance(int n) {
        for (int k = 0; k < n; ++k) {
            for (size_t j = 0; j + 1 < 4; ++j) {
                ahead_[j] = ahead_[j + 1];
            }
            ahead_[3] = fetch();
        }
    }

    // The look-ahead characters [from, from+count) are unaccented letters.
    bool plainRun(int from, int count) const {
        for (int k = from; k < from + count; ++k) {
            if (ahead_[k].end || ahead_[k].ch.letter == L_none || ahead_[k].ch.accent != 0) {
                return false;
            }
        }
        return true;
    }

    // 0 all lower, 1 first upper only ("Cs"), 2 all upper ("CS")
    uint32_t caseLevel(int from, int count) const {
        bool first = ahead_[from].ch.upper;
        bool rest = true;
        for (int k = from + 1; k < from + count; ++k) {
            rest = rest && ahead_[k].ch.upper;
        }
        if (!first) {
            return 0;
        }
        return rest ? 2 : 1;
    }

    std::string_view s_;
    size_t pos_ = 0;
    Peek ahead_[4];
    int pending_ = 0;
    Element pendingElement_;
};

bool digraphLetter(unsigned char c) {
    switch (c | 0x20) {
    case 'c': case 'd': case 'g': case 'l': case 'n': case 's': case 't': case 'z':
        return true;
    default:
        return false;
    }
}

uint32_t asciiPrimary(unsigned char c) {
    if (c >= '0' && c <= '9') {
        return kDigitBase + (c - '0');
    }
    if (c >= 'a' && c <= 'z') {
        return kLetterBase + kAscii[c - 'a'];
    }
    if (c >= 'A' && c <= 'Z') {
        return kLetterBase + kAscii[c - 'A'];
    }
    return 1u + c;
}

int sign(int64_t d) {
    return d < 0 ? -1 : (d > 0 ? 1 : 0);
}

} // namespace

int collateElements(std::string_view a, std::string_view b, bool caseInsensitive) {
    Elements ea(a);
    Elements eb(b);
    int secondary = 0;
    int tertiary = 0;
    for (;;) {
        Element x;
        Element y;
        const bool hx = ea.next(x);
        const bool hy = eb.next(y);
        if (!hx || !hy) {
            if (hx != hy) {
                return hx ? 1 : -1;
            }
            break;
        }
        if (x.primary != y.primary) {
            return x.primary < y.primary ? -1 : 1;
        }
        if (secondary == 0 && x.secondary != y.secondary) {
            secondary = sign(int64_t{x.secondary} - int64_t{y.secondary});
        }
        if (tertiary == 0 && x.tertiary != y.tertiary) {
            tertiary = sign(int64_t{x.tertiary} - int64_t{y.tertiary});
        }
    }
    if (secondary != 0) {
        return secondary;
    }
    return caseInsensitive ? 0 : tertiary;
}

int collate(std::string_view a, std::string_view b, bool caseInsensitive) {
    if (a == b) {
        return 0;
    }
    // Quick path. Equal leading bytes tokenise alike, so the order is decided where the texts
    // first differ: one being the start of the other puts the shorter first (a digraph formed
    // by the longer one's next letter still sorts after the single letter); two plain
    // characters of different letters decide by their letters, as a digraph sorts right
    // after its first letter — unless a digraph could start just before the difference.
    const size_t n = std::min(a.size(), b.size());
    size_t i = 0;
    while (i < n && a[i] == b[i]) {
        ++i;
    }
    if (i == n) {
        return a.size() < b.size() ? -1 : 1;
    }
    const auto ca = static_cast<unsigned char>(a[i]);
    const auto cb = static_cast<unsigned char>(b[i]);
    const bool plainContext = ca < 0x80 && cb < 0x80 &&
                              (i < 1 || !digraphLetter(static_cast<unsigned char>(a[i - 1]))) &&
                              (i < 2 || !digraphLetter(static_cast<unsigned char>(a[i - 2])));
    if (plainContext) {
        const uint32_t pa = asciiPrimary(ca);
        const uint32_t pb = asciiPrimary(cb);
        if (pa != pb) {
            return pa < pb ? -1 : 1;
        }
    }

    return collateElements(a, b, caseInsensitive);
}

} // namespace store
