// The table engine of one process: the database aliases, the live tables, the referential
// links between tables and the change counter that calculated fields follow.
#pragma once

#include "store/engine/schema.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace store {

class SharedTable;

// A record of `childTable` whose `childFields` equal the `parentFields` of a record of
// `parentTable` (both in the same folder) keeps that record from being deleted.
struct Reference {
    std::string parentTable; // table name without extension, matched without case
    std::vector<std::string> parentFields;
    std::string childTable;
    std::vector<std::string> childFields;
};

class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The session of the program.
    static Session& global();

    // ---- aliases ----
    // Reads "name=PATH" lines ('#' or ';' starts a comment, "[...]" section lines are
    // ignored); a relative PATH is taken from the folder of the file. Replaces nothing that
    // is not named in the file.
    void loadAliases(const std::filesystem::path& iniFile);
    void setAlias(const std::string& name, const std::filesystem::path& dir);
    bool hasAlias(std::string_view name) const;
    std::vector<std::string> aliasNames() const;
    // The alias's parameter list; the first entry is "PATH=" followed by the directory.
    std::vector<std::string> aliasParams(std::string_view name) const;
    std::filesystem::path aliasPath(std::string_view name) const;

    // The shared control directory of the engine; the program sets it before opening tables.
    void setNetDir(const std::filesystem::path& dir) { netDir_ = dir; }
    const std::filesystem::path& netDir() const { return netDir_; }

    // The file of a table: `table` in the alias's folder (an empty alias takes `table` as a
    // path), ".db" added when no extension is given, the existing file matched without
    // regard to case.
    std::filesystem::path resolveTable(std::string_view alias, std::string_view table) const;

    // ---- tables ----
    std::shared_ptr<SharedTable> acquire(const std::filesystem::path& file, bool exclusive);
    void release(const std::shared_ptr<SharedTable>& t, bool exclusive);
    // The live state of a table when some handle has it open.
    std::shared_ptr<SharedTable> findOpen(const std::filesystem::path& file) const;
    // Creates an empty table file; fails when it exists.
    void createTable(const std::filesystem::path& file, const TableSchema& schema);
    // Deletes a table file (and its lock file); fails while the table is open.
    void deleteTable(const std::filesystem::path& file);
    // Commits every grouped write still pending.
    void flushAll();

    // ---- referential links ----
    void declareReference(Reference r);
    const std::vector<Reference>& references() const { return references_; }

    // ---- change counter ----
    // Increases with every change of any table; calculated values computed for an older
    // count are computed again when read.
    uint64_t changeCount() const { return changeCount_; }
    void noteChange() { ++changeCount_; }

private:
    std::map<std::string, std::filesystem::path> aliases_; // key: lower-case name
    std::filesystem::path netDir_;
    std::map<std::string, std::weak_ptr<SharedTable>> open_; // key: normalised path
    std::vector<Reference> references_;
    uint64_t changeCount_ = 1;
};

std::string tableKey(const std::filesystem::path& file);

} // namespace store
