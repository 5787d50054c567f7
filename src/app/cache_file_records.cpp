#include "app/cache_file_records.h"

#include <algorithm>
#include <cstdlib>
#include <future>
#include <utility>

namespace Rilk {
namespace {

/// Where the records of a file start, and the offset after the last.
struct RecordLayout {
    std::vector<std::size_t> starts;
    std::size_t end = 0;

    /// The offset after record `index`.
    std::size_t endOf(std::size_t index) const {
        return index + 1 < starts.size() ? starts[index + 1] : end;
    }
};

/// Where each record starts, found by walking the structure alone: the records up to and
/// including the first that is not whole (which the full read reports).
RecordLayout recordLayout(std::string_view bytes, std::size_t start, CacheFileVersion version,
                          std::uint64_t count) {
    RecordLayout layout;
    std::vector<std::size_t>& starts = layout.starts;
    CacheInput in(bytes, start);
    RecordContents ignored;
    for (std::uint64_t i = 0; i < count; ++i) {
        starts.push_back(in.position());
        CacheRecordReader walker(in, version, false);
        std::string_view key;
        if (!walker.read(key, ignored)) break;
    }
    layout.end = in.position();
    return layout;
}

/// Lets the calling thread's heap grow to about `bytes` at once. The C library gives each
/// thread its own heap and grows it a page at a time, one system call per page, each
/// stalling the page faults of every other thread; records read from a large file take
/// megabytes. Memory taken in pieces the heap serves itself (large blocks are mapped on
/// their own) and given back keeps the heap's reach, so the records fill it without those
/// calls; the freed pages are released, not kept.
void widenThreadHeap(std::size_t bytes) {
    constexpr std::size_t kPiece = 64 * 1024;
    constexpr std::size_t kMost = 32 * 1024 * 1024;
    std::vector<void*> pieces;
    pieces.reserve(std::min(bytes, kMost) / kPiece + 1);
    for (std::size_t taken = 0; taken < std::min(bytes, kMost); taken += kPiece) {
        pieces.push_back(std::malloc(kPiece));
    }
    for (void* piece : pieces) std::free(piece);
}

/// Reads the records `first` to `last` (exclusive) into their places in `records`, stopping
/// after one whose structure is damaged.
void readRange(std::string_view bytes, CacheFileVersion version, const RecordLayout& layout,
               std::size_t first, std::size_t last, std::vector<CacheFileRecord>& records) {
    if (first == last) return;
    // The records take about seven times the bytes they are read from.
    widenThreadHeap((layout.endOf(last - 1) - layout.starts[first]) * 8);
    for (std::size_t i = first; i < last; ++i) {
        CacheInput in(bytes, layout.starts[i]);
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
std::vector<std::size_t> rangeBounds(const RecordLayout& layout, std::size_t parts) {
    const std::vector<std::size_t>& starts = layout.starts;
    const std::size_t end = layout.end;
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
    const RecordLayout layout = recordLayout(bytes, start, version, count);
    CacheFileRecords result;
    result.end = layout.end;
    result.records.resize(layout.starts.size());
    if (layout.starts.empty()) return result;
    const std::size_t parts = std::clamp<std::size_t>(threads, 1, layout.starts.size());
    const std::vector<std::size_t> bounds = rangeBounds(layout, parts);
    // Each range fills its own records; this thread reads the first. Where no thread can be
    // started, a range is read when its result is asked for.
    std::vector<std::future<void>> others;
    for (std::size_t k = 1; k < parts; ++k) {
        others.push_back(std::async(std::launch::async | std::launch::deferred, readRange, bytes,
                                    version, std::cref(layout), bounds[k], bounds[k + 1],
                                    std::ref(result.records)));
    }
    readRange(bytes, version, layout, bounds[0], bounds[1], result.records);
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
