// The window of the field value tool driven as a user drives it, on an installation folder
// with real tables.
#include "atiras/TFrmatir.h"
#include "store/messages.h"
#include "store/test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <fstream>

using namespace store;
namespace fs = std::filesystem;

namespace {

class AtirasWindow : public ::testing::Test {
protected:
    void SetUp() override {
        home = testsupport::freshDir("atiras");
        data = home / "adatok";
        fs::create_directories(data);
        std::ofstream(home / "aliases.ini") << "diploma=adatok\ndata=adatok\n";
        TableSchema s;
        s.tableName = "alkatresz";
        s.fields = {{"BSNR", FieldType::Text, 15, true}, {"Nev", FieldType::Text, 20}};
        s.indexes = {{"Primary", {"BSNR"}, true}};
        Session setup;
        setup.createTable(data / "alkatresz.db", s);
        Table t(setup, "t");
        t.setTableName((data / "alkatresz.db").string());
        t.open();
        for (const auto& [code, name] : std::vector<std::pair<const char*, const char*>>{
                 {"1", "ABC"}, {"2", "abc"}, {"3", "ABC"}, {"4", "Abc"}}) {
            t.append();
            t.fieldByName("BSNR").setAsString(code);
            t.fieldByName("Nev").setAsString(name);
            t.post();
        }
        s.tableName = "Masik";
        setup.createTable(data / "Masik.DB", s);
        std::ofstream(data / "olvass.txt") << "x";
        messages.setFailureHandler([](const std::string& m) { ADD_FAILURE() << m; });
    }
    void TearDown() override {
        w.reset();
        fs::remove_all(home);
    }

    void open() {
        w = std::make_unique<atiras::TFrmatir>(session, messages, home);
        w->show();
        QApplication::setActiveWindow(w.get());
        QApplication::processEvents();
    }

    QStringList items(QListWidget* l) {
        QStringList out;
        for (int i = 0; i < l->count(); ++i) {
            out << l->item(i)->text();
        }
        return out;
    }

    // Goes to the data folder and clicks a file.
    void chooseFile(const QString& name) {
        w->DirectoryListBox1->setDirectory(data);
        const auto found = w->FileListBox1->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        w->FileListBox1->setCurrentItem(found[0]);
    }

    std::vector<std::string> names() {
        Session s;
        Table t(s, "t");
        t.setTableName((data / "alkatresz.db").string());
        t.open();
        std::vector<std::string> out;
        for (t.first(); !t.eof(); t.next()) {
            out.push_back(t.fieldByName("Nev").asString());
        }
        return out;
    }

    fs::path home, data;
    Session session;
    ScriptedMessages messages;
    std::unique_ptr<atiras::TFrmatir> w;
};

} // namespace

TEST_F(AtirasWindow, StartsInTheInstallationWithItsAliases) {
    open();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Átírás"));
    EXPECT_TRUE(w->CheckBox1->isChecked());
    EXPECT_EQ(w->csere->text(), QStringLiteral("Csere"));
    EXPECT_EQ(w->CheckBox1->text(), QStringLiteral("Csak ellenórzés"));
    EXPECT_EQ(w->DirectoryListBox1->directory(), home);
    EXPECT_EQ(session.netDir(), home);
    EXPECT_EQ(session.aliasPath("diploma"), data);
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(w->drives().front(), fs::path("/"));

    // entering the data folder lists its tables, whatever the case of the extension
    w->DirectoryListBox1->setDirectory(data);
    EXPECT_EQ(items(w->FileListBox1), (QStringList{"alkatresz.db", "Masik.DB"}));
}

TEST_F(AtirasWindow, AMissingAliasIsShownAndTheWindowStillOpens) {
    std::ofstream(home / "aliases.ini") << "diploma=adatok\n";
    open();
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, ScriptedMessages::Kind::Error);
    EXPECT_NE(messages.texts()[0].find("data"), std::string::npos);
    chooseFile("alkatresz.db");
    EXPECT_TRUE(w->Table1.active());
}

