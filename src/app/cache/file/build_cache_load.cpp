// Reading the build cache file into the cache's records.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/cache/file/build_cache.h"
#include "app/cache/file/cache_file_format.h"
#include "app/cache/file/cache_file_records.h"
#include "app/cache/file/cache_record_reader.h"
#include "util/bounded_file_read.h"
#include "util/logger.h"
#include "util/mapped_file.h"
#include "util/shown_text.h"
#include "util/thread_elsewhere.h"

namespace Rilk {
namespace {

/// Threads that read a file of `count` records: one for every 64 records, up to six; a
/// small file is read on this one. The units load meanwhile, a large file of them on up to
/// four threads; on eight cores the build still starts sooner with six readers than with
/// four, since the records, not the units, are what it waits for then.
unsigned readThreads(std::uint64_t count) {
    constexpr std::uint64_t kRecordsPerThread = 64;
    constexpr unsigned kMaxThreads = 6;
    const unsigned cores = std::max(1U, std::thread::hardware_concurrency());
    return static_cast<unsigned>(
        std::clamp<std::uint64_t>(count / kRecordsPerThread, 1, std::min(cores, kMaxThreads)));
}

/// Whether the record `file` read from the cache file replaces the run's own record `own`
/// of its key (see `BuildCache::takeRecordsOfFile`). Takes `own`'s mutex. `ownBytesLost`:
/// the file `own` was read from changed in place, so its bytes are not read; a record read
/// then is replaced, a record stored since is kept (its stamps still tell whether it holds).
bool takesFileRecord(const RuntimeRecord& own, const RuntimeRecord& file, bool overStored,
                     bool ownBytesLost) {
    std::lock_guard lock(own.mutex());
    if (overStored && own.state == RuntimeRecord::Claimed) return false;
    if (!own.current) {
        return ownBytesLost || !own.heldAsBytes() || own.heldBytes != file.heldBytes;
    }
    if (ownBytesLost) return false;
    // Stored by this run: the file's record is newer when it is not the one last read.
    return overStored && (own.heldBytes.empty() || own.heldBytes != file.heldBytes);
}

}  // namespace

BuildCache::ReadResult BuildCache::readFile(const std::filesystem::path& file, bool holdBytes) {
    // Mapped, not copied: a huge damaged file is rejected after its first line without
    // being read into memory.
    std::optional<Util::MappedFile> mapped;
    try {
        mapped = Util::MappedFile::openChecked(file);
    } catch (const Util::FileReadError& error) {
        ReadResult result;
        result.messages.push_back(
            fmt::format("Cache file '{}' cannot be read: {}. Starting with empty cache.\n",
                        file.string(), error.reason()));
        return result;
    }
    if (!mapped) return ReadResult();
    // The records held as bytes are read in place: the mapping stays while they do.
    auto storage = std::make_shared<const Util::MappedFile>(std::move(*mapped));
    const std::string_view bytes = storage->bytes();
    ReadResult result = readBytes(bytes, file.string(), true, holdBytes ? storage : nullptr);
    result.fileStamp = storage->stamp();
    if (!storage->unchanged()) {
        // Cut short or rewritten under the read (lost pages read as zero bytes): what was
        // read is no record of anything, and its messages would blame the file's writer.
        ReadResult changed;
        changed.messages.push_back(changedFileMessage(file));
        changed.fileStamp = storage->stamp();
        changed.fileChanged = true;
        return changed;
    }
    if (result.heldStorage) result.heldFile = std::move(storage);
    return result;
}

void BuildCache::takeRecordsOfFile(bool overStored) {
    const std::optional<Util::FileStamp> now = Util::stampOfFile(path_.c_str());
    if (!now || now == loadedStamp_) return;
    // Held as bytes, so that each record can be told from the one read before.
    ReadResult read = readFile(path_, true);
    // Changed again while it was read: the records read before may lie in it too.
    if (read.fileChanged) loseHeldBytes();
    // The file may have been changed in place, under the bytes of the records read before.
    const bool ownBytesLost = !heldBytesStillRead();
    loadedStamp_ = now;
    // Kept before the records that lie in them are taken in.
    if (read.heldStorage) heldStorage_.push_back(std::move(read.heldStorage));
    if (read.heldFile) heldFiles_.push_back(std::move(read.heldFile));
    takeRecords(std::move(read.records), [&](const RuntimeRecord& own, const RuntimeRecord& file) {
        return takesFileRecord(own, file, overStored, ownBytesLost);
    });
}

void BuildCache::startLoading() {
    if (pending_.valid()) return;
    auto read = std::make_shared<std::packaged_task<ReadResult()>>(
        [file = path_, hold = holdAsBytes_] { return readFile(file, hold); });
    pending_ = read->get_future();
    // The caller loads the units meanwhile: the read starts on another processor.
    loader_ = Util::startElsewhere([read] { (*read)(); });
}

void BuildCache::load() {
    if (!pending_.valid()) {
        install(readFile(path_, holdAsBytes_));
        return;
    }
    ReadResult read = pending_.get();
    loader_.join();
    install(std::move(read));
}

// The records are given this cache as their backing before its `RecordBacking` side is made:
// they only keep its address.
BuildCache::BuildCache(std::filesystem::path file) : CacheRecords(this), path_(std::move(file)) {}

BuildCache::~BuildCache() {
    if (loader_.joinable()) loader_.join();
    // The stamps may be the run's, shared with other caches.
    stamps().forgetPrefetch(this);
}

void BuildCache::loadBytes(std::string_view bytes) {
    if (pending_.valid()) pending_.wait();
    if (loader_.joinable()) loader_.join();
    pending_ = {};
    if (!holdAsBytes_) {
        install(readBytes(bytes, path_.string(), false, nullptr));
        // The bytes stand for the file as it is now.
        loadedStamp_ = Util::stampOfFile(path_.c_str());
        return;
    }
    // Records held as bytes lie in them: a copy is kept with the cache.
    auto copy = std::make_shared<const std::string>(bytes);
    const std::string_view held = *copy;
    install(readBytes(held, path_.string(), false, std::move(copy)));
    // The bytes stand for the file as it is now.
    loadedStamp_ = Util::stampOfFile(path_.c_str());
}

BuildCache::ReadResult BuildCache::readBytes(std::string_view bytes, const std::string& shown,
                                             bool bytesOfFile,
                                             std::shared_ptr<const void> storage) {
    ReadResult result;
    auto note = [&](std::string message) { result.messages.push_back(std::move(message)); };
    CacheInput in(bytes);
    std::string_view header;
    std::uint64_t count = 0;
    bool whole = false;
    if (!in.readLine(header, kMaxCacheLine)) {
        note(fmt::format("Cache file '{}' has invalid header. Starting with empty cache.\n",
                         shown));
    } else if (!cacheFileVersion(header)) {
        note(
            fmt::format("Cache file '{}' has unsupported header '{}'. Starting with empty cache.\n",
                        shown, Util::shownText(header)));
    } else if (!readCountLine(in, count)) {
        note(fmt::format("Cache file '{}' has invalid records count. Starting with empty cache.\n",
                         shown));
    } else {
        const CacheFileVersion version = *cacheFileVersion(header);
        whole = version == kCurrentCacheVersion;
        // The files the records name are asked for soon after a file is read: their times
        // are read ahead.
        CacheFileRecords read = readCacheFileRecords(bytes, in.position(), version, count,
                                                     readThreads(count), kCacheChunkRecords,
                                                     bytesOfFile, storage != nullptr);
        if (bytesOfFile) result.prefetch = FileTimePrefetch::start(std::move(read.filePaths));
        result.records.reserve(read.records.size());
        std::size_t damaged = 0;
        for (CacheFileRecord& record : read.records) {
            if (record.malformedPart != nullptr) {
                note(fmt::format("Cache file '{}' is malformed ({}). Starting with empty cache.\n",
                                 shown, record.malformedPart));
                result.records.clear();
                result.prefetch.reset();
                whole = false;
                break;
            }
            if (record.damaged) {
                if (++damaged <= Util::kShownRepeats) {
                    note(fmt::format("Build cache record '{}' is damaged. Dropping it.\n",
                                     Util::shownText(record.key)));
                }
                whole = false;
                continue;
            }
            // A key given twice leaves one record, so the file holds more than the cache.
            if (!result.records
                     .insert_or_assign(Util::CiString(record.key), std::move(record.record))
                     .second) {
                whole = false;
            }
        }
        if (damaged > Util::kShownRepeats) {
            note(fmt::format("... and {} more damaged build cache records dropped.\n",
                             damaged - Util::kShownRepeats));
        }
        // Bytes after the last record are not part of any; the file is written anew.
        if (read.end != bytes.size()) whole = false;
    }
    result.fileIsCurrent = bytesOfFile && whole;
    if (!result.records.empty()) result.heldStorage = std::move(storage);
    return result;
}

void BuildCache::install(ReadResult read) {
    for (const std::string& message : read.messages) log(LogLevel::Warning, "{}", message);
    if (read.fileChanged) changeReported_ = true;
    loadedStamp_ = read.fileStamp;
    if (read.heldStorage) heldStorage_.push_back(std::move(read.heldStorage));
    if (read.heldFile) heldFiles_.push_back(std::move(read.heldFile));
    replaceRecords(std::move(read.records));
    fileIsCurrent_ = read.fileIsCurrent;
    stamps().usePrefetch(this, std::move(read.prefetch));
}

}  // namespace Rilk
