#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/cache/file_time_prefetch.h"
#include "types/rilk_path_string.h"
#include "util/file_stamp.h"

namespace Rilk {

/// The stamps (modification time in nanoseconds, size, inode) of the files a run's records
/// name, as the run reads them: one per run, with the run's records (`CacheRecords::stamps`).
/// A stamp is nothing when the file cannot be read; a path holding a NUL byte names no file.
///
/// A relative text is looked up from its base directory, which is kept open from call to
/// call, so the system walks only the text's own components, not the base's again on every
/// call. That answers as the full path does while the base directories stay where they are;
/// only the build's jobs change files during a run, and `filesMayChange` is called before
/// they run and after. Any lookup that fails this way is repeated with the full path. Each
/// thread keeps its own open directories (the build plans its targets on the threads of
/// its chain, one at a time) and closes them when it ends or another run's stamps are read.
///
/// A stamp the run's file time prefetch has already read for exactly the same full path text
/// is taken as it is (see `FileTimePrefetch`); the prefetch is dropped before any job runs.
class PathStamps {
public:
    PathStamps();
    /// Stops the prefetch and waits for its threads.
    ~PathStamps();
    PathStamps(const PathStamps&) = delete;
    PathStamps& operator=(const PathStamps&) = delete;

    /// The stamp of the file that a path value names (links followed).
    std::optional<Util::FileStamp> of(const RilkPathString& path) const;
    /// `of` a full path text (a path string with no base directory).
    std::optional<Util::FileStamp> ofFile(const std::string& fullPath) const;

    /// `of` a file a command has just run with, read anew (never read ahead), or nothing when
    /// the file's status changed (`st_ctime`) at or after `since`, the command's start: the
    /// command may have read another content, whatever time the file was given back (as
    /// `cp -p`, `tar`, `rsync -t` or `touch -d` give one).
    std::optional<Util::FileStamp> unchangedSince(const RilkPathString& path,
                                                  std::int64_t since) const;
    /// `unchangedSince` of a full path text.
    std::optional<Util::FileStamp> fileUnchangedSince(const std::string& fullPath,
                                                      std::int64_t since) const;

    /// Makes `prefetch` the one consulted (null: none), in place of any before. Called before
    /// the build plans, on the thread that plans it.
    void usePrefetch(std::unique_ptr<FileTimePrefetch> prefetch);

    /// Jobs are about to run or have run: stops the prefetch and consults it no more (its
    /// times were read before any job could change a file), and closes the base directories
    /// every thread keeps open (each one at its next lookup), so that the next lookups open
    /// them again.
    void filesMayChange();
    /// Only the second half of `filesMayChange`: the open base directories are closed.
    void forgetOpenDirectories();

private:
    /// The prefetch consulted; null when there is none or jobs may have run.
    std::atomic<FileTimePrefetch*> inUse_{nullptr};
    /// The prefetch given, kept until another is given: a lookup may still be reading it.
    std::unique_ptr<FileTimePrefetch> prefetch_;
    /// Which open directories hold: a thread's kept under another value are closed. Unique
    /// among every `PathStamps` of the process, so no two share open directories.
    std::atomic<std::uint64_t> generation_;
};

}  // namespace Rilk
