// The data entry window on a small installation: the type list over the type table, the
// entries with their key filters, the colour refusal, "&Kigyűjt" and the remembered choices.
#include "app/Tfrmkival.h"
#include "store/catalogue/catalogue.h"
#include "store/rules/dm_rules.h"
#include "store/tdm.h"
#include "tests/store/test_support.h"
#include "ui/dblookup.h"
#include "ui/radio_group.h"
#include "ui/status_bar.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <memory>

namespace fs = std::filesystem;

namespace {

using Strings = std::vector<std::string>;

class KivalWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = testsupport::freshDir("kival");
        for (const char* a : {"diploma", "data", "kulso"}) {
            session.setAlias(a, dir / "adatok");
        }
        session.setAlias("preis", dir / "preis");
        store::catalogue::createMissingTables(session, dir);
        {
            store::Table t(session, "t");
            t.setAlias("diploma");
            t.setTableName("tipus.DB");
            t.open();
            const struct {
                int code, szmin, szmax, mmin, mmax, rudzar;
                const char* name;
            } types[] = {{1, 290, 1650, 300, 2400, 3, "Bukó-nyíló ablak"},
                         {3, 700, 3300, 1500, 2800, 2, "Emelő-toló ajtó"},
                         {24, 700, 2500, 1500, 2600, 0, "Toló ajtó"},
                         {48, 600, 1300, 1800, 2500, 0, "Teraszajtó"},
                         {70, 300, 1300, 400, 2300, 2, "Ferde ablak"}};
            int sorsz = 0;
            for (const auto& r : types) {
                t.append();
                t.fieldByName("Sorsz").setAsInteger(sorsz += 10);
                t.fieldByName("Tipuskod").setAsInteger(r.code);
                t.fieldByName("Megnevezes").setAsString(r.name);
                t.fieldByName("Angol").setAsString(std::string("EN ") + r.name);
                t.fieldByName("Szmin").setAsInteger(r.szmin);
                t.fieldByName("Szmax").setAsInteger(r.szmax);
                t.fieldByName("Mmin").setAsInteger(r.mmin);
                t.fieldByName("Mmax").setAsInteger(r.mmax);
                t.fieldByName("Rudzar").setAsInteger(r.rudzar);
                t.post();
            }
            t.close();
        }
        dm = std::make_unique<store::TDM>(session);
        rules = std::make_unique<store::DataModuleRules>(*dm, messages);
        store::Table& tarolo = dm->Tbltarol;
        tarolo.open();
        tarolo.append();
        for (int i = 0; i < tarolo.fieldCount(); ++i) {
            if (tarolo.field(i).required() && tarolo.field(i).isNull()) {
                tarolo.field(i).setAsFloat(0);
            }
        }
        tarolo.fieldByName("Kod").setAsInteger(1);
        tarolo.fieldByName("KR").setAsBoolean(false);
        tarolo.post();
        dm->tbltipus.open();

