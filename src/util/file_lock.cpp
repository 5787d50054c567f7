#include "util/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <utility>

#include <fmt/format.h>

namespace Util {

namespace {

[[noreturn]] void fail(const std::filesystem::path& file, int error) {
    throw std::runtime_error(
        fmt::format("Unable to lock file '{}': {}", file.string(), std::strerror(error)));
}

/// Opens the lock file to write, or only to read when this process may not write it (a
/// file of another user, a read-only file system): a lock needs only a descriptor. Never
/// through a symbolic link, never waiting for a FIFO's other end. -1 with `errno` set to
/// the first failure.
int openLockFile(const std::filesystem::path& file, bool& writable) {
    constexpr int kFlags = O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK;
    writable = true;
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | kFlags, 0666);
    if (fd >= 0 || (errno != EACCES && errno != EROFS && errno != EPERM)) return fd;
    const int error = errno;
    fd = ::open(file.c_str(), O_RDONLY | kFlags);
    if (fd >= 0) {
        writable = false;
        return fd;
    }
    if (errno != ELOOP) errno = error;
    return -1;
}

/// What stands at `file` when it is not a regular file, for the refusal; empty when it is one.
const char* notRegular(const struct stat& info) {
    if (S_ISREG(info.st_mode)) return "";
    if (S_ISFIFO(info.st_mode)) return "a FIFO";
    if (S_ISDIR(info.st_mode)) return "a directory";
    if (S_ISSOCK(info.st_mode)) return "a socket";
    return "a device";
}

[[noreturn]] void refuseLink(const std::filesystem::path& file) {
    throw LockFileRefused(fmt::format(
        "The lock file '{}' is a symbolic link; rilk does not write through it. Remove it and "
        "run again.",
        file.string()));
}

/// Refuses what stands at `file` (as `info` shows it) when it is not a regular file.
void refuseUnlessRegular(const std::filesystem::path& file, const struct stat& info) {
    if (const std::string_view kind = notRegular(info); !kind.empty()) {
        throw LockFileRefused(fmt::format(
            "The lock file '{}' is {}, not a regular file; rilk takes its lock only on a regular "
            "file. Remove it and run again.",
            file.string(), kind));
    }
}

/// Says why the lock file could not be opened (`error`, the first failure): a directory or a
/// socket cannot be opened as a file, a missing file may not be made here.
[[noreturn]] void failToOpen(const std::filesystem::path& file, int error) {
    if (error == ELOOP) refuseLink(file);
    struct stat info {};
    if (::lstat(file.c_str(), &info) == 0) {
        if (S_ISLNK(info.st_mode)) refuseLink(file);
        refuseUnlessRegular(file, info);
    } else if (errno == ENOENT && (error == EROFS || error == EACCES || error == EPERM)) {
        throw LockFileCannotBeMade(
            fmt::format("Unable to lock file '{}': {}", file.string(), std::strerror(error)),
            error == EROFS);
    }
    fail(file, error);
}

}  // namespace

std::optional<FileLock> FileLock::lock(const std::filesystem::path& file, bool wait) {
    bool writable = true;
    const int fd = openLockFile(file, writable);
    if (fd < 0) failToOpen(file, errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        fail(file, error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        refuseUnlessRegular(file, info);
    }
    if (info.st_nlink > 1) {
        ::close(fd);
        throw LockFileRefused(fmt::format(
            "The lock file '{}' has another hard link; rilk does not write through it. Remove "
            "it and run again.",
            file.string()));
    }
    const int operation = wait ? LOCK_EX : LOCK_EX | LOCK_NB;
    while (::flock(fd, operation) != 0) {
        const int error = errno;
        if (error == EINTR) continue;
        ::close(fd);
        if (error == EWOULDBLOCK) return std::nullopt;
        fail(file, error);
    }
    return FileLock(fd, writable, file);
}

std::optional<FileLock> FileLock::tryAcquire(const std::filesystem::path& file) {
    return lock(file, false);
}

FileLock FileLock::acquire(const std::filesystem::path& file) {
    std::optional<FileLock> held = lock(file, true);
    if (!held) fail(file, EWOULDBLOCK);
    return std::move(*held);
}

void FileLock::describeHolder(std::string_view text) {
    // Written over the old content, then cut to its length: emptying a file first makes
    // ext4 write it back when it is closed, which costs a run a fifth of a millisecond.
    const auto size = static_cast<off_t>(text.size());
    off_t offset = 0;
    while (!text.empty()) {
        const ssize_t n = ::pwrite(fd_, text.data(), text.size(), offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail(file_, n < 0 ? errno : EIO);
        text.remove_prefix(static_cast<std::size_t>(n));
        offset += n;
    }
    if (::ftruncate(fd_, size) != 0) fail(file_, errno);
}

std::string FileLock::readHolder(const std::filesystem::path& file, std::size_t limit) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return {};
    std::string text(limit, '\0');
    ssize_t n = 0;
    do {
        n = ::read(fd, text.data(), text.size());
    } while (n < 0 && errno == EINTR);
    ::close(fd);
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return text;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        writable_ = other.writable_;
        file_ = std::move(other.file_);
    }
    return *this;
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace Util
