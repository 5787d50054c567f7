#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace Rilk {

// Where a raw or path literal (R"(...)" or P"(...)") ends, by the lexer's rule: its content
// is scanned in steps, a character other than ')' at a time, or ')' together with the
// character after it; the first step that meets ')' followed by '"' closes the literal.
// So `)"` ends the literal only where such a step starts, and a ')' that ends the content
// takes the closing ')' with it. The fast readers, the legacy-path rewriting and the
// source writer all follow this one rule; a test holds it to the generated lexer.

/// One step of the scan at `at` (a position inside the content or at its end): the
/// position of the next step; or, where the literal closes, the position after its `)"`
/// and `closed` set; or npos where it can never close (a ')' as the last character).
constexpr std::size_t delimitedScanStep(std::string_view text, std::size_t at, bool& closed) {
    closed = false;
    if (text[at] != ')') return at + 1;
    if (at + 1 >= text.size()) return std::string_view::npos;
    if (text[at + 1] == '"') {
        closed = true;
        return at + 2;
    }
    return at + 2;
}

/// The position after the `)"` that closes the literal whose content starts at
/// `contentStart` (just after its `R"(` or `P"(`), or npos when it never closes.
std::size_t delimitedLiteralEnd(std::string_view text, std::size_t contentStart);

/// `delimitedLiteralEnd` for every content start of one text, worked out once, backwards,
/// so that a text with many literals that never close costs linear time.
class DelimitedLiteralEnds {
public:
    explicit DelimitedLiteralEnds(std::string_view text) : text_(text) {}

    /// `delimitedLiteralEnd(text, contentStart)`.
    std::size_t endOf(std::size_t contentStart);

private:
    std::string_view text_;
    std::vector<std::size_t> ends_;
};

/// Whether `content` can stand between R"( and )" (or P"( and )") and be read back whole:
/// no step of the scan closes the literal inside it, and no step starts at a ')' that
/// ends it (which would take the closing ')' along). "))" fits, ")" does not.
bool fitsDelimitedLiteral(std::string_view content);

/// Whether `content` fits a delimited literal that also ends at the first `)"` after its
/// opening, wherever that is looked for: it holds no `)"` and does not end with ')'.
/// Stricter than `fitsDelimitedLiteral`; the build cache has always written literals so.
constexpr bool fitsDelimitedLiteralStrictly(std::string_view content) {
    return content.find(")\"") == std::string_view::npos &&
           (content.empty() || content.back() != ')');
}

}  // namespace Rilk
