#include "app/core/shell.h"

#include "store/format/format.h"
#include "store/tdm.h"

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace app {

namespace fs = std::filesystem;

Folders deriveFolders(const store::Session& session) {
    Folders f;
    const std::string p = session.aliasParams("diploma").front();
    if (p.size() < 11) {
        throw store::EngineError(store::errc::NoSuchAlias,
                                 "Az adatkönyvtár útvonala túl rövid: " + p);
    }
    f.Adatmappa = p.substr(p.size() - 6);
    f.Utvonal = p.substr(5, p.size() - 11);
    const std::string d = session.aliasParams("data").front();
    f.Osszmappa = d.size() >= 6 ? d.substr(d.size() - 6) : d;
    return f;
}

fs::path programPath(const std::string& Utvonal, const std::string& relative) {
    std::string r = relative;
    for (char& c : r) {
        if (c == '\\') {
            c = '/';
        }
    }
    return fs::path(Utvonal + r).lexically_normal();
}

static bool hasSize(const fs::path& p, std::uintmax_t size) {
    std::error_code ec;
    return fs::is_regular_file(p, ec) && fs::file_size(p, ec) == size && !ec;
}

std::optional<fs::path> chooseBackground(const std::string& Utvonal) {
    const fs::path pic = programPath(Utvonal, "./icon/hatter.jpg");
    if (hasSize(pic, kBackgroundSize)) {
        return pic;
    }
    const fs::path copy = programPath(Utvonal, "./ment/hatter.db");
    std::error_code ec;
    if (fs::exists(copy, ec)) {
        Filemasolas(copy, pic);
        if (hasSize(pic, kBackgroundSize)) {
            return pic;
        }
    }
    return std::nullopt; // a picture of any other size is never shown
}

LayoutFiles layoutFileNames(int nyelv, int Orszagkod, bool enuFileExists) {
    int n = nyelv;
    if (n == 2 && Orszagkod == 1 && enuFileExists) {
        n = 1;
    }
    const std::string s = n == 1 ? "1" : "";
    return {"racsr" + s + ".txt", "racso" + s + ".txt", "dracsr" + s + ".txt",
            "dracso" + s + ".txt"};
}

LanguageValues languageValues(int Nyelvindex) {
    LanguageValues v;
    v.Arfelirat = Nyelvindex < 4 ? "Ár:" : "Price:";
    switch (Nyelvindex) {
    case 1:
    case 3:
        v.nameField = "nemet";
        v.typeListField = "Nemet";
        v.Akadalyfelirat = "Barrierefreiheit";
        v.Kivitelfelirat = "Ausführung";
        break;
    case 2:
        v.nameField = "roman"; // the settings' apply step binds the Romanian names
        v.typeListField = "Roman";
        v.Akadalyfelirat = "Accesibilitate";
        v.Kivitelfelirat = "Ausführung";
        break;
    case 4:
        v.nameField = "nemet";
        v.typeListField = "Angol";
        v.Akadalyfelirat = "Barrier-free";
        v.Kivitelfelirat = "Variant";
        break;
    default:
        v.nameField = "megnevezes";
        v.typeListField = "megnevezes";
        v.Akadalyfelirat = "Süllyesztett";
        v.Kivitelfelirat = "Kivitel";
        break;
    }
    return v;
}

void BadPartList::loadOrCreate() {
    std::error_code ec;
    if (fs::exists(file_, ec)) {
        if (auto l = store::fmt::readCp1250Lines(file_)) {
            lines_ = *l;
        }
        return;
    }
    lines_.clear();
    fs::create_directories(file_.parent_path(), ec);
    store::fmt::writeTextFile(file_, lines_);
}

void BadPartList::add(const std::string& line) {
    lines_.push_back(line);
    store::fmt::writeTextFile(file_, lines_);
}

bool Filemasolas(const fs::path& source, const fs::path& target) {
    std::error_code ec;
    fs::path tmp = target;
    tmp += ".copy";
    {
        std::ifstream in(source, std::ios::binary);
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!in || !out) {
            fs::remove(tmp, ec);
            return false;
        }
        out << in.rdbuf();
        out.flush();
        if (!out || in.bad()) {
            fs::remove(tmp, ec);
            return false;
        }
    }
    fs::rename(tmp, target, ec);
    if (ec) {
        fs::remove(tmp, ec);
        return false;
    }
    return true;
}

static size_t writeToFile(char* data, size_t size, size_t n, void* user) {
    return std::fwrite(data, size, n, static_cast<std::FILE*>(user)) * size;
}

