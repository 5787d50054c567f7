// A command that ignores SIGINT, SIGTERM and SIGHUP does not keep an interrupted run
// waiting: a second signal, or a few seconds after the first, kills it, and what it had
// begun to write is removed.
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "e2e/rilk_run.h"
#include "support/started_process.h"
#include "support/wait_until.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class StubbornCommand : public RilkRun {};

TEST_F(StubbornCommand, IsKilledOnASecondSignalOrAfterAGraceTime) {
    write({{"rilk.txt",
            "unit u\nt: {\n    ^OUT = P\"(out.txt)\"\n"
            "    cmdline = \"trap '' INT TERM HUP; echo partial > out.txt; sleep 15\"\n}\n"}});
    struct Case {
        std::vector<int> signals;  ///< sent 300 ms apart
        std::chrono::milliseconds atLeast;
        std::chrono::milliseconds atMost;
    };
    const Case cases[] = {
        {{SIGINT}, 4500ms, 9000ms},
        {{SIGINT, SIGINT}, 0ms, 3000ms},
        {{SIGINT, SIGTERM}, 0ms, 3000ms},
        {{SIGTERM, SIGTERM}, 0ms, 3000ms},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.signals.size() << " signals, first " << c.signals[0]);
        fs::remove(work.path() / "out.txt");
        const pid_t pid = RilkTest::startProcess({RILK_BINARY}, work.path(), userEnvironment());
        // The shell ignores the signals from before it writes, and so does its sleep.
        if (!RilkTest::waitForFile(work.path() / "out.txt")) {
            RilkTest::killWithCommands(pid);
            FAIL() << "the command never started";
        }
        const auto start = std::chrono::steady_clock::now();
        for (std::size_t i = 0; i < c.signals.size(); ++i) {
            if (i > 0) std::this_thread::sleep_for(300ms);
            ::kill(pid, c.signals[i]);
        }
        const int status = RilkTest::waitExit(pid);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(status, 128 + c.signals[0]);
        EXPECT_GE(took, c.atLeast);
        EXPECT_LE(took, c.atMost);
        EXPECT_FALSE(fs::exists(work.path() / "out.txt")) << "the partial output is left";
        EXPECT_FALSE(fs::exists(work.path() / ".rilk_journal"));
    }
}

}  // namespace
