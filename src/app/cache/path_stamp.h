#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/cache/file_time_prefetch.h"
#include "types/rilk_path_string.h"
#include "util/file_stamp.h"

namespace Rilk {

/// The stamps (modification time in nanoseconds, size, inode) and states (with the status
/// change time) of the files a run's records name, as the run reads them: one per run,
/// shared by the records of every cache the run reads (`CacheRecords::stamps`). A stamp is
/// nothing when the file cannot be read; a path holding a NUL byte names no file.
///
/// A relative text is looked up from its base directory, which is kept open from call to
/// call, so the system walks only the text's own components, not the base's again on every
/// call. That answers as the full path does while the base directories stay where they are;
/// only the build's jobs change files during a run, and `filesMayChange` is called before
/// they run and after. Any lookup that fails this way is repeated with the full path. Each
/// thread keeps its own open directories (the build plans its targets on the threads of
/// its chain, one at a time) and closes them when it ends or another run's stamps are read.
///
/// A state one of the run's file time prefetches (one per cache file read) has already read
/// for exactly the same full path text is taken as it is (see `FileTimePrefetch`); the
/// prefetches are dropped before any job runs.
class PathStamps {
public:
    PathStamps();
    /// Stops the prefetches and waits for their threads.
    ~PathStamps();
    PathStamps(const PathStamps&) = delete;
    PathStamps& operator=(const PathStamps&) = delete;

    /// The stamp of the file that a path value names (links followed).
    std::optional<Util::FileStamp> of(const RilkPathString& path) const;
    /// `of` with the file's status change time, from the same `stat` (or read ahead with
    /// it): no system call more.
    std::optional<Util::FileState> stateOf(const RilkPathString& path) const;
    /// `stateOf` a full path text (a path string with no base directory).
    std::optional<Util::FileState> stateOfFile(const std::string& fullPath) const;
    /// The state a prefetch in use read for the full path `path` spells, or nothing.
    std::optional<Util::FileState> prefetched(const JoinedPath& path) const;

    /// `of` a file a command has just run with, read anew (never read ahead), or nothing when
    /// the file's status changed (`st_ctime`) at or after `since`, the command's start: the
    /// command may have read another content, whatever time the file was given back (as
    /// `cp -p`, `tar`, `rsync -t` or `touch -d` give one).
    std::optional<Util::FileStamp> unchangedSince(const RilkPathString& path,
                                                  std::int64_t since) const;
    /// `unchangedSince` of a full path text.
    std::optional<Util::FileStamp> fileUnchangedSince(const std::string& fullPath,
                                                      std::int64_t since) const;

    /// Makes `prefetch` the one consulted for `owner` (a cache file read; null: none), in
    /// place of the one it gave before, beside those of the other owners; after
    /// `filesMayChange`, alone. Called before the build plans, while no lookup runs.
    void usePrefetch(const void* owner, std::unique_ptr<FileTimePrefetch> prefetch);
    /// Stops and forgets the prefetch `owner` gave. Called while no lookup runs.
    void forgetPrefetch(const void* owner);

    /// Jobs are about to run or have run: stops the prefetches and consults them no more
    /// (their times were read before any job could change a file), and closes the base
    /// directories every thread keeps open (each one at its next lookup), so that the next
    /// lookups open them again.
    void filesMayChange();
    /// Only the second half of `filesMayChange`: the open base directories are closed.
    void forgetOpenDirectories();

private:
    struct Prefetch {
        const void* owner = nullptr;
        std::unique_ptr<FileTimePrefetch> prefetch;
    };

    /// The prefetches given, changed only while no lookup runs.
    std::vector<Prefetch> prefetches_;
    /// Whether they are consulted: not once jobs may have run.
    std::atomic<bool> inUse_{false};
    /// Which open directories hold: a thread's kept under another value are closed. Unique
    /// among every `PathStamps` of the process, so no two share open directories.
    std::atomic<std::uint64_t> generation_;
};

}  // namespace Rilk
