#include "store/engine/dataset.h"

#include "store/engine/session.h"
#include "store/engine/table.h"
#include "store/format/format.h"

#include <algorithm>
#include <cmath>

namespace store {

// ================================================================ Field

Value Field::value() const {
    return ds_->readField(*this);
}

bool Field::isNull() const {
    return value().isNull();
}

std::string Field::asString() const {
    const Value v = value();
    if (v.isNull()) {
        return {};
    }
    if (v.isText()) {
        return v.textValue();
    }
    switch (type_) {
    case FieldType::Bool:
        return v.isInt() && v.intValue() != 0 ? "True" : "False";
    case FieldType::Date:
        return v.isInt() ? fmt::formatDate(Date::fromDays(v.intValue())) : std::string();
    case FieldType::Float:
        return fmt::formatGeneral(v.isFloat() ? v.floatValue() : static_cast<double>(v.intValue()));
    default:
        if (v.isFloat()) {
            return fmt::formatGeneral(v.floatValue());
        }
        return std::to_string(v.intValue());
    }
}

int64_t Field::asInteger() const {
    const Value v = value();
    if (v.isNull()) {
        return 0;
    }
    if (v.isInt()) {
        return v.intValue();
    }
    if (v.isFloat()) {
        return fmt::roundToInt(v.floatValue());
    }
    if (auto i = fmt::parseInt(v.textValue())) {
        return *i;
    }
    throw EngineError(errc::MaxValue, "'" + v.textValue() + "' is not a valid integer value");
}

double Field::asFloat() const {
    const Value v = value();
    if (v.isNull()) {
        return 0.0;
    }
    if (v.isFloat()) {
        return v.floatValue();
    }
    if (v.isInt()) {
        return static_cast<double>(v.intValue());
    }
    if (auto d = fmt::parseNumber(v.textValue())) {
        return *d;
    }
    throw EngineError(errc::MaxValue,
                      "'" + v.textValue() + "' is not a valid floating point value");
}

bool Field::asBoolean() const {
    const Value v = value();
    if (v.isNull()) {
        return false;
    }
    if (v.isText()) {
        return coerce(v, FieldType::Bool, 0).intValue() != 0;
    }
    return v.isInt() ? v.intValue() != 0 : v.floatValue() != 0.0;
}

Date Field::asDate() const {
    const Value v = value();
    if (v.isNull()) {
        return Date{};
    }
    if (v.isText()) {
        return Date::fromDays(coerce(v, FieldType::Date, 0).intValue());
    }
    return Date::fromDays(v.isInt() ? v.intValue() : static_cast<int64_t>(v.floatValue()));
}

void Field::setValue(const Value& v) {
    ds_->writeField(*this, v);
}

// ================================================================ DataSet

DataSet::DataSet(Session& session, std::string name) : session_(session), name_(std::move(name)) {}

DataSet::~DataSet() {
    for (auto* o : std::vector<DataSetObserver*>(observers_)) {
        o->dataSetDestroyed(*this);
    }
    // details outlive their master only unlinked
    for (Table* d : std::vector<Table*>(details_)) {
        d->masterDestroyed();
    }
    if (store_) {
        store_->removeListener(this);
    }
}

void DataSet::checkActive() const {
    if (state_ == DataSetState::Inactive) {
        throw EngineError(errc::NotOpen,
                          name_ + ": Cannot perform this operation on a closed dataset");
    }
}

void DataSet::declareField(FieldDecl decl) {
    if (active()) {
        throw EngineError(errc::BadState, name_ + ": fields are declared before opening");
    }
    decls_.push_back(std::move(decl));
}

void DataSet::addLookupField(LookupDef def) {
    if (active()) {
        throw EngineError(errc::BadState, name_ + ": fields are declared before opening");
    }
    lookups_.push_back(std::move(def));
}

void DataSet::addCalcField(CalcDef def) {
    if (active()) {
        throw EngineError(errc::BadState, name_ + ": fields are declared before opening");
    }
    calcs_.push_back(std::move(def));
}

void DataSet::setLookupResultField(const std::string& lookupName, const std::string& resultField) {
    if (active()) {
        throw EngineError(errc::BadState, name_ + ": fields are declared before opening");
    }
    for (auto& l : lookups_) {
        if (equalsNoCase(l.name, lookupName) && !l.steps.empty()) {
            l.steps.back().resultField = resultField;
            return;
        }
    }
    throw EngineError(errc::NoSuchField, name_ + ": Field '" + lookupName + "' not found");
}

const TableSchema& DataSet::schema() const {
    checkActive();
    return store_->schema();
}

Field& DataSet::fieldByName(std::string_view name) {
    if (Field* f = findField(name)) {
        return *f;
    }
    throw EngineError(errc::NoSuchField, name_ + ": Field '" + std::string(name) + "' not found");
}

Field* DataSet::findField(std::string_view name) {
    for (auto& f : fields_) {
        if (equalsNoCase(f->name(), name)) {
            return f.get();
        }
    }
    return nullptr;
}

std::vector<std::string> DataSet::fieldNames() const {
    std::vector<std::string> out;
    for (const auto& f : fields_) {
        out.push_back(f->name());
    }
    return out;
}

void DataSet::buildFields() {
    fields_.clear();
    const TableSchema& sc = store_->schema();
    auto add = [&](std::unique_ptr<Field> f) {
        f->ds_ = this;
        f->index_ = static_cast<int>(fields_.size());
        fields_.push_back(std::move(f));
    };
    bool anyStored = false;
    for (const auto& d : decls_) {
        anyStored = true;
        const int col = sc.fieldIndex(d.name);
        if (col < 0) {
            throw EngineError(errc::NoSuchField, name_ + ": Field '" + d.name + "' not found");
        }
        const FieldDef& fd = sc.fields[static_cast<size_t>(col)];
        auto f = std::make_unique<Field>();
        f->name_ = fd.name;
        f->type_ = fd.type;
        f->size_ = fd.type == FieldType::Text && d.size > 0 ? d.size : fd.size;
        f->required_ = d.required.value_or(fd.required);
        f->default_ = d.defaultValue.value_or(fd.defaultValue);
        f->readOnly_ = d.readOnly || fd.type == FieldType::AutoInc;
        f->column_ = col;
        f->displayFormat = d.displayFormat;
        f->editMask = d.editMask;
        f->displayLabel = d.displayLabel.empty() ? fd.name : d.displayLabel;
        f->displayWidth = d.displayWidth;
        add(std::move(f));
    }
    if (!anyStored) {
        for (size_t c = 0; c < sc.fields.size(); ++c) {
            const FieldDef& fd = sc.fields[c];
            auto f = std::make_unique<Field>();
            f->name_ = fd.name;
            f->type_ = fd.type;
            f->size_ = fd.size;
            f->required_ = fd.required;
            f->default_ = fd.defaultValue;
            f->readOnly_ = fd.type == FieldType::AutoInc;
            f->column_ = static_cast<int>(c);
            f->displayLabel = fd.name;
            add(std::move(f));
        }
    }
    for (auto& f : fields_) {
        f->alignment = (f->type_ == FieldType::Text || f->type_ == FieldType::Bool ||
                        f->type_ == FieldType::Date)
                           ? Alignment::Left
                           : Alignment::Right;
    }
    for (const auto& l : lookups_) {
        auto f = std::make_unique<Field>();
        f->name_ = l.name;
        f->type_ = l.type;
        f->size_ = l.type == FieldType::Text ? (l.size > 0 ? l.size : 20) : 0;
        f->kind_ = FieldKind::Lookup;
        f->readOnly_ = true;
        f->lookup_ = &l;
        f->displayLabel = l.name;
        f->alignment = l.type == FieldType::Text ? Alignment::Left : Alignment::Right;
        add(std::move(f));
    }
    int calcIndex = 0;
    for (const auto& c : calcs_) {
        auto f = std::make_unique<Field>();
        f->name_ = c.name;
        f->type_ = c.type;
        f->size_ = c.type == FieldType::Text ? (c.size > 0 ? c.size : 20) : 0;
        f->kind_ = FieldKind::Calculated;
        f->calcSlot_ = calcIndex++;
        f->displayLabel = c.name;
        f->alignment = c.type == FieldType::Text ? Alignment::Left : Alignment::Right;
        add(std::move(f));
    }
    calc_.assign(calcs_.size(), Value());
    calcStamp_ = 0;

    // lookups: resolve their key fields here and their tables' columns
    lookupStores_.clear();
    for (auto& f : fields_) {
        if (f->kind_ != FieldKind::Lookup) {
            continue;
        }
        const LookupDef& l = *f->lookup_;
        if (l.steps.empty()) {
            throw EngineError(errc::BadState, name_ + ": lookup " + l.name + " has no table");
        }
        f->keyFieldIndexes_.clear();
        for (const auto& k : l.keyFields) {
            Field* kf = findField(k);
            if (!kf || kf->kind_ == FieldKind::Calculated) {
                throw EngineError(errc::NoSuchField,
                                  name_ + ": lookup " + l.name + ": key field " + k + " not found");
            }
            f->keyFieldIndexes_.push_back(kf->index_);
        }
        f->lookupColumns_.clear();
        f->lookupResult_.clear();
        f->lookupStoreIndex_.clear();
        for (const auto& step : l.steps) {
            const std::string alias = step.lookupAlias.empty() && dynamic_cast<Table*>(this)
                                          ? static_cast<Table*>(this)->alias()
                                          : step.lookupAlias;
            const auto file = session_.resolveTable(alias, step.lookupTable);
            auto st = session_.acquire(file, false);
            f->lookupStoreIndex_.push_back(static_cast<int>(lookupStores_.size()));
            lookupStores_.push_back(st);
            std::vector<int> cols;
            for (const auto& k : step.lookupKeyFields) {
                const int c = st->schema().fieldIndex(k);
                if (c < 0) {
                    throw EngineError(errc::NoSuchField, name_ + ": lookup " + l.name +
                                                             ": no field " + k + " in " +
                                                             step.lookupTable);
                }
                cols.push_back(c);
            }
            const int rc = st->schema().fieldIndex(step.resultField);
            if (rc < 0) {
                throw EngineError(errc::NoSuchField, name_ + ": lookup " + l.name + ": no field " +
                                                         step.resultField + " in " +
                                                         step.lookupTable);
            }
            f->lookupColumns_.push_back(std::move(cols));
            f->lookupResult_.push_back(rc);
        }
    }
}

void DataSet::open() {
    if (active()) {
        return;
    }
    doEvent(beforeOpen);
    store_ = openStore();
    try {
        buildFields();
    } catch (...) {
        for (auto& s : lookupStores_) {
            session_.release(s, false);
        }
        lookupStores_.clear();
        closeStore();
        store_.reset();
        fields_.clear();
        throw;
    }
    store_->addListener(this);
    state_ = DataSetState::Browse;
    viewValid_ = false;
    curSlot_ = kNoSlot;
    ensureView();
    pos_ = view_.empty() ? -1 : 0;
    curSlot_ = view_.empty() ? kNoSlot : view_[0];
    bof_ = true;
    eof_ = view_.empty();
    notifyStateChanged();
    notifyDataSetChanged();
    doEvent(afterOpen);
    if (!view_.empty()) {
        doEvent(afterScroll);
    }
    notifyDetails();
}

void DataSet::close() {
    if (!active()) {
        return;
    }
    doEvent(beforeClose);
    // an edit that was not posted is dropped, as closing always did
    state_ = DataSetState::Inactive;
    buffer_.clear();
    modified_ = false;
    if (store_) {
        store_->removeListener(this);
    }
    while (disableCount_ > 0) {
        // a stretch left open ends with the handle
        --disableCount_;
        if (store_) {
            store_->endGroup();
        }
    }
    for (auto& s : lookupStores_) {
        session_.release(s, false);
    }
    lookupStores_.clear();
    closeStore();
    store_.reset();
    fields_.clear();
    view_.clear();
    viewValid_ = false;
    pos_ = -1;
    curSlot_ = kNoSlot;
    bof_ = eof_ = true;
    notifyStateChanged();
    notifyDataSetChanged();
    doEvent(afterClose);
    notifyDetails();
}

// ---------------------------------------------------------------- view

bool DataSet::passesFilter(uint32_t slot) {
    if (!filtered_ || !onFilterRecord || inFilter_) {
        return true;
    }
    const uint32_t savedSlot = activeSlot_;
    const bool savedOther = activeIsOther_;
    activeSlot_ = slot;
    activeIsOther_ = true;
    inFilter_ = true;
    bool ok = false;
    try {
        ok = onFilterRecord(*this);
    } catch (...) {
        inFilter_ = false;
        activeSlot_ = savedSlot;
        activeIsOther_ = savedOther;
        throw;
    }
    inFilter_ = false;
    activeSlot_ = savedSlot;
    activeIsOther_ = savedOther;
    return ok;
}

int DataSet::compareInOrder(uint32_t a, uint32_t b) const {
    OrderedIndex* ix = const_cast<DataSet*>(this)->orderIndex();
    if (ix) {
        return ix->compareSlots(a, b);
    }
    return a < b ? -1 : (a > b ? 1 : 0);
}

int DataSet::insertionPoint(uint32_t slot) const {
    auto it = std::lower_bound(view_.begin(), view_.end(), slot,
                               [&](uint32_t x, uint32_t s) { return compareInOrder(x, s) < 0; });
    return static_cast<int>(it - view_.begin());
}

int DataSet::positionOf(uint32_t slot) const {
    const int p = insertionPoint(slot);
    if (p < static_cast<int>(view_.size()) && view_[static_cast<size_t>(p)] == slot) {
        return p;
    }
    return -1;
}

void DataSet::ensureView() {
    if (viewValid_ || !store_) {
        return;
    }
    view_.clear();
    OrderedIndex* ix = orderIndex();
    std::vector<Value> range;
    const bool ranged = rangeKey(range);
    if (ix) {
        auto& set = ix->set();
        auto b = set.begin();
        auto e = set.end();
        if (ranged) {
            KeyProbe p{range.data(), range.size()};
            b = set.lower_bound(p);
            e = set.upper_bound(p);
        }
        for (auto it = b; it != e; ++it) {
            if (passesFilter(*it)) {
                view_.push_back(*it);
            }
        }
    } else {
        for (uint32_t s = 0; s < store_->slotCount(); ++s) {
            if (store_->live(s) && passesFilter(s)) {
                view_.push_back(s);
            }
        }
    }
    viewValid_ = true;
    // keep the current record; a record that is gone leaves the cursor on the one after it
    if (view_.empty()) {
        pos_ = -1;
        curSlot_ = kNoSlot;
        bof_ = eof_ = true;
        return;
    }
    if (curSlot_ == kNoSlot || curSlot_ >= store_->slotCount()) {
        pos_ = 0;
        curSlot_ = view_[0];
        return;
    }
    const int p = insertionPoint(curSlot_);
    if (p < static_cast<int>(view_.size()) && view_[static_cast<size_t>(p)] == curSlot_) {
        pos_ = p;
    } else {
        pos_ = std::min(p, static_cast<int>(view_.size()) - 1);
        curSlot_ = view_[static_cast<size_t>(pos_)];
    }
}

bool DataSet::inViewOrder(uint32_t slot) const {
    return positionOf(slot) >= 0;
}

bool DataSet::inRange(uint32_t slot) {
    std::vector<Value> range;
    if (!rangeKey(range)) {
        return true;
    }
    OrderedIndex* ix = orderIndex();
    return !ix || ix->compareToProbe(slot, KeyProbe{range.data(), range.size()}) == 0;
}

// Small views follow single inserts and deletes in place; a large one is worked out again
// when it is next needed, so that a long loop of appends does not pay for it on every row.
static constexpr size_t kIncrementalViewLimit = 20000;

void DataSet::rowInserted(uint32_t slot) {
    if (viewValid_) {
        if (view_.size() > kIncrementalViewLimit) {
            viewValid_ = false;
        } else if (inRange(slot) && passesFilter(slot)) {
            const int p = insertionPoint(slot);
            view_.insert(view_.begin() + p, slot);
            if (pos_ >= p) {
                ++pos_;
            }
            if (pos_ < 0) {
                pos_ = 0;
                curSlot_ = view_[0];
            }
        }
    }
    notifyDataSetChanged();
}

void DataSet::rowUpdated(uint32_t slot, const Row& before) {
    if (viewValid_) {
        OrderedIndex* ix = orderIndex();
        bool orderChanged = false;
        if (ix) {
            const Row& now = store_->row(slot);
            for (int c : ix->columns()) {
                if (!(now[static_cast<size_t>(c)] == before[static_cast<size_t>(c)])) {
                    orderChanged = true;
                }
            }
        }
        if (orderChanged) {
            viewValid_ = false;
        } else if (filtered_ && onFilterRecord) {
            if (passesFilter(slot) != inViewOrder(slot)) {
                viewValid_ = false;
            }
        }
    }
    if (!viewValid_) {
        notifyDataSetChanged();
    } else {
        notifyRecordChanged();
    }
    if (slot == curSlot_) {
        notifyDetails();
    }
}

void DataSet::rowDeleted(uint32_t slot) {
    if (viewValid_) {
        // a deleted row keeps its values, so its place in the order is still known
        const int p = positionOf(slot);
        if (p >= 0) {
            view_.erase(view_.begin() + p);
            if (view_.empty()) {
                pos_ = -1;
                curSlot_ = kNoSlot;
            } else {
                if (pos_ > p) {
                    --pos_;
                }
                pos_ = std::min(pos_, static_cast<int>(view_.size()) - 1);
                curSlot_ = view_[static_cast<size_t>(pos_)];
            }
        }
    }
    notifyDataSetChanged();
}

void DataSet::tableAboutToReload() {
    reloadRowid_ = (curSlot_ != kNoSlot && curSlot_ < store_->slotCount()) ? store_->rowid(curSlot_) : 0;
}

void DataSet::tableReset() {
    storeReset();
    viewValid_ = false;
    // rows reread from the file keep their rowids; otherwise the position is gone
    curSlot_ = reloadRowid_ != 0 ? store_->slotOfRowid(reloadRowid_) : kNoSlot;
    reloadRowid_ = 0;
    calcStamp_ = 0;
    // An edit in progress is kept: its post writes over the reread record, or fails when
    // that record is gone.
    notifyDataSetChanged();
}

// ---------------------------------------------------------------- observers

void DataSet::notifyDataSetChanged() {
    if (disableCount_ > 0) {
        pendingChange_ = true;
        return;
    }
    for (auto* o : std::vector<DataSetObserver*>(observers_)) {
        o->dataSetChanged(*this);
    }
}

void DataSet::notifyRecordChanged() {
    if (disableCount_ > 0) {
        pendingChange_ = true;
        return;
    }
    for (auto* o : std::vector<DataSetObserver*>(observers_)) {
        o->recordChanged(*this);
    }
}

void DataSet::notifyStateChanged() {
    if (disableCount_ > 0) {
        pendingChange_ = true;
        return;
    }
    for (auto* o : std::vector<DataSetObserver*>(observers_)) {
        o->stateChanged(*this);
    }
}

void DataSet::notifyDetails(const Field* changed) {
    if (disableCount_ > 0) {
        pendingChange_ = true;
        return;
    }
    for (auto* d : std::vector<Table*>(details_)) {
        // a change of a field the detail is not linked by leaves the detail where it is
        if (changed == nullptr || d->linkedBy(changed->name())) {
            d->masterChanged();
        }
    }
}

void DataSet::addObserver(DataSetObserver* o) {
    observers_.push_back(o);
}

void DataSet::removeObserver(DataSetObserver* o) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), o), observers_.end());
}

