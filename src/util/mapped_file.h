#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>

#include "util/file_stamp.h"
#include "util/mapping_guard.h"

namespace Util {

/// The bytes of a regular file, mapped read-only into memory instead of copied, so that a
/// reader that stops early touches only the pages it looked at: a huge or sparse file
/// costs address space, not memory.
///
/// The mapping stays valid while the object lives, as long as the file is not changed in
/// place. Files written through `writeFileReplacing` are replaced by a rename, never
/// changed in place, but another process may still cut the file short or rewrite it: the
/// mapped bytes then change, and those past the new end are lost. Reading them never ends
/// the process: the mapping is guarded (`guardMapping`), and they read as zero bytes.
/// `pagesLost` and `unchanged` tell whether that happened.
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
    /// The file's stamp when it was mapped.
    const FileStamp& stamp() const { return stamp_; }
    /// Whether the file mapped (whatever its name is now) still has the stamp it had when it
    /// was mapped and no mapped page was lost: one `fstat`. False when it was changed in
    /// place since, or cannot be told.
    bool unchanged() const;
    /// Whether a read met a page cut away from the file, which then read as zero bytes. No
    /// system call.
    bool pagesLost() const { return guard_ != nullptr && rangeLost(guard_); }

private:
    MappedFile(void* data, std::size_t size, int fd, const FileStamp& stamp);
    void release();

    void* data_ = nullptr;
    std::size_t size_ = 0;
    /// The file mapped, kept open to tell whether it changed.
    int fd_ = -1;
    FileStamp stamp_;
    /// The guard of the mapped bytes; null when there are none.
    GuardedRange* guard_ = nullptr;
};

}  // namespace Util
