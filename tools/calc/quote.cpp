#include "tools/calc/quote.h"

#include "app/core/registry.h"
#include "app/core/settings.h"
#include "app/core/shell.h"
#include "calc/collection.h"
#include "calc/description.h"
#include "calc/entry_model.h"
#include "calc/order_lists.h"
#include "calc/prices.h"
#include "reports/order_summary_pdf.h"
#include "store/catalogue/catalogue.h"
#include "store/format/format.h"
#include "store/rules/dm_rules.h"
#include "store/tdm.h"

#include <charconv>
#include <fstream>
#include <map>
#include <memory>
#include <ostream>
#include <random>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace quote {

const char* usage() {
    return "Használat: dirurar-calc --install DIR --type K --width W --height H [--rab R]\n"
           "           [--count Q] [--hinge 0|1|2] [--material 0-4] [--colour 0-3]\n"
           "           [--opening 0|1] [--eckband] [--rod3] [--rod15] [--rail15]\n"
           "           [--profile N] [--verbose] [--pdf FILE]\n"
           "       dirurar-calc --install DIR --order FILE [--verbose] [--pdf FILE]\n"
           "\n"
           "Egy ablak vasalatait gyűjti ki az adatbevitel szabályai szerint, a telepítés\n"
           "munkatábláinak másolatán (a telepítés nem változik), és kiírja a részösszesítőt\n"
           "(UTF-8, pontosvesszővel elválasztva, tizedesvesszővel).\n"
           "\n"
           "  --install DIR   a telepítés mappája (benne az aliases.ini)\n"
           "  --type K        ablaktípus kódja\n"
           "  --width W, --height H, --rab R   szélesség, magasság, zároldali magasság (mm)\n"
           "  --count Q       darabszám (alapértelmezés 1, lehet negatív)\n"
           "  --hinge         0 Normal, 1 Ka-Line (alapértelmezés), 2 Rejtett\n"
           "  --material      0 Műanyag, 1 Fa, 2 LM, 3-4 séma\n"
           "  --colour        0 Fehér, 1 Barna, 2 Natur/EV1, 3 Fekete\n"
           "  --opening       0 Jobb, 1 Bal\n"
           "  --eckband, --rod3, --rod15, --rail15   a megfelelő jelölőnégyzetek\n"
           "  --profile N     \"Automatkus váltás\" bekapcsolva az N. profillal\n"
           "  --verbose       az ablak adatai a gyűjtés előtt a hibakimenetre\n"
           "  --pdf FILE      ajánlat: a részösszesítő az összesítő nyomtatási képével PDF-be\n"
           "  --order FILE    rendelés: a fájl minden nem üres sora egy ablak kapcsolói\n"
           "                  (--type ... --width ...); az ablakok egymás után kigyűjtve és\n"
           "                  összesítve, a kiírás az összesítő\n"
           "\n"
           "Kilépési kód: 0 kész, 1 az ablak nem gyűjthető ki, 2 hibás paraméterek.\n";
}

namespace {

std::optional<int> number(const std::string& s) {
    return store::fmt::parseInt32(s);
}

} // namespace

