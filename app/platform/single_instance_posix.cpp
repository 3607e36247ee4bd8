#include "app/platform/single_instance.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace app {

std::filesystem::path SingleInstance::lockFile(const std::string& name) {
    if (const char* d = std::getenv("XDG_RUNTIME_DIR"); d && *d) {
        return std::filesystem::path(d) / ("dirurar-" + name + ".lock");
    }
    return std::filesystem::temp_directory_path() /
           ("dirurar-" + std::to_string(getuid()) + "-" + name + ".lock");
}

SingleInstance::SingleInstance(const std::string& name) {
    const auto path = lockFile(name);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    fd_ = fd; // held until the process ends
}

SingleInstance::~SingleInstance() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

} // namespace app
