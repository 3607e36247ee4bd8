// A handle on rows: the cursor, the fields, the editing states and the events that the rules
// of the data module and the windows attach to. A Table is a handle on a table file; a Query
// is a read-only handle on the result of a local SQL statement.
#pragma once

#include "store/engine/errors.h"
#include "store/engine/shared_table.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace store {

class DataSet;
class Session;

enum class DataSetState { Inactive, Browse, Edit, Insert };
enum class FieldKind { Data, Lookup, Calculated };
enum class ErrorAction { Fail, Abort, Retry };
enum class Alignment { Left, Right, Center };

// A lookup: on reading, the value of `resultField` of the record of `lookupTable` whose
// `lookupKeyFields` equal this record's `keyFields`; empty when there is no such record. A
// lookup may go on from the record it found (`then`): the next step's keys are the values of
// the previous step's result.
struct LookupStep {
    std::string lookupAlias; // empty: the alias of the handle
    std::string lookupTable;
    std::vector<std::string> lookupKeyFields;
    std::string resultField;
};

struct LookupDef {
    std::string name;
    FieldType type = FieldType::Text;
    int size = 0;
    std::vector<std::string> keyFields;
    std::vector<LookupStep> steps; // at least one
};

struct CalcDef {
    std::string name;
    FieldType type = FieldType::Float;
    int size = 0;
};

// A field as a handle declares it: a stored field (with the handle's own capacity, required
// flag, default and display settings) or a lookup or calculated field.
struct FieldDecl {
    std::string name;
    int size = 0;                      // 0: the table's capacity
    std::optional<bool> required;      // unset: as the table says
    std::optional<Value> defaultValue; // unset: as the table says
    bool readOnly = false;
    std::string displayFormat;
    std::string editMask;
    std::string displayLabel;
    int displayWidth = 0;
};

class Field {
public:
    const std::string& name() const { return name_; }
    FieldType type() const { return type_; }
    int size() const { return size_; }
    FieldKind kind() const { return kind_; }
    bool required() const { return required_; }
    bool readOnly() const { return readOnly_; }
    int index() const { return index_; }
    DataSet& dataSet() const { return *ds_; }

    // display settings for the windows and reports
    std::string displayLabel;
    std::string displayFormat;
    std::string editMask;
    int displayWidth = 0;
    bool visible = true;
    Alignment alignment = Alignment::Left;

    Value value() const;
    bool isNull() const;
    std::string asString() const;
    int64_t asInteger() const;
    double asFloat() const;
    bool asBoolean() const;
    Date asDate() const;

    void setValue(const Value& v);
    void setAsString(std::string_view s) { setValue(Value(s)); }
    void setAsInteger(int64_t v) { setValue(Value(v)); }
    void setAsFloat(double v) { setValue(Value(v)); }
    void setAsBoolean(bool v) { setValue(Value(v)); }
    void setAsDate(const Date& d) { setValue(Value(d)); }
    void clear() { setValue(Value()); }

private:
    friend class DataSet;
    DataSet* ds_ = nullptr;
    std::string name_;
    FieldType type_ = FieldType::Text;
    int size_ = 0;
    FieldKind kind_ = FieldKind::Data;
    bool required_ = false;
    bool readOnly_ = false;
    Value default_;
    int index_ = 0;
    int column_ = -1; // stored field: column in the table's rows
    int calcSlot_ = -1;
    const LookupDef* lookup_ = nullptr;
    std::vector<std::vector<int>> lookupColumns_; // per step: key columns in the looked-up table
    std::vector<int> lookupResult_;               // per step: result column
    std::vector<int> lookupStoreIndex_;           // per step: the handle's lookup table
    std::vector<int> keyFieldIndexes_;            // this handle's fields giving the keys
};

// Told about changes so that bound controls can follow (only while the refresh of bound
// controls is not suspended).
class DataSetObserver {
public:
    virtual ~DataSetObserver() = default;
    virtual void dataSetChanged(DataSet&) {} // rows came or went, order or filter changed
    virtual void recordChanged(DataSet&) {}  // the current record moved or its values changed
    virtual void stateChanged(DataSet&) {}   // open, close, edit, insert, browse
    virtual void controlsDisabledChanged(DataSet&) {}
    virtual void dataSetDestroyed(DataSet&) {} // the handle goes away: forget it
};

using Bookmark = int64_t; // 0: none

struct LocateOptions {
    bool caseInsensitive = false;
    bool partialKey = false;
};

