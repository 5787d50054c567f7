// No run waits for ever: a killed build's nested runs, builds running rilk in each other's
// project, runs nested deeper than the project has lock levels, nested runs that cannot read
// the pid in a lock file (or read a wrong one) and a lock file the user cannot write all end,
// and two runs that are not nested in one build never build in one project at once.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "app/driver/held_locks.h"
#include "app/driver/lock_marks.h"
#include "e2e/rilk_run.h"
#include "support/started_process.h"
#include "support/terminal_process.h"
#include "support/wait_until.h"
#include "util/file_lock.h"

namespace {

namespace fs = std::filesystem;
using RilkTest::kHangGuard;
/// Far longer than a circle of waits takes to be found (about a second).
constexpr std::chrono::seconds kCircleGuard{30};

const std::string kRilk = std::string("'") + RILK_BINARY + "'";
const std::string kWaiting = "Waiting for another run in this project to finish.";

/// Runs the rest of its arguments `$1` shells below itself, each waiting for the next.
const std::string kDeepShells =
    "n=$1; shift\n"
    "if [ \"$n\" -gt 0 ]; then sh \"$0\" $((n - 1)) \"$@\"; exit $?; fi\n"
    "exec \"$@\"\n";

/// Whether `unshare -pf --mount-proc` starts a program in a new PID namespace here.
bool pidNamespacesWork() {
    return RilkTest::runProcess({"/bin/sh", "-c", "unshare -pf --mount-proc true 2>/dev/null"})
               .exitCode == 0;
}

class LockWait : public RilkRun {
protected:
    std::string read(const std::string& relative) const {
        std::ifstream in(work.path() / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    /// Starts rilk with `args` in `subdirectory`, its output to `log` there.
    pid_t start(const std::vector<std::string>& args, const std::string& log,
                const std::string& subdirectory = "") const {
        std::vector<std::string> argv{RILK_BINARY};
        argv.insert(argv.end(), args.begin(), args.end());
        return RilkTest::startProcess(argv, work.path() / subdirectory, userEnvironment(),
                                      work.path() / log);
    }

    /// A unit of command targets, by name and command line.
    void writeCommands(const std::string& unitFile,
                       const std::vector<std::pair<std::string, std::string>>& targets) const {
        std::string text = "unit u\n";
        for (const auto& [name, line] : targets) {
            text += name + ": {\n    cmdline = \"" + line + "\"\n}\n";
        }
        write({{unitFile, text}});
    }
};

// outer -> mid -> leaf -> tail, leaf's command going on to run tail once "go" exists. The
// build killed outright while leaf waits leaves its nested runs to build on, and the next
// build waits for them (naming the lock file and the process), where all of them used to
// wait for ever: the next build's nested runs for the left runs' locks, tail for the next
// build's `.rilk_lock`. A build whose nested run mid is killed fails, and ends leaf before it
// ends, so the next build finds nothing to wait for.
TEST_F(LockWait, TheNestedRunsOfAKilledBuildNeverHoldUpTheNextBuild) {
    writeCommands("rilk.txt",
                  {{"outer", kRilk + " mid"},
                   {"mid", "echo $PPID > mid.pid; " + kRilk + " leaf"},
                   {"leaf", "echo $PPID > leaf.pid; until [ -e go ]; do sleep 0.01; done; " +
                                kRilk + " tail"},
                   {"tail", "echo tail built >> tail.txt"}});
    for (const bool killMid : {false, true}) {
        SCOPED_TRACE(killMid ? "mid killed" : "the build killed");
        for (const char* file : {"go", "mid.pid", "leaf.pid", "tail.txt", "next.log"}) {
            fs::remove(work.path() / file);
        }
        const pid_t build = start({"outer"}, "killed.log");
        ASSERT_TRUE(RilkTest::waitUntil([&] { return read("leaf.pid").ends_with("\n"); }));
        const pid_t mid = std::stoi(read("mid.pid"));
        const pid_t leaf = std::stoi(read("leaf.pid"));
        ::kill(killMid ? mid : build, SIGKILL);
        const std::optional<int> killed = RilkTest::waitExitWithin(build, kHangGuard);
        if (killMid) {
            EXPECT_EQ(killed, std::optional<int>(1)) << read("killed.log");
            EXPECT_TRUE(RilkTest::processEnded(leaf)) << read("killed.log");
            write({{"go", ""}});
        }

        const pid_t next = start({"outer"}, "next.log");
        if (!killMid) {
            EXPECT_TRUE(RilkTest::waitUntil(
                [&] { return read("next.log").find("Waiting for") != std::string::npos; }));
            write({{"go", ""}});
        }
        const std::optional<int> status = RilkTest::waitExitWithin(next, kHangGuard);
        for (const pid_t left : {mid, leaf}) {
            if (::kill(left, 0) == 0) ::kill(-::getpgid(left), SIGKILL);
        }
        if (!status) {
            ADD_FAILURE() << "the next build waits for ever:\n" << read("next.log");
            continue;
        }
        EXPECT_EQ(*status, 0) << read("next.log");
        if (killMid) {
            EXPECT_EQ(read("next.log").find("Waiting for"), std::string::npos) << read("next.log");
            EXPECT_EQ(read("tail.txt"), "tail built\n");
            continue;
        }
        const std::string waiting =
            "Waiting for a run in this project that a build which has ended (killed) started to "
            "finish. The lock file '" +
            dir() + "/.rilk_lock.1' is held by process " + std::to_string(mid) + ".\n";
        EXPECT_NE(read("next.log").find(waiting), std::string::npos) << read("next.log");
        EXPECT_EQ(read("tail.txt"), "tail built\ntail built\n");
    }
}

// A command of the build in p builds in q while a command of the build in q builds in p: one
// of the nested runs finds the circle and gives up, so that the other build goes on; also
// where those commands start rilk with an empty environment (`env -i`), on one side or both,
// and with 70 shells between a build and the run its command starts.
TEST_F(LockWait, BuildsRunningRilkInEachOthersProjectEndOneWithAnError) {
    const struct {
        const char* what;
        bool clearedInP;  ///< p's command clears the environment
        bool clearedInQ;
        int shellsInP = 0;  ///< between p's command and the run it starts
    } cases[] = {
        {"the environment kept", false, false},
        {"env -i in p's command", true, false},
        {"env -i in q's command", false, true},
        {"env -i in both", true, true},
        {"env -i in p's command, 70 shells below it", true, false, 70},
    };
    write({{"deep.sh", kDeepShells}});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(work.path() / "p");
        fs::remove_all(work.path() / "q");
        for (const char* started : {"p.started", "q.started", "p.log", "q.log"}) {
            fs::remove(work.path() / started);
        }
        for (const auto& [name, other, cleared, shells] :
             {std::tuple{"p", "q", c.clearedInP, c.shellsInP},
              std::tuple{"q", "p", c.clearedInQ, 0}}) {
            write({{std::string(name) + "/.rilk_project.txt",
                    "name " + std::string(name) + "\nunits { u { \"rilk.txt\" } }\n"}});
            const std::string below =
                shells == 0 ? "" : "sh ../deep.sh " + std::to_string(shells) + " ";
            writeCommands(
                std::string(name) + "/rilk.txt",
                {{"all", "touch ../" + std::string(name) + ".started; until [ -e ../" + other +
                             ".started ]; do sleep 0.01; done; cd ../" + other + " && " + below +
                             (cleared ? "env -i " : "") + kRilk + " inner"},
                 {"inner", "echo inner > inner.txt"}});
        }
        const pid_t inP = start({}, "p.log", "p");
        const pid_t inQ = start({}, "q.log", "q");
        const std::optional<int> p = RilkTest::waitExitWithin(inP, kCircleGuard);
        const std::optional<int> q = RilkTest::waitExitWithin(inQ, kCircleGuard);
        if (!p || !q) {
            ADD_FAILURE() << "a build waits for ever:\n" << read("p.log") << read("q.log");
            continue;
        }
        EXPECT_EQ(*p + *q, 1) << read("p.log") << read("q.log");
        // The nested run that gave up is in the project of the build that went on.
        const bool pFailed = *p != 0;
        const std::string failed = pFailed ? "p" : "q";
        const std::string went = pFailed ? "q" : "p";
        const std::string message =
            "Error: Waiting for the lock file '" + dir() + "/" + went + "/.rilk_lock' (held by " +
            "process " + std::to_string(pFailed ? inQ : inP) +
            ") would never end: that run waits, through the runs its commands started, for the "
            "lock file '" +
            dir() + "/" + failed +
            "/.rilk_lock', which a run that started this one holds "
            "(process " +
            std::to_string(pFailed ? inP : inQ) + "). The builds in '" + dir() + "/" + went +
            "' and '" + dir() + "/" + failed +
            "' wait for each other; this run stops so that the other can go on.\n";
        EXPECT_NE(read(failed + ".log").find(message), std::string::npos) << read(failed + ".log");
        EXPECT_EQ(read(failed + "/inner.txt"), "inner\n")
            << "the build that went on ran its command";
    }
}

// Builds stand nested in the project, each holding a lock level (this test holds them, as
// the builds would, and tells the run through the environment as they would): below 63 of
// them the run builds on the last level, `.rilk_lock.63`; below 64 it ends with an error.
TEST_F(LockWait, RunsNestedDeeperThanTheLockLevelsEndWithAnError) {
    writeCommands("rilk.txt", {{"t", "echo built"}});
    for (const int above : {63, 64}) {
        SCOPED_TRACE(std::to_string(above) + " builds above the run");
        std::vector<Util::FileLock> held;
        std::vector<Rilk::HeldLock> told;
        for (int level = 0; level < above; ++level) {
            held.push_back(Util::FileLock::acquire(Rilk::projectLockFile(work.path(), level)));
            Rilk::LockMarks::markHolder(held.back(), 100 + level, false);
            told.push_back({held.back().file(), static_cast<std::uint64_t>(100 + level), false});
        }
        std::map<std::string, std::string> environment = userEnvironment();
        environment[Rilk::kHeldLocksVariable] = Rilk::heldLocksText(told);
        const auto run =
            RilkTest::runRilk({"t"}, {.workingDirectory = work.path(), .environment = environment});
        if (above < 64) {
            EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
            EXPECT_NE(run.out.find("\nbuilt\n"), std::string::npos) << run.out;
            continue;
        }
        EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
        EXPECT_EQ(run.out.find("\nbuilt\n"), std::string::npos) << run.out;
        const std::string error =
            "Error: Runs are nested more than 64 deep in builds of the project '" + dir() +
            "' (each started by a command of the one before); rilk has no lock for a run nested "
            "deeper and does not build without one.\n";
        EXPECT_NE((run.out + run.err).find(error), std::string::npos) << run.out << run.err;
    }
}

// outer runs rilk inner; the lock's pid cannot be read back by inner in each case, or inner
// finds outer only far up its ancestors.
TEST_F(LockWait, ANestedRunFindsItsBuildWithoutReadingItsPid) {
    struct Case {
        const char* what;
        std::string outer;                ///< outer's command line
        std::function<void()> prepare;    ///< before the run
        std::vector<std::string> launch;  ///< before rilk's own arguments
        int status;
        std::string out;  ///< what the run prints, when it is checked
    } cases[] = {
        {"the lock file is a FIFO",
         kRilk + " inner",
         [&] { ASSERT_EQ(::mkfifo((work.path() / ".rilk_lock").c_str(), 0644), 0); },
         {},
         1,
         "Error: The lock file '" + dir() +
             "/.rilk_lock' is a FIFO, not a regular file; rilk takes its lock only on a regular "
             "file. Remove it and run again.\n"},
        {"no file can grow (a full disk)",
         kRilk + " inner",
         [] {},
         // The output goes through a pipe, the limit is rilk's alone.
         {"/bin/sh", "-c",
          "{ (ulimit -f 0 && trap '' XFSZ && exec \"$0\" \"$@\"); echo $? > status; } 2>&1 | "
          "cat; exit $(cat status)"},
         0,
         ""},
        {"the nested run's environment cleared, 70 shells below the build",
         "sh deep.sh 70 env -i " + kRilk + " inner",
         [&] {
             write({{"deep.sh", kDeepShells}});
         },
         {},
         0,
         ""},
        {"the nested run is in a new PID namespace",
         "unshare -pf --mount-proc " + kRilk + " inner",
         [] {},
         {},
         0,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.outer.starts_with("unshare") && !pidNamespacesWork()) continue;
        fs::remove(work.path() / ".rilk_lock");
        writeCommands("rilk.txt", {{"outer", c.outer}, {"inner", "echo inner built"}});
        c.prepare();
        std::vector<std::string> argv = c.launch;
        argv.insert(argv.end(), {RILK_BINARY, "outer"});
        const pid_t run =
            RilkTest::startProcess(argv, work.path(), userEnvironment(), work.path() / "run.log");
        const std::optional<int> status = RilkTest::waitExitWithin(run, kHangGuard);
        const std::string log = read("run.log");
        fs::remove(work.path() / "run.log");
        if (!status) {
            ADD_FAILURE() << "waits for ever:\n" << log;
            continue;
        }
        EXPECT_EQ(*status, c.status) << log;
        if (!c.out.empty()) {
            EXPECT_EQ(log, c.out);
        }
        EXPECT_EQ(log.find("Waiting for"), std::string::npos) << log;
        EXPECT_EQ(log.find("\ninner built\n") != std::string::npos, c.status == 0) << log;
    }
}

// A lock holder whose pid, as the lock file gives it, is an ancestor's of the next run: a
// process that wrote its parent's pid (as a run in another PID namespace may have), or a run
// that is pid 2 in a PID namespace of its own while the next run, in another, descends from
// its pid 2. The next run waits all the same.
TEST_F(LockWait, APidInTheLockFileIsNeverTakenForAnAncestor) {
    writeCommands("rilk.txt", {{"t", "echo >> starts.txt; until [ -e go ]; do sleep 0.01; done"}});
    for (const bool namespaces : {false, true}) {
        SCOPED_TRACE(namespaces ? "two PID namespaces" : "the pid of the next run's parent");
        if (namespaces && !pidNamespacesWork()) continue;
        fs::remove(work.path() / "go");
        fs::remove(work.path() / "starts.txt");
        std::optional<Util::FileLock> held;
        pid_t holder = -1;
        if (namespaces) {
            holder = RilkTest::startProcess(
                {"/usr/bin/unshare", "-pf", "--mount-proc", "/bin/sh", "-c", kRilk + " & wait"},
                work.path(), userEnvironment(), work.path() / "holder.log");
            ASSERT_TRUE(RilkTest::waitUntil([&] { return read("starts.txt") == "\n"; }));
            ASSERT_EQ(read(".rilk_lock"), "2");
        } else {
            held = Util::FileLock::acquire(work.path() / ".rilk_lock");
            held->describeHolder(std::to_string(::getpid()));
        }
        const std::vector<std::string> next =
            namespaces
                ? std::vector<std::string>{"/usr/bin/unshare",
                                           "-pf",
                                           "--mount-proc",
                                           "/bin/sh",
                                           "-c",
                                           "/bin/sh -c \"" + kRilk + "; exit \\$?\"; exit $?"}
                : std::vector<std::string>{RILK_BINARY};
        RilkTest::TerminalProcess run(
            next, {.workingDirectory = work.path(), .environment = userEnvironment()});
        EXPECT_TRUE(run.awaitOutput(kWaiting)) << run.output();
        EXPECT_NE(read("starts.txt"), "\n\n") << "built while the lock was held";
        EXPECT_NE(run.output().find(namespaces ? "is held by a process in another PID namespace"
                                               : "is held by a process that does not tell its id"),
                  std::string::npos)
            << run.output();
        held.reset();
        write({{"go", ""}});
        if (namespaces) {
            EXPECT_EQ(RilkTest::waitExitWithin(holder, kHangGuard), 0) << read("holder.log");
        }
        EXPECT_EQ(run.wait(), 0) << run.output();
    }
}

// The lock file belongs to another user (umask 022): this user may read it, not write it.
// Runs take turns on it all the same, without a warning.
TEST_F(LockWait, ALockFileTheUserCannotWriteKeepsRunsApart) {
    writeCommands("rilk.txt", {{"t", "echo built > t.txt"}});
    const fs::path lock = work.path() / ".rilk_lock";
    if (::geteuid() == 0) {
        constexpr int kNobody = 65534;
        for (const auto* tree : {&work, &home}) {
            ASSERT_EQ(::lchown(tree->path().c_str(), kNobody, kNobody), 0);
            for (const auto& entry : fs::recursive_directory_iterator(tree->path())) {
                ASSERT_EQ(::lchown(entry.path().c_str(), kNobody, kNobody), 0);
            }
        }
        runAs = kNobody;
        if (rilk({"--version"}).exitCode != 0) GTEST_SKIP() << "nobody cannot run the binary";
    }
    write({{".rilk_lock", ""}});
    fs::permissions(lock, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    const auto alone = rilk({});
    EXPECT_EQ(alone.exitCode, 0) << alone.out;
    EXPECT_EQ(alone.out.find("building without it"), std::string::npos) << alone.out;

    std::optional<Util::FileLock> held = Util::FileLock::acquire(lock);
    fs::remove(work.path() / "t.txt");
    RilkTest::TerminalProcess run(
        {RILK_BINARY},
        {.workingDirectory = work.path(), .environment = userEnvironment(), .user = runAs});
    EXPECT_TRUE(run.awaitOutput(kWaiting)) << run.output();
    EXPECT_FALSE(fs::exists(work.path() / "t.txt")) << "built while the lock was held";
    held.reset();
    EXPECT_EQ(run.wait(), 0) << run.output();
    EXPECT_EQ(read("t.txt"), "built\n");
}

}  // namespace
