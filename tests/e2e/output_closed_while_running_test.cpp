// A standard output whose reader leaves while commands run stops the run then, not at its
// next write: a silent command is stopped at once, and a command of the outer run that ran
// a nested rilk on the same pipe does not count as built, so the next run builds it.
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "e2e/rilk_run.h"
#include "support/run_process.h"
#include "support/started_process.h"
#include "support/wait_until.h"

namespace {

namespace fs = std::filesystem;

class OutputClosedWhileCommandsRun : public RilkRun {
protected:
    /// Runs rilk with `args`, its standard output a pipe whose reader leaves once a command
    /// has made `file`; the run's status, or empty when it did not end within the hang guard.
    std::optional<int> runUntilReaderLeaves(const std::vector<std::string>& args,
                                            const std::string& file) const {
        const RilkTest::PipedChild child = startPiped(args);
        EXPECT_TRUE(RilkTest::waitForFile(work.path() / file));
        ::close(child.out);
        const std::optional<int> status = RilkTest::waitExitWithin(child.pid, RilkTest::kHangGuard);
        ::close(child.err);
        return status;
    }


    /// Whether every shell whose id a command appended to `pids` has ended.
    bool commandsEnded() const {
        return RilkTest::waitUntil([&] {
            std::ifstream in(work.path() / "pids");
            for (pid_t pid = 0; in >> pid;) {
                if (!RilkTest::processEnded(pid)) return false;
            }
            return true;
        });
    }
};

// A command that `slow` holds writes `started` and then waits, silent; the reader leaves then,
// or once the outer command has started, before the nested run prints or runs anything.
TEST_F(OutputClosedWhileCommandsRun, StopsTheCommandsAndRecordsNoneAsBuilt) {
    const std::string waits = "echo $$ >> pids; if [ -f slow ]; then touch started; sleep 30; fi";
    const std::string silent =
        "unit u\nslow: { ^OUT = P\"(out.txt)\" cmdline = \"echo part > out.txt; " + waits +
        "; echo end >> out.txt\" }\n";
    const std::string nested =
        "unit u\ncmd: { ^OUT = P\"(out.txt)\" cmdline = \"echo $$ >> pids; touch outer; " +
        std::string(RILK_BINARY) +
        " inner; echo done > out.txt\" }\n"
        "inner: { ^OUT = P\"(inner.txt)\" cmdline = \"" +
        waits + "; echo x > inner.txt\" }\n";
    struct Case {
        const char* what;
        std::string unit;
        std::vector<std::string> args;
        const char* leaveOnce;
        std::map<std::string, std::string> built;
    };
    const Case cases[] = {
        {"a silent command", silent, {}, "started", {{"out.txt", "part\nend\n"}}},
        {"a nested run's silent command",
         nested,
         {"cmd"},
         "started",
         {{"out.txt", "done\n"}, {"inner.txt", "x\n"}}},
        {"a nested run yet to start its command",
         nested,
         {"cmd"},
         "outer",
         {{"out.txt", "done\n"}, {"inner.txt", "x\n"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const char* file :
             {"started", "outer", "pids", "out.txt", "inner.txt", ".rilk_cache"}) {
            fs::remove(work.path() / file);
        }
        write({{"rilk.txt", c.unit}, {"slow", ""}});
        EXPECT_EQ(runUntilReaderLeaves(c.args, c.leaveOnce), std::optional<int>(1));
        EXPECT_TRUE(commandsEnded());
        for (const auto& [file, content] : c.built) {
            EXPECT_FALSE(fs::exists(work.path() / file)) << file << ": " << contents(file);
        }

        fs::remove(work.path() / "slow");
        const auto next = rilk(c.args);
        EXPECT_EQ(next.exitCode, 0) << next.out << next.err;
        for (const auto& [file, content] : c.built) EXPECT_EQ(contents(file), content) << file;
    }
}

}  // namespace
