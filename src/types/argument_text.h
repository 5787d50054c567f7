#pragma once

#include <string>

#include "types/rilk_value.h"

namespace Rilk {

// The texts that values give on a shell command line. Every text put between double quotes
// is escaped (`\`, `"`, `$` and backquote), so that the shell passes it on literally: file
// names with blanks, quotes, dollars or backquotes reach the program as written and nothing
// in them is run.

/// The text between double quotes, escaped for the shell.
std::string shellQuoted(const std::string& text);

/// True for a value whose text the user wrote as a string (plain or raw) and that stands
/// in its own pair of double quotes: such a text is already shell text and is taken as
/// written. Path strings, and so every file name found by globbing, never are.
bool isUserQuoted(const RilkValuePtr& value);

/// One command-line argument: " " + prefix + the value's text; with `quote` the text is
/// quoted with `shellQuoted` unless `isUserQuoted`. Empty when there is no value or its
/// text is empty.
std::string formatArg(const RilkValuePtr& value, const std::string& prefix, bool quote);

/// The deep argument text of a value: each leaf of a list, to any depth, is one
/// argument; any other value (a string with blanks included) is one argument.
std::string formatValueArgs(const RilkValuePtr& value, const std::string& prefix, bool quote);

}  // namespace Rilk
