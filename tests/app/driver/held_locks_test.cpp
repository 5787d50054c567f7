#include "app/driver/held_locks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Rilk {
namespace {

TEST(HeldLocks, TheVariableGivesBackWhatItWasMadeOfAndNoMore) {
    const HeldLock own{"/p/.rilk_lock", 0xabc, false};
    const HeldLock odd{"/q r/line\nbreak 7 x/.rilk_lock.2", 1, true};
    const std::string both = heldLocksText({own, odd});
    EXPECT_EQ(both.substr(0, 23), "o abc 13 /p/.rilk_lock\n");
    struct Case {
        const char* what;
        std::string text;
        std::vector<HeldLock> read;
    } cases[] = {
        {"both locks", both, {own, odd}},
        {"none", "", {}},
        {"a damaged second line", both.substr(0, 23) + "o 1 99 /short\n", {own}},
        {"a relative path", "o 1 3 a/b\n", {}},
        {"another kind", "x 1 2 /a\n", {}},
        {"no token", "o  2 /a\n", {}},
        {"the length cut short", "o 1 5 /a\n", {}},
        {"a line without its end", "o 1 2 /a", {}},
        {"text of an older run", "12345 imported", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseHeldLocks(c.text), c.read) << c.what;
    }
}

TEST(HeldLocks, LockFilesAreNamedByLevel) {
    EXPECT_EQ(projectLockFile("/p", 0), "/p/.rilk_lock");
    EXPECT_EQ(projectLockFile("/p", 3), "/p/.rilk_lock.3");
    const std::pair<const char*, std::optional<int>> names[] = {
        {"/p/.rilk_lock", 0},
        {"/p/.rilk_lock.12", 12},
        {"/p/.rilk_lock.", std::nullopt},
        {"/p/.rilk_lock.01", std::nullopt},
        {"/p/.rilk_lock.0", std::nullopt},
        {"/p/.rilk_lock.2x", std::nullopt},
        {"/p/.rilk_cache", std::nullopt},
    };
    for (const auto& [name, level] : names) EXPECT_EQ(projectLockLevel(name), level) << name;
}

}  // namespace
}  // namespace Rilk
