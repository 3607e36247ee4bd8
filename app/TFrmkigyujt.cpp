#include "app/TFrmkigyujt.h"

#include "app/TFrmvasalatok.h"
#include "app/Tfrmkival.h"
#include "calc/collection.h"
#include "calc/description.h"
#include "reports/printing.h"
#include "store/engine/table.h"
#include "store/messages.h"
#include "store/tdm.h"
#include "ui/dbgrid.h"
#include "ui/dblookup.h"
#include "ui/dbnavigator.h"
#include "ui/qt_messages.h"
#include "ui/status_bar.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QChildEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

namespace app {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSeparator = " > "; // between the captions of a menu entry's path
constexpr int kSideWidth = 130;           // the button column beside each grid

template <class W> W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

// The columns both grids are built with; the order summary's part number cannot be edited.
std::vector<ui::GridColumn> builtInColumns(bool order) {
    auto column = [](const char* field, const char* title, int width, bool readOnly) {
        ui::GridColumn c(field, title, width);
        c.readOnly = readOnly;
        return c;
    };
    return {column("Megnevezes", "Megnevezés", 280, true),
            column("BSNR2", "BSNR2", 110, false),
            column("BSNR", "BSNR", 110, order),
            column("pe", "Cs.E.", 50, true),
            column("Darab", "ME.", 60, false),
            column("ar2", "Ár(Ft)", 90, false)};
}

// Type codes whose material group names a threshold scheme, not a profile system: their
// windows show no profile.
bool showsNoProfile(int k) {
    return k == 3 || (k >= 23 && k <= 27) || k == 48 || (k >= 60 && k <= 65);
}

bool within(const QWidget* w, const QWidget* container) {
    return w && (w == container || container->isAncestorOf(w));
}

bool refreshKey(int key) {
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
        return true;
    default:
        return false;
    }
}

std::vector<std::string> footerLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t from = 0;
    while (from < text.size()) {
        const size_t end = text.find('\n', from);
        lines.push_back(
            text.substr(from, end == std::string::npos ? std::string::npos : end - from));
        if (end == std::string::npos) {
            break;
        }
        from = end + 1;
    }
    return lines;
}

} // namespace

TFrmkigyujt::TFrmkigyujt(store::TDM& dm, calc::Collection& collection, store::Messages& messages,
                         QWidget* parent)
    : QDialog(parent), dm_(dm), collection_(collection), messages_(messages),
      lists_(dm, collection, messages) {
    setObjectName("TFrmkigyujt");
    setWindowTitle(u8("Alkatrész kigyűjtés"));
    createControls();
    createMenu();
    connectControls();
    summaryPrinter_ = std::make_unique<reports::ReportPrinter>(summary_.QRposszesit);
    discountPrinter_ = std::make_unique<reports::ReportPrinter>(discounts_.QRPrabat);
    logPrinter_ = std::make_unique<reports::ReportPrinter>(log_.Qrnaplo);
    lists_.progress = [this](int done, int total) {
        Haladas = done;
        Haladasmax = total;
        prbar->setValue(total > 0 ? done * 100 / total : 0);
        prbar->repaint();
    };
}

TFrmkigyujt::~TFrmkigyujt() {
    disconnect(focusConnection_);
    DBGridr->setDataSet(nullptr);
    DBGrido->setDataSet(nullptr);
    DBNavreszossz->setDataSet(nullptr);
    DBNavikigyujt->setDataSet(nullptr);
    if (profileNames_) {
        profileNames_->close();
    }
}

// ---------------------------------------------------------------- controls

