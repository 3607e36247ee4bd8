// Grid layout files: the column list survives a save and a load, and what a reader does with
// files it did not write itself.
#include "store/format/format.h"
#include "ui/dbgrid.h"
#include "ui/grid_layout.h"
#include "ui_support.h"

#include <QHeaderView>

using namespace store;
using ui::ColumnLayout;
using ui::GridColumn;

namespace {

class GridLayoutFile : public uitest::WindowTest {};

GridColumn column(const char* field, const char* title, int width) {
    return GridColumn(field, title, width);
}

} // namespace

TEST_F(GridLayoutFile, ColumnListRoundTripsThroughTheFile) {
    auto t = priceList(3);
    ui::DBGrid grid;
    GridColumn name = column("BEZEICHN", "Megnevezés\tés tab", 180);
    name.readOnly = true;
    name.color = QColor("#ffeecc");
    name.font = QFont("DejaVu Sans", 11, QFont::Bold);
    GridColumn price = column("PREIS", "Ár(Ft)", 70);
    price.alignment = Alignment::Center;
    price.titleColor = QColor("#102030");
    price.titleFont = QFont("DejaVu Serif", 8);
    GridColumn group = column("Grupp", "", 40);
    group.visible = false;
    grid.setColumns({column("BSNR", "Cikkszám", 90), name, price, group});
    grid.setDataSet(t.get());
    grid.resize(600, 200);
    grid.show();
    // the user drags the price column to the front and widens the part number
    grid.horizontalHeader()->moveSection(2, 0);
    grid.setColumnWidth(0, 110);
    const auto file = dir / "racsr.txt";
    std::string error;
    ASSERT_TRUE(grid.saveLayout(file, &error)) << error;

    ui::DBGrid other;
    other.setDataSet(t.get());
    ASSERT_TRUE(other.loadLayout(file, &error)) << error;
    const auto cols = other.columns();
    ASSERT_EQ(cols.size(), 4u);
    const char* fields[] = {"PREIS", "BSNR", "BEZEICHN", "Grupp"};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(cols[i].field, fields[i]);
    }
    EXPECT_EQ(cols[0].title, "Ár(Ft)");
    EXPECT_EQ(cols[0].alignment, Alignment::Center);
    EXPECT_EQ(cols[0].titleColor, QColor("#102030"));
    ASSERT_TRUE(cols[0].titleFont.has_value());
    EXPECT_EQ(cols[0].titleFont->family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(cols[1].width, 110);
    EXPECT_EQ(cols[2].title, "Megnevezés\tés tab");
    EXPECT_EQ(cols[2].width, 180);
    EXPECT_TRUE(cols[2].readOnly);
    EXPECT_EQ(cols[2].color, QColor("#ffeecc"));
    ASSERT_TRUE(cols[2].font.has_value());
    EXPECT_TRUE(cols[2].font->bold());
    EXPECT_FALSE(cols[3].visible);
    EXPECT_EQ(cols[3].width, 40);
    EXPECT_EQ(cols[3].title, "Grupp"); // the shown title is kept
    EXPECT_TRUE(other.isColumnHidden(3));
    EXPECT_EQ(other.columnWidth(1), 110);
    EXPECT_FALSE(other.model()->flags(other.model()->index(0, 2)) & Qt::ItemIsEditable);
    EXPECT_EQ(other.model()->headerData(2, Qt::Horizontal).toString(),
              QStringLiteral("Megnevezés\tés tab"));

    // the file is a Windows-1250 text with CR LF line ends
    const auto lines = store::fmt::readCp1250Lines(file);
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ((*lines)[0], "DIRURAR GRID LAYOUT 1");
    ASSERT_EQ(lines->size(), 6u);
    EXPECT_EQ((*lines)[4].rfind("BEZEICHN\tMegnevezés\\tés tab\t180\t1\t1\t\t#ffeecc\t", 0), 0u)
        << (*lines)[4];
    grid.setDataSet(nullptr);
    other.setDataSet(nullptr);
}

TEST_F(GridLayoutFile, ReadingLayoutsWrittenElsewhere) {
    const std::string head = "DIRURAR GRID LAYOUT 1";
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        bool ok;
        std::vector<ColumnLayout> columns;
    };
    ColumnLayout bsnr;
    bsnr.field = "BSNR";
    bsnr.width = 50;
    ColumnLayout hidden = bsnr;
    hidden.visible = false;
    hidden.title = "Kód";
    const Case cases[] = {
        {"cells in another order, unknown ones ignored",
         {head, "Width\tExtra\tField", "50\tx\tBSNR", ""},
         true,
         {bsnr}},
        {"missing cells keep their defaults",
         {head, "Field\tWidth\tVisible\tTitle", "BSNR\t50\t0\tKód"},
         true,
         {hidden}},
        {"no columns", {head, "Field"}, true, {}},
        {"not a layout", {"Field\tWidth", "BSNR\t50"}, false, {}},
        {"bad width", {head, "Field\tWidth", "BSNR\twide"}, false, {}},
        {"bad flag", {head, "Field\tVisible", "BSNR\tyes"}, false, {}},
        {"bad alignment", {head, "Field\tAlignment", "BSNR\tmiddle"}, false, {}},
        {"column without a field", {head, "Field\tWidth", "\t50"}, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        const auto got = ui::parseLayout(c.lines, &error);
        ASSERT_EQ(got.has_value(), c.ok) << error;
        if (got) {
            EXPECT_EQ(*got, c.columns);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

TEST_F(GridLayoutFile, AnUnreadableFileLeavesTheGridAsItWas) {
    auto t = priceList(1);
    ui::DBGrid grid;
    grid.setColumns({column("BSNR", "Cikkszám", 90)});
    grid.setDataSet(t.get());
    std::string error;
    EXPECT_FALSE(grid.loadLayout(dir / "nincs.txt", &error));
    ASSERT_TRUE(store::fmt::writeTextFile(dir / "rossz.txt", {"szemét"}));
    EXPECT_FALSE(grid.loadLayout(dir / "rossz.txt", &error));
    ASSERT_EQ(grid.columns().size(), 1u);
    EXPECT_EQ(grid.columns()[0].title, "Cikkszám");
    grid.setDataSet(nullptr);
}
