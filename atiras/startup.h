// Start-up of the field value tool: the installation it works in and the engine set-up.
//
// The tool takes no command-line arguments and works in its current folder, which is the
// installation folder holding aliases.ini. For tests and for starting it from elsewhere, the
// environment variable DIRURAR_HOME, when set and not empty, names that folder instead.
#pragma once

#include "store/engine/session.h"

#include <filesystem>

namespace atiras {

std::filesystem::path installationFolder();

// Reads the aliases of `home`/aliases.ini into the session, makes `home` the engine's network
// control directory and reads the parameters of the aliases "diploma" and "data", which must
// exist. Throws EngineError when the file cannot be read or an alias is missing (the control
// directory is set in any case).
void prepareSession(store::Session& session, const std::filesystem::path& home);

} // namespace atiras
