#include "support/run_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace RilkTest {

namespace {

void closeQuietly(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

}  // namespace

ProcessResult collectChild(pid_t pid, int outFd, int errFd) {
    ProcessResult result;
    int fds[2] = {outFd, errFd};
    std::string* sinks[2] = {&result.out, &result.err};
    while (fds[0] >= 0 || fds[1] >= 0) {
        pollfd polls[2];
        for (int i = 0; i < 2; ++i) polls[i] = {fds[i], POLLIN, 0};
        if (poll(polls, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i] < 0 || (polls[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
            char buffer[4096];
            const ssize_t n = read(fds[i], buffer, sizeof buffer);
            if (n <= 0) {
                closeQuietly(fds[i]);
            } else {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            }
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
    int outPipe[2], errPipe[2], inPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0 || pipe(inPipe) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(inPipe[0], 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) {
            close(fd);
        }
        if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0) {
            _exit(126);
        }
        for (const auto& [name, value] : options.environment)
            setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(inPipe[0]);
    close(outPipe[1]);
    close(errPipe[1]);
    if (!options.input.empty()) {
        [[maybe_unused]] ssize_t n = write(inPipe[1], options.input.data(), options.input.size());
    }
    close(inPipe[1]);

    return collectChild(pid, outPipe[0], errPipe[0]);
}

ProcessResult runRilk(const std::vector<std::string>& args, const ProcessOptions& options) {
#ifdef RILK_BINARY
    std::vector<std::string> argv{RILK_BINARY};
#else
    std::vector<std::string> argv{"rilk"};
#endif
    argv.insert(argv.end(), args.begin(), args.end());
    return runProcess(argv, options);
}

}  // namespace RilkTest
