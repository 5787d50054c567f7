#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace Util {

/// Thrown when a symbolic link stands where a lock file belongs, or the file there has
/// another hard link. The lock is never taken through a link: its holder writes into the
/// lock file, which would change the file the link points to, or the other name's.
class LockFileIsALink : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// An advisory lock (`flock`, exclusive) on a file, held while the object lives and by no
/// other process: the descriptor is closed on exec, so commands started meanwhile never
/// hold it, and the system releases it when the process ends in any way, also by SIGKILL.
class FileLock {
public:
    /// Takes the lock on `file` (created with mode 0666 under the umask when missing)
    /// unless another holder has it. Empty when it is held elsewhere. Throws
    /// `LockFileIsALink` when `file` is a symbolic link or has another hard link,
    /// std::runtime_error naming the file and the system's reason when it cannot be opened
    /// or locked.
    static std::optional<FileLock> tryAcquire(const std::filesystem::path& file);
    /// Takes the lock on `file`, waiting for as long as another holder keeps it. Throws as
    /// `tryAcquire` does.
    static FileLock acquire(const std::filesystem::path& file);

    /// Replaces the lock file's content with `text` (for example the holder's process id,
    /// for others to read). Throws std::runtime_error naming the file on failure.
    void describeHolder(std::string_view text);
    /// The start of the lock file's content, at most `limit` bytes; empty when it cannot be
    /// read.
    static std::string readHolder(const std::filesystem::path& file, std::size_t limit = 64);

    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    FileLock(FileLock&& other) noexcept : fd_(other.fd_), file_(std::move(other.file_)) {
        other.fd_ = -1;
    }
    FileLock& operator=(FileLock&& other) noexcept;
    ~FileLock();

private:
    FileLock(int fd, std::filesystem::path file) : fd_(fd), file_(std::move(file)) {}
    static std::optional<FileLock> lock(const std::filesystem::path& file, bool wait);

    int fd_ = -1;
    std::filesystem::path file_;
};

}  // namespace Util
