#include "app/cache/planning/target_work.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <utility>

#include "app/cache/built_dependencies.h"
#include "app/cache/planning/planning_through_cache.h"
#include "app/cache/work_item_stamps.h"
#include "types/value_utils.h"

namespace Rilk {
namespace {

/// What a plan's jobs started from: the time just before they started and the stamps of
/// the input files of each work item they build, by position in the plan.
class JobsStart {
public:
    /// Takes the time, then the stamps, just before the plan's jobs start.
    JobsStart(const JobPlan& plan, const PathStamps& stamps) {
        // A target that builds nothing (a no-op build's every target) pays nothing here.
        if (plan.jobItems.empty()) return;
        time_ = wallClockNanoseconds();
        inputStamps_.resize(plan.work.workItems().size());
        for (const std::vector<std::size_t>& items : plan.jobItems) {
            for (const std::size_t position : items) {
                inputStamps_.at(position) =
                    stampInputFiles(plan.work.workItems()[position], stamps);
            }
        }
    }

    std::int64_t time() const { return time_; }
    /// The stamps of the input files of the work item at `position`, empty for one no job
    /// builds.
    const std::vector<RecordedStamp>& inputStamps(std::size_t position) const {
        static const std::vector<RecordedStamp> none;
        return position < inputStamps_.size() ? inputStamps_[position] : none;
    }

private:
    std::int64_t time_ = 0;
    std::vector<std::vector<RecordedStamp>> inputStamps_;
};

/// The assignment with a value of its own: a plan shares the target's values, which go on
/// to the target's outputs and may change there; the record must keep what was planned.
Assignment ownCopy(const Assignment& assignment) {
    Assignment copy = assignment;
    copy.value = independentCopy(assignment.value);
    return copy;
}

/// Gives the work item's planned values, held by a copy of the plan, values of their own.
/// Its hash stays: the values are equal.
void ownValues(WorkItem& item) {
    for (Assignment& output : item.outputs) output.value = independentCopy(output.value);
    for (WorkItemEntry& entry : item.inputs) {
        const bool flag = entry.intermediateFlag;
        entry = WorkItemEntry(ownCopy(entry.input), ownCopy(entry.intermediate()));
        entry.intermediateFlag = flag;
    }
    // Where its build writes dependency files is the plan's, never the record's.
    item.dependencyFiles = nullptr;
}

/// The record of the work of a plan once its jobs have ended (`finished`: by job, whether
/// it succeeded), or nothing when none of its jobs succeeded: the record then stays as it
/// was, claiming nothing of the files the failed jobs changed (and those jobs removed them).
std::optional<RecordContents> recordOf(const JobPlan& plan, const JobsStart& start,
                                       const std::vector<bool>& finished,
                                       const PathStamps& stamps) {
    if (!plan.jobItems.empty() &&
        std::find(finished.begin(), finished.end(), true) == finished.end()) {
        return std::nullopt;
    }
    const std::vector<WorkItem>& planned = plan.work.workItems();
    // Whether each work item was built in this run, and whether that build finished.
    std::vector<char> built(planned.size(), 0);
    std::vector<char> done(planned.size(), 0);
    for (std::size_t job = 0; job < plan.jobItems.size(); ++job) {
        const bool ok = job < finished.size() && finished[job];
        for (const std::size_t position : plan.jobItems[job]) {
            built.at(position) = 1;
            done.at(position) = ok ? 1 : 0;
        }
    }
    RecordContents record = plan.work;
    for (std::size_t i = 0; i < planned.size(); ++i) {
        WorkItem& item = record.workItem(i);
        ownValues(item);
        // Up to date, it keeps what its last build left; built but not finished, nothing.
        if (built[i]) {
            item.filesRead = nullptr;
            item.stamps = nullptr;
        }
        if (built[i] && done[i]) {
            item.filesRead = readBuiltDependencies(planned[i]);
            item.stamps = stampBuiltWorkItem(planned[i], start.inputStamps(i), item.filesRead,
                                             start.time(), stamps);
        }
    }
    for (Assignment& assignment : record.context) {
        assignment.value = independentCopy(assignment.value);
    }
    return record;
}

}  // namespace

JobPlan TargetWork::run(Builder& builder, const TargetContext& target, const Util::CiString& label,
                        Context& output) {
    runner_.stopIfAsked();
    const RecordPlaces::Place place = places_.placeOf(target.name.ns);
    CacheRecords& records = *place.records;
    JobPlan plan =
        planThroughCache(records, builder, target, requestedJobs_, place.recordNamespace);
    runner_.stopIfAsked();
    const bool jobs = !plan.jobContexts.empty();
    // Every cache of the run reads files through the run's one `PathStamps`. The jobs may
    // move directories kept open, and change the files whose stamps were read ahead.
    PathStamps& stamps = places_.stamps();
    if (jobs) stamps.filesMayChange();
    const JobsStart start(plan, stamps);
    std::vector<bool> finished;
    // However the jobs end, the record of those that finished is stored.
    const auto store = [&] {
        if (jobs) {
            places_.forEachRecords([](CacheRecords& each) { each.afterCommands(); });
            // The jobs may have moved directories kept open since the start.
            stamps.forgetOpenDirectories();
        }
        if (plan.claimToken == 0) return;
        std::optional<RecordContents> record = recordOf(plan, start, finished, stamps);
        if (record) records.upsert(plan.recordKey, std::move(*record), plan.claimToken);
    };
    try {
        if (jobs) runner_.run(builder, plan, label, output, finished);
    } catch (...) {
        store();
        throw;
    }
    store();
    return plan;
}

}  // namespace Rilk
