#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "types/rilk_path_string.h"
#include "util/file_stamp.h"

namespace Rilk {

/// The stamp (modification time in nanoseconds, size, inode) of the file that a path value
/// names (links followed), or nothing when it cannot be read; a path holding a NUL byte
/// names no file.
///
/// A relative text is looked up from its base directory, which is kept open from call to
/// call, so the system walks only the text's own components, not the base's again on every
/// call. That answers as the full path does while the base directories stay where they are;
/// only the build's jobs change files during a run, and `forgetOpenDirectories` is called
/// before they run. Any lookup that fails this way is repeated with the full path. Each
/// thread keeps its own open directories (the build plans its targets on the threads of
/// its chain, one at a time) and closes them when it ends.
///
/// A stamp the file time prefetch has already read for exactly the same full path text is
/// taken as it is (see `FileTimePrefetch`); it is dropped before any job runs.
std::optional<Util::FileStamp> pathStamp(const RilkPathString& path);

/// `pathStamp` with the file's status change time, from the same `stat` (or read ahead with
/// it): no system call more.
std::optional<Util::FileState> pathState(const RilkPathString& path);

/// `pathState` of a full path text (a path string with no base directory).
std::optional<Util::FileState> fileState(const std::string& fullPath);

/// `pathStamp` of a file a command has just run with, read anew (never read ahead), or
/// nothing when the file's status changed (`st_ctime`) at or after `since`, the command's
/// start: the command may have read another content, whatever time the file was given back
/// (as `cp -p`, `tar`, `rsync -t` or `touch -d` give one).
std::optional<Util::FileStamp> pathStampUnchangedSince(const RilkPathString& path,
                                                       std::int64_t since);

/// `pathStampUnchangedSince` of a full path text.
std::optional<Util::FileStamp> fileStampUnchangedSince(const std::string& fullPath,
                                                       std::int64_t since);

/// Closes the base directories every thread keeps open (each one at its next lookup), so
/// that the next lookups open them again.
void forgetOpenDirectories();

}  // namespace Rilk
