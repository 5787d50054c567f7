#pragma once

#include <string_view>

namespace Rilk {

/// Whether the glob walk would give the path back exactly as written: it holds no wildcard
/// ("*" or "?") and no doubled separator ("//", which the walk folds into one).
bool isPlainPath(std::string_view path);

}  // namespace Rilk
