#include "store/engine/table.h"

#include "store/engine/session.h"

#include <algorithm>
#include <cctype>

namespace store {

Table::Table(Session& session, std::string name) : DataSet(session, std::move(name)) {}

Table::~Table() {
    try {
        close();
    } catch (...) {
        // closing never fails in a way the caller could still act on
    }
    if (master_) {
        master_->removeDetail(this);
    }
}

void Table::checkClosed(const char* what) const {
    if (active()) {
        throw EngineError(errc::BadState, name_ + ": Cannot change " + what + " of an open table");
    }
}

void Table::setAlias(std::string alias) {
    checkClosed("the alias");
    alias_ = std::move(alias);
}

void Table::setTableName(std::string table) {
    checkClosed("the table name");
    tableName_ = std::move(table);
}

void Table::setExclusive(bool on) {
    checkClosed("the exclusive setting");
    exclusive_ = on;
}

std::filesystem::path Table::filePath() const {
    return session_.resolveTable(alias_, tableName_);
}

bool Table::exists() const {
    std::error_code ec;
    return std::filesystem::exists(filePath(), ec);
}

std::shared_ptr<SharedTable> Table::openStore() {
    if (tableName_.empty()) {
        throw EngineError(errc::NoSuchTable, name_ + ": no table name");
    }
    auto st = session_.acquire(filePath(), exclusive_);
    index_ = nullptr;
    store_ = st;
    try {
        if (const IndexDef* ix = currentIndexDef()) {
            index_ = &st->index(*ix);
        }
        if (master_) {
            const auto mf = splitFieldList(masterFields_);
            const auto fields = indexFields();
            if (fields.size() < mf.size()) {
                throw EngineError(errc::NoSuchIndex,
                                  name_ + ": the index has fewer fields than the master link");
            }
        }
    } catch (...) {
        store_.reset();
        session_.release(st, exclusive_);
        throw;
    }
    return st;
}

void Table::closeStore() {
    index_ = nullptr;
    session_.release(store_, exclusive_);
}

const IndexDef* Table::currentIndexDef() const {
    if (!store_) {
        return nullptr;
    }
    const TableSchema& sc = store_->schema();
    if (!indexName_.empty()) {
        const IndexDef* ix = sc.findIndex(indexName_);
        if (!ix) {
            throw EngineError(errc::NoSuchIndex, name_ + ": Index does not exist: " + indexName_);
        }
        return ix;
    }
    if (!indexFieldNames_.empty()) {
        const IndexDef* ix = sc.indexForFields(splitFieldList(indexFieldNames_));
        if (!ix) {
            throw EngineError(errc::NoSuchIndex,
                              name_ + ": No index for fields '" + indexFieldNames_ + "'");
        }
        return ix;
    }
    return sc.primaryIndex();
}

std::vector<std::string> Table::indexFields() {
    const IndexDef* ix = currentIndexDef();
    if (!ix) {
        return {};
    }
    if (!indexFieldNames_.empty()) {
        return splitFieldList(indexFieldNames_);
    }
    return ix->fields;
}

OrderedIndex* Table::orderIndex() {
    return index_;
}

void Table::storeReset() {
    index_ = nullptr;
    if (store_) {
        if (const IndexDef* ix = currentIndexDef()) {
            index_ = &store_->index(*ix);
        }
    }
}

void Table::setIndexFieldNames(const std::string& fields) {
    const std::string oldFields = indexFieldNames_;
    const std::string oldName = indexName_;
    indexFieldNames_ = fields;
    indexName_.clear();
    if (!active()) {
        return;
    }
    try {
        const IndexDef* ix = currentIndexDef();
        index_ = ix ? &store_->index(*ix) : nullptr;
    } catch (...) {
        indexFieldNames_ = oldFields;
        indexName_ = oldName;
        throw;
    }
    invalidateView();
    notifyDataSetChanged();
}

void Table::setIndexName(const std::string& name) {
    const std::string oldFields = indexFieldNames_;
    const std::string oldName = indexName_;
    indexName_ = name;
    indexFieldNames_.clear();
    if (!active()) {
        return;
    }
    try {
        const IndexDef* ix = currentIndexDef();
        index_ = ix ? &store_->index(*ix) : nullptr;
    } catch (...) {
        indexFieldNames_ = oldFields;
        indexName_ = oldName;
        throw;
    }
    invalidateView();
    notifyDataSetChanged();
}

void Table::setMasterSource(DataSet* master, const std::string& masterFields) {
    if (master_) {
        master_->removeDetail(this);
    }
    master_ = master;
    masterFields_ = master ? masterFields : std::string();
    if (master_) {
        master_->addDetail(this);
    }
    lastRange_.clear();
    if (active()) {
        invalidateView(); // the range changed with the link
        resetToFirst();
    }
}

bool Table::rangeKey(std::vector<Value>& key) {
    if (!master_ || !index_) {
        return false;
    }
    key.clear();
    const auto mf = splitFieldList(masterFields_);
    const auto& cols = index_->columns();
    for (size_t i = 0; i < mf.size() && i < cols.size(); ++i) {
        Value v;
        if (master_->active()) {
            if (Field* f = master_->findField(mf[i])) {
                v = f->value();
            }
        }
        const auto& fd = store_->schema().fields[static_cast<size_t>(cols[i])];
        try {
            key.push_back(coerce(v, fd.type, fd.size));
        } catch (const EngineError&) {
            key.emplace_back();
        }
    }
    lastRange_ = key;
    return true;
}

bool Table::linkedBy(std::string_view masterField) const {
    for (const auto& f : splitFieldList(masterFields_)) {
        if (f.size() == masterField.size() &&
            std::equal(f.begin(), f.end(), masterField.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            })) {
            return true;
        }
    }
    return false;
}

