#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/load/unit_loader.h"
#include "support/temp_dir.h"
#include "types/rilk_errors.h"

namespace fs = std::filesystem;

namespace {

std::string errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Rilk::RilkException& e) {
        return e.message();
    }
    return "ok";
}

class UnitLoaderTest : public testing::Test {
protected:
    /// A main project "app" in the temporary directory with the given units.
    Rilk::ProjectPtr mainProject(std::vector<Rilk::Project::UnitEntry> units) {
        app.project = std::make_shared<Rilk::Project>(dir.path() / ".rilk_project.txt", "app");
        app.project->units = std::move(units);
        app.unitIndex.defaultNamespace = "app";
        app.unitIndex.defaultUnit = app.project->firstUnitName();
        return app.project;
    }

    RilkTest::TempDir dir;
    Rilk::Workspace app;
};

TEST_F(UnitLoaderTest, MergesTheFilesOfAUnitUnderItsProjectSpelling) {
    dir.write("a/rilk.txt", "unit core\nzeta: { }\n");
    const fs::path b = dir.write("b/rilk.txt", "unit CORE\nbeta: { }\nalpha: { }\n");
    const auto project = mainProject({{"Core", {"a/rilk.txt", b}}});
    Rilk::loadProjectUnits(app, project);

    std::string ns = "APP", unitName = "core";
    const Rilk::UnitPtr unit = app.unitIndex.findUnit(ns, unitName);
    EXPECT_EQ(app.unitIndex.namespaces.at("app").begin()->first.str(), "1");
    EXPECT_EQ(std::next(app.unitIndex.namespaces.at("app").begin())->first.str(), "Core");
    EXPECT_EQ(unit->name, "core");
    EXPECT_EQ(unit->defaultTarget, "zeta");
    EXPECT_EQ(unit->targets.size(), 3u);
    ns.clear(), unitName = "1";
    EXPECT_EQ(app.unitIndex.findUnit(ns, unitName), unit);
    EXPECT_EQ(app.loadedUnitFiles.at(dir.path() / "a/rilk.txt"), "Core");
    EXPECT_EQ(app.loadedUnitFiles.at(b), "Core");

    // The main project's units are loaded once only.
    fs::remove_all(dir.path() / "a");
    EXPECT_EQ(errorOf([&] { Rilk::loadProjectUnits(app, project); }), "ok");
}

TEST_F(UnitLoaderTest, AFileListedTwiceMergesOnlyWhenItHasNoTargets) {
    dir.write("empty.txt", "unit core\n");
    dir.write("full.txt", "unit core\nbuild: { }\n");
    EXPECT_EQ(errorOf([&] {
                  Rilk::loadProjectUnits(app, mainProject({{"core", {"empty.txt", "empty.txt"}}}));
              }),
              "ok");
    app.mainUnitsLoaded = false;
    EXPECT_EQ(errorOf([&] {
                  Rilk::loadProjectUnits(app, mainProject({{"core", {"full.txt", "full.txt"}}}));
              }),
              "Unable to merge unit 'core' from file '" + (dir.path() / "full.txt").string() +
                  "': Key already exists: build");
}

TEST_F(UnitLoaderTest, NumbersUnnamedUnitFilesAndLoadsEachPathOnce) {
    app.projectRoot = dir.path();
    dir.write("one.txt", "a: { }\n");
    dir.write("two.txt", "b: { }\n");
    const Rilk::UnitPtr first = Rilk::loadUnitFile(app, "one.txt", "");
    EXPECT_EQ(first->name, "1");
    EXPECT_EQ(Rilk::loadUnitFile(app, "two.txt", "")->name, "2");
    fs::remove(dir.path() / "one.txt");
    EXPECT_EQ(Rilk::loadUnitFile(app, "one.txt", ""), first);
}

}  // namespace
