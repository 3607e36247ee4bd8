#include "app/core/registry.h"
#include "app/core/settings.h"
#include "app/core/shell.h"
#include "store/catalogue/catalogue.h"
#include "store/tdm.h"
#include "tests/store/test_support.h"

#include <fstream>

using namespace app;
namespace fs = std::filesystem;

namespace {

class AppCoreTest : public ::testing::Test {
protected:
    void SetUp() override { dir = testsupport::freshDir("app"); }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    void writeBytes(const fs::path& p, size_t n) {
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << std::string(n, 'x');
    }
    fs::path dir;
};

} // namespace

TEST_F(AppCoreTest, SettingsReadLikeTheRegistryOnAFreshAndAUsedConfiguration) {
    const fs::path file = dir / "cfg" / "registry.ini";
    {
        Registry reg(file);
        EXPECT_FALSE(reg.openKey(kSettingsKey, false)); // fresh: no key yet
        ASSERT_TRUE(reg.openKey(kSettingsKey, true));
        EXPECT_THROW(reg.readInteger("nyelv"), RegistryError); // missing integer fails
        EXPECT_THROW(reg.readBool("vevo"), RegistryError);
        EXPECT_THROW(reg.readDate("inst"), RegistryError);
        EXPECT_EQ(reg.readString("rabnev"), ""); // missing string is empty
        writeMissingDefaults(reg);
        EXPECT_EQ(reg.readInteger("nyelv"), 0);
        EXPECT_TRUE(reg.readBool("update"));
        EXPECT_EQ(reg.readInteger("suly"), 1);
        EXPECT_EQ(reg.readInteger("eckband"), 0); // a boolean default stored as an integer
        EXPECT_EQ(reg.readString("separator"), ",");
        EXPECT_FALSE(reg.valueExists("vevo")); // values without a default stay missing
        EXPECT_THROW(reg.readBool("vevo"), RegistryError);
        reg.writeInteger("nyelv", 3);
        reg.writeString("rabnev", "Ablak\\Ajtó Kft.\nmásodik sor");
        reg.writeDate("inst", store::Date{2026, 12, 11});
        reg.writeBool("vevo", true);
    }
    Registry used(file); // a used configuration: the user's values win over the defaults
    ASSERT_TRUE(used.openKey("vekkor", false));
    writeMissingDefaults(used);
    EXPECT_EQ(used.readInteger("NYELV"), 3);
    EXPECT_EQ(used.readString("rabnev"), "Ablak\\Ajtó Kft.\nmásodik sor");
    EXPECT_EQ(used.readDate("inst"), (store::Date{2026, 12, 11}));
    EXPECT_TRUE(used.readBool("vevo"));
    used.writeString("nyelv", "nem szám");
    EXPECT_THROW(used.readInteger("nyelv"), RegistryError); // a string is no integer
}

TEST_F(AppCoreTest, FoldersAreCutFromTheAliases) {
    store::Session s;
    s.setAlias("diploma", dir / "prog" / "adatok");
    s.setAlias("data", dir / "prog" / "osszes");
    const Folders f = deriveFolders(s);
    EXPECT_EQ(f.Adatmappa, "adatok");
    EXPECT_EQ(f.Osszmappa, "osszes");
    EXPECT_EQ(f.Utvonal, (dir / "prog").string() + "/");
    EXPECT_EQ(programPath(f.Utvonal, "\\text\\Bsnrhiba.txt"),
              dir / "prog" / "text" / "Bsnrhiba.txt");
    EXPECT_EQ(programPath(f.Utvonal, "./icon/hatter.jpg"), dir / "prog" / "icon" / "hatter.jpg");
}

TEST_F(AppCoreTest, BackgroundIsShownOnlyWithItsExactSize) {
    const std::string U = dir.string() + "/";
    const fs::path pic = dir / "icon" / "hatter.jpg";
    const fs::path saved = dir / "ment" / "hatter.db";
    writeBytes(pic, kBackgroundSize);
    EXPECT_EQ(chooseBackground(U), pic);
    for (size_t n : {kBackgroundSize - 1, kBackgroundSize + 1}) {
        writeBytes(pic, n);
        EXPECT_FALSE(chooseBackground(U)) << n;
    }
    writeBytes(saved, kBackgroundSize); // the pristine copy takes the wrong one's place
    EXPECT_EQ(chooseBackground(U), pic);
    EXPECT_EQ(fs::file_size(pic), kBackgroundSize);
    fs::remove(pic);
    writeBytes(saved, 10);
    EXPECT_FALSE(chooseBackground(U));
}