void DataSet::addDetail(Table* d) {
    if (std::find(details_.begin(), details_.end(), d) == details_.end()) {
        details_.push_back(d);
    }
}

void DataSet::removeDetail(Table* d) {
    details_.erase(std::remove(details_.begin(), details_.end(), d), details_.end());
}

void DataSet::disableControls() {
    if (disableCount_++ == 0) {
        pendingChange_ = false;
    }
    if (store_) {
        store_->beginGroup();
    }
    if (disableCount_ == 1) {
        for (auto* o : std::vector<DataSetObserver*>(observers_)) {
            o->controlsDisabledChanged(*this);
        }
    }
}

void DataSet::enableControls() {
    if (disableCount_ == 0) {
        return;
    }
    --disableCount_;
    if (store_) {
        store_->endGroup(); // commits when the last stretch on the table ends
    }
    if (disableCount_ == 0) {
        for (auto* o : std::vector<DataSetObserver*>(observers_)) {
            o->controlsDisabledChanged(*this);
        }
        if (pendingChange_) {
            pendingChange_ = false;
            notifyStateChanged();
            notifyDataSetChanged();
            notifyDetails();
        }
    }
}

// ---------------------------------------------------------------- navigation

void DataSet::checkBrowseMode() {
    checkActive();
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) {
        if (modified_ || state_ == DataSetState::Edit) {
            if (modified_) {
                post();
            } else {
                cancel();
            }
        } else {
            cancel();
        }
    }
}

