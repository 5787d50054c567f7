#include "util/mapped_file.h"

#include <sys/mman.h>
#include <sys/stat.h>
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
    struct stat info {};
    int fd = -1;
    try {
        fd = openRegularFile(path, {std::numeric_limits<std::size_t>::max(), false}, info);
    } catch (const FileReadError& error) {
        if (error.failure() == FileReadFailure::Missing) return std::nullopt;
        throw;
    }
    const auto size = static_cast<std::size_t>(info.st_size);
    void* data = nullptr;
    if (size != 0) {
        data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (data == MAP_FAILED) {
            ::close(fd);
            return std::nullopt;
        }
    }
    return MappedFile(data, size, fd, stampOf(info));
}

MappedFile::MappedFile(void* data, std::size_t size, int fd, const FileStamp& stamp)
    : data_(data), size_(size), fd_(fd), stamp_(stamp) {
    if (data_ != nullptr) guard_ = guardMapping(data_, size_);
}

bool MappedFile::unchanged() const {
    struct stat info {};
    return fd_ >= 0 && !pagesLost() && ::fstat(fd_, &info) == 0 && stampOf(info) == stamp_;
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      fd_(std::exchange(other.fd_, -1)),
      stamp_(other.stamp_),
      guard_(std::exchange(other.guard_, nullptr)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
    if (this != &other) {
        release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        fd_ = std::exchange(other.fd_, -1);
        stamp_ = other.stamp_;
        guard_ = std::exchange(other.guard_, nullptr);
    }
    return *this;
}

MappedFile::~MappedFile() { release(); }

void MappedFile::release() {
    // Unguarded first: the addresses may be mapped again by anyone once unmapped.
    if (guard_ != nullptr) unguardMapping(guard_);
    guard_ = nullptr;
    if (data_ != nullptr) ::munmap(data_, size_);
    if (fd_ >= 0) ::close(fd_);
    data_ = nullptr;
    size_ = 0;
    fd_ = -1;
}

}  // namespace Util
