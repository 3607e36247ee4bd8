// The operations of the collection window on its two lists, without the window: moving the
// partial summary into the order summary with its log record, deleting rows and lists,
// changing quantities by a percentage, splitting into cartons, rounding up to whole cartons,
// the running totals and which buttons the window offers.
#pragma once

#include "calc/collection.h"
#include "calc/entry_model.h"
#include "calc/prices.h"
#include "store/messages.h"
#include "store/tdm.h"

#include <functional>
#include <optional>
#include <string>

namespace calc {

// ---- totals ----

// A blank before the thousands and before the millions of a formatted amount (at most two):
// "1234567,89" -> "1 234 567,89", "1000000000" -> "1000 000 000".
std::string groupThousands(std::string text);
// A sum as the status bar shows it: rounded to hundredths (halves to the even neighbour), in
// the general format with the given decimal mark, grouped.
std::string totalText(double sum, const std::string& decimalMark = ",");

struct Totals {
    double euro = 0;   // sum of `ar`
    double forint = 0; // sum of `ar2`
};
// The sums over every row of a summary, read without moving its cursor: through the prices'
// own walk when they are given, else through every row's calculated fields.
Totals sumOf(store::DataSet& list, Prices* prices = nullptr);

// ---- the buttons ----

struct ButtonStates {
    bool partialProfile = false; // "&Profilváltás"
    bool orderProfile = false;   // "Pro&filváltás"
    // "&Megtekint", "Ny&omtat", the upper "Töröl" and "Válto&ztat", "&Összesít"
    bool partialRows = false;
    // the lower "Töröl" and "Változtat", the order summary's "&Töröl"
    bool orderRows = false;
};
ButtonStates buttonStates(bool partialEmpty, bool orderEmpty, bool KR, bool Konv, bool automatic);

// ---- the collection log ----

struct LogRecord {
    std::string Tpus;
    int32_t Szel = 0, Mag = 0, ERab = 0, Darab = 0;
    std::string Anyag, Pant, Eckband, Szin, Nyitas, Profil, Ts, Rzar;
};
// The record of the window data entry shows. `typeName` is the type list's text.
LogRecord logRecord(const EntryModel& entry, const std::string& typeName, bool Profilvaltva,
                    const std::string& profileName);

// ---- the lists ----

class OrderLists {
public:
    OrderLists(store::TDM& dm, Collection& collection, store::Messages& messages);

    // Told after each row of a long walk (rows done, rows to do).
    std::function<void(int done, int total)> progress;

    // "&Összesít": the partial rows into the order summary (a row reaching 0 is deleted), the
    // partial summary emptied; with `Naplozando` the log record is written and the two marks
    // cleared.
    void Osszesit(const std::optional<LogRecord>& log);
    // The lower "Töröl": the current order row; the log is emptied with the last row.
    void deleteOrderRow();
    // The whole lists, after "Biztos törölni akarja?"; false when answered No. The order
    // summary's sets `tarolo.Konv` whatever the answer.
    bool deletePartialList();
    bool deleteOrderList();
    // "Mennyiség változtatás (%)" over the partial summary; false when cancelled or refused.
    bool changeQuantities();
    // "Átalakítás B0/B1": the order summary rewritten into the partial summary in cartons.
    void cartonSplit();
    // "Kiegészít": the order quantities rounded up to whole cartons.
    void roundUpToCartons();
    // After a profile change of the order summary: the log names the new profile.
    void renameLogProfiles(const std::string& profileName);

private:
    void step(int done, int total) {
        if (progress) {
            progress(done, total);
        }
    }

    store::TDM& dm_;
    Collection& collection_;
    store::Messages& messages_;
};

} // namespace calc
