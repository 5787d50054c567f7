#include "support/run_process.h"

#include <fcntl.h>
#include <grp.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace RilkTest {
namespace {

/// Reads from the start of a file, or a terminal until it is closed.
std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    lseek(fd, 0, SEEK_SET);
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

}  // namespace

ProcessResult runInChild(const std::function<void()>& body, Console console) {
    const bool terminal = console == Console::Terminal;
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    if (out == nullptr || err == nullptr) throw std::runtime_error("tmpfile failed");
    const int outFd = fileno(out);
    const int errFd = fileno(err);
    int master = -1;
    std::fflush(nullptr);  // std::cout is synchronised with stdio, so this covers it too
    const pid_t pid = terminal ? forkpty(&master, nullptr, nullptr, nullptr) : fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        if (terminal) {  // keep the bytes as written: no "\n" to "\r\n" translation
            termios settings{};
            tcgetattr(1, &settings);
            settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
            tcsetattr(1, TCSANOW, &settings);
        } else {
            dup2(outFd, 1);
        }
        dup2(open("/dev/null", O_RDONLY), 0);
        dup2(errFd, 2);
        body();
        std::fflush(nullptr);
        _exit(0);
    }
    // A terminal is drained while the child runs, so that the child never blocks on it.
    const std::string shown = terminal ? readAll(master) : "";
    int status = 0;
    waitpid(pid, &status, 0);
    const ProcessResult result{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
                               terminal ? shown : readAll(fileno(out)), readAll(fileno(err))};
    if (terminal) close(master);
    std::fclose(out);
    std::fclose(err);
    return result;
}

PreparedExec::PreparedExec(const std::vector<std::string>& argv, const ProcessOptions& options)
    : argv_(argv), directory_(options.workingDirectory), user_(options.user) {
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (!options.environment.count(text.substr(0, text.find('=')))) environment_.push_back(text);
    }
    for (const auto& [name, value] : options.environment) environment_.push_back(name + "=" + value);
    for (std::string& a : argv_) args_.push_back(a.data());
    args_.push_back(nullptr);
    for (std::string& e : environment_) envp_.push_back(e.data());
    envp_.push_back(nullptr);
}

void PreparedExec::run() const {
    if (!directory_.empty() && chdir(directory_.c_str()) != 0) _exit(126);
    if (user_ >= 0 && (setgroups(0, nullptr) != 0 || setgid(static_cast<gid_t>(user_)) != 0 ||
                       setuid(static_cast<uid_t>(user_)) != 0)) {
        _exit(125);
    }
    execve(args_[0], args_.data(), envp_.data());
    _exit(127);
}

PipedChild forkWithPipes(const std::function<void()>& child) {
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(open("/dev/null", O_RDONLY), 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        child();
        std::fflush(nullptr);
        _exit(0);
    }
    close(out[1]);
    close(err[1]);
    return {pid, out[0], err[0]};
}

ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
    const PreparedExec program(argv, options);
    return runInChild([&] { program.run(); });
}

ProcessResult runRilk(const std::vector<std::string>& args, const ProcessOptions& options) {
    std::vector<std::string> argv{RILK_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    return runProcess(argv, options);
}

}  // namespace RilkTest