class DataSet : protected TableListener {
public:
    using Event = std::function<void(DataSet&)>;
    using ErrorEvent = std::function<ErrorAction(DataSet&, const EngineError&)>;

    explicit DataSet(Session& session, std::string name = {});
    ~DataSet() override;
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    const std::string& name() const { return name_; }
    Session& session() const { return session_; }

    // ---- open and close ----
    void open();
    void close();
    bool active() const { return state_ != DataSetState::Inactive; }
    void setActive(bool on) { on ? open() : close(); }
    DataSetState state() const { return state_; }

    // ---- declared fields (before opening) ----
    // With no declared stored field, the handle shows every field of the table.
    void declareField(FieldDecl decl);
    void addLookupField(LookupDef def);
    void addCalcField(CalcDef def);
    // Switches the field a lookup shows (its last step's result), while closed: the language
    // setting chooses which name column of the price list a list shows.
    void setLookupResultField(const std::string& lookupName, const std::string& resultField);
    const std::vector<FieldDecl>& declaredFields() const { return decls_; }

    // ---- fields ----
    int fieldCount() const { return static_cast<int>(fields_.size()); }
    Field& field(int i) { return *fields_.at(static_cast<size_t>(i)); }
    Field& fieldByName(std::string_view name); // throws NoSuchField
    Field* findField(std::string_view name);
    std::vector<std::string> fieldNames() const;
    const TableSchema& schema() const;

    // ---- navigation ----
    void first();
    void last();
    void next();
    void prior();
    int moveBy(int distance);
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    bool isEmpty();
    int recNo(); // 1-based position among the visible records; 0 when empty
    void setRecNo(int n);
    int recordCount();
    Bookmark bookmark() const;
    void gotoBookmark(Bookmark b);
    bool bookmarkValid(Bookmark b);

    bool locate(const std::vector<std::string>& fields, const std::vector<Value>& values,
                LocateOptions options = {});
    bool locate(const std::string& fieldList, const Value& value, LocateOptions options = {}) {
        return locate(splitFieldList(fieldList), {value}, options);
    }
    // The value of `resultField` of the first visible record whose fields equal the values,
    // without moving; null when none.
    Value lookup(const std::vector<std::string>& fields, const std::vector<Value>& values,
                 const std::string& resultField);

    // ---- filter ----
    std::function<bool(DataSet&)> onFilterRecord;
    void setFiltered(bool on);
    bool filtered() const { return filtered_; }
    // The filter rule reads outside state; after that state changed, the visible records are
    // worked out again.
    void refilter();

    // ---- editing ----
    void edit();
    void insert();
    void append();
    void post();
    void cancel();
    void deleteRecord();
    void refresh();
    bool modified() const { return modified_; }
    bool canModify() const;

    // ---- suspending the refresh of bound controls ----
    // While suspended, bound controls and detail handles are not told about changes, and the
    // writes to this handle's table are grouped into one transaction that is committed when
    // the refresh resumes.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return disableCount_ > 0; }
    int disableCount() const { return disableCount_; }

    void addObserver(DataSetObserver* o);
    void removeObserver(DataSetObserver* o);

    // ---- rows without moving (grids) ----
    // The visible rows; `rowValue` reads field `field` of visible row `row` with its lookups
    // and calculated values, without moving the cursor.
    int rowCount() { return recordCount(); }
    Value rowValue(int row, int field);
    int currentRow(); // 0-based, -1 when empty

    // ---- events ----
    Event beforeOpen, afterOpen, beforeClose, afterClose;
    Event beforeInsert, afterInsert, beforeEdit, afterEdit, beforePost, afterPost;
    Event beforeCancel, afterCancel, beforeDelete, afterDelete, beforeScroll, afterScroll;
    Event onNewRecord, onCalcFields;
    ErrorEvent onPostError, onEditError, onDeleteError;

    // ---- master and detail ----
    // Details of this handle, told when its current record changes.
    void addDetail(class Table* detail);
    void removeDetail(class Table* detail);