void TFrmkigyujt::createControls() {
    auto button = [](QWidget* parent, const char* name, const char* caption,
                     const char* hint = nullptr, int tag = 0) {
        auto* b = named(new QPushButton(u8(caption), parent), name);
        b->setAutoDefault(false);
        if (hint) {
            b->setToolTip(u8(hint));
        }
        b->setProperty("tag", tag);
        return b;
    };
    auto grid = [this](const char* name, store::Table& list, bool order) {
        auto* g = named(new ui::DBGrid(this), name);
        g->setMessages(&messages_);
        g->setDataSet(&list);
        g->setColumns(builtInColumns(order));
        g->horizontalHeader()->setSectionsMovable(true);
        g->setIndicator(true);
        g->setTabKeyNavigation(true);
        g->setCancelOnExit(true);
        return g;
    };
    auto navigator = [this](const char* name, store::Table& list) {
        auto* n = named(new ui::DBNavigator({ui::NavButton::First, ui::NavButton::Prior,
                                             ui::NavButton::Next, ui::NavButton::Last},
                                            this),
                        name);
        n->setMessages(&messages_);
        n->setDataSet(&list);
        return n;
    };
    auto group = [](QGroupBox* box, std::initializer_list<QPushButton*> buttons) {
        auto* lay = new QVBoxLayout(box);
        for (QPushButton* b : buttons) {
            lay->addWidget(b);
        }
    };

    auto* root = new QVBoxLayout(this);
    MainMenu = named(new QMenuBar(this), "MainMenu");
    root->setMenuBar(MainMenu);

    auto* top = new QHBoxLayout;
    Label1 = named(new QLabel(u8("Vevő engedmény:"), this), "Label1");
    Lrabat = named(new QLabel(this), "Lrabat");
    Eprofil = named(new QLineEdit(this), "Eprofil");
    Eprofil->setReadOnly(true);
    Eprofil->setFocusPolicy(Qt::NoFocus);
    Eprofil->setFixedWidth(220);
    top->addWidget(Label1);
    top->addWidget(Lrabat, 1);
    top->addWidget(Eprofil);
    root->addLayout(top);

    // ---- the partial summary ----
    DBGridr = grid("DBGridr", dm_.Tblreszossz, false);
    DBNavreszossz = navigator("DBNavreszossz", dm_.Tblreszossz);
    Btnreszbeszur = button(this, "Btnreszbeszur", "&Beszúr", nullptr, 1);
    Btn_reszValtoztat = button(this, "Btn_reszValtoztat", "Válto&ztat");
    Btnresztorol = button(this, "Btnresztorol", "Töröl");
    GrBRnyom = named(new QGroupBox(u8("&Rész-összesítő"), this), "GrBRnyom");
    Btnresznyomtat = button(GrBRnyom, "Btnresznyomtat", "Ny&omtat", "Részösszesítő nyomtatása", 1);
    Btnreszmegtekint = button(GrBRnyom, "Btnreszmegtekint", "&Megtekint", nullptr, 2);
    BitBtn1 = button(GrBRnyom, "BitBtn1", "&Töröl", "Összesítő teljes törlése");
    Btnprofi_2 =
        button(GrBRnyom, "Btnprofi_2", "&Profilváltás", "Alkatrész cserék más profilra", 1);
    group(GrBRnyom, {Btnresznyomtat, Btnreszmegtekint, BitBtn1, Btnprofi_2});
    {
        auto* row = new QHBoxLayout;
        auto* side = new QVBoxLayout;
        row->addWidget(DBGridr, 1);
        for (QWidget* w : std::initializer_list<QWidget*>{
                 DBNavreszossz, Btnreszbeszur, Btn_reszValtoztat, Btnresztorol, GrBRnyom}) {
            w->setFixedWidth(kSideWidth);
            side->addWidget(w);
        }
        side->addStretch(1);
        row->addLayout(side);
        root->addLayout(row, 1);
    }

    // ---- between the lists ----
    Btnossz = button(this, "Btnossz", "&Összesít", "Alkatrész összesítés");
    Btnvissza = button(this, "Btnvissza", "&Vissza", "Új garnitúra");
    {
        auto* row = new QHBoxLayout;
        row->addStretch(1);
        row->addWidget(Btnossz);
        row->addWidget(Btnvissza);
        root->addLayout(row);
    }

    // ---- the order summary ----
    DBGrido = grid("DBGrido", dm_.tblkigyujt, true);
    DBNavikigyujt = navigator("DBNavikigyujt", dm_.tblkigyujt);
    BitBtnosszbeszur = button(this, "BitBtnosszbeszur", "Beszúr", nullptr, 1);
    Btn_osszvaltoztat = button(this, "Btn_osszvaltoztat", "Változtat");
    Btn_ossztorol = button(this, "Btn_ossztorol", "Töröl");
    GrBOnyom = named(new QGroupBox(u8("Összesítő"), this), "GrBOnyom");
    Btnossznyomtat = button(GrBOnyom, "Btnossznyomtat", "Nyom&tat", "Összesítő nyomtatása", 3);
    BtnMegtekint = button(GrBOnyom, "BtnMegtekint", "Me&gtekint", nullptr, 4);
    Btntorol = button(GrBOnyom, "Btntorol", "&Töröl", "Összesítő teljes törlése");
    btncon = button(GrBOnyom, "btncon", "Pro&filváltás", "Alkatrész cserék más profilra", 2);
    group(GrBOnyom, {Btnossznyomtat, BtnMegtekint, Btntorol, btncon});
    {
        auto* row = new QHBoxLayout;
        auto* side = new QVBoxLayout;
        row->addWidget(DBGrido, 1);
        for (QWidget* w : std::initializer_list<QWidget*>{
                 DBNavikigyujt, BitBtnosszbeszur, Btn_osszvaltoztat, Btn_ossztorol, GrBOnyom}) {
            w->setFixedWidth(kSideWidth);
            side->addWidget(w);
        }
        side->addStretch(1);
        row->addLayout(side);
        root->addLayout(row, 1);
    }

    StbKigyujt =
        named(new ui::StatusBar(std::vector<int>{130, 170, 170, 20, 170, 0}, this), "StbKigyujt");
    StbKigyujt->setSizeGripEnabled(false);
    root->addWidget(StbKigyujt);

    // ---- the progress panel, over the list being walked ----
    Panel = named(new QFrame(this), "Panel");
    Panel->setFrameShape(QFrame::Panel);
    Panel->setFrameShadow(QFrame::Raised);
    Panel->setAutoFillBackground(true);
    Panel->setFixedSize(340, 80);
    grp1 = named(new QGroupBox(Panel), "grp1");
    prbar = named(new QProgressBar(grp1), "prbar");
    prbar->setRange(0, 100);
    prbar->setValue(0);
    (new QVBoxLayout(grp1))->addWidget(prbar);
    (new QVBoxLayout(Panel))->addWidget(grp1);
    Panel->hide();

    // the search dialog that inserts and changes rows is not part of the program yet
    for (QPushButton* b : {Btnreszbeszur, BitBtnosszbeszur, Btn_reszValtoztat, Btn_osszvaltoztat}) {
        b->setEnabled(false);
    }
    resize(900, 660);
}

