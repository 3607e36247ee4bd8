// Paradox table files (.db): recognising, reading and writing them.
//
// Delivered price lists and the tables of older installations arrive as Paradox tables. The
// engine recognises such a file by its header and reads it whole through pxlib; the writer
// produces Paradox tables with pxlib's own writer (for the demo data and the tests).
//
// Field types are mapped as follows:
//   alpha                -> Text (size = field length)
//   short                -> Int16
//   long                 -> Int32
//   autoinc              -> AutoInc
//   number, money, BCD   -> Float
//   logical              -> Bool
//   date                 -> Date (day number since 1970-01-01)
//   time                 -> Text "HH:MM:SS", ".mmm" appended when the milliseconds are not 0
//   timestamp            -> Text "YYYY-MM-DD HH:MM:SS", ".mmm" likewise
//   memo                 -> Text; the text comes from the record's leader or from the memo file
//                           (<table>.mb beside the table); size = the longest text found, at
//                           least the leader length
//   formatted memo, binary, graphic, OLE and bytes fields hold no plain text: they are left
//   out of the field list and of the rows, the other fields keep their order.
// Blank values (a field whose bytes are all zero; Paradox stores the number 0 differently) are
// null. Trailing blanks of alpha fields are dropped, so a field holding only blanks is null too.
// A date outside 0001-01-01..9999-12-31 or a time outside the day counts as damage.
//
// Texts (field names included) are recoded from the header's code page to UTF-8. Code pages
// 437, 850, 852, 1250 and 1252 are known; a header that names no code page (Paradox 3 tables)
// is read as 437. A table in another code page is read as long as its texts are plain ASCII.
#pragma once

#include "store/engine/value.h"

#include <filesystem>
#include <vector>

namespace store::paradox {

// True when the file starts with a plausible Paradox table header: the record size matches the
// field descriptions, header size, file type, block size, version and field count are sane and
// the field names lie inside the header. Never true for a SQLite file or a text file.
bool looksLikeParadox(const std::filesystem::path& file);

struct Table {
    std::vector<FieldDef> fields; // declaration order, names as stored, types mapped to FieldType
    int keyFieldCount = 0;        // number of leading fields forming the primary key (0 = none)
    std::vector<Row> rows;        // in file order, values in the representation of value.h
    int codepage = 0;             // the code page the header names (0 = none)
};

// Reads the whole table. Throws EngineError(errc::Corrupt) for a damaged or foreign file
// (including password-protected tables and memo fields whose memo file is missing or damaged)
// and EngineError(errc::Io) when the file cannot be opened or read.
Table read(const std::filesystem::path& file);

// Writes a Paradox table with pxlib's writer: Text -> alpha (1..255 characters), Int16 ->
// short, Int32 -> long, AutoInc -> autoinc, Float -> number, Bool -> logical, Date -> date. Texts
// are given in UTF-8 and stored in the code page (437, 850, 852, 1250 or 1252). An empty text
// is stored as a blank (null) value; a null AutoInc value gets the next free number. Int16 takes
// -32767..32767 and Int32/AutoInc -2147483647..2147483647 (the most negative value of each width
// is Paradox's blank), Date 0001-01-01..9999-12-31, Float finite numbers. Only the
// .db file is written (no primary index file). Throws EngineError(errc::MaxValue) for a value
// that does not fit its field (too long, out of range, not representable in the code page),
// EngineError(errc::BadState) for an unusable field list, key count or code page, and
// EngineError(errc::Io) when the file cannot be written. An existing file is replaced.
void write(const std::filesystem::path& file, const std::vector<FieldDef>& fields,
           const std::vector<Row>& rows, int keyFieldCount = 0, int codepage = 1250);

} // namespace store::paradox
