// A changed header is never missed: every header the compiler read counts, those found in
// system folders too, and an edit that gives a header back its time, size and inode is told
// by its status change time.
#include <filesystem>
#include <future>
#include <string>

#include "e2e/c_project.h"

namespace {

namespace fs = std::filesystem;

class ChangedHeader : public CProjectRun {
protected:
    /// The project file, its one tool in `toolchain`.
    static std::string projectFile(const std::string& toolchain) {
        return "name repro\ntools { gcc { tool_type = \"gnu-gcc\" toolchain_path = P\"(" +
               toolchain + ")\" } }\nunits { main { \"rilk.txt\" } }\n";
    }

    /// Removes what a case left in the working directory but the toolchain.
    void clean() const {
        for (const auto& entry : fs::directory_iterator(work.path())) {
            if (entry.path().filename() != "tc") fs::remove_all(entry.path());
        }
    }

    /// Runs a shell command in the working directory; its exit status.
    int shell(const std::string& command) const {
        return RilkTest::runProcess({"/bin/sh", "-c", command},
                                    {.workingDirectory = work.path(), .environment = {}})
            .exitCode;
    }
};

// A header found through -isystem, for gcc and g++, compiled alone (then linked) or
// compiled and linked in one command.
TEST_F(ChangedHeader, AHeaderOfASystemFolderBuildsAgain) {
    const struct {
        const char* label;
        const char* source;
        const char* variable;
        bool compileOnly;
    } cases[] = {
        {"gcc, compile-only", "a.c", "C_FILES", true},
        {"gcc, compiled and linked", "a.c", "C_FILES", false},
        {"g++, compile-only", "a.cpp", "CPP_FILES", true},
        {"g++, compiled and linked", "a.cpp", "CPP_FILES", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        clean();
        const std::string compile = std::string(c.variable) + " = [P\"(" + c.source +
                                    ")\"]  C_FLAGS = \"" + (c.compileOnly ? "-c " : "") +
                                    "-isystem " + dir() + "/sys\"";
        write(
            {{".rilk_project.txt", projectFile("/usr/bin")},
             {"rilk.txt", c.compileOnly ? "unit main\napp: +objs { OBJS  OUTPUT_NAME = \"app\" }\n"
                                          "objs: { " +
                                              compile + " }\n"
                                        : "unit main\napp: { " + compile + " }\n"},
             {"sys/x.h", "#define X 1\n"},
             {c.source,
              "#include <x.h>\n#include <stdio.h>\n"
              "int main(void) { printf(\"%d\\n\", X); return 0; }\n"}});
        ASSERT_EQ(rilk({}).exitCode, 0);
        ASSERT_EQ(programSays(), "1\n");
        write({{"sys/x.h", "#define X 5\n"}});
        ASSERT_EQ(rilk({}).exitCode, 0);
        EXPECT_EQ(programSays(), "5\n");
    }
}

// A header given another content with its time, size and inode kept: after a build, and
// while another target's compile runs, which the target compiled before keeps no record of.
TEST_F(ChangedHeader, AHeaderGivenBackItsTimeBuildsAgain) {
    const std::string redate =
        "touch -r h.h ref && printf '#define K 2\\n' > h.h && touch -r ref h.h";
    const struct {
        const char* label;
        std::string edit;
        bool duringCompile;
    } cases[] = {
        {"cp -p after a build",
         "printf '#define K 2\\n' > new.h && touch -r h.h new.h && cp -p new.h h.h", false},
        {"touch -r after a build", redate, false},
        {"touch -r while another target compiles", redate, true},
    };
    const std::string toolchain = writeGatedToolchain();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        clean();
        write({{".rilk_project.txt", projectFile(toolchain)},
               {"rilk.txt",
                "unit main\napp: +one +two { C_FILES = P\"(main.c)\"  OBJS }\n"
                "one: { C_FILES = [P\"(a.c)\"]  C_FLAGS = \"-c\"  INCLUDE = P\"(.)\" }\n"
                "two: { C_FILES = [P\"(b.c)\"]  C_FLAGS = \"-c\"  INCLUDE = P\"(.)\" }\n"},
               {"h.h", "#define K 1\n"},
               {"a.c", "#include \"h.h\"\nint a(void) { return K; }\n"},
               {"b.c", "#include \"h.h\"\nint b(void) { return K; }\n"},
               {"main.c",
                "#include <stdio.h>\nint a(void);\nint b(void);\n"
                "int main(void) { printf(\"%d %d\\n\", a(), b()); return 0; }\n"}});
        ASSERT_EQ(rilk({}).exitCode, 0);
        ASSERT_EQ(programSays(), "1 1\n");
        if (!c.duringCompile) {
            ASSERT_EQ(shell(c.edit), 0);
        } else {
            // `one` compiles again and waits, its object written, until "go" exists; the
            // header is edited meanwhile, before `two` is planned.
            write({{"a.c", "#include \"h.h\"\nint a(void) { return K + 0; }\n"}, {"slow", ""}});
            auto build = std::async(std::launch::async, [&] { return rilk({}); });
            const bool compiling = await("compiled");
            const int edited = compiling ? shell(c.edit) : -1;
            fs::remove(work.path() / "slow");
            write({{"go", ""}});
            ASSERT_TRUE(compiling) << "the compile never started";
            ASSERT_EQ(edited, 0);
            ASSERT_EQ(build.get().exitCode, 0);
        }
        ASSERT_EQ(rilk({}).exitCode, 0);
        EXPECT_EQ(programSays(), "2 2\n");
    }
}

}  // namespace
