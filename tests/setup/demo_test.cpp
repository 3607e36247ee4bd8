// The demo installation: it must be a folder the program can run on, with master data that
// holds together (every part a module names is priced, every set's module exists, the sizes
// of every type select parts), the delivered price list as a Paradox table and pictures that
// decode.
#include "setup/demo.h"
#include "store/catalogue/catalogue.h"
#include "store/engine/paradox.h"
#include "store/engine/table.h"
#include "store/format/format.h"
#include "store/tdm.h"

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <jpeglib.h>
#include <map>
#include <random>
#include <set>

using namespace store;
namespace fs = std::filesystem;

namespace {

fs::path freshDir(const std::string& tag) {
    static std::mt19937_64 rng{std::random_device{}()};
    return fs::temp_directory_path() / ("dirurar-" + tag + "-" + std::to_string(rng()));
}

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// All rows of a table, field by name.
struct Rows {
    std::vector<std::string> names;
    std::vector<Row> rows;
    size_t col(std::string_view f) const {
        for (size_t i = 0; i < names.size(); ++i) {
            if (equalsNoCase(names[i], f)) {
                return i;
            }
        }
        throw std::runtime_error("no field " + std::string(f));
    }
    const Value& at(size_t r, std::string_view f) const { return rows[r][col(f)]; }
    std::string text(size_t r, std::string_view f) const {
        const Value& v = at(r, f);
        return v.isText() ? v.textValue() : std::string();
    }
    int64_t integer(size_t r, std::string_view f) const {
        const Value& v = at(r, f);
        return v.isInt() ? v.intValue() : -1;
    }
};

Rows readTable(Session& s, const std::string& alias, const std::string& table) {
    Table t(s);
    t.setAlias(alias);
    t.setTableName(table);
    t.open();
    Rows out;
    out.names = t.fieldNames();
    for (t.first(); !t.eof(); t.next()) {
        Row r;
        for (int i = 0; i < t.fieldCount(); ++i) {
            r.push_back(t.field(i).value());
        }
        out.rows.push_back(std::move(r));
    }
    t.close();
    return out;
}

struct JpegInfo {
    bool ok = false;
    int width = 0, height = 0;
    std::string error;
};

struct JpegErr {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void jpegFail(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErr*>(info->err)->jump, 1);
}

// Decodes the whole picture with libjpeg.
JpegInfo decodeJpeg(const fs::path& p) {
    JpegInfo out;
    const std::string data = slurp(p);
    jpeg_decompress_struct info{};
    JpegErr err{};
    info.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegFail;
    if (setjmp(err.jump) != 0) {
        jpeg_destroy_decompress(&info);
        out.ok = false;
        out.error = "libjpeg refused " + p.string();
        return out;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.data()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    std::vector<unsigned char> row(static_cast<size_t>(info.output_width) * info.output_components);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&info, rows, 1);
    }
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    out.ok = err.mgr.num_warnings == 0;
    return out;
}

uint32_t le32(const std::string& b, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

bool in(int64_t v, int lo, int hi) {
    return v >= lo && v <= hi;
}

// The picture file names data entry asks for: type code, opening index, for type 3 "0" and the
// material index, for types 23-27, 48, 49, 60, 75-77 the material index, ".bmp".
std::vector<std::string> expectedPictures(int type) {
    std::vector<std::string> names;
    for (int opening : {0, 1}) {
        const std::string base = std::to_string(type) + std::to_string(opening);
        if (type == 3) {
            for (int m : {0, 1, 2}) {
                names.push_back(base + "0" + std::to_string(m) + ".bmp");
            }
        } else if (in(type, 23, 27) || type == 48 || type == 49 || type == 60 || in(type, 75, 77)) {
            for (int m = 0; m < (type == 23 ? 5 : 3); ++m) {
                names.push_back(base + std::to_string(m) + ".bmp");
            }
        } else {
            names.push_back(base + ".bmp");
        }
    }
    return names;
}

class DemoInstallation : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new fs::path(freshDir("setup"));
        setup::createInstallation(*dir_);
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        fs::remove_all(*dir_, ec);
        delete dir_;
        dir_ = nullptr;
    }
    void SetUp() override { session.loadAliases(dir() / "aliases.ini"); }
    static const fs::path& dir() { return *dir_; }

    Session session;
    static fs::path* dir_;
};

