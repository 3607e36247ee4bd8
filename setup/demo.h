// The demo installation: a complete program folder with invented master data (window types,
// sets, modules, module names, colours, openings, a price list in five languages, discount
// groups, profiles, customers, stock), the delivered price-list update, templates, pristine
// copies, pictures, footer text and help. Everything is a function of the seed, except the
// date of the settings record, which is the day of creation.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace setup {

struct Options {
    bool large = false; // benchmark size: 100 000 price-list parts, 20 000 module parts
    unsigned seed = 1;
};

// Creates the installation in `dir`, which must be missing or empty. Throws std::runtime_error
// with a description when `dir` holds anything or when any step fails; a failed creation
// leaves `dir` as empty as it was found.
void createInstallation(const std::filesystem::path& dir, const Options& options = {});

// One table of an installation and its number of rows.
struct TableCount {
    std::filesystem::path file; // relative to the program folder
    size_t rows = 0;
};

// Every table of an installation (engine and Paradox tables) with its row count, in folder
// and file order.
std::vector<TableCount> countTables(const std::filesystem::path& dir);

// ---- pictures (pictures.cpp) ----

// The size in bytes the main window requires of its background picture before it shows it.
inline constexpr std::uintmax_t kBackgroundBytes = 363625;

// The files data entry loads for a window type from the "icon" folder: type code, opening
// index, for type 3 "0" and the material index, for the threshold types 23-27, 48, 49, 60 and
// 75-77 the material index (0-4 for type 23, 0-2 for the others), then ".bmp".
std::vector<std::string> typePictureNames(int typeCode);

// Writes icon/nyitokep.jpg (460 x 290), icon/hatter.jpg (exactly kBackgroundBytes bytes),
// icon/hatterDS.jpg, ment/hatter.db (a copy of hatter.jpg) and the type pictures of every
// code in `typeCodes` under `programDir`.
void writePictures(const std::filesystem::path& programDir, const std::vector<int>& typeCodes);

} // namespace setup
