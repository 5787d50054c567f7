#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/driver/usage_text.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace {

/// What `-h` prints; its switches are checked against README.md's table below.
const std::string kUsage(Rilk::kUsageText);

/// The switches of README.md's table of options ("-l", "--list-targets", ...), each as its
/// first cell writes it.
std::vector<std::string> readmeSwitches() {
    std::ifstream in(RILK_SOURCE_DIR "/README.md");
    std::vector<std::string> switches;
    bool inTable = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("| option | does |", 0) == 0) inTable = true;
        if (!inTable) continue;
        if (line.rfind("|", 0) != 0) break;
        const std::string cell = line.substr(1, line.find('|', 1) - 1);
        // Each switch stands in backquotes, its argument after a blank: `-l <unit>`.
        for (std::size_t open = cell.find("`-"); open != std::string::npos;
             open = cell.find("`-", open + 1)) {
            const std::size_t end = cell.find_first_of("` ", open + 1);
            switches.push_back(cell.substr(open + 1, end - open - 1));
        }
    }
    return switches;
}

/// One command line: what rilk prints on standard output and its exit status.
struct Case {
    std::vector<std::string> args;
    std::string out;
    int exitCode;
};

/// Runs rilk with each case's command line; nothing may go to standard error.
template <std::size_t N>
void expectRuns(const Case (&cases)[N]) {
    for (const Case& c : cases) {
        const auto result = RilkTest::runRilk(c.args);
        EXPECT_EQ(result.out, c.out) << testing::PrintToString(c.args);
        EXPECT_EQ(result.err, "") << testing::PrintToString(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << testing::PrintToString(c.args);
    }
}

TEST(RilkCommandLine, PrintsVersionUsageAndOptionErrors) {
    const Case cases[] = {
        {{"--version"}, "3.11.3.0\n", 0},
        {{"-v", "7", "--version"}, "", 0},
        {{"-u", "--create-project", "-VERSION"}, "3.11.3.0\n", 0},
        {{"-h"}, kUsage, 0},
        {{"--HELP", "-l"}, kUsage, 0},
        {{"-v", "6", "-h"}, "", 0},
        {{"-l", "-u", "--version"}, "Error: Option '-l' requires a unit.\n", 1},
        {{"-v", "7", "-l"}, "Error: Option '-l' requires a unit.\n", 1},
        {{"-v", "8", "-l"}, "", 1},
        {{"--list-targets", ""}, "Error: Option '-l' requires a unit.\n", 1},
        {{"--version", "-f"}, "Error: unknown switch\n", 1},
        {{"-f", ""}, "Error: unknown switch\n", 1},
        {{"-c", "-o"}, "Error: unknown switch\n", 1},
        {{"-v", "99999999999", "--version"},
         "Error: Option '-v' needs a number from 0 to 2147483647, not '99999999999'.\n",
         1},
        {{"-j", "99999999999"},
         "Error: Option '-j' needs a number from 0 to 2147483647, not '99999999999'.\n",
         1},
    };
    expectRuns(cases);
}

TEST(RilkCommandLine, TheUsageListsEverySwitchOfTheReadme) {
    const std::vector<std::string> switches = readmeSwitches();
    EXPECT_GE(switches.size(), 20u) << "the README's table of options was not found";
    const std::string usage = RilkTest::runRilk({"-h"}).out;
    for (const std::string& name : switches) {
        // A switch stands after a blank and before a blank, a comma or the line's end.
        const bool listed = std::regex_search(
            usage, std::regex("(^| )" + name + "([ ,]|$)", std::regex::multiline));
        EXPECT_TRUE(listed) << name << " is missing from:\n" << usage;
    }
}

TEST(RilkCommandLine, NumbersWrittenOntoSwitchesAndUnknownSwitches) {
    const std::string range = " needs a number from 0 to 2147483647, not ";
    const Case cases[] = {
        // -v 7 hides the version line, whichever way the number is written.
        {{"-v7", "--version"}, "", 0},
        {{"-V7", "--version"}, "", 0},
        {{"--verbose=7", "--version"}, "", 0},
        {{"-verbose=7", "--version"}, "", 0},
        {{"-v=7", "--version"}, "", 0},
        {{"-v", "7", "--version"}, "", 0},
        {{"--jobs=2", "--version"}, "3.11.3.0\n", 0},
        {{"-j2", "--version"}, "3.11.3.0\n", 0},
        {{"--jobs=x", "--version"}, "Error: Option '-j'" + range + "'x'.\n", 1},
        {{"-v=", "--version"}, "Error: Option '-v'" + range + "''.\n", 1},
        {{"-j", "2147483648"}, "Error: Option '-j'" + range + "'2147483648'.\n", 1},
        {{"-j", "99999999999999999999"},
         "Error: Option '-j'" + range + "'99999999999999999999'.\n",
         1},
        {{"-j2147483648"}, "Error: Option '-j'" + range + "'2147483648'.\n", 1},
        {{"-v", "2147483648"}, "Error: Option '-v'" + range + "'2147483648'.\n", 1},
        // A switch that matches nothing is told and otherwise ignored.
        {{"-x", "--version"}, "Ignoring unknown option '-x'.\n3.11.3.0\n", 0},
        {{"---v", "-", "--file=a", "--version"},
         "Ignoring unknown option '---v'.\nIgnoring unknown option '-'.\nIgnoring unknown "
         "option '--file=a'.\n3.11.3.0\n",
         0},
        {{"-x", "-v", "7", "--version"}, "", 0},
        {{"--find-compilers", "DIR"},
         "Error: Option '--find-compilers' takes no argument, but 'DIR' was given: it always "
         "searches "
         "/usr/bin, /usr/local/bin, /opt/rh and /opt.\n",
         1},
    };
    expectRuns(cases);
}

TEST(RilkCommandLine, ABuildOfATargetWithoutToolFailsAfterVisitingIt) {
    const RilkTest::TempDir home;
    home.write("rilk.txt", "all: { }\n");
    const auto result = RilkTest::runRilk(
        {}, {.workingDirectory = home.path(), .environment = {{"HOME", home.path().string()}}});
    EXPECT_EQ(result.out,
              "Starting build\n[1::all] Visiting target\nError: No tool to build 1::all. No "
              "tool knows any of its variables. No tool is registered but the built-in ones: "
              "`rilk --find-compilers` registers the machine's compilers. Run with -v 0 to see "
              "each tool's answer.\n");
    EXPECT_EQ(result.exitCode, 1);
}

}  // namespace
