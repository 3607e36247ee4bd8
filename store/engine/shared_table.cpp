#include "store/engine/shared_table.h"

#include "store/engine/collate.h"
#include "store/engine/errors.h"
#include "store/engine/paradox.h"
#include "store/engine/session.h"
#include "store/engine/table_file.h"

#include <algorithm>
#include <cmath>

namespace store {

namespace fs = std::filesystem;

int compareValues(const Value& a, const Value& b, bool caseInsensitive) {
    if (a.isNull() || b.isNull()) {
        return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    }
    if (a.isText() && b.isText()) {
        return collate(a.textValue(), b.textValue(), caseInsensitive);
    }
    if (a.isText() != b.isText()) {
        return a.isText() ? 1 : -1; // numbers before texts
    }
    if (a.isInt() && b.isInt()) {
        const int64_t x = a.intValue();
        const int64_t y = b.intValue();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const double x = a.isInt() ? static_cast<double>(a.intValue()) : a.floatValue();
    const double y = b.isInt() ? static_cast<double>(b.intValue()) : b.floatValue();
    return x < y ? -1 : (x > y ? 1 : 0);
}

// ---------------------------------------------------------------- OrderedIndex

int OrderedIndex::Cmp::keyCompare(uint32_t a, uint32_t b) const {
    const Row& ra = table->row(a);
    const Row& rb = table->row(b);
    for (int c : columns) {
        const int r =
            compareValues(ra[static_cast<size_t>(c)], rb[static_cast<size_t>(c)], caseInsensitive);
        if (r != 0) {
            return r;
        }
    }
    return 0;
}

int OrderedIndex::Cmp::probeCompare(uint32_t a, const KeyProbe& p) const {
    const Row& ra = table->row(a);
    const size_t n = std::min(p.count, columns.size());
    for (size_t i = 0; i < n; ++i) {
        const int r =
            compareValues(ra[static_cast<size_t>(columns[i])], p.values[i], caseInsensitive);
        if (r != 0) {
            return r;
        }
    }
    return 0;
}

bool OrderedIndex::Cmp::operator()(uint32_t a, uint32_t b) const {
    const int r = keyCompare(a, b);
    return r != 0 ? r < 0 : a < b;
}

OrderedIndex::OrderedIndex(const SharedTable& table, IndexDef def, std::vector<int> columns)
    : def_(std::move(def)), cmp_{&table, std::move(columns), def_.caseInsensitive}, set_(cmp_) {}

void OrderedIndex::rebuild(std::vector<int> columns, std::vector<uint32_t> liveSlots) {
    cmp_.columns = std::move(columns);
    set_ = Set(cmp_);
    std::sort(liveSlots.begin(), liveSlots.end(), cmp_);
    for (uint32_t s : liveSlots) {
        set_.insert(set_.end(), s);
    }
}

int OrderedIndex::compareSlots(uint32_t a, uint32_t b) const {
    const int r = cmp_.keyCompare(a, b);
    return r != 0 ? r : (a < b ? -1 : (a > b ? 1 : 0));
}

int OrderedIndex::compareToProbe(uint32_t slot, const KeyProbe& p) const {
    return cmp_.probeCompare(slot, p);
}

// ---------------------------------------------------------------- SharedTable

SharedTable::SharedTable(Session& session, fs::path file)
    : session_(session), path_(std::move(file)) {
    fs::path lockPath = path_;
    lockPath += ".lck";
    lock_ = std::make_unique<FileLock>(lockPath);
}

SharedTable::SharedTable(Session& session, TableSchema schema, std::vector<Row> rows)
    : session_(session), schema_(std::move(schema)), readOnly_(true) {
    slots_.reserve(rows.size());
    for (auto& r : rows) {
        const auto slot = static_cast<uint32_t>(slots_.size());
        byRowid_.emplace(slot + 1, slot);
        slots_.push_back(Slot{slot + 1, std::move(r), true});
    }
    liveCount_ = slots_.size();
}

SharedTable::~SharedTable() {
    try {
        if (file_ && file_->inTransaction()) {
            file_->commit();
        }
    } catch (...) {
        // a commit that fails while closing leaves the file as it was before the group
    }
}

uint32_t SharedTable::slotOfRowid(int64_t rowid) const {
    auto it = byRowid_.find(rowid);
    return it == byRowid_.end() ? kNoSlot : it->second;
}

void SharedTable::hold(bool exclusive) {
    const bool first = sharedHolders_ + exclusiveHolders_ == 0;
    if (lock_) {
        const bool wantExclusive = exclusive || exclusiveHolders_ > 0;
        if (!lock_->set(wantExclusive ? FileLock::Mode::Exclusive : FileLock::Mode::Shared)) {
            throw EngineError(errc::TableBusy, "Table is busy: " + path_.filename().string() +
                                                   " is opened exclusively by another program");
        }
    }
    (exclusive ? exclusiveHolders_ : sharedHolders_)++;
    if (first && lock_) {
        try {
            load();
        } catch (...) {
            (exclusive ? exclusiveHolders_ : sharedHolders_)--;
            lock_->set(FileLock::Mode::None);
            throw;
        }
    }
}

void SharedTable::unhold(bool exclusive) {
    (exclusive ? exclusiveHolders_ : sharedHolders_)--;
    if (!lock_) {
        return;
    }
    if (sharedHolders_ + exclusiveHolders_ == 0) {
        if (file_ && file_->inTransaction()) {
            file_->commit();
        }
        file_.reset();
        lock_->set(FileLock::Mode::None);
    } else if (exclusiveHolders_ == 0) {
        lock_->set(FileLock::Mode::Shared);
    }
}

void SharedTable::load() {
    if (!fs::exists(path_)) {
        throw EngineError(errc::NoSuchTable, "Table does not exist: " + path_.string());
    }
    slots_.clear();
    byRowid_.clear();
    liveCount_ = 0;
    if (TableFile::isTableFile(path_)) {
        paradoxSource_ = false;
        file_ = TableFile::open(path_);
        schema_ = file_->schema();
        file_->loadRows([this](int64_t rowid, Row&& r) {
            const auto slot = static_cast<uint32_t>(slots_.size());
            byRowid_.emplace(rowid, slot);
            slots_.push_back(Slot{rowid, std::move(r), true});
        });
        dataVersion_ = file_->dataVersion();
    } else if (paradox::looksLikeParadox(path_)) {
        loadParadox();
    } else {
        throw EngineError(errc::Corrupt, path_.filename().string() + " is not a table");
    }
    liveCount_ = slots_.size();
    resetIndexes();
    bump();
}

void SharedTable::loadParadox() {
    paradox::Table px = paradox::read(path_);
    paradoxSource_ = true;
    file_.reset();
    schema_ = TableSchema{};
    schema_.tableName = path_.stem().string();
    schema_.fields = std::move(px.fields);
    if (px.keyFieldCount > 0) {
        IndexDef pk;
        pk.name = "Primary";
        pk.primary = true;
        for (int i = 0; i < px.keyFieldCount && i < static_cast<int>(schema_.fields.size()); ++i) {
            pk.fields.push_back(schema_.fields[static_cast<size_t>(i)].name);
        }
        schema_.indexes.push_back(std::move(pk));
    }
    slots_.reserve(px.rows.size());
    for (auto& r : px.rows) {
        r.resize(schema_.fields.size());
        const auto slot = static_cast<uint32_t>(slots_.size());
        byRowid_.emplace(slot + 1, slot);
        slots_.push_back(Slot{slot + 1, std::move(r), true});
    }
}

void SharedTable::resetIndexes() {
    autoMax_.clear();
    hashes_.clear();
    // Index objects stay where they are (handles point at them); their content is rebuilt.
    std::vector<uint32_t> liveSlots;
    liveSlots.reserve(liveCount_);
    for (uint32_t s = 0; s < slots_.size(); ++s) {
        if (slots_[s].live) {
            liveSlots.push_back(s);
        }
    }
    for (auto& ix : indexes_) {
        std::vector<int> cols;
        bool ok = true;
        for (const auto& f : ix->def().fields) {
            const int c = schema_.fieldIndex(f);
            ok = ok && c >= 0;
            cols.push_back(c < 0 ? 0 : c);
        }
        ix->rebuild(ok ? cols : std::vector<int>{}, ok ? liveSlots : std::vector<uint32_t>{});
    }
    for (const auto& ix : schema_.indexes) {
        if (ix.isUnique()) {
            index(ix); // uniqueness is checked on every write
        }
    }
}

bool SharedTable::reloadIfChanged() {
    if (!file_ || file_->inTransaction()) {
        return false;
    }
    const int64_t v = file_->dataVersion();
    if (v == dataVersion_) {
        return false;
    }
    for (auto* l : std::vector<TableListener*>(listeners_)) {
        l->tableAboutToReload();
    }
    load();
    for (auto* l : std::vector<TableListener*>(listeners_)) {
        l->tableReset();
    }
    return true;
}

std::vector<int> SharedTable::columnsOf(const IndexDef& def) const {
    std::vector<int> cols;
    for (const auto& f : def.fields) {
        const int c = schema_.fieldIndex(f);
        if (c < 0) {
            throw EngineError(errc::NoSuchField, "Index " + def.name + ": no field " + f);
        }
        cols.push_back(c);
    }
    return cols;
}

OrderedIndex& SharedTable::index(const IndexDef& def) {
    for (auto& ix : indexes_) {
        if (equalsNoCase(ix->def().name, def.name) && ix->def().fields == def.fields) {
            return *ix;
        }
    }
    auto ix = std::make_unique<OrderedIndex>(*this, def, columnsOf(def));
    std::vector<uint32_t> order;
    order.reserve(liveCount_);
    for (uint32_t s = 0; s < slots_.size(); ++s) {
        if (slots_[s].live) {
            order.push_back(s);
        }
    }
    const auto& cmp = ix->set().key_comp();
    std::sort(order.begin(), order.end(), cmp);
    for (uint32_t s : order) {
        ix->set().insert(ix->set().end(), s);
    }
    indexes_.push_back(std::move(ix));
    return *indexes_.back();
}

static void appendHashPart(std::string& k, const Value& v) {
    {
        if (v.isNull()) {
            k += '\x01';
        } else if (v.isText()) {
            k += '\x02';
            k += v.textValue();
        } else if (v.isInt()) {
            k += '\x03';
            k += std::to_string(v.intValue());
        } else {
            const double d = v.floatValue();
            if (d == std::floor(d) && std::fabs(d) < 9e15) {
                k += '\x03';
                k += std::to_string(static_cast<int64_t>(d));
            } else {
                char buf[40];
                std::snprintf(buf, sizeof buf, "\x04%.17g", d);
                k += buf;
            }
        }
        k += '\0';
    }
}

static std::string hashKey(const Row& row, const std::vector<int>& columns) {
    std::string k;
    for (int c : columns) {
        appendHashPart(k, row[static_cast<size_t>(c)]);
    }
    return k;
}

uint32_t SharedTable::findExact(const std::vector<int>& columns, const std::vector<Value>& key) {
    // an index on exactly these columns, compared case-sensitively, answers directly
    for (auto& ix : indexes_) {
        if (ix->columns() == columns && !ix->caseInsensitive()) {
            KeyProbe p{key.data(), key.size()};
            auto it = ix->set().lower_bound(p);
            if (it != ix->set().end() && ix->compareToProbe(*it, p) == 0) {
                const Row& r = slots_[*it].values;
                bool same = true;
                for (size_t i = 0; i < columns.size() && same; ++i) {
                    same = compareValues(r[static_cast<size_t>(columns[i])], key[i], false) == 0;
                }
                if (same) {
                    return *it;
                }
            }
            return kNoSlot;
        }
    }
    return findHashed(columns, key);
}

uint32_t SharedTable::findHashed(int column, const Value& key) {
    HashIndex& h = hashIndex({column});
    std::string k;
    appendHashPart(k, key);
    auto it = h.map.find(k);
    return it == h.map.end() ? kNoSlot : it->second;
}

uint32_t SharedTable::findHashed(const std::vector<int>& columns, const std::vector<Value>& key) {
    HashIndex& h = hashIndex(columns);
    std::string k;
    for (size_t i = 0; i < columns.size() && i < key.size(); ++i) {
        appendHashPart(k, key[i]);
    }
    auto it = h.map.find(k);
    return it == h.map.end() ? kNoSlot : it->second;
}

SharedTable::HashIndex& SharedTable::hashIndex(const std::vector<int>& columns) {
    HashIndex* h = nullptr;
    for (auto& x : hashes_) {
        if (x.columns == columns) {
            h = &x;
        }
    }
    if (!h) {
        hashes_.push_back(HashIndex{columns, ~0ULL, {}});
        h = &hashes_.back();
    }
    if (h->version != version_) {
        h->map.clear();
        h->map.reserve(liveCount_);
        for (uint32_t s = 0; s < slots_.size(); ++s) {
            if (slots_[s].live) {
                h->map.emplace(hashKey(slots_[s].values, columns), s); // first one wins
            }
        }
        h->version = version_;
    }
    return *h;
}

int64_t SharedTable::autoIncMax(size_t column) {
    if (autoMax_.size() != schema_.fields.size()) {
        autoMax_.assign(schema_.fields.size(), -1);
    }
    if (autoMax_[column] < 0) {
        int64_t m = 0;
        for (const auto& s : slots_) {
            if (s.live && s.values[column].isInt()) {
                m = std::max(m, s.values[column].intValue());
            }
        }
        autoMax_[column] = m;
    }
    return autoMax_[column];
}

void SharedTable::bump() {
    ++version_;
    session_.noteChange();
}

void SharedTable::indexInsert(uint32_t slot) {
    for (auto& ix : indexes_) {
        ix->set().insert(slot);
    }
}

void SharedTable::indexErase(uint32_t slot) {
    for (auto& ix : indexes_) {
        ix->set().erase(slot);
    }
}

void SharedTable::checkUnique(const Row& row, uint32_t self,
                              std::vector<OrderedIndex::Set::const_iterator>* places) const {
    if (places) {
        places->clear();
    }
    std::vector<Value> key;
    for (const auto& ix : indexes_) {
        const IndexDef* current = schema_.findIndex(ix->def().name);
        const bool checked = ix->def().isUnique() && current && current->fields == ix->def().fields;
        key.clear();
        for (int c : ix->columns()) {
            key.push_back(row[static_cast<size_t>(c)]);
        }
        const KeyProbe p{key.data(), key.size()};
        if (!checked) {
            // an index the table no longer has, or one that allows repeats: the new row goes
            // after the rows of its key
            if (places) {
                places->push_back(ix->set().upper_bound(p));
            }
            continue;
        }
        auto it = ix->set().lower_bound(p);
        if (places) {
            places->push_back(it);
        }
        for (; it != ix->set().end() && ix->compareToProbe(*it, p) == 0; ++it) {
            if (*it != self) {
                throw EngineError(errc::KeyViolation, "Key violation in " +
                                                          path_.filename().string() + " (index " +
                                                          ix->def().name + ")");
            }
        }
    }
}

void SharedTable::ensureWritable() {
    if (readOnly_) {
        throw EngineError(errc::ReadOnly, "The table is read-only");
    }
    if (paradoxSource_) {
        // A Paradox table is converted to the engine's own format on its first change; the
        // original file is kept beside it.
        std::vector<Row> rows;
        rows.reserve(liveCount_);
        for (const auto& s : slots_) {
            rows.push_back(s.values);
        }
        fs::path keep = path_;
        keep += ".paradox";
        std::error_code ec;
        fs::copy_file(path_, keep, fs::copy_options::overwrite_existing, ec);
        if (ec) {
            throw EngineError(errc::Io, "cannot keep the original of " + path_.string() + ": " +
                                            ec.message());
        }
        TableFile::createWithRows(path_, schema_, rows);
        file_ = TableFile::open(path_);
        paradoxSource_ = false;
        // rowids of the new file follow the slot order
        byRowid_.clear();
        for (uint32_t s = 0; s < slots_.size(); ++s) {
            slots_[s].rowid = s + 1;
            byRowid_.emplace(s + 1, s);
        }
        dataVersion_ = file_->dataVersion();
    }
    if (!file_) {
        throw EngineError(errc::NotOpen, "The table is not open");
    }
    if (!file_->inTransaction() && file_->dataVersion() != dataVersion_) {
        // another program changed the file: work on its current rows
        reloadIfChanged();
    }
    openTransactionIfGrouped();
}

void SharedTable::openTransactionIfGrouped() {
    if (groupDepth_ > 0 && file_ && !file_->inTransaction()) {
        file_->begin();
    }
}

uint32_t SharedTable::insert(Row row) {
    ensureWritable();
    row.resize(schema_.fields.size());
    std::vector<OrderedIndex::Set::const_iterator> places;
    checkUnique(row, kNoSlot, &places);
    TableFile::Tx tx(*file_);
    for (size_t i = 0; i < schema_.fields.size(); ++i) {
        if (schema_.fields[i].type == FieldType::AutoInc) {
            const int64_t maxSeen = autoIncMax(i);
            if (row[i].isNull()) {
                row[i] = Value(file_->takeAutoInc(static_cast<int>(i), maxSeen + 1));
            } else {
                file_->takeAutoInc(static_cast<int>(i), std::max(maxSeen, row[i].intValue()) + 1);
            }
        }
    }
    const int64_t rowid = file_->insert(row);
    tx.done();
    for (size_t i = 0; i < autoMax_.size(); ++i) {
        if (autoMax_[i] >= 0 && row[i].isInt()) {
            autoMax_[i] = std::max(autoMax_[i], row[i].intValue());
        }
    }
    const auto slot = static_cast<uint32_t>(slots_.size());
    slots_.push_back(Slot{rowid, std::move(row), true});
    byRowid_.emplace(rowid, slot);
    ++liveCount_;
    // the searches of the key check told where the row goes in each index
    for (size_t i = 0; i < indexes_.size(); ++i) {
        indexes_[i]->set().insert(places[i], slot);
    }
    bump();
    for (auto* l : std::vector<TableListener*>(listeners_)) {
        l->rowInserted(slot);
    }
    return slot;
}

void SharedTable::update(uint32_t slot, Row row) {
    ensureWritable();
    row.resize(schema_.fields.size());
    if (slot >= slots_.size() || !slots_[slot].live) {
        throw EngineError(errc::BadState, "Record has been deleted");
    }
    checkUnique(row, slot, nullptr);
    file_->update(slots_[slot].rowid, row);
    indexErase(slot);
    Row before = std::move(slots_[slot].values);
    slots_[slot].values = std::move(row);
    indexInsert(slot);
    bump();
    for (auto* l : std::vector<TableListener*>(listeners_)) {
        l->rowUpdated(slot, before);
    }
}

void SharedTable::checkReferences(uint32_t slot) {
    const std::string me = lowerAscii(path_.stem().string());
    for (const auto& ref : session_.references()) {
        if (lowerAscii(ref.parentTable) != me) {
            continue;
        }
        std::vector<Value> key;
        for (const auto& f : ref.parentFields) {
            const int c = schema_.fieldIndex(f);
            if (c < 0) {
                key.clear();
                break;
            }
            key.push_back(slots_[slot].values[static_cast<size_t>(c)]);
        }
        if (key.empty() ||
            std::all_of(key.begin(), key.end(), [](const Value& v) { return v.isNull(); })) {
            continue;
        }
        const fs::path childFile =
            session_.resolveTable("", (path_.parent_path() / (ref.childTable)).string());
        if (!fs::exists(childFile)) {
            continue;
        }
        auto child = session_.acquire(childFile, false);
        struct Release {
            Session& s;
            std::shared_ptr<SharedTable>& t;
            ~Release() { s.release(t, false); }
        } release{session_, child};
        std::vector<int> cols;
        for (const auto& f : ref.childFields) {
            const int c = child->schema().fieldIndex(f);
            if (c < 0) {
                cols.clear();
                break;
            }
            cols.push_back(c);
        }
        if (cols.empty()) {
            continue;
        }
        std::vector<Value> typed;
        for (size_t i = 0; i < cols.size(); ++i) {
            const auto& fd = child->schema().fields[static_cast<size_t>(cols[i])];
            try {
                typed.push_back(coerce(key[i], fd.type, fd.size));
            } catch (const EngineError&) {
                typed.emplace_back();
            }
        }
        if (child->findExact(cols, typed) != kNoSlot) {
            throw EngineError(errc::DetailRecordsExist,
                              "Master has detail records. Cannot delete or modify (" +
                                  ref.childTable + ")");
        }
    }
}

void SharedTable::remove(uint32_t slot) {
    ensureWritable();
    if (slot >= slots_.size() || !slots_[slot].live) {
        throw EngineError(errc::BadState, "Record has been deleted");
    }
    checkReferences(slot);
    file_->remove(slots_[slot].rowid);
    indexErase(slot);
    slots_[slot].live = false;
    byRowid_.erase(slots_[slot].rowid);
    --liveCount_;
    bump();
    for (auto* l : std::vector<TableListener*>(listeners_)) {
        l->rowDeleted(slot);
    }
}

void SharedTable::clear() {
    ensureWritable();
    file_->removeAll();
    slots_.clear();
    byRowid_.clear();
    liveCount_ = 0;
    resetIndexes();
    bump();
    for (auto* l : std::vector<TableListener*>(listeners_)) {
        l->tableReset();
    }
}

void SharedTable::addIndex(IndexDef def) {
    if (def.name.empty() && !def.primary) {
        throw EngineError(errc::BadState, "An index needs a name");
    }
    for (const auto& ix : schema_.indexes) {
        if (!def.name.empty() && equalsNoCase(ix.name, def.name) && !(def.primary && ix.primary)) {
            throw EngineError(errc::IndexExists, "Index already exists: " + def.name);
        }
    }
    if (def.primary) {
        def.unique = true;
    }
    // the new index must hold for the rows already there
    if (def.isUnique()) {
        OrderedIndex check(*this, def, columnsOf(def));
        for (uint32_t s = 0; s < slots_.size(); ++s) {
            if (slots_[s].live) {
                check.set().insert(s);
            }
        }
        const auto& set = check.set();
        for (auto it = set.begin(); it != set.end(); ++it) {
            auto nx = std::next(it);
            if (nx != set.end() && set.key_comp().keyCompare(*it, *nx) == 0) {
                throw EngineError(errc::KeyViolation, "Key violation: the rows of " +
                                                          path_.filename().string() +
                                                          " repeat the key of " + def.name);
            }
        }
    }
    ensureWritable();
    TableSchema next = schema_;
    if (def.primary) {
        // a table has one primary index: a new one takes the place of the old
        auto old = std::find_if(next.indexes.begin(), next.indexes.end(),
                                [](const IndexDef& ix) { return ix.primary; });
        if (old != next.indexes.end()) {
            next.indexes.erase(old);
            std::vector<Row> rows;
            for (const auto& s : slots_) {
                if (s.live) {
                    rows.push_back(s.values);
                }
            }
            next.indexes.insert(next.indexes.begin(), def);
            if (file_->inTransaction()) {
                file_->commit();
            }
            file_.reset();
            TableFile::createWithRows(path_, next, rows);
            load();
            openTransactionIfGrouped();
            for (auto* l : std::vector<TableListener*>(listeners_)) {
                l->tableReset();
            }
            return;
        }
    }
    file_->addIndex(def);
    schema_ = file_->schema();
    if (def.isUnique()) {
        index(def);
    }
    bump();
}

void SharedTable::beginGroup() {
    if (groupDepth_++ == 0) {
        // the transaction opens with the first write of the stretch
    }
}

void SharedTable::endGroup() {
    if (groupDepth_ > 0 && --groupDepth_ == 0) {
        flush();
    }
}

void SharedTable::flush() {
    if (file_ && file_->inTransaction()) {
        file_->commit();
        dataVersion_ = file_->dataVersion();
    }
}

void SharedTable::addListener(TableListener* l) {
    listeners_.push_back(l);
}

void SharedTable::removeListener(TableListener* l) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), l), listeners_.end());
}

} // namespace store
