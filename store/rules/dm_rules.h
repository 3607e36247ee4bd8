// The rules of the data module: record filters, the checks and messages run when a record is
// posted or deleted, the clean-up that keeps dependent tables consistent and the marks other
// windows read. The rules read the state of the windows from WindowState, which those windows
// keep up to date, and tell the windows what to show through WindowHooks; a hook that is not
// set (no such window yet) is skipped.
#pragma once

#include "store/messages.h"
#include "store/tdm.h"

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace store {

// What the rules read from the windows.
struct WindowState {
    // ---- maintenance window ----
    bool torlesreRakerdez = true;   // "Törlésre rákérdez": ask before every deletion
    bool Torlesflag = false;        // the last deletion through the delete guard went ahead
    int Aktgarkod = 0;              // the set code being maintained
    bool maintenanceActive = false; // the maintenance or the set-copy window is the active one
    std::string EACSOP = "0";       // group entry of the price-list maintenance
    std::string uj = "*";           // part number given to new data-sheet rows
    // ---- main window ----
    bool Torlesvizsgalat = false; // the row being deleted belongs to the price list
    // ---- settings ----
    bool oxalSzures = false; // "Oxal szűrés"
    // ---- data entry ----
    int materialIndex = 0; // 0 plastic, 1 "Fa", 2 "LM", ...
    // ---- stock windows ----
    int RDPrakt2 = 0; // 0 every part, 1 more than Enagyobb, 2 less than Ekissebb
    std::string Enagyobb = "0";
    std::string Ekissebb = "0";
    int Rgpkeszlet = 0; // 0 every line, 1 available, 2 missing
};

// What the rules tell the windows.
struct WindowHooks {
    // the part search window closes
    std::function<void()> closePartSearch;
    // the maintenance window's size dependency list shows the item at this position
    std::function<void(int position)> showSizeDependency;
    // the maintenance window's option list shows the item starting with these two digits
    std::function<void(const std::string& twoDigits)> showGearVariant;
    // panel 2 of the search window's status bar
    std::function<void(const std::string&)> searchStatusPanel2;
    // the collection window refreshes the partial-summary totals
    std::function<void()> Reszosszeg;
    // the goods-receipt grid gets the focus on its first column
    std::function<void()> focusGoodsReceiptGrid;
    // panel 1 of the goods-receipt window's status bar
    std::function<void(const std::string&)> goodsReceiptStatusPanel1;
    // the part usage check: where the part is still used (Profiladat, Modul1, Converter,
    // Modul2, Kigyüjt, Részossesítő)
    std::function<std::array<bool, 6>(const std::string& bsnr, bool Torlesvizsgalat)> partUsage;
    // the record filters of the collection; unset: every record is shown
    std::function<bool(DataSet&)> collectionModuleFilter; // Tblmodul
    std::function<bool(DataSet&)> collectionSetFilter;    // Tblgarnitur
};

class DataModuleRules {
public:
    // Attaches every rule to the data module's handles; the destructor detaches them.
    DataModuleRules(TDM& dm, Messages& messages);
    ~DataModuleRules();
    DataModuleRules(const DataModuleRules&) = delete;
    DataModuleRules& operator=(const DataModuleRules&) = delete;

    WindowState state;
    WindowHooks hooks;

    // ---- the filter decisions, for the record the handle stands on ----
    bool typeVisible(int typeCode);
    bool setRowVisible(DataSet& ds);

    // The type list's decision for type t with current type c (pure).
    static bool typeShown(int t, int c, int materialIndex, bool oxal);

private:
    void attach();
    void detach();
    // Sets one event of a handle; the detach clears it again.
    template <class Slot, class Fn> void bind(Slot& slot, Fn fn) {
        slot = std::move(fn);
        undo_.push_back([&slot] { slot = nullptr; });
    }

    ErrorAction postError(DataSet& ds, const EngineError& e);
    ErrorAction deleteError(DataSet& ds, const EngineError& e, bool cancelFirst);
    void deleteGuard(DataSet& ds);
    void afterScrollSet(DataSet& ds);
    void afterPostPartial(DataSet& ds);
    void typeDeleted();
    void converterPosted();
    void deleteSheetRows(const char* field, int64_t value);
    void goodsReceiptBeforePost(DataSet& ds);
    void goodsReceiptChanged(DataSet& ds);
    int currentTypeCode();
    std::string currentCustomer();

    TDM& dm_;
    Messages& messages_;
    std::vector<std::function<void()>> undo_;
};

} // namespace store
