#include "util/file_lock.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>

#include "support/temp_dir.h"

namespace Util {
namespace {

namespace fs = std::filesystem;

TEST(FileLock, OneHolderAtATimeUntilReleasedOrMoved) {
    RilkTest::TempDir dir;
    const fs::path file = dir.path() / "lock";
    std::optional<FileLock> first = FileLock::tryAcquire(file);
    ASSERT_TRUE(first.has_value());
    EXPECT_TRUE(fs::exists(file));
    EXPECT_FALSE(FileLock::tryAcquire(file).has_value());

    FileLock moved = std::move(*first);
    first.reset();  // the moved-from object holds nothing
    EXPECT_FALSE(FileLock::tryAcquire(file).has_value());
    moved = FileLock::acquire(dir.path() / "other");  // releases the first lock
    EXPECT_TRUE(FileLock::tryAcquire(file).has_value());
}

TEST(FileLock, ProgramsStartedWhileHeldDoNotKeepIt) {
    RilkTest::TempDir dir;
    const fs::path file = dir.path() / "lock";
    std::optional<FileLock> held = FileLock::acquire(file);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        execl("/bin/sleep", "sleep", "60", static_cast<char*>(nullptr));  // killed below
        _exit(127);
    }
    for (std::string name; name != "sleep\n";) {  // until the child has run exec
        std::ifstream in("/proc/" + std::to_string(child) + "/comm");
        name.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        std::this_thread::yield();
    }
    held.reset();
    EXPECT_TRUE(FileLock::tryAcquire(file).has_value()) << "the started program holds the lock";
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

TEST(FileLock, HolderDescriptionReplacesTheLastOne) {
    RilkTest::TempDir dir;
    const fs::path file = dir.path() / "lock";
    EXPECT_EQ(FileLock::readHolder(file), "");
    FileLock lock = FileLock::acquire(file);
    lock.describeHolder("123456");
    lock.describeHolder("78");
    EXPECT_EQ(FileLock::readHolder(file), "78");
    EXPECT_EQ(FileLock::readHolder(file, 1), "7");
}

TEST(FileLock, NeverTakenThroughALinkNorOnAFifo) {
    RilkTest::TempDir dir;
    const fs::path notes = dir.write("notes", "mine");
    for (const char* target : {"notes", "nowhere"}) {
        const fs::path link = dir.path() / (std::string("lock-") + target);
        fs::create_symlink(target, link);
        EXPECT_THROW(FileLock::tryAcquire(link), LockFileRefused) << target;
    }
    ASSERT_EQ(::mkfifo((dir.path() / "fifo").c_str(), 0600), 0);
    EXPECT_THROW(FileLock::tryAcquire(dir.path() / "fifo"), LockFileRefused);
    EXPECT_EQ(FileLock::readHolder(notes), "mine");
    EXPECT_FALSE(fs::exists(dir.path() / "nowhere"));
}

// A missing lock file in a folder this process may not write (run as nobody when the test
// runs as root): `LockFileCannotBeMade`, not on a read-only file system.
TEST(FileLock, AFileThatCannotBeMadeSaysSo) {
    RilkTest::TempDir dir;
    const fs::path closed = dir.path() / "closed";
    fs::create_directory(closed);
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_exec);
    fs::permissions(closed, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_exec);
    const auto attempt = [&] {
        try {
            FileLock::tryAcquire(closed / "lock");
        } catch (const LockFileCannotBeMade& e) {
            return e.readOnlyFileSystem() ? 2 : 0;
        } catch (...) {
        }
        return 1;
    };
    if (::geteuid() != 0) {
        EXPECT_EQ(attempt(), 0);
        return;
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        ::_exit(::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 ? attempt() : 3);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(FileLock, FailureNamesTheFile) {
    RilkTest::TempDir dir;
    const fs::path file = dir.path() / "missing" / "lock";
    try {
        FileLock::acquire(file);
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Unable to lock file '" + file.string() + "': No such file or directory");
    }
}

}  // namespace
}  // namespace Util
