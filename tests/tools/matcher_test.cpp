#include "tools/matcher.h"

#include <memory>
#include <string>

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

/// A table of `name = value` (no value for null); a leading '!' marks a Must assignment.
AssignmentTable tableOf(std::initializer_list<std::pair<std::string, const char*>> entries) {
    AssignmentTable table;
    for (auto [name, value] : entries) {
        const bool must = name.starts_with("!");
        table.emplace(
            name.substr(must),
            Assignment(name.substr(must), value ? makeString(value) : nullptr, AssignType::Set,
                       must ? AssignModifier::Must : AssignModifier::None));
    }
    return table;
}

/// The entries of a table in key order, Must assignments marked with '!'.
std::string textOf(const AssignmentTable& table) {
    std::string text;
    for (const auto& [key, a] : table) {
        text += (a.modifier == AssignModifier::Must ? "!" : "") + a.toString() + ";";
    }
    return text;
}

TEST(Matcher, PlainAssignmentsSetCriteriaOrRequiredValuesAndMustOnesBecomeRequired) {
    PlainMatcher plain("default_basic", commandMatcherTables().criteria,
                       commandMatcherTables().required,
                       tableOf({{"CMDLINE", "make"}, {"cwd", "/src"}, {"extra", "1"}}), {});
    EXPECT_EQ(plain.name, "default_basic");
    EXPECT_EQ(textOf(plain.criteria) + " | " + textOf(plain.required),
              "cwd = \"/src\";extra = \"1\"; | CMDLINE = \"make\";");
    EXPECT_TRUE(plain.conditions.empty());
    PlainMatcher must("t", tableOf({{"arch", nullptr}, {"GNU", nullptr}}),
                      noToolMatcherTables().required, {},
                      tableOf({{"!ARCH", "x86_64"}, {"!no_tool", "yes"}}));
    EXPECT_EQ(textOf(must.criteria) + " | " + textOf(must.required),
              "GNU = ; | !ARCH = \"x86_64\";!no_tool = \"yes\";");
}

TEST(Matcher, DefaultMatchCanBuildNothing) {
    MatchResult result =
        PlainMatcher("t", {}, {}, {}, {})
            .match(TargetContext(Context(), QualifiedTargetName("", "main", "app")));
    EXPECT_EQ(result.status, BuildImpossible);
    EXPECT_TRUE(result.variables.empty());
}

}  // namespace
}  // namespace Rilk
