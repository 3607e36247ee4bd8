#include "app/TFrmvasalatok.h"

#include "app/TFrmkigyujt.h"
#include "app/Tfrmkival.h"
#include "app/core/settings.h"
#include "app/jpeg.h"
#include "store/format/format.h"
#include "store/tdm.h"
#include "ui/qt_messages.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QProgressBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

namespace app {

namespace fs = std::filesystem;

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

constexpr const char* kVersion = "Verzió: 25.12.1";

} // namespace

TFrmvasalatok::TFrmvasalatok(store::Session& session, QWidget* parent)
    : QMainWindow(parent), session_(session) {
    setWindowTitle("Ka-vasalatok");
    resize(800, 600);

    // creation, steps 1 to 3: the folders from the aliases, the engine's control directory
    folders = deriveFolders(session_);
    session_.setNetDir(fs::absolute(fs::path(folders.Utvonal)));
    // step 4
    Regnyitas();

    auto* central = new QWidget(this);
    setCentralWidget(central);
    background_ = new QLabel(central);
    background_->setScaledContents(true);
    background_->installEventFilter(this);
    pbar_ = new QProgressBar(central);
    pbar_->setFixedSize(200, 20);
    pbar_->hide();

    createMenus();
    createToolBar();
    createStatusBar();

    // step 5: the background picture, shown only at its exact size
    if (auto pic = chooseBackground(folders.Utvonal)) {
        loadBackground(*pic);
    }
    // step 6: the bad part code list
    Bsnrhibalista =
        std::make_unique<BadPartList>(programPath(folders.Utvonal, "\\text\\Bsnrhiba.txt"));
    Bsnrhibalista->loadOrCreate();
    // step 7
    Elsoaktivalas = true;
}

TFrmvasalatok::~TFrmvasalatok() {
    // the window state of this run, for the next one (failures ignored)
    try {
        if (Registry* r = Regnyitas()) {
            r->writeString("form1", isMaximized() ? "wsmaximized" : "wsNormal");
        }
    } catch (const std::exception&) {
    }
}

void TFrmvasalatok::showMessage(const std::string& text) {
    if (messageSink) {
        messageSink(text);
        return;
    }
    ui::defaultMessages().showMessage(text);
}

Registry* TFrmvasalatok::Regnyitas() {
    try {
        registry_ = std::make_unique<Registry>(Registry::defaultFile());
        if (!registry_->openKey(kSettingsKey, false)) {
            // the key is made by the first activation; until then reads fail like missing values
            registry_->closeKey();
        }
        return registry_.get();
    } catch (const std::exception&) {
        showMessage("Hiba a regiszter megnyitásakor!");
        registry_.reset();
        return nullptr;
    }
}

// ---------------------------------------------------------------- menu

QAction* TFrmvasalatok::addCommand(QMenu* menu, const char* caption, const char* hint,
                                   const char* shortcut, int tag) {
    auto* a = menu->addAction(QString::fromUtf8(caption));
    if (hint) {
        a->setStatusTip(QString::fromUtf8(hint));
        a->setToolTip(QString::fromUtf8(hint));
    }
    if (shortcut) {
        a->setShortcut(QKeySequence(QString::fromUtf8(shortcut)));
    }
    a->setData(tag);
    // Commands whose windows are not part of the program yet stay disabled; the ones that
    // work are enabled where they are connected.
    a->setEnabled(false);
    std::string key = caption;
    if (actions_.count(key)) {
        key = std::string(menu->title().toStdString()) + "/" + caption;
    }
    actions_[key] = a;
    return a;
}

QAction* TFrmvasalatok::action(const std::string& caption) const {
    auto it = actions_.find(caption);
    return it == actions_.end() ? nullptr : it->second;
}

