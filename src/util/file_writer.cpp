#include "util/file_writer.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include <fmt/format.h>

namespace fs = std::filesystem;

namespace Util {
namespace {

[[noreturn]] void fail(const fs::path& file, int error) {
    throw std::runtime_error(
        fmt::format("Unable to write file '{}': {}", file.string(), std::strerror(error)));
}

/// The number of the process's own open descriptor that `path` names in its descriptor
/// directory (/proc/self/fd/N, /dev/fd/N), or -1 when it names none.
int ownDescriptorNamed(const fs::path& path) {
    const std::string name = path.filename().string();
    if (name.empty() || name.size() > 9 ||
        name.find_first_not_of("0123456789") != std::string::npos) {
        return -1;
    }
    struct stat directory {};
    struct stat own {};
    if (::stat(path.parent_path().c_str(), &directory) != 0 || ::stat("/proc/self/fd", &own) != 0) {
        return -1;
    }
    const bool same = directory.st_dev == own.st_dev && directory.st_ino == own.st_ino;
    return same ? std::stoi(name) : -1;
}

/// Where a write goes: a path, or one of the process's own descriptors.
struct Destination {
    fs::path path;
    int descriptor = -1;
};

/// Follows a chain of symbolic links to the path they finally name, which need not exist,
/// or to the process's own descriptor when a link on the way names one (/dev/stdout): its
/// link names the open file only as the system sees it ("pipe:[...]", or a file that the
/// descriptor writes at its own offset).
Destination followLinks(fs::path path) {
    for (int hops = 0; hops < 40; ++hops) {
        if (const int descriptor = ownDescriptorNamed(path); descriptor >= 0) {
            return {path, descriptor};
        }
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec))) return {path};
        fs::path next = fs::read_symlink(path, ec);
        if (ec) fail(path, ec.value());
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    fail(path, ELOOP);
}

void writeAll(int fd, std::string_view content, const fs::path& file) {
    while (!content.empty()) {
        const ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(file, errno);
        }
        content.remove_prefix(static_cast<size_t>(n));
    }
}

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

/// Devices and FIFOs cannot be replaced by a rename; they are written in place.
void writeInPlace(const fs::path& file, std::string_view content) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) fail(file, errno);
    try {
        writeAll(fd, content, file);
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0) fail(file, errno);
}

/// The start of the name of a temporary file for a file named `name`; the writer's process
/// id, a dot and six random characters follow.
std::string temporaryPrefix(std::string_view name) { return "." + std::string(name) + ".tmp"; }

/// The process id in the name of a temporary file that `prefix` starts, or 0 when the name
/// is not one of a temporary file of this form.
pid_t writerOf(std::string_view name, std::string_view prefix) {
    constexpr std::size_t kRandom = 6;
    if (!name.starts_with(prefix)) return 0;
    name.remove_prefix(prefix.size());
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    const std::size_t digits = static_cast<std::size_t>(end - name.data());
    if (error != std::errc() || digits == 0 || name.size() != digits + 1 + kRandom ||
        name[digits] != '.') {
        return 0;
    }
    return pid;
}

/// Removes the temporary file unless the rename consumed it. Its name holds the process id,
/// so that a later run can tell the files of writers that were killed
/// (`removeLeftTemporaries`).
class TemporaryFile {
public:
    explicit TemporaryFile(const fs::path& target)
        : path_((target.parent_path().empty() ? fs::path(".") : target.parent_path()) /
                (temporaryPrefix(target.filename().native()) + std::to_string(::getpid()) +
                 ".XXXXXX")) {
        std::string pattern = path_.string();
        fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd_ < 0) fail(target, errno);
        path_ = pattern;
    }
    ~TemporaryFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!renamed_) ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return fd_; }
    const fs::path& path() const { return path_; }
    void closeChecked(const fs::path& target) {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) fail(target, errno);
    }
    void renamedTo(const fs::path& target) {
        if (::rename(path_.c_str(), target.c_str()) != 0) fail(target, errno);
        renamed_ = true;
    }
    /// Gives the file the name `target` unless that name exists; false then.
    bool linkedTo(const fs::path& target) {
        if (::link(path_.c_str(), target.c_str()) == 0) return true;
        if (errno == EEXIST) return false;
        fail(target, errno);
    }

private:
    fs::path path_;
    int fd_ = -1;
    bool renamed_ = false;
};

/// Writes the content into the temporary file, gives it `mode`, and makes it durable unless
/// told otherwise.
void writeWhole(TemporaryFile& temp, std::string_view content, mode_t mode,
                const fs::path& target, bool durable = true) {
    writeAll(temp.fd(), content, target);
    if (::fchmod(temp.fd(), mode) != 0) fail(target, errno);
    if (durable && ::fsync(temp.fd()) != 0) fail(target, errno);
    temp.closeChecked(target);
}

/// Writes `content` to a temporary file beside `target`, flushed and given `mode`, and
/// renames it over whatever `target` names.
void replaceByRename(const fs::path& target, std::string_view content, mode_t mode,
                     bool durable = true) {
    TemporaryFile temp(target);
    writeWhole(temp, content, mode, target, durable);
    temp.renamedTo(target);
}

}  // namespace

void writeFileReplacing(const fs::path& requested, std::string_view content) {
    const Destination destination = followLinks(requested);
    if (destination.descriptor >= 0) {
        writeAll(destination.descriptor, content, requested);
        return;
    }
    const fs::path& target = destination.path;

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) fail(target, errno);
    if (exists && !S_ISREG(old.st_mode)) {
        writeInPlace(target, content);
        return;
    }

    replaceByRename(target, content, exists ? (old.st_mode & 07777) : newFileMode());
}

void writeOwnFileReplacing(const fs::path& target, std::string_view content, bool durable,
                           mode_t mode) {
    if (mode == 0) {
        struct stat old {};
        const bool regular = ::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
        mode = regular ? (old.st_mode & 07777) : newFileMode();
    }
    replaceByRename(target, content, mode, durable);
}

bool writeNewFile(const fs::path& target, std::string_view content) {
    TemporaryFile temp(target);
    writeWhole(temp, content, newFileMode(), target);
    // A link, unlike a rename, never replaces what another writer put there meanwhile;
    // the temporary name is removed either way.
    return temp.linkedTo(target);
}

void removeLeftTemporaries(const fs::path& directory,
                           std::initializer_list<std::string_view> names) {
    std::vector<std::string> prefixes;
    for (const std::string_view name : names) prefixes.push_back(temporaryPrefix(name));
    DIR* listing = ::opendir(directory.empty() ? "." : directory.c_str());
    if (listing == nullptr) return;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name(entry->d_name);
        for (const std::string& prefix : prefixes) {
            const pid_t writer = writerOf(name, prefix);
            // A process that is there, if not ours to signal, may still be writing.
            if (writer > 0 && ::kill(writer, 0) != 0 && errno == ESRCH) {
                ::unlinkat(::dirfd(listing), entry->d_name, 0);
            }
        }
    }
    ::closedir(listing);
}

}  // namespace Util
