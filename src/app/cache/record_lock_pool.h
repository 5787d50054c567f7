#pragma once

#include <condition_variable>
#include <mutex>

namespace Rilk {

/// The mutex and condition variable a build cache record uses, taken from a fixed pool
/// shared by all records instead of carried by each. Records sharing one never hold it
/// together with another record's (nothing locks two records at once), so sharing costs
/// only contention; a notify wakes the waiters of every record sharing the variable, so
/// each waiter must re-check what it waits for and notify must be `notify_all`.
struct RecordLock {
    std::mutex mutex;
    std::condition_variable stored;
};

/// The pool entry of the record at `record`: the same for the record's whole life.
RecordLock& recordLockFor(const void* record);

}  // namespace Rilk
