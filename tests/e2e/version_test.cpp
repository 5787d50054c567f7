#include <gtest/gtest.h>

#include "support/run_process.h"

namespace {

TEST(RilkVersion, PrintsTheVersion) {
    const auto result = RilkTest::runRilk({"--version"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "3.11.3.0\n");
}

}  // namespace
