// An edit box bound to a field of a handle. It shows the field's value (with its display
// format while the box has no focus), puts the record into edit state on the first typed
// character and writes the text into the field when the editing is finished (Enter, which
// also moves the focus on, or leaving the box). The field's entry mask applies (upper case,
// maximum length) and only the characters its type may hold can be typed.
#pragma once

#include "store/messages.h"
#include "store/tdm.h"
#include "ui/data_link.h"
#include "ui/key_filter.h"

#include <QLineEdit>
#include <string>

namespace ui {

class DBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DBEdit(QWidget* parent = nullptr);
    ~DBEdit() override;

    // The handle must outlive the edit or be unset first.
    void setDataField(store::DataSet* ds, std::string field);
    void setDataField(const store::DataSource& source, std::string field) {
        setDataField(source.dataSet, std::move(field));
    }
    store::DataSet* dataSet() const { return link_.dataSet(); }
    const std::string& fieldName() const { return field_; }
    store::Field* field() const;

    void setMessages(store::Messages* messages) { messages_ = messages; }
    // Read-only by the caller's wish (the field's own read-only state applies anyway).
    void setBoundReadOnly(bool on);
    KeyFilter* keyFilter() const { return filter_; }

    // Writes a typed text into the field; false when the field refused it (reported).
    bool writeBack();
    // Shows the field's value again, dropping what was typed.
    void showValue();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void changed(DataLink::Change change);
    void bind();
    store::Messages& messages() const;

    DataLink link_;
    std::string field_;
    KeyFilter* filter_;
    store::Messages* messages_ = nullptr;
    bool callerReadOnly_ = false;
    bool typed_ = false;          // text typed and not yet written
    store::Bookmark typedOn_ = 0; // the record it was typed on
    bool writing_ = false;
};

} // namespace ui
