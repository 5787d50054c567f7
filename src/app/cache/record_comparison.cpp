#include "app/cache/record_comparison.h"

#include <cstdint>
#include <numeric>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/cache/cache_equality.h"
#include "app/cache/path_stamp.h"
#include "types/kinded_value.h"
#include "types/path_values.h"
#include "types/rilk_context_types.h"
#include "types/rilk_value_types.h"
#include "types/value_cast.h"
#include "util/file_stamp.h"

namespace Rilk {
namespace {

/// The states of the files several work items of one record read, each taken once, by the
/// texts of the records' lists of files read, which outlive the comparison. No job runs
/// while one record is compared.
using StampMemo = std::unordered_map<std::string_view, std::optional<Util::FileState>>;

/// Which files of a work item the time of their status change is checked for: its inputs
/// and the files it read, which its command was given and must have seen as they are now.
/// Not its outputs and intermediates: the command wrote them (after its start), and their
/// stamps, taken after it ended, are what it left.
enum class Role { Read, Written };

/// Walks a work item's recorded stamps in their order, comparing each with its file now.
class StampWalk {
public:
    StampWalk(const StampedFiles& recorded, const PathStamps& stamps)
        : recorded_(recorded), stamps_(stamps) {}

    /// Whether every file a value names has the next recorded stamp, in order, and, for a
    /// file the command read, has not had its status changed since the stamps were known.
    /// `any` is set when the value names a file.
    bool sameFiles(const RilkValuePtr& value, Role role, bool* any = nullptr) {
        bool same = true;
        forEachPathValue(value, [&](const RilkPathString& path) {
            if (any != nullptr) *any = true;
            const RecordedStamp* before = take();
            // Once a file differs the others are only counted.
            if (!same || before == nullptr || !*before) {
                same = false;
                return;
            }
            same = matches(stamps_.stateOf(path), **before, role);
        });
        return same;
    }

    /// Whether each of the files a build read has the next recorded stamp, in order, and no
    /// status changed since.
    bool sameFilesRead(const std::vector<std::string>& files, StampMemo& memo) {
        bool same = true;
        for (const std::string& file : files) {
            const RecordedStamp* before = take();
            if (!same || before == nullptr || !*before) {
                same = false;
                continue;
            }
            // Read ahead, a file is read once for every record already; else once for this
            // record's work items.
            if (const auto prefetched = stamps_.prefetched(JoinedPath{{}, false, file})) {
                same = matches(prefetched, **before, Role::Read);
                continue;
            }
            auto found = memo.find(file);
            if (found == memo.end()) found = memo.emplace(file, stamps_.stateOfFile(file)).first;
            same = matches(found->second, **before, Role::Read);
        }
        return same;
    }

    /// Whether the walk took exactly the recorded stamps: a record whose files were counted
    /// otherwise is not this item's.
    bool whole() const { return !overrun_ && next_ == recorded_.files.size(); }

private:
    /// Whether a file is still as recorded. The status change time tells the edits its stamp
    /// cannot: content changed with the time, size and inode given back (`cp -p`, `touch -r`,
    /// `rsync --inplace`), also while another target's command ran in the last run, after
    /// this item's record was made. The system sets it on every write and change of times,
    /// and no user command can set it back. A file read whose status changed at or after the
    /// command's start is not trusted (the store already left such a file without a stamp,
    /// so one with a stamp changed later). Inputs a dependency built earlier in the same run
    /// changed before the command started, and pass.
    bool matches(const std::optional<Util::FileState>& now, const Util::FileStamp& before,
                 Role role) const {
        if (!now || now->stamp != before) return false;
        return role == Role::Written || now->changeTime < recorded_.knownSince;
    }

    const RecordedStamp* take() {
        if (next_ >= recorded_.files.size()) {
            overrun_ = true;
            return nullptr;
        }
        return &recorded_.files[next_++];
    }

