#pragma once

#include <string>

#include "types/identifier.h"
#include "types/rilk_errors.h"

namespace Rilk {

/// Reads the identifier at the start of a reference name (the text inside "${...}" or
/// "#{...}"); characters after a complete identifier are not examined. An empty text fails
/// with position 0 and "Empty identifier" and leaves `out` untouched; otherwise the result,
/// `out` and `error` are those of the identifier parser.
bool parseIdentifierText(const std::string& text, Identifier& out, ParseError& error);

/// Whether the text is one name that the identifier parser reads whole, without indices
/// or dots (`isNameText`): the identifier
/// with this one segment, which `Resolver::resolveName` looks up without parsing. Any
/// other text is left to the parser, which decides exactly.
bool isPlainName(const std::string& text);

/// The identifier of a reference name, or the parse failure thrown as a `ParseError`.
Identifier parseReferenceName(const std::string& name);

}  // namespace Rilk
