#include "app/jobs/build_interrupt.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>

#include "types/rilk_errors.h"
#include "util/file_time.h"
#include "util/logger.h"

namespace Rilk {

static_assert(std::atomic<pid_t>::is_always_lock_free);
static_assert(std::atomic<int>::is_always_lock_free);
static_assert(std::atomic<std::int64_t>::is_always_lock_free);
static_assert(std::atomic<RunningCommandSlot*>::is_always_lock_free);

namespace {

/// The first SIGINT or SIGTERM of the run; never reset, since the process ends by it.
std::atomic<int> receivedSignal{0};
/// When it arrived, on the monotonic clock, in nanoseconds.
std::atomic<std::int64_t> signalTime{0};
/// The slots of the guard in place, and their number; null while no jobs run.
std::atomic<RunningCommandSlot*> activeSlots{nullptr};
std::atomic<std::size_t> activeSlotCount{0};

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

void onInterrupt(int signal) {
    const int savedErrno = errno;  // the interrupted code may be about to read its own
    int none = 0;
    if (receivedSignal.compare_exchange_strong(none, signal)) {
        signalTime.store(monotonicNanoseconds());
        forEachRunningCommand(stopGroup);
    } else {
        forEachRunningCommand(killGroup);
    }
    errno = savedErrno;
}

/// Installs the handler for `signal` unless the signal is ignored; true when installed.
bool install(int signal, struct sigaction& old) {
    if (sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) return false;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
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

void RunningCommandSlot::withdraw() { processGroup_.store(0); }

InterruptGuard::InterruptGuard(std::size_t jobCount)
    : slots_(std::make_unique<RunningCommandSlot[]>(jobCount)) {
    if (activeSlots.load() != nullptr) throw InternalError();
    activeSlotCount.store(jobCount);
    activeSlots.store(slots_.get());
    intInstalled_ = install(SIGINT, oldInt_);
    termInstalled_ = install(SIGTERM, oldTerm_);
}

InterruptGuard::~InterruptGuard() {
    if (intInstalled_) sigaction(SIGINT, &oldInt_, nullptr);
    if (termInstalled_) sigaction(SIGTERM, &oldTerm_, nullptr);
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

void InterruptGuard::reraise() {
    const int caught = signal();
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(caught, &action, nullptr);
    flushConsole();
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, caught);
    pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr);
    raise(caught);
    _exit(128 + caught);
}

}  // namespace Rilk
