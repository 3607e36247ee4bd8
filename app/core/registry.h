// The settings of the current user, kept the way the program has always kept them: named,
// typed values under keys ("\vekkor", ...), in a settings file in the user's configuration
// folder. Reading a missing integer, boolean or date fails; reading a missing string gives an
// empty text. Every write is in the file when the call returns.
//
// The file is plain text:
//     [\vekkor]
//     nyelv=dword:0
//     rabnev=sz:Ablakos Kft.
//     inst=date:46367
// (a date is its day number counted from 1899-12-30; in texts a backslash, a line break and a
// carriage return are written as \\, \n and \r).
#pragma once

#include "store/engine/value.h"

#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

namespace app {

class RegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Registry {
public:
    explicit Registry(std::filesystem::path file);

    // $DIRURAR_SETTINGS when set, else the user's configuration folder
    // ($XDG_CONFIG_HOME or ~/.config) + "/dirurar/registry.ini".
    static std::filesystem::path defaultFile();

    const std::filesystem::path& file() const { return file_; }

    // Opens a key ("\vekkor" or "vekkor"); without `canCreate` a missing key is not opened.
    bool openKey(const std::string& key, bool canCreate);
    void closeKey();
    bool keyExists(const std::string& key) const;
    const std::string& currentKey() const { return current_; }

    bool valueExists(const std::string& name) const;
    int32_t readInteger(const std::string& name) const;
    bool readBool(const std::string& name) const;
    std::string readString(const std::string& name) const;
    store::Date readDate(const std::string& name) const;

    void writeInteger(const std::string& name, int32_t v);
    void writeBool(const std::string& name, bool v);
    void writeString(const std::string& name, const std::string& v);
    void writeDate(const std::string& name, const store::Date& d);
    bool deleteValue(const std::string& name);

private:
    struct Entry {
        std::string type; // "dword", "sz", "date"
        std::string text;
    };
    using Key = std::map<std::string, Entry>; // value names without regard to case (lower)

    void load();
    void save() const;
    const Entry* find(const std::string& name) const;
    void put(const std::string& name, Entry e);
    void requireOpen() const;

    std::filesystem::path file_;
    std::map<std::string, Key> keys_; // key names in lower case, with leading "\"
    std::map<std::string, std::string> valueNames_; // lower -> as written, for the file
    std::string current_;
};

// Day numbers of the settings file (1899-12-30 = 0).
double dayNumber(const store::Date& d);
store::Date fromDayNumber(double n);

} // namespace app
