#include "app/cache/planning/job_context_split.h"

#include <gtest/gtest.h>

#include "types/rilk_value_types.h"
#include "types/types_test_support.h"

namespace {

using Rilk::Assignment;
using Rilk::AssignModifier;
using Rilk::AssignType;
using Rilk::WorkItemEntry;

Assignment set(const std::string& name, const Rilk::RilkValuePtr& value) {
    return Assignment(name, value, AssignType::Set, AssignModifier::None);
}

std::vector<std::vector<WorkItemEntry>> items(int count) {
    std::vector<std::vector<WorkItemEntry>> out;
    for (int i = 1; i <= count; ++i) {
        out.push_back({WorkItemEntry(set("SRC", RilkTest::str("s" + std::to_string(i))))});
    }
    return out;
}

/// Splits work items of the given inputs, each with one output file named after its
/// position, all pending.
Rilk::JobPlan split(const std::vector<std::vector<WorkItemEntry>>& entries,
                    const std::vector<Assignment>& common, std::uint64_t requested);

Rilk::TargetContext target() {
    Rilk::TargetContext context(Rilk::Context(), {"ns", "u", "t"});
    context.parameterText = "p";
    context.addAssignment(set("OTHER", RilkTest::str("x")), Rilk::kKeepModifier);
    return context;
}

Rilk::JobPlan split(const std::vector<std::vector<WorkItemEntry>>& entries,
                    const std::vector<Assignment>& common, std::uint64_t requested) {
    Rilk::JobPlan plan;
    std::vector<Rilk::WorkItem> workItems;
    std::vector<std::size_t> pending;
    for (const auto& inputs : entries) {
        Rilk::WorkItem& item = workItems.emplace_back();
        item.inputs = inputs;
        item.outputs.emplace_back(
            "OUT", Rilk::makePathString("/o/" + std::to_string(pending.size()), ""),
            AssignType::Set, AssignModifier::Up);
        pending.push_back(pending.size());
    }
    Rilk::splitJobContexts(target(), workItems, common, pending, requested, plan);
    return plan;
}

TEST(JobContextSplit, DealsItemsInContiguousRunsFirstJobsTakingTheRest) {
    const std::tuple<int, std::uint64_t, std::vector<std::string>> cases[] = {
        {5, 2, {"[ \"s1\", \"s2\", \"s3\" ]", "[ \"s4\", \"s5\" ]"}},
        {5, 8, {"\"s1\"", "\"s2\"", "\"s3\"", "\"s4\"", "\"s5\""}},
        {3, 1, {"[ \"s1\", \"s2\", \"s3\" ]"}},
        {0, 4, {}},
        {3, 0, {}},
    };
    for (const auto& [count, requested, expected] : cases) {
        const Rilk::JobPlan dealt = split(items(count), {}, requested);
        std::vector<std::string> got;
        std::size_t next = 0;
        ASSERT_EQ(dealt.jobItems.size(), dealt.jobContexts.size());
        for (std::size_t k = 0; k < dealt.jobItems.size(); ++k) {
            // Each job knows its own work items and the files they write, in order.
            ASSERT_EQ(dealt.jobOutputFiles[k].size(), dealt.jobItems[k].size());
            for (std::size_t i = 0; i < dealt.jobItems[k].size(); ++i, ++next) {
                EXPECT_EQ(dealt.jobItems[k][i], next);
                EXPECT_EQ(dealt.jobOutputFiles[k][i], "/o/" + std::to_string(next));
            }
        }
        EXPECT_EQ(next, static_cast<std::size_t>(requested == 0 ? 0 : count));
        for (const auto& job : dealt.jobContexts) {
            const auto& context = dynamic_cast<const Rilk::TargetContext&>(*job);
            EXPECT_EQ(context.uniqueName(), target().uniqueName());
            EXPECT_EQ(context.assignments.size(), 1u);
            got.push_back(context.getVariable("SRC")->toDisplayString());
        }
        EXPECT_EQ(got, expected) << count << " over " << requested;
    }
}

TEST(JobContextSplit, OneContributionKeepsItsFormSeveralMakeAList) {
    WorkItemEntry compiled(set("SRC", RilkTest::str("a.c")), set("OBJ", RilkTest::str("a.o")));
    compiled.intermediateFlag = true;
    WorkItemEntry flaggedWithoutValue(set("SRC", RilkTest::str("b.c")));
    flaggedWithoutValue.intermediateFlag = true;
    const auto defines = RilkTest::str("-DA -DB");
    const std::vector<std::vector<WorkItemEntry>> plan = {
        {compiled, WorkItemEntry(set("C_DEFINES", defines))}, {flaggedWithoutValue}};
    const auto jobs = split(plan, {set("cmdline", RilkTest::str("cc"))}, 1).jobContexts;
    ASSERT_EQ(jobs.size(), 1u);
    const Rilk::Context& job = *jobs.front();
    EXPECT_EQ(job.getVariable("OBJ")->toDisplayString(), "\"a.o\"");
    EXPECT_EQ(job.getVariable("SRC")->toDisplayString(), "\"b.c\"");
    EXPECT_EQ(job.getVariable("C_DEFINES")->typeName(), "RilkString");
    EXPECT_EQ(job.formatVariableArgsFlat("C_DEFINES", "", false), " -DA -DB");
    EXPECT_EQ(job.getVariable("cmdline")->toDisplayString(), "\"cc\"");
    EXPECT_NE(job.getVariable("C_DEFINES"), defines);  // the plan's value is not shared

    const auto two = split({{compiled}, {compiled}}, {}, 1).jobContexts;
    EXPECT_EQ(two.front()->getVariable("OBJ")->toDisplayString(), "[ \"a.o\", \"a.o\" ]");
    EXPECT_EQ(compiled.intermediate().value->toDisplayString(), "\"a.o\"");
}

}  // namespace
