#pragma once

#include <cstddef>
#include <string>

#include "antlr4-runtime.h"
#include "parser/CommonLexer.h"
#include "util/shown_text.h"

namespace Rilk {

/// `CommonLexer` whose error reports stay small whatever the input: the first
/// `kShownErrors` lexical errors reach the listeners, each quoting at most
/// `kQuotedCharacters` characters of the text that could not be read (an unclosed string
/// would otherwise quote the rest of the file); later ones are only counted. With the
/// simulator's shortcut for characters that start no token (unclosed_token_simulator.h), a
/// text of millions of stray bytes is read in linear time and reported in a few lines.
class BoundedLexer : public CommonLexer {
public:
    static constexpr std::size_t kShownErrors = 20;
    static constexpr std::size_t kQuotedCharacters = Util::kQuotedCharacters;

    explicit BoundedLexer(antlr4::CharStream* input) : CommonLexer(input) {}

    void notifyListeners(const antlr4::LexerNoViableAltException& e) override;

    /// Whether errors from now on are only counted.
    bool showsNoMoreErrors() const { return errors_ >= kShownErrors; }
    /// Counts an error that is not reported.
    void countUnshownError() { ++errors_; }
    /// Counts on from `errors` met before this lexer's input, in an earlier part of the same
    /// text, so that the parts together report as many errors as one lexer would.
    void continueCount(std::size_t errors) { errors_ = errors; }
    /// The lexical errors met so far, reported or not.
    std::size_t errorCount() const { return errors_; }
    /// The lexical errors met so far that were only counted.
    std::size_t unshownErrors() const {
        return errors_ > kShownErrors ? errors_ - kShownErrors : 0;
    }

private:
    std::size_t errors_ = 0;
};

/// Whether the character (a code point) starts no token of the language: at such a
/// character the lexer reports one error, quoting just it, and goes on after it.
bool startsNoToken(std::size_t character);

/// The line that follows the reported errors when `count` more were only counted (none
/// when `count` is 0): "... and <count> more token recognition errors", with its line end.
std::string unshownErrorsLine(std::size_t count);

}  // namespace Rilk
