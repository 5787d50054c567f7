#include "types/project_data.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace Rilk {
namespace {

using Paths = std::vector<std::filesystem::path>;

TEST(ProjectDataTest, UnitEntriesMergeIgnoringCaseAndKeepFirstSpellingAndPlace) {
    ProjectData data;
    data.addUnitFiles("core", {"a/rilk.txt"});
    data.addUnitFiles("app", {});
    data.addUnitFiles("Core", {"b/rilk.txt", "c/rilk.txt"});
    data.addUnitFiles("APP", {"app/rilk.txt"});

    ASSERT_EQ(data.units.size(), 2u);
    EXPECT_EQ(data.units[0].first, "core");
    EXPECT_EQ(data.units[0].second, (Paths{"a/rilk.txt", "b/rilk.txt", "c/rilk.txt"}));
    EXPECT_EQ(data.units[1].first, "app");
    EXPECT_EQ(data.units[1].second, (Paths{"app/rilk.txt"}));
}

TEST(ProjectDataTest, NamesThatDifferBeyondCaseStayApart) {
    ProjectData data;
    data.addUnitFiles("core", {"a"});
    data.addUnitFiles("core2", {"b"});
    data.addUnitFiles("cor", {"c"});
    ASSERT_EQ(data.units.size(), 3u);
    EXPECT_EQ(data.units[2].first, "cor");
}

}  // namespace
}  // namespace Rilk
