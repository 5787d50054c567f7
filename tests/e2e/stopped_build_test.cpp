// Runs that end before their work is done (a failed command, a stop signal, a closed
// terminal or output) keep the records of the work that finished and no record that claims
// what they did not finish: the next run builds a right program.
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "e2e/c_project.h"
#include "support/run_process.h"
#include "support/started_process.h"
#include "support/wait_until.h"

namespace {

namespace fs = std::filesystem;

class StoppedBuild : public CProjectRun {
protected:
    /// Starts rilk with `args` in the background, its output to `log`.
    pid_t start(const std::vector<std::string>& args) const {
        std::vector<std::string> argv{RILK_BINARY};
        argv.insert(argv.end(), args.begin(), args.end());
        return RilkTest::startProcess(argv, work.path(), userEnvironment(), work.path() / "log");
    }

    /// Whether a process whose id is listed in `file` still runs (an ended one not yet
    /// reaped counts as ended) after the system has had the time of the hang guard to end
    /// them all: the wait ends as soon as none runs.
    bool anyStillRunning(const std::string& file) const {
        return !RilkTest::waitUntil([&] {
            std::ifstream in(work.path() / file);
            for (pid_t pid = 0; in >> pid;) {
                if (alive(pid)) return false;
            }
            return true;
        });
    }

    static bool alive(pid_t pid) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("State:", 0) == 0) return line.find('Z') == std::string::npos;
        }
        return false;
    }
};

TEST_F(StoppedBuild, AFailedRunKeepsWhatFinished) {
    writeProject();
    write({{"a.c",
            "#ifdef BREAK\nconst char* what(void) { return \"built with BREAK\"; }\n"
            "#else\nconst char* what(void) { return \"normal\"; }\n#endif\n"},
           {"main.c",
            "#include <stdio.h>\n#ifdef BREAK\n#error broken\n#endif\n"
            "const char* what(void);\nint main(void) { puts(what()); return 0; }\n"}});
    ASSERT_EQ(rilk({}).exitCode, 0);
    ASSERT_EQ(rilk({"DEFS=[\"BREAK\"]"}).exitCode, 1);
    const auto third = rilk({});
    ASSERT_EQ(third.exitCode, 0) << third.out << third.err;
    EXPECT_EQ(programSays(), "normal\n");
}

TEST_F(StoppedBuild, AHeaderFirstReadInAFailedRunIsTracked) {
    writeProject();
    ASSERT_EQ(rilk({}).exitCode, 0);
    write({{"h.h", "#define WHAT \"first\"\n"},
           {"a.c", "#include \"h.h\"\nconst char* what(void) { return WHAT; }\n"},
           {"main.c", "#error broken\n"}});
    ASSERT_EQ(rilk({}).exitCode, 1);
    write({{"main.c",
            "#include <stdio.h>\nconst char* what(void);\n"
            "int main(void) { puts(what()); return 0; }\n"}});
    ASSERT_EQ(rilk({}).exitCode, 0);
    EXPECT_EQ(programSays(), "first\n");
    write({{"h.h", "#define WHAT \"second header\"\n"}});
    ASSERT_EQ(rilk({}).exitCode, 0);
    EXPECT_EQ(programSays(), "second header\n");
}

// A slow command target stands in for a long compile: the run is stopped while it runs,
// after a quick target with other values has finished. The slow command notes its process
// id in `started` (whole, by a rename) and, unless stopped, outlives every wait of the test
// (200 s): it ends sooner by itself only once the file `go` exists, made after the check.
TEST_F(StoppedBuild, AStoppedRunKeepsWhatFinished) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        write({{"rilk.txt",
                "unit u\nall: quick slow { NO_TOOL = 1 }\n"
                "quick: { SRC = P\"(in.txt)\" ^OUT = P\"(out/quick.txt)\" "
                "cmdline = \"mkdir -p out && echo ${MODE} > out/quick.txt\" }\n"
                "slow: { ^OUT = P\"(out/slow.txt)\" "
                "cmdline = \"echo $$ > pid; mv pid started; i=0; while [ ! -f go ] && "
                "[ $i -lt 4000 ]; do sleep 0.05; i=$((i + 1)); done; touch out/slow.txt\" }\n"},
               {"in.txt", "x"}});
        for (const char* file : {"started", "go"}) fs::remove(work.path() / file);
        ASSERT_EQ(rilk({"MODE=a", "quick"}).exitCode, 0);
        const pid_t run = start({"MODE=b"});
        ASSERT_TRUE(await("started"));
        ::kill(run, signal);
        EXPECT_EQ(RilkTest::waitExitWithin(run, RilkTest::kHangGuard), 128 + signal);
        EXPECT_EQ(read("out/quick.txt"), "b\n");
        EXPECT_NE(read("started"), "");
        EXPECT_FALSE(anyStillRunning("started"));
        write({{"go", ""}});
        ASSERT_EQ(rilk({"MODE=a", "quick"}).exitCode, 0);
        EXPECT_EQ(read("out/quick.txt"), "a\n");
    }
}

