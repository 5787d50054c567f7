#include "app/load/project_file_loader.h"

#include <memory>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

// The faults a file can hold are run end to end; a tree without its project node cannot
// come from a file.
TEST(ProjectFileLoader, RefusesATreeWithoutItsProjectNode) {
    try {
        Rilk::visitProjectTree(nullptr, "/base", "x");
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Unable to parse project file.");
    }
}

TEST(ProjectFileLoader, FillsTheProjectKeepingAGivenNameAndTheLastOfEqualProfiles) {
    const RilkTest::TempDir dir;
    const auto file = dir.write(".rilk_project.txt",
                                "name app\n"
                                "import { \"../lib\" base; }\n"
                                "tools { cc { x = 1 } }\n"
                                "units { core { \"a/rilk.txt\" \"b/rilk.txt\" } gui { \"g\" } }\n"
                                "profiles { debug { a = 1 } DEBUG { a = 2 } release { } }\n");
    Rilk::Project project(file, "");
    project.activeProfile = "kept";
    project.importedProjects.push_back(std::make_shared<Rilk::Project>("x", "x"));
    Rilk::loadProjectFile(project);

    EXPECT_EQ(project.name, "app");
    EXPECT_EQ(project.activeProfile, "kept");
    EXPECT_TRUE(project.importedProjects.empty());
    EXPECT_EQ(project.imports.size(), 1u);
    EXPECT_EQ(project.toolDefinitions.size(), 1u);
    EXPECT_EQ(project.firstUnitName(), "core");
    ASSERT_EQ(project.profiles.size(), 2u);
    EXPECT_EQ(project.profiles.begin()->first.str(), "DEBUG");
    EXPECT_EQ(project.profiles.begin()->second.name, "DEBUG");

    Rilk::Project imported(file, "alias");
    Rilk::loadProjectFile(imported);
    EXPECT_EQ(imported.name, "alias");
}

}  // namespace
