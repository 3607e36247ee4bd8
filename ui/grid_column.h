// A grid column declared as data: which field it shows and how.
#pragma once

#include "store/engine/dataset.h"

#include <QColor>
#include <QFont>
#include <optional>
#include <string>

namespace ui {

// A combo box for a column: the rows of `list` offer their `listField`; choosing one writes its
// `listKeyField` into the grid handle's field `keyField`. A lookup field with a pick list can be
// edited; without one it is read-only.
struct PickList {
    store::DataSet* list = nullptr;
    std::string listKeyField;
    std::string listField;
    std::string keyField;

    bool valid() const { return list != nullptr && !listKeyField.empty() && !keyField.empty(); }
};

struct GridColumn {
    std::string field;
    std::string title; // empty: the field's display label
    int width = 0;     // pixels; 0: from the field's display width or type
    bool visible = true;
    bool readOnly = false;
    std::optional<store::Alignment> alignment; // unset: the field's
    QColor color;                              // invalid: the grid's
    std::optional<QFont> font;
    QColor titleColor;
    std::optional<QFont> titleFont;
    PickList pickList;

    GridColumn() = default;
    GridColumn(std::string fieldName, std::string columnTitle = {}, int columnWidth = 0)
        : field(std::move(fieldName)), title(std::move(columnTitle)), width(columnWidth) {}
};

} // namespace ui
