// The collection of a window's fitting parts: the set of the window, the size value of each
// module, the module's parts by size, colour and opening side, multiplied out into the partial
// summary; then the conversion of the reference profile's parts to the chosen profile and the
// substitution of the wood parts.
#pragma once

#include "calc/window.h"
#include "store/messages.h"
#include "store/rules/dm_rules.h"
#include "store/tdm.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace calc {

// The size dependency kinds of a set row.
enum class SizeKind : int {
    Independent = 0,   // "Független"
    Width = 1,         // "Szélesség"
    Height = 2,        // "Magasság"
    LockSide = 3,      // "RAB"
    Computed = 4,      // "Számított"
    HalfRab = 5,       // "RAB/2"
    QuarterRrb = 6,    // "RRB/4"
    AfVso = 7,         // "AF VSO"
    AfVsuVv = 8,       // "AF VSU V -V"
    AfVsuStulp = 9,    // "AF VSU Stulp"
    QuarterTerra = 10, // "RAB/4 TERRA"
    VsoZol = 11,       // "VSO ZOL"
    RbFiller = 12,     // "RB/Pótolló/-70"
    AfVsu = 13,        // "AF VSU"
    VrVso = 14,        // "Vr/VSO"
    VrVsu = 15,        // "Vr/VSU"
};

// The size value S of a set row of the given kind for the window; nothing when the kind does
// not set it (independent, or a ratio outside the kind's regions). Kinds that compute in
// floating point take the nearest integer, a half going to the even one.
std::optional<int32_t> sizeValue(int kind, const Window& w);

// The message of a height-width ratio that kind 14 does not allow.
constexpr const char* kRatioMessage = "Magasság -szélesség arány nem megengedett!";

// A set row's gear variant fits the rod-lock option word.
bool gearFits(int32_t getriebe, int32_t options);
// The handle modules left out by the handle settings.
bool handleModuleSkipped(std::string_view module, const HandleSettings& h);
// The modules of type 70 left out for the window's sizes.
bool type70ModuleSkipped(std::string_view module, const Window& w);
// The opening code of a module row's selection (colour and opening handled by the caller).
int32_t openingCode(std::string_view module, const Window& w);

// The collection window's work on the partial summary, without the window.
class Collection {
public:
    // Sets the collection filters of the set and module handles; the destructor removes them.
    Collection(store::TDM& dm, store::DataModuleRules& rules, store::Messages& messages);
    ~Collection();
    Collection(const Collection&) = delete;
    Collection& operator=(const Collection&) = delete;

    // ---- marks of the collection window ----
    bool Ujkigyujtes = false;   // a new collection waits to be moved into the order summary
    bool Naplozando = false;    // the next move into the order summary writes the log record
    bool Konvertalando = false; // the activation converts the profile
    bool Profilvaltva = false;  // a profile change was applied

    // Fills the partial summary with the parts of the window and leaves it on its first row.
    // A quantity that is not a whole number is refused with a message and changes nothing.
    // Returns false when the collection did not run.
    bool bkivalasztClick(const Window& w, const HandleSettings& h);

    // Replaces the reference profile's parts of the partial summary by the current profile's
    // (the conversion table `tblconv` is opened when closed).
    void profileConversion();
    // Substitutes the wood parts for profile 64 windows.
    void woodSubstitution(const Window& w, bool automatic);

    // The activation's work on the lists: after a collection with "Automatkus váltás" on, a
    // plastic or wood window and a profile chosen, converts the profile and substitutes the
    // wood parts; then moves the partial summary to its first row.
    void activate(const Window& w, bool automatic);

    // The window being collected (the set filter reads its height and "Rúdzár 3").
    const Window& window() const { return window_; }

private:
    bool setRowShown(store::DataSet& ds);
    bool moduleRowShown(store::DataSet& ds);

    store::TDM& dm_;
    store::DataModuleRules& rules_;
    store::Messages& messages_;
    Window window_;
    int setModule_ = -1, setGear_ = -1; // field positions in the set handle
    int modMin_ = -1, modMax_ = -1, modColour_ = -1, modOpening_ = -1;
};

} // namespace calc
