#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace Rilk {

// The one rule for the characters of a name: a letter or "_", then letters, digits, "_"
// and "-". Assigned names, "${...}" references, identifiers read from text and the names
// rilk makes (toolchains) all follow it, so a variable can be referred to as it is written.

namespace NameChars {
/// Bit 1: may start a name (an ASCII letter or "_"); bit 2: may continue one (also ASCII
/// digits and "-"). A table: these run for every byte of every name the readers see.
inline constexpr std::array<unsigned char, 256> kClasses = [] {
    std::array<unsigned char, 256> classes{};
    for (int c = 0; c < 256; ++c) {
        const bool start = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
        const bool more = start || (c >= '0' && c <= '9') || c == '-';
        classes[static_cast<std::size_t>(c)] =
            static_cast<unsigned char>((start ? 1 : 0) | (more ? 2 : 0));
    }
    return classes;
}();
}  // namespace NameChars

/// Whether `c` may start a name.
constexpr bool isNameStart(char c) {
    return (NameChars::kClasses[static_cast<unsigned char>(c)] & 1) != 0;
}
/// Whether `c` may continue a name.
constexpr bool isNameChar(char c) {
    return (NameChars::kClasses[static_cast<unsigned char>(c)] & 2) != 0;
}

/// Whether `text` is one name: a name start, then name characters. Keywords are such
/// texts too.
constexpr bool isNameText(std::string_view text) {
    if (text.empty() || !isNameStart(text.front())) return false;
    for (const char c : text) {
        if (!isNameChar(c)) return false;
    }
    return true;
}

}  // namespace Rilk
