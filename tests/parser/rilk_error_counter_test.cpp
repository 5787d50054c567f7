#include "parser/rilk_error_counter.h"

#include "parser/parser_test_support.h"

TEST(RilkErrorCounter, CountsEveryErrorAndPrintsItUnlessSilent) {
    for (bool silent : {false, true}) {
        Rilk::ParseChain chain("t: { = }\nu: {", "f");
        RilkErrorCounter counter("unit", silent);
        chain.useErrorListener(counter);
        testing::internal::CaptureStderr();
        chain.unitFile();
        std::string printed = testing::internal::GetCapturedStderr();
        EXPECT_EQ(counter.errorCount(), 2u);
        EXPECT_EQ(printed.empty(), silent);
        if (silent) continue;
        EXPECT_EQ(printed.rfind("unit: line 1:5 extraneous input '=' ", 0), 0u) << printed;
        EXPECT_NE(printed.find("\nunit: line 2:4 mismatched input '<EOF>' "), std::string::npos);
    }
}
