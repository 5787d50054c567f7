#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string_view>

#include "app/cache/record_contents.h"
#include "app/cache/record_lock_pool.h"

namespace Rilk {

/// One record of the build cache: the stored plan of one target and the claim that lets
/// one build at a time store it. Shared by the cache's map and the builds that use it;
/// `mutex()` guards every other field and is the mutex of `stored()`. Both come from a pool
/// shared with other records (`recordLockFor`): a wait on `stored()` re-checks its
/// condition, and a notify is `notify_all`.
struct RuntimeRecord {
    enum State : std::int32_t {
        Idle = 0,
        Claimed = 1,  ///< a build holds the claim and alone may store the record
    };

    RecordContents contents;
    /// The record as the records' backing (`RecordBacking`) held it when it was last read,
    /// exactly as that side writes it: kept in place of `contents` (then empty) for a record
    /// read and not stored since (`heldAsBytes`), and kept beside the contents stored since,
    /// so that a record a nested run stores later can be told from the one read. Empty when
    /// the record was read parsed, or there was none. The bytes lie in storage the backing
    /// keeps while it lives, and are read only through it.
    std::string_view heldBytes;
    /// Set when the record was created or stored during this run; clear for records read
    /// from the cache file.
    bool current = false;
    std::int32_t state = Idle;
    /// The token of the build holding the claim; 0 when nobody does.
    std::uint64_t claimToken = 0;
    /// Signalled when a stored record ends a claim (or another record sharing it does).
    std::condition_variable& stored() const { return recordLockFor(this).stored; }
    std::mutex& mutex() const { return recordLockFor(this).mutex; }
    /// Whether the record is `heldBytes`, not `contents`.
    bool heldAsBytes() const { return !current && !heldBytes.empty(); }
};

}  // namespace Rilk
