// Runs in a project and in the projects it imports share one record of each target: they
// never take each other's outputs for changed, a project reached by two imports is loaded
// once, and what a killed run left in an imported project is cleaned up by the next run
// that builds there.
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "e2e/rilk_run.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class ImportedProjects : public RilkRun {
protected:
    /// The commands of C compiles and of the copy targets a run ran, by their lines.
    static std::size_t jobs(const RilkTest::ProcessResult& result) {
        std::size_t count = 0;
        for (const char* command : {" -c ", kCopy}) {
            for (std::size_t at = result.out.find(command); at != std::string::npos;
                 at = result.out.find(command, at + 1)) {
                ++count;
            }
        }
        return count;
    }

    /// The project in folder `project`, named so, with `imports` (its sections before the
    /// units): its target u::t writes out.txt from src.in, in the project's folder whichever
    /// run builds it, on any day.
    void writeCopyProject(const std::string& project, const std::string& imports) const {
        write({{project + "/.rilk_project.txt",
                "name " + project + "\n" + imports + "units { u { \"rilk.txt\" } }\n"},
               {project + "/src.in", "x\n"},
               {project + "/rilk.txt",
                "unit u\nt: {\n    SRC = P\"(src.in)\"\n    ^OUT = P\"(out.txt)\"\n"
                "    cwd = P\"(.)\"  day = 0  month = 0  year = 0\n"
                "    cmdline = \"" +
                    std::string(kCopy) + "\"\n}\n"}});
    }

    std::string read(const std::string& relative) const {
        return RilkTest::readFile(work.path() / relative);
    }

    static constexpr const char* kCopy = "cat src.in > out.txt";
};

// The command target of lib, or an archive of two C objects, built by runs in lib and in
// app, which imports lib, alternately: once built in either, it is built in neither.
TEST_F(ImportedProjects, AlternateRunsInAProjectAndOneItImportsBuildNothingOnceBuilt) {
    const std::string gcc =
        "tools { gcc { tool_type = \"gnu-gcc\" toolchain_path = P\"(/usr/bin)\" } }\n";
    const struct {
        const char* what;
        std::string import;  ///< app's import of lib
        std::string main;    ///< app's main target
        bool compiles;       ///< lib's target is an archive of C objects
    } cases[] = {
        {"command target", "\"../lib/.rilk_project.txt\";", "all: lib/u::t { NO_TOOL = 1 }", false},
        {"under a namespace of the importer's", "\"../lib/.rilk_project.txt\" mylib;",
         "all: mylib/u::t { NO_TOOL = 1 }", false},
        {"C objects", "\"../lib/.rilk_project.txt\";", "app: +lib/u::t { C_FILES = P\"(main.c)\" }",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.compiles && !fs::exists("/usr/bin/gcc")) continue;
        fs::remove_all(work.path() / "lib");
        fs::remove_all(work.path() / "app");
        writeCopyProject("lib", c.compiles ? gcc : "");
        if (c.compiles) {
            write({{"lib/rilk.txt",
                    "unit u\nt: +objs { OBJS OUTPUT_NAME = \"libl.a\" }\n"
                    "objs: { C_FILES = [P\"(a.c)\", P\"(b.c)\"] C_FLAGS = \"-c\" }\n"},
                   {"lib/a.c", "int a(void) { return 0; }\n"},
                   {"lib/b.c", "int b(void) { return 1; }\n"},
                   {"app/main.c", "int a(void);\nint main(void) { return a(); }\n"}});
        }
        write({{"app/.rilk_project.txt", "name app\nimport { " + c.import + " }\n" +
                                             (c.compiles ? gcc : "") +
                                             "units { m { \"rilk.txt\" } }\n"},
               {"app/rilk.txt", "unit m\n" + c.main + "\n"}});
        const auto first = rilk({}, "app");
        ASSERT_EQ(first.exitCode, 0) << first.out;
        EXPECT_GT(jobs(first), 0U) << first.out;
        const std::vector<std::vector<std::string>> runs = {{"lib", "t"}, {"app"}, {"lib", "t"}};
        for (const std::vector<std::string>& run : runs) {
            const std::vector<std::string> args(run.begin() + 1, run.end());
            const auto again = rilk(args, run.front());
            EXPECT_EQ(again.exitCode, 0) << again.out;
            EXPECT_EQ(jobs(again), 0U) << "in " << run.front() << ":\n" << again.out;
        }
        // One record of lib's targets, in lib's own cache, under lib's own name.
        EXPECT_EQ(read("app/.rilk_cache").find("lib/u::t"), std::string::npos);
        EXPECT_NE(read("lib/.rilk_cache").find("lib/u::t"), std::string::npos);
    }
}

