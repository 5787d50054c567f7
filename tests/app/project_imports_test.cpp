#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/project_file_loader.h"
#include "app/rilk_app.h"
#include "app/rilk_registry.h"
#include "support/temp_dir.h"
#include "types/rilk_errors.h"

namespace fs = std::filesystem;

namespace {

class ProjectImportsTest : public testing::Test {
protected:
    /// Writes the project files (directory relative to the temporary one, content).
    void write(std::initializer_list<std::pair<std::string, std::string>> projects) {
        for (const auto& [directory, text] : projects) {
            dir.write(directory + "/.rilk_project.txt", text);
        }
    }

    /// Loads the main project of directory "main" with `profile` active and resolves its
    /// imports; returns the error text, or "ok".
    std::string resolve(const std::string& profile = "") {
        app.project = std::make_shared<Rilk::Project>(dir.path() / "main/.rilk_project.txt", "");
        try {
            Rilk::loadProjectFile(*app.project);
            app.project->activeProfile = profile;
            app.ResolveProjectImports(app.project);
        } catch (const Rilk::RilkException& error) {
            return error.message();
        }
        return "ok";
    }

    /// "name@file-directory(profile)" of every project below the main one, depth first.
    std::string tree(const Rilk::ProjectPtr& project) const {
        std::string text;
        for (const auto& imported : project->importedProjects) {
            text += " " + imported->name + "@" +
                    imported->projectFile.parent_path().filename().string();
            if (!imported->activeProfile.empty()) text += "(" + imported->activeProfile + ")";
            const std::string below = tree(imported);
            if (!below.empty()) text += " [" + below + " ]";
        }
        return text;
    }

    std::string file(const std::string& directory) const {
        return fs::weakly_canonical(dir.path() / directory / ".rilk_project.txt").string();
    }

    RilkTest::TempDir dir;
    RilkApplication app;
};

TEST_F(ProjectImportsTest, LoadsPathAndRegistryImportsDepthFirst) {
    write({{"main", "name app\nimport { \"../lib/.rilk_project.txt\" ns (release); core; }\n"},
           {"lib", "name libname\nimport { \"" + (dir.path() / "core/.rilk_project.txt").string() +
                       "\"; }\nprofiles { release { } }\n"},
           {"core", "name corename\n"}});
    app.registry = std::make_shared<RilkRegistry>("/r/.rilk_registry.txt");
    app.registry->projects["CORE"] = dir.path() / "core/.rilk_project.txt";
    ASSERT_EQ(resolve(), "ok");
    EXPECT_EQ(tree(app.project), " ns@lib(release) [ corename@core ] corename@core");
}

TEST_F(ProjectImportsTest, ProfilesGateAndSelectImports) {
    write({{"main",
            "import { dev: \"../lib/.rilk_project.txt\"; }\nprofiles { dev { } other { } }\n"},
           {"lib", "name lib\n"}});
    EXPECT_EQ(resolve("DEV"), "ok");
    EXPECT_EQ(tree(app.project), " lib@lib");
    EXPECT_EQ(resolve("other"), "ok");
    EXPECT_EQ(tree(app.project), "");

    const std::pair<std::string, std::string> failures[] = {
        {"import { nodev: \"../lib/.rilk_project.txt\"; }", "profile 'nodev' not found."},
        {"import { \"../lib/.rilk_project.txt\" (release); }", "profile 'release' not found."},
        {"import { lib; }", "registry '' not found."},
        {"import { \"../none/.rilk_project.txt\"; }",
         "Project file '" + (dir.path() / "main/../none/.rilk_project.txt").string() +
             "' not found."},
    };
    for (const auto& [text, error] : failures) {
        write({{"main", text + "\n"}});
        EXPECT_EQ(resolve(), error) << text;
    }
    app.registry = std::make_shared<RilkRegistry>("/r/.rilk_registry.txt");
    write({{"main", "import { lib; }\n"}});
    EXPECT_EQ(resolve(), "Registered project 'lib' not found.");
}

TEST_F(ProjectImportsTest, RefusesACycleButLoadsAProjectReachedTwice) {
    write({{"main", "import { \"../a/.rilk_project.txt\"; \"../b/.rilk_project.txt\"; }\n"},
           {"a", "name a\nimport { \"../shared/.rilk_project.txt\"; }\n"},
           {"b", "name b\nimport { \"../shared/.rilk_project.txt\" other; }\n"},
           {"shared", "name shared\n"}});
    EXPECT_EQ(resolve(), "ok");
    EXPECT_EQ(tree(app.project), " a@a [ shared@shared ] b@b [ other@shared ]");

    // Under another profile a project may import itself: the import it makes then differs.
    write({{"self",
            "name self\nimport { dev: \".rilk_project.txt\" (rel); }\n"
            "profiles { dev { } rel { } }\n"},
           {"main", "import { \"../self/.rilk_project.txt\" (dev); }\n"}});
    EXPECT_EQ(resolve(), "ok");
    EXPECT_EQ(tree(app.project), " self@self(dev) [ self@self(rel) ]");

    write({{"main", "import { \"../a/.rilk_project.txt\"; }\n"},
           {"a", "name a\nimport { \"../b/.rilk_project.txt\"; }\n"},
           {"b", "name b\nimport { \"../main/.rilk_project.txt\"; }\n"}});
    EXPECT_EQ(resolve(), "Project import cycle: " + file("main") + " -> " + file("a") + " -> " +
                             file("b") + " -> " + file("main") +
                             ". A project cannot import itself, directly or through the "
                             "projects it imports.");
    write({{"main", "import { \"./.rilk_project.txt\"; }\n"}});
    EXPECT_EQ(resolve("").substr(0, 22), "Project import cycle: ");
}

}  // namespace
