#include "rilk_options.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "rilk_app.h"
#include "support/child_process.h"
#include "support/command_line.h"
#include "util/logger.h"

namespace {

using RilkTest::parseCommandLine;

/// The options that differ from their defaults, in field order, with the working
/// directory written as $CWD.
std::string recorded(const RilkApplication& app) {
    const RilkApplication defaults;
    std::string unitFile = app.unitFile.string();
    const std::string cwd = std::filesystem::current_path().string();
    if (unitFile.rfind(cwd, 0) == 0) unitFile = "$CWD" + unitFile.substr(cwd.size());
    std::string items;
    for (const std::string& item : app.positionalItems) items += (items.empty() ? "" : ",") + item;

    std::string text;
    auto add = [&](bool differs, const std::string& part) {
        if (differs) text += (text.empty() ? "" : " ") + part;
    };
    add(app.cmdMode, "cmdMode");
    add(app.unitFile != defaults.unitFile, "unitFile=" + unitFile);
    add(app.unitFileMode != 0, "mode=" + std::to_string(app.unitFileMode));
    add(app.printVersion, "version");
    add(app.verbosity != 5, "verbosity=" + std::to_string(app.verbosity));
    add(app.jobs != 1, "jobs=" + std::to_string(app.jobs));
    add(!app.outFile.empty(), "out=" + app.outFile);
    add(app.dump, "dump");
    add(!app.listTargetsUnit.empty(), "list=" + app.listTargetsUnit);
    add(app.listUnits, "units");
    add(app.listProfiles, "profiles");
    add(app.createProject, "createProject");
    add(app.registerProject, "register");
    add(app.findCompilers, "findCompilers");
    add(!items.empty(), "items=" + items);
    return text;
}

/// Parsing -v changes the logger's threshold; every test gets the default back.
class CommandLine : public testing::Test {
protected:
    void TearDown() override { Rilk::verbosity = 5; }
};

TEST_F(CommandLine, RecordsEverySwitch) {
    struct Case {
        std::vector<std::string> items;
        std::string recorded;
    };
    const Case cases[] = {
        {{}, ""},
        {{"-c"}, "cmdMode unitFile= mode=2"},
        {{"--CMDMODE"}, "cmdMode unitFile= mode=2"},
        {{"-f", "x"}, "unitFile=$CWD/x mode=1"},
        {{"--file", "a/../b/./c"}, "unitFile=$CWD/b/c mode=1"},
        {{"-f", "-d"}, "unitFile=$CWD/-d mode=1"},
        {{"-f", "x", "-c"}, "cmdMode unitFile= mode=2"},
        {{"-c", "-f", "x"}, "cmdMode unitFile=$CWD/x mode=1"},
        {{"--version"}, "version"},
        {{"-Version"}, "version"},
        {{"-V", "6"}, "verbosity=6"},
        {{"--VERBOSE", "6"}, "verbosity=6"},
        {{"--v", "6"}, "verbosity=6"},
        {{"-v"}, "verbosity=3"},
        {{"-v", "x"}, "verbosity=3 items=x"},
        {{"-v", "0"}, "verbosity=0"},
        {{"-v", "12abc"}, "verbosity=12"},
        {{"-j", "4"}, "jobs=4"},
        {{"--jobs", "4", "-j", "2"}, "jobs=2"},
        {{"-o", "out.txt", "main"}, "out=out.txt items=main"},
        {{"-o", "-x"}, "out=-x"},
        {{"-d"}, "dump"},
        {{"--dump"}, "dump"},
        {{"-l", "1"}, "list=1"},
        {{"--list-targets", "core"}, "list=core"},
        {{"-u", "--list-PROFILES"}, "units profiles"},
        {{"--list-units", "-p"}, "units profiles"},
        {{"-create-project"}, "createProject"},
        {{"-r"}, "register"},
        {{"--Register"}, "register"},
        {{"--find-COMPILERS"}, "findCompilers"},
        {{"---v", "-x", "-", "--", "-cmd"}, ""},
        {{"a=-1", "target", "", "prof"}, "items=a=-1,target,,prof"},
    };
    for (const Case& c : cases) {
        RilkApplication app;
        parseCommandLine(app, c.items);
        EXPECT_EQ(recorded(app), c.recorded) << testing::PrintToString(c.items);
        EXPECT_EQ(Rilk::verbosity, app.verbosity) << testing::PrintToString(c.items);
        Rilk::verbosity = 5;
    }
}

TEST_F(CommandLine, JobsWithoutANumberUseTheMachine) {
    const int expected = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    for (const std::vector<std::string>& items :
         {std::vector<std::string>{"-j"}, {"-j", "-v"}, {"--JOBS", "all"}}) {
        RilkApplication app;
        parseCommandLine(app, items);
        EXPECT_EQ(app.jobs, expected) << testing::PrintToString(items);
    }
}

TEST_F(CommandLine, RejectsMalformedSwitches) {
    struct Case {
        std::vector<std::string> items;
        std::string kind;
        std::string message;
    };
    const Case cases[] = {
        {{"-l"}, "invalid_argument", "Option '-l' requires a unit."},
        {{"-l", "-u"}, "invalid_argument", "Option '-l' requires a unit."},
        {{"--list-targets", ""}, "invalid_argument", "Option '-l' requires a unit."},
        {{"-f"}, "runtime_error", "unknown switch"},
        {{"-f", ""}, "runtime_error", "unknown switch"},
        {{"-c", "-o"}, "runtime_error", "unknown switch"},
        {{"-o", ""}, "runtime_error", "unknown switch"},
        {{"-v", "99999999999"}, "out_of_range", "stoi"},
        {{"-j", "99999999999"}, "out_of_range", "stoi"},
    };
    for (const Case& c : cases) {
        RilkApplication app;
        std::string kind = "nothing";
        std::string message;
        try {
            parseCommandLine(app, c.items);
        } catch (const std::invalid_argument& e) {
            kind = "invalid_argument";
            message = e.what();
        } catch (const std::out_of_range& e) {
            kind = "out_of_range";
            message = e.what();
        } catch (const std::runtime_error& e) {
            kind = "runtime_error";
            message = e.what();
        }
        EXPECT_EQ(kind, c.kind) << testing::PrintToString(c.items);
        EXPECT_EQ(message, c.message) << testing::PrintToString(c.items);
    }
}

TEST_F(CommandLine, HelpPrintsTheUsageAndEndsTheProcess) {
    struct Case {
        std::vector<std::string> items;
        std::string out;
    };
    const Case cases[] = {
        {{"-h", "-l"}, std::string(kUsageText)},
        {{"--HELP", "-f"}, std::string(kUsageText)},
        {{"-v", "6", "-h"}, ""},
    };
    for (const Case& c : cases) {
        const auto result = RilkTest::runInChild([&] {
            RilkApplication app;
            parseCommandLine(app, c.items);
            std::_Exit(3);  // not reached when -h ends the process
        });
        EXPECT_EQ(result.exitCode, 0) << testing::PrintToString(c.items);
        EXPECT_EQ(result.out, c.out) << testing::PrintToString(c.items);
    }
}

}  // namespace