std::optional<std::string> parseArguments(const std::vector<std::string>& args, Options& o) {
    struct IntOption {
        const char* name;
        int* target;
        int min, max;
    };
    WindowOptions& w = o.window;
    int profile = 0;
    const IntOption ints[] = {
        {"--type", &w.type, 0, 9999},
        {"--width", &w.width, 0, 100000},
        {"--height", &w.height, 0, 100000},
        {"--rab", &w.rab, 0, 100000},
        {"--count", &w.count, -1000000, 1000000},
        {"--hinge", &w.hinge, 0, 2},
        {"--material", &w.material, 0, 4},
        {"--colour", &w.colour, 0, 3},
        {"--opening", &w.opening, 0, 1},
        {"--profile", &profile, 1, 1000000},
    };
    const std::map<std::string, bool*> flags = {{"--eckband", &w.eckband}, {"--rod3", &w.rod3},
                                                {"--rod15", &w.rod15},     {"--rail15", &w.rail15},
                                                {"--verbose", &o.verbose}, {"--help", &o.help}};
    bool haveInstall = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (auto f = flags.find(a); f != flags.end()) {
            *f->second = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            return "a(z) " + a + " kapcsoló ismeretlen vagy hiányzik az értéke";
        }
        if (a == "--install") {
            o.install = args[++i];
            haveInstall = true;
            continue;
        }
        if (a == "--order") {
            o.order = fs::path(args[++i]);
            continue;
        }
        if (a == "--pdf") {
            o.pdf = fs::path(args[++i]);
            continue;
        }
        bool known = false;
        for (const auto& opt : ints) {
            if (a != opt.name) {
                continue;
            }
            known = true;
            const auto v = number(args[++i]);
            if (!v || *v < opt.min || *v > opt.max) {
                return a + " értéke hibás: " + args[i];
            }
            *opt.target = *v;
            if (opt.target == &profile) {
                w.profile = *v;
            }
        }
        if (!known) {
            return "ismeretlen kapcsoló: " + a;
        }
    }
    if (o.help) {
        return std::nullopt;
    }
    if (!haveInstall) {
        return "hiányzik: --install";
    }
    if (o.order) {
        if (w.type >= 0 || w.width >= 0 || w.height >= 0) {
            return "--order mellett az ablakok a fájlban állnak";
        }
        return std::nullopt;
    }
    if (w.type < 0 || w.width < 0 || w.height < 0) {
        return "kötelező: --type, --width és --height";
    }
    return std::nullopt;
}

namespace {

// Messages of the rules go to the error output; questions are answered No.
class ConsoleMessages : public store::Messages {
public:
    explicit ConsoleMessages(std::ostream& err) : err_(err) {}
    void showMessage(const std::string& t) override { say("üzenet", t); }
    void information(const std::string& t) override { say("információ", t); }
    void warning(const std::string& t) override { say("figyelem", t); }
    void error(const std::string& t) override { say("hiba", t); }
    bool yesNo(const std::string& t) override {
        say("kérdés (nem)", t);
        return false;
    }
    bool okCancel(const std::string& t) override {
        say("kérdés (mégse)", t);
        return false;
    }
    std::optional<std::string> inputBox(const std::string&, const std::string& p,
                                        const std::string&) override {
        say("bevitel (mégse)", p);
        return std::nullopt;
    }
    std::optional<std::string> passwordBox(const std::string&, const std::string& p) override {
        say("jelszó (mégse)", p);
        return std::nullopt;
    }
    std::vector<std::string> shown;

private:
    void say(const char* kind, std::string t) {
        shown.push_back(t);
        for (char& c : t) {
            if (c == '\n' || c == '\r') {
                c = ' ';
            }
        }
        err_ << kind << ": " << t << '\n';
    }
    std::ostream& err_;
};

// A temporary copy of every folder the installation's aliases name; removed at the end.
class WorkingCopy {
public:
    explicit WorkingCopy(const fs::path& install) {
        static std::mt19937_64 rng{std::random_device{}()};
        root_ = fs::temp_directory_path() / ("dirurar-calc-" + std::to_string(rng()));
        fs::create_directories(root_ / "text");
        store::Session probe;
        probe.loadAliases(install / "aliases.ini");
        std::map<fs::path, fs::path> copied;
        for (const std::string& alias : probe.aliasNames()) {
            const fs::path from = fs::weakly_canonical(probe.aliasPath(alias));
            auto [it, isNew] = copied.emplace(from, root_ / ("t" + std::to_string(copied.size())));
            if (isNew) {
                fs::create_directories(it->second);
                if (fs::is_directory(from)) {
                    for (const auto& e : fs::directory_iterator(from)) {
                        // the lock files belong to the running programs
                        if (e.is_regular_file() && e.path().extension() != ".lck") {
                            fs::copy_file(e.path(), it->second / e.path().filename());
                        }
                    }
                }
            }
            aliases_.emplace_back(alias, it->second);
        }
    }
    ~WorkingCopy() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    WorkingCopy(const WorkingCopy&) = delete;
    WorkingCopy& operator=(const WorkingCopy&) = delete;

