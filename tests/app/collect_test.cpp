// From the main window to the collection window on the demo installation: "Garnitura", a
// window typed into data entry, "&Kigyűjt"; the partial summary the collection window shows
// holds the rows the batch quoting tool gives for the same window.
#include "app/TFrmkigyujt.h"
#include "app/TFrmvasalatok.h"
#include "app/Tfrmkival.h"
#include "app/startup.h"
#include "setup/demo.h"
#include "store/format/format.h"
#include "store/tdm.h"
#include "tests/store/test_support.h"
#include "tools/calc/quote.h"
#include "ui/dblookup.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <sstream>

namespace fs = std::filesystem;

namespace {

void typeInto(QWidget* target, const QString& keys) {
    for (QChar ch : keys) {
        const int key = int(ch.toUpper().unicode());
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(target, &release);
    }
}

// part number;quantity;total in forint of every row
std::vector<std::string> rowsOf(store::Table& t) {
    std::vector<std::string> out;
    for (t.first(); !t.eof(); t.next()) {
        out.push_back(t.fieldByName("BSNR").asString() + ";" + t.fieldByName("Darab").asString() +
                      ";" + store::fmt::formatGeneral(t.fieldByName("ar2").asFloat()));
    }
    return out;
}

std::vector<std::string> rowsOf(const std::string& csv) {
    std::vector<std::string> out;
    std::istringstream in(csv);
    std::string line;
    std::getline(in, line); // the header
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::stringstream fields(line);
        for (std::string s; std::getline(fields, s, ';');) {
            f.push_back(s);
        }
        out.push_back(f.at(0) + ";" + f.at(2) + ";" + f.at(6));
    }
    return out;
}

TEST(CollectFromTheMainWindow, DataEntryFillsThePartialSummary) {
    const fs::path dir = testsupport::freshDir("collect");
    setup::createInstallation(dir, {});
    setenv("DIRURAR_SETTINGS", (dir / "cfg" / "registry.ini").c_str(), 1);
    std::vector<std::string> collected;
    {
        store::Session session;
        session.loadAliases(dir / "aliases.ini");
        app::Startup s(session);
        s.run(false);
        app::TFrmvasalatok& main = *s.mainWindow();
        main.messageSink = [](const std::string& m) { ADD_FAILURE() << m; };
        main.activate();
        app::Tfrmkival& entry = *s.dataEntry();
        ASSERT_TRUE(main.action("Garnitura")->isEnabled());

        bool ran = false;
        QTimer::singleShot(0, &entry, [&] {
            ran = true;
            ui::DBLookupComboBox* box = entry.DBLCtipus;
            const auto& keys = box->keys();
            for (size_t i = 0; i < keys.size(); ++i) {
                if (keys[i].intValue() == 1) {
                    box->setCurrentIndex(static_cast<int>(i));
                    emit box->activated(static_cast<int>(i));
                }
            }
            entry.Eszelesseg->setFocus();
            entry.Eszelesseg->selectAll();
            typeInto(entry.Eszelesseg, "800");
            entry.Emagassag->setFocus();
            entry.Emagassag->selectAll();
            typeInto(entry.Emagassag, "1200");
            entry.Emennyiseg->setFocus();
            entry.Emennyiseg->selectAll();
            typeInto(entry.Emennyiseg, "2");
            EXPECT_TRUE(entry.Btnkivalaszt->isEnabled());
            // "&Kigyűjt" shows the collection window over the collected parts
            app::TFrmkigyujt& lists = *s.collectionWindow();
            bool shown = false;
            QTimer::singleShot(0, &lists, [&] {
                shown = lists.isVisible();
                collected = rowsOf(s.dataModule()->Tblreszossz);
                EXPECT_TRUE(lists.Btnossz->isEnabled());
                lists.Btnvissza->click();
            });
            entry.Btnkivalaszt->click();
            EXPECT_TRUE(shown);
            EXPECT_TRUE(entry.Btnkivalaszt->isEnabled());
            EXPECT_TRUE(s.dataModule()->Tbltarol.fieldByName("KR").asBoolean());
            EXPECT_EQ(s.dataModule()->Tbltarol.fieldByName("Vezkod").asInteger(), 101);
            entry.reject();
        });
        main.action("Garnitura")->trigger();
        EXPECT_TRUE(ran);
    }
    ASSERT_GT(collected.size(), 5u);
    std::ostringstream out, err;
    ASSERT_EQ(quote::run({"--install", dir.string(), "--type", "1", "--width", "800", "--height",
                          "1200", "--count", "2"},
                         out, err),
              0)
        << err.str();
    EXPECT_EQ(collected, rowsOf(out.str()));

    unsetenv("DIRURAR_SETTINGS");
    std::error_code ec;
    fs::remove_all(dir, ec);
}

} // namespace
