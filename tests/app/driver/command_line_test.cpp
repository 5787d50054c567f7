#include "app/driver/command_line.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fmt/ranges.h>
#include <gtest/gtest.h>

#include "util/logger.h"

namespace {

using Rilk::RunMode;
using Rilk::RunOptions;

/// Parses the items as the command line of `rilk` (the program name is added in front).
RunOptions parseCommandLine(std::vector<std::string> items) {
    items.insert(items.begin(), "rilk");
    std::vector<char*> argv;
    for (std::string& item : items) argv.push_back(item.data());
    argv.push_back(nullptr);
    return Rilk::parseCommandLine(static_cast<int>(items.size()), argv.data());
}

const char* modeName(Rilk::UnitFileMode mode) {
    switch (mode) {
        case Rilk::UnitFileMode::Search:
            return "search";
        case Rilk::UnitFileMode::File:
            return "file";
        case Rilk::UnitFileMode::CommandLine:
            return "cmdline";
    }
    return "?";
}

/// Every option field as name=value, with the working directory written as $CWD.
std::string fields(const RunOptions& a) {
    std::string unitFile = a.load.unitFile.string();
    const std::string cwd = std::filesystem::current_path().string();
    if (unitFile.rfind(cwd, 0) == 0) unitFile = "$CWD" + unitFile.substr(cwd.size());
    return fmt::format(
        "cmdMode={} unitFile={} mode={} version={} verbosity={} jobs={} out={} dump={} "
        "list={} units={} profiles={} createProject={} register={} findCompilers={} items={}",
        a.load.cmdMode, unitFile, modeName(a.load.unitFileMode), a.printVersion, a.verbosity,
        a.jobs, a.outFile, a.dump, a.listTargetsUnit, a.listUnits, a.listProfiles,
        a.createProject, a.registerProject, a.findCompilers,
        fmt::join(a.load.positionalItems, ","));
}

/// The fields that differ from the defaults, in field order.
std::string recorded(const RunOptions& options) {
    std::istringstream now(fields(options)), defaults(fields(RunOptions()));
    std::string text;
    for (std::string field, original; now >> field && defaults >> original;) {
        if (field != original) text += (text.empty() ? "" : " ") + field;
    }
    return text;
}

/// Parsing -v changes the logger's threshold; every test gets the default back.
class CommandLine : public testing::Test {
protected:
    void TearDown() override { Rilk::verbosity = 5; }
};

TEST_F(CommandLine, RecordsEverySwitch) {
    EXPECT_EQ(fields(RunOptions()),
              "cmdMode=false unitFile=rilk.txt mode=search version=false verbosity=5 jobs=1 out= "
              "dump=false list= units=false profiles=false createProject=false register=false "
              "findCompilers=false items=");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-c", "-d", "-u", "-p", "-r"},
         "cmdMode=true unitFile= mode=cmdline dump=true units=true profiles=true register=true"},
        {{"--CMDMODE", "--Dump", "--list-UNITS", "-list-profiles", "--create-project", "--Register",
          "--find-COMPILERS"},
         "cmdMode=true unitFile= mode=cmdline dump=true units=true profiles=true "
         "createProject=true register=true findCompilers=true"},
        {{"-Version", "--VERBOSE", "6", "--jobs", "4", "-j", "2", "-o", "out.txt", "main",
          "--list-targets", "core"},
         "version=true verbosity=6 jobs=2 out=out.txt list=core items=main"},
        {{"--file", "a/../b/./c"}, "unitFile=$CWD/b/c mode=file"},
        {{"-f", "-d", "--out", "-x"}, "unitFile=$CWD/-d mode=file out=-x"},
        {{"-f", "x", "-c"}, "cmdMode=true unitFile= mode=cmdline"},
        {{"-c", "-f", "x"}, "cmdMode=true unitFile=$CWD/x mode=file"},
        {{"--v", "12abc"}, "verbosity=12"},
        {{"-v", "0"}, "verbosity=0"},
        {{"-l", "1", "-v"}, "verbosity=3 list=1"},
        {{"-v", "x"}, "verbosity=3 items=x"},
        {{"---v", "-x", "-", "--", "-cmd"}, ""},
        {{"a=-1", "target", "", "prof"}, "items=a=-1,target,,prof"},
    };
    for (const auto& [items, expected] : cases) {
        const RunOptions app = parseCommandLine(items);
        EXPECT_EQ(recorded(app), expected) << testing::PrintToString(items);
        EXPECT_EQ(Rilk::verbosity, app.verbosity) << testing::PrintToString(items);
        Rilk::verbosity = 5;
    }
}

TEST_F(CommandLine, JobsWithoutANumberUseTheMachine) {
    const int expected = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    for (const std::vector<std::string>& items : {std::vector<std::string>{"-j", "-v"}, {"-j"}}) {
        EXPECT_EQ(parseCommandLine(items).jobs, expected) << testing::PrintToString(items);
    }
}

TEST_F(CommandLine, TheFirstOneShotModeWins) {
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
        EXPECT_EQ(Rilk::runMode(parseCommandLine(items)), mode) << testing::PrintToString(items);
    }
}

}  // namespace
