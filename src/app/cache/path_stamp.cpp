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

/// The next value of `PathStamps::generation_`, unique in the process.
std::atomic<std::uint64_t> nextGeneration{1};

/// One thread's open base directories, closed when the thread ends.
struct OpenDirectories {
    std::vector<OpenDirectory> list;
    /// The generation of the stamps they were opened for.
    std::uint64_t generation = 0;

    ~OpenDirectories() { closeAll(); }
    void closeAll() {
        for (const OpenDirectory& directory : list) {
            if (directory.fd >= 0) ::close(directory.fd);
        }
        list.clear();
    }
};

/// The calling thread's open base directories for the stamps of `generation`.
std::vector<OpenDirectory>& openDirectories(std::uint64_t generation) {
    thread_local OpenDirectories directories;
    if (directories.generation != generation) {
        directories.closeAll();
        directories.generation = generation;
    }
    return directories.list;
}

/// The descriptor of the base directory `path`, opened on first use; -1 when it cannot be.
int directoryDescriptor(std::string_view path, std::uint64_t generation) {
    std::vector<OpenDirectory>& directories = openDirectories(generation);
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
bool statPath(const RilkPathString& path, const JoinedPath& joined, std::uint64_t generation,
              struct stat& info) {
    if (!joined.base.empty() && !joined.text.empty()) {
        const int directory = directoryDescriptor(joined.base, generation);
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

PathStamps::PathStamps() : generation_(nextGeneration.fetch_add(1)) {}

PathStamps::~PathStamps() { inUse_.store(false, std::memory_order_release); }

std::optional<Util::FileState> PathStamps::prefetched(const JoinedPath& path) const {
    if (!inUse_.load(std::memory_order_acquire)) return std::nullopt;
    for (const Prefetch& held : prefetches_) {
        if (std::optional<Util::FileState> found = held.prefetch->find(path)) return found;
    }
    return std::nullopt;
}

std::optional<Util::FileState> PathStamps::stateOf(const RilkPathString& path) const {
    const JoinedPath joined = joinPath(path.baseDirectory().native(), path.text());
    if (holdsNulByte(joined)) return std::nullopt;
    if (const std::optional<Util::FileState> readAhead = prefetched(joined)) return readAhead;
    struct stat info {};
    if (!statPath(path, joined, generation_.load(std::memory_order_acquire), info)) {
        return std::nullopt;
    }
    return Util::stateOf(info);
}

std::optional<Util::FileState> PathStamps::stateOfFile(const std::string& fullPath) const {
    if (fullPath.find('\0') != std::string::npos) return std::nullopt;
    if (const std::optional<Util::FileState> readAhead =
            prefetched(JoinedPath{{}, false, fullPath})) {
        return readAhead;
    }
    struct stat info {};
    if (::stat(fullPath.c_str(), &info) != 0) return std::nullopt;
    return Util::stateOf(info);
}

std::optional<Util::FileStamp> PathStamps::of(const RilkPathString& path) const {
    const std::optional<Util::FileState> state = stateOf(path);
    if (!state) return std::nullopt;
    return state->stamp;
}

std::optional<Util::FileStamp> PathStamps::unchangedSince(const RilkPathString& path,
                                                          std::int64_t since) const {
    const JoinedPath joined = joinPath(path.baseDirectory().native(), path.text());
    struct stat info {};
    if (holdsNulByte(joined) ||
        !statPath(path, joined, generation_.load(std::memory_order_acquire), info)) {
        return std::nullopt;
    }
    return stampUnchangedSince(info, since);
}

std::optional<Util::FileStamp> PathStamps::fileUnchangedSince(const std::string& fullPath,
                                                              std::int64_t since) const {
    struct stat info {};
    if (fullPath.find('\0') != std::string::npos || ::stat(fullPath.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return stampUnchangedSince(info, since);
}

void PathStamps::usePrefetch(const void* owner, std::unique_ptr<FileTimePrefetch> prefetch) {
    // Those dropped for jobs stay dropped; a later one is consulted alone.
    if (!inUse_.load(std::memory_order_acquire)) prefetches_.clear();
    std::erase_if(prefetches_, [&](const Prefetch& held) { return held.owner == owner; });
    if (prefetch) prefetches_.push_back({owner, std::move(prefetch)});
    inUse_.store(true, std::memory_order_release);
}

void PathStamps::forgetPrefetch(const void* owner) {
    std::erase_if(prefetches_, [&](const Prefetch& held) { return held.owner == owner; });
}

void PathStamps::filesMayChange() {
    if (inUse_.exchange(false, std::memory_order_acq_rel)) {
        for (const Prefetch& held : prefetches_) held.prefetch->stop();
    }
    forgetOpenDirectories();
}

void PathStamps::forgetOpenDirectories() {
    const std::uint64_t generation = nextGeneration.fetch_add(1);
    generation_.store(generation, std::memory_order_release);
    // This thread's are closed now.
    openDirectories(generation);
}

}  // namespace Rilk