void TFrmvasalatok::createMenus() {
    QMenuBar* bar = menuBar();

    QMenu* rendeles = bar->addMenu("Rendelés");
    QMenu* osszeallit = rendeles->addMenu("Összeállít");
    addCommand(osszeallit, "Garnitura", "Garnitura kigyüjtés", "Ctrl+G");
    addCommand(osszeallit, "Alkatrész", "Alkatrész kigyüjtés", "Ctrl+A");
    rendeles->addSeparator();
    addCommand(rendeles, "Nyomtat", "Összesítö nyomtatása", nullptr, 1);
    addCommand(rendeles, "Megtekint", "Összesitö megtekintése", nullptr, 2);
    rendeles->addSeparator();
    QMenu* arlista = rendeles->addMenu("Árlista");
    addCommand(arlista, "Egyedi alkatrész", "Árlista megtekintése");
    addCommand(arlista, "Alkrész csoport", "Alkatrész csoport kiválasztása");
    rendeles->addSeparator();
    addCommand(rendeles, "Profil adatlap megtekint", nullptr, nullptr, 1);

    QMenu* torzs = bar->addMenu("Törzsadat");
    addCommand(torzs, "Dirurar...", "Dirurar törzsadat", nullptr, 1);
    addCommand(torzs, "Vevő..", "Vevö törzsadat");
    torzs->addSeparator();
    QMenu* nyomtat = torzs->addMenu("Nyomtat");
    addCommand(nyomtat, "Modul");
    actions_["Nyomtat/Garnitura"] = nyomtat->addAction("Garnitura");
    actions_["Nyomtat/Garnitura"]->setEnabled(false);
    torzs->addSeparator();
    QMenu* exp = torzs->addMenu("Export excel");
    addCommand(exp, "Redelés.db", "Megrendelések exportálása excelbe");

    QMenu* beall = bar->addMenu("Beállítások");
    addCommand(beall, "Általános...", "Általános beállitások");
    addCommand(beall, "Engedmény...", "Engedmények beállitása");
    addCommand(beall, "Profil adatlap", "Profil adatlap", nullptr, 2);
    beall->addSeparator();
    addCommand(beall, "Nyomtató..");

    QMenu* rendszer = bar->addMenu("Rendszer");
    addCommand(rendszer, "Biztonsági mentés");
    QMenu* helyre = rendszer->addMenu("Helyreállitás");
    addCommand(helyre, "Készlet/Rendelés");
    addCommand(helyre, "Összesítő táblák");
    helyre->addSeparator();
    addCommand(helyre, "Tábla alapbeállítás");
    addCommand(rendszer, "Táblák exportálása excelbe");
    addCommand(rendszer, "Táblák importálása excelböl");
    rendszer->addSeparator();
    addCommand(rendszer, "Frissítés (Internet)...", "Program frissítése internetröl");
    addCommand(rendszer, "Árlista beolvasás..");
    QAction* adat = addCommand(rendszer, "Adat file elérés...");
    adat->setEnabled(true);
    connect(adat, &QAction::triggered, this, &TFrmvasalatok::Adatfileelrs1Click);

    QAction* spacer = bar->addAction(QString(18, ' '));
    spacer->setEnabled(false);

    QMenu* seg = bar->addMenu("Segítség");
    QAction* help = addCommand(seg, "Tartalom jegyzék", "Segítség");
    help->setEnabled(true);
    connect(help, &QAction::triggered, this, &TFrmvasalatok::Segtsg1Click);
    seg->addSeparator();
    QAction* about = addCommand(seg, "Névjegy");
    about->setEnabled(true);
    connect(about, &QAction::triggered, this, &TFrmvasalatok::Nvjegy1Click);
    addCommand(seg, "Internet control teszt");

    QMenu* bez = bar->addMenu("Bezárás");
    auto* bezKey = new QShortcut(QKeySequence("Ctrl+F4"), this);
    connect(bezKey, &QShortcut::activated, this,
            [this, bez] { bez->popup(mapToGlobal(QPoint(0, menuBar()->height()))); });
    addCommand(bez, "Mentéssel");
    QAction* nosave = addCommand(bez, "Mentés nélkül");
    nosave->setEnabled(true);
    connect(nosave, &QAction::triggered, this, &TFrmvasalatok::Mentsnlkl1Click);
}

void TFrmvasalatok::createToolBar() {
    QToolBar* tb = addToolBar("Eszköztár");
    tb->setMovable(false);
    auto add = [&](const char* key) {
        if (QAction* a = action(key)) {
            tb->addAction(a);
        }
    };
    add("Garnitura");
    add("Alkatrész");
    add("Nyomtat");
    add("Megtekint");
    add("Egyedi alkatrész");
    add("Alkrész csoport");
    tb->addSeparator();
    add("Dirurar...");
    add("Vevő..");
    add("Redelés.db");
    tb->addSeparator();
    add("Általános...");
    add("Engedmény...");
    add("Profil adatlap");
    add("Frissítés (Internet)...");
    tb->addSeparator();
    add("Tartalom jegyzék");
}

