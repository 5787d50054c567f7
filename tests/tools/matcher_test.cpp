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

Assignment set(const std::string& name, const char* value,
               AssignModifier modifier = AssignModifier::None) {
    return Assignment(name, value ? makeString(value) : nullptr, AssignType::Set, modifier);
}

AssignmentTable tableOf(std::initializer_list<Assignment> assignments) {
    AssignmentTable table;
    for (const Assignment& a : assignments) table.emplace(a.name, a);
    return table;
}

std::string textOf(const AssignmentTable& table) {
    std::string text;
    for (const auto& [key, assignment] : table) text += assignment.toString() + ";";
    return text;
}

TEST(Matcher, PlainAssignmentsSetCriteriaOrRequiredValues) {
    PlainMatcher matcher(
        "default_basic", commandMatcherTables().criteria, commandMatcherTables().required,
        tableOf({set("CMDLINE", "make"), set("cwd", "/src"), set("extra", "1")}), {});
    EXPECT_EQ(matcher.name, "default_basic");
    EXPECT_EQ(textOf(matcher.criteria), "cwd = \"/src\";extra = \"1\";");
    EXPECT_EQ(textOf(matcher.required), "CMDLINE = \"make\";");
    EXPECT_TRUE(matcher.conditions.empty());
}

TEST(Matcher, MustAssignmentsMoveFromCriteriaIntoRequired) {
    PlainMatcher matcher("gcc12", gnuMatcherTables().criteria, gnuMatcherTables().required,
                         tableOf({set("GNU", nullptr)}),
                         tableOf({set("ARCH", "x86_64", AssignModifier::Must)}));
    EXPECT_EQ(matcher.criteria.count("arch"), 0U);
    EXPECT_EQ(matcher.criteria.count("GNU"), 1U);
    ASSERT_EQ(matcher.required.count("arch"), 1U);
    EXPECT_EQ(matcher.required.at("arch").toString(), "ARCH = \"x86_64\"");
    EXPECT_EQ(matcher.required.at("arch").modifier, AssignModifier::Must);
}

TEST(Matcher, MustAssignmentReplacesARequiredEntry) {
    PlainMatcher matcher("t", {}, noToolMatcherTables().required, {},
                         tableOf({set("no_tool", "yes", AssignModifier::Must)}));
    EXPECT_EQ(textOf(matcher.required), "no_tool = \"yes\";");
}

TEST(Matcher, DefaultMatchCanBuildNothing) {
    PlainMatcher matcher("t", {}, {}, {}, {});
    TargetContext target(Context(), QualifiedTargetName("", "main", "app"));
    MatchResult result = matcher.match(target);
    EXPECT_EQ(result.status, BuildImpossible);
    EXPECT_TRUE(result.variables.empty());
}

}  // namespace
}  // namespace Rilk