void DataSet::moveTo(int pos) {
    ensureView();
    if (view_.empty()) {
        pos_ = -1;
        curSlot_ = kNoSlot;
        return;
    }
    pos_ = std::clamp(pos, 0, static_cast<int>(view_.size()) - 1);
    curSlot_ = view_[static_cast<size_t>(pos_)];
}

void DataSet::first() {
    checkBrowseMode();
    doEvent(beforeScroll);
    ensureView();
    moveTo(0);
    bof_ = true;
    eof_ = view_.empty();
    notifyRecordChanged();
    doEvent(afterScroll);
    notifyDetails();
}

void DataSet::last() {
    checkBrowseMode();
    doEvent(beforeScroll);
    ensureView();
    moveTo(static_cast<int>(view_.size()) - 1);
    eof_ = true;
    bof_ = view_.empty();
    notifyRecordChanged();
    doEvent(afterScroll);
    notifyDetails();
}

int DataSet::moveBy(int distance) {
    checkBrowseMode();
    doEvent(beforeScroll);
    ensureView();
    int moved = 0;
    if ((distance > 0 && !eof_) || (distance < 0 && !bof_)) {
        bof_ = false;
        eof_ = false;
        const int size = static_cast<int>(view_.size());
        const int target = pos_ + distance;
        if (size == 0) {
            bof_ = eof_ = true;
        } else if (target >= size) {
            moved = size - 1 - pos_;
            moveTo(size - 1);
            eof_ = true;
        } else if (target < 0) {
            moved = -pos_;
            moveTo(0);
            bof_ = true;
        } else {
            moved = distance;
            moveTo(target);
        }
        notifyRecordChanged();
    }
    doEvent(afterScroll);
    if (moved != 0) {
        notifyDetails();
    }
    return moved;
}

