// `rilk -r` and `--find-compilers` on a registry file cut short: a cut that does not load
// fails the run and stays as it is; one that loads is rewritten whole with the project.
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "app/registry/registry_reader.h"
#include "app/registry/registry_writer.h"
#include "e2e/rilk_run.h"
#include "types/rilk_errors.h"
#include "types/rilk_string.h"

namespace {

namespace fs = std::filesystem;

std::shared_ptr<Rilk::ContextTemplate> tool(const std::string& arch) {
    return std::make_shared<Rilk::ContextTemplate>(std::vector<Rilk::Assignment>{
        {"tool_type", Rilk::makeString("gnu-gcc"), Rilk::AssignType::Set,
         Rilk::AssignModifier::None},
        {"arch", Rilk::makeString(arch), Rilk::AssignType::Set, Rilk::AssignModifier::None},
    });
}

class RegistryDamage : public RilkRun {
protected:
    void SetUp() override {
        write({{".rilk_project.txt", "name demo units { core { \"rilk.txt\" } }"},
               {"rilk.txt", "unit core\nbuild: { }\n"}});
    }

    fs::path registryFile() const { return home.path() / ".config/rilk/.rilk_registry.txt"; }
    std::string registryText() const {
        std::ostringstream text;
        text << std::ifstream(registryFile(), std::ios::binary).rdbuf();
        return text.str();
    }

    /// The entries of `text` when it loads as a registry.
    std::optional<Rilk::RegistryEntries> loads(const std::string& text) const {
        try {
            return Rilk::readRegistryText(text, registryFile());
        } catch (const std::exception&) {
        } catch (const Rilk::RilkException&) {
        }
        return std::nullopt;
    }
};

TEST_F(RegistryDamage, ACutRegistryFailsTheRunAndStaysOrIsRewrittenWhole) {
    const std::string full = Rilk::registryFileText(
        {{{"alpha", "/p/a/.rilk_project.txt"}, {"beta", "/p/b/.rilk_project.txt"}},
         {{"gcc-12", tool("x86_64-linux-gnu")}, {"cross", tool("aarch64-linux-gnu")}}},
        registryFile());
    constexpr std::size_t kCuts = 20;
    int rewritten = 0;
    for (std::size_t i = 0; i < kCuts; ++i) {
        const std::string cut = full.substr(0, i * full.size() / (kCuts - 1));
        SCOPED_TRACE("registry cut to: " + cut);
        home.write(".config/rilk/.rilk_registry.txt", cut);
        const auto result = rilk({"-r"});
        const std::optional<Rilk::RegistryEntries> entries = loads(cut);
        if (!entries) {
            EXPECT_EQ(result.exitCode, 1);
            EXPECT_NE(result.out.find("Error: The registry file '" + registryFile().string() +
                                      "' was left untouched: it could not be loaded ("),
                      std::string::npos)
                << result.out;
            EXPECT_EQ(registryText(), cut);
            // Toolchain discovery saves through the same refusal.
            const auto find = rilk({"--find-compilers"});
            EXPECT_EQ(find.exitCode, 1) << find.out;
            EXPECT_EQ(registryText(), cut);
            continue;
        }
        ++rewritten;
        EXPECT_EQ(result.exitCode, 0) << result.out;
        Rilk::RegistryEntries expected = *entries;
        expected.projects["demo"] = work.path() / ".rilk_project.txt";
        EXPECT_EQ(registryText(), Rilk::registryFileText(expected, registryFile()));
    }
    EXPECT_GE(rewritten, 2) << "the empty cut and the whole file load";
}

}  // namespace
