// The collected window as the printed summary describes it in its header block.
#pragma once

#include "calc/entry_model.h"
#include "reports/layouts/order_summary.h"

#include <filesystem>
#include <string>

namespace calc {

struct DescriptionInputs {
    std::string typeName;                // the type list's text for the type
    bool Profilvaltva = false;           // a profile change was applied: its name is printed
    std::string profileName;             // the chosen profile's name
    std::filesystem::path pictureFolder; // program folder + "icon"
};

// The block from data entry's controls: type with hinge variant, size (with the lock-side
// height when that entry is in use), material (plastic windows name their profile system,
// "Rehau 730" unless a profile change was applied), opening, colour and quantity.
reports::WindowDescription describeWindow(const EntryModel& entry, const DescriptionInputs& in);

} // namespace calc
