#include "types/target.h"

#include <gtest/gtest.h>

#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;

TEST(Target, ReleasingTheBodyFreesItAndKeepsWhatLookupsRead) {
    Target target;
    target.name = {"lib", "main", "app"};
    target.parameterNames = {"p"};
    target.assignments = {assign("a", raw("1")), assign("b", raw("2"))};
    const auto body = std::make_shared<ContextTemplate>();
    target.conditions.push_back(
        Condition{ref("a"), nullptr, Condition::OperatorType::Resolves, body});
    target.dependencies.resize(3);
    // A context made before the release keeps its copies and the shared conditional body.
    const Context made(target.assignments, target.conditions);
    EXPECT_FALSE(target.bodyReleased());

    target.releaseBody();
    EXPECT_TRUE(target.bodyReleased());
    EXPECT_EQ(target.assignments.capacity(), 0u);
    EXPECT_EQ(target.conditions.capacity(), 0u);
    EXPECT_EQ(target.dependencies.capacity(), 0u);
    EXPECT_EQ(fields(target.name), fields({"lib", "main", "app"}));
    EXPECT_EQ(target.parameterNames, std::vector<std::string>{"p"});
    EXPECT_EQ(body.use_count(), 2);  // here and in `made`
    EXPECT_EQ(textOf(made, "b"), "2");
}
