#include "tools/tool_probe.h"

#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "tools/fake_toolchain.h"

namespace {

using Rilk::runToolCapture;
using RilkTest::writeScript;

TEST(ToolProbe, CommandTextQuotesTheToolAndClosesInput) {
    EXPECT_EQ(Rilk::toolCommandText("/usr/bin/gcc-12", "-dumpmachine"),
              "'/usr/bin/gcc-12' -dumpmachine </dev/null 2>/dev/null");
    EXPECT_EQ(Rilk::toolCommandText("/o'k/$x/gcc", "-v"),
              "'/o'\\''k/$x/gcc' -v </dev/null 2>/dev/null");
}

TEST(ToolProbe, OutputIsTrimmedAndStatusIsTheExitCode) {
    const std::string line(2000, 'v');
    const std::tuple<std::string, std::string, int> cases[] = {
        {"echo x86_64-linux-gnu\n", "x86_64-linux-gnu", 0},
        {"printf 'first\\nsecond\\n'\n", "first\nsecond", 0},
        {"printf ' \\n\\t\\r\\n  \\n'\n", "", 0},
        {"echo 12.2.0; exit 3\n", "12.2.0", 3},
        {"printf '\\t a\\001 \\r\\n'\n", "a\001", 0},
        {"echo kept; echo dropped >&2\n", "kept", 0},
        {"echo \"$#:$1\"\n", "1:-dumpversion", 0},
        {"echo " + line + "; echo " + line + "\n", line + "\n" + line, 0},
    };
    RilkTest::TempDir dir;
    for (const auto& [body, output, status] : cases) {
        const Rilk::ToolRunResult result =
            runToolCapture(writeScript(dir.path() / "tool", body), "-dumpversion");
        EXPECT_EQ(result.output.native(), output) << body;
        EXPECT_EQ(result.exitStatus, status) << body;
    }
    const Rilk::ToolRunResult missing = runToolCapture(dir.path() / "no-such-gcc", "-v");
    EXPECT_EQ(missing.output, "");
    EXPECT_GT(missing.exitStatus, 0);
}

TEST(ToolProbe, PathCharactersReachTheShellLiterally) {
    RilkTest::TempDir dir;
    // A marker file that command substitution in the path would create.
    const std::string marker = (dir.path() / "injected").string();
    const std::string odd = "a $HOME `touch " + marker + "` $(touch " + marker +
                            ") 'single' \"double\" back\\slash\nnewline";
    const auto tool = writeScript(dir.path() / odd / "gcc", "echo \"$0\"\n");
    const Rilk::ToolRunResult result = runToolCapture(tool, "-dumpmachine");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.output.native(), tool.native());
    EXPECT_FALSE(std::filesystem::exists(marker));
}

TEST(ToolProbe, ProbedProgramGetsNoInput) {
    RilkTest::TempDir dir;
    const auto tool = writeScript(dir.path() / "reader", "echo \"[$(cat)]\"\n");
    // Standard input becomes a pipe holding some text while the probe runs.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], "typed\n", 6), 6);
    close(fds[1]);
    const int saved = dup(0);
    dup2(fds[0], 0);
    close(fds[0]);
    const std::string output = runToolCapture(tool, "").output.native();
    dup2(saved, 0);
    close(saved);
    EXPECT_EQ(output, "[]");
}

TEST(ToolProbe, ShellEndedBySignalGivesMinusOneAndKeepsOutput) {
    RilkTest::TempDir dir;
    // Kills the shell that runs it, never the test process itself.
    const auto tool = writeScript(
        dir.path() / "killer",
        "echo partial\n[ \"$PPID\" != " + std::to_string(getpid()) + " ] && kill -KILL $PPID\n");
    const Rilk::ToolRunResult result = runToolCapture(tool, "");
    EXPECT_EQ(result.output.native(), "partial");
    EXPECT_EQ(result.exitStatus, -1);
}

}  // namespace
