#include "app/cache/file/cache_chunk_queue.h"

#include <utility>

namespace Rilk {

void CacheChunkQueue::add(CacheRecordChunk chunk) {
    {
        std::lock_guard lock(mutex_);
        chunks_.push_back(std::move(chunk));
    }
    added_.notify_one();
}

void CacheChunkQueue::close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    added_.notify_all();
}

CacheRecordChunk* CacheChunkQueue::take() {
    std::unique_lock lock(mutex_);
    added_.wait(lock, [this] { return closed_ || taken_ < chunks_.size(); });
    if (taken_ == chunks_.size()) return nullptr;
    return &chunks_[taken_++];
}

}  // namespace Rilk