    SharedTable* store() const { return store_.get(); }

protected:
    // Opens the store the handle works on and tells its order and range.
    virtual std::shared_ptr<SharedTable> openStore() = 0;
    virtual void closeStore() = 0;
    // The index that orders the handle; nullptr: file order.
    virtual OrderedIndex* orderIndex() { return nullptr; }
    // Leading index values that every visible record must have (master link); empty: none.
    virtual bool rangeKey(std::vector<Value>& key) {
        (void)key;
        return false;
    }
    virtual void fillNewRecord(Row& row) { (void)row; }
    void invalidateView() { viewValid_ = false; }
    void notifyDataSetChanged();
    void notifyRecordChanged();
    void notifyStateChanged();
    // the master record moved or changed; `changed`: only that field changed
    void notifyDetails(const Field* changed = nullptr);
    void resetToFirst(); // after a change of range: first visible record, scroll events fired
    // the slot of visible row `row` (0-based) and a move to it with the scroll events
    uint32_t rowSlot(int row);
    void gotoRow(int row);
    // a move to a record found without the view, with the scroll events
    void gotoSlot(uint32_t slot);
    // the record is within the master range and passes the filter
    bool visible(uint32_t slot);
    // the cursor stands on a record (the table, as the handle sees it, is not empty)
    bool onRecord();
    bool inRange(uint32_t slot);
    // the table's rows were renumbered (emptied, reread, restructured)
    virtual void storeReset() {}

    // TableListener
    void rowInserted(uint32_t slot) override;
    void rowUpdated(uint32_t slot, const Row& before) override;
    void rowDeleted(uint32_t slot) override;
    void tableAboutToReload() override;
    void tableReset() override;

    Session& session_;
    std::string name_;
    std::shared_ptr<SharedTable> store_;
    std::vector<std::shared_ptr<SharedTable>> lookupStores_;

private:
    friend class Field;

    void buildFields();
    void ensureView();
    bool passesFilter(uint32_t slot);
    void checkActive() const;
    void checkBrowseMode();
    void doEvent(const Event& e) {
        if (e) {
            e(*this);
        }
    }
    void runWithErrorEvent(const std::function<void()>& op, const ErrorEvent& handler);
    void beginInsertAppend();
    void endInsertAppend();
    void moveTo(int pos);
    int positionOf(uint32_t slot) const;
    int insertionPoint(uint32_t slot) const;
    int compareInOrder(uint32_t a, uint32_t b) const;
    void setState(DataSetState s);
    void checkRequired(const Row& row) const;
    bool inViewOrder(uint32_t slot) const;

    // the record fields read from: the current record or a row a grid asks for
    const Row* activeRow() const;
    Value readField(const Field& f);
    void writeField(Field& f, const Value& v);
    Value lookupValue(const Field& f);
    void computeCalc();

    std::vector<FieldDecl> decls_;
    std::vector<LookupDef> lookups_;
    std::vector<CalcDef> calcs_;
    std::vector<std::unique_ptr<Field>> fields_;

    DataSetState state_ = DataSetState::Inactive;
    std::vector<uint32_t> view_;
    bool viewValid_ = false;
    int pos_ = -1;
    uint32_t curSlot_ = kNoSlot;
    uint32_t slotBeforeInsert_ = kNoSlot;
    int64_t reloadRowid_ = 0; // the current record while the table is reread
    bool bof_ = true;
    bool eof_ = true;
    bool filtered_ = false;
    bool modified_ = false;
    Row buffer_; // the edited or inserted record
    int disableCount_ = 0;
    bool pendingChange_ = false;
    std::vector<DataSetObserver*> observers_;
    std::vector<class Table*> details_;

    // calculated values of the active record
    uint32_t activeSlot_ = kNoSlot; // kNoSlot: the current record
    bool activeIsOther_ = false;
    std::vector<Value> calc_;
    uint64_t calcStamp_ = 0;
    uint32_t calcSlot_ = kNoSlot;
    bool calcForBuffer_ = false;
    bool inCalc_ = false;
    bool inFilter_ = false;
};

// Opens the handle unless it is open already.
inline void openIfClosed(DataSet& ds) {
    if (!ds.active()) {
        ds.open();
    }
}

// Puts the current record into edit mode unless it is being edited or inserted already.
inline void editIfBrowsing(DataSet& ds) {
    if (ds.state() == DataSetState::Browse) {
        ds.edit();
    }
}

// Runs `fn` with the handle's refresh suspended; resumes also when `fn` throws.
class ControlsDisabled {
public:
    explicit ControlsDisabled(DataSet& ds) : ds_(ds) { ds_.disableControls(); }
    ~ControlsDisabled() {
        try {
            ds_.enableControls();
        } catch (...) {
            // resuming commits the grouped writes; a failing commit is reported by the next
            // write on the table
        }
    }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

private:
    DataSet& ds_;
};

} // namespace store
