// A run that does not succeed (a failed command, a stop) ends what its commands, and the
// runs nested in them, left running before it removes their outputs and ends; never a
// process of the build it is nested in, of another session, or of a run that succeeded.
#include <signal.h>

#include <filesystem>
#include <string>

#include "e2e/rilk_run.h"
#include "support/started_process.h"
#include "support/wait_until.h"

namespace {

namespace fs = std::filesystem;

class RunLeftovers : public RilkRun {
protected:
    void SetUp() override {
        write({{".rilk_project.txt", "name p\nunits { u { \"rilk.txt\" } }\n"}});
    }

    pid_t start(const std::vector<std::string>& args) const {
        std::vector<std::string> argv{RILK_BINARY};
        argv.insert(argv.end(), args.begin(), args.end());
        return RilkTest::startProcess(argv, work.path(), userEnvironment(), work.path() / "log");
    }

    /// The pid a command wrote to `file`, once it has.
    pid_t pidIn(const std::string& file) const {
        EXPECT_TRUE(RilkTest::waitUntil([&] {
            return fs::exists(work.path() / file) &&
                   RilkTest::readFile(work.path() / file).ends_with("\n");
        }));
        return static_cast<pid_t>(std::stol(RilkTest::readFile(work.path() / file)));
    }

    /// Ends the processes whose pids the commands wrote to `files`, whatever the test found.
    void endAll(const std::vector<std::string>& files) const {
        for (const std::string& file : files) {
            if (fs::exists(work.path() / file)) ::kill(pidIn(file), SIGKILL);
        }
    }

    std::string log() const { return RilkTest::readFile(work.path() / "log"); }
};

TEST_F(RunLeftovers, AStoppedRunEndsThemBeforeItEnds) {
    write({{"job.sh", "set -m\nsh -c 'echo $$ > left.pid; echo head > out.txt; sleep 60; "
                      "echo tail >> out.txt' &\nwait\n"}});
    const struct {
        const char* what;
        const char* command;
        int signal;
    } cases[] = {
        {"a process of the command's group that ignores the stop",
         R"(sh -c 'trap "" INT TERM HUP; echo $$ > left.pid; echo head > out.txt; sleep 60; echo tail >> out.txt')",
         SIGTERM},
        {"a child the command moved into a group of its own", "bash job.sh", SIGINT},
        {"the same, on a closed terminal", "bash job.sh", SIGHUP},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        write({{"rilk.txt", std::string("unit u\nt: { ^F = P\"(out.txt)\" cmdline = R\"(") +
                                c.command + ")\" }\n"}});
        fs::remove(work.path() / "left.pid");
        const pid_t run = start({});
        const pid_t left = pidIn("left.pid");
        ASSERT_TRUE(RilkTest::waitUntil([&] { return fs::exists(work.path() / "out.txt"); }));
        ::kill(run, c.signal);
        EXPECT_EQ(RilkTest::waitExit(run), 128 + c.signal) << log();
        // Ended before the run removed the output and ended.
        EXPECT_TRUE(RilkTest::processEnded(left)) << log();
        EXPECT_FALSE(fs::exists(work.path() / "out.txt"));
        endAll({"left.pid"});
    }
}

TEST_F(RunLeftovers, AFailedRunEndsThoseOfTheRunsNestedInItsCommands) {
    write({{"rilk.txt", "unit u\nouter: { cmdline = \"echo $$ > nested.pid; exec " +
                            std::string(RILK_BINARY) +
                            " inner\" }\ninner: { ^F = P\"(i.txt)\" cmdline = \"echo $$ > "
                            "inner.pid; sleep 60; echo i > i.txt\" }\n"}});
    const pid_t run = start({"outer"});
    const pid_t inner = pidIn("inner.pid");
    ::kill(pidIn("nested.pid"), SIGKILL);
    EXPECT_EQ(RilkTest::waitExit(run), 1) << log();
    EXPECT_TRUE(RilkTest::processEnded(inner)) << log();
    EXPECT_NE(log().find("Ended 1 process group that this run's commands had left running.\n"),
              std::string::npos)
        << log();
    endAll({"inner.pid"});
}

// What a command started on purpose, a daemon, and the build a failed run is nested in go on.
TEST_F(RunLeftovers, WhatIsNotTheFailedRunsIsNeverEnded) {
    const std::string binary = RILK_BINARY;
    write({{"rilk.txt",
            "unit u\n"
            "outer: { cmdline = \"sleep 60 & echo $! > server.pid; " + binary + " failing; "
            "echo on > after.txt\" }\n"
            R"x(failing: { cmdline = R"(setsid sleep 60 & d=$!; echo $d > daemon.pid; )x"
            R"x(while s=$(cut -d' ' -f6 /proc/$d/stat); [ "$s" != "$d" ]; do sleep 0.01; done; )x"
            R"x(exit 3)" })x"
            "\n"}});
    const auto result = rilk({"outer"});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(RilkTest::readFile(work.path() / "after.txt"), "on\n");
    EXPECT_FALSE(RilkTest::processEnded(pidIn("server.pid")));
    EXPECT_FALSE(RilkTest::processEnded(pidIn("daemon.pid")));
    EXPECT_EQ(result.out.find("Ended"), std::string::npos) << result.out;
    endAll({"server.pid", "daemon.pid"});
}

}  // namespace
