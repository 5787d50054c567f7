#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "app/cache/cache_record.h"
#include "app/cache/path_stamp.h"
#include "app/cache/record_backing.h"
#include "app/cache/record_contents.h"
#include "util/ci_string.h"

namespace Rilk {

/// What a build asks of the build cache: for every target built successfully, the plan its
/// builder made, kept in memory under the target's unique name (letter case ignored), found,
/// claimed, compared and stored while the run's targets build. Where the records come from
/// and go to between runs is not theirs to know: that side installs and takes the records
/// through the calls below and backs the records held as their bytes (`RecordBacking`).
///
/// The record map is guarded by one mutex; each record has its own (`RuntimeRecord::mutex()`,
/// from a shared pool). Lock order: the map mutex, then a record's mutex; nothing takes the
/// map mutex while holding a record's. A build that finds no usable record claims it, and
/// only the claim holder may store it (`upsert`), which wakes builds waiting for it.
class CacheRecords {
public:
    /// Hashes a record key ignoring letter case. Unlike `std::hash<Util::CiString>` it may
    /// throw, and the standard library's map then keeps every key's hash beside it: a
    /// lookup compares kept hashes instead of hashing each key on its way.
    struct KeyHash {
        std::size_t operator()(const Util::CiString& key) const {
            return Util::CiString::hash(key.str());
        }
    };
    using RecordMap = std::unordered_map<Util::CiString, std::shared_ptr<RuntimeRecord>, KeyHash>;

    /// Records backed by `backing` where they are held as their bytes; without one (records
    /// kept only in memory) none is.
    explicit CacheRecords(RecordBacking* backing = nullptr) : backing_(backing) {}
    CacheRecords(const CacheRecords&) = delete;
    CacheRecords& operator=(const CacheRecords&) = delete;

    /// Stores `contents` as the record of `key`. An existing record is changed only by the
    /// holder of its claim (`token`); the claim then ends and waiters are woken. A missing
    /// record is created unclaimed.
    void upsert(const std::string& key, RecordContents contents, std::uint64_t token);

    /// What `findOrClaim` found.
    struct Lookup {
        std::shared_ptr<RuntimeRecord> record;
        /// Not 0 when the record was missing and has been created, claimed with this token.
        std::uint64_t claimToken = 0;
    };

    /// The record of `key`; when there is none, a new empty record, current and claimed by
    /// the caller.
    Lookup findOrClaim(const std::string& key);

    /// The record of `key`, or null.
    std::shared_ptr<RuntimeRecord> find(const std::string& key) const;

    /// A claim token never handed out before in this run (never 0).
    std::uint64_t takeClaimToken() { return nextClaimToken_.fetch_add(1); }

    std::size_t size() const;

    /// The positions, in plan order, of `plan`'s work items that must be built again against
    /// `record` (`staleWorkItems`): a record held as its bytes is compared by its backing.
    /// Call with the record's mutex held.
    std::vector<std::size_t> staleAgainst(const RuntimeRecord& record, RecordContents& plan);

    /// The stamps of the files the records name, as this run reads them: the records' own
    /// unless `shareStamps` gave them the run's.
    PathStamps& stamps() { return *stamps_; }
    /// Reads the stamps through `stamps`, the run's, shared with the other records of the
    /// run. Called before the records are installed.
    void shareStamps(std::shared_ptr<PathStamps> stamps) { stamps_ = std::move(stamps); }

    /// Called once a target's commands have ended, before its record is stored (see
    /// `RecordBacking::commandsEnded`).
    void afterCommands() {
        if (backing_ != nullptr) backing_->commandsEnded();
    }

    /// Installs `records` in place of the current ones, none of them changed since, and
    /// restarts the claim tokens.
    void replaceRecords(RecordMap records);

    /// Takes in the records of `incoming`: each one whose key has no record here, and each
    /// one for which `replaces(own, incoming)` says so. Both are held by the map's lock
    /// meanwhile, so `replaces` may take the mutex of `own` but no other lock.
    void takeRecords(RecordMap incoming,
                     const std::function<bool(const RuntimeRecord& own,
                                              const RuntimeRecord& incoming)>& replaces);

    /// Every record with its key, in no particular order.
    std::vector<std::pair<std::string, std::shared_ptr<RuntimeRecord>>> snapshot() const;

    /// Whether a record was created or stored since the records were installed, or
    /// `markChanged` was called.
    bool changed() const { return changed_; }
    /// Marks the records as differing from those installed.
    void markChanged() { changed_ = true; }

private:
    mutable std::mutex mapMutex_;
    RecordMap records_;
    std::atomic<bool> changed_{false};
    std::atomic<std::uint64_t> nextClaimToken_{1};
    std::shared_ptr<PathStamps> stamps_ = std::make_shared<PathStamps>();
    /// Where the records held as their bytes lie; null when none is.
    RecordBacking* const backing_;
};

}  // namespace Rilk
