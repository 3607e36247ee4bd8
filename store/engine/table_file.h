// One table stored in its own SQLite file: the rows in a SQL table of the table's name (one
// column per field, under the field's name) and the table's own description in the tables
// _fields, _indexes and _meta. The file alone holds everything once an operation returns: the
// rollback journal is removed at every commit.
#pragma once

#include "store/engine/schema.h"

#include <filesystem>
#include <functional>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace store {

class TableFile {
public:
    ~TableFile();
    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;

    // Creates a new table file; fails when the file exists.
    static void create(const std::filesystem::path& file, const TableSchema& schema);
    // Creates the table file with its rows in one transaction, into a temporary file that
    // replaces `file` only when complete.
    static void createWithRows(const std::filesystem::path& file, const TableSchema& schema,
                               const std::vector<Row>& rows);
    static bool isTableFile(const std::filesystem::path& file);
    static std::unique_ptr<TableFile> open(const std::filesystem::path& file);

    const TableSchema& schema() const { return schema_; }
    const std::filesystem::path& path() const { return path_; }

    void loadRows(const std::function<void(int64_t rowid, Row&& row)>& sink);

    // Writes; each is one atomic change unless a transaction is open.
    int64_t insert(const Row& row); // returns the new rowid
    void update(int64_t rowid, const Row& row);
    void remove(int64_t rowid);
    void removeAll();
    void addIndex(const IndexDef& index);

    // Next value of an autoinc field; values are never handed out twice.
    int64_t takeAutoInc(int fieldIndex, int64_t atLeast);

    void begin();
    void commit();
    bool inTransaction() const { return inTransaction_; }
    // Changes when another connection (another process) committed to the file.
    int64_t dataVersion();

    // Groups the statements of one write when no transaction is open: committed by done(),
    // rolled back when left without it.
    struct Tx {
        TableFile& f;
        bool own;
        explicit Tx(TableFile& file);
        void done();
        ~Tx();
        Tx(const Tx&) = delete;
        Tx& operator=(const Tx&) = delete;
    };

private:
    TableFile() = default;
    void exec(const char* sql);
    sqlite3_stmt* prepare(const std::string& sql);
    void bindRow(sqlite3_stmt* st, const Row& row, int firstParam);
    void step(sqlite3_stmt* st, const char* what);
    void readSchema();
    [[noreturn]] void fail(const std::string& what, int code) const;

    sqlite3* db_ = nullptr;
    std::filesystem::path path_;
    TableSchema schema_;
    bool inTransaction_ = false;
    sqlite3_stmt* insert_ = nullptr;
    sqlite3_stmt* update_ = nullptr;
    sqlite3_stmt* delete_ = nullptr;
    sqlite3_stmt* dataVersion_ = nullptr;
};

std::string quoteIdent(std::string_view name);

} // namespace store
