// Names that rilk finds on the file system (a glob's matches, the project's directory) are
// taken literally wherever they go: never expanded or globbed again.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "e2e/rilk_run.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

using FoundNames = RilkRun;

using RilkTest::readFile;

TEST_F(FoundNames, GlobMatchesReachDependantsAsTheyAre) {
    const char* const names[] = {"${HOME}.c", "#{foo}.c", "st*.c", "starfish.c"};
    for (const char* name : names) write({{std::string("src/") + name, "\n"}});
    write({{"rilk.txt", R"x(unit u
app: +files { NO_TOOL = 1 ^G = F }
files: { NO_TOOL = 1 ^F = P"(src/*.c)" }
show: files { cmdline = "printf '<%s>' '${files.F}'" }
merged: +files { cmdline = "printf '<%s>' '${F}'" }
)x"}});
    // Given back, "st*.c" would match "starfish.c" too: no line for them, but a warning.
    const auto result = rilk({"-o", "out.txt", "-v", "6"});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(readFile(work.path() / "out.txt"), "");
    for (const char* variable : {"'F'", "'G'"}) {
        EXPECT_NE(result.out.find(std::string("leaves out the variable ") + variable),
                  std::string::npos)
            << result.out;
    }
    // Inserted into a command by a reference, they are still the same names.
    std::string line;
    for (const char* name : {"#{foo}.c", "${HOME}.c", "st*.c", "starfish.c"}) {
        line += (line.empty() ? "" : " ") + dir() + "/src/" + name;
    }
    for (const char* target : {"show", "merged"}) {
        const auto shown = rilk({target});
        ASSERT_EQ(shown.exitCode, 0) << shown.out << shown.err;
        EXPECT_NE(shown.out.find("\n<" + line + ">"), std::string::npos) << target << shown.out;
    }
}

TEST_F(FoundNames, AStarInAPatternMatchesNamesHoldingAStar) {
    write({{"src/*x.c", "\n"},
           {"src/y.c", "\n"},
           {"src/z*.c", "\n"},
           {"inc*[x/h.h", "\n"},
           {"rilk.txt", R"x(unit u
show: { cmdline = "printf '<%s>' '${F}' '${I}'" F = P"(src/*.c)" I = P"(inc*)" }
)x"}});
    const auto result = rilk({});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    const std::string src = dir() + "/src/";
    EXPECT_NE(
        result.out.find("\n<" + src + "*x.c " + src + "y.c " + src + "z*.c><" + dir() + "/inc*[x>"),
        std::string::npos)
        << result.out;
}

TEST_F(FoundNames, AProjectDirectoryIsNeitherExpandedNorGlobbed) {
    // A sibling that the directory's name would match as a pattern.
    write({{"projX/src/main.c", "\n"},
           {"proj?/.rilk_project.txt", "name p\nunits { u { \"rilk.txt\" } }\n"},
           {"proj?/src/main.c", "\n"},
           {"proj?/rilk.txt", R"x(unit u
app: { NO_TOOL = 1 ^f = P"(src/main.c)" ^root = project_root }
show: { cmdline = "printf '<%s>' '${f}'" f = P"(src/main.c)" }
)x"}});
    const std::string project = dir() + "/proj?";
    for (int run = 0; run < 2; ++run) {
        const auto result = rilk({"-o", "out.txt", "-v", "6"}, "proj?");
        ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
        // The path would be globbed when given back: it is left out, with a warning.
        EXPECT_EQ(readFile(work.path() / "proj?/out.txt"), "root = \"" + project + "\"\n");
        EXPECT_NE(result.out.find("leaves out the variable 'f'"), std::string::npos) << result.out;
        const auto shown = rilk({"show"}, "proj?");
        ASSERT_EQ(shown.exitCode, 0) << shown.out << shown.err;
        EXPECT_NE(shown.out.find("\n<" + project + "/src/main.c>"), std::string::npos) << shown.out;
        // Also once the file is gone, the path names it and nothing else.
        fs::remove(work.path() / "proj?/src/main.c");
    }
}

TEST_F(FoundNames, AProjectDirectoryHoldingAReferenceKeepsItsOutputsInside) {
    for (const std::string root : {"dollar ${HOME} x", "hash #{x} y"}) {
        write({{root + "/.rilk_project.txt", "name p\nunits { u { \"rilk.txt\" } }\n"},
               {root + "/rilk.txt", R"x(unit u
a: { NO_TOOL = 1 ^OUTDIR = "${project_root}/gen" ^here = cwd }
b: +a { cmdline = "mkdir -p '${OUTDIR}'" }
c: a { cmdline = "mkdir -p '${a.OUTDIR}2'" }
)x"}});
        const std::string inside = dir() + "/" + root;
        for (const char* target : {"b", "c"}) {
            const auto built = rilk({target}, root);
            ASSERT_EQ(built.exitCode, 0) << root << built.out << built.err;
        }
        EXPECT_TRUE(fs::is_directory(inside + "/gen")) << root;
        EXPECT_TRUE(fs::is_directory(inside + "/gen2")) << root;
        EXPECT_FALSE(fs::exists(dir() + "/dollar  x")) << root;

        // No line of the -o file could give them back as they are: a warning says so.
        const auto result = rilk({"a", "-o", "out.txt"}, root);
        ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
        EXPECT_EQ(readFile(work.path() / root / "out.txt"), "");
        for (const char* variable : {"'OUTDIR'", "'here'"}) {
            EXPECT_NE(result.out.find(std::string("leaves out the variable ") + variable),
                      std::string::npos)
                << result.out;
        }
    }
}

}  // namespace