fs::path* DemoInstallation::dir_ = nullptr;

} // namespace

TEST_F(DemoInstallation, AliasesResolveToTheFoldersOfTheInstallation) {
    const std::pair<const char*, const char*> aliases[] = {
        {"diploma", "adatok"}, {"data", "adatok"}, {"kulso", "adatok"}, {"preis", "preis"}};
    for (const auto& [alias, folder] : aliases) {
        ASSERT_TRUE(session.hasAlias(alias)) << alias;
        EXPECT_EQ(fs::canonical(session.aliasPath(alias)), fs::canonical(dir() / folder)) << alias;
    }
    for (const char* sub :
         {"adatok", "preis", "import", "ment", "rendel", "text", "Rabat", "icon", "help"}) {
        EXPECT_TRUE(fs::is_directory(dir() / sub)) << sub;
    }
    // every table of the catalogue is there, in its folder (those an import makes come later)
    for (const auto& e : catalogue::tables()) {
        if (e.importTable) {
            continue;
        }
        const std::string sub = e.folder == "diploma" ? "adatok" : e.folder;
        EXPECT_TRUE(fs::exists(session.resolveTable("", (dir() / sub / e.file).string())))
            << sub << "/" << e.file;
    }
}

TEST_F(DemoInstallation, EveryHandleOfTheDataModuleOpens) {
    TDM dm(session);
    for (Table* t : dm.handles()) {
        SCOPED_TRACE(t->name());
        ASSERT_NO_THROW(t->open());
        EXPECT_TRUE(t->active());
        for (int i = 0; i < t->fieldCount(); ++i) {
            EXPECT_NO_THROW(t->field(i).value()) << t->field(i).name();
        }
    }
    EXPECT_EQ(dm.Tbltarol.recordCount(), 1);
    // the delivered price list is read as the Paradox table it is
    ASSERT_NE(dm.tblfar.store(), nullptr);
    EXPECT_TRUE(dm.tblfar.store()->isParadoxSource());
    EXPECT_GT(dm.tblfar.recordCount(), 400);
    // the set of the settings record is what the set handle shows
    EXPECT_GT(dm.Tblgarnitur.recordCount(), 5);
    for (Table* t : dm.handles()) {
        t->close();
    }
}

