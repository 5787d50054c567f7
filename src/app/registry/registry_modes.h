#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/registry/registry_entries.h"
#include "types/context_template.h"

namespace Rilk {

class RilkRegistry;

/// `-r`: records the project file `projectFile` under `name` in the registry and saves
/// it. Fails without a registry (null), naming `whyNone`, the reason there is none.
void registerProject(RilkRegistry* registry, const std::string& whyNone, const std::string& name,
                     const std::filesystem::path& projectFile);

/// `--find-compilers`: stores a tool definition for every GCC toolchain found below
/// `roots` in the registry and saves it, also when none is found. Fails without a
/// registry (null), naming `whyNone`, and leaves a registry file that failed to load
/// untouched.
void findCompilers(RilkRegistry* registry, const std::string& whyNone,
                   const std::vector<std::filesystem::path>& roots);

/// The directories `--find-compilers` searches for GCC toolchains, in this order.
const std::vector<std::filesystem::path>& defaultToolchainRoots();

/// Stores one discovered toolchain's definition in `tools` under the name its
/// `toolchain_name` assignment gives. That assignment is not stored; the others are, in
/// order. A tool of that name in any letter case is replaced and keeps its key.
///
/// Throws Rilk::RilkException for a null definition or a second `toolchain_name`, and
/// Rilk::NotFoundException when the name or its value is missing; `tools` is then unchanged.
void storeToolchainDefinition(RegistryTools& tools,
                              const std::shared_ptr<ContextTemplate>& definition);

}  // namespace Rilk