void DataSet::next() {
    moveBy(1);
}
void DataSet::prior() {
    moveBy(-1);
}

bool DataSet::isEmpty() {
    checkActive();
    if (state_ == DataSetState::Insert) {
        return false;
    }
    ensureView();
    return view_.empty();
}

int DataSet::recNo() {
    checkActive();
    ensureView();
    return pos_ < 0 ? 0 : pos_ + 1;
}

void DataSet::setRecNo(int n) {
    checkBrowseMode();
    ensureView();
    if (view_.empty()) {
        return;
    }
    doEvent(beforeScroll);
    moveTo(n - 1);
    bof_ = pos_ == 0 && n <= 1;
    eof_ = false;
    notifyRecordChanged();
    doEvent(afterScroll);
    notifyDetails();
}

int DataSet::recordCount() {
    checkActive();
    ensureView();
    return static_cast<int>(view_.size());
}

int DataSet::currentRow() {
    checkActive();
    ensureView();
    return pos_;
}

Bookmark DataSet::bookmark() const {
    if (!active() || curSlot_ == kNoSlot) {
        return 0;
    }
    return store_->rowid(curSlot_);
}

bool DataSet::bookmarkValid(Bookmark b) {
    if (!active() || b == 0) {
        return false;
    }
    const uint32_t s = store_->slotOfRowid(b);
    if (s == kNoSlot || !store_->live(s)) {
        return false;
    }
    ensureView();
    return inViewOrder(s);
}

