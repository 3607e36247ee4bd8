// An operating-system lock on a lock file, shared or exclusive, never blocking. The operating
// system releases it when the process ends, however it ends.
#pragma once

#include <filesystem>

namespace store {

class FileLock {
public:
    enum class Mode { None, Shared, Exclusive };

    explicit FileLock(std::filesystem::path lockFile);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Changes the held mode; false when another process holds a conflicting lock (the mode
    // held before is kept then).
    bool set(Mode mode);
    Mode mode() const { return mode_; }

private:
    std::filesystem::path path_;
    Mode mode_ = Mode::None;
    long long handle_ = -1;
};

} // namespace store
