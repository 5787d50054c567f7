// The one-shot modes of the registry: -r records the main project, --find-compilers the
// GCC toolchains found on the machine.
#include "app/registry/registry_modes.h"

#include <optional>
#include <string>
#include <utility>

#include <fmt/format.h>

#include "app/registry/rilk_registry.h"
#include "tools/gnu/default_toolchains.h"
#include "types/rilk_errors.h"
#include "util/ci_string.h"

namespace Rilk {
namespace {

constexpr const char* kNameVariable = "toolchain_name";

}  // namespace

void registerProject(RilkRegistry* registry, const std::string& whyNone, const std::string& name,
                     const std::filesystem::path& projectFile) {
    if (!registry) {
        throw Rilk::RilkException(fmt::format(
            "The project cannot be registered: there is no user registry ({}).", whyNone));
    }
    registry->addProject(name, projectFile);
}

const std::vector<std::filesystem::path>& defaultToolchainRoots() {
    static const std::vector<std::filesystem::path> roots = {"/usr/bin", "/usr/local/bin",
                                                             "/opt/rh", "/opt"};
    return roots;
}

void storeToolchainDefinition(RegistryTools& tools,
                              const std::shared_ptr<Rilk::ContextTemplate>& definition) {
    if (!definition) throw Rilk::RilkException("Build tool context is null.");
    std::optional<std::string> name;
    std::vector<Rilk::Assignment> kept;
    for (const Rilk::Assignment& assignment : definition->assignments) {
        if (!Util::CiString::equal(assignment.name, kNameVariable)) {
            kept.push_back(assignment);
            continue;
        }
        if (name) {
            throw Rilk::RilkException("Build tool context has multiple 'name' assignments.");
        }
        if (!assignment.value) throw Rilk::NotFoundException("value of variable", kNameVariable);
        name = assignment.value->toString();
    }
    if (!name) throw Rilk::NotFoundException("variable", kNameVariable);
    // operator[] finds a tool of the same name in any letter case and keeps its key.
    tools[*name] = std::make_shared<Rilk::ContextTemplate>(std::move(kept));
}

void findCompilers(RilkRegistry* registry, const std::string& whyNone,
                   const std::vector<std::filesystem::path>& roots) {
    if (!registry) {
        throw Rilk::RilkException(fmt::format(
            "The toolchains cannot be recorded: there is no user registry ({}).", whyNone));
    }
    // Searched before the lock is taken: a search may take a while, and other runs wait.
    const std::vector<Rilk::BuildToolDefinition> toolchains = Rilk::findDefaultToolchains(roots);
    registry->update([&](RilkRegistry& current) {
        for (const Rilk::BuildToolDefinition& found : toolchains) {
            storeToolchainDefinition(current.toolDefinitions, found.contextTemplate);
        }
    });
}

}  // namespace Rilk