void DataSet::gotoBookmark(Bookmark b) {
    checkBrowseMode();
    if (!bookmarkValid(b)) {
        throw EngineError(errc::BadState, name_ + ": Record not found");
    }
    doEvent(beforeScroll);
    const uint32_t s = store_->slotOfRowid(b);
    moveTo(positionOf(s));
    bof_ = eof_ = false;
    notifyRecordChanged();
    doEvent(afterScroll);
    notifyDetails();
}

static bool textEquals(const Value& a, const Value& b, const LocateOptions& o) {
    if (a.isNull() || b.isNull()) {
        return a.isNull() && b.isNull();
    }
    if (a.isText() && b.isText()) {
        const std::string& x = a.textValue();
        const std::string& y = b.textValue();
        if (o.partialKey) {
            if (x.size() < y.size()) {
                return false;
            }
            return o.caseInsensitive ? fmt::upperHu(x.substr(0, y.size())) == fmt::upperHu(y)
                                     : x.compare(0, y.size(), y) == 0;
        }
        return o.caseInsensitive ? fmt::upperHu(x) == fmt::upperHu(y) : x == y;
    }
    return compareValues(a, b, false) == 0;
}

bool DataSet::locate(const std::vector<std::string>& names, const std::vector<Value>& values,
                     LocateOptions options) {
    checkBrowseMode();
    if (names.size() != values.size()) {
        throw EngineError(errc::BadState, name_ + ": locate needs one value per field");
    }
    std::vector<Field*> fs;
    std::vector<Value> want;
    for (size_t i = 0; i < names.size(); ++i) {
        Field& f = fieldByName(names[i]);
        fs.push_back(&f);
        Value v = values[i];
        if (!(f.type() == FieldType::Text && options.partialKey)) {
            try {
                v = coerce(v, f.type(), f.type() == FieldType::Text ? 1 << 20 : 0);
            } catch (const EngineError&) {
                return false;
            }
        }
        want.push_back(v);
    }
    ensureView();
    for (size_t p = 0; p < view_.size(); ++p) {
        const uint32_t savedSlot = activeSlot_;
        const bool savedOther = activeIsOther_;
        activeSlot_ = view_[p];
        activeIsOther_ = true;
        bool all = true;
        for (size_t i = 0; i < fs.size() && all; ++i) {
            all = textEquals(fs[i]->value(), want[i], options);
        }
        activeSlot_ = savedSlot;
        activeIsOther_ = savedOther;
        if (all) {
            doEvent(beforeScroll);
            moveTo(static_cast<int>(p));
            bof_ = eof_ = false;
            notifyRecordChanged();
            doEvent(afterScroll);
            notifyDetails();
            return true;
        }
    }
    return false;
}

