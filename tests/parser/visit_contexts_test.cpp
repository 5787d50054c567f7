#include "parser/parser_test_support.h"
#include "types/context_template.h"
#include "types/rilk_identifier.h"

using Operator = Rilk::Condition::OperatorType;

// All of a block's assignments come before its conditional blocks, which nest; layout never
// separates assignments.
TEST(VisitContext, AssignmentsComeBeforeConditionalBlocks) {
    auto data = Visit("{ if a { y = 1 if b = 1 { c = 2 } } z = 1 b z += 3 }", Kind::Unit).context();
    std::vector<std::string> names;
    for (const auto& a : data->assignments) names.push_back(a.name + ":" + shown(a.value));
    EXPECT_EQ(names, (std::vector<std::string>{"z:RilkInt:1", "b:none", "z:RilkInt:3"}));
    ASSERT_EQ(data->conditions.size(), 1u);
    const auto& body = data->conditions[0].body;
    ASSERT_NE(body, nullptr);
    ASSERT_EQ(body->assignments.size(), 1u);
    EXPECT_EQ(body->assignments[0].name, "y");
    ASSERT_EQ(body->conditions.size(), 1u);
    EXPECT_EQ(body->conditions[0].body->assignments[0].name, "c");
}

TEST(VisitContext, ConditionsBuildOperandsAndOperator) {
    const std::tuple<const char*, Operator, const char*> cases[] = {
        {"{ if a.b[0] { } }", Operator::Resolves, "none"},
        {"{ if a.b[0] = 1 { } }", Operator::Equal, "RilkInt:1"},
        {"{ if a.b[0] != \"x\" { } }", Operator::NotEqual, "RilkString:x"},
        {"{ if a.b[0] < 3 { } }", Operator::Less, "RilkInt:3"},
        {"{ if a.b[0] > c { } }", Operator::Greater, "RilkIdentifier:c"},
    };
    for (const auto& [text, type, right] : cases) {
        auto data = Visit(text, Kind::Unit).context();
        ASSERT_EQ(data->conditions.size(), 1u) << text;
        const auto& condition = data->conditions[0];
        EXPECT_EQ(shown(condition.lhs), "RilkIdentifier:a.b[0]") << text;
        EXPECT_EQ(condition.type, type) << text;
        EXPECT_EQ(shown(condition.rhs), right) << text;
    }
}
