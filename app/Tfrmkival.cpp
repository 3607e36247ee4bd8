#include "app/Tfrmkival.h"

#include "store/engine/table.h"
#include "store/messages.h"
#include "store/rules/dm_rules.h"
#include "store/tdm.h"
#include "ui/dblookup.h"
#include "ui/key_filter.h"
#include "ui/qt_messages.h"
#include "ui/radio_group.h"
#include "ui/status_bar.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <stdexcept>

namespace app {

namespace {

constexpr int kPictureCentre = 385; // the picture stands centred on this x
constexpr int kPictureTop = 300;
constexpr int kPictureWidth = 220, kPictureHeight = 150;

const QColor kLockSideOn(0xD9, 0xCC, 0xBB);
const QColor kLockSideOff(0xC0, 0xC0, 0xC0); // silver

// The type list's name column of each document language.
const char* typeListField(int Nyelvindex) {
    switch (Nyelvindex) {
    case 1:
    case 3:
        return "Nemet";
    case 2:
        return "Roman";
    case 4:
        return "Angol";
    default:
        return "Megnevezes";
    }
}

template <class W> W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

} // namespace

Tfrmkival::Tfrmkival(store::TDM& dm, store::DataModuleRules& rules, store::Messages& messages,
                     QWidget* parent)
    : QDialog(parent), dm_(dm), rules_(rules), messages_(messages),
      model_([this](int code) { return typeRecord(code); }, messages) {
    setObjectName("Tfrmkival");
    setWindowTitle(QString::fromUtf8("Adatbevitel"));
    createControls();
    connectControls();
    apply();
}

Tfrmkival::~Tfrmkival() {
    // the widgets that go with the dialog move the focus: this window no longer listens
    disconnect(focusConnection_);
    if (types_) {
        types_->close();
    }
}

// ---- controls ----

void Tfrmkival::createControls() {
    auto label = [this](const char* name, int x, int y, int w = 90) {
        auto* l = named(new QLabel(this), name);
        l->setGeometry(x, y, w, 20);
        widgets_.emplace_back(name, l);
        return l;
    };
    auto edit = [this](const char* name, int x, int y, int w = 80) {
        auto* e = named(new QLineEdit(this), name);
        e->setGeometry(x, y, w, 24);
        widgets_.emplace_back(name, e);
        return e;
    };
    auto check = [this](QWidget* parent, const char* name, int x, int y, int w = 200) {
        auto* c = named(new QCheckBox(parent), name);
        c->setGeometry(x, y, w, 22);
        widgets_.emplace_back(name, c);
        return c;
    };
    auto group = [this](QWidget* parent, const char* name, int x, int y, int w, int h) {
        auto* g = named(new ui::RadioGroup(parent), name);
        g->setGeometry(x, y, w, h);
        widgets_.emplace_back(name, g);
        return g;
    };

    label("LbTipus", 10, 12, 30);
    DBLCtipus = named(new ui::DBLookupComboBox(this), "DBLCtipus");
    DBLCtipus->setGeometry(45, 8, 300, 24);
    DBLCtipus->setMessages(&messages_);
    DBLCtipus->setListSource(&dm_.tbltipus, "Tipuskod", typeListField(0));
    DBLCtipus->setDataField(&dm_.Tbltarol, "Kod");
    widgets_.emplace_back("DBLCtipus", DBLCtipus);

    label("Lmerethat", 200, 44, 100);
    label("Lbszelesseg", 10, 70);
    Eszelesseg = edit("Eszelesseg", 110, 66);
    label("LbSzmin", 200, 70, 40);
    label("lbjel1", 240, 70, 10);
    label("lbSzmax", 255, 70, 50);
    label("Lbmagassag", 10, 100);
    Emagassag = edit("Emagassag", 110, 96);
    label("LbMmin", 200, 100, 40);
    label("lbjel2", 240, 100, 10);
    label("LbMmax", 255, 100, 50);
    label("LRb", 10, 130);
    Erab = edit("Erab", 110, 126);
    Erab->setAutoFillBackground(true);
    label("Rabmhat", 200, 130, 120);
    label("Ldarab", 10, 160);
    Emennyiseg = edit("Emennyiseg", 110, 156);
    label("lfok", 10, 190, 40);
    Efok = edit("Efok", 110, 186, 40);
    Efok->setReadOnly(true);
    label("Lfok2", 160, 190, 40);
    cb = check(this, "cb", 10, 218);
    cbr = check(this, "cbr", 10, 242);
    Cbts = check(this, "Cbts", 10, 266);
    rgpanyag = group(this, "rgpanyag", 10, 296, 250, 150);

    Grppant = named(new QGroupBox(this), "Grppant");
    Grppant->setGeometry(330, 40, 280, 250);
    widgets_.emplace_back("Grppant", Grppant);
    rgpnyitas = group(Grppant, "rgpnyitas", 10, 22, 120, 80);
    rgptip = group(Grppant, "rgptip", 140, 22, 130, 110);
    rgpszin = group(Grppant, "rgpszin", 10, 110, 120, 130);
    Checkeckband = check(Grppant, "Checkeckband", 140, 150, 130);

    Image1 = named(new QLabel(this), "Image1");
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setGeometry(kPictureCentre - kPictureWidth / 2, kPictureTop, kPictureWidth,
                        kPictureHeight);
    Image1->hide();

    auto button = [this](const char* name, int y) {
        auto* b = named(new QPushButton(this), name);
        b->setGeometry(510, y, 100, 30);
        b->setAutoDefault(false);
        widgets_.emplace_back(name, b);
        return b;
    };
    Btnkivalaszt = button("Btnkivalaszt", 340);
    Btnbezaras = button("Btnbezaras", 380);

    StbBevitel = named(new ui::StatusBar(std::vector<int>{0}, this), "StbBevitel");
    StbBevitel->setSizeGripEnabled(false);
    StbBevitel->setGeometry(0, 458, 620, 22);
    setFixedSize(620, 480);

    for (auto [w, entry] : {std::pair{static_cast<QWidget*>(Eszelesseg), calc::EntryField::Width},
                            {Emagassag, calc::EntryField::Height},
                            {Erab, calc::EntryField::LockSide},
                            {Emennyiseg, calc::EntryField::Quantity},
                            {DBLCtipus, calc::EntryField::TypeList}}) {
        auto* f = ui::KeyFilter::install(w, ui::KeyFilter::Chars::Any);
        f->setAllowed(QString::fromStdString(calc::EntryModel::acceptedChars(entry)));
    }
    for (const auto& [name, w] : widgets_) {
        if (const calc::Control* c = model_.control(name); c && !c->hint.empty()) {
            w->setToolTip(ui::qs(c->hint));
        }
    }
}

void Tfrmkival::connectControls() {
    auto clicks = [this](ui::RadioGroup* g, bool (calc::EntryModel::*on)(int)) {
        connect(g, &ui::RadioGroup::clicked, this,
                [this, g, on](int i) { handle([&] { (model_.*on)(i); }, g); });
    };
    clicks(rgpnyitas, &calc::EntryModel::clickOpening);
    clicks(rgptip, &calc::EntryModel::clickHinge);
    clicks(rgpanyag, &calc::EntryModel::clickMaterial);
    clicks(rgpszin, &calc::EntryModel::clickColour);

    auto checks = [this](QCheckBox* b, bool (calc::EntryModel::*on)(bool)) {
        connect(b, &QCheckBox::clicked, this,
                [this, on](bool checked) { handle([&] { (model_.*on)(checked); }); });
    };
    checks(Cbts, &calc::EntryModel::clickRail);
    checks(cb, &calc::EntryModel::clickRod3);
    checks(cbr, &calc::EntryModel::clickRod15);
    checks(Checkeckband, &calc::EntryModel::setEckband);

    auto edits = [this](QLineEdit* e, bool (calc::EntryModel::*on)(const std::string&)) {
        connect(e, &QLineEdit::textEdited, this,
                [this, on](const QString& text) { handle([&] { (model_.*on)(ui::ss(text)); }); });
    };
    edits(Eszelesseg, &calc::EntryModel::setWidth);
    edits(Emagassag, &calc::EntryModel::setHeight);
    edits(Erab, &calc::EntryModel::setLockSide);
    edits(Emennyiseg, &calc::EntryModel::setQuantity);

    // a type chosen (the box has written it into the settings record); the list closed
    connect(DBLCtipus, &QComboBox::activated, this, [this](int) {
        const store::Value key = DBLCtipus->keyValue();
        if (key.isNull()) {
            return;
        }
        handle([&] { model_.chooseType(static_cast<int>(key.intValue())); });
        typeListLeft();
    });

    connect(Btnkivalaszt, &QPushButton::clicked, this, [this] { BtnkivalasztClick(); });
    connect(Btnbezaras, &QPushButton::clicked, this, &QDialog::reject);
    focusConnection_ = connect(qApp, &QApplication::focusChanged, this,
                               [this](QWidget* old, QWidget* now) { focusMoved(old, now); });
}

const calc::Control* Tfrmkival::controlOf(QWidget* w) const {
    for (const auto& [name, widget] : widgets_) {
        if (w && name != "Grppant" && (widget == w || widget->isAncestorOf(w))) {
            return model_.control(name);
        }
    }
    return nullptr;
}

// ---- events ----

template <class Fn> void Tfrmkival::handle(Fn&& fn, QWidget* source) {
    if (busy_) {
        return;
    }
    busy_ = true;
    clicked_ = source;
    store::guarded(messages_, std::forward<Fn>(fn));
    syncData();
    apply();
    clicked_ = nullptr;
    busy_ = false;
    if (model_.focusTypeList()) {
        DBLCtipus->setFocus();
    }
}

void Tfrmkival::FormActivate() {
    // the type list and the settings record are open while the window is in use
    store::guarded(messages_, [this] {
        for (store::Table* t : {&dm_.Tbltarol, &dm_.tbltipus}) {
            store::openIfClosed(*t);
        }
        if (dm_.Tbltarol.isEmpty()) {
            throw std::runtime_error("A tarolo tábla üres: a beállítások rekordja hiányzik.");
        }
    });
    handle([this] {
        model_.setStoredType(storedKod());
        model_.activate();
        // the sets of the window's set code, the module filter of the collection
        store::Table& sets = dm_.Tblgarnitur;
        if (sets.masterSource() != &dm_.Tbltarol ||
            QString::fromStdString(sets.masterFields())
                    .compare(QLatin1String("Vezkod"), Qt::CaseInsensitive) != 0) {
            sets.setMasterSource(&dm_.Tbltarol, "Vezkod");
        }
        dm_.Tblmodul.setFiltered(true);
    });
}

void Tfrmkival::typeListLeft() {
    handle([this] {
        store::Table& t = dm_.Tbltarol;
        if (t.active() &&
            (t.state() == store::DataSetState::Edit || t.state() == store::DataSetState::Insert)) {
            t.post();
        }
        model_.setStoredType(storedKod());
        model_.leaveTypeList();
    });
}

void Tfrmkival::focusMoved(QWidget* old, QWidget* now) {
    if (busy_) {
        return;
    }
    auto within = [](QWidget* w, QWidget* container) {
        return w && (w == container || container->isAncestorOf(w));
    };
    if (old && isAncestorOf(old)) {
        if (within(old, DBLCtipus) && !within(now, DBLCtipus)) {
            typeListLeft();
        } else if (within(old, rgptip) && !within(now, rgptip)) {
            handle([this] { model_.leaveHinge(); });
        } else if (within(old, rgpanyag) && !within(now, rgpanyag)) {
            handle([this] { model_.leaveMaterial(); });
        } else if (old == Checkeckband) {
            handle([this] { model_.leaveEckband(); });
        }
    }
    if (now != QApplication::focusWidget()) {
        return; // the leaving step sent the focus on (to the type list)
    }
    if (now && isAncestorOf(now) && !busy_) {
        // entering a control puts the settings record into edit mode
        store::Table& t = dm_.Tbltarol;
        store::guarded(messages_, [&] {
            if (t.active() && !t.isEmpty() && t.state() == store::DataSetState::Browse) {
                t.edit();
            }
        });
        const calc::Control* c = controlOf(now);
        StbBevitel->setPanelText(0, ui::qs(c ? c->hint : std::string()));
    }
}

void Tfrmkival::BtnkivalasztClick() {
    if (!model_.collectEnabled() || busy_) {
        return;
    }
    dm_.Rudzaropcio = model_.Rudzaropcio();
    Btnkivalaszt->setEnabled(false);
    const bool marked = store::guarded(messages_, [this] {
        store::Table& t = dm_.Tbltarol;
        t.edit();
        t.fieldByName("KR").setAsBoolean(true);
        t.post();
    });
    // a settings record that cannot be written stops the collection
    if (marked && onCollect) {
        onCollect(model_.window());
    }
    DBLCtipus->setFocus();
    Btnkivalaszt->setEnabled(true);
}

void Tfrmkival::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    deactivated_ = false;
    FormActivate();
}

