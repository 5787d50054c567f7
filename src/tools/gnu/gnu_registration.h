#pragma once

#include <memory>
#include <string>

#include "tools/gnu/gnu_matcher.h"
#include "tools/tool_tables.h"

namespace Rilk {

/// The factory of the tool type "gnu-gcc" (registered at start-up): the matcher of the
/// newest toolchain under the definition's "toolchain_path" that satisfies its wants
/// ("prefix", "arch", "os", "abi", "toolchain_version", "toolchain_min_version"), with its
/// C and C++ compiler of exactly that version, its archiver and linker, and its object
/// copier when it has one. Among toolchains of equal version the first found stays.
/// Throws `RilkException` with the message of the first failing check; logs the searched
/// directory at level `Trace` once a toolchain is chosen.
std::unique_ptr<GNUMatcher> createGNUMatcher(const std::string& toolName,
                                             const AssignmentTable& assignments,
                                             const AssignmentTable& mustAssignments);

}  // namespace Rilk
