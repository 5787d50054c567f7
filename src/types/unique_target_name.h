#pragma once

#include <string>
#include <string_view>

#include "types/qualified_target_name.h"

namespace Rilk {

/// 16 lowercase hex digits of the 64-bit FNV-1a hash of `parameterText`; empty for the
/// empty text (a target instance without parameters).
std::string parameterHashOf(std::string_view parameterText);

/// [ns "/"] [unit "::"] target ["@" parameterHash]: the key of a target instance's cache
/// record, output directory and built output, the parts that are empty left out. A target
/// without parameters has the one unique name `uniqueTargetName(name, "")`.
std::string uniqueTargetName(const QualifiedTargetName& name, std::string_view parameterHash);

}  // namespace Rilk
