#include "types/project_data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Files = std::vector<std::filesystem::path>;

std::string listed(const Rilk::ProjectData& data) {
    std::string text;
    for (const auto& [name, files] : data.units) {
        text += name + ":";
        for (const auto& file : files) text += " " + file.string();
        text += ";";
    }
    return text;
}

TEST(ProjectData, UnitsMergeByNameIgnoringCaseInFirstOrder) {
    Rilk::ProjectData data;
    data.addUnitFiles("core", {"a"});
    data.addUnitFiles("app", {});
    data.addUnitFiles("CORE", {"b", "c"});
    data.addUnitFiles("App", {"d"});
    EXPECT_EQ(listed(data), "core: a b c;app: d;");
}

TEST(ProjectData, EntriesChangedDirectlyAreStillFound) {
    Rilk::ProjectData data;
    data.addUnitFiles("core", {"a"});
    data.units.emplace_back("lib", Files{"l"});
    data.addUnitFiles("Lib", {"m"});
    data.units.erase(data.units.begin());
    data.addUnitFiles("lib", {"n"});
    data.units.front().first = "other";
    data.addUnitFiles("LIB", {"o"});
    EXPECT_EQ(listed(data), "other: l m n;LIB: o;");
}

}  // namespace
