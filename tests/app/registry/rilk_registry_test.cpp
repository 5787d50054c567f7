#include "app/registry/rilk_registry.h"

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "app/registry/registry_home.h"
#include "support/temp_dir.h"
#include "util/logger.h"

namespace {

namespace fs = std::filesystem;

/// Each test runs with HOME in a fresh directory; the logger is kept quiet.
class RegistryTest : public RegistryHomeTest {
protected:
    void writeRegistry(const std::string& text) const {
        home_.write(".config/rilk/.rilk_registry.txt", text);
    }
};

TEST_F(RegistryTest, FirstLoadCreatesAnEmptyFileAndLaterLoadsReadIt) {
    std::string whyNone;
    auto registry = Rilk::RilkRegistry::load(whyNone);
    ASSERT_TRUE(registry);
    EXPECT_EQ(registry->filePath, registryFile());
    EXPECT_TRUE(fs::is_regular_file(registryFile()));
    EXPECT_TRUE(registry->projects.empty() && registry->toolDefinitions.empty());

    writeRegistry(
        "// mine\nprojects {\n  App \"/a/.rilk_project.txt\"\n  rel \"r/.rilk_project.txt\"\n"
        "  APP \"/b/.rilk_project.txt\"\n}\ntools { t { tool_type = \"command\" } }\n");
    registry = Rilk::RilkRegistry::load(whyNone);
    ASSERT_TRUE(registry);
    EXPECT_EQ(registry->loadFailure, "");
    ASSERT_EQ(registry->projects.size(), 2U);
    EXPECT_EQ(registry->projects.begin()->first.str(), "App");
    EXPECT_EQ(registry->projects.at("app"), "/b/.rilk_project.txt");
    EXPECT_EQ(registry->projects.at("rel"), registryFile().parent_path() / "r/.rilk_project.txt");
    EXPECT_EQ(registry->toolDefinitions.count("T"), 1U);
}

TEST_F(RegistryTest, WithoutHomeThereIsNoRegistryAndTheReasonIsKept) {
    for (const char* home : {static_cast<const char*>(nullptr), ""}) {
        if (home == nullptr) {
            unsetenv("HOME");
        } else {
            setenv("HOME", home, 1);
        }
        std::string whyNone;
        EXPECT_FALSE(Rilk::RilkRegistry::load(whyNone));
        EXPECT_EQ(whyNone, "Unable to resolve HOME path.");
    }
}

}  // namespace
