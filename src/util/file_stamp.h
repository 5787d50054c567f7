#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <optional>

#include "util/file_time.h"

namespace Util {

/// What a build remembers of a file to tell later whether it is still the same file with the
/// same contents: its modification time in nanoseconds, its size and its inode. A file
/// rewritten, truncated, replaced or given back an older time differs in at least one of
/// them.
struct FileStamp {
    std::int64_t time = 0;
    std::uint64_t size = 0;
    std::uint64_t inode = 0;

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

/// The stamp of what `stat` told of a file.
inline FileStamp stampOf(const struct stat& info) {
    return {nanosecondsOf(info.st_mtim), static_cast<std::uint64_t>(info.st_size),
            static_cast<std::uint64_t>(info.st_ino)};
}

/// When the file's status last changed (`st_ctim`), in nanoseconds: the system sets it on every
/// write, rename or change of the file's times, and no user command can set it back.
inline std::int64_t changeTimeOf(const struct stat& info) { return nanosecondsOf(info.st_ctim); }

/// What one `stat` tells of a file to tell later whether it changed: its stamp and when its
/// status last changed (`changeTimeOf`).
struct FileState {
    FileStamp stamp;
    std::int64_t changeTime = 0;

    friend bool operator==(const FileState&, const FileState&) = default;
};

/// The state of what `stat` told of a file.
inline FileState stateOf(const struct stat& info) { return {stampOf(info), changeTimeOf(info)}; }

/// The stamp of the file `path` names (links followed), or nothing when it cannot be read.
inline std::optional<FileStamp> stampOfFile(const char* path) {
    struct stat info {};
    if (::stat(path, &info) != 0) return std::nullopt;
    return stampOf(info);
}

}  // namespace Util