        fs::create_directories(dir / "icon");
        QImage picture(60, 40, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        ASSERT_TRUE(picture.save(QString::fromStdString((dir / "icon" / "10.bmp").string())));

        w = std::make_unique<app::Tfrmkival>(*dm, *rules, messages);
        w->setPictureFolder(dir / "icon");
        w->show();
    }
    void TearDown() override {
        w.reset();
        rules.reset();
        for (store::Table* t : dm->handles()) {
            t->close();
        }
        dm.reset();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    template <class T = QWidget> T* child(const char* name) {
        T* c = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QString text(const char* label) { return child<QLabel>(label)->text(); }

    // Chooses a type in the list as the user does: the row, then the list closes.
    void chooseType(int code) {
        ui::DBLookupComboBox* box = w->DBLCtipus;
        const auto& keys = box->keys();
        for (size_t i = 0; i < keys.size(); ++i) {
            if (keys[i].intValue() == code) {
                box->setCurrentIndex(static_cast<int>(i));
                emit box->activated(static_cast<int>(i));
                return;
            }
        }
        ADD_FAILURE() << "type " << code << " not offered";
    }
    std::vector<int> offered() {
        std::vector<int> out;
        for (const store::Value& k : w->DBLCtipus->keys()) {
            out.push_back(static_cast<int>(k.intValue()));
        }
        return out;
    }
    // Key presses as the keyboard sends them, through the entry's key filter.
    static void typeInto(QWidget* target, const QString& keys) {
        for (QChar ch : keys) {
            const int key =
                ch == QLatin1Char('-') ? int(Qt::Key_Minus) : int(ch.toUpper().unicode());
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(target, &press);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(target, &release);
        }
    }
    void enterSizes(const QString& width, const QString& height) {
        w->Eszelesseg->selectAll();
        typeInto(w->Eszelesseg, width);
        w->Emagassag->selectAll();
        typeInto(w->Emagassag, height);
    }
    int storedKod() { return static_cast<int>(dm->Tbltarol.fieldByName("Kod").asInteger()); }

    fs::path dir;
    store::Session session;
    store::ScriptedMessages messages;
    std::unique_ptr<store::TDM> dm;
    std::unique_ptr<store::DataModuleRules> rules;
    std::unique_ptr<app::Tfrmkival> w;
};

TEST_F(KivalWindowTest, TypeListDrivesLimitsLabelsFilterAndPicture) {
    EXPECT_EQ(w->windowTitle().toStdString(), "Adatbevitel");
    for (const std::string& name : calc::EntryModel::controlNames()) {
        EXPECT_NE(w->findChild<QWidget*>(QString::fromStdString(name)), nullptr) << name;
    }
    EXPECT_NE(child("StbBevitel"), nullptr);
    EXPECT_EQ(w->Btnkivalaszt->text().toStdString(), "&Kigyűjt");
    EXPECT_EQ(w->cbr->text().toStdString(), "Rúdzár 15mm"); // after the first activation

    // type 1: its limits, no lock-side entry, its picture
    EXPECT_EQ(offered(), (std::vector<int>{1, 3, 24, 48, 70}));
    EXPECT_EQ(w->DBLCtipus->currentText().toStdString(), "Bukó-nyíló ablak");
    EXPECT_EQ(text("LbSzmin"), "290");
    EXPECT_EQ(text("LbMmax"), "2400");
    EXPECT_FALSE(w->Erab->isEnabled());
    EXPECT_EQ(w->pictureFile(), dir / "icon" / "10.bmp");
    EXPECT_FALSE(w->Image1->isHidden());
    EXPECT_EQ(w->Image1->x() + w->Image1->width() / 2, 385);

    chooseType(48);
    EXPECT_EQ(storedKod(), 48);
    EXPECT_EQ(dm->Tbltarol.state(), store::DataSetState::Browse); // posted when the list closed
    EXPECT_EQ(text("LbSzmin"), "600");
    EXPECT_EQ(text("LbMmin"), "1800");
    EXPECT_EQ(text("LRb"), "RAB:");
    EXPECT_EQ(text("Rabmhat"), "=< 6700");
    EXPECT_TRUE(w->Erab->isEnabled());
    EXPECT_EQ(w->rgpanyag->title().toStdString(), "Séma");
    EXPECT_EQ(w->rgptip->items()[0].toStdString(), "Standard");
    EXPECT_TRUE(w->pictureFile().empty()); // no picture for this type: hidden
    EXPECT_TRUE(w->Image1->isHidden());
    EXPECT_EQ(offered(), (std::vector<int>{1, 24, 48, 70})); // not the other threshold family

    chooseType(1);
    EXPECT_EQ(offered(), (std::vector<int>{1, 3, 24, 48, 70}));
    chooseType(3);
    EXPECT_EQ(offered(), (std::vector<int>{1, 3, 70}));
    EXPECT_EQ(w->rgptip->items()[0].toStdString(), "TERRA STEP 78");

    chooseType(1);
    w->rgpanyag->button(2)->click(); // light metal: the list shows the light-metal types
    EXPECT_EQ(rules->state.materialIndex, 2);
    EXPECT_EQ(offered(), (std::vector<int>{1}));
    EXPECT_EQ(w->rgptip->items(), (QStringList{"LM5100", "LM3100", "Lumex"}));
    EXPECT_TRUE(w->cb->isHidden());

    w->setLanguage(4, "Variant", "Barrier-free");
    EXPECT_EQ(w->DBLCtipus->currentText().toStdString(), "EN Bukó-nyíló ablak");
}

TEST_F(KivalWindowTest, EntriesTakeDigitsOnlyAndTheWidthFirst) {
    w->Emagassag->selectAll();
    typeInto(w->Emagassag, "1200"); // no width yet
    EXPECT_EQ(w->Emagassag->text().toStdString(), "0");

    enterSizes("8a0-0", "1200");
    EXPECT_EQ(w->Eszelesseg->text().toStdString(), "800");
    EXPECT_EQ(w->Emagassag->text().toStdString(), "1200");
    EXPECT_EQ(w->model().state().Szelesseg, 800);
    EXPECT_TRUE(w->Btnkivalaszt->isEnabled());

    w->Emennyiseg->selectAll();
    typeInto(w->Emennyiseg, "-x3");
    EXPECT_EQ(w->Emennyiseg->text().toStdString(), "-3");
    EXPECT_EQ(w->model().window().quantity, "-3");

    enterSizes("1651", "1200");
    EXPECT_FALSE(w->Btnkivalaszt->isEnabled());
    EXPECT_NE(w->model().refusal().find("1651"), std::string::npos);
}

TEST_F(KivalWindowTest, BlackRefusedOnALiftDoor) {
    chooseType(3);
    w->rgpszin->button(3)->click();
    EXPECT_EQ(messages.texts(), Strings{"Ehhez a típushoz fekete szín nem választható!"});
    EXPECT_EQ(w->rgpszin->itemIndex(), 0);
    messages.clear();
    chooseType(1);
    w->rgpszin->button(3)->click();
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(w->rgpszin->itemIndex(), 3);
}

TEST_F(KivalWindowTest, CollectFollowsTheSizeCheckAndHandsOverTheWindow) {
    std::vector<calc::Window> collected;
    bool buttonDuringCollection = true;
    w->onCollect = [&](const calc::Window& win) {
        collected.push_back(win);
        buttonDuringCollection = w->Btnkivalaszt->isEnabled();
    };
    enterSizes("800", "200"); // below the smallest height
    EXPECT_FALSE(w->Btnkivalaszt->isEnabled());
    w->BtnkivalasztClick(); // refused like the disabled button
    EXPECT_TRUE(collected.empty());

    enterSizes("800", "1200");
    ASSERT_TRUE(w->Btnkivalaszt->isEnabled());
    w->rgpnyitas->button(1)->click();
    w->cb->click();
    w->Btnkivalaszt->click();
    ASSERT_EQ(collected.size(), 1u);
    const calc::Window& c = collected[0];
    EXPECT_EQ(c.type, 1);
    EXPECT_EQ(c.width, 800);
    EXPECT_EQ(c.height, 1200);
    EXPECT_EQ(c.opening, 1);
    EXPECT_EQ(c.hinge, 1);
    EXPECT_TRUE(c.rod3);
    EXPECT_FALSE(c.rod15);
    EXPECT_FALSE(c.rail);
    EXPECT_EQ(dm->Rudzaropcio, 9);
    EXPECT_TRUE(dm->Tbltarol.fieldByName("KR").asBoolean());
    EXPECT_FALSE(buttonDuringCollection);
    EXPECT_TRUE(w->Btnkivalaszt->isEnabled());
}

// Leaving the material group checks the material; entering a control shows its hint.
TEST_F(KivalWindowTest, LeavingTheMaterialGroupChecksTheMaterial) {
    w->activateWindow();
    QApplication::setActiveWindow(w.get());
    ASSERT_TRUE(w->isActiveWindow());
    chooseType(70);
    w->rgpanyag->button(2)->setFocus();
    w->rgpanyag->button(2)->click();
    EXPECT_EQ(storedKod(), 70);
    w->Eszelesseg->setFocus();
    EXPECT_EQ(messages.texts(), Strings{"A kiválasztott típus alumíniumra nem alkalmazható"});
    EXPECT_EQ(storedKod(), 1);
    EXPECT_EQ(w->DBLCtipus->currentText().toStdString(), "Bukó-nyíló ablak");
    EXPECT_TRUE(w->DBLCtipus->hasFocus());
    EXPECT_EQ(w->StbBevitel->panelText(0).toStdString(), "Garnitura kiválasztása");
    EXPECT_EQ(dm->Tbltarol.state(), store::DataSetState::Edit); // entering a control
    w->Emagassag->setFocus();
    EXPECT_EQ(w->StbBevitel->panelText(0).toStdString(), "Magasság megadása");
}

TEST_F(KivalWindowTest, RememberedChoicesComeFromAndGoToTheSettings) {
    app::Registry reg(dir / "cfg" / "registry.ini");
    ASSERT_TRUE(reg.openKey("\\vekkor", true));
    reg.writeInteger("szin", 1);
    reg.writeInteger("nyitas", 1);
    reg.writeInteger("eckband", 1);
    w->presetFromRegistry(reg); // "pant", "anyag" and "TS" are missing: kept
    EXPECT_EQ(w->rgpszin->itemIndex(), 1);
    EXPECT_EQ(w->rgpnyitas->itemIndex(), 1);
    EXPECT_EQ(w->rgptip->itemIndex(), 1);
    EXPECT_TRUE(w->Checkeckband->isChecked());

    w->openSettings = [&] { return &reg; };
    w->rgpszin->button(0)->click();
    w->reject();
    app::Registry back(dir / "cfg" / "registry.ini");
    ASSERT_TRUE(back.openKey("\\vekkor", false));
    EXPECT_EQ(back.readInteger("pant"), 1);
    EXPECT_EQ(back.readInteger("szin"), 0);
    EXPECT_EQ(back.readInteger("anyag"), 0);
    EXPECT_EQ(back.readInteger("nyitas"), 1);
    EXPECT_TRUE(back.readBool("eckband"));
    EXPECT_TRUE(back.readBool("ts")); // the hidden rail box of type 1 is checked
}

} // namespace
