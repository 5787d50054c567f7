#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

namespace Rilk {

/// How a scan relied on a path. `Entry`: the path was looked up (a step of resolving a
/// name); a directory is known by its identity, type, permissions and owner, any other file
/// also by its size and its modification and status-change times. `Listing`: the entries of
/// the directory were read (or a name was found missing in it); its modification time
/// counts as well.
enum class StampKind : std::uint8_t { Entry = 0, Listing = 1 };

/// What `lstat` says of a path, reduced to what its `StampKind` relies on (the rest is 0).
/// Times are in nanoseconds.
struct PathStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint32_t mode = 0;
    std::uint32_t user = 0;
    std::uint32_t group = 0;
    std::int64_t size = 0;
    std::int64_t modified = 0;
    std::int64_t changed = 0;

    auto operator<=>(const PathStamp&) const = default;
};

/// The paths a scan's answer depends on, each with its stamp as the scan saw it. When every
/// path still has its stamp, scanning again would read the same entries, follow the same
/// links and find the same files, so the answer may be reused.
class ScanDependencies {
public:
    using Key = std::pair<std::string, StampKind>;
    using Map = std::map<Key, PathStamp>;

    /// Records `path` (absolute, without links but perhaps in its last part) with its
    /// stamp; the first stamp taken of a path stays. False when it cannot be stamped.
    bool add(const std::string& path, StampKind kind);
    /// Records a stamp taken elsewhere.
    void add(const std::string& path, StampKind kind, const PathStamp& stamp);
    void merge(const ScanDependencies& other);

    /// Whether every path still has the stamp recorded for it.
    bool unchanged() const;
    /// Whether every time recorded lies before `time` (nanoseconds since the epoch): a
    /// change made while the scan ran, or too close to it for the file system's clock to
    /// tell apart, then cannot hide behind an equal stamp.
    bool settledBefore(std::int64_t time) const;

    const Map& paths() const { return paths_; }

private:
    Map paths_;
};

/// The stamp of `path` (not following a link in its last part); false when `lstat` fails.
bool takeStamp(const std::string& path, StampKind kind, PathStamp& stamp);

}  // namespace Rilk
