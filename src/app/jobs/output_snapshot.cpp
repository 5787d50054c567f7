#include "app/jobs/output_snapshot.h"

#include <unistd.h>

#include <utility>

#include "util/file_time.h"

namespace Rilk {

namespace {

/// Whether `now` is the unchanged file that `before` recorded. The change time moves on
/// every write, also one that restores the modification time.
bool unchanged(const struct stat& before, const struct stat& now) {
    return before.st_dev == now.st_dev && before.st_ino == now.st_ino &&
           before.st_size == now.st_size &&
           Util::nanosecondsOf(before.st_mtim) == Util::nanosecondsOf(now.st_mtim) &&
           Util::nanosecondsOf(before.st_ctim) == Util::nanosecondsOf(now.st_ctim);
}

}  // namespace

OutputSnapshot::OutputSnapshot(std::vector<std::filesystem::path> files) {
    entries_.reserve(files.size());
    for (std::filesystem::path& file : files) {
        Entry entry;
        entry.file = std::move(file);
        entry.existed = lstat(entry.file.c_str(), &entry.state) == 0;
        entries_.push_back(std::move(entry));
    }
}

std::vector<std::filesystem::path> OutputSnapshot::removeChanged() const {
    std::vector<std::filesystem::path> removed;
    for (const Entry& entry : entries_) {
        struct stat now {};
        if (lstat(entry.file.c_str(), &now) != 0 || !S_ISREG(now.st_mode)) continue;
        if (!changedSince(entry, now)) continue;
        if (unlink(entry.file.c_str()) == 0) removed.push_back(entry.file);
    }
    return removed;
}

bool OutputSnapshot::changedSince(const Entry& entry, const struct stat& now) {
    return !entry.existed || !unchanged(entry.state, now);
}

}  // namespace Rilk
