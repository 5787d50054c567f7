#include "rilk_options.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "rilk_app.h"
#include "support/command_line.h"
#include "util/logger.h"

namespace {

using RilkTest::parseCommandLine;

/// The options that differ from their defaults, in field order, with the working
/// directory written as $CWD.
std::string recorded(const RilkApplication& app) {
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
    add(unitFile != "rilk.txt", "unitFile=" + unitFile);
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
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, ""},
        {{"-c", "-d", "-u", "-p", "-r"}, "cmdMode unitFile= mode=2 dump units profiles register"},
        {{"--CMDMODE", "--Dump", "--list-UNITS", "-list-profiles", "--create-project",
          "--Register", "--find-COMPILERS"},
         "cmdMode unitFile= mode=2 dump units profiles createProject register findCompilers"},
        {{"--file", "a/../b/./c"}, "unitFile=$CWD/b/c mode=1"},
        {{"-f", "-d"}, "unitFile=$CWD/-d mode=1"},
        {{"-f", "x", "-c"}, "cmdMode unitFile= mode=2"},
        {{"-c", "-f", "x"}, "cmdMode unitFile=$CWD/x mode=1"},
        {{"-Version"}, "version"},
        {{"--VERBOSE", "6"}, "verbosity=6"},
        {{"--v", "6"}, "verbosity=6"},
        {{"-v"}, "verbosity=3"},
        {{"-v", "x"}, "verbosity=3 items=x"},
        {{"-v", "0"}, "verbosity=0"},
        {{"-v", "12abc"}, "verbosity=12"},
        {{"--jobs", "4", "-j", "2"}, "jobs=2"},
        {{"-o", "out.txt", "main"}, "out=out.txt items=main"},
        {{"--out", "-x"}, "out=-x"},
        {{"-l", "1"}, "list=1"},
        {{"--list-targets", "core"}, "list=core"},
        {{"---v", "-x", "-", "--", "-cmd"}, ""},
        {{"a=-1", "target", "", "prof"}, "items=a=-1,target,,prof"},
    };
    for (const auto& [items, expected] : cases) {
        RilkApplication app;
        parseCommandLine(app, items);
        EXPECT_EQ(recorded(app), expected) << testing::PrintToString(items);
        EXPECT_EQ(Rilk::verbosity, app.verbosity) << testing::PrintToString(items);
        Rilk::verbosity = 5;
    }
}

TEST_F(CommandLine, JobsWithoutANumberUseTheMachine) {
    const int expected = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    for (const std::vector<std::string>& items : {std::vector<std::string>{"-j", "-v"}, {"-j"}}) {
        RilkApplication app;
        parseCommandLine(app, items);
        EXPECT_EQ(app.jobs, expected) << testing::PrintToString(items);
    }
}

TEST_F(CommandLine, RejectsMalformedSwitches) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-l"}, "invalid_argument: Option '-l' requires a unit."},
        {{"-l", "-u"}, "invalid_argument: Option '-l' requires a unit."},
        {{"--list-targets", ""}, "invalid_argument: Option '-l' requires a unit."},
        {{"-f"}, "runtime_error: unknown switch"},
        {{"-f", ""}, "runtime_error: unknown switch"},
        {{"-c", "-o"}, "runtime_error: unknown switch"},
        {{"-v", "99999999999"}, "out_of_range: stoi"},
        {{"-j", "99999999999"}, "out_of_range: stoi"},
    };
    for (const auto& [items, expected] : cases) {
        RilkApplication app;
        std::string thrown = "nothing";
        try {
            parseCommandLine(app, items);
        } catch (const std::invalid_argument& e) {
            thrown = std::string("invalid_argument: ") + e.what();
        } catch (const std::out_of_range& e) {
            thrown = std::string("out_of_range: ") + e.what();
        } catch (const std::runtime_error& e) {
            thrown = std::string("runtime_error: ") + e.what();
        }
        EXPECT_EQ(thrown, expected) << testing::PrintToString(items);
    }
}

}  // namespace