void Tfrmkival::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() != QEvent::ActivationChange || !isVisible()) {
        return;
    }
    if (!isActiveWindow()) {
        deactivated_ = true;
    } else if (deactivated_ && !busy_) {
        deactivated_ = false;
        FormActivate();
    }
}

void Tfrmkival::done(int result) {
    writeRegistry();
    // the edit begun by entering a control is not left pending
    store::guarded(messages_, [this] {
        store::Table& t = dm_.Tbltarol;
        if (t.active() && t.state() == store::DataSetState::Edit) {
            t.post();
        }
    });
    QDialog::done(result);
}

// ---- settings ----

void Tfrmkival::writeRegistry() {
    if (!openSettings) {
        return;
    }
    try {
        Registry* reg = openSettings();
        if (!reg) {
            return;
        }
        const calc::RememberedChoices r = model_.remembered();
        reg->writeInteger("pant", r.pant);
        reg->writeInteger("szin", r.szin);
        reg->writeInteger("anyag", r.anyag);
        reg->writeInteger("nyitas", r.nyitas);
        reg->writeBool("eckband", r.eckband);
        reg->writeBool("TS", r.ts);
    } catch (const std::exception&) {
        // the remembered choices are a convenience: a write that fails is left out
    }
}

void Tfrmkival::presetFromRegistry(Registry& reg) {
    calc::RememberedChoices r = model_.remembered();
    auto integer = [&](const char* name, int& target) {
        try {
            if (reg.valueExists(name)) {
                target = reg.readInteger(name);
            }
        } catch (const std::exception&) {
        }
    };
    auto flag = [&](const char* name, bool& target) {
        try {
            if (reg.valueExists(name)) {
                target = reg.readBool(name);
            }
        } catch (const std::exception&) {
        }
    };
    integer("pant", r.pant);
    integer("szin", r.szin);
    integer("anyag", r.anyag);
    integer("nyitas", r.nyitas);
    flag("eckband", r.eckband);
    flag("TS", r.ts);
    model_.preset(r);
    apply();
}

