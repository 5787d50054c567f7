// Two `rilk -r` runs against one registry at the same time. Neither waits for the other:
// each reads the file, adds its project and replaces the file whole, so the last writer's
// content stands and the other's project may be missing from it. Each file left behind is
// one run's whole content.
#include <exception>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <string>

#include "app/registry/registry_reader.h"
#include "app/registry/registry_writer.h"
#include "e2e/rilk_run.h"
#include "types/rilk_errors.h"

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

TEST_F(ConcurrentRegistry, TwoRegistrationsAtOnceLeaveOneRunsWholeFile) {
    write({{"a/.rilk_project.txt", "name alpha units { core { \"rilk.txt\" } }"},
           {"a/rilk.txt", "unit core\nbuild: { }\n"},
           {"b/.rilk_project.txt", "name beta units { core { \"rilk.txt\" } }"},
           {"b/rilk.txt", "unit core\nbuild: { }\n"}});
    const std::string seed = seedRegistry();
    // The whole contents a run can leave: the seed with the project of either run or both.
    const Rilk::RegistryEntries seeded = Rilk::readRegistryText(seed, registryFile());
    auto withProjects = [&](bool alpha, bool beta) {
        Rilk::RegistryEntries entries = seeded;
        if (alpha) entries.projects["alpha"] = work.path() / "a/.rilk_project.txt";
        if (beta) entries.projects["beta"] = work.path() / "b/.rilk_project.txt";
        return Rilk::registryFileText(entries, registryFile());
    };
    const std::string both = withProjects(true, true);
    const std::string onlyAlpha = withProjects(true, false);
    const std::string onlyBeta = withProjects(false, true);
    int lostOne = 0;
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        home.write(".config/rilk/.rilk_registry.txt", seed);
        auto first = std::async(std::launch::async, [&] { return rilk({"-r"}, "a"); });
        auto second = std::async(std::launch::async, [&] { return rilk({"-r"}, "b"); });
        for (const auto& result : {first.get(), second.get()}) {
            EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
            EXPECT_EQ(result.out, "Updated file '" + registryFile().string() + "'.\n");
        }
        const std::string text = registryText();
        EXPECT_TRUE(text == both || text == onlyAlpha || text == onlyBeta) << text.substr(0, 400);
        if (text != both) ++lostOne;
        EXPECT_EQ(std::distance(fs::directory_iterator(registryFile().parent_path()), {}), 1)
            << "no temporary file is left";
    }
    // A lost registration is the documented cost of uncoordinated writers; how often it
    // happens depends on the machine.
    RecordProperty("rounds_with_one_registration_lost", lostOne);
}

}  // namespace
