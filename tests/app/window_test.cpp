// The shell's windows under the offscreen platform.
#include "app/TFrmvasalatok.h"
#include "app/TPasswordDlg.h"
#include "app/core/settings.h"
#include "app/platform/single_instance.h"
#include "app/startup.h"
#include "store/catalogue/catalogue.h"
#include "store/format/format.h"
#include "store/tdm.h"
#include "tests/store/test_support.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A small installation: every table of the catalogue, the settings record, the footer text.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = testsupport::freshDir("shell");
        setenv("DIRURAR_SETTINGS", (dir / "cfg" / "registry.ini").c_str(), 1);
        std::ofstream(dir / "aliases.ini")
            << "diploma=adatok\ndata=adatok\nkulso=adatok\npreis=preis\n";
        session.loadAliases(dir / "aliases.ini");
        store::catalogue::createMissingTables(session, dir);
        store::Table t(session, "t");
        t.setAlias("diploma");
        t.setTableName("tarolo.DB");
        t.open();
        t.append();
        for (int i = 0; i < t.fieldCount(); ++i) {
            if (t.field(i).required() && t.field(i).isNull()) {
                t.field(i).setAsFloat(0);
            }
        }
        t.post();
        store::fmt::writeTextFile(dir / "adatok" / "labj.txt", {"Ablakos Kft. - Budapest"});
    }
    void TearDown() override {
        unsetenv("DIRURAR_SETTINGS");
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path dir;
    store::Session session;
};

} // namespace

TEST_F(ShellTest, StartUpCreatesInOrderAndFillsTheSplash) {
    app::Startup s(session);
    s.run(false);
    // the order of what exists so far; every creation made its splash step
    EXPECT_EQ(s.created,
              (std::vector<std::string>{"TFrmvasalatok", "Tfrmnyito", "Tfrmkival", "TDM",
                                        "Tfrmconvertal", "TFrmkigyujt", "TPasswordDlg"}));
    EXPECT_EQ(s.splashMaximum, app::splashStepCount());
    EXPECT_EQ(s.splashMaximum, 32);
    EXPECT_EQ(s.splashValue, s.splashMaximum);
    EXPECT_FALSE(s.splashError.empty()); // no splash picture here: start-up went on
    EXPECT_EQ(s.helpFile, ".\\help\\dirurar.hlp");
    // the data module opened nothing but what the profile window's creation opens
    EXPECT_TRUE(s.dataModule()->Tbltarol.active());
    EXPECT_FALSE(s.dataModule()->Tblarlista.active());

    app::TFrmvasalatok& w = *s.mainWindow();
    EXPECT_EQ(w.folders.Adatmappa, "adatok");
    EXPECT_EQ(w.folders.Utvonal, (dir).string() + "/");
    EXPECT_TRUE(fs::exists(dir / "text" / "Bsnrhiba.txt"));
    EXPECT_EQ(w.windowTitle().toStdString(), "Ka-vasalatok");
    EXPECT_EQ(w.statusPanel(0)->text().toStdString(), "   Dirurar összeállító program");
    ASSERT_NE(w.action("Garnitura"), nullptr);
    EXPECT_TRUE(w.action("Garnitura")->isEnabled());
    EXPECT_EQ(w.action("Garnitura")->shortcut().toString().toStdString(), "Ctrl+G");
    EXPECT_TRUE(w.action("Alkatrész")->isEnabled());
    // commands whose windows are not built yet are there, disabled
    ASSERT_NE(w.action("Egyedi alkatrész"), nullptr);
    EXPECT_FALSE(w.action("Egyedi alkatrész")->isEnabled());
    EXPECT_TRUE(w.action("Névjegy")->isEnabled());
}

TEST_F(ShellTest, FirstActivationOnAFreshAndAUsedConfiguration) {
    std::vector<std::string> shown;
    {
        app::Startup s(session);
        s.run(false);
        app::TFrmvasalatok& w = *s.mainWindow();
        w.messageSink = [&](const std::string& m) { shown.push_back(m); };
        w.activate();
        EXPECT_FALSE(w.Elsoaktivalas);
        EXPECT_TRUE(s.dataModule()->Tblreszossz.active());
        EXPECT_TRUE(s.dataModule()->tblkigyujt.active());
        EXPECT_EQ(w.statusPanel(1)->text().toStdString(), "Verzió: 25.12.1");
        EXPECT_EQ(w.Memolabj, "Ablakos Kft. - Budapest\n");
        // fresh: the defaults were written, the first start's date recorded; the profile
        // value is missing, so the guarded steps ended quietly without loading a profile
        app::Registry reg(app::Registry::defaultFile());
        ASSERT_TRUE(reg.openKey(app::kSettingsKey, false));
        EXPECT_EQ(reg.readInteger("suly"), 1);
        EXPECT_EQ(reg.readDate("inst"), store::Date::today());
        EXPECT_FALSE(reg.valueExists("profil"));
        EXPECT_TRUE(w.Engedmenylista); // set before the step that failed
        reg.writeInteger("nyelv", 4);
        reg.writeInteger("profil", 3);
    }
    {
        app::Startup s(session);
        s.run(false);
        app::TFrmvasalatok& w = *s.mainWindow();
        w.messageSink = [&](const std::string& m) { shown.push_back(m); };
        w.activate();
        EXPECT_EQ(w.Nyelvindex, 4);
        EXPECT_EQ(w.language.Arfelirat, "Price:");
        EXPECT_EQ(s.dataModule()->Tbltarol.fieldByName("Profil").asInteger(), 3);
    }
    {
        app::Registry reg(app::Registry::defaultFile());
        ASSERT_TRUE(reg.openKey(app::kSettingsKey, false));
        EXPECT_EQ(reg.readString("form1"), "wsNormal"); // remembered at the end
    }
    EXPECT_TRUE(shown.empty()) << shown.front();
}

