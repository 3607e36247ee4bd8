// The grid over a handle: current row both ways, editing in place, posting on leaving the row,
// error reporting, the suspended refresh and the display of values.
#include "ui/dbedit.h"
#include "ui/dbgrid.h"
#include "ui_support.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace store;
using ui::DBGrid;
using ui::GridColumn;

namespace {

class DBGridTest : public uitest::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        t = priceList();
        grid = new DBGrid(&window);
        other = new QLineEdit(&window); // somewhere for the focus to go
        auto* lay = new QVBoxLayout(&window);
        lay->addWidget(grid);
        lay->addWidget(other);
        grid->setMessages(&messages);
        grid->setColumns({GridColumn("BSNR", "Cikkszám"), GridColumn("BEZEICHN", "Megnevezés"),
                          GridColumn("PREIS", "Ár")});
        grid->setDataSet(t.get());
        window.resize(500, 300);
        showActive(window);
        grid->setFocus();
    }
    void TearDown() override {
        grid->setDataSet(nullptr);
        t.reset();
        WindowTest::TearDown();
    }

    std::string current(const char* field = "BSNR") { return t->fieldByName(field).asString(); }

    // Opens the cell editor on the current cell and types `text` over its content.
    QLineEdit* typeInCell(int column, const QString& text) {
        grid->setCurrentIndex(grid->model()->index(grid->currentIndex().row(), column));
        QTest::keyClick(grid, Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        EXPECT_NE(editor, nullptr);
        if (!editor) {
            return nullptr;
        }
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        uitest::typeText(editor, text);
        return editor;
    }

    // The table's rows as a second handle reads them from the file's shared state.
    std::vector<std::string> stored(const char* field) {
        auto h = handle("arlista", "reader");
        h->open();
        std::vector<std::string> out;
        for (h->first(); !h->eof(); h->next()) {
            out.push_back(h->fieldByName(field).asString());
        }
        return out;
    }

    QWidget window;
    std::unique_ptr<Table> t;
    DBGrid* grid = nullptr;
    QLineEdit* other = nullptr;
};

} // namespace

TEST_F(DBGridTest, CurrentRowFollowsTheHandleAndBack) {
    EXPECT_EQ(grid->currentIndex().row(), 0);
    t->setRecNo(4);
    EXPECT_EQ(grid->currentIndex().row(), 3);
    t->last();
    EXPECT_EQ(grid->currentIndex().row(), 4);

    grid->setCurrentIndex(grid->model()->index(1, 2));
    EXPECT_EQ(t->recNo(), 2);
    EXPECT_EQ(current(), "200");
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(current(), "300");
    QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(current(), "100");
    EXPECT_EQ(grid->currentIndex().column(), 0);
}

