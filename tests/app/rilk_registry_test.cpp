#include "app/rilk_registry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "support/run_process.h"
#include "support/temp_dir.h"
#include "types/rilk_errors.h"
#include "util/logger.h"

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

/// Each test runs with HOME in a fresh directory; the logger is kept quiet.
class RegistryTest : public testing::Test {
protected:
    void SetUp() override {
        const char* home = std::getenv("HOME");
        hadHome_ = home != nullptr;
        if (hadHome_) savedHome_ = home;
        setenv("HOME", home_.path().c_str(), 1);
        savedVerbosity_ = Rilk::verbosity;
        Rilk::verbosity = 8;
    }
    void TearDown() override {
        if (hadHome_) {
            setenv("HOME", savedHome_.c_str(), 1);
        } else {
            unsetenv("HOME");
        }
        Rilk::verbosity = savedVerbosity_;
    }

    fs::path registryFile() const { return home_.path() / ".config/rilk/.rilk_registry.txt"; }
    void writeRegistry(const std::string& text) const {
        home_.write(".config/rilk/.rilk_registry.txt", text);
    }

    RilkTest::TempDir home_;

private:
    bool hadHome_ = false;
    std::string savedHome_;
    int savedVerbosity_ = 5;
};

TEST_F(RegistryTest, FirstLoadCreatesAnEmptyFileAndLaterLoadsReadIt) {
    std::string whyNone;
    auto registry = RilkRegistry::load(whyNone);
    ASSERT_TRUE(registry);
    EXPECT_EQ(registry->filePath, registryFile());
    EXPECT_TRUE(fs::is_regular_file(registryFile()));
    EXPECT_TRUE(registry->projects.empty() && registry->toolDefinitions.empty());

    writeRegistry(
        "// mine\nprojects {\n  App \"/a/.rilk_project.txt\"\n  rel \"r/.rilk_project.txt\"\n"
        "  APP \"/b/.rilk_project.txt\"\n}\ntools { t { tool_type = \"command\" } }\n");
    registry = RilkRegistry::load(whyNone);
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
        EXPECT_FALSE(RilkRegistry::load(whyNone));
        EXPECT_EQ(whyNone, "Unable to resolve HOME path.");
    }
}

TEST_F(RegistryTest, AFileThatFailsToLoadGivesAnEmptyRegistryThatIsNeverSaved) {
    const std::string broken = "projects { app \"/a/.rilk_project.txt\" \n";
    for (bool unreadable : {false, true}) {
        if (unreadable) {
            fs::remove(registryFile());
            fs::create_directory(registryFile());  // unreadable as a file, also for root
        } else {
            writeRegistry(broken);
        }
        std::string whyNone;
        auto registry = RilkRegistry::load(whyNone);
        ASSERT_TRUE(registry);
        EXPECT_TRUE(registry->projects.empty());
        EXPECT_EQ(registry->loadFailure,
                  unreadable
                      ? "Registry file '" + registryFile().string() + "' not found."
                      : registryFile().string() +
                            "(2,0): '<EOF>' extraneous input '<EOF>' expecting {'}', IDENTIFIER}");
        registry->toolDefinitions["t"] = std::make_shared<Rilk::ContextTemplate>();
        try {
            registry->save();
            ADD_FAILURE() << "saved over a registry that failed to load";
        } catch (const Rilk::RilkException& error) {
            EXPECT_NE(error.message().find("The registry file '" + registryFile().string() +
                                           "' was left untouched"),
                      std::string::npos)
                << error.message();
        }
        if (unreadable) {
            EXPECT_TRUE(fs::is_directory(registryFile()));
        } else {
            EXPECT_EQ(readFile(registryFile()), broken);
        }
    }
}

TEST_F(RegistryTest, AddProjectRecordsTheProjectOrSaysItIsAlreadyThere) {
    std::string whyNone;
    auto registry = RilkRegistry::load(whyNone);
    ASSERT_TRUE(registry);
    const auto first = RilkTest::runInChild([&] {
        Rilk::verbosity = 5;
        registry->addProject("Demo", "/old/.rilk_project.txt");
        registry->addProject("demo", "/old/.rilk_project.txt");
        registry->addProject("DEMO", "/new/.rilk_project.txt");
    });
    const std::string updated = "Updated file '" + registryFile().string() + "'.\n";
    EXPECT_EQ(first.out, updated + "Project already registered\n" + updated + updated);
    EXPECT_EQ(readFile(registryFile()), "projects {\n  Demo \"/new/.rilk_project.txt\"\n}\n");
}

TEST_F(RegistryTest, AProjectTheFileCannotHoldIsRefusedAndNothingIsWritten) {
    std::string whyNone;
    auto registry = RilkRegistry::load(whyNone);
    ASSERT_TRUE(registry);
    registry->addProject("kept", "/k/.rilk_project.txt");
    const std::string before = readFile(registryFile());
    const std::pair<std::string, std::string> cases[] = {
        {"", "has no name, so it cannot be registered"},
        {"my project", "cannot be registered: a registered name must start"},
        {"ok", "double quote"},
    };
    for (const auto& [name, message] : cases) {
        const fs::path file = name == "ok" ? "/a\"b/.rilk_project.txt" : "/p/.rilk_project.txt";
        try {
            registry->addProject(name, file);
            ADD_FAILURE() << "registered '" << name << "'";
        } catch (const Rilk::RilkException& error) {
            EXPECT_NE(error.message().find(message), std::string::npos) << error.message();
        }
        EXPECT_EQ(readFile(registryFile()), before);
    }
}

TEST_F(RegistryTest, SaveKeepsTheModeAndReplacesTheFileThroughALink) {
    writeRegistry("");
    const fs::path real = home_.path() / "real_registry.txt";
    fs::rename(registryFile(), real);
    fs::create_symlink(real, registryFile());
    chmod(real.c_str(), 0600);
    std::string whyNone;
    auto registry = RilkRegistry::load(whyNone);
    ASSERT_TRUE(registry);
    registry->addProject("app", "/p/.rilk_project.txt");
    EXPECT_TRUE(fs::is_symlink(registryFile()));
    EXPECT_EQ(readFile(real), "projects {\n  app \"/p/.rilk_project.txt\"\n}\n");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace
