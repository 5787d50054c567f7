// The command line's assignments as a target and the -o file see them: `=` has the last
// word over profiles and targets, and a path written back by -o reads back the same.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/rilk_run.h"

namespace {

class CommandLineAssignments : public RilkRun {
protected:
    /// The line of a command's output that starts with `head`, or the whole output.
    static std::string lineStarting(const std::string& out, const std::string& head) {
        const std::size_t start = ("\n" + out).find("\n" + head);
        if (start == std::string::npos) return out;
        return out.substr(start, out.find('\n', start) - start);
    }

    /// The -o file of a run of `v` with one item; the run's output when it failed.
    std::string written(const std::string& item) const {
        const auto result = rilk({"-o", "out.txt", "v", item});
        if (result.exitCode != 0) return "failed: " + result.out + result.err;
        std::ifstream in(work.path() / "out.txt", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

TEST_F(CommandLineAssignments, AnEqualsReplacesWhatEveryTargetAndProfileSets) {
    struct Case {
        const char* profile;  // the default profile's assignments; null: no project at all
        const char* own;      // the target's own
        const char* item;
        const char* seen;
    };
    const Case cases[] = {
        {"X ?= \"p\"", "X = \"t\"", "X=\"c\"", "X=c"},
        {"X += \"p\"", "X = \"t\"", "X=\"c\"", "X=c"},
        {"X ?= \"p\"", "X = \"t\"", "X+=\"c\"", "X=t"},
        {"X ?= \"p\"", "X = \"t\"", "X?=\"c\"", "X=t"},
        {"X = \"p\"", "X = \"t\"", "X+=\"c\"", "X=p c"},
        {"X = \"p\"", "X = \"t\"", "X?=\"c\"", "X=p"},
        {"", "X = \"t\"", "X+=\"c\"", "X=t c"},
        // An implicit variable ("?="), with a project and without one.
        {"", "year = \"t\" X = year", "year=\"c\"", "X=c"},
        {nullptr, "year = \"t\" X = year", "year=\"c\"", "X=c"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(work.path() / ".rilk_project.txt");
        const std::string unit = std::string("t: { ") + c.own + " cmdline = \"echo X=${X}\" }\n";
        if (c.profile) {
            write({{".rilk_project.txt", std::string("name dq\nunits { main { \"rilk.txt\" } }\n"
                                                     "profiles { default { ") +
                                             c.profile + " } }\n"},
                   {"rilk.txt", "unit main\n" + unit}});
        } else {
            write({{"rilk.txt", unit}});
        }
        const auto result = rilk({c.item});
        EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
        EXPECT_EQ(lineStarting(result.out, "X="), c.seen)
            << (c.profile ? c.profile : "no project") << " / " << c.own << " / " << c.item;
    }
}

TEST_F(CommandLineAssignments, AnEqualsReachesTheTargetsOfAnImportedProject) {
    write({{".rilk_project.txt",
            "name app\nimport { \"lib/.rilk_project.txt\"; }\nunits { main { \"rilk.txt\" } }\n"},
           {"rilk.txt", "unit main\nt: lib/core::l { cmdline = \"true\" }\n"},
           {"lib/.rilk_project.txt",
            "name lib\nunits { core { \"rilk.txt\" } }\nprofiles { default { X ?= \"p\" } }\n"},
           {"lib/rilk.txt", "unit core\nl: { X = \"t\" cmdline = \"echo X=${X}\" }\n"}});
    const auto result = rilk({"X=\"c\""});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(lineStarting(result.out, "X="), "X=c") << result.out;
}

TEST_F(CommandLineAssignments, AnOutputLineGivenBackGivesTheSameValue) {
    write({{"rilk.txt", "v: { NO_TOOL ^P }\nc: { cmdline = \"echo P=${P}\" }\n"}});
    struct Case {
        std::string item;
        std::string line;
    };
    const Case cases[] = {
        {"P=P\"(./x.txt)\"", "P = P\"(./x.txt)\"\n"},
        {"P=P\"(x.txt)\"", "P = P\"(./x.txt)\"\n"},
        {"P=P\"(../x.txt)\"", "P = P\"(./../x.txt)\"\n"},
        {"P=P\"(/abs/x.txt)\"", "P = P\"(/abs/x.txt)\"\n"},
        {"P=[P\"(./a)\", P\"(b)\", P\"(/c)\"]", "P = [ P\"(./a)\", P\"(./b)\", P\"(/c)\" ]\n"},
    };
    for (const Case& c : cases) {
        const std::string first = written(c.item);
        EXPECT_EQ(first, c.line) << c.item;
        const std::string given = first.substr(0, first.find('\n'));
        EXPECT_EQ(written(given), first) << c.item;
    }
    const auto command = rilk({"c", "P=P\"(./x.txt)\""});
    EXPECT_EQ(command.exitCode, 0) << command.out << command.err;
    EXPECT_EQ(lineStarting(command.out, "P="), "P=./x.txt") << command.out;
}

}  // namespace
