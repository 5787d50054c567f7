// Values as a user sees them in commands, in dependants and in the -o file: each variable
// owns its value, late appends reach the commands, output values are resolved.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/rilk_run.h"

namespace {

namespace fs = std::filesystem;

class ValueResults : public RilkRun {
protected:
    /// Runs rilk with `-o out.txt` and the given items; the -o file's text, or the run's
    /// output when it failed.
    std::string outputs(const std::vector<std::string>& items) const {
        std::vector<std::string> args{"-o", "out.txt"};
        args.insert(args.end(), items.begin(), items.end());
        const auto result = rilk(args);
        if (result.exitCode != 0) return "failed: " + result.out + result.err;
        std::ifstream in(work.path() / "out.txt", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    void project(const std::string& profile, const std::string& unit) const {
        write({{".rilk_project.txt",
                "name demo\nunits { u { \"rilk.txt\" } }\nprofiles { default { " + profile +
                    " } }\n"},
               {"rilk.txt", "unit u\n" + unit}});
    }
};

bool hasLine(const std::string& text, const std::string& line) {
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

TEST_F(ValueResults, AnAppendChangesOnlyTheVariableAppendedTo) {
    struct Case {
        const char* what;
        const char* profile;
        const char* unit;
        std::vector<std::string> items;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"command line", "", "app: { NO_TOOL = 1 Y = \"b\" X = Y ^ox = X ^oy = Y }\n",
         {"X+=\"a\""}, {"ox = \"b a\"", "oy = \"b\""}},
        {"profile", "C_FLAGS += \"-O2\"",
         "app: { NO_TOOL = 1 BASE = \"-Wall\" C_FLAGS = BASE ^flags = C_FLAGS ^seenBase = BASE }\n",
         {},
         {"flags = \"-Wall -O2\"", "seenBase = \"-Wall\""}},
        {"'+' dependencies", "",
         "app: +a +b { NO_TOOL = 1 ^all = X ^fromA = a.X }\n"
         "a: { NO_TOOL = 1 ^X = \"ax\" }\nb: { NO_TOOL = 1 ^X = \"bx\" }\n",
         {"app"},
         {"all = \"ax bx\"", "fromA = \"ax\""}},
    };
    for (const Case& each : cases) {
        project(each.profile, each.unit);
        const std::string written = outputs(each.items);
        for (const std::string& line : each.lines) {
            EXPECT_TRUE(hasLine(written, line)) << each.what << ": " << line << "\n" << written;
        }
    }
}

TEST_F(ValueResults, AProfilesAppendToAReferenceReachesTheCommand) {
    project("X += \"p\"", "e: { cmdline = \"echo e ${X}\" X = L L = [\"a\"] ^seenL = L }\n");
    const auto result = rilk({"-o", "out.txt"});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_TRUE(hasLine(result.out, "[u::e] echo e a p")) << result.out;
    EXPECT_TRUE(hasLine(result.out, "e a p")) << result.out;
}

TEST_F(ValueResults, OutputsTheCommandLineSetsCarryItsValueResolved) {
    write({{"rilk.txt", R"x(unit u
app: lib { NO_TOOL = 1 V = "app's" ^got = lib.o }
lib: { NO_TOOL = 1 V = "lib's" W = "w" ^o = "own" ^o2 = W }
)x"}});
    const std::string main = outputs({"lib", "o=\"cmd ${V}\"", "o2+=\"cmd\""});
    EXPECT_TRUE(hasLine(main, "o = \"cmd lib's\"")) << main;
    EXPECT_TRUE(hasLine(main, "o2 = \"w cmd\"")) << main;
    const std::string dependant = outputs({"app", "o=\"cmd ${V}\""});
    EXPECT_TRUE(hasLine(dependant, "got = \"cmd lib's\"")) << dependant;
}

TEST_F(ValueResults, ACommandLineValueOfAnOutputReachesTheCommandDependantsAndTheOutputFile) {
    write({{"rilk.txt", R"x(unit u
gen: { cmdline = "echo data > ${OUT}" ^OUT = P"(a.txt)" }
use: gen { cmdline = "cat ${gen.OUT}" }
)x"}});
    const auto used = rilk({"use", "OUT=P\"(b.txt)\""});
    ASSERT_EQ(used.exitCode, 0) << used.out << used.err;
    EXPECT_TRUE(fs::exists(work.path() / "b.txt"));
    EXPECT_FALSE(fs::exists(work.path() / "a.txt"));
    EXPECT_TRUE(hasLine(used.out, "[u::use] cat ./b.txt")) << used.out;
    EXPECT_TRUE(hasLine(used.out, "data")) << used.out;
    const std::string written = outputs({"gen", "OUT=P\"(b.txt)\""});
    EXPECT_EQ(written, "OUT = P\"(./b.txt)\"\n");
}

TEST_F(ValueResults, APlusMergedTargetsOutputsDoNotDependOnItsDependencysName) {
    write({{"rilk.txt", R"x(unit u
lib: +objs { NO_TOOL = 1 OBJS ^LIB = "libx.a" }
objs: { NO_TOOL = 1 ^OBJS = "a.o" }
lib2: +parts { NO_TOOL = 1 OBJS ^LIB = "libx.a" }
parts: { NO_TOOL = 1 ^OBJS = "a.o" }
)x"}});
    EXPECT_EQ(outputs({"lib"}), "LIB = \"libx.a\"\n");
    EXPECT_EQ(outputs({"lib2"}), "LIB = \"libx.a\"\n");
}

TEST_F(ValueResults, APlusMergeCollidingWithTheDependencysNameKeepsTheOutputs) {
    write({{"rilk.txt", R"x(unit u
t: +lib { cmdline = "echo t ${LIB}" }
lib: { cmdline = "true" ^LIB = "x" ^CFG = "c" }
bad: +lib { NO_TOOL = 1 CFG = { a = 1 } }
)x"}});
    const auto merged = rilk({"t"});
    EXPECT_EQ(merged.exitCode, 0) << merged.out << merged.err;
    EXPECT_TRUE(hasLine(merged.out,
                        "[u::t] Dependency output 'LIB' of u::lib collides with an existing "
                        "context variable in target u::t. Names are case-insensitive; this may "
                        "make dependency output ambiguous."))
        << merged.out;
    EXPECT_TRUE(hasLine(merged.out, "[u::t] echo t x")) << merged.out;
    const auto unsound = rilk({"bad"});
    EXPECT_EQ(unsound.exitCode, 1) << unsound.out << unsound.err;
    EXPECT_TRUE(hasLine(unsound.out + unsound.err,
                        "Error: Cannot merge output 'CFG' of dependency u::lib into target "
                        "u::bad: the target's variable 'CFG' holds a nested context."))
        << unsound.out << unsound.err;
}

TEST_F(ValueResults, AGroupThatUsesUpWrittenTextIsNoLoop) {
    write({{"rilk.txt", "unit u\napp: { NO_TOOL = 1 x = [\"#{\", \"y\"] ^r = \"#{x}x}\" }\n"}});
    const std::string written = outputs({});
    EXPECT_NE(written.find("\"#{\", \"y\", \"yx}\""), std::string::npos) << written;
}

TEST_F(ValueResults, ACommandHoldingANulByteIsRefused) {
    std::string unit = "unit u\napp: { cmdline = \"echo a";
    unit += '\0';
    unit += "b\" }\n";
    write({{"rilk.txt", unit}});
    const auto result = rilk({});
    EXPECT_EQ(result.exitCode, 1) << result.out << result.err;
    EXPECT_NE((result.out + result.err)
                  .find("Error: A command of u::app holds a NUL byte, at which the shell would "
                        "cut it: 'echo a\\0b'"),
              std::string::npos)
        << result.out << result.err;
    EXPECT_FALSE(hasLine(result.out, "a")) << result.out;
}

}  // namespace

TEST_F(ValueResults, AReferenceReadsANameWithADashAsItIsAssigned) {
    project("", "b: { cmdline = \"echo [${my-var}] [${x.in-ner}]\" my-var = \"x\" "
                "x = { in-ner = \"y\" } }\n");
    const auto result = rilk({"b"});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_TRUE(hasLine(result.out, "[x] [y]")) << result.out;
    EXPECT_EQ(result.err.find("does not exist"), std::string::npos) << result.err;
}
