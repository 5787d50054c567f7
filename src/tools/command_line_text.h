#pragma once

#include <string>

#include "types/context.h"
#include "types/rilk_value.h"

namespace Rilk {

// The texts that builders put on a shell command line. Every text a builder puts between
// double quotes is escaped (`\`, `"`, `$` and backquote), so that the shell passes it on
// literally: file names with blanks, quotes, dollars or backquotes reach the program as
// written and nothing in them is run.

/// The text between double quotes, escaped for the shell.
std::string shellQuoted(const std::string& text);

/// True for a value whose text the user wrote as a string (plain or raw) and that stands
/// in its own pair of double quotes: such a text is already shell text and is taken as
/// written. Path strings, and so every file name found by globbing, never are.
bool isUserQuoted(const RilkValuePtr& value);

/// One argument: " " + prefix + the value's text; with `quote` the text is quoted with
/// `shellQuoted` unless `isUserQuoted`. Empty when there is no value or its text is empty.
std::string argumentText(const RilkValuePtr& value, const std::string& prefix, bool quote);

/// Every leaf of the variable's value (lists opened to any depth) as one argument; a
/// string with blanks is one argument. Empty for an absent variable or one without value.
std::string deepArguments(const Context& context, const std::string& name,
                          const std::string& prefix, bool quote);

/// The variable's value opened one level: a list gives its elements (an element that is a
/// list, its items); each of these, and a value that is no list, gives one argument per
/// word when it is a plain or raw string, and one argument when it is a path string (so a
/// file name with blanks stays whole) or any other value. Flags written as one string and
/// flags written as a list, as the user or the build cache's job lists hold them, give the
/// same arguments.
std::string flatArguments(const Context& context, const std::string& name,
                          const std::string& prefix, bool quote);

}  // namespace Rilk
