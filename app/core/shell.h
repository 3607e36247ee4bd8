// The program-wide values and services of the main window that need no window: the folders
// derived from the aliases, the background picture rule, the grid layout file names, the
// language-dependent captions, the bad part code list, the file copy, the download, the part
// usage check and the loading of the profile data sheet.
#pragma once

#include "store/engine/session.h"

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace store {
class TDM;
}

namespace app {

using ShowMessage = std::function<void(const std::string&)>;

// ---- folders ----
struct Folders {
    std::string Utvonal;   // program directory, ending with a path separator
    std::string Adatmappa; // data folder name: the last six characters of the diploma path
    std::string Osszmappa; // summary folder name: the last six characters of the data path
};
// Cuts the folders from the first parameter ("PATH=<dir>") of the aliases diploma and data.
Folders deriveFolders(const store::Session& session);
// Program directory + a relative path as the program writes it ("\text\Bsnrhiba.txt",
// "./icon/hatter.jpg", "adatok\labj.txt"), with the separators of this system.
std::filesystem::path programPath(const std::string& Utvonal, const std::string& relative);

// ---- background ----
constexpr std::uintmax_t kBackgroundSize = 363625;
// Step 5 of the main window's creation: the picture to show, if any. hatter.jpg is shown
// only with exactly 363625 bytes; otherwise "ment\hatter.db" is copied over it (when present)
// and shown when the copy has that size.
std::optional<std::filesystem::path> chooseBackground(const std::string& Utvonal);

// ---- grid layout files ----
struct LayoutFiles {
    std::string RacsrFajl, RacsoFajl, DracsrFajl, DracsoFajl;
};
LayoutFiles layoutFileNames(int nyelv, int Orszagkod, bool enuFileExists);

// ---- language ----
struct LanguageValues {
    std::string Arfelirat;
    std::string Akadalyfelirat;
    std::string Kivitelfelirat;
    std::string nameField;     // the field holding part names in the chosen language
    std::string typeListField; // the data entry type list's field
};
LanguageValues languageValues(int Nyelvindex);

// ---- bad part code list ----
class BadPartList {
public:
    explicit BadPartList(std::filesystem::path file) : file_(std::move(file)) {}
    // Loads the file, or saves the empty list when there is none.
    void loadOrCreate();
    void add(const std::string& line); // appends and saves
    const std::vector<std::string>& lines() const { return lines_; }
    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
    std::vector<std::string> lines_;
};

// ---- services ----
// Copies the whole source over the target. Reports success; a failure leaves the target as it
// was (the copy goes to a temporary file first).
bool Filemasolas(const std::filesystem::path& source, const std::filesystem::path& target);
// Downloads the URL into the file; true when it arrived whole.
bool Letoltes(const std::string& url, const std::filesystem::path& file);

// The part usage check: where a part code is still used.
struct PartUsage {
    // Profiladat, Modul1, Converter, Modul2, Kigyüjt, Részossesítő
    std::array<bool, 6> Hasznalatjelzok{};
    std::string Uzenet; // the message that was shown, empty when none was
    bool used() const;
};
PartUsage Alkatreszhasznalat(store::TDM& dm, const std::string& bsnr, bool Torlesvizsgalat,
                             const ShowMessage& show);

// Loads the current profile's data sheet into the converter table.
void Profilbetoltes(store::TDM& dm, const ShowMessage& show);

// The country code and language code of the user's locale (36 and "HUN" for Hungarian).
int localeCountryCode();
std::string localeLanguageCode();

} // namespace app
