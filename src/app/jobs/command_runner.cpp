#include "app/jobs/command_runner.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <system_error>
#include <vector>

#include <fmt/format.h>

#include "app/jobs/command_input.h"
#include "app/jobs/leftover_commands.h"
#include "util/logger.h"
#include "util/poll_until.h"
#include "util/process_table.h"

namespace Rilk {

namespace {

/// The spawn attributes and file actions of one command, released however the start ends.
class SpawnSetup {
public:
    SpawnSetup() {
        posix_spawnattr_init(&attributes);
        posix_spawn_file_actions_init(&actions);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
};

/// Starts the shell; returns 0 and the child's id, or the error that kept it from running.
int startShell(const Recipe& recipe, const std::vector<std::string>& environment, pid_t& pid) {
    SpawnSetup setup;
    // Its own process group, so an interrupt can stop the shell and all it started. No
    // signal blocked: the job thread that starts it blocks the interrupts.
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
    posix_spawnattr_setpgroup(&setup.attributes, 0);
    posix_spawnattr_setsigmask(&setup.attributes, &none);
    if (const int error = addCommandInput(setup.actions); error != 0) return error;
    if (!recipe.workingDirectory.empty()) {
        const int error =
            posix_spawn_file_actions_addchdir_np(&setup.actions, recipe.workingDirectory.c_str());
        if (error != 0) return error;
    }
    std::vector<char*> envp;
    envp.reserve(environment.size() + 1);
    for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    char shellName[] = "sh";
    char option[] = "-c";
    char* argv[] = {shellName, option, const_cast<char*>(recipe.command.c_str()), nullptr};
    return posix_spawn(&pid, "/bin/sh", &setup.actions, &setup.attributes, argv, envp.data());
}

/// Waits until the child has ended, leaving it unreaped so its process group number stays
/// taken while the slot still names it.
void awaitExit(pid_t pid) {
    siginfo_t info{};
    while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
}

/// Once a stop came: waits until no process of the command's group lives, so that nothing
/// the command started writes after the run removed its outputs. The shell that leads the
/// group is not reaped yet, so the group's number stays the command's, and the slot still
/// names it: a second signal, or the runner once the grace has passed, kills the group. Gives
/// up after the grace and the kill's limit, as the run then ends all the same.
void awaitGroupEnd(pid_t group) {
    const auto deadline = std::chrono::steady_clock::now() + kLeftoverGrace + kLeftoverKillLimit;
    Util::pollUntil(deadline, [&] { return !Util::groupLives(Util::allProcesses(), group); });
}

/// Reaps the ended child; its job result, or the error of the wait.
int reap(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return errno;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? -WTERMSIG(status) : kCommandSignalled;
}

/// Why the command could not be started: the log line, or the phrase of the job's failure.
std::string startFailure(const Recipe& recipe, int error, bool phrase) {
    const std::string reason = std::generic_category().message(error);
    if (recipe.workingDirectory.empty()) {
        return phrase ? "command could not start: \"/bin/sh\" cannot run: " + reason
                      : "Cannot run \"/bin/sh\": " + reason;
    }
    const std::string directory = recipe.workingDirectory.string();
    return phrase ? fmt::format("command could not start in '{}': {}", directory, reason)
                  : fmt::format("Cannot run the command in '{}': {}", directory, reason);
}

}  // namespace

int runCommand(const Recipe& recipe, const std::vector<std::string>& environment,
               RunningCommandSlot& slot, std::string* notStarted, RunJournal* journal) {
    flushConsole();
    pid_t pid = 0;
    if (const int error = startShell(recipe, environment, pid); error != 0) {
        if (notStarted != nullptr) {
            *notStarted = startFailure(recipe, error, true);
        } else {
            log(LogLevel::Error, "{}\n", startFailure(recipe, error, false));
        }
        return error;
    }
    if (journal != nullptr) journal->recordCommandGroup(pid);
    slot.publish(pid);
    awaitExit(pid);  // an error here shows again, and is reported, when reaping
    if (buildInterrupted()) awaitGroupEnd(pid);
    const bool stopped = slot.withdraw();
    const int result = reap(pid);
    // Still running at the stop: a cleanup trap may end it with 0 after its work was cut
    // short, so it did not finish.
    return stopped ? kCommandSignalled : result;
}

}  // namespace Rilk
