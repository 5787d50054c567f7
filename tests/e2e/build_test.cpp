// Builds of command targets with the real rilk binary: dependency outputs, prefixes,
// loops, missing tools, failing commands, -d, -o and namespaces.
#include <fstream>
#include <sstream>
#include <string>

#include "e2e/rilk_run.h"

namespace {

using Build = RilkRun;

const std::string kAmbiguous =
    " Names are case-insensitive; this may make dependency output ambiguous.\n";

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

/// Whether `parts` occur in `text` in this order.
bool inOrder(const std::string& text, const std::vector<std::string>& parts) {
    std::size_t at = 0;
    for (const std::string& part : parts) {
        at = text.find(part, at);
        if (at == std::string::npos) return false;
        at += part.size();
    }
    return true;
}

const std::string kProject = R"(name demo
units {
    u { "rilk.txt" }
    other { "other.txt" }
}
)";

TEST_F(Build, DependencyOutputsReachTheDependentUnderTheirNames) {
    write({{".rilk_project.txt", kProject},
           {"rilk.txt", R"(unit u
app: lib other::tool +plus a +> all b +> all {
    cmdline = "echo got ${lib.X} ${other.tool.Y} ${plus.Z} ${Z} ${all.A} ${all.B}"
}
lib: { ^X = "x" cmdline = "echo building lib" }
plus: { ^Z = "z" NO_TOOL = 1 }
a: { ^A = "a" NO_TOOL = 1 }
b: { ^B = "b" NO_TOOL = 1 }
)"},
           {"other.txt", R"(unit other
tool: { ^Y = "y" cmdline = ["echo one", "echo two"] }
)"}});
    const auto result = rilk({});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_TRUE(
        inOrder(result.out,
                {"Starting build\n", "[u::app] Visiting target\n", "[u::lib] Visiting target\n",
                 "[u::lib] echo building lib\n", "building lib\n", "[u::lib] Build done\n",
                 "[other::tool] echo one\n", "one\n", "[other::tool] echo two\n", "two\n",
                 "[u::app] echo got x y z z a b\n", "got x y z z a b\n", "[u::app] Build done\n"}))
        << result.out;
}

TEST_F(Build, WarnsAboutEveryTakenNameOfADependencyOutput) {
    write({{".rilk_project.txt", kProject},
           {"rilk.txt", R"(unit u
all: alias same cross twice { NO_TOOL = 1 }
alias: lib => l { l = 1 NO_TOOL = 1 }
same: lib { lib = "text" NO_TOOL = 1 }
cross: other::tool { other = "text" NO_TOOL = 1 }
twice: other::tool other::TOOL { NO_TOOL = 1 }
lib: { ^X = "x" NO_TOOL = 1 }
)"},
           {"other.txt", "unit other tool: { ^Y = \"y\" NO_TOOL = 1 }\n"}});
    const auto result = rilk({});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    for (const std::string& warning :
         {"[u::alias] Dependency output alias 'l' of demo/u::lib collides with an existing "
          "context variable in target demo/u::alias." +
              kAmbiguous,
          "[u::same] Dependency output 'lib' of demo/u::lib collides with an existing "
          "context variable in target demo/u::same." +
              kAmbiguous,
          "[u::cross] Dependency output 'demo/other::tool' collides with an existing "
          "context variable 'other' in target demo/u::cross." +
              kAmbiguous,
          "[u::twice] Dependency output 'demo/other::TOOL' collides with an existing "
          "dependency output in target demo/u::twice." +
              kAmbiguous}) {
        EXPECT_EQ(count(result.out, warning), 1u) << warning << result.out;
    }
}

TEST_F(Build, ACollisionOfTwoDependenciesOfOneNameSaysSo) {
    write({{".rilk_project.txt",
            "name demo import { \"b/.rilk_project.txt\" b; \"c/.rilk_project.txt\" c; }\n"
            "units { u { \"rilk.txt\" } other { \"other.txt\" } }\n"},
           {"b/.rilk_project.txt", "name b units { core { \"rilk.txt\" } }\n"},
           {"b/rilk.txt", "unit core lib: { ^X = \"b\" NO_TOOL = 1 }\n"},
           {"c/.rilk_project.txt", "name c units { core { \"rilk.txt\" } }\n"},
           {"c/rilk.txt", "unit core lib: { ^X = \"c\" NO_TOOL = 1 }\n"},
           {"other.txt", "unit other tool: { ^Y = \"y\" NO_TOOL = 1 }\n"},
           {"rilk.txt", R"(unit u
all: instances imported cased { NO_TOOL = 1 }
instances: p(n1) p(n2) { n1 = "1" n2 = "2" NO_TOOL = 1 }
imported: +b/core::lib +c/core::lib { NO_TOOL = 1 }
cased: other::tool other::TOOL { NO_TOOL = 1 }
p(N): { ^X = "${N}" NO_TOOL = 1 }
)"}});
    const std::string apart =
        ", and '=> name' after one of them gives its outputs a name of their own.";
    const std::string warnings[] = {
        "[u::instances] Dependency output 'p' of demo/u::p collides with an existing context "
        "variable in target demo/u::instances; both dependencies are named 'p'" +
            apart + kAmbiguous,
        "[u::imported] Dependency output 'c/core::lib' collides with an existing dependency "
        "output in target demo/u::imported; both dependencies are named 'lib' in a unit 'core'" +
            apart + kAmbiguous,
        // Names that differ in letter case only keep the case-insensitive words alone.
        "[u::cased] Dependency output 'demo/other::TOOL' collides with an existing dependency "
        "output in target demo/u::cased." +
            kAmbiguous,
    };
    const auto result = rilk({});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    for (const std::string& warning : warnings) {
        EXPECT_EQ(count(result.out, warning), 1u) << warning << result.out;
    }
}

TEST_F(Build, FailuresEndTheRunAfterVisitingTheTarget) {
    struct Case {
        const char* unit;
        std::vector<std::string> expected;
        std::size_t visits;
    };
    const Case cases[] = {
        {"unit u a: b { NO_TOOL = 1 } b: { X = 1 }",
         {"[u::a] Visiting target\n[u::b] Visiting target\nError: No tool to build u::b. "},
         2},
        {"unit u a: b { NO_TOOL = 1 } b: c { NO_TOOL = 1 } c: A { NO_TOOL = 1 }",
         {"Error: Loop detected! Causing term: '/u::a'"},
         3},
        {"unit u a: A { NO_TOOL = 1 }", {"Error: Loop detected! Causing term: '/u::a'"}, 1},
        {"unit u a: b { NO_TOOL = 1 } b: { cmdline = [\"echo first\", \"exit 3\", \"echo no\"] }",
         {"[u::b] exit 3\n",
          "[u::b] Build of u::b failed (command exit status 3). Exiting..\nError: Build "
          "failed.\n"},
         2},
        {"unit u a: { cmdline = [\"kill -9 $$\", \"echo no\"] }",
         {"[u::a] Build of u::a failed (command killed by signal 9, SIGKILL). Exiting..\nError: "
          "Build failed.\n"},
         1},
        {"unit u a: { cwd = \"missing\" cmdline = \"echo no\" }",
         {"[u::a] Build of u::a failed (command could not start in 'missing': No such file or "
          "directory). Exiting..\nError: Build failed.\n"},
         1},
    };
    for (const Case& c : cases) {
        write({{"rilk.txt", c.unit}});
        const auto result = rilk({});
        EXPECT_EQ(result.exitCode, 1) << c.unit;
        EXPECT_TRUE(inOrder(result.out, c.expected)) << result.out;
        EXPECT_EQ(count(result.out, "Visiting target"), c.visits) << result.out;
        EXPECT_EQ(count(result.out, "\nno\n"), 0u) << result.out;
    }
}

TEST_F(Build, ReportsTheToolSelectionAtLevelThree) {
    // The command tool matches its "cmdline" unless that is an output variable.
    write({{"rilk.txt", "unit u t: { cmdline = \"true\" } o: { ^cmdline = \"true\" }"}});
    const std::pair<const char*, const char*> cases[] = {{"u::t", "cmdline partial match"},
                                                         {"u::o", "no matched variables"}};
    for (const auto& [target, reason] : cases) {
        const auto result = rilk({"-v", "3", target});
        const std::string prefix = std::string("[") + target + "] ";
        EXPECT_TRUE(inOrder(result.out,
                            {prefix + "Tool selection\n" + prefix + "--------------\n" + prefix +
                             "Registered : default_basic\n" + prefix + "Tool       : cmdline\n" +
                             prefix + "Reason     :\n" + prefix + "  - " + reason + "\n" + prefix}))
            << result.out;
    }
}

TEST_F(Build, RunsCommandsInTheirWorkingDirectory) {
    write({{"rilk.txt", "unit u t: { cwd = \"sub\" cmdline = \"pwd\" }"}, {"sub/keep", ""}});
    const auto result = rilk({});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_NE(result.out.find("[u::t] pwd\n" + dir() + "/sub\n"), std::string::npos) << result.out;
}

TEST_F(Build, WritesTheMainTargetsOutputsToTheOutputFile) {
    write({{"rilk.txt", R"x(unit u
t: cfg { ^b = "x" ^A = 1 ^L = ["p", "q"] ^P = P"(out/app)" ^N ^F = cfg.FLAGS NO_TOOL = 1 }
cfg: { NO_TOOL = 1 ^FLAGS = "-O2" })x"}});
    const auto result = rilk({"-o", "out.txt"});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    std::ifstream in(work.path() / "out.txt");
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "A = 1\nb = \"x\"\nF = \"-O2\"\nL = [ \"p\", \"q\" ]\nP = P\"(" + dir() +
                              "/out/app)\"\n");

    const auto failed = rilk({"-o", "missing/out.txt"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_NE(failed.out.find("missing/out.txt"), std::string::npos) << failed.out;
}

TEST_F(Build, DumpsTheRuntimeContexts) {
    write({{"rilk.txt", "unit u t: { NO_TOOL = 1 }"}});
    const auto result = rilk({"-d"});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_TRUE(inOrder(
        result.out, {"Starting build\nImplicit context:\n{\n", "project_root = \"" + dir() + "\"\n",
                     "}\n\n", "[u::t] Visiting target\n"}))
        << result.out;

    const auto command = rilk({"-c", "-d", "X=1"}, "empty");
    EXPECT_EQ(command.exitCode, 1);
    EXPECT_TRUE(inOrder(
        command.out, {"Implicit context:\n{\n", "}\n\n{\nX = 1\n}\n\n",
                      "[::cmdline] Visiting target\n", "Error: Target '::cmdline' not found.\n"}))
        << command.out;
}

TEST_F(Build, BuildsATargetOfTheNamespaceNamedOnTheCommandLine) {
    write({{".rilk_project.txt",
            "name app import { \"ext/.rilk_project.txt\" ext; } units { core { \"rilk.txt\" } }"},
           {"rilk.txt", "unit core build: { cmdline = \"echo main build\" }"},
           {"ext/.rilk_project.txt", "name lib units { util { \"rilk.txt\" } }"},
           {"ext/rilk.txt", "unit util mk: { cmdline = \"echo ext mk\" }"}});
    const auto result = rilk({"-d", "ext/util::mk"});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_TRUE(inOrder(
        result.out,
        {"Implicit context for project 'app':\n{\n", "Implicit context for project 'ext':\n{\n",
         "project_root = \"" + dir() + "/ext\"\n", "}\n\n", "[util::mk] echo ext mk\n"}))
        << result.out;
    EXPECT_EQ(count(result.out, "main build"), 0u) << result.out;

    write({{".rilk_project.txt",
            "name app import { \"ext/.rilk_project.txt\"; "
            "\"ext2/.rilk_project.txt\"; } units { core { \"rilk.txt\" } }"},
           {"ext2/.rilk_project.txt", "name lib units { util { \"rilk.txt\" } }"}});
    const auto twice = rilk({});
    EXPECT_EQ(twice.exitCode, 1);
    const std::string ext = dir() + "/ext/.rilk_project.txt";
    const std::string app = dir() + "/.rilk_project.txt";
    EXPECT_NE(twice.out.find("Error: Project namespace 'lib' is used more than once: by '" + ext +
                             "' imported by '" + app + "' and by '" + dir() +
                             "/ext2/.rilk_project.txt' imported by '" + app + "'."),
              std::string::npos)
        << twice.out;
}

}  // namespace
