#include "parser/parse_chain.h"

#include <stdexcept>

#include "parser/unclosed_token_simulator.h"
#include "parser/utf8_text.h"

namespace Rilk {
namespace {

std::unique_ptr<antlr4::ANTLRInputStream> decodeText(const std::string& text,
                                                     const std::filesystem::path& source) {
    try {
        return std::make_unique<antlr4::ANTLRInputStream>(text);
    } catch (const std::range_error&) {
        // The runtime's UTF-8 decoder gives no position: find it.
        throw std::runtime_error(notUtf8Message(text, source));
    }
}

}  // namespace

ParseChain::ParseChain(const std::string& text, const std::filesystem::path& source)
    : grammarLock_(lockGrammar()),
      input_(decodeText(text, source)),
      lexer_(input_.get()),
      tokens_(&lexer_),
      parser_(&tokens_),
      guard_(parser_) {
    UnclosedTokenSimulator::install(lexer_);
    parser_.addParseListener(&guard_);
}

void ParseChain::useErrorListener(antlr4::ANTLRErrorListener& listener) {
    lexer_.removeErrorListeners();
    lexer_.addErrorListener(&listener);
    parser_.removeErrorListeners();
    parser_.addErrorListener(&listener);
}

template <typename Node>
Node* ParseChain::run(Node* (RilkTopParser::*rule)()) {
    try {
        return (parser_.*rule)();
    } catch (const NestingTooDeep&) {
        return nullptr;  // already reported to the listeners
    }
}

RilkTopParser::RegistryFileContext* ParseChain::registryFile() {
    return run(&RilkTopParser::registryFile);
}

RilkTopParser::UnitFileContext* ParseChain::unitFile() { return run(&RilkTopParser::unitFile); }

RilkTopParser::ProjFileContext* ParseChain::projFile() { return run(&RilkTopParser::projFile); }

RilkTopParser::AssignmentContext* ParseChain::assignment() {
    return run(&RilkTopParser::assignment);
}

bool ParseChain::atEnd() { return tokens_.LA(1) == antlr4::Token::EOF; }

}  // namespace Rilk