TEST_F(DemoInstallation, MasterDataHoldsTogether) {
    const Rows arlista = readTable(session, "diploma", "arlista.db");
    const Rows modul = readTable(session, "diploma", "modul.DB");
    const Rows garnitura = readTable(session, "diploma", "garnitura.DB");
    const Rows modulnev = readTable(session, "diploma", "modulnev.db");
    const Rows rabat = readTable(session, "diploma", "rabat.db");

    EXPECT_GE(arlista.rows.size(), 400u);
    std::set<std::string> parts;
    std::set<int64_t> groups;
    for (size_t r = 0; r < rabat.rows.size(); ++r) {
        groups.insert(rabat.integer(r, "PG"));
    }
    int carton = 0, withCustomerPrice = 0;
    for (size_t r = 0; r < arlista.rows.size(); ++r) {
        const std::string bsnr = arlista.text(r, "BSNR");
        EXPECT_TRUE(in(static_cast<int64_t>(bsnr.size()), 6, 8)) << bsnr;
        EXPECT_TRUE(std::all_of(bsnr.begin(), bsnr.end(), [](char c) {
            return c >= '0' && c <= '9';
        })) << bsnr;
        EXPECT_TRUE(parts.insert(bsnr).second) << bsnr;
        for (const char* f : {"ARTIKEL", "BEZEICHN", "BSNR2", "Nemet", "Szerb", "ROMAN"}) {
            EXPECT_FALSE(arlista.text(r, f).empty()) << bsnr << " " << f;
        }
        EXPECT_NE(arlista.text(r, "BSNR2"), bsnr);
        EXPECT_GT(arlista.at(r, "PREIS").floatValue(), 0) << bsnr;
        EXPECT_EQ(groups.count(arlista.integer(r, "Grupp")), 1u)
            << bsnr << " has no discount group";
        if (arlista.integer(r, "Kpe") > arlista.integer(r, "PE")) {
            ++carton;
            EXPECT_GT(arlista.at(r, "Epreis").floatValue(), 0) << bsnr;
        }
        withCustomerPrice += arlista.at(r, "Fpreis").floatValue() != 0;
    }
    EXPECT_GT(carton, 10);
    EXPECT_GT(withCustomerPrice, 0);

    // every part a module names is priced; "-" means no part
    std::map<std::string, int> rowsOfModule;
    int none = 0, eckband = 0, rail = 0, coloured = 0;
    for (size_t r = 0; r < modul.rows.size(); ++r) {
        const std::string code = modul.text(r, "Modulkod");
        ++rowsOfModule[code];
        for (const char* f : {"BSNR", "TSBSNR"}) {
            const std::string b = modul.text(r, f);
            if (b == "-") {
                none += f[0] == 'B';
                continue;
            }
            EXPECT_EQ(parts.count(b), 1u) << "module " << code << " " << f << " " << b;
        }
        eckband += modul.integer(r, "Nyitaskod") == 3;
        rail += modul.text(r, "TSBSNR") != modul.text(r, "BSNR");
        coloured += modul.integer(r, "Szinkod") > 0;
        EXPECT_TRUE(in(modul.integer(r, "Szinkod"), 0, 4));
        EXPECT_TRUE(in(modul.integer(r, "Nyitaskod"), 0, 3));
        EXPECT_GE(modul.integer(r, "Mennyiseg"), 1);
        const int64_t min = modul.integer(r, "Min"), max = modul.integer(r, "Max");
        EXPECT_TRUE(min == 0 || min <= max) << code;
    }
    EXPECT_GT(none, 0);
    EXPECT_GT(eckband, 0);
    EXPECT_GT(rail, 0);
    EXPECT_GT(coloured, 0);

    std::set<std::string> named;
    for (size_t r = 0; r < modulnev.rows.size(); ++r) {
        named.insert(modulnev.text(r, "Modulkod"));
        EXPECT_FALSE(modulnev.text(r, "Modulnev").empty());
        EXPECT_FALSE(modulnev.text(r, "ModulnevD").empty());
    }
    for (size_t r = 0; r < garnitura.rows.size(); ++r) {
        const std::string code = garnitura.text(r, "Modulkod");
        EXPECT_EQ(named.count(code), 1u) << "set " << garnitura.integer(r, "Garkod") << " " << code;
        EXPECT_GT(rowsOfModule[code], 0) << "set " << garnitura.integer(r, "Garkod") << " " << code;
        EXPECT_TRUE(in(garnitura.integer(r, "Meretkod"), 0, 15));
    }

    // the other tables that name parts
    const std::pair<const char*, const char*> partFields[] = {
        {"converter.DB", "REHAU"}, {"converter.DB", "ACTUAL"}, {"Profil.db", "Bsnr"},
        {"holz.DB", "alt"},        {"holz.DB", "neu"},         {"keszlet.DB", "Bsnr"},
        {"rendeles.db", "BSNR"}};
    for (const auto& [table, field] : partFields) {
        const Rows t = readTable(session, "diploma", table);
        EXPECT_FALSE(t.rows.empty()) << table;
        for (size_t r = 0; r < t.rows.size(); ++r) {
            EXPECT_EQ(parts.count(t.text(r, field)), 1u)
                << table << "." << field << " " << t.text(r, field);
        }
    }
    // a fixed price is given under the part number or under the carton code
    const Rows k005 = readTable(session, "diploma", "K005.db");
    std::set<std::string> cartons;
    for (size_t r = 0; r < arlista.rows.size(); ++r) {
        cartons.insert(arlista.text(r, "BSNR2"));
    }
    EXPECT_FALSE(k005.rows.empty());
    for (size_t r = 0; r < k005.rows.size(); ++r) {
        const std::string b = k005.text(r, "BSNR");
        EXPECT_TRUE(parts.count(b) + cartons.count(b) == 1) << b;
    }

    // one data sheet row per profile and conversion row; wood profiles are 62 to 65
    const Rows profiles = readTable(session, "diploma", "profilnev.DB");
    const Rows converter = readTable(session, "diploma", "converter.DB");
    const Rows sheets = readTable(session, "diploma", "Profil.db");
    std::set<int64_t> numbers;
    for (size_t r = 0; r < profiles.rows.size(); ++r) {
        numbers.insert(profiles.integer(r, "Sorsz"));
    }
    for (int64_t wood : {62, 63, 64, 65}) {
        EXPECT_EQ(numbers.count(wood), 1u) << wood;
    }
    EXPECT_EQ(numbers.count(1), 1u); // the reference profile
    EXPECT_EQ(sheets.rows.size(), profiles.rows.size() * converter.rows.size());
    std::set<std::pair<int64_t, int64_t>> sheetKeys;
    for (size_t r = 0; r < sheets.rows.size(); ++r) {
        EXPECT_EQ(numbers.count(sheets.integer(r, "Ind")), 1u);
        sheetKeys.insert({sheets.integer(r, "Ind"), sheets.integer(r, "Sorsz")});
    }
    EXPECT_EQ(sheetKeys.size(), sheets.rows.size());
}