void Tfrmkival::setLanguage(int Nyelvindex, std::string Kivitelfelirat,
                            std::string Akadalyfelirat) {
    model_.setLanguage(Nyelvindex, std::move(Kivitelfelirat), std::move(Akadalyfelirat));
    DBLCtipus->setListSource(&dm_.tbltipus, "Tipuskod", typeListField(Nyelvindex));
}

void Tfrmkival::setPictureFolder(std::filesystem::path folder) {
    pictureFolder_ = std::move(folder);
    pictureTried_.clear();
    showPicture();
}

// ---- the data module ----

int Tfrmkival::storedKod() {
    store::Table& t = dm_.Tbltarol;
    if (!t.active() || t.isEmpty()) {
        return model_.storedType();
    }
    return static_cast<int>(t.fieldByName("Kod").asInteger());
}

std::optional<calc::TypeRecord> Tfrmkival::typeRecord(int code) {
    try {
        if (!types_) {
            types_ = std::make_unique<store::Table>(dm_.session(), "tipus");
            types_->setAlias(dm_.tbltipus.alias());
            types_->setTableName(dm_.tbltipus.tableName());
        }
        store::openIfClosed(*types_);
        if (!types_->locate("Tipuskod", store::Value(code))) {
            return std::nullopt;
        }
        auto field = [this](const char* name) {
            return static_cast<int>(types_->fieldByName(name).asInteger());
        };
        return calc::TypeRecord{code,          field("Szmin"), field("Szmax"),
                                field("Mmin"), field("Mmax"),  field("Rudzar")};
    } catch (const std::exception&) {
        return std::nullopt; // no type table: no limits, and no collection
    }
}

