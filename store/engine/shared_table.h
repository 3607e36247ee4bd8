// The live state of one table inside a process: every handle on the same table file works on
// the one SharedTable, so a change made through one handle is seen by all the others at once.
// The rows are held in memory (slots, never reused while the state lives), ordered by indexes
// that are built when first used and kept up to date by every write; every write goes to the
// table file before the call returns.
#pragma once

#include "store/engine/file_lock.h"
#include "store/engine/schema.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace store {

class Session;
class TableFile;
class SharedTable;

constexpr uint32_t kNoSlot = 0xFFFFFFFFu;

// Orders values: null first, numbers by value, texts by the Hungarian collation.
int compareValues(const Value& a, const Value& b, bool caseInsensitive);

// Values compared against the leading fields of an index.
struct KeyProbe {
    const Value* values;
    size_t count;
};

class OrderedIndex {
public:
    OrderedIndex(const SharedTable& table, IndexDef def, std::vector<int> columns);

    const IndexDef& def() const { return def_; }
    const std::vector<int>& columns() const { return cmp_.columns; }
    bool caseInsensitive() const { return cmp_.caseInsensitive; }

    // Compares two slots by key (ties: by slot), and a slot against a probe (leading fields).
    int compareSlots(uint32_t a, uint32_t b) const;
    int compareToProbe(uint32_t slot, const KeyProbe& p) const;

    struct Cmp {
        const SharedTable* table;
        std::vector<int> columns;
        bool caseInsensitive;
        using is_transparent = void;
        int keyCompare(uint32_t a, uint32_t b) const;
        int probeCompare(uint32_t a, const KeyProbe& p) const;
        bool operator()(uint32_t a, uint32_t b) const;
        bool operator()(uint32_t a, const KeyProbe& p) const { return probeCompare(a, p) < 0; }
        bool operator()(const KeyProbe& p, uint32_t a) const { return probeCompare(a, p) > 0; }
    };
    using Set = std::set<uint32_t, Cmp>;

    const Set& set() const { return set_; }
    Set& set() { return set_; }
    // Refills the index from the live slots (after the rows were reread or emptied).
    void rebuild(std::vector<int> columns, std::vector<uint32_t> liveSlots);

private:
    IndexDef def_;
    Cmp cmp_;
    Set set_;
};

// Told by the table about every change (the handles use it to keep their views current).
class TableListener {
public:
    virtual ~TableListener() = default;
    virtual void rowInserted(uint32_t slot) = 0;
    virtual void rowUpdated(uint32_t slot, const Row& before) = 0;
    virtual void rowDeleted(uint32_t slot) = 0;
    // the rows are about to be reread from the file (positions can be kept by rowid)
    virtual void tableAboutToReload() {}
    // every row may have changed: emptied, reloaded from the file, restructured
    virtual void tableReset() = 0;
};

class SharedTable {
public:
    // A table read from its file (SQLite table file or Paradox table).
    SharedTable(Session& session, std::filesystem::path file);
    // A read-only table held in memory only (query results).
    SharedTable(Session& session, TableSchema schema, std::vector<Row> rows);
    ~SharedTable();
    SharedTable(const SharedTable&) = delete;
    SharedTable& operator=(const SharedTable&) = delete;

    const std::filesystem::path& path() const { return path_; }
    const TableSchema& schema() const { return schema_; }
    bool readOnly() const { return readOnly_; }
    bool isParadoxSource() const { return paradoxSource_; }

    size_t slotCount() const { return slots_.size(); }
    bool live(uint32_t slot) const { return slots_[slot].live; }
    const Row& row(uint32_t slot) const { return slots_[slot].values; }
    int64_t rowid(uint32_t slot) const { return slots_[slot].rowid; }
    uint32_t slotOfRowid(int64_t rowid) const;
    size_t liveCount() const { return liveCount_; }
    uint64_t version() const { return version_; }

    // The ordering by an index of the schema; built on first use.
    OrderedIndex& index(const IndexDef& def);
    // The slot whose `columns` equal `key` (exact, case-sensitive), or kNoSlot.
    uint32_t findExact(const std::vector<int>& columns, const std::vector<Value>& key);
    // The same through a hash of the columns, rebuilt after the table changed: for tables
    // read far more often than written (the price list while orders are priced).
    uint32_t findHashed(const std::vector<int>& columns, const std::vector<Value>& key);
    uint32_t findHashed(int column, const Value& key);

    // Writes. Rows are full rows of the schema with values already coerced to the field types.
    uint32_t insert(Row row);
    void update(uint32_t slot, Row row);
    void remove(uint32_t slot);
    void clear();
    void addIndex(IndexDef def);

    // Holders: every open handle (and every handle's lookup) holds the table shared or
    // exclusive; the operating-system lock follows.
    void hold(bool exclusive);
    void unhold(bool exclusive);

    // Grouping of writes into one transaction while any handle has its refresh suspended.
    void beginGroup();
    void endGroup();
    // Commits a pending grouped transaction now (before a query reads the file).
    void flush();

    // Rereads the file when another process changed it. True when it was reread.
    bool reloadIfChanged();

    void addListener(TableListener* l);
    void removeListener(TableListener* l);

private:
    struct Slot {
        int64_t rowid;
        Row values;
        bool live;
    };

    void load();
    void loadParadox();
    void ensureWritable();
    // Refuses a row that repeats the key of a unique index; `places` receives, per index,
    // where a new row with these values goes.
    void checkUnique(const Row& row, uint32_t self,
                     std::vector<OrderedIndex::Set::const_iterator>* places) const;
    void checkReferences(uint32_t slot);
    void openTransactionIfGrouped();
    void bump();
    int64_t autoIncMax(size_t column);
    void indexInsert(uint32_t slot);
    void indexErase(uint32_t slot);
    std::vector<int> columnsOf(const IndexDef& def) const;
    void resetIndexes();

    Session& session_;
    std::filesystem::path path_;
    TableSchema schema_;
    std::unique_ptr<TableFile> file_;
    std::unique_ptr<FileLock> lock_;
    bool readOnly_ = false;
    bool paradoxSource_ = false;
    int64_t dataVersion_ = 0;
    std::vector<Slot> slots_;
    std::unordered_map<int64_t, uint32_t> byRowid_;
    size_t liveCount_ = 0;
    uint64_t version_ = 0;
    int64_t nextParadoxRowid_ = 1;
    std::vector<std::unique_ptr<OrderedIndex>> indexes_;
    struct HashIndex {
        std::vector<int> columns;
        uint64_t version = ~0ULL;
        std::unordered_map<std::string, uint32_t> map;
    };
    std::vector<HashIndex> hashes_;
    HashIndex& hashIndex(const std::vector<int>& columns); // current with the rows
    std::vector<TableListener*> listeners_;
    int sharedHolders_ = 0;
    int exclusiveHolders_ = 0;
    int groupDepth_ = 0;
    std::vector<int64_t> autoMax_; // largest autoinc value per field, -1 until computed
};

} // namespace store
