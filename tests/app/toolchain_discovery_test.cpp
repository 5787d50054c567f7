#include "app/toolchain_discovery.h"

#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "app/rilk_app.h"
#include "app/rilk_registry.h"
#include "support/temp_dir.h"
#include "tools/fake_toolchain.h"
#include "types/rilk_errors.h"
#include "types/rilk_string.h"
#include "util/logger.h"

namespace {

namespace fs = std::filesystem;
using Rilk::Assignment;
using Rilk::AssignModifier;
using Rilk::AssignType;

Assignment set(const std::string& name, const std::string& text) {
    return Assignment(name, Rilk::makeString(text), AssignType::Set, AssignModifier::None);
}

std::shared_ptr<Rilk::ContextTemplate> definition(std::vector<Assignment> assignments) {
    return std::make_shared<Rilk::ContextTemplate>(std::move(assignments));
}

std::string assignmentsOf(const Rilk::ContextTemplate& tool) {
    std::string text;
    for (const Assignment& a : tool.assignments) text += a.toString() + "; ";
    return text;
}

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ToolchainDiscovery, RefusesDefinitionsWithoutOneNamedToolchain) {
    const struct {
        std::shared_ptr<Rilk::ContextTemplate> tool;
        std::string error;
    } cases[] = {
        {nullptr, "Build tool context is null."},
        {definition({set("toolchain_name", "a"), set("TOOLCHAIN_NAME", "b")}),
         "Build tool context has multiple 'name' assignments."},
        {definition(
             {Assignment("toolchain_name", nullptr, AssignType::Declare, AssignModifier::None)}),
         "value of variable 'toolchain_name' not found."},
        {definition({set("tool_type", "gnu-gcc")}), "variable 'toolchain_name' not found."},
    };
    for (const auto& c : cases) {
        RegistryTools tools;
        try {
            storeToolchainDefinition(tools, c.tool);
            ADD_FAILURE() << "accepted: " << c.error;
        } catch (const Rilk::RilkException& error) {
            EXPECT_EQ(error.message(), c.error);
        }
        EXPECT_TRUE(tools.empty()) << c.error;
    }
}

TEST(ToolchainDiscovery, ReplacesAToolOfTheSameNameKeepingItsKey) {
    RegistryTools tools;
    tools["Default_GNU_avr_0"] = definition({set("tool_type", "command")});
    storeToolchainDefinition(
        tools, definition({set("tool_type", "gnu-gcc"), set("toolchain_name", "default_gnu_avr_0"),
                           set("arch", "avr")}));
    storeToolchainDefinition(tools, definition({set("toolchain_name", "other")}));
    ASSERT_EQ(tools.size(), 2U);
    EXPECT_EQ(tools.begin()->first.str(), "Default_GNU_avr_0");
    EXPECT_EQ(assignmentsOf(*tools.begin()->second), "tool_type = \"gnu-gcc\"; arch = \"avr\"; ");
    EXPECT_EQ(assignmentsOf(*tools.at("other")), "");
}

/// The discovery mode with a registry in a temporary directory; the logger is kept quiet.
class ToolchainDiscoveryMode : public testing::Test {
protected:
    void SetUp() override {
        savedVerbosity_ = Rilk::verbosity;
        Rilk::verbosity = 8;
        app.registry = std::make_shared<RilkRegistry>(file);
        app.registry->projects["demo"] = "/d/.rilk_project.txt";
        dir.write(".rilk_registry.txt", "stale");
    }
    void TearDown() override { Rilk::verbosity = savedVerbosity_; }

    RilkTest::TempDir dir;
    fs::path file = dir.path() / ".rilk_registry.txt";
    RilkApplication app;

private:
    int savedVerbosity_ = 5;
};

TEST_F(ToolchainDiscoveryMode, RewritesTheRegistryEvenWhenNothingIsFound) {
    app.discoverToolchains({});
    EXPECT_EQ(readFile(file), "projects {\n  demo \"/d/.rilk_project.txt\"\n}\n");

    RilkTest::writeFakeCompiler(dir.path() / "tc/bin/gcc", {"avr", "", ""});
    app.discoverToolchains({dir.path() / "missing", dir.path() / "tc"});
    EXPECT_EQ(readFile(file),
              "projects {\n  demo \"/d/.rilk_project.txt\"\n}\n\ntools {\n"
              "  default_gnu_avr_0 {\n    tool_type = \"gnu-gcc\"\n"
              "    toolchain_version = \"0\"\n    prefix = \"avr\"\n"
              "    arch = \"avr\"\n    os = \"\"\n    abi = \"\"\n"
              "    toolchain_path = \"" +
                  (dir.path() / "tc/bin").string() + "\"\n  }\n}\n");
}

TEST_F(ToolchainDiscoveryMode, FailsWithoutARegistryOrOverOneThatDidNotLoad) {
    app.registry->loadFailure = "broken";
    EXPECT_THROW(app.discoverToolchains({}), Rilk::RilkException);
    EXPECT_EQ(readFile(file), "stale");

    app.registry = nullptr;
    app.registryFailure = "Unable to resolve HOME path.";
    try {
        app.discoverToolchains({});
        ADD_FAILURE() << "ran without a registry";
    } catch (const Rilk::RilkException& error) {
        EXPECT_EQ(error.message(),
                  "The toolchains cannot be recorded: there is no user registry (Unable to "
                  "resolve HOME path.).");
    }
}

}  // namespace
