#include "store/catalogue/catalogue.h"

#include "store/engine/table.h"

namespace store::catalogue {

namespace fs = std::filesystem;

namespace {

using FT = FieldType;

FieldDef text(const char* name, int size, bool req = false, Value def = {}) {
    return FieldDef(name, FT::Text, size, req, std::move(def));
}
FieldDef i32(const char* name, bool req = false, Value def = {}) {
    return FieldDef(name, FT::Int32, 0, req, std::move(def));
}
FieldDef i16(const char* name, bool req = false, Value def = {}) {
    return FieldDef(name, FT::Int16, 0, req, std::move(def));
}
FieldDef flt(const char* name, bool req = false, Value def = {}) {
    return FieldDef(name, FT::Float, 0, req, std::move(def));
}
FieldDef boolean(const char* name, bool req = false, Value def = {}) {
    return FieldDef(name, FT::Bool, 0, req, std::move(def));
}
FieldDef date(const char* name) {
    return FieldDef(name, FT::Date);
}
FieldDef autoinc(const char* name, bool req = false) {
    return FieldDef(name, FT::AutoInc, 0, req);
}

IndexDef primary(const char* name, std::vector<std::string> fields) {
    IndexDef ix;
    ix.name = name;
    ix.fields = std::move(fields);
    ix.primary = true;
    return ix;
}
IndexDef secondary(const char* name, std::vector<std::string> fields,
                   bool caseInsensitive = false) {
    IndexDef ix;
    ix.name = name;
    ix.fields = std::move(fields);
    ix.caseInsensitive = caseInsensitive;
    return ix;
}

TableEntry table(const char* file, const char* folder, std::vector<FieldDef> fields,
                 std::vector<IndexDef> indexes = {}) {
    TableEntry e;
    e.file = file;
    e.folder = folder;
    e.schema.tableName = fs::path(file).stem().string();
    e.schema.fields = std::move(fields);
    e.schema.indexes = std::move(indexes);
    return e;
}

// ---- layouts shared by several tables ----

std::vector<FieldDef> priceListFields() {
    return {text("BSNR", 15, true),
            text("ARTIKEL", 20, true, "Artikel"),
            text("BEZEICHN", 50, true, "Magyar"),
            i32("PE", true, 1),
            flt("PREIS", true, 0.0),
            text("BSNR2", 15, true),
            text("Nemet", 50, true, "D"),
            flt("Kpreis", true, 0.0),
            i32("Kpe", true, 1),
            text("Szerb", 50, true, "S"),
            i32("Grupp", true, 0),
            text("ROMAN", 50, true, "R"),
            flt("Epreis", true, 0.0),
            flt("Fpreis", true, 0.0)};
}

std::vector<IndexDef> priceListIndexes(const char* primaryName) {
    return {primary(primaryName, {"BSNR"}), secondary("BSNR2", {"BSNR2"}),
            secondary("ARTIKEL", {"ARTIKEL"}), secondary("BSNR3", {"BSNR2"}),
            // the part search orders by the name of the chosen language
            secondary("BEZEICHN", {"BEZEICHN"}, true), secondary("Nemet", {"Nemet"}, true),
            secondary("Szerb", {"Szerb"}, true), secondary("ROMAN", {"ROMAN"}, true)};
}

std::vector<FieldDef> importFields() {
    return {text("Bsnr", 15, true),    text("bsnr2", 15, true),
            text("artikel", 25, true), text("Megnevezes", 50, true),
            i16("rabatt", true),       i16("pe", true),
            i16("kpe", true),          flt("preis", true),
            flt("kpreis", true),       text("Nemet", 50, true),
            text("Szerb", 50, true)};
}

std::vector<FieldDef> discountFields() {
    return {i32("PG"), flt("Rab", true, 0.0), text("Neve", 20), text("alias", 3)};
}

std::vector<FieldDef> summaryFields(bool withStock) {
    std::vector<FieldDef> f = {text("BSNR", 15), i32("Darab", false, 0)};
    if (withStock) {
        f.push_back(i32("Keszet"));
    }
    return f;
}

std::vector<FieldDef> logFields() {
    return {text("Tpus", 30), i32("Szel"),        i32("Mag"),         i32("ERab"),
            i32("Darab"),     text("Anyag", 10),  text("Pant", 10),   text("Eckband", 10),
            text("Szin", 15), text("Nyitas", 10), text("Profil", 25), text("Ts", 5),
            text("Rzar", 12)};
}

std::vector<TableEntry> buildTables() {
    std::vector<TableEntry> t;
    // ---- fittings master data ----
    t.push_back(
        table("tipus.DB", "diploma",
              {i32("Sorsz"), i32("Tipuskod"), text("Megnevezes", 30), i32("Szmin"), i32("Szmax"),
               i32("Mmin"), i32("Mmax"), text("Nemet", 30), text("Szerb", 30),
               i32("Rudzar", true, 2), text("Roman", 30), text("Angol", 30)},
              {primary("Primary", {"Sorsz", "Tipuskod"}), secondary("Tipuskod", {"Tipuskod"})}));
    t.push_back(table("garnitura.DB", "diploma",
                      {i32("Garkod", true), text("Modulkod", 7, true), i32("Meretkod", true, 0),
                       i32("Darab", true, 1), i32("Getriebe", true, 1)},
                      {primary("Primary", {"Garkod", "Modulkod"})}));
    t.push_back(
        table("modul.DB", "diploma",
              {text("Modulkod", 7, true, "--"), text("BSNR", 15), i32("Min", true),
               i32("Max", true), i32("Szinkod"), i32("Nyitaskod", true), i32("Mennyiseg", true, 1),
               text("TSBSNR", 15, true)},
              {primary("Primary", {"Modulkod", "BSNR", "Min", "Max", "Szinkod", "Nyitaskod"}),
               secondary("BSNR", {"BSNR"}), secondary("TBSNR", {"TSBSNR"})}));
    t.push_back(
        table("modulnev.db", "diploma",
              {text("Modulkod", 7, true), text("Modulnev", 30, true), text("ModulnevD", 30, true)},
              {primary("Primary", {"Modulkod"}), secondary("Modulnev", {"Modulnev"}, true)}));
    t.push_back(table("szinnev.DB", "diploma",
                      {i32("Szinkod", true), text("Szinnev", 15), text("SzinnevD", 15)},
                      {primary("Primary", {"Szinkod"})}));
    t.push_back(table("nyitasirany.DB", "diploma", {i32("Nyitaskod"), text("Megnevezes", 20)},
                      {primary("Primary", {"Nyitaskod"})}));
    t.push_back(table("holz.DB", "diploma", {text("alt", 15), text("neu", 15)}));

    // ---- prices ----
    t.push_back(table("arlista.db", "diploma", priceListFields(), priceListIndexes("Primary")));
    t.push_back(table("rabat.db", "diploma", discountFields(),
                      {primary("PGindex", {"PG"}), secondary("alias", {"alias"})}));
    t.push_back(table("K005.db", "diploma", {text("BSNR", 24), flt("K005", true, 0.0)}));
    t.push_back(table("Import.DB", "diploma", importFields(), {primary("Primary", {"Bsnr"})}));
    t.push_back(
        table("csoport.db", "diploma", {i32("PG"), i32("WG")}, {primary("Primary", {"PG"})}));
    t.push_back(table("rabatexc.db", "diploma", discountFields(), {primary("PGindex", {"PG"})}));
    t.push_back(table("control.db", "diploma", {text("BSNR2", 15), text("BSNR", 15)},
                      {secondary("BSNR2", {"BSNR2"})}));

    // ---- working tables of the calculation ----
    t.push_back(table("tarolo.DB", "diploma",
                      {i32("Kod"),
                       text("Nev", 7),
                       i32("Vezkod", false, 1),
                       i32("Meret", false, 1),
                       text("Modulkod", 7),
                       i32("Szinkod", false, 1),
                       i32("Nyitaskod", false, 1),
                       flt("ZOL", true, 0.0),
                       flt("VEND", true, 0.0),
                       flt("LM", true, 0.0),
                       i32("Nyelv", true, 1),
                       boolean("KR", false, true),
                       boolean("Konv", false, true),
                       date("Dt"),
                       flt("Grupp1", true),
                       flt("Grupp2", true, 0.0),
                       flt("Grupp3", true, 0.0),
                       flt("Grupp4", true, 0.0),
                       i32("Profil"),
                       flt("Arfolyam", true, 260.0),
                       text("Vevo", 8),
                       flt("HS", true, 0.0),
                       flt("Grupp5", true),
                       flt("QZR1", true),
                       flt("QZR3", true),
                       flt("QZR4", true),
                       flt("QZR2", true),
                       flt("QZR5", true),
                       flt("Pant", true),
                       flt("IP", true)}));
    t.push_back(table("reszosszesit.db", "diploma", summaryFields(false),
                      {primary("bsnrindex", {"BSNR"})}));
    t.push_back(
        table("osszesit.db", "diploma", summaryFields(true), {primary("bsnrindex", {"BSNR"})}));
    t.push_back(table("naplo.db", "diploma", logFields()));

    // ---- customers and orders ----
    std::vector<FieldDef> customer = {
        text("Vevokod", 8, true), text("Vevonev", 40, true), text("Isz", 8), text("Varos", 15),
        text("Utca", 30),         text("Tel", 15),           text("Fax", 15)};
    for (const char* f : {"ZOL", "VENDRA", "LM", "PSK", "HS", "Kilincs", "QZR1", "QZR2", "QZR3",
                          "QZR4", "Oxal", "QZR5", "Pant", "IP"}) {
        customer.push_back(flt(f, false, 1.0));
    }
    t.push_back(table("vevo.db", "diploma", customer,
                      {primary("Primary", {"Vevokod"}), secondary("Vevonev", {"Vevonev"}, true)}));
    t.push_back(table("rendeles.db", "diploma", {i32("Rszam"), text("BSNR", 15), i32("Darab")},
                      {primary("Primary", {"Rszam", "BSNR"})}));
    t.push_back(table("Rkapcs.db", "diploma",
                      {text("Vevokod", 8), autoinc("Rszam"), date("Datum"), boolean("Prof")},
                      {primary("Primary", {"Rszam"}), secondary("Vevokod", {"Vevokod"})}));

    // ---- stock ----
    t.push_back(table("keszlet.DB", "diploma", {text("Bsnr", 15), i32("Darab")},
                      {primary("Primary", {"Bsnr"})}));
    t.push_back(table("manual.db", "diploma", {text("BSNR", 15, true), i32("Db", true, 1)}));

    // ---- profiles ----
    t.push_back(
        table("converter.DB", "diploma",
              {i32("Sorsz", true), text("REHAU", 15, true), text("ACTUAL", 15),
               text("Megnevezes", 50, true), text("Nemet", 50, true), text("Szerb", 50, true)},
              {primary("Primary", {"Sorsz"}), secondary("rehau", {"REHAU"})}));
    t.push_back(table("Profil.db", "diploma", {i32("Ind"), i32("Sorsz"), text("Bsnr", 15)},
                      {primary("Primary", {"Ind", "Sorsz"}), secondary("BSNR1", {"Bsnr"})}));
    t.push_back(table("profilnev.DB", "diploma", {autoinc("Sorsz", true), text("Nev", 25)},
                      {primary("Primary", {"Sorsz"}), secondary("Nev", {"Nev"}, true)}));

    // ---- other ----
    t.push_back(table("filenev.db", "diploma", {text("filenev", 40)}));

    // ---- the delivered price list and the foreign-part work table ----
    t.push_back(table("Arlista.db", "preis", priceListFields(), priceListIndexes("BSNRindex")));
    t.push_back(table("import.DB", "preis", importFields()));

    // ---- templates copied into the data folder when missing ----
    t.push_back(table("import.db", "import", importFields(), {primary("Primary", {"Bsnr"})}));
    t.push_back(table("fix.db", "import", {text("bsnr", 15), flt("Fpreis", false, 0.0)},
                      {primary("bsnrindex", {"bsnr"})}));

    // ---- tables an import makes from a workbook, with the layout the program reads ----
    auto imported = [&](TableEntry e) {
        e.importTable = true;
        e.schema.indexes.clear();
        t.push_back(std::move(e));
    };
    for (const auto& [live, copy] : std::vector<std::pair<const char*, const char*>>{
             {"modul.DB", "modul1.DB"},
             {"modulnev.db", "modulnev1.DB"},
             {"garnitura.DB", "garnitur1.DB"},
             {"tipus.DB", "tipus1.DB"},
             {"Profil.db", "Profil1.db"},
             {"csoport.db", "csoport1.db"},
             {"rabat.db", "rabat1.db"}}) {
        for (const auto& e : t) {
            if (e.file == live) {
                TableEntry c = e;
                c.file = copy;
                c.schema.tableName = fs::path(copy).stem().string();
                imported(std::move(c));
                break;
            }
        }
    }
    imported(table("vevo1.db", "diploma",
                   {text("vevokod", 8), text("vevonev", 40), text("varos", 15), text("isz", 8),
                    text("utca", 30)}));
    imported(table("ar.db", "preis", {text("BSNR", 15), flt("ar"), i32("grupp")}));
    imported(table("suly.db", "preis", {text("BSNR", 15), flt("suly")}));

    // ---- pristine copies of the working tables (no index: the repair adds it) ----
    t.push_back(table("osszesit.db", "ment", summaryFields(true)));
    t.push_back(table("reszosszesit.db", "ment", summaryFields(false)));
    t.push_back(table("naplo.db", "ment", logFields()));
    return t;
}

// ---- handles ----

FieldDecl decl(const char* name) {
    FieldDecl d;
    d.name = name;
    return d;
}
FieldDecl fmt(const char* name, const char* format) {
    FieldDecl d;
    d.name = name;
    d.displayFormat = format;
    return d;
}
FieldDecl upper(const char* name, int size) {
    FieldDecl d;
    d.name = name;
    d.editMask = "upper:" + std::to_string(size);
    return d;
}

// A lookup into a table of the data folder.
LookupDef look(const char* name, FT type, int size, const char* key, const char* table,
               const char* tableKey, const char* result) {
    LookupDef l;
    l.name = name;
    l.type = type;
    l.size = size;
    l.keyFields = {key};
    l.steps.push_back(LookupStep{"diploma", table, {tableKey}, result});
    return l;
}
LookupDef lookText(const char* name, int size, const char* key, const char* table,
                   const char* tableKey, const char* result) {
    return look(name, FT::Text, size, key, table, tableKey, result);
}
// the group label of a part: price list by part number, then the discount group's alias
LookupDef groupLabel(const char* name, const char* key) {
    LookupDef l = lookText(name, 2, key, "arlista.db", "BSNR", "Grupp");
    l.steps.push_back(LookupStep{"diploma", "rabat.db", {"PG"}, "alias"});
    return l;
}

CalcDef calc(const char* name) {
    return CalcDef{name, FT::Float, 0};
}

HandleDef handle(const char* name, const char* source, const char* alias, const char* table,
                 bool exclusive) {
    HandleDef h;
    h.name = name;
    h.dataSource = source;
    h.alias = alias;
    h.table = table;
    h.exclusive = exclusive;
    return h;
}

std::vector<HandleDef> buildHandles() {
    std::vector<HandleDef> hs;

    auto tipus = handle("tbltipus", "Dsrtipus", "diploma", "tipus.DB", true);
    tipus.filtered = true;
    hs.push_back(tipus);

    auto garn = handle("Tblgarnitur", "Dsrgarnitur", "diploma", "garnitura.DB", true);
    garn.indexFieldNames = "Garkod";
    garn.masterSource = "Dsrtarol";
    garn.masterFields = "Vezkod";
    garn.lookups = {lookText("nev", 35, "Modulkod", "modulnev.db", "Modulkod", "Modulnev"),
                    lookText("Gnev", 30, "Garkod", "tipus.DB", "Tipuskod", "Megnevezes")};
    hs.push_back(garn);

    auto modul = handle("Tblmodul", "Dsrmodul", "diploma", "modul.DB", true);
    modul.masterSource = "Dsrgarnitur";
    modul.masterFields = "Modulkod";
    modul.lookups = {
        lookText("Nyitas", 20, "Nyitaskod", "nyitasirany.DB", "Nyitaskod", "Megnevezes"),
        lookText("Szin", 20, "Szinkod", "szinnev.DB", "Szinkod", "Szinnev"),
        lookText("modulnev", 40, "Modulkod", "modulnev.db", "Modulkod", "Modulnev"),
        lookText("Megnevezes", 20, "BSNR", "arlista.db", "BSNR", "BEZEICHN")};
    hs.push_back(modul);

    auto karb = handle("Tblmodulkarb", "Dsrmodulkarb", "diploma", "modul.DB", true);
    karb.indexFieldNames = "Modulkod";
    karb.masterSource = "Dsrtarol";
    karb.masterFields = "Modulkod";
    {
        FieldDecl bsnr = decl("BSNR");
        bsnr.required = true;
        FieldDecl szin = decl("Szinkod");
        szin.required = true;
        szin.defaultValue = Value(0);
        FieldDecl nyit = decl("Nyitaskod");
        nyit.required = true;
        nyit.defaultValue = Value(0);
        karb.fields = {decl("Modulkod"),  bsnr,          decl("Min"), decl("Max"), szin, nyit,
                       decl("Mennyiseg"), decl("TSBSNR")};
    }
    karb.lookups = {
        lookText("Megnevezes", 50, "BSNR", "arlista.db", "BSNR", "BEZEICHN"),
        lookText("szin", 20, "Szinkod", "szinnev.DB", "Szinkod", "Szinnev"),
        lookText("nyitas", 20, "Nyitaskod", "nyitasirany.DB", "Nyitaskod", "Megnevezes"),
        lookText("nemet", 50, "BSNR", "arlista.db", "BSNR", "Nemet"),
        lookText("szerb", 50, "BSNR", "arlista.db", "BSNR", "Szerb"),
        lookText("Mnev", 20, "Modulkod", "modulnev.db", "Modulkod", "Modulnev"),
        lookText("Artikel", 20, "BSNR", "arlista.db", "BSNR", "ARTIKEL"),
        lookText("Roman", 50, "BSNR", "arlista.db", "BSNR", "ROMAN")};
    hs.push_back(karb);

    hs.push_back(handle("modul", "", "diploma", "modul.DB", false));

    auto mnev = handle("Tblmodulnev", "Dsrmodulnev", "diploma", "modulnev.db", true);
    mnev.indexFieldNames = "Modulnev";
    hs.push_back(mnev);

    hs.push_back(handle("Tblszin", "Dsrszin", "diploma", "szinnev.DB", false));
    hs.push_back(handle("Tblnyitas", "Dsrnyitas", "diploma", "nyitasirany.DB", false));
    hs.push_back(handle("tblholz", "", "diploma", "holz.DB", false));

    auto arl = handle("Tblarlista", "Dsrarlista", "diploma", "arlista.db", false);
    arl.fields = {decl("BSNR"),
                  decl("ARTIKEL"),
                  decl("BEZEICHN"),
                  decl("PE"),
                  fmt("PREIS", "### ###0.##"),
                  decl("BSNR2"),
                  decl("Nemet"),
                  fmt("Kpreis", "###0.###"),
                  decl("Kpe"),
                  decl("Szerb"),
                  decl("Grupp"),
                  decl("ROMAN"),
                  fmt("Epreis", "### ###0.##"),
                  decl("Fpreis")};
    arl.lookups = {look("wg", FT::Float, 0, "Grupp", "rabat.db", "PG", "Rab"),
                   lookText("kof", 3, "Grupp", "rabat.db", "PG", "alias"),
                   lookText("nev", 25, "Grupp", "rabat.db", "PG", "Neve")};
    arl.calcs = {calc("ar")};
    hs.push_back(arl);

    auto fix = handle("Tblfix", "dsrfix", "diploma", "arlista.db", true);
    {
        FieldDecl bsnr = decl("BSNR");
        bsnr.required = true;
        FieldDecl bsnr2 = decl("BSNR2");
        bsnr2.required = true;
        fix.fields = {bsnr,
                      decl("BEZEICHN"),
                      decl("Fpreis"),
                      bsnr2,
                      decl("ARTIKEL"),
                      decl("Nemet"),
                      decl("PREIS"),
                      decl("Kpreis"),
                      decl("PE"),
                      decl("Kpe"),
                      decl("Szerb"),
                      decl("Grupp"),
                      decl("ROMAN"),
                      fmt("Epreis", "### ###0,##")};
    }
    fix.filtered = true;
    hs.push_back(fix);

    auto beolv = handle("Tblarlistabeolv", "", "diploma", "arlista.db", true);
    beolv.indexFieldNames = "BSNR";
    hs.push_back(beolv);

    hs.push_back(handle("tblrabat", "", "diploma", "rabat.db", true));
    auto qrabat = handle("Tblqrabat", "", "diploma", "rabat.db", false);
    qrabat.filtered = true;
    hs.push_back(qrabat);

    auto k005 = handle("TblK005", "DSRK005", "diploma", "K005.db", true);
    k005.fields = {decl("BSNR"), fmt("K005", "### ###0.##")};
    k005.lookups = {lookText("Megnevezes", 24, "BSNR", "arlista.db", "BSNR", "BEZEICHN")};
    hs.push_back(k005);

    auto imp = handle("Tblimport", "Dsrimport", "diploma", "Import.DB", true);
    imp.fields = {upper("Bsnr", 15),  upper("bsnr2", 15),   upper("artikel", 20),
                  decl("Megnevezes"), decl("rabatt"),       decl("pe"),
                  decl("kpe"),        fmt("preis", "#.00"), fmt("kpreis", "#.00"),
                  decl("Nemet"),      decl("Szerb")};
    hs.push_back(imp);

    hs.push_back(handle("tblfar", "", "preis", "Arlista.db", true));
    hs.push_back(handle("tblfimport", "", "preis", "import.DB", false));

    hs.push_back(handle("Tbltarol", "Dsrtarol", "diploma", "tarolo.DB", false));

    auto summaryLookups = [](bool order) {
        std::vector<LookupDef> l;
        l.push_back(lookText("BSNR2", 15, "BSNR", "arlista.db", "BSNR", "BSNR2"));
        l.push_back(lookText(order ? "Rendelesszam" : "rendelesszam", 20, "BSNR", "arlista.db",
                             "BSNR", "ARTIKEL"));
        l.push_back(
            lookText("Megnevezes", order ? 45 : 50, "BSNR", "arlista.db", "BSNR", "BEZEICHN"));
        l.push_back(look("pe", FT::Int32, 0, "BSNR", "arlista.db", "BSNR", "PE"));
        l.push_back(lookText("nemet", order ? 45 : 35, "BSNR", "arlista.db", "BSNR", "Nemet"));
        l.push_back(lookText("szerb", order ? 45 : 35, "BSNR", "arlista.db", "BSNR", "Szerb"));
        l.push_back(look(order ? "kpe" : "Kpe", FT::Int32, 0, "BSNR", "arlista.db", "BSNR", "Kpe"));
        l.push_back(lookText("roman", order ? 50 : 35, "BSNR", "arlista.db", "BSNR", "ROMAN"));
        l.push_back(groupLabel("WG", "BSNR"));
        return l;
    };
    auto resz = handle("Tblreszossz", "Dsrreszossz", "diploma", "reszosszesit.db", true);
    resz.fields = {upper("BSNR", 15), decl("Darab")};
    resz.lookups = summaryLookups(false);
    resz.calcs = {calc("ar"), calc("ar2"), calc("ear"), calc("ear2"), calc("gew")};
    hs.push_back(resz);

    auto kig = handle("tblkigyujt", "dsrkigyujt", "diploma", "osszesit.db", true);
    kig.lookups = summaryLookups(true);
    kig.calcs = {calc("ar"), calc("ar2"), calc("ear"), calc("ear2"), calc("gew")};
    hs.push_back(kig);

    auto k2 = handle("Tblkeszlet2", "Dsrkeszlet2", "data", "osszesit.db", false);
    {
        // The grid shows seven characters of the part number; the field keeps the table's
        // capacity so that longer part numbers are still found in the price list and stock.
        FieldDecl bsnr = decl("BSNR");
        bsnr.displayWidth = 7;
        k2.fields = {bsnr, decl("Darab"), decl("Keszet")};
    }
    k2.lookups = {lookText("Artikel", 50, "BSNR", "arlista.db", "BSNR", "ARTIKEL"),
                  lookText("Megnevezes", 50, "BSNR", "arlista.db", "BSNR", "BEZEICHN"),
                  look("keszlet", FT::Int32, 0, "BSNR", "keszlet.DB", "Bsnr", "Darab"),
                  look("pe", FT::Int32, 0, "BSNR", "arlista.db", "BSNR", "PE")};
    k2.filtered = true;
    hs.push_back(k2);

    hs.push_back(handle("tblnaplo", "dsrnaplo", "diploma", "naplo.db", true));

    hs.push_back(handle("Tblvevo", "DsrVevo", "diploma", "vevo.db", false));

    auto rendel = handle("Tblrendel", "Dsrrendel", "diploma", "rendeles.db", true);
    rendel.indexFieldNames = "Rszam";
    rendel.lookups = {lookText("nev", 50, "BSNR", "arlista.db", "BSNR", "BEZEICHN"),
                      lookText("artikel", 20, "BSNR", "arlista.db", "BSNR", "ARTIKEL"),
                      look("PE", FT::Int32, 0, "BSNR", "arlista.db", "BSNR", "PE"),
                      look("ar", FT::Float, 0, "BSNR", "arlista.db", "BSNR", "PREIS"),
                      look("grupp", FT::Int32, 0, "BSNR", "arlista.db", "BSNR", "Grupp"),
                      look("kar", FT::Float, 0, "BSNR", "arlista.db", "BSNR", "Kpreis")};
    rendel.filtered = true;
    hs.push_back(rendel);

    auto rk = handle("tblrkapcs", "DsrRkapcs", "diploma", "Rkapcs.db", false);
    rk.indexFieldNames = "Vevokod";
    rk.masterSource = "DsrVevo";
    rk.masterFields = "Vevokod";
    rk.lookups = {lookText("Név", 40, "Vevokod", "vevo.db", "Vevokod", "Vevonev")};
    hs.push_back(rk);

    auto mk = handle("Tblmkapcs", "Dsrmkapcs", "diploma", "Rkapcs.db", false);
    mk.indexFieldNames = "Vevokod";
    mk.lookups = {lookText("nev", 40, "Vevokod", "vevo.db", "Vevokod", "Vevonev")};
    hs.push_back(mk);

    auto stock = handle("Tblkeszlet", "Dsrkeszlet", "diploma", "keszlet.DB", true);
    stock.indexFieldNames = "Bsnr";
    stock.lookups = {lookText("artikel", 50, "Bsnr", "arlista.db", "BSNR", "ARTIKEL"),
                     lookText("megnevezes", 50, "Bsnr", "arlista.db", "BSNR", "BEZEICHN"),
                     look("cse", FT::Int32, 0, "Bsnr", "arlista.db", "BSNR", "PE"),
                     look("pe", FT::Int32, 0, "Bsnr", "arlista.db", "BSNR", "PE"),
                     look("Kpe", FT::Int32, 0, "Bsnr", "arlista.db", "BSNR", "Kpe")};
    stock.calcs = {calc("Ar"), calc("ar2"), calc("ear"), calc("ear2")};
    stock.filtered = true;
    hs.push_back(stock);

    auto manual = handle("Tblmanual", "Dsrmanual", "diploma", "manual.db", true);
    manual.fields = {upper("BSNR", 15), decl("Db")};
    manual.lookups = {lookText("Megnevezés", 40, "BSNR", "arlista.db", "BSNR", "BEZEICHN"),
                      look("pe", FT::Int32, 0, "BSNR", "arlista.db", "BSNR", "PE"),
                      look("Kpe", FT::Int32, 0, "BSNR", "arlista.db", "BSNR", "Kpe"),
                      lookText("BSNR2", 15, "BSNR", "arlista.db", "BSNR", "BSNR2"),
                      look("PG", FT::Int32, 0, "BSNR", "arlista.db", "BSNR", "Grupp"),
                      [] {
                          // the group discount of the part: its group, then the group's Rab
                          LookupDef l =
                              look("wg", FT::Float, 0, "BSNR", "arlista.db", "BSNR", "Grupp");
                          l.steps.push_back(LookupStep{"diploma", "rabat.db", {"PG"}, "Rab"});
                          return l;
                      }()};
    hs.push_back(manual);

    auto prof = handle("Tblprofil", "Dsrprofil", "diploma", "converter.DB", false);
    prof.lookups = {lookText("artikel", 20, "REHAU", "arlista.db", "BSNR", "ARTIKEL")};
    hs.push_back(prof);

    auto conv = handle("tblconv", "dsrconv", "diploma", "converter.DB", false);
    conv.indexName = "rehau";
    {
        FieldDecl actual = decl("ACTUAL");
        actual.required = true;
        conv.fields = {decl("Sorsz"),      decl("REHAU"), actual,
                       decl("Megnevezes"), decl("Nemet"), decl("Szerb")};
    }
    hs.push_back(conv);

    auto pdat = handle("tblprofildat", "Dsrprofildat", "diploma", "Profil.db", false);
    pdat.indexFieldNames = "Ind";
    pdat.masterSource = "Dsrtarol";
    pdat.masterFields = "Profil";
    pdat.fields = {decl("Ind"), decl("Sorsz"), upper("Bsnr", 15)};
    pdat.lookups = {lookText("neve", 50, "Sorsz", "converter.DB", "Sorsz", "Megnevezes"),
                    lookText("megn", 50, "Bsnr", "arlista.db", "BSNR", "Nemet"),
                    lookText("artikel", 50, "Sorsz", "converter.DB", "Sorsz", "REHAU"),
                    lookText("Artikel2", 25, "Bsnr", "arlista.db", "BSNR", "ARTIKEL")};
    // converter.artikel is itself the price list's order number of the REHAU part
    pdat.lookups[2].steps.push_back(LookupStep{"diploma", "arlista.db", {"BSNR"}, "ARTIKEL"});
    hs.push_back(pdat);

    hs.push_back(handle("profil", "", "diploma", "Profil.db", true));

    auto pnev = handle("Tblprofineve", "DSRprofilnev", "diploma", "profilnev.DB", false);
    pnev.indexFieldNames = "Nev";
    pnev.filtered = true;
    hs.push_back(pnev);

    hs.push_back(handle("tblfilenev", "", "diploma", "filenev.db", false));
    return hs;
}

} // namespace

const std::vector<TableEntry>& tables() {
    static const std::vector<TableEntry> t = buildTables();
    return t;
}

const TableEntry* findTable(std::string_view name, std::string_view folder) {
    for (const auto& e : tables()) {
        if (!equalsNoCase(e.folder, folder)) {
            continue;
        }
        if (equalsNoCase(e.file, name) || equalsNoCase(e.schema.tableName, name)) {
            return &e;
        }
    }
    return nullptr;
}

const std::vector<Reference>& references() {
    // A customer with saved orders, an order header with order lines, and a module name still
    // used by a set or a module part cannot be deleted.
    static const std::vector<Reference> r = {
        {"vevo", {"Vevokod"}, "Rkapcs", {"Vevokod"}},
        {"Rkapcs", {"Rszam"}, "rendeles", {"Rszam"}},
        {"modulnev", {"Modulkod"}, "garnitura", {"Modulkod"}},
        {"modulnev", {"Modulkod"}, "modul", {"Modulkod"}},
    };
    return r;
}

void declareReferences(Session& session) {
    for (const auto& r : references()) {
        session.declareReference(r);
    }
}

const std::vector<HandleDef>& handles() {
    static const std::vector<HandleDef> h = buildHandles();
    return h;
}

const HandleDef* findHandle(std::string_view name) {
    for (const auto& h : handles()) {
        if (h.name == name) {
            return &h;
        }
    }
    return nullptr;
}

void applyDefinition(Table& t, const HandleDef& def) {
    t.setAlias(def.alias);
    t.setTableName(def.table);
    t.setExclusive(def.exclusive);
    if (!def.indexName.empty()) {
        t.setIndexName(def.indexName);
    } else {
        t.setIndexFieldNames(def.indexFieldNames);
    }
    for (const auto& f : def.fields) {
        t.declareField(f);
    }
    for (const auto& l : def.lookups) {
        t.addLookupField(l);
    }
    for (const auto& c : def.calcs) {
        t.addCalcField(c);
    }
}

std::vector<fs::path> createMissingTables(Session& session, const fs::path& programDir) {
    std::vector<fs::path> made;
    for (const auto& e : tables()) {
        if (e.importTable) {
            continue;
        }
        const std::string sub = e.folder == "diploma" ? "adatok" : e.folder;
        const fs::path dir = programDir / sub;
        fs::create_directories(dir);
        const fs::path file = session.resolveTable("", (dir / e.file).string());
        if (fs::exists(file)) {
            continue;
        }
        session.createTable(dir / e.file, e.schema);
        made.push_back(dir / e.file);
    }
    return made;
}

} // namespace store::catalogue
