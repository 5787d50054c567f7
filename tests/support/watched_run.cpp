#include "support/watched_run.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "support/pipe_reading.h"

namespace RilkTest {
namespace {

/// The resident memory of a running process, in bytes; 0 when it cannot be read.
std::uintmax_t residentBytes(pid_t pid) {
    std::ifstream statm("/proc/" + std::to_string(pid) + "/statm");
    std::uintmax_t total = 0;
    std::uintmax_t resident = 0;
    if (!(statm >> total >> resident)) return 0;
    return resident * static_cast<std::uintmax_t>(sysconf(_SC_PAGESIZE));
}

[[noreturn]] void execRilk(const std::vector<std::string>& args, const ProcessOptions& options,
                           int out, int err) {
    dup2(open("/dev/null", O_RDONLY), 0);
    dup2(out, 1);
    dup2(err, 2);
    if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0) {
        _exit(126);
    }
    for (const auto& [name, value] : options.environment) setenv(name.c_str(), value.c_str(), 1);
    std::vector<std::string> argv{RILK_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (const std::string& a : argv) pointers.push_back(const_cast<char*>(a.c_str()));
    pointers.push_back(nullptr);
    execv(pointers[0], pointers.data());
    _exit(127);
}

}  // namespace

WatchedResult runRilkWatched(const Watch& watch, const std::vector<std::string>& args,
                             const ProcessOptions& options) {
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) execRilk(args, options, out[1], err[1]);
    close(out[1]);
    close(err[1]);

    WatchedResult result;
    const auto start = std::chrono::steady_clock::now();
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* texts[2] = {&result.out, &result.err};
    int openPipes = 2;
    while (openPipes > 0) {
        if (result.killedFor.empty()) {
            if (watch.maxResidentBytes != 0 && residentBytes(pid) > watch.maxResidentBytes) {
                result.killedFor = "memory";
            } else if (std::chrono::steady_clock::now() - start > watch.maxTime) {
                result.killedFor = "time";
            }
            if (!result.killedFor.empty()) kill(pid, SIGKILL);
        }
        if (poll(fds, 2, 10) <= 0) continue;
        readReadyPipes(fds, texts, openPipes);
    }
    close(out[0]);
    close(err[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.peakResidentBytes = static_cast<std::uintmax_t>(usage.ru_maxrss) * 1024;
    return result;
}

}  // namespace RilkTest
