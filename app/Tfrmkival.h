// The data entry window "Adatbevitel": the user describes one window (type, sizes, quantity,
// material, hinge variant, colour, opening side and options) and starts its collection. The
// rules live in calc::EntryModel; this window feeds it the events of its widgets and shows
// the model's control states after each one.
#pragma once

#include "app/core/registry.h"
#include "calc/entry_model.h"

#include <QDialog>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace store {
class DataModuleRules;
class Messages;
class TDM;
class Table;
} // namespace store

namespace ui {
class DBLookupComboBox;
class RadioGroup;
class StatusBar;
} // namespace ui

namespace app {

class Tfrmkival : public QDialog {
public:
    Tfrmkival(store::TDM& dm, store::DataModuleRules& rules, store::Messages& messages,
              QWidget* parent = nullptr);
    ~Tfrmkival() override;

    // Runs the collection of the window and shows the collection window ("&Kigyűjt").
    std::function<void(const calc::Window&)> onCollect;
    // Opens the settings key; closing the window writes the remembered choices there.
    std::function<Registry*()> openSettings;

    // The remembered choices ("pant", "szin", "anyag", "nyitas", "eckband", "TS"); a value
    // that is missing or unreadable keeps the control as it is.
    void presetFromRegistry(Registry& reg);
    // Document language and its captions; the type list shows the names of that language.
    void setLanguage(int Nyelvindex, std::string Kivitelfelirat, std::string Akadalyfelirat);
    // The folder of the type pictures (program folder + "icon").
    void setPictureFolder(std::filesystem::path folder);
    // The picture shown now; empty when none could be loaded.
    std::filesystem::path pictureFile() const { return pictureShown_; }

    calc::EntryModel& model() { return model_; }

    // The activation steps; run when the window is shown and each time it becomes active again.
    void FormActivate();
    // "&Kigyűjt".
    void BtnkivalasztClick();

    // ---- widgets, under their component names ----
    ui::DBLookupComboBox* DBLCtipus = nullptr;
    QCheckBox *cb = nullptr, *cbr = nullptr, *Cbts = nullptr, *Checkeckband = nullptr;
    QLabel* Image1 = nullptr;
    QGroupBox* Grppant = nullptr;
    ui::RadioGroup *rgpnyitas = nullptr, *rgpszin = nullptr, *rgptip = nullptr, *rgpanyag = nullptr;
    QLineEdit *Eszelesseg = nullptr, *Emagassag = nullptr, *Erab = nullptr, *Emennyiseg = nullptr,
              *Efok = nullptr;
    QPushButton *Btnkivalaszt = nullptr, *Btnbezaras = nullptr;
    ui::StatusBar* StbBevitel = nullptr;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void createControls();
    void connectControls();
    // Runs one event of the model, then brings the data module and the widgets up to date.
    template <class Fn> void handle(Fn&& fn, QWidget* source = nullptr);
    void apply();
    void applyGroup(ui::RadioGroup* w, const calc::Control& c);
    void showPicture();
    void syncData();
    void focusMoved(QWidget* old, QWidget* now);
    void typeListLeft();
    const calc::Control* controlOf(QWidget* w) const;
    int storedKod();
    std::optional<calc::TypeRecord> typeRecord(int code);
    void writeRegistry();

    store::TDM& dm_;
    store::DataModuleRules& rules_;
    store::Messages& messages_;
    std::unique_ptr<store::Table> types_; // the type records, unfiltered
    calc::EntryModel model_;
    std::vector<std::pair<std::string, QWidget*>> widgets_;
    std::filesystem::path pictureFolder_;
    std::filesystem::path pictureShown_;
    std::string pictureTried_;
    std::pair<int, int> filteredFor_{-1, -1}; // type code and material of the type list's filter
    QMetaObject::Connection focusConnection_;
    QWidget* clicked_ = nullptr; // the group whose click is being handled
    bool busy_ = false;
    bool deactivated_ = false;
};

} // namespace app
