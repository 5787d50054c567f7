#include "support/run_process.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <stdexcept>

namespace RilkTest {

namespace {

void flushAll() {
    std::cout.flush();
    std::fflush(nullptr);
}

/// Reads from the start of the descriptor until its end (a closed terminal reports an error).
std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    lseek(fd, 0, SEEK_SET);
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

int waitForExit(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

[[noreturn]] void runAndExit(const std::function<void()>& body) {
    body();
    flushAll();
    _exit(0);
}

/// The child writes into two unnamed temporary files, read once it has ended.
ProcessResult runOnFiles(const std::function<void()>& body) {
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    if (out == nullptr || err == nullptr) throw std::runtime_error("tmpfile failed");
    flushAll();
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(open("/dev/null", O_RDONLY), 0);
        dup2(fileno(out), 1);
        dup2(fileno(err), 2);
        runAndExit(body);
    }
    ProcessResult result{waitForExit(pid), readAll(fileno(out)), readAll(fileno(err))};
    std::fclose(out);
    std::fclose(err);
    return result;
}

ProcessResult runOnTerminal(const std::function<void()>& body) {
    int master = -1;
    flushAll();
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid < 0) throw std::runtime_error("forkpty failed");
    if (pid == 0) {
        // Keep the bytes as written: no "\n" to "\r\n" translation.
        termios settings{};
        tcgetattr(1, &settings);
        settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
        tcsetattr(1, TCSANOW, &settings);
        runAndExit(body);
    }
    ProcessResult result;
    result.out = readAll(master);  // drained before waiting, so the child never blocks
    close(master);
    result.exitCode = waitForExit(pid);
    return result;
}

}  // namespace

ProcessResult runInChild(const std::function<void()>& body, Console console) {
    return console == Console::Terminal ? runOnTerminal(body) : runOnFiles(body);
}

ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
    return runOnFiles([&] {
        if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0) {
            _exit(126);
        }
        for (const auto& [name, value] : options.environment) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    });
}

ProcessResult runRilk(const std::vector<std::string>& args, const ProcessOptions& options) {
    std::vector<std::string> argv{RILK_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    return runProcess(argv, options);
}

}  // namespace RilkTest
