#include "store/engine/session.h"

#include "store/engine/errors.h"
#include "store/engine/shared_table.h"
#include "store/engine/table_file.h"

#include <fstream>

namespace store {

namespace fs = std::filesystem;

std::string tableKey(const fs::path& file) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(file, ec);
    if (ec) {
        p = fs::absolute(file);
    }
    return p.lexically_normal().string();
}

Session::Session() = default;
Session::~Session() = default;

Session& Session::global() {
    static Session s;
    return s;
}

static std::string trim(std::string s) {
    const char* ws = " \t\r\n";
    const auto b = s.find_first_not_of(ws);
    if (b == std::string::npos) {
        return {};
    }
    const auto e = s.find_last_not_of(ws);
    return s.substr(b, e - b + 1);
}

void Session::loadAliases(const fs::path& iniFile) {
    std::ifstream in(iniFile);
    if (!in) {
        throw EngineError(errc::Io, "cannot read the alias file " + iniFile.string());
    }
    const fs::path base = fs::absolute(iniFile).parent_path();
    std::string line;
    while (std::getline(in, line)) {
        line = trim(line);
        if (line.empty() || line[0] == '#' || line[0] == ';' || line[0] == '[') {
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        std::string name = trim(line.substr(0, eq));
        std::string value = trim(line.substr(eq + 1));
        if (value.size() >= 5 && equalsNoCase(value.substr(0, 5), "PATH=")) {
            value = trim(value.substr(5)); // "diploma=PATH=..." is accepted too
        }
        if (name.empty() || value.empty()) {
            continue;
        }
        fs::path dir(value);
        if (dir.is_relative()) {
            dir = base / dir;
        }
        setAlias(name, dir);
    }
}

void Session::setAlias(const std::string& name, const fs::path& dir) {
    fs::path d = dir.lexically_normal();
    // no trailing separator: the directory name is the last part of the path
    while (d.has_relative_path() && d.filename().empty()) {
        d = d.parent_path();
    }
    aliases_[lowerAscii(name)] = d;
}

bool Session::hasAlias(std::string_view name) const {
    return aliases_.count(lowerAscii(name)) > 0;
}

std::vector<std::string> Session::aliasNames() const {
    std::vector<std::string> out;
    for (const auto& [k, v] : aliases_) {
        out.push_back(k);
    }
    return out;
}

fs::path Session::aliasPath(std::string_view name) const {
    auto it = aliases_.find(lowerAscii(name));
    if (it == aliases_.end()) {
        throw EngineError(errc::NoSuchAlias, "Unknown database: " + std::string(name));
    }
    return it->second;
}

std::vector<std::string> Session::aliasParams(std::string_view name) const {
    return {"PATH=" + aliasPath(name).string()};
}

fs::path Session::resolveTable(std::string_view alias, std::string_view table) const {
    fs::path t{std::string(table)};
    fs::path folder;
    if (alias.empty()) {
        folder = t.parent_path();
        t = t.filename();
        if (folder.empty()) {
            folder = fs::current_path();
        }
    } else {
        folder = aliasPath(alias);
    }
    if (!t.has_extension()) {
        t += ".db";
    }
    fs::path exact = folder / t;
    if (fs::exists(exact)) {
        return exact;
    }
    std::error_code ec;
    const std::string wanted = lowerAscii(t.string());
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        if (lowerAscii(e.path().filename().string()) == wanted) {
            return e.path();
        }
    }
    return exact;
}

std::shared_ptr<SharedTable> Session::findOpen(const fs::path& file) const {
    auto it = open_.find(tableKey(file));
    return it == open_.end() ? nullptr : it->second.lock();
}

std::shared_ptr<SharedTable> Session::acquire(const fs::path& file, bool exclusive) {
    const std::string key = tableKey(file);
    std::shared_ptr<SharedTable> t;
    if (auto it = open_.find(key); it != open_.end()) {
        t = it->second.lock();
    }
    if (!t) {
        t = std::make_shared<SharedTable>(*this, fs::path(key));
    }
    t->hold(exclusive);
    open_[key] = t;
    return t;
}

void Session::release(const std::shared_ptr<SharedTable>& t, bool exclusive) {
    if (t) {
        t->unhold(exclusive);
    }
    for (auto it = open_.begin(); it != open_.end();) {
        it = it->second.expired() ? open_.erase(it) : std::next(it);
    }
}

void Session::createTable(const fs::path& file, const TableSchema& schema) {
    if (findOpen(file)) {
        throw EngineError(errc::TableBusy, "Table is open: " + file.string());
    }
    TableFile::create(file, schema);
}

void Session::deleteTable(const fs::path& file) {
    if (auto t = findOpen(file)) {
        throw EngineError(errc::TableBusy, "Table is open: " + file.string());
    }
    std::error_code ec;
    fs::remove(file, ec);
    if (ec) {
        throw EngineError(errc::Io, "cannot delete " + file.string() + ": " + ec.message());
    }
}

void Session::flushAll() {
    for (auto& [k, w] : open_) {
        if (auto t = w.lock()) {
            t->flush();
        }
    }
}

void Session::declareReference(Reference r) {
    references_.push_back(std::move(r));
}

} // namespace store
