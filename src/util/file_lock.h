#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "util/file_marks.h"

namespace Util {

/// Thrown when a symbolic link stands where a lock file belongs, the file there has another
/// hard link, or it is not a regular file (a FIFO, a device). The lock is never taken through
/// a link: its holder writes into the lock file, which would change the file the link points
/// to, or the other name's; nor on a file that is not one, which keeps nothing written.
class LockFileRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Thrown when the lock file is missing and this process cannot make it: its folder lies on
/// a read-only file system, or this user may not write the folder.
class LockFileCannotBeMade : public std::runtime_error {
public:
    LockFileCannotBeMade(const std::string& what, bool readOnlyFileSystem)
        : std::runtime_error(what), readOnlyFileSystem_(readOnlyFileSystem) {}
    /// Whether the folder's file system is mounted read-only (rather than closed to this user).
    bool readOnlyFileSystem() const { return readOnlyFileSystem_; }

private:
    bool readOnlyFileSystem_ = false;
};

/// An advisory lock (`flock`, exclusive) on a file, held while the object lives and by no
/// other process: the descriptor is closed on exec, so commands started meanwhile never
/// hold it, and the system releases it when the process ends in any way, also by SIGKILL.
class FileLock {
public:
    /// Takes the lock on `file` (created with mode 0666 under the umask when missing)
    /// unless another holder has it. Empty when it is held elsewhere. A file this process may
    /// read but not write (another user's) is locked all the same, read-only. Throws
    /// `LockFileRefused` when `file` is a symbolic link, has another hard link or is not a
    /// regular file (a directory or a socket too, which cannot be opened as one),
    /// `LockFileCannotBeMade` when it is missing and cannot be made, std::runtime_error naming
    /// the file and the system's reason when it cannot be opened or locked otherwise.
    static std::optional<FileLock> tryAcquire(const std::filesystem::path& file);
    /// Takes the lock on `file`, waiting for as long as another holder keeps it. Throws as
    /// `tryAcquire` does.
    static FileLock acquire(const std::filesystem::path& file);

    /// Replaces the lock file's content with `text` (for example the holder's process id,
    /// for others to read). Throws std::runtime_error naming the file on failure.
    void describeHolder(std::string_view text);
    /// Whether the file was opened to write (`describeHolder` needs it).
    bool writable() const { return writable_; }
    /// The marks of the locked file, placed and read through this lock's descriptor.
    MarkedFile marks() const { return MarkedFile::borrow(fd_); }
    const std::filesystem::path& file() const { return file_; }
    /// The start of the lock file's content, at most `limit` bytes; empty when it cannot be
    /// read.
    static std::string readHolder(const std::filesystem::path& file, std::size_t limit = 64);

    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    FileLock(FileLock&& other) noexcept
        : fd_(other.fd_), writable_(other.writable_), file_(std::move(other.file_)) {
        other.fd_ = -1;
    }
    FileLock& operator=(FileLock&& other) noexcept;
    ~FileLock();

private:
    FileLock(int fd, bool writable, std::filesystem::path file)
        : fd_(fd), writable_(writable), file_(std::move(file)) {}
    static std::optional<FileLock> lock(const std::filesystem::path& file, bool wait);

    int fd_ = -1;
    bool writable_ = true;
    std::filesystem::path file_;
};

}  // namespace Util
