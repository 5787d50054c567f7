#pragma once

#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/cache/cache_records.h"
#include "app/cache/file_time_prefetch.h"
#include "util/file_stamp.h"
#include "util/mapped_file.h"

namespace Rilk {

/// The build cache of one run: its records (`Rilk::CacheRecords`, what the build asks of
/// it) and the one file that keeps them between runs, which it reads before the build and
/// writes after it. It backs the records it holds as their bytes in that file
/// (`RecordBacking`), through the records' public calls only, and gives its records itself
/// as their backing when it is made.
class BuildCache : public CacheRecords, private RecordBacking {
public:
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

    /// The bytes of `record`, held as bytes, safe to read: the record's own while no
    /// command has run, else a copy made in `copy`. Nothing when the cache file they lie in
    /// was changed in place since it was read (`checkFileAfterCommands`), or a read of them
    /// met a page cut away from it: they are then no record of anything. Reading the
    /// record's own bytes never ends the process (`Util::guardMapping`), but what a read
    /// of them finds is trusted only while `Util::mappedBytesLost` of them is false after it
    /// (`heldRecordMatches` and `readHeldRecord` ask).
    std::optional<std::string_view> heldBytesToRead(const RuntimeRecord& record, std::string& copy);
    /// Call after commands ran: they may have cut short or rewritten the cache file in
    /// place, which changes the bytes of records held as bytes under them. Checks whether
    /// they did (one `fstat`); if so, says so once, and those bytes are not read any more:
    /// their targets build again, and `save` leaves them out.
    void checkFileAfterCommands();

    /// Starts reading the cache file on a thread of its own; the next `load` waits for it
    /// and installs what it read, so the caller can do other work meanwhile. What the read
    /// reports is printed by that `load`, as if it had read the file itself.
    void startLoading();

    /// Replaces the records with those of the cache file. Never fails: a missing file gives
    /// an empty cache silently, a damaged one an empty cache and a `Warning`, and a record
    /// whose assignment texts cannot be read is dropped alone with its own `Warning` (20 of
    /// them, then one with the count). Text quoted from the file is cut and escaped
    /// (`Util::shownText`).
    void load();

    /// `load` of a file holding `bytes` (the file itself is not read, and `save` writes it).
    void loadBytes(std::string_view bytes);

    /// Writes every record to the cache file, replacing it whole. Never fails: a failure is
    /// reported at level `Error` and leaves the previous file as it was. The records a nested
    /// run wrote to the file since it was last read are kept, but for those this run stored
    /// (`takeRecordsOfFile`). A record holding a value that the file cannot keep exactly is
    /// left out, so its target is built again; so are records held as the bytes of a file
    /// changed in place since it was read.
    ///
    /// Nothing is written when the file already holds exactly these records: it was read
    /// whole, in the current layout and without damage, and no record has been created or
    /// stored since.
    void save();

    /// Takes in the records that runs nested in this one (started by its commands) stored
    /// in the cache file since it was last read. Call it once commands have ended, before
    /// the record of their target is stored: such a record is newer than every record this
    /// run stored before the commands started, so it replaces the run's own. Costs a stat
    /// when the file has not changed.
    void takeRecordsOfNestedRuns() { takeRecordsOfFile(true); }

private:
    /// `RecordBacking`: the record's bytes read as `heldBytesToRead` gives them, compared in
    /// place when they are the plan's own as written, else parsed.
    std::vector<std::size_t> staleAgainstHeld(const RuntimeRecord& record, RecordContents& plan,
                                              const PathStamps& stamps) override;
    /// `RecordBacking`: `checkFileAfterCommands`, then `takeRecordsOfNestedRuns`.
    void commandsEnded() override;

    /// What a read of cache file bytes yields, before it is installed.
    struct ReadResult {
        RecordMap records;
        /// Whether the file holds exactly these records in the current layout.
        bool fileIsCurrent = false;
        /// The `Warning` messages of the read, in order.
        std::vector<std::string> messages;
        /// The times of the files the records name, being read ahead; may be null.
        std::unique_ptr<FileTimePrefetch> prefetch;
        /// What the bytes of records held as bytes lie in; null when none is.
        std::shared_ptr<const void> heldStorage;
        /// The same when it is the mapped file itself.
        std::shared_ptr<const Util::MappedFile> heldFile;
        /// The file's stamp when it was read; nothing when there was no file.
        std::optional<Util::FileStamp> fileStamp;
        /// The file was cut short or rewritten while it was read: no record is kept.
        bool fileChanged = false;
    };
    /// The warning for a cache file changed during the run, not by rilk.
    static std::string changedFileMessage(const std::filesystem::path& file);
    /// Reads `file`; a missing or unreadable file gives no records and no message, one
    /// changed while it was read (`fileChanged`) none and one message.
    static ReadResult readFile(const std::filesystem::path& file, bool holdBytes);
    /// Reads `bytes`, naming the file `shown` in messages; `bytesOfFile` tells whether they
    /// are the file's own. With `storage`, what keeps `bytes` alive, records may be held as
    /// bytes: the result then keeps it in `heldStorage`; without, every record is parsed.
    static ReadResult readBytes(std::string_view bytes, const std::string& shown,
                                bool bytesOfFile, std::shared_ptr<const void> storage);
    /// Prints the read's messages and installs its records.
    void install(ReadResult read);
    /// When the file changed since it was last read (a run started by one of this run's
    /// commands, nested in it, saved its own records there), takes from the file as it is
    /// now the record of every key this run has not stored, and with `overStored` also of
    /// those it stored whose record in the file differs from the one last read. A record
    /// being built (claimed) is left to its build while `overStored`: its store follows.
    void takeRecordsOfFile(bool overStored);
    /// Whether the bytes of records held as bytes are still those read: no file they lie in
    /// was changed in place. One `fstat` per such file.
    bool heldBytesUnchanged() const;
    /// Whether the bytes of records held as bytes can still be read: none were lost, and
    /// no file they lie in was changed in place since (else they are lost from now on).
    bool heldBytesStillRead();
    /// Takes the bytes of records held as bytes for lost, saying so unless the run already
    /// said that the file changed under it.
    void loseHeldBytes();

    std::filesystem::path path_;
    /// Whether the file holds exactly the records loaded from it, in the current layout.
    /// Read and written by `load` and `save` alone, on the thread that calls them.
    bool fileIsCurrent_ = false;
    bool holdAsBytes_ = false;
    /// The stamp of the file the records were last read from; nothing when there was none.
    std::optional<Util::FileStamp> loadedStamp_;
    /// The bytes that records held as bytes lie in: a mapped cache file, or a copy of the
    /// bytes `loadBytes` was given. Kept while the cache lives, also after a later load,
    /// since a build may still use a record of the former one.
    std::vector<std::shared_ptr<const void>> heldStorage_;
    /// Those of them that are mapped files, which another process may change in place.
    std::vector<std::shared_ptr<const Util::MappedFile>> heldFiles_;
    /// Set once commands have run: the mapped files may change under the held bytes.
    std::atomic<bool> commandsRan_{false};
    /// Set once a mapped file was found changed: no held bytes are read any more.
    std::atomic<bool> heldBytesLost_{false};
    /// Set once the run said that the file was changed under it: it says so once.
    std::atomic<bool> changeReported_{false};
    /// The read `startLoading` began, until `load` takes it.
    std::future<ReadResult> pending_;
    /// The thread of that read.
    std::thread loader_;
};

}  // namespace Rilk
