#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace Util {

/// Who owns a mark: it goes when its owner ends, also by SIGKILL.
enum class MarkOwner {
    /// The process: the kernel tells others its id. All of a process's marks on a file go
    /// when it closes any descriptor of that file.
    Process,
    /// The open descriptor (not passed on to programs started after): its marks go when it is
    /// closed.
    Descriptor,
};

/// Where a file is: its device and inode, the same by whatever path it is reached.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

/// A mark held by a process, as another process sees it.
struct ProcessMark {
    /// Its id in this process's PID namespace; 0 when it is not visible here.
    pid_t pid = 0;
    std::int64_t offset = 0;
};

/// Marks on a file: one-byte read locks (`fcntl`), which other processes can see but which
/// never keep anyone from the file, from its `flock` lock nor from marking it. A mark may lie
/// far beyond the file's end, changes nothing in it and needs only read access to the file.
/// Used to say things about the holder of a lock file, and about the runs that wait, that
/// stay true for exactly as long as their owner lives.
class MarkedFile {
public:
    /// Opens `file` to read (never through a symbolic link, never waiting on a FIFO); empty
    /// when it is missing or cannot be opened, or is not a regular file.
    static std::optional<MarkedFile> open(const std::filesystem::path& file);
    /// Wraps a descriptor this object does not own (valid while it is used).
    static MarkedFile borrow(int fd) { return MarkedFile(fd, false); }

    /// Places a mark at `offset` (0 or more); whether it was placed.
    bool place(std::int64_t offset, MarkOwner owner) const;
    /// Takes away this descriptor's mark at `offset`.
    void remove(std::int64_t offset) const;
    /// Whether a mark that another descriptor or process owns lies at `offset`.
    bool isMarked(std::int64_t offset) const;
    /// A mark that another process owns in [from, to], with the process.
    std::optional<ProcessMark> processMark(std::int64_t from, std::int64_t to) const;
    /// The offsets in [from, to] at which others' marks lie, in no order, at most `limit`.
    std::vector<std::int64_t> marked(std::int64_t from, std::int64_t to, std::size_t limit) const;
    /// Whether this descriptor could take the file's exclusive `flock` lock now (which it lets
    /// go at once).
    bool lockIsFree() const;
    FileIdentity identity() const;

    MarkedFile(const MarkedFile&) = delete;
    MarkedFile& operator=(const MarkedFile&) = delete;
    MarkedFile(MarkedFile&& other) noexcept : fd_(other.fd_), owned_(other.owned_) {
        other.fd_ = -1;
    }
    MarkedFile& operator=(MarkedFile&& other) noexcept;
    ~MarkedFile();

private:
    MarkedFile(int fd, bool owned) : fd_(fd), owned_(owned) {}

    int fd_ = -1;
    bool owned_ = true;
};

}  // namespace Util
