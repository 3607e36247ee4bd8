// What a table file describes about itself: its fields in declaration order and its indexes.
#pragma once

#include "store/engine/value.h"

#include <string>
#include <vector>

namespace store {

struct IndexDef {
    std::string name;
    std::vector<std::string> fields;
    bool primary = false;
    bool caseInsensitive = false;
    bool unique = false; // a primary index is always unique

    bool isUnique() const { return primary || unique; }
};

struct TableSchema {
    std::string tableName; // the name of the table inside its file
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;

    int fieldIndex(std::string_view name) const; // -1 when absent; names match without case
    const IndexDef* primaryIndex() const;
    const IndexDef* findIndex(std::string_view name) const; // by name, without case
    // The first index (primary first) whose leading fields are exactly `fields`, in order.
    const IndexDef* indexForFields(const std::vector<std::string>& fields) const;
};

bool equalsNoCase(std::string_view a, std::string_view b);
std::string lowerAscii(std::string_view s);
// "Garkod;Modulkod" -> {"Garkod", "Modulkod"}; blanks around names are dropped.
std::vector<std::string> splitFieldList(std::string_view list);

} // namespace store
