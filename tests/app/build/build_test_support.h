#pragma once

// Hand-made services for library tests of the target build: units parsed from text, a
// fake tool whose builder runs nothing, and a record of every job run.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/build/target_build_services.h"
#include "parser/parser_test_support.h"
#include "types/rilk_errors.h"
#include "util/logger.h"

namespace RilkTest {

class FakeBuilder : public Rilk::Builder {
public:
    FakeBuilder() : Builder({}, {}) {}
    std::string name() const override { return "fake"; }
    void beginBuild(Rilk::Context&, const std::size_t&) override {}
    void endBuild() override {}
    Rilk::Context collectOutputs(const Rilk::Context&, int) override { return {}; }
    Rilk::BuildPlan planBuild(const Rilk::TargetContext&) override { return {}; }
    std::vector<Rilk::Recipe> createRecipes(const Rilk::Context&) override { return {}; }
};

class FakeTool : public Rilk::Matcher {
public:
    FakeTool() : Matcher("fake_tool", {}, {}, {}, {}) {}
    std::unique_ptr<Matcher> clone() const override { return std::make_unique<FakeTool>(*this); }
    std::shared_ptr<Rilk::Builder> builderFor(const Rilk::TargetContext&) const override {
        return std::make_shared<FakeBuilder>();
    }
};

/// One call of `runTargetWork`: the label, the log prefix then in force and the job contexts.
struct JobRun {
    std::string label;
    std::string prefix;
    std::vector<Rilk::ContextPtr> jobs;
};

/// Units by name in one namespace ("" unless set); the unit named first also answers to
/// "1". A target that defines `no_tool` gets no tool; `fail` makes its jobs fail.
class FakeServices : public Rilk::TargetBuildServices {
public:
    void addUnit(const std::string& text) {
        std::shared_ptr<Rilk::Unit> unit = unitOf(text);
        if (units.empty()) units["1"] = unit;
        units[unit->name] = unit;
    }

    Rilk::FoundTarget findTarget(Rilk::QualifiedTargetName& name) override {
        if (name.ns.empty()) name.ns = ns;
        if (name.unit.empty()) name.unit = units.begin()->second->name;
        const auto unit = units.find(name.unit);
        if (unit == units.end()) throw Rilk::NotFoundException("Unit", name.unit);
        const auto target = unit->second->targets.find(name.target);
        if (target == unit->second->targets.end()) {
            throw Rilk::NotFoundException("Target", name.unit + "::" + name.target);
        }
        return {&target->second, {name.ns, unit->second->name, target->second.name.target}};
    }
    const Rilk::Context& inheritedContext(const std::string&) override { return inherited; }
    const Rilk::Matcher* findBestTool(const Rilk::TargetContext& target) override {
        return target.hasVariable("no_tool") ? nullptr : &tool;
    }
    Rilk::JobPlan runTargetWork(Rilk::Builder&, const std::shared_ptr<Rilk::TargetContext>& target,
                                const Util::CiString& label, Rilk::Context&) override {
        // Without a plan set, the one a build without cache makes: the target as its job.
        Rilk::JobPlan planned = plan ? *plan : Rilk::JobPlan();
        planned.jobContexts = {target};
        runs.push_back({label.str(), Rilk::logIndent, planned.jobContexts});
        if (planned.claimToken != 0) stored.push_back(target->uniqueName());
        if (planned.jobContexts.front()->hasVariable("fail")) {
            throw Rilk::RilkException("Build failed.");
        }
        return planned;
    }

    std::string ns;
    std::map<Util::CiString, std::shared_ptr<Rilk::Unit>> units;
    Rilk::Context inherited;
    FakeTool tool;
    std::unique_ptr<Rilk::JobPlan> plan;
    std::vector<JobRun> runs;
    std::vector<std::string> stored;
};

/// What `body` prints to standard output at the given verbosity.
inline std::string printed(int level, const std::function<void()>& body) {
    const int saved = Rilk::verbosity;
    Rilk::verbosity = level;
    ::testing::internal::CaptureStdout();
    try {
        body();
    } catch (...) {
        Rilk::verbosity = saved;
        ::testing::internal::GetCapturedStdout();
        throw;
    }
    Rilk::verbosity = saved;
    return ::testing::internal::GetCapturedStdout();
}

}  // namespace RilkTest
