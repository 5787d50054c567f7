// Dependency graphs far deeper than real projects: they build, or end in a clear error,
// never in a crash.
#include <cstddef>
#include <string>

#include <fmt/format.h>

#include "app/build/target_build.h"
#include "e2e/rilk_run.h"
#include "support/watched_run.h"

namespace {

using DeepGraph = RilkRun;

/// A unit whose target t0 depends on t1, which depends on t2 ... up to t<length - 1>.
std::string chainUnit(std::size_t length) {
    std::string text = "unit u\n";
    for (std::size_t i = 0; i + 1 < length; ++i) {
        text += fmt::format("t{}: t{} {{ NO_TOOL = 1 }}\n", i, i + 1);
    }
    text += fmt::format("t{}: {{ NO_TOOL = 1 x = \"deep\" y = \"$(x)\" }}\n", length - 1);
    return text;
}

TEST_F(DeepGraph, AChainAsLongAsTheLimitBuildsAndALongerOneIsAnError) {
    constexpr std::size_t kLimit = Rilk::TargetBuild::kMaxChainLength;
    static_assert(kLimit >= 100000);
    // A run takes about a minute in a sanitizer build on two busy cores: the time bound
    // only guards against a hang.
    const RilkTest::Watch watch{.maxResidentBytes = std::uintmax_t{4} << 30,
                                .maxTime = std::chrono::minutes(10)};
    const RilkTest::ProcessOptions options{.workingDirectory = work.path(),
                                           .environment = userEnvironment()};

    write({{"rilk.txt", chainUnit(kLimit)}});
    auto result = RilkTest::runRilkWatched(watch, {"-v", "6", "t0"}, options);
    EXPECT_EQ(result.killedFor, "");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitCode, 0);

    write({{"rilk.txt", chainUnit(kLimit + 1)}});
    result = RilkTest::runRilkWatched(watch, {"-v", "6", "t0"}, options);
    EXPECT_EQ(result.killedFor, "");
    EXPECT_EQ(result.out, fmt::format("Error: Dependency chain too long: more than {} targets "
                                      "depend on each other in a row, starting with '/u::t0' -> "
                                      "'/u::t1' -> '/u::t2' -> ...\n",
                                      kLimit));
    EXPECT_EQ(result.exitCode, 1);

    // A failure deep down reaches the top as it is.
    std::string unit = chainUnit(10000);
    unit.replace(unit.rfind("t9999: {"), 8, "t9999: missing {");
    write({{"rilk.txt", unit}});
    result = RilkTest::runRilkWatched(watch, {"-v", "6", "t0"}, options);
    EXPECT_EQ(result.out, "Error: Target 'u::missing' not found.\n");
    EXPECT_EQ(result.exitCode, 1);
}

// Each level imports the next one twice, under its one namespace: one project each, loaded
// once, never 2^levels of them.
TEST_F(DeepGraph, AProjectImportingTheNextOneTwiceLevelAfterLevelLoadsEachOnce) {
    constexpr int kLevels = 20;
    for (int level = 0; level <= kLevels; ++level) {
        const std::string next = fmt::format("../l{}/.rilk_project.txt", level + 1);
        const std::string imports =
            level < kLevels ? fmt::format("import {{ \"{}\"; \"{}\"; }} ", next, next) : "";
        const std::string below = level < kLevels ? fmt::format("l{}/core::build ", level + 1) : "";
        write({{fmt::format("l{}/.rilk_project.txt", level),
                fmt::format("name l{} {}units {{ core {{ \"rilk.txt\" }} }}", level, imports)},
               {fmt::format("l{}/rilk.txt", level),
                fmt::format("unit core\nbuild: {}{{ NO_TOOL = 1 }}\n", below)}});
    }
    const auto result = RilkTest::runRilkWatched(
        {.maxResidentBytes = std::uintmax_t{1} << 30, .maxTime = std::chrono::seconds(20)},
        {"-v", "6"}, {.workingDirectory = work.path() / "l0", .environment = userEnvironment()});
    EXPECT_EQ(result.killedFor, "");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitCode, 0);
}

}  // namespace
