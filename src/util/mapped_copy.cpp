#include "util/mapped_copy.h"

#include <atomic>
#include <csetjmp>
#include <csignal>
#include <cstring>

namespace Util {
namespace {

/// Where the copy on this thread resumes after a SIGBUS; null while it copies nothing.
thread_local sigjmp_buf* resumeAfterBusError = nullptr;
/// The disposition before ours, for a SIGBUS met outside a copy.
struct sigaction formerDisposition {};

void onBusError(int, siginfo_t*, void*) {
    if (resumeAfterBusError != nullptr) siglongjmp(*resumeAfterBusError, 1);
    // Not met in a copy: the former disposition takes over, and the faulting access, made
    // again on return, meets it.
    ::sigaction(SIGBUS, &formerDisposition, nullptr);
}

void catchBusErrors() {
    static const bool installed = [] {
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        // Not blocked while the handler runs: the jump out of it restores no signal mask.
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        return ::sigaction(SIGBUS, &action, &formerDisposition) == 0;
    }();
    (void)installed;
}

}  // namespace

bool copyMappedBytes(char* to, std::string_view from) {
    catchBusErrors();
    sigjmp_buf resume;
    // Without the signal mask: saving it would cost a system call per copy.
    if (sigsetjmp(resume, 0) != 0) {
        resumeAfterBusError = nullptr;
        return false;
    }
    resumeAfterBusError = &resume;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    std::memcpy(to, from.data(), from.size());
    std::atomic_signal_fence(std::memory_order_seq_cst);
    resumeAfterBusError = nullptr;
    return true;
}

}  // namespace Util
