// Warnings about a build that went through but will not stay done, or about a unit file
// whose syntax error has a cause the error itself does not show: each names the file, the
// place or the target (with its project's namespace) it is about.
#include <map>
#include <string>
#include <vector>

#include "e2e/rilk_run.h"

namespace {

class BuildWarnings : public RilkRun {
protected:
    /// Runs rilk on `files` in a fresh working directory.
    RilkTest::ProcessResult runOn(const std::map<std::string, std::string>& files,
                                  const std::vector<std::string>& args = {}) {
        std::filesystem::remove_all(work.path());
        std::filesystem::create_directories(work.path());
        write(files);
        return rilk(args);
    }
};

const std::string kNotWritten =
    "', which its commands did not write: they succeeded, but the file is not there, so the "
    "target builds again on every run. A command target's outputs ('^') name the files its "
    "command writes.\n";

TEST_F(BuildWarnings, ADeclaredOutputTheCommandDidNotWriteIsNamedEveryRun) {
    const std::string d = dir();
    struct Case {
        const char* about;
        std::string unit;
        std::string warnings;  // every warning line, in order
    };
    const Case cases[] = {
        {"an output never written", "t: { cmdline = \"echo hi\" ^out = P\"(out.txt)\" }\n",
         "[1::t] Target 1::t declares the output '" + d + "/out.txt" + kNotWritten},
        {"one of two outputs written",
         "t: { cmdline = \"touch a.txt\" ^A = P\"(a.txt)\" ^B = [P\"(b.txt)\", P\"(b.txt)\"] }\n",
         "[1::t] Target 1::t declares the output '" + d + "/b.txt" + kNotWritten},
        {"an output in a directory that is not there",
         "t: { cmdline = \"true\" ^out = P\"(gone/out.txt)\" }\n",
         "[1::t] Target 1::t declares the output '" + d + "/gone/out.txt" + kNotWritten},
        {"every output written", "t: { cmdline = \"touch out.txt\" ^out = P\"(out.txt)\" }\n", ""},
        {"a value that names no file", "t: { cmdline = \"true\" ^out = \"out.txt\" }\n", ""},
    };
    for (const Case& c : cases) {
        // The warning comes after the command, before "Build done", on every run.
        for (int run = 0; run < 2; ++run) {
            const auto result = runOn({{"rilk.txt", c.unit}});
            EXPECT_EQ(result.exitCode, 0) << c.about << result.out << result.err;
            const std::size_t at = result.out.find("[1::t] Build done\n");
            ASSERT_NE(at, std::string::npos) << c.about << result.out;
            std::string warnings;
            for (std::size_t line = result.out.find("[1::t] Target "); line < at;
                 line = result.out.find("[1::t] Target ", line + 1)) {
                warnings += result.out.substr(line, result.out.find('\n', line) + 1 - line);
            }
            EXPECT_EQ(warnings, c.warnings) << c.about << result.out;
        }
    }
}

TEST_F(BuildWarnings, AToolsOutputItsCommandDidNotWriteIsToldWithTheToolsHint) {
    const std::string d = dir();
    // A compiler stand-in that answers for its version and writes nothing.
    write({{"c3/c3c", "#!/bin/sh\n[ \"$1\" != --version ] || echo 'C3 Compiler Version: 0.6.8'\n"},
           {"a.c", "int f(void) { return 1; }\n"},
           {"a.c3", "fn void main() {}\n"}});
    std::filesystem::permissions(work.path() / "c3/c3c", std::filesystem::perms::owner_all);
    const std::string tools =
        "name demo\ntools { c3 { tool_type = \"c3c\" toolchain_path = P\"(c3)\" } " +
        std::string(std::filesystem::exists("/usr/bin/x86_64-linux-gnu-gcc")
                        ? "gcc { tool_type = \"gnu-gcc\" toolchain_path = P\"(/usr/bin)\" } "
                        : "") +
        "}\nunits { u { \"rilk.txt\" } }\n";
    write({{".rilk_project.txt", tools},
           {"rilk.txt",
            "unit u\n"
            "objs: { C_FILES = P\"(a.c)\" C_FLAGS = \"-c -fsyntax-only\" }\n"
            "c3: { C3_FILES = P\"(a.c3)\" }\n"}});
    const std::string hint =
        "' names this file itself: flags given to it that make it write "
        "another file, or none, leave it unwritten.\n";
    struct Case {
        const char* target;
        std::string file;
        std::string tool;
    };
    const Case cases[] = {
        {"objs", "/out/x86_64-linux-gnu/demo/u/objs/a.o", "x86_64-linux-gnu-gcc"},
        {"c3", "/out/c3c-0.6.8/demo/u/c3/c3", "c3c"},
    };
    for (const Case& c : cases) {
        if (c.tool != "c3c" && tools.find("gnu-gcc") == std::string::npos) continue;
        const auto result = rilk({c.target});
        EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
        EXPECT_NE(result.out.find("Target demo/u::" + std::string(c.target) +
                                  " declares the output '" + d + c.file +
                                  "', which its commands did not write: they succeeded, but the "
                                  "file is not there, so the target builds again on every run. "
                                  "The tool '" +
                                  c.tool + hint),
                  std::string::npos)
            << result.out;
    }
}

TEST_F(BuildWarnings, ASyntaxErrorAfterARawStringThatEndedOnItsLineSaysWhere) {
    const std::string d = dir();
    const std::string follows = "a syntax error follows this ";
    struct Case {
        const char* about;
        std::string unit;
        std::string warning;  // none when empty
    };
    const Case cases[] = {
        {"a raw string ended by the \")\"\" of \"$(...)\"",
         "unit u\nall: { cmdline = \"echo hi\" }\nb: { cmdline = R\"(v=\"$(echo 1)\"; echo $v)\" "
         "}\n",
         d + "/rilk.txt(3,15): " + follows +
             "raw string on the line where it ends, at the ')\"' in column 29: a raw or path "
             "string ends at the first ')\"' in it, so one inside its text (as in \"$(cmd)\") "
             "ends it early. If it was meant to go on, write its text without ')\"' there "
             "(v=$(cmd) needs no quotes; or `cmd` in backquotes).\n"},
        {"a raw string of two lines, ended on the second",
         "unit u\nb: { cmdline = R\"(echo one\n  v=\"$(date)\" x)\" }\n",
         d + "/rilk.txt(2,15): " + follows + "raw string on the line where it ends, at the "},
        {"a path string", "unit u\nb: { NO_TOOL = 1 X = P\"(a)\"b)\" }\n",
         d + "/rilk.txt(2,21): " + follows + "path string on the line where it ends, at the "},
        {"a syntax error on a later line", "unit u\nb: { cmdline = R\"(echo ok)\"\n x = }\n", ""},
        {"a syntax error before the raw string", "unit u\nb: { = cmdline = R\"(echo 1)\" }\n", ""},
    };
    for (const Case& c : cases) {
        const auto result = runOn({{"rilk.txt", c.unit}});
        EXPECT_EQ(result.exitCode, 1) << c.about;
        EXPECT_NE(result.err, "") << c.about;
        const std::size_t at = result.out.find(follows);
        if (c.warning.empty()) {
            EXPECT_EQ(at, std::string::npos) << c.about << result.out;
        } else {
            EXPECT_EQ(result.out.substr(0, c.warning.size()), c.warning) << c.about << result.out;
        }
        EXPECT_NE(
            result.out.find("Error: " + d + "/rilk.txt Parsing failed due to syntax errors.\n"),
            std::string::npos)
            << c.about << result.out;
    }
}

TEST_F(BuildWarnings, NameTargetsWithTheirNamespace) {
    // Both projects have a unit `main` with targets `all` and `lib`.
    const std::string unit =
        "unit main\nall: lib { lib = 1 NO_TOOL = 1 }\nlib: { ^X = \"x\" NO_TOOL = 1 }\n"
        "gen: { cmdline = \"true\" ^out = P\"(never.txt)\" }\n";
    const std::map<std::string, std::string> projects = {
        {".rilk_project.txt",
         "name demo\nimport { \"lib/.rilk_project.txt\" libname; }\n"
         "units { main { \"rilk.txt\" } }\n"},
        {"rilk.txt", unit + "top: all libname/main::all libname/main::gen gen { NO_TOOL = 1 }\n"},
        {"lib/.rilk_project.txt", "name libname\nunits { main { \"rilk.txt\" } }\n"},
        {"lib/rilk.txt", unit}};
    const auto result = runOn(projects, {"top"});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    const std::string d = dir();
    for (const std::string& warning : std::vector<std::string>{
             "Dependency output 'lib' of demo/main::lib collides with an existing context "
             "variable in target demo/main::all.",
             "Dependency output 'lib' of libname/main::lib collides with an existing context "
             "variable in target libname/main::all.",
             "Target demo/main::gen declares the output '" + d + "/never.txt'",
             "Target libname/main::gen declares the output '" + d + "/lib/never.txt'",
         }) {
        EXPECT_NE(result.out.find(warning), std::string::npos) << warning << "\n" << result.out;
    }
}

}  // namespace
