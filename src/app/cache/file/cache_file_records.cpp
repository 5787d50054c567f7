#include "app/cache/file/cache_file_records.h"

#include <algorithm>
#include <future>
#include <memory>
#include <string>
#include <utility>

#include "app/cache/file/cache_assignment_memo.h"
#include "app/cache/file/cache_chunk_queue.h"
#include "app/cache/file/held_record.h"
#include "app/cache/cached_file_paths.h"

namespace Rilk {
namespace {

/// Reads the record at `in`'s position into `record`, leaving `in` after it; false when its
/// structure is damaged. Gathers its file paths when `filePaths` asks for them: the record
/// is at hand just then.
bool readRecord(std::string_view bytes, CacheFileVersion version, CacheInput& in,
                CacheFileRecord& record, std::string* filePaths, bool holdBytes,
                CacheAssignmentMemo& memo) {
    CacheRecordReader reader(in, version, true, &memo);
    record.record = std::make_shared<RuntimeRecord>();
    if (!reader.read(record.key, record.record->contents)) {
        record.record.reset();
        record.malformedPart = reader.part;
        return false;
    }
    record.damaged = reader.damaged;
    if (filePaths != nullptr) addCachedFilePaths(record.record->contents, *filePaths);
    if (holdBytes && version == kCurrentCacheVersion && !record.damaged) {
        // The key is a sized text in place: its line feed ends it.
        const std::size_t contentsStart =
            static_cast<std::size_t>(record.key.data() - bytes.data()) + record.key.size() + 1;
        const std::string_view held = bytes.substr(contentsStart, in.position() - contentsStart);
        if (recordHeldAsWritten(held, record.record->contents)) {
            record.record->heldBytes = held;
            // Dropped here, where the reading thread reuses the memory freed.
            record.record->contents = RecordContents();
        }
    }
    return true;
}

/// Reads the records of `chunk`, stopping after one whose structure is damaged.
void readChunk(std::string_view bytes, CacheFileVersion version, CacheRecordChunk& chunk,
               bool filePaths, bool holdBytes, CacheAssignmentMemo& memo) {
    chunk.records.resize(chunk.starts.size());
    for (std::size_t i = 0; i < chunk.starts.size(); ++i) {
        CacheInput in(bytes, chunk.starts[i]);
        if (!readRecord(bytes, version, in, chunk.records[i],
                        filePaths ? &chunk.filePaths : nullptr, holdBytes, memo)) {
            chunk.records.resize(i + 1);
            return;
        }
    }
}

/// Reads up to `count` records from `start` on, one after the other, into one chunk, and
/// returns the offset where the read ended: what one thread does without walking the
/// structure first, which would only read every record twice.
std::size_t readInOrder(std::string_view bytes, std::size_t start, CacheFileVersion version,
                        std::uint64_t count, bool filePaths, bool holdBytes,
                        CacheChunkQueue& queue) {
    CacheAssignmentMemo memo;
    CacheRecordChunk chunk;
    CacheInput in(bytes, start);
    for (std::uint64_t i = 0; i < count; ++i) {
        chunk.starts.push_back(in.position());
        CacheFileRecord& record = chunk.records.emplace_back();
        if (!readRecord(bytes, version, in, record, filePaths ? &chunk.filePaths : nullptr,
                        holdBytes, memo)) {
            break;
        }
    }
    queue.add(std::move(chunk));
    return in.position();
}

/// Reads chunks until none is left.
void readChunks(std::string_view bytes, CacheFileVersion version, CacheChunkQueue& queue,
                bool filePaths, bool holdBytes) {
    // Each thread shares the values of repeated texts among the records it reads.
    std::unique_ptr<CacheAssignmentMemo> memo;
    while (CacheRecordChunk* chunk = queue.take()) {
        if (!memo) memo = std::make_unique<CacheAssignmentMemo>();
        readChunk(bytes, version, *chunk, filePaths, holdBytes, *memo);
    }
}

/// Walks the structure alone, adding chunks of `chunkRecords` records as they are found,
/// up to and including the first record that is not whole (which its full read reports).
/// Returns the offset where the walk ended.
std::size_t walkRecords(std::string_view bytes, std::size_t start, CacheFileVersion version,
                        std::uint64_t count, std::size_t chunkRecords, CacheChunkQueue& queue) {
    CacheInput in(bytes, start);
    RecordContents ignored;
    CacheRecordChunk chunk;
    for (std::uint64_t i = 0; i < count; ++i) {
        chunk.starts.push_back(in.position());
        CacheRecordReader walker(in, version, false);
        std::string_view key;
        const bool whole = walker.read(key, ignored);
        if (whole && chunk.starts.size() < chunkRecords) continue;
        queue.add(std::move(chunk));
        chunk = CacheRecordChunk();
        if (!whole) break;
    }
    if (!chunk.starts.empty()) queue.add(std::move(chunk));
    return in.position();
}

}  // namespace

CacheFileRecords readCacheFileRecords(std::string_view bytes, std::size_t start,
                                      CacheFileVersion version, std::uint64_t count,
                                      unsigned threads, std::size_t chunkRecords,
                                      bool filePaths, bool holdBytes) {
    CacheFileRecords result;
    CacheChunkQueue queue;
    std::vector<std::future<void>> readers;
    if (threads <= 1) {
        result.end = readInOrder(bytes, start, version, count, filePaths, holdBytes, queue);
        queue.close();
    } else {
        // Closed however this block is left, before the readers are waited for.
        CacheChunkQueueCloser closer(queue);
        // Where no thread can be started, the chunks are read by this one.
        for (unsigned k = 1; k < threads; ++k) {
            readers.push_back(std::async(std::launch::async | std::launch::deferred, readChunks,
                                         bytes, version, std::ref(queue), filePaths, holdBytes));
        }
        result.end = walkRecords(bytes, start, version, count,
                                 std::max<std::size_t>(chunkRecords, 1), queue);
    }
    if (threads > 1) readChunks(bytes, version, queue, filePaths, holdBytes);
    for (std::future<void>& reader : readers) reader.get();

    std::size_t pathBytes = 0;
    for (const CacheRecordChunk& chunk : queue.chunks()) pathBytes += chunk.filePaths.size();
    if (queue.chunks().size() > 1) result.filePaths.reserve(pathBytes);
    for (CacheRecordChunk& chunk : queue.chunks()) {
        if (queue.chunks().size() == 1) {
            result.filePaths = std::move(chunk.filePaths);
        } else {
            result.filePaths += chunk.filePaths;
            std::string().swap(chunk.filePaths);
        }
        for (CacheFileRecord& record : chunk.records) {
            // The read as a whole ends at the first damaged structure.
            const bool last = record.malformedPart != nullptr;
            result.records.push_back(std::move(record));
            if (last) return result;
        }
    }
    return result;
}

}  // namespace Rilk
