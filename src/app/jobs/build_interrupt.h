#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <exception>
#include <iterator>
#include <memory>

namespace Rilk {

/// The signals that stop a build: SIGINT, SIGTERM, SIGHUP (the terminal closed) and
/// SIGPIPE (the output closed, as when a pager or `head` quits).
inline constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

/// True once a stop signal arrived during the build (`BuildSignals`) or while a target's
/// jobs ran. The job runner then stops the jobs, removes their partial outputs and throws
/// `BuildInterrupted`; the build stops before its next target.
bool buildInterrupted();

/// Thrown once a stop signal has stopped the build; the partial outputs are removed. The
/// run keeps the records of the work that finished and then ends (`endInterruptedRun`).
class BuildInterrupted : public std::exception {
public:
    const char* what() const noexcept override { return "Build interrupted."; }
};

/// Throws `BuildInterrupted` when a stop signal has arrived.
void throwIfInterrupted();

/// Ends the process as the stop signal asks: by the same signal, so the caller of the
/// program sees the usual status, or with status 1 for a closed output (SIGPIPE), which no
/// one is left to read. Writes out the console first.
[[noreturn]] void endInterruptedRun();

/// Catches the stop signals for a whole build (a signal ignored when it starts stays
/// ignored): the handler records the first and stops the commands that run. The build sees
/// `buildInterrupted()` before its next target, and the job runner while its jobs run.
/// Restores the former actions when it ends. One at a time.
class BuildSignals {
public:
    BuildSignals();
    ~BuildSignals();
    BuildSignals(const BuildSignals&) = delete;
    BuildSignals& operator=(const BuildSignals&) = delete;

private:
    struct sigaction old_[std::size(kStopSignals)] {};
    bool installed_[std::size(kStopSignals)] = {};
};

/// Makes a closed standard output (SIGPIPE) stop a build run from now until the process
/// ends, where `BuildSignals` catches it only while the build runs. A write to the closed
/// output then fails (`EPIPE`) instead of ending the process by the signal: before the build,
/// which the signal then stops before its first target, and after it too, when the console's
/// last flush fails and the run ends with status 1 (`finishConsole`). A signal ignored when
/// the run starts stays ignored.
void catchClosedOutput();

/// Stops the build as a closed output (SIGPIPE) does when standard output, a pipe or a
/// socket, has lost its reader, although no write has failed yet: while commands run rilk
/// may write nothing for long (a silent command, or a rilk run by a command that stopped
/// on the same output). Only once `catchClosedOutput` made a closed output stop the run,
/// and only while no stop came first. The job runner asks while it waits for its jobs, and
/// `RunningCommandSlot::withdraw` when a command has ended.
void stopIfOutputClosed();

/// Where one job publishes the process group of the command it is running, so that an
/// interrupt can stop the command together with everything it started.
class RunningCommandSlot {
public:
    /// Records the running command; stops it at once when an interrupt came first.
    void publish(pid_t processGroup);
    /// Forgets the command, once it has ended. Call it before the command's process is
    /// reaped, so the interrupt never signals a process group whose number was given to
    /// another. Returns whether a stop signal arrived while the command was published, or
    /// the output is found closed now (`stopIfOutputClosed`): it was still running at the
    /// stop, whatever status it then ended with.
    bool withdraw();
    /// The published process group, or 0.
    pid_t processGroup() const { return processGroup_.load(); }
    /// Notes that the terminal stopped the published command, which is then killed
    /// (`TerminalStops`); the job fails saying so.
    void markStoppedByTerminal() { stoppedByTerminal_.store(true); }
    bool stoppedByTerminal() const { return stoppedByTerminal_.load(); }

private:
    std::atomic<pid_t> processGroup_{0};
    std::atomic<bool> stoppedByTerminal_{false};
};

/// How long commands may take to end after the first SIGINT or SIGTERM before they are
/// killed.
inline constexpr std::chrono::seconds kStubbornCommandGrace{5};

/// Publishes the commands of one batch of jobs to the stop signals' handler, and catches
/// those signals for the batch unless a `BuildSignals` already does (a signal ignored when
/// the batch starts stays ignored). On a signal the handler records it and ends the process
/// group of every published command (SIGTERM); the jobs see `interrupted()` and start
/// nothing further. A second signal kills those process groups (SIGKILL), for commands that
/// ignore the first; the runner does the same once `sinceSignal` passes
/// `kStubbornCommandGrace`.
///
/// Only one guard may exist at a time. Everything the handler reads is lock-free atomic:
/// a signal handler may take no lock.
class InterruptGuard {
public:
    explicit InterruptGuard(std::size_t jobCount);
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    /// The signal that arrived, or 0.
    int signal() const;
    bool interrupted() const { return signal() != 0; }
    /// The time since the first signal arrived; zero when none did.
    std::chrono::nanoseconds sinceSignal() const;
    /// Kills the process group of every published command (SIGKILL).
    void killRunningCommands();
    RunningCommandSlot& slot(std::size_t job) { return slots_[job]; }
    std::size_t jobCount() const { return jobCount_; }

private:
    std::unique_ptr<RunningCommandSlot[]> slots_;
    std::size_t jobCount_ = 0;
    /// The handlers of the batch when no `BuildSignals` was in place.
    std::unique_ptr<BuildSignals> signals_;
};

}  // namespace Rilk
