// A registry file cut short at every byte: a cut that does not load is never written over;
// one that loads is rewritten whole and reads back as what was loaded.
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "types/exact_equality.h"
#include "app/registry/registry_reader.h"
#include "app/registry/registry_writer.h"
#include "app/registry/rilk_registry.h"
#include "app/registry/registry_home.h"
#include "support/temp_dir.h"
#include "types/rilk_errors.h"
#include "types/rilk_list.h"
#include "types/rilk_string.h"
#include "util/logger.h"

namespace {

namespace fs = std::filesystem;

std::shared_ptr<Rilk::ContextTemplate> tool(const std::string& type, const std::string& arch) {
    return std::make_shared<Rilk::ContextTemplate>(std::vector<Rilk::Assignment>{
        {"tool_type", Rilk::makeString(type), Rilk::AssignType::Set, Rilk::AssignModifier::None},
        {"arch", Rilk::makeString(arch), Rilk::AssignType::Set, Rilk::AssignModifier::None},
        {"flags",
         std::make_shared<Rilk::RilkList>(
             std::vector<Rilk::RilkValuePtr>{Rilk::makeString("-O2"), Rilk::makeString("-g")}),
         Rilk::AssignType::Append, Rilk::AssignModifier::None},
    });
}

/// Whether every entry of `part` is in `whole`, under the same spelling and with the same
/// value.
bool isPartOf(const Rilk::RegistryEntries& part, const Rilk::RegistryEntries& whole) {
    for (const auto& [name, path] : part.projects) {
        const auto found = whole.projects.find(name);
        if (found == whole.projects.end() || found->first.str() != name.str() ||
            found->second != path)
            return false;
    }
    for (const auto& [name, definition] : part.toolDefinitions) {
        const auto found = whole.toolDefinitions.find(name);
        if (found == whole.toolDefinitions.end() || found->first.str() != name.str() ||
            !Rilk::sameTemplate(found->second, definition))
            return false;
    }
    return true;
}

class RegistryDamageTest : public RegistryHomeTest {
protected:
    std::string registryText() const {
        std::ostringstream text;
        text << std::ifstream(registryFile(), std::ios::binary).rdbuf();
        return text.str();
    }
    void writeRegistry(const std::string& text) const {
        std::ofstream(registryFile(), std::ios::binary | std::ios::trunc) << text;
    }

    /// The file rilk writes for two projects and two tools, and what it holds.
    std::pair<std::string, Rilk::RegistryEntries> writtenRegistry() const {
        std::string whyNone;
        auto registry = Rilk::RilkRegistry::load(whyNone);
        registry->toolDefinitions["gcc-12"] = tool("gnu-gcc", "x86_64-linux-gnu");
        registry->toolDefinitions["cross"] = tool("gnu-gcc", "aarch64-linux-gnu");
        registry->addProject("alpha", "/p/a/.rilk_project.txt");
        registry->addProject("Beta", "/p/b/.rilk_project.txt");
        return {registryText(), {registry->projects, registry->toolDefinitions}};
    }
};

TEST_F(RegistryDamageTest, ACutThatDoesNotLoadIsKeptAndOneThatLoadsIsRewrittenWhole) {
    const auto [full, original] = writtenRegistry();
    int refused = 0;
    int rewritten = 0;
    for (std::size_t offset = 0; offset <= full.size(); ++offset) {
        SCOPED_TRACE(testing::Message() << "cut at byte " << offset);
        const std::string cut = full.substr(0, offset);
        writeRegistry(cut);
        std::string whyNone;
        const auto registry = Rilk::RilkRegistry::load(whyNone);
        ASSERT_TRUE(registry);
        if (!registry->loadFailure.empty()) {
            ++refused;
            EXPECT_TRUE(registry->projects.empty() && registry->toolDefinitions.empty());
            EXPECT_THROW(registry->save(), Rilk::RilkException);
            EXPECT_THROW(registry->addProject("gamma", "/p/g/.rilk_project.txt"),
                         Rilk::RilkException);
            EXPECT_EQ(registryText(), cut);
            continue;
        }
        ++rewritten;
        const Rilk::RegistryEntries loaded{registry->projects, registry->toolDefinitions};
        EXPECT_TRUE(isPartOf(loaded, original));
        registry->addProject("gamma", "/p/g/.rilk_project.txt");
        Rilk::RegistryEntries expected = loaded;
        expected.projects["gamma"] = "/p/g/.rilk_project.txt";
        EXPECT_EQ(registryText(), Rilk::registryFileText(expected, registryFile()));
        const Rilk::RegistryEntries readBack =
            Rilk::readRegistryText(registryText(), registryFile());
        EXPECT_TRUE(isPartOf(readBack, expected) && isPartOf(expected, readBack));
    }
    // The empty cut, the projects block alone and the whole file load; most cuts do not.
    EXPECT_GE(rewritten, 3);
    EXPECT_GT(refused, static_cast<int>(full.size()) / 2);
    for (const auto& entry : fs::directory_iterator(registryFile().parent_path())) {
        EXPECT_TRUE(entry.path() == registryFile() ||
                    entry.path().filename() == ".rilk_registry.txt.lock")
            << "no temporary file is left: " << entry.path();
    }
}

}  // namespace
