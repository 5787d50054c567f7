#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/cache/file/cache_record_reader.h"
#include "app/cache/cache_record.h"

namespace Rilk {

/// One record of a cache file as read, before it joins the cache.
struct CacheFileRecord {
    /// The record's key, viewed in the file's bytes.
    std::string_view key;
    /// The record read; null when its structure is damaged.
    std::shared_ptr<RuntimeRecord> record;
    /// An assignment text of the record cannot be read.
    bool damaged = false;
    /// What was being read when the structure proved damaged; null when it is whole.
    const char* malformedPart = nullptr;
};

/// The records of a cache file, in file order, up to and including the first whose
/// structure is damaged (nothing after it is part of the result), and the offset after the
/// last record.
struct CacheFileRecords {
    std::vector<CacheFileRecord> records;
    std::size_t end = 0;
    /// When asked for, the full path texts of the files the records' work items name
    /// (`addCachedFilePaths`: each ended by a NUL byte), gathered as each record is read.
    std::string filePaths;
};

/// Records in one chunk of the parallel read.
inline constexpr std::size_t kCacheChunkRecords = 64;

/// Reads up to `count` records of `version` from `bytes`, the first at offset `start`,
/// exactly as reading them one after the other does, but on up to `threads` threads: this
/// thread walks the structure alone (the layout's counts and lengths make that cheap),
/// handing out chunks of `chunkRecords` records as it finds them, and the chunks are read in
/// parallel meanwhile and joined in file order. `filePaths` asks for the records' file paths
/// too. `holdBytes` keeps each record of the current layout that is not damaged and whose bytes after the key
/// are exactly what the writer gives for it as those bytes (`RuntimeRecord::heldBytes`),
/// its contents dropped on the thread that read them.
CacheFileRecords readCacheFileRecords(std::string_view bytes, std::size_t start,
                                      CacheFileVersion version, std::uint64_t count,
                                      unsigned threads,
                                      std::size_t chunkRecords = kCacheChunkRecords,
                                      bool filePaths = false, bool holdBytes = false);

}  // namespace Rilk
