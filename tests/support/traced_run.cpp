#include "support/traced_run.h"

#include <fcntl.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <map>
#include <stdexcept>

namespace RilkTest {
namespace {

std::string readAll(FILE* file) {
    std::string text;
    char buffer[4096];
    std::rewind(file);
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, n);
    return text;
}

int statusCode(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

/// Notes the system call `thread` enters, or tells whether the one it returns from is the
/// one `at` looks for.
bool returnedAt(pid_t thread, std::map<pid_t, ReturnedCall>& calls,
                const std::function<bool(const ReturnedCall&)>& at) {
    __ptrace_syscall_info info{};
    ::ptrace(PTRACE_GET_SYSCALL_INFO, thread, sizeof info, &info);
    ReturnedCall& call = calls[thread];
    if (info.op == PTRACE_SYSCALL_INFO_ENTRY) {
        call = {thread, info.entry.nr, {}, 0};
        for (int i = 0; i < 6; ++i) call.arguments[i] = info.entry.args[i];
        return false;
    }
    call.result = info.exit.rval;
    return info.op == PTRACE_SYSCALL_INFO_EXIT && at(call);
}

/// Follows every thread of the traced `pid` until it ends, acting once; returns its status.
int follow(pid_t pid, const std::function<bool(const ReturnedCall&)>& at,
           const std::function<void()>& act, bool& acted) {
    std::map<pid_t, ReturnedCall> calls;  // the call each thread is in
    for (;;) {
        int status = 0;
        const pid_t thread = ::waitpid(-1, &status, __WALL);
        if (thread < 0) throw std::runtime_error("the traced program was lost");
        // The leader's end comes after every other thread's; it is the test's own child,
        // reported once it ends whether it is traced or not.
        if (WIFEXITED(status) || WIFSIGNALED(status)) {
            if (thread == pid) return statusCode(status);
            continue;
        }
        const int signal = WSTOPSIG(status);
        const bool atCall = signal == (SIGTRAP | 0x80);
        // The stops at system calls, of new threads and of events are the tracer's own.
        const bool programSignal = !atCall && signal != SIGSTOP && (status >> 16) == 0;
        if (!acted && atCall && returnedAt(thread, calls, at)) {
            act();
            acted = true;
        }
        // Once it acted, each thread is let go, so that the program runs on as it would
        // untraced (LeakSanitizer, for one, cannot check a traced program).
        ::ptrace(acted ? PTRACE_DETACH : PTRACE_SYSCALL, thread, nullptr,
                 programSignal ? signal : 0);
    }
}

}  // namespace

TracedResult runTraced(const std::vector<std::string>& argv, const ProcessOptions& options,
                       const std::function<bool(const ReturnedCall&)>& at,
                       const std::function<void()>& act) {
    const PreparedExec program(argv, options);
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    if (out == nullptr || err == nullptr) throw std::runtime_error("tmpfile failed");
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::dup2(fileno(out), 1);
        ::dup2(fileno(err), 2);
        ::dup2(::open("/dev/null", O_RDONLY), 0);
        if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) ::_exit(124);
        program.run();
    }
    TracedResult result;
    int status = 0;
    // Stopped at the start of the program.
    if (::waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) {
        result.process.exitCode = statusCode(status);
    } else {
        ::ptrace(
            PTRACE_SETOPTIONS, pid, nullptr,
            PTRACE_O_TRACESYSGOOD | PTRACE_O_TRACECLONE | PTRACE_O_TRACEEXEC | PTRACE_O_EXITKILL);
        ::ptrace(PTRACE_SYSCALL, pid, nullptr, 0);
        result.process.exitCode = follow(pid, at, act, result.acted);
    }
    result.process.out = readAll(out);
    result.process.err = readAll(err);
    std::fclose(out);
    std::fclose(err);
    return result;
}

std::string descriptorPath(pid_t thread, std::uint64_t descriptor) {
    const std::string link =
        "/proc/" + std::to_string(thread) + "/fd/" + std::to_string(descriptor);
    char target[4096];
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target);
    return length > 0 ? std::string(target, static_cast<std::size_t>(length)) : "";
}

}  // namespace RilkTest
