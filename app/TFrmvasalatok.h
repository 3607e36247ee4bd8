// The main window "Ka-vasalatok": background picture, menu, tool bar, status bar, the start-up
// work of its activations and the program-wide values other windows read.
#pragma once

#include "app/core/registry.h"
#include "app/core/settings.h"
#include "app/core/shell.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <map>
#include <memory>

class QAction;
class QLabel;
class QProgressBar;
class QDialog;

namespace store {
class TDM;
}

namespace calc {
class Collection;
}

namespace app {

class TFrmkigyujt;
class Tfrmkival;

class TFrmvasalatok : public QMainWindow {
public:
    explicit TFrmvasalatok(store::Session& session, QWidget* parent = nullptr);
    ~TFrmvasalatok() override;

    // ---- program-wide values ----
    Folders folders;
    std::string Tizedesjel = ",";
    std::string Winnyelv;
    int Orszagkod = 36;
    int Nyelvindex = 0;
    LanguageValues language;
    LayoutFiles layoutFiles;
    std::unique_ptr<BadPartList> Bsnrhibalista;
    bool Elsoaktivalas = true;
    bool Hattercsere = false;
    bool Engedmenylista = false;
    bool Torlesvizsgalat = false;
    std::array<bool, 6> Hasznalatjelzok{};
    std::string Uzenet;
    std::string Memolabj;     // the settings dialog's footer memo
    std::string reportFooter; // the order summary report's footer memo
    std::string reportInstallDate;
    std::string reportVersion;
    bool priceListDelivered = false;
    bool layoutCreated = false;

    // The data module, created later in the start-up.
    void setDataModule(store::TDM* dm) { dm_ = dm; }
    store::TDM* dataModule() const { return dm_; }
    // Data entry, the collection and the collection window; "Garnitura" and "Alkatrész" work
    // once they exist.
    void setCollection(Tfrmkival* dataEntry, calc::Collection* collection, TFrmkigyujt* window);
    Tfrmkival* dataEntry() const { return kival_; }
    TFrmkigyujt* collectionWindow() const { return kigyujt_; }
    // The settings dialog's choices the collection reads (read from the settings at the
    // first activation).
    CollectionChoices collectionChoices;

    // ---- services ----
    // Opens the settings key "\vekkor" (without creating it); on failure tells the user.
    Registry* Regnyitas();
    void Hattervaltas();
    void Profilbetoltes();
    PartUsage Alkatreszhasznalat(const std::string& bsnr);
    // Runs a dialog of the main window modally; the main window's activation follows.
    int showModal(QDialog& dialog);

    // The activation steps (every time the window becomes active again).
    void activate();

    // Shows a message box with the program's caption.
    void showMessage(const std::string& text);
    std::function<void(const std::string&)> messageSink; // for tests: replaces the box

    QAction* action(const std::string& caption) const;
    QLabel* statusPanel(int i) const { return panels_.at(static_cast<size_t>(i)); }
    QLabel* background() const { return background_; }
    QProgressBar* progressBar() const { return pbar_; }
    bool backgroundShown() const { return backgroundShown_; }

protected:
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void loadBackground(const std::filesystem::path& picture);
    void placeBackground();
    void firstActivation();
    void openSummaries();
    void Osszesitojavitas();
    void applyLanguageTable();
    void startExternal(const std::string& program);
    void osszeallitClick();
    void Egyedi1Click();
    void linkSets();
    void Adatfileelrs1Click();
    void Mentsnlkl1Click();
    void Segtsg1Click();
    void Nvjegy1Click();
    QAction* addCommand(class QMenu* menu, const char* caption, const char* hint = nullptr,
                        const char* shortcut = nullptr, int tag = 0);

    store::Session& session_;
    store::TDM* dm_ = nullptr;
    Tfrmkival* kival_ = nullptr;
    TFrmkigyujt* kigyujt_ = nullptr;
    calc::Collection* collection_ = nullptr;
    std::unique_ptr<Registry> registry_;
    std::map<std::string, QAction*> actions_;
    std::array<QLabel*, 4> panels_{};
    QLabel* background_ = nullptr;
    QProgressBar* pbar_ = nullptr;
    bool backgroundShown_ = false;
    bool activated_ = false;
    bool inActivation_ = false;
};

} // namespace app
