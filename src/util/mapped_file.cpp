#include "util/mapped_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <limits>
#include <utility>

#include "util/bounded_file_read.h"

namespace Util {

std::optional<MappedFile> MappedFile::open(const std::filesystem::path& path) {
    try {
        return openChecked(path);
    } catch (const FileReadError&) {
        return std::nullopt;
    }
}

std::optional<MappedFile> MappedFile::openChecked(const std::filesystem::path& path) {
    off_t fileSize = 0;
    int fd = -1;
    try {
        fd = openRegularFile(path, {std::numeric_limits<std::size_t>::max(), false}, fileSize);
    } catch (const FileReadError& error) {
        if (error.failure() == FileReadFailure::Missing) return std::nullopt;
        throw;
    }
    std::optional<MappedFile> result;
    const auto size = static_cast<std::size_t>(fileSize);
    if (size == 0) {
        result.emplace(MappedFile(nullptr, 0));
    } else {
        void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (data != MAP_FAILED) result.emplace(MappedFile(data, size));
    }
    ::close(fd);
    return result;
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
    if (this != &other) {
        release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

MappedFile::~MappedFile() { release(); }

void MappedFile::release() {
    if (data_ != nullptr) ::munmap(data_, size_);
    data_ = nullptr;
    size_ = 0;
}

}  // namespace Util
