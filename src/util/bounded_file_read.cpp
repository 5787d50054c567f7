#include "util/bounded_file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <utility>

namespace Util {

std::optional<std::string> readRegularFile(const std::filesystem::path& path,
                                           std::size_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    std::optional<std::string> text;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<std::uint64_t>(info.st_size) <= maxBytes) {
        // One byte more than the size is asked for, so that a file that grew is noticed.
        std::string buffer(static_cast<std::size_t>(info.st_size) + 1, '\0');
        std::size_t filled = 0;
        for (;;) {
            const ssize_t count = ::read(fd, buffer.data() + filled, buffer.size() - filled);
            if (count < 0 && errno == EINTR) continue;
            if (count < 0) break;
            filled += static_cast<std::size_t>(count);
            if (count != 0 && filled == buffer.size() && filled <= maxBytes) {
                buffer.resize(std::min(buffer.size() * 2, maxBytes + 1));
                continue;
            }
            if (filled <= maxBytes) {
                buffer.resize(filled);
                text = std::move(buffer);
            }
            break;
        }
    }
    ::close(fd);
    return text;
}

}  // namespace Util
