// Little-endian byte helpers and UTF-16 conversion for the .xls reader and writer.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace store::sheet::bytes {

inline uint16_t u16(std::string_view b, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) |
                                 (static_cast<unsigned char>(b[at + 1]) << 8));
}

inline uint32_t u32(std::string_view b, size_t at) {
    return static_cast<uint32_t>(u16(b, at)) | (static_cast<uint32_t>(u16(b, at + 2)) << 16);
}

inline double f64(std::string_view b, size_t at) {
    uint64_t v = static_cast<uint64_t>(u32(b, at)) | (static_cast<uint64_t>(u32(b, at + 4)) << 32);
    double d;
    std::memcpy(&d, &v, sizeof d);
    return d;
}

inline void put8(std::string& out, unsigned v) {
    out += static_cast<char>(v & 0xFF);
}

inline void put16(std::string& out, unsigned v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

inline void put32(std::string& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

inline void putF64(std::string& out, double d) {
    uint64_t v;
    std::memcpy(&v, &d, sizeof v);
    put32(out, static_cast<uint32_t>(v));
    put32(out, static_cast<uint32_t>(v >> 32));
}

inline void set16(std::string& out, size_t at, unsigned v) {
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

inline void set32(std::string& out, size_t at, uint32_t v) {
    set16(out, at, v & 0xFFFF);
    set16(out, at + 2, v >> 16);
}

// UTF-8 to UTF-16 code units; malformed bytes become U+FFFD.
std::u16string toUtf16(std::string_view utf8);
// UTF-16 code units to UTF-8; lone surrogates become U+FFFD.
std::string fromUtf16(std::u16string_view units);
// 16-bit little-endian units (n of them) or 8-bit "compressed" units (the low bytes) at `at`.
std::string unitsToUtf8(std::string_view b, size_t at, size_t n, bool wide);

} // namespace store::sheet::bytes
