#pragma once

#include <cstddef>
#include <vector>

#include "app/cache/path_stamp.h"
#include "app/cache/record_contents.h"

namespace Rilk {

/// Compares a target's current plan with the record stored from an earlier build and
/// returns the positions, in plan order, of the work items that must be built again; none
/// means the target is up to date.
///
/// A changed context assignment makes every work item stale. Otherwise a work item is up to
/// date when the record holds one with the same inputs and the same outputs, and every file
/// its last build named still has the stamp that build left (`FileStamps`): its inputs'
/// and intermediates' files, its outputs' files and the files it read. Files are the path
/// values in lists and nested blocks too (a dependency's outputs arrive as a block). A
/// stamp differing in either direction (a newer or an older time, another size or inode),
/// a missing file and a stamp not known all make the item stale; so does a record without
/// stamps (written by an older layout, or for work that did not finish). A work item whose
/// outputs name no file is stale on every run. Each input's intermediate flag is set
/// exactly when the input and its intermediate are unchanged, values and files, and the
/// outputs and files read are unchanged too, so a job is only handed an intermediate that
/// was really produced. A work item with dependency files is up to date only when the
/// record knows the files its last build read. An item up to date takes over the record's
/// files read and stamps. The files' stamps now are read through `stamps`. File-system errors
/// make a work item stale and are not reported.
std::vector<std::size_t> staleWorkItems(const RecordContents& recorded, RecordContents& plan,
                                        const PathStamps& stamps);

/// The positions of every work item of `plan`, in order: what is stale against no record.
std::vector<std::size_t> everyWorkItem(const RecordContents& plan);

/// Whether every value in the work items and context of `contents` is a text, a path, an
/// integer or a list of them: values that, written to the cache file alike, are
/// `cacheEqual` and hash their inputs alike once read back.
bool plainValuesOnly(const RecordContents& contents);

/// `staleWorkItems` against a record whose work items and context are the plan's own (as
/// when both are written to the same bytes and the plan's values are `plainValuesOnly`),
/// except for what each work item's last build left, given in `lastBuilds`, one entry for
/// each of the plan's work items in order.
std::vector<std::size_t> staleWorkItemsOfOwnPlan(RecordContents& plan,
                                                 const std::vector<LastBuild>& lastBuilds,
                                                 const PathStamps& stamps);

}  // namespace Rilk
