#include "app/driver/lock_wait.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "app/driver/lock_marks.h"
#include "types/rilk_errors.h"

namespace Rilk {

namespace {

/// How often a waiting run asks again.
constexpr auto kPoll = std::chrono::milliseconds(50);
/// How many times in a row a circle must be seen before the run gives up: a mark copied from
/// one that has just gone lasts until its owner next asks.
constexpr int kSightings = 3;
/// The most marks read from one file.
constexpr std::size_t kMarkLimit = 256;

/// The marks a waiting run places on the lock files its ancestors hold, which go when it
/// stops waiting.
class WaitMarks {
public:
    explicit WaitMarks(const LockAncestry& ancestry) {
        for (const AncestorLock& lock : ancestry.locks()) {
            if (auto file = Util::MarkedFile::open(lock.held.file))
                files_.push_back(std::move(*file));
        }
    }

    /// Makes the marks say that the ancestors' runs wait for the lock files `ids`.
    void publish(const std::set<std::int64_t>& ids) {
        for (const std::int64_t id : placed_) {
            if (ids.count(id) != 0) continue;
            for (const Util::MarkedFile& file : files_) file.remove(LockMarks::kWaitBase + id);
        }
        for (const std::int64_t id : ids) {
            if (placed_.count(id) != 0) continue;
            for (const Util::MarkedFile& file : files_) {
                file.place(LockMarks::kWaitBase + id, Util::MarkOwner::Descriptor);
            }
        }
        placed_ = ids;
    }

private:
    std::vector<Util::MarkedFile> files_;
    std::set<std::int64_t> placed_;
};

/// The lock files the holder of `waited` waits for: itself, and those the runs its commands
/// started wait for, as their marks say.
std::set<std::int64_t> waitedFor(const Util::MarkedFile& waited, std::int64_t waitedId) {
    std::set<std::int64_t> ids{waitedId};
    using LockMarks::kWaitBase;
    for (const std::int64_t offset :
         waited.marked(kWaitBase, kWaitBase + LockMarks::kSpan - 1, kMarkLimit)) {
        ids.insert(offset - kWaitBase);
    }
    return ids;
}

/// The ancestor's lock that closes a circle through `ids`. Of two runs that see one circle
/// from both ends, only the one waiting for the lower id gives up.
const AncestorLock* closingLock(const std::set<std::int64_t>& ids, std::int64_t waitedId,
                                const LockAncestry& ancestry) {
    for (const AncestorLock& lock : ancestry.locks()) {
        const std::int64_t id = LockMarks::lockId(lock.file);
        if (id > waitedId && ids.count(id) != 0) return &lock;
    }
    return nullptr;
}

RilkException neverEnds(const std::filesystem::path& file, const AncestorLock& ours) {
    const std::filesystem::path& held = ours.held.file;
    return RilkException(fmt::format(
        "Waiting for the lock file '{}' (held by {}) would never end: that run waits, through "
        "the runs its commands started, for the lock file '{}', which a run that started this "
        "one holds ({}). The builds in '{}' and '{}' wait for each other; this run stops so "
        "that the other can go on.",
        file.string(), LockMarks::holderText(file), held.string(), LockMarks::holderText(held),
        file.parent_path().string(), held.parent_path().string()));
}

}  // namespace

Util::FileLock waitForLock(const std::filesystem::path& file, const LockAncestry& told) {
    // Also the locks of ancestors that the environment did not name: a command between them
    // and this run may have cleared it.
    LockAncestry ancestry = told;
    ancestry.addHeldByAncestorProcesses();
    std::optional<WaitMarks> marks;
    int sightings = 0;
    for (;;) {
        if (std::optional<Util::FileLock> lock = Util::FileLock::tryAcquire(file)) {
            return std::move(*lock);
        }
        if (!ancestry.locks().empty()) {
            if (!marks) marks.emplace(ancestry);
            if (const std::optional<Util::MarkedFile> waited = Util::MarkedFile::open(file)) {
                const std::int64_t waitedId = LockMarks::lockId(waited->identity());
                const std::set<std::int64_t> ids = waitedFor(*waited, waitedId);
                const AncestorLock* closing = closingLock(ids, waitedId, ancestry);
                sightings = closing == nullptr ? 0 : sightings + 1;
                if (sightings >= kSightings) throw neverEnds(file, *closing);
                marks->publish(ids);
            }
        }
        std::this_thread::sleep_for(kPoll);
    }
}

}  // namespace Rilk
