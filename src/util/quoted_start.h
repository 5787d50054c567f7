#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace Util {

/// How many characters a message quotes of a text that may be of any length.
inline constexpr std::size_t kQuotedCharacters = 80;

/// The start of `text` for a message that quotes it: the whole text when it has at most
/// `maxCharacters` characters, else its first `maxCharacters` followed by "...". Characters
/// are counted as UTF-8 sequences (each byte that does not continue one starts one), so a
/// cut never splits one.
std::string quotedStart(std::string_view text, std::size_t maxCharacters = kQuotedCharacters);

}  // namespace Util
