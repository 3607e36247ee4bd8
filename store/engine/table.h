// A handle on one table file, reached through a database alias.
#pragma once

#include "store/engine/dataset.h"

namespace store {

class Table : public DataSet {
public:
    explicit Table(Session& session, std::string name = {});
    ~Table() override;

    // ---- what the handle opens (changeable only while closed) ----
    void setAlias(std::string alias);
    void setTableName(std::string table);
    const std::string& alias() const { return alias_; }
    const std::string& tableName() const { return tableName_; }
    void setExclusive(bool on);
    bool exclusive() const { return exclusive_; }
    // The table's file as the alias resolves it now.
    std::filesystem::path filePath() const;
    bool exists() const;

    // ---- order ----
    // "Garkod;Modulkod": the index whose leading fields these are; empty: the primary index.
    void setIndexFieldNames(const std::string& fields);
    // A named index; empty: the primary index.
    void setIndexName(const std::string& name);
    const std::string& indexFieldNames() const { return indexFieldNames_; }
    const std::string& indexName() const { return indexName_; }
    // The fields of the index in use.
    std::vector<std::string> indexFields();

    // ---- master and detail ----
    // Shows only the records whose leading index fields equal `masterFields` of the master's
    // current record, and follows the master. nullptr removes the link.
    void setMasterSource(DataSet* master, const std::string& masterFields);
    DataSet* masterSource() const { return master_; }
    const std::string& masterFields() const { return masterFields_; }
    // Called by the master when its current record moved or changed.
    void masterChanged();
    // The master field is one of the link's fields.
    bool linkedBy(std::string_view masterField) const;
    // Called by the master when it goes away.
    void masterDestroyed() { master_ = nullptr; }

    // ---- search on the current index ----
    bool findKey(const std::vector<Value>& values);
    // The first record whose key is not less than the values; the end when there is none.
    void findNearest(const std::vector<Value>& values);

    // ---- table operations ----
    void addIndex(const std::string& name, const std::string& fields, bool caseInsensitive = false,
                  bool primary = false, bool unique = false);
    void emptyTable();
    // Creates the table file from a description; fails when it exists.
    void createTable(const TableSchema& schema);
    void deleteTable();

protected:
    std::shared_ptr<SharedTable> openStore() override;
    void closeStore() override;
    OrderedIndex* orderIndex() override;
    bool rangeKey(std::vector<Value>& key) override;
    void fillNewRecord(Row& row) override;
    void storeReset() override;

private:
    void checkClosed(const char* what) const;
    void prepareSearch();
    std::vector<Value> searchKey(const std::vector<Value>& values, bool& representable);
    const IndexDef* currentIndexDef() const;
    template <class Fn> void withStore(Fn fn);

    std::string alias_;
    std::string tableName_;
    bool exclusive_ = false;
    std::string indexFieldNames_;
    std::string indexName_;
    OrderedIndex* index_ = nullptr;
    DataSet* master_ = nullptr;
    std::string masterFields_;
    std::vector<Value> lastRange_;
};

} // namespace store
