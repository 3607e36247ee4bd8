#include "store/engine/query.h"

#include "store/engine/collate.h"
#include "store/engine/paradox.h"
#include "store/engine/session.h"
#include "store/engine/table_file.h"
#include "store/format/format.h"

#include <cctype>
#include <set>
#include <sqlite3.h>

namespace store {

namespace fs = std::filesystem;

Query::Query(Session& session, std::string name) : DataSet(session, std::move(name)) {}

Query::~Query() {
    try {
        close();
    } catch (...) {
        // nothing to release that could fail
    }
}

void Query::setAlias(std::string alias) {
    if (active()) {
        throw EngineError(errc::BadState, name_ + ": Cannot change the alias of an open query");
    }
    alias_ = std::move(alias);
}

void Query::setSql(std::string sql) {
    if (active()) {
        throw EngineError(errc::BadState, name_ + ": Cannot change the text of an open query");
    }
    sql_ = std::move(sql);
}

void Query::setParam(const std::string& name, const Value& value) {
    std::string key = name;
    if (!key.empty() && key[0] == ':') {
        key.erase(0, 1);
    }
    params_[lowerAscii(key)] = value;
}

namespace {

struct Db {
    sqlite3* db = nullptr;
    ~Db() { sqlite3_close_v2(db); }
};

struct Stmt {
    sqlite3_stmt* st = nullptr;
    ~Stmt() { sqlite3_finalize(st); }
};

// LIKE that ignores case for Hungarian letters too, with % and _.
bool likeMatch(std::string_view pat, std::string_view text) {
    // work on code points
    auto decode = [](std::string_view s) {
        std::u32string out;
        for (size_t i = 0; i < s.size();) {
            const auto c = static_cast<unsigned char>(s[i]);
            char32_t cp = c;
            size_t len = 1;
            if (c >= 0xF0 && i + 3 < s.size() + 0) {
                len = 4;
                cp = c & 0x07;
            } else if (c >= 0xE0) {
                len = 3;
                cp = c & 0x0F;
            } else if (c >= 0xC0) {
                len = 2;
                cp = c & 0x1F;
            }
            if (i + len > s.size()) {
                len = 1;
                cp = c;
            } else {
                for (size_t k = 1; k < len; ++k) {
                    cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
                }
            }
            out += cp;
            i += len;
        }
        return out;
    };
    const std::u32string p = decode(fmt::upperHu(pat));
    const std::u32string t = decode(fmt::upperHu(text));
    // iterative wildcard match with backtracking on the last %
    size_t pi = 0;
    size_t ti = 0;
    size_t star = std::u32string::npos;
    size_t mark = 0;
    while (ti < t.size()) {
        if (pi < p.size() && (p[pi] == U'_' || p[pi] == t[ti])) {
            ++pi;
            ++ti;
        } else if (pi < p.size() && p[pi] == U'%') {
            star = pi++;
            mark = ti;
        } else if (star != std::u32string::npos) {
            pi = star + 1;
            ti = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == U'%') {
        ++pi;
    }
    return pi == p.size();
}

void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    const auto* pat = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const auto* txt = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    if (!pat || !txt || argc > 2) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_result_int(ctx, likeMatch(pat, txt) ? 1 : 0);
}

int huCollation(void* ci, int la, const void* a, int lb, const void* b) {
    return collate(std::string_view(static_cast<const char*>(a), static_cast<size_t>(la)),
                   std::string_view(static_cast<const char*>(b), static_cast<size_t>(lb)),
                   ci != nullptr);
}

std::vector<std::string> identifiers(const std::string& sql) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < sql.size()) {
        const char c = sql[i];
        if (c == '\'') { // string literal
            ++i;
            while (i < sql.size() &&
                   !(sql[i] == '\'' && (i + 1 >= sql.size() || sql[i + 1] != '\''))) {
                i += sql[i] == '\'' ? 2 : 1;
            }
            ++i;
        } else if (c == '"') {
            const size_t e = sql.find('"', i + 1);
            if (e == std::string::npos) {
                break;
            }
            out.push_back(sql.substr(i + 1, e - i - 1));
            i = e + 1;
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            size_t e = i;
            while (e < sql.size() &&
                   (std::isalnum(static_cast<unsigned char>(sql[e])) || sql[e] == '_')) {
                ++e;
            }
            out.push_back(sql.substr(i, e - i));
            i = e;
        } else {
            ++i;
        }
    }
    return out;
}

void check(int rc, sqlite3* db, const std::string& what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        throw EngineError(errc::Sql, what + ": " + sqlite3_errmsg(db));
    }
}

} // namespace

