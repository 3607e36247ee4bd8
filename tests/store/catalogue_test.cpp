#include "store/catalogue/catalogue.h"
#include "store/tdm.h"
#include "test_support.h"

using namespace store;

namespace {

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = testsupport::freshDir("catalogue");
        session.setAlias("diploma", dir / "adatok");
        session.setAlias("data", dir / "adatok");
        session.setAlias("kulso", dir / "adatok");
        session.setAlias("preis", dir / "preis");
        catalogue::createMissingTables(session, dir);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::filesystem::path dir;
    Session session;
};

} // namespace

TEST_F(CatalogueTest, EveryHandleOpensWithItsFieldsLookupsAndIndexes) {
    TDM dm(session);
    EXPECT_EQ(dm.Rudzaropcio, 0);
    for (Table* t : dm.handles()) {
        EXPECT_FALSE(t->active()) << t->name(); // the data module opens nothing
    }
    // the settings record first: it is the master of three handles
    dm.Tbltarol.open();
    dm.Tbltarol.append();
    dm.Tbltarol.fieldByName("Grupp1").setAsFloat(0);
    for (const char* f : {"Grupp5", "QZR1", "QZR3", "QZR4", "QZR2", "QZR5", "Pant", "IP"}) {
        dm.Tbltarol.fieldByName(f).setAsFloat(0);
    }
    dm.Tbltarol.post();
    for (Table* t : dm.handles()) {
        SCOPED_TRACE(t->name());
        ASSERT_NO_THROW(t->open());
        for (int i = 0; i < t->fieldCount(); ++i) {
            EXPECT_NO_THROW(t->field(i).value()) << t->field(i).name();
        }
    }
    for (Table* t : dm.handles()) {
        t->close();
    }
}

TEST_F(CatalogueTest, LayoutsThatTheProgramReadsByPositionOrName) {
    const auto* tarolo = catalogue::findTable("tarolo.DB");
    ASSERT_NE(tarolo, nullptr);
    // the module filter reads the 4th, 6th and 7th field of the settings record
    EXPECT_EQ(tarolo->schema.fields[3].name, "Meret");
    EXPECT_EQ(tarolo->schema.fields[5].name, "Szinkod");
    EXPECT_EQ(tarolo->schema.fields[6].name, "Nyitaskod");
    EXPECT_EQ(tarolo->schema.fields.size(), 30u);

    struct Named {
        const char* table;
        const char* index;
        const char* field;
    };
    const Named named[] = {{"reszosszesit.db", "bsnrindex", "BSNR"},
                           {"osszesit.db", "bsnrindex", "BSNR"},
                           {"arlista.db", "BSNR3", "BSNR2"},
                           {"rabat.db", "PGindex", "PG"},
                           {"modul.DB", "BSNR", "BSNR"},
                           {"modul.DB", "TBSNR", "TSBSNR"},
                           {"Profil.db", "BSNR1", "Bsnr"},
                           {"converter.DB", "rehau", "REHAU"}};
    for (const auto& n : named) {
        const auto* e = catalogue::findTable(n.table);
        ASSERT_NE(e, nullptr) << n.table;
        const IndexDef* ix = e->schema.findIndex(n.index);
        ASSERT_NE(ix, nullptr) << n.table << " " << n.index;
        EXPECT_EQ(ix->fields.front(), n.field);
    }
    // the price list is switched between these orders
    const auto* arl = catalogue::findTable("arlista.db");
    for (const char* f : {"BSNR", "BSNR2", "ARTIKEL"}) {
        EXPECT_NE(arl->schema.indexForFields({f}), nullptr) << f;
    }
}

TEST_F(CatalogueTest, CreatingTablesLeavesExistingOnesAlone) {
    Table t(session, "t");
    t.setAlias("diploma");
    t.setTableName("vevo.db");
    t.open();
    t.append();
    t.fieldByName("Vevokod").setAsString("K1");
    t.fieldByName("Vevonev").setAsString("Ablakos Kft.");
    t.post();
    EXPECT_DOUBLE_EQ(t.fieldByName("Kilincs").asFloat(), 1.0); // defaults of the factors
    t.close();
    EXPECT_TRUE(catalogue::createMissingTables(session, dir).empty());
    t.open();
    EXPECT_EQ(t.recordCount(), 1);
}
