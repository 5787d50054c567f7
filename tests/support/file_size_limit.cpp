#include "support/file_size_limit.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <stdexcept>

#include "support/pipe_reading.h"

namespace RilkTest {
namespace {

/// Caps this process's file size; an ignored SIGXFSZ stays ignored across exec.
void limitFileSize(std::uintmax_t bytes) {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY || bytes < limit.rlim_max
                         ? static_cast<rlim_t>(bytes)
                         : limit.rlim_max;
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(125);
    std::signal(SIGXFSZ, SIG_IGN);
}

/// Reads both pipes until the child and everything that inherited them closed them.
void drain(int out, int err, std::string& outText, std::string& errText) {
    pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    std::string* texts[2] = {&outText, &errText};
    int openPipes = 2;
    while (openPipes > 0) {
        if (poll(fds, 2, -1) < 0) continue;  // EINTR
        readReadyPipes(fds, texts, openPipes);
    }
}

}  // namespace

ProcessResult runInChildWithFileSizeLimit(std::uintmax_t bytes, const std::function<void()>& body) {
    const PipedChild child = forkWithPipes([&] {
        limitFileSize(bytes);
        body();
    });
    ProcessResult result;
    drain(child.out, child.err, result.out, result.err);
    close(child.out);
    close(child.err);
    int status = 0;
    waitpid(child.pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

ProcessResult runRilkWithFileSizeLimit(std::uintmax_t bytes, const std::vector<std::string>& args,
                                       const ProcessOptions& options) {
    if (!options.environment.contains("HOME")) {
        throw std::invalid_argument("a rilk run under a file-size limit needs its own HOME");
    }
    std::vector<std::string> argv{RILK_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    return runInChildWithFileSizeLimit(bytes, [&] {
        if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0) {
            _exit(126);
        }
        for (const auto& [name, value] : options.environment) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        std::vector<char*> pointers;
        for (const std::string& a : argv) pointers.push_back(const_cast<char*>(a.c_str()));
        pointers.push_back(nullptr);
        execv(pointers[0], pointers.data());
        _exit(127);
    });
}

}  // namespace RilkTest
