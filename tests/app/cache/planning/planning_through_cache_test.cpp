#include "app/cache/planning/planning_through_cache.h"

#include "app/cache/file/build_cache.h"
#include "app/cache/planning/job_plan.h"
#include "app/cache/planning/target_work.h"
#include "app/cache/work_item_stamps.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/cache/cache_test_support.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"
#include "tools/command/no_tool_builder.h"
#include "types/types_test_support.h"
#include "util/file_time.h"

namespace Rilk {
namespace {

using RilkTest::capture;
using RilkTest::path;
using RilkTest::pendingInputs;
using RilkTest::PlanBuilder;
using RilkTest::text;
using RilkTest::workItem;

constexpr AssignModifier kUp = AssignModifier::Up;

/// Whether the thread `id` of this process sleeps (state "S" in /proc), as one waiting on a
/// condition does.
bool threadSleeps(pid_t id) {
    std::ifstream in("/proc/self/task/" + std::to_string(id) + "/stat");
    std::string stat;
    std::getline(in, stat);
    // "tid (name) state ...": the name may hold blanks and parentheses.
    const std::size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'S';
}

TEST(ComputeParallelism, AtLeastTwoWorkItemsPerJob) {
    constexpr std::uint64_t kAny = BuildPlan::kNoJobLimit;
    const struct {
        std::uint64_t requested, maximum, pending, jobs;
    } cases[] = {
        {8, kAny, 10, 5}, {8, 1, 10, 1},   {1, kAny, 10, 1},  {8, kAny, 3, 1},
        {0, kAny, 10, 1}, {8, kAny, 4, 2}, {3, kAny, 100, 3}, {8, 2, 100, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(computeParallelism(c.requested, c.maximum, c.pending), c.jobs)
            << c.requested << " " << c.maximum << " " << c.pending;
    }
}

/// A planned target "u::t" in a temporary directory whose files the test dates.
class PlanningThroughCache : public ::testing::Test {
protected:
    PlanningThroughCache() { builder.plan.maxParallelJobs = 8; }

    /// Writes a file dated `age` seconds before a fixed moment in the past.
    std::filesystem::path file(const std::string& name, int age) {
        const auto written = dir.write(name, name);
        std::filesystem::last_write_time(written, base - std::chrono::seconds(age));
        return written;
    }

    JobPlan plan(const std::string& target = "t", int jobs = 8) {
        auto context = RilkTest::targetContext("u", target);
        return planThroughCache(*cache, builder, *context, jobs);
    }

    /// Plans, runs nothing and stores the record as a successful build would, with the
    /// stamps of the files as they are; returns the plan.
    JobPlan build(const std::string& target = "t") {
        auto context = RilkTest::targetContext("u", target);
        RilkTest::QuietRunner runner;
        Context output;
        const std::string key = "u::" + target;
        return TargetWork(*cache, runner, 8).run(builder, *context, key, output);
    }

    /// `build` of a target planned for the first time.
    void buildOnce(const std::string& target = "t") {
        const JobPlan first = build(target);
        ASSERT_NE(first.claimToken, 0u);
    }

    /// Gives the record's only work item the files its last build read, stamped as they
    /// are now.
    void recordFilesRead(const std::optional<std::vector<std::string>>& files) {
        WorkItem& item = cache->find("u::t")->contents.workItem(0);
        item.filesRead = files ? std::make_shared<const std::vector<std::string>>(*files) : nullptr;
        item.stamps = stampBuiltWorkItem(item, stampInputFiles(item, cache->stamps()),
                                         item.filesRead, wallClockNanoseconds(), cache->stamps());
    }

    /// Makes the stored record look like one read from the cache file.
    void startNextRun() { cache->find("u::t")->current = false; }

    std::string log(JobPlan& result, const std::string& target = "t") {
        return capture(1, [&] { result = plan(target); });
    }

    RilkTest::TempDir dir;
    std::unique_ptr<BuildCache> cache = std::make_unique<BuildCache>(dir.path() / ".rilk_cache");
    PlanBuilder builder;
    std::filesystem::file_time_type base =
        std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
};

TEST_F(PlanningThroughCache, FirstBuildClaimsAndLaterReachesInTheRunAreHits) {
    builder.plan.workItems = {workItem({text("SRC", "a.c")}, {path("OBJ", file("a.o", 0), kUp)}),
                              workItem({text("SRC", "b.c")}, {path("OBJ", file("b.o", 0), kUp)})};
    JobPlan result;
    EXPECT_EQ(log(result), "Cache claimed for 'u::t'.\n");
    EXPECT_NE(result.claimToken, 0u);
    EXPECT_EQ(pendingInputs(result).size(), 2u);
    EXPECT_EQ(result.jobContexts.size(), 1u);
    cache->upsert("u::t", RilkTest::recordOf(result), result.claimToken);

    // Stored in this run: a hit without comparison, even with every output gone; also under
    // a key that differs only in letter case.
    std::filesystem::remove_all(dir.path() / "a.o");
    EXPECT_EQ(log(result), "Cache hit for 'u::t'.\n");
    EXPECT_EQ(log(result, "T"), "Cache hit for 'u::T'.\n");
    EXPECT_TRUE(result.jobContexts.empty());
    EXPECT_EQ(result.claimToken, 0u);
    ASSERT_EQ(result.work.workItems().size(), 2u);
    EXPECT_EQ(cache->size(), 1u);
}

TEST_F(PlanningThroughCache, AStoredRecordKeepsWhatWasPlannedWhenTheValuesChangeLater) {
    // A plan shares the target's values, which go on to the target's outputs.
    const RilkValuePtr source = RilkTest::str("a.c");
    const RilkValuePtr flags = RilkTest::str("-O2");
    WorkItem item;
    item.inputs.emplace_back(Assignment("SRC", source, AssignType::Set, AssignModifier::None));
    item.outputs.emplace_back("OBJ", source, AssignType::Set, kUp);
    builder.plan.workItems = {item};
    builder.plan.context = {Assignment("FLAGS", flags, AssignType::Set, AssignModifier::None)};
    buildOnce();
    source->append(*RilkTest::str("x"));
    flags->append(*RilkTest::str("-g"));
    const RecordContents& stored = cache->find("u::t")->contents;
    EXPECT_EQ(stored.workItems().front().inputs.front().input.toString(), "SRC = \"a.c\"");
    EXPECT_EQ(stored.workItems().front().outputs.front().toString(), "OBJ = \"a.c\"");
    EXPECT_EQ(stored.context.front().toString(), "FLAGS = \"-O2\"");
}

TEST_F(PlanningThroughCache, EmptyPlanBuildsOnACopyWithoutRecord) {
    JobPlan result;
    EXPECT_EQ(capture(2, [&] { result = plan(); }),
              "Target 'u::t' not suitable for caching. Using the original context.\n");
    ASSERT_EQ(result.jobContexts.size(), 1u);
    EXPECT_EQ(result.claimToken, 0u);
    EXPECT_EQ(cache->size(), 0u);
}

TEST_F(PlanningThroughCache, NoToolJobNeedsOnlyTheTargetsName) {
    // The no-tool is given no copy of the target: whatever its job context holds, the job
    // begins, makes its recipes and gives its outputs alike.
    auto target = RilkTest::targetContext("u", "t");
    target->addAssignment(text("NO_TOOL", "1"), kKeepModifier);
    target->addAssignment(path("OUT", dir.path() / "out", kUp), kKeepModifier);
    NoToolBuilder noTool;
    JobPlan result;
    EXPECT_EQ(capture(2, [&] { result = planThroughCache(*cache, noTool, *target, 8); }),
              "Target 'u::t' not suitable for caching. Using the original context.\n");
    ASSERT_EQ(result.jobContexts.size(), 1u);
    const auto* job = dynamic_cast<const TargetContext*>(result.jobContexts[0].get());
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->name.toString(), target->name.toString());
    for (Context* given : {static_cast<Context*>(target.get()), result.jobContexts[0].get()}) {
        noTool.beginBuild(*given, 1);
        EXPECT_TRUE(noTool.createRecipes(*given).empty());
        EXPECT_TRUE(noTool.collectOutputs(*given, 0).assignments.empty());
        noTool.endBuild();
    }
    EXPECT_EQ(cache->size(), 0u);
}

TEST_F(PlanningThroughCache, EqualInputsAreOneWorkItemEqualHashesAreNot) {
    // "AB" + "c" and "A" + "Bc" hash alike but are different work.
    builder.plan.workItems = {workItem({text("SRC", "a.c")}, {}),
                              workItem({text("SRC", "a.c")}, {}), workItem({text("AB", "c")}, {}),
                              workItem({text("A", "Bc")}, {})};
    JobPlan result = plan();
    ASSERT_EQ(result.work.workItems().size(), 3u);
    EXPECT_EQ(pendingInputs(result).size(), 3u);
    EXPECT_EQ(result.work.workItems()[1].inputs[0].input.name, "AB");
}

TEST_F(PlanningThroughCache, StaleWorkItemsOfARecordFromTheLastRun) {
    struct Case {
        const char* label;
        int inputAge;        // of b.c; a.c is always older than the outputs
        bool removeOutput;   // b.o
        const char* define;  // a context assignment, "-DX=a" at the first build
        std::vector<std::string> pending;
    };
    const Case cases[] = {
        {"nothing changed", 20, false, "-DX=a", {}},
        {"input touched", 5, false, "-DX=a", {"b.c"}},
        {"input as old as the output", 10, false, "-DX=a", {"b.c"}},
        {"input given an older time", 30, false, "-DX=a", {"b.c"}},
        {"output missing", 20, true, "-DX=a", {"b.c"}},
        {"context differs in case", 20, false, "-DX=A", {"a.c", "b.c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        cache = std::make_unique<BuildCache>(dir.path() / ".rilk_cache");
        const auto a = file("a.c", 20);
        const auto b = file("b.c", 20);
        auto items = [&] {
            return std::vector<WorkItem>{
                workItem({path("SRC", a)}, {path("OBJ", file("a.o", 10), kUp)}),
                workItem({path("SRC", b)}, {path("OBJ", dir.path() / "b.o", kUp)})};
        };
        builder.plan.workItems = items();
        file("b.o", 10);
        builder.plan.context = {text("FLAGS", "-DX=a")};
        buildOnce();
        startNextRun();

        // Written again only when its time changes: rewritten with its time given back, its
        // status change would tell an edit.
        if (c.inputAge != 20) file("b.c", c.inputAge);
        if (c.removeOutput) std::filesystem::remove(dir.path() / "b.o");
        builder.plan.context = {text("FLAGS", c.define)};
        builder.plan.workItems = items();
        JobPlan result;
        const std::string printed = log(result);
        std::vector<std::string> pending;
        for (const auto& item : pendingInputs(result)) {
            pending.push_back(std::filesystem::path(item[0].input.value->toString()).filename());
        }
        EXPECT_EQ(pending, c.pending);
        EXPECT_EQ(printed,
                  c.pending.empty() ? "Cache hit for 'u::t'.\n" : "Cache claimed for 'u::t'.\n");
        EXPECT_EQ(result.claimToken != 0, !c.pending.empty());
    }
}

TEST_F(PlanningThroughCache, FilesTheLastBuildReadAreComparedLikeInputs) {
    struct Case {
        const char* label;
        bool tracked;  // the builder plans a dependency file for the item
        std::optional<std::vector<std::string>> recorded;
        const char* changed;  // a header dated anew after the build, or removed (age < 0)
        int age;
        bool stale;
    };
    const std::string header = (dir.path() / "h.h").string();
    const std::string early = (dir.path() / "early.h").string();
    const Case cases[] = {
        {"headers unchanged", true, std::vector{header, early}, "", 0, false},
        {"no header read", true, std::vector<std::string>(), "", 0, false},
        {"a header touched", true, std::vector{header, early}, "h.h", 5, true},
        {"a header given an older time", true, std::vector{header, early}, "h.h", 50, true},
        {"a header removed", true, std::vector{header, early}, "early.h", -1, true},
        {"not known (older cache file)", true, std::nullopt, "", 0, true},
        {"the builder tracks nothing", false, std::nullopt, "", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        cache = std::make_unique<BuildCache>(dir.path() / ".rilk_cache");
        const auto source = file("a.c", 30);
        file("h.h", 20);
        file("early.h", 40);
        auto items = [&] {
            WorkItem item = workItem({path("SRC", source)}, {path("OBJ", file("a.o", 10), kUp)});
            if (c.tracked) item.dependencyFiles = DependencyFiles::besideOutputs(dir.path());
            return std::vector<WorkItem>{item};
        };
        builder.plan.workItems = items();
        buildOnce();
        recordFilesRead(c.recorded);
        startNextRun();
        if (c.age < 0) std::filesystem::remove(dir.path() / c.changed);
        if (c.age > 0) file(c.changed, c.age);
        builder.plan.workItems = items();
        const JobPlan result = plan();
        EXPECT_EQ(!result.jobItems.empty(), c.stale);
        // An item up to date keeps what its record knew, for the record stored next.
        const FilesRead& kept = result.work.workItems().at(0).filesRead;
        EXPECT_EQ(kept ? std::optional(*kept) : std::nullopt,
                  c.stale || !c.tracked ? std::nullopt : c.recorded);
    }
}

TEST_F(PlanningThroughCache, AFileChangedWhileItsCommandRanIsNotKnown) {
    const auto source = file("a.c", 30);
    file("h.h", 20);
    const auto redated = file("old.h", 20);
    file("kept.h", 20);
    builder.plan.workItems = {workItem({path("SRC", source)}, {path("OBJ", file("a.o", 10), kUp)})};
    builder.plan.workItems[0].dependencyFiles = DependencyFiles::besideOutputs(dir.path());
    const JobPlan first = plan();
    // What the job starts from: the time, then the stamps of its inputs.
    const std::int64_t startTime = wallClockNanoseconds();
    const WorkItem& item = first.work.workItems()[0];
    const std::vector<RecordedStamp> before = stampInputFiles(item, cache->stamps());
    // Saved after the command started, then given back its time: the command may have read
    // either content.
    dir.write("a.c", "int changed;");
    std::filesystem::last_write_time(source, base - std::chrono::seconds(30));
    std::filesystem::last_write_time(dir.path() / "h.h",
                                     std::filesystem::file_time_type::clock::now());
    // The system dates changes by its coarse clock, which may still read before the start.
    for (timespec now{}; clock_gettime(CLOCK_REALTIME_COARSE, &now) == 0 &&
                         Util::nanosecondsOf(now) <= startTime;) {
        std::this_thread::yield();
    }
    dir.write("old.h", "new.h");
    std::filesystem::last_write_time(redated, base - std::chrono::seconds(20));
    const FilesRead read =
        std::make_shared<const std::vector<std::string>>(std::vector<std::string>{
            (dir.path() / "h.h").string(), redated.string(), (dir.path() / "kept.h").string()});
    const FileStamps stamps = stampBuiltWorkItem(item, before, read, startTime, cache->stamps());
    EXPECT_EQ(stamps->knownSince, startTime);
    const std::vector<RecordedStamp>& files = stamps->files;
    ASSERT_EQ(files.size(), 5u);
    EXPECT_FALSE(files[0]) << "the source";
    EXPECT_TRUE(files[1]) << "the object";
    EXPECT_FALSE(files[2]) << "the header";
    EXPECT_FALSE(files[3]) << "the header given back its size and time";
    EXPECT_TRUE(files[4]) << "the header left alone";
}

TEST_F(PlanningThroughCache, FilesInADependencysOutputBlockAreInputs) {
    auto outputs = std::make_shared<Context>();
    outputs->addAssignment(path("OBJ", file("dep.o", 30), kUp), kKeepModifier);
    const Assignment dependency("dep", std::make_shared<RilkContext>(outputs), AssignType::Set,
                                AssignModifier::None);
    builder.plan.workItems = {workItem({dependency}, {path("EXE", file("app", 20), kUp)})};
    buildOnce();
    startNextRun();
    file("dep.o", 10);  // the dependency was built again
    JobPlan result;
    EXPECT_EQ(log(result), "Cache claimed for 'u::t'.\n");
    EXPECT_EQ(result.jobItems, std::vector<std::vector<std::size_t>>{{0}});
}

TEST_F(PlanningThroughCache, FilesAreReadByTheirFullPath) {
    // A path planned relative to a directory names the file of its full path text; one
    // holding a NUL byte names none (the system would read a shorter path).
    file("a.c", 30);
    file("app", 10);
    const std::string base = dir.path().string();
    const struct {
        const char* label;
        std::string base, text;
        bool stale;
    } cases[] = {
        {"relative", base, "a.c", false},
        {"base ending in a slash", base + "/", "a.c", false},
        {"absolute text", "/elsewhere", base + "/a.c", false},
        {"NUL byte", base, std::string("a.c\0x", 5), true},
        {"missing", base, "b.c", true},
    };
    for (const auto& c : cases) {
        cache = std::make_unique<BuildCache>(dir.path() / ".rilk_cache");
        const Assignment source("SRC", makePathString(c.text, c.base), AssignType::Set,
                                AssignModifier::None);
        builder.plan.workItems = {workItem({source}, {path("EXE", dir.path() / "app", kUp)})};
        buildOnce();
        startNextRun();
        EXPECT_EQ(plan().jobItems.empty(), !c.stale) << c.label;
    }
}

TEST_F(PlanningThroughCache, OutputsWithoutPathRebuildEveryRun) {
    builder.plan.workItems = {workItem({text("CMD", "echo")}, {text("MSG", "hi", kUp)})};
    buildOnce();
    startNextRun();
    JobPlan result;
    EXPECT_EQ(log(result), "Cache claimed for 'u::t'.\n");
    EXPECT_EQ(pendingInputs(result).size(), 1u);
}

TEST_F(PlanningThroughCache, IntermediateFlagOnlyForProducedUnchangedIntermediates) {
    const auto a = file("a.c", 30);
    const auto b = file("b.c", 30);
    auto entries = [&] {
        WorkItem item;
        item.inputs.emplace_back(path("SRC", a), path("OBJ", dir.path() / "a.o"));
        item.inputs.emplace_back(path("SRC", b), path("OBJ", dir.path() / "b.o"));
        item.outputs = {path("EXE", file("app", 10), kUp)};
        return item;
    };
    file("a.o", 20);
    file("b.o", 20);
    builder.plan.workItems = {entries()};
    buildOnce();
    startNextRun();

    file("b.c", 5);  // touched: its object is older now
    builder.plan.workItems = {entries()};
    JobPlan result = build();
    ASSERT_EQ(pendingInputs(result).size(), 1u);
    EXPECT_TRUE(pendingInputs(result)[0][0].intermediateFlag);
    EXPECT_FALSE(pendingInputs(result)[0][1].intermediateFlag);
    startNextRun();

    std::filesystem::remove(dir.path() / "a.o");  // never hand a job a missing object
    builder.plan.workItems = {entries()};
    result = plan();
    ASSERT_EQ(pendingInputs(result).size(), 1u);
    EXPECT_FALSE(pendingInputs(result)[0][0].intermediateFlag);
    EXPECT_TRUE(pendingInputs(result)[0][1].intermediateFlag);
}

TEST_F(PlanningThroughCache, ClaimHeldElsewhereIsWaitedForThenBuiltWithoutClaim) {
    builder.plan.workItems = {workItem({text("SRC", "a.c")}, {path("OBJ", file("a.o", 0), kUp)})};
    JobPlan holder = plan();
    ASSERT_NE(holder.claimToken, 0u);

    // The holder stores its record while another build waits: that build is a hit. Its
    // thread sleeps only in that wait: nothing else it takes is held by another thread.
    JobPlan waiter;
    std::atomic<pid_t> waiterThread{0};
    std::thread other([&] {
        waiterThread = ::gettid();
        waiter = plan();
    });
    EXPECT_TRUE(RilkTest::waitUntil([&] {
        const pid_t id = waiterThread.load();
        return id != 0 && threadSleeps(id);
    }));
    cache->upsert("u::t", RilkTest::recordOf(holder), holder.claimToken);
    other.join();
    EXPECT_TRUE(waiter.jobContexts.empty());

    // A claim never released: after the wait the target is built, without a claim.
    auto record = cache->find("u::t");
    record->state = RuntimeRecord::Claimed;
    record->claimToken = 99;
    JobPlan result;
    EXPECT_EQ(log(result), "Cache miss for 'u::t'. Building...\n");
    EXPECT_EQ(result.claimToken, 0u);
    EXPECT_EQ(result.jobContexts.size(), 1u);
}

TEST_F(PlanningThroughCache, UpsertWithAnotherTokenIsRejected) {
    builder.plan.workItems = {workItem({text("SRC", "a.c")}, {})};
    JobPlan result = plan();
    RecordContents other;
    EXPECT_EQ(capture(7, [&] { cache->upsert("U::T", other, result.claimToken + 1); }),
              "Cache upsert rejected for 'U::T': claim token mismatch.\n");
    EXPECT_EQ(cache->find("u::t")->state, RuntimeRecord::Claimed);
    cache->upsert("u::t", RilkTest::recordOf(result), result.claimToken);
    EXPECT_EQ(cache->find("u::t")->state, RuntimeRecord::Idle);
    EXPECT_EQ(cache->find("u::t")->contents.workItems().size(), 1u);
}

}  // namespace
}  // namespace Rilk