TEST_F(AtirasWindow, ChoosingAFileListsItsFieldsAndTheFolderListClosesIt) {
    open();
    chooseFile("alkatresz.db");
    ASSERT_TRUE(w->Table1.active());
    EXPECT_EQ(w->Table1.tableName(), (data / "alkatresz.db").string());
    EXPECT_EQ(items(w->ListBox1), (QStringList{"BSNR", "Nev"}));
    w->ListBox1->setCurrentRow(1);
    EXPECT_EQ(w->Edit3->text(), QStringLiteral("Nev"));

    chooseFile("Masik.DB");
    EXPECT_EQ(w->Table1.tableName(), (data / "Masik.DB").string());
    EXPECT_EQ(w->Edit3->text(), QStringLiteral("Nev")); // the field name stays

    w->DirectoryListBox1->setFocus();
    EXPECT_FALSE(w->Table1.active());
    EXPECT_EQ(w->ListBox1->count(), 0);
    EXPECT_TRUE(w->Edit3->text().isEmpty());
    w->csere->click(); // no table: nothing happens
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(AtirasWindow, SearchTextBecomesUpperCaseAndCountsOrReplaces) {
    open();
    chooseFile("alkatresz.db");
    w->Edit3->setText("Nev");
    w->Edit1->setFocus();
    QTest::keyClicks(w->Edit1, QStringLiteral("abc"));
    EXPECT_EQ(w->Edit1->text(), QStringLiteral("abc"));
    w->csere->setFocus(); // leaving the search field
    EXPECT_EQ(w->Edit1->text(), QStringLiteral("ABC"));
    w->csere->click();
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"2"});
    EXPECT_EQ(messages.shown()[0].kind, ScriptedMessages::Kind::Message);
    EXPECT_EQ(names(), (std::vector<std::string>{"ABC", "abc", "ABC", "Abc"}));

    w->CheckBox1->setChecked(false);
    w->Edit2->setText("Új");
    w->csere->click();
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"2", "2"}));
    EXPECT_EQ(names(), (std::vector<std::string>{"Új", "abc", "Új", "Abc"}));
    EXPECT_TRUE(w->Table1.active());
}

TEST_F(AtirasWindow, EngineErrorsAreShownAsSuch) {
    open();
    chooseFile("alkatresz.db");
    w->CheckBox1->setChecked(false);
    struct Case {
        const char* field;
        const char* search;
        const char* replacement;
        const char* shown;
    };
    const Case cases[] = {
        {"Nincs", "1", "2", "Nincs"},        // no such field
        {"BSNR", "1", "2", "Key violation"}, // a key that exists
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        messages.clear();
        w->Edit3->setText(c.field);
        w->Edit1->setText(c.search);
        w->Edit2->setText(c.replacement);
        w->csere->click();
        ASSERT_EQ(messages.count(), 1u);
        EXPECT_EQ(messages.shown()[0].kind, ScriptedMessages::Kind::Error);
        EXPECT_NE(messages.texts()[0].find(c.shown), std::string::npos) << messages.texts()[0];
    }
    EXPECT_EQ(names(), (std::vector<std::string>{"ABC", "abc", "ABC", "Abc"}));
}

TEST_F(AtirasWindow, ATableHeldExclusivelyByTheProgramFailsCleanly) {
    open();
    Session program; // the ordering program's engine, with its own lock on the file
    Table held(program, "held");
    held.setTableName((data / "alkatresz.db").string());
    held.setExclusive(true);
    held.open();

    chooseFile("alkatresz.db");
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, ScriptedMessages::Kind::Error);
    EXPECT_NE(messages.texts()[0].find("exclusively"), std::string::npos) << messages.texts()[0];
    EXPECT_FALSE(w->Table1.active());
    EXPECT_EQ(w->ListBox1->count(), 0);
    w->csere->click();
    EXPECT_EQ(messages.count(), 1u);

    held.close();
    w->FileListBox1->setCurrentRow(-1);
    chooseFile("alkatresz.db");
    EXPECT_TRUE(w->Table1.active());
}

TEST_F(AtirasWindow, ChoosingADriveGoesToItsInstallationFolder) {
    const fs::path fakeHome = home / "felhasznalo";
    const fs::path install = fakeHome / "Program Files (x86)" / "duvevarad" / "adatok";
    fs::create_directories(install);
    const char* oldHome = std::getenv("HOME");
    const std::string saved = oldHome ? oldHome : "";
    setenv("HOME", fakeHome.c_str(), 1);
    open();
    if (oldHome) {
        setenv("HOME", saved.c_str(), 1);
    }
    const auto& drives = w->drives();
    const auto it = std::find(drives.begin(), drives.end(), fakeHome);
    ASSERT_NE(it, drives.end());
    EXPECT_EQ(w->DriveComboBox2->currentIndex(), 0); // the installation is on "/"
    w->DriveComboBox2->setCurrentIndex(0);           // "/" has no installation: the root
    w->DriveComboBox2Change();
    EXPECT_EQ(w->DirectoryListBox1->directory(), fs::path("/"));
    w->DriveComboBox2->setCurrentIndex(static_cast<int>(it - drives.begin()));
    w->DriveComboBox2Change();
    EXPECT_EQ(w->DirectoryListBox1->directory(), install);
}
