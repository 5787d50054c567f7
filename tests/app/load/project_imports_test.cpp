#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/load/project_file_loader.h"
#include "app/load/project_imports.h"
#include "app/load/workspace.h"
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
            Rilk::resolveProjectImports(app.project, nullptr);
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
    Rilk::Workspace app;
};

TEST_F(ProjectImportsTest, RefusesAnImportItCannotResolve) {
    write({{"main", "import { lib; }\n"}});
    EXPECT_EQ(resolve(), "registry '' not found.");
    // A source profile must be declared even while it is not active.
    write({{"main", "import { nodev: \"../lib/.rilk_project.txt\"; }\n"}});
    EXPECT_EQ(resolve(), "profile 'nodev' not found.");
}

TEST_F(ProjectImportsTest, RefusesACycleButLoadsAProjectReachedTwice) {
    write({{"main", "import { \"../a/.rilk_project.txt\"; \"../b/.rilk_project.txt\"; }\n"},
           {"a", "name a\nimport { \"../shared/.rilk_project.txt\"; }\n"},
           {"b", "name b\nimport { \"../shared/.rilk_project.txt\" other; }\n"},
           {"shared", "name shared\n"}});
    EXPECT_EQ(resolve(), "ok");
    EXPECT_EQ(tree(app.project), " a@a [ shared@shared ] b@b [ other@shared ]");
    // Under one namespace twice, by paths spelled apart: one project, loaded once.
    write({{"b", "name b\nimport { \"../a/../shared/.rilk_project.txt\"; }\n"}});
    EXPECT_EQ(resolve(), "ok");
    EXPECT_EQ(tree(app.project), " a@a [ shared@shared ] b@b [ shared@shared ]");
    const Rilk::ProjectPtr& a = app.project->importedProjects.at(0);
    const Rilk::ProjectPtr& b = app.project->importedProjects.at(1);
    EXPECT_EQ(a->importedProjects.at(0), b->importedProjects.at(0));
    std::string each;
    for (const auto& project : Rilk::importedProjectsOf(*app.project)) each += project->name + " ";
    EXPECT_EQ(each, "a shared b ");
    // Two files under one namespace: both importing files are named.
    write({{"b", "name b\nimport { \"../other/.rilk_project.txt\"; }\n"},
           {"other", "name shared\n"}});
    EXPECT_EQ(resolve(), "Project namespace 'shared' is used more than once: by '" +
                             file("shared") + "' imported by '" + file("a") + "' and by '" +
                             file("other") + "' imported by '" + file("b") +
                             "'. Import each project once, or give each import a namespace of "
                             "its own.");

    // Under another profile a project may import itself: the import it makes then differs.
    // It needs a namespace of its own there, as every project of the tree does.
    write({{"self",
            "name self\nimport { dev: \".rilk_project.txt\" relself (rel); }\n"
            "profiles { dev { } rel { } }\n"},
           {"main", "import { \"../self/.rilk_project.txt\" (dev); }\n"}});
    EXPECT_EQ(resolve(), "ok");
    EXPECT_EQ(tree(app.project), " self@self(dev) [ relself@self(rel) ]");
    write({{"self",
            "name self\nimport { dev: \".rilk_project.txt\" (rel); }\n"
            "profiles { dev { } rel { } }\n"}});
    EXPECT_EQ(resolve(), "Project namespace 'self' is used more than once: by '" + file("self") +
                             "' (dev) imported by '" + file("main") + "' and by '" + file("self") +
                             "' (rel) imported by '" + file("self") +
                             "'. Import each project once, or give each import a namespace of "
                             "its own.");

    write({{"main", "import { \"../a/.rilk_project.txt\"; }\n"},
           {"a", "name a\nimport { \"../b/.rilk_project.txt\"; }\n"},
           {"b", "name b\nimport { \"../main/.rilk_project.txt\"; }\n"}});
    EXPECT_EQ(resolve(), "Project import cycle: " + file("main") + " -> " + file("a") + " -> " +
                             file("b") + " -> " + file("main") +
                             ". A project cannot import itself, directly or through the "
                             "projects it imports.");
}

}  // namespace
