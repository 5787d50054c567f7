#include "tools/tool_probe.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <thread>

#include "util/logger.h"

namespace Rilk {

namespace {

using Clock = std::chrono::steady_clock;

/// The text wrapped in single quotes for /bin/sh; an embedded single quote closes the
/// quoted text, is written escaped and the quoting reopens ('\'').
std::string singleQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    quoted += '\'';
    return quoted;
}

bool isTrimmed(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string trimmed(const std::string& text) {
    std::size_t begin = 0;
    while (begin < text.size() && isTrimmed(text[begin])) ++begin;
    std::size_t end = text.size();
    while (end > begin && isTrimmed(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

/// Reads raw blocks until end of file or the deadline, so that no byte of the output is
/// lost, whatever the line lengths or embedded NUL bytes. False when the deadline passed.
bool readUntil(int fd, Clock::time_point deadline, std::string& text) {
    char buffer[512];
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        pollfd entry{fd, POLLIN, 0};
        const int ready = poll(&entry, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return true;
        text.append(buffer, static_cast<std::size_t>(count));
    }
}

/// The shell's wait status once it has ended, or nothing when it is still running at the
/// deadline (it may have closed its output and gone on).
std::optional<int> waitUntil(pid_t pid, Clock::time_point deadline) {
    for (;;) {
        int status = 0;
        const pid_t ended = waitpid(pid, &status, WNOHANG);
        if (ended == pid) return status;
        if (ended < 0 && errno != EINTR) return -1;
        if (Clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

int waitFor(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return status;
}

}  // namespace

std::string toolCommandText(const std::filesystem::path& tool, const std::string& arguments) {
    return singleQuoted(tool.native()) + " " + arguments + " </dev/null 2>/dev/null";
}

ToolRunResult runToolCapture(const std::filesystem::path& tool, const std::string& arguments,
                             std::chrono::milliseconds timeout) {
    ToolRunResult result;
    const std::string command = toolCommandText(tool, arguments);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return result;
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return result;
    }
    if (pid == 0) {
        // Its own process group, so that a timeout stops the tool and all it started.
        setpgid(0, 0);
        dup2(fds[1], STDOUT_FILENO);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    setpgid(pid, pid);
    close(fds[1]);
    std::string output;
    const Clock::time_point deadline = Clock::now() + timeout;
    std::optional<int> status;
    if (readUntil(fds[0], deadline, output)) status = waitUntil(pid, deadline);
    close(fds[0]);
    const bool finished = status.has_value();
    if (!finished) {
        kill(-pid, SIGKILL);
        waitFor(pid);
        log(LogLevel::Warning, "Probe '{}' {} did not finish within {:g} s and was stopped; skipping it.\n",
            tool.string(), arguments, static_cast<double>(timeout.count()) / 1000.0);
    }
    result.output = trimmed(output);
    result.timedOut = !finished;
    if (finished && *status != -1 && WIFEXITED(*status)) result.exitStatus = WEXITSTATUS(*status);
    return result;
}

}  // namespace Rilk
