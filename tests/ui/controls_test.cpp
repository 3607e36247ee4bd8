// Key filters, the bound edit, the navigator, the lookup combo box, the radio group and the
// status bar.
#include "ui/dbedit.h"
#include "ui/dblookup.h"
#include "ui/dbnavigator.h"
#include "ui/key_filter.h"
#include "ui/radio_group.h"
#include "ui/status_bar.h"
#include "ui_support.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

using namespace store;
using ui::KeyFilter;

namespace {

class BoundControls : public uitest::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        lay = new QVBoxLayout(&window);
    }
    template <class W> W* put(W* w) {
        lay->addWidget(w);
        return w;
    }
    // Handles outlive the controls bound to them: they are kept until the window is gone.
    Table* keep(std::unique_ptr<Table> t) {
        tables.push_back(std::move(t));
        return tables.back().get();
    }
    std::vector<std::unique_ptr<Table>> tables; // (destroyed after the window)
    QWidget window;
    QVBoxLayout* lay = nullptr;
};

} // namespace

TEST_F(BoundControls, KeyFiltersDropWhatTheFieldCannotHoldAndEnterMovesOn) {
    struct Case {
        KeyFilter::Chars chars;
        const char* typed;
        const char* kept;
    };
    const Case cases[] = {
        {KeyFilter::Chars::Digits, "1a2-3", "123"},
        {KeyFilter::Chars::DigitsMinus, "-1x2", "-12"},
        {KeyFilter::Chars::DigitsDecimal, "1.5-", "1,5"}, // "." is taken as the decimal mark
        {KeyFilter::Chars::Number, "-2,5e", "-2,5"},
        {KeyFilter::Chars::Date, "2026.12.11a", "2026.12.11"},
        {KeyFilter::Chars::Any, "Ab c", "Ab c"},
    };
    auto* edit = put(new QLineEdit);
    auto* next = put(new QLineEdit);
    KeyFilter* filter = KeyFilter::install(edit, KeyFilter::Chars::Any);
    showActive(window);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        filter->setChars(c.chars);
        edit->clear();
        edit->setFocus();
        uitest::typeText(edit, QString::fromUtf8(c.typed));
        EXPECT_EQ(edit->text().toStdString(), c.kept);
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
    // shortcuts and editing keys pass a digits filter
    filter->setChars(KeyFilter::Chars::Digits);
    edit->setText("123");
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), QStringLiteral("12"));
    // without moving on, Enter is left to the edit
    filter->setEnterMovesOn(false);
    QSignalSpy returns(edit, &QLineEdit::returnPressed);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(returns.count(), 1);
    EXPECT_EQ(QApplication::focusWidget(), edit);
}

TEST_F(BoundControls, BoundEditShowsWritesAndTakesItsEntryMask) {
    Table* t = keep(priceList(2));
    t->close();
    FieldDecl bsnr;
    bsnr.name = "BSNR";
    bsnr.editMask = "upper:5";
    FieldDecl preis;
    preis.name = "PREIS";
    preis.displayFormat = "0.00";
    t->declareField(bsnr);
    t->declareField(preis);
    t->open();
    auto* code = put(new ui::DBEdit);
    auto* price = put(new ui::DBEdit);
    auto* after = put(new QLineEdit);
    for (auto* e : {code, price}) {
        e->setMessages(&messages);
    }
    code->setDataField(t, "BSNR");
    price->setDataField(t, "PREIS");
    showActive(window);
    after->setFocus();
    EXPECT_EQ(code->text(), QStringLiteral("100"));
    EXPECT_EQ(price->text(), QStringLiteral("1,50")); // display format without the focus
    EXPECT_EQ(code->maxLength(), 5);

    code->setFocus();
    code->selectAll();
    uitest::typeText(code, QStringLiteral("abcdefg"));
    EXPECT_EQ(code->text(), QStringLiteral("ABCDE"));
    EXPECT_EQ(t->state(), DataSetState::Edit); // the first character started the edit
    EXPECT_EQ(t->fieldByName("BSNR").asString(), "100");
    QTest::keyClick(code, Qt::Key_Return); // writes and moves on
    EXPECT_EQ(QApplication::focusWidget(), price);
    EXPECT_EQ(t->fieldByName("BSNR").asString(), "ABCDE");
    EXPECT_EQ(price->text(), QStringLiteral("1,5")); // the edit text while focused

    price->selectAll();
    uitest::typeText(price, QStringLiteral("2x,75"));
    EXPECT_EQ(price->text(), QStringLiteral("2,75"));
    after->setFocus();
    EXPECT_DOUBLE_EQ(t->fieldByName("PREIS").asFloat(), 2.75);
    t->post(); // ABCDE now sorts after 200
    t->first();
    EXPECT_EQ(code->text(), QStringLiteral("200"));
    EXPECT_EQ(price->text(), QStringLiteral("3,00"));
    EXPECT_EQ(messages.count(), 0u);

    // a value the field refuses is reported and the text stays
    price->setFocus();
    uitest::typeText(price, QStringLiteral("1,2,3"));
    after->setFocus();
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, ScriptedMessages::Kind::Error);
    EXPECT_DOUBLE_EQ(t->fieldByName("PREIS").asFloat(), 3.0);
}