TEST_F(DemoInstallation, SettingsRecordIsOneSensibleRow) {
    const Rows tarolo = readTable(session, "diploma", "tarolo.DB");
    ASSERT_EQ(tarolo.rows.size(), 1u);
    for (const auto& f : catalogue::findTable("tarolo.DB")->schema.fields) {
        if (f.required) {
            EXPECT_FALSE(tarolo.at(0, f.name).isNull()) << f.name;
        }
    }
    EXPECT_DOUBLE_EQ(tarolo.at(0, "Arfolyam").floatValue(), 400.0);
    EXPECT_EQ(tarolo.integer(0, "KR"), 1);
    EXPECT_EQ(tarolo.integer(0, "Konv"), 1);
    EXPECT_EQ(tarolo.at(0, "Dt"), Value(Date::today()));

    const int64_t kod = tarolo.integer(0, "Kod");
    const int64_t vezkod = tarolo.integer(0, "Vezkod");
    EXPECT_EQ(vezkod % 100, kod);
    const Rows tipus = readTable(session, "diploma", "tipus.DB");
    bool typeFound = false;
    for (size_t r = 0; r < tipus.rows.size(); ++r) {
        typeFound |= tipus.integer(r, "Tipuskod") == kod;
    }
    EXPECT_TRUE(typeFound) << kod;
    EXPECT_TRUE(kod == 1 || kod == 2 || kod == 4 || kod == 8 || kod == 9 || in(kod, 13, 22))
        << "a plain window type";
    const Rows garnitura = readTable(session, "diploma", "garnitura.DB");
    size_t setRows = 0;
    for (size_t r = 0; r < garnitura.rows.size(); ++r) {
        setRows += garnitura.integer(r, "Garkod") == vezkod;
    }
    EXPECT_GT(setRows, 0u);
    const Rows vevo = readTable(session, "diploma", "vevo.db");
    EXPECT_EQ(vevo.rows.size(), 10u);
    bool customer = false;
    for (size_t r = 0; r < vevo.rows.size(); ++r) {
        customer |= vevo.text(r, "Vevokod") == tarolo.text(0, "Vevo");
    }
    EXPECT_TRUE(customer);
}

