#pragma once

#include <string>

#include "types/rilk_value.h"

namespace Rilk {

/// One command-line argument: " " + prefix + the value's plain text; empty when that
/// text is empty (or there is no value).
///
/// With `quote`, the text is wrapped in double quotes for the shell, with `\`, `"`, `$`
/// and backquote escaped inside them, so the text reaches the command literally. A string
/// that already stands in its own pair of double quotes is taken as written; a path
/// string never is.
std::string formatArg(const RilkValuePtr& value, const std::string& prefix, bool quote);

/// The deep argument text of a value: each leaf of a list, to any depth, is one
/// argument; any other value (a string with blanks included) is one argument.
std::string formatValueArgs(const RilkValuePtr& value, const std::string& prefix, bool quote);

}  // namespace Rilk
