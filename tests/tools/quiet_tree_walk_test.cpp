#include "tools/quiet_tree_walk.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;

std::set<std::string> walked(const fs::path& root) {
    std::set<std::string> seen;
    walkTreeQuietly(root, [&](const fs::directory_entry& entry) {
        seen.insert(entry.path().lexically_relative(root).string());
    });
    return seen;
}

TEST(QuietTreeWalk, VisitsEverythingBelowTheRootButNoLinkedDirectory) {
    RilkTest::TempDir dir;
    dir.write("a/b/file", "");
    fs::create_directory_symlink(dir.path() / "a", dir.path() / "link");
    const std::pair<fs::path, std::set<std::string>> cases[] = {
        {dir.path(), {"a", "a/b", "a/b/file", "link"}},
        {dir.path() / "a/b", {"file"}},
        {dir.path() / "a/b/file", {}},
        {dir.path() / "missing", {}},
    };
    for (const auto& [root, expected] : cases) EXPECT_EQ(walked(root), expected) << root;
}

}  // namespace
}  // namespace Rilk