QAction* TFrmkigyujt::addEntry(QMenu* menu, const std::string& path, const char* caption, int tag,
                               bool enabled) {
    QAction* a = menu->addAction(u8(caption));
    a->setData(tag);
    a->setEnabled(enabled);
    actions_[path + kSeparator + caption] = a;
    return a;
}

void TFrmkigyujt::createMenu() {
    // Entries whose dialogs are not part of the program yet are shown disabled.
    QMenu* order = MainMenu->addMenu(u8("Rendelés"));
    const std::string o = "Rendelés";
    addEntry(order, o, "Megnyitás", 0, false);
    addEntry(order, o, "Mentés", 0, false);
    addEntry(order, o, "Másol (floppy)", 1, false);
    addEntry(order, o, "Beolvas (floppy)", 0, false);
    QMenu* exp = order->addMenu(u8("Export excel"));
    addEntry(exp, o + kSeparator + "Export excel", "Felső  tábla", 1, false);
    addEntry(exp, o + kSeparator + "Export excel", "Alsó tábla", 0, false);
    QMenu* mail = order->addMenu(u8("Küldés (E-Mail)"));
    addEntry(mail, o + kSeparator + "Küldés (E-Mail)", "Felső tábla", 3, false);
    addEntry(mail, o + kSeparator + "Küldés (E-Mail)", "Alsó tábla", 4, false);
    exp->setEnabled(false);
    mail->setEnabled(false);
    order->addSeparator();
    addEntry(order, o, "Mennyiség változtatás (%)", 0, true);
    addEntry(order, o, "Átalakítás B0/B1", 0, true);
    addEntry(order, o, "Kiegészít", 0, true);
    order->addSeparator();
    addEntry(order, o, "Kigyűjtési napló", 0, false);
    addEntry(order, o, "Engedményt megtekint", 0, true);

    QMenu* settings = MainMenu->addMenu(u8("Beállítások"));
    const std::string s = "Beállítások";
    addEntry(settings, s, "Általános...", 0, false);
    addEntry(settings, s, "Engedmény", 0, false);
    addEntry(settings, s, "Tábla alapbeállítás", 0, true);
    addEntry(settings, s, "Nyomtató...", 0, true);

    QMenu* source = MainMenu->addMenu(u8("Adatforrás"));
    sources_ = new QActionGroup(this);
    sources_->setExclusive(true);
    for (const char* caption : {"Alap", "Külső"}) {
        QAction* a = addEntry(source, "Adatforrás", caption, 0, true);
        a->setCheckable(true);
        sources_->addAction(a);
    }
    action("Adatforrás > Alap")->setChecked(true);

    QMenu* stock = MainMenu->addMenu(u8("Raktár"));
    const std::string r = "Raktár";
    QMenu* change = stock->addMenu(u8("Módosítás"));
    addEntry(change, r + kSeparator + "Módosítás", "Kommissió", 0, false);
    addEntry(change, r + kSeparator + "Módosítás", "Bevétel", 1, false);
    change->setEnabled(false);
    addEntry(stock, r, "Készlet", 0, false);
    addEntry(stock, r, "Aru bevétel", 0, false);

    QAction* quit = MainMenu->addAction(u8("Kilépés"));
    quit->setData(3);
    actions_["Kilépés"] = quit;
}

