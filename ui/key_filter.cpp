#include "ui/key_filter.h"

#include "store/format/format.h"
#include "ui/field_text.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace ui {

KeyFilter::KeyFilter(QObject* parent) : QObject(parent) {}

KeyFilter* KeyFilter::install(QWidget* edit, Chars chars, bool enterMovesOn) {
    auto* f = new KeyFilter(edit);
    f->setChars(chars);
    f->setEnterMovesOn(enterMovesOn);
    edit->installEventFilter(f);
    return f;
}

KeyFilter::Chars KeyFilter::charsFor(store::FieldType type) {
    switch (type) {
    case store::FieldType::Int16:
    case store::FieldType::Int32:
    case store::FieldType::AutoInc:
        return Chars::DigitsMinus;
    case store::FieldType::Float:
        return Chars::Number;
    case store::FieldType::Date:
        return Chars::Date;
    default:
        return Chars::Any;
    }
}

void KeyFilter::setChars(Chars chars) {
    const QString digits = QStringLiteral("0123456789");
    const QString mark = QString(QChar::fromLatin1(store::fmt::kDecimalMark));
    decimal_ = chars == Chars::DigitsDecimal || chars == Chars::Number;
    switch (chars) {
    case Chars::Any:
        allowed_.clear();
        break;
    case Chars::Digits:
        allowed_ = digits;
        break;
    case Chars::DigitsMinus:
        allowed_ = digits + QLatin1Char('-');
        break;
    case Chars::DigitsDecimal:
        allowed_ = digits + mark;
        break;
    case Chars::Number:
        allowed_ = digits + QLatin1Char('-') + mark;
        break;
    case Chars::Date:
        allowed_ = digits + QStringLiteral(".-");
        break;
    }
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    auto* ke = static_cast<QKeyEvent*>(event);
    auto* w = qobject_cast<QWidget*>(watched);
    if ((ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) &&
        !(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        if (enterMovesOn_ && w) {
            focusNext(w);
            return true;
        }
        return false;
    }
    if (allowed_.isEmpty() || (ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        return false; // shortcuts (copy, paste, undo) pass
    }
    const QString text = ke->text();
    if (text.isEmpty() || !text.at(0).isPrint()) {
        return false; // editing and moving keys
    }
    if (decimal_ && text == QStringLiteral(".") && w) {
        // the decimal key of a keyboard that writes "." gives the program's decimal mark
        QKeyEvent mark(QEvent::KeyPress, Qt::Key_Comma, ke->modifiers(),
                       QString(QChar::fromLatin1(store::fmt::kDecimalMark)));
        QCoreApplication::sendEvent(w, &mark);
        return true;
    }
    for (QChar c : text) {
        if (!allowed_.contains(c)) {
            QApplication::beep();
            return true;
        }
    }
    return false;
}

void focusNext(QWidget* w) {
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &tab);
}

void applyEntryMask(QLineEdit* edit, const EntryMask& mask) {
    edit->setMaxLength(mask.maxLength > 0 ? mask.maxLength : 32767);
    edit->setProperty("dirurarUpper", mask.upper);
    if (edit->property("dirurarUpperLinked").toBool()) {
        return;
    }
    edit->setProperty("dirurarUpperLinked", true);
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        if (!edit->property("dirurarUpper").toBool()) {
            return;
        }
        const QString up = QString::fromStdString(store::fmt::upperHu(text.toStdString()));
        if (up != text) {
            const int pos = edit->cursorPosition();
            edit->setText(up);
            edit->setCursorPosition(pos);
        }
    });
}

} // namespace ui
