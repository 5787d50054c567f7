#include "app/jobs/run_token.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Rilk::commandRunTokens;
using Rilk::ownRunToken;

TEST(RunToken, CommandsCarryTheInheritedTokensThenTheRunsOwn) {
    const std::string own = ownRunToken();
    ASSERT_EQ(own.size(), 32U);
    EXPECT_EQ(ownRunToken(), own);
    const std::string outer(32, 'a');
    const std::string middle(32, '7');
    const struct {
        std::string inherited;
        std::string given;
    } cases[] = {
        {"", own},
        {outer, outer + " " + own},
        {outer + "  " + middle + " ", outer + " " + middle + " " + own},
        // What no run wrote is not passed on.
        {"x " + outer + "0 ABCDEFABCDEFABCDEFABCDEFABCDEFAB", own},
    };
    for (const auto& c : cases) EXPECT_EQ(commandRunTokens(c.inherited), c.given) << c.inherited;
    std::string deep;
    for (int i = 0; i < 300; ++i) deep += outer + " ";
    EXPECT_EQ(commandRunTokens(deep).size(), 129U * 33U - 1U);
}

}  // namespace
