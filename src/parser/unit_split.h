#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace Rilk {

/// Offsets at which a unit file's text may be cut into about `parts` ranges, so that each
/// range can be read on a thread of its own. The first range is about half the size of each
/// other one: the thread that reads it takes over the others' targets afterwards.
///
/// Each offset is the start of a line that begins with a letter or '_' and follows a line
/// holding only '}' (a target's end at the top level in the usual layout); the offsets
/// rise strictly and lie inside the text, so every range is non-empty. A cut is only a
/// likely place: it may stand inside a string or a comment, and the range reads have to
/// show that it does not. Fewer offsets come back where the text has no such place near
/// the wanted size.
std::vector<std::size_t> unitCuts(std::string_view text, std::size_t parts);

/// The first such offset at or after `from`, or `std::string_view::npos`.
std::size_t nextUnitCut(std::string_view text, std::size_t from);

/// The first offset where a target seems to start in any layout after a '}' at or after
/// `from`: a name that follows a '}' and blanks (line breaks among them or not) and is followed by blanks
/// and a ':' (not "::") or a '['; `std::string_view::npos` where there is none. Like a cut,
/// only a likely place.
std::size_t nextTargetStart(std::string_view text, std::size_t from);

}  // namespace Rilk