TEST_F(DBGridTest, EditingACellAndLeavingTheRowPosts) {
    grid->setCurrentIndex(grid->model()->index(1, 1));
    typeInCell(1, QStringLiteral("Új név"));
    EXPECT_EQ(t->state(), DataSetState::Edit); // typing started the edit
    EXPECT_EQ(stored("BEZEICHN")[1], "Név 2"); // nothing posted yet

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(t->state(), DataSetState::Browse);
    EXPECT_EQ(stored("BEZEICHN")[1], "Új név");
    EXPECT_EQ(current(), "300");
    EXPECT_EQ(grid->currentIndex().row(), 2);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(DBGridTest, LeavingARowWhoseKeyChangedLandsOnTheRowThatWasChosen) {
    // 100 becomes 350: the record moves behind 300, and the row below it (200) moves up
    typeInCell(0, QStringLiteral("350"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(t->state(), DataSetState::Browse);
    EXPECT_EQ(current(), "200");
    EXPECT_EQ(grid->currentIndex().row(), 0);
    EXPECT_EQ(stored("BSNR"), (std::vector<std::string>{"200", "300", "350", "400", "500"}));

    // and a click on a row below an edited record that moves up
    t->last(); // 500
    typeInCell(0, QStringLiteral("150"));
    grid->setCurrentIndex(grid->model()->index(2, 0)); // was 350
    EXPECT_EQ(current(), "350");
    EXPECT_EQ(stored("BSNR"), (std::vector<std::string>{"150", "200", "300", "350", "400"}));
}

TEST_F(DBGridTest, EscapeCancelsTheRecordsChanges) {
    typeInCell(1, QStringLiteral("Elvetve"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); // the cell is written
    QApplication::processEvents(); // (the view commits an Enter in the next round)
    EXPECT_EQ(t->state(), DataSetState::Edit);
    EXPECT_EQ(current("BEZEICHN"), "Elvetve");
    QTest::keyClick(grid, Qt::Key_Escape);
    EXPECT_EQ(t->state(), DataSetState::Browse);
    EXPECT_EQ(current("BEZEICHN"), "Név 1");
    EXPECT_EQ(grid->model()->index(0, 1).data().toString(), QStringLiteral("Név 1"));
}

TEST_F(DBGridTest, AKeyViolationIsReportedOnceAndTheRowIsKept) {
    struct Case {
        const char* name;
        bool rule; // a data module rule that shows its own message and aborts
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {"engine error", false, {"Key violation"}},
        {"rule aborts", true, {"arlista Már létezik az alkatrész a listában!"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        t->onPostError = nullptr;
        if (c.rule) {
            t->onPostError = [this](DataSet& ds, const EngineError& e) {
                if (e.code() == errc::KeyViolation) {
                    messages.showMessage(ds.name() + " Már létezik az alkatrész a listában!");
                    return ErrorAction::Abort;
                }
                return ErrorAction::Fail;
            };
        }
        t->first();
        typeInCell(0, QStringLiteral("200"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        ASSERT_EQ(messages.count(), 1u);
        EXPECT_NE(messages.texts()[0].find(c.shown[0]), std::string::npos) << messages.texts()[0];
        EXPECT_EQ(grid->currentIndex().row(), 0); // the grid stays on the refused row
        EXPECT_EQ(t->recNo(), 1);
        EXPECT_EQ(t->state(), DataSetState::Edit);
        t->cancel();
        EXPECT_EQ(stored("BSNR")[0], "100");
    }
}

TEST_F(DBGridTest, ABadValueKeepsTheCellEditorAndTheRow) {
    // PREIS takes digits, "-" and "," only; "1,2,3" passes the key filter but is no number
    typeInCell(2, QStringLiteral("1,2,3"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, ScriptedMessages::Kind::Error);
    EXPECT_EQ(current(), "100");
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr); // the cell editor is still open
    EXPECT_EQ(editor->text(), QStringLiteral("1,2,3"));
}

TEST_F(DBGridTest, InsertingARowAndLeavingItPosts) {
    t->setRecNo(3);
    QTest::keyClick(grid, Qt::Key_Insert);
    ASSERT_EQ(t->state(), DataSetState::Insert);
    EXPECT_EQ(grid->model()->rowCount(), 6);
    EXPECT_EQ(grid->currentIndex().row(), 2); // before the record it was started on
    typeInCell(0, QStringLiteral("050"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    uitest::typeText(QApplication::focusWidget(), QStringLiteral("Új"));
    // row 4 showed 400 (the inserted row stood before it); 050 goes to the front
    grid->setCurrentIndex(grid->model()->index(4, 0));
    EXPECT_EQ(t->state(), DataSetState::Browse);
    EXPECT_EQ(current(), "400");
    EXPECT_EQ(stored("BSNR"), (std::vector<std::string>{"050", "100", "200", "300", "400", "500"}));

    // a new record left without a value is dropped when the focus leaves the grid
    QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(grid, Qt::Key_Down);
    ASSERT_EQ(t->state(), DataSetState::Insert);
    other->setFocus();
    EXPECT_EQ(t->state(), DataSetState::Browse);
    EXPECT_EQ(grid->model()->rowCount(), 6);
}

TEST_F(DBGridTest, NoRefreshWhileControlsAreDisabledAndOneAfter) {
    ui::DBEdit edit(&window);
    edit.setMessages(&messages);
    edit.setDataField(t.get(), "BEZEICHN");
    auto* model = grid->dataModel();
    QSignalSpy resets(model, &QAbstractItemModel::modelReset);
    QSignalSpy changes(model, &QAbstractItemModel::dataChanged);
    grid->viewport()->repaint();
    const uint64_t readsBefore = model->cellReads();

    t->disableControls();
    EXPECT_TRUE(model->frozen());
    for (int i = 6; i <= 8; ++i) {
        add(*t, {{"BSNR", std::to_string(i * 100)}, {"BEZEICHN", "Új"}});
    }
    t->first();
    t->edit();
    t->fieldByName("BEZEICHN").setAsString("Változott");
    t->post();
    grid->viewport()->repaint(); // painting serves what was read before
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(model->rowCount(), 5);
    EXPECT_EQ(model->cellReads(), readsBefore);
    EXPECT_EQ(edit.text(), QStringLiteral("Név 1"));

    t->enableControls();
    EXPECT_FALSE(model->frozen());
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(model->rowCount(), 8);
    EXPECT_EQ(model->index(0, 1).data().toString(), QStringLiteral("Változott"));
    EXPECT_EQ(edit.text(), QStringLiteral("Változott"));
    EXPECT_EQ(grid->currentIndex().row(), 0);
}

TEST_F(DBGridTest, CellsShowTheFieldsDisplaySettings) {
    create("mixed", {{"Kod", FieldType::Int32},
                     {"Ar", FieldType::Float},
                     {"Nap", FieldType::Date},
                     {"Van", FieldType::Bool},
                     {"Nev", FieldType::Text, 10}});
    auto m = handle("mixed");
    m->open();
    m->fieldByName("Ar").displayFormat = "### ##0.00";
    m->fieldByName("Kod").displayLabel = "Kód";
    add(*m, {{"Kod", 7}, {"Ar", 1234.5}, {"Nap", Date{2026, 12, 11}}, {"Van", true}, {"Nev", "x"}});
    add(*m, {{"Kod", -3}, {"Ar", 0.125}});
    m->first();
    ui::DataSetModel model;
    model.setDataSet(m.get());
    model.setDefaultColumns();
    struct Cell {
        int row, col;
        const char* text;
        Qt::Alignment align;
    };
    const Cell cells[] = {
        {0, 0, "7", Qt::AlignRight},          {0, 1, "1 234,50", Qt::AlignRight},
        {0, 2, "2026.12.11.", Qt::AlignLeft}, {0, 3, "True", Qt::AlignLeft},
        {0, 4, "x", Qt::AlignLeft},           {1, 0, "-3", Qt::AlignRight},
        {1, 1, "0,12", Qt::AlignRight},       {1, 2, "", Qt::AlignLeft},
    };
    for (const auto& c : cells) {
        const QModelIndex i = model.index(c.row, c.col);
        EXPECT_EQ(i.data().toString().toStdString(), c.text) << c.row << "," << c.col;
        EXPECT_TRUE(Qt::Alignment(i.data(Qt::TextAlignmentRole).toInt()) & c.align);
    }
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Kód"));
    EXPECT_EQ(model.index(0, 1).data(ui::DataSetModel::RawValueRole).toDouble(), 1234.5);
    EXPECT_EQ(model.index(0, 1).data(Qt::EditRole).toString(), QStringLiteral("1234,5"));
    model.setDataSet(nullptr);
}

TEST_F(DBGridTest, LookupColumnsAreEditableOnlyWithAPickList) {
    create("rabat", {{"PG", FieldType::Int32}, {"alias", FieldType::Text, 3}},
           {{"PGindex", {"PG"}, true}});
    auto groups = handle("rabat");
    groups->open();
    add(*groups, {{"PG", 0}, {"alias", "AA"}});
    add(*groups, {{"PG", 1}, {"alias", "BB"}});
    add(*groups, {{"PG", 2}, {"alias", "CC"}});
    grid->setDataSet(nullptr);
    t->close();
    LookupDef l;
    l.name = "Csoport";
    l.type = FieldType::Text;
    l.size = 3;
    l.keyFields = {"Grupp"};
    l.steps.push_back(LookupStep{"diploma", "rabat", {"PG"}, "alias"});
    t->addLookupField(l);
    t->open();
    GridColumn plain("Csoport");
    GridColumn picked("Csoport");
    picked.pickList = ui::PickList{groups.get(), "PG", "alias", "Grupp"};
    grid->setColumns({GridColumn("BSNR"), plain, picked});
    grid->setDataSet(t.get());
    auto* model = grid->model();
    EXPECT_EQ(model->index(0, 1).data().toString(), QStringLiteral("BB")); // 100: group 1
    EXPECT_FALSE(model->flags(model->index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model->flags(model->index(0, 2)) & Qt::ItemIsEditable);

    grid->setCurrentIndex(model->index(0, 2));
    QTest::keyClick(grid, Qt::Key_F2);
    auto* combo = qobject_cast<QComboBox*>(QApplication::focusWidget());
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->currentText(), QStringLiteral("BB"));
    combo->setCurrentIndex(2);
    emit combo->activated(2);
    EXPECT_EQ(t->fieldByName("Grupp").asInteger(), 2);
    EXPECT_EQ(t->fieldByName("Csoport").asString(), "CC");
    grid->setDataSet(nullptr);
}
