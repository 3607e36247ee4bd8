#include "paradox.h"

#include "errors.h"
#include "store/format/format.h"

extern "C" {
#include <paradox.h> // pxlib; its header does not declare C linkage itself
}

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace store::paradox {
namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------------------------
// Code pages

// Unicode code points of the bytes 0x80..0xFF; the bytes below 0x80 are ASCII in every code page
// handled here. Bytes a code page leaves undefined map to the C1 control of the same number.
using HighHalf = std::array<char16_t, 128>;

constexpr HighHalf kCp437 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};
constexpr HighHalf kCp850 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557,
    0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB,
    0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, 0x00DE, 0x00DA, 0x00DB, 0x00D9,
    0x00FD, 0x00DD, 0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};
constexpr HighHalf kCp852 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x016F, 0x0107, 0x00E7, 0x0142, 0x00EB, 0x0150, 0x0151,
    0x00EE, 0x0179, 0x00C4, 0x0106, 0x00C9, 0x0139, 0x013A, 0x00F4, 0x00F6, 0x013D, 0x013E, 0x015A,
    0x015B, 0x00D6, 0x00DC, 0x0164, 0x0165, 0x0141, 0x00D7, 0x010D, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x0104, 0x0105, 0x017D, 0x017E, 0x0118, 0x0119, 0x00AC, 0x017A, 0x010C, 0x015F, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x011A, 0x015E, 0x2563, 0x2551, 0x2557,
    0x255D, 0x017B, 0x017C, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x0102, 0x0103,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4, 0x0111, 0x0110, 0x010E, 0x00CB,
    0x010F, 0x0147, 0x00CD, 0x00CE, 0x011B, 0x2518, 0x250C, 0x2588, 0x2584, 0x0162, 0x016E, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x0143, 0x0144, 0x0148, 0x0160, 0x0161, 0x0154, 0x00DA, 0x0155, 0x0170,
    0x00FD, 0x00DD, 0x0163, 0x00B4, 0x00AD, 0x02DD, 0x02DB, 0x02C7, 0x02D8, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x02D9, 0x0171, 0x0158, 0x0159, 0x25A0, 0x00A0,
};
constexpr HighHalf kCp1250 = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};
constexpr HighHalf kCp1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039,
    0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, 0x00A0, 0x00A1, 0x00A2, 0x00A3,
    0x00A4, 0x00A5, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x00B9, 0x00BA, 0x00BB,
    0x00BC, 0x00BD, 0x00BE, 0x00BF, 0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, 0x00D0, 0x00D1, 0x00D2, 0x00D3,
    0x00D4, 0x00D5, 0x00D6, 0x00D7, 0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, 0x00E8, 0x00E9, 0x00EA, 0x00EB,
    0x00EC, 0x00ED, 0x00EE, 0x00EF, 0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};

const HighHalf* highHalf(int codepage) {
    switch (codepage) {
    case 437:
        return &kCp437;
    case 850:
        return &kCp850;
    case 852:
        return &kCp852;
    case 1250:
        return &kCp1250;
    case 1252:
        return &kCp1252;
    default:
        return nullptr;
    }
}

// Tables of Paradox 3 name no code page; they were written under DOS in its default code page.
int textCodePage(int headerCodePage) {
    return headerCodePage == 0 ? 437 : headerCodePage;
}

// Recodes bytes of the code page to UTF-8; nullopt when the code page is unknown and the text is
// not plain ASCII.
std::optional<std::string> decodeText(std::string_view raw, int codepage) {
    const HighHalf* table = highHalf(codepage);
    std::string out;
    out.reserve(raw.size() + raw.size() / 4);
    for (char ch : raw) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            out += ch;
        } else if (table == nullptr) {
            return std::nullopt;
        } else {
            store::fmt::appendUtf8(out, (*table)[b - 0x80]);
        }
    }
    return out;
}

// Decodes one code point of UTF-8 text at pos; nullopt for a malformed sequence.
std::optional<char32_t> nextCodePoint(std::string_view s, size_t& pos) {
    const auto lead = static_cast<unsigned char>(s[pos]);
    int extra = 0;
    char32_t c = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        c = lead & 0x07;
    } else {
        return std::nullopt;
    }
    if (pos + static_cast<size_t>(extra) >= s.size())
        return std::nullopt;
    for (int i = 1; i <= extra; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + static_cast<size_t>(i)]);
        if ((b & 0xC0) != 0x80)
            return std::nullopt;
        c = (c << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (c < kMinimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return std::nullopt;
    pos += static_cast<size_t>(extra) + 1;
    return c;
}

// Recodes UTF-8 text to the code page; nullopt when the text is malformed or holds a character
// the code page lacks.
std::optional<std::string> encodeText(std::string_view utf8, int codepage) {
    const HighHalf* table = highHalf(codepage);
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        const auto c = nextCodePoint(utf8, pos);
        if (!c)
            return std::nullopt;
        if (*c < 0x80) {
            out += static_cast<char>(*c);
            continue;
        }
        if (table == nullptr || *c > 0xFFFF)
            return std::nullopt;
        const auto it = std::find(table->begin(), table->end(), static_cast<char16_t>(*c));
        if (it == table->end())
            return std::nullopt;
        out += static_cast<char>(0x80 + (it - table->begin()));
    }
    return out;
}