QAction* TFrmkigyujt::action(const std::string& name) const {
    if (auto it = actions_.find(name); it != actions_.end()) {
        return it->second;
    }
    QAction* found = nullptr;
    for (const auto& [path, a] : actions_) {
        const size_t at = path.rfind(kSeparator);
        const std::string leaf =
            at == std::string::npos ? path : path.substr(at + std::string(kSeparator).size());
        if (leaf == name) {
            if (found) {
                return nullptr; // more than one entry has that caption
            }
            found = a;
        }
    }
    return found;
}

void TFrmkigyujt::connectControls() {
    auto onClick = [this](QPushButton* b, auto fn) { connect(b, &QPushButton::clicked, this, fn); };
    onClick(Btnossz, [this] { BtnfeltoltClick(); });
    onClick(Btnvissza, [this] { leave(false); });
    onClick(Btnresztorol, [this] { deletePartialRow(); });
    onClick(Btn_ossztorol, [this] { deleteOrderRow(); });
    onClick(BitBtn1, [this] { deletePartialList(); });
    onClick(Btntorol, [this] { deleteOrderList(); });
    for (QPushButton* b : {Btnresznyomtat, Btnreszmegtekint, Btnossznyomtat, BtnMegtekint}) {
        onClick(b, [this, b] { MegtekintClick(b->property("tag").toInt()); });
    }
    onClick(Btnprofi_2, [this] { profileChange(1); });
    onClick(btncon, [this] { profileChange(2); });

    connect(DBNavreszossz, &ui::DBNavigator::clicked, this, [this] { DBGridr->setFocus(); });
    connect(DBNavikigyujt, &ui::DBNavigator::clicked, this, [this] { DBGrido->setFocus(); });
    connect(DBGridr->horizontalHeader(), &QHeaderView::sectionMoved, this,
            [this] { saveLayout(DBGridr, layouts().RacsrFajl); });
    connect(DBGrido->horizontalHeader(), &QHeaderView::sectionMoved, this,
            [this] { saveLayout(DBGrido, layouts().RacsoFajl); });

    auto onTrigger = [this](const char* name, auto fn) {
        connect(action(name), &QAction::triggered, this, fn);
    };
    onTrigger("Mennyiség változtatás (%)", [this] { changeQuantities(); });
    onTrigger("Átalakítás B0/B1", [this] { cartonSplit(); });
    onTrigger("Kiegészít", [this] { roundUpToCartons(); });
    onTrigger("Engedményt megtekint", [this] { outputDiscounts(false); });
    onTrigger("Tábla alapbeállítás", [this] { resetLayouts(); });
    onTrigger("Nyomtató...", [this] { printerSetup(); });
    onTrigger("Adatforrás > Alap", [this] { chooseDataSource(false); });
    onTrigger("Adatforrás > Külső", [this] { chooseDataSource(true); });
    onTrigger("Kilépés", [this] { leave(true); });

    for (QGroupBox* g : {GrBRnyom, GrBOnyom}) {
        for (QPushButton* b : g->findChildren<QPushButton*>()) {
            b->installEventFilter(this);
        }
    }
    Btnossz->installEventFilter(this);
    Btnvissza->installEventFilter(this);
    for (ui::DBGrid* g : {DBGridr, DBGrido}) {
        g->installEventFilter(this);
        g->viewport()->installEventFilter(this); // and, through it, the cell editors
    }
    focusConnection_ = connect(qApp, &QApplication::focusChanged, this,
                               [this](QWidget* old, QWidget* now) { focusMoved(old, now); });
}

// ---------------------------------------------------------------- events

void TFrmkigyujt::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!e->spontaneous()) { // not when restored from the task bar
        FormActivate();
    }
}

void TFrmkigyujt::done(int result) {
    saveLayouts();
    QDialog::done(result);
}

bool TFrmkigyujt::eventFilter(QObject* o, QEvent* e) {
    auto* w = qobject_cast<QWidget*>(o);
    switch (e->type()) {
    case QEvent::FocusIn:
        if (qobject_cast<QPushButton*>(o)) {
            enteredButton();
        }
        break;
    case QEvent::ChildAdded:
        // a cell editor opened in a grid: its keys are the grid's
        if (w && (w == DBGridr->viewport() || w == DBGrido->viewport())) {
            if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(e)->child())) {
                child->installEventFilter(this);
            }
        }
        break;
    case QEvent::KeyPress:
        if (refreshKey(static_cast<QKeyEvent*>(e)->key())) {
            if (within(w, DBGridr)) {
                dm_.Reszfrissit = true; // the next post of a partial row refreshes its totals
            } else if (within(w, DBGrido) && dm_.Osszvaltozott) {
                Osszosszeg();
            }
        }
        break;
    case QEvent::KeyRelease:
        // the first row typed into an empty list enables the buttons
        if (within(w, DBGridr) && !Btnossz->isEnabled() && !busy_) {
            Gombfrissites(false);
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(o, e);
}

