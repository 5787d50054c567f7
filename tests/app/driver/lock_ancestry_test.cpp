#include "app/driver/lock_ancestry.h"

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/driver/lock_marks.h"
#include "support/temp_dir.h"
#include "util/file_lock.h"
#include "util/process_table.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;

// This process holds lock files, marked or not, as a build would; a child of it (a run that
// learns nothing from its environment) finds among them the project locks its parent holds.
TEST(LockAncestry, ARunFindsTheProjectLocksItsAncestorsHold) {
    RilkTest::TempDir dir;
    const struct {
        const char* file;
        bool marked;
        bool imported;
        bool found;  ///< the child finds it
    } cases[] = {
        {"p/.rilk_lock", true, false, true},
        {"q/.rilk_lock.2", true, true, true},
        {"r/other_lock", true, false, false},
        {"s/.rilk_lock", false, false, false},
    };
    std::vector<Util::FileLock> held;
    for (const auto& c : cases) {
        held.push_back(Util::FileLock::acquire(dir.write(c.file, "")));
        if (c.marked) LockMarks::markHolder(held.back(), 9, c.imported);
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        LockAncestry ancestry;
        ancestry.addHeldByAncestorProcesses();
        ancestry.addHeldByAncestorProcesses();  // each lock listed once
        int wrong = 0;
        for (const auto& c : cases) {
            const fs::path file = dir.path() / c.file;
            const auto found =
                std::find_if(ancestry.locks().begin(), ancestry.locks().end(),
                             [&](const AncestorLock& lock) { return lock.held.file == file; });
            const bool listed = found != ancestry.locks().end();
            if (listed != c.found) ++wrong;
            if (listed && (found->held.imported != c.imported ||
                           found->level != projectLockLevel(file).value_or(-1) ||
                           found->project != identityOf(file.parent_path()))) {
                ++wrong;
            }
        }
        if (ancestry.locks().size() != 2) ++wrong;
        ::_exit(wrong);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0) << "cases the child got wrong";
}

// A child holds a project lock and marks it as its own; the test process has the file open
// too. A process is taken to hold the lock only when the holder's mark is its own and its
// id still names it: not a process that has the file open while another holds it, nor one
// that took the holder's id once the holder ended (the same id, a later start).
TEST(LockAncestry, AProcessHoldsALockOnlyByItsOwnMarkWhileItsIdNamesIt) {
    RilkTest::TempDir dir;
    const fs::path file = dir.write("p/.rilk_lock", "");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const Util::FileLock lock = Util::FileLock::acquire(file);
        LockMarks::markHolder(lock, 9, false);
        (void)!::write(ready[1], "x", 1);
        ::pause();
        ::_exit(0);
    }
    struct Ended {
        pid_t pid;
        ~Ended() {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    } ended{holder};
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);
    const std::optional<Util::MarkedFile> openHere = Util::MarkedFile::open(file);
    ASSERT_TRUE(openHere.has_value());
    const std::optional<Util::ProcessEntry> holding = Util::readProcess(holder);
    const std::optional<Util::ProcessEntry> self = Util::readProcess(::getpid());
    ASSERT_TRUE(holding && self);
    Util::ProcessEntry newer = *holding;
    ++newer.start;
    const struct {
        const char* what;
        Util::ProcessEntry process;
        bool found;
    } cases[] = {
        {"the holder", *holding, true},
        {"a process that has the file open, another holding it", *self, false},
        {"a process that took the holder's id", newer, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LockAncestry ancestry;
        ancestry.addHeldBy({c.process});
        ASSERT_EQ(ancestry.locks().size(), c.found ? 1u : 0u);
        if (c.found) {
            EXPECT_EQ(ancestry.locks()[0].held.file, file);
        }
    }
}

}  // namespace
}  // namespace Rilk
