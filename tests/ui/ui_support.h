// Shared set-up of the window tests: a price-list-like table in a fresh folder, a handle on
// it, scripted messages that fail the test when a question has no answer.
#pragma once

#include "store/engine/table.h"
#include "store/messages.h"
#include "store/test_support.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

namespace uitest {

// Types a text into a widget key by key; letters outside ASCII arrive as the keyboard sends
// them, with their text and no key code.
inline void typeText(QWidget* w, const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 128) {
            QTest::keyClick(w, c.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

class WindowTest : public testsupport::StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        messages.setFailureHandler([](const std::string& m) { ADD_FAILURE() << m; });
    }

    // arlista: BSNR (key), BEZEICHN, PREIS, Grupp; rows 100..500
    std::unique_ptr<store::Table> priceList(int rows = 5) {
        using store::FieldType;
        create("arlista",
               {{"BSNR", FieldType::Text, 15, true},
                {"BEZEICHN", FieldType::Text, 30},
                {"PREIS", FieldType::Float},
                {"Grupp", FieldType::Int32}},
               {{"bsnrindex", {"BSNR"}, true}});
        auto t = handle("arlista");
        t->open();
        for (int i = 1; i <= rows; ++i) {
            add(*t, {{"BSNR", std::to_string(i * 100)},
                     {"BEZEICHN", "Név " + std::to_string(i)},
                     {"PREIS", i * 1.5},
                     {"Grupp", i % 3}});
        }
        t->first();
        return t;
    }

    // Shows a window and waits until it is active, so that the focus moves as it does for a
    // user.
    static void showActive(QWidget& w) {
        w.show();
        QApplication::setActiveWindow(&w);
        w.activateWindow();
        QApplication::processEvents();
    }

    store::ScriptedMessages messages;
};

} // namespace uitest
