// A cached plan's outputs are gathered into lists and then the target's output variables are
// applied over them. `fill` skips the lists that a target's "=" output replaces at once; what
// it leaves must be exactly what gathering every list first leaves.
#include "app/build/target_outputs.h"

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "types/types_test_support.h"

namespace {

using Rilk::Assignment;
using Rilk::AssignModifier;
using Rilk::AssignType;
using Rilk::Context;
using RilkTest::assign;
using RilkTest::str;

constexpr AssignModifier kUp = AssignModifier::Up;

/// Every field of every variable that a later reader could tell apart.
std::string described(const Context& context) {
    std::string text;
    for (const auto& [key, stored] : context.assignments) {
        text += key.str() + "|" + stored.name + "|" +
                std::to_string(static_cast<int>(stored.type)) + "|" +
                std::to_string(static_cast<int>(stored.modifier)) + "|" +
                (stored.resolved ? "resolved" : "unresolved") + "|" +
                (stored.value ? stored.value->typeName() + " " + stored.value->toDisplayString()
                              : "null") +
                "\n";
    }
    return text;
}

Rilk::WorkItem producing(std::vector<Assignment> outputs) {
    Rilk::WorkItem item;
    item.outputs = std::move(outputs);
    return item;
}

/// Output variables o0 .. o11 and a plain variable "src".
std::vector<Assignment> manyOutputs() {
    std::vector<Assignment> made{assign("src", str("s"))};
    for (int i = 0; i < 12; ++i) {
        const std::string n = std::to_string(i);
        made.push_back(assign("o" + n, str(n), AssignType::Set, kUp));
    }
    return made;
}

TEST(TargetOutputs, CachedOutputsAreWhatGatheringEveryListFirstGives) {
    const struct {
        const char* label;
        std::vector<Assignment> target;     // before the inherited context is merged
        std::vector<Assignment> inherited;  // merged with its modifiers, as the build does
        std::vector<std::vector<Assignment>> items;
    } cases[] = {
        {"own '=' value replaces the list",
         {assign("out", str("a"), AssignType::Set, kUp), assign("src", str("s"))},
         {},
         {{assign("out", str("a"), AssignType::Set, kUp)}}},
        {"first spelling and modifier of the work item stay",
         {assign("Out", str("a"), AssignType::Set, kUp)},
         {},
         {{assign("OUT", str("a"), AssignType::Set, AssignModifier::Must)},
          {assign("out", str("b"), AssignType::Set, kUp)}}},
        {"'+=' and '?=' outputs keep the list",
         {assign("add", str("x"), AssignType::Append, kUp),
          assign("opt", str("y"), AssignType::SetIfUnset, kUp)},
         {},
         {{assign("add", str("x"), AssignType::Set, kUp), assign("opt", str("z"))}}},
        {"outputs the target does not hold",
         {assign("out", str("a"), AssignType::Set, kUp)},
         {},
         {{assign("obj", str("o1"), AssignType::Set, kUp), assign("out", str("a"))},
          {assign("obj", str("o2"), AssignType::Set, kUp)}}},
        {"no output variable of the target",
         {assign("out", str("a"))},
         {},
         {{assign("out", str("a"), AssignType::Set, kUp)}}},
        {"inherited value: the target's own is kept, the mark is lost",
         {assign("out", str("mine"), AssignType::Set, kUp),
          assign("more", str("m"), AssignType::Append, kUp)},
         {assign("out", str("theirs")), assign("more", str("t"))},
         {{assign("out", str("mine"), AssignType::Set, kUp),
           assign("more", str("m"), AssignType::Set, kUp)}}},
        {"a work item without outputs", {assign("out", str("a"), AssignType::Set, kUp)}, {}, {{}}},
        {"many outputs, one marked only before the merge",
         manyOutputs(),
         {assign("O7", str("t"))},
         {{assign("o7", str("7"), AssignType::Set, kUp),
           assign("o8", str("8"), AssignType::Set, kUp)}}},
    };
    for (const auto& c : cases) {
        Context target;
        for (const Assignment& a : c.target) target.addAssignment(a, Rilk::kKeepModifier);
        Context inherited;
        for (const Assignment& a : c.inherited) inherited.addAssignment(a, Rilk::kKeepModifier);
        const std::set<Util::CiString> noCommandLine;
        const Rilk::TargetOutputs outputs(target, inherited, noCommandLine);
        target.addContext(inherited, 0, Rilk::kTakeModifier, false);

        std::vector<Rilk::WorkItem> planned;
        for (const auto& produced : c.items) planned.push_back(producing(produced));
        Context filled;
        filled.addAssignment(assign("result", str("0")), Rilk::kKeepModifier);
        outputs.fill(target, planned, filled);

        // Every list gathered, then the same variables applied over them.
        Context expected;
        for (const Rilk::WorkItem& item : planned) expected.appendToList(item.outputs);
        outputs.applyOutputVariables(target, planned, expected);

        EXPECT_EQ(described(filled), described(expected)) << c.label;
    }
}

TEST(TargetOutputs, AnOutputTheInheritedContextAlsoSetsKeepsTheTargetsValue) {
    // The merge takes the inherited modifier, so the variable is no longer marked '^'; it is
    // still an output, with the target's own value. Few outputs and many alike.
    for (const bool many : {false, true}) {
        std::vector<Assignment> own = many ? manyOutputs() : std::vector<Assignment>{};
        own.push_back(assign("OUT", str("mine"), AssignType::Set, kUp));
        Context target;
        for (const Assignment& a : own) target.addAssignment(a, Rilk::kKeepModifier);
        Context inherited;
        inherited.addAssignment(assign("out", str("theirs")), Rilk::kKeepModifier);
        const std::set<Util::CiString> noCommandLine;
        const Rilk::TargetOutputs outputs(target, inherited, noCommandLine);
        const std::set<Util::CiString> commandLine{Util::CiString("Out")};
        const Rilk::TargetOutputs overridden(target, inherited, commandLine);
        target.addContext(inherited, 0, Rilk::kTakeModifier, false);
        ASSERT_NE(target.assignments.at("out").modifier, kUp);

        Context filled;
        outputs.fill(target, {}, filled);
        EXPECT_EQ(RilkTest::textOf(filled, "out"), "mine") << many;
        EXPECT_FALSE(filled.hasVariable("src")) << many;
        // Set on the command line, it carries the value the target's command sees.
        Context fromCommandLine;
        overridden.fill(target, {}, fromCommandLine);
        EXPECT_EQ(RilkTest::textOf(fromCommandLine, "out"), "theirs") << many;
    }
}

}  // namespace
