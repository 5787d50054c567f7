#include "tools/scan_dependencies.h"

#include <sys/stat.h>

#include "util/file_time.h"

namespace Rilk {

bool takeStamp(const std::string& path, StampKind kind, PathStamp& stamp) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return false;
    stamp = PathStamp{};
    stamp.device = static_cast<std::uint64_t>(st.st_dev);
    stamp.inode = static_cast<std::uint64_t>(st.st_ino);
    stamp.mode = static_cast<std::uint32_t>(st.st_mode);
    stamp.user = static_cast<std::uint32_t>(st.st_uid);
    stamp.group = static_cast<std::uint32_t>(st.st_gid);
    if (!S_ISDIR(st.st_mode)) {
        // A file's content, or a link's target, is known by its size and times.
        stamp.size = static_cast<std::int64_t>(st.st_size);
        stamp.modified = Util::nanosecondsOf(st.st_mtim);
        stamp.changed = Util::nanosecondsOf(st.st_ctim);
    } else if (kind == StampKind::Listing) {
        // Only entries added, removed or renamed matter; the status-change time also moves
        // for things that do not.
        stamp.modified = Util::nanosecondsOf(st.st_mtim);
    }
    return true;
}

bool ScanDependencies::add(const std::string& path, StampKind kind) {
    if (paths_.contains({path, kind})) return true;
    PathStamp stamp;
    if (!takeStamp(path, kind, stamp)) return false;
    paths_.emplace(Key{path, kind}, stamp);
    return true;
}

void ScanDependencies::add(const std::string& path, StampKind kind, const PathStamp& stamp) {
    paths_.emplace(Key{path, kind}, stamp);
}

void ScanDependencies::merge(const ScanDependencies& other) {
    for (const auto& [key, stamp] : other.paths_) paths_.emplace(key, stamp);
}

bool ScanDependencies::unchanged() const {
    PathStamp now;
    for (const auto& [key, stamp] : paths_) {
        if (!takeStamp(key.first, key.second, now) || now != stamp) return false;
    }
    return true;
}

bool ScanDependencies::settledBefore(std::int64_t time) const {
    for (const auto& [key, stamp] : paths_) {
        if (stamp.modified >= time || stamp.changed >= time) return false;
    }
    return true;
}

}  // namespace Rilk
