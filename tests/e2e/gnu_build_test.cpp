// C programs built with the machine's GCC toolchain, found by --find-compilers: the command
// lines of each GNU tool, where they run, tool choice by toolchain criteria and file names
// that a shell would misread.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/rilk_run.h"
#include "tools/fake_toolchain.h"
#include "support/temp_dir.h"

namespace {

using RilkTest::readFile;

namespace fs = std::filesystem;

const std::string kGcc = "\"/usr/bin/x86_64-linux-gnu-gcc\"";

class GnuBuild : public RilkRun {
protected:
    void SetUp() override {
        if (!fs::exists("/usr/bin/x86_64-linux-gnu-gcc-12")) {
            GTEST_SKIP() << "no GCC 12 for x86_64-linux-gnu in /usr/bin";
        }
    }

    /// Records the machine's toolchains in the test's own registry.
    void findCompilers() const { ASSERT_EQ(rilk({"--find-compilers"}).exitCode, 0); }

    /// The output directory of a target of unit `unit` (namespace `ns`) below `root`.
    static fs::path outputDir(const fs::path& root, const std::string& ns, const std::string& unit,
                              const std::string& target) {
        return root / "out/x86_64-linux-gnu" / ns / unit / target;
    }
    fs::path outputDir(const std::string& target) const {
        return outputDir(work.path(), "", "u", target);
    }

};

/// The lines of `text` that show a command of a tool from /usr/bin.
std::vector<std::string> commandLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.find("] \"/usr/bin/") != std::string::npos ||
            line.find("] : > ") != std::string::npos) {
            lines.push_back(line);
        }
    }
    return lines;
}

