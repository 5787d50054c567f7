#pragma once

#include <string>

#include "types/context.h"

namespace Rilk {

// The flag texts that builders put on a shell command line, by the quoting rules of
// `formatArg` (types/argument_text.h). Whole variables opened to any depth are written with
// `Context::formatVariableArgs`.

/// The variable's value opened one level: a list gives its elements (an element that is a
/// list, its items); each of these, and a value that is no list, gives one argument per
/// word when it is a plain or raw string, and one argument when it is a path string (so a
/// file name with blanks stays whole) or any other value. Flags written as one string and
/// flags written as a list, as the user or the build cache's job lists hold them, give the
/// same arguments. Empty for an absent variable or one without value.
std::string flatArguments(const Context& context, const std::string& name,
                          const std::string& prefix, bool quote);

/// A file name given to a program as an operand, written so that the program cannot take it
/// for an option: "./" before a name that starts with "-" ("-v.a" becomes "./-v.a").
std::string operandText(const std::string& name);

}  // namespace Rilk
