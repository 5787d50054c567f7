#pragma once

#include <cstdint>
#include <vector>

#include "app/cache/path_stamp.h"
#include "tools/work_item.h"

namespace Rilk {

/// The stamps of a work item's input files as they are now: for each input, the files of
/// its value and then those of its intermediate, in the order of `FileStamps`, read through
/// the run's `stamps`. Taken just before the item's command starts.
std::vector<RecordedStamp> stampInputFiles(const WorkItem& item, const PathStamps& stamps);

/// The stamps a record keeps of a work item whose command has just built it: `before` from
/// `stampInputFiles` before the command started at `commandStart` (nanoseconds on the
/// real-time clock, as file times are), `filesRead` the files its build read.
///
/// An input file, or an intermediate the item was handed, keeps its stamp from before the
/// command; when it has changed since, or its status changed (`st_ctime`) at or after the
/// command's start, its stamp is not known, so the next run builds the item again. An
/// intermediate the command made and every output are stamped as they are now. A file the
/// build read is stamped as it is now, but not known when its status changed at or after the
/// command's start or its time lies between that start and now: it may have changed after
/// the command read it, and then been given back an older or a future time. The stamps are
/// known since `commandStart` (`StampedFiles::knownSince`): a later run trusts an input or
/// a file read only while its status is older than that.
FileStamps stampBuiltWorkItem(const WorkItem& item, const std::vector<RecordedStamp>& before,
                              const FilesRead& filesRead, std::int64_t commandStart,
                              const PathStamps& stamps);

/// The real-time clock now, in nanoseconds since the epoch: the clock of file times.
std::int64_t wallClockNanoseconds();

}  // namespace Rilk
