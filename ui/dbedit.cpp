#include "ui/dbedit.h"

#include "store/format/format.h"
#include "ui/field_text.h"
#include "ui/qt_messages.h"

namespace ui {

using store::DataSetState;

DBEdit::DBEdit(QWidget* parent)
    : QLineEdit(parent), link_([this](DataLink::Change c) { changed(c); }),
      filter_(KeyFilter::install(this, KeyFilter::Chars::Any, true)) {
    connect(this, &QLineEdit::textEdited, this, [this] {
        store::DataSet* ds = link_.dataSet();
        if (!ds || !ds->active() || isReadOnly()) {
            return;
        }
        if (!link_.editing()) {
            // the first typed character puts the record into edit state
            if (!store::guarded(messages(), [&] { ds->edit(); })) {
                showValue();
                return;
            }
        }
        typed_ = true;
        typedOn_ = ds->bookmark();
    });
    connect(this, &QLineEdit::editingFinished, this, [this] { writeBack(); });
    bind();
}

DBEdit::~DBEdit() = default;

store::Messages& DBEdit::messages() const {
    return messages_ ? *messages_ : defaultMessages();
}

void DBEdit::setDataField(store::DataSet* ds, std::string field) {
    field_ = std::move(field);
    link_.setDataSet(ds);
    bind();
}

store::Field* DBEdit::field() const {
    store::DataSet* ds = link_.dataSet();
    if (!ds || !ds->active() || field_.empty()) {
        return nullptr;
    }
    return ds->findField(field_);
}

void DBEdit::setBoundReadOnly(bool on) {
    callerReadOnly_ = on;
    bind();
}

// Entry mask, key filter and read-only state from the field.
void DBEdit::bind() {
    store::Field* f = field();
    if (f) {
        applyEntryMask(this, entryMaskOf(*f));
        filter_->setChars(KeyFilter::charsFor(f->type()));
    } else {
        applyEntryMask(this, EntryMask{});
        filter_->setChars(KeyFilter::Chars::Any);
    }
    const bool fieldWritable =
        f && f->kind() == store::FieldKind::Data && !f->readOnly() && f->dataSet().canModify();
    setReadOnly(callerReadOnly_ || !fieldWritable);
    showValue();
}

void DBEdit::showValue() {
    typed_ = false;
    store::Field* f = field();
    QString text;
    if (f) {
        try {
            const store::Value v = f->value();
            text = QString::fromStdString(hasFocus() ? editText(f->type(), v)
                                                     : ui::displayText(*f, v));
        } catch (const std::exception&) {
            text.clear();
        }
    }
    if (text != QLineEdit::text()) {
        setText(text);
    }
    setModified(false);
}

bool DBEdit::writeBack() {
    if (!typed_ || writing_) {
        return true;
    }
    store::DataSet* ds = link_.dataSet();
    store::Field* f = field();
    if (!ds || !f) {
        typed_ = false;
        return true;
    }
    writing_ = true;
    std::string value = text().toStdString();
    if (entryMaskOf(*f).upper) {
        value = store::fmt::upperHu(value);
    }
    const bool ok = store::guarded(messages(), [&] {
        if (!link_.editing()) {
            ds->edit();
        }
        f->setValue(store::Value(value));
    });
    writing_ = false;
    if (ok) {
        typed_ = false;
        showValue();
    } else {
        selectAll(); // the refused text stays for correcting
    }
    return ok;
}

void DBEdit::changed(DataLink::Change change) {
    if (writing_ || change == DataLink::Change::ControlsDisabled) {
        return;
    }
    if (change == DataLink::Change::DataSet || change == DataLink::Change::State) {
        if (!link_.editing()) {
            typed_ = false; // posted or cancelled: the typed text is gone with the edit
        }
        if (change == DataLink::Change::DataSet || !link_.active()) {
            bind(); // opened or closed: the field may be another one
            return;
        }
    }
    store::DataSet* ds = link_.dataSet();
    if (typed_ && ds && ds->active() && link_.editing() && ds->bookmark() == typedOn_) {
        return; // another field of the same record changed: what was typed stays
    }
    showValue();
}

void DBEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (!typed_) {
        showValue(); // the edit text, without the display format
    }
}

void DBEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event); // finishes the editing (writes)
    if (!typed_) {
        showValue();
    }
}

} // namespace ui
