// A run killed outright (SIGKILL to rilk alone) leaves its commands running in their own
// process groups: the next run that finds its journal, in the project or importing it, ends
// them before it removes their outputs and builds, so nothing they write lands afterwards.
// Only the killed run's commands are ended: never those of a run that still goes on (its
// project copied while it builds), nor what a command moved into a session of its own.
#include <signal.h>

#include <filesystem>
#include <map>
#include <string>

#include "e2e/rilk_run.h"
#include "support/started_process.h"
#include "support/wait_until.h"

namespace {

namespace fs = std::filesystem;

/// Shell text that waits until the file `go` exists in the command's folder, at most about
/// 30 seconds.
constexpr const char* kAwaitGo =
    "i=0; until [ -e go ] || [ $i -ge 1500 ]; do sleep 0.02; i=$((i+1)); done";

class KilledRunCommands : public RilkRun {
protected:
    /// The project in folder `project`, named so, with `imports` (its sections before the
    /// units): its target u::t writes t.txt in the project's folder, after the pid of its
    /// shell in pid.txt, and the first time only waits for the file `go` in between.
    void writeSlowProject(const std::string& project, const std::string& imports = "") const {
        write({{project + "/.rilk_project.txt",
                "name " + project + "\n" + imports + "units { u { \"rilk.txt\" } }\n"},
               {project + "/rilk.txt",
                "unit u\nt: {\n    ^FILE = P\"(t.txt)\"  cwd = P\"(.)\"\n    cmdline = \"echo $$ > "
                "pid.txt; echo start > t.txt; [ -e slow ] || { : > slow; " +
                    std::string(kAwaitGo) + "; }; echo done >> t.txt\"\n}\n"}});
    }

    /// Starts a run in `project` with `environment` added, and waits until `file` there
    /// holds `content`: its command runs.
    pid_t startRun(const std::string& project, const std::string& file,
                   const std::string& content,
                   const std::map<std::string, std::string>& environment = {}) const {
        std::map<std::string, std::string> all = userEnvironment();
        all.insert(environment.begin(), environment.end());
        const pid_t run = RilkTest::startProcess({RILK_BINARY}, work.path() / project, all);
        EXPECT_TRUE(RilkTest::waitUntil([&] { return read(project + "/" + file) == content; }));
        return run;
    }

    /// Starts a run in `project`, kills it alone (SIGKILL) once its command has begun to
    /// write t.txt; the pid of the command's shell, which lives on.
    pid_t killWhileCommandRuns(const std::string& project) const {
        const pid_t run = startRun(project, "t.txt", "start\n");
        ::kill(run, SIGKILL);
        RilkTest::waitExit(run);
        return pidIn(project + "/pid.txt");
    }

    pid_t pidIn(const std::string& relative) const {
        return static_cast<pid_t>(std::stol(read(relative)));
    }

    std::string read(const std::string& relative) const {
        std::error_code error;
        if (!fs::exists(work.path() / relative, error)) return "";
        return RilkTest::readFile(work.path() / relative);
    }

