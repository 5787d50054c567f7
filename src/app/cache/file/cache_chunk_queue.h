#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "app/cache/file/cache_file_records.h"

namespace Rilk {

/// Consecutive records of a cache file: where each starts, and once read, the records.
struct CacheRecordChunk {
    std::vector<std::size_t> starts;
    std::vector<CacheFileRecord> records;
    /// The file paths the records name, when they are asked for (`addCachedFilePaths`).
    std::string filePaths;
};

/// The chunks of a cache file in file order, handed out to the threads that read them while
/// the walk that finds them goes on. Chunks never move once added, so a taken chunk is read
/// without holding the lock.
class CacheChunkQueue {
public:
    /// Adds the next chunk; one waiting taker may take it.
    void add(CacheRecordChunk chunk);
    /// No chunk follows; takers stop waiting.
    void close();
    /// The next chunk nobody has taken, waiting for one to be added; null once the queue is
    /// closed and every chunk taken.
    CacheRecordChunk* take();
    /// Every chunk, in file order; only once no taker is left.
    std::deque<CacheRecordChunk>& chunks() { return chunks_; }

private:
    std::mutex mutex_;
    std::condition_variable added_;
    std::deque<CacheRecordChunk> chunks_;
    std::size_t taken_ = 0;
    bool closed_ = false;
};

/// Closes the queue when it goes out of scope, however the scope is left, so that no taker
/// waits forever.
class CacheChunkQueueCloser {
public:
    explicit CacheChunkQueueCloser(CacheChunkQueue& queue) : queue_(queue) {}
    ~CacheChunkQueueCloser() { queue_.close(); }
    CacheChunkQueueCloser(const CacheChunkQueueCloser&) = delete;
    CacheChunkQueueCloser& operator=(const CacheChunkQueueCloser&) = delete;

private:
    CacheChunkQueue& queue_;
};

}  // namespace Rilk