void TFrmvasalatok::createStatusBar() {
    const int widths[] = {250, 140, 140, 50};
    for (size_t i = 0; i < panels_.size(); ++i) {
        auto* l = new QLabel(this);
        l->setFixedWidth(widths[i]);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(i == 3 ? QFrame::Raised : QFrame::Sunken);
        l->setAlignment(i == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                               : (i == 3 ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignCenter));
        statusBar()->addWidget(l);
        panels_[i] = l;
    }
    panels_[0]->setText("   Dirurar összeállító program");
}

// ---------------------------------------------------------------- background

void TFrmvasalatok::loadBackground(const fs::path& picture) {
    std::string why;
    QImage img = loadJpeg(picture, &why);
    if (img.isNull()) {
        backgroundShown_ = false;
        return;
    }
    background_->setPixmap(QPixmap::fromImage(img));
    backgroundShown_ = true;
    placeBackground();
}

void TFrmvasalatok::Hattervaltas() {
    if (Hattercsere) {
        return;
    }
    const fs::path ds = programPath(folders.Utvonal, "./icon/hatterDS.jpg");
    QImage img = loadJpeg(ds);
    if (!img.isNull()) {
        background_->setPixmap(QPixmap::fromImage(img));
        backgroundShown_ = true;
    }
    Hattercsere = true;
}

void TFrmvasalatok::placeBackground() {
    // top 33, left 4, width = window width - 14, height = window height - 109, in the
    // window's own coordinates
    const QPoint origin = centralWidget()->mapFrom(this, QPoint(4, 33));
    background_->setGeometry(origin.x(), origin.y(), std::max(0, width() - 14),
                             std::max(0, height() - 109));
    pbar_->move(background_->x() + background_->width() / 2 - 100,
                background_->y() + background_->height() / 2);
}

void TFrmvasalatok::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    placeBackground();
}

bool TFrmvasalatok::eventFilter(QObject* o, QEvent* e) {
    if (o == background_ && e->type() == QEvent::MouseButtonDblClick) {
        if (QAction* g = action("Garnitura"); g && g->isEnabled()) {
            g->trigger();
        }
        return true;
    }
    return QMainWindow::eventFilter(o, e);
}

// ---------------------------------------------------------------- activation

void TFrmvasalatok::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    // the first activation runs when the window first becomes active; later ones follow the
    // modal dialogs the window opens (showModal)
    if (e->type() == QEvent::ActivationChange && isActiveWindow() && !activated_) {
        activated_ = true;
        activate();
    }
}

void TFrmvasalatok::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    // a desktop without a window manager never activates the window: the first showing
    // then stands for the first activation
    if (!activated_) {
        QTimer::singleShot(0, this, [this] {
            if (!activated_) {
                activated_ = true;
                activate();
            }
        });
    }
}

int TFrmvasalatok::showModal(QDialog& dialog) {
    Hattervaltas();
    const int r = dialog.exec();
    activate();
    return r;
}

void TFrmvasalatok::activate() {
    if (inActivation_) {
        return;
    }
    inActivation_ = true;
    activated_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{inActivation_};

    const std::string& U = folders.Utvonal;
    const fs::path dataDir = programPath(U, folders.Adatmappa);
    std::error_code ec;
    // 1-2
    Hattercsere = false;
    reportVersion = kVersion;
    panels_[1]->setText(kVersion);
    const store::Date today = store::Date::today();
    panels_[2]->setText(q(store::fmt::formatDate(today)));
    // 3: a delivered price list waits to be read
    priceListDelivered = fs::exists(programPath(U, "preis\\arlista.db"), ec) ||
                         fs::exists(programPath(U, "preis\\Arlista.db"), ec);
    // 4: the foreign-part table from its template
    if (!fs::exists(session_.resolveTable("", (dataDir / "import.db").string()), ec)) {
        for (const char* f : {"import.db", "import.Px", "import.val"}) {
            const fs::path src = session_.resolveTable("", (programPath(U, "import") / f).string());
            if (fs::exists(src, ec)) {
                Filemasolas(src, dataDir / f);
            }
        }
    }
    // 5: the update job of another platform has no counterpart here
    // 6: the discount groups from the delivered list, keyed on PG
    const fs::path rabat = programPath(U, "adatok\\rabat.db");
    if (!fs::exists(session_.resolveTable("", rabat.string()), ec)) {
        const fs::path src = session_.resolveTable("", programPath(U, "preis\\rabat.db").string());
        if (fs::exists(src, ec) && Filemasolas(src, rabat) && dm_) {
            try {
                dm_->tblrabat.open();
                dm_->tblrabat.close();
                dm_->tblrabat.addIndex("PGindex", "PG", false, true);
            } catch (const std::exception& x) {
                showMessage(x.what());
            }
        }
    }
    // 7: the staging table of saved conditions, as a copy of the discount groups
    const fs::path rabatexc = programPath(U, "adatok\\rabatexc.db");
    if (!fs::exists(session_.resolveTable("", rabatexc.string()), ec) && fs::exists(rabat, ec)) {
        Filemasolas(rabat, rabatexc);
    }
    // 8: the fixed-price template. The price list itself keeps its own primary index: the
    // table files carry their indexes, so nothing is re-keyed here.
    if (!fs::exists(session_.resolveTable("", (dataDir / "fix.db").string()), ec)) {
        const fs::path src = programPath(U, "import\\fix.db");
        if (fs::exists(src, ec)) {
            Filemasolas(src, dataDir / "fix.db");
        }
    }
    // 9
    if (Elsoaktivalas) {
        firstActivation();
    }
    // 10: the footer memo of the settings dialog
    const fs::path labj = programPath(U, "adatok\\labj.txt");
    if (auto lines = store::fmt::readCp1250Lines(labj)) {
        Memolabj.clear();
        for (const auto& l : *lines) {
            Memolabj += l + "\n";
        }
    } else {
        showMessage("A fájl nem található: " + labj.string());
        return; // 11 and 12 are skipped for this activation
    }
    // 11 (start-up update entry) and 12 (the settings' apply step) belong to the update and
    // settings windows.
}

