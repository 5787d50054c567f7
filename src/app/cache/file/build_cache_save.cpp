// Writing the build cache's records to its file.
#include <algorithm>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "app/cache/file/build_cache.h"
#include "app/cache/file/cache_file_format.h"
#include "app/cache/file/cache_record_layout.h"
#include "app/cache/file/cache_record_writer.h"
#include "util/file_writer.h"
#include "util/logger.h"
#include "util/mapped_copy.h"
#include "util/special_file.h"

namespace Rilk {
namespace {

using Snapshot = std::vector<std::pair<std::string, std::shared_ptr<RuntimeRecord>>>;

/// The records as the file holds them after its count line.
struct Body {
    std::string text;
    std::size_t records = 0;
    /// Where the records held as bytes lie in `text`, in order, each from its key on.
    std::vector<std::pair<std::size_t, std::size_t>> held;
    /// Whether any record is held as bytes, written or not.
    bool anyHeld = false;
    /// Whether held bytes could not be read: the file they lie in was cut short.
    bool heldCut = false;

    /// Takes the records held as bytes out again.
    void dropHeld() {
        std::string kept;
        std::size_t from = 0;
        for (const auto& [start, end] : held) {
            kept.append(text, from, start - from);
            from = end;
        }
        kept.append(text, from);
        text = std::move(kept);
        records -= held.size();
        held.clear();
    }
};

/// Writes the records of `snapshot`; those held as bytes only `withHeld`, and none after
/// one whose bytes cannot be read.
Body writeBody(const Snapshot& snapshot, bool withHeld) {
    Body body;
    for (const auto& [key, record] : snapshot) {
        const std::size_t start = body.text.size();
        std::lock_guard recordLock(record->mutex());
        // A record held as bytes holds exactly what the writer gives for it.
        if (record->heldAsBytes()) {
            body.anyHeld = true;
            if (!withHeld || body.heldCut) continue;
            writeSizedString(body.text, key);
            const std::size_t at = body.text.size();
            body.text.resize(at + record->heldBytes.size());
            if (!Util::copyMappedBytes(body.text.data() + at, record->heldBytes)) {
                body.text.resize(start);
                body.heldCut = true;
                continue;
            }
            body.held.emplace_back(start, body.text.size());
            ++body.records;
            continue;
        }
        if (!writeRecord(body.text, key, record->contents)) {
            body.text.resize(start);
            log(LogLevel::Warning,
                "Cache record for '{}' holds a value the cache file cannot keep; not saved, so "
                "it builds again on the next run.\n",
                key);
            continue;
        }
        ++body.records;
    }
    return body;
}

}  // namespace

void BuildCache::save() {
    if (fileIsCurrent_ && !changed()) return;
    takeRecordsOfFile(false);
    Snapshot snapshot = CacheRecords::snapshot();
    // A fixed order keeps the file the same from run to run.
    std::sort(snapshot.begin(), snapshot.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });

    // Held bytes are copied only from files unchanged since they were read, and kept only
    // when the files are still unchanged once they are copied: else they may be others.
    const bool heldUsable = heldBytesStillRead();
    Body body = writeBody(snapshot, heldUsable);
    if (body.anyHeld && (!heldUsable || body.heldCut || !heldBytesUnchanged())) {
        body.dropHeld();
        loseHeldBytes();
    }

    const std::filesystem::path directory = path_.parent_path();
    if (!directory.empty()) {
        std::error_code error;
        std::filesystem::create_directories(directory, error);
        if (error) {
            log(LogLevel::Error, "Unable to create cache directory '{}': {}\n", directory.string(),
                error.message());
            return;
        }
    }
    // A FIFO or a link to a device in the cache's place gives way to a regular file.
    Util::removeSpecialFile(path_);
    try {
        Util::writeOwnFileReplacing(path_, std::string(kCurrentCacheHeader) + "\n" +
                                               std::to_string(body.records) + "\n" + body.text);
    } catch (const std::exception& e) {
        log(LogLevel::Error, "Unable to save the build cache: {}\n", e.what());
    }
}

}  // namespace Rilk
