#include "support/child_process.h"

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <stdexcept>

namespace RilkTest {

namespace {

[[noreturn]] void runBodyAndExit(const std::function<void()>& body) {
    body();
    std::cout.flush();
    std::fflush(stdout);
    _exit(0);
}

ProcessResult runOnPipes(const std::function<void()>& body) {
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) throw std::runtime_error("pipe failed");
    std::cout.flush();
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) close(fd);
        runBodyAndExit(body);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    return collectChild(pid, outPipe[0], errPipe[0]);
}

ProcessResult runOnTerminal(const std::function<void()>& body) {
    int master = -1;
    std::cout.flush();
    std::fflush(nullptr);
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid < 0) throw std::runtime_error("forkpty failed");
    if (pid == 0) {
        // Keep the bytes as written: no "\n" to "\r\n" translation.
        termios settings{};
        tcgetattr(1, &settings);
        settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
        tcsetattr(1, TCSANOW, &settings);
        runBodyAndExit(body);
    }
    return collectChild(pid, master, -1);
}

}  // namespace

ProcessResult runInChild(const std::function<void()>& body, Console console) {
    return console == Console::Terminal ? runOnTerminal(body) : runOnPipes(body);
}

}  // namespace RilkTest
