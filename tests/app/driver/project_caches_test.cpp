#include "app/driver/project_caches.h"

#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

/// A project of the folder `folder` below `root` under namespace `name`, whose file
/// declares `declared`.
Rilk::ProjectPtr project(const fs::path& root, const std::string& folder, const std::string& name,
                         const std::string& declared) {
    auto made = std::make_shared<Rilk::Project>(root / folder / ".rilk_project.txt", name);
    made->declaredName = declared;
    return made;
}

// app imports lib as mylib, other twice (as x and as y), and ro, whose lock it did not take.
TEST(ProjectCaches, KeepsEachProjectsRecordsInItsOwnCacheUnderItsOwnName) {
    RilkTest::TempDir dir;
    const fs::path root = fs::canonical(dir.path());
    const Rilk::ProjectPtr app = project(root, "app", "app", "app");
    app->importedProjects = {project(root, "lib", "mylib", "lib"),
                             project(root, "other", "x", "other"),
                             project(root, "other", "y", "other"), project(root, "ro", "ro", "ro")};
    Rilk::ProjectCaches caches;
    caches.startOwn(root / "app");
    caches.route(app.get());
    EXPECT_TRUE(caches.allOwn());
    for (const char* folder : {"lib", "other", "app"}) caches.startImported(root / folder);
    EXPECT_TRUE(caches.reads(root / "app"));
    EXPECT_FALSE(caches.reads(root / "ro"));
    caches.load();
    caches.route(app.get());
    EXPECT_FALSE(caches.allOwn());
    const struct {
        const char* ns;
        const char* cacheFolder;
        const char* recordNamespace;
    } cases[] = {
        {"APP", "app", ""}, {"mylib", "lib", "lib"}, {"x", "other", ""},
        {"Y", "other", ""}, {"ro", "app", ""},       {"unknown", "app", ""},
    };
    for (const auto& c : cases) {
        const Rilk::RecordPlaces::Place place = caches.placeOf(c.ns);
        ASSERT_NE(place.records, nullptr) << c.ns;
        // Every place of the run's caches is one of its `BuildCache`s.
        const auto* cache = static_cast<const Rilk::BuildCache*>(place.records);
        EXPECT_EQ(cache->path(), root / c.cacheFolder / ".rilk_cache") << c.ns;
        EXPECT_EQ(place.recordNamespace, c.recordNamespace) << c.ns;
    }
}

}  // namespace
