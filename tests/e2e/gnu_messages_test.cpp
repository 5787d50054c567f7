// What a user of the machine's GCC toolchain reads when a target cannot be built: the tool
// that came nearest and what it lacks, a name the system cannot hold, and names that the
// tools must not take for options.
#include <filesystem>
#include <regex>
#include <string>

#include "e2e/rilk_run.h"
#include "tools/fake_toolchain.h"

namespace {

namespace fs = std::filesystem;

class GnuMessages : public RilkRun {
protected:
    void SetUp() override {
        if (!fs::exists("/usr/bin/x86_64-linux-gnu-gcc-12")) {
            GTEST_SKIP() << "no GCC 12 for x86_64-linux-gnu in /usr/bin";
        }
        ASSERT_EQ(rilk({"--find-compilers"}).exitCode, 0);
        write({{"a.c", "int f(void) { return 1; }\n"}, {"m.c", "int main(void) { return 0; }\n"}});
    }

    /// The last line of the run's output.
    static std::string lastLine(const std::string& out) {
        const std::size_t end = out.size() - (out.ends_with('\n') ? 1 : 0);
        return out.substr(out.rfind('\n', end - 1) + 1);
    }
};

TEST_F(GnuMessages, AFailedTargetNamesWhatIsWrong) {
    const std::string name(254, 'n');
    write({{"rilk.txt",
            "unit u\n"
            "lib: { OUTPUT_NAME = \"libx.a\" }\n"
            "arm: { C_FILES = P\"(m.c)\" ARCH = \"arm\" }\n"
            "long: { C_FILES = P\"(m.c)\" OUTPUT_NAME = \"" +
                name +
                "\" }\n"
                "typo: +objz { OUTPUT_NAME = \"libx.a\" }\n"
                "up: { ^C_FILES = P\"(m.c)\" }\n"}});
    struct Case {
        const char* target;
        std::string last;
    };
    const Case cases[] = {
        {"lib",
         "Error: No tool to build u::lib. The nearest tool, 'default_gnu_x86_64_V', cannot "
         "build it: 'x86_64-linux-gnu-ar' needs OBJS.\n"},
        {"arm",
         "Error: No tool to build u::arm. The nearest tool, 'default_gnu_x86_64_V', cannot "
         "build it: its toolchain (x86_64-linux-gnu, version V) is not the one the target's "
         "ARCH, TOOLCHAIN_TRIPLET or wanted version asks for.\n"},
        // A source only as output variable, the target's one variable.
        {"up",
         "Error: No tool to build u::up. The nearest tool, 'default_gnu_x86_64_V', cannot "
         "build it: 'x86_64-linux-gnu-gcc' needs C_FILES or OBJS (the target has C_FILES only "
         "as output variable).\n"},
        // The dependency that does not exist, not what the tool lacks without it.
        {"typo", "Error: Target 'u::objz' not found. It is a dependency of u::typo.\n"},
        {"long", "Error: The OUTPUT_NAME of u::long is too long: its dependency file '" + name +
                     ".d' would have a name of 256 bytes, more than the 255 a file name may "
                     "have. Choose a shorter OUTPUT_NAME.\n"},
    };
    for (const Case& c : cases) {
        const auto result = rilk({c.target});
        // The tool's name holds the machine's GCC version.
        const std::regex version("(default_gnu_x86_64_|version )[0-9_.]+");
        EXPECT_EQ(std::regex_replace(lastLine(result.out), version, "$1V"), c.last) << c.target;
        EXPECT_EQ(result.err, "") << c.target;
        EXPECT_EQ(result.exitCode, 1) << c.target;
    }
}

TEST_F(GnuMessages, AToolThatCannotBeMadeIsNamedWithTheReason) {
    write({{"rilk.txt", "unit u\napp: { C_FILES = P\"(m.c)\" OUTPUT_NAME = \"app\" }\n"}});
    const std::string noTool =
        "Error: No tool to build u::app. No tool knows any of its variables. No tool is "
        "registered but the built-in ones: `rilk --find-compilers` registers the machine's "
        "compilers. Run with -v 0 to see each tool's answer.\n";
    const std::string wants = "Couldn't find GNU toolchain from provided 'wants' variables: ";
    struct Case {
        std::string tool;
        std::string out;
    };
    const Case cases[] = {
        {"tool_type = \"gnu-gcc\" toolchain_path = \"/usr/bim\"",
         wants + "its toolchain_path '/usr/bim' does not exist.\nUnable to create Registry tool "
                 "'gnu-gcc' for 't1'.\n"},
        {"tool_type = \"gnu-gcc\" toolchain_path = \"/usr/bin\" toolchain_version = \"1.2.3\"",
         wants + "'/usr/bin' has x86_64-linux-gnu V, none with toolchain_version 1.2.3.\n"
                 "Unable to create Registry tool 'gnu-gcc' for 't1'.\n"},
        {"tool_type = \"gnu-gcx\" toolchain_path = \"/usr/bin\"",
         "Unknown tool_type 'gnu-gcx'; the known types are c3c, command, gnu-gcc, no_tool.\n"
         "Unable to create Registry tool 'gnu-gcx' for 't1'.\n"},
    };
    for (const Case& c : cases) {
        home.write(".config/rilk/.rilk_registry.txt", "tools { t1 { " + c.tool + " } }\n");
        const auto result = rilk({"app"});
        // Every version of x86_64-linux-gnu found in /usr/bin, as "V".
        const std::regex versions("x86_64-linux-gnu [0-9.]+(, x86_64-linux-gnu [0-9.]+)*");
        EXPECT_EQ(std::regex_replace(result.out, versions, "x86_64-linux-gnu V"),
                  c.out + "Starting build\n[u::app] Visiting target\n" + noTool)
            << c.tool;
        EXPECT_EQ(result.exitCode, 1) << c.tool;
    }
}

// Stand-in compilers: a gcc 13 whose g++ of that version is missing beside a gcc and g++ 12.
class GnuToolchainMessages : public RilkRun {};

TEST_F(GnuToolchainMessages, ANewestGccWithoutItsGppSaysWhichGppIsThereAndWhatToDo) {
    const fs::path bin = work.path() / "tc/bin";
    RilkTest::writeFakeCompiler(bin / "gcc-13", {"x86_64-linux-gnu", "13.1.0", ""});
    for (const char* name : {"gcc", "g++"}) {
        RilkTest::writeFakeCompiler(bin / name, {"x86_64-linux-gnu", "12.2.0", ""});
    }
    for (const char* name : {"ar", "ld"}) RilkTest::writeScript(bin / name, "exit 0\n");
    write({{".rilk_project.txt",
            "name demo\ntools { gcc { tool_type = \"gnu-gcc\" toolchain_path = P\"(tc)\" } }\n"
            "units { u { \"rilk.txt\" } }\n"},
           {"rilk.txt", "unit u\napp: { C_FILES = P\"(m.c)\" }\n"}});
    const auto result = rilk({"app"});
    const std::string b = bin.string();
    EXPECT_NE(result.out.find(
                  "Required GNU tool missing: '" + b +
                  "/x86_64-linux-gnu-g++'. The toolchain "
                  "chosen, x86_64-linux-gnu 13.1.0 (found as '" +
                  b +
                  "/gcc-13'), has no g++ of "
                  "its version there: '" +
                  b +
                  "/g++' is x86_64-linux-gnu 12.2.0. A toolchain's "
                  "gcc and g++ must both be of its version: install the g++ of x86_64-linux-gnu "
                  "13.1.0 in '" +
                  b +
                  "', or choose a version whose gcc and g++ are both there "
                  "with toolchain_version in the tool's definition (\"12.2.0\").\nUnable to "
                  "create Project demo tool 'gnu-gcc' for 'demo/gcc'.\n"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(result.exitCode, 1);
}

TEST_F(GnuMessages, AToolchainRuledOutByItsOwnDefinitionSaysSo) {
    // The definition's toolchain_version "0" finds any version, but no target matches it.
    home.write(".config/rilk/.rilk_registry.txt",
               "tools { t1 { tool_type = \"gnu-gcc\" toolchain_path = \"/usr/bin\" "
               "toolchain_version = \"0\" } }\n");
    const std::string toolchain = "its toolchain (x86_64-linux-gnu, version V) ";
    const std::pair<const char*, std::string> cases[] = {
        {"", toolchain + "is not of the toolchain_version \"0\" that the tool's own definition "
                         "sets, which must equal the version; set it to \"V\" there or leave it "
                         "out."},
        {"ARCH = \"arm\"", toolchain + "is not the one the target's ARCH, TOOLCHAIN_TRIPLET or "
                                       "wanted version asks for."},
    };
    for (const auto& [wants, reason] : cases) {
        write({{"rilk.txt", std::string("unit u\napp: { C_FILES = P\"(m.c)\" ") + wants + " }\n"}});
        const auto result = rilk({"app"});
        // The machine's GCC version, not the definition's "0".
        const std::regex version("(version |\")[0-9]+\\.[0-9.]+(\\)|\")");
        EXPECT_EQ(std::regex_replace(lastLine(result.out), version, "$1V$2"),
                  "Error: No tool to build u::app. The nearest tool, 't1', cannot build it: " +
                      reason + "\n")
            << wants;
        EXPECT_EQ(result.exitCode, 1) << wants;
    }
}

TEST_F(GnuMessages, ObjectsGivenToACompileOnlyTargetAreWarnedOfOnce) {
    write({{"b.c", "int g(void) { return 2; }\n"},
           {"c.c", "int h(void) { return 3; }\n"},
           {"rilk.txt",
            "unit u\n"
            "with: { C_FILES = [P\"(a.c)\", P\"(b.c)\", P\"(c.c)\", P\"(m.c)\"] C_FLAGS = \"-c\" "
            "OBJS = P\"(x.o)\" }\n"
            "without: { C_FILES = [P\"(a.c)\", P\"(b.c)\"] C_FLAGS = \"-c\" }\n"}});
    // Target, times its warning is printed when its sources compile in several jobs.
    const std::pair<std::string, std::size_t> cases[] = {{"with", 1}, {"without", 0}};
    for (const auto& [target, times] : cases) {
        const auto result = rilk({"-j", "4", target});
        EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
        const std::string warning =
            "[u::" + target + "] OBJS were passed to '" + target + "', but target uses -c.\n";
        std::size_t seen = 0;
        for (auto at = result.out.find(warning); at != std::string::npos;
             at = result.out.find(warning, at + 1)) {
            ++seen;
        }
        EXPECT_EQ(seen, times) << result.out;
    }
}

TEST_F(GnuMessages, MergedOutputsThatMisleadTheToolAreWarnedOf) {
    write({{".rilk_project.txt", "name p\nunits { lib { \"lib/rilk.txt\" } u { \"rilk.txt\" } }\n"},
           {"lib/rilk.txt", "unit lib\nobjs: { C_FILES = P\"(../a.c)\" C_FLAGS = \"-c\" }\n"},
           {"include/a.h", "#define A 0\n"},
           {"gen/include/config.h", "#define B 0\n"},
           {"i.c", "#include \"a.h\"\n#include \"config.h\"\nint main(void) { return A + B; }\n"},
           {"rilk.txt",
            "unit u\n"
            "app: +lib::objs { C_FILES = P\"(m.c)\" OUTPUT_NAME = \"app\" }\n"
            "inc: +gen { C_FILES = P\"(i.c)\" INCLUDE = P\"(include)\" OUTPUT_NAME = \"inc\" }\n"
            "listed: +gen { C_FILES = P\"(i.c)\" INCLUDE = [P\"(include)\"] OUTPUT_NAME = \"l\" }\n"
            "gen: { NO_TOOL = 1 ^INCLUDE = P\"(gen/include)\" }\n"}});
    struct Case {
        const char* target;
        std::string warning;  // empty: none
    };
    const Case cases[] = {
        {"app",
         "[u::app] Dependency output 'p/lib::objs' collides with the variable 'LIB' of its tool "
         "'x86_64-linux-gnu-gcc' in target p/u::app. Names are case-insensitive; this may make "
         "dependency output ambiguous.\n"},
        {"inc",
         "[u::inc] Merging INCLUDE of dependency p/u::gen into target p/u::inc appends a path to "
         "the one path INCLUDE holds, which makes a single path with a blank in it, but the tool "
         "takes INCLUDE as a list of paths. Write it as a list: INCLUDE = [P\"(include)\"].\n"},
        {"listed", ""},
    };
    for (const Case& c : cases) {
        const auto result = rilk({std::string("u::") + c.target});
        if (c.warning.empty()) {
            EXPECT_EQ(result.out.find("Merging"), std::string::npos) << result.out;
            EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
        } else {
            EXPECT_NE(result.out.find(c.warning), std::string::npos) << result.out;
        }
    }
}

TEST_F(GnuMessages, AnArchiveNamedLikeAnOptionIsMade) {
    write({{"rilk.txt",
            "unit u\nobjs: { C_FILES = P\"(a.c)\" C_FLAGS = \"-c\" }\n"
            "lib: +objs { OBJS OUTPUT_NAME = \"-v.a\" }\n"}});
    const auto result = rilk({"lib"});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_TRUE(fs::is_regular_file(work.path() / "out/x86_64-linux-gnu/u/lib/-v.a"))
        << result.out << result.err;
}

TEST_F(GnuMessages, AProjectPathThatLeavesNoRoomForItsOutputDirectoryIsNamed) {
    // A working directory of 4075 bytes: its project file's path still fits the system's
    // 4095, the output directory's does not.
    std::string deep;
    while (work.path().string().size() + deep.size() + 202 < 4075) {
        deep += std::string(200, 'd') + "/";
    }
    deep += std::string(4075 - work.path().string().size() - deep.size() - 1, 'e');
    write({{deep + "/rilk.txt", "unit u\np: { C_FILES = P\"(m.c)\" }\n"},
           {deep + "/m.c", "int main(void) { return 0; }\n"}});
    const fs::path out = work.path() / deep / "out/x86_64-linux-gnu/u/p";
    const auto result = rilk({"p"}, deep);
    EXPECT_EQ(lastLine(result.out),
              "Error: Cannot create the output directory '" + out.string() +
                  "' of u::p: File name too long. Its path has 4100 bytes, more than the system "
                  "takes (4095); move the project to a shorter path.\n");
    EXPECT_EQ(result.exitCode, 1);
}

}  // namespace