TEST_F(DemoInstallation, TypesAndSetsCoverWhatDataEntryDistinguishes) {
    const Rows tipus = readTable(session, "diploma", "tipus.DB");
    const Rows garnitura = readTable(session, "diploma", "garnitura.DB");
    std::set<int64_t> types, sorsz;
    for (size_t r = 0; r < tipus.rows.size(); ++r) {
        const int64_t code = tipus.integer(r, "Tipuskod");
        types.insert(code);
        EXPECT_TRUE(sorsz.insert(tipus.integer(r, "Sorsz")).second);
        for (const char* f : {"Megnevezes", "Nemet", "Szerb", "Roman", "Angol"}) {
            EXPECT_FALSE(tipus.text(r, f).empty()) << code << " " << f;
        }
        EXPECT_TRUE(in(tipus.integer(r, "Rudzar"), 0, 3)) << code;
        EXPECT_LT(tipus.integer(r, "Szmin"), tipus.integer(r, "Szmax")) << code;
        EXPECT_LT(tipus.integer(r, "Mmin"), tipus.integer(r, "Mmax")) << code;
    }
    std::map<int64_t, std::set<int64_t>> hingesOf, materialsOf;
    std::set<int64_t> kinds, masks;
    for (size_t r = 0; r < garnitura.rows.size(); ++r) {
        const int64_t g = garnitura.integer(r, "Garkod");
        EXPECT_EQ(types.count(g % 100), 1u) << "set " << g << " of no type";
        hingesOf[g % 100].insert(g / 100 % 10);
        materialsOf[g % 100].insert(g / 1000);
        kinds.insert(garnitura.integer(r, "Meretkod"));
        masks.insert(garnitura.integer(r, "Getriebe"));
    }
    struct Case {
        const char* what;
        std::vector<std::pair<int, int>> ranges;
    };
    const Case cases[] = {
        {"plain windows", {{1, 2}, {4, 4}, {8, 9}, {13, 22}}},
        {"threshold types", {{3, 3}, {23, 27}, {48, 49}, {60, 69}, {75, 77}}},
        {"lock-side entry", {{70, 70}}},
        {"sliding", {{71, 73}}},
        {"Oxal", {{86, 92}}},
        {"93 to 95", {{93, 95}}},
    };
    for (const Case& c : cases) {
        for (const auto& [lo, hi] : c.ranges) {
            for (int t = lo; t <= hi; ++t) {
                EXPECT_EQ(types.count(t), 1u) << c.what << ": type " << t;
                EXPECT_EQ(hingesOf[t].count(1), 1u) << c.what << ": no Ka-Line set for " << t;
                EXPECT_EQ(materialsOf[t].count(0), 1u) << c.what << ": no plastic set for " << t;
            }
        }
    }
    EXPECT_EQ(materialsOf[23], (std::set<int64_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(hingesOf[1], (std::set<int64_t>{0, 1, 2}));
    EXPECT_EQ(materialsOf[1], (std::set<int64_t>{0, 1, 2}));
    for (int64_t k = 0; k <= 15; ++k) {
        EXPECT_EQ(kinds.count(k), 1u) << "size dependency kind " << k;
    }
    EXPECT_EQ(masks.count(1), 1u);
    for (int64_t bit : {2, 4, 8}) {
        EXPECT_TRUE(std::any_of(masks.begin(), masks.end(),
                                [bit](int64_t m) { return m != 1 && (m & bit) != 0; }))
            << "no option mask with bit " << bit;
    }
}

TEST_F(DemoInstallation, EveryWidthAndHeightOfATypeSelectsPartsOfItsModules) {
    const Rows tipus = readTable(session, "diploma", "tipus.DB");
    const Rows garnitura = readTable(session, "diploma", "garnitura.DB");
    const Rows modul = readTable(session, "diploma", "modul.DB");
    std::map<int64_t, std::array<int64_t, 4>> limits;
    for (size_t r = 0; r < tipus.rows.size(); ++r) {
        limits[tipus.integer(r, "Tipuskod")] = {tipus.integer(r, "Szmin"),
                                                tipus.integer(r, "Szmax"), tipus.integer(r, "Mmin"),
                                                tipus.integer(r, "Mmax")};
    }
    struct PartRow {
        int64_t min, max, szin, nyit;
    };
    std::map<std::string, std::vector<PartRow>> rowsOf;
    for (size_t r = 0; r < modul.rows.size(); ++r) {
        rowsOf[modul.text(r, "Modulkod")].push_back(
            {modul.integer(r, "Min"), modul.integer(r, "Max"), modul.integer(r, "Szinkod"),
             modul.integer(r, "Nyitaskod")});
    }
    // the sizes each module is asked for: the width or height range of the types using it
    std::set<std::tuple<std::string, int64_t, int64_t>> asked;
    for (size_t r = 0; r < garnitura.rows.size(); ++r) {
        const int64_t kind = garnitura.integer(r, "Meretkod");
        if (kind != 1 && kind != 2) {
            continue;
        }
        const auto& l = limits.at(garnitura.integer(r, "Garkod") % 100);
        asked.insert(
            {garnitura.text(r, "Modulkod"), kind == 1 ? l[0] : l[2], kind == 1 ? l[1] : l[3]});
    }
    ASSERT_FALSE(asked.empty());
    for (const auto& [code, lo, hi] : asked) {
        const auto& rows = rowsOf[code];
        for (int64_t size = lo; size <= hi; ++size) {
            for (int64_t colour = 1; colour <= 4; ++colour) {
                for (int64_t opening = 1; opening <= 2; ++opening) {
                    const bool found = std::any_of(rows.begin(), rows.end(), [&](const PartRow& p) {
                        return (p.min == 0 || (p.min <= size && size <= p.max)) &&
                               (p.szin == 0 || p.szin == colour) &&
                               (p.nyit == 0 || p.nyit == opening);
                    });
                    if (!found) {
                        ADD_FAILURE() << "module " << code << " selects nothing at size " << size
                                      << ", colour " << colour << ", opening " << opening;
                        return;
                    }
                }
            }
        }
    }
}

TEST_F(DemoInstallation, DeliveredPriceListIsAParadoxTableWithChanges) {
    const fs::path file = session.resolveTable("preis", "Arlista.db");
    ASSERT_TRUE(paradox::looksLikeParadox(file));
    const paradox::Table delivered = paradox::read(file);
    EXPECT_EQ(delivered.codepage, 1250);
    const auto& local = catalogue::findTable("arlista.db")->schema.fields;
    ASSERT_EQ(delivered.fields.size(), local.size());
    for (size_t i = 0; i < local.size(); ++i) {
        EXPECT_TRUE(equalsNoCase(delivered.fields[i].name, local[i].name));
    }
    const Rows arlista = readTable(session, "diploma", "arlista.db");
    std::map<std::string, size_t> byCode;
    for (size_t r = 0; r < arlista.rows.size(); ++r) {
        byCode[arlista.text(r, "BSNR")] = r;
    }
    int changed = 0, added = 0, starred = 0, sameName = 0;
    std::set<std::string> seen;
    for (const Row& row : delivered.rows) {
        std::string code = row[0].textValue();
        if (code.size() > 2 && code[0] == '*') {
            code.erase(0, 1);
            ++starred;
        }
        seen.insert(code);
        auto it = byCode.find(code);
        if (it == byCode.end()) {
            ++added;
            continue;
        }
        const double price = row[4].isFloat() ? row[4].floatValue() : 0;
        changed += price != arlista.at(it->second, "PREIS").floatValue();
        sameName += row[2] == arlista.at(it->second, "BEZEICHN") &&
                    row[6] == arlista.at(it->second, "Nemet") &&
                    row[9] == arlista.at(it->second, "Szerb") &&
                    row[11] == arlista.at(it->second, "ROMAN");
    }
    EXPECT_GT(changed, 0);
    EXPECT_GT(added, 0);
    EXPECT_GT(starred, 0);
    // the names (accents of all four languages) survive the code page
    EXPECT_EQ(sameName, static_cast<int>(delivered.rows.size()) - added);
    // parts the delivery no longer lists: none of them is used by a module, since reading the
    // delivery marks them as out of sale
    const Rows modul = readTable(session, "diploma", "modul.DB");
    std::set<std::string> used;
    for (size_t r = 0; r < modul.rows.size(); ++r) {
        used.insert(modul.text(r, "BSNR"));
        used.insert(modul.text(r, "TSBSNR"));
    }
    int missing = 0;
    for (const auto& [code, row] : byCode) {
        if (seen.count(code) == 0) {
            ++missing;
            EXPECT_EQ(used.count(code), 0u) << code;
        }
    }
    EXPECT_GT(missing, 0);

    // the delivered discount groups: every local group and some new ones
    const Rows groups = readTable(session, "preis", "rabat.db");
    const Rows localGroups = readTable(session, "diploma", "rabat.db");
    EXPECT_GT(groups.rows.size(), localGroups.rows.size());
    EXPECT_TRUE(fs::exists(dir() / "preis" / "friss.txt"));
}

TEST_F(DemoInstallation, PicturesDecode) {
    const JpegInfo splash = decodeJpeg(dir() / "icon" / "nyitokep.jpg");
    EXPECT_TRUE(splash.ok) << splash.error;
    EXPECT_EQ(splash.width, 460);
    EXPECT_EQ(splash.height, 290);
    for (const char* name : {"hatter.jpg", "hatterDS.jpg"}) {
        const JpegInfo bg = decodeJpeg(dir() / "icon" / name);
        EXPECT_TRUE(bg.ok) << name << " " << bg.error;
        EXPECT_GT(bg.width, 460) << name;
    }
    // the main window shows its background only at this size; the pristine copy is the same
    EXPECT_EQ(fs::file_size(dir() / "icon" / "hatter.jpg"), setup::kBackgroundBytes);
    EXPECT_EQ(slurp(dir() / "ment" / "hatter.db"), slurp(dir() / "icon" / "hatter.jpg"));

    const Rows tipus = readTable(session, "diploma", "tipus.DB");
    size_t pictures = 0;
    for (size_t r = 0; r < tipus.rows.size(); ++r) {
        for (const std::string& name :
             expectedPictures(static_cast<int>(tipus.integer(r, "Tipuskod")))) {
            const fs::path p = dir() / "icon" / name;
            ASSERT_TRUE(fs::exists(p)) << name;
            const std::string b = slurp(p);
            ASSERT_GT(b.size(), 54u) << name;
            EXPECT_EQ(b.substr(0, 2), "BM") << name;
            EXPECT_EQ(le32(b, 2), b.size()) << name;
            const uint32_t width = le32(b, 18), height = le32(b, 22);
            const uint32_t bits = le32(b, 28) & 0xFFFF;
            EXPECT_EQ(bits, 8u) << name;
            EXPECT_EQ(le32(b, 10) + (width + 3) / 4 * 4 * height, b.size()) << name;
            EXPECT_TRUE(width >= 60 && height >= 60) << name;
            ++pictures;
        }
    }
    EXPECT_GT(pictures, 100u);
}

TEST_F(DemoInstallation, TextFilesAreWindows1250WithCrLf) {
    const fs::path footer = dir() / "adatok" / "labj.txt";
    const std::string raw = slurp(footer);
    EXPECT_NE(raw.find("\r\n"), std::string::npos);
    EXPECT_EQ(raw.find("\xC3"), std::string::npos) << "UTF-8 in a Windows-1250 file";
    const auto lines = fmt::readCp1250Lines(footer);
    ASSERT_TRUE(lines.has_value());
    ASSERT_GE(lines->size(), 2u);
    EXPECT_NE((*lines)[0].find("Kft."), std::string::npos);
    EXPECT_NE(raw.find('\xE1'), std::string::npos); // á
    EXPECT_GT(fs::file_size(dir() / "help" / "dirurar.hlp"), 200u);
    const std::string ini = slurp(dir() / "aliases.ini");
    EXPECT_NE(ini.find("diploma=adatok"), std::string::npos);
}

TEST(DemoInstallationCreate, RefusesAFolderThatIsNotEmptyAndLeavesItAlone) {
    const fs::path dir = freshDir("setup-busy");
    fs::create_directories(dir / "sub");
    { std::ofstream(dir / "mine.txt") << "keep me"; }
    EXPECT_THROW(setup::createInstallation(dir), std::runtime_error);
    std::vector<std::string> entries;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        entries.push_back(fs::relative(e.path(), dir).string());
    }
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"mine.txt", "sub"}));
    EXPECT_EQ(slurp(dir / "mine.txt"), "keep me");
    // a file in place of the folder is refused too
    EXPECT_THROW(setup::createInstallation(dir / "mine.txt"), std::runtime_error);
    EXPECT_EQ(slurp(dir / "mine.txt"), "keep me");
    fs::remove_all(dir);
}

TEST_F(DemoInstallation, TheSameSeedGivesTheSameDataAnotherSeedOtherPrices) {
    const fs::path same = freshDir("setup-same"), other = freshDir("setup-other");
    setup::createInstallation(same);              // seed 1, as the suite's installation
    setup::createInstallation(other, {false, 2}); // another seed
    auto content = [](const fs::path& dir, const char* table) {
        Session s;
        s.loadAliases(dir / "aliases.ini");
        return readTable(s, "diploma", table).rows;
    };
    for (const char* table :
         {"arlista.db", "modul.DB", "garnitura.DB", "tipus.DB", "Profil.db", "keszlet.DB"}) {
        EXPECT_EQ(content(dir(), table), content(same, table)) << table;
    }
    EXPECT_NE(content(dir(), "arlista.db"), content(other, "arlista.db"));
    EXPECT_EQ(paradox::read(dir() / "preis" / "Arlista.db").rows,
              paradox::read(same / "preis" / "Arlista.db").rows);
    EXPECT_EQ(slurp(dir() / "icon" / "hatter.jpg"), slurp(same / "icon" / "hatter.jpg"));
    fs::remove_all(same);
    fs::remove_all(other);
}
