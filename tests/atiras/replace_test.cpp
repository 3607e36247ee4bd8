// The replacement run, the drive and folder lists and the start-up of the field value tool,
// on real tables and folders.
#include "atiras/drives.h"
#include "atiras/replace.h"
#include "atiras/startup.h"
#include "store/test_support.h"

#include <cstdlib>
#include <fstream>

using namespace store;
using testsupport::StoreTest;

namespace {

class AtirasReplace : public StoreTest {
protected:
    // modul: Garkod + Modulkod is the primary key; Nev and Darab are plain fields.
    std::unique_ptr<Table>
    modules(const std::vector<std::tuple<int, const char*, const char*, int>>& rows) {
        create("modul",
               {{"Garkod", FieldType::Int32, 0, true},
                {"Modulkod", FieldType::Text, 10, true},
                {"Nev", FieldType::Text, 20},
                {"Darab", FieldType::Int32}},
               {{"Primary", {"Garkod", "Modulkod"}, true}});
        auto t = std::make_unique<Table>(session, "Table1");
        t->setTableName((dir / "modul.db").string()); // by its full path, as the tool does
        t->open();
        for (const auto& [g, m, n, d] : rows) {
            t->append();
            t->fieldByName("Garkod").setAsInteger(g);
            t->fieldByName("Modulkod").setAsString(m);
            if (n) {
                t->fieldByName("Nev").setAsString(n);
            }
            t->fieldByName("Darab").setAsInteger(d);
            t->post();
        }
        return t;
    }

    static std::vector<std::string> rows(Table& t) {
        std::vector<std::string> out;
        for (t.first(); !t.eof(); t.next()) {
            out.push_back(t.fieldByName("Garkod").asString() + "/" +
                          t.fieldByName("Modulkod").asString() + "/" +
                          t.fieldByName("Nev").asString());
        }
        return out;
    }
};

} // namespace

TEST_F(AtirasReplace, CountsAndReplacesExactMatches) {
    struct Case {
        const char* name;
        const char* field;
        const char* search;
        const char* replacement;
        bool checkOnly;
        int count;
        std::vector<std::string> after;
    };
    const std::vector<std::string> start = {"1/A/ABC", "2/A/abc", "3/A/ABC", "4/A/", "5/A/ABC "};
    const Case cases[] = {
        {"check only counts and changes nothing", "Nev", "ABC", "X", true, 2, start},
        {"letter case counts", "Nev", "abc", "X", true, 1, start},
        {"an empty value matches the empty fields", "Nev", "", "X", true, 1, start},
        {"replacing",
         "Nev",
         "ABC",
         "XYZ",
         false,
         2,
         {"1/A/XYZ", "2/A/abc", "3/A/XYZ", "4/A/", "5/A/ABC "}},
        {"filling the empty fields",
         "Nev",
         "",
         "Üres",
         false,
         1,
         {"1/A/ABC", "2/A/abc", "3/A/ABC", "4/A/Üres", "5/A/ABC "}},
        {"emptying",
         "Nev",
         "abc",
         "",
         false,
         1,
         {"1/A/ABC", "2/A/", "3/A/ABC", "4/A/", "5/A/ABC "}},
        {"a number field compared as text", "Darab", "7", "8", true, 3, start},
        {"no match", "Nev", "ABCD", "X", false, 0, start},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto t = modules({{1, "A", "ABC", 7},
                          {2, "A", "abc", 7},
                          {3, "A", "ABC", 1},
                          {4, "A", nullptr, 7},
                          {5, "A", "ABC ", 2}});
        const auto n = atiras::replaceValues(*t, c.field, c.search, c.replacement, c.checkOnly);
        ASSERT_TRUE(n.has_value());
        EXPECT_EQ(*n, c.count);
        EXPECT_EQ(rows(*t), c.after);
        EXPECT_TRUE(t->active()); // the table stays open after a run
        t->close();
        session.deleteTable(dir / "modul.db");
    }
}

TEST_F(AtirasReplace, ChangingTheOrderingKeyNeitherSkipsNorRevisitsRecords) {
    // The table is ordered by Garkod, Modulkod: a changed Garkod moves the record to another
    // place in the order while the run goes on.
    struct Case {
        const char* replacement;
        std::vector<std::string> after;
    };
    const Case cases[] = {
        {"9", {"2/A/", "2/C/", "9/A/", "9/B/", "9/C/"}}, // to the end
        {"0", {"0/A/", "0/B/", "0/C/", "2/A/", "2/C/"}}, // to the front
        {"2", {}},                                       // onto existing keys: refused
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.replacement);
        auto t = modules({{1, "A", nullptr, 0},
                          {1, "B", nullptr, 0},
                          {1, "C", nullptr, 0},
                          {2, "A", nullptr, 0},
                          {2, "C", nullptr, 0}});
        if (c.after.empty()) {
            EXPECT_THROW(atiras::replaceValues(*t, "Garkod", "1", c.replacement, false),
                         EngineError);
        } else {
            const auto n = atiras::replaceValues(*t, "Garkod", "1", c.replacement, false);
            EXPECT_EQ(n.value_or(-1), 3);
            EXPECT_EQ(rows(*t), c.after);
        }
        t->close();
        session.deleteTable(dir / "modul.db");
    }
}

