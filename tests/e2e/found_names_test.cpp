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

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

/// How often `path` stands whole in the -o file's text, as a plain or a raw path literal.
std::size_t countPath(const std::string& text, const std::string& path) {
    return count(text, path + "\"") + count(text, path + ")\"");
}

TEST_F(FoundNames, GlobMatchesReachDependantsAsTheyAre) {
    const char* const names[] = {"${HOME}.c", "#{foo}.c", "st*.c", "starfish.c"};
    for (const char* name : names) write({{std::string("src/") + name, "\n"}});
    write({{"rilk.txt", R"x(unit u
app: +files { NO_TOOL = 1 ^G = F }
files: { NO_TOOL = 1 ^F = P"(src/*.c)" }
show: files { cmdline = "printf '<%s>' '${files.F}'" }
)x"}});
    const auto result = rilk({"-o", "out.txt"});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    const std::string written = readFile(work.path() / "out.txt");
    for (const char* name : names) {
        EXPECT_EQ(countPath(written, dir() + "/src/" + name), 2u) << name << "\n" << written;
    }
    EXPECT_EQ(count(written, "/src/"), 8u) << written;
    // Inserted into a command by a reference, they are still the same names.
    const auto shown = rilk({"show"});
    ASSERT_EQ(shown.exitCode, 0) << shown.out << shown.err;
    std::string line;
    for (const char* name : {"#{foo}.c", "${HOME}.c", "st*.c", "starfish.c"}) {
        line += (line.empty() ? "" : " ") + dir() + "/src/" + name;
    }
    EXPECT_NE(shown.out.find("\n<" + line + ">"), std::string::npos) << shown.out;
}

TEST_F(FoundNames, AProjectDirectoryIsNeitherExpandedNorGlobbed) {
    // A sibling that the directory's name would match as a pattern.
    write({{"projX/src/main.c", "\n"},
           {"proj?/.rilk_project.txt", "name p\nunits { u { \"rilk.txt\" } }\n"},
           {"proj?/src/main.c", "\n"},
           {"proj?/rilk.txt", R"x(unit u
app: { NO_TOOL = 1 ^f = P"(src/main.c)" ^root = project_root }
)x"}});
    const std::string project = dir() + "/proj?";
    for (int run = 0; run < 2; ++run) {
        const auto result = rilk({"-o", "out.txt"}, "proj?");
        ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
        const std::string written = readFile(work.path() / "proj?/out.txt");
        EXPECT_EQ(countPath(written, project + "/src/main.c"), 1u) << written;
        EXPECT_EQ(count(written, "projX"), 0u) << written;
        EXPECT_EQ(count(written, "\"" + project + "\"") + count(written, "(" + project + ")"), 1u)
            << written;
        // Also once the file is gone, the path names it and nothing else.
        fs::remove(work.path() / "proj?/src/main.c");
    }
}

TEST_F(FoundNames, AProjectDirectoryHoldingAReferenceKeepsItsOutputsInside) {
    const std::string root = "dollar ${HOME} x";
    write({{root + "/.rilk_project.txt", "name p\nunits { u { \"rilk.txt\" } }\n"},
           {root + "/rilk.txt", R"x(unit u
app: { NO_TOOL = 1 ^out = "${project_root}/out" ^here = cwd }
)x"}});
    const auto result = rilk({"-o", "out.txt"}, root);
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    const std::string written = readFile(work.path() / root / "out.txt");
    EXPECT_NE(written.find("\"" + dir() + "/" + root + "/out\""), std::string::npos) << written;
    EXPECT_NE(written.find("\"" + dir() + "/" + root + "\""), std::string::npos) << written;
}

}  // namespace
