// Compound files (the container of .xls workbooks): a small file system of streams in fixed
// sectors chained through an allocation table. The reader checks every chain against the file
// (no sector outside it, no loop, no chain shorter than its stream), so a damaged file gives an
// error instead of a wrong read; the writer writes one stream, with as many allocation and
// extended allocation sectors as its size needs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace store::sheet::cfb {

struct Entry {
    std::string name; // UTF-8
    int type = 0;     // 1 storage, 2 stream, 5 root
    uint32_t start = 0;
    uint64_t size = 0;
};

class Reader {
public:
    // Throws SheetError when the bytes are not a compound file or its tables are damaged.
    explicit Reader(std::string_view bytes);

    const std::vector<Entry>& entries() const { return entries_; }
    // The first stream whose name is one of `names` (without regard to case); nullptr if none.
    const Entry* findStream(std::initializer_list<std::string_view> names) const;
    // The stream's bytes; throws SheetError when its chain is damaged or runs out of the file.
    std::string read(const Entry& e) const;
    // A stream kept in small sectors that begins with the first of them and runs on in order
    // (the only layout of a small workbook stream FreeXL reads correctly); true for streams in
    // regular sectors.
    bool plainLayout(const Entry& e) const;

private:
    std::string chain(uint32_t start, uint64_t size, bool mini) const;
    uint32_t sectorCount() const;

    std::string_view bytes_;
    uint32_t sectorSize_ = 512;
    uint32_t miniCutoff_ = 4096;
    std::vector<uint32_t> fat_;
    std::vector<uint32_t> miniFat_;
    std::string miniStream_;
    std::vector<Entry> entries_;
};

// A compound file holding one stream named `name` (the root entry and that stream). A stream
// shorter than the small-stream limit is padded with zero bytes to that limit so that it is
// kept in regular sectors.
std::string write(std::string_view name, std::string_view stream);

} // namespace store::sheet::cfb