TEST_F(BoundControls, NavigatorShowsTheNamedButtonsAndActs) {
    using ui::NavButton;
    Table* t = keep(priceList(3));
    auto* nav = put(
        new ui::DBNavigator({NavButton::First, NavButton::Prior, NavButton::Next, NavButton::Last,
                             NavButton::Delete, NavButton::Post, NavButton::Cancel}));
    nav->setMessages(&messages);
    nav->setDataSet(t);
    nav->setDeleteConfirmation("Biztos törölni akarja?");
    showActive(window);
    EXPECT_FALSE(nav->button(NavButton::Insert)->isVisible());
    EXPECT_FALSE(nav->button(NavButton::Edit)->isVisible());
    EXPECT_TRUE(nav->button(NavButton::Delete)->isVisible());

    struct Step {
        NavButton click;
        const char* at;
        bool firstEnabled, nextEnabled;
    };
    const Step steps[] = {
        {NavButton::Next, "200", true, true},
        {NavButton::Last, "300", true, false},
        {NavButton::Prior, "200", true, true},
        {NavButton::First, "100", false, true},
    };
    for (const auto& s : steps) {
        QTest::mouseClick(nav->button(s.click), Qt::LeftButton);
        EXPECT_EQ(t->fieldByName("BSNR").asString(), s.at);
        EXPECT_EQ(nav->button(NavButton::First)->isEnabled(), s.firstEnabled) << s.at;
        EXPECT_EQ(nav->button(NavButton::Next)->isEnabled(), s.nextEnabled) << s.at;
    }
    EXPECT_FALSE(nav->button(NavButton::Post)->isEnabled());
    t->edit();
    EXPECT_TRUE(nav->button(NavButton::Post)->isEnabled());
    t->fieldByName("BEZEICHN").setAsString("Más");
    QTest::mouseClick(nav->button(NavButton::Post), Qt::LeftButton);
    EXPECT_EQ(t->state(), DataSetState::Browse);
    EXPECT_FALSE(nav->button(NavButton::Post)->isEnabled());

    messages.answerNo();
    QTest::mouseClick(nav->button(NavButton::Delete), Qt::LeftButton);
    EXPECT_EQ(t->recordCount(), 3);
    messages.answerYes();
    QTest::mouseClick(nav->button(NavButton::Delete), Qt::LeftButton);
    EXPECT_EQ(t->recordCount(), 2);
    EXPECT_EQ(messages.texts(),
              (std::vector<std::string>{"Biztos törölni akarja?", "Biztos törölni akarja?"}));
}

TEST_F(BoundControls, LookupComboShowsTheBoundKeyAndWritesTheChoice) {
    create("rabat", {{"PG", FieldType::Int32}, {"alias", FieldType::Text, 3}},
           {{"PGindex", {"PG"}, true}});
    Table* groups = keep(handle("rabat"));
    groups->open();
    for (int i = 0; i < 3; ++i) {
        add(*groups, {{"PG", i}, {"alias", std::string(2, static_cast<char>('A' + i))}});
    }
    Table* t = keep(priceList(2)); // Grupp 1 and 2
    auto* combo = put(new ui::DBLookupComboBox);
    combo->setMessages(&messages);
    combo->setListSource(groups, "PG", "alias");
    combo->setDataField(t, "Grupp");
    QSignalSpy changes(combo, &ui::DBLookupComboBox::keyValueChanged);
    EXPECT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->currentText(), QStringLiteral("BB"));
    t->next();
    EXPECT_EQ(combo->currentText(), QStringLiteral("CC"));
    EXPECT_EQ(changes.count(), 1);

    combo->setCurrentIndex(0);
    emit combo->activated(0);
    EXPECT_EQ(t->state(), DataSetState::Edit);
    EXPECT_EQ(t->fieldByName("Grupp").asInteger(), 0);
    t->post();
    EXPECT_EQ(combo->currentText(), QStringLiteral("AA"));
    // a new group appears in the list at once
    add(*groups, {{"PG", 3}, {"alias", "DD"}});
    EXPECT_EQ(combo->count(), 4);
    // unbound use: a key without a row shows nothing
    combo->setDataField(nullptr, {});
    combo->setKeyValue(Value(9));
    EXPECT_EQ(combo->currentIndex(), -1);
}

TEST_F(BoundControls, RadioGroupItemIndexAndStatusBarPanels) {
    auto* group = put(new ui::RadioGroup(
        QStringLiteral("Nyelv"),
        {QStringLiteral("Magyar"), QStringLiteral("Német"), QStringLiteral("Angol")}));
    QSignalSpy changed(group, &ui::RadioGroup::itemIndexChanged);
    QSignalSpy clicked(group, &ui::RadioGroup::clicked);
    showActive(window);
    EXPECT_EQ(group->itemIndex(), -1);
    group->setItemIndex(2);
    EXPECT_TRUE(group->button(2)->isChecked());
    QTest::mouseClick(group->button(1), Qt::LeftButton);
    EXPECT_EQ(group->itemIndex(), 1);
    EXPECT_EQ(group->property("itemIndex").toInt(), 1);
    group->setItemIndex(-1);
    EXPECT_FALSE(group->button(1)->isChecked());
    ASSERT_EQ(changed.count(), 3);
    EXPECT_EQ(changed[0][0].toInt(), 2);
    EXPECT_EQ(changed[1][0].toInt(), 1);
    EXPECT_EQ(changed[2][0].toInt(), -1);
    EXPECT_EQ(clicked.count(), 1); // only the user's click

    auto* bar = put(new ui::StatusBar({120, 200, 0}));
    bar->setPanelText(1, std::string("Recordok száma: 5"));
    bar->setPanelText(7, QStringLiteral("nincs ilyen"));
    EXPECT_EQ(bar->panelCount(), 3);
    EXPECT_EQ(bar->panelText(1), QStringLiteral("Recordok száma: 5"));
    EXPECT_EQ(bar->panelText(0), QString());
}
