// One running copy per user: an exclusive lock on a lock file in the user's runtime folder,
// held for the whole life of the process and released by the operating system when the
// process ends, however it ends.
#pragma once

#include <filesystem>
#include <memory>

namespace app {

class SingleInstance {
public:
    // Takes the lock named `name`; `acquired()` tells whether this process is the first copy.
    explicit SingleInstance(const std::string& name = "OneCopyMutex");
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    bool acquired() const { return fd_ >= 0; }
    static std::filesystem::path lockFile(const std::string& name);

private:
    int fd_ = -1;
};

} // namespace app
