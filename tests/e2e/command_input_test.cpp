// What commands read as their standard input: rilk's own, except a terminal. A command runs
// in a process group of its own, never the terminal's foreground group, so reading the
// terminal would stop it (SIGTTIN) and the build would wait for ever; it reads an empty
// input instead.
#include <signal.h>

#include <fstream>
#include <sstream>

#include "e2e/rilk_run.h"
#include "support/run_process.h"
#include "support/started_process.h"
#include "support/terminal_process.h"

namespace {

using CommandInput = RilkRun;

TEST_F(CommandInput, IsRilksOwnButNeverATerminal) {
    // The shell reads a line itself, and a program it starts reads the rest.
    write({{"rilk.txt",
            "unit u\nread: { ^OUT = P\"(o.txt)\" cmdline = \"read x; y=$(cat); echo in:$x:$y > "
            "o.txt\" }\n"},
           {"in.txt", "first\nsecond\n"}});
    const std::string rilk = RILK_BINARY;
    struct Case {
        const char* input;
        std::vector<std::string> argv;
        std::string read;
    };
    const Case cases[] = {
        {"a terminal", {rilk}, "in::\n"},
        {"a pipe",
         {"/bin/sh", "-c", "printf 'first\\nsecond\\n' | exec " + rilk},
         "in:first:second\n"},
        {"a file", {"/bin/sh", "-c", "exec " + rilk + " < in.txt"}, "in:first:second\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        std::filesystem::remove(work.path() / "o.txt");
        std::filesystem::remove(work.path() / ".rilk_cache");
        const RilkTest::ProcessOptions options{.workingDirectory = work.path(),
                                               .environment = userEnvironment()};
        if (c.argv.size() == 1) {
            RilkTest::TerminalProcess run(c.argv, options, /*terminalInput=*/true);
            EXPECT_EQ(run.wait(), 0) << run.output();
        } else {
            const auto run = RilkTest::runProcess(c.argv, options);
            EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        }
        EXPECT_EQ(contents("o.txt"), c.read);
    }
}

// A command that opens the terminal itself (a password prompt, a pager) is stopped by it, as
// it is not in the terminal's foreground group: the build ends it and says why, never waits.
// A process of the user's stopped on the same terminal, which no command of the run started
// (a shell's stopped job), is never touched.
TEST_F(CommandInput, ACommandTheTerminalStopsFailsItsBuild) {
    // The job ignores SIGHUP from its start, so that rilk's end, which orphans its group,
    // does not end it.
    const std::string run =
        std::string("trap '' HUP; set -m; sleep 60 & echo $! > job.pid; kill -STOP $!; exec ") +
        RILK_BINARY;
    const struct {
        const char* what;
        const char* command;
    } cases[] = {
        {"a read of the terminal", "read x < /dev/tty; echo $x > o.txt"},
        {"a change of its settings", "stty -echo < /dev/tty; echo done > o.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        write({{"rilk.txt", std::string("unit u\nt: { ^OUT = P\"(o.txt)\" cmdline = \"") +
                                c.command + "\" }\n"}});
        RilkTest::TerminalProcess rilk({"/bin/sh", "-c", run}, {.workingDirectory = work.path(),
                                                               .environment = userEnvironment()});
        EXPECT_EQ(rilk.wait(std::chrono::seconds(60)), 1) << rilk.output();
        EXPECT_NE(rilk.output().find("Build of u::t failed (command stopped by the terminal"),
                  std::string::npos)
            << rilk.output();
        EXPECT_FALSE(std::filesystem::exists(work.path() / "o.txt"));
        const pid_t job = std::stoi(contents("job.pid"));
        EXPECT_FALSE(RilkTest::processEnded(job)) << "the shell's stopped job was ended";
        ::kill(job, SIGKILL);
    }
}

}  // namespace
