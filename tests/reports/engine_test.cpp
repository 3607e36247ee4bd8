// The banded layout over a small table of its own: page flow, headers and footers, the
// options, groups, element geometry and the errors a binding can raise.
#include "report_support.h"
#include "reports/layouts/builder.h"
#include "store/engine/table.h"

#include <cmath>

using namespace reports::engine;
using namespace reports::layouts;
using reportsupport::add;
using reportsupport::readingOrder;
using reportsupport::textsOf;

namespace {

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = reportsupport::freshDir("report-engine");
        session.setAlias("diploma", dir);
        store::TableSchema s;
        s.tableName = "t";
        s.fields = {store::FieldDef("Grp", store::FieldType::Text, 5),
                    store::FieldDef("Name", store::FieldType::Text, 60),
                    store::FieldDef("Qty", store::FieldType::Int32),
                    store::FieldDef("Price", store::FieldType::Float)};
        store::IndexDef ix;
        ix.name = "Primary";
        ix.fields = {"Grp", "Name"};
        ix.primary = true;
        s.indexes = {ix};
        session.createTable(dir / "t.db", s);
        t = std::make_unique<store::Table>(session, "t");
        t->setAlias("diploma");
        t->setTableName("t.db");
        t->open();
    }
    void TearDown() override {
        t->close();
        t.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    void rows(int n, const char* grp = "A") {
        store::ControlsDisabled hold(*t);
        for (int i = 1; i <= n; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "r%03d", i);
            add(*t, {{"Grp", grp}, {"Name", name}, {"Qty", i}, {"Price", 0.5 * i}});
        }
    }

    // page header 40, title 30, column header 20, detail 20, summary 30, page footer 30
    void framedReport(Report& r) {
        r.setDataSet(t.get());
        r.addBand(BandKind::PageHeader, 40).add(label("hdr", "HDR", 0, 0, arial(10)));
        r.addBand(BandKind::Title, 30).add(label("title", "TITLE", 0, 0, arial(10)));
        r.addBand(BandKind::ColumnHeader, 20).add(label("cols", "COLS", 0, 0, arial(10)));
        Band& d = r.addBand(BandKind::Detail, 20);
        d.add(sysData("no", SysDataKind::DetailNumber, 0, 0, arial(10), Align::Right, 30));
        d.add(field("name", "Name", 40, 0, 100, arial(10)));
        r.addBand(BandKind::Summary, 30)
            .add(expression("sum", "SUM(t.Price)", 0, 0, 100, arial(10), Align::Right, "# ##0.00"));
        r.addBand(BandKind::PageFooter, 30)
            .add(sysData("page", SysDataKind::PageNumber, 0, 0, arial(10)));
    }

    Document run(const Report& r) {
        FixedFontMetrics m;
        LayoutOptions o;
        o.today = store::Date{2026, 3, 9};
        return layoutReport(r, m, o);
    }

    std::filesystem::path dir;
    store::Session session;
    std::unique_ptr<store::Table> t;
};

} // namespace

TEST_F(EngineTest, RecordsFlowOverPagesBetweenHeadersAndFooters) {
    rows(100);
    t->setRecNo(5);
    Report r("r");
    framedReport(r);
    const Document doc = run(r);
    EXPECT_EQ(t->recNo(), 5); // the layout reads the rows without moving the cursor

    // printable height 1046.9: page 1 holds 926.9 / 20 = 46 records, the others 956.9 / 20 = 47
    ASSERT_EQ(doc.pages.size(), 3u);
    const double top = mmToUnits(10);
    const double footerTop = doc.pageHeight() - mmToUnits(10) - 30;
    std::vector<std::string> firstNumbers;
    for (const Page& p : doc.pages) {
        SCOPED_TRACE(p.number);
        ASSERT_NE(p.text("hdr"), nullptr);
        EXPECT_NEAR(p.text("hdr")->rect.y, top, 1e-9);
        EXPECT_EQ(p.text("title") != nullptr, p.number == 1);
        ASSERT_NE(p.text("cols"), nullptr);
        EXPECT_NEAR(p.text("cols")->rect.y, top + (p.number == 1 ? 70 : 40), 1e-9);
        ASSERT_NE(p.text("page"), nullptr);
        EXPECT_EQ(p.text("page")->text, std::to_string(p.number));
        EXPECT_NEAR(p.text("page")->rect.y, footerTop, 1e-9);
        const auto names = p.texts("name");
        ASSERT_FALSE(names.empty());
        EXPECT_LE(names.back()->rect.y + 20, footerTop + 1e-6);
        firstNumbers.push_back(p.texts("no").front()->text);
    }
    EXPECT_EQ(firstNumbers, (std::vector<std::string>{"1", "47", "94"}));
    EXPECT_EQ(doc.pages[0].texts("name").size(), 46u);
    EXPECT_EQ(doc.pages[1].texts("name").size(), 47u);
    EXPECT_EQ(doc.pages[2].texts("no").back()->text, "100");
    // the summary after the last record: 0.5 x (1 + ... + 100)
    ASSERT_NE(doc.pages[2].text("sum"), nullptr);
    EXPECT_EQ(doc.pages[2].text("sum")->text, "2 525,00");
    EXPECT_NEAR(doc.pages[2].text("sum")->rect.y, doc.pages[2].texts("name").back()->rect.y + 20,
                1e-9);
    // a detail text starts at the left margin plus its left
    EXPECT_NEAR(doc.pages[0].texts("name")[0]->rect.x, mmToUnits(10) + 40, 1e-9);
}

