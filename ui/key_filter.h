// Key filters for edit boxes: only the characters a field may hold get through (any other
// printable key is dropped with a beep), and Enter moves the focus to the next control.
#pragma once

#include "store/engine/value.h"

#include <QObject>
#include <QString>

class QWidget;
class QLineEdit;

namespace ui {

struct EntryMask;

class KeyFilter : public QObject {
    Q_OBJECT
public:
    enum class Chars {
        Any,
        Digits,        // 0-9
        DigitsMinus,   // 0-9 and "-"
        DigitsDecimal, // 0-9 and the decimal mark
        Number,        // 0-9, "-" and the decimal mark
        Date,          // 0-9, "." and "-"
    };

    explicit KeyFilter(QObject* parent = nullptr);

    // Installs a filter on `edit`, owned by it.
    static KeyFilter* install(QWidget* edit, Chars chars, bool enterMovesOn = true);
    // The characters a field of the type may hold.
    static Chars charsFor(store::FieldType type);

    void setChars(Chars chars);
    // An explicit set of allowed characters; empty allows every character.
    void setAllowed(const QString& chars) { allowed_ = chars; }
    const QString& allowed() const { return allowed_; }
    void setEnterMovesOn(bool on) { enterMovesOn_ = on; }
    bool enterMovesOn() const { return enterMovesOn_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString allowed_;
    bool decimal_ = false; // "." typed is taken as the decimal mark
    bool enterMovesOn_ = true;
};

// Moves the focus from `w` to the next control of its window, as Tab does.
void focusNext(QWidget* w);

// Applies an entry mask to a line edit: maximum length and, for "upper", every typed or
// pasted letter in upper case.
void applyEntryMask(QLineEdit* edit, const EntryMask& mask);

} // namespace ui
