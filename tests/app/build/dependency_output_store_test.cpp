#include "app/build/dependency_output_store.h"

#include <gtest/gtest.h>

#include "app/build/build_test_support.h"
#include "types/types_test_support.h"

namespace {

using Rilk::Dependency;
using Rilk::QualifiedTargetName;
using RilkTest::printed;
using RilkTest::resolveIn;
using RilkTest::str;

const QualifiedTargetName kApp("", "u", "app");
const std::string kAmbiguous =
    " Names are case-insensitive; this may make dependency output ambiguous.\n";

Dependency dependency(std::uint32_t aliasKind = Dependency::kNoAlias, std::string alias = "") {
    Dependency d;
    d.aliasKind = aliasKind;
    d.alias = std::move(alias);
    return d;
}

Rilk::ContextPtr outputs(const std::string& name, const std::string& value) {
    auto context = std::make_shared<Rilk::Context>();
    context->addAssignment(
        Rilk::Assignment(name, str(value), Rilk::AssignType::Set, Rilk::AssignModifier::Up),
        Rilk::kKeepModifier);
    return context;
}

TEST(DependencyOutputStore, PlacesOutputsUnderAliasTargetOrUnitAndTarget) {
    Rilk::Context target;
    Rilk::DependencyOutputStore store(target, kApp);
    store.addOutput(dependency(), {"", "U", "lib"}, outputs("X", "same unit"));
    store.addOutput(dependency(), {"", "other", "lib"}, outputs("X", "other unit"));
    store.addOutput(dependency(), {"", "other", "tool"}, outputs("Y", "other tool"));
    store.addOutput(dependency(), {"ext", "u", "gen"}, outputs("Z", "other namespace"));
    store.addOutput(dependency(Dependency::kAlias, "l"), {"", "other", "x"}, outputs("X", "alias"));
    const std::pair<const char*, const char*> reached[] = {{"${lib.X}", "same unit"},
                                                           {"${other.lib.X}", "other unit"},
                                                           {"${other.tool.Y}", "other tool"},
                                                           {"${u.gen.Z}", "other namespace"},
                                                           {"${l.X}", "alias"}};
    for (const auto& [reference, value] : reached) {
        EXPECT_EQ(resolveIn(target, reference)->toString(), value) << reference;
    }
}

TEST(DependencyOutputStore, WarnsOnlyWhenAnotherUnitsTargetIsThereAlready) {
    // A second output of one other unit is silent; the same target again is not.
    Rilk::Context target;
    Rilk::DependencyOutputStore store(target, kApp);
    const std::string out = printed(6, [&] {
        for (const char* name : {"lib", "tool", "LIB"}) {
            store.addOutput(dependency(), {"", "other", name}, outputs("X", name));
        }
    });
    EXPECT_EQ(out,
              "Dependency output 'other::LIB' collides with an existing dependency output in "
              "target u::app." +
                  kAmbiguous);
}

TEST(DependencyOutputStore, KeepsAStringOrIntegerThatCannotTakeOutputs) {
    for (const Rilk::RilkValuePtr& value : {RilkTest::raw("text"), RilkTest::num(3)}) {
        Rilk::Context target;
        target.addAssignment(
            Rilk::Assignment("lib", value, Rilk::AssignType::Set, Rilk::AssignModifier::None),
            Rilk::kKeepModifier);
        Rilk::DependencyOutputStore store(target, kApp);
        const std::string out = printed(6, [&] {
            store.addOutput(dependency(), {"", "u", "lib"}, outputs("X", "v"));
        });
        EXPECT_NE(out.find("Dependency output 'u::lib' is not added to context variable 'lib'"),
                  std::string::npos)
            << out;
        EXPECT_EQ(target.getVariable("lib"), value);
    }
}

TEST(DependencyOutputStore, MergedAliasCollectsEveryOutputInOneContext) {
    Rilk::Context target;
    target.addAssignment(
        Rilk::Assignment("all", nullptr, Rilk::AssignType::Set, Rilk::AssignModifier::None),
        Rilk::kKeepModifier);
    Rilk::DependencyOutputStore store(target, kApp);
    const auto merged = dependency(Dependency::kMergeAlias, "ALL");
    const std::string out = printed(6, [&] {
        store.addMergedAliasOutput(merged, {"", "u", "a"}, outputs("X", "a"));
        store.addMergedAliasOutput(merged, {"", "u", "b"}, outputs("X", "b"));
        store.addMergedAliasOutput(merged, {"", "u", "c"}, outputs("Y", "c"));
    });
    // The variable's own spelling is named too.
    EXPECT_EQ(out,
              "Dependency output alias 'ALL' of u::a collides with an existing context variable "
              "'all' in target u::app." +
                  kAmbiguous);
    EXPECT_EQ(resolveIn(target, "${all.X}|${all.Y}")->toString(), "a b|c");
    EXPECT_THROW(
        store.addMergedAliasOutput(dependency(Dependency::kMergeAlias), kApp, outputs("X", "a")),
        Rilk::InternalError);
}

TEST(DependencyOutputStore, RetriesMergedAppendsThatFailedAtFirst) {
    Rilk::Context target;
    Rilk::DependencyOutputStore store(target, kApp);
    const auto merged = dependency(Dependency::kMergeAlias, "all");
    auto unresolved = outputs("Y", "y");
    unresolved->addAssignment(Rilk::Assignment("X", RilkTest::ref("Y"), Rilk::AssignType::Set,
                                               Rilk::AssignModifier::None),
                              Rilk::kKeepModifier);
    store.addMergedAliasOutput(merged, {"", "u", "a"}, unresolved);
    printed(2, [&] { store.addMergedAliasOutput(merged, {"", "u", "b"}, outputs("X", "b")); });
    printed(2, [&] { target.resolveAll(); });
    EXPECT_EQ(printed(1, [&] { store.retryMergedFailures(); }),
              "Second try adding merged dependency output append \"b\".\n");
    EXPECT_EQ(resolveIn(target, "${all.X}")->toString(), "y b");
}

TEST(DependencyOutputStore, SaysWhetherTheNameWasTakenAndWarnsOnlyThen) {
    // held variable (empty: none), dependency alias, dependency name; whether the name its
    // outputs go under was taken, and the start of the warning printed then.
    struct Case {
        const char* held;
        const char* alias;
        QualifiedTargetName name;
        bool taken;
        const char* warning;
    };
    const Case cases[] = {
        {"", "", {"", "u", "lib"}, false, ""},
        {"LIB", "", {"", "u", "lib"}, true, "Dependency output 'lib' of u::lib collides"},
        {"lib", "", {"", "other", "x"}, false, ""},
        {"Other", "", {"", "other", "x"}, true, "Dependency output 'other::x' collides"},
        {"", "l", {"", "other", "x"}, false, ""},
        {"L", "l", {"", "other", "x"}, true, "Dependency output alias 'l' of other::x collides"},
        {"l", "", {"", "u", "l"}, true, "Dependency output 'l' of u::l collides"}};
    for (const Case& c : cases) {
        Rilk::Context target;
        if (*c.held) target.addAssignment(Rilk::Assignment(c.held, nullptr, Rilk::AssignType::Set,
                                                           Rilk::AssignModifier::None),
                                          Rilk::kKeepModifier);
        Rilk::DependencyOutputStore store(target, kApp);
        const auto kind = *c.alias ? Dependency::kAlias : Dependency::kNoAlias;
        bool taken = !c.taken;
        const std::string out = printed(6, [&] {
            taken = store.addOutput(dependency(kind, c.alias), c.name, outputs("X", "v"));
        });
        EXPECT_EQ(taken, c.taken) << c.held << "|" << c.alias << "|" << c.name.target;
        EXPECT_EQ(out.rfind(c.warning, 0), 0u) << out;
        EXPECT_EQ(out.empty(), !c.taken) << out;
        // Either way the outputs are reached under the name.
        const std::string reference = *c.alias                         ? "${l.X}"
                                      : c.name.unit == "u"             ? "${" + c.name.target + ".X}"
                                                                       : "${other.x.X}";
        EXPECT_EQ(resolveIn(target, reference)->toString(), "v") << reference;
    }
}

}  // namespace