// A shell with a cleanup trap ends with 0 once its cut-short work is stopped: that work
// did not finish all the same.
TEST_F(StoppedBuild, ACommandThatOutlivesTheStopDidNotFinish) {
    write({{"rilk.txt",
            "unit u\ntrapped: { ^OUT = P\"(out.txt)\" cmdline = \"trap 'echo cleanup' TERM; "
            "(echo part1; if [ -f slow ]; then touch started; sleep 30; fi; echo part2) > "
            "out.txt; echo done\" }\n"}});
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        for (const char* file : {"started", "out.txt", ".rilk_cache"}) {
            fs::remove(work.path() / file);
        }
        write({{"slow", ""}});
        const pid_t run = start({});
        ASSERT_TRUE(await("started"));
        ::kill(run, signal);
        EXPECT_EQ(RilkTest::waitExit(run), 128 + signal);
        EXPECT_FALSE(fs::exists(work.path() / "out.txt")) << read("out.txt");
        fs::remove(work.path() / "slow");
        const auto next = rilk({});
        ASSERT_EQ(next.exitCode, 0) << next.out << next.err;
        EXPECT_EQ(read("out.txt"), "part1\npart2\n");
    }
}

TEST_F(StoppedBuild, AClosedTerminalOrOutputStopsEveryCommand) {
    writeProject(writeSlowToolchain(2));
    std::string sources;
    for (int i = 0; i < 24; ++i) {
        const std::string n = std::to_string(i);
        write({{"p" + n + ".c", "int p" + n + "(void) { return " + n + "; }\n"}});
        sources += "P\"(p" + n + ".c)\", ";
    }
    write({{"rilk.txt",
            "unit main\napp: +lib { C_FILES = P\"(main.c)\" }\n"
            "lib: +objs { OBJS OUTPUT_NAME = \"liba.a\" }\n"
            "objs: { C_FILES = [" +
                sources + "P\"(a.c)\"] C_FLAGS = \"-c\" }\n"}});
    // The reader goes away once the compiles run; rilk finds its output closed when it
    // prints the next command.
    const std::string pipeline = std::string(RILK_BINARY) +
                                 " -j 8 | (read line; while [ ! -f compiled ]; do sleep 0.05; "
                                 "done); echo ${PIPESTATUS[0]} > status";
    for (const std::string how : {"hangup", "closed output"}) {
        SCOPED_TRACE(how);
        fs::remove(work.path() / "compiled");
        write({{"slow", ""}});
        const pid_t run = how == "hangup" ? start({"-j", "8"})
                                          : RilkTest::startProcess({"/bin/bash", "-c", pipeline},
                                                                   work.path(), userEnvironment());
        ASSERT_TRUE(await("compiled"));
        if (how == "hangup") ::kill(run, SIGHUP);
        const int status = RilkTest::waitExit(run);
        EXPECT_EQ(how == "hangup" ? status : std::stoi(read("status")),
                  how == "hangup" ? 128 + SIGHUP : 1);
        EXPECT_FALSE(anyStillRunning("compiled"));
        EXPECT_FALSE(fs::exists(work.path() / ".rilk_journal"));

        fs::remove(work.path() / "slow");
        const auto next = rilk({"-j", "8"});
        ASSERT_EQ(next.exitCode, 0) << next.out << next.err;
        EXPECT_EQ(programSays(), "normal\n");
        fs::remove_all(work.path() / "out");
        fs::remove(work.path() / ".rilk_cache");
    }
}

