#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace Rilk {

/// Whether the bytes are well-formed UTF-8 (no overlong form, no surrogate, nothing above
/// U+10FFFF): the texts the language's lexer decodes. The fast readers and the source
/// writer decline any other text.
bool isUtf8(std::string_view text);

/// The offset of the first byte where `text` stops being well-formed UTF-8 (the start of
/// the sequence that is not), or npos when all of it is.
std::size_t firstNonUtf8(std::string_view text);

/// The characters (code points) of well-formed UTF-8 `text`, as the lexer reads them; the
/// result is undefined for any other text (check with `isUtf8` first).
std::u32string decodeUtf8(std::string_view text);

/// A place in a text as the parser's messages give it: line from 1, column from 0 counted
/// in characters (UTF-8 sequences) of that line.
struct TextPosition {
    std::size_t line = 1;
    std::size_t column = 0;
};

/// The position of byte `offset` of `text`; the text before it should be UTF-8.
TextPosition positionOf(std::string_view text, std::size_t offset);

/// The message for a `source` whose `text` is not UTF-8, naming where it stops being so:
/// "<source>(<line>,<column>): the text is not valid UTF-8 (byte 0x..); save ...".
std::string notUtf8Message(std::string_view text, const std::filesystem::path& source);

}  // namespace Rilk
