// Every registry value of the program, declared once with its type and the default that is
// written when it is missing.
#pragma once

#include "app/core/registry.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace app {

enum class SettingType { Integer, Boolean, String, Date };

struct SettingDef {
    const char* name;
    SettingType type;
    // the default written at start-up when the value is missing; none: never written so
    // (reading it before it was written fails, as a missing value does)
    std::optional<std::variant<int32_t, std::string>> defaultValue;
    const char* meaning;
};

// The values under "\vekkor".
const std::vector<SettingDef>& settingsTable();
const SettingDef* findSetting(const std::string& name);

constexpr const char* kSettingsKey = "\\vekkor";

// Writes the default of every missing value of the table into the open key. Booleans with a
// default are stored as integers, as they always were.
void writeMissingDefaults(Registry& reg);

// The settings dialog's choices the collection reads: "Kilincs" with its two handles and
// "Automatkus váltás". Values never written keep the dialog's design state ("Kilincs Hoppe
// Tokyo" on, the others off).
struct CollectionChoices {
    bool kilincs = false;   // "hebel"
    bool kaLine = false;    // "rb1"
    bool hoppeTokyo = true; // "rb2"
    bool automatic = false; // "pauto"
};
CollectionChoices readCollectionChoices(const Registry& reg);

} // namespace app
