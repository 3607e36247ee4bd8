#include "atiras/drives.h"

#include "store/engine/schema.h"

#include <algorithm>

namespace atiras {

namespace fs = std::filesystem;

// normal form without a trailing separator
static fs::path clean(const fs::path& p) {
    fs::path n = p.lexically_normal();
    while (n.has_relative_path() && n.filename().empty()) {
        n = n.parent_path();
    }
    return n;
}

static bool under(const fs::path& p, const fs::path& base) {
    auto b = base.begin();
    auto i = p.begin();
    for (; b != base.end(); ++b, ++i) {
        if (b->empty()) {
            continue; // a trailing separator
        }
        if (i == p.end() || *i != *b) {
            return false;
        }
    }
    return true;
}

std::vector<fs::path> driveRoots(const std::vector<fs::path>& mountPoints, const fs::path& home) {
    std::vector<fs::path> out;
    auto add = [&](const fs::path& p) {
        if (!p.empty() && std::find(out.begin(), out.end(), p) == out.end()) {
            out.push_back(p);
        }
    };
#ifdef _WIN32
    for (const auto& m : mountPoints) {
        add(clean(m));
    }
    add(clean(home));
#else
    add("/");
    for (const auto& m : mountPoints) {
        const fs::path n = clean(m);
        if (n != "/media" && n != "/mnt" && n != "/run/media" &&
            (under(n, "/media") || under(n, "/mnt") || under(n, "/run/media"))) {
            add(n);
        }
    }
    add(clean(home));
#endif
    return out;
}

fs::path driveOf(const std::vector<fs::path>& drives, const fs::path& folder) {
    fs::path best;
    size_t bestLen = 0;
    for (const auto& d : drives) {
        const auto len = static_cast<size_t>(std::distance(d.begin(), d.end()));
        if (under(clean(folder), d) && (best.empty() || len > bestLen)) {
            best = d;
            bestLen = len;
        }
    }
    return best;
}

static fs::path childNoCase(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    if (fs::is_directory(dir / name, ec)) {
        return dir / name;
    }
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        if (e.is_directory(ec) && store::equalsNoCase(e.path().filename().string(), name)) {
            return e.path();
        }
    }
    return {};
}

fs::path driveStartFolder(const fs::path& root) {
    fs::path p = root;
    for (const char* part : {"Program files (X86)", "duvevarad", "adatok"}) {
        p = childNoCase(p, part);
        if (p.empty()) {
            return root;
        }
    }
    return p;
}

static std::vector<std::string> entries(const fs::path& dir, bool folders) {
    std::vector<std::string> out;
    std::error_code ec;
    for (fs::directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code ec2;
        if (folders) {
            if (it->is_directory(ec2) && !name.empty() && name[0] != '.') {
                out.push_back(name);
            }
        } else if (it->is_regular_file(ec2) && name.size() > 3 &&
                   store::equalsNoCase(name.substr(name.size() - 3), ".db")) {
            out.push_back(name);
        }
    }
    std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
        const std::string la = store::lowerAscii(a);
        const std::string lb = store::lowerAscii(b);
        return la != lb ? la < lb : a < b;
    });
    return out;
}

std::vector<std::string> subFolders(const fs::path& dir) {
    return entries(dir, true);
}

std::vector<std::string> tableFiles(const fs::path& dir) {
    return entries(dir, false);
}

} // namespace atiras
