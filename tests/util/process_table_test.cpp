#include "util/process_table.h"

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>

namespace Util {
namespace {

// A child whose name holds blanks and parentheses: its parent and start are read all the same,
// and once it has ended its entry no longer names a running process.
TEST(ProcessTable, ReadAProcessWhateverItsNameUntilItEnds) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::prctl(PR_SET_NAME, "a) b (c 1 2", 0, 0, 0);
        char byte = 1;
        (void)!::write(ready[1], &byte, 1);
        ::pause();
        ::_exit(0);
    }
    // Whatever assertion fails, the child does not outlive the test.
    struct EndChild {
        pid_t pid;
        ~EndChild() {
            if (pid <= 0) return;
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    } endChild{child};
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    const std::optional<ProcessEntry> entry = readProcess(child);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->parent, ::getpid());
    EXPECT_EQ(entry->group, ::getpgrp());
    EXPECT_TRUE(entry->living());
    EXPECT_GT(entry->start, 0u);
    EXPECT_TRUE(stillRunning(*entry));
    EXPECT_FALSE(
        stillRunning(ProcessEntry{.pid = child, .parent = ::getpid(), .start = entry->start + 1}))
        << "an id with another start names another process";
    ::kill(child, SIGKILL);
    siginfo_t info{};
    ::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT);
    const std::optional<ProcessEntry> zombie = readProcess(child);
    ASSERT_TRUE(zombie.has_value());
    EXPECT_FALSE(zombie->living()) << "a zombie runs nothing";
    ::waitpid(child, nullptr, 0);
    endChild.pid = -1;  // reaped: its id may name another process now
    EXPECT_FALSE(stillRunning(*entry));
    ::close(ready[0]);
    ::close(ready[1]);
}

}  // namespace
}  // namespace Util
