#include "types/parameter_text.h"

#include <gtest/gtest.h>

#include <set>

#include "context_test_support.h"

namespace Rilk {
namespace {

using namespace Rilk::testing;

std::string textOf(std::vector<const char*> texts) {
    std::vector<RilkValuePtr> values;
    for (const char* t : texts) values.push_back(t ? raw(t) : nullptr);
    return parameterTextOf(values);
}

TEST(ParameterText, ASingleValueKeepsItsTextAndNoTwoListsMeet) {
    EXPECT_EQ(textOf({}), "");
    EXPECT_EQ(textOf({"a b,c"}), "a b,c");
    const std::vector<std::vector<const char*>> lists = {{},
                                                         {""},
                                                         {nullptr},
                                                         {"", ""},
                                                         {"12", "3"},
                                                         {"1", "23"},
                                                         {"123"},
                                                         {"1", "2", "3"},
                                                         {"a\x1f", "b"},
                                                         {"a",
                                                          "\x1f"
                                                          "b"},
                                                         {"a\x1f,b"},
                                                         {"\x1f"
                                                          "E"},
                                                         {"\x1f"
                                                          "0"},
                                                         {nullptr, ""},
                                                         {"a\x1f\x1f", ",b"}};
    std::set<std::string> seen;
    for (const auto& list : lists) EXPECT_TRUE(seen.insert(textOf(list)).second) << seen.size();
}

}  // namespace
}  // namespace Rilk
