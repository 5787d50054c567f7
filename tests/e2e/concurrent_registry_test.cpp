// `rilk -r` and `rilk --find-compilers` runs against one registry at the same time. Each
// reads, changes and writes the registry under a lock on the file beside it, so that they
// run one after another there and every change survives.
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <vector>

#include "app/registry/registry_reader.h"
#include "e2e/rilk_run.h"

namespace {

namespace fs = std::filesystem;

class ConcurrentRegistry : public RilkRun {
protected:
    fs::path registryFile() const { return home.path() / ".config/rilk/.rilk_registry.txt"; }
    std::string registryText() const {
        std::ostringstream text;
        text << std::ifstream(registryFile(), std::ios::binary).rdbuf();
        return text.str();
    }
};

/// A registry of one project and many tools, large enough that reading and writing it
/// takes each run a while.
std::string seedRegistry() {
    std::string text = "projects {\n  keep \"/k/.rilk_project.txt\"\n}\n\ntools {\n";
    for (int i = 0; i < 400; ++i) {
        text += "  t" + std::to_string(i) + " {\n    tool_type = \"command\"\n  }\n";
    }
    return text + "}\n";
}

TEST_F(ConcurrentRegistry, EightRegistrationsAndAToolchainSearchAtOnceAllSurvive) {
    constexpr int kProjects = 8;
    for (int i = 0; i < kProjects; ++i) {
        const std::string name = "p" + std::to_string(i);
        write({{name + "/.rilk_project.txt", "name " + name + " units { core { \"rilk.txt\" } }"},
               {name + "/rilk.txt", "unit core\nbuild: { }\n"}});
    }
    // The tools a search records on this machine, found by a search alone.
    home.write(".config/rilk/.rilk_registry.txt", "");
    ASSERT_EQ(rilk({"--find-compilers"}).exitCode, 0);
    const Rilk::RegistryEntries searched = Rilk::readRegistryText(registryText(), registryFile());

    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        home.write(".config/rilk/.rilk_registry.txt", seedRegistry());
        std::vector<std::future<RilkTest::ProcessResult>> runs;
        for (int i = 0; i < kProjects; ++i) {
            runs.push_back(std::async(std::launch::async,
                                      [this, i] { return rilk({"-r"}, "p" + std::to_string(i)); }));
        }
        runs.push_back(std::async(std::launch::async, [this] { return rilk({"--find-compilers"}); }));
        for (auto& run : runs) {
            const RilkTest::ProcessResult result = run.get();
            EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
            EXPECT_EQ(result.out, "Updated file '" + registryFile().string() + "'.\n");
        }
        const Rilk::RegistryEntries entries = Rilk::readRegistryText(registryText(), registryFile());
        EXPECT_EQ(entries.projects.size(), kProjects + 1u);
        for (int i = 0; i < kProjects; ++i) {
            const std::string name = "p" + std::to_string(i);
            EXPECT_EQ(entries.projects.count(Util::CiString(name)), 1u) << name;
        }
        EXPECT_EQ(entries.toolDefinitions.size(), 400 + searched.toolDefinitions.size());
        for (const auto& [name, definition] : searched.toolDefinitions) {
            EXPECT_EQ(entries.toolDefinitions.count(name), 1u) << name.str();
        }
        for (const auto& entry : fs::directory_iterator(registryFile().parent_path())) {
            EXPECT_TRUE(entry.path() == registryFile() ||
                        entry.path().filename() == ".rilk_registry.txt.lock")
                << "no temporary file is left: " << entry.path();
        }
    }
}

}  // namespace
