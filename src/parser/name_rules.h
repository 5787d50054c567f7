#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "types/name_chars.h"

namespace Rilk {

// The lexer's rules for names (CommonLexer's IDENTIFIER and keyword tokens), for the code
// that reads or writes the language without the generated lexer: the fast readers, the
// source writer and the checks of names given by the user. The name characters themselves
// are those of types/name_chars.h. A test holds them to the generated lexer.

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
