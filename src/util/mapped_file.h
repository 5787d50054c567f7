#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>

namespace Util {

/// The bytes of a regular file, mapped read-only into memory instead of copied, so that a
/// reader that stops early touches only the pages it looked at: a huge or sparse file
/// costs address space, not memory.
///
/// The mapping stays valid while the object lives. Files written through
/// `writeFileReplacing` are replaced by a rename, never shrunk in place, so the mapped bytes
/// cannot vanish under a reader.
class MappedFile {
public:
    /// Maps `path`, opened as `openRegularFile` does (it never blocks). Empty when it cannot
    /// be opened, is not a regular file or cannot be mapped; an empty regular file gives an
    /// object with no bytes.
    static std::optional<MappedFile> open(const std::filesystem::path& path);
    /// `open` that tells why: empty only when there is no such file or it cannot be mapped;
    /// throws FileReadError when the file is there but cannot be opened or is not a regular
    /// file.
    static std::optional<MappedFile> openChecked(const std::filesystem::path& path);

    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    ~MappedFile();

    std::string_view bytes() const { return {static_cast<const char*>(data_), size_}; }

private:
    MappedFile(void* data, std::size_t size) : data_(data), size_(size) {}
    void release();

    void* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace Util
