// A command that ignores SIGINT, SIGTERM and SIGHUP does not keep an interrupted run
// waiting: a second signal, or a few seconds after the first, kills it, and what it had
// begun to write is removed.
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/jobs/build_interrupt.h"
#include "e2e/rilk_run.h"
#include "support/started_process.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace {

namespace fs = std::filesystem;

class StubbornCommand : public RilkRun {};

/// Whether the process `pid` is seen to have ended before `deadline`: a look counts only when
/// it was over before the deadline.
bool endsBefore(pid_t pid, std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return RilkTest::waitUntil(
        [&] {
            const bool ended = RilkTest::processEnded(pid);
            return ended && std::chrono::steady_clock::now() < deadline;
        },
        std::max(left, std::chrono::milliseconds(0)));
}

TEST_F(StubbornCommand, IsKilledOnASecondSignalOrAfterAGraceTime) {
    write({{"rilk.txt",
            "unit u\nt: {\n    ^OUT = P\"(out.txt)\"\n"
            "    cmdline = \"trap '' INT TERM HUP; echo $$ > shell.pid; echo partial > out.txt; "
            "sleep 15\"\n}\n"}});
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
        const pid_t shell = std::stoi(RilkTest::readFile(work.path() / "shell.pid"));
        const auto firstSent = std::chrono::steady_clock::now();
        for (std::size_t i = 0; i < signals.size(); ++i) {
            // Each signal is sent once rilk has taken the one before: two of a kind sent
            // together may arrive as one.
            if (i > 0) {
                RilkTest::waitUntil([&] { return !RilkTest::signalPending(pid, signals[i - 1]); });
            }
            ::kill(pid, signals[i]);
        }
        // rilk takes the first signal after it was sent, so the grace time ends after
        // `firstSent` + grace. One signal: the command lives until then. Two: it has ended
        // before, so the second signal ended it.
        const auto graceEnd = firstSent + Rilk::kStubbornCommandGrace;
        const bool endedInGrace = endsBefore(shell, graceEnd);
        EXPECT_EQ(endedInGrace, signals.size() > 1);
        std::optional<int> status = RilkTest::waitExitWithin(pid, RilkTest::kHangGuard);
        if (!status) FAIL() << "the run did not end";  // killed by the wait
        EXPECT_EQ(*status, 128 + signals[0]);
        EXPECT_FALSE(fs::exists(work.path() / "out.txt")) << "the partial output is left";
        EXPECT_FALSE(fs::exists(work.path() / ".rilk_journal"));
    }
}

}  // namespace
