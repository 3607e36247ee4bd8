#include "ui/dataset_model.h"

#include "store/format/format.h"
#include "ui/field_text.h"
#include "ui/qt_messages.h"

#include <QDate>

namespace ui {

using store::DataSetState;

namespace {

constexpr int kCacheRows = 2048;

Qt::Alignment qtAlignment(store::Alignment a) {
    switch (a) {
    case store::Alignment::Right:
        return Qt::AlignRight | Qt::AlignVCenter;
    case store::Alignment::Center:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case store::Alignment::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

QVariant rawVariant(store::FieldType type, const store::Value& v) {
    if (v.isNull()) {
        return {};
    }
    if (v.isText()) {
        return QString::fromStdString(v.textValue());
    }
    if (v.isFloat()) {
        return v.floatValue();
    }
    switch (type) {
    case store::FieldType::Bool:
        return v.intValue() != 0;
    case store::FieldType::Date: {
        const store::Date d = store::Date::fromDays(v.intValue());
        return QDate(d.year, d.month, d.day);
    }
    default:
        return static_cast<qlonglong>(v.intValue());
    }
}

bool isEditing(const store::DataSet* ds) {
    return ds && (ds->state() == DataSetState::Edit || ds->state() == DataSetState::Insert);
}

} // namespace

DataSetModel::DataSetModel(QObject* parent) : QAbstractTableModel(parent) {}

DataSetModel::~DataSetModel() {
    if (ds_) {
        ds_->removeObserver(this);
    }
}

store::Messages& DataSetModel::messages() const {
    return messages_ ? *messages_ : defaultMessages();
}

void DataSetModel::setDataSet(store::DataSet* ds) {
    if (ds == ds_) {
        return;
    }
    if (ds_) {
        ds_->removeObserver(this);
    }
    ds_ = ds;
    if (ds_) {
        ds_->addObserver(this);
    }
    frozen_ = ds_ && ds_->controlsDisabled();
    refresh();
}

void DataSetModel::setColumns(std::vector<GridColumn> columns) {
    beginResetModel();
    staged_.reset();
    autoColumns_ = false;
    columns_ = std::move(columns);
    cache_.clear();
    resolveFields();
    endResetModel();
    followCurrent(true);
}

void DataSetModel::setDefaultColumns() {
    beginResetModel();
    staged_.reset();
    autoColumns_ = true;
    columns_.clear();
    buildDefaultColumns();
    cache_.clear();
    resolveFields();
    endResetModel();
    followCurrent(true);
}

void DataSetModel::buildDefaultColumns() {
    std::vector<GridColumn> cols;
    if (ds_ && ds_->active()) {
        for (int i = 0; i < ds_->fieldCount(); ++i) {
            const store::Field& f = ds_->field(i);
            if (!f.visible) {
                continue;
            }
            GridColumn c(f.name());
            for (const auto& old : columns_) {
                if (store::equalsNoCase(old.field, f.name())) {
                    c.width = old.width; // the user's width stays
                }
            }
            cols.push_back(std::move(c));
        }
    }
    columns_ = std::move(cols);
}

void DataSetModel::setColumnWidth(int c, int width) {
    if (c >= 0 && c < static_cast<int>(columns_.size())) {
        columns_[static_cast<size_t>(c)].width = width;
    }
}

void DataSetModel::setColumnVisible(int c, bool visible) {
    if (c >= 0 && c < static_cast<int>(columns_.size())) {
        columns_[static_cast<size_t>(c)].visible = visible;
        cache_.clear();
    }
}

void DataSetModel::setReadOnly(bool on) {
    if (readOnly_ != on) {
        readOnly_ = on;
        if (rows_ > 0 && !columns_.empty()) {
            emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1));
        }
    }
}

// ---------------------------------------------------------------- rows

void DataSetModel::resolveFields() {
    fieldIndex_.assign(columns_.size(), -1);
    pickKeyIndex_.assign(columns_.size(), -1);
    if (!ds_ || !ds_->active()) {
        return;
    }
    for (size_t c = 0; c < columns_.size(); ++c) {
        if (store::Field* f = ds_->findField(columns_[c].field)) {
            fieldIndex_[c] = f->index();
        }
        if (columns_[c].pickList.valid()) {
            if (store::Field* k = ds_->findField(columns_[c].pickList.keyField)) {
                pickKeyIndex_[c] = k->index();
            }
        }
    }
}

int DataSetModel::liveRowCount() const {
    if (!ds_ || !ds_->active()) {
        return 0;
    }
    return ds_->rowCount() + (ds_->state() == DataSetState::Insert ? 1 : 0);
}

int DataSetModel::computeInsertPos() const {
    if (!ds_ || !ds_->active() || ds_->state() != DataSetState::Insert) {
        return -1;
    }
    const int n = ds_->rowCount();
    if (ds_->eof() || n == 0) {
        return n; // appended: at the end
    }
    return std::max(ds_->currentRow(), 0);
}

void DataSetModel::refresh() {
    beginResetModel();
    if (staged_ && staged_->size() == columns_.size()) {
        columns_ = std::move(*staged_);
    }
    staged_.reset();
    if (autoColumns_) {
        buildDefaultColumns();
    }
    cache_.clear();
    active_ = ds_ && ds_->active();
    resolveFields();
    rows_ = liveRowCount();
    insertPos_ = computeInsertPos();
    lastState_ = ds_ ? ds_->state() : DataSetState::Inactive;
    endResetModel();
    followCurrent(true);
}

int DataSetModel::currentRow() const {
    if (!ds_ || !ds_->active()) {
        return -1;
    }
    if (frozen_) {
        return lastCurrent_;
    }
    if (insertPos_ >= 0) {
        return insertPos_;
    }
    return ds_->currentRow();
}

void DataSetModel::followCurrent(bool force) {
    const int cur = currentRow();
    if (cur == lastCurrent_ && !force) {
        return;
    }
    const int old = lastCurrent_;
    lastCurrent_ = cur;
    if (old >= 0 && old < rows_) {
        emit headerDataChanged(Qt::Vertical, old, old);
    }
    if (cur >= 0 && cur < rows_) {
        emit headerDataChanged(Qt::Vertical, cur, cur);
    }
    emit currentRowChanged(cur);
}

int DataSetModel::dataSetRow(int row) const {
    if (insertPos_ < 0 || row < insertPos_) {
        return row;
    }
    return row == insertPos_ ? -1 : row - 1;
}

store::Value DataSetModel::readCell(int row, int fieldIndex) const {
    ++cellReads_;
    const int r = dataSetRow(row);
    if (r < 0) {
        return ds_->field(fieldIndex).value(); // the record being inserted
    }
    return ds_->rowValue(r, fieldIndex);
}

const QStringList* DataSetModel::displayRow(int row) const {
    auto it = cache_.find(row);
    if (it != cache_.end()) {
        return &it.value();
    }
    if (frozen_ || !active_) {
        return nullptr;
    }
    if (cache_.size() >= kCacheRows) {
        cache_.clear();
    }
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(columns_.size()));
    for (size_t c = 0; c < columns_.size(); ++c) {
        const int fi = fieldIndex_[c];
        if (fi < 0 || !columns_[c].visible) {
            texts.append(QString());
            continue;
        }
        try {
            texts.append(QString::fromStdString(displayText(ds_->field(fi), readCell(row, fi))));
        } catch (const std::exception&) {
            texts.append(QString()); // a calculation that failed shows nothing
        }
    }
    return &cache_.insert(row, texts).value();
}

