// A command that ignores SIGINT, SIGTERM and SIGHUP does not keep an interrupted run
// waiting: a second signal, or a few seconds after the first, kills it, and what it had
// begun to write is removed.
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/jobs/build_interrupt.h"
#include "e2e/rilk_run.h"
#include "support/started_process.h"
#include "support/wait_until.h"

namespace {

namespace fs = std::filesystem;

class StubbornCommand : public RilkRun {};

TEST_F(StubbornCommand, IsKilledOnASecondSignalOrAfterAGraceTime) {
    write({{"rilk.txt",
            "unit u\nt: {\n    ^OUT = P\"(out.txt)\"\n"
            "    cmdline = \"trap '' INT TERM HUP; echo partial > out.txt; sleep 15\"\n}\n"}});
    const std::vector<int> cases[] = {
        {SIGINT}, {SIGINT, SIGINT}, {SIGINT, SIGTERM}, {SIGTERM, SIGTERM}};
    for (const std::vector<int>& signals : cases) {
        SCOPED_TRACE(testing::Message() << signals.size() << " signals, first " << signals[0]);
        fs::remove(work.path() / "out.txt");
        const pid_t pid = RilkTest::startProcess({RILK_BINARY}, work.path(), userEnvironment());
        // The shell ignores the signals from before it writes, and so does its sleep.
        if (!RilkTest::waitForFile(work.path() / "out.txt")) {
            RilkTest::killWithCommands(pid);
            FAIL() << "the command never started";
        }
        const auto firstSent = std::chrono::steady_clock::now();
        for (std::size_t i = 0; i < signals.size(); ++i) {
            // Each signal is sent once rilk has taken the one before: two of a kind sent
            // together may arrive as one.
            if (i > 0) {
                RilkTest::waitUntil([&] { return !RilkTest::signalPending(pid, signals[i - 1]); });
            }
            ::kill(pid, signals[i]);
        }
        // One signal: the command is killed once the grace time has passed, not before.
        // Two: the run ends while that time has not passed yet, so the second signal
        // ended it.
        const std::chrono::milliseconds limit =
            signals.size() == 1
                ? RilkTest::kHangGuard
                : std::chrono::duration_cast<std::chrono::milliseconds>(
                      Rilk::kStubbornCommandGrace - (std::chrono::steady_clock::now() - firstSent));
        std::optional<int> status = RilkTest::waitExitWithin(pid, limit);
        const auto took = std::chrono::steady_clock::now() - firstSent;
        if (!status) {
            ADD_FAILURE() << "still running " << std::chrono::duration<double>(took).count()
                          << " s after the first signal";
            status = RilkTest::waitExit(pid);
        }
        EXPECT_EQ(*status, 128 + signals[0]);
        if (signals.size() == 1) {
            EXPECT_GE(took, Rilk::kStubbornCommandGrace);
        }
        EXPECT_FALSE(fs::exists(work.path() / "out.txt")) << "the partial output is left";
        EXPECT_FALSE(fs::exists(work.path() / ".rilk_journal"));
    }
}

}  // namespace
