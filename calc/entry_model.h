// The data entry window "Adatbevitel" without its widgets: the state of every control (caption,
// items, item index, check, enabled, visible, text), the window's own state and one method per
// event the window has. Each event recomputes the controls from the chosen type, hinge variant,
// material, options, sizes and language by the window's fixed rules; the window copies the
// controls into its widgets afterwards.
//
// User actions on a control return false and change nothing when the control is hidden or
// disabled at that moment (the user could not have used it).
#pragma once

#include "calc/window.h"
#include "store/messages.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calc {

// The fields of a `tipus` record the data entry reads.
struct TypeRecord {
    int Tipuskod = 0;
    int Szmin = 0, Szmax = 0, Mmin = 0, Mmax = 0;
    int Rudzar = 0; // rod-lock option class: 2 offers "Rúdzár 3", 1 offers "Rúdzár 15mm"
};

// Reads the type record with this code; nullopt when there is none.
using TypeSource = std::function<std::optional<TypeRecord>(int code)>;

// The state of one control. Labels, check boxes and groups use `caption`; edits `text`; radio
// groups `items` and `itemIndex`; check boxes `checked`. The picture's `text` is its file name.
struct Control {
    std::string caption;
    std::vector<std::string> items;
    int itemIndex = -1;
    bool checked = false;
    bool enabled = true;
    bool visible = true;
    std::string text;
    std::string hint; // shown in the status bar while the control has the focus
};

// Every control of the window, under its component name.
struct EntryControls {
    Control DBLCtipus, LbTipus, cb, cbr, Cbts, Image1, Grppant, rgpnyitas, rgpszin, rgptip,
        Checkeckband, Lbszelesseg, Lbmagassag, LRb, Lmerethat, LbSzmin, lbSzmax, LbMmin, LbMmax,
        lbjel1, lbjel2, Rabmhat, Eszelesseg, Emagassag, Erab, Emennyiseg, Ldarab, Efok, lfok, Lfok2,
        rgpanyag, Btnkivalaszt, Btnbezaras;
};

// The window's own state besides its controls.
struct EntryState {
    int32_t Kod = 0;       // the type code of the settings record as this window last saw it
    int32_t Akttipus = 0;  // current type code
    int32_t Rabmax = 2361; // largest accepted lock-side height
    int32_t Magassag = 0, Szelesseg = 0;                          // height and width last entered
    int32_t AktSzmin = 0, AktSzmax = 0, AktMmin = 0, AktMmax = 0; // effective limits
    int32_t Mminhatar = 0;    // smallest height of the size check
    bool Eckbandjel = false;  // Eckband as the user left it
    bool Rudzar3jel = false;  // "Rúdzár 3" offered for the type
    bool Rudzar15jel = false; // "Rúdzár 15mm" offered for the type
    int32_t Pantindex = 1;    // hinge index remembered at activation
};

// The choices remembered in the settings between runs ("pant", "szin", "anyag", "nyitas",
// "eckband", "TS").
struct RememberedChoices {
    int pant = 1;
    int szin = 0;
    int anyag = 0;
    int nyitas = 0;
    bool eckband = false;
    bool ts = false;
};

// The entries with a key filter.
enum class EntryField { TypeList, Width, Height, LockSide, Quantity };

class EntryModel {
public:
    EntryModel(TypeSource types, store::Messages& messages);

    // ---- set-up ----
    // Document language (0 Hungarian, 1 German, 2 Romanian, 3 Serbian, 4 English) and the two
    // captions the main window derives from it; used from the next event on.
    void setLanguage(int Nyelvindex, std::string Kivitelfelirat, std::string Akadalyfelirat);
    // The remembered choices read from the settings at the main window's first activation.
    void preset(int pant, int szin, int anyag, int nyitas, bool eckband, bool ts);
    void preset(const RememberedChoices& r) {
        preset(r.pant, r.szin, r.anyag, r.nyitas, r.eckband, r.ts);
    }
    // The type code the settings record holds now (`tarolo.Kod`), before an event that reads it.
    void setStoredType(int kod) { s_.Kod = kod; }
    // The type code this window wants in the settings record (changed by a type choice and by
    // the material check).
    int storedType() const { return s_.Kod; }