// a imports b and c, b imports c: one project c, loaded once, however its path is spelled.
TEST_F(ImportedProjects, AProjectReachedByTwoImportsUnderOneNamespaceIsLoadedOnce) {
    writeCopyProject("c", "");
    fs::create_directory_symlink(work.path() / "c", work.path() / "c-link");
    write({{"other/.rilk_project.txt", "name c\nunits { u { \"rilk.txt\" } }\n"},
           {"a/.rilk_project.txt",
            "name a\nimport { \"../b/.rilk_project.txt\"; \"../c/.rilk_project.txt\"; }\n"
            "units { m { \"rilk.txt\" } }\n"},
           {"a/rilk.txt", "unit m\nall: b/u::t c/u::t { NO_TOOL = 1 }\n"},
           {"b/rilk.txt", "unit u\nt: c/u::t { NO_TOOL = 1 }\n"}});
    const std::string importsOfB[] = {"\"../c/.rilk_project.txt\";",
                                      "\"../c-link/../c/./.rilk_project.txt\";",
                                      "\"../c-link/.rilk_project.txt\";"};
    for (const std::string& import : importsOfB) {
        SCOPED_TRACE(import);
        fs::remove(work.path() / "c/out.txt");
        write({{"b/.rilk_project.txt",
                "name b\nimport { " + import + " }\nunits { u { \"rilk.txt\" } }\n"}});
        const auto first = rilk({}, "a");
        EXPECT_EQ(first.exitCode, 0) << first.out;
        EXPECT_EQ(jobs(first), 1U) << first.out;
        const auto second = rilk({}, "a");
        EXPECT_EQ(second.exitCode, 0) << second.out;
        EXPECT_EQ(jobs(second), 0U) << second.out;
        EXPECT_EQ(read("c/out.txt"), "x\n");
    }
    // Two project files under one namespace stay an error.
    write({{"b/.rilk_project.txt",
            "name b\nimport { \"../other/.rilk_project.txt\"; }\nunits { u { \"rilk.txt\" } }\n"}});
    const auto clash = rilk({}, "a");
    const std::string root = fs::canonical(work.path()).string();
    EXPECT_EQ(clash.exitCode, 1);
    EXPECT_EQ(clash.out, "Error: Project namespace 'c' is used more than once: by '" + root +
                             "/other/.rilk_project.txt' imported by '" + root +
                             "/b/.rilk_project.txt' and by '" + root +
                             "/c/.rilk_project.txt' imported by '" + root +
                             "/a/.rilk_project.txt'. Import each project once, or give each "
                             "import a namespace of its own.\n");
}

// A run in b was killed while its command wrote b's out.txt: its journal names the file. A
// run in a, which imports b, removes the half-written file and builds it again; the next
// run in b finds nothing to clean up and nothing to build.
TEST_F(ImportedProjects, ARunImportingAProjectFinishesTheJournalAKilledRunLeftThere) {
    writeCopyProject("b", "");
    write({{"a/.rilk_project.txt",
            "name a\nimport { \"../b/.rilk_project.txt\"; }\nunits { m { \"rilk.txt\" } }\n"},
           {"a/rilk.txt", "unit m\nall: b/u::t { NO_TOOL = 1 }\n"},
           {"b/out.txt", "half"}});
    struct stat folder {};
    ASSERT_EQ(::stat((work.path() / "b").c_str(), &folder), 0);
    const std::string out = (work.path() / "b/out.txt").string();
    // The output did not exist when the killed run recorded it.
    write({{"b/.rilk_journal", "rilk run journal 2\n0 0 0 0 0 0 " + std::to_string(folder.st_dev) +
                                   " " + std::to_string(folder.st_ino) + " " +
                                   std::to_string(out.size()) + " " + out + "\n"}});
    const auto inA = rilk({}, "a");
    EXPECT_EQ(inA.exitCode, 0) << inA.out;
    EXPECT_NE(inA.out.find("The last run in the imported project '" +
                           fs::canonical(work.path() / "b").string() +
                           "' was killed; removed 1 output file it had changed.\n"),
              std::string::npos)
        << inA.out;
    EXPECT_EQ(jobs(inA), 1U) << inA.out;
    EXPECT_FALSE(fs::exists(work.path() / "b/.rilk_journal"));
    EXPECT_EQ(read("b/out.txt"), "x\n");

    const auto inB = rilk({}, "b");
    EXPECT_EQ(inB.exitCode, 0) << inB.out;
    EXPECT_EQ(inB.out.find("killed"), std::string::npos) << inB.out;
    EXPECT_EQ(jobs(inB), 0U) << inB.out;
    EXPECT_EQ(read("b/out.txt"), "x\n");
}

}  // namespace