    void attach(store::Session& s) const {
        for (const auto& [name, dir] : aliases_) {
            s.setAlias(name, dir);
        }
    }
    const fs::path& root() const { return root_; }

private:
    fs::path root_;
    std::vector<std::pair<std::string, fs::path>> aliases_;
};

struct Settings {
    calc::HandleSettings handles;
    int Nyelvindex = 0;
    bool weightColumn = false;            // "Súly" chosen for the printed column
    std::optional<store::Date> installed; // the date of the first start
};

// The user's settings as the settings dialog would have applied them.
Settings readSettings() {
    Settings s;
    try {
        app::Registry reg(app::Registry::defaultFile());
        if (!reg.openKey(app::kSettingsKey, false)) {
            return s;
        }
        const app::CollectionChoices c = app::readCollectionChoices(reg);
        s.handles = {c.kilincs, c.kaLine, c.hoppeTokyo};
        if (reg.valueExists("nyelv")) {
            s.Nyelvindex = std::clamp(reg.readInteger("nyelv"), 0, 4);
        }
        if (reg.valueExists("suly")) {
            s.weightColumn = reg.readInteger("suly") == 1;
        }
        if (reg.valueExists("inst")) {
            s.installed = reg.readDate("inst");
        }
    } catch (const std::exception&) {
        // an unreadable settings file leaves the design state
    }
    return s;
}

std::string text(const store::Value& v) {
    if (v.isNull()) {
        return {};
    }
    if (v.isFloat()) {
        return store::fmt::formatGeneral(v.floatValue());
    }
    if (v.isInt()) {
        return store::fmt::formatInt(v.intValue());
    }
    return v.textValue();
}

std::string csvField(const std::string& s) {
    if (s.find_first_of(";\"\n") == std::string::npos) {
        return s;
    }
    std::string q = "\"";
    for (char c : s) {
        q += c;
        if (c == '"') {
            q += '"';
        }
    }
    return q + "\"";
}

calc::TypeSource typeSource(store::Table& types) {
    return [&types](int code) -> std::optional<calc::TypeRecord> {
        if (!types.locate("Tipuskod", store::Value(code))) {
            return std::nullopt;
        }
        calc::TypeRecord r;
        r.Tipuskod = code;
        r.Szmin = static_cast<int>(types.fieldByName("Szmin").asInteger());
        r.Szmax = static_cast<int>(types.fieldByName("Szmax").asInteger());
        r.Mmin = static_cast<int>(types.fieldByName("Mmin").asInteger());
        r.Mmax = static_cast<int>(types.fieldByName("Mmax").asInteger());
        r.Rudzar = static_cast<int>(types.fieldByName("Rudzar").asInteger());
        return r;
    };
}

// Fills data entry in as a user would: the type first, then the groups (material before the
// hinge variant, whose offer depends on it), the boxes and the sizes. A control that is
// hidden or disabled for the window ignores its option, as the user could not use it.
bool fillIn(calc::EntryModel& e, const WindowOptions& wo, std::string& refusal) {
    e.setStoredType(wo.type);
    e.preset(calc::RememberedChoices{});
    e.activate();
    e.chooseType(wo.type);
    e.leaveTypeList();
    if (e.controls().rgpanyag.itemIndex != wo.material) {
        if (!e.clickMaterial(wo.material)) {
            refusal =
                "az anyag (" + std::to_string(wo.material) + ") ennél a típusnál nem választható";
            return false;
        }
    }
    e.leaveMaterial();
    if (e.materialReplacedType()) {
        refusal = "A kiválasztott típus alumíniumra nem alkalmazható";
        return false;
    }
    if (e.controls().rgptip.itemIndex != wo.hinge) {
        e.clickHinge(wo.hinge);
    }
    e.leaveHinge();
    if (e.controls().rgpszin.itemIndex != wo.colour) {
        e.clickColour(wo.colour);
    }
    if (e.controls().rgpnyitas.itemIndex != wo.opening) {
        e.clickOpening(wo.opening);
    }
    if (wo.rail15) {
        e.clickRail(true);
    }
    if (wo.rod3) {
        e.clickRod3(true);
    }
    if (wo.rod15) {
        e.clickRod15(true);
    }
    if (wo.eckband) {
        e.setEckband(true);
        e.leaveEckband();
    }
    e.setWidth(std::to_string(wo.width));
    e.setHeight(std::to_string(wo.height));
    e.setLockSide(std::to_string(wo.rab));
    e.setQuantity(std::to_string(wo.count));
    if (!e.collectEnabled()) {
        refusal = e.refusal();
        return false;
    }
    return true;
}

// The summary printed with the order summary layout.
int printPdf(const fs::path& file, const fs::path& install, store::TDM& dm, store::Table& summary,
             const std::optional<reports::WindowDescription>& window, const Settings& settings,
             std::ostream& err) {
    reports::OrderSummaryOptions options;
    options.settings = &dm.Tbltarol;
    options.exchangeRate = dm.Tbltarol.fieldByName("Arfolyam").asFloat();
    options.language = static_cast<reports::Language>(settings.Nyelvindex);
    options.column =
        settings.weightColumn ? reports::PriceColumn::Weight : reports::PriceColumn::UnitPrice;
    options.installDate = settings.installed;
    if (auto footer = store::fmt::readCp1250Lines(install / "adatok" / "labj.txt")) {
        options.footer = *footer;
    }
    std::string error;
    switch (reports::printOrderSummaryPdf(summary, window, file, options, &error)) {
    case reports::PdfResult::Written:
        return 0;
    case reports::PdfResult::Empty:
        err << "dirurar-calc: az összesítő üres, a PDF nem készült el\n";
        return 0;
    case reports::PdfResult::Failed:
        break;
    }
    err << "dirurar-calc: a PDF nem készült el: " << error << '\n';
    return 1;
}

// The working tables of one run and the objects the program attaches to them.
struct Work {
    explicit Work(const fs::path& installation, std::ostream& e)
        : install(installation), err(e), copy(installation), messages(e), dm((attach(), session)),
          rules(dm, messages), collection(dm, rules, messages), prices(dm, messages),
          lists(dm, collection, messages), types(session, "tipusok"),
          badParts(copy.root() / "text" / "Bsnrhiba.txt") {
        prices.logBadPart = [this](const std::string& line) {
            badParts.add(line);
            err << "hibás alkatrész: " << line << '\n';
        };
        types.setAlias("diploma");
        types.setTableName("tipus.DB");
        types.open();
        dm.Tbltarol.open();
        if (dm.Tbltarol.isEmpty()) {
            throw std::runtime_error("a tarolo tábla üres");
        }
        dm.Tbltarol.first();
    }
    ~Work() {
        for (store::Table* t : dm.handles()) {
            t->close();
        }
        types.close();
    }
    Work(const Work&) = delete;
    Work& operator=(const Work&) = delete;

