#include "app/driver/lock_wait.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>
#include <string>
#include <utility>

#include "app/driver/lock_marks.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"
#include "types/rilk_errors.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;

// In one process: `ours` stands for the lock a run that started the waiting run holds,
// `waited` for a lock another build holds; a mark on `waited` says what that build waits for.
class LockWaitTest : public testing::Test {
protected:
    void SetUp() override {
        ours = dir.write("p/.rilk_lock", "");
        waited = dir.write("q/.rilk_lock", "");
        // Of two runs that see one circle, the one waiting for the lower lock id gives up.
        if (idOf(ours) < idOf(waited)) std::swap(ours, waited);
        ourLock.emplace(Util::FileLock::acquire(ours));
        LockMarks::markHolder(*ourLock, 77, false);
        waitedLock.emplace(Util::FileLock::acquire(waited));
        ancestry = LockAncestry({HeldLock{ours, 77, false}});
        ASSERT_EQ(ancestry.locks().size(), 1u);
    }

    static std::int64_t idOf(const fs::path& file) {
        return LockMarks::lockId(Util::MarkedFile::open(file)->identity());
    }
    /// Whether `file` says that its holder waits for the lock file `id`.
    static bool saysItWaitsFor(const fs::path& file, std::int64_t id) {
        return Util::MarkedFile::open(file)->isMarked(LockMarks::kWaitBase + id);
    }

    RilkTest::TempDir dir;
    fs::path ours;
    fs::path waited;
    std::optional<Util::FileLock> ourLock;
    std::optional<Util::FileLock> waitedLock;
    LockAncestry ancestry;
};

TEST_F(LockWaitTest, AWaitForABuildThatWaitsForOursEndsWithAnError) {
    const std::optional<Util::MarkedFile> theirRun = Util::MarkedFile::open(waited);
    ASSERT_TRUE(theirRun->place(LockMarks::kWaitBase + idOf(ours), Util::MarkOwner::Descriptor));
    try {
        waitForLock(waited, ancestry);
        FAIL() << "took a lock that is held";
    } catch (const RilkException& e) {
        const std::string message = e.message();
        for (const fs::path& file : {ours, waited}) {
            EXPECT_NE(message.find("'" + file.string() + "'"), std::string::npos) << message;
            EXPECT_NE(message.find("'" + file.parent_path().string() + "'"), std::string::npos);
        }
    }
}

TEST_F(LockWaitTest, AWaitingRunSaysWhatItWaitsForUntilItHasTheLock) {
    // What the holder of `waited` waits for in turn is passed on to `ours`.
    const std::optional<Util::MarkedFile> theirRun = Util::MarkedFile::open(waited);
    ASSERT_TRUE(theirRun->place(LockMarks::kWaitBase + 5, Util::MarkOwner::Descriptor));
    auto wait = std::async(std::launch::async, [&] { return waitForLock(waited, ancestry); });
    EXPECT_TRUE(RilkTest::waitUntil(
        [&] { return saysItWaitsFor(ours, idOf(waited)) && saysItWaitsFor(ours, 5); }));
    waitedLock.reset();
    ASSERT_EQ(wait.wait_for(RilkTest::kHangGuard), std::future_status::ready);
    const Util::FileLock taken = wait.get();
    EXPECT_EQ(taken.file(), waited);
    EXPECT_FALSE(saysItWaitsFor(ours, idOf(waited))) << "the marks go with the wait";
}

}  // namespace
}  // namespace Rilk
