#include "store/engine/table_file.h"

#include "store/engine/errors.h"

#include <cstring>
#include <fstream>
#include <sqlite3.h>

namespace store {

namespace fs = std::filesystem;

std::string quoteIdent(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
    return out;
}

namespace {

const char* sqlType(FieldType t) {
    switch (t) {
    case FieldType::Text:
    case FieldType::Date:
        return "TEXT";
    case FieldType::Float:
        return "REAL";
    default:
        return "INTEGER";
    }
}

std::string joinFields(const std::vector<std::string>& f) {
    std::string s;
    for (const auto& x : f) {
        if (!s.empty()) {
            s += ';';
        }
        s += x;
    }
    return s;
}

const Value kNull;

// Texts are bound without a copy: every statement is stepped while its row is alive, and
// every parameter is bound again before the next step.
void bindValue(sqlite3_stmt* st, int param, const Value& v, FieldType type) {
    if (v.isNull()) {
        sqlite3_bind_null(st, param);
    } else if (v.isText()) {
        sqlite3_bind_text(st, param, v.textValue().data(), static_cast<int>(v.textValue().size()),
                          SQLITE_STATIC);
    } else if (v.isFloat()) {
        sqlite3_bind_double(st, param, v.floatValue());
    } else if (type == FieldType::Date) {
        const std::string iso = Date::fromDays(v.intValue()).iso();
        sqlite3_bind_text(st, param, iso.data(), static_cast<int>(iso.size()), SQLITE_TRANSIENT);
    } else {
        sqlite3_bind_int64(st, param, v.intValue());
    }
}

Value columnValue(sqlite3_stmt* st, int col, FieldType type) {
    const int kind = sqlite3_column_type(st, col);
    if (kind == SQLITE_NULL) {
        return {};
    }
    switch (type) {
    case FieldType::Text: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
        const int n = sqlite3_column_bytes(st, col);
        return Value(std::string(p, static_cast<size_t>(n)));
    }
    case FieldType::Float:
        return Value(sqlite3_column_double(st, col));
    case FieldType::Date:
        if (kind == SQLITE_TEXT) {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
            if (auto d = Date::fromIso(p ? p : "")) {
                return Value(*d);
            }
            return {};
        }
        return Value(sqlite3_column_int64(st, col));
    default:
        return Value(sqlite3_column_int64(st, col));
    }
}

// Any value of a plain SQL column, for defaults.
Value anyColumnValue(sqlite3_stmt* st, int col) {
    switch (sqlite3_column_type(st, col)) {
    case SQLITE_INTEGER:
        return Value(sqlite3_column_int64(st, col));
    case SQLITE_FLOAT:
        return Value(sqlite3_column_double(st, col));
    case SQLITE_TEXT:
        return Value(std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, col))));
    default:
        return {};
    }
}

sqlite3* openDb(const fs::path& file, int flags) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(file.string().c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string msg = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw EngineError(errc::Io, "cannot open table file " + file.string() + ": " + msg);
    }
    sqlite3_busy_timeout(db, 5000);
    sqlite3_extended_result_codes(db, 1);
    return db;
}

void execOn(sqlite3* db, const char* sql, const fs::path& file) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : "error";
        sqlite3_free(err);
        throw EngineError(errc::Io, file.string() + ": " + msg);
    }
}