size_t utf8Length(std::string_view s) {
    return static_cast<size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// ---------------------------------------------------------------------------------------------
// Reading the file ourselves: pxlib trusts every header value and every block link, so the
// header and the block chain are checked here before pxlib gets the file.

constexpr int64_t kParadoxDayOf1970 = 719163; // Paradox counts days from 0001-01-01 (= day 1)
constexpr long kSdnOfParadoxDay0 = 1721425;   // pxlib's serial day number of Paradox day 0
constexpr int64_t kLastParadoxDay = 3652059;  // 9999-12-31
constexpr size_t kMainHeaderSize = 0x58;
constexpr size_t kDataHeaderEnd = 0x78;
constexpr size_t kBlockHeaderSize = 6;
constexpr size_t kMbBlockSize = 4096;

[[noreturn]] void fail(int code, const fs::path& file, const std::string& what) {
    throw EngineError(code, "Paradox table " + file.string() + ": " + what);
}

uint16_t le16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// pxlib only gets open streams, never file names, so any path the system allows will do.
FilePtr openFile(const fs::path& file, bool write) {
#ifdef _WIN32
    return FilePtr(_wfopen(file.c_str(), write ? L"w+b" : L"rb"));
#else
    return FilePtr(std::fopen(file.c_str(), write ? "w+b" : "rb"));
#endif
}

// Reads exactly n bytes at offset; false when the file ends before.
bool readAt(std::FILE* f, uint64_t offset, void* buffer, size_t n) {
    if (offset > static_cast<uint64_t>(LONG_MAX) ||
        std::fseek(f, static_cast<long>(offset), SEEK_SET) != 0)
        return false;
    return std::fread(buffer, 1, n, f) == n;
}

struct FieldInfo {
    int type = 0;
    int length = 0;   // bytes in the record
    int decimals = 0; // BCD only
    std::string rawName;
};

struct Header {
    size_t recordSize = 0;
    size_t headerSize = 0;
    int fileType = 0;
    size_t blockSize = 0;
    int versionId = 0;
    int64_t numRecords = 0;
    unsigned fileBlocks = 0;
    unsigned firstBlock = 0;
    int keyFields = 0;
    int codepage = 0;
    bool encrypted = false;
    std::vector<FieldInfo> fields;
};

// Byte length a field of the type must have, or the accepted range; false for unknown types.
bool fieldLengthValid(int type, int length) {
    switch (type) {
    case pxfAlpha:
    case pxfBytes:
        return length >= 1 && length <= 255;
    case pxfShort:
        return length == 2;
    case pxfDate:
    case pxfLong:
    case pxfTime:
    case pxfAutoInc:
        return length == 4;
    case pxfCurrency:
    case pxfNumber:
    case pxfTimestamp:
        return length == 8;
    case pxfLogical:
        return length == 1;
    case pxfMemoBLOb:
    case pxfFmtMemoBLOb:
        return length >= 11 && length <= 250;
    case pxfBLOb:
    case pxfOLE:
    case pxfGraphic:
        return length >= 10 && length <= 250;
    case pxfBCD:
        return length == 17;
    default:
        return false;
    }
}

// Parses the table header from the first bytes of the file (at most 64 KiB, the largest header
// size). Returns nullopt with a reason when the bytes are not a sane Paradox table header.
std::optional<Header> parseHeader(const std::vector<unsigned char>& b, uint64_t fileSize,
                                  std::string& why) {
    auto reject = [&why](const char* reason) {
        why = reason;
        return std::nullopt;
    };
    if (b.size() < kMainHeaderSize)
        return reject("file too short for a table header");
    Header h;
    h.recordSize = le16(&b[0x00]);
    h.headerSize = le16(&b[0x02]);
    h.fileType = b[0x04];
    const int blockKb = b[0x05];
    h.numRecords = static_cast<int32_t>(le32(&b[0x06]));
    h.fileBlocks = le16(&b[0x0C]);
    h.firstBlock = le16(&b[0x0E]);
    const int numFields = static_cast<int16_t>(le16(&b[0x21]));
    h.keyFields = static_cast<int16_t>(le16(&b[0x23]));
    const uint32_t encryption = le32(&b[0x25]);
    h.versionId = b[0x39];

    if (h.fileType != pxfFileTypIndexDB && h.fileType != pxfFileTypNonIndexDB)
        return reject("not a Paradox data table (file type)");
    if (h.versionId < 3 || h.versionId > 12)
        return reject("unknown file version");
    if (blockKb < 1 || (blockKb > 4 && blockKb != 8 && blockKb != 16 && blockKb != 32))
        return reject("invalid block size");
    h.blockSize = static_cast<size_t>(blockKb) * 0x400;
    if (h.recordSize == 0 || h.recordSize > h.blockSize - kBlockHeaderSize)
        return reject("invalid record size");
    if (numFields < 1 || numFields > 255)
        return reject("invalid number of fields");
    if (h.keyFields < 0 || h.keyFields > numFields)
        return reject("invalid number of key fields");
    if (h.numRecords < 0)
        return reject("invalid number of records");
    if (h.headerSize < kMainHeaderSize || h.headerSize > fileSize || h.headerSize > b.size())
        return reject("invalid header size");

    const bool hasDataHeader = h.versionId >= 5;
    if (hasDataHeader && h.headerSize < kDataHeaderEnd)
        return reject("invalid header size");
    if (encryption == 0xFF00FF00u) {
        if (!hasDataHeader)
            return reject("invalid encryption field");
        h.encrypted = le32(&b[0x5C]) != 0;
    } else {
        h.encrypted = encryption != 0;
    }
    if (hasDataHeader)
        h.codepage = le16(&b[0x6A]);

    // Field descriptions, the table name pointer, the field name pointers, the table name and
    // the field names follow each other; all must lie inside the header.
    const size_t end = h.headerSize;
    size_t pos = hasDataHeader ? kDataHeaderEnd : kMainHeaderSize;
    const auto n = static_cast<size_t>(numFields);
    if (pos + 2 * n > end)
        return reject("field descriptions beyond the header");
    size_t recordSize = 0;
    h.fields.resize(n);
    for (size_t i = 0; i < n; ++i) {
        FieldInfo& f = h.fields[i];
        f.type = b[pos + 2 * i];
        const int size = b[pos + 2 * i + 1];
        if (f.type == pxfBCD) {
            f.length = 17;
            f.decimals = size;
            if (size > 32)
                return reject("invalid BCD field");
        } else {
            f.length = size;
        }
        if (!fieldLengthValid(f.type, f.length))
            return reject("invalid field type or size");
        recordSize += static_cast<size_t>(f.length);
    }
    if (recordSize != h.recordSize)
        return reject("record size does not match the fields");
    pos += 2 * n + 4 + 4 * n;
    const size_t tableNameLength = h.versionId == 12 ? 261 : 79;
    if (pos + tableNameLength > end)
        return reject("table name beyond the header");
    if (std::memchr(&b[pos], 0, tableNameLength) == nullptr)
        return reject("table name not terminated");
    pos += tableNameLength;
    for (FieldInfo& f : h.fields) {
        const void* nul = pos < end ? std::memchr(&b[pos], 0, end - pos) : nullptr;
        if (nul == nullptr)
            return reject("field name beyond the header");
        const size_t length = static_cast<size_t>(static_cast<const unsigned char*>(nul) - &b[pos]);
        if (length == 0 || length > 255)
            return reject("invalid field name");
        f.rawName.assign(reinterpret_cast<const char*>(&b[pos]), length);
        pos += length + 1;
    }
    return h;
}

// Reads the header bytes of an open file; nullopt with a reason when they are no table header.
std::optional<Header> readHeader(std::FILE* f, uint64_t fileSize, std::string& why) {
    std::vector<unsigned char> bytes(static_cast<size_t>(std::min<uint64_t>(fileSize, 0x10000)));
    if (!readAt(f, 0, bytes.data(), bytes.size())) {
        why = "header could not be read";
        return std::nullopt;
    }
    return parseHeader(bytes, fileSize, why);
}

struct Block {
    unsigned number = 0;
    int records = 0;
};

// Follows the chain of data blocks and checks that every block lies in the file, holds a whole
// number of records and is visited once, and that the records add up to the header's count.
std::vector<Block> readBlockChain(std::FILE* f, uint64_t fileSize, const Header& h,
                                  const fs::path& file) {
    std::vector<Block> chain;
    std::vector<bool> seen(h.fileBlocks + 1, false);
    int64_t total = 0;
    unsigned next = h.fileBlocks == 0 ? 0 : h.firstBlock;
    while (next != 0) {
        if (next > h.fileBlocks)
            fail(errc::Corrupt, file, "block link out of range");
        if (seen[next])
            fail(errc::Corrupt, file, "block chain loops");
        seen[next] = true;
        const uint64_t start = h.headerSize + static_cast<uint64_t>(next - 1) * h.blockSize;
        unsigned char head[kBlockHeaderSize];
        if (start + kBlockHeaderSize > fileSize || !readAt(f, start, head, sizeof head))
            fail(errc::Corrupt, file, "data block beyond the end of the file");
        const int lastOffset = static_cast<int16_t>(le16(&head[4]));
        const auto recordSize = static_cast<int>(h.recordSize);
        int records = 0;
        if (lastOffset == -recordSize) {
            records = 0; // an empty block
        } else if (lastOffset < 0 || lastOffset % recordSize != 0) {
            fail(errc::Corrupt, file, "invalid data block size");
        } else {
            records = lastOffset / recordSize + 1;
        }
        const uint64_t used = kBlockHeaderSize + static_cast<uint64_t>(records) * h.recordSize;
        if (used > h.blockSize)
            fail(errc::Corrupt, file, "invalid data block size");
        if (start + used > fileSize)
            fail(errc::Corrupt, file, "data block beyond the end of the file");
        chain.push_back({next, records});
        total += records;
        next = le16(&head[0]);
    }
    if (total != h.numRecords)
        fail(errc::Corrupt, file, "record count does not match the data blocks");
    return chain;
}

// ---------------------------------------------------------------------------------------------
// pxlib documents

// Collects pxlib's messages; pxlib's own handler prints them and is replaced by this one.
struct PxMessages {
    std::string lastError;
    int errors = 0;
};

void collectPxMessage(pxdoc_t*, int level, const char* message, void* data) {
    auto* messages = static_cast<PxMessages*>(data);
    if (messages == nullptr || level == PX_Warning)
        return;
    ++messages->errors;
    try {
        messages->lastError = message != nullptr ? message : "";
    } catch (...) {
    }
}

struct DocDeleter {
    void operator()(pxdoc_t* doc) const { PX_delete(doc); }
};
using DocPtr = std::unique_ptr<pxdoc_t, DocDeleter>;

DocPtr newDoc(PxMessages& messages) {
    DocPtr doc(PX_new3(collectPxMessage, nullptr, nullptr, nullptr, &messages));
    if (!doc)
        throw std::bad_alloc();
    return doc;
}

std::string pxReason(const PxMessages& messages, const char* what) {
    std::string s = what;
    if (!messages.lastError.empty())
        s += " (" + messages.lastError + ")";
    return s;
}

// Frees memory that pxlib allocated for a returned value.
struct PxValue {
    pxdoc_t* doc;
    char* value = nullptr;
    ~PxValue() {
        if (value != nullptr)
            doc->free(doc, value);
    }
};

// ---------------------------------------------------------------------------------------------
// Decoding the fields of a record

struct Column {
    FieldInfo info;
    size_t offset = 0; // in the record
    FieldType type = FieldType::Text;
    size_t longestText = 0; // memo fields: characters of the longest text read
};

std::optional<FieldType> mappedType(int type) {
    switch (type) {
    case pxfAlpha:
    case pxfTime:
    case pxfTimestamp:
    case pxfMemoBLOb:
        return FieldType::Text;
    case pxfShort:
        return FieldType::Int16;
    case pxfLong:
        return FieldType::Int32;
    case pxfAutoInc:
        return FieldType::AutoInc;
    case pxfCurrency:
    case pxfNumber:
    case pxfBCD:
        return FieldType::Float;
    case pxfLogical:
        return FieldType::Bool;
    case pxfDate:
        return FieldType::Date;
    default:
        return std::nullopt; // formatted memo, binary, graphic, OLE, bytes
    }
}

std::string twoDigits(long v) {
    return std::string{static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
}

// "HH:MM:SS", with ".mmm" when the milliseconds are not 0.
std::string timeText(int64_t msOfDay) {
    std::string s = twoDigits(static_cast<long>(msOfDay / 3600000)) + ":" +
                    twoDigits(static_cast<long>(msOfDay / 60000 % 60)) + ":" +
                    twoDigits(static_cast<long>(msOfDay / 1000 % 60));
    if (const auto ms = static_cast<long>(msOfDay % 1000); ms != 0)
        s += "." + std::to_string(ms / 100) + twoDigits(ms % 100);
    return s;
}

// A blank value: all bytes zero. pxlib's PX_get_data_long tests this on 8 bytes of a 4-byte copy
// where long has 64 bits and then reports a blank field as -2147483648, so blanks are
// recognised here for every numeric type.
bool blank(const char* data, int len) {
    return std::all_of(data, data + len, [](char c) { return c == '\0'; });
}

class Reader {
public:
    Reader(const fs::path& file, pxdoc_t* doc, PxMessages& messages, int codepage)
        : file_(file), doc_(doc), messages_(messages), codepage_(codepage) {}

    Value decode(Column& c, char* data) {
        const int len = c.info.length;
        if (c.info.type != pxfAlpha && c.info.type != pxfMemoBLOb && blank(data, len))
            return {};
        switch (c.info.type) {
        case pxfAlpha: {
            PxValue v{doc_};
            const int rc = PX_get_data_alpha(doc_, data, len, &v.value);
            if (rc < 0)
                corrupt("alpha value could not be read");
            if (rc == 0 || v.value == nullptr)
                return {};
            std::string_view raw(v.value, strnlen(v.value, static_cast<size_t>(len)));
            while (!raw.empty() && raw.back() == ' ')
                raw.remove_suffix(1);
            if (raw.empty())
                return {};
            return text(raw);
        }
        case pxfShort: {
            short value = 0;
            if (PX_get_data_short(doc_, data, len, &value) <= 0)
                return {};
            return Value(int64_t{value});
        }
        case pxfLong:
        case pxfAutoInc: {
            long value = 0;
            if (PX_get_data_long(doc_, data, len, &value) <= 0)
                return {};
            return Value(int64_t{value});
        }
        case pxfDate: {
            long value = 0;
            if (PX_get_data_long(doc_, data, len, &value) <= 0)
                return {};
            if (value < 1 || value > kLastParadoxDay)
                corrupt("invalid date value");
            return Value(int64_t{value} - kParadoxDayOf1970);
        }
        case pxfTime: {
            long value = 0;
            if (PX_get_data_long(doc_, data, len, &value) <= 0)
                return {};
            if (value < 0 || value >= 86400000L)
                corrupt("invalid time value");
            return Value(timeText(value));
        }
        case pxfTimestamp: {
            double value = 0;
            if (PX_get_data_double(doc_, data, len, &value) <= 0)
                return {};
            const double days = std::floor(value / 86400000.0);
            if (!(days >= 1 && days <= static_cast<double>(kLastParadoxDay)))
                corrupt("invalid timestamp value");
            const auto ms = static_cast<int64_t>(value - days * 86400000.0);
            int year = 0, month = 0, day = 0;
            PX_SdnToGregorian(static_cast<long>(days) + kSdnOfParadoxDay0, &year, &month, &day);
            std::string s = std::to_string(year);
            s.insert(0, s.size() < 4 ? 4 - s.size() : 0, '0');
            s += "-" + twoDigits(month) + "-" + twoDigits(day) + " " +
                 timeText(std::clamp<int64_t>(ms, 0, 86399999));
            return Value(s);
        }
        case pxfCurrency:
        case pxfNumber: {
            double value = 0;
            if (PX_get_data_double(doc_, data, len, &value) <= 0)
                return {};
            return Value(value);
        }
        case pxfLogical: {
            char value = 0;
            if (PX_get_data_byte(doc_, data, len, &value) <= 0)
                return {};
            return Value(value != 0);
        }
        case pxfBCD:
            return bcd(c, data);
        case pxfMemoBLOb:
            return memo(c, data);
        default:
            return {};
        }
    }

private:
    [[noreturn]] void corrupt(const char* what) {
        fail(errc::Corrupt, file_, pxReason(messages_, what));
    }

    Value text(std::string_view raw) {
        auto utf8 = decodeText(raw, codepage_);
        if (!utf8)
            fail(errc::Corrupt, file_,
                 "text in unsupported code page " + std::to_string(codepage_));
        return Value(std::move(*utf8));
    }

    Value bcd(const Column& c, char* data) {
        const auto first = static_cast<unsigned char>(data[0]);
        if (first == 0)
            return {};
        // pxlib rejects (and leaks) a value whose digit count differs from the field's
        if ((first & 0x3F) != c.info.decimals)
            corrupt("invalid BCD value");
        PxValue v{doc_};
        if (PX_get_data_bcd(doc_, reinterpret_cast<unsigned char*>(data), c.info.decimals,
                            &v.value) <= 0 ||
            v.value == nullptr)
            corrupt("BCD value could not be read");
        // pxlib writes the locale's decimal separator
        std::string s(v.value);
        for (char& ch : s)
            if ((ch < '0' || ch > '9') && ch != '-')
                ch = '.';
        if (!s.empty() && s.back() == '.')
            s.pop_back();
        double value = 0;
        const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
        if (ec != std::errc() || end != s.data() + s.size())
            corrupt("invalid BCD value");
        return Value(value);
    }

    Value memo(Column& c, char* data) {
        const int len = c.info.length;
        const auto* leader = reinterpret_cast<const unsigned char*>(data) + (len - 10);
        const uint32_t size = le32(leader + 4);
        if (size == 0)
            return {};
        if (size > static_cast<uint32_t>(len - 10))
            checkMemoReference(leader, size);
        int mod = 0, blobSize = 0;
        PxValue v{doc_};
        if (PX_get_data_blob(doc_, data, len, &mod, &blobSize, &v.value) <= 0 ||
            v.value == nullptr || blobSize < 0 || static_cast<uint32_t>(blobSize) != size)
            corrupt("memo could not be read");
        std::string_view raw(v.value, size);
        while (!raw.empty() && raw.back() == '\0')
            raw.remove_suffix(1);
        if (raw.empty())
            return {};
        Value value = text(raw);
        c.longestText = std::max(c.longestText, utf8Length(value.textValue()));
        return value;
    }

    // pxlib follows a memo reference into the memo file without checking it against the file.
    void checkMemoReference(const unsigned char* leader, uint32_t size) {
        openMemoFile();
        const uint32_t offset = le32(leader) & 0xFFFFFF00u;
        const unsigned index = leader[0];
        unsigned char head[12];
        if (offset == 0 || offset % kMbBlockSize != 0 || offset + uint64_t{12} > mbSize_ ||
            !readAt(mb_, offset, head, sizeof head))
            fail(errc::Corrupt, file_, "invalid memo reference");
        if (head[0] == 2) { // a blob of its own
            if (index != 0xFF || offset + uint64_t{9} + size > mbSize_)
                fail(errc::Corrupt, file_, "invalid memo reference");
        } else if (head[0] == 3) { // a block shared by small blobs
            unsigned char entry[5];
            if (index >= 64 || offset + uint64_t{kMbBlockSize} > mbSize_ ||
                !readAt(mb_, offset + 12 + uint64_t{index} * 5, entry, sizeof entry) ||
                uint64_t{entry[0]} * 16 + size > kMbBlockSize)
                fail(errc::Corrupt, file_, "invalid memo reference");
        } else {
            fail(errc::Corrupt, file_, "invalid memo reference");
        }
    }

    void openMemoFile() {
        if (mb_ != nullptr)
            return;
        const fs::path mbFile = findMemoFile();
        if (mbFile.empty())
            fail(errc::Corrupt, file_, "memo file missing");
        std::error_code ec;
        mbSize_ = fs::file_size(mbFile, ec);
        FilePtr mb = openFile(mbFile, false);
        if (ec || !mb)
            fail(errc::Io, file_, "memo file " + mbFile.string() + " cannot be read");
        if (PX_set_blob_fp(doc_, mb.get()) < 0 || doc_->px_blob == nullptr ||
            doc_->px_blob->mb_stream == nullptr)
            fail(errc::Corrupt, file_, pxReason(messages_, "memo file cannot be opened"));
        // pxlib frees its stream and header of the memo file only together with closing the
        // file, so the document takes the file over and closes it when it is deleted.
        doc_->px_blob->mb_stream->close = px_true;
        mb_ = mb.release();
        messages_.lastError.clear(); // pxlib complains about memo files it reads all the same
    }

    // <stem>.mb beside the table, the extension in any case.
    fs::path findMemoFile() const {
        std::error_code ec;
        const fs::path dir = file_.has_parent_path() ? file_.parent_path() : fs::path(".");
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            const fs::path& p = it->path();
            std::string ext = p.extension().string();
            std::transform(ext.begin(), ext.end(), ext.begin(),
                           [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
            if (ext == ".mb" && p.stem() == file_.stem() && it->is_regular_file(ec))
                return p;
        }
        return {};
    }

    const fs::path& file_;
    pxdoc_t* doc_;
    PxMessages& messages_;
    int codepage_;
    std::FILE* mb_ = nullptr; // the memo file, owned by the pxlib document
    uint64_t mbSize_ = 0;
};

} // namespace

// ---------------------------------------------------------------------------------------------

bool looksLikeParadox(const std::filesystem::path& file) {
    std::error_code ec;
    const uint64_t size = fs::file_size(file, ec);
    if (ec)
        return false;
    const FilePtr f = openFile(file, false);
    if (!f)
        return false;
    std::string why;
    try {
        return readHeader(f.get(), size, why).has_value();
    } catch (const std::exception&) {
        return false;
    }
}

Table read(const std::filesystem::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        fail(errc::Io, file, ec ? ec.message() : "not a file");
    const uint64_t fileSize = fs::file_size(file, ec);
    if (ec)
        fail(errc::Io, file, ec.message());
    const FilePtr f = openFile(file, false);
    if (!f)
        fail(errc::Io, file, std::strerror(errno));

    std::string why;
    const std::optional<Header> header = readHeader(f.get(), fileSize, why);
    if (std::ferror(f.get()))
        fail(errc::Io, file, "read error");
    if (!header)
        fail(errc::Corrupt, file, why);
    const Header& h = *header;
    if (h.encrypted)
        fail(errc::Corrupt, file, "password-protected tables are not supported");
    const std::vector<Block> chain = readBlockChain(f.get(), fileSize, h, file);
    if (std::ferror(f.get()))
        fail(errc::Io, file, "read error");
    std::rewind(f.get());

    PxMessages messages;
    const DocPtr doc = newDoc(messages);
    if (PX_open_fp(doc.get(), f.get()) < 0)
        fail(errc::Corrupt, file, pxReason(messages, "pxlib cannot open the table"));

    // pxlib's view of the file must agree with ours.
    const pxhead_t* ph = doc->px_head;
    if (ph == nullptr || PX_get_num_fields(doc.get()) != static_cast<int>(h.fields.size()) ||
        PX_get_recordsize(doc.get()) != static_cast<int>(h.recordSize) ||
        PX_get_num_records(doc.get()) != h.numRecords)
        fail(errc::Corrupt, file, "inconsistent header");
    for (size_t i = 0; i < h.fields.size(); ++i) {
        const pxfield_t* pf = PX_get_field(doc.get(), static_cast<int>(i));
        if (pf == nullptr || static_cast<unsigned char>(pf->px_ftype) != h.fields[i].type ||
            pf->px_flen != h.fields[i].length || pf->px_fname == nullptr ||
            h.fields[i].rawName != pf->px_fname)
            fail(errc::Corrupt, file, "inconsistent field descriptions");
    }
    // pxlib indexes the data blocks on opening; it counts the records of an empty block wrongly
    // and keeps unfilled entries for blocks outside the chain.
    if (doc->px_indexdata != nullptr) {
        auto* index = static_cast<pxpindex_t*>(doc->px_indexdata);
        if (doc->px_indexdatalen < static_cast<int>(chain.size()))
            fail(errc::Corrupt, file, "inconsistent block index");
        for (size_t i = 0; i < chain.size(); ++i) {
            if (index[i].blocknumber != static_cast<int>(chain[i].number))
                fail(errc::Corrupt, file, "inconsistent block index");
            index[i].numrecords = chain[i].records;
            index[i].level = 1;
        }
        doc->px_indexdatalen = static_cast<int>(chain.size());
    }

    Table table;
    table.codepage = h.codepage;
    const int codepage = textCodePage(h.codepage);
    std::vector<Column> columns;
    size_t offset = 0;
    for (size_t i = 0; i < h.fields.size(); ++i) {
        const FieldInfo& info = h.fields[i];
        if (const auto type = mappedType(info.type)) {
            Column c;
            c.info = info;
            c.offset = offset;
            c.type = *type;
            columns.push_back(c);
            if (static_cast<int>(i) < h.keyFields)
                ++table.keyFieldCount;
        }
        offset += static_cast<size_t>(info.length);
    }

    Reader reader(file, doc.get(), messages, codepage);
    std::vector<char> record(h.recordSize);
    table.rows.reserve(static_cast<size_t>(h.numRecords));
    for (int64_t r = 0; r < h.numRecords; ++r) {
        if (PX_get_record(doc.get(), static_cast<int>(r), record.data()) == nullptr)
            fail(errc::Corrupt, file,
                 pxReason(messages, ("record " + std::to_string(r) + " cannot be read").c_str()));
        Row row;
        row.reserve(columns.size());
        for (Column& c : columns)
            row.push_back(reader.decode(c, record.data() + c.offset));
        table.rows.push_back(std::move(row));
    }
    if (std::ferror(f.get()))
        fail(errc::Io, file, "read error");

    for (const Column& c : columns) {
        const auto name = decodeText(c.info.rawName, codepage);
        if (!name)
            fail(errc::Corrupt, file, "field name in unsupported code page");
        int size = 0;
        switch (c.info.type) {
        case pxfAlpha:
            size = c.info.length;
            break;
        case pxfTime:
            size = 12;
            break;
        case pxfTimestamp:
            size = 23;
            break;
        case pxfMemoBLOb:
            size = static_cast<int>(
                std::max<size_t>(c.longestText, static_cast<size_t>(c.info.length - 10)));
            break;
        default:
            break;
        }
        table.fields.emplace_back(*name, c.type, size);
    }
    return table;
}

// ---------------------------------------------------------------------------------------------

namespace {

constexpr int kFieldByteLength[] = {0, 2, 4, 4, 8, 1, 4}; // by FieldType, Text aside

int pxType(FieldType t) {
    switch (t) {
    case FieldType::Text:
        return pxfAlpha;
    case FieldType::Int16:
        return pxfShort;
    case FieldType::Int32:
        return pxfLong;
    case FieldType::AutoInc:
        return pxfAutoInc;
    case FieldType::Float:
        return pxfNumber;
    case FieldType::Bool:
        return pxfLogical;
    case FieldType::Date:
        return pxfDate;
    }
    return pxfAlpha;
}

class Writer {
public:
    Writer(const fs::path& file, const std::vector<FieldDef>& fields, int codepage)
        : file_(file), fields_(fields), codepage_(codepage) {}

    [[noreturn]] void badValue(size_t row, size_t field, const char* what) const {
        fail(errc::MaxValue, file_,
             "row " + std::to_string(row + 1) + ", field " + fields_[field].name + ": " + what);
    }

    // Stores one value into its place in the record; a null value leaves the zero bytes.
    void put(pxdoc_t* doc, char* data, size_t row, size_t field, const Value& v, int64_t autoInc) {
        const FieldDef& f = fields_[field];
        if (v.isNull() && f.type != FieldType::AutoInc)
            return;
        switch (f.type) {
        case FieldType::Text: {
            if (!v.isText())
                badValue(row, field, "not a text");
            const auto bytes = encodeText(v.textValue(), codepage_);
            if (!bytes)
                badValue(row, field, "character not in the code page");
            if (bytes->size() > static_cast<size_t>(f.size))
                badValue(row, field, "text too long");
            if (bytes->find('\0') != std::string::npos)
                badValue(row, field, "text holds a zero character");
            std::string copy = *bytes; // pxlib takes a non-const string
            PX_put_data_alpha(doc, data, f.size, copy.data());
            return;
        }
        case FieldType::Int16:
            PX_put_data_short(doc, data, 2, static_cast<short>(integer(v, row, field, 32767)));
            return;
        case FieldType::Int32:
            PX_put_data_long(doc, data, 4, static_cast<int>(integer(v, row, field, 2147483647)));
            return;
        case FieldType::AutoInc:
            if (v.isNull() && autoInc > 2147483647)
                badValue(row, field, "no autoincrement number left");
            PX_put_data_long(
                doc, data, 4,
                static_cast<int>(v.isNull() ? autoInc : integer(v, row, field, 2147483647)));
            return;
        case FieldType::Float: {
            if (!v.isFloat() && !v.isInt())
                badValue(row, field, "not a number");
            const double d = v.isFloat() ? v.floatValue() : static_cast<double>(v.intValue());
            if (!std::isfinite(d))
                badValue(row, field, "not a finite number");
            PX_put_data_double(doc, data, 8, d);
            return;
        }
        case FieldType::Bool:
            if (!v.isInt() || (v.intValue() != 0 && v.intValue() != 1))
                badValue(row, field, "not a logical value");
            PX_put_data_byte(doc, data, 1, static_cast<char>(v.intValue()));
            return;
        case FieldType::Date: {
            if (!v.isInt())
                badValue(row, field, "not a date");
            const int64_t day = v.intValue() + kParadoxDayOf1970;
            if (day < 1 || day > kLastParadoxDay)
                badValue(row, field, "date out of range");
            PX_put_data_long(doc, data, 4, static_cast<int>(day));
            return;
        }
        }
    }

private:
    // The value as an integer within -limit..limit (the most negative value of the width is the
    // blank pattern in Paradox).
    int64_t integer(const Value& v, size_t row, size_t field, int64_t limit) const {
        if (!v.isInt())
            badValue(row, field, "not an integer");
        if (v.intValue() < -limit || v.intValue() > limit)
            badValue(row, field, "number out of range");
        return v.intValue();
    }

    const fs::path& file_;
    const std::vector<FieldDef>& fields_;
    int codepage_;
};

} // namespace

void write(const std::filesystem::path& file, const std::vector<FieldDef>& fields,
           const std::vector<Row>& rows, int keyFieldCount, int codepage) {
    if (highHalf(codepage) == nullptr)
        fail(errc::BadState, file, "unsupported code page " + std::to_string(codepage));
    if (fields.empty() || fields.size() > 255)
        fail(errc::BadState, file, "a table needs 1 to 255 fields");
    if (keyFieldCount < 0 || static_cast<size_t>(keyFieldCount) > fields.size())
        fail(errc::BadState, file, "invalid number of key fields");
    std::vector<std::string> names;
    size_t recordSize = 0;
    for (const FieldDef& f : fields) {
        auto name = encodeText(f.name, codepage);
        if (!name || name->empty() || name->size() > 255 || name->find('\0') != std::string::npos)
            fail(errc::BadState, file, "invalid field name '" + f.name + "'");
        names.push_back(std::move(*name));
        if (f.type == FieldType::Text) {
            if (f.size < 1 || f.size > 255)
                fail(errc::BadState, file, "text field " + f.name + " needs a size of 1 to 255");
            recordSize += static_cast<size_t>(f.size);
        } else {
            recordSize += static_cast<size_t>(kFieldByteLength[static_cast<int>(f.type)]);
        }
    }
    // pxlib uses blocks of 16 KiB for long records
    if (recordSize > size_t{16} * 0x400 - kBlockHeaderSize)
        fail(errc::BadState, file, "record too long");
    for (const Row& row : rows)
        if (row.size() != fields.size())
            fail(errc::BadState, file, "row with a wrong number of values");

    // Null autoincrement values are numbered on from the largest value given.
    int64_t autoInc = 0;
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].type == FieldType::AutoInc)
            for (const Row& row : rows)
                if (row[i].isInt())
                    autoInc = std::max(autoInc, row[i].intValue());

    // Written beside the target and moved over it when complete.
    fs::path temp = file;
    temp += ".tmp";
    struct TempGuard {
        const fs::path& path;
        bool keep = false;
        ~TempGuard() {
            std::error_code ec;
            if (!keep)
                fs::remove(path, ec);
        }
    } guard{temp};

    {
#ifdef _WIN32
        FilePtr out = openFile(temp, true);
#else
        // pxlib rewrites the table header after every record; done on a file that costs a
        // round of seeks and reads per record. The table is made in memory and written out
        // in one piece.
        std::vector<char> image(rows.size() * (recordSize + 8) * 2 + (size_t{1} << 20));
        FilePtr out(fmemopen(image.data(), image.size(), "w+"));
#endif
        if (!out)
            fail(errc::Io, file, std::strerror(errno));
        PxMessages messages;
        DocPtr doc = newDoc(messages);

        // pxlib keeps the field array and frees it with the document, so it comes from
        // pxlib's allocator.
        auto* pf = static_cast<pxfield_t*>(
            doc->malloc(doc.get(), sizeof(pxfield_t) * fields.size(), "field descriptions"));
        if (pf == nullptr)
            throw std::bad_alloc();
        for (size_t i = 0; i < fields.size(); ++i) {
            pf[i].px_fname = PX_strdup(doc.get(), names[i].c_str());
            pf[i].px_ftype = static_cast<char>(pxType(fields[i].type));
            pf[i].px_flen = fields[i].type == FieldType::Text
                                ? fields[i].size
                                : kFieldByteLength[static_cast<int>(fields[i].type)];
            pf[i].px_fdc = 0;
        }
        const int type = keyFieldCount > 0 ? pxfFileTypIndexDB : pxfFileTypNonIndexDB;
        if (PX_create_fp(doc.get(), pf, static_cast<int>(fields.size()), out.get(), type) < 0) {
            for (size_t i = 0; i < fields.size(); ++i)
                doc->free(doc.get(), pf[i].px_fname);
            doc->free(doc.get(), pf);
            fail(errc::Io, file, pxReason(messages, "table cannot be created"));
        }
        // Each header rewrite by pxlib takes these values along.
        doc->px_head->px_doscodepage = codepage;
        doc->px_head->px_autoinc = static_cast<int>(std::min<int64_t>(autoInc, 2147483647));
        if (keyFieldCount > 0 &&
            PX_set_value(doc.get(), "numprimkeys", static_cast<float>(keyFieldCount)) < 0)
            fail(errc::Io, file, pxReason(messages, "key cannot be set"));
        // The table name in the header: the file name, cut to the space pxlib leaves for it.
        std::string tableName =
            encodeText(file.filename().string(), codepage).value_or(std::string("TABLE"));
        tableName.resize(std::min<size_t>(tableName.size(), 78));
        if (PX_set_tablename(doc.get(), tableName.c_str()) < 0)
            fail(errc::Io, file, pxReason(messages, "header cannot be written"));

        Writer writer(file, fields, codepage);
        std::vector<char> record(recordSize);
        for (size_t r = 0; r < rows.size(); ++r) {
            std::fill(record.begin(), record.end(), '\0');
            size_t offset = 0;
            for (size_t i = 0; i < fields.size(); ++i) {
                const Value& v = rows[r][i];
                if (fields[i].type == FieldType::AutoInc && v.isNull())
                    ++autoInc;
                writer.put(doc.get(), record.data() + offset, r, i, v, autoInc);
                offset += static_cast<size_t>(pf[i].px_flen);
            }
            if (PX_put_record(doc.get(), record.data()) < 0 || messages.errors > 0)
                fail(errc::Io, file, pxReason(messages, "record cannot be written"));
        }
        if (autoInc > doc->px_head->px_autoinc) {
            doc->px_head->px_autoinc = static_cast<int>(std::min<int64_t>(autoInc, 2147483647));
            if (PX_set_tablename(doc.get(), tableName.c_str()) < 0)
                fail(errc::Io, file, pxReason(messages, "header cannot be written"));
        }
        // pxlib writes its cached block on closing; the stream stays open until it is done.
        PX_close(doc.get());
        doc.reset();
        if (messages.errors > 0)
            fail(errc::Io, file, pxReason(messages, "table cannot be written"));
        if (std::fflush(out.get()) != 0 || std::ferror(out.get()))
            fail(errc::Io, file, std::strerror(errno));
#ifndef _WIN32
        if (std::fseek(out.get(), 0, SEEK_END) != 0)
            fail(errc::Io, file, std::strerror(errno));
        const long length = std::ftell(out.get());
        if (length < 0 || static_cast<size_t>(length) >= image.size())
            fail(errc::Io, file, "the table did not fit its buffer");
        FilePtr disk = openFile(temp, true);
        if (!disk || std::fwrite(image.data(), 1, static_cast<size_t>(length), disk.get()) !=
                         static_cast<size_t>(length))
            fail(errc::Io, file, std::strerror(errno));
        if (std::fflush(disk.get()) != 0)
            fail(errc::Io, file, std::strerror(errno));
        std::FILE* rawDisk = disk.release();
        if (std::fclose(rawDisk) != 0)
            fail(errc::Io, file, std::strerror(errno));
#endif
        std::FILE* raw = out.release();
        if (std::fclose(raw) != 0)
            fail(errc::Io, file, std::strerror(errno));
    }
    std::error_code ec;
    fs::rename(temp, file, ec);
    if (ec)
        fail(errc::Io, file, ec.message());
    guard.keep = true;
}

} // namespace store::paradox
