#include "rilk_app.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/command_line.h"

namespace {

using RilkTest::parseCommandLine;

TEST(RilkApplication, StartsWithTheDefaults) {
    const RilkApplication app;
    EXPECT_EQ(app.unitFile, "rilk.txt");
    EXPECT_EQ(app.unitFileMode, 0);
    EXPECT_EQ(app.unnamedUnitCounter.load(), 1);
    EXPECT_EQ(app.verbosity, 5);
    EXPECT_EQ(app.jobs, 1);
    EXPECT_EQ(app.exactMatchWeight, 2);
    EXPECT_EQ(app.partialMatchWeight, 1);
    EXPECT_EQ(app.noMatchWeight, 0);
    EXPECT_EQ(app.runMode(), RunMode::Build);
}

TEST(RilkApplication, TheFirstOneShotModeWins) {
    struct Case {
        std::vector<std::string> items;
        RunMode mode;
    };
    const Case cases[] = {
        {{"-p", "-u", "-l", "x", "-r", "--find-compilers", "--create-project", "--version"},
         RunMode::PrintVersion},
        {{"--find-compilers", "--create-project"}, RunMode::CreateProject},
        {{"-r", "--find-compilers"}, RunMode::FindCompilers},
        {{"-p", "-u", "-l", "x", "-r"}, RunMode::RegisterProject},
        {{"-p", "-u", "-l", "x"}, RunMode::ListTargets},
        {{"-p", "-u"}, RunMode::ListUnits},
        {{"-p"}, RunMode::ListProfiles},
        {{"-d", "-c", "-j", "2", "-o", "out", "target", "a=1"}, RunMode::Build},
    };
    for (const Case& c : cases) {
        RilkApplication app;
        parseCommandLine(app, c.items);
        EXPECT_EQ(app.runMode(), c.mode) << testing::PrintToString(c.items);
    }
}

}  // namespace
