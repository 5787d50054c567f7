#include "util/process_table.h"

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

namespace Util {
namespace {

TEST(ProcessTable, FollowTheParentLinksUpFromTheParent) {
    if (::getppid() <= 1) GTEST_SKIP() << "the test's parent is the namespace's first process";
    const std::vector<ProcessEntry> all = processAncestors(64);
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.front().pid, ::getppid());
    for (std::size_t i = 0; i + 1 < all.size(); ++i) EXPECT_EQ(all[i].parent, all[i + 1].pid);
    EXPECT_TRUE(std::none_of(all.begin(), all.end(),
                             [](const ProcessEntry& process) { return process.pid <= 1; }));
    EXPECT_EQ(processAncestors(1).size(), 1u);
    EXPECT_TRUE(stillRunning(all.front()));
}

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
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    const std::optional<ProcessEntry> entry = readProcess(child);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->parent, ::getpid());
    EXPECT_GT(entry->start, 0u);
    EXPECT_TRUE(stillRunning(*entry));
    EXPECT_FALSE(
        stillRunning(ProcessEntry{.pid = child, .parent = ::getpid(), .start = entry->start + 1}))
        << "an id with another start names another process";
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_FALSE(stillRunning(*entry));
    ::close(ready[0]);
    ::close(ready[1]);
}

}  // namespace
}  // namespace Util
