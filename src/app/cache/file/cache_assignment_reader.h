#pragma once

#include <optional>
#include <string_view>

#include "types/assignment.h"

namespace Rilk {

/// Reads the text of an assignment record of the build cache file. The name and value come
/// from the text; `type` and `modifier`, from the record line, complete the result. Path
/// values are full paths (no base directory). Nothing when the text cannot be read.
///
/// The fast reader below takes the texts the cache writer produces; anything else goes to
/// the grammar, so both give the same results.
std::optional<Assignment> readCacheAssignment(std::string_view text, AssignType type,
                                              AssignModifier modifier);

/// A hand-written reader for exactly the forms the cache writer produces (and the older
/// path form): names, the three operators, plain, raw and path strings, integers, lists and
/// blocks of assignments, with blanks between them. It declines (nothing) whatever it does
/// not know rather than guess, so a result is always the one the grammar gives, but for the
/// cache's own literal of a text the language has no literal for (cache_escaped_literal.h),
/// which only this reader reads.
std::optional<Assignment> readCacheAssignmentFast(std::string_view text, AssignType type,
                                                  AssignModifier modifier);

/// The same through the configuration language's grammar: older path forms rewritten, the
/// single-assignment parse, and for a name without value the record line's operator.
std::optional<Assignment> readCacheAssignmentGrammar(std::string_view text, AssignType type,
                                                     AssignModifier modifier);

}  // namespace Rilk
