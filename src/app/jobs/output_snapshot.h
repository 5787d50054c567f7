#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <utility>
#include <vector>

namespace Rilk {

/// The state of a job's output files when the job starts, so that after a failed or
/// stopped job exactly the files its commands created or changed can be removed: a later
/// run must never take a partly written file for up to date, and a file the job did not
/// touch must never be lost.
class OutputSnapshot {
public:
    /// One file and its state when the snapshot was taken.
    struct Entry {
        std::filesystem::path file;
        bool existed = false;
        struct stat state {};
    };

    /// Records the state of each file now.
    explicit OutputSnapshot(std::vector<std::filesystem::path> files);
    /// A snapshot taken earlier, perhaps by another process (see `RunJournal`). Of each
    /// state only the device, inode, size, modification and change times count.
    explicit OutputSnapshot(std::vector<Entry> entries) : entries_(std::move(entries)) {}

    const std::vector<Entry>& entries() const { return entries_; }

    /// Removes every recorded file that is now a regular file and did not exist, or was
    /// another file or changed (time, size), when the snapshot was taken. Returns the
    /// files removed. Failures to remove are skipped: the file stays as it is.
    std::vector<std::filesystem::path> removeChanged() const;

    /// Whether `now`, the state of the regular file at `entry.file`, is not the file the
    /// entry recorded unchanged: it did not exist, or it is another file or changed.
    static bool changedSince(const Entry& entry, const struct stat& now);

private:
    std::vector<Entry> entries_;
};

}  // namespace Rilk
