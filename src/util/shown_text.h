#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace Util {

/// How many bytes of a text read from a file a message quotes: about a line's worth.
inline constexpr std::size_t kShownTextBytes = 80;
/// How often one warning is printed for the lines or records of one file; the rest are
/// counted in one more line.
inline constexpr std::size_t kShownRepeats = 20;

/// `text` as a message quotes it: its first `limit` bytes (never cutting a UTF-8 character
/// in two), then "..." when there is more, so that text from a damaged or hostile file can
/// neither flood the output nor drive the terminal: every control byte (C0, DEL) and every
/// byte that is not part of well-formed UTF-8 is written `\xNN`, and the C1 controls and
/// the bidirectional controls (U+202A to U+202E, U+2066 to U+2069), which would reorder
/// what follows them, are written `\uNNNN`.
std::string shownText(std::string_view text, std::size_t limit = kShownTextBytes);

/// How many characters a message quotes of a text that may be of any length.
inline constexpr std::size_t kQuotedCharacters = 80;

/// The start of `text` for a message that quotes it: the whole text when it has at most
/// `maxCharacters` characters, else its first `maxCharacters` followed by "...". Characters
/// are counted as UTF-8 sequences (each byte that does not continue one starts one), so a
/// cut never splits one.
std::string quotedStart(std::string_view text, std::size_t maxCharacters = kQuotedCharacters);

}  // namespace Util
