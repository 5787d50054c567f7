#include "util/file_marks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <vector>

#include "support/temp_dir.h"

namespace Util {
namespace {

constexpr std::int64_t kFar = std::int64_t{1} << 41;

TEST(FileMarks, OthersSeeADescriptorsMarksUntilItIsClosed) {
    RilkTest::TempDir dir;
    const std::filesystem::path file = dir.write("lock", "");
    std::optional<MarkedFile> owner = MarkedFile::open(file);
    const std::optional<MarkedFile> other = MarkedFile::open(file);
    ASSERT_TRUE(owner && other);
    for (const std::int64_t at : {kFar + 5, kFar + 6, kFar + 9, kFar + 40}) {
        EXPECT_TRUE(owner->place(at, MarkOwner::Descriptor));
    }
    owner->remove(kFar + 40);
    EXPECT_TRUE(other->isMarked(kFar + 9));
    EXPECT_FALSE(other->isMarked(kFar + 7));
    EXPECT_FALSE(owner->isMarked(kFar + 9)) << "a descriptor's own marks are not others'";
    std::vector<std::int64_t> marked = other->marked(kFar, kFar + 100, 10);
    std::sort(marked.begin(), marked.end());
    EXPECT_EQ(marked, (std::vector<std::int64_t>{kFar + 5, kFar + 6, kFar + 9}));
    EXPECT_EQ(other->marked(kFar, kFar + 100, 2).size(), 2u);
    EXPECT_EQ(other->identity(), owner->identity());
    EXPECT_EQ(std::filesystem::file_size(file), 0u);
    owner.reset();
    EXPECT_TRUE(other->marked(kFar, kFar + 100, 10).empty());
}

TEST(FileMarks, AProcessMarkTellsTheProcessAndGoesWithIt) {
    RilkTest::TempDir dir;
    const std::filesystem::path file = dir.write("lock", "");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {  // system calls only: another thread may have held an allocator's lock
        const int fd = ::open(file.c_str(), O_RDONLY);
        struct flock byte1 {};
        byte1.l_type = F_RDLCK;
        byte1.l_whence = SEEK_SET;
        byte1.l_start = 1;
        byte1.l_len = 1;
        if (fd < 0 || ::fcntl(fd, F_SETLK, &byte1) != 0 || ::flock(fd, LOCK_EX) != 0) ::_exit(1);
        char byte = 0;
        [[maybe_unused]] auto written = ::write(ready[1], &byte, 1);
        ::pause();  // killed below
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    const std::optional<MarkedFile> marks = MarkedFile::open(file);
    ASSERT_TRUE(marks);
    const std::optional<ProcessMark> found = marks->processMark(0, 1);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->pid, child);
    EXPECT_EQ(found->offset, 1);
    EXPECT_FALSE(marks->lockIsFree());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_FALSE(marks->processMark(0, 1));
    EXPECT_TRUE(marks->lockIsFree());
    EXPECT_TRUE(marks->lockIsFree()) << "the lock was let go at once";
    ::close(ready[0]);
    ::close(ready[1]);
}

}  // namespace
}  // namespace Util