void TFrmkigyujt::focusMoved(QWidget* old, QWidget* now) {
    if (busy_) {
        return;
    }
    if (within(old, DBGridr) != within(now, DBGridr)) {
        saveLayout(DBGridr, layouts().RacsrFajl);
        Reszosszeg();
    }
    if (within(old, DBGrido) != within(now, DBGrido)) {
        saveLayout(DBGrido, layouts().RacsoFajl);
        dm_.Osszvaltozott = true;
        Osszosszeg();
    }
}

void TFrmkigyujt::enteredButton() {
    StbKigyujt->setPanelText(0, u8(Nyelvindex() == 4 ? "  Garnitura price:" : "  Garnitura ár:"));
}

// ---------------------------------------------------------------- activation and buttons

void TFrmkigyujt::FormActivate() {
    dm_.rendelesbetoltes = false;
    Gombfrissites(true);
    const calc::Window w = collectedWindow();
    const bool automatic = mainWindow && mainWindow->collectionChoices.automatic;
    if (!automatic || w.material >= 2) {
        Eprofil->hide();
        return;
    }
    const bool converting = collection_.Konvertalando;
    store::guarded(messages_, [&] { collection_.activate(w, automatic); });
    if (converting) {
        Reszosszeg(); // the converted parts have prices of their own
    }
    Eprofil->setText(ui::qs(currentProfileName()));
    Eprofil->setVisible(!showsNoProfile(storedKod()));
}

void TFrmkigyujt::Gombfrissites(bool focus) {
    const bool partialEmpty = listEmpty(dm_.Tblreszossz);
    const bool orderEmpty = listEmpty(dm_.tblkigyujt);
    bool KR = false, Konv = false;
    store::guarded(messages_, [&] {
        store::Table& t = dm_.Tbltarol;
        if (t.active() && !t.isEmpty()) {
            KR = t.fieldByName("KR").asBoolean();
            Konv = t.fieldByName("Konv").asBoolean();
        }
    });
    const bool automatic = mainWindow && mainWindow->collectionChoices.automatic;
    const calc::ButtonStates b = calc::buttonStates(partialEmpty, orderEmpty, KR, Konv, automatic);
    // without the profile change dialog there is nothing to open
    const bool dialog = static_cast<bool>(showProfileChange);
    Btnprofi_2->setEnabled(dialog && b.partialProfile);
    btncon->setEnabled(dialog && b.orderProfile);

    for (QPushButton* w : {Btnreszmegtekint, Btnresznyomtat, Btnresztorol, Btnossz}) {
        w->setEnabled(b.partialRows);
    }
    if (!b.partialRows) {
        StbKigyujt->setPanelText(1, QString());
        StbKigyujt->setPanelText(2, QString());
        if (focus) {
            Btnvissza->setFocus();
        }
    } else {
        Reszosszeg();
        if (focus) {
            Btnossz->setFocus();
        }
    }
    Btn_ossztorol->setEnabled(b.orderRows);
    Btntorol->setEnabled(b.orderRows);
    Osszosszeg();
}

void TFrmkigyujt::Reszosszeg() {
    if (!totalsShown() || listEmpty(dm_.Tblreszossz)) {
        StbKigyujt->setPanelText(1, QString());
        StbKigyujt->setPanelText(2, QString());
        return;
    }
    store::guarded(messages_, [this] {
        const calc::Totals t = calc::sumOf(dm_.Tblreszossz, prices);
        StbKigyujt->setPanelText(1, Arfelirat() + " " + calc::totalText(t.euro) + " EUR");
        StbKigyujt->setPanelText(2, Arfelirat() + " " + calc::totalText(t.forint) + " Ft");
    });
}

void TFrmkigyujt::Osszosszeg() {
    if (!totalsShown()) {
        StbKigyujt->setPanelText(4, QString());
        StbKigyujt->setPanelText(5, QString());
        return;
    }
    store::guarded(messages_, [this] {
        const calc::Totals t = calc::sumOf(dm_.tblkigyujt, prices);
        StbKigyujt->setPanelText(4, Arfelirat() + " " + calc::totalText(t.euro) + " EUR");
        StbKigyujt->setPanelText(5, Arfelirat() + " " + calc::totalText(t.forint) + " Ft");
        dm_.Osszvaltozott = false;
    });
}

// ---------------------------------------------------------------- the lists