    const StampedFiles& recorded_;
    const PathStamps& stamps_;
    std::size_t next_ = 0;
    bool overrun_ = false;
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

/// Whether one input, already known to equal the recorded one, has the same intermediate.
bool sameIntermediate(const WorkItemEntry& now, const WorkItemEntry& before) {
    if (now.hasIntermediate() != before.hasIntermediate()) return false;
    return !now.hasIntermediate() || cacheEqual(now.intermediate(), before.intermediate());
}

/// Sets the intermediate flags of one planned work item, whose inputs and outputs are those
/// of the recorded work item `before`, against what its last build left, and returns
/// whether it is stale. Up to date, the item takes over the files its last build read and
/// its stamps.
bool compareWithRecorded(WorkItem& item, const WorkItem& before, const LastBuild& last,
                         const PathStamps& stamps, StampMemo& memo) {
    if (!last.stamps) {
        clearFlags(item);
        return true;
    }
    StampWalk walk(*last.stamps, stamps);
    bool stale = false;
    for (std::size_t i = 0; i < item.inputs.size(); ++i) {
        WorkItemEntry& entry = item.inputs[i];
        const bool inputSame = walk.sameFiles(entry.input.value, Role::Read);
        const bool intermediateSame = walk.sameFiles(entry.intermediate().value, Role::Written);
        entry.intermediateFlag =
            inputSame && intermediateSame && sameIntermediate(entry, before.inputs[i]);
        if (!entry.intermediateFlag) stale = true;
    }
    bool anyOutput = false;
    bool outputsSame = true;
    for (const Assignment& output : item.outputs) {
        outputsSame = walk.sameFiles(output.value, Role::Written, &anyOutput) && outputsSame;
    }
    bool filesReadSame = !item.dependencyFiles || last.filesRead;
    if (last.filesRead) filesReadSame = walk.sameFilesRead(*last.filesRead, memo) && filesReadSame;
    // A work item whose outputs name no file is built on every run.
    if (!anyOutput || !outputsSame || !filesReadSame || !walk.whole()) {
        clearFlags(item);
        return true;
    }
    if (stale) return true;
    item.filesRead = last.filesRead;
    item.stamps = last.stamps;
    return false;
}

/// Sets the intermediate flags of one planned work item and returns whether it is stale.
/// An item with dependency files takes over the recorded files its last build read when it
/// is up to date.
bool compareWorkItem(const RecordContents& recorded, const RecordContents& plan, std::size_t index,
                     WorkItem& item, const PathStamps& stamps, StampMemo& memo) {
    // Found by its inputs: the recorded work item has as many inputs, each equal to the
    // planned one at its position.
    const WorkItem* before = recorded.findSame(plan, index);
    if (before == nullptr || !sameOutputs(item, *before)) {
        clearFlags(item);
        return true;
    }
    return compareWithRecorded(item, *before, LastBuild{before->filesRead, before->stamps}, stamps,
                               memo);
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

std::vector<std::size_t> staleWorkItems(const RecordContents& recorded, RecordContents& plan,
                                        const PathStamps& stamps) {
    std::vector<std::size_t> pending;
    const bool contextChanged = !sameContext(recorded, plan);
    StampMemo memo;
    for (std::size_t i = 0; i < plan.workItems().size(); ++i) {
        WorkItem& item = plan.workItem(i);
        if (contextChanged) {
            clearFlags(item);
            pending.push_back(i);
        } else if (compareWorkItem(recorded, plan, i, item, stamps, memo)) {
            pending.push_back(i);
        }
    }
    return pending;
}

std::vector<std::size_t> everyWorkItem(const RecordContents& plan) {
    std::vector<std::size_t> all(plan.workItems().size());
    std::iota(all.begin(), all.end(), std::size_t{0});
    return all;
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
                                                 const std::vector<LastBuild>& lastBuilds,
                                                 const PathStamps& stamps) {
    std::vector<std::size_t> pending;
    StampMemo memo;
    for (std::size_t i = 0; i < plan.workItems().size(); ++i) {
        WorkItem& item = plan.workItem(i);
        // The recorded work item is the planned one: the same inputs, outputs and
        // intermediates.
        if (compareWithRecorded(item, item, lastBuilds.at(i), stamps, memo)) pending.push_back(i);
    }
    return pending;
}

}  // namespace Rilk
