#include "app/cache/work_item_stamps.h"

#include <ctime>
#include <memory>
#include <optional>
#include <utility>

#include "app/cache/path_stamp.h"
#include "types/path_values.h"

namespace Rilk {
namespace {

/// Calls `visit(path, handedIn)` for each input file of the item in the order of
/// `FileStamps`; `handedIn` tells whether the command was given the file to read rather than
/// making it (an intermediate the job did not receive is the command's own product).
template <typename Visit>
void forEachInputFile(const WorkItem& item, Visit&& visit) {
    for (const WorkItemEntry& entry : item.inputs) {
        forEachPathValue(entry.input.value, [&](const RilkPathString& path) { visit(path, true); });
        forEachPathValue(entry.intermediate().value, [&](const RilkPathString& path) {
            visit(path, entry.intermediateFlag);
        });
    }
}

}  // namespace

std::vector<RecordedStamp> stampInputFiles(const WorkItem& item, const PathStamps& stamps) {
    std::vector<RecordedStamp> taken;
    forEachInputFile(item,
                     [&](const RilkPathString& path, bool) { taken.push_back(stamps.of(path)); });
    return taken;
}

FileStamps stampBuiltWorkItem(const WorkItem& item, const std::vector<RecordedStamp>& before,
                              const FilesRead& filesRead, std::int64_t commandStart,
                              const PathStamps& files) {
    auto stamped = std::make_shared<StampedFiles>();
    // One time per work item, not per file: every input and file read keeps a stamp below
    // only when its status last changed before the command's start, so a later status
    // change (at or after that time) is an edit the stamp may not show. The time belongs to
    // the stamps, not to the record: a record keeps work items built in earlier runs, whose
    // files were last known unchanged since their own commands' starts. The edges:
    // - The clock. The system dates a status change by its coarse clock (one tick, 1 to 4 ms,
    //   behind the real-time clock) or, on newer kernels and once the file's status was read
    //   since its last change, by the fine one. A coarse time read after a change may lie
    //   before that change's date (measured on Linux 6.18: 96% of files written just before
    //   it), so an input a dependency wrote just before this command, or an output, would
    //   look changed afterwards; the real-time clock read after a change never does. So the
    //   fine start stands, and a change dated by the coarse clock within the tick after the
    //   start may go unseen, both here (the check below) and in later runs: the one window
    //   left, one tick long, for an edit that also keeps the file's time, size and inode.
    // - Outputs and intermediates the command made: their status changed after the start;
    //   they are stamped as the command left them and their status is not compared.
    // - Inputs a dependency built earlier in the same run: written before this command
    //   started, so trusted.
    // - Files read whose status or time lies between the command's start and its end: not
    //   known (below), so the next run builds the item again.
    stamped->knownSince = commandStart;
    std::vector<RecordedStamp>* stamps = &stamped->files;
    std::size_t next = 0;
    forEachInputFile(item, [&](const RilkPathString& path, bool handedIn) {
        if (!handedIn) {
            stamps->push_back(files.of(path));
            ++next;
            return;
        }
        RecordedStamp now = files.unchangedSince(path, commandStart);
        const RecordedStamp* then = next < before.size() ? &before[next] : nullptr;
        ++next;
        if (then == nullptr || *then != now) now.reset();
        stamps->push_back(now);
    });
    for (const Assignment& output : item.outputs) {
        forEachPathValue(output.value,
                         [&](const RilkPathString& path) { stamps->push_back(files.of(path)); });
    }
    if (filesRead) {
        // A status changed since the command's start, or a time between that start and now,
        // is a change the command may have missed, whatever time the file was given back.
        const std::int64_t commandEnd = wallClockNanoseconds();
        for (const std::string& file : *filesRead) {
            RecordedStamp now = files.fileUnchangedSince(file, commandStart);
            if (now && now->time >= commandStart && now->time <= commandEnd) now.reset();
            stamps->push_back(now);
        }
    }
    return stamped;
}

std::int64_t wallClockNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return Util::nanosecondsOf(now);
}

}  // namespace Rilk
