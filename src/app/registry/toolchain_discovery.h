#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "app/registry/registry_entries.h"
#include "types/context_template.h"

/// The directories `--find-compilers` searches for GCC toolchains, in this order.
const std::vector<std::filesystem::path>& defaultToolchainRoots();

/// Stores one discovered toolchain's definition in `tools` under the name its
/// `toolchain_name` assignment gives. That assignment is not stored; the others are, in
/// order. A tool of that name in any letter case is replaced and keeps its key.
///
/// Throws Rilk::RilkException for a null definition or a second `toolchain_name`, and
/// Rilk::NotFoundException when the name or its value is missing; `tools` is then unchanged.
void storeToolchainDefinition(RegistryTools& tools,
                              const std::shared_ptr<Rilk::ContextTemplate>& definition);
