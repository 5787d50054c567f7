#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "types/parsed_registry.h"

namespace Rilk {

/// Reads a valid registry file without the generated parser, whose set-up alone (the lexer's
/// and parser's state machines) costs a small project's run about a quarter of its work.
///
/// For every text that the generated parser reads as `registryFile` without a lexical or
/// syntax error and that `RilkVisitorImpl` (file kind `Registry`, `baseDirectory` as given)
/// turns into a registry without an error, the registry returned is the one the visitor
/// builds: the same projects and tool definitions, in file order, with the same values.
/// Everything else it declines by returning nothing: any error and any text it does not
/// fully understand (non-ASCII text outside strings and comments, nesting deeper than a
/// person writes), so that the caller reads the text with the generated parser and every
/// diagnostic stays the one it gives. Nothing is printed and nothing is thrown.
std::optional<ParsedRegistry> readRegistryFast(std::string_view text,
                                               const std::filesystem::path& baseDirectory) noexcept;

}  // namespace Rilk