// ---------------------------------------------------------------- moving and editing

bool DataSetModel::moveToRow(int row) {
    if (!ds_ || !ds_->active() || frozen_ || row < 0 || row >= rows_) {
        return false;
    }
    if (row == currentRow()) {
        return true;
    }
    int target = dataSetRow(row);
    const DataSetState st = ds_->state();
    if (st == DataSetState::Edit || st == DataSetState::Insert) {
        const int oldPos = st == DataSetState::Edit ? ds_->currentRow() : -1;
        const bool posting = ds_->modified();
        if (!store::guarded(messages(), [&] { posting ? ds_->post() : ds_->cancel(); })) {
            followCurrent(true);
            return false;
        }
        if (posting) {
            // The posted record left its old place and took its place in the order (unless
            // the filter or the range no longer shows it): the other rows shift around it.
            if (oldPos >= 0 && target > oldPos) {
                --target;
            }
            const store::Bookmark b = ds_->bookmark();
            if (ds_->bookmarkValid(b)) {
                const int q = ds_->currentRow();
                if (q >= 0 && q <= target) {
                    ++target;
                }
            }
        }
        const int n = ds_->rowCount();
        if (n == 0) {
            return false;
        }
        target = std::clamp(target, 0, n - 1);
    }
    const bool ok = store::guarded(messages(), [&] { ds_->setRecNo(target + 1); });
    followCurrent(false);
    return ok && ds_->currentRow() == target;
}

