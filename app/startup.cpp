#include "app/startup.h"

#include "app/TFrmkigyujt.h"
#include "app/TFrmvasalatok.h"
#include "app/TPasswordDlg.h"
#include "app/Tfrmkival.h"
#include "app/Tfrmnyito.h"
#include "calc/collection.h"
#include "calc/prices.h"
#include "store/rules/dm_rules.h"
#include "store/tdm.h"
#include "ui/qt_messages.h"

#include <QApplication>
#include <QProgressBar>
#include <QTimer>
#include <cstdlib>

namespace app {

namespace fs = std::filesystem;

const std::vector<CreationStep>& creationOrder() {
    static const std::vector<CreationStep> order = {
        {1, "TFrmvasalatok", "Ka-vasalatok", false},
        {2, "Tfrmnyito", "", false},
        {3, "Tfrmmasolmod", "Modul másolás", false},
        {4, "Tfrmfrisscont", "Törzsadat frissítés", false},
        {5, "TFrmfix", "Fix árak", false},
        {6, "TFrmrabat", "Engedmény", false},
        {7, "Tfrmrvevok", "Vevök", false},
        {8, "TFrmQrabat", "", false},
        {9, "TFrmarvalt", "Árváltoztatás", false},
        {10, "TFrmRendezes", "Rendezés", false},
        {11, "TQrprofil", "", true},
        {12, "TqrNaplo", "Napló", true},
        {13, "TFrmimport", "Idegen alkatrész-törzsadat  ", true},
        {14, "TFrmabout", "Névjegy", true},
        {15, "TFrmprofil", "Profil adatlap", true},
        {16, "TFrmprofilneve", "Profilnév", true},
        {17, "TFrmmanual", "Aru  bevétel", true},
        {18, "TFrmmegj", "Kiegészítő információk", true},
        {19, "TPDlkarbantart", "Karbantartás", true},
        {20, "TFrmbeallit", "Alap beállítások", true},
        {21, "Tfrmkival", "Adatbevitel", true},
        {22, "Tfrmgmasol", "Garnitúra másolása", true},
        {23, "TQrpmodul", "Modul riport", true},
        {24, "Tfrmmodulnyomtat", "Modul nyomtatás", true},
        {25, "TFrmgarnitur", "Garnitura nyomtatás", true},
        {26, "TQrgarnitura", "", true},
        {27, "TFrmsql", "Alkatrész-csoport  kiválasztás", true},
        {28, "TFrmvevok", "Vevők", true},
        {29, "Tfrmmentes", "Mentés", true},
        {30, "TFrmmegnyit", "Megnyitás", true},
        {31, "TFrmQrKimutat", "", true},
        {32, "TFrmkeszletview", "Raktár készlet", true},
        {33, "Tfrmkeszlet", "Készlet vezetés", true},
        {34, "TFrmqrkezlet", "Raktárkészlet", true},
        {35, "TFrmkeres", "Keresés\\Ár", true},
        {36, "TDM", "", true},
        {37, "Tfrmconvertal", "Profil beállítás", true},
        {38, "TFrmqrosszesit", "Dirurar összesítő", true},
        {39, "TFrmkigyujt", "Alkatrész kigyűjtés", true},
        {40, "TPasswordDlg", "Jelszó", true},
    };
    return order;
}

int splashStepCount() {
    int n = 2; // the step after showing the splash, and the one after naming the help file
    for (const auto& s : creationOrder()) {
        n += s.splashStep ? 1 : 0;
    }
    return n;
}

std::optional<fs::path> findInstallation(const fs::path& programFile) {
    std::vector<fs::path> candidates;
    if (const char* h = std::getenv("DIRURAR_HOME"); h && *h) {
        candidates.emplace_back(h);
    }
    std::error_code ec;
    candidates.push_back(fs::current_path(ec));
    if (!programFile.empty()) {
        candidates.push_back(fs::absolute(programFile, ec).parent_path());
    }
    for (const auto& c : candidates) {
        if (fs::is_regular_file(c / "aliases.ini", ec)) {
            return c;
        }
    }
    return std::nullopt;
}

Startup::Startup(store::Session& session) : session_(session) {}

Startup::~Startup() {
    password_.reset();
    if (rules_) {
        rules_->hooks.Reszosszeg = nullptr;
    }
    kigyujt_.reset();
    kival_.reset();
    main_.reset(); // the main window writes its state while the data module still exists
    collection_.reset();
    prices_.reset();
    rules_.reset();
    dm_.reset();
}

void Startup::create(const CreationStep& s) {
    const std::string cls = s.cls;
    if (cls == "TFrmvasalatok") {
        main_ = std::make_unique<TFrmvasalatok>(session_);
    } else if (cls == "Tfrmnyito") {
        const fs::path pic = programPath(main_->folders.Utvonal, "./icon/nyitokep.jpg");
        splash_ = new Tfrmnyito(pic, splashStepCount(), &splashError);
        splashMaximum = splash_->pb()->maximum();
    } else if (cls == "Tfrmkival") {
        ensureDataModule();
        kival_ = std::make_unique<Tfrmkival>(*dm_, *rules_, ui::defaultMessages(), main_.get());
        kival_->setPictureFolder(programPath(main_->folders.Utvonal, "\\icon"));
        kival_->openSettings = [this] { return main_->Regnyitas(); };
        kival_->onCollect = [this](const calc::Window& w) {
            collection_->Ujkigyujtes = true;
            collection_->Naplozando = true;
            collection_->Konvertalando = true;
            collection_->Profilvaltva = false;
            const CollectionChoices& c = main_->collectionChoices;
            if (collection_->bkivalasztClick(w, {c.kilincs, c.kaLine, c.hoppeTokyo}) && kigyujt_) {
                // its activation converts the profile when asked to
                kigyujt_->exec();
            }
        };
    } else if (cls == "TFrmkigyujt") {
        ensureDataModule();
        kigyujt_ =
            std::make_unique<TFrmkigyujt>(*dm_, *collection_, ui::defaultMessages(), main_.get());
        kigyujt_->mainWindow = main_.get();
        kigyujt_->dataEntry = kival_.get();
        kigyujt_->prices = prices_.get();
        rules_->hooks.Reszosszeg = [this] { kigyujt_->Reszosszeg(); };
        main_->setCollection(kival_.get(), collection_.get(), kigyujt_.get());
    } else if (cls == "TDM") {
        ensureDataModule();
        dm_->DataModuleCreate();
        main_->setDataModule(dm_.get());
        main_->setCollection(kival_.get(), collection_.get(), kigyujt_.get());
    } else if (cls == "Tfrmconvertal") {
        // its creation opens the settings record (for the first time) and its converter
        try {
            dm_->Tbltarol.open();
            dm_->tblconv.open();
        } catch (const std::exception& x) {
            main_->showMessage(x.what());
        }
    } else if (cls == "TPasswordDlg") {
        password_ = std::make_unique<TPasswordDlg>(main_.get());
        password_->showMessage = [this](const std::string& m) { main_->showMessage(m); };
    } else {
        return; // a window that is not part of the program yet
    }
    created.push_back(cls);
}

void Startup::ensureDataModule() {
    if (dm_) {
        return;
    }
    dm_ = std::make_unique<store::TDM>(session_);
    rules_ = std::make_unique<store::DataModuleRules>(*dm_, ui::defaultMessages());
    prices_ = std::make_unique<calc::Prices>(*dm_, ui::defaultMessages());
    prices_->logBadPart = [this](const std::string& line) {
        if (main_->Bsnrhibalista) {
            main_->Bsnrhibalista->add(line);
        }
    };
    // rows that cannot be priced are found while a grid paints; they are reported and
    // removed right after
    prices_->scheduleRemoval = [this] {
        QTimer::singleShot(0, main_.get(), [this] {
            store::guarded(ui::defaultMessages(), [this] { prices_->removeUnpriceable(); });
        });
    };
    collection_ = std::make_unique<calc::Collection>(*dm_, *rules_, ui::defaultMessages());
}

void Startup::run(bool showSplash) {
    const auto& order = creationOrder();
    auto step = [&] {
        if (splash_) {
            splash_->step();
            splashValue = splash_->pb()->value();
            QApplication::processEvents();
        }
    };
    try {
        for (const auto& s : order) {
            if (s.order > 10) {
                break;
            }
            create(s); // orders 1 to 10: the first one becomes the main window
        }
        if (splash_ && showSplash) {
            splash_->show();
            splash_->repaint();
        }
        step();
        for (const auto& s : order) {
            if (s.order >= 11 && s.order <= 37) {
                create(s);
                step();
            }
        }
        helpFile = ".\\help\\dirurar.hlp";
        step();
        for (const auto& s : order) {
            if (s.order >= 38) {
                create(s);
                step();
            }
        }
    } catch (...) {
        delete splash_;
        splash_ = nullptr;
        throw;
    }
    delete splash_;
    splash_ = nullptr;
}

} // namespace app
