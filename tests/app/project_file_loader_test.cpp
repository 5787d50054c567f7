#include "app/project_file_loader.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "types/rilk_errors.h"

namespace {

/// "ok", or the text of the error `action` throws.
std::string errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Rilk::RilkException& e) {
        return e.message();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "ok";
}

std::string loadError(Rilk::Project& project) {
    return errorOf([&] { Rilk::loadProjectFile(project); });
}

TEST(ProjectFileLoader, ReportsEveryFailureWithItsText) {
    const RilkTest::TempDir dir;
    const std::string file = (dir.path() / ".rilk_project.txt").string();
    struct Case {
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"name app units { core {\"a.txt\" } ",
         file + "(1,33): '<EOF>' extraneous input '<EOF>' expecting {'}', IDENTIFIER}"},
        {"name app\nunits { core { \"a\" } } ~ $",
         file + "(2,23): token recognition error at: '~'"},
        {"name app profiles { debug { !x = 1 } }",
         "'!' assignment modifier is not allowed in this context."},
        {"name app tools { cc { !x = 1 } }", "ok"},
        {"", "ok"},
    };
    for (const Case& c : cases) {
        dir.write(".rilk_project.txt", c.text);
        Rilk::Project project(file, "");
        EXPECT_EQ(loadError(project), c.error) << c.text;
    }

    Rilk::Project missing(dir.path() / "none" / ".rilk_project.txt", "");
    EXPECT_EQ(loadError(missing), "Project file '" + missing.projectFile.string() + "' not found.");
    std::filesystem::create_directories(dir.path() / "sub" / ".rilk_project.txt");
    Rilk::Project directory(dir.path() / "sub" / ".rilk_project.txt", "");
    EXPECT_EQ(loadError(directory),
              "Project file '" + directory.projectFile.string() + "' not found.");

    EXPECT_EQ(errorOf([&] { Rilk::visitProjectTree(nullptr, dir.path(), file); }),
              "Unable to parse project file.");
}

TEST(ProjectFileLoader, FillsTheProjectKeepingAGivenNameAndTheLastOfEqualProfiles) {
    const RilkTest::TempDir dir;
    const auto file =
        dir.write(".rilk_project.txt",
                  "name app\n"
                  "import { \"../lib\" base; }\n"
                  "tools { cc { x = 1 } }\n"
                  "units { core { \"a/rilk.txt\" \"b/rilk.txt\" } gui { \"g.txt\" } }\n"
                  "profiles { debug { a = 1 } DEBUG { a = 2 } release { } }\n");
    Rilk::Project project(file, "");
    project.activeProfile = "kept";
    project.importedProjects.push_back(std::make_shared<Rilk::Project>("x", "x"));
    Rilk::loadProjectFile(project);

    EXPECT_EQ(project.name, "app");
    EXPECT_EQ(project.activeProfile, "kept");
    EXPECT_TRUE(project.importedProjects.empty());
    ASSERT_EQ(project.imports.size(), 1u);
    EXPECT_EQ(project.imports[0].alias, "base");
    ASSERT_EQ(project.toolDefinitions.size(), 1u);
    EXPECT_EQ(project.toolDefinitions[0].name, "cc");
    ASSERT_EQ(project.units.size(), 2u);
    EXPECT_EQ(project.firstUnitName(), "core");
    EXPECT_EQ(project.units[0].second.size(), 2u);
    ASSERT_EQ(project.profiles.size(), 2u);
    EXPECT_EQ(project.profiles.begin()->first.str(), "DEBUG");
    EXPECT_EQ(project.profiles.begin()->second.name, "DEBUG");

    Rilk::Project imported(file, "alias");
    Rilk::loadProjectFile(imported);
    EXPECT_EQ(imported.name, "alias");
}

}  // namespace