bool DataSetModel::startEdit(int row) {
    if (!moveToRow(row)) {
        return false;
    }
    if (isEditing(ds_)) {
        return true;
    }
    const bool ok = store::guarded(messages(), [&] { ds_->edit(); });
    if (!ok) {
        ++writeFailures_;
    }
    return ok;
}

store::Field* DataSetModel::fieldAt(int column) const {
    if (!ds_ || !ds_->active() || column < 0 || column >= static_cast<int>(fieldIndex_.size())) {
        return nullptr;
    }
    const int fi = fieldIndex_[static_cast<size_t>(column)];
    return fi < 0 ? nullptr : &ds_->field(fi);
}

bool DataSetModel::columnEditable(int column) const {
    if (readOnly_ || frozen_ || !ds_ || !ds_->active() || !ds_->canModify()) {
        return false;
    }
    const store::Field* f = fieldAt(column);
    if (!f) {
        return false;
    }
    const GridColumn& c = columns_[static_cast<size_t>(column)];
    if (c.readOnly) {
        return false;
    }
    if (c.pickList.valid()) {
        return pickKeyIndex_[static_cast<size_t>(column)] >= 0 &&
               !ds_->field(pickKeyIndex_[static_cast<size_t>(column)]).readOnly();
    }
    return f->kind() == store::FieldKind::Data && !f->readOnly();
}

// ---------------------------------------------------------------- the model interface

int DataSetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int DataSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ ||
        index.column() >= static_cast<int>(columns_.size())) {
        return {};
    }
    const size_t c = static_cast<size_t>(index.column());
    const GridColumn& col = columns_[c];
    switch (role) {
    case Qt::DisplayRole: {
        const QStringList* texts = displayRow(index.row());
        return texts ? texts->at(index.column()) : QVariant();
    }
    case Qt::TextAlignmentRole: {
        const store::Field* f = fieldAt(index.column());
        const store::Alignment a =
            col.alignment ? *col.alignment : (f ? f->alignment : store::Alignment::Left);
        return static_cast<int>(qtAlignment(a));
    }
    case Qt::BackgroundRole:
        return col.color.isValid() ? QVariant(col.color) : QVariant();
    case Qt::FontRole:
        return col.font ? QVariant(*col.font) : QVariant();
    case FieldNameRole:
        return QString::fromStdString(col.field);
    default:
        break;
    }
    if (frozen_ || !active_) {
        return {};
    }
    try {
        if (role == Qt::EditRole || role == RawValueRole) {
            const int fi = fieldIndex_[c];
            if (fi < 0) {
                return {};
            }
            const store::Value v = readCell(index.row(), fi);
            const store::FieldType t = ds_->field(fi).type();
            return role == RawValueRole ? rawVariant(t, v)
                                        : QVariant(QString::fromStdString(editText(t, v)));
        }
        if (role == PickKeyRole) {
            const int ki = pickKeyIndex_[c];
            if (ki < 0) {
                return {};
            }
            return QString::fromStdString(
                editText(ds_->field(ki).type(), readCell(index.row(), ki)));
        }
    } catch (const std::exception&) {
        return {};
    }
    return {};
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole) {
            if (section != lastCurrent_ || !ds_ || !ds_->active()) {
                return QString();
            }
            switch (ds_->state()) {
            case DataSetState::Edit:
                return QStringLiteral("\u270E"); // pencil
            case DataSetState::Insert:
                return QStringLiteral("*");
            default:
                return QStringLiteral("\u25B6"); // pointer
            }
        }
        if (role == Qt::TextAlignmentRole) {
            return static_cast<int>(Qt::AlignCenter);
        }
        return {};
    }
    if (section < 0 || section >= static_cast<int>(columns_.size())) {
        return {};
    }
    const GridColumn& col = columns_[static_cast<size_t>(section)];
    switch (role) {
    case Qt::DisplayRole: {
        if (!col.title.empty()) {
            return QString::fromStdString(col.title);
        }
        const store::Field* f = fieldAt(section);
        return QString::fromStdString(f && !f->displayLabel.empty() ? f->displayLabel : col.field);
    }
    case Qt::FontRole:
        return col.titleFont ? QVariant(*col.titleFont) : QVariant();
    case Qt::BackgroundRole:
        return col.titleColor.isValid() ? QVariant(col.titleColor) : QVariant();
    default:
        return {};
    }
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (columnEditable(index.column())) {
        f |= Qt::ItemIsEditable;
    }
    return f;
}