template <class Fn> void TFrmkigyujt::withProgress(QWidget* over, const char* text, Fn&& fn) {
    Haladas = 0;
    Haladasmax = 0;
    prbar->setValue(0);
    grp1->setTitle(u8(text));
    const QPoint at = over->mapTo(this, QPoint(0, 0));
    Panel->move(at.x() + std::max(0, (over->width() - Panel->width()) / 2),
                at.y() + std::max(0, (over->height() - Panel->height()) / 2));
    Panel->show();
    Panel->raise();
    repaint();
    busy_ = true;
    store::guarded(messages_, std::forward<Fn>(fn));
    busy_ = false;
    Panel->hide();
}

void TFrmkigyujt::BtnfeltoltClick() {
    std::optional<calc::LogRecord> log;
    if (collection_.Naplozando && dataEntry) {
        store::guarded(messages_, [&] {
            const bool changed = collection_.Profilvaltva;
            log = calc::logRecord(dataEntry->model(), ui::ss(dataEntry->DBLCtipus->currentText()),
                                  changed, changed ? currentProfileName() : std::string());
        });
    }
    Btnossz->setEnabled(false);
    Btnvissza->setFocus();
    withProgress(DBGridr, "Összesítés folyamatban", [&] { lists_.Osszesit(log); });
    Btnossz->setEnabled(true);
    Gombfrissites(true);
    loadLayout(DBGridr, layouts().RacsrFajl);
    loadLayout(DBGrido, layouts().RacsoFajl);
    for (store::Table* t : {&dm_.Tblreszossz, &dm_.tblkigyujt}) {
        store::guarded(messages_, [t] {
            if (t->active()) {
                t->first();
            }
        });
    }
}

void TFrmkigyujt::deletePartialRow() {
    store::guarded(messages_, [this] {
        if (!listEmpty(dm_.Tblreszossz)) {
            dm_.Tblreszossz.deleteRecord();
        }
    });
    Gombfrissites(true);
    DBGridr->setFocus();
}

void TFrmkigyujt::deleteOrderRow() {
    store::guarded(messages_, [this] { lists_.deleteOrderRow(); });
    Gombfrissites(true);
    DBGrido->setFocus();
}

void TFrmkigyujt::deletePartialList() {
    store::guarded(messages_, [this] { lists_.deletePartialList(); });
    Gombfrissites(true);
    loadLayout(DBGridr, layouts().RacsrFajl);
    store::guarded(messages_, [this] {
        if (dm_.Tblreszossz.active()) {
            dm_.Tblreszossz.first();
        }
    });
}

void TFrmkigyujt::deleteOrderList() {
    store::guarded(messages_, [this] { lists_.deleteOrderList(); });
    Gombfrissites(true);
    loadLayout(DBGrido, layouts().RacsoFajl);
    store::guarded(messages_, [this] {
        if (dm_.tblkigyujt.active()) {
            dm_.tblkigyujt.first();
        }
    });
}

void TFrmkigyujt::changeQuantities() {
    store::guarded(messages_, [this] { lists_.changeQuantities(); });
    Reszosszeg(); // the totals follow the new quantities
}

void TFrmkigyujt::cartonSplit() {
    withProgress(DBGrido, "B0/B1 átalakítás folyamatban", [this] { lists_.cartonSplit(); });
    Gombfrissites(true);
    loadLayout(DBGridr, layouts().RacsrFajl);
    store::guarded(messages_, [this] {
        for (store::Table* t : {&dm_.Tblreszossz, &dm_.tblkigyujt}) {
            if (t->active()) {
                t->first();
            }
        }
    });
}

void TFrmkigyujt::roundUpToCartons() {
    withProgress(DBGrido, "Kiegészítés folyamatban", [this] { lists_.roundUpToCartons(); });
    Reszosszeg();
    Osszosszeg();
}

void TFrmkigyujt::profileChange(int tag) {
    if (!showProfileChange) {
        return;
    }
    Valtasmod = tag;
    showProfileChange();
    Gombfrissites(true);
    if (Valtasmod == 1) {
        DBGridr->setFocus();
        return;
    }
    DBGrido->setFocus();
    store::guarded(messages_, [this] { lists_.renameLogProfiles(currentProfileName()); });
}

void TFrmkigyujt::chooseDataSource(bool external) {
    action("Adatforrás > Alap")->setChecked(!external);
    action("Adatforrás > Külső")->setChecked(external);
    store::guarded(messages_, [&] {
        store::Table& t = dm_.tblkigyujt;
        t.close();
        t.setAlias(external ? "kulso" : "data");
        t.open();
    });
    Gombfrissites(false); // the buttons follow the list now shown
}

void TFrmkigyujt::leave(bool closeDataEntry) {
    if (closeDataEntry && dataEntry) {
        dataEntry->reject();
    }
    reject();
}

// ---------------------------------------------------------------- printing

