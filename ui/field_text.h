// Field values as the controls show and take them: display text with the field's display
// format, edit text, entry masks and the characters a field's type may hold.
#pragma once

#include "store/engine/dataset.h"

#include <string>
#include <string_view>

namespace ui {

// The value as a cell or a bound edit shows it: the field's display format applied to numbers,
// dates in the short form, logicals as "True" / "False".
std::string displayText(const store::Field& field, const store::Value& value);
// The value as it is typed: numbers without grouping and with the decimal mark.
std::string editText(store::FieldType type, const store::Value& value);

// An entry mask ("upper:15", "upper", or a bare maximum length "15"); anything else in the
// mask is ignored.
struct EntryMask {
    bool upper = false;
    int maxLength = 0; // 0: no limit of the mask's own
};
EntryMask parseEntryMask(std::string_view mask);
// The mask of a field: its edit mask, limited to the field's capacity for a text field.
EntryMask entryMaskOf(const store::Field& field);

} // namespace ui
