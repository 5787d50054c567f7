#include "util/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace Util {
namespace {

[[noreturn]] void fail(const std::filesystem::path& lockFile, int error) {
    throw std::runtime_error("Unable to lock file '" + lockFile.string() +
                             "': " + std::strerror(error));
}

}  // namespace

FileLock::FileLock(const std::filesystem::path& lockFile) {
    // Non-blocking open: a FIFO planted under the lock file's name must not hang the run.
    fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd_ < 0) fail(lockFile, errno);
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        const int error = errno;
        ::close(fd_);
        fail(lockFile, error);
    }
}

FileLock::~FileLock() {
    // Closing the only descriptor releases the lock.
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace Util
