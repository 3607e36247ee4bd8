#include "calc/description.h"

#include <optional>

namespace calc {

namespace {

std::string itemText(const Control& c) {
    if (c.itemIndex < 0 || c.itemIndex >= static_cast<int>(c.items.size())) {
        return {};
    }
    return c.items[static_cast<size_t>(c.itemIndex)];
}

// the types whose material group names a threshold scheme, not a profile system
bool schemeType(int k) {
    return k == 3 || (k >= 23 && k <= 27) || k == 48 || k == 49;
}

} // namespace

reports::WindowDescription describeWindow(const EntryModel& entry, const DescriptionInputs& in) {
    const EntryControls& c = entry.controls();
    const Window w = entry.window();
    reports::WindowDescription d;
    d.type = in.typeName + ", " + itemText(c.rgptip);
    d.material = itemText(c.rgpanyag);
    if (w.material == 0 && !schemeType(w.type)) {
        d.material += " - " + (in.Profilvaltva ? in.profileName : std::string("Rehau 730"));
    }
    d.opening = itemText(c.rgpnyitas);
    d.colour = itemText(c.rgpszin);
    d.quantity = c.Emennyiseg.text + " db ";
    d.size = reports::WindowDescription::sizeText(
        w.width, w.height, c.Erab.enabled ? std::optional<int>(w.lockSide) : std::nullopt);
    if (!in.pictureFolder.empty() && !entry.pictureName().empty()) {
        d.picture = in.pictureFolder / entry.pictureName();
    }
    return d;
}

} // namespace calc