Value DataSet::lookup(const std::vector<std::string>& names, const std::vector<Value>& values,
                      const std::string& resultField) {
    checkActive();
    ensureView();
    Field& result = fieldByName(resultField);
    std::vector<Field*> fs;
    std::vector<Value> want;
    for (size_t i = 0; i < names.size(); ++i) {
        Field& f = fieldByName(names[i]);
        fs.push_back(&f);
        try {
            want.push_back(coerce(i < values.size() ? values[i] : Value(), f.type(),
                                  f.type() == FieldType::Text ? 1 << 20 : 0));
        } catch (const EngineError&) {
            return {};
        }
    }
    for (uint32_t slot : view_) {
        const uint32_t savedSlot = activeSlot_;
        const bool savedOther = activeIsOther_;
        activeSlot_ = slot;
        activeIsOther_ = true;
        bool all = true;
        for (size_t i = 0; i < fs.size() && all; ++i) {
            all = textEquals(fs[i]->value(), want[i], {});
        }
        Value v = all ? result.value() : Value();
        activeSlot_ = savedSlot;
        activeIsOther_ = savedOther;
        if (all) {
            return v;
        }
    }
    return {};
}

void DataSet::setFiltered(bool on) {
    if (filtered_ == on) {
        return;
    }
    filtered_ = on;
    if (active()) {
        checkBrowseMode();
        refilter();
    }
}

void DataSet::refilter() {
    if (!active()) {
        return;
    }
    viewValid_ = false;
    resetToFirst();
}

void DataSet::gotoSlot(uint32_t slot) {
    checkBrowseMode();
    doEvent(beforeScroll);
    curSlot_ = slot;
    if (viewValid_) {
        pos_ = positionOf(slot);
        if (pos_ < 0) {
            viewValid_ = false;
        }
    }
    bof_ = eof_ = false;
    notifyRecordChanged();
    doEvent(afterScroll);
    notifyDetails();
}

bool DataSet::onRecord() {
    if (viewValid_) {
        return !view_.empty() && curSlot_ != kNoSlot;
    }
    if (curSlot_ != kNoSlot && curSlot_ < store_->slotCount() && store_->live(curSlot_)) {
        return true; // the cursor stands on a live record: no need to work out the view
    }
    ensureView();
    return !view_.empty();
}

bool DataSet::visible(uint32_t slot) {
    return inRange(slot) && passesFilter(slot);
}

uint32_t DataSet::rowSlot(int row) {
    ensureView();
    return view_.at(static_cast<size_t>(row));
}

void DataSet::gotoRow(int row) {
    checkBrowseMode();
    doEvent(beforeScroll);
    moveTo(row);
    bof_ = eof_ = false;
    notifyRecordChanged();
    doEvent(afterScroll);
    notifyDetails();
}

void DataSet::resetToFirst() {
    curSlot_ = kNoSlot;
    doEvent(beforeScroll);
    ensureView();
    moveTo(0);
    bof_ = true;
    eof_ = view_.empty();
    notifyDataSetChanged();
    doEvent(afterScroll);
    notifyDetails();
}

// ---------------------------------------------------------------- record access

const Row* DataSet::activeRow() const {
    if (activeIsOther_) {
        return activeSlot_ == kNoSlot ? nullptr : &store_->row(activeSlot_);
    }
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) {
        return &buffer_;
    }
    if (curSlot_ == kNoSlot || !store_ || curSlot_ >= store_->slotCount()) {
        return nullptr;
    }
    return &store_->row(curSlot_);
}

Value DataSet::lookupValue(const Field& f) {
    std::vector<Value> key;
    for (int ki : f.keyFieldIndexes_) {
        key.push_back(readField(*fields_[static_cast<size_t>(ki)]));
    }
    for (size_t step = 0; step < f.lookupColumns_.size(); ++step) {
        SharedTable& st = *lookupStores_[static_cast<size_t>(f.lookupStoreIndex_[step])];
        const auto& cols = f.lookupColumns_[step];
        if (key.size() != cols.size()) {
            return {};
        }
        std::vector<Value> typed;
        for (size_t i = 0; i < cols.size(); ++i) {
            const auto& fd = st.schema().fields[static_cast<size_t>(cols[i])];
            try {
                typed.push_back(coerce(key[i], fd.type, 1 << 20));
            } catch (const EngineError&) {
                return {};
            }
        }
        if (std::all_of(typed.begin(), typed.end(), [](const Value& v) { return v.isNull(); })) {
            return {};
        }
        const uint32_t s = st.findExact(cols, typed);
        if (s == kNoSlot) {
            return {};
        }
        const Value& r = st.row(s)[static_cast<size_t>(f.lookupResult_[step])];
        key = {r};
    }
    try {
        return coerce(key[0], f.type_, f.size_);
    } catch (const EngineError&) {
        return {};
    }
}

