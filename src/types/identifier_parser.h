#pragma once

#include <cstddef>
#include <vector>

#include "types/identifier.h"
#include "types/rilk_errors.h"

namespace Rilk {

/// The reading position of an identifier parse over a text it does not own.
struct IdentifierParseState {
    std::size_t length = 0;
    const char* text = nullptr;
    std::size_t position = 0;
    /// Receives the first error; null when the caller wants none.
    ParseError* error = nullptr;
    /// Identifiers open inside indices at the reading position.
    std::size_t depth = 0;
};

/// The error text of an identifier whose indices nest deeper than
/// `ResolutionLimits::maxIdentifierDepth`.
extern const char* const kIdentifierTooDeep;

/// Reads segments separated by "." into `out` (cleared first). On success the state
/// stands at the first character not consumed; trailing text is the caller's concern.
/// On failure records the error and keeps the segments completed before it.
/// `terminator` ends a nested chain (']'); callers at the top level pass '\0'.
bool parseKeyChain(IdentifierParseState& state, std::vector<Identifier::Segment>& out,
                   char terminator);

/// Reads one name (the rule of name_chars.h: a letter or '_', then letters, digits, '_' and
/// '-', as the language writes names) and its "[...]" indices.
bool parseSegment(IdentifierParseState& state, Identifier::Segment& out);

/// Records the message at the current position, when the state has an error record.
void setParseError(IdentifierParseState& state, const char* message);

}  // namespace Rilk
