// A run killed outright (SIGKILL to rilk alone) leaves its commands running in their own
// process groups: the next run that finds its journal, in the project or importing it, ends
// them before it removes their outputs and builds, so nothing they write lands afterwards.
#include <signal.h>

#include <filesystem>
#include <string>

#include "e2e/rilk_run.h"
#include "support/started_process.h"
#include "support/wait_until.h"

namespace {

namespace fs = std::filesystem;

class KilledRunCommands : public RilkRun {
protected:
    /// The project in folder `project`, named so, with `imports` (its sections before the
    /// units): its target u::t writes t.txt in the project's folder, after the pid of its
    /// shell in pid.txt, slowly the first time only.
    void writeSlowProject(const std::string& project, const std::string& imports = "") const {
        write({{project + "/.rilk_project.txt",
                "name " + project + "\n" + imports + "units { u { \"rilk.txt\" } }\n"},
               {project + "/rilk.txt",
                "unit u\nt: {\n    ^FILE = P\"(t.txt)\"  cwd = P\"(.)\"\n    cmdline = \"echo $$ > "
                "pid.txt; echo start > t.txt; [ -e slow ] || { : > slow; sleep 30; }; echo done >> "
                "t.txt\"\n}\n"}});
    }

    /// Starts a run in `project`, kills it alone (SIGKILL) once its command has begun to
    /// write t.txt; the pid of the command's shell, which lives on.
    pid_t killWhileCommandRuns(const std::string& project) const {
        const fs::path folder = work.path() / project;
        const pid_t run = RilkTest::startProcess({RILK_BINARY}, folder, userEnvironment());
        EXPECT_TRUE(RilkTest::waitUntil([&] { return read(project + "/t.txt") == "start\n"; }));
        ::kill(run, SIGKILL);
        RilkTest::waitExit(run);
        return static_cast<pid_t>(std::stol(read(project + "/pid.txt")));
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
        EXPECT_TRUE(RilkTest::waitUntil([&] { return RilkTest::processEnded(shell); }));
        EXPECT_EQ(read(project + "/t.txt"), "start\ndone\n");
    }
};

TEST_F(KilledRunCommands, TheNextRunEndsThemBeforeItBuilds) {
    writeSlowProject("p");
    const pid_t shell = killWhileCommandRuns("p");
    const auto next = rilk({}, "p");
    EXPECT_EQ(next.exitCode, 0) << next.out << next.err;
    EXPECT_NE(next.out.find("The last run in this project was killed; ended 1 process groups "
                            "of commands it had left running.\nThe last run in this project "
                            "was killed; removed 1 output files it had changed.\n"),
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
                           "' was killed; ended 1 process groups of commands it had left "
                           "running.\n"),
              std::string::npos)
        << inA.out;
    expectCommandEndedFirst(shell, "b");
}

}  // namespace
