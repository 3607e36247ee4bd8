#include "app/core/registry.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace app {

namespace fs = std::filesystem;

namespace {

std::string lower(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

std::string normKey(const std::string& key) {
    std::string k = key;
    while (!k.empty() && k.back() == '\\') {
        k.pop_back();
    }
    if (k.empty() || k[0] != '\\') {
        k = "\\" + k;
    }
    return lower(k);
}

std::string escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

std::string unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            const char n = s[++i];
            out += n == 'n' ? '\n' : (n == 'r' ? '\r' : n);
        } else {
            out += s[i];
        }
    }
    return out;
}

constexpr int64_t kDay1899 = -25569; // 1899-12-30 counted from 1970-01-01

} // namespace

double dayNumber(const store::Date& d) { return static_cast<double>(d.toDays() - kDay1899); }

store::Date fromDayNumber(double n) {
    return store::Date::fromDays(static_cast<int64_t>(std::floor(n)) + kDay1899);
}

Registry::Registry(fs::path file) : file_(std::move(file)) { load(); }

fs::path Registry::defaultFile() {
    if (const char* s = std::getenv("DIRURAR_SETTINGS"); s && *s) {
        return s;
    }
    fs::path base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) {
        base = x;
    } else if (const char* h = std::getenv("HOME"); h && *h) {
        base = fs::path(h) / ".config";
    } else {
        base = fs::temp_directory_path();
    }
    return base / "dirurar" / "registry.ini";
}

void Registry::load() {
    keys_.clear();
    std::ifstream in(file_);
    if (!in) {
        return; // a fresh configuration
    }
    std::string line;
    std::string key;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == ';' || line[0] == '#') {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            key = normKey(line.substr(1, line.size() - 2));
            keys_[key];
            continue;
        }
        const auto eq = line.find('=');
        const auto colon = line.find(':', eq == std::string::npos ? 0 : eq);
        if (key.empty() || eq == std::string::npos || colon == std::string::npos) {
            continue; // a damaged line is passed over, the rest of the file still counts
        }
        const std::string name = line.substr(0, eq);
        Entry e{line.substr(eq + 1, colon - eq - 1), unescape(line.substr(colon + 1))};
        if (e.type != "dword" && e.type != "sz" && e.type != "date") {
            continue;
        }
        keys_[key][lower(name)] = e;
        valueNames_[lower(name)] = name;
    }
}

void Registry::save() const {
    std::error_code ec;
    fs::create_directories(file_.parent_path(), ec);
    fs::path tmp = file_;
    tmp += ".tmp";
    {
        std::ofstream out(tmp, std::ios::trunc);
        out << "; dirurar settings\n";
        for (const auto& [k, values] : keys_) {
            out << "[" << k << "]\n";
            for (const auto& [n, e] : values) {
                auto it = valueNames_.find(n);
                out << (it != valueNames_.end() ? it->second : n) << "=" << e.type << ":"
                    << escape(e.text) << "\n";
            }
        }
        out.flush();
        if (!out) {
            fs::remove(tmp, ec);
            throw RegistryError("Hiba a beállítások írásakor: " + file_.string());
        }
    }
    fs::rename(tmp, file_, ec);
    if (ec) {
        fs::remove(tmp, ec);
        throw RegistryError("Hiba a beállítások írásakor: " + file_.string());
    }
}

bool Registry::openKey(const std::string& key, bool canCreate) {
    const std::string k = normKey(key);
    if (keys_.count(k) == 0) {
        if (!canCreate) {
            return false;
        }
        keys_[k];
        save();
    }
    current_ = k;
    return true;
}

void Registry::closeKey() { current_.clear(); }

bool Registry::keyExists(const std::string& key) const { return keys_.count(normKey(key)) > 0; }

void Registry::requireOpen() const {
    if (current_.empty()) {
        throw RegistryError("Nincs megnyitott kulcs");
    }
}

const Registry::Entry* Registry::find(const std::string& name) const {
    requireOpen();
    const auto& k = keys_.at(current_);
    auto it = k.find(lower(name));
    return it == k.end() ? nullptr : &it->second;
}

bool Registry::valueExists(const std::string& name) const { return find(name) != nullptr; }

int32_t Registry::readInteger(const std::string& name) const {
    const Entry* e = find(name);
    if (!e || e->type != "dword") {
        throw RegistryError("Invalid data type for '" + name + "'");
    }
    try {
        size_t used = 0;
        const long long v = std::stoll(e->text, &used);
        if (used != e->text.size() || v < INT32_MIN || v > INT32_MAX) {
            throw RegistryError("Invalid data type for '" + name + "'");
        }
        return static_cast<int32_t>(v);
    } catch (const std::logic_error&) {
        throw RegistryError("Invalid data type for '" + name + "'");
    }
}

bool Registry::readBool(const std::string& name) const { return readInteger(name) != 0; }

std::string Registry::readString(const std::string& name) const {
    const Entry* e = find(name);
    return e && e->type == "sz" ? e->text : std::string();
}

store::Date Registry::readDate(const std::string& name) const {
    const Entry* e = find(name);
    if (!e || e->type != "date") {
        throw RegistryError("Invalid data type for '" + name + "'");
    }
    try {
        return fromDayNumber(std::stod(e->text));
    } catch (const std::logic_error&) {
        throw RegistryError("Invalid data type for '" + name + "'");
    }
}

void Registry::put(const std::string& name, Entry e) {
    requireOpen();
    keys_[current_][lower(name)] = std::move(e);
    valueNames_.emplace(lower(name), name);
    save();
}

void Registry::writeInteger(const std::string& name, int32_t v) {
    put(name, {"dword", std::to_string(v)});
}
void Registry::writeBool(const std::string& name, bool v) { writeInteger(name, v ? 1 : 0); }
void Registry::writeString(const std::string& name, const std::string& v) {
    put(name, {"sz", v});
}
void Registry::writeDate(const std::string& name, const store::Date& d) {
    std::ostringstream s;
    s << static_cast<int64_t>(dayNumber(d));
    put(name, {"date", s.str()});
}

bool Registry::deleteValue(const std::string& name) {
    requireOpen();
    const bool had = keys_[current_].erase(lower(name)) > 0;
    if (had) {
        save();
    }
    return had;
}

} // namespace app
