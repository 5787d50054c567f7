#include "util/bounded_file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

namespace Util {
namespace {

std::string sizeText(std::size_t bytes) {
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    if (bytes >= kMiB && bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
    return std::to_string(bytes) + " bytes";
}

[[noreturn]] void tooLarge(const std::filesystem::path& file, std::size_t limit) {
    throw FileReadError(file, FileReadFailure::TooLarge,
                        "it is larger than the limit of " + sizeText(limit));
}

/// Closes the descriptor when the scope ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

/// Reads up to `room` bytes of `file` into `into`; 0 at its end. Retries an interrupted read.
std::size_t readSome(const Descriptor& fd, const std::filesystem::path& file, char* into,
                     std::size_t room) {
    for (;;) {
        const ssize_t count = ::read(fd.get(), into, room);
        if (count >= 0) return static_cast<std::size_t>(count);
        if (errno != EINTR) {
            throw FileReadError(file, FileReadFailure::ReadFailed, std::strerror(errno));
        }
    }
}

}  // namespace

FileReadError::FileReadError(const std::filesystem::path& file, FileReadFailure failure,
                             std::string reason)
    : std::runtime_error("Cannot read '" + file.string() + "': " + reason + "."),
      file_(file),
      failure_(failure),
      reason_(std::move(reason)) {}

int openRegularFile(const std::filesystem::path& file, const FileReadRules& rules,
                    off_t& size) {
    struct stat info {};
    const int fd = openRegularFile(file, rules, info);
    size = info.st_size;
    return fd;
}

int openRegularFile(const std::filesystem::path& file, const FileReadRules& rules,
                    struct stat& info) {
    Descriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        const int error = errno;
        throw FileReadError(file,
                            error == ENOENT ? FileReadFailure::Missing
                                            : FileReadFailure::CannotOpen,
                            std::strerror(error));
    }
    if (::fstat(fd.get(), &info) != 0) {
        throw FileReadError(file, FileReadFailure::CannotOpen, std::strerror(errno));
    }
    if (S_ISDIR(info.st_mode)) {
        throw FileReadError(file, FileReadFailure::Directory, "it is a directory");
    }
    if (!S_ISREG(info.st_mode)) {
        throw FileReadError(file, FileReadFailure::NotRegular, "it is not a regular file");
    }
    if (rules.ownFilesOnly && info.st_uid != ::geteuid()) {
        throw FileReadError(file, FileReadFailure::ForeignOwner, "it belongs to another user");
    }
    if (static_cast<std::uintmax_t>(info.st_size) > rules.maxBytes) tooLarge(file, rules.maxBytes);
    return fd.release();
}

std::string readWholeFile(const std::filesystem::path& file, const FileReadRules& rules) {
    struct stat info {};
    return readWholeFile(file, rules, info);
}

std::string readWholeFile(const std::filesystem::path& file, const FileReadRules& rules,
                          struct stat& info) {
    const Descriptor fd(openRegularFile(file, rules, info));
    // One byte more than the size is asked for, so that a file that grew is read on to
    // its end, or to the limit.
    std::string text(static_cast<std::size_t>(info.st_size) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == text.size()) {
            if (filled > rules.maxBytes) tooLarge(file, rules.maxBytes);
            text.resize(std::min(rules.maxBytes + 1, text.size() * 2));
        }
        const std::size_t count = readSome(fd, file, text.data() + filled, text.size() - filled);
        if (count == 0) break;
        filled += count;
    }
    if (filled > rules.maxBytes) tooLarge(file, rules.maxBytes);
    text.resize(filled);
    return text;
}

std::string readFilePrefix(const std::filesystem::path& file, std::size_t maxBytes) {
    off_t size = 0;
    const Descriptor fd(openRegularFile(file, {SIZE_MAX, false}, size));
    std::string text(std::min(maxBytes, static_cast<std::size_t>(size)), '\0');
    std::size_t filled = 0;
    while (filled < text.size()) {
        const std::size_t count = readSome(fd, file, text.data() + filled, text.size() - filled);
        if (count == 0) break;
        filled += count;
    }
    text.resize(filled);
    return text;
}

std::optional<std::string> readRegularFile(const std::filesystem::path& path,
                                           std::size_t maxBytes) {
    try {
        return readWholeFile(path, {maxBytes, false});
    } catch (const FileReadError&) {
        return std::nullopt;
    }
}

}  // namespace Util