TEST_F(ShellTest, BrokenSummaryIsRebuiltAtFirstActivation) {
    std::ofstream(dir / "adatok" / "osszesit.db", std::ios::trunc) << "nem tábla";
    app::Startup s(session);
    s.run(false);
    s.mainWindow()->messageSink = [](const std::string&) {};
    s.mainWindow()->activate();
    store::Table& o = s.dataModule()->tblkigyujt;
    ASSERT_TRUE(o.active());
    EXPECT_TRUE(o.isEmpty());
    EXPECT_EQ(o.schema().primaryIndex()->name, "bsnrindex");
}

TEST_F(ShellTest, PasswordIsComparedExactly) {
    app::TPasswordDlg dlg;
    std::vector<std::string> shown;
    dlg.showMessage = [&](const std::string& m) { shown.push_back(m); };
    int opened = 0;
    dlg.tag = 1;
    dlg.openMaintenance = [&] { ++opened; };
    for (const char* wrong : {"kovrad ", "KOVRAD", "kovra", ""}) {
        dlg.jelszo()->setText(wrong);
        dlg.Elfogad();
        EXPECT_EQ(opened, 0) << wrong;
    }
    EXPECT_EQ(shown, std::vector<std::string>(4, "A jelszó híbás!"));
    EXPECT_EQ(dlg.jelszo()->maxLength(), 10);
    EXPECT_EQ(dlg.jelszo()->echoMode(), QLineEdit::Password);
    dlg.jelszo()->setText("kovrad");
    dlg.Elfogad();
    EXPECT_EQ(opened, 1);
}

TEST(SingleInstance, SecondCopyEndsAtOnce) {
    setenv("XDG_RUNTIME_DIR", testsupport::freshDir("run").c_str(), 1);
    const std::string name = "test-" + std::to_string(getpid());
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t first = fork();
    if (first == 0) {
        app::SingleInstance once(name);
        const char c = once.acquired() ? 1 : 0;
        if (write(ready[1], &c, 1) != 1) {
            _exit(2);
        }
        pause(); // runs until killed
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, 1);
    {
        app::SingleInstance second(name);
        EXPECT_FALSE(second.acquired());
    }
    kill(first, SIGKILL); // even a crashed first copy releases the lock
    waitpid(first, nullptr, 0);
    app::SingleInstance third(name);
    EXPECT_TRUE(third.acquired());
}

TEST_F(ShellTest, TheProgramStartsOnceAndOpensItsMainWindow) {
    // the real program on the small installation: the first copy runs, a second one ends at
    // once without a window
    setenv("XDG_RUNTIME_DIR", testsupport::freshDir("run").c_str(), 1);
    auto start = [&] {
        const pid_t pid = fork();
        if (pid == 0) {
            if (chdir(dir.c_str()) != 0) {
                _exit(3);
            }
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            execl(DIRURAR_PROGRAM, DIRURAR_PROGRAM, static_cast<char*>(nullptr));
            _exit(4);
        }
        return pid;
    };
    const pid_t first = start();
    // the first copy is up when it has written its settings
    for (int i = 0; i < 100 && !fs::exists(dir / "cfg" / "registry.ini"); ++i) {
        usleep(50000);
    }
    ASSERT_TRUE(fs::exists(dir / "cfg" / "registry.ini"));
    const pid_t second = start();
    int status = -1;
    pid_t done = 0;
    for (int i = 0; i < 60 && done == 0; ++i) {
        done = waitpid(second, &status, WNOHANG);
        usleep(50000);
    }
    EXPECT_EQ(done, second) << "the second copy did not end";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(waitpid(first, &status, WNOHANG), 0) << "the first copy ended";
    kill(first, SIGTERM);
    waitpid(first, &status, 0);
}

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication a(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
