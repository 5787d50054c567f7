#include "app/record_comparison.h"

#include <sys/stat.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "app/cache_equality.h"
#include "types/rilk_context_types.h"
#include "types/rilk_value_types.h"
#include "types/value_cast.h"
#include "util/file_time.h"

namespace Rilk {
namespace {

/// A file's modification time in nanoseconds.
using FileTime = std::int64_t;

/// The modification time of a path that exists (links followed), or nothing.
std::optional<FileTime> writeTime(const std::string& path) {
    struct stat info {};
    if (path.find('\0') != std::string::npos || ::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return Util::nanosecondsOf(info.st_mtim);
}

/// Appends the full path of every path value, walking lists and nested blocks: a
/// dependency's outputs reach a target as a nested block, and the files they name are inputs
/// like any other.
void collectFilePaths(const RilkValuePtr& value, std::vector<std::string>& paths, int depth = 0) {
    // Nested blocks may refer to each other; a file list this deep has ended long before.
    if (!value || depth > 64) return;
    if (const auto* path = valueCast<const RilkPathString>(value.get())) {
        paths.push_back(path->fullPathText());
    } else if (const auto* list = valueCast<const RilkList>(value.get())) {
        for (const RilkValuePtr& element : list->elements()) {
            collectFilePaths(element, paths, depth + 1);
        }
    } else if (const auto* block = valueCast<const RilkContext>(value.get())) {
        if (!block->context()) return;
        for (const auto& [name, stored] : block->context()->assignments) {
            collectFilePaths(stored.value, paths, depth + 1);
        }
    }
}

/// The file times of every path in the values, oldest and newest; nothing when a path
/// cannot be read. `any` tells whether there was a path at all.
struct TimeSpan {
    bool any = false;
    bool failed = false;
    FileTime oldest = std::numeric_limits<FileTime>::max();
    FileTime newest = std::numeric_limits<FileTime>::min();

    void add(const RilkValuePtr& value) {
        std::vector<std::string> paths;
        collectFilePaths(value, paths);
        for (const auto& path : paths) {
            const auto time = writeTime(path);
            if (!time) {
                failed = true;
                continue;
            }
            any = true;
            if (*time < oldest) oldest = *time;
            if (*time > newest) newest = *time;
        }
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

/// Whether one input is unchanged and its files are older than `outputTime`, with an
/// intermediate that was produced after them.
bool inputUnchanged(const WorkItemEntry& now, const WorkItemEntry& before,
                    const std::optional<FileTime>& outputTime) {
    if (!cacheEqual(now.input, before.input)) return false;
    if (now.hasIntermediate() != before.hasIntermediate()) return false;
    if (now.hasIntermediate() && !cacheEqual(now.intermediate, before.intermediate)) {
        return false;
    }
    TimeSpan input;
    input.add(now.input.value);
    if (input.failed) return false;
    if (input.any && (!outputTime || input.newest >= *outputTime)) return false;
    if (!now.hasIntermediate()) return true;
    TimeSpan intermediate;
    intermediate.add(now.intermediate.value);
    if (intermediate.failed) return false;
    return !intermediate.any || !input.any || intermediate.oldest > input.newest;
}

/// Sets the intermediate flags of one planned work item and returns whether it is stale.
bool compareWorkItem(const RecordContents& recorded, const RecordContents& plan, std::size_t index,
                     WorkItem& item) {
    const WorkItem* before = recorded.findSame(plan, index);
    if (before == nullptr || !sameOutputs(item, *before)) {
        clearFlags(item);
        return true;
    }
    TimeSpan outputs;
    for (const Assignment& output : item.outputs) outputs.add(output.value);
    std::optional<FileTime> outputTime;
    if (outputs.any && !outputs.failed) outputTime = outputs.oldest;

    bool stale = !outputTime || item.inputs.size() != before->inputs.size();
    for (std::size_t i = 0; i < item.inputs.size(); ++i) {
        WorkItemEntry& entry = item.inputs[i];
        entry.intermediateFlag =
            i < before->inputs.size() && inputUnchanged(entry, before->inputs[i], outputTime);
        if (!entry.intermediateFlag) stale = true;
    }
    return stale;
}

}  // namespace

std::vector<std::size_t> staleWorkItems(const RecordContents& recorded, RecordContents& plan) {
    std::vector<std::size_t> pending;
    const bool contextChanged = !sameContext(recorded, plan);
    for (std::size_t i = 0; i < plan.workItems().size(); ++i) {
        WorkItem& item = plan.workItem(i);
        if (contextChanged) {
            clearFlags(item);
            pending.push_back(i);
        } else if (compareWorkItem(recorded, plan, i, item)) {
            pending.push_back(i);
        }
    }
    return pending;
}

}  // namespace Rilk