void TFrmkigyujt::MegtekintClick(int tag) {
    const bool partial = tag == 1 || tag == 2;
    const bool print = tag == 1 || tag == 3;
    store::Table& list = partial ? dm_.Tblreszossz : dm_.tblkigyujt;
    store::guarded(messages_, [&] {
        store::openIfClosed(list);
        fillWindowBlock(tag);
        summary_.bind(list);
        applyReportSettings();
        summary_.clearCustomer(); // the notes dialog that fills it is not part of the program yet
        output(summary_.QRposszesit, *summaryPrinter_, print);
        if (tag == 3 && settingFlag("naplo").value_or(false)) {
            store::openIfClosed(dm_.tblnaplo);
            log_.bind(dm_.tblnaplo);
            output(log_.Qrnaplo, *logPrinter_, true);
        }
    });
    if (!mainWindow || !mainWindow->Engedmenylista) {
        return;
    }
    if (!print) {
        outputDiscounts(false);
        return;
    }
    if (messages_.yesNo("Nyomtatja az engedményeket is?")) {
        outputDiscounts(true);
    }
}

// The discount list over the shown discount groups, opened for it and closed again.
void TFrmkigyujt::outputDiscounts(bool print) {
    store::guarded(messages_, [this, print] {
        store::Table& t = dm_.Tblqrabat;
        t.open();
        discounts_.bind(t);
        try {
            output(discounts_.QRPrabat, *discountPrinter_, print);
        } catch (...) {
            t.close();
            throw;
        }
        t.close();
    });
}

void TFrmkigyujt::printerSetup() {
    summaryPrinter_->printerSetup(this);
}

void TFrmkigyujt::fillWindowBlock(int tag) {
    if (!collection_.Ujkigyujtes || (tag != 1 && tag != 2) || !dataEntry) {
        summary_.clearWindow();
        return;
    }
    calc::DescriptionInputs in;
    in.typeName = ui::ss(dataEntry->DBLCtipus->currentText());
    in.Profilvaltva = collection_.Profilvaltva;
    if (in.Profilvaltva) {
        in.profileName = currentProfileName();
    }
    reports::WindowDescription d = calc::describeWindow(dataEntry->model(), in);
    // the picture is the one data entry shows, none when it shows none
    summary_.setTypePicture(dataEntry->pictureFile());
    d.picture.clear();
    summary_.setWindow(d);
}

// What the settings give the summary report: language, article code, price or weight column,
// prices visible, the forint masks of the exchange rate, version, date of the first start and
// the footer.
void TFrmkigyujt::applyReportSettings() {
    const auto language = static_cast<reports::Language>(std::clamp(Nyelvindex(), 0, 4));
    summary_.setLanguage(language);
    summary_.setSecondCode(settingInt("penz").value_or(0) == 1);
    summary_.setPriceColumn(settingInt("suly").value_or(1) == 0 ? reports::PriceColumn::UnitPrice
                                                                : reports::PriceColumn::Weight,
                            language);
    summary_.setPricesVisible(mainWindow ? settingFlag("arlat").value_or(false) : true);
    store::Table& tarolo = dm_.Tbltarol;
    if (tarolo.active() && !tarolo.isEmpty()) {
        summary_.bindSettings(tarolo);
        if (const double rate = tarolo.fieldByName("Arfolyam").asFloat(); rate > 0) {
            summary_.setExchangeRate(rate);
        }
    }
    if (mainWindow) {
        if (!mainWindow->reportVersion.empty()) {
            summary_.setVersion(mainWindow->reportVersion);
        }
        summary_.QRposszesit.element("Qinst").text = mainWindow->reportInstallDate;
        if (!mainWindow->reportFooter.empty()) {
            summary_.setFooterLines(footerLines(mainWindow->reportFooter));
        }
    }
}

bool TFrmkigyujt::output(reports::engine::Report& report, reports::ReportPrinter& printer,
                         bool print) {
    if (reportOutput) {
        return reportOutput(report, print);
    }
    return print ? printer.print(this, true) : printer.preview(this);
}

// ---------------------------------------------------------------- grid layouts

const LayoutFiles& TFrmkigyujt::layouts() const {
    return mainWindow ? mainWindow->layoutFiles : layoutFiles;
}

void TFrmkigyujt::loadLayout(ui::DBGrid* grid, const std::string& file) {
    if (file.empty()) {
        return;
    }
    try {
        grid->loadLayout(fs::path(file)); // a failure leaves the grid's columns as they are
    } catch (const std::exception&) {
    }
}

void TFrmkigyujt::saveLayout(ui::DBGrid* grid, const std::string& file) {
    if (file.empty()) {
        return;
    }
    try {
        grid->saveLayout(fs::path(file)); // a failure keeps the file as it was
    } catch (const std::exception&) {
    }
}

void TFrmkigyujt::saveLayouts() {
    saveLayout(DBGridr, layouts().RacsrFajl);
    saveLayout(DBGrido, layouts().RacsoFajl);
}

