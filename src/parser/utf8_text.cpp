#include "parser/utf8_text.h"

#include <algorithm>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include <fmt/format.h>

namespace Rilk {

std::size_t firstNonUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        // Plain ASCII, nearly every text, eight bytes at a time.
        if (text.size() - i >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, text.data() + i, sizeof word);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        unsigned min = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            min = 0x10000;
        } else {
            return i;
        }
        if (i + length > text.size()) return i;
        unsigned code = c & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return i;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return i;
        i += length;
    }
    return std::string_view::npos;
}

bool isUtf8(std::string_view text) { return firstNonUtf8(text) == std::string_view::npos; }

TextPosition positionOf(std::string_view text, std::size_t offset) {
    TextPosition position;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++position.line;
            position.column = 0;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++position.column;
        }
    }
    return position;
}

std::string notUtf8Message(std::string_view text, const std::filesystem::path& source) {
    const std::size_t offset = firstNonUtf8(text);
    if (offset == std::string_view::npos) return source.string() + ": the text is not valid UTF-8.";
    const TextPosition at = positionOf(text, offset);
    return fmt::format(
        "{}({},{}): the text is not valid UTF-8 (byte 0x{:02X}); save the file as UTF-8.",
        source.string(), at.line, at.column, static_cast<unsigned char>(text[offset]));
}

std::u32string decodeUtf8(std::string_view text) {
    // Room for exactly the characters: one for each byte that continues none.
    std::u32string decoded;
    decoded.reserve(static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    })));
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k) {
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        decoded.push_back(code);
        i += length;
    }
    return decoded;
}

}  // namespace Rilk
