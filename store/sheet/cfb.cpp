#include "store/sheet/cfb.h"

#include "store/engine/schema.h"
#include "store/format/format.h"
#include "store/sheet/bytes.h"
#include "store/sheet/workbook.h"

#include <algorithm>

namespace store::sheet {

// ---------------------------------------------------------------------------------------------
// UTF-16

namespace bytes {

std::u16string toUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        uint32_t cp = 0xFFFD;
        size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c >> 5) == 0x6 || (c >> 4) == 0xE || (c >> 3) == 0x1E) {
            len = (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : 4;
            if (i + len <= s.size()) {
                cp = c & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
                bool ok = true;
                for (size_t k = 1; k < len; ++k) {
                    const auto cc = static_cast<unsigned char>(s[i + k]);
                    ok = ok && (cc >> 6) == 0x2;
                    cp = (cp << 6) | (cc & 0x3F);
                }
                const uint32_t minimum = len == 2 ? 0x80 : len == 3 ? 0x800 : 0x10000;
                if (!ok || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
                    cp = 0xFFFD;
                    len = 1;
                }
            } else {
                len = 1;
            }
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string fromUtf16(std::u16string_view u) {
    std::string out;
    out.reserve(u.size());
    for (size_t i = 0; i < u.size(); ++i) {
        uint32_t cp = u[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < u.size() && u[i + 1] >= 0xDC00 &&
            u[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (u[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        fmt::appendUtf8(out, static_cast<char32_t>(cp));
    }
    return out;
}

std::string unitsToUtf8(std::string_view b, size_t at, size_t n, bool wide) {
    std::u16string u;
    u.reserve(n);
    for (size_t k = 0; k < n; ++k) {
        u += wide ? static_cast<char16_t>(u16(b, at + 2 * k))
                  : static_cast<char16_t>(static_cast<unsigned char>(b[at + k]));
    }
    return fromUtf16(u);
}

} // namespace bytes

namespace cfb {

using bytes::u16;
using bytes::u32;

namespace {

constexpr uint32_t kFree = 0xFFFFFFFF;
constexpr uint32_t kEnd = 0xFFFFFFFE;
constexpr uint32_t kFatSector = 0xFFFFFFFD;
constexpr uint32_t kDifatSector = 0xFFFFFFFC;
constexpr uint32_t kNoStream = 0xFFFFFFFF;
constexpr uint32_t kMaxRegular = 0xFFFFFFFA;

[[noreturn]] void damaged(const std::string& what) {
    throw SheetError("the workbook file is damaged or truncated (" + what + ")");
}

} // namespace

Reader::Reader(std::string_view bytes) : bytes_(bytes) {
    static const unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (bytes.size() < 512 || std::memcmp(bytes.data(), kSignature, 8) != 0) {
        throw SheetError("the file is not an .xls workbook");
    }
    if (u16(bytes, 28) != 0xFFFE) {
        damaged("byte order mark");
    }
    const uint16_t shift = u16(bytes, 30);
    if (shift != 9 && shift != 12) {
        damaged("sector size");
    }
    sectorSize_ = 1u << shift;
    if (u16(bytes, 32) != 6) {
        damaged("small sector size");
    }
    if (bytes.size() < sectorSize_) {
        damaged("header");
    }
    const uint32_t fatCount = u32(bytes, 44);
    const uint32_t firstDir = u32(bytes, 48);
    miniCutoff_ = u32(bytes, 56);
    const uint32_t firstMiniFat = u32(bytes, 60);
    const uint32_t miniFatCount = u32(bytes, 64);
    uint32_t difat = u32(bytes, 68);
    const uint32_t difatCount = u32(bytes, 72);
    const uint32_t sectors = sectorCount();
    if (miniCutoff_ != 4096) {
        damaged("small stream limit");
    }
    if (fatCount == 0 || fatCount > sectors || difatCount > sectors || miniFatCount > sectors) {
        damaged("allocation table size");
    }

    // the sectors of the allocation table: 109 in the header, the rest in a chain of
    // extended sectors (each ending with the number of the next)
    std::vector<uint32_t> fatSectors;
    for (uint32_t i = 0; i < 109 && fatSectors.size() < fatCount; ++i) {
        fatSectors.push_back(u32(bytes, 76 + 4 * i));
    }
    const uint32_t perSector = sectorSize_ / 4;
    std::vector<bool> seen(sectors, false);
    for (uint32_t k = 0; k < difatCount && fatSectors.size() < fatCount; ++k) {
        if (difat >= sectors || seen[difat] ||
            (static_cast<uint64_t>(difat) + 2) * sectorSize_ > bytes.size()) {
            damaged("extended allocation chain");
        }
        seen[difat] = true;
        const size_t at = (static_cast<size_t>(difat) + 1) * sectorSize_;
        for (uint32_t i = 0; i + 1 < perSector && fatSectors.size() < fatCount; ++i) {
            fatSectors.push_back(u32(bytes, at + 4 * i));
        }
        difat = u32(bytes, at + 4 * (perSector - 1));
    }
    if (fatSectors.size() < fatCount) {
        damaged("allocation table");
    }
    fat_.reserve(static_cast<size_t>(fatCount) * perSector);
    for (uint32_t s : fatSectors) {
        if (s >= sectors || (static_cast<uint64_t>(s) + 2) * sectorSize_ > bytes.size()) {
            damaged("allocation sector outside the file");
        }
        const size_t at = (static_cast<size_t>(s) + 1) * sectorSize_;
        for (uint32_t i = 0; i < perSector; ++i) {
            fat_.push_back(u32(bytes, at + 4 * i));
        }
    }

    // the directory: a chain of unknown length
    std::string dir;
    {
        std::vector<bool> visited(sectors, false);
        uint32_t s = firstDir;
        while (s != kEnd) {
            if (s >= sectors || s >= fat_.size() || visited[s] ||
                (static_cast<uint64_t>(s) + 2) * sectorSize_ > bytes.size()) {
                damaged("directory chain");
            }
            visited[s] = true;
            dir.append(bytes.substr((static_cast<size_t>(s) + 1) * sectorSize_, sectorSize_));
            s = fat_[s];
        }
    }
    for (size_t at = 0; at + 128 <= dir.size(); at += 128) {
        Entry e;
        e.type = static_cast<unsigned char>(dir[at + 66]);
        const uint16_t nameBytes = u16(dir, at + 64);
        if (nameBytes > 64) {
            damaged("directory entry"); // a name runs out of its entry
        }
        if (e.type == 0) {
            continue;
        }
        const size_t units = nameBytes >= 2 ? nameBytes / 2 - 1 : 0;
        e.name = bytes::unitsToUtf8(dir, at, units, true);
        e.start = u32(dir, at + 116);
        e.size = u32(dir, at + 120);
        if (shift == 12) {
            e.size |= static_cast<uint64_t>(u32(dir, at + 124)) << 32;
        }
        entries_.push_back(std::move(e));
    }
    if (entries_.empty() || entries_.front().type != 5) {
        damaged("root entry");
    }

    // the small-sector allocation table and the stream that holds the small sectors
    if (miniFatCount > 0 && firstMiniFat != kEnd) {
        const std::string table =
            chain(firstMiniFat, static_cast<uint64_t>(miniFatCount) * sectorSize_, false);
        for (size_t i = 0; i + 4 <= table.size(); i += 4) {
            miniFat_.push_back(u32(table, i));
        }
        const Entry& root = entries_.front();
        if (root.size > 0) {
            miniStream_ = chain(root.start, root.size, false);
        }
    }
}

uint32_t Reader::sectorCount() const {
    const uint64_t body = bytes_.size() - sectorSize_;
    return static_cast<uint32_t>(
        std::min<uint64_t>((body + sectorSize_ - 1) / sectorSize_, kMaxRegular));
}

std::string Reader::chain(uint32_t start, uint64_t size, bool mini) const {
    const uint32_t unit = mini ? 64 : sectorSize_;
    const std::vector<uint32_t>& table = mini ? miniFat_ : fat_;
    const uint64_t limit = mini ? miniStream_.size() : bytes_.size();
    if (size > limit) {
        damaged("stream longer than the file");
    }
    const uint64_t count = (size + unit - 1) / unit;
    std::string out;
    out.reserve(static_cast<size_t>(size));
    std::vector<bool> visited(table.size(), false);
    uint32_t s = start;
    for (uint64_t i = 0; i < count; ++i) {
        if (s >= table.size() || visited[s]) {
            damaged("stream chain");
        }
        visited[s] = true;
        const uint64_t want = std::min<uint64_t>(unit, size - out.size());
        const uint64_t at =
            mini ? static_cast<uint64_t>(s) * 64 : (static_cast<uint64_t>(s) + 1) * sectorSize_;
        if (at + want > limit) {
            damaged("stream runs past the end of the file");
        }
        if (mini) {
            out.append(miniStream_, static_cast<size_t>(at), static_cast<size_t>(want));
        } else {
            out.append(bytes_.substr(static_cast<size_t>(at), static_cast<size_t>(want)));
        }
        s = table[s];
    }
    return out;
}

const Entry* Reader::findStream(std::initializer_list<std::string_view> names) const {
    for (std::string_view wanted : names) {
        for (const Entry& e : entries_) {
            if (e.type == 2 && equalsNoCase(e.name, wanted)) {
                return &e;
            }
        }
    }
    return nullptr;
}

std::string Reader::read(const Entry& e) const {
    if (e.size == 0) {
        return {};
    }
    const bool mini = e.size < miniCutoff_;
    if (mini && miniFat_.empty()) {
        damaged("small stream without its table");
    }
    return chain(e.start, e.size, mini);
}

bool Reader::plainLayout(const Entry& e) const {
    if (e.size == 0 || e.size >= miniCutoff_) {
        return true;
    }
    const uint64_t count = (e.size + 63) / 64;
    uint32_t s = e.start;
    for (uint64_t i = 0; i < count; ++i) {
        if (s != i || s >= miniFat_.size()) {
            return false;
        }
        s = miniFat_[s];
    }
    return true;
}

// ---------------------------------------------------------------------------------------------

namespace {

void putEntry(std::string& dir, std::string_view name, int type, uint32_t child, uint32_t start,
              uint32_t size) {
    std::string e(128, '\0');
    const std::u16string n = bytes::toUtf16(name);
    const size_t units = std::min<size_t>(n.size(), 31);
    for (size_t i = 0; i < units; ++i) {
        bytes::set16(e, 2 * i, n[i]);
    }
    bytes::set16(e, 64, type == 0 ? 0 : static_cast<unsigned>((units + 1) * 2));
    e[66] = static_cast<char>(type);
    e[67] = type == 0 ? 0 : 1; // black
    bytes::set32(e, 68, kNoStream);
    bytes::set32(e, 72, kNoStream);
    bytes::set32(e, 76, child);
    bytes::set32(e, 116, start);
    bytes::set32(e, 120, size);
    dir += e;
}

} // namespace

std::string write(std::string_view name, std::string_view stream) {
    constexpr uint32_t kSector = 512;
    constexpr uint32_t kPer = kSector / 4;
    std::string data(stream);
    if (data.size() < 4096) {
        data.resize(4096, '\0'); // keeps the stream out of the small sectors
    }
    if (data.size() > 0xFFFFFFFFull - kSector) {
        throw SheetError("the workbook is too large for an .xls file");
    }
    const auto size = static_cast<uint32_t>(data.size());
    const uint32_t streamSectors = (size + kSector - 1) / kSector;
    const uint32_t dirSectors = 1;
    uint32_t fatSectors = 0;
    uint32_t difatSectors = 0;
    for (;;) {
        const uint32_t total = streamSectors + dirSectors + fatSectors + difatSectors;
        const uint32_t f = (total + kPer - 1) / kPer;
        const uint32_t x = f > 109 ? (f - 109 + kPer - 2) / (kPer - 1) : 0;
        if (f == fatSectors && x == difatSectors) {
            break;
        }
        fatSectors = f;
        difatSectors = x;
    }
    const uint32_t dirStart = streamSectors;
    const uint32_t fatStart = dirStart + dirSectors;
    const uint32_t difatStart = fatStart + fatSectors;
    const uint32_t total = difatStart + difatSectors;

    std::vector<uint32_t> fat(static_cast<size_t>(fatSectors) * kPer, kFree);
    for (uint32_t i = 0; i < streamSectors; ++i) {
        fat[i] = i + 1 < streamSectors ? i + 1 : kEnd;
    }
    fat[dirStart] = kEnd;
    for (uint32_t i = 0; i < fatSectors; ++i) {
        fat[fatStart + i] = kFatSector;
    }
    for (uint32_t i = 0; i < difatSectors; ++i) {
        fat[difatStart + i] = kDifatSector;
    }

    std::string out;
    out.reserve((static_cast<size_t>(total) + 1) * kSector);
    // header
    static const unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    out.append(reinterpret_cast<const char*>(kSignature), 8);
    out.append(16, '\0');    // class id
    bytes::put16(out, 0x3E); // minor version
    bytes::put16(out, 3);    // major version
    bytes::put16(out, 0xFFFE);
    bytes::put16(out, 9); // 512-byte sectors
    bytes::put16(out, 6); // 64-byte small sectors
    out.append(6, '\0');
    bytes::put32(out, 0); // directory sectors (version 3: 0)
    bytes::put32(out, fatSectors);
    bytes::put32(out, dirStart);
    bytes::put32(out, 0); // transaction signature
    bytes::put32(out, 4096);
    bytes::put32(out, kEnd); // no small-sector table
    bytes::put32(out, 0);
    bytes::put32(out, difatSectors > 0 ? difatStart : kEnd);
    bytes::put32(out, difatSectors);
    for (uint32_t i = 0; i < 109; ++i) {
        bytes::put32(out, i < fatSectors ? fatStart + i : kFree);
    }
    // stream
    out += data;
    out.resize((static_cast<size_t>(streamSectors) + 1) * kSector, '\0');
    // directory: root entry, the stream, two unused entries
    std::string dir;
    putEntry(dir, "Root Entry", 5, 1, kEnd, 0);
    putEntry(dir, name, 2, kNoStream, 0, size);
    putEntry(dir, "", 0, kNoStream, 0, 0);
    putEntry(dir, "", 0, kNoStream, 0, 0);
    out += dir;
    // allocation table
    for (uint32_t v : fat) {
        bytes::put32(out, v);
    }
    // extended allocation sectors: the FAT sectors beyond the 109 of the header
    for (uint32_t k = 0; k < difatSectors; ++k) {
        for (uint32_t i = 0; i + 1 < kPer; ++i) {
            const uint32_t index = 109 + k * (kPer - 1) + i;
            bytes::put32(out, index < fatSectors ? fatStart + index : kFree);
        }
        bytes::put32(out, k + 1 < difatSectors ? difatStart + k + 1 : kEnd);
    }
    return out;
}

} // namespace cfb

} // namespace store::sheet
