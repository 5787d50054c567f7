#include "app/jobs/build_interrupt.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>

#include "app/jobs/output_reader.h"
#include "types/rilk_errors.h"
#include "util/file_time.h"
#include "util/logger.h"

namespace Rilk {

static_assert(std::atomic<pid_t>::is_always_lock_free);
static_assert(std::atomic<int>::is_always_lock_free);
static_assert(std::atomic<std::int64_t>::is_always_lock_free);
static_assert(std::atomic<RunningCommandSlot*>::is_always_lock_free);

namespace {

/// The first stop signal of the run; never reset, since the run ends by it.
std::atomic<int> receivedSignal{0};
/// When it arrived, on the monotonic clock, in nanoseconds.
std::atomic<std::int64_t> signalTime{0};
/// The slots of the guard in place, and their number; null while no jobs run.
std::atomic<RunningCommandSlot*> activeSlots{nullptr};
std::atomic<std::size_t> activeSlotCount{0};
/// Whether a `BuildSignals` is in place.
std::atomic<bool> signalsInPlace{false};
/// Whether a closed output stops the run (`catchClosedOutput` caught SIGPIPE).
std::atomic<bool> closedOutputStops{false};

/// Ends a command and everything it started. SIGTERM, whatever the signal received: a
/// shell run with "-c" defers SIGINT until its current child ends, and would still start
/// that child when the signal came first. SIGCONT wakes a command that was stopped, for
/// example by reading the terminal, so that it can end. Async-signal-safe.
void stopGroup(pid_t group) {
    kill(-group, SIGTERM);
    kill(-group, SIGCONT);
}

/// Kills a command that would not end, and everything it started. Async-signal-safe.
void killGroup(pid_t group) { kill(-group, SIGKILL); }

/// Applies `action` to the process group of every published command. Async-signal-safe.
void forEachRunningCommand(void (*action)(pid_t)) {
    RunningCommandSlot* slots = activeSlots.load();
    const std::size_t count = activeSlotCount.load();
    if (slots == nullptr) return;
    for (std::size_t i = 0; i < count; ++i) {
        const pid_t group = slots[i].processGroup();
        if (group > 0) action(group);
    }
}

std::int64_t monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return Util::nanosecondsOf(now);
}

/// Records `signal` as the stop of the run and stops the running commands; false when a
/// stop came first. Async-signal-safe.
bool recordStop(int signal) {
    int none = 0;
    if (!receivedSignal.compare_exchange_strong(none, signal)) return false;
    signalTime.store(monotonicNanoseconds());
    forEachRunningCommand(stopGroup);
    return true;
}

void onInterrupt(int signal) {
    const int savedErrno = errno;  // the interrupted code may be about to read its own
    if (!recordStop(signal)) forEachRunningCommand(killGroup);
    errno = savedErrno;
}

/// Installs the handler for `signal` unless the signal is ignored; true when installed.
bool install(int signal, struct sigaction& old) {
    if (sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) return false;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    for (const int stop : kStopSignals) sigaddset(&action.sa_mask, stop);
    action.sa_flags = SA_RESTART;
    return sigaction(signal, &action, nullptr) == 0;
}

}  // namespace

bool buildInterrupted() { return receivedSignal.load() != 0; }

void RunningCommandSlot::publish(pid_t processGroup) {
    processGroup_.store(processGroup);
    // Pairs with the handler, which stores the signal before it reads the slots: either
    // it sees this group, or this thread sees its signal.
    if (receivedSignal.load() != 0) stopGroup(processGroup);
}

bool RunningCommandSlot::withdraw() {
    processGroup_.store(0);
    // A command that ended once the output had closed may have ended because of it, as a
    // rilk it ran on the same output stops then: it did not finish.
    stopIfOutputClosed();
    // Pairs with the handler as `publish` does: a signal stored before this point found the
    // command published, so it was still running at the stop.
    return receivedSignal.load() != 0;
}

void throwIfInterrupted() {
    if (buildInterrupted()) throw BuildInterrupted();
}

BuildSignals::BuildSignals() {
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
        installed_[i] = install(kStopSignals[i], old_[i]);
    }
    signalsInPlace.store(true);
}

BuildSignals::~BuildSignals() {
    signalsInPlace.store(false);
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
        if (installed_[i]) sigaction(kStopSignals[i], &old_[i], nullptr);
    }
}

void catchClosedOutput() {
    struct sigaction old {};
    closedOutputStops.store(install(SIGPIPE, old));
}

void stopIfOutputClosed() {
    if (!closedOutputStops.load() || receivedSignal.load() != 0) return;
    if (standardOutputReaderGone()) recordStop(SIGPIPE);
}

InterruptGuard::InterruptGuard(std::size_t jobCount)
    : slots_(std::make_unique<RunningCommandSlot[]>(jobCount)), jobCount_(jobCount) {
    if (activeSlots.load() != nullptr) throw InternalError();
    activeSlotCount.store(jobCount);
    activeSlots.store(slots_.get());
    if (!signalsInPlace.load()) signals_ = std::make_unique<BuildSignals>();
}

InterruptGuard::~InterruptGuard() {
    signals_.reset();
    // The jobs have ended, so no command is published any more; a handler still running on
    // this thread has returned by now.
    activeSlots.store(nullptr);
    activeSlotCount.store(0);
}

int InterruptGuard::signal() const { return receivedSignal.load(); }

std::chrono::nanoseconds InterruptGuard::sinceSignal() const {
    // The handler stores the time just after the signal: until then the signal is new.
    const std::int64_t at = signalTime.load();
    if (!interrupted() || at == 0) return std::chrono::nanoseconds(0);
    return std::chrono::nanoseconds(monotonicNanoseconds() - at);
}

void InterruptGuard::killRunningCommands() { forEachRunningCommand(killGroup); }

void endInterruptedRun() {
    const int caught = receivedSignal.load();
    flushConsole();
    if (caught == 0 || caught == SIGPIPE) _exit(1);
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(caught, &action, nullptr);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, caught);
    pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr);
    raise(caught);
    _exit(128 + caught);
}

}  // namespace Rilk