    /// After the next run: the killed run's command has ended, and wrote nothing after the
    /// run began.
    void expectCommandEndedFirst(pid_t shell, const std::string& project) const {
        EXPECT_TRUE(RilkTest::processEnded(shell)) << "the killed run's command still runs";
        write({{project + "/go", ""}});
        EXPECT_TRUE(RilkTest::waitUntil([&] { return RilkTest::processEnded(shell); }));
        EXPECT_EQ(read(project + "/t.txt"), "start\ndone\n");
    }
};

TEST_F(KilledRunCommands, TheNextRunEndsThemBeforeItBuilds) {
    writeSlowProject("p");
    const pid_t shell = killWhileCommandRuns("p");
    const auto next = rilk({}, "p");
    EXPECT_EQ(next.exitCode, 0) << next.out << next.err;
    EXPECT_NE(next.out.find("The last run in this project was killed; ended 1 process group "
                            "of commands it had left running.\nThe last run in this project "
                            "was killed; removed 1 output file it had changed.\n"),
              std::string::npos)
        << next.out;
    expectCommandEndedFirst(shell, "p");
    const auto again = rilk({}, "p");
    EXPECT_EQ(again.out.find("killed"), std::string::npos) << again.out;
    EXPECT_EQ(again.out.find("echo start"), std::string::npos) << again.out;
}

TEST_F(KilledRunCommands, ARunImportingTheProjectEndsThemThere) {
    writeSlowProject("b");
    write({{"a/.rilk_project.txt",
            "name a\nimport { \"../b/.rilk_project.txt\"; }\nunits { m { \"rilk.txt\" } }\n"},
           {"a/rilk.txt", "unit m\nall: b/u::t { NO_TOOL = 1 }\n"}});
    const pid_t shell = killWhileCommandRuns("b");
    const auto inA = rilk({}, "a");
    EXPECT_EQ(inA.exitCode, 0) << inA.out << inA.err;
    EXPECT_NE(inA.out.find("The last run in the imported project '" +
                           fs::canonical(work.path() / "b").string() +
                           "' was killed; ended 1 process group of commands it had left "
                           "running.\n"),
              std::string::npos)
        << inA.out;
    expectCommandEndedFirst(shell, "b");
}

// A copy of the project made while it builds (`cp -a`, a backup) holds the running build's
// journal: a run in the copy ends nothing, and the build goes on to its end.
TEST_F(KilledRunCommands, ARunInACopyOfTheProjectLeavesTheBuildThatRunsThere) {
    writeSlowProject("p");
    const pid_t original = startRun("p", "t.txt", "start\n");
    ASSERT_TRUE(RilkTest::waitForFile(work.path() / "p/.rilk_journal"));
    const pid_t copy = RilkTest::startProcess({"/bin/cp", "-a", "p", "q"}, work.path(), {});
    ASSERT_EQ(RilkTest::waitExit(copy), 0);
    ASSERT_TRUE(fs::exists(work.path() / "q/.rilk_journal"));

    const auto inCopy = rilk({"-v"}, "q");
    EXPECT_EQ(inCopy.exitCode, 0) << inCopy.out << inCopy.err;
    EXPECT_EQ(inCopy.out.find("process group"), std::string::npos) << inCopy.out;
    EXPECT_NE(inCopy.out.find("Ended no process of the killed run: its record '" +
                              (work.path() / "q/.rilk_journal").string() +
                              "' was written in another folder (this project is a copy of that "
                              "one).\n"),
              std::string::npos)
        << inCopy.out;
    EXPECT_FALSE(RilkTest::processEnded(pidIn("p/pid.txt"))) << "the original build's command";
    write({{"p/go", ""}});
    EXPECT_EQ(RilkTest::waitExit(original), 0);
    EXPECT_EQ(read("p/t.txt"), "start\ndone\n");
}

// A command starts a daemon in a session of its own, whose worker moves into a process
// group of its own: both go on after the run is killed and the next run ends the command.
TEST_F(KilledRunCommands, ADaemonAndAllItStartsGoOn) {
    write({{"p/.rilk_project.txt", "name p\nunits { u { \"rilk.txt\" } }\n"},
           {"p/rilk.txt",
            R"X(unit u
t: { ^FILE = P"(t.txt)"  cwd = P"(.)"
     cmdline = R"(echo $$ > pid.txt; [ -e slow ] && { echo again > t.txt; exit 0; }; : > slow
setsid bash -c 'echo $$ > daemon.pid; set -m; sleep 60 & echo $! > worker.pid; wait' > /dev/null 2>&1 &
until [ -s worker.pid ]; do sleep 0.01; done; echo start > t.txt; sleep 30)" }
)X"}});
    const pid_t shell = killWhileCommandRuns("p");
    const pid_t daemon = pidIn("p/daemon.pid");
    const pid_t worker = pidIn("p/worker.pid");
    const auto next = rilk({}, "p");
    EXPECT_EQ(next.exitCode, 0) << next.out << next.err;
    EXPECT_NE(next.out.find("was killed; ended 1 process group of commands"), std::string::npos)
        << next.out;
    EXPECT_TRUE(RilkTest::processEnded(shell));
    EXPECT_FALSE(RilkTest::processEnded(daemon));
    EXPECT_FALSE(RilkTest::processEnded(worker));
    ::kill(worker, SIGKILL);
    ::kill(daemon, SIGKILL);
}

// A run in app builds lib's target and is killed while that command runs. The next run in
// lib ends the command before it builds there, so nothing of app's run writes lib's output
// afterwards; the next run in app ends it too, and removes what it wrote in lib.
TEST_F(KilledRunCommands, AnImportedProjectsRunsEndTheCommandsAKilledImporterRanForIt) {
    for (const std::string next : {"lib", "app"}) {
        SCOPED_TRACE(next);
        const std::string root = "in-" + next + "/";
        write({{root + "lib/.rilk_project.txt", "name lib\nunits { main { \"rilk.txt\" } }\n"},
               {root + "lib/rilk.txt",
                "unit main\nslow: { ^FILE = P\"(o.txt)\" cwd = P\"(.)\" cmdline = \"echo start "
                "$RUNNER >> ../trace; echo $$ > ../$RUNNER.pid; echo part > o.txt; [ $RUNNER != "
                "app ] || { cd ..; " +
                    std::string(kAwaitGo) +
                    "; cd lib; }; echo end $RUNNER >> ../trace; echo $RUNNER > o.txt\" }\n"},
               {root + "app/.rilk_project.txt",
                "name app\nimport { \"../lib/.rilk_project.txt\"; }\nunits { main { "
                "\"rilk.txt\" } }\n"},
               {root + "app/rilk.txt", "unit main\nall: lib/main::slow { NO_TOOL = 1 }\n"}});
        const pid_t killed = startRun(root + "app", "../lib/o.txt", "part\n", {{"RUNNER", "app"}});
        ::kill(killed, SIGKILL);
        RilkTest::waitExit(killed);
        const pid_t command = pidIn(root + "app.pid");

        std::map<std::string, std::string> environment = userEnvironment();
        environment["RUNNER"] = next == "lib" ? "lib" : "again";
        const auto after = RilkTest::runRilk(
            {}, {.workingDirectory = work.path() / root / next, .environment = environment});
        write({{root + "go", ""}});
        EXPECT_TRUE(RilkTest::waitUntil([&] { return RilkTest::processEnded(command); }));
        EXPECT_EQ(after.exitCode, 0) << after.out << after.err;
        EXPECT_EQ(after.out.find("Left '"), std::string::npos) << after.out;
        if (next == "lib") {
            EXPECT_NE(after.out.find("The last run in this project was killed; ended 1 process "
                                     "group of commands it had left running.\n"),
                      std::string::npos)
                << after.out;
            EXPECT_EQ(read(root + "trace"), "start app\nstart lib\nend lib\n");
            EXPECT_EQ(read(root + "lib/o.txt"), "lib\n");
        } else {
            EXPECT_NE(after.out.find("The last run in the imported project '" +
                                     fs::canonical(work.path() / root / "lib").string() +
                                     "' was killed; removed 1 output file it had changed.\n"),
                      std::string::npos)
                << after.out;
            EXPECT_EQ(read(root + "trace"), "start app\nstart again\nend again\n");
            EXPECT_EQ(read(root + "lib/o.txt"), "again\n");
        }
    }
}

// The killed run had built an output in a folder its command made itself, and was killed
// while a later target ran: that folder is the run's own, and the output is removed.
TEST_F(KilledRunCommands, AnOutputInAFolderTheKilledCommandMadeIsRemoved) {
    write({{"p/.rilk_project.txt", "name p\nunits { u { \"rilk.txt\" } }\n"},
           {"p/rilk.txt",
            "unit u\nall: gen later { NO_TOOL = 1 }\ngen: { ^FILE = P\"(o/d/f.txt)\" cmdline = "
            "\"mkdir -p o/d && echo x > o/d/f.txt\" }\nlater: { cmdline = \"echo $$ > pid.txt; "
            "[ -e slow ] || { : > slow; echo start > t.txt; sleep 30; }\" }\n"}});
    killWhileCommandRuns("p");
    const auto next = rilk({}, "p");
    EXPECT_EQ(next.exitCode, 0) << next.out << next.err;
    EXPECT_EQ(next.out.find("Left '"), std::string::npos) << next.out;
    EXPECT_NE(next.out.find("was killed; removed 1 output file it had changed.\n"),
              std::string::npos)
        << next.out;
    EXPECT_EQ(read("p/o/d/f.txt"), "x\n");
}

}  // namespace