void DataSet::computeCalc() {
    const uint64_t stamp = session_.changeCount();
    const uint32_t slot = activeIsOther_ ? activeSlot_ : curSlot_;
    const bool forBuffer =
        !activeIsOther_ && (state_ == DataSetState::Edit || state_ == DataSetState::Insert);
    if (!inCalc_ && calcStamp_ == stamp && calcSlot_ == slot && calcForBuffer_ == forBuffer &&
        !forBuffer) {
        return;
    }
    if (inCalc_) {
        return; // a calculated field read inside the calculation: the value so far
    }
    std::fill(calc_.begin(), calc_.end(), Value());
    if (onCalcFields && activeRow() != nullptr) {
        inCalc_ = true;
        try {
            onCalcFields(*this);
        } catch (...) {
            inCalc_ = false;
            calcStamp_ = 0;
            throw;
        }
        inCalc_ = false;
    }
    calcStamp_ = session_.changeCount();
    calcSlot_ = slot;
    calcForBuffer_ = forBuffer;
}

Value DataSet::readField(const Field& f) {
    checkActive();
    if (!activeIsOther_ && state_ == DataSetState::Browse && curSlot_ != kNoSlot &&
        (curSlot_ >= store_->slotCount() || !store_->live(curSlot_))) {
        ensureView(); // the record went away: the cursor stands on the one after it
    }
    switch (f.kind_) {
    case FieldKind::Data: {
        const Row* r = activeRow();
        if (!r) {
            return {};
        }
        const Value& v = (*r)[static_cast<size_t>(f.column_)];
        if (f.type_ == FieldType::Text && v.isText() &&
            static_cast<int>(v.textValue().size()) > f.size_) {
            return Value(cutToChars(v.textValue(), f.size_));
        }
        return v;
    }
    case FieldKind::Lookup:
        if (!activeRow()) {
            return {};
        }
        return lookupValue(f);
    case FieldKind::Calculated:
        if (!activeRow()) {
            return {};
        }
        computeCalc();
        return calc_[static_cast<size_t>(f.calcSlot_)];
    }
    return {};
}

void DataSet::writeField(Field& f, const Value& v) {
    checkActive();
    if (f.kind_ == FieldKind::Calculated) {
        if (!inCalc_) {
            throw EngineError(errc::ReadOnly,
                              name_ + ": Field '" + f.name_ + "' cannot be modified");
        }
        calc_[static_cast<size_t>(f.calcSlot_)] = coerce(v, f.type_, f.size_);
        return;
    }
    if (f.kind_ == FieldKind::Lookup || f.readOnly_) {
        throw EngineError(errc::ReadOnly, name_ + ": Field '" + f.name_ + "' cannot be modified");
    }
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) {
        throw EngineError(errc::BadState, name_ + ": Dataset not in edit or insert mode");
    }
    const Value typed = coerce(v, f.type_, f.size_);
    Value& slot = buffer_[static_cast<size_t>(f.column_)];
    if (slot == typed) {
        modified_ = true;
        return;
    }
    slot = typed;
    modified_ = true;
    notifyRecordChanged();
    if (!details_.empty()) {
        notifyDetails(&f);
    }
}

Value DataSet::rowValue(int row, int field) {
    checkActive();
    ensureView();
    if (row < 0 || row >= static_cast<int>(view_.size())) {
        return {};
    }
    const uint32_t slot = view_[static_cast<size_t>(row)];
    if (slot == curSlot_ && (state_ == DataSetState::Edit)) {
        return readField(this->field(field)); // the edited values
    }
    const uint32_t savedSlot = activeSlot_;
    const bool savedOther = activeIsOther_;
    activeSlot_ = slot;
    activeIsOther_ = true;
    Value v;
    try {
        v = readField(this->field(field));
    } catch (...) {
        activeSlot_ = savedSlot;
        activeIsOther_ = savedOther;
        throw;
    }
    activeSlot_ = savedSlot;
    activeIsOther_ = savedOther;
    return v;
}

// ---------------------------------------------------------------- editing

bool DataSet::canModify() const {
    return active() && store_ && !store_->readOnly();
}

void DataSet::setState(DataSetState s) {
    if (state_ != s) {
        state_ = s;
        notifyStateChanged();
    }
}

void DataSet::runWithErrorEvent(const std::function<void()>& op, const ErrorEvent& handler) {
    for (;;) {
        try {
            op();
            return;
        } catch (const EngineError& e) {
            ErrorAction action = ErrorAction::Fail;
            if (handler) {
                action = handler(*this, e);
            }
            if (action == ErrorAction::Fail) {
                throw;
            }
            if (action == ErrorAction::Abort) {
                throw Abort();
            }
            // Retry: run the operation again
        }
    }
}

