#include "app/cache/cache_records.h"

#include <utility>

#include "app/cache/record_comparison.h"
#include "util/logger.h"

namespace Rilk {

void CacheRecords::upsert(const std::string& key, RecordContents contents, std::uint64_t token) {
    std::unique_lock mapLock(mapMutex_);
    auto found = records_.find(key);
    if (found == records_.end()) {
        auto record = std::make_shared<RuntimeRecord>();
        record->contents = std::move(contents);
        record->current = true;
        records_.emplace(key, std::move(record));
        changed_ = true;
        mapLock.unlock();
        if (verbosity <= 0) printColored(37, "Inserted new cache record for '{}'.\n", key);
        return;
    }
    std::shared_ptr<RuntimeRecord> record = found->second;
    mapLock.unlock();

    std::lock_guard recordLock(record->mutex());
    if (token == 0 || token != record->claimToken) {
        log(LogLevel::Error, "Cache upsert rejected for '{}': claim token mismatch.\n", key);
        return;
    }
    record->contents = std::move(contents);
    changed_ = true;
    record->state = RuntimeRecord::Idle;
    record->current = true;
    record->claimToken = 0;
    record->stored().notify_all();
}

CacheRecords::Lookup CacheRecords::findOrClaim(const std::string& key) {
    std::lock_guard mapLock(mapMutex_);
    auto found = records_.find(key);
    if (found != records_.end()) return Lookup{found->second, 0};
    auto record = std::make_shared<RuntimeRecord>();
    record->current = true;
    record->state = RuntimeRecord::Claimed;
    record->claimToken = takeClaimToken();
    records_.emplace(key, record);
    changed_ = true;
    return Lookup{record, record->claimToken};
}

std::shared_ptr<RuntimeRecord> CacheRecords::find(const std::string& key) const {
    std::lock_guard mapLock(mapMutex_);
    auto found = records_.find(key);
    return found == records_.end() ? nullptr : found->second;
}

std::size_t CacheRecords::size() const {
    std::lock_guard mapLock(mapMutex_);
    return records_.size();
}

std::vector<std::size_t> CacheRecords::staleAgainst(const RuntimeRecord& record,
                                                    RecordContents& plan) {
    if (!record.heldAsBytes()) return staleWorkItems(record.contents, plan, *stamps_);
    // Bytes without a backing to read them are no record.
    if (backing_ == nullptr) return everyWorkItem(plan);
    return backing_->staleAgainstHeld(record, plan, *stamps_);
}

void CacheRecords::takeRecords(
    RecordMap incoming,
    const std::function<bool(const RuntimeRecord& own, const RuntimeRecord& incoming)>& replaces) {
    std::lock_guard mapLock(mapMutex_);
    for (auto& [key, record] : incoming) {
        const auto own = records_.find(key);
        if (own != records_.end() && !replaces(*own->second, *record)) continue;
        records_.insert_or_assign(key, std::move(record));
        changed_ = true;
    }
}

std::vector<std::pair<std::string, std::shared_ptr<RuntimeRecord>>> CacheRecords::snapshot() const {
    std::vector<std::pair<std::string, std::shared_ptr<RuntimeRecord>>> all;
    std::lock_guard mapLock(mapMutex_);
    all.reserve(records_.size());
    for (const auto& [key, record] : records_) all.emplace_back(key.str(), record);
    return all;
}

void CacheRecords::replaceRecords(RecordMap records) {
    {
        std::lock_guard mapLock(mapMutex_);
        records_.swap(records);
        changed_ = false;
    }
    nextClaimToken_ = 1;
    // The old records are released here, outside the lock.
}

}  // namespace Rilk