void Table::masterChanged() {
    if (!active()) {
        return;
    }
    // as a detail always did: any change of the master record takes the detail back to its
    // first record within the new range
    if (state() == DataSetState::Edit || state() == DataSetState::Insert) {
        if (modified()) {
            post();
        } else {
            cancel();
        }
    }
    invalidateView();
    resetToFirst();
}

void Table::fillNewRecord(Row& row) {
    if (!master_ || !index_ || !master_->active()) {
        return;
    }
    const auto mf = splitFieldList(masterFields_);
    const auto& cols = index_->columns();
    for (size_t i = 0; i < mf.size() && i < cols.size(); ++i) {
        if (Field* f = master_->findField(mf[i])) {
            const auto& fd = store_->schema().fields[static_cast<size_t>(cols[i])];
            try {
                row[static_cast<size_t>(cols[i])] = coerce(f->value(), fd.type, fd.size);
            } catch (const EngineError&) {
                // a master value the detail field cannot hold stays empty
            }
        }
    }
}

std::vector<Value> Table::searchKey(const std::vector<Value>& values, bool& representable) {
    std::vector<Value> key;
    representable = true;
    const auto& cols = index_->columns();
    for (size_t i = 0; i < values.size() && i < cols.size(); ++i) {
        const auto& fd = store_->schema().fields[static_cast<size_t>(cols[i])];
        try {
            key.push_back(coerce(values[i], fd.type, fd.size));
        } catch (const EngineError&) {
            representable = false; // a value the key field cannot hold
            key.push_back(values[i]);
        }
    }
    return key;
}

void Table::prepareSearch() {
    if (!active()) {
        throw EngineError(errc::NotOpen,
                          name_ + ": Cannot perform this operation on a closed dataset");
    }
    if (state() != DataSetState::Browse) {
        if (modified()) {
            post();
        } else {
            cancel();
        }
    }
    if (!index_) {
        throw EngineError(errc::NoSuchIndex, name_ + ": the table has no index to search");
    }
}

// Both searches go through the index itself, so that they cost the same however the table
// changed since the cursor last moved; hidden records (outside the master range or the
// filter) are passed over.
bool Table::findKey(const std::vector<Value>& values) {
    prepareSearch();
    bool representable = true;
    const std::vector<Value> key = searchKey(values, representable);
    if (!representable) {
        return false;
    }
    const KeyProbe p{key.data(), key.size()};
    const auto& set = index_->set();
    for (auto it = set.lower_bound(p); it != set.end() && index_->compareToProbe(*it, p) == 0;
         ++it) {
        if (visible(*it)) {
            gotoSlot(*it);
            return true;
        }
    }
    return false;
}

void Table::findNearest(const std::vector<Value>& values) {
    prepareSearch();
    bool representable = true;
    const std::vector<Value> key = searchKey(values, representable);
    const KeyProbe p{key.data(), key.size()};
    const auto& set = index_->set();
    for (auto it = set.lower_bound(p); it != set.end(); ++it) {
        if (visible(*it)) {
            gotoSlot(*it);
            return;
        }
    }
    last(); // none is not less: the end
}

template <class Fn> void Table::withStore(Fn fn) {
    if (active()) {
        fn(*store_);
        return;
    }
    auto st = session_.acquire(filePath(), exclusive_);
    struct Release {
        Session& s;
        std::shared_ptr<SharedTable>& t;
        bool ex;
        ~Release() { s.release(t, ex); }
    } release{session_, st, exclusive_};
    fn(*st);
}

void Table::addIndex(const std::string& name, const std::string& fields, bool caseInsensitive,
                     bool primary, bool unique) {
    IndexDef def;
    def.name = name;
    def.fields = splitFieldList(fields);
    def.caseInsensitive = caseInsensitive;
    def.primary = primary;
    def.unique = unique;
    withStore([&](SharedTable& st) { st.addIndex(def); });
    if (active()) {
        const IndexDef* ix = currentIndexDef();
        index_ = ix ? &store_->index(*ix) : nullptr;
        invalidateView();
        notifyDataSetChanged();
    }
}

void Table::emptyTable() {
    if (active()) {
        if (state() != DataSetState::Browse) {
            cancel();
        }
    }
    withStore([&](SharedTable& st) { st.clear(); });
}

void Table::createTable(const TableSchema& schema) {
    checkClosed("the table");
    TableSchema s = schema;
    if (s.tableName.empty()) {
        s.tableName = std::filesystem::path(tableName_).stem().string();
    }
    session_.createTable(filePath(), s);
}

void Table::deleteTable() {
    checkClosed("the table");
    session_.deleteTable(filePath());
}

} // namespace store
