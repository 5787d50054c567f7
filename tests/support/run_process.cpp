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

ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
    // Everything the child needs is made before the fork: when other threads of the test
    // start processes at the same time, a child that allocates can wait forever for a lock
    // another thread held at the fork (the sanitizers' allocators have such locks).
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (!options.environment.count(text.substr(0, text.find('=')))) environment.push_back(text);
    }
    for (const auto& [name, value] : options.environment) environment.push_back(name + "=" + value);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    const char* directory =
        options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str();
    return runInChild([&] {
        if (directory != nullptr && chdir(directory) != 0) _exit(126);
        if (options.user >= 0 &&
            (setgroups(0, nullptr) != 0 || setgid(static_cast<gid_t>(options.user)) != 0 ||
             setuid(static_cast<uid_t>(options.user)) != 0)) {
            _exit(125);
        }
        execve(args[0], args.data(), envp.data());
        _exit(127);
    });
}

ProcessResult runRilk(const std::vector<std::string>& args, const ProcessOptions& options) {
    std::vector<std::string> argv{RILK_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    return runProcess(argv, options);
}

}  // namespace RilkTest
