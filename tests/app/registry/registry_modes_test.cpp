#include "app/registry/registry_modes.h"

#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "app/registry/rilk_registry.h"
#include "support/temp_dir.h"
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

using RilkTest::readFile;

TEST(FindCompilers, RefusesDefinitionsWithoutOneNamedToolchain) {
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
        Rilk::RegistryTools tools;
        try {
            Rilk::storeToolchainDefinition(tools, c.tool);
            ADD_FAILURE() << "accepted: " << c.error;
        } catch (const Rilk::RilkException& error) {
            EXPECT_EQ(error.message(), c.error);
        }
        EXPECT_TRUE(tools.empty()) << c.error;
    }
}

TEST(FindCompilers, RewritesTheRegistryEvenWhenNothingIsFound) {
    const int savedVerbosity = Rilk::verbosity;
    Rilk::verbosity = 8;
    RilkTest::TempDir dir;
    // The registry is read again under its lock: the file's entries are what is written.
    const fs::path file =
        dir.write(".rilk_registry.txt", "projects { demo \"/d/.rilk_project.txt\" }");
    Rilk::RilkRegistry registry(file);
    registry.projects["stale"] = "/s/.rilk_project.txt";
    Rilk::findCompilers(&registry, "", {});
    EXPECT_EQ(readFile(file), "projects {\n  demo \"/d/.rilk_project.txt\"\n}\n");
    Rilk::verbosity = savedVerbosity;
}

}  // namespace
