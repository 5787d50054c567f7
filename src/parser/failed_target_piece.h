#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "parser/fast_unit_reader.h"

namespace Rilk {

/// The part of a unit file's text that the generated parser needs to diagnose where the
/// fast reader stopped, so that a syntax error in one target of a large file does not cost
/// the grammar's memory for the whole file (about a hundred times its size).
///
/// The piece holds the `unit` line as it is, every character between it and the failed
/// target as a blank (line breaks kept, one space per other character), then the text from
/// the target's start to the next likely target end after the stop (see `nextUnitCut` and
/// `nextTargetStart`), or to the end of the text when a comment or string there never
/// closes. The generated
/// parser reads the blanks as nothing, so every token of the piece keeps the line and
/// column it has in the file, and the parser's state at the failed target is the one the
/// whole file gives it there.
struct FailedTargetPiece {
    std::string text;
    /// Whether the piece ends before the file does. Errors at or after its last '}' (before
    /// the cut) or at its end may differ from the whole file's, whose text goes on.
    bool cut = false;
    /// The line (from 1) and column (in characters, from 0) of the piece's last character
    /// that is no blank.
    std::size_t lastLine = 1;
    std::size_t lastColumn = 0;
    /// The line (from 1) and column (in characters, from 0) where the fast reader stopped.
    std::size_t line = 1;
    std::size_t column = 0;
};

FailedTargetPiece failedTargetPiece(std::string_view text, const FastDecline& decline);

}  // namespace Rilk
