// The replacement run of the field value tool: in one table, every record whose field reads
// exactly as the search text gets the new text (or is only counted).
#pragma once

#include "store/engine/dataset.h"

#include <optional>
#include <string>

namespace atiras {

// Counts the records of `table` whose field `fieldName`, read as text, equals `searchText`
// exactly (letter case included; an empty search text matches the empty fields), and unless
// `checkOnly` writes `newText` into that field of each (converted to the field's type) and
// posts it. nullopt when the table is not open.
//
// The matching records are found first and changed afterwards, so that a change of a field
// the table is ordered by (which moves the record within the order) neither skips nor
// revisits records.
//
// Throws the engine's EngineError when the table has no such field or a record refuses the
// new value (a key that already exists, a value the field cannot take); the records changed
// before it stay changed, and the refused record is left as it was.
std::optional<int> replaceValues(store::DataSet& table, const std::string& fieldName,
                                 const std::string& searchText, const std::string& newText,
                                 bool checkOnly);

} // namespace atiras