TEST_F(EngineTest, FirstPageHeaderAndLastPageFooterOptions) {
    rows(100);
    Report r("r");
    framedReport(r);
    r.firstPageHeader = false;
    r.lastPageFooter = false;
    const Document doc = run(r);
    ASSERT_EQ(doc.pages.size(), 3u);
    EXPECT_EQ(doc.pages[0].text("hdr"), nullptr);
    EXPECT_NEAR(doc.pages[0].text("title")->rect.y, mmToUnits(10), 1e-9);
    EXPECT_EQ(doc.pages[0].texts("name").size(), 48u); // 966.9 / 20
    EXPECT_NE(doc.pages[1].text("hdr"), nullptr);
    EXPECT_NE(doc.pages[1].text("page"), nullptr);
    EXPECT_EQ(doc.pages[2].text("page"), nullptr);
}

TEST_F(EngineTest, EmptyDataSetPrintsNothingOrTheFrame) {
    Report r("r");
    framedReport(r);
    r.printIfEmpty = false;
    EXPECT_TRUE(run(r).pages.empty());

    r.printIfEmpty = true;
    const Document doc = run(r);
    ASSERT_EQ(doc.pages.size(), 1u);
    EXPECT_EQ(readingOrder(doc.pages[0]),
              (std::vector<std::string>{"HDR", "TITLE", "COLS", "0,00", "1"}));
}

TEST_F(EngineTest, GroupHeaderPerValueKeptWithItsFirstRecord) {
    add(*t, {{"Grp", "A"}, {"Name", "a1"}});
    add(*t, {{"Grp", "B"}, {"Name", "b1"}});
    add(*t, {{"Grp", "A"}, {"Name", "a2"}});
    add(*t, {{"Grp", "C"}, {"Name", "c1"}});
    Report r("r");
    r.setDataSet(t.get());
    Band& g = r.addBand(BandKind::GroupHeader, 40);
    g.groupField = "Grp";
    g.add(field("grp", "Grp", 0, 0, 0, arial(10, kBold)));
    r.addBand(BandKind::Detail, 100).add(field("name", "Name", 20, 0, 0, arial(10)));
    Document doc = run(r);
    ASSERT_EQ(doc.pages.size(), 1u);
    EXPECT_EQ(readingOrder(doc.pages[0]),
              (std::vector<std::string>{"A", "a1", "a2", "B", "b1", "C", "c1"}));

    // 40 + 9 x 100 leaves 106.9 units: room for the next header, not for its first record
    t->emptyTable();
    rows(9, "A");
    rows(2, "B");
    doc = run(r);
    ASSERT_EQ(doc.pages.size(), 2u);
    EXPECT_EQ(textsOf(doc.pages[0], "grp"), (std::vector<std::string>{"A"}));
    EXPECT_EQ(readingOrder(doc.pages[1]).front(), "B");
}

