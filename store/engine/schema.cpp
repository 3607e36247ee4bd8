#include "store/engine/schema.h"

#include <cctype>

namespace store {

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::vector<std::string> splitFieldList(std::string_view list) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string_view::npos) {
            end = list.size();
        }
        std::string_view part = list.substr(start, end - start);
        while (!part.empty() && part.front() == ' ') {
            part.remove_prefix(1);
        }
        while (!part.empty() && part.back() == ' ') {
            part.remove_suffix(1);
        }
        if (!part.empty()) {
            out.emplace_back(part);
        }
        start = end + 1;
    }
    return out;
}

int TableSchema::fieldIndex(std::string_view name) const {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (equalsNoCase(fields[i].name, name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

const IndexDef* TableSchema::primaryIndex() const {
    for (const auto& ix : indexes) {
        if (ix.primary) {
            return &ix;
        }
    }
    return nullptr;
}

const IndexDef* TableSchema::findIndex(std::string_view name) const {
    for (const auto& ix : indexes) {
        if (equalsNoCase(ix.name, name)) {
            return &ix;
        }
    }
    return nullptr;
}

const IndexDef* TableSchema::indexForFields(const std::vector<std::string>& wanted) const {
    auto matches = [&](const IndexDef& ix) {
        if (ix.fields.size() < wanted.size()) {
            return false;
        }
        for (size_t i = 0; i < wanted.size(); ++i) {
            if (!equalsNoCase(ix.fields[i], wanted[i])) {
                return false;
            }
        }
        return true;
    };
    // an index with exactly these fields first, primary before secondaries; then one that
    // starts with them
    for (bool exact : {true, false}) {
        for (bool primary : {true, false}) {
            for (const auto& ix : indexes) {
                if (ix.primary == primary && matches(ix) &&
                    (!exact || ix.fields.size() == wanted.size())) {
                    return &ix;
                }
            }
        }
    }
    return nullptr;
}

} // namespace store
