#include "tools/tool_probe.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "tools/fake_toolchain.h"

namespace {

namespace fs = std::filesystem;

TEST(ToolProbe, CommandTextQuotesTheToolAndClosesInput) {
    EXPECT_EQ(Rilk::toolCommandText("/usr/bin/gcc-12", "-dumpmachine"),
              "'/usr/bin/gcc-12' -dumpmachine </dev/null 2>/dev/null");
    EXPECT_EQ(Rilk::toolCommandText("/o'k/$x/gcc", "-v"),
              "'/o'\\''k/$x/gcc' -v </dev/null 2>/dev/null");
}

TEST(ToolProbe, OutputIsTrimmedAndStatusIsTheExitCode) {
    RilkTest::TempDir dir;
    // The tool's path must reach the shell literally: command substitution would create
    // the marker file.
    const std::string marker = (dir.path() / "injected").string();
    const fs::path tool = dir.path() /
                          ("a $HOME `touch " + marker + "` $(touch " + marker +
                           ") 'single' \"double\" back\\slash\nnewline") /
                          "gcc";
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
        {"echo \"$0\"\n", tool.native(), 0},
        {"echo \"[$(cat)]\"\n", "[]", 0},  // the probe gets no input
        // The shell that runs the tool is killed (never the test process itself).
        {"echo partial\n[ \"$PPID\" != " + std::to_string(getpid()) + " ] && kill -KILL $PPID\n",
         "partial", -1},
    };
    // Standard input is a pipe holding some text while the probes run.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], "typed\n", 6), 6);
    close(fds[1]);
    const int savedInput = dup(0);
    dup2(fds[0], 0);
    close(fds[0]);
    for (const auto& [body, output, status] : cases) {
        const auto result = Rilk::runToolCapture(RilkTest::writeScript(tool, body), "-dumpversion");
        EXPECT_EQ(result.output.native(), output) << body;
        EXPECT_EQ(result.exitStatus, status) << body;
    }
    dup2(savedInput, 0);
    close(savedInput);
    EXPECT_FALSE(fs::exists(marker));
    const auto missing = Rilk::runToolCapture(dir.path() / "no-such-gcc", "-v");
    EXPECT_EQ(missing.output, "");
    EXPECT_GT(missing.exitStatus, 0);
}

TEST(ToolProbe, AToolThatNeverAnswersIsStoppedWithEverythingItStarted) {
    RilkTest::TempDir dir;
    // A helper holding the output open after the tool ended; a tool that closed its output.
    for (const char* body : {"sleep 60 &\nsleep 60\n", "exec >&-\nsleep 60\n"}) {
        const fs::path tool = RilkTest::writeScript(dir.path() / "gcc", body);
        ::testing::internal::CaptureStdout();
        const auto result =
            Rilk::runToolCapture(tool, "-dumpmachine", std::chrono::milliseconds(300));
        const std::string printed = ::testing::internal::GetCapturedStdout();
        EXPECT_TRUE(result.timedOut) << body;
        EXPECT_EQ(result.exitStatus, -1);
        EXPECT_NE(
            printed.find("Probe '" + tool.string() + "' -dumpmachine did not finish within 0.3 s"),
            std::string::npos)
            << printed;
    }
    EXPECT_FALSE(
        Rilk::runToolCapture(RilkTest::writeScript(dir.path() / "cc", "echo ok\n"), "").timedOut);
}

}  // namespace