// The settings record follows the type the window wants, and the type list's filter follows
// the type and the material it reads.
void Tfrmkival::syncData() {
    store::guarded(messages_, [this] {
        store::Table& t = dm_.Tbltarol;
        const int kod = model_.storedType();
        if (t.active() && !t.isEmpty() && storedKod() != kod) {
            t.edit();
            t.fieldByName("Kod").setAsInteger(kod);
            t.post();
        }
        const int material = model_.controls().rgpanyag.itemIndex;
        rules_.state.materialIndex = material;
        const std::pair<int, int> now{storedKod(), material};
        if (now != filteredFor_ && dm_.tbltipus.active()) {
            filteredFor_ = now;
            dm_.tbltipus.refilter();
        }
    });
}

// ---- the widgets follow the model ----

void Tfrmkival::applyGroup(ui::RadioGroup* w, const calc::Control& c) {
    QStringList items;
    for (const std::string& s : c.items) {
        items << ui::qs(s);
    }
    w->setTitle(ui::qs(c.caption));
    if (w->count() == items.size()) {
        for (int i = 0; i < w->count(); ++i) {
            if (w->button(i)->text() != items[i]) {
                w->button(i)->setText(items[i]);
            }
        }
    } else if (w == clicked_) {
        // the buttons of the group being clicked are not replaced under the click
        QMetaObject::invokeMethod(
            this, [this] { apply(); }, Qt::QueuedConnection);
        return;
    } else {
        w->setItems(items);
    }
    w->setItemIndex(c.itemIndex);
}