TEST_F(EngineTest, ElementGeometryMasksAndClipping) {
    add(*t, {{"Grp", "A"},
             {"Name", "A very long name that does not fit"},
             {"Qty", 1234567},
             {"Price", 0.0}});
    Report r("r");
    r.setDataSet(t.get());
    Band& d = r.addBand(BandKind::Detail, 20);
    d.frame = Frame{true, true, 2, kBlack};
    const Font f = arial(10); // 13.33 units to the em: 6.67 per character, 15.33 per line
    d.add(field("cut", "Name", 0, 0, 70, f));                               // 10 characters
    d.add(field("num", "Qty", 100, 0, 40, f, Align::Right, "### ###"));     // never cut
    d.add(field("zero", "Price", 200, 0, 40, f, Align::Right, "# ##0.00")); // a zero
    d.add(field("blank", "Price", 250, 0, 40, f, Align::Right, "# ###"));   // prints nothing
    d.add(field("plain", "Qty", 300, 0, 0, f));                             // no mask: digits
    d.add(label("auto", "abc", 400, 2, f));
    Element off = label("off", "hidden", 450, 0, f);
    off.enabled = false;
    d.add(off);
    Element m = memo("memo", 0, 40, 100, 31, f, false); // 15 characters a line, two lines
    m.lines = {"one two three four five six", "", "seven"};
    d.add(m);
    d.add(bar("bar", 500, 0, 3, 50, kBlue));
    Element pic = picture("pic", 600, 0, 105, 49);
    pic.picture = "type.bmp";
    d.add(pic);

    const Document doc = run(r);
    ASSERT_EQ(doc.pages.size(), 1u);
    const Page& p = doc.pages[0];
    const double x0 = mmToUnits(10);
    const double y0 = mmToUnits(10);
    EXPECT_EQ(p.text("cut")->text, "A very lon");
    EXPECT_EQ(p.text("num")->text, "1 234 567");
    EXPECT_NEAR(p.text("num")->rect.right(), x0 + 140, 1e-9);
    EXPECT_EQ(p.text("num")->align, Align::Right);
    EXPECT_EQ(p.text("zero")->text, "0,00");
    EXPECT_EQ(p.text("blank"), nullptr);
    EXPECT_EQ(p.text("plain")->text, "1234567");
    EXPECT_NEAR(p.text("auto")->rect.w, 20, 1e-9);
    EXPECT_NEAR(p.text("auto")->rect.y, y0 + 2, 1e-9);
    EXPECT_NEAR(p.text("auto")->rect.h, 10.0 * 4 / 3 * 1.15, 1e-9);
    EXPECT_EQ(p.text("off"), nullptr);
    EXPECT_EQ(textsOf(p, "memo"), (std::vector<std::string>{"one two three", "four five six"}));

    int rects = 0, lines = 0, pictures = 0;
    for (const Item& it : p.items) {
        if (const auto* rc = std::get_if<RectItem>(&it)) {
            ++rects;
            EXPECT_NEAR(rc->rect.h, 50, 1e-9);
            EXPECT_EQ(rc->fill, kBlue);
        } else if (const auto* l = std::get_if<LineItem>(&it)) {
            ++lines;
            EXPECT_NEAR(l->x2 - l->x1, mmToUnits(190), 1e-9); // the frame spans the band
            EXPECT_EQ(l->width, 2);
        } else if (const auto* pi = std::get_if<PictureItem>(&it)) {
            ++pictures;
            EXPECT_EQ(pi->file, "type.bmp");
            EXPECT_NEAR(pi->rect.w, 105, 1e-9);
        }
    }
    EXPECT_EQ(rects, 1);
    EXPECT_EQ(lines, 2);
    EXPECT_EQ(pictures, 1);
}

TEST_F(EngineTest, StretchingMemoPushesTheNextBandDown) {
    rows(1);
    Report r("r");
    r.setDataSet(t.get());
    r.addBand(BandKind::Detail, 20).add(field("name", "Name", 0, 0, 0, arial(10)));
    Band& s = r.addBand(BandKind::Summary, 10);
    Band& c = r.addChild(s, 10);
    Element m = memo("notes", 0, 4, 0, 0, arial(10), true);
    m.lines = {"1", "2", "3"};
    c.add(m);
    r.addBand(BandKind::Summary, 10); // a second summary band is ignored
    const Document doc = run(r);
    const Page& p = doc.pages.at(0);
    const double y0 = mmToUnits(10);
    const auto notes = p.texts("notes");
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_NEAR(notes[0]->rect.y, y0 + 20 + 10 + 4, 1e-9);
    EXPECT_NEAR(notes[2]->rect.y - notes[0]->rect.y, 2 * 10.0 * 4 / 3 * 1.15, 1e-9);
}

