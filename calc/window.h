// The window as data entry hands it to the collection: the choices and entries that the
// collection reads from the data entry controls.
#pragma once

#include <cstdint>
#include <string>

namespace calc {

struct Window {
    int type = 0;          // the type code K (tarolo.Kod)
    int hinge = 1;         // item index of the hinge group: 0 "Normal", 1 "Ka-Line", 2 "Rejtett"
    int material = 0;      // item index of the material group: 0 plastic, 1 "Fa", 2 "LM", 3, 4
    int materialItems = 3; // number of items in the material group (5 for the schemes of type 23)
    int width = 0;         // W, mm
    int height = 0;        // H, mm
    int lockSide = 0;      // R, the lock-side height, mm
    std::string quantity = "1"; // the text of the quantity entry (may be negative)
    int colour = 0;             // item index of the colour group
    int opening = 0;            // item index of the opening group: 0 right, 1 left
    bool eckband = false;       // "Eckband" checked
    bool rail = false;          // the 15 mm rail box checked and visible
    bool rod3 = false;          // "Rúdzár 3" checked
    bool rod15 = false;         // "Rúdzár 15mm" checked
};

// The rod-lock option word of the window: 8 with "Rúdzár 3", else 4; plus 2 with
// "Rúdzár 15mm", else 1.
inline int32_t rodLockOptions(const Window& w) {
    return (w.rod3 ? 8 : 4) + (w.rod15 ? 2 : 1);
}

// The set code of the window: its type, hinge variant and material.
inline int32_t setCode(const Window& w) {
    return w.type + 100 * w.hinge + 1000 * w.material;
}

// The handle choice of the settings ("Kilincs", "Kilincs Ka-Line", "Kilincs Hoppe Tokyo").
struct HandleSettings {
    bool kilincs = false;
    bool kaLine = false;
    bool hoppeTokyo = true;
};

} // namespace calc
