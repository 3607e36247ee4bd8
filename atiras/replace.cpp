#include "atiras/replace.h"

#include <vector>

namespace atiras {

std::optional<int> replaceValues(store::DataSet& table, const std::string& fieldName,
                                 const std::string& searchText, const std::string& newText,
                                 bool checkOnly) {
    if (!table.active()) {
        return std::nullopt;
    }
    store::Field& field = table.fieldByName(fieldName); // throws for an unknown field
    std::vector<store::Bookmark> matches;
    for (table.first(); !table.eof(); table.next()) {
        if (field.asString() == searchText) {
            matches.push_back(table.bookmark());
        }
    }
    if (checkOnly) {
        return static_cast<int>(matches.size());
    }
    int count = 0;
    for (store::Bookmark b : matches) {
        table.gotoBookmark(b);
        ++count;
        try {
            table.edit();
            field.setValue(store::Value(newText));
            table.post();
        } catch (...) {
            // the refused record keeps its values; the table is left browsing
            if (table.state() == store::DataSetState::Edit) {
                table.cancel();
            }
            throw;
        }
    }
    return count;
}

} // namespace atiras
