#include "parser/rilk_error_counter.h"

#include <gtest/gtest.h>

#include "parser/parse_chain.h"

namespace {

TEST(RilkErrorCounter, CountsAndPrintsUnlessSilent) {
    Rilk::ParseChain chain("t: { = }\nu: {", "f");
    RilkErrorCounter counter("unit", false);
    chain.useErrorListener(counter);
    testing::internal::CaptureStderr();
    chain.unitFile();
    std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(counter.errorCount(), 2u);
    EXPECT_EQ(printed.rfind("unit: line 1:5 ", 0), 0u) << printed;
    EXPECT_NE(printed.find("\nunit: line 2:4 "), std::string::npos) << printed;
}

TEST(RilkErrorCounter, SilentCounterPrintsNothing) {
    Rilk::ParseChain chain("= x", "f");
    RilkErrorCounter counter("assignment", true);
    chain.useErrorListener(counter);
    testing::internal::CaptureStderr();
    chain.assignment();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(counter.errorCount(), 1u);
}

}  // namespace
