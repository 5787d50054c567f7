#include "app/driver/rilk_error_report.h"

#include <csignal>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

#include "support/run_process.h"
#include "types/rilk_errors.h"

TEST(ErrorReport, MapsEachFailureToItsMessageAndStatus) {
    struct Case {
        const char* what;
        std::function<int()> body;
        std::string out;
        int exitCode;
    };
    const Rilk::ParseError badName{0, "Empty identifier"};
    const Case cases[] = {
        {"success", [] { return 0; }, "", 0},
        {"own error", []() -> int { throw Rilk::RilkException("Build failed."); },
         "Error: Build failed.\n", 1},
        {"own subclass", []() -> int { throw Rilk::NotFoundException("Unit", "core"); },
         "Error: Unit 'core' not found.\n", 1},
        {"reference name", [&]() -> int { throw badName; },
         "Error: Empty identifier (at position 0 of the name)\n", 1},
        {"standard", []() -> int { throw std::invalid_argument("Option '-l' requires a unit."); },
         "Error: Option '-l' requires a unit.\n", 1},
        {"unknown", []() -> int { throw 42; }, "Unknown exception!\n", 128 + SIGABRT},
    };
    for (const Case& c : cases) {
        const auto result = RilkTest::runInChild([&] {
            const int status = Rilk::runReportingErrors(c.body);
            std::fflush(nullptr);
            _exit(status);
        });
        EXPECT_EQ(result.out, c.out) << c.what;
        EXPECT_EQ(result.err, "") << c.what;
        EXPECT_EQ(result.exitCode, c.exitCode) << c.what;
    }
}
