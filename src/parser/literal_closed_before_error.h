#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "antlr4-runtime.h"

namespace Rilk {

// A raw or path string ends at the first `)"` of its content (a `)` is read together with
// the character after it), so shell text such as `v="$(echo 1)"` inside `R"(...)"` ends
// the string early and the rest of the line becomes syntax errors that do not say why
// ("extraneous input ';'"). These tell the user where a string may have ended early.

/// Where the lexer or parser reported an error: line from 1, column from 0 in characters.
struct ErrorPlace {
    std::size_t line = 1;
    std::size_t column = 0;
};

/// Keeps the places of the errors reported to it, the first `kKept` of them.
class ErrorPlaces : public antlr4::BaseErrorListener {
public:
    static constexpr std::size_t kKept = 64;

    void syntaxError(antlr4::Recognizer*, antlr4::Token*, size_t line, size_t charPositionInLine,
                     const std::string&, std::exception_ptr) override {
        add({line, charPositionInLine});
    }
    void add(ErrorPlace place) {
        if (places.size() < kKept) places.push_back(place);
    }

    std::vector<ErrorPlace> places;
};

/// A raw or path string of a text after which an error follows on the line where it ends.
struct LiteralBeforeError {
    /// Where the literal starts (its `R` or `P`) and where its closing `)"` is, as the
    /// parser's errors count them.
    ErrorPlace start;
    ErrorPlace closing;
    bool path = false;
};

/// The raw and path strings of `text`, each once and in text order, that end on the line of
/// one of `errors`, before its column: for each error, the last string that ends before it.
/// The text is read as the lexer reads it (a character that starts no token is passed
/// over); text without `)"` has none and costs one search.
std::vector<LiteralBeforeError> literalsClosedBeforeErrors(std::string_view text,
                                                           const std::vector<ErrorPlace>& errors);

/// The warning for such a literal in `file`.
std::string literalClosedBeforeErrorWarning(const std::filesystem::path& file,
                                            const LiteralBeforeError& literal);

/// Prints that warning (level Warning) for every literal `literalsClosedBeforeErrors` finds.
void warnLiteralsClosedBeforeErrors(std::string_view text, const std::vector<ErrorPlace>& errors,
                                    const std::filesystem::path& file);

}  // namespace Rilk
