#pragma once

#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/cache/planning/job_plan.h"
#include "app/cache/planning/target_work.h"
#include "tools/builder.h"
#include "types/rilk_context_types.h"
#include "types/rilk_errors.h"
#include "types/rilk_value_types.h"

namespace RilkTest {

/// A job runner that starts no process. Every job succeeds but those at the positions in
/// `failing`, which fail ("Build failed."); the stop check numbered `stopAtCheck` (from 1),
/// or the jobs with `stopInJobs`, throw `Stopped` as a stop signal would, after the jobs
/// set what finished. `whileRunning` stands for what the jobs do to files.
class QuietRunner : public Rilk::JobRunner {
public:
    struct Stopped : std::exception {};

    void stopIfAsked() override {
        if (++checks == stopAtCheck) throw Stopped();
    }
    void run(Rilk::Builder&, const Rilk::JobPlan& plan, const Util::CiString&, Rilk::Context&,
             std::vector<bool>& finished) override {
        ++runs;
        if (whileRunning) whileRunning();
        finished.assign(plan.jobContexts.size(), true);
        for (const std::size_t job : failing) {
            if (job < finished.size()) finished[job] = false;
        }
        if (stopInJobs) throw Stopped();
        if (!failing.empty()) throw Rilk::RilkException("Build failed.");
    }

    int checks = 0;
    int stopAtCheck = 0;
    bool stopInJobs = false;
    std::vector<std::size_t> failing;
    std::function<void()> whileRunning;
    int runs = 0;
};

/// A builder whose plan the test sets; counts its plans.
class PlanBuilder : public Rilk::Builder {
public:
    PlanBuilder() : Builder({}, {}) {}
    void beginBuild(Rilk::Context&, const std::size_t&) override {}
    void endBuild() override {}
    Rilk::Context collectOutputs(const Rilk::Context&, int) override { return {}; }
    Rilk::BuildPlan planBuild(const Rilk::TargetContext&) override {
        ++plans;
        return plan;
    }
    std::vector<Rilk::Recipe> createRecipes(const Rilk::Context&) override { return {}; }

    Rilk::BuildPlan plan;
    int plans = 0;
};

/// The inputs of the work items the plan's jobs build, in job order: those to build again.
inline std::vector<std::vector<Rilk::WorkItemEntry>> pendingInputs(const Rilk::JobPlan& plan) {
    std::vector<std::vector<Rilk::WorkItemEntry>> inputs;
    for (const std::vector<std::size_t>& items : plan.jobItems) {
        for (const std::size_t position : items) {
            inputs.push_back(plan.work.workItems().at(position).inputs);
        }
    }
    return inputs;
}

/// The record a plan's work items and context assignments make.
inline Rilk::RecordContents recordOf(const Rilk::JobPlan& plan) { return plan.work; }

inline Rilk::Assignment text(const std::string& name, const std::string& value,
                             Rilk::AssignModifier modifier = Rilk::AssignModifier::None) {
    return Rilk::Assignment(name, Rilk::makeString(value), Rilk::AssignType::Set, modifier);
}

inline Rilk::Assignment path(const std::string& name, const std::filesystem::path& value,
                             Rilk::AssignModifier modifier = Rilk::AssignModifier::None) {
    return Rilk::Assignment(name, Rilk::makePathString(value.string(), ""), Rilk::AssignType::Set,
                            modifier);
}

/// A work item of the given inputs (without intermediates) and outputs.
inline Rilk::WorkItem workItem(const std::vector<Rilk::Assignment>& inputs,
                               const std::vector<Rilk::Assignment>& outputs) {
    Rilk::WorkItem item;
    for (const auto& input : inputs) item.inputs.emplace_back(input);
    item.outputs = outputs;
    return item;
}

inline std::shared_ptr<Rilk::TargetContext> targetContext(const std::string& unit,
                                                          const std::string& target) {
    return std::make_shared<Rilk::TargetContext>(Rilk::Context(),
                                                 Rilk::QualifiedTargetName("", unit, target));
}

}  // namespace RilkTest

namespace RilkTest {

/// Assignments of every kind of value the cache writes, written back the same.
inline std::vector<Rilk::Assignment> sampleAssignments() {
    using namespace Rilk;
    auto set = [](const char* name, RilkValuePtr value, AssignType type = AssignType::Set,
                  AssignModifier modifier = AssignModifier::None) {
        return Assignment(name, std::move(value), type, modifier);
    };
    auto list = [](std::vector<RilkValuePtr> elements) {
        return std::make_shared<RilkList>(std::move(elements));
    };
    auto block = [](std::vector<Assignment> assignments) {
        return std::make_shared<RilkContext>(
            std::make_shared<Context>(assignments, std::vector<Condition>{}));
    };
    auto raw = [](const char* t) { return std::make_shared<RilkRawString>(t); };
    auto num = [](int n) { return std::make_shared<RilkInt>(n); };
    const auto emptyBlock = block({});
    return {
        set("SRC", makeString("main.c")),
        set("CFLAGS", makeString("-O2 -DNAME=\"x\""), AssignType::Set, AssignModifier::Up),
        set("Q", makeString("say \"hi\" (twice).")),
        set("RAW", raw("${not expanded} \"q\"")),
        set("RAW_END", raw("ends in )")),
        set("EMPTY", makeString("")),
        set("LINES", makeString("one\ntwo\r\n\tthree")),
        set("UNICODE", makeString("gr\xc3\xbc\xc3\x9f \xe2\x82\xac \xf0\x9f\x99\x82")),
        set("OBJ", makePathString("obj/a.o", "/work/p"), AssignType::Set, AssignModifier::Up),
        set("ODD_PATH", makePathString("/p/we\"ird (x)/a b.o", "")),
        set("REL_PATH", makePathString("rel/x.o", "")),
        set("N", num(-2147483647 - 1)),
        set("ZERO", num(0)),
        set("OBJS", list({makePathString("/o/a.o", ""), makePathString("/o/b.o", "")}),
            AssignType::Append, AssignModifier::Up),
        set("MIXED", list({makeString("a"), num(7), raw("r\"(x"), emptyBlock})),
        set("NONE", list({})),
        set("CFG",
            block({set("a", makeString("x")),
                   set("b", num(1), AssignType::Append, AssignModifier::Up),
                   set("c", nullptr, AssignType::Declare),
                   set("d", block({set("e", list({makeString("f")}), AssignType::SetIfUnset)}))})),
        set("UNSET", nullptr),
        set("APPEND_UNSET", nullptr, AssignType::Append),
        set("DEFAULT_UNSET", nullptr, AssignType::SetIfUnset),
        set("DECLARED", nullptr, AssignType::Declare),
        set("DECLARED_VALUE", makeString("v"), AssignType::Declare),
        set("if_x", makeString("keyword prefix")),
        set("with-dash_1", makeString("name characters")),
    };
}

}  // namespace RilkTest
