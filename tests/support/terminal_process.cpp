#include "support/terminal_process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <stdexcept>

namespace RilkTest {

TerminalProcess::TerminalProcess(const std::vector<std::string>& argv,
                                 const ProcessOptions& options, bool terminalInput) {
    const PreparedExec program(argv, options);
    std::fflush(nullptr);
    pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid_ < 0) throw std::runtime_error("forkpty failed");
    if (pid_ == 0) {
        termios settings{};  // keep the bytes as written: no "\n" to "\r\n" translation
        tcgetattr(1, &settings);
        settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
        tcsetattr(1, TCSANOW, &settings);
        if (!terminalInput) dup2(open("/dev/null", O_RDONLY), 0);
        program.run();
    }
}

TerminalProcess::~TerminalProcess() {
    if (status_ < 0) {
        kill(pid_, SIGKILL);
        reap(0);
    }
    close(master_);
}

bool TerminalProcess::awaitOutput(const std::string& text, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (output_.find(text) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !readFor(std::min(left, std::chrono::milliseconds(50)))) {
            return output_.find(text) != std::string::npos;
        }
    }
    return true;
}

int TerminalProcess::wait(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (readFor(std::chrono::milliseconds(50))) {
        if (std::chrono::steady_clock::now() > deadline) kill(pid_, SIGKILL);
    }
    return status_;
}

bool TerminalProcess::readFor(std::chrono::milliseconds limit) {
    if (status_ >= 0) return false;
    pollfd ready{master_, POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(limit.count())) > 0 && !readSome()) {
        reap(0);  // every end of the terminal is closed: the program is ending
        return false;
    }
    if (!reap(WNOHANG)) return true;
    // Ended. Commands it left running may hold the terminal open: read what is there now.
    for (pollfd more{master_, POLLIN, 0}; poll(&more, 1, 0) > 0 && readSome();) {
    }
    return false;
}

bool TerminalProcess::readSome() {
    char buffer[4096];
    const ssize_t n = read(master_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) return true;
    if (n <= 0) return false;
    output_.append(buffer, static_cast<std::size_t>(n));
    return true;
}

bool TerminalProcess::reap(int options) {
    int status = 0;
    pid_t ended;
    while ((ended = waitpid(pid_, &status, options)) < 0 && errno == EINTR) {
    }
    if (ended != pid_) return false;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
}

}  // namespace RilkTest
