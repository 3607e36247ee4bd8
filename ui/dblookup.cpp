#include "ui/dblookup.h"

#include "ui/field_text.h"
#include "ui/qt_messages.h"

namespace ui {

namespace {

// Keys of a list and of a bound field may be of different types (a number in one table, its
// text in the other): they are compared as typed.
bool sameKey(const store::Value& a, const store::Value& b) {
    if (a.isNull() || b.isNull()) {
        return a.isNull() && b.isNull();
    }
    if (a == b) {
        return true;
    }
    auto text = [](const store::Value& v) {
        return editText(v.isFloat() ? store::FieldType::Float : store::FieldType::Int32, v);
    };
    return text(a) == text(b);
}

} // namespace

DBLookupComboBox::DBLookupComboBox(QWidget* parent)
    : QComboBox(parent), list_([this](DataLink::Change c) {
          if (c != DataLink::Change::ControlsDisabled) {
              fillList();
          }
      }),
      data_([this](DataLink::Change c) {
          if (c != DataLink::Change::ControlsDisabled) {
              showBound();
          }
      }) {
    setEditable(false);
    connect(this, &QComboBox::activated, this, &DBLookupComboBox::choose);
}

DBLookupComboBox::~DBLookupComboBox() = default;

store::Messages& DBLookupComboBox::messages() const {
    return messages_ ? *messages_ : defaultMessages();
}

void DBLookupComboBox::setListSource(store::DataSet* list, std::string keyField,
                                     std::string listField) {
    keyField_ = std::move(keyField);
    listField_ = std::move(listField);
    list_.setDataSet(list);
    fillList();
}

void DBLookupComboBox::setDataField(store::DataSet* ds, std::string field) {
    dataField_ = std::move(field);
    data_.setDataSet(ds);
    showBound();
}

void DBLookupComboBox::fillList() {
    filling_ = true;
    clear();
    keys_.clear();
    store::DataSet* list = list_.dataSet();
    if (list && list->active()) {
        store::Field* key = list->findField(keyField_);
        store::Field* shown = list->findField(listField_.empty() ? keyField_ : listField_);
        if (key && shown) {
            const int n = list->rowCount();
            for (int r = 0; r < n; ++r) {
                keys_.push_back(list->rowValue(r, key->index()));
                addItem(
                    QString::fromStdString(displayText(*shown, list->rowValue(r, shown->index()))));
            }
        }
    }
    setCurrentIndex(indexOfKey(key_));
    filling_ = false;
    if (data_.dataSet()) {
        showBound();
    }
}

int DBLookupComboBox::indexOfKey(const store::Value& key) const {
    if (key.isNull()) {
        return -1;
    }
    for (size_t i = 0; i < keys_.size(); ++i) {
        if (sameKey(keys_[i], key)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void DBLookupComboBox::showBound() {
    store::DataSet* ds = data_.dataSet();
    store::Value v;
    bool writable = false;
    if (ds && ds->active()) {
        if (store::Field* f = ds->findField(dataField_)) {
            try {
                v = f->value();
            } catch (const std::exception&) {
                v = {};
            }
            writable = f->kind() == store::FieldKind::Data && !f->readOnly() && ds->canModify();
        }
    }
    setEnabled(!ds || writable);
    setKeyValue(v);
}

store::Value DBLookupComboBox::keyValue() const {
    return key_;
}

void DBLookupComboBox::setKeyValue(const store::Value& key) {
    const bool changed = !sameKey(key, key_);
    key_ = key;
    const int i = indexOfKey(key);
    if (currentIndex() != i) {
        setCurrentIndex(i);
    }
    if (changed && !filling_) {
        emit keyValueChanged();
    }
}

void DBLookupComboBox::choose(int index) {
    if (index < 0 || index >= static_cast<int>(keys_.size())) {
        return;
    }
    const store::Value key = keys_[static_cast<size_t>(index)];
    store::DataSet* ds = data_.dataSet();
    if (ds && ds->active()) {
        const bool ok = store::guarded(messages(), [&] {
            if (ds->state() != store::DataSetState::Edit &&
                ds->state() != store::DataSetState::Insert) {
                ds->edit();
            }
            ds->fieldByName(dataField_).setValue(key);
        });
        if (!ok) {
            showBound();
            return;
        }
    }
    setKeyValue(key);
}

} // namespace ui
