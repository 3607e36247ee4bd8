#include "ui/field_text.h"

#include "store/format/format.h"

#include <charconv>

namespace ui {

using store::FieldType;
using store::Value;

static double asDouble(const Value& v) {
    return v.isFloat() ? v.floatValue() : static_cast<double>(v.intValue());
}

std::string displayText(const store::Field& field, const Value& value) {
    if (value.isNull()) {
        return {};
    }
    if (value.isText()) {
        return value.textValue();
    }
    switch (field.type()) {
    case FieldType::Int16:
    case FieldType::Int32:
    case FieldType::AutoInc:
    case FieldType::Float:
        if (!field.displayFormat.empty()) {
            return store::fmt::formatMask(asDouble(value), field.displayFormat);
        }
        break;
    default:
        break;
    }
    return editText(field.type(), value);
}

std::string editText(FieldType type, const Value& value) {
    if (value.isNull()) {
        return {};
    }
    if (value.isText()) {
        return value.textValue();
    }
    switch (type) {
    case FieldType::Bool:
        return value.isInt() && value.intValue() != 0 ? "True" : "False";
    case FieldType::Date:
        return value.isInt() ? store::fmt::formatDate(store::Date::fromDays(value.intValue()))
                             : std::string();
    case FieldType::Float:
        return store::fmt::formatGeneral(asDouble(value));
    default:
        return value.isFloat() ? store::fmt::formatGeneral(value.floatValue())
                               : store::fmt::formatInt(value.intValue());
    }
}

EntryMask parseEntryMask(std::string_view mask) {
    EntryMask m;
    auto number = [&](std::string_view s) {
        int n = 0;
        auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
        if (ec == std::errc() && p == s.data() + s.size() && n > 0) {
            m.maxLength = n;
        }
    };
    if (mask.substr(0, 5) == "upper") {
        m.upper = true;
        if (mask.size() > 6 && mask[5] == ':') {
            number(mask.substr(6));
        }
    } else {
        number(mask);
    }
    return m;
}

EntryMask entryMaskOf(const store::Field& field) {
    EntryMask m = parseEntryMask(field.editMask);
    if (field.type() == FieldType::Text && field.size() > 0 &&
        (m.maxLength == 0 || m.maxLength > field.size())) {
        m.maxLength = field.size();
    }
    return m;
}

} // namespace ui
