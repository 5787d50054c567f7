#include "types/project_data.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace Rilk {
namespace {

using Paths = std::vector<std::filesystem::path>;

TEST(ProjectDataTest, OnlyNamesEqualIgnoringCaseMerge) {
    ProjectData data;
    data.addUnitFiles("core", {"a"});
    data.addUnitFiles("cor", {"b"});
    data.addUnitFiles("CORE", {"c"});
    data.addUnitFiles("core2", {});
    ASSERT_EQ(data.units.size(), 3u);
    EXPECT_EQ(data.units[0], (ProjectData::UnitEntry{"core", Paths{"a", "c"}}));
    EXPECT_EQ(data.units[1], (ProjectData::UnitEntry{"cor", Paths{"b"}}));
    EXPECT_EQ(data.units[2], (ProjectData::UnitEntry{"core2", Paths{}}));
}

}  // namespace
}  // namespace Rilk
