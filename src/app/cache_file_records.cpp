#include "app/cache_file_records.h"

#include <algorithm>
#include <future>
#include <utility>

namespace Rilk {
namespace {

/// Where each record starts, found by walking the structure alone: the records up to and
/// including the first that is not whole (which the full read reports), and the offset
/// after the last.
std::vector<std::size_t> recordStarts(std::string_view bytes, std::size_t start,
                                      CacheFileVersion version, std::uint64_t count,
                                      std::size_t& end) {
    std::vector<std::size_t> starts;
    CacheInput in(bytes, start);
    RecordContents ignored;
    for (std::uint64_t i = 0; i < count; ++i) {
        starts.push_back(in.position());
        CacheRecordReader walker(in, version, false);
        std::string_view key;
        if (!walker.read(key, ignored)) break;
    }
    end = in.position();
    return starts;
}

/// Reads the records `first` to `last` (exclusive) into their places in `records`, stopping
/// after one whose structure is damaged.
void readRange(std::string_view bytes, CacheFileVersion version,
               const std::vector<std::size_t>& starts, std::size_t first, std::size_t last,
               std::vector<CacheFileRecord>& records) {
    for (std::size_t i = first; i < last; ++i) {
        CacheInput in(bytes, starts[i]);
        CacheRecordReader reader(in, version, true);
        CacheFileRecord& record = records[i];
        record.record = std::make_shared<RuntimeRecord>();
        if (!reader.read(record.key, record.record->contents)) {
            record.record.reset();
            record.malformedPart = reader.part;
            return;
        }
        record.damaged = reader.damaged;
    }
}

/// The first record of each of `parts` ranges of about equal size in bytes.
std::vector<std::size_t> rangeBounds(const std::vector<std::size_t>& starts, std::size_t end,
                                     std::size_t parts) {
    std::vector<std::size_t> bounds{0};
    const std::size_t first = starts.front();
    for (std::size_t k = 1; k < parts; ++k) {
        const std::size_t offset = first + (end - first) / parts * k;
        const auto at = std::lower_bound(starts.begin(), starts.end(), offset);
        bounds.push_back(std::max(bounds.back(), static_cast<std::size_t>(at - starts.begin())));
    }
    bounds.push_back(starts.size());
    return bounds;
}

}  // namespace

CacheFileRecords readCacheFileRecords(std::string_view bytes, std::size_t start,
                                      CacheFileVersion version, std::uint64_t count,
                                      unsigned threads) {
    CacheFileRecords result;
    const std::vector<std::size_t> starts = recordStarts(bytes, start, version, count, result.end);
    result.records.resize(starts.size());
    if (starts.empty()) return result;
    const std::size_t parts = std::clamp<std::size_t>(threads, 1, starts.size());
    const std::vector<std::size_t> bounds = rangeBounds(starts, result.end, parts);
    // Each range fills its own records; this thread reads the first. Where no thread can be
    // started, a range is read when its result is asked for.
    std::vector<std::future<void>> others;
    for (std::size_t k = 1; k < parts; ++k) {
        others.push_back(std::async(std::launch::async | std::launch::deferred, readRange, bytes,
                                    version, std::cref(starts), bounds[k], bounds[k + 1],
                                    std::ref(result.records)));
    }
    readRange(bytes, version, starts, bounds[0], bounds[1], result.records);
    for (std::future<void>& other : others) other.get();
    // A range stops at a damaged structure; the read as a whole ends at the first.
    const auto malformed =
        std::find_if(result.records.begin(), result.records.end(),
                     [](const CacheFileRecord& record) { return record.malformedPart != nullptr; });
    if (malformed != result.records.end())
        result.records.erase(malformed + 1, result.records.end());
    return result;
}

}  // namespace Rilk
