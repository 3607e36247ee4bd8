#include "store/engine/file_lock.h"

#include "store/engine/errors.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace store {

FileLock::FileLock(std::filesystem::path lockFile) : path_(std::move(lockFile)) {}

FileLock::~FileLock() {
    set(Mode::None);
}

#ifdef _WIN32

bool FileLock::set(Mode mode) {
    if (mode == mode_) {
        return true;
    }
    if (handle_ == -1 && mode != Mode::None) {
        HANDLE h = CreateFileW(path_.wstring().c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            throw EngineError(errc::Io, "cannot open lock file " + path_.string());
        }
        handle_ = reinterpret_cast<long long>(h);
    }
    HANDLE h = reinterpret_cast<HANDLE>(handle_);
    OVERLAPPED ov{};
    if (mode_ != Mode::None) {
        UnlockFileEx(h, 0, 1, 0, &ov);
    }
    if (mode == Mode::None) {
        CloseHandle(h);
        handle_ = -1;
        mode_ = Mode::None;
        return true;
    }
    DWORD flags =
        LOCKFILE_FAIL_IMMEDIATELY | (mode == Mode::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (LockFileEx(h, flags, 0, 1, 0, &ov)) {
        mode_ = mode;
        return true;
    }
    // take back what was held
    if (mode_ != Mode::None) {
        DWORD back =
            LOCKFILE_FAIL_IMMEDIATELY | (mode_ == Mode::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
        if (!LockFileEx(h, back, 0, 1, 0, &ov)) {
            mode_ = Mode::None;
        }
    }
    return false;
}

#else

bool FileLock::set(Mode mode) {
    if (mode == mode_) {
        return true;
    }
    if (handle_ == -1 && mode != Mode::None) {
        const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            throw EngineError(errc::Io, "cannot open lock file " + path_.string());
        }
        handle_ = fd;
    }
    const int fd = static_cast<int>(handle_);
    if (mode == Mode::None) {
        ::flock(fd, LOCK_UN);
        ::close(fd);
        handle_ = -1;
        mode_ = Mode::None;
        return true;
    }
    // flock converts an existing lock; a failed conversion to exclusive may have dropped the
    // shared lock, so it is taken again.
    if (::flock(fd, (mode == Mode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) {
        mode_ = mode;
        return true;
    }
    if (mode_ != Mode::None &&
        ::flock(fd, (mode_ == Mode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        mode_ = Mode::None;
    }
    if (mode_ == Mode::None) {
        ::close(fd);
        handle_ = -1;
    }
    return false;
}

#endif

} // namespace store
