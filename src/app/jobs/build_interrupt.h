#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <memory>

namespace Rilk {

/// True once SIGINT or SIGTERM arrived while a target's jobs ran. The job runner then
/// stops the jobs, removes their partial outputs and ends the process by the signal, so a
/// caller that sees this never saves anything.
bool buildInterrupted();

/// Where one job publishes the process group of the command it is running, so that an
/// interrupt can stop the command together with everything it started.
class RunningCommandSlot {
public:
    /// Records the running command; stops it at once when an interrupt came first.
    void publish(pid_t processGroup);
    /// Forgets the command. Call it before the command's process is reaped, so the
    /// interrupt never signals a process group whose number was given to another.
    void withdraw();
    /// The published process group, or 0.
    pid_t processGroup() const { return processGroup_.load(); }

private:
    std::atomic<pid_t> processGroup_{0};
};

/// How long commands may take to end after the first SIGINT or SIGTERM before they are
/// killed.
inline constexpr std::chrono::seconds kStubbornCommandGrace{5};

/// Catches SIGINT and SIGTERM for the lifetime of one batch of jobs (a signal ignored
/// when the batch starts stays ignored). On a signal the handler records it and ends the
/// process group of every published command (SIGTERM); the jobs see `interrupted()` and
/// start nothing further. A second signal kills those process groups (SIGKILL), for
/// commands that ignore the first; the runner does the same once `sinceSignal` passes
/// `kStubbornCommandGrace`. After the jobs have ended the runner calls `reraise`.
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

    /// Restores the default action of the signal that arrived, writes out the console
    /// and raises the signal again, so the caller of the program sees the usual status.
    [[noreturn]] void reraise();

private:
    std::unique_ptr<RunningCommandSlot[]> slots_;
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
    bool intInstalled_ = false;
    bool termInstalled_ = false;
};

}  // namespace Rilk
