#include "tools/matcher.h"

#include <gtest/gtest.h>

#include "types/rilk_value_types.h"

namespace Rilk {
namespace {

/// The smallest concrete matcher: it has no builder and keeps the default `match`.
class PlainMatcher : public Matcher {
public:
    using Matcher::Matcher;
    std::unique_ptr<Matcher> clone() const override {
        return std::make_unique<PlainMatcher>(*this);
    }
    std::shared_ptr<Builder> builderFor(const TargetContext&) const override { return nullptr; }
};

/// A table of `name = value` assignments with `modifier`.
AssignmentTable tableOf(std::initializer_list<std::pair<const char*, const char*>> entries,
                        AssignModifier modifier = AssignModifier::None) {
    AssignmentTable table;
    for (const auto& [name, value] : entries) {
        table.emplace(name, Assignment(name, makeString(value), AssignType::Set, modifier));
    }
    return table;
}

/// "criteria | required" in key order, Must assignments marked with '!'.
std::string textOf(const Matcher& matcher) {
    std::string text;
    for (const auto* table : {&matcher.criteria, &matcher.required}) {
        text += text.empty() ? "" : "| ";
        for (const auto& [key, a] : *table) {
            text += (a.modifier == AssignModifier::Must ? "!" : "") + a.toString() + "; ";
        }
    }
    return text;
}

TEST(Matcher, PlainAssignmentsSetCriteriaOrRequiredValuesAndMustOnesBecomeRequired) {
    const MatcherTables& command = commandMatcherTables();  // criteria cwd, required cmdline
    const PlainMatcher plain("default_basic", command.criteria, command.required,
                             tableOf({{"CMDLINE", "make"}, {"cwd", "/a"}, {"x", "1"}}), {});
    EXPECT_EQ(plain.name, "default_basic");
    EXPECT_EQ(textOf(plain), "cwd = \"/a\"; x = \"1\"; | CMDLINE = \"make\"; ");
    EXPECT_TRUE(plain.conditions.empty());
    const PlainMatcher must("t", command.criteria, command.required, tableOf({{"x", "1"}}),
                            tableOf({{"CWD", "/b"}, {"cmdline", "ls"}}, AssignModifier::Must));
    EXPECT_EQ(textOf(must), "x = \"1\"; | !cmdline = \"ls\"; !CWD = \"/b\"; ");

    const MatchResult result = plain.match(TargetContext(Context(), {"", "main", "app"}));
    EXPECT_EQ(result.status, BuildImpossible);  // the default match can build nothing
    EXPECT_TRUE(result.variables.empty());
}

}  // namespace
}  // namespace Rilk
