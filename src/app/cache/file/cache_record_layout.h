#pragma once

#include <optional>
#include <string_view>

namespace Rilk {

/// The layouts of the cache file, oldest first. The file is the header line, the record
/// count, then each record: its key as a sized text, then its contents:
///
///   work item count
///   per work item:
///     input count; per input: its assignment record, "1" or "0" for an intermediate and
///       then the intermediate's assignment record                         (from V5)
///     output count; per output: its assignment record
///     the files its last build read: 0 when not known, else their count + 1 and each as
///       a sized text                                                      (from V6)
///     the stamps of its files: 0 when not known, else their count + 1, the time its
///       command started (decimal nanoseconds, from V8; see `StampedFiles::knownSince`) and
///       one line each, "<time> <size> <inode>" or "?" for a file not known (from V7)
///   context assignment count; per assignment: its assignment record      (from V4)
///
/// A count or length is a line of decimal digits; a sized text is its length, a line feed,
/// the bytes and a line feed; an assignment record is "A <operator> <modifier>" and the
/// assignment's text as a sized text. Older layouts are read (their work items then have no
/// stamps, so they build once: a V7 record cannot tell which of its files were edited with
/// their time given back while the older program ran); only the current one is written, and
/// only its records can be held as their bytes.
enum class CacheFileVersion { V3, V4, V5, V6, V7, V8 };

/// The layout the cache is written in.
inline constexpr CacheFileVersion kCurrentCacheVersion = CacheFileVersion::V8;

/// The header line (without its line feed) of the current layout.
inline constexpr std::string_view kCurrentCacheHeader = "RILK_CACHE_V8";

/// The layout a header line names, or nothing.
std::optional<CacheFileVersion> cacheFileVersion(std::string_view header);

}  // namespace Rilk
