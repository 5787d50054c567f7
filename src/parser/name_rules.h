#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace Rilk {

// The lexer's rules for names (CommonLexer's IDENTIFIER and keyword tokens), for the code
// that reads or writes the language without the generated lexer: the fast readers, the
// source writer and the checks of names given by the user. A test holds them to the
// generated lexer.

namespace NameChars {
/// Bit 1: may start a name (a letter or "_"); bit 2: may continue one (also digits and "-").
/// A table: these run for every byte of every name the fast readers see.
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

/// Whether `text` is lexed as one name token: a name start, then name characters. Keywords
/// are such texts too.
bool isNameText(std::string_view text);

/// The keywords, in the order of their token kinds in the lexer.
inline constexpr std::array<std::string_view, 8> kKeywords{
    "unit", "if", "import", "units", "profiles", "projects", "tools", "name"};

/// The index of `word` in `kKeywords`, or -1 when it is no keyword (letter case counts).
constexpr int keywordIndex(std::string_view word) {
    for (std::size_t i = 0; i < kKeywords.size(); ++i) {
        // Length and first letter first: most words are told apart by them.
        const std::string_view keyword = kKeywords[i];
        if (word.size() == keyword.size() && word[0] == keyword[0] && word == keyword) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

/// Whether `word` is a keyword, which no variable, target, unit or project can be named.
constexpr bool isKeyword(std::string_view word) { return keywordIndex(word) >= 0; }

/// Whether `name` is read as one assignable name: a name token that is not a keyword.
bool isPlainVariableName(std::string_view name);

/// Why `name` cannot be written where the language expects a name (a variable, a project
/// or a unit): "" when it can, else the reason, worded to follow "... is not a valid name: ".
std::string invalidNameReason(std::string_view name);

}  // namespace Rilk
