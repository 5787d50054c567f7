#include "app/driver/lock_ancestry.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/driver/lock_marks.h"
#include "support/temp_dir.h"
#include "util/file_lock.h"

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

}  // namespace
}  // namespace Rilk
