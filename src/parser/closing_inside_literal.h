#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace Rilk {

// A raw or path string whose content holds `)"` is almost always a literal that was meant
// to end there: its content ended in an odd number of ')' (`R"(echo $(date))"`), so the
// lexer paired the last two and read on to a later `)"`, taking the text between with it.
// The rule stays the language's; these tell the user where it struck.

/// Whether a raw or path literal's content (without `R"(` and `)"`) holds `)"`.
constexpr bool holdsClosingDelimiter(std::string_view content) {
    return content.find(")\"") != std::string_view::npos;
}

/// The offsets of the raw and path literals of `text` (where their `R"(` or `P"(` starts)
/// whose content holds `)"`, as the lexer reads the text, up to the first thing it cannot
/// lex. Text without `))"` has none, and costs one search.
std::vector<std::size_t> literalsHoldingClosing(std::string_view text);

/// The warning for such a literal starting at `line` (from 1) and `column` (from 0, in
/// characters, as the parser's errors count them) of `file` (none: a command-line item).
std::string closingInsideLiteralWarning(const std::filesystem::path& file, std::size_t line,
                                        std::size_t column);

/// Prints the warning (level Warning) for every literal `literalsHoldingClosing` finds.
void warnClosingInsideLiterals(std::string_view text, const std::filesystem::path& file);

}  // namespace Rilk
