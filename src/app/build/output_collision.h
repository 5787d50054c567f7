#pragma once

#include <string>

#include "types/qualified_target_name.h"

namespace Rilk {

/// Prints the one warning (level 6) of every collision between a dependency's outputs and a
/// name the target already uses: "Dependency output <output> collides with <existing> in
/// target <target>. Names are case-insensitive; this may make dependency output
/// ambiguous." Targets are named as `QualifiedTargetName::shownName` writes them, with the
/// namespace of an imported project. `output` says which outputs ("'lib' of u::lib",
/// "alias 'l' of u::lib", "'other::tool'", "'ns/other::tool'"), `existing` what they meet
/// ("an existing context variable", "the variable 'LIB' of its tool 'gcc'"). A `note`
/// that is not empty goes after "in target <target>": "; both dependencies are ...".
void warnOutputCollision(const std::string& output, const std::string& existing,
                         const QualifiedTargetName& target, const std::string& note = {});

}  // namespace Rilk