TEST_F(EngineTest, FieldsOfOtherDataSetsAndValueFormats) {
    rows(2);
    store::TableSchema s;
    s.tableName = "o";
    s.fields = {store::FieldDef("Rate", store::FieldType::Float),
                store::FieldDef("Day", store::FieldType::Date),
                store::FieldDef("Code", store::FieldType::Text, 5)};
    session.createTable(dir / "o.db", s);
    store::Table o(session, "o");
    o.setAlias("diploma");
    o.setTableName("o.db");
    o.open();
    add(o, {{"Rate", 402.5}, {"Day", store::Date{2026, 1, 2}}, {"Code", "07"}});
    add(o, {{"Rate", 1.0}, {"Day", store::Date{2026, 1, 3}}, {"Code", "08"}});
    o.first();

    Report r("r");
    r.setDataSet(t.get());
    Band& h = r.addBand(BandKind::PageHeader, 20);
    Element rate = foreignField("rate", "Rate", 0, 0, 0, arial(10));
    rate.dataSet = &o;
    h.add(rate);
    Element day = foreignField("day", "Day", 100, 0, 0, arial(10));
    day.dataSet = &o;
    h.add(day);
    Element code = foreignField("code", "Code", 200, 0, 0, arial(10));
    code.dataSet = &o;
    code.mask = "##00"; // masks apply to numbers only
    h.add(code);
    h.add(foreignField("unbound", "Rate", 300, 0, 0, arial(10)));
    h.add(field("first", "Name", 400, 0, 0, arial(10))); // the header shows the first record
    r.addBand(BandKind::Detail, 20).add(sysData("date", SysDataKind::Date, 0, 0, arial(10)));

    Document doc = run(r);
    const Page& p = doc.pages.at(0);
    EXPECT_EQ(p.text("rate")->text, "402,5");
    EXPECT_EQ(p.text("day")->text, "2026.01.02.");
    EXPECT_EQ(p.text("code")->text, "07");
    EXPECT_EQ(p.text("unbound"), nullptr);
    EXPECT_EQ(p.text("first")->text, "r001");
    EXPECT_EQ(textsOf(p, "date"), (std::vector<std::string>{"2026.03.09.", "2026.03.09."}));

    // a closed data set, a field that does not exist, no data set at all
    o.close();
    EXPECT_THROW(run(r), ReportError);
    o.open();
    r.element("rate").field = "Nope";
    EXPECT_THROW(run(r), ReportError);
    r.element("rate").field = "Rate";
    EXPECT_NO_THROW(run(r));
    r.setDataSet(nullptr);
    EXPECT_THROW(run(r), ReportError);
    o.close();
}

TEST_F(EngineTest, SumExpressions) {
    rows(4); // prices 0.5 1 1.5 2, quantities 1 2 3 4
    struct Case {
        const char* expr;
        const char* mask;
        const char* text; // nullptr: the layout fails
    } cases[] = {
        {"SUM(t.Price)", "# ##0.00", "5,00"},
        {"sum( T.qty )", "", "10"},
        {"SUM(t.Qty)", "### ###", "10"},
        {"t.Name", "", "r004"}, // the record printed last
        {"SUM(x.Price)", "", nullptr},
        {"SUM(t.Nope)", "", nullptr},
        {"SUM(t.Price", "", nullptr},
        {"MAX(t.Price)", "", nullptr},
        {"Price", "", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expr);
        Report r("r");
        r.setDataSet(t.get());
        r.addBand(BandKind::Detail, 20);
        r.addBand(BandKind::Summary, 20)
            .add(expression("e", c.expr, 0, 0, 100, arial(10), Align::Right, c.mask));
        if (c.text == nullptr) {
            EXPECT_THROW(run(r), ReportError);
        } else {
            EXPECT_EQ(run(r).pages.at(0).text("e")->text, c.text);
        }
    }
}

TEST(TextWrap, BreaksAtBlanksAndInsideLongWords) {
    FixedFontMetrics m;
    const Font f = arial(10); // 6.67 units a character
    EXPECT_EQ(wrapLine(m, f, "aaaa bbbb cccc", 61),
              (std::vector<std::string>{"aaaa bbbb", "cccc"}));
    EXPECT_EQ(wrapLine(m, f, "abcdefghijklmnopqrst", 61),
              (std::vector<std::string>{"abcdefghi", "jklmnopqr", "st"}));
    EXPECT_EQ(wrapLine(m, f, "", 60), (std::vector<std::string>{""}));
    EXPECT_EQ(fitPrefix(m, f, "árvíztűrő", 20), "árv"); // whole code points
    EXPECT_EQ(splitCodePoints("aő–").size(), 3u);
}
