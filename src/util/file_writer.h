#pragma once

#include <sys/types.h>

#include <filesystem>
#include <initializer_list>
#include <string_view>

namespace Util {

/// Replaces the content of `target` with `content` so that a reader only ever sees the old
/// file or the new one, whole.
///
/// A regular (or missing) target is written to a uniquely named temporary file in its own
/// directory, flushed to disk, given the old file's permission bits (or 0666 under the
/// umask for a new file) and renamed over the target. A symbolic link is followed first,
/// so the file it points to is replaced and the link stays. A target that exists and is
/// not a regular file (a device such as /dev/null, a FIFO) is written directly, and so is a
/// path that names one of the process's own open descriptors (/dev/stdout, /dev/fd/N): the
/// content goes to that descriptor, after what the process wrote there before.
///
/// Throws std::runtime_error naming the file and the system's reason on any failure; the
/// temporary file is then removed and the old file is left as it was.
void writeFileReplacing(const std::filesystem::path& target, std::string_view content);

/// `writeFileReplacing` for a file the program keeps for itself (a cache, a run journal,
/// saved answers): whatever stands in its place that is not a directory (a symbolic link,
/// a FIFO, a device) is replaced by the new regular file, never written through or into,
/// so a link there never changes the file it points to. A regular file keeps its
/// permission bits, unless `mode` gives others (not 0). Without `durable` the content is not
/// flushed to disk first: for a file that needs to outlive only the process, not the system
/// (a power loss may leave it empty or damaged).
void writeOwnFileReplacing(const std::filesystem::path& target, std::string_view content,
                           bool durable = true, mode_t mode = 0);

/// Creates `target` with `content` unless something exists under that name (also a
/// dangling link); false then, and nothing is written. Of several writers at once exactly
/// one creates the file, and a reader sees no file or the whole new one: it is written to
/// a temporary file in the same directory (0666 under the umask) and linked into place.
///
/// Throws std::runtime_error naming the file and the system's reason on any other failure;
/// the temporary file is then removed.
bool writeNewFile(const std::filesystem::path& target, std::string_view content);

/// Removes from `directory` the temporary files that the writes above left for the files
/// named `names` there when their process ended before it could remove them (it was killed
/// outright): each one's name holds its writer's process id, and those of processes that
/// are gone are removed. A write in progress keeps its file, in whichever process it runs.
void removeLeftTemporaries(const std::filesystem::path& directory,
                           std::initializer_list<std::string_view> names);

}  // namespace Util
