#pragma once

#include <string>
#include <string_view>

namespace Rilk {

/// Why `name` cannot be written where the configuration language expects a name (a
/// project or unit name): "" when it can, else the reason, worded to follow "... is not a
/// valid name: ". Decided by the language's own lexer, so it never disagrees with a load.
std::string invalidNameReason(std::string_view name);

}  // namespace Rilk
