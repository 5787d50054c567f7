#include "tools/tool_probe.h"

#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "tools/fake_toolchain.h"

namespace {

using RilkTest::TempDir;
using RilkTest::writeScript;

TEST(ToolProbe, CommandTextQuotesTheToolAndClosesInput) {
    EXPECT_EQ(Rilk::toolCommandText("/usr/bin/gcc-12", "-dumpmachine"),
              "'/usr/bin/gcc-12' -dumpmachine </dev/null 2>/dev/null");
    EXPECT_EQ(Rilk::toolCommandText("/o'k/$x/gcc", "-v"),
              "'/o'\\''k/$x/gcc' -v </dev/null 2>/dev/null");
}

TEST(ToolProbe, OutputIsTrimmedAndStatusIsTheExitCode) {
    struct Case {
        const char* body;
        std::string output;
        int status;
    };
    const Case cases[] = {
        {"echo x86_64-linux-gnu\n", "x86_64-linux-gnu", 0},
        {"printf 'first\\nsecond\\n'\n", "first\nsecond", 0},
        {"printf ' \\n\\t\\r\\n  \\n'\n", "", 0},
        {"echo 12.2.0; exit 3\n", "12.2.0", 3},
        {"printf '\\t a\\001 \\r\\n'\n", "a\001", 0},
        {"echo kept; echo dropped >&2\n", "kept", 0},
        {"echo \"$#:$1\"\n", "1:-dumpversion", 0},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const auto tool = writeScript(dir.path() / "tool", c.body);
        const Rilk::ToolRunResult result = Rilk::runToolCapture(tool, "-dumpversion");
        EXPECT_EQ(result.output.native(), c.output) << c.body;
        EXPECT_EQ(result.exitStatus, c.status) << c.body;
    }
}

TEST(ToolProbe, LongOutputComesBackWhole) {
    TempDir dir;
    const std::string line(2000, 'v');
    const auto tool = writeScript(dir.path() / "long", "echo " + line + "\necho " + line + "\n");
    EXPECT_EQ(Rilk::runToolCapture(tool, "").output.native(), line + "\n" + line);
}

TEST(ToolProbe, MissingToolGivesNoOutputAndFailure) {
    TempDir dir;
    const Rilk::ToolRunResult result = Rilk::runToolCapture(dir.path() / "no-such-gcc", "-v");
    EXPECT_TRUE(result.output.empty());
    EXPECT_NE(result.exitStatus, 0);
    EXPECT_NE(result.exitStatus, -1);
}

TEST(ToolProbe, PathCharactersReachTheShellLiterally) {
    TempDir dir;
    // A marker file that command substitution in the path would create.
    const std::string marker = (dir.path() / "injected").string();
    const std::string odd = "a $HOME `touch " + marker + "` $(touch " + marker +
                            ") 'single' \"double\" back\\slash\nnewline";
    const auto tool = writeScript(dir.path() / odd / "gcc", "echo \"$0\"\n");
    const Rilk::ToolRunResult result = Rilk::runToolCapture(tool, "-dumpmachine");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.output.native(), tool.native());
    EXPECT_FALSE(std::filesystem::exists(marker));
}

/// Replaces standard input with a pipe holding some text for the lifetime of the object.
class PipedStdin {
  public:
    explicit PipedStdin(const std::string& text) {
        int fds[2];
        EXPECT_EQ(pipe(fds), 0);
        EXPECT_EQ(write(fds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
        close(fds[1]);
        saved_ = dup(0);
        dup2(fds[0], 0);
        close(fds[0]);
    }
    ~PipedStdin() {
        dup2(saved_, 0);
        close(saved_);
    }

  private:
    int saved_ = -1;
};

TEST(ToolProbe, ProbedProgramGetsNoInput) {
    TempDir dir;
    const auto tool = writeScript(dir.path() / "reader", "echo \"[$(cat)]\"\n");
    PipedStdin input("from the terminal\n");
    EXPECT_EQ(Rilk::runToolCapture(tool, "").output.native(), "[]");
}

TEST(ToolProbe, ShellEndedBySignalGivesMinusOneAndKeepsOutput) {
    TempDir dir;
    // Kills the shell that runs it, never the test process itself.
    const auto tool = writeScript(
        dir.path() / "killer",
        "echo partial\n[ \"$PPID\" != " + std::to_string(getpid()) + " ] && kill -KILL $PPID\n");
    const Rilk::ToolRunResult result = Rilk::runToolCapture(tool, "");
    EXPECT_EQ(result.output.native(), "partial");
    EXPECT_EQ(result.exitStatus, -1);
}

}  // namespace
