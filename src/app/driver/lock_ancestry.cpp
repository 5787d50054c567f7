#include "app/driver/lock_ancestry.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "app/driver/lock_marks.h"
#include "util/process_table.h"

namespace Rilk {

Util::FileIdentity identityOf(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {};
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

LockAncestry LockAncestry::fromEnvironment() {
    const char* value = std::getenv(kHeldLocksVariable);
    if (value == nullptr || *value == '\0') return {};
    return LockAncestry(parseHeldLocks(value));
}

LockAncestry::LockAncestry(const std::vector<HeldLock>& told) {
    for (const HeldLock& held : told) {
        const std::optional<int> level = projectLockLevel(held.file);
        if (!level) continue;
        const std::optional<Util::MarkedFile> marks = Util::MarkedFile::open(held.file);
        if (!marks || !LockMarks::heldBy(*marks, held.token)) continue;
        locks_.push_back({held, marks->identity(), identityOf(held.file.parent_path()), *level});
    }
}

const AncestorLock* LockAncestry::holding(const Util::FileIdentity& project, int level) const {
    const auto found = std::find_if(locks_.begin(), locks_.end(), [&](const AncestorLock& lock) {
        return lock.project == project && lock.level == level;
    });
    return found == locks_.end() ? nullptr : &*found;
}

bool LockAncestry::holdsAsOwn(const Util::FileIdentity& project) const {
    return std::any_of(locks_.begin(), locks_.end(), [&](const AncestorLock& lock) {
        return lock.project == project && !lock.held.imported;
    });
}

bool LockAncestry::lists(const Util::FileIdentity& file) const {
    return std::any_of(locks_.begin(), locks_.end(),
                       [&](const AncestorLock& lock) { return lock.file == file; });
}

void LockAncestry::addHeldByAncestorProcesses() { addHeldBy(Util::processAncestors()); }

void LockAncestry::addHeldBy(const std::vector<Util::ProcessEntry>& processes) {
    for (const Util::ProcessEntry& process : processes) {
        for (const std::filesystem::path& file : Util::openFilesOf(process.pid)) {
            const std::optional<int> level = projectLockLevel(file);
            if (!level) continue;
            const std::optional<Util::MarkedFile> marks = Util::MarkedFile::open(file);
            if (!marks || lists(marks->identity())) continue;
            // The mark is the kernel's word that the process holds the lock now; the start
            // read again after it, that the id still names the process, not one that took its
            // id once it ended.
            const std::optional<Util::ProcessMark> holder = LockMarks::holderProcess(*marks);
            if (!holder || holder->pid != process.pid || !Util::stillRunning(process)) continue;
            const bool imported = holder->offset == LockMarks::kImportedHolder;
            locks_.push_back({HeldLock{file, 0, imported}, marks->identity(),
                              identityOf(file.parent_path()), *level});
        }
    }
}

}  // namespace Rilk
