#include "app/build/target_build.h"

#include <gtest/gtest.h>

#include "app/build/build_test_support.h"
#include "types/types_test_support.h"

namespace {

using RilkTest::FakeServices;
using RilkTest::printed;

/// Builds `name` of the services' units and returns its output context.
Rilk::Context build(FakeServices& services, std::string name, std::string* out = nullptr,
                    int level = 5) {
    Rilk::TargetBuild walk(services);
    Rilk::VisitingChain chain;
    Rilk::QualifiedTargetName target = Rilk::QualifiedTargetName::parse(name);
    Rilk::Context output;
    const std::string text = printed(level, [&] { output = walk.buildTarget(target, {}, chain); });
    if (out) *out = text;
    EXPECT_TRUE(chain.names.empty() && chain.lookup.empty());
    return output;
}

std::vector<std::string> labels(const FakeServices& services) {
    std::vector<std::string> out;
    for (const auto& run : services.runs) out.push_back(run.label);
    return out;
}

std::string valueOf(const Rilk::ContextPtr& job, const std::string& name) {
    return RilkTest::resolveIn(*job, "${" + name + "}")->toString();
}

TEST(TargetBuild, BuildsDependenciesFirstAndPassesTheirOutputsOn) {
    FakeServices services;
    services.addUnit(R"(unit u
        app: lib other::tool +plus { got = "${lib.X} ${other.tool.Y}" }
        lib: { ^X = "x" }
        plus: { ^Z = "z" })");
    services.addUnit(R"(unit other tool: { ^Y = "y" })");
    std::string out;
    build(services, "u::app", &out);
    EXPECT_EQ(labels(services),
              (std::vector<std::string>{"u::lib", "other::tool", "u::plus", "u::app"}));
    EXPECT_EQ(valueOf(services.runs.back().jobs.front(), "got"), "x y");
    EXPECT_EQ(valueOf(services.runs.back().jobs.front(), "Z"), "z");
    EXPECT_EQ(services.runs.front().prefix, "[u::lib] ");
    EXPECT_EQ(services.runs.back().prefix, "[u::app] ");  // restored after the dependencies
    EXPECT_EQ(out,
              "[u::app] Visiting target\n[u::lib] Visiting target\n[u::lib] Build done\n"
              "[other::tool] Visiting target\n[other::tool] Build done\n"
              "[u::plus] Visiting target\n[u::plus] Build done\n[u::app] Build done\n");
}

TEST(TargetBuild, RefusesLoopsByCanonicalNameBeforeVisitingTheRepeatedTarget) {
    const std::tuple<const char*, const char*, std::size_t> cases[] = {
        {"unit u a: A { }", "u::a", 1},
        {"unit u a: b { } b: U::c { } c: a { }", "u::a", 3},
        {"unit u a: b { } b: U::A { }", "1::a", 2},
    };
    for (const auto& [text, start, visits] : cases) {
        FakeServices services;
        services.addUnit(text);
        std::string message;
        const std::string out = printed(5, [&] {
            Rilk::TargetBuild walk(services);
            Rilk::VisitingChain chain;
            Rilk::QualifiedTargetName name = Rilk::QualifiedTargetName::parse(start);
            try {
                walk.buildTarget(name, {}, chain);
            } catch (const Rilk::LoopFoundException& loop) {
                message = loop.message();
            }
        });
        EXPECT_EQ(message.rfind("Loop detected! Causing term: '/u::a'", 0), 0u) << message;
        std::size_t seen = 0;
        for (auto at = out.find("Visiting target"); at != std::string::npos;
             at = out.find("Visiting target", at + 1)) {
            ++seen;
        }
        EXPECT_EQ(seen, visits) << out;
        EXPECT_EQ(Rilk::logIndent, "");
        EXPECT_TRUE(services.runs.empty()) << text;
    }
}

TEST(TargetBuild, BuildsATargetReachedTwiceOnlyOnce) {
    FakeServices services;
    services.addUnit(R"(unit u
        top: left right { }
        left: base { } right: BASE { }
        base: { ^X = "x" })");
    std::string out;
    build(services, "u::top", &out, 1);
    EXPECT_EQ(labels(services),
              (std::vector<std::string>{"u::base", "u::left", "u::right", "u::top"}));
    EXPECT_NE(out.find("[u::BASE] Visiting target\n[u::BASE] Target 'u::BASE' already built.\n"),
              std::string::npos)
        << out;

    FakeServices parameters;
    parameters.addUnit("unit u param: base(x) base(y) { x = \"1\" y = \"2\" } base(p): { }");
    build(parameters, "u::param");
    EXPECT_EQ(labels(parameters), (std::vector<std::string>{"u::base", "u::base", "u::param"}));
}

TEST(TargetBuild, ReportsAMissingToolOrTargetAfterVisitingAndRestoresThePrefix) {
    const std::pair<const char*, const char*> cases[] = {
        {"unit u a: b { } b: { no_tool = 1 }", "No tool to build u::b."},
        {"unit u a: gone { }", "Target 'u::gone' not found."},
        {"unit u a: b { } b: { fail = 1 }", "Build failed."},
    };
    for (const auto& [text, error] : cases) {
        FakeServices services;
        services.addUnit(text);
        std::string message;
        const std::string out = printed(5, [&] {
            const Rilk::LogIndentGuard caller("[caller] ");
            Rilk::TargetBuild walk(services);
            Rilk::VisitingChain chain;
            Rilk::QualifiedTargetName name("", "u", "a");
            try {
                walk.buildTarget(name, {}, chain);
            } catch (const Rilk::RilkException& failure) {
                message = failure.message();
            }
            Rilk::log(5, "after\n");
        });
        EXPECT_EQ(message, error);
        EXPECT_NE(out.find("Visiting target\n[caller] after\n"), std::string::npos) << out;
    }
}

TEST(TargetBuild, OutputVariablesKeepTheTargetsOwnValueAndAppearOnce) {
    FakeServices services;
    services.addUnit(R"(unit u t: { ^KEPT = "own" ^ADDED += "a" ^PLAIN = "p" })");
    services.inherited.addAssignment(
        Rilk::Assignment("kept", RilkTest::str("inherited"), Rilk::AssignType::Set,
                         Rilk::AssignModifier::None),
        Rilk::kKeepModifier);
    services.plan = std::make_unique<Rilk::JobPlan>();
    services.plan->claimToken = 7;
    Rilk::WorkItem item;
    item.outputs = {Rilk::Assignment("ADDED", RilkTest::str("a"), Rilk::AssignType::Set,
                                     Rilk::AssignModifier::Up),
                    Rilk::Assignment("OBJ", RilkTest::str("o"), Rilk::AssignType::Set,
                                     Rilk::AssignModifier::Up)};
    services.plan->work.add(item);
    const Rilk::Context output = build(services, "u::t");
    std::string shown;
    for (const auto& [name, assignment] : output.assignments) shown += assignment.toString() + ";";
    EXPECT_EQ(shown, "ADDED = [ \"a\" ];KEPT = \"own\";OBJ = [ \"o\" ];PLAIN = \"p\";");
    EXPECT_EQ(valueOf(services.runs.front().jobs.front(), "kept"), "inherited");
    EXPECT_EQ(services.stored, (std::vector<std::string>{"u::t"}));
}

}  // namespace

TEST(TargetBuild, AnOutputChangedThroughOneDependentStaysAsBuiltForTheOthers) {
    // `left` appends another output to the name under which it reads `base`; `right`,
    // built after it, reads the output `base` made.
    const std::pair<const char*, const char*> cases[] = {
        {"alias onto it", "left: base extra=>base { }"},
        {"merged alias onto it", "left: base extra+>base { }"},
        {"plus merge", "left: +base +extra base=>extra { }"},
    };
    for (const auto& [label, left] : cases) {
        FakeServices services;
        services.addUnit(std::string("unit u\n top: left right { }\n") + left + R"(
            right: base { names = "${base}" seen = "${base.X}" }
            base: { ^X = "x" }
            extra: { ^Y = "y" })");
        build(services, "u::top", nullptr, 6);
        ASSERT_EQ(labels(services).back(), "u::top") << label;
        const Rilk::ContextPtr& right = services.runs[services.runs.size() - 2].jobs.front();
        EXPECT_EQ(valueOf(right, "names"), "X") << label;
        EXPECT_EQ(valueOf(right, "seen"), "x") << label;
    }
}