    void attach() {
        copy.attach(session);
        store::catalogue::createMissingTables(session, copy.root());
    }

    // Data entry and "&Kigyűjt" for one window, then the collection window's activation.
    // False with the reason when data entry would not collect it.
    bool collect(const WindowOptions& wo, bool verbose, std::string& refusal) {
        store::Table& tarolo = dm.Tbltarol;
        if (tarolo.state() != store::DataSetState::Browse) {
            tarolo.post();
        }
        tarolo.edit();
        tarolo.fieldByName("Kod").setAsInteger(wo.type);
        if (wo.profile) {
            tarolo.fieldByName("Profil").setAsInteger(*wo.profile);
        }
        tarolo.post();
        if (wo.profile) {
            dm.Tblprofil.open();
            dm.tblprofildat.open();
            app::Profilbetoltes(dm, [this](const std::string& m) { messages.showMessage(m); });
        }
        if (!types.locate("Tipuskod", store::Value(wo.type))) {
            refusal = "nincs ilyen ablaktípus: " + std::to_string(wo.type);
            return false;
        }
        const app::LanguageValues lang = app::languageValues(settings.Nyelvindex);
        entry = std::make_unique<calc::EntryModel>(typeSource(types), messages);
        entry->setLanguage(settings.Nyelvindex, lang.Kivitelfelirat, lang.Akadalyfelirat);
        if (!fillIn(*entry, wo, refusal)) {
            return false;
        }
        rules.state.materialIndex = entry->window().material;
        const calc::Window w = entry->window();
        dm.Rudzaropcio = entry->Rudzaropcio();
        if (verbose) {
            err << "window: Vezkod=" << calc::setCode(w) << " Kod=" << w.type
                << " hinge=" << w.hinge << " material=" << w.material << " colour=" << w.colour
                << " opening=" << w.opening << " W=" << w.width << " H=" << w.height
                << " R=" << w.lockSide << " Q=" << w.quantity << " eckband=" << (w.eckband ? 1 : 0)
                << " ts=" << (w.rail ? 1 : 0) << " Rudzaropcio=" << dm.Rudzaropcio << '\n';
        }
        collection.Ujkigyujtes = collection.Naplozando = collection.Konvertalando = true;
        collection.Profilvaltva = false;
        tarolo.edit();
        tarolo.fieldByName("KR").setAsBoolean(true);
        tarolo.post();
        if (!collection.bkivalasztClick(w, settings.handles)) {
            refusal = "a darabszám nem egész szám";
            return false;
        }
        collection.activate(w, wo.profile.has_value());
        settle(dm.Tblreszossz);
        return true;
    }

