#pragma once

#include <filesystem>

namespace Util {

/// An exclusive advisory lock (flock) on a lock file, held for the object's lifetime. The
/// lock file is created when missing and stays in place: removing it would let two
/// processes lock two different files of the same name. Processes that take the lock on
/// the same file run their locked steps one after another; the lock goes with the process,
/// so a killed holder never leaves it taken.
class FileLock {
public:
    /// Waits until the lock on `lockFile` is had. Throws std::runtime_error naming the file
    /// and the system's reason when the file cannot be opened or locked.
    explicit FileLock(const std::filesystem::path& lockFile);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_ = -1;
};

}  // namespace Util
