#pragma once

#include <cstddef>
#include <vector>

#include "antlr4-runtime.h"
#include "parser/bounded_lexer.h"

namespace Rilk {

/// The lexer's simulator, with two shortcuts. First, where a block comment, raw string or path
/// string opens but never closes, it gives at once the token that the lexer falls back to
/// (`SLASH` for "/", `IDENTIFIER` for the "R" or "P"), instead of scanning to the end of the
/// input first. The tokens are exactly those of the plain simulator; only the time differs,
/// because without the shortcut every unclosed opener rescans the rest of the input, and a
/// text full of them takes time quadratic in its length.
///
/// The second serves texts full of stray characters: once the lexer reports no more
/// errors (`BoundedLexer::showsNoMoreErrors`), a character that starts no token is counted
/// as the error it is and skipped at once, as the lexer's own recovery would skip it, without
/// the runtime's exception per character; any other error is counted and recovered from
/// here as well.
class UnclosedTokenSimulator : public antlr4::atn::LexerATNSimulator {
public:
    /// Replaces the simulator of `lexer` by one of this kind over the same shared tables.
    static void install(BoundedLexer& lexer);

    size_t match(antlr4::CharStream* input, size_t mode) override;
    /// Also forgets what was read, as the lexer may get another input.
    void reset() override;

private:
    UnclosedTokenSimulator(BoundedLexer& lexer, antlr4::atn::LexerATNSimulator& standard);

    /// `match` once the lexer shows no more errors.
    size_t matchCountingErrors(antlr4::CharStream* input, size_t mode);

    /// Reads the rest of `input` once and notes where comments and raw strings can close.
    void scan(antlr4::CharStream* input);
    /// The token the lexer falls back to at the current position, or 0 where the opener
    /// there can close (or there is none).
    size_t fallback(antlr4::CharStream* input);

    BoundedLexer& lexer_;
    bool scanned_ = false;
    /// Index of the first character that `scan` read.
    size_t base_ = 0;
    /// For each index from `base_`: whether raw-string content starting there reaches its
    /// closing delimiter.
    std::vector<bool> rawCloses_;
    /// One past the start of the last "*/", counted from `base_`; 0 when there is none.
    size_t lastCommentClose_ = 0;
};

}  // namespace Rilk
