#include "parser/unclosed_token_simulator.h"

namespace Rilk {

void UnclosedTokenSimulator::install(BoundedLexer& lexer) {
    auto* standard = lexer.getInterpreter<antlr4::atn::LexerATNSimulator>();
    // The runtime deletes the standard simulator here; the lexer deletes this one.
    lexer.setInterpreter(new UnclosedTokenSimulator(lexer, *standard));
}

UnclosedTokenSimulator::UnclosedTokenSimulator(BoundedLexer& lexer,
                                               antlr4::atn::LexerATNSimulator& standard)
    : antlr4::atn::LexerATNSimulator(&lexer, lexer.getATN(), standard._decisionToDFA,
                                     standard.getSharedContextCache()),
      lexer_(lexer) {}

size_t UnclosedTokenSimulator::match(antlr4::CharStream* input, size_t mode) {
    if (lexer_.showsNoMoreErrors()) return matchCountingErrors(input, mode);
    if (size_t type = fallback(input); type != 0) {
        consume(input);  // the one-character token; keeps line and column counting
        return type;
    }
    return antlr4::atn::LexerATNSimulator::match(input, mode);
}

size_t UnclosedTokenSimulator::matchCountingErrors(antlr4::CharStream* input, size_t mode) {
    if (startsNoToken(input->LA(1))) {
        consume(input);
        lexer_.countUnshownError();
        return antlr4::Lexer::SKIP;
    }
    if (size_t type = fallback(input); type != 0) {
        consume(input);
        return type;
    }
    try {
        return antlr4::atn::LexerATNSimulator::match(input, mode);
    } catch (const antlr4::LexerNoViableAltException&) {
        // What the lexer does with the error, but for the report.
        lexer_.countUnshownError();
        if (input->LA(1) != antlr4::Token::EOF) consume(input);
        return antlr4::Lexer::SKIP;
    }
}

void UnclosedTokenSimulator::reset() {
    antlr4::atn::LexerATNSimulator::reset();
    scanned_ = false;
}

size_t UnclosedTokenSimulator::fallback(antlr4::CharStream* input) {
    const size_t first = input->LA(1);
    const bool comment = first == '/' && input->LA(2) == '*';
    const bool raw = (first == 'R' || first == 'P') && input->LA(2) == '"' && input->LA(3) == '(';
    if (!comment && !raw) return 0;
    if (!scanned_) scan(input);
    const size_t at = input->index();
    if (at < base_) return 0;
    const size_t offset = at - base_;
    // A comment closes at a "*/" that starts after its own "/*".
    if (comment) return lastCommentClose_ >= offset + 3 ? 0 : CommonLexer::SLASH;
    return rawCloses_[offset + 3] ? 0 : CommonLexer::IDENTIFIER;
}

void UnclosedTokenSimulator::scan(antlr4::CharStream* input) {
    scanned_ = true;
    base_ = input->index();
    const size_t n = input->size() - base_;
    auto at = [input](size_t i) { return input->LA(static_cast<ssize_t>(i) + 1); };
    // Raw content is read in steps: a character other than ')'; ')' and '"' ending it; or
    // ')' with the character after it, which is never examined itself.
    rawCloses_.assign(n + 1, false);
    lastCommentClose_ = 0;
    for (size_t i = n; i-- > 0;) {
        if (at(i) != ')') {
            rawCloses_[i] = rawCloses_[i + 1];
        } else if (i + 1 < n) {
            rawCloses_[i] = at(i + 1) == '"' || rawCloses_[i + 2];
        }
    }
    for (size_t i = n; i-- > 1;) {
        if (at(i - 1) == '*' && at(i) == '/') {
            lastCommentClose_ = i;
            break;
        }
    }
}

}  // namespace Rilk