std::shared_ptr<SharedTable> Query::openStore() {
    if (sql_.empty()) {
        throw EngineError(errc::Sql, name_ + ": no SQL statement");
    }
    const fs::path folder = session_.aliasPath(alias_);
    session_.flushAll(); // grouped writes still pending become visible to the statement

    Db db;
    if (sqlite3_open_v2(":memory:", &db.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr) !=
        SQLITE_OK) {
        throw EngineError(errc::Sql, "cannot start a query");
    }
    sqlite3_limit(db.db, SQLITE_LIMIT_ATTACHED, 10);
    sqlite3_create_function(db.db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            likeFunction, nullptr, nullptr);
    sqlite3_create_collation(db.db, "HU", SQLITE_UTF8, nullptr, huCollation);
    sqlite3_create_collation(db.db, "HU_CI", SQLITE_UTF8, reinterpret_cast<void*>(1), huCollation);

    // field descriptions of the attached tables, for the result's field types
    std::map<std::string, std::map<std::string, FieldDef>> described; // schema -> field -> def
    std::set<std::string> done;
    int attached = 0;
    for (const auto& ident : identifiers(sql_)) {
        const std::string key = lowerAscii(ident);
        if (done.count(key)) {
            continue;
        }
        done.insert(key);
        fs::path file = session_.resolveTable(alias_, ident);
        std::error_code ec;
        if (!fs::is_regular_file(file, ec)) {
            continue;
        }
        const std::string schemaName = "t" + std::to_string(++attached);
        std::map<std::string, FieldDef> defs;
        if (TableFile::isTableFile(file)) {
            auto tf = TableFile::open(file);
            const std::string inner = tf->schema().tableName;
            for (const auto& f : tf->schema().fields) {
                defs[lowerAscii(f.name)] = f;
            }
            tf.reset();
            Stmt at;
            check(sqlite3_prepare_v2(db.db, "ATTACH ? AS ?", -1, &at.st, nullptr), db.db, "attach");
            const std::string uri = "file:" + file.string() + "?mode=ro";
            sqlite3_bind_text(at.st, 1, uri.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(at.st, 2, schemaName.c_str(), -1, SQLITE_TRANSIENT);
            check(sqlite3_step(at.st), db.db, "cannot read table " + ident);
            const std::string view = "CREATE TEMP VIEW " + quoteIdent(ident) +
                                     " AS SELECT * FROM " + schemaName + "." + quoteIdent(inner);
            check(sqlite3_exec(db.db, view.c_str(), nullptr, nullptr, nullptr), db.db, "view");
        } else if (paradox::looksLikeParadox(file)) {
            paradox::Table px = paradox::read(file);
            std::string cols;
            for (const auto& f : px.fields) {
                defs[lowerAscii(f.name)] = f;
                cols += (cols.empty() ? "" : ",") + quoteIdent(f.name);
            }
            const std::string create = "CREATE TEMP TABLE " + quoteIdent(ident) + "(" + cols + ")";
            check(sqlite3_exec(db.db, create.c_str(), nullptr, nullptr, nullptr), db.db, "copy");
            std::string ins = "INSERT INTO temp." + quoteIdent(ident) + " VALUES(";
            for (size_t i = 0; i < px.fields.size(); ++i) {
                ins += i ? ",?" : "?";
            }
            ins += ")";
            Stmt st;
            check(sqlite3_prepare_v2(db.db, ins.c_str(), -1, &st.st, nullptr), db.db, "copy");
            for (const auto& r : px.rows) {
                for (size_t i = 0; i < px.fields.size(); ++i) {
                    const Value& v = i < r.size() ? r[i] : Value();
                    const int p = static_cast<int>(i) + 1;
                    if (v.isNull()) {
                        sqlite3_bind_null(st.st, p);
                    } else if (v.isText()) {
                        sqlite3_bind_text(st.st, p, v.textValue().c_str(), -1, SQLITE_TRANSIENT);
                    } else if (v.isFloat()) {
                        sqlite3_bind_double(st.st, p, v.floatValue());
                    } else if (px.fields[i].type == FieldType::Date) {
                        const std::string iso = Date::fromDays(v.intValue()).iso();
                        sqlite3_bind_text(st.st, p, iso.c_str(), -1, SQLITE_TRANSIENT);
                    } else {
                        sqlite3_bind_int64(st.st, p, v.intValue());
                    }
                }
                check(sqlite3_step(st.st), db.db, "copy");
                sqlite3_reset(st.st);
            }
            described["temp"] = defs;
            continue;
        } else {
            continue;
        }
        described[schemaName] = std::move(defs);
    }

    Stmt st;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db.db, sql_.c_str(), -1, &st.st, &tail) != SQLITE_OK) {
        throw EngineError(errc::Sql, name_ + ": " + sqlite3_errmsg(db.db));
    }
    if (!st.st || !sqlite3_stmt_readonly(st.st)) {
        throw EngineError(errc::Sql, name_ + ": only reading statements are allowed");
    }
    for (; tail && *tail; ++tail) {
        if (!std::isspace(static_cast<unsigned char>(*tail)) && *tail != ';') {
            throw EngineError(errc::Sql, name_ + ": one statement at a time");
        }
    }
    const int nparams = sqlite3_bind_parameter_count(st.st);
    for (int p = 1; p <= nparams; ++p) {
        const char* pname = sqlite3_bind_parameter_name(st.st, p);
        std::string key = pname ? pname + 1 : "";
        auto it = params_.find(lowerAscii(key));
        if (it == params_.end()) {
            throw EngineError(errc::Sql, name_ + ": no value for parameter " +
                                             std::string(pname ? pname : "?"));
        }
        const Value& v = it->second;
        if (v.isNull()) {
            sqlite3_bind_null(st.st, p);
        } else if (v.isText()) {
            sqlite3_bind_text(st.st, p, v.textValue().c_str(), -1, SQLITE_TRANSIENT);
        } else if (v.isFloat()) {
            sqlite3_bind_double(st.st, p, v.floatValue());
        } else {
            sqlite3_bind_int64(st.st, p, v.intValue());
        }
    }

    const int ncol = sqlite3_column_count(st.st);
    TableSchema schema;
    schema.tableName = name_.empty() ? "query" : name_;
    std::vector<bool> typed(static_cast<size_t>(ncol), false);
    for (int c = 0; c < ncol; ++c) {
        FieldDef f;
        f.name = sqlite3_column_name(st.st, c);
        f.type = FieldType::Text;
        f.size = 255;
        const char* dbName = sqlite3_column_database_name(st.st, c);
        const char* origin = sqlite3_column_origin_name(st.st, c);
        if (dbName && origin) {
            auto s = described.find(dbName);
            if (s != described.end()) {
                auto d = s->second.find(lowerAscii(origin));
                if (d != s->second.end()) {
                    f.type =
                        d->second.type == FieldType::AutoInc ? FieldType::Int32 : d->second.type;
                    f.size = d->second.size;
                    typed[static_cast<size_t>(c)] = true;
                }
            }
        }
        // a name used twice gets a number, so that every field can be reached by name
        std::string base = f.name;
        for (int k = 1; schema.fieldIndex(f.name) >= 0; ++k) {
            f.name = base + "_" + std::to_string(k);
        }
        schema.fields.push_back(f);
    }
    std::vector<Row> rows;
    int rc = 0;
    while ((rc = sqlite3_step(st.st)) == SQLITE_ROW) {
        Row r;
        r.reserve(static_cast<size_t>(ncol));
        for (int c = 0; c < ncol; ++c) {
            auto& fd = schema.fields[static_cast<size_t>(c)];
            switch (sqlite3_column_type(st.st, c)) {
            case SQLITE_NULL:
                r.emplace_back();
                break;
            case SQLITE_INTEGER:
                if (!typed[static_cast<size_t>(c)]) {
                    fd.type = FieldType::Int32;
                    fd.size = 0;
                    typed[static_cast<size_t>(c)] = true;
                }
                if (fd.type == FieldType::Float) {
                    r.emplace_back(static_cast<double>(sqlite3_column_int64(st.st, c)));
                } else if (fd.type == FieldType::Text) {
                    r.emplace_back(std::to_string(sqlite3_column_int64(st.st, c)));
                } else {
                    r.emplace_back(sqlite3_column_int64(st.st, c));
                }
                break;
            case SQLITE_FLOAT:
                if (!typed[static_cast<size_t>(c)] || isIntegerType(fd.type)) {
                    fd.type = FieldType::Float;
                    fd.size = 0;
                    typed[static_cast<size_t>(c)] = true;
                }
                r.emplace_back(sqlite3_column_double(st.st, c));
                break;
            default: {
                std::string text(reinterpret_cast<const char*>(sqlite3_column_text(st.st, c)),
                                 static_cast<size_t>(sqlite3_column_bytes(st.st, c)));
                if (fd.type == FieldType::Date) {
                    auto d = Date::fromIso(text);
                    r.push_back(d ? Value(*d) : Value());
                } else {
                    typed[static_cast<size_t>(c)] = true;
                    r.emplace_back(std::move(text));
                }
            }
            }
        }
        rows.push_back(std::move(r));
    }
    if (rc != SQLITE_DONE) {
        throw EngineError(errc::Sql, name_ + ": " + sqlite3_errmsg(db.db));
    }
    // a column whose kind changed while reading: bring the values of earlier rows along
    for (auto& r : rows) {
        for (size_t c = 0; c < schema.fields.size(); ++c) {
            const auto& fd = schema.fields[c];
            if (fd.type == FieldType::Float && r[c].isInt()) {
                r[c] = Value(static_cast<double>(r[c].intValue()));
            }
        }
    }
    return std::make_shared<SharedTable>(session_, std::move(schema), std::move(rows));
}

} // namespace store