bool Letoltes(const std::string& url, const fs::path& file) {
    static const bool init = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!init) {
        return false;
    }
    fs::path tmp = file;
    tmp += ".part";
    std::FILE* out = std::fopen(tmp.string().c_str(), "wb");
    if (!out) {
        return false;
    }
    CURL* c = curl_easy_init();
    CURLcode rc = CURLE_FAILED_INIT;
    if (c) {
        curl_easy_setopt(c, CURLOPT_URL, url.c_str());
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, writeToFile);
        curl_easy_setopt(c, CURLOPT_WRITEDATA, out);
        curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
        curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 20L);
        curl_easy_setopt(c, CURLOPT_TIMEOUT, 300L);
        curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
        rc = curl_easy_perform(c);
        curl_easy_cleanup(c);
    }
    const bool written = std::fclose(out) == 0;
    std::error_code ec;
    if (rc != CURLE_OK || !written) {
        fs::remove(tmp, ec);
        return false;
    }
    fs::rename(tmp, file, ec);
    return !ec;
}

bool PartUsage::used() const {
    for (bool b : Hasznalatjelzok) {
        if (b) {
            return true;
        }
    }
    return false;
}

namespace {

bool findIn(store::Table& t, const std::string& indexName, const std::string& code) {
    if (!t.active()) {
        t.open();
    }
    if (!indexName.empty()) {
        t.setIndexName(indexName);
    }
    return t.findKey({store::Value(code)});
}

} // namespace

PartUsage Alkatreszhasznalat(store::TDM& dm, const std::string& bsnr, bool Torlesvizsgalat,
                             const ShowMessage& show) {
    PartUsage u;
    std::string Uzenet = bsnr + " alkatrészt" + "\r" + "\r";
    u.Hasznalatjelzok[0] = findIn(dm.profil, "BSNR1", bsnr);
    u.Hasznalatjelzok[1] = findIn(dm.modul, "BSNR", bsnr);
    u.Hasznalatjelzok[2] = findIn(dm.tblconv, "rehau", bsnr);
    u.Hasznalatjelzok[3] = findIn(dm.modul, "TBSNR", bsnr);
    u.Hasznalatjelzok[4] = findIn(dm.tblkigyujt, "", bsnr);
    u.Hasznalatjelzok[5] = findIn(dm.Tblreszossz, "", bsnr);
    static const char* names[] = {"Profiladat", "Modul1",  "Converter",
                                  "Modul2",     "Kigyüjt", "Részossesítő"};
    for (size_t i = 0; i < u.Hasznalatjelzok.size(); ++i) {
        if (u.Hasznalatjelzok[i]) {
            Uzenet += std::string(names[i]) + "\r";
        }
    }
    if (u.used() && Torlesvizsgalat) {
        u.Uzenet = Uzenet + "\r" + " tartalmazza!";
        if (show) {
            show(u.Uzenet);
        }
    }
    return u;
}

void Profilbetoltes(store::TDM& dm, const ShowMessage& show) {
    try {
        store::Table& conv = dm.Tblprofil;
        store::Table& sheet = dm.tblprofildat;
        conv.first();
        sheet.first();
        bool surplusReported = false;
        while (!sheet.eof()) {
            if (conv.eof()) {
                // More data sheet rows than converter rows: the surplus is reported, not
                // written over the last converter row.
                if (!surplusReported && show) {
                    show("Hiba az adatlapon!!");
                }
                surplusReported = true;
                sheet.next();
                continue;
            }
            if (conv.fieldByName("Sorsz").asInteger() != sheet.fieldByName("Sorsz").asInteger() &&
                show) {
                show("Hiba az adatlapon!!");
            }
            conv.edit();
            conv.fieldByName("ACTUAL").setValue(sheet.fieldByName("Bsnr").value());
            conv.next(); // posts the edit
            sheet.next();
        }
        conv.first();
        sheet.first();
    } catch (const std::exception&) {
        if (show) {
            show("Hiba a profil betöltésnél!!");
        }
    }
}

static std::string localeName() {
    for (const char* v : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* s = std::getenv(v); s && *s) {
            return s;
        }
    }
    return "hu_HU";
}

int localeCountryCode() {
    const std::string l = localeName();
    struct M {
        const char* prefix;
        int code;
    };
    static const M m[] = {{"hu", 36}, {"de_AT", 43}, {"de_CH", 41}, {"de", 49}, {"en_GB", 44},
                          {"en", 1},  {"ro", 40},    {"sr", 381},   {"C", 36},  {"POSIX", 36}};
    for (const auto& x : m) {
        if (l.rfind(x.prefix, 0) == 0) {
            return x.code;
        }
    }
    return 36;
}

std::string localeLanguageCode() {
    const std::string l = localeName();
    struct M {
        const char* prefix;
        const char* code;
    };
    static const M m[] = {{"hu", "HUN"}, {"de", "DEU"}, {"en_GB", "ENG"}, {"en", "ENU"},
                          {"ro", "ROM"}, {"sr", "SRL"}};
    for (const auto& x : m) {
        if (l.rfind(x.prefix, 0) == 0) {
            return x.code;
        }
    }
    return "HUN";
}

} // namespace app
