#include "util/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include <fmt/format.h>

namespace Util {

namespace {

[[noreturn]] void fail(const std::filesystem::path& file, int error) {
    throw std::runtime_error(
        fmt::format("Unable to lock file '{}': {}", file.string(), std::strerror(error)));
}

}  // namespace

std::optional<FileLock> FileLock::lock(const std::filesystem::path& file, bool wait) {
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) fail(file, errno);
    const int operation = wait ? LOCK_EX : LOCK_EX | LOCK_NB;
    while (::flock(fd, operation) != 0) {
        const int error = errno;
        if (error == EINTR) continue;
        ::close(fd);
        if (error == EWOULDBLOCK) return std::nullopt;
        fail(file, error);
    }
    return FileLock(fd);
}

std::optional<FileLock> FileLock::tryAcquire(const std::filesystem::path& file) {
    return lock(file, false);
}

FileLock FileLock::acquire(const std::filesystem::path& file) {
    std::optional<FileLock> held = lock(file, true);
    if (!held) fail(file, EWOULDBLOCK);
    return std::move(*held);
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace Util
