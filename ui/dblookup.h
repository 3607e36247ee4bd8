// A lookup combo box: the rows of a list source offer their list field; the chosen row's key
// field is the box's key value. Bound to a field of another handle, the box shows the row
// whose key equals the field's value and writes the chosen key into the field (putting the
// record into edit state; posting is the caller's).
#pragma once

#include "store/engine/value.h"
#include "store/messages.h"
#include "store/tdm.h"
#include "ui/data_link.h"

#include <QComboBox>
#include <string>
#include <vector>

namespace ui {

class DBLookupComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DBLookupComboBox(QWidget* parent = nullptr);
    ~DBLookupComboBox() override;

    // The handles must outlive the box or be unset first.
    void setListSource(store::DataSet* list, std::string keyField, std::string listField);
    void setListSource(const store::DataSource& source, std::string keyField,
                       std::string listField) {
        setListSource(source.dataSet, std::move(keyField), std::move(listField));
    }
    void setDataField(store::DataSet* ds, std::string field);
    void setDataField(const store::DataSource& source, std::string field) {
        setDataField(source.dataSet, std::move(field));
    }
    void setMessages(store::Messages* messages) { messages_ = messages; }

    // The key of the chosen row; null when none.
    store::Value keyValue() const;
    // Chooses the row with this key (none when no row has it); writes nothing.
    void setKeyValue(const store::Value& key);
    // The keys of the offered rows, in the list's order.
    const std::vector<store::Value>& keys() const { return keys_; }

signals:
    // The chosen row changed (by the user, a key set, or the bound record).
    void keyValueChanged();

private:
    void fillList();
    void showBound();
    void choose(int index);
    int indexOfKey(const store::Value& key) const;
    store::Messages& messages() const;

    DataLink list_;
    DataLink data_;
    std::string keyField_;
    std::string listField_;
    std::string dataField_;
    std::vector<store::Value> keys_;
    store::Value key_;
    store::Messages* messages_ = nullptr;
    bool filling_ = false;
};

} // namespace ui