void Tfrmkival::apply() {
    for (const auto& [name, w] : widgets_) {
        const calc::Control* c = model_.control(name);
        if (!c) {
            continue;
        }
        if (w != DBLCtipus) { // the bound list decides itself whether it can be used
            w->setEnabled(c->enabled);
        }
        if (w->isHidden() == c->visible) {
            w->setVisible(c->visible);
        }
        if (auto* g = qobject_cast<ui::RadioGroup*>(w)) {
            applyGroup(g, *c);
        } else if (auto* b = qobject_cast<QCheckBox*>(w)) {
            b->setText(ui::qs(c->caption));
            b->setChecked(c->checked);
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            if (e->text() != ui::qs(c->text)) {
                e->setText(ui::qs(c->text));
            }
        } else if (auto* p = qobject_cast<QPushButton*>(w)) {
            p->setText(ui::qs(c->caption));
        } else if (auto* gb = qobject_cast<QGroupBox*>(w)) {
            gb->setTitle(ui::qs(c->caption));
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            l->setText(ui::qs(c->caption));
        }
    }
    QPalette pal = Erab->palette();
    pal.setColor(QPalette::Base, Erab->isEnabled() ? kLockSideOn : kLockSideOff);
    Erab->setPalette(pal);
    if (const std::string& sel = model_.entryToSelect(); !sel.empty()) {
        for (QLineEdit* e : {Eszelesseg, Emagassag, Erab}) {
            if (e->objectName().toStdString() == sel) {
                e->selectAll();
            }
        }
    }
    showPicture();
}

void Tfrmkival::showPicture() {
    const std::string name = model_.pictureName();
    if (name == pictureTried_) {
        return;
    }
    pictureTried_ = name;
    pictureShown_.clear();
    QPixmap pm;
    const std::filesystem::path file = pictureFolder_ / name;
    if (name.empty() || pictureFolder_.empty() || !pm.load(QString::fromStdString(file.string()))) {
        Image1->clear();
        Image1->hide();
        return;
    }
    if (pm.width() > kPictureWidth || pm.height() > kPictureHeight) {
        pm =
            pm.scaled(kPictureWidth, kPictureHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    Image1->setPixmap(pm);
    Image1->setGeometry(kPictureCentre - pm.width() / 2, kPictureTop, pm.width(), pm.height());
    Image1->show();
    pictureShown_ = file;
}

} // namespace app
