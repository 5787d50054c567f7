#pragma once

#include <cstddef>
#include <vector>

#include "app/cache/cache_record.h"
#include "app/cache/path_stamp.h"
#include "app/cache/record_contents.h"

namespace Rilk {

/// Where a run's records are kept between runs, as far as the records need it while the run
/// builds: the bytes of records held as them (`RuntimeRecord::heldBytes`), and what the
/// commands of a target may change there. The cache file's side supplies it, giving it to the
/// records it backs as they are made (`CacheRecords::CacheRecords`); records kept only in
/// memory have none.
class RecordBacking {
public:
    virtual ~RecordBacking() = default;

    /// `staleWorkItems` of `plan` against `record`, held as its bytes: the positions of the
    /// work items to build again, every one when the bytes can no longer be vouched for.
    /// Called with the record's mutex held.
    virtual std::vector<std::size_t> staleAgainstHeld(const RuntimeRecord& record,
                                                      RecordContents& plan,
                                                      const PathStamps& stamps) = 0;

    /// Called once a target's commands have ended, before its record is stored: they may
    /// have changed what the held bytes lie in, and runs nested in them may have stored
    /// newer records of other targets, which are taken in.
    virtual void commandsEnded() = 0;
};

}  // namespace Rilk