bool DataSetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || (role != Qt::EditRole && role != PickKeyRole) ||
        !columnEditable(index.column())) {
        return false;
    }
    const size_t c = static_cast<size_t>(index.column());
    const bool pick = columns_[c].pickList.valid();
    if (pick != (role == PickKeyRole)) {
        return false; // a pick list column takes only a chosen key, the others only text
    }
    // (moving to the row may refresh the rows and with them the columns)
    if (!startEdit(index.row()) || !columnEditable(index.column())) {
        return false;
    }
    const bool ok = store::guarded(messages(), [&] {
        if (pick) {
            ds_->field(pickKeyIndex_[c]).setValue(store::Value(value.toString().toStdString()));
            return;
        }
        store::Field& f = ds_->field(fieldIndex_[c]);
        std::string text = value.toString().toStdString();
        if (f.type() == store::FieldType::Text && entryMaskOf(f).upper) {
            text = store::fmt::upperHu(text);
        }
        f.setValue(store::Value(text));
    });
    if (!ok) {
        ++writeFailures_;
    }
    return ok;
}

// ---------------------------------------------------------------- the handle tells

void DataSetModel::dataSetChanged(store::DataSet&) {
    refresh();
}

void DataSetModel::recordChanged(store::DataSet&) {
    if (frozen_) {
        return;
    }
    if (liveRowCount() != rows_ || computeInsertPos() != insertPos_) {
        refresh();
        return;
    }
    cache_.clear();
    if (rows_ > 0 && !columns_.empty()) {
        // repaints what is shown; the rows are read again when painted
        emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1));
    }
    followCurrent(false);
}

void DataSetModel::stateChanged(store::DataSet& ds) {
    if (frozen_) {
        return;
    }
    const DataSetState st = ds.state();
    const bool insertChanged = (st == DataSetState::Insert) != (lastState_ == DataSetState::Insert);
    const bool activeChanged = (st == DataSetState::Inactive) != (!active_);
    lastState_ = st;
    if (insertChanged || activeChanged) {
        refresh();
    } else {
        cache_.clear();
        if (lastCurrent_ >= 0 && lastCurrent_ < rows_) {
            emit headerDataChanged(Qt::Vertical, lastCurrent_, lastCurrent_);
        }
    }
    emit editStateChanged();
}

void DataSetModel::controlsDisabledChanged(store::DataSet& ds) {
    // Suspended: keep the rows as they are. Resumed: the handle tells what changed meanwhile.
    frozen_ = ds.controlsDisabled();
}

} // namespace ui
