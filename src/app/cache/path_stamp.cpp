#include "app/cache/path_stamp.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/cache/file_time_prefetch.h"
#include "util/file_stamp.h"

namespace Rilk {
namespace {

/// A base directory kept open; `fd` is -1 when it could not be opened.
struct OpenDirectory {
    std::string path;
    int fd = -1;
};

/// More base directories than a run normally meets; beyond them the full path is used.
constexpr std::size_t kMaxOpenDirectories = 16;

/// Counts the calls of `forgetOpenDirectories`, so that every thread drops the directories
/// it opened before the last one, not only the thread that made it.
std::atomic<std::uint64_t> forgetCount{0};

/// One thread's open base directories, closed when the thread ends.
struct OpenDirectories {
    std::vector<OpenDirectory> list;
    std::uint64_t forgetCount = 0;

    ~OpenDirectories() { closeAll(); }
    void closeAll() {
        for (const OpenDirectory& directory : list) {
            if (directory.fd >= 0) ::close(directory.fd);
        }
        list.clear();
    }
};

std::vector<OpenDirectory>& openDirectories() {
    thread_local OpenDirectories directories;
    const std::uint64_t count = forgetCount.load(std::memory_order_acquire);
    if (directories.forgetCount != count) {
        directories.closeAll();
        directories.forgetCount = count;
    }
    return directories.list;
}

/// The descriptor of the base directory `path`, opened on first use; -1 when it cannot be.
int directoryDescriptor(std::string_view path) {
    std::vector<OpenDirectory>& directories = openDirectories();
    for (const OpenDirectory& directory : directories) {
        if (directory.path == path) return directory.fd;
    }
    if (directories.size() >= kMaxOpenDirectories) return -1;
    OpenDirectory opened{std::string(path), -1};
    opened.fd = ::open(opened.path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    directories.push_back(std::move(opened));
    return directories.back().fd;
}

/// Whether the joined path holds a NUL byte: the system would cut the path there and read
/// another file.
bool holdsNulByte(const JoinedPath& joined) {
    return joined.base.find('\0') != std::string_view::npos ||
           joined.text.find('\0') != std::string_view::npos;
}

/// What `stat` tells of the file `path` (joined as `joined`) names, looked up from its base
/// directory kept open and else by its full path; false when it cannot be read.
bool statPath(const RilkPathString& path, const JoinedPath& joined, struct stat& info) {
    if (!joined.base.empty() && !joined.text.empty()) {
        const int directory = directoryDescriptor(joined.base);
        if (directory >= 0 && ::fstatat(directory, path.text().c_str(), &info, 0) == 0) {
            return true;
        }
    }
    thread_local std::string text;
    assignJoinedPath(text, joined);
    return ::stat(text.c_str(), &info) == 0;
}

/// The stamp of what `stat` told, or nothing when the file's status changed at or after
/// `since`.
std::optional<Util::FileStamp> stampUnchangedSince(const struct stat& info, std::int64_t since) {
    if (Util::changeTimeOf(info) >= since) return std::nullopt;
    return Util::stampOf(info);
}

}  // namespace

std::optional<Util::FileState> pathState(const RilkPathString& path) {
    const JoinedPath joined = joinPath(path.baseDirectory().native(), path.text());
    if (holdsNulByte(joined)) return std::nullopt;
    if (const std::optional<Util::FileState> prefetched = prefetchedState(joined)) {
        return prefetched;
    }
    struct stat info {};
    if (!statPath(path, joined, info)) return std::nullopt;
    return Util::stateOf(info);
}

std::optional<Util::FileState> fileState(const std::string& fullPath) {
    if (fullPath.find('\0') != std::string::npos) return std::nullopt;
    if (const std::optional<Util::FileState> prefetched =
            prefetchedState(JoinedPath{{}, false, fullPath})) {
        return prefetched;
    }
    struct stat info {};
    if (::stat(fullPath.c_str(), &info) != 0) return std::nullopt;
    return Util::stateOf(info);
}

std::optional<Util::FileStamp> pathStamp(const RilkPathString& path) {
    const std::optional<Util::FileState> state = pathState(path);
    if (!state) return std::nullopt;
    return state->stamp;
}

std::optional<Util::FileStamp> pathStampUnchangedSince(const RilkPathString& path,
                                                       std::int64_t since) {
    const JoinedPath joined = joinPath(path.baseDirectory().native(), path.text());
    struct stat info {};
    if (holdsNulByte(joined) || !statPath(path, joined, info)) return std::nullopt;
    return stampUnchangedSince(info, since);
}

std::optional<Util::FileStamp> fileStampUnchangedSince(const std::string& fullPath,
                                                       std::int64_t since) {
    struct stat info {};
    if (fullPath.find('\0') != std::string::npos || ::stat(fullPath.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return stampUnchangedSince(info, since);
}

void forgetOpenDirectories() {
    forgetCount.fetch_add(1, std::memory_order_acq_rel);
    openDirectories();
}

}  // namespace Rilk