    // "&Összesít" of the window collected last, with its log record.
    void moveIntoOrder() {
        lists.Osszesit(calc::logRecord(*entry, typeName(), collection.Profilvaltva, profileName()));
        settle(dm.tblkigyujt);
    }

    // The window's block of the printed header.
    reports::WindowDescription describe() {
        calc::DescriptionInputs in;
        in.typeName = typeName();
        in.Profilvaltva = collection.Profilvaltva;
        in.profileName = profileName();
        in.pictureFolder = install / "icon";
        return calc::describeWindow(*entry, in);
    }

    // The type list's text for the window collected last.
    std::string typeName() {
        if (!types.locate("Tipuskod", store::Value(entry->window().type))) {
            return {};
        }
        return types.fieldByName(app::languageValues(settings.Nyelvindex).typeListField).asString();
    }

    std::string profileName() {
        const int64_t profile = dm.Tbltarol.fieldByName("Profil").asInteger();
        store::Table names(session, "profilnevek");
        names.setAlias("diploma");
        names.setTableName("profilnev.DB");
        names.open();
        std::string name;
        if (profile != 0 && names.locate("Sorsz", store::Value(profile))) {
            name = names.fieldByName("Nev").asString();
        }
        names.close();
        return name;
    }

    // The list as the collection window shows it: rows that cannot be priced are reported and
    // removed when first read.
    void settle(store::Table& list) {
        const int ar = list.fieldByName("ar").index();
        for (int r = 0; r < list.rowCount(); ++r) {
            list.rowValue(r, ar);
        }
        prices.removeUnpriceable();
    }

    void print(store::Table& list, std::ostream& out) {
        const char* columns[] = {"BSNR", "Megnevezes", "Darab", "ear", "ar", "ear2", "ar2", "gew"};
        std::vector<int> index;
        for (const char* c : columns) {
            index.push_back(list.fieldByName(c).index());
        }
        out << "BSNR;Megnevezes;Darab;ear;ar;ear2;ar2;gew\n";
        for (int r = 0; r < list.rowCount(); ++r) {
            std::string line;
            for (size_t c = 0; c < index.size(); ++c) {
                if (c > 0) {
                    line += ';';
                }
                line += csvField(text(list.rowValue(r, index[c])));
            }
            out << line << '\n';
        }
    }

