#include "app/jobs/command_runner.h"

#include <pthread.h>
#include <signal.h>

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/jobs/child_environment.h"
#include "support/temp_dir.h"
#include "types/types_test_support.h"

namespace Rilk {
namespace {

using RilkTest::readFile;

/// No child of this process is left: every command was reaped.
bool noChildLeft() { return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

TEST(CommandRunner, ResultIsTheShellsExitStatus) {
    RilkTest::TempDir dir;
    dir.write("file", "");
    struct Case {
        const char* command;
        std::filesystem::path directory;
        int expected;
    };
    const Case cases[] = {
        {"true", dir.path(), 0},
        {"exit 3", {}, 3},
        {"kill -9 $$", {}, -SIGKILL},
        {"true", dir.path() / "missing", ENOENT},
        {"true", dir.path() / "file", ENOTDIR},
    };
    for (const Case& c : cases) {
        RunningCommandSlot slot;
        int result = 0;
        const std::string printed = RilkTest::capture(5, [&] {
            result = runCommand(Recipe{c.command, c.directory, Recipe::Run, {}},
                                currentEnvironment(), slot);
        });
        EXPECT_EQ(result, c.expected) << c.command << " in " << c.directory;
        if (result > 0 && c.directory.filename() == "missing") {
            EXPECT_EQ(printed, "Cannot run the command in '" + c.directory.string() +
                                   "': No such file or directory\n");
        }
        EXPECT_EQ(slot.processGroup(), 0);
        EXPECT_TRUE(noChildLeft());
    }
}

TEST(CommandRunner, CommandSeesItsDirectoryEnvironmentOwnProcessGroupAndNoBlockedSignal) {
    RilkTest::TempDir dir;
    RunningCommandSlot slot;
    const Recipe recipe{
        "pwd > out; echo \"$PATH|$ONLY\" >> out; cut -d' ' -f5 /proc/$$/stat >> out; "
        "echo $$ >> out; grep SigBlk /proc/$$/status | cut -f2 >> out",
        dir.path(),
        Recipe::Run,
        {}};
    // Started from a thread that blocks the interrupts, as a job's thread does.
    sigset_t interrupts, old;
    sigemptyset(&interrupts);
    sigaddset(&interrupts, SIGINT);
    sigaddset(&interrupts, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &interrupts, &old);
    const int result = runCommand(recipe, {"PATH=/usr/bin:/bin", "ONLY=given"}, slot);
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    ASSERT_EQ(result, 0);
    std::istringstream lines(readFile(dir.path() / "out"));
    std::string directory, environment, group, pid, blocked;
    lines >> directory >> environment >> group >> pid >> blocked;
    EXPECT_EQ(directory, dir.path().string());
    EXPECT_EQ(environment, "/usr/bin:/bin|given");
    EXPECT_EQ(group, pid) << "the shell leads a process group of its own";
    EXPECT_EQ(blocked, "0000000000000000");
}

}  // namespace
}  // namespace Rilk
