#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace Util {

/// The most bytes a project, unit or registry file may hold: far above real files, it
/// keeps a file that never ends (a link to /dev/zero, say) from exhausting the memory.
inline constexpr std::size_t kMaxSourceFileBytes = std::size_t{256} << 20;

/// Why a file could not be read whole.
enum class FileReadFailure {
    Missing,       ///< no file of that name
    CannotOpen,    ///< the system refused to open it (permissions, say)
    Directory,     ///< a directory
    NotRegular,    ///< a FIFO, device, socket ...: it might block or never end
    ForeignOwner,  ///< owned by another user where only the user's own files are taken
    TooLarge,      ///< more bytes than the reader's limit
    ReadFailed,    ///< reading failed part way
};

/// A file that could not be read: "Cannot read '<file>': <reason>."
class FileReadError : public std::runtime_error {
public:
    FileReadError(const std::filesystem::path& file, FileReadFailure failure, std::string reason);

    const std::filesystem::path& file() const { return file_; }
    FileReadFailure failure() const { return failure_; }
    /// Why, without the file: "it is not a regular file", the system's reason ...
    const std::string& reason() const { return reason_; }

private:
    std::filesystem::path file_;
    FileReadFailure failure_;
    std::string reason_;
};

/// What the reader demands of a file beyond being a regular one.
struct FileReadRules {
    std::size_t maxBytes = kMaxSourceFileBytes;
    /// Only files owned by the effective user are taken.
    bool ownFilesOnly = false;
};

/// Opens `file` for reading without blocking (a FIFO without a writer, or a device, never
/// makes the caller wait) and checks that it is a regular file within the rules. Returns
/// the open descriptor, which the caller closes, and stores the file's size in `size`.
/// Throws FileReadError otherwise.
int openRegularFile(const std::filesystem::path& file, const FileReadRules& rules,
                    off_t& size);
/// `openRegularFile` that stores all the system tells of the file in `info`.
int openRegularFile(const std::filesystem::path& file, const FileReadRules& rules,
                    struct stat& info);

/// The whole content of a regular file of at most `rules.maxBytes` bytes, opened as
/// `openRegularFile` does; a file that grows past the limit while it is read is refused
/// as well. The only reader of whole files: every file rilk reads in full goes through it.
/// Throws FileReadError.
std::string readWholeFile(const std::filesystem::path& file, const FileReadRules& rules = {});
/// `readWholeFile` that stores all the system tells of the file, as it was opened, in `info`.
std::string readWholeFile(const std::filesystem::path& file, const FileReadRules& rules,
                          struct stat& info);

/// At most the first `maxBytes` bytes of a regular file of any size, opened as
/// `openRegularFile` does: for a reader that needs only the start of a file (its first
/// line), however large the file is. Throws FileReadError.
std::string readFilePrefix(const std::filesystem::path& file, std::size_t maxBytes);

/// `readWholeFile` for a reader that only needs to know whether it got the file: nothing
/// for any failure.
std::optional<std::string> readRegularFile(const std::filesystem::path& path, std::size_t maxBytes);

}  // namespace Util