void TFrmvasalatok::openSummaries() {
    bool broken = false;
    for (store::Table* t : {&dm_->Tblreszossz, &dm_->tblkigyujt, &dm_->tblnaplo}) {
        try {
            t->open();
        } catch (const std::exception&) {
            broken = true;
        }
    }
    if (broken) {
        Osszesitojavitas();
    }
}

void TFrmvasalatok::Osszesitojavitas() {
    // the summaries and the log are rebuilt empty from their pristine copies, the summaries
    // keyed on BSNR again
    const std::string& U = folders.Utvonal;
    for (store::Table* t : {&dm_->Tblreszossz, &dm_->tblkigyujt, &dm_->tblnaplo}) {
        t->close();
    }
    const fs::path dataDir = programPath(U, folders.Adatmappa);
    for (const char* name : {"reszosszesit.db", "osszesit.db", "naplo.db"}) {
        Filemasolas(programPath(U, std::string("ment\\") + name), dataDir / name);
    }
    for (store::Table* t : {&dm_->Tblreszossz, &dm_->tblkigyujt}) {
        try {
            t->addIndex("bsnrindex", "BSNR", false, true);
        } catch (const std::exception&) {
            // already keyed
        }
    }
    for (store::Table* t : {&dm_->Tblreszossz, &dm_->tblkigyujt, &dm_->tblnaplo}) {
        try {
            t->open();
        } catch (const std::exception& x) {
            showMessage(x.what());
        }
    }
}

