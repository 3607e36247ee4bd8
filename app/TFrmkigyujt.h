// The collection window "Alkatrész kigyűjtés": the partial summary (the window collected last,
// or parts added by hand) in the upper grid, the order summary in the lower one. The user
// checks the partial summary and moves it into the order summary ("&Összesít"), deletes rows
// and lists, changes quantities, splits into cartons, prints and previews either summary and
// keeps the grids' column layouts. The list work itself is calc::OrderLists; this window feeds
// it the user's commands and shows the lists, the buttons' states and the running totals.
#pragma once

#include "app/core/shell.h"
#include "calc/order_lists.h"
#include "reports/layouts/lists.h"
#include "reports/layouts/order_summary.h"

#include <QDialog>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QActionGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;

namespace calc {
class Collection;
}

namespace reports {
class ReportPrinter;
namespace engine {
class Report;
}
} // namespace reports

namespace store {
class Messages;
class TDM;
class Table;
} // namespace store

namespace ui {
class DBGrid;
class DBNavigator;
class StatusBar;
} // namespace ui

namespace app {

class TFrmvasalatok;
class Tfrmkival;

class TFrmkigyujt : public QDialog {
public:
    TFrmkigyujt(store::TDM& dm, calc::Collection& collection, store::Messages& messages,
                QWidget* parent = nullptr);
    ~TFrmkigyujt() override;

    // The main window (language, price label, layout file names, settings key, report texts)
    // and the data entry whose window was collected; either may be missing: then the language
    // is Hungarian, the totals are shown, `layoutFiles` below names the layouts and no window
    // description or log record is made.
    TFrmvasalatok* mainWindow = nullptr;
    Tfrmkival* dataEntry = nullptr;
    // The prices: the totals are summed through them when set.
    calc::Prices* prices = nullptr;
    // The layout files used while there is no main window.
    LayoutFiles layoutFiles{"racsr.txt", "racso.txt", "dracsr.txt", "dracso.txt"};

    // The profile change dialog, shown modally; it reads `Valtasmod`. While unset the two
    // profile change buttons stay disabled.
    std::function<void()> showProfileChange;
    // Replaces the preview window and the printer (tests): gets the bound report and whether
    // it is printed; returns whether it was output.
    std::function<bool(reports::engine::Report&, bool print)> reportOutput;

    // ---- marks ----
    int Valtasmod = 0;  // the list the profile change dialog works on: 1 partial, 2 order
    int Keszletmod = 0; // the stock dialog's mode: 0 picking, 1 receiving
    int Haladas = 0, Haladasmax = 0;

    // ---- operations ----
    // The activation, run at every showing.
    void FormActivate();
    // The buttons' states and both totals; with `focus` the focus goes to "&Összesít" or, for
    // an empty partial summary, to "&Vissza".
    void Gombfrissites(bool focus);
    // The running totals of the partial summary (panels 1, 2) and of the order summary
    // (panels 4, 5).
    void Reszosszeg();
    void Osszosszeg();
    // "&Összesít".
    void BtnfeltoltClick();
    // Print (tag 1, 3) or preview (tag 2, 4) of the partial (1, 2) or order summary (3, 4).
    void MegtekintClick(int tag);
    // The main window's first activation: every missing layout file gets the grid's built-in
    // columns, then the user's layouts are loaded. True when a file had to be made.
    bool prepareLayouts();
    // Both grids' columns into the user's layout files; failures are ignored.
    void saveLayouts();
    // "Tábla alapbeállítás".
    void resetLayouts();
    // "Alap" (alias "data") or "Külső" (alias "kulso") as the order summary's data source.
    void chooseDataSource(bool external);

    reports::TFrmqrosszesit& summaryReport() { return summary_; }
    calc::OrderLists& lists() { return lists_; }
    // A menu entry by its path ("Rendelés > Export excel > Alsó tábla") or by a caption that
    // only one entry has.
    QAction* action(const std::string& name) const;

    // ---- controls, under their component names ----
    ui::DBGrid *DBGridr = nullptr, *DBGrido = nullptr;
    ui::DBNavigator *DBNavreszossz = nullptr, *DBNavikigyujt = nullptr;
    QPushButton *Btnreszbeszur = nullptr, *BitBtnosszbeszur = nullptr;
    QPushButton *Btn_reszValtoztat = nullptr, *Btn_osszvaltoztat = nullptr;
    QPushButton *Btnresztorol = nullptr, *Btn_ossztorol = nullptr;
    QGroupBox* GrBRnyom = nullptr;
    QPushButton *Btnresznyomtat = nullptr, *Btnreszmegtekint = nullptr, *BitBtn1 = nullptr,
                *Btnprofi_2 = nullptr;
    QGroupBox* GrBOnyom = nullptr;
    QPushButton *Btnossznyomtat = nullptr, *BtnMegtekint = nullptr, *Btntorol = nullptr,
                *btncon = nullptr;
    QPushButton *Btnossz = nullptr, *Btnvissza = nullptr;
    ui::StatusBar* StbKigyujt = nullptr;
    QLineEdit* Eprofil = nullptr;
    QLabel *Label1 = nullptr, *Lrabat = nullptr;
    QFrame* Panel = nullptr;
    QGroupBox* grp1 = nullptr;
    QProgressBar* prbar = nullptr;
    QMenuBar* MainMenu = nullptr;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void createControls();
    void createMenu();
    void connectControls();
    QAction* addEntry(QMenu* menu, const std::string& path, const char* caption, int tag,
                      bool enabled);

    // ---- the commands ----
    void deletePartialRow();
    void deleteOrderRow();
    void deletePartialList();
    void deleteOrderList();
    void changeQuantities();
    void cartonSplit();
    void roundUpToCartons();
    void profileChange(int tag);
    void outputDiscounts(bool print);
    void printerSetup();
    void leave(bool closeDataEntry);

    // ---- helpers ----
    // Runs a list operation with the progress panel over `over`.
    template <class Fn> void withProgress(QWidget* over, const char* text, Fn&& fn);
    void focusMoved(QWidget* old, QWidget* now);
    void enteredButton();
    bool totalsShown();
    std::optional<bool> settingFlag(const char* name);
    std::optional<int> settingInt(const char* name);
    int Nyelvindex() const;
    std::string Arfelirat() const;
    const LayoutFiles& layouts() const;
    std::string currentProfileName();
    int storedKod();
    calc::Window collectedWindow() const;
    void applyReportSettings();
    void fillWindowBlock(int tag);
    bool output(reports::engine::Report& report, reports::ReportPrinter& printer, bool print);
    void loadLayout(ui::DBGrid* grid, const std::string& file);
    void saveLayout(ui::DBGrid* grid, const std::string& file);
    static bool listEmpty(store::Table& t);

    store::TDM& dm_;
    calc::Collection& collection_;
    store::Messages& messages_;
    calc::OrderLists lists_;
    reports::TFrmqrosszesit summary_;
    reports::TFrmQrabat discounts_;
    reports::TqrNaplo log_;
    std::unique_ptr<reports::ReportPrinter> summaryPrinter_, discountPrinter_, logPrinter_;
    std::unique_ptr<store::Table> profileNames_; // the profile names, unfiltered
    std::map<std::string, QAction*> actions_;    // by path
    QActionGroup* sources_ = nullptr;
    QMetaObject::Connection focusConnection_;
    bool busy_ = false;
};

} // namespace app
