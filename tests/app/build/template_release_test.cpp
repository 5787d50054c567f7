// The build gives up the template of a target without parameters once its one instance is
// built; every later request is answered from the built outputs.
#include <gtest/gtest.h>

#include "app/build/build_test_support.h"
#include "app/build/target_build.h"
#include "types/types_test_support.h"

namespace {

/// Also records, for each job run, whether `u::base`'s template was given up by then and
/// whether its dependency records were still in place.
class WatchingServices : public RilkTest::FakeServices {
public:
    Rilk::JobPlan runTargetWork(Rilk::Builder& builder,
                                const std::shared_ptr<Rilk::TargetContext>& context,
                                const Util::CiString& label, Rilk::Context& output) override {
        baseReleased.push_back(target("base").bodyReleased());
        baseDependenciesKept.push_back(!target("base").dependencies.empty());
        return FakeServices::runTargetWork(builder, context, label, output);
    }
    Rilk::Target& target(const std::string& name) { return units.at("u")->targets.at(name); }

    std::vector<bool> baseReleased;
    std::vector<bool> baseDependenciesKept;
};

void build(RilkTest::FakeServices& services, const std::string& name) {
    Rilk::TargetBuild walk(services);
    Rilk::VisitingChain chain;
    Rilk::QualifiedTargetName target = Rilk::QualifiedTargetName::parse(name);
    RilkTest::printed(5, [&] { walk.buildTarget(target, {}, chain); });
}

std::string valueOf(const RilkTest::JobRun& run, const std::string& name) {
    return RilkTest::resolveIn(*run.jobs.front(), "${" + name + "}")->toString();
}

std::vector<std::string> labels(const RilkTest::FakeServices& services) {
    std::vector<std::string> out;
    for (const auto& run : services.runs) out.push_back(run.label);
    return out;
}

TEST(TemplateRelease, ADiamondBuildsItsBaseOnceAndBothSidesReadItsOutput) {
    WatchingServices services;
    services.addUnit(R"(unit u
        top: left right { }
        left: base { seen = "${base.X}" }
        right: BASE { seen = "${base.X}" }
        base: other { ^X = "x" if X = "x" { ^Y = "y" } }
        other: { })");
    build(services, "u::top");
    ASSERT_EQ(labels(services),
              (std::vector<std::string>{"u::other", "u::base", "u::left", "u::right", "u::top"}));
    // `base`'s context took its template's variables when its build began; its dependency
    // records, read in place, stay until the build is done. `right` reaches `base` after
    // that and reads what it built.
    EXPECT_EQ(services.baseReleased, (std::vector<bool>{true, true, true, true, true}));
    EXPECT_EQ(services.baseDependenciesKept, (std::vector<bool>{true, true, false, false, false}));
    EXPECT_EQ(valueOf(services.runs[2], "seen"), "x");
    EXPECT_EQ(valueOf(services.runs[3], "seen"), "x");
    EXPECT_EQ(valueOf(services.runs[3], "base.Y"), "y");
    for (const char* name : {"top", "left", "right", "base", "other"}) {
        const Rilk::Target& target = services.target(name);
        EXPECT_TRUE(target.bodyReleased()) << name;
        EXPECT_TRUE(target.assignments.empty() && target.conditions.empty() &&
                    target.dependencies.empty())
            << name;
        EXPECT_EQ(target.name.target, name);
    }
}

TEST(TemplateRelease, ATargetWithParametersKeepsItsTemplateForEveryInstance) {
    WatchingServices services;
    services.addUnit(R"(unit u
        top: base use(x) use(y) use(x) { x = "1" y = "2" }
        use(p): base { ^P = "${p}" if p = "2" { ^TWO = "t" } }
        base: { })");
    build(services, "u::top");
    EXPECT_EQ(labels(services),
              (std::vector<std::string>{"u::base", "u::use", "u::use", "u::top"}));
    EXPECT_EQ(valueOf(services.runs[1], "P"), "1");
    EXPECT_EQ(valueOf(services.runs[2], "P"), "2");
    EXPECT_EQ(valueOf(services.runs[2], "TWO"), "t");
    const Rilk::Target& use = services.target("use");
    EXPECT_FALSE(use.bodyReleased());
    EXPECT_EQ(use.assignments.size(), 1u);
    EXPECT_EQ(use.conditions.size(), 1u);
    EXPECT_EQ(use.dependencies.size(), 1u);
    EXPECT_TRUE(services.target("base").bodyReleased());
}

TEST(TemplateRelease, ATargetWithoutParametersIsOneInstanceWhateverItIsCalledWith) {
    WatchingServices services;
    services.addUnit(R"(unit u
        top: base(a) base(b) base { a = "1" b = "2" }
        base: { ^X = "x" })");
    std::string out;
    {
        Rilk::TargetBuild walk(services);
        Rilk::VisitingChain chain;
        Rilk::QualifiedTargetName top("", "u", "top");
        out = RilkTest::printed(1, [&] { walk.buildTarget(top, {}, chain); });
        // Asked again in the same run after the release: answered without a build.
        Rilk::QualifiedTargetName base("", "u", "base");
        out += RilkTest::printed(1, [&] { walk.buildTarget(base, {}, chain); });
    }
    EXPECT_EQ(labels(services), (std::vector<std::string>{"u::base", "u::top"}));
    std::size_t answered = 0;
    for (auto at = out.find("Target 'u::base' already built.\n"); at != std::string::npos;
         at = out.find("Target 'u::base' already built.\n", at + 1)) {
        ++answered;
    }
    EXPECT_EQ(answered, 3u) << out;
}

TEST(TemplateRelease, AReleasedTargetNotBuiltInThisRunIsAnInternalError) {
    RilkTest::FakeServices services;
    services.addUnit("unit u top: { }");
    services.units.at("u")->targets.at("top").releaseBody();
    EXPECT_THROW(build(services, "u::top"), Rilk::InternalError);
    EXPECT_TRUE(services.runs.empty());
}

}  // namespace