void TFrmvasalatok::firstActivation() {
    if (!dm_) {
        return;
    }
    const std::string& U = folders.Utvonal;
    // 1-2: the shared tables
    for (store::Table* t : {&dm_->Tblgarnitur, &dm_->Tblprofil, &dm_->Tblmodul, &dm_->Tblprofineve,
                            &dm_->Tblvevo, &dm_->tblrkapcs, &dm_->Tblmkapcs}) {
        try {
            t->open();
        } catch (const std::exception& x) {
            showMessage(x.what());
        }
    }
    dm_->Ujsor = false;
    openSummaries();
    try {
        dm_->Tblimport.open();
    } catch (const std::exception& x) {
        showMessage(x.what());
    }
    // 3: the settings key, made when missing
    Registry* reg = Regnyitas();
    if (reg) {
        reg->openKey(kSettingsKey, true);
    }
    // 4: the regional values are read, never changed: the program formats numbers its own way
    Orszagkod = localeCountryCode();
    Winnyelv = localeLanguageCode();
    startExternal("separator.exe");
    if (reg) {
        // 5
        reg->writeString("language", Winnyelv);
        writeMissingDefaults(*reg);
        // 6
        if (reg->readString("form1") == "wsmaximized") {
            showMaximized();
        }
        // 7
        int nyelv = 0;
        try {
            nyelv = reg->readInteger("nyelv");
        } catch (const RegistryError&) {
        }
        std::error_code ec;
        layoutFiles =
            layoutFileNames(nyelv, Orszagkod, fs::exists(programPath(U, "dirurar.enu"), ec));
        // kept in the program folder, wherever the program was started from
        for (std::string* f : {&layoutFiles.RacsrFajl, &layoutFiles.RacsoFajl,
                               &layoutFiles.DracsrFajl, &layoutFiles.DracsoFajl}) {
            *f = programPath(U, *f).string();
        }
        // 8: the date of the first start
        try {
            reportInstallDate = store::fmt::formatDate(reg->readDate("inst"));
        } catch (const RegistryError&) {
            const store::Date today = store::Date::today();
            reg->writeDate("inst", today);
            reportInstallDate = store::fmt::formatDate(today);
            for (const auto& f : {fs::path(layoutFiles.RacsoFajl), fs::path(layoutFiles.RacsrFajl),
                                  programPath(U, folders.Osszmappa + "\\reszosszesit.val"),
                                  programPath(U, folders.Osszmappa + "\\osszesit.val"),
                                  programPath(U, folders.Adatmappa + "\\manual.val")}) {
                fs::remove(f, ec);
            }
        }
        // 9: the grid layouts
        if (kigyujt_) {
            layoutCreated = kigyujt_->prepareLayouts();
        }
        // 10-16: any failure ends these steps silently
        try {
            reg = Regnyitas();
            if (!reg || !reg->openKey(kSettingsKey, false)) {
                throw RegistryError("no settings key");
            }
            if (layoutCreated) {
                reg->writeInteger("penz", 0);
            }
            Engedmenylista = true;
            if (kigyujt_ && reg->valueExists("rabnev")) {
                kigyujt_->Lrabat->setText(QString::fromStdString(reg->readString("rabnev")));
            }
            Tizedesjel = reg->readString("separator");
            Nyelvindex = std::clamp(reg->readInteger("nyelv"), 0, 4);
            // 11
            language = languageValues(Nyelvindex);
            applyLanguageTable();
            collectionChoices = readCollectionChoices(*reg);
            if (kival_) {
                kival_->setLanguage(Nyelvindex, language.Kivitelfelirat, language.Akadalyfelirat);
            }
            // 13
            const int32_t profil = reg->readInteger("profil");
            dm_->Tbltarol.edit();
            dm_->Tbltarol.fieldByName("Profil").setAsInteger(profil);
            dm_->Tbltarol.post();
            // 14 belongs to the price list reading; 15
            Profilbetoltes();
            // 16: the data entry defaults
            if (kival_) {
                kival_->presetFromRegistry(*reg);
            }
        } catch (const std::exception&) {
            // the values read so far stay
        }
    }
    // 17: the order summary report's footer
    if (auto lines =
            store::fmt::readCp1250Lines(programPath(U, folders.Adatmappa + "\\labj.txt"))) {
        reportFooter.clear();
        for (const auto& l : *lines) {
            reportFooter += l + "\n";
        }
    }
    // 18
    Elsoaktivalas = false;
}

void TFrmvasalatok::applyLanguageTable() {
    // the tables whose looked-up names follow the language are reopened with the new fields
    store::Table* reopen[] = {&dm_->Tblrendel, &dm_->tblprofildat, &dm_->Tblkeszlet};
    for (store::Table* t : {&dm_->tblprofildat, &dm_->Tblkeszlet, &dm_->Tblrendel}) {
        t->close();
    }
    const bool hungarian = Nyelvindex == 0;
    if (Nyelvindex != 2) {
        dm_->tblprofildat.setLookupResultField("megn", hungarian ? "BEZEICHN" : "Nemet");
        dm_->tblprofildat.setLookupResultField("neve", hungarian ? "Megnevezes" : "Nemet");
        dm_->Tblkeszlet.setLookupResultField("megnevezes", hungarian ? "BEZEICHN" : "Nemet");
        dm_->Tblrendel.setLookupResultField("nev", hungarian ? "BEZEICHN" : "Nemet");
    }
    for (store::Table* t : reopen) {
        try {
            t->open();
        } catch (const std::exception& x) {
            showMessage(x.what());
        }
    }
    try {
        dm_->Tblkeszlet2.open();
    } catch (const std::exception& x) {
        showMessage(x.what());
    }
}

// ---------------------------------------------------------------- services and commands