void DataSet::edit() {
    checkActive();
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) {
        return;
    }
    if (!onRecord()) {
        insert(); // editing an empty table starts a new record
        return;
    }
    checkBrowseMode();
    doEvent(beforeEdit);
    runWithErrorEvent(
        [&] {
            if (!canModify()) {
                throw EngineError(errc::ReadOnly, name_ + ": Cannot modify a read-only dataset");
            }
            if (curSlot_ == kNoSlot || !store_->live(curSlot_)) {
                throw EngineError(errc::BadState, name_ + ": Record has been deleted");
            }
        },
        onEditError);
    buffer_ = store_->row(curSlot_);
    modified_ = false;
    setState(DataSetState::Edit);
    doEvent(afterEdit);
}

void DataSet::beginInsertAppend() {
    checkBrowseMode();
    if (!canModify()) {
        throw EngineError(errc::ReadOnly, name_ + ": Cannot modify a read-only dataset");
    }
    doEvent(beforeInsert);
    doEvent(beforeScroll);
}

void DataSet::endInsertAppend() {
    slotBeforeInsert_ = curSlot_;
    const TableSchema& sc = store_->schema();
    buffer_.assign(sc.fields.size(), Value());
    for (size_t c = 0; c < sc.fields.size(); ++c) {
        buffer_[c] = sc.fields[c].defaultValue;
    }
    for (const auto& f : fields_) {
        if (f->kind_ == FieldKind::Data && !f->default_.isNull()) {
            buffer_[static_cast<size_t>(f->column_)] = coerce(f->default_, f->type_, f->size_);
        }
    }
    fillNewRecord(buffer_);
    setState(DataSetState::Insert);
    doEvent(onNewRecord);
    modified_ = false;
    notifyDataSetChanged();
    doEvent(afterInsert);
    doEvent(afterScroll);
}

void DataSet::insert() {
    beginInsertAppend();
    endInsertAppend();
}

void DataSet::append() {
    beginInsertAppend();
    endInsertAppend();
    bof_ = false;
    eof_ = true;
}

void DataSet::checkRequired(const Row& row) const {
    const TableSchema& sc = store_->schema();
    auto empty = [](const Value& v) { return v.isNull() || (v.isText() && v.textValue().empty()); };
    for (const auto& f : fields_) {
        if (f->kind_ == FieldKind::Data && f->required_ && f->type_ != FieldType::AutoInc &&
            empty(row[static_cast<size_t>(f->column_)])) {
            throw EngineError(errc::RequiredField, "Field '" + f->name_ + "' must have a value");
        }
    }
    for (size_t c = 0; c < sc.fields.size(); ++c) {
        if (sc.fields[c].required && sc.fields[c].type != FieldType::AutoInc && empty(row[c])) {
            throw EngineError(errc::RequiredField,
                              "Field '" + sc.fields[c].name + "' must have a value");
        }
    }
}

void DataSet::post() {
    checkActive();
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) {
        return;
    }
    doEvent(beforePost);
    runWithErrorEvent(
        [&] {
            checkRequired(buffer_);
            if (state_ == DataSetState::Insert) {
                curSlot_ = store_->insert(buffer_);
            } else {
                store_->update(curSlot_, buffer_);
            }
        },
        onPostError);
    buffer_.clear();
    modified_ = false;
    setState(DataSetState::Browse);
    // The cursor stays on the posted record (or, when the record is outside the range or the
    // filter, next to where it would be); its position is worked out when next needed.
    if (viewValid_) {
        const int p = positionOf(curSlot_);
        if (p >= 0) {
            pos_ = p;
        } else {
            viewValid_ = false;
        }
    }
    bof_ = eof_ = false;
    notifyRecordChanged();
    doEvent(afterPost);
    notifyDetails();
}

void DataSet::cancel() {
    checkActive();
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) {
        return;
    }
    doEvent(beforeCancel);
    const bool wasInsert = state_ == DataSetState::Insert;
    buffer_.clear();
    modified_ = false;
    if (wasInsert) {
        curSlot_ = slotBeforeInsert_;
    }
    setState(DataSetState::Browse);
    viewValid_ = false;
    ensureView();
    bof_ = view_.empty();
    eof_ = view_.empty();
    notifyDataSetChanged();
    doEvent(afterCancel);
    notifyDetails();
}

void DataSet::deleteRecord() {
    checkActive();
    if (state_ == DataSetState::Insert) {
        cancel();
        return;
    }
    if (!onRecord()) {
        throw EngineError(errc::EmptyDataSet,
                          name_ + ": Cannot perform this operation on an empty dataset");
    }
    checkBrowseMode();
    doEvent(beforeDelete);
    doEvent(beforeScroll);
    runWithErrorEvent(
        [&] {
            if (!canModify()) {
                throw EngineError(errc::ReadOnly, name_ + ": Cannot modify a read-only dataset");
            }
            store_->remove(curSlot_);
        },
        onDeleteError);
    // the cursor goes on to the next record (worked out when next needed)
    bof_ = eof_ = viewValid_ ? view_.empty() : store_->liveCount() == 0;
    notifyDataSetChanged();
    doEvent(afterDelete);
    doEvent(afterScroll);
    notifyDetails();
}

void DataSet::refresh() {
    checkBrowseMode();
    store_->reloadIfChanged(); // another program's changes; the current record is kept
    viewValid_ = false;
    calcStamp_ = 0;
    ensureView();
    if (view_.empty()) {
        bof_ = eof_ = true;
    }
    notifyDataSetChanged();
    notifyDetails();
}

} // namespace store