TEST_F(StoppedBuild, ARunStartedByACommandKeepsItsRecords) {
    write({{"rilk.txt", "unit u\nouter: { cmdline = \"" + std::string(RILK_BINARY) +
                            " inner\" }\n"
                            "inner: { SRC = P\"(in.txt)\" ^OUT = P\"(out.txt)\" cmdline = \"cp "
                            "in.txt out.txt\" }\n"},
           {"in.txt", "x"}});
    ASSERT_EQ(rilk({"outer"}).exitCode, 0);
    EXPECT_NE(read(".rilk_cache").find("u::inner"), std::string::npos) << read(".rilk_cache");
    const auto again = rilk({"-v", "1", "inner"});
    EXPECT_NE(again.out.find("Cache hit for 'u::inner'."), std::string::npos) << again.out;
}

class ClosedOutput : public RilkRun {
protected:
    struct CutRun {
        int status;
        /// The bytes that had reached the pipe when its reader left.
        std::size_t written;
        std::string err;
    };

    /// Runs rilk with `args`, its standard output to a pipe whose reader reads `lines` lines
    /// and then closes it, as `head` does.
    CutRun rilkReadFor(std::size_t lines, const std::vector<std::string>& args) const {
        const RilkTest::PipedChild child = startPiped(args);
        CutRun run{0, 0, ""};
        char c = 0;
        for (std::size_t seen = 0; seen < lines && ::read(child.out, &c, 1) == 1; ++run.written) {
            if (c == '\n') ++seen;
        }
        // Held still, rilk writes nothing between the count of what the pipe holds and its
        // close.
        ::kill(child.pid, SIGSTOP);
        siginfo_t state{};
        ::waitid(P_PID, static_cast<id_t>(child.pid), &state, WEXITED | WSTOPPED | WNOWAIT);
        int waiting = 0;
        ::ioctl(child.out, FIONREAD, &waiting);
        run.written += static_cast<std::size_t>(waiting);
        ::close(child.out);
        ::kill(child.pid, SIGCONT);
        char buffer[4096];
        for (ssize_t n; (n = ::read(child.err, buffer, sizeof buffer)) > 0;) {
            run.err.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(child.err);
        run.status = RilkTest::waitExit(child.pid);
        return run;
    }

};

// Every line a run prints is a moment its output may close at, before, during or after the
// build: the run ends with status 1, or 0 when all it printed was written, and the next run
// builds what the stopped one did not finish.
TEST_F(ClosedOutput, EndsWithStatusOneWhereverItCloses) {
    write({{"rilk.txt",
            "unit u\nall: a b c { cmdline = \"true\" }\n"
            "a: { ^OUT = P\"(a.txt)\" cmdline = \"echo a > a.txt\" }\n"
            "b: { ^OUT = P\"(b.txt)\" cmdline = \"echo b > b.txt\" }\n"
            "c: { ^OUT = P\"(c.txt)\" cmdline = \"echo c > c.txt\" }\n"}});
    const auto clean = [&] {
        for (const char* file : {"a.txt", "b.txt", "c.txt", ".rilk_cache"}) {
            fs::remove(work.path() / file);
        }
    };
    clean();
    const auto whole = rilk({"-v", "1"});
    ASSERT_EQ(whole.exitCode, 0) << whole.out << whole.err;
    const auto lines =
        static_cast<std::size_t>(std::count(whole.out.begin(), whole.out.end(), '\n'));
    for (std::size_t cut = 0; cut <= lines; ++cut) {
        SCOPED_TRACE(testing::Message() << "closed after " << cut << " of " << lines << " lines");
        clean();
        const CutRun run = rilkReadFor(cut, {"-v", "1"});
        EXPECT_TRUE(run.status == 1 || (run.status == 0 && run.written == whole.out.size()))
            << "status " << run.status << ", " << run.written << " of " << whole.out.size()
            << " bytes written";
        if (cut == lines) {
            EXPECT_EQ(run.status, 0) << "every line was read";
        }
        EXPECT_EQ(run.err, "");
        const auto next = rilk({});
        ASSERT_EQ(next.exitCode, 0) << next.out << next.err;
        for (const char* name : {"a", "b", "c"}) {
            EXPECT_EQ(contents(std::string(name) + ".txt"), std::string(name) + "\n");
        }
    }
}

}  // namespace