void TFrmvasalatok::setCollection(Tfrmkival* dataEntry, calc::Collection* collection,
                                  TFrmkigyujt* window) {
    kival_ = dataEntry;
    collection_ = collection;
    kigyujt_ = window;
    if (QAction* g = action("Garnitura")) {
        g->setEnabled(kival_ != nullptr && dm_ != nullptr);
        disconnect(g, &QAction::triggered, this, nullptr);
        connect(g, &QAction::triggered, this, &TFrmvasalatok::osszeallitClick);
    }
    if (QAction* a = action("Alkatrész")) {
        a->setEnabled(kival_ != nullptr && kigyujt_ != nullptr && collection_ != nullptr);
        disconnect(a, &QAction::triggered, this, nullptr);
        connect(a, &QAction::triggered, this, &TFrmvasalatok::Egyedi1Click);
    }
}

void TFrmvasalatok::linkSets() {
    // the maintenance unlinks the sets from the settings record
    store::guarded(ui::defaultMessages(), [&] {
        dm_->Tblgarnitur.setMasterSource(&dm_->Tbltarol, "vezkod");
        if (dm_->Tblgarnitur.active()) {
            dm_->Tblgarnitur.first();
        }
    });
}

void TFrmvasalatok::Egyedi1Click() {
    if (!dm_ || !kival_ || !kigyujt_ || !collection_) {
        return;
    }
    linkSets();
    // parts put together by hand: no window waits for the log or the profile conversion
    collection_->Naplozando = false;
    collection_->Konvertalando = false;
    collection_->Profilvaltva = false;
    Hattervaltas();
    kival_->show();
    showModal(*kigyujt_);
}

void TFrmvasalatok::osszeallitClick() {
    if (!dm_ || !kival_) {
        return;
    }
    linkSets();
    Hattervaltas();
    // the delivered price list is offered here once its reading is part of the program
    Hattervaltas();
    showModal(*kival_);
}

void TFrmvasalatok::Profilbetoltes() {
    if (dm_) {
        app::Profilbetoltes(*dm_, [this](const std::string& m) { showMessage(m); });
    }
}

PartUsage TFrmvasalatok::Alkatreszhasznalat(const std::string& bsnr) {
    PartUsage u;
    if (dm_) {
        u = app::Alkatreszhasznalat(*dm_, bsnr, Torlesvizsgalat,
                                    [this](const std::string& m) { showMessage(m); });
    }
    Hasznalatjelzok = u.Hasznalatjelzok;
    Uzenet.clear();
    return u;
}

void TFrmvasalatok::startExternal(const std::string& program) {
    // the external programs live in the program directory; when one is not there, the step
    // is skipped
    const fs::path p = programPath(folders.Utvonal, program);
    std::error_code ec;
    if (fs::is_regular_file(p, ec)) {
        QProcess::startDetached(q(p.string()), {}, q(folders.Utvonal));
    }
}

void TFrmvasalatok::Adatfileelrs1Click() {
    const fs::path p = programPath(folders.Utvonal, "alias.exe");
    std::error_code ec;
    if (!fs::is_regular_file(p, ec)) {
        showMessage("A program nem található: " + p.string());
        return; // nothing was started: the program goes on
    }
    startExternal("alias.exe");
    close();
}

void TFrmvasalatok::Mentsnlkl1Click() {
    if (dm_) {
        for (store::Table* t : {&dm_->Tblmodulnev, &dm_->Tblgarnitur, &dm_->Tblarlista}) {
            t->close();
        }
    }
    close();
}

void TFrmvasalatok::Segtsg1Click() {
    // the help file, relative to the current folder as it always was
    const fs::path help = fs::absolute(fs::path("help") / "dirurar.hlp");
    std::error_code ec;
    if (!fs::exists(help, ec) ||
        !QDesktopServices::openUrl(QUrl::fromLocalFile(q(help.string())))) {
        showMessage("A súgó nem nyitható meg: " + help.string());
    }
}

void TFrmvasalatok::Nvjegy1Click() {
    QDialog about(this);
    about.setWindowTitle("Névjegy");
    auto* lay = new QVBoxLayout(&about);
    lay->addWidget(new QLabel("<b>Dirurar összeállító program</b>", &about));
    lay->addWidget(new QLabel(kVersion, &about));
    lay->addWidget(new QLabel("Vasalat-rendelés ablak- és ajtógyártóknak", &about));
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok, &about);
    connect(ok, &QDialogButtonBox::accepted, &about, &QDialog::accept);
    lay->addWidget(ok);
    showModal(about);
}

void TFrmvasalatok::closeEvent(QCloseEvent* e) {
    QMainWindow::closeEvent(e);
    e->accept();
}

} // namespace app
