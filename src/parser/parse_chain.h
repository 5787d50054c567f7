#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "antlr4-runtime.h"
#include "parser/CommonLexer.h"
#include "parser/bounded_lexer.h"
#include "parser/RilkTopParser.h"
#include "parser/grammar_lock.h"
#include "parser/nesting_guard.h"

namespace Rilk {

/// One parse of one text: the input stream, `CommonLexer`, token stream and `RilkTopParser`,
/// built in this order and kept alive together, because the parse tree belongs to the
/// parser. The lexer and parser start with the runtime's console listener; a caller that
/// wants errors collected replaces it with `useErrorListener`.
///
/// The entry operations never overflow the stack: input nested deeper than `NestingGuard`
/// allows is reported as a syntax error at the offending token, and the entry then returns
/// null; so does a parse whose error recovery would skip very many tokens at once
/// (`BoundedRecovery`). Callers check the reported errors before they visit the tree. Lexing takes time
/// linear in the text, also where comments or raw strings open and never close, and the
/// lexer reports at most `BoundedLexer::kShownErrors` errors, counting the rest. A chain
/// holds the grammar lock (`lockGrammar`) for its whole life.
class ParseChain {
public:
    /// Decodes `text` as UTF-8; text that is not UTF-8 fails with `std::runtime_error`
    /// naming `source`.
    ParseChain(const std::string& text, const std::filesystem::path& source);
    /// A parse of the characters `input` gives.
    explicit ParseChain(std::unique_ptr<antlr4::CharStream> input);
    ParseChain(const ParseChain&) = delete;
    ParseChain& operator=(const ParseChain&) = delete;

    CommonLexer& lexer() { return lexer_; }
    /// The lexical errors that were only counted, not reported (see `BoundedLexer`).
    std::size_t unshownLexicalErrors() const { return lexer_.unshownErrors(); }
    /// The lexical errors met so far, reported or not.
    std::size_t lexicalErrors() const { return lexer_.errorCount(); }
    /// Makes the lexer count on from `errors` met in an earlier part of the same text.
    void continueLexicalErrors(std::size_t errors) { lexer_.continueCount(errors); }
    antlr4::CommonTokenStream& tokens() { return tokens_; }
    RilkTopParser& parser() { return parser_; }

    /// Makes `listener` the only error listener of both the lexer and the parser, so that
    /// lexical errors are reported exactly like syntax errors. `listener` must outlive the parse.
    void useErrorListener(antlr4::ANTLRErrorListener& listener);

    RilkTopParser::RegistryFileContext* registryFile();
    RilkTopParser::UnitFileContext* unitFile();
    RilkTopParser::ProjFileContext* projFile();
    RilkTopParser::AssignmentContext* assignment();

    /// Whether every token of the input has been read by the entry rule.
    bool atEnd();

private:
    template <typename Node>
    Node* run(Node* (RilkTopParser::*rule)());

    /// First in, last out: the whole chain's life.
    std::unique_lock<std::recursive_mutex> grammarLock_;
    std::unique_ptr<antlr4::CharStream> input_;
    BoundedLexer lexer_;
    antlr4::CommonTokenStream tokens_;
    RilkTopParser parser_;
    NestingGuard guard_;
};

}  // namespace Rilk
