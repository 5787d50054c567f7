#include "parser/parse_chain.h"

#include <stdexcept>

#include "parser/bounded_recovery.h"
#include "parser/unclosed_token_simulator.h"
#include "parser/utf8_text.h"

namespace Rilk {
namespace {

/// The runtime's input stream over text decoded here: the runtime's own decoder needs
/// about fifteen times the text's size at its peak, this one the four bytes per character
/// that the stream keeps.
class DecodedInputStream : public antlr4::ANTLRInputStream {
public:
    explicit DecodedInputStream(const std::string& text) { _data = decodeUtf8(text); }
};

/// The stream of `text`, which must be UTF-8 (checked here first, as the decoder assumes).
std::unique_ptr<antlr4::ANTLRInputStream> decodeText(const std::string& text,
                                                     const std::filesystem::path& source) {
    if (!isUtf8(text)) throw std::runtime_error(notUtf8Message(text, source));
    return std::make_unique<DecodedInputStream>(text);
}

}  // namespace

ParseChain::ParseChain(const std::string& text, const std::filesystem::path& source)
    : ParseChain(decodeText(text, source)) {}

ParseChain::ParseChain(std::unique_ptr<antlr4::CharStream> input)
    : grammarLock_(lockGrammar()),
      input_(std::move(input)),
      lexer_(input_.get()),
      tokens_(&lexer_),
      parser_(&tokens_),
      guard_(parser_) {
    UnclosedTokenSimulator::install(lexer_);
    parser_.setErrorHandler(std::make_shared<BoundedRecovery>());
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
    } catch (const RecoveryAbandoned&) {
        return nullptr;  // the error it recovered from is reported
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