void writeSchema(sqlite3* db, const TableSchema& schema, const fs::path& file) {
    execOn(db,
           "CREATE TABLE _meta(key TEXT PRIMARY KEY, value);"
           "CREATE TABLE _fields(ord INTEGER PRIMARY KEY, name TEXT NOT NULL, type TEXT NOT "
           "NULL, size INTEGER NOT NULL, required INTEGER NOT NULL, defval);"
           "CREATE TABLE _indexes(ord INTEGER PRIMARY KEY, name TEXT NOT NULL, fields TEXT NOT "
           "NULL, is_primary INTEGER NOT NULL, case_insensitive INTEGER NOT NULL, is_unique "
           "INTEGER NOT NULL);",
           file);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO _meta VALUES('format','dirurar table 1'),('table',?)", -1,
                       &st, nullptr);
    sqlite3_bind_text(st, 1, schema.tableName.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(st);
    sqlite3_finalize(st);

    sqlite3_prepare_v2(db, "INSERT INTO _fields VALUES(?,?,?,?,?,?)", -1, &st, nullptr);
    std::string cols;
    for (size_t i = 0; i < schema.fields.size(); ++i) {
        const auto& f = schema.fields[i];
        sqlite3_bind_int64(st, 1, static_cast<int64_t>(i));
        sqlite3_bind_text(st, 2, f.name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, fieldTypeName(f.type).data(),
                          static_cast<int>(fieldTypeName(f.type).size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 4, f.size);
        sqlite3_bind_int(st, 5, f.required ? 1 : 0);
        bindValue(st, 6, f.defaultValue, f.type);
        if (sqlite3_step(st) != SQLITE_DONE) {
            sqlite3_finalize(st);
            throw EngineError(errc::Io, file.string() + ": duplicate field " + f.name);
        }
        sqlite3_reset(st);
        if (!cols.empty()) {
            cols += ", ";
        }
        cols += quoteIdent(f.name) + " " + sqlType(f.type);
    }
    sqlite3_finalize(st);

    sqlite3_prepare_v2(db, "INSERT INTO _indexes VALUES(?,?,?,?,?,?)", -1, &st, nullptr);
    for (size_t i = 0; i < schema.indexes.size(); ++i) {
        const auto& ix = schema.indexes[i];
        sqlite3_bind_int64(st, 1, static_cast<int64_t>(i));
        sqlite3_bind_text(st, 2, ix.name.c_str(), -1, SQLITE_TRANSIENT);
        const std::string fl = joinFields(ix.fields);
        sqlite3_bind_text(st, 3, fl.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 4, ix.primary ? 1 : 0);
        sqlite3_bind_int(st, 5, ix.caseInsensitive ? 1 : 0);
        sqlite3_bind_int(st, 6, ix.unique ? 1 : 0);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    const std::string create = "CREATE TABLE " + quoteIdent(schema.tableName) + "(" + cols + ")";
    execOn(db, create.c_str(), file);
}

void validateSchema(const TableSchema& schema, const fs::path& file) {
    if (schema.tableName.empty() || schema.tableName[0] == '_') {
        throw EngineError(errc::Io, file.string() + ": invalid table name");
    }
    for (const auto& ix : schema.indexes) {
        for (const auto& f : ix.fields) {
            if (schema.fieldIndex(f) < 0) {
                throw EngineError(errc::NoSuchField, file.string() + ": index " + ix.name +
                                                         " names unknown field " + f);
            }
        }
    }
}

} // namespace

TableFile::Tx::Tx(TableFile& file) : f(file), own(!file.inTransaction_) {
    if (own) {
        f.exec("BEGIN IMMEDIATE");
    }
}

void TableFile::Tx::done() {
    if (own) {
        own = false;
        f.exec("COMMIT");
    }
}

TableFile::Tx::~Tx() {
    if (own) {
        sqlite3_exec(f.db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

TableFile::~TableFile() {
    if (db_) {
        if (inTransaction_) {
            sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
        }
        sqlite3_finalize(insert_);
        sqlite3_finalize(update_);
        sqlite3_finalize(delete_);
        sqlite3_finalize(dataVersion_);
        sqlite3_close_v2(db_);
    }
}

void TableFile::create(const fs::path& file, const TableSchema& schema) {
    if (fs::exists(file)) {
        throw EngineError(errc::Io, "table " + file.string() + " already exists");
    }
    createWithRows(file, schema, {});
}

void TableFile::createWithRows(const fs::path& file, const TableSchema& schema,
                               const std::vector<Row>& rows) {
    validateSchema(schema, file);
    fs::path tmp = file;
    tmp += ".new";
    std::error_code ec;
    fs::remove(tmp, ec);
    {
        sqlite3* db = openDb(tmp, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        try {
            execOn(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; BEGIN", tmp);
            writeSchema(db, schema, tmp);
            if (!rows.empty()) {
                std::string sql = "INSERT INTO " + quoteIdent(schema.tableName) + " VALUES(";
                for (size_t i = 0; i < schema.fields.size(); ++i) {
                    sql += i ? ",?" : "?";
                }
                sql += ")";
                sqlite3_stmt* st = nullptr;
                sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
                for (const auto& r : rows) {
                    for (size_t i = 0; i < schema.fields.size(); ++i) {
                        bindValue(st, static_cast<int>(i) + 1, i < r.size() ? r[i] : kNull,
                                  schema.fields[i].type);
                    }
                    const int rc = sqlite3_step(st);
                    sqlite3_reset(st);
                    if (rc != SQLITE_DONE) {
                        sqlite3_finalize(st);
                        throw EngineError(errc::Io, tmp.string() + ": " + sqlite3_errmsg(db));
                    }
                }
                sqlite3_finalize(st);
            }
            execOn(db, "COMMIT", tmp);
        } catch (...) {
            sqlite3_close_v2(db);
            fs::remove(tmp, ec);
            throw;
        }
        sqlite3_close_v2(db);
    }
    fs::rename(tmp, file, ec);
    if (ec) {
        fs::remove(tmp);
        throw EngineError(errc::Io, "cannot write " + file.string() + ": " + ec.message());
    }
}

bool TableFile::isTableFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    char head[16] = {};
    in.read(head, sizeof head);
    return in.gcount() == 16 && std::memcmp(head, "SQLite format 3", 16) == 0;
}

std::unique_ptr<TableFile> TableFile::open(const fs::path& file) {
    std::unique_ptr<TableFile> t(new TableFile());
    t->path_ = file;
    t->db_ = openDb(file, SQLITE_OPEN_READWRITE);
    t->exec("PRAGMA journal_mode=DELETE");
    t->exec("PRAGMA synchronous=FULL");
    t->readSchema();
    return t;
}

void TableFile::fail(const std::string& what, int code) const {
    throw EngineError(code, path_.filename().string() + ": " + what + ": " + sqlite3_errmsg(db_));
}

void TableFile::exec(const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : "error";
        sqlite3_free(err);
        throw EngineError(errc::Io, path_.filename().string() + ": " + msg);
    }
}

sqlite3_stmt* TableFile::prepare(const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        fail("cannot prepare", errc::Corrupt);
    }
    return st;
}

void TableFile::step(sqlite3_stmt* st, const char* what) {
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    sqlite3_clear_bindings(st); // no parameter keeps pointing at a row that goes away
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
        fail(what, errc::Io);
    }
}

void TableFile::readSchema() {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT value FROM _meta WHERE key='table'", -1, &st, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(st);
        throw EngineError(errc::Corrupt, path_.string() + " is not a table file");
    }
    if (sqlite3_step(st) == SQLITE_ROW) {
        schema_.tableName = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    }
    sqlite3_finalize(st);
    if (schema_.tableName.empty()) {
        throw EngineError(errc::Corrupt, path_.string() + " names no table");
    }
    st = prepare("SELECT name, type, size, required, defval FROM _fields ORDER BY ord");
    while (sqlite3_step(st) == SQLITE_ROW) {
        FieldDef f;
        f.name = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        auto type = fieldTypeFromName(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
        if (!type) {
            sqlite3_finalize(st);
            throw EngineError(errc::Corrupt, path_.string() + ": unknown type of " + f.name);
        }
        f.type = *type;
        f.size = sqlite3_column_int(st, 2);
        f.required = sqlite3_column_int(st, 3) != 0;
        f.defaultValue = anyColumnValue(st, 4);
        if (f.type == FieldType::Date && f.defaultValue.isText()) {
            auto d = Date::fromIso(f.defaultValue.textValue());
            f.defaultValue = d ? Value(*d) : Value();
        }
        schema_.fields.push_back(std::move(f));
    }
    sqlite3_finalize(st);
    st = prepare("SELECT name, fields, is_primary, case_insensitive, is_unique FROM _indexes "
                 "ORDER BY ord");
    while (sqlite3_step(st) == SQLITE_ROW) {
        IndexDef ix;
        ix.name = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        ix.fields = splitFieldList(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
        ix.primary = sqlite3_column_int(st, 2) != 0;
        ix.caseInsensitive = sqlite3_column_int(st, 3) != 0;
        ix.unique = sqlite3_column_int(st, 4) != 0;
        schema_.indexes.push_back(std::move(ix));
    }
    sqlite3_finalize(st);

    const std::string t = quoteIdent(schema_.tableName);
    std::string ins = "INSERT INTO " + t + " VALUES(";
    std::string upd = "UPDATE " + t + " SET ";
    for (size_t i = 0; i < schema_.fields.size(); ++i) {
        ins += i ? ",?" : "?";
        upd += (i ? ", " : "") + quoteIdent(schema_.fields[i].name) + "=?";
    }
    ins += ")";
    upd += " WHERE rowid=?";
    insert_ = prepare(ins);
    update_ = prepare(upd);
    delete_ = prepare("DELETE FROM " + t + " WHERE rowid=?");
    dataVersion_ = prepare("PRAGMA data_version");
}

void TableFile::loadRows(const std::function<void(int64_t, Row&&)>& sink) {
    std::string sql = "SELECT rowid";
    for (const auto& f : schema_.fields) {
        sql += ", " + quoteIdent(f.name);
    }
    sql += " FROM " + quoteIdent(schema_.tableName) + " ORDER BY rowid";
    sqlite3_stmt* st = prepare(sql);
    int rc = 0;
    const int n = static_cast<int>(schema_.fields.size());
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        Row row;
        row.reserve(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            row.push_back(columnValue(st, i + 1, schema_.fields[static_cast<size_t>(i)].type));
        }
        sink(sqlite3_column_int64(st, 0), std::move(row));
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) {
        fail("cannot read rows", errc::Corrupt);
    }
}

void TableFile::bindRow(sqlite3_stmt* st, const Row& row, int firstParam) {
    for (size_t i = 0; i < schema_.fields.size(); ++i) {
        bindValue(st, firstParam + static_cast<int>(i), i < row.size() ? row[i] : kNull,
                  schema_.fields[i].type);
    }
}

int64_t TableFile::takeAutoInc(int fieldIndex, int64_t atLeast) {
    const std::string key = "autoinc." + std::to_string(fieldIndex);
    sqlite3_stmt* st = prepare("SELECT value FROM _meta WHERE key=?");
    sqlite3_bind_text(st, 1, key.c_str(), -1, SQLITE_TRANSIENT);
    int64_t next = 1;
    if (sqlite3_step(st) == SQLITE_ROW) {
        next = sqlite3_column_int64(st, 0);
    }
    sqlite3_finalize(st);
    next = std::max(next, atLeast);
    st = prepare("INSERT OR REPLACE INTO _meta VALUES(?, ?)");
    sqlite3_bind_text(st, 1, key.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(st, 2, next + 1);
    const int rc = sqlite3_step(st);
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) {
        fail("cannot number the record", errc::Io);
    }
    return next;
}

int64_t TableFile::insert(const Row& row) {
    bindRow(insert_, row, 1);
    step(insert_, "cannot insert");
    return sqlite3_last_insert_rowid(db_);
}

void TableFile::update(int64_t rowid, const Row& row) {
    bindRow(update_, row, 1);
    sqlite3_bind_int64(update_, static_cast<int>(schema_.fields.size()) + 1, rowid);
    step(update_, "cannot update");
}

void TableFile::remove(int64_t rowid) {
    sqlite3_bind_int64(delete_, 1, rowid);
    step(delete_, "cannot delete");
}

void TableFile::removeAll() {
    const std::string sql = "DELETE FROM " + quoteIdent(schema_.tableName);
    exec(sql.c_str());
}

void TableFile::addIndex(const IndexDef& ix) {
    Tx tx(*this);
    sqlite3_stmt* st = prepare("INSERT INTO _indexes VALUES((SELECT coalesce(max(ord),-1)+1 FROM "
                               "_indexes),?,?,?,?,?)");
    sqlite3_bind_text(st, 1, ix.name.c_str(), -1, SQLITE_TRANSIENT);
    const std::string fl = joinFields(ix.fields);
    sqlite3_bind_text(st, 2, fl.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(st, 3, ix.primary ? 1 : 0);
    sqlite3_bind_int(st, 4, ix.caseInsensitive ? 1 : 0);
    sqlite3_bind_int(st, 5, ix.unique ? 1 : 0);
    const int rc = sqlite3_step(st);
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) {
        fail("cannot add index", errc::Io);
    }
    tx.done();
    schema_.indexes.push_back(ix);
}

void TableFile::begin() {
    if (!inTransaction_) {
        exec("BEGIN IMMEDIATE");
        inTransaction_ = true;
    }
}

void TableFile::commit() {
    if (inTransaction_) {
        inTransaction_ = false;
        exec("COMMIT");
    }
}

int64_t TableFile::dataVersion() {
    int64_t v = 0;
    if (sqlite3_step(dataVersion_) == SQLITE_ROW) {
        v = sqlite3_column_int64(dataVersion_, 0);
    }
    sqlite3_reset(dataVersion_);
    return v;
}

} // namespace store
