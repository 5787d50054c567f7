#include "app/cache/record_comparison.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/cache/cache_equality.h"
#include "types/path_values.h"
#include "app/cache/path_write_time.h"
#include "types/rilk_context_types.h"
#include "types/rilk_value_types.h"
#include "types/value_cast.h"
#include "types/kinded_value.h"

namespace Rilk {
namespace {

/// A file's modification time in nanoseconds.
using FileTime = std::int64_t;

/// The file times of every path in the values, oldest and newest; nothing when a path
/// cannot be read. `any` tells whether there was a path at all.
struct TimeSpan {
    bool any = false;
    bool failed = false;
    FileTime oldest = std::numeric_limits<FileTime>::max();
    FileTime newest = std::numeric_limits<FileTime>::min();

    /// Adds the time of every path value (see `forEachPathValue`).
    void add(const RilkValuePtr& value) {
        forEachPathValue(value, [&](const RilkPathString& path) { addTime(pathWriteTime(path)); });
    }

private:
    void addTime(const std::optional<FileTime>& time) {
        if (!time) {
            failed = true;
            return;
        }
        any = true;
        if (*time < oldest) oldest = *time;
        if (*time > newest) newest = *time;
    }
};

void clearFlags(WorkItem& item) {
    for (WorkItemEntry& entry : item.inputs) entry.intermediateFlag = false;
}

bool sameOutputs(const WorkItem& a, const WorkItem& b) {
    if (a.outputs.size() != b.outputs.size()) return false;
    for (std::size_t i = 0; i < a.outputs.size(); ++i) {
        if (!cacheEqual(a.outputs[i], b.outputs[i])) return false;
    }
    return true;
}

bool sameContext(const RecordContents& a, const RecordContents& b) {
    if (a.context.size() != b.context.size()) return false;
    for (std::size_t i = 0; i < a.context.size(); ++i) {
        if (!cacheEqual(a.context[i], b.context[i])) return false;
    }
    return true;
}

/// Whether one input, already known to equal the recorded one, has an unchanged
/// intermediate, files older than `outputTime` and an intermediate produced after them.
bool inputUnchanged(const WorkItemEntry& now, const WorkItemEntry& before,
                    const std::optional<FileTime>& outputTime) {
    if (now.hasIntermediate() != before.hasIntermediate()) return false;
    if (now.hasIntermediate() && !cacheEqual(now.intermediate(), before.intermediate())) {
        return false;
    }
    TimeSpan input;
    input.add(now.input.value);
    if (input.failed) return false;
    if (input.any && (!outputTime || input.newest >= *outputTime)) return false;
    if (!now.hasIntermediate()) return true;
    TimeSpan intermediate;
    intermediate.add(now.intermediate().value);
    if (intermediate.failed) return false;
    return !intermediate.any || !input.any || intermediate.oldest > input.newest;
}

/// The times of files named by several work items of one record, each read once. No job
/// runs while one record is compared.
using FileTimes = std::unordered_map<std::string, std::optional<FileTime>>;

/// Whether every file the recorded build of an item read besides its inputs still exists
/// and is older than `outputTime`.
bool filesOlder(const std::vector<std::string>& files, FileTime outputTime, FileTimes& times) {
    for (const std::string& file : files) {
        auto found = times.find(file);
        if (found == times.end()) found = times.emplace(file, fileWriteTime(file)).first;
        if (!found->second || *found->second >= outputTime) return false;
    }
    return true;
}

/// Sets the intermediate flags of one planned work item, whose inputs and outputs are those
/// of the recorded work item `before`, and returns whether it is stale. An item with
/// dependency files takes over `filesRead`, the files its last build read, when it is up to
/// date.
bool compareWithRecorded(WorkItem& item, const WorkItem& before, const FilesRead& filesRead,
                         FileTimes& times) {
    TimeSpan outputs;
    for (const Assignment& output : item.outputs) outputs.add(output.value);
    std::optional<FileTime> outputTime;
    if (outputs.any && !outputs.failed) outputTime = outputs.oldest;

    bool stale = !outputTime;
    for (std::size_t i = 0; i < item.inputs.size(); ++i) {
        WorkItemEntry& entry = item.inputs[i];
        entry.intermediateFlag = inputUnchanged(entry, before.inputs[i], outputTime);
        if (!entry.intermediateFlag) stale = true;
    }
    if (stale || !item.dependencyFiles) return stale;
    if (!filesRead || !filesOlder(*filesRead, *outputTime, times)) {
        clearFlags(item);
        return true;
    }
    item.filesRead = filesRead;
    return false;
}

/// Sets the intermediate flags of one planned work item and returns whether it is stale.
/// An item with dependency files takes over the recorded files its last build read when it
/// is up to date.
bool compareWorkItem(const RecordContents& recorded, const RecordContents& plan, std::size_t index,
                     WorkItem& item, FileTimes& times) {
    // Found by its inputs: the recorded work item has as many inputs, each equal to the
    // planned one at its position.
    const WorkItem* before = recorded.findSame(plan, index);
    if (before == nullptr || !sameOutputs(item, *before)) {
        clearFlags(item);
        return true;
    }
    return compareWithRecorded(item, *before, before->filesRead, times);
}

/// Whether a value is a text, a path, an integer or a list of them.
bool plainValue(const RilkValuePtr& value) {
    if (!value) return false;
    const KindedValue kinded(*value);
    if (kinded.as<RilkBaseString>() != nullptr || kinded.as<RilkInt>() != nullptr) return true;
    const auto* list = kinded.as<RilkList>();
    if (list == nullptr) return false;
    for (const RilkValuePtr& element : list->elements()) {
        if (!plainValue(element)) return false;
    }
    return true;
}

}  // namespace

std::vector<std::size_t> staleWorkItems(const RecordContents& recorded, RecordContents& plan) {
    std::vector<std::size_t> pending;
    const bool contextChanged = !sameContext(recorded, plan);
    FileTimes times;
    for (std::size_t i = 0; i < plan.workItems().size(); ++i) {
        WorkItem& item = plan.workItem(i);
        if (contextChanged) {
            clearFlags(item);
            pending.push_back(i);
        } else if (compareWorkItem(recorded, plan, i, item, times)) {
            pending.push_back(i);
        }
    }
    return pending;
}

bool plainValuesOnly(const RecordContents& contents) {
    for (const WorkItem& item : contents.workItems()) {
        for (const WorkItemEntry& entry : item.inputs) {
            if (!plainValue(entry.input.value)) return false;
            if (entry.hasIntermediate() && !plainValue(entry.intermediate().value)) return false;
        }
        for (const Assignment& output : item.outputs) {
            if (!plainValue(output.value)) return false;
        }
    }
    for (const Assignment& assignment : contents.context) {
        if (!plainValue(assignment.value)) return false;
    }
    return true;
}

std::vector<std::size_t> staleWorkItemsOfOwnPlan(RecordContents& plan,
                                                 const std::vector<FilesRead>& filesRead) {
    std::vector<std::size_t> pending;
    FileTimes times;
    for (std::size_t i = 0; i < plan.workItems().size(); ++i) {
        WorkItem& item = plan.workItem(i);
        // The recorded work item is the planned one: the same inputs, outputs and
        // intermediates.
        if (compareWithRecorded(item, item, filesRead.at(i), times)) pending.push_back(i);
    }
    return pending;
}

}  // namespace Rilk
