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

}  // namespace

WatchedResult runRilkWatched(const Watch& watch, const std::vector<std::string>& args,
                             const ProcessOptions& options) {
    std::vector<std::string> argv{RILK_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    const PreparedExec program(argv, options);
    const PipedChild child = forkWithPipes([&] { program.run(); });
    const pid_t pid = child.pid;

    WatchedResult result;
    const auto start = std::chrono::steady_clock::now();
    pollfd fds[2] = {{child.out, POLLIN, 0}, {child.err, POLLIN, 0}};
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
    close(child.out);
    close(child.err);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.peakResidentBytes = static_cast<std::uintmax_t>(usage.ru_maxrss) * 1024;
    return result;
}

}  // namespace RilkTest
