// The message service: the scripted one the logic tests use, and the Qt dialogs with their
// Hungarian captions and buttons.
#include "store/messages.h"
#include "ui/qt_messages.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using store::ScriptedMessages;

TEST(ScriptedMessages, RecordsEverythingAndAnswersInOrder) {
    ScriptedMessages m;
    m.answerYes();
    m.answerCancel();
    m.answerText("12");
    m.answerInputCancelled();
    m.showMessage("3");
    EXPECT_TRUE(m.yesNo("Biztos törölni akarja?"));
    EXPECT_FALSE(m.okCancel("A profil másolható?"));
    EXPECT_EQ(m.inputBox("Mennyiség vátoztatás", "Mennyiség növelése/csökkentése adott %-al:", "0"),
              "12");
    EXPECT_EQ(m.passwordBox("Jelszó megadása törléshez", "Kérem adja meg a jelszót"), std::nullopt);
    m.error("Key violation");
    EXPECT_EQ(m.pendingAnswers(), 0u);
    ASSERT_EQ(m.count(), 6u);
    EXPECT_EQ(m.shown()[1].kind, ScriptedMessages::Kind::YesNo);
    EXPECT_EQ(m.shown()[3].caption, "Mennyiség vátoztatás");
    EXPECT_EQ(m.shown()[3].defaultValue, "0");
    EXPECT_EQ(m.shown()[4].kind, ScriptedMessages::Kind::Password);
    EXPECT_EQ(m.shown()[5].kind, ScriptedMessages::Kind::Error);
}

TEST(ScriptedMessages, AQuestionWithoutAnAnswerFailsClearly) {
    ScriptedMessages m;
    try {
        m.yesNo("Felül írja?");
        FAIL() << "no exception";
    } catch (const std::logic_error& e) {
        EXPECT_NE(std::string(e.what()).find("Felül írja?"), std::string::npos);
    }
    m.answerText("x"); // the wrong kind of answer for a question
    EXPECT_THROW(m.okCancel("Garnitura létrehozható?"), std::logic_error);

    ScriptedMessages inLoop; // code running in an event loop, where nothing may be thrown
    std::vector<std::string> failures;
    inLoop.setFailureHandler([&](const std::string& f) { failures.push_back(f); });
    EXPECT_FALSE(inLoop.yesNo("Nyomtatja az engedményeket is?"));
    EXPECT_EQ(inLoop.inputBox("c", "p", ""), std::nullopt);
    EXPECT_EQ(failures.size(), 2u);
}

TEST(ScriptedMessages, GuardedReportsErrorsAndKeepsAbortsSilent) {
    ScriptedMessages m;
    EXPECT_TRUE(store::guarded(m, [] {}));
    EXPECT_FALSE(store::guarded(m, [] { throw store::Abort(); }));
    EXPECT_EQ(m.count(), 0u);
    EXPECT_FALSE(store::guarded(
        m, [] { throw store::EngineError(store::errc::TableBusy, "Table is busy"); }));
    EXPECT_EQ(m.texts(), std::vector<std::string>{"Table is busy"});
}

namespace {

// Presses the button with `text` on the next modal dialog, after typing `entry` into its line
// edit when one is given; records what the dialog showed.
struct DialogRobot {
    QString caption;
    QStringList buttons;
    QString text;

    void press(const QString& buttonText, const QString& entry = {}) {
        QTimer::singleShot(0, [this, buttonText, entry] {
            QWidget* w = QApplication::activeModalWidget();
            ASSERT_NE(w, nullptr);
            caption = w->windowTitle();
            if (auto* mb = qobject_cast<QMessageBox*>(w)) {
                text = mb->text();
            }
            if (auto* le = w->findChild<QLineEdit*>(); le && !entry.isNull()) {
                le->setText(entry);
            }
            QPushButton* target = nullptr;
            for (auto* b : w->findChildren<QPushButton*>()) {
                buttons << b->text();
                if (b->text() == buttonText) {
                    target = b;
                }
            }
            ASSERT_NE(target, nullptr) << buttonText.toStdString();
            target->click();
        });
    }
};

} // namespace

TEST(QtMessages, HungarianCaptionsAndButtons) {
    ui::QtMessages m;
    struct Case {
        const char* name;
        std::function<QString()> ask;
        const char* press;
        const char* caption;
        QStringList buttons;
        QString answer;
    };
    const Case cases[] = {
        {"yes/no answered no",
         [&] { return QString::number(m.yesNo("Biztos törölni akarja?")); },
         "Nem",
         "Megerősítés",
         {"Igen", "Nem"},
         "0"},
        {"yes/no answered yes",
         [&] { return QString::number(m.yesNo("Felül írja?")); },
         "Igen",
         "Megerősítés",
         {"Igen", "Nem"},
         "1"},
        {"ok/cancel",
         [&] { return QString::number(m.okCancel("Felül írja?")); },
         "Mégse",
         "Megerősítés",
         {"OK", "Mégse"},
         "0"},
        {"warning",
         [&] {
             m.warning("Figyelem a Dirurar program");
             return QString("-");
         },
         "OK",
         "Figyelem",
         {"OK"},
         "-"},
        {"input",
         [&] {
             return QString::fromStdString(
                 m.inputBox("Mennyiség vátoztatás", "%:", "0").value_or("cancelled"));
         },
         "OK",
         "Mennyiség vátoztatás",
         {"OK", "Mégse"},
         "15"},
        {"password cancelled",
         [&] {
             return QString::fromStdString(m.passwordBox("Jelszó", "Kérem").value_or("cancelled"));
         },
         "Mégse",
         "Jelszó",
         {"OK", "Mégse"},
         "cancelled"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DialogRobot robot;
        robot.press(QString::fromUtf8(c.press), QStringLiteral("15"));
        const QString answer = c.ask();
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(robot.caption, QString::fromUtf8(c.caption));
        QStringList got = robot.buttons;
        got.sort();
        QStringList want = c.buttons;
        want.sort();
        EXPECT_EQ(got, want);
    }
}
