#include "atiras/startup.h"

#include <cstdlib>

namespace atiras {

std::filesystem::path installationFolder() {
    if (const char* h = std::getenv("DIRURAR_HOME"); h && *h) {
        return std::filesystem::absolute(h).lexically_normal();
    }
    return std::filesystem::current_path();
}

void prepareSession(store::Session& session, const std::filesystem::path& home) {
    session.setNetDir(home);
    session.loadAliases(home / "aliases.ini");
    for (const char* alias : {"diploma", "data"}) {
        (void)session.aliasParams(alias); // throws for a missing alias
    }
}

} // namespace atiras
