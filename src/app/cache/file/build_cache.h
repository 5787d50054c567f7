#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "app/cache/file_time_prefetch.h"
#include "app/cache/record_contents.h"
#include "app/cache/cache_record.h"
#include "util/ci_string.h"
#include "util/file_stamp.h"

namespace Rilk {

/// The build cache of one run: for every target built successfully, the plan its builder
/// made, kept in memory under the target's unique name (letter case ignored) and stored
/// between runs in one file.
///
/// The record map is guarded by one mutex; each record has its own (`RuntimeRecord::mutex()`, from a shared pool). Lock
/// order: the map mutex, then a record's mutex; nothing takes the map mutex while holding a
/// record's. A build that finds no usable record claims it, and only the claim holder may
/// store it (`upsert`), which wakes builds waiting for it.
class BuildCache {
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

    /// A cache for the file `file`, with no records.
    explicit BuildCache(std::filesystem::path file);
    /// Waits for a read `startLoading` began.
    ~BuildCache();
    BuildCache(const BuildCache&) = delete;
    BuildCache& operator=(const BuildCache&) = delete;

    const std::filesystem::path& path() const { return path_; }

    /// Holds each record read from now on as its bytes in the file (`RuntimeRecord::heldBytes`)
    /// instead of its parsed contents where they are exactly what the file's writer gives for
    /// the record read. Off until set: a record is then always held parsed.
    void holdRecordsAsBytes(bool hold) { holdAsBytes_ = hold; }

    /// Whether the bytes `held` of a record held as bytes are exactly what the file's writer
    /// gives for `plan`'s work items and context with what each work item's last build left
    /// (the files it read and the stamps of its files), which a plan does not know: those of
    /// the held record are then put in `lastBuilds`, one entry for each work item in order.
    /// False when the plan itself holds any of them. The plan's values then equal the
    /// record's.
    static bool heldRecordMatches(std::string_view held, const RecordContents& plan,
                                  std::vector<LastBuild>& lastBuilds);
    /// The contents of a record held as bytes, parsed as the file's reader parses them.
    static RecordContents readHeldRecord(std::string_view held);

    /// Starts reading the cache file on a thread of its own; the next `load` waits for it
    /// and installs what it read, so the caller can do other work meanwhile. What the read
    /// reports is printed by that `load`, as if it had read the file itself.
    void startLoading();

    /// Replaces the records with those of the cache file. Never fails: a missing file gives
    /// an empty cache silently, a damaged one an empty cache and a level-6 message, and a
    /// record whose assignment texts cannot be read is dropped alone with its own message.
    void load();

    /// `load` of a file holding `bytes` (the file itself is not read, and `save` writes it).
    void loadBytes(std::string_view bytes);

    /// Writes every record to the cache file, replacing it whole. Never fails: a failure is
    /// reported at level 7 and leaves the previous file as it was. The records a nested run
    /// wrote to the file meanwhile are kept (`takeRecordsOfNestedRuns`). A record holding a value
    /// that the file cannot keep exactly is left out, so its target is built again.
    ///
    /// Nothing is written when the file already holds exactly these records: it was read
    /// whole, in the current layout and without damage, and no record has been created or
    /// stored since.
    void save();

    /// Stores `contents` as the record of `key`. An existing record is changed only by the
    /// holder of its claim (`token`); the claim then ends and waiters are woken. A missing
    /// record is created unclaimed.
    void upsert(const std::string& key, const RecordContents& contents, std::uint64_t token);

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

private:
    /// What a read of cache file bytes yields, before it is installed.
    struct ReadResult {
        RecordMap records;
        /// Whether the file holds exactly these records in the current layout.
        bool fileIsCurrent = false;
        /// The level-6 messages of the read, in order.
        std::vector<std::string> messages;
        /// The times of the files the records name, being read ahead; may be null.
        std::unique_ptr<FileTimePrefetch> prefetch;
        /// What the bytes of records held as bytes lie in; null when none is.
        std::shared_ptr<const void> heldStorage;
        /// The file's stamp when it was read; nothing when there was no file.
        std::optional<Util::FileStamp> fileStamp;
    };
    /// Reads `file`; a missing or unreadable file gives no records and no message.
    static ReadResult readFile(const std::filesystem::path& file, bool holdBytes);
    /// Reads `bytes`, naming the file `shown` in messages; `bytesOfFile` tells whether they
    /// are the file's own. With `storage`, what keeps `bytes` alive, records may be held as
    /// bytes: the result then keeps it in `heldStorage`; without, every record is parsed.
    static ReadResult readBytes(std::string_view bytes, const std::string& shown,
                                bool bytesOfFile, std::shared_ptr<const void> storage);
    /// Prints the read's messages and installs its records.
    void install(ReadResult read);
    /// Takes, from the file as it is now, the record of every key this run has not stored,
    /// when the file changed since it was read: a run started by one of this run's commands
    /// (nested in it) saved its own records there.
    void takeRecordsOfNestedRuns();
    /// Installs the records read by `load` and restarts the claim tokens; `fileIsCurrent`
    /// tells whether the file holds exactly these records in the current layout.
    void replaceRecords(RecordMap records, bool fileIsCurrent);

    std::filesystem::path path_;
    mutable std::mutex mapMutex_;
    RecordMap records_;
    std::atomic<std::uint64_t> nextClaimToken_{1};
    /// Whether a record was created or stored since the records were loaded.
    std::atomic<bool> changed_{false};
    bool fileIsCurrent_ = false;
    bool holdAsBytes_ = false;
    /// The stamp of the file the records were loaded from; nothing when there was none.
    std::optional<Util::FileStamp> loadedStamp_;
    /// The bytes that records held as bytes lie in: a mapped cache file, or a copy of the
    /// bytes `loadBytes` was given. Kept while the cache lives, also after a later load,
    /// since a build may still use a record of the former one.
    std::vector<std::shared_ptr<const void>> heldStorage_;
    /// The file times read ahead for the installed records, in use until a job runs.
    std::unique_ptr<FileTimePrefetch> prefetch_;
    /// The read `startLoading` began, until `load` takes it.
    std::future<ReadResult> pending_;
    /// The thread of that read.
    std::thread loader_;
};

}  // namespace Rilk