TEST_F(AtirasReplace, AKeyAlreadyThereIsRefusedAtThatRowAndEarlierRowsStayChanged) {
    auto t = modules(
        {{1, "A", nullptr, 0}, {2, "A", nullptr, 0}, {2, "B", nullptr, 0}, {3, "A", nullptr, 0}});
    try {
        atiras::replaceValues(*t, "Modulkod", "A", "B", false);
        FAIL() << "no error";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), errc::KeyViolation);
    }
    EXPECT_EQ(t->state(), DataSetState::Browse); // the refused record is not left half-edited
    EXPECT_EQ(rows(*t), (std::vector<std::string>{"1/B/", "2/A/", "2/B/", "3/A/"}));
    // what the file holds, through a fresh session
    t->close();
    Session s;
    Table again(s, "again");
    again.setTableName((dir / "modul.db").string());
    again.open();
    EXPECT_EQ(rows(again), (std::vector<std::string>{"1/B/", "2/A/", "2/B/", "3/A/"}));
}

TEST_F(AtirasReplace, EngineErrorsAndAClosedTable) {
    auto t = modules({{1, "A", "x", 5}, {2, "A", "y", 5}});
    try {
        atiras::replaceValues(*t, "Nincs", "x", "y", true);
        FAIL() << "no error";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), errc::NoSuchField);
    }
    try {
        atiras::replaceValues(*t, "Darab", "5", "öt", false); // not a number
        FAIL() << "no error";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), errc::MaxValue);
    }
    EXPECT_EQ(t->fieldByName("Darab").asInteger(), 5);
    t->close();
    EXPECT_FALSE(atiras::replaceValues(*t, "Nev", "x", "y", false).has_value());
}

TEST(AtirasDrives, RootsStartFoldersAndFiles) {
    namespace fs = std::filesystem;
    const auto roots =
        atiras::driveRoots({"/", "/media/anna/USB", "/mnt/backup", "/run/media/anna/CD", "/proc",
                            "/home", "/media", "/mnt/backup/"},
                           "/home/anna");
#ifndef _WIN32
    EXPECT_EQ(roots, (std::vector<fs::path>{"/", "/media/anna/USB", "/mnt/backup",
                                            "/run/media/anna/CD", "/home/anna"}));
    EXPECT_EQ(atiras::driveOf(roots, "/media/anna/USB/x/y"), fs::path("/media/anna/USB"));
    EXPECT_EQ(atiras::driveOf(roots, "/home/anna/adatok"), fs::path("/home/anna"));
    EXPECT_EQ(atiras::driveOf(roots, "/usr/lib"), fs::path("/"));
#endif

    const fs::path drive = testsupport::freshDir("drive");
    EXPECT_EQ(atiras::driveStartFolder(drive), drive); // no installation on the drive
    fs::create_directories(drive / "program Files (x86)" / "DuveVarad" / "ADATOK");
    EXPECT_EQ(atiras::driveStartFolder(drive),
              drive / "program Files (x86)" / "DuveVarad" / "ADATOK");

    const fs::path data = drive / "program Files (x86)" / "DuveVarad" / "ADATOK";
    for (const char* f : {"b.DB", "A.db", "c.txt", "d.Db", "e.dbf"}) {
        std::ofstream(data / f) << "x";
    }
    fs::create_directories(data / "Mentes");
    fs::create_directories(data / ".rejtett");
    fs::create_directories(data / "x.db"); // a folder is no table
    EXPECT_EQ(atiras::tableFiles(data), (std::vector<std::string>{"A.db", "b.DB", "d.Db"}));
    EXPECT_EQ(atiras::subFolders(data), (std::vector<std::string>{"Mentes", "x.db"}));
    EXPECT_TRUE(atiras::tableFiles(drive / "nincs").empty());
    fs::remove_all(drive);
}

TEST(AtirasStartup, AliasesAndControlDirectoryOfTheInstallation) {
    namespace fs = std::filesystem;
    const fs::path home = testsupport::freshDir("home");
    struct Case {
        const char* name;
        const char* ini; // nullptr: no file
        int error;       // 0: none
    };
    const Case cases[] = {
        {"both aliases", "diploma=adatok\ndata=PATH=adatok\nkulso=kulso\n", 0},
        {"data missing", "diploma=adatok\n", errc::NoSuchAlias},
        {"no alias file", nullptr, errc::Io},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(home / "aliases.ini");
        if (c.ini) {
            std::ofstream(home / "aliases.ini") << c.ini;
        }
        Session s;
        try {
            atiras::prepareSession(s, home);
            EXPECT_EQ(c.error, 0);
            EXPECT_EQ(s.aliasPath("data"), home / "adatok");
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), c.error);
        }
        EXPECT_EQ(s.netDir(), home);
    }

    setenv("DIRURAR_HOME", home.c_str(), 1);
    EXPECT_EQ(atiras::installationFolder(), home);
    setenv("DIRURAR_HOME", "", 1);
    EXPECT_EQ(atiras::installationFolder(), fs::current_path());
    unsetenv("DIRURAR_HOME");
    fs::remove_all(home);
}
