#include "app/core/settings.h"

namespace app {

namespace {
using V = std::variant<int32_t, std::string>;
}

const std::vector<SettingDef>& settingsTable() {
    using T = SettingType;
    static const std::vector<SettingDef> t = {
        {"nyelv", T::Integer, V{0},
         "document language 0 Magyar, 1 Német, 2 Roman, 3 Szerb, 4 English"},
        {"language", T::String, std::nullopt, "the system's language code, written at every start"},
        {"update", T::Boolean, V{1}, "start-up update entry wanted"},
        {"rabnev", T::String, V{std::string()}, "customer whose discount conditions are loaded"},
        {"fokus", T::Integer, V{1},
         "initial search field: 0 article number, 1 part code, else name"},
        {"penz", T::Integer, V{0}, "article code shown: 0 BSNR, 1 BSNR2"},
        {"frissit", T::Boolean, V{0}, "written false whenever a delivered price list was read"},
        {"arlat", T::Boolean, V{0}, "prices visible in the search window and on the order summary"},
        {"pant", T::Integer, V{0}, "remembered hinge type"},
        {"szin", T::Integer, V{0}, "remembered colour"},
        {"anyag", T::Integer, V{0}, "remembered material"},
        {"nyitas", T::Integer, V{0}, "remembered opening direction"},
        {"eckband", T::Boolean, V{0}, "remembered corner hinge choice"},
        {"ts", T::Boolean, V{0}, "remembered 15 mm running rail choice"},
        {"suly", T::Integer, V{1}, "order summary column: 0 unit price, 1 weight"},
        {"exp", T::Integer, V{0}, "export target: 0 Excel, 1 Open Office"},
        {"rab", T::Integer, V{0}, "only its default is written"},
        {"sep", T::Integer, V{0}, "list separator of exported lists: 0 ';', 1 ','"},
        {"separator", T::String, V{std::string(",")},
         "decimal mark of forint amounts in spreadsheets"},
        {"vevo", T::Boolean, std::nullopt, "ask for and print the customer on the order summary"},
        {"naplo", T::Boolean, std::nullopt, "print the collection log after the order summary"},
        {"hebel", T::Boolean, std::nullopt, "collect handle modules for sliding-door sets"},
        {"rb1", T::Boolean, std::nullopt, "handle Ka-Line"},
        {"rb2", T::Boolean, std::nullopt, "handle Hoppe Tokyo"},
        {"kalk", T::Boolean, std::nullopt, "running price totals in the collection window"},
        {"oxal", T::Boolean, std::nullopt, "filter the window type list"},
        {"pauto", T::Boolean, std::nullopt, "switch the material automatically from the profile"},
        {"profil", T::Integer, std::nullopt, "current profile number"},
        {"form1", T::String, std::nullopt, "main window state at the last exit"},
        {"inst", T::Date, std::nullopt, "date of the first start"},
    };
    return t;
}

const SettingDef* findSetting(const std::string& name) {
    for (const auto& s : settingsTable()) {
        if (name == s.name) {
            return &s;
        }
    }
    return nullptr;
}

void writeMissingDefaults(Registry& reg) {
    for (const auto& s : settingsTable()) {
        if (!s.defaultValue || reg.valueExists(s.name)) {
            continue;
        }
        if (const auto* i = std::get_if<int32_t>(&*s.defaultValue)) {
            reg.writeInteger(s.name, *i);
        } else {
            reg.writeString(s.name, std::get<std::string>(*s.defaultValue));
        }
    }
}

CollectionChoices readCollectionChoices(const Registry& reg) {
    CollectionChoices c;
    auto flag = [&](const char* name, bool& target) {
        try {
            if (reg.valueExists(name)) {
                target = reg.readBool(name);
            }
        } catch (const RegistryError&) {
            // an unreadable value keeps the design state
        }
    };
    flag("hebel", c.kilincs);
    flag("rb1", c.kaLine);
    flag("rb2", c.hoppeTokyo);
    flag("pauto", c.automatic);
    return c;
}

} // namespace app
