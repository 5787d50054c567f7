#include "util/file_marks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace Util {

namespace {

struct flock byteAt(short type, std::int64_t offset, std::int64_t length = 1) {
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = static_cast<off_t>(offset);
    range.l_len = static_cast<off_t>(length);
    return range;
}

int control(int fd, int command, struct flock& range) {
    int result = 0;
    do {
        result = ::fcntl(fd, command, &range);
    } while (result != 0 && errno == EINTR);
    return result;
}

/// The first mark of another owner that `command` (a `GETLK`) finds in [from, to].
std::optional<struct flock> markIn(int fd, int command, std::int64_t from, std::int64_t to) {
    if (fd < 0 || to < from) return std::nullopt;
    struct flock range = byteAt(F_WRLCK, from, to - from + 1);
    if (control(fd, command, range) != 0 || range.l_type == F_UNLCK) return std::nullopt;
    return range;
}

}  // namespace

std::optional<MarkedFile> MarkedFile::open(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    return MarkedFile(fd, true);
}

bool MarkedFile::place(std::int64_t offset, MarkOwner owner) const {
    struct flock range = byteAt(F_RDLCK, offset);
    return control(fd_, owner == MarkOwner::Process ? F_SETLK : F_OFD_SETLK, range) == 0;
}

void MarkedFile::remove(std::int64_t offset) const {
    struct flock range = byteAt(F_UNLCK, offset);
    control(fd_, F_OFD_SETLK, range);
}

bool MarkedFile::isMarked(std::int64_t offset) const {
    return markIn(fd_, F_OFD_GETLK, offset, offset).has_value();
}

std::optional<ProcessMark> MarkedFile::processMark(std::int64_t from, std::int64_t to) const {
    const std::optional<struct flock> found = markIn(fd_, F_GETLK, from, to);
    // A mark of a descriptor has no process (-1).
    if (!found || found->l_pid < 0) return std::nullopt;
    return ProcessMark{found->l_pid, static_cast<std::int64_t>(found->l_start)};
}

std::vector<std::int64_t> MarkedFile::marked(std::int64_t from, std::int64_t to,
                                             std::size_t limit) const {
    // Each answer is one mark (or several next to each other, merged); the rest of the
    // range is asked again on both sides of it.
    std::vector<std::int64_t> found;
    std::vector<std::pair<std::int64_t, std::int64_t>> ranges{{from, to}};
    while (!ranges.empty() && found.size() < limit) {
        const auto [first, last] = ranges.back();
        ranges.pop_back();
        const std::optional<struct flock> mark = markIn(fd_, F_OFD_GETLK, first, last);
        if (!mark) continue;
        const std::int64_t start = std::max<std::int64_t>(mark->l_start, first);
        const std::int64_t end =
            mark->l_len == 0 ? last : std::min<std::int64_t>(mark->l_start + mark->l_len - 1, last);
        for (std::int64_t at = start; at <= end && found.size() < limit; ++at) found.push_back(at);
        if (start > first) ranges.emplace_back(first, start - 1);
        if (end < last) ranges.emplace_back(end + 1, last);
    }
    return found;
}

bool MarkedFile::lockIsFree() const {
    int result = 0;
    do {
        result = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) return false;
    ::flock(fd_, LOCK_UN);
    return true;
}

FileIdentity MarkedFile::identity() const {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) return {};
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

MarkedFile& MarkedFile::operator=(MarkedFile&& other) noexcept {
    if (this != &other) {
        if (owned_ && fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        owned_ = other.owned_;
    }
    return *this;
}

MarkedFile::~MarkedFile() {
    if (owned_ && fd_ >= 0) ::close(fd_);
}

}  // namespace Util
