#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "antlr4-runtime.h"

namespace Rilk {

/// Parses the text of a failed target (`FailedTargetPiece::text`) with the grammar and
/// reports its errors to `listener` exactly as one parse of the whole text would, in memory
/// that a share of the text's size bounds: the grammar keeps every token and rule of a parse
/// (a few hundred bytes per token), so a target of very many statements is parsed in parts.
///
/// A part ends where the parse, past its share of tokens, is about to read the next
/// statement of the target's own block with no error being recovered from and no token read
/// ahead of it; the next part is that target's header written anew ("t:{") and the rest of
/// the text (read in place from one decoding of it), which the lexer reads on from the
/// statement's line and column. The grammar is in the same state there as in one parse, so
/// it gives the same errors at the same lines and columns, and the lexer counts its errors on
/// across parts. Returns the lexical errors that were only counted (see `BoundedLexer`).
/// Text that is not UTF-8 fails with `std::runtime_error`, as `ParseChain` does.
/// `partTokens` sets the tokens a part reads before it may end (for tests); 0 takes the
/// share of the text's size.
std::size_t parseFailedTarget(const std::string& text, const std::filesystem::path& source,
                              antlr4::ANTLRErrorListener& listener, std::size_t partTokens = 0);

}  // namespace Rilk
