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
    auto stamps = std::make_shared<std::vector<RecordedStamp>>();
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
    return stamps;
}

std::int64_t wallClockNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return Util::nanosecondsOf(now);
}

}  // namespace Rilk