    fs::path install;
    std::ostream& err;
    const Settings settings = readSettings();
    WorkingCopy copy;
    store::Session session;
    ConsoleMessages messages;
    store::TDM dm;
    store::DataModuleRules rules;
    calc::Collection collection;
    calc::Prices prices;
    calc::OrderLists lists;
    store::Table types;
    app::BadPartList badParts;
    std::unique_ptr<calc::EntryModel> entry;
};

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string w; in >> w;) {
        out.push_back(w);
    }
    return out;
}

} // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options o;
    if (const auto bad = parseArguments(args, o)) {
        err << "dirurar-calc: " << *bad << "\n\n" << usage();
        return 2;
    }
    if (o.help) {
        out << usage();
        return 0;
    }
    if (!fs::is_regular_file(o.install / "aliases.ini")) {
        err << "dirurar-calc: nincs telepítés itt (aliases.ini hiányzik): " << o.install.string()
            << '\n';
        return 2;
    }
    // the windows of an order file, read and checked before anything is collected
    std::vector<std::pair<int, WindowOptions>> windows;
    if (o.order) {
        std::ifstream in(*o.order);
        if (!in) {
            err << "dirurar-calc: a rendelés fájl nem olvasható: " << o.order->string() << '\n';
            return 2;
        }
        int lineNo = 0;
        for (std::string line; std::getline(in, line);) {
            ++lineNo;
            const auto w = words(line);
            if (w.empty()) {
                continue;
            }
            Options one;
            one.install = o.install;
            std::vector<std::string> withInstall = {"--install", o.install.string()};
            withInstall.insert(withInstall.end(), w.begin(), w.end());
            if (const auto bad = parseArguments(withInstall, one);
                bad || one.help || one.order || one.pdf) {
                err << "dirurar-calc: " << o.order->string() << ", " << lineNo
                    << ". sor: " << (bad ? *bad : std::string("csak ablak-kapcsolók állhatnak itt"))
                    << '\n';
                return 2;
            }
            windows.emplace_back(lineNo, one.window);
        }
    }
    try {
        Work work(o.install, err);
        if (!o.order) {
            std::string refusal;
            if (!work.collect(o.window, o.verbose, refusal)) {
                err << "dirurar-calc: az ablak nem gyűjthető ki: " << refusal << '\n';
                return 1;
            }
            work.print(work.dm.Tblreszossz, out);
            if (o.pdf) {
                return printPdf(*o.pdf, o.install, work.dm, work.dm.Tblreszossz, work.describe(),
                                work.settings, err);
            }
            return 0;
        }
        // the order summary starts empty, as after the order summary's "&Töröl"
        work.dm.tblkigyujt.open();
        work.dm.tblkigyujt.emptyTable();
        work.dm.tblnaplo.open();
        work.dm.tblnaplo.emptyTable();
        for (const auto& [lineNo, window] : windows) {
            std::string refusal;
            if (!work.collect(window, o.verbose, refusal)) {
                err << "dirurar-calc: " << o.order->string() << ", " << lineNo
                    << ". sor: az ablak nem gyűjthető ki: " << refusal << '\n';
                return 1;
            }
            work.moveIntoOrder();
        }
        work.print(work.dm.tblkigyujt, out);
        if (o.pdf) {
            // after "&Összesít" the print carries no window description
            return printPdf(*o.pdf, o.install, work.dm, work.dm.tblkigyujt, std::nullopt,
                            work.settings, err);
        }
        return 0;
    } catch (const std::exception& e) {
        err << "dirurar-calc: " << e.what() << '\n';
        return 1;
    }
}

} // namespace quote
