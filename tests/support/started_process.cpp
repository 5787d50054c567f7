#include "support/started_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include "support/wait_until.h"

namespace RilkTest {

namespace {

/// The processes whose parent is `parent`, read from /proc.
std::vector<pid_t> childrenOf(pid_t parent) {
    std::vector<pid_t> children;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream in(entry.path() / "stat");
        std::string stat;
        std::getline(in, stat);
        // "pid (name) state ppid ...": the name may hold blanks and parentheses.
        const std::size_t close = stat.rfind(')');
        if (close == std::string::npos) continue;
        char state = 0;
        int ppid = 0;
        if (std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &ppid) != 2) continue;
        if (ppid == parent) children.push_back(static_cast<pid_t>(std::stoi(name)));
    }
    return children;
}

}  // namespace

pid_t startProcess(const std::vector<std::string>& argv, const std::filesystem::path& directory,
                   const std::map<std::string, std::string>& environment,
                   const std::filesystem::path& log) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        if (::chdir(directory.c_str()) != 0) ::_exit(127);
        for (const auto& [name, value] : environment) ::setenv(name.c_str(), value.c_str(), 1);
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = log.empty() ? ::open("/dev/null", O_WRONLY)
                                    : ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(out, 2);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    return pid;
}

int waitExit(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

std::optional<int> waitExitWithin(pid_t pid, std::chrono::milliseconds limit) {
    int status = 0;
    std::optional<int> code;
    const auto ended = [&] {
        const pid_t reaped = ::waitpid(pid, &status, WNOHANG);
        if (reaped == pid) code = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
        if (reaped < 0 && errno != EINTR) code = -1;
        return code.has_value();
    };
    if (!waitUntil(ended, limit)) killWithCommands(pid);
    return code;
}

bool signalPending(pid_t pid, int signal) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        // "ShdPnd:\t0000000000004000": the signals sent to the process, one bit each.
        if (line.rfind("ShdPnd:", 0) != 0) continue;
        const unsigned long long pending = std::stoull(line.substr(7), nullptr, 16);
        return (pending >> (signal - 1) & 1U) != 0;
    }
    return false;
}

bool processEnded(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(in, stat)) return true;
    // "pid (name) state ...": the name may hold blanks and parentheses.
    const std::size_t close = stat.rfind(')');
    return close == std::string::npos || close + 2 >= stat.size() || stat[close + 2] == 'Z';
}

void killWithCommands(pid_t pid) {
    ::kill(pid, SIGSTOP);
    int status = 0;
    ::waitpid(pid, &status, WUNTRACED);
    if (!WIFSTOPPED(status)) return;  // it had ended, and is reaped
    for (const pid_t child : childrenOf(pid)) {
        ::kill(-child, SIGKILL);
        ::kill(child, SIGKILL);
    }
    ::kill(pid, SIGKILL);
    waitExit(pid);
}

}  // namespace RilkTest