/// Whether `line` is a whole line of `text`.
bool hasLine(const std::string& text, const std::string& line) {
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

TEST_F(GnuBuild, EachToolRunsItsCommandInTheOutputDirectory) {
    findCompilers();
    write({{"inc/two.h", "int two(void);\n"},
           {"a.c",
            "#include <math.h>\n#include <stdio.h>\n#include \"two.h\"\n"
            "int main(void) { printf(\"%d %.0f\\n\", two(), sqrt(16.0)); return 0; }\n"},
           {"b.c", "int two(void) { return 2; }\n"},
           {"s.c", "int answer(void) { return 42; }\n"},
           {"rilk.txt", R"x(unit u
all: app shared archive raw { NO_TOOL = 1 }
app: {
    C_FLAGS = "-O2"
    C_FILES = [P"(a.c)", P"(b.c)"]
    INCLUDE = P"(inc)"
    LIB = "-lm"
    OUTPUT_NAME = "app"
}
pic: { C_FLAGS = "-fPIC -c" C_FILES = P"(s.c)" }
shared: +pic { OBJS SO }
archive: +pic { OBJS OUTPUT_NAME = "libanswer.a" }
raw: app { INPUT = "${app.binary}" OBJCOPY_FLAGS = "-O binary" }
)x"}});
    const auto result = rilk({});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    const std::string pic = outputDir("pic").string();
    for (const std::string& line : {
             "[u::app] Output dir: " + outputDir("app").string(),
             "[u::app] : > \"app.d\" && SUNPRO_DEPENDENCIES=\"app.d\" " + kGcc + " -O2 \"" + dir() +
                 "/a.c\" \"" + dir() + "/b.c\" -I\"" + dir() + "/inc\" -o \"app\" \"-lm\"",
             "[u::pic] " + kGcc + " -fPIC -c -MD \"" + dir() + "/s.c\"",
             "[u::shared] \"/usr/bin/x86_64-linux-gnu-ld\" \"" + pic +
                 "/s.o\" -shared  -o \"shared\"",
             "[u::archive] \"/usr/bin/x86_64-linux-gnu-ar\" rcs \"libanswer.a\" \"" + pic +
                 "/s.o\"",
             "[u::raw] \"/usr/bin/x86_64-linux-gnu-objcopy\" -O binary \"" +
                 (outputDir("app") / "app").string() + "\" \"raw\"",
         }) {
        EXPECT_TRUE(hasLine(result.out, line)) << line << "\n" << result.out;
    }
    EXPECT_EQ(RilkTest::runProcess({(outputDir("app") / "app").string()}).out, "2 4\n");
    for (const fs::path& file : {outputDir("pic") / "s.o", outputDir("shared") / "shared",
                                 outputDir("archive") / "libanswer.a", outputDir("raw") / "raw"}) {
        EXPECT_TRUE(fs::is_regular_file(file)) << file;
    }
}

TEST_F(GnuBuild, TheJobCountIsReadInEveryWrittenForm) {
    findCompilers();
    for (int i = 1; i <= 8; ++i) {
        write({{"src/f" + std::to_string(i) + ".c", "int f" + std::to_string(i) + ";\n"}});
    }
    write({{"rilk.txt", "unit u\nparts: { C_FLAGS = \"-c\" C_FILES = P\"(src/*.c)\" }\n"}});
    const std::pair<std::vector<std::string>, std::size_t> cases[] = {
        {{}, 1}, {{"-j", "4"}, 4}, {{"-j4"}, 4}, {{"--jobs=4"}, 4}, {{"-J3"}, 3}};
    for (const auto& [args, jobs] : cases) {
        fs::remove_all(work.path() / "out");
        fs::remove(work.path() / ".rilk_cache");
        const auto result = rilk(args);
        ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
        std::size_t started = 0;
        for (std::size_t at = 0;
             (at = result.out.find("] Starting build job\n", at)) != std::string::npos; ++at) {
            ++started;
        }
        EXPECT_EQ(started, jobs) << testing::PrintToString(args);
    }
}

TEST_F(GnuBuild, CompileOnlySpreadsTheSourcesOverJobsAndHandsTheObjectsOn) {
    findCompilers();
    std::string calls;
    for (int i = 1; i < 8; ++i) {
        const std::string name = "f" + std::to_string(i);
        write({{"src/" + name + ".c",
                "int " + name + "(void) { return " + std::to_string(i) + "; }\n"}});
        calls += (i > 1 ? " + " : "") + name + "()";
    }
    write({{"src/main.c",
            "#include <stdio.h>\nint f1(void), f2(void), f3(void), f4(void), "
            "f5(void), f6(void), f7(void);\nint main(void) { printf(\"%d\\n\", " +
                calls + "); return 0; }\n"},
           {"rilk.txt", R"x(unit u
prog: +parts { OBJS }
parts: { C_FLAGS = "-c" C_FILES = P"(src/*.c)" }
)x"}});
    const auto result = rilk({"-j", "4"});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    // Four jobs of two sources each.
    const std::string compile = "[u::parts] " + kGcc + " -c \"" + dir() + "/src/";
    EXPECT_EQ(commandLines(result.out).size(), 5u) << result.out;
    for (const std::string& line : commandLines(result.out)) {
        if (line.rfind(compile, 0) != 0) continue;
        EXPECT_EQ(line.find("\" \"" + dir() + "/src/"), line.rfind("\" \"" + dir() + "/src/"))
            << line;
    }
    for (const char* object : {"main.o", "f1.o", "f2.o", "f3.o", "f4.o", "f5.o", "f6.o", "f7.o"}) {
        EXPECT_TRUE(fs::is_regular_file(outputDir("parts") / object)) << object;
    }
    EXPECT_EQ(RilkTest::runProcess({(outputDir("prog") / "prog").string()}).out, "28\n");
}

TEST_F(GnuBuild, CommandsRunWithTheToolchainsBinDirectoryFirstInPath) {
    // A toolchain of wrappers around /usr/bin's tools that log where and with which PATH they
    // run; probes are passed through silently.
    const fs::path bin = work.path() / "tc/bin";
    const fs::path log = work.path() / "tools.log";
    for (const char* tool : {"gcc", "g++", "ar", "ld", "objcopy"}) {
        RilkTest::writeScript(
            bin / tool, std::string("case \"$1\" in -dump* | --version) ;;\n*) echo \"") + tool +
                            "|$PWD|${PATH%%:*}\" >> '" + log.string() +
                            "' ;;\nesac\nexec /usr/bin/" + tool + " \"$@\"\n");
    }
    write({{".rilk_project.txt",
            "name w tools { tc { tool_type = \"gnu-gcc\" toolchain_path = "
            "P\"(tc)\" } } units { u { \"rilk.txt\" } }"},
           {"main.c", "int answer(void);\nint main(void) { return answer() - 42; }\n"},
           {"answer.c", "int answer(void) { return 42; }\n"},
           {"rilk.txt", R"x(unit u
app: +archive { C_FILES = P"(main.c)" }
archive: +parts { OBJS OUTPUT_NAME = "libanswer.a" }
parts: { C_FLAGS = "-c" C_FILES = P"(answer.c)" }
)x"}});
    const auto result = rilk({});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    // The link driver finds the toolchain's own ld through PATH as well.
    std::string expected;
    for (const auto& [tool, target] :
         {std::pair{"gcc", "parts"}, {"ar", "archive"}, {"gcc", "app"}, {"ld", "app"}}) {
        expected += std::string(tool) + "|" + outputDir(work.path(), "w", "u", target).string() +
                    "|" + bin.string() + "\n";
    }
    EXPECT_EQ(readFile(log), expected);
    EXPECT_EQ(
        RilkTest::runProcess({(outputDir(work.path(), "w", "u", "app") / "app").string()}).exitCode,
        0);
}

TEST_F(GnuBuild, TheToolchainCriteriaOfATargetChooseTheTool) {
    findCompilers();
    write({{"b.c", "int two(void) { return 2; }\n"}});
    const std::string sources = "C_FLAGS = \"-c\" C_FILES = P\"(b.c)\" ";
    const std::pair<std::string, bool> cases[] = {
        {sources + "ARCH = \"arm\"", false},
        {sources + "ARCH = \"X86_64\"", true},
        {sources + "ARCH = \"\"", true},
        {sources + "TOOLCHAIN_TRIPLET = \"x86_64-linux-gnu\"", true},
        {sources + "TOOLCHAIN_TRIPLET = \"arm-none-eabi\"", false},
        {sources + "TOOLCHAIN_TRIPLET", true},
        {sources + "toolchain_version = [\"11.4.0\", \"12.2.0\"]", true},
        {sources + "toolchain_version = \"12\"", false},
        {sources + "toolchain_min_version = \"12\"", true},
        {sources + "toolchain_min_version = \"13\"", false},
        {sources + "toolchain_min_version = \"0\"", true},
        {"ARCH = \"x86_64\" C_FLAGS = \"-c\" INCLUDE = P\"(.)\"", false},  // no source
    };
    for (const auto& [variables, builds] : cases) {
        write({{"rilk.txt", "unit u\napp: { " + variables + " }\n"}});
        const auto result = rilk({"-v", "6"});
        EXPECT_EQ(result.exitCode, builds ? 0 : 1) << variables << "\n" << result.out;
        if (!builds) {
            EXPECT_EQ(result.out.rfind("Error: No tool to build u::app. The nearest tool, ", 0), 0u)
                << variables << "\n"
                << result.out;
        }
    }
}

TEST_F(GnuBuild, OnEqualScoresTheToolDefinedNearestTheTargetWins) {
    findCompilers();
    const std::string tool = " { tool_type = \"gnu-gcc\" toolchain_path = P\"(/usr/bin)\" } }\n";
    write({{"b.c", "int two(void) { return 2; }\n"},
           {"rilk.txt", "unit u\napp: { C_FLAGS = \"-c\" C_FILES = P\"(b.c)\" }\n"},
           {"dep/rilk.txt", "unit d\n"}});
    struct Case {
        std::string ownTools;
        std::string importedName;  // none: no import
        std::string importedTools;
        std::string chosen;
    };
    // The registry's "default_gnu_..." comes first by name before "demo/" and "lib/", and
    // "base/" before "demo/": each case would go the other way by name alone.
    const Case cases[] = {
        {"tools { mine" + tool, "", "", "demo/mine"},
        {"", "lib", "tools { theirs" + tool, "lib/theirs"},
        {"tools { mine" + tool, "base", "tools { theirs" + tool, "demo/mine"},
    };
    for (const Case& each : cases) {
        const std::string import = each.importedName.empty()
                                       ? ""
                                       : "import { \"dep/.rilk_project.txt\"; }\n";
        write({{".rilk_project.txt",
                "name demo\n" + import + each.ownTools + "units { u { \"rilk.txt\" } }\n"},
               {"dep/.rilk_project.txt", "name " + each.importedName + "\n" + each.importedTools +
                                             "units { d { \"rilk.txt\" } }\n"}});
        const auto result = rilk({"-v", "3"});
        EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
        EXPECT_TRUE(hasLine(result.out, "[u::app] Registered : " + each.chosen))
            << each.chosen << "\n"
            << result.out;
    }
}

TEST_F(GnuBuild, MergedObjectsWinOverTheDependencysNestedContextOfTheSameName) {
    findCompilers();
    // "objs" holds the dependency's outputs and names the same variable as its "OBJS".
    write({{"b.c", "int two(void) { return 2; }\n"},
           {"rilk.txt", R"x(unit u
lib: +objs { OBJS OUTPUT_NAME = "libx.a" }
objs: { C_FILES = P"(b.c)" C_FLAGS = "-c" }
)x"}});
    const auto result = rilk({});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_TRUE(fs::is_regular_file(outputDir("lib") / "libx.a")) << result.out;
    EXPECT_TRUE(hasLine(result.out, "[u::lib] \"/usr/bin/x86_64-linux-gnu-ar\" rcs \"libx.a\" \"" +
                                        (outputDir("objs") / "b.o").string() + "\""))
        << result.out;
    EXPECT_EQ(result.out.find("collides"), result.out.rfind("collides")) << result.out;
}

TEST_F(GnuBuild, AnArchiveIsNamedAfterItsTargetAndLinksByThatName) {
    findCompilers();
    write({{"b.c", "int two(void) { return 2; }\n"},
           {"m.c", "int two(void);\nint main(void) { return two() - 2; }\n"},
           {"rilk.txt", R"x(unit u
app: +core { C_FILES = P"(m.c)" LIB }
core: +objs { OBJS STATIC }
dotted: +objs { OBJS STATIC OUTPUT_NAME = "" }
objs: { C_FILES = P"(b.c)" C_FLAGS = "-c" }
)x"}});
    // Target, the archive's name: OUTPUT_NAME empty adds the archiver's extension.
    const std::pair<std::string, std::string> cases[] = {{"core", "core"}, {"dotted", "dotted.a"}};
    for (const auto& [target, archive] : cases) {
        const auto result = rilk({"-o", "vars.txt", target});
        ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
        EXPECT_TRUE(hasLine(result.out, "[u::" + target + "] \"/usr/bin/x86_64-linux-gnu-ar\" rcs \"" +
                                            archive + "\" \"" +
                                            (outputDir("objs") / "b.o").string() + "\""))
            << result.out;
        EXPECT_EQ(readFile(work.path() / "vars.txt"),
                  "LIB = [ P\"(" + (outputDir(target) / archive).string() + ")\" ]\nLIB_NAME = [ \"" +
                      archive + "\" ]\n");
    }
    const auto linked = rilk({"app"});
    ASSERT_EQ(linked.exitCode, 0) << linked.out << linked.err;
    EXPECT_EQ(RilkTest::runProcess({(outputDir("app") / "app").string()}).exitCode, 0);
}

TEST_F(GnuBuild, OutputsOfARelativeOutputDirGoOnAsFullPaths) {
    findCompilers();
    write({{"f.c", "int two(void) { return 2; }\n"},
           {"m.c", "int two(void);\nint main(void) { return two() - 2; }\n"},
           {"rilk.txt", R"x(unit u
objs: { C_FILES = P"(f.c)" C_FLAGS = "-c" OUTPUT_DIR = "objout" }
lib: +objs { OBJS OUTPUT_NAME = "libx.a" OUTPUT_DIR = "libout" }
app: +lib { C_FILES = P"(m.c)" OUTPUT_NAME = "app" }
)x"}});
    const std::string full = fs::canonical(work.path()).string();
    // The archive is made in its folder as named, and linked through its full path.
    const auto result = rilk({"app"});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("[u::lib] Output dir: libout\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("-o \"app\" \"" + full + "/libout/libx.a\"\n"), std::string::npos)
        << result.out;
    EXPECT_EQ(RilkTest::runProcess({(outputDir("app") / "app").string()}).exitCode, 0);
    ASSERT_EQ(rilk({"-o", "vars.txt", "lib"}).exitCode, 0);
    EXPECT_EQ(readFile(work.path() / "vars.txt"),
              "LIB = [ P\"(" + full + "/libout/libx.a)\" ]\nLIB_NAME = [ \"libx.a\" ]\n");
}

TEST_F(GnuBuild, NamesWithShellCharactersReachTheToolsUnchanged) {
    findCompilers();
    const std::string root = "p r\"o$j`x`";
    const std::string include = "in c\"l$u`d`";
    const std::string source = "sub d$ir/b`q`.c";
    write({{root + "/.rilk_project.txt", "name w\nunits { u { \"rilk.txt\" } }\n"},
           {root + "/" + include + "/two.h", "int two(void);\n"},
           {root + "/m a\"i$n`x`.c",
            "#include <stdio.h>\n#include \"two.h\"\n"
            "int main(void) { printf(\"%d\\n\", two()); return 0; }\n"},
           {root + "/" + source, "int two(void) { return 2; }\n"},
           {root + "/rilk.txt",
            "unit u\n"
            "app: +archive {\n"
            "    C_FILES = P\"(m a\"i$n`x`.c)\"\n"
            "    INCLUDE = P\"(" +
                include +
                ")\"\n"
                "    OUTPUT_NAME = \"a p$p`x`\"\n"
                "}\n"
                "archive: +parts { OBJS OUTPUT_NAME = \"l i$b.a\" }\n"
                "parts: { C_FLAGS = \"-c\" C_FILES = P\"(" +
                source + ")\" }\n"}});
    const auto result = rilk({}, root);
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    const fs::path project = work.path() / root;
    EXPECT_TRUE(hasLine(result.out, "[u::parts] " + kGcc + " -c -MD \"" + dir() +
                                        "/p r\\\"o\\$j\\`x\\`/sub d\\$ir/b\\`q\\`.c\""))
        << result.out;
    EXPECT_TRUE(fs::is_regular_file(outputDir(project, "w", "u", "parts") / "b`q`.o"));
    EXPECT_TRUE(fs::is_regular_file(outputDir(project, "w", "u", "archive") / "l i$b.a"));
    EXPECT_EQ(
        RilkTest::runProcess({(outputDir(project, "w", "u", "app") / "a p$p`x`").string()}).out,
        "2\n");
}

TEST_F(GnuBuild, FoundSourceNamesAreNeverExpandedOrGlobbedAgain) {
    findCompilers();
    // A project directory and sources whose names read as references, groups or patterns.
    const std::string root = "dollar ${HOME} x";
    const std::string sources[] = {"${HOME}.c", "#{foo}.c", "st*.c", "starfish.c"};
    std::string calls;
    std::string declarations;
    for (std::size_t i = 0; i < std::size(sources); ++i) {
        const std::string function = "f" + std::to_string(i);
        write({{root + "/src/" + sources[i],
                "int " + function + "(void) { return " + std::to_string(i + 1) + "; }\n"}});
        declarations += "int " + function + "(void);\n";
        calls += (i > 0 ? " + " : "") + function + "()";
    }
    write({{root + "/.rilk_project.txt", "name w\nunits { u { \"rilk.txt\" } }\n"},
           {root + "/main.c", "#include <stdio.h>\n" + declarations +
                                  "int main(void) { printf(\"%d\\n\", " + calls +
                                  "); return 0; }\n"},
           {root + "/rilk.txt", R"x(unit u
prog: +archive { C_FILES = P"(main.c)" OUTPUT_NAME = "prog" }
archive: +parts { OBJS OUTPUT_NAME = "libparts.a" }
parts: { C_FLAGS = "-c" C_FILES = P"(src/*.c)" }
)x"}});
    const auto result = rilk({}, root);
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    const fs::path project = work.path() / root;
    for (const char* object : {"${HOME}.o", "#{foo}.o", "st*.o", "starfish.o"}) {
        EXPECT_TRUE(fs::is_regular_file(outputDir(project, "w", "u", "parts") / object)) << object;
    }
    EXPECT_FALSE(fs::exists(work.path() / "dollar  x")) << result.out;
    EXPECT_EQ(RilkTest::runProcess({(outputDir(project, "w", "u", "prog") / "prog").string()}).out,
              "10\n")
        << result.out;
}

TEST_F(GnuBuild, TheExampleProjectBuildsItsLibraryAndProgram) {
    const fs::path example = fs::path(RILK_SOURCE_DIR) / "examples/hello";
    for (const char* file : {".rilk_project.txt", "rilk.txt", "src"}) {
        fs::copy(example / file, work.path() / file, fs::copy_options::recursive);
    }
    auto result = rilk({"-j", "2"});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(commandLines(result.out).size(), 3u) << result.out;
    const fs::path out = work.path() / "out/x86_64-linux-gnu/hello/hello";
    EXPECT_TRUE(fs::is_regular_file(out / "greet/libgreet.a"));
    EXPECT_EQ(RilkTest::runProcess({(out / "app/hello").string()}).out,
              "Hello, rilk!\nGoodbye, rilk!\n");

    result = rilk({"-j", "2"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out.find("Starting build job"), std::string::npos) << result.out;

    // A changed library source is compiled alone, then archived and linked in again.
    fs::last_write_time(work.path() / "src/farewell.c",
                        fs::last_write_time(out / "app/hello") + std::chrono::seconds(2));
    result = rilk({"-j", "2"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(commandLines(result.out),
              (std::vector<std::string>{
                  "[hello::greet_objs] " + kGcc + " -O2 -c -MD \"" + dir() +
                      "/src/farewell.c\" -I\"" + dir() + "/src\"",
                  "[hello::greet] \"/usr/bin/x86_64-linux-gnu-ar\" rcs \"libgreet.a\" \"" +
                      (out / "greet_objs/greet.o\" \"").string() +
                      (out / "greet_objs/farewell.o\"").string(),
                  "[hello::app] : > \"hello.d\" && SUNPRO_DEPENDENCIES=\"hello.d\" " + kGcc +
                      " -O2 \"" + dir() + "/src/main.c\" -I\"" + dir() + "/src\" -o \"hello\" \"" +
                      (out / "greet/libgreet.a\"").string()}));
}

}  // namespace
