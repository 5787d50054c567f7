#include "util/mapping_guard.h"

#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>

namespace Util {

/// One guarded range; `begin` is 0 while the entry guards nothing. Entries are never freed:
/// the handler may walk the list at any moment, so an entry no longer used is reused.
struct GuardedRange {
    std::atomic<std::uintptr_t> begin{0};
    /// The end of the range's last page.
    std::atomic<std::uintptr_t> end{0};
    std::atomic<bool> lost{false};
    std::atomic<bool> inUse{true};
    /// The entry added before this one; set before the entry is published, then fixed.
    GuardedRange* next = nullptr;
};

namespace {

// The handler reads these; it may take no lock.
static_assert(std::atomic<std::uintptr_t>::is_always_lock_free);
static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<GuardedRange*>::is_always_lock_free);

/// Every entry, the last added first.
std::atomic<GuardedRange*> ranges{nullptr};
/// Set once any range lost pages: until then nobody needs to look for one.
std::atomic<bool> anyLost{false};
std::atomic<std::uintptr_t> pageSize{4096};
/// The SIGBUS disposition before ours, for a SIGBUS outside every guarded range.
struct sigaction formerDisposition {};

/// Maps zero pages from the page of `address` to the end of the guarded range holding it;
/// false when no range holds it or the mapping fails. Async-signal-safe: atomics and one
/// system call, made directly so that no library wrapper comes between.
bool replaceLostPages(std::uintptr_t address) {
    for (GuardedRange* range = ranges.load(); range != nullptr; range = range->next) {
        const std::uintptr_t begin = range->begin.load();
        const std::uintptr_t end = range->end.load();
        if (begin == 0 || address < begin || address >= end) continue;
        // Marked first: a reader that sees the zero pages also finds the mark.
        range->lost.store(true);
        anyLost.store(true);
        const std::uintptr_t page = address & ~(pageSize.load() - 1);
        const long mapped = ::syscall(SYS_mmap, page, end - page, PROT_READ,
                                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        return mapped == static_cast<long>(page);
    }
    return false;
}

/// A SIGBUS that is none of ours goes where it went before: to the former handler, or,
/// without one, to the default action, which the faulting access meets again on return
/// (a signal sent by a process is raised again).
void passOn(int signal, siginfo_t* info, void* context) {
    const struct sigaction& former = formerDisposition;
    if (former.sa_handler == SIG_DFL || former.sa_handler == SIG_IGN) {
        ::sigaction(signal, &former, nullptr);
        if (info == nullptr || info->si_code <= 0) ::raise(signal);
    } else if ((former.sa_flags & SA_SIGINFO) != 0) {
        former.sa_sigaction(signal, info, context);
    } else {
        former.sa_handler(signal);
    }
}

void onBusError(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    const bool replaced =
        info != nullptr && replaceLostPages(reinterpret_cast<std::uintptr_t>(info->si_addr));
    errno = savedErrno;
    if (!replaced) passOn(signal, info, context);
}

void installHandler() {
    static const bool installed = [] {
        const long size = ::sysconf(_SC_PAGESIZE);
        if (size > 0) pageSize.store(static_cast<std::uintptr_t>(size));
        if (::sigaction(SIGBUS, nullptr, &formerDisposition) != 0) return false;
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        return ::sigaction(SIGBUS, &action, nullptr) == 0;
    }();
    (void)installed;
}

/// An entry no range uses, or a new one.
GuardedRange* claimEntry() {
    for (GuardedRange* range = ranges.load(); range != nullptr; range = range->next) {
        bool inUse = false;
        if (range->inUse.compare_exchange_strong(inUse, true)) return range;
    }
    auto* range = new GuardedRange;  // kept for the life of the process, see GuardedRange
    range->next = ranges.load();
    while (!ranges.compare_exchange_weak(range->next, range)) {
    }
    return range;
}

}  // namespace

GuardedRange* guardMapping(const void* data, std::size_t size) {
    installHandler();
    GuardedRange* range = claimEntry();
    const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t page = pageSize.load();
    range->lost.store(false);
    range->end.store((begin + size + page - 1) & ~(page - 1));
    // Last: from here the handler takes the range for one.
    range->begin.store(begin);
    return range;
}

void unguardMapping(GuardedRange* range) {
    range->begin.store(0);
    range->end.store(0);
    range->inUse.store(false);
}

bool rangeLost(const GuardedRange* range) {
    // The reads made before on this thread, whose faults the handler met, come first.
    std::atomic_signal_fence(std::memory_order_seq_cst);
    return range->lost.load();
}

bool mappedBytesLost(std::string_view bytes) {
    std::atomic_signal_fence(std::memory_order_seq_cst);
    if (!anyLost.load(std::memory_order_acquire)) return false;
    const auto address = reinterpret_cast<std::uintptr_t>(bytes.data());
    for (GuardedRange* range = ranges.load(); range != nullptr; range = range->next) {
        const std::uintptr_t begin = range->begin.load();
        if (begin != 0 && address >= begin && address < range->end.load()) {
            return range->lost.load();
        }
    }
    return false;
}

}  // namespace Util