bool TFrmkigyujt::prepareLayouts() {
    const LayoutFiles& f = layouts();
    bool created = false;
    const std::pair<ui::DBGrid*, const std::string*> files[] = {{DBGridr, &f.RacsrFajl},
                                                                {DBGridr, &f.DracsrFajl},
                                                                {DBGrido, &f.RacsoFajl},
                                                                {DBGrido, &f.DracsoFajl}};
    for (const auto& [grid, file] : files) {
        std::error_code ec;
        if (!file->empty() && !fs::exists(fs::path(*file), ec)) {
            saveLayout(grid, *file);
            created = true;
        }
    }
    loadLayout(DBGridr, f.RacsrFajl);
    loadLayout(DBGrido, f.RacsoFajl);
    return created;
}

void TFrmkigyujt::resetLayouts() {
    try {
        // the handles whose columns follow the settings are opened again
        std::vector<store::Table*> reopen;
        for (store::Table* t :
             {&dm_.tblprofildat, &dm_.Tblrendel, &dm_.Tblkeszlet, &dm_.Tblkeszlet2}) {
            if (t->active()) {
                t->close();
                reopen.push_back(t);
            }
        }
        summary_.setSecondCode(false);
        // the article code choice (`penz`) is the settings dialog's and stays as it is
        for (store::Table* t : reopen) {
            t->open();
        }
        const LayoutFiles& f = layouts();
        const std::pair<ui::DBGrid*, const std::string*> defaults[] = {{DBGridr, &f.DracsrFajl},
                                                                       {DBGrido, &f.DracsoFajl}};
        for (const auto& [grid, file] : defaults) {
            loadLayout(grid, *file);
            if (grid->dataModel()->columnCount() > 1) {
                grid->setColumnShown(1, false); // the second part number
            }
        }
        for (store::Table* t : {&dm_.Tblreszossz, &dm_.tblkigyujt}) {
            if (t->active()) {
                t->first();
            }
        }
    } catch (const std::exception&) {
        // the reset ends where it failed, without a message
    }
}

// ---------------------------------------------------------------- values read

bool TFrmkigyujt::listEmpty(store::Table& t) {
    try {
        return !t.active() || t.isEmpty();
    } catch (const std::exception&) {
        return true;
    }
}

std::optional<bool> TFrmkigyujt::settingFlag(const char* name) {
    if (const auto v = settingInt(name)) {
        return *v != 0;
    }
    return std::nullopt;
}

std::optional<int> TFrmkigyujt::settingInt(const char* name) {
    if (!mainWindow) {
        return std::nullopt;
    }
    try {
        if (Registry* reg = mainWindow->Regnyitas()) {
            return reg->readInteger(name);
        }
    } catch (const std::exception&) {
        // a missing or unreadable value is not set
    }
    return std::nullopt;
}

bool TFrmkigyujt::totalsShown() {
    if (!mainWindow) {
        return true;
    }
    return settingFlag("kalk").value_or(false) && settingFlag("arlat").value_or(false);
}

int TFrmkigyujt::Nyelvindex() const {
    return mainWindow ? mainWindow->Nyelvindex : 0;
}

std::string TFrmkigyujt::Arfelirat() const {
    if (mainWindow && !mainWindow->language.Arfelirat.empty()) {
        return mainWindow->language.Arfelirat;
    }
    return languageValues(Nyelvindex()).Arfelirat;
}

int TFrmkigyujt::storedKod() {
    try {
        store::Table& t = dm_.Tbltarol;
        if (t.active() && !t.isEmpty()) {
            return static_cast<int>(t.fieldByName("Kod").asInteger());
        }
    } catch (const std::exception&) {
    }
    return 0;
}

std::string TFrmkigyujt::currentProfileName() {
    try {
        store::Table& t = dm_.Tbltarol;
        if (!t.active() || t.isEmpty()) {
            return {};
        }
        const int64_t profil = t.fieldByName("Profil").asInteger();
        if (!profileNames_) {
            profileNames_ = std::make_unique<store::Table>(dm_.session(), "profilnev");
            profileNames_->setAlias(dm_.Tblprofineve.alias());
            profileNames_->setTableName(dm_.Tblprofineve.tableName());
        }
        store::openIfClosed(*profileNames_);
        const store::Value name = profileNames_->lookup({"Sorsz"}, {store::Value(profil)}, "Nev");
        return name.isText() ? name.textValue() : std::string();
    } catch (const std::exception&) {
        return {}; // no profile names: no name shown
    }
}

calc::Window TFrmkigyujt::collectedWindow() const {
    return dataEntry ? dataEntry->model().window() : collection_.window();
}

} // namespace app
