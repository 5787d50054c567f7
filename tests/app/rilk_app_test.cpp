#include "rilk_app.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/command_line.h"

TEST(RilkApplication, TheFirstOneShotModeWins) {
    const std::pair<std::vector<std::string>, RunMode> cases[] = {
        {{"-p", "-u", "-l", "x", "-r", "--find-compilers", "--create-project", "--version"},
         RunMode::PrintVersion},
        {{"--find-compilers", "--create-project"}, RunMode::CreateProject},
        {{"-r", "--find-compilers"}, RunMode::FindCompilers},
        {{"-p", "-u", "-l", "x", "-r"}, RunMode::RegisterProject},
        {{"-p", "-u", "-l", "x"}, RunMode::ListTargets},
        {{"-p", "-u"}, RunMode::ListUnits},
        {{"-p"}, RunMode::ListProfiles},
        {{"-d", "-c", "-j", "2", "-o", "out", "target", "a=1"}, RunMode::Build},
        {{}, RunMode::Build},
    };
    for (const auto& [items, mode] : cases) {
        RilkApplication app;
        RilkTest::parseCommandLine(app, items);
        EXPECT_EQ(app.runMode(), mode) << testing::PrintToString(items);
    }
}
