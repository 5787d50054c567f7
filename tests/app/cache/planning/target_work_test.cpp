// The rules of the one owner of a target's cached work, with a runner that starts no process:
// what is planned and claimed, what runs, and what the record keeps however the jobs end.
#include "app/cache/planning/target_work.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/cache/cache_test_support.h"
#include "support/temp_dir.h"
#include "util/file_stamp.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;

using RilkTest::QuietRunner;

/// How a run of the target ended.
enum class Ending { Built, Failed, Stopped };

/// What the record holds: per work item, 'S' when it is stamped (up to date for the next
/// run), '-' when it is not; empty for a record holding no work.
std::string recorded(CacheRecords& records) {
    const std::shared_ptr<RuntimeRecord> record = records.find("u::t");
    if (!record) return "none";
    std::string items;
    for (const WorkItem& item : record->contents.workItems()) items += item.stamps ? 'S' : '-';
    return items;
}

TEST(TargetWork, PlansClaimsRunsAndStoresWhatFinished) {
    // Four work items in two jobs (items 0 and 1, items 2 and 3). A stored record shows 'S'
    // for each item stamped, '-' for one to build again; "" is a claimed record not stored
    // yet, "none" no record.
    using enum Ending;
    const struct {
        const char* label;
        bool recordBefore;  // stored by an earlier run, the files unchanged since
        int stopAtCheck;    // 1: before the plan, 2: before the jobs
        bool stopInJobs;
        std::vector<std::size_t> failing;
        Ending ending;
        int plans, runs;
        bool claimed;
        const char* record;
    } cases[] = {
        {"first build", false, 0, false, {}, Built, 1, 1, true, "SSSS"},
        {"up to date: nothing runs or is stored", true, 0, false, {}, Built, 1, 0, false, "SSSS"},
        {"a failed job", false, 0, false, {1}, Failed, 1, 1, true, "SS--"},
        {"every job failed: nothing stored", false, 0, false, {0, 1}, Failed, 1, 1, true, ""},
        {"a stop while the jobs run", false, 0, true, {0}, Stopped, 1, 1, true, "--SS"},
        {"a stop before the plan", false, 1, false, {}, Stopped, 0, 0, false, "none"},
        {"a stop before the jobs", false, 2, false, {}, Stopped, 1, 0, true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        RilkTest::TempDir dir;
        const auto then = fs::file_time_type::clock::now() - std::chrono::hours(1);
        RilkTest::PlanBuilder builder;
        builder.plan.maxParallelJobs = 8;
        std::vector<std::string> outputs;
        for (const char* name : {"a", "b", "c", "d"}) {
            const fs::path source = dir.write(std::string(name) + ".c", name);
            const fs::path object = dir.write(std::string(name) + ".o", name);
            fs::last_write_time(source, then - std::chrono::seconds(10));
            fs::last_write_time(object, then);
            outputs.push_back(object.string());
            builder.plan.workItems.push_back(
                RilkTest::workItem({RilkTest::path("SRC", source)},
                                   {RilkTest::path("OBJ", object, AssignModifier::Up)}));
        }
        CacheRecords records;
        const auto target = RilkTest::targetContext("u", "t");
        Context output;
        if (c.recordBefore) {
            QuietRunner earlier;
            TargetWork(records, earlier, 2).run(builder, *target, "u::t", output);
            records.find("u::t")->current = false;  // as read from the cache file
            builder.plans = 0;
        }
        // The outputs' stamps read ahead; the jobs write the outputs anew.
        auto prefetch = std::make_unique<FileTimePrefetch>(outputs, 1);
        prefetch->wait();
        records.stamps().usePrefetch(nullptr, std::move(prefetch));
        QuietRunner runner;
        runner.stopAtCheck = c.stopAtCheck;
        runner.stopInJobs = c.stopInJobs;
        runner.failing = c.failing;
        runner.whileRunning = [&] {
            for (const std::string& object : outputs)
                fs::last_write_time(object, then + std::chrono::seconds(1));
        };
        std::optional<JobPlan> plan;
        Ending ending = Ending::Built;
        try {
            plan = TargetWork(records, runner, 2).run(builder, *target, "u::t", output);
        } catch (const QuietRunner::Stopped&) {
            ending = Ending::Stopped;
        } catch (const RilkException&) {
            ending = Ending::Failed;
        }
        EXPECT_EQ(ending, c.ending);
        EXPECT_EQ(builder.plans, c.plans);
        EXPECT_EQ(runner.runs, c.runs);
        const std::shared_ptr<RuntimeRecord> record = records.find("u::t");
        EXPECT_EQ(record && (record->state == RuntimeRecord::Claimed || record->current),
                  c.claimed);
        EXPECT_EQ(recorded(records), c.record);
        if (plan) {
            EXPECT_EQ(plan->jobContexts.size(), c.recordBefore ? 0u : 2u);
            EXPECT_EQ(plan->work.workItems().size(), 4u);
        }
        // A stored item is stamped as its job left its files, never as they were read ahead.
        const std::size_t built = std::string(c.record).find('S');
        if (record && built != std::string::npos && !c.recordBefore) {
            const std::vector<RecordedStamp>& stamps =
                record->contents.workItems()[built].stamps->files;
            EXPECT_EQ(stamps.back(), Util::stampOfFile(outputs[built].c_str()));
        }
    }
}

}  // namespace
}  // namespace Rilk
