#include <string>
#include <vector>

#include "e2e/rilk_run.h"

namespace {

class Listing : public RilkRun {
protected:
    void SetUp() override {
        write({{".rilk_project.txt",
                "name demo\n"
                "units { gui { \"gui/rilk.txt\" } Core { \"core/rilk.txt\" } }\n"
                "profiles { release { } Debug { } alpha { } }\n"},
               {"gui/rilk.txt", "unit gui\nzeta: { }\nAlpha: { }\nbeta: { }\n"},
               {"core/rilk.txt", "unit core\nbuild: { }\n"}});
    }
};

TEST_F(Listing, ListsTargetsUnitsAndProfilesInTheirOrder) {
    struct Case {
        std::vector<std::string> args;
        std::string out;
        int exitCode;
    };
    const Case cases[] = {
        {{"-l", "1"}, "Alpha\nbeta\nzeta\n", 0},
        {{"-l", "GUI"}, "Alpha\nbeta\nzeta\n", 0},
        {{"-v", "7", "-l", "1"}, "zeta\n", 0},
        {{"-l", "core", "-u", "-p"}, "build\n", 0},
        {{"-u", "-p"}, "gui\nCore\n", 0},
        {{"-p"}, "alpha\nDebug\nrelease\n", 0},
        {{"-l", "net"}, "Error: Unit 'demo/net' not found.\n", 1},
    };
    for (const Case& c : cases) {
        const auto result = rilk(c.args, "gui");
        EXPECT_EQ(result.out, c.out) << testing::PrintToString(c.args);
        EXPECT_EQ(result.err, "") << testing::PrintToString(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << testing::PrintToString(c.args);
    }
}

TEST_F(Listing, UnitsAndProfilesNeedAProject) {
    write({{"solo/rilk.txt", "a: { }\n"}});
    for (const char* option : {"-u", "-p"}) {
        const auto result = rilk({option, "-f", "rilk.txt"}, "solo");
        EXPECT_EQ(result.out, "No file to list. You need .rilk_project.txt.\n") << option;
        EXPECT_EQ(result.exitCode, 255) << option;
        EXPECT_EQ(rilk({"-v", "8", option, "-c"}).out, "") << option;
    }
}

}  // namespace
