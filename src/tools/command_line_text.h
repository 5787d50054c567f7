#pragma once

#include <string>

#include "types/context.h"

namespace Rilk {

// The flag texts that builders put on a shell command line, by the quoting rules of
// `formatArg` (types/argument_text.h). Whole variables opened to any depth are written with
// `Context::formatVariableArgs`.

/// The variable's value in its one-level form, one argument per item: a list gives one
/// argument per element, whole, blanks included (an element that is a list, one per item
/// of it); a value that is no list gives one argument per word when it is a plain or raw
/// string (`isWordText`), else one argument (a path string stays whole, a file name with
/// blanks too). So `["a b"]` is one argument and `"a b"` two. Empty for an absent variable
/// or one without value.
std::string flatArguments(const Context& context, const std::string& name,
                          const std::string& prefix, bool quote);

/// Whether a value standing alone gives the tools one argument per word: a plain or raw
/// string, never a path string.
bool isWordText(const RilkValuePtr& value);

/// A file name given to a program as an operand, written so that the program cannot take it
/// for an option: "./" before a name that starts with "-" ("-v.a" becomes "./-v.a").
std::string operandText(const std::string& name);

}  // namespace Rilk
