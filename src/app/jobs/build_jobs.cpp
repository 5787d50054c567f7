#include "app/jobs/build_jobs.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <exception>
#include <future>
#include <optional>
#include <string>
#include <utility>

#include <fmt/format.h>

#include "app/jobs/build_interrupt.h"
#include "app/jobs/child_environment.h"
#include "app/jobs/command_runner.h"
#include "app/jobs/leftover_commands.h"
#include "app/jobs/output_snapshot.h"
#include "app/jobs/run_token.h"
#include "app/jobs/terminal_stops.h"
#include "types/path_glob.h"
#include "types/rilk_errors.h"
#include "util/logger.h"

namespace Rilk {

namespace {

/// One job of a call: its context, its recipes (made before any job starts), the state of
/// its output files when it started, and how it ended.
struct BuildJob {
    ContextPtr context;
    /// The position of its context among those of the call.
    std::size_t position = 0;
    /// Set once its recipes ran to their end (or it had none).
    bool ran = false;
    std::vector<std::filesystem::path> outputFiles;
    std::vector<Recipe> recipes;
    std::optional<OutputSnapshot> snapshot;
    int result = 0;
    /// Why its command could not be started; empty when every command started.
    std::string notStarted;
    /// Its command was stopped by the terminal, and killed.
    bool stoppedByTerminal = false;
    std::exception_ptr error;
};

/// The job result of a recipe that must not run (`ENOSYS`).
constexpr int kRecipeNotRun = ENOSYS;

/// Leaves SIGINT, SIGTERM and SIGHUP to the thread that waits for the jobs. A job thread spends
/// its time in a wait for its command, and a runtime that runs handlers only between
/// calls (the thread sanitizer's does) would hold the interrupt there until the command
/// ended by itself.
void blockInterrupts() {
    sigset_t interrupts;
    sigemptyset(&interrupts);
    sigaddset(&interrupts, SIGINT);
    sigaddset(&interrupts, SIGTERM);
    sigaddset(&interrupts, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &interrupts, nullptr);
}

/// One job's thread: runs its own copy of the recipes in order and stops at the first
/// that does not succeed, or when an interrupt arrived (the job then did not succeed).
int runJob(std::vector<Recipe> recipes, const std::vector<std::string>& environment,
           InterruptGuard& interrupt, RunningCommandSlot& slot, std::string* notStarted,
           RunJournal* journal) {
    blockInterrupts();
    for (const Recipe& recipe : recipes) {
        if (interrupt.interrupted()) return kCommandSignalled;
        log(LogLevel::Info, "{}\n", recipe.command);
        if (recipe.kind == Recipe::NotRun) return kRecipeNotRun;
        const int result = runCommand(recipe, childEnvironment(environment, recipe.pathDirectories),
                                      slot, notStarted, journal);
        if (result != 0) return result;
    }
    return 0;
}

std::vector<BuildJob> makeJobs(const std::vector<ContextPtr>& contexts,
                               const JobOutputFiles& outputFiles) {
    std::vector<BuildJob> jobs;
    for (std::size_t i = 0; i < contexts.size(); ++i) {
        if (!contexts[i]) continue;
        log(LogLevel::Info, "Starting build job\n");
        BuildJob job;
        job.context = contexts[i];
        job.position = i;
        if (i < outputFiles.size()) job.outputFiles = outputFiles[i];
        jobs.push_back(std::move(job));
    }
    return jobs;
}

/// Waits for one job's task, looking for a closed output and for commands the terminal
/// stopped meanwhile. Once an interrupt came,
/// commands that still run after `kStubbornCommandGrace` are killed.
void awaitTask(const std::future<int>& task, InterruptGuard& interrupt,
               TerminalStops& terminalStops) {
    constexpr auto kPoll = std::chrono::milliseconds(50);
    while (task.wait_for(kPoll) != std::future_status::ready) {
        stopIfOutputClosed();
        terminalStops.look(interrupt);
        if (interrupt.interrupted() && interrupt.sinceSignal() >= kStubbornCommandGrace) {
            interrupt.killRunningCommands();
        }
    }
}

/// Takes the snapshot of every job's outputs and adds them to the journal, before any job
/// starts.
void snapshotOutputs(std::vector<BuildJob>& jobs, RunJournal* journal) {
    std::vector<const OutputSnapshot*> snapshots;
    bool commands = false;
    for (BuildJob& job : jobs) {
        job.snapshot.emplace(job.outputFiles);
        snapshots.push_back(&*job.snapshot);
        commands = commands || !job.recipes.empty();
    }
    if (journal == nullptr) return;
    journal->record(snapshots, commands);
}

/// Starts one thread per job with recipes, naming each command's process group in the
/// journal, and waits for all of them in job order; every
/// job that was started has ended when this returns. A job without recipes has nothing to
/// run and succeeds without a thread, so a long chain of targets that run nothing starts
/// none. An error starting a thread is returned.
std::exception_ptr runAll(std::vector<BuildJob>& jobs, InterruptGuard& interrupt,
                          RunJournal* journal) {
    // Every command carries the run's token, which shows later what the run started.
    std::vector<std::string> environment = currentEnvironment();
    giveRunTokens(environment);
    std::vector<std::pair<std::size_t, std::future<int>>> tasks;
    tasks.reserve(jobs.size());
    std::exception_ptr startError;
    try {
        for (std::size_t i = 0; i < jobs.size() && !interrupt.interrupted(); ++i) {
            if (jobs[i].recipes.empty()) {
                jobs[i].ran = true;
                continue;
            }
            tasks.emplace_back(
                i, std::async(std::launch::async, runJob, jobs[i].recipes, std::cref(environment),
                              std::ref(interrupt), std::ref(interrupt.slot(i)), &jobs[i].notStarted,
                              journal));
        }
    } catch (...) {
        startError = std::current_exception();
    }
    TerminalStops terminalStops;
    for (auto& [i, task] : tasks) {
        try {
            awaitTask(task, interrupt, terminalStops);
            jobs[i].result = task.get();
            jobs[i].stoppedByTerminal = interrupt.slot(i).stoppedByTerminal();
            jobs[i].ran = true;
        } catch (...) {
            jobs[i].result = kCommandSignalled;
            jobs[i].error = std::current_exception();
        }
    }
    return startError;
}

/// Removes what the jobs that did not succeed left behind; returns the files removed.
std::vector<std::filesystem::path> removePartialOutputs(const std::vector<BuildJob>& jobs) {
    std::vector<std::filesystem::path> removed;
    for (const BuildJob& job : jobs) {
        if (job.result == 0 && !job.error) continue;
        if (!job.snapshot) continue;
        for (std::filesystem::path& file : job.snapshot->removeChanged()) {
            removed.push_back(std::move(file));
        }
    }
    return removed;
}

/// Whether a job did not succeed.
bool anyFailed(const std::vector<BuildJob>& jobs) {
    return std::any_of(jobs.begin(), jobs.end(),
                       [](const BuildJob& job) { return job.result != 0 || job.error; });
}

/// Once every job has ended and one did not succeed, or a stop came: ends what the run's
/// commands left running, before their outputs are removed, so that none writes after.
void endLeftovers() {
    const std::size_t groups = endLeftoverCommands();
    if (groups > 0) {
        log(LogLevel::Info, "Ended {} process {} that this run's commands had left running.\n",
            groups, groups == 1 ? "group" : "groups");
    }
}

/// Once the jobs an interrupt stopped have all ended: removes what they left behind and
/// stops the build.
[[noreturn]] void endInterrupted(const std::vector<BuildJob>& jobs) {
    removePartialOutputs(jobs);
    throw BuildInterrupted();
}

/// Whether each job context's job succeeded, by position (one without a job did not run).
void reportFinished(const std::vector<BuildJob>& jobs, std::size_t contexts,
                    std::vector<bool>* finished) {
    if (finished == nullptr) return;
    finished->assign(contexts, false);
    for (const BuildJob& job : jobs) {
        (*finished)[job.position] = job.ran && job.result == 0 && !job.error;
    }
}

/// How a job that did not succeed ended, for the failure message.
std::string describeResult(const BuildJob& job) {
    const int result = job.result;
    if (!job.notStarted.empty()) return job.notStarted;
    if (job.stoppedByTerminal) {
        return "command stopped by the terminal, which it read or set up: commands run in the "
               "background of rilk's terminal, so it was killed; give it its input another way";
    }
    if (result == kRecipeNotRun) return "a recipe that must not run";
    if (result == kCommandSignalled) return "command killed by a signal";
    if (result < 0) {
        const char* name = sigabbrev_np(-result);
        return name == nullptr ? fmt::format("command killed by signal {}", -result)
                               : fmt::format("command killed by signal {}, SIG{}", -result, name);
    }
    return fmt::format("command exit status {}", result);
}

/// After every job has ended: the first job error in job order, then the failure, with
/// how the first job that failed ended.
void checkResults(const std::vector<BuildJob>& jobs, const Util::CiString& name) {
    const BuildJob* failed = nullptr;
    for (const BuildJob& job : jobs) {
        if (job.error) std::rethrow_exception(job.error);
        if (failed == nullptr && job.result != 0) failed = &job;
    }
    if (failed != nullptr) {
        log(LogLevel::Error, "Build of {} failed ({}). Exiting..\n", name, describeResult(*failed));
        throw RilkException("Build failed.");
    }
}

void collectOutputs(Builder& builder, const std::vector<BuildJob>& jobs, Context& output) {
    for (const BuildJob& job : jobs) {
        const Context produced = builder.collectOutputs(*job.context, job.result);
        std::vector<Assignment> items;
        items.reserve(produced.assignments.size());
        for (const auto& [key, assignment] : produced.assignments) {
            items.emplace_back(assignment.name, assignment.value, assignment.type,
                               assignment.modifier);
        }
        output.appendToList(items);
    }
}

/// Refuses a command or working directory holding a NUL byte: the shell would run only the
/// part of the command before it, and the system would enter the directory it names up to
/// there.
void refuseNulBytes(const std::vector<BuildJob>& jobs, const Util::CiString& name) {
    for (const BuildJob& job : jobs) {
        for (const Recipe& recipe : job.recipes) {
            if (recipe.command.find('\0') != std::string::npos) {
                throw RilkException("A command of " + name.str() +
                                    " holds a NUL byte, at which the shell would cut it: '" +
                                    printablePath(recipe.command) + "'");
            }
            const std::string& directory = recipe.workingDirectory.native();
            if (directory.find('\0') != std::string::npos) {
                throw RilkException("The working directory (cwd) of a command of " + name.str() +
                                    " holds a NUL byte, at which the system would cut it: '" +
                                    printablePath(directory) + "'");
            }
        }
    }
}

}  // namespace

void runBuildJobs(Builder& builder, const std::vector<ContextPtr>& jobContexts,
                  const Util::CiString& name, Context& output, const JobOutputFiles& outputFiles,
                  RunJournal* journal, std::vector<bool>* finished) {
    if (finished != nullptr) finished->assign(jobContexts.size(), false);
    std::vector<BuildJob> jobs = makeJobs(jobContexts, outputFiles);
    if (jobs.empty()) return;
    builder.beginBuild(*jobs.front().context, jobs.size());
    // Until the jobs start nothing needs undoing.
    std::optional<InterruptGuard> interrupt;
    try {
        for (BuildJob& job : jobs) job.recipes = builder.createRecipes(*job.context);
        refuseNulBytes(jobs, name);
        snapshotOutputs(jobs, journal);
        interrupt.emplace(jobs.size());
        const std::exception_ptr startError = runAll(jobs, *interrupt, journal);
        reportFinished(jobs, jobContexts.size(), finished);
        if (interrupt->interrupted() || anyFailed(jobs)) endLeftovers();
        if (interrupt->interrupted()) endInterrupted(jobs);
        for (const std::filesystem::path& file : removePartialOutputs(jobs)) {
            log(LogLevel::Verbose, "Removed '{}', left behind by a failed job.\n", file.string());
        }
        if (startError) std::rethrow_exception(startError);
        checkResults(jobs, name);
        collectOutputs(builder, jobs, output);
    } catch (const BuildInterrupted&) {
        builder.endBuild();
        throw;
    } catch (...) {
        // Every job thread has been joined by now.
        if (interrupt && interrupt->interrupted()) {
            builder.endBuild();
            endInterrupted(jobs);
        }
        builder.endBuild();
        throw;
    }
    builder.endBuild();
    if (interrupt->interrupted()) endInterrupted(jobs);
}

}  // namespace Rilk