    // ---- events ----
    // The window became active.
    void activate();
    // Clicks on the opening, hinge and material groups (each runs the activation steps).
    bool clickOpening(int index);
    bool clickHinge(int index);
    bool clickMaterial(int index);
    bool clickColour(int index);
    void leaveHinge();
    // The material check: light metal on a type that does not offer it falls back to type 1.
    void leaveMaterial();
    // A type chosen in the list (the settings record's `Kod` becomes `code`).
    bool chooseType(int code);
    // The type list lost the focus or closed its drop-down.
    void leaveTypeList();
    // New texts of the entries.
    bool setWidth(const std::string& text);
    bool setHeight(const std::string& text);
    bool setLockSide(const std::string& text);
    bool setQuantity(const std::string& text);
    // Check boxes clicked: the rail / cover box, "Rúdzár 3", "Rúdzár 15mm", Eckband.
    bool clickRail(bool checked);
    bool clickRod3(bool checked);
    bool clickRod15(bool checked);
    bool setEckband(bool checked);
    void leaveEckband();

    // ---- what the events leave ----
    const EntryControls& controls() const { return c_; }
    const EntryState& state() const { return s_; }
    // A control by its component name; nullptr for an unknown name.
    const Control* control(std::string_view name) const;
    static const std::vector<std::string>& controlNames();

    // The entry the last event set back to "0", to be selected ("Eszelesseg", "Emagassag",
    // "Erab"); empty when none.
    const std::string& entryToSelect() const { return select_; }
    // The last event sends the focus to the type list.
    bool focusTypeList() const { return focusTypeList_; }
    // The last material check replaced the type by type 1.
    bool materialReplacedType() const { return materialReplaced_; }

    // "&Kigyűjt" is enabled; otherwise refusal() tells why in a few Hungarian words.
    bool collectEnabled() const { return c_.Btnkivalaszt.enabled; }
    std::string refusal() const { return refusal_; }
    // The rod-lock option word of the collection.
    int32_t Rudzaropcio() const;
    // The window as the collection reads it.
    Window window() const;
    // The values written to the settings on close.
    RememberedChoices remembered() const;
    // The picture of the current type and opening, e.g. "2310.bmp".
    std::string pictureName() const { return c_.Image1.text; }

    // ---- keyboard ----
    // Whether a typed character reaches the entry (control characters always do).
    static bool keyAccepted(EntryField entry, char32_t ch);
    // The printable characters the entry accepts.
    static std::string acceptedChars(EntryField entry);

private:
    enum class Changed { None, Width, Height, LockSide };
    struct LimitInputs {
        int type = -1, hinge = -1, material = -1, width = 0;
        bool rod3 = false, rod15 = false;
        bool operator==(const LimitInputs&) const = default;
    };

    void begin();
    void finish();
    void activation();
    void relabel();
    void hingeRules();
    void colourRules();
    void eckbandRule();
    void restoreEckband();
    void openingAndRail();
    void sizeLimits();
    void lockSideLabels();
    void lockSideEntry();
    bool rodLockBoxes();
    void picture();
    void sizeCheck();
    void entryChanged(Changed which);
    void computeAngle();
    LimitInputs limitInputs() const;
    std::optional<TypeRecord> record() const;
    int hinge() const { return c_.rgptip.itemIndex; }
    int material() const { return c_.rgpanyag.itemIndex; }
    std::string translated(const std::string& hungarian) const;

    TypeSource types_;
    store::Messages& messages_;
    int Nyelvindex_ = 0;
    std::string Kivitelfelirat_ = "Kivitel";
    std::string Akadalyfelirat_ = "Süllyesztett";

    EntryControls c_;
    EntryState s_;
    std::string refusal_;
    std::string select_;
    bool focusTypeList_ = false;
    bool materialReplaced_ = false;
    LimitInputs limitsFrom_;
    int depth_ = 0;
};

} // namespace calc