TEST(AppCore, LayoutFileNamesAndLanguageValues) {
    EXPECT_EQ(layoutFileNames(2, 1, true).RacsrFajl, "racsr1.txt");
    EXPECT_EQ(layoutFileNames(2, 1, false).RacsrFajl, "racsr.txt");
    EXPECT_EQ(layoutFileNames(2, 36, true).DracsoFajl, "dracso.txt");
    EXPECT_EQ(layoutFileNames(1, 36, false).DracsoFajl, "dracso1.txt");
    EXPECT_EQ(languageValues(0).Akadalyfelirat, "Süllyesztett");
    EXPECT_EQ(languageValues(4).Kivitelfelirat, "Variant");
    EXPECT_EQ(languageValues(3).Arfelirat, "Ár:");
    EXPECT_EQ(languageValues(4).Arfelirat, "Price:");
}

TEST_F(AppCoreTest, PartUsageAndProfileLoading) {
    store::Session s;
    s.setAlias("diploma", dir / "adatok");
    s.setAlias("data", dir / "adatok");
    s.setAlias("preis", dir / "preis");
    store::catalogue::createMissingTables(s, dir);
    store::TDM dm(s);
    dm.Tbltarol.open();
    dm.Tbltarol.append();
    for (const char* f :
         {"Grupp1", "Grupp5", "QZR1", "QZR3", "QZR4", "QZR2", "QZR5", "Pant", "IP"}) {
        dm.Tbltarol.fieldByName(f).setAsFloat(0);
    }
    dm.Tbltarol.fieldByName("Profil").setAsInteger(2);
    dm.Tbltarol.post();
    for (store::Table* t : {&dm.Tblreszossz, &dm.tblkigyujt, &dm.Tblprofil, &dm.tblprofildat}) {
        t->open();
    }
    dm.Tblreszossz.append();
    dm.Tblreszossz.fieldByName("BSNR").setAsString("123456");
    dm.Tblreszossz.post();

    std::vector<std::string> shown;
    auto show = [&](const std::string& m) { shown.push_back(m); };
    PartUsage u = Alkatreszhasznalat(dm, "123456", true, show);
    EXPECT_TRUE(u.Hasznalatjelzok[5]);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "123456 alkatrészt\r\rRészossesítő\r\r tartalmazza!");
    shown.clear();
    EXPECT_TRUE(Alkatreszhasznalat(dm, "123456", false, show).used()); // flags without a message
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(Alkatreszhasznalat(dm, "999", true, show).used());

    // converter rows 1..3, the data sheet of profile 2 has rows 1 and 3
    for (int i = 1; i <= 3; ++i) {
        dm.Tblprofil.append();
        dm.Tblprofil.fieldByName("Sorsz").setAsInteger(i);
        dm.Tblprofil.fieldByName("REHAU").setAsString("R" + std::to_string(i));
        for (const char* f : {"Megnevezes", "Nemet", "Szerb"}) {
            dm.Tblprofil.fieldByName(f).setAsString("x");
        }
        dm.Tblprofil.fieldByName("ACTUAL").setAsString("régi");
        dm.Tblprofil.post();
    }
    for (int i : {1, 3}) {
        dm.tblprofildat.append(); // Ind comes from the settings record
        dm.tblprofildat.fieldByName("Sorsz").setAsInteger(i);
        dm.tblprofildat.fieldByName("Bsnr").setAsString("P" + std::to_string(i));
        dm.tblprofildat.post();
    }
    Profilbetoltes(dm, show);
    EXPECT_EQ(shown, std::vector<std::string>{"Hiba az adatlapon!!"}); // row 3 met converter row 2
    dm.Tblprofil.first();
    EXPECT_EQ(dm.Tblprofil.fieldByName("ACTUAL").asString(), "P1");
    dm.Tblprofil.next();
    EXPECT_EQ(dm.Tblprofil.fieldByName("ACTUAL").asString(), "P3");
    dm.Tblprofil.next();
    EXPECT_EQ(dm.Tblprofil.fieldByName("ACTUAL").asString(), "régi"); // unchanged
}

TEST_F(AppCoreTest, DownloadAndCopyLeaveNoHalfFiles) {
    writeBytes(dir / "src.txt", 1000);
    EXPECT_TRUE(Letoltes("file://" + (dir / "src.txt").string(), dir / "got.txt"));
    EXPECT_EQ(fs::file_size(dir / "got.txt"), 1000u);
    EXPECT_FALSE(Letoltes("file://" + (dir / "nincs.txt").string(), dir / "none.txt"));
    EXPECT_FALSE(fs::exists(dir / "none.txt"));
    EXPECT_FALSE(fs::exists(dir / "none.txt.part"));
    EXPECT_TRUE(Filemasolas(dir / "src.txt", dir / "copy.txt"));
    EXPECT_EQ(fs::file_size(dir / "copy.txt"), 1000u);
    EXPECT_FALSE(Filemasolas(dir / "nincs.txt", dir / "copy.txt"));
    EXPECT_EQ(fs::file_size(dir / "copy.txt"), 1000u); // the target stays as it was
}
