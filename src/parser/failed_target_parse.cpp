#include "parser/failed_target_parse.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "parser/RilkTopParser.h"
#include "parser/parse_chain.h"
#include "parser/part_stream.h"
#include "parser/utf8_text.h"
#include "util/freed_memory.h"

namespace Rilk {
namespace {

/// The header each later part starts with: a target and its block opened, three tokens.
constexpr std::u32string_view kPartHeader = U"t:{";
constexpr std::size_t kPartHeaderTokens = 3;
/// The fewest tokens a part reads, and the share of the text's bytes that a part's tokens
/// may reach (a token costs the grammar some three hundred bytes).
constexpr std::size_t kMinPartTokens = 10000;
constexpr std::size_t kBytesPerPartToken = 128;

/// Where a part ends: the next statement's first character (its index in the part's
/// characters), line and column.
struct PartEnd {
    std::size_t index;
    std::size_t line;
    std::size_t column;
};

bool isRule(antlr4::tree::ParseTree* node, std::size_t rule) {
    auto* context = dynamic_cast<antlr4::RuleContext*>(node);
    return context != nullptr && context->getRuleIndex() == rule;
}

/// Throws `PartEnd` on entering a statement of the target's own block once the parse has
/// read `budget` tokens, where a new parse of the rest would start in the same state.
class PartCut : public antlr4::tree::ParseTreeListener {
public:
    PartCut(antlr4::Parser& parser, antlr4::BufferedTokenStream& tokens, std::size_t budget)
        : parser_(parser), tokens_(tokens), budget_(budget) {}

    void enterEveryRule(antlr4::ParserRuleContext* ctx) override {
        const std::size_t rule = ctx->getRuleIndex();
        if (rule != RilkTopParser::RuleAssignment && rule != RilkTopParser::RuleCond_context) {
            return;
        }
        antlr4::Token* next = parser_.getCurrentToken();
        if (next->getTokenIndex() < budget_ || tokens_.size() != next->getTokenIndex() + 1) {
            return;  // early, or tokens were read ahead, perhaps with lexical errors
        }
        if (!isRule(ctx->parent, RilkTopParser::RuleContext) ||
            !isRule(ctx->parent->parent, RilkTopParser::RuleTarget) ||
            parser_.getErrorHandler()->inErrorRecoveryMode(&parser_)) {
            return;
        }
        throw PartEnd{next->getStartIndex(), next->getLine(), next->getCharPositionInLine()};
    }
    void exitEveryRule(antlr4::ParserRuleContext*) override {}
    void visitTerminal(antlr4::tree::TerminalNode*) override {}
    void visitErrorNode(antlr4::tree::ErrorNode*) override {}

private:
    antlr4::Parser& parser_;
    antlr4::BufferedTokenStream& tokens_;
    std::size_t budget_;
};

/// Reads the header of a later part, then has the lexer count lines and columns on from
/// where the part's own text lies in the whole text.
void placeAfterHeader(ParseChain& chain, const PartEnd& end) {
    chain.tokens().LT(static_cast<ssize_t>(kPartHeaderTokens));
    chain.lexer().setLine(end.line);
    chain.lexer().setCharPositionInLine(end.column);
}

}  // namespace

std::size_t parseFailedTarget(const std::string& text, const std::filesystem::path& source,
                              antlr4::ANTLRErrorListener& listener, std::size_t partTokens) {
    if (!isUtf8(text)) throw std::runtime_error(notUtf8Message(text, source));
    const std::size_t budget = partTokens != 0
                                   ? partTokens
                                   : std::max(kMinPartTokens, text.size() / kBytesPerPartToken);
    const std::u32string characters = decodeUtf8(text);
    // Where the part's own text starts, in `characters`; none before the first cut.
    std::size_t from = 0;
    std::optional<PartEnd> end;
    std::size_t lexicalErrors = 0;
    for (;;) {
        {
            const std::u32string_view header = end ? kPartHeader : U"";
            ParseChain chain(
                std::make_unique<PartStream>(characters, from, header, source.string()));
            chain.useErrorListener(listener);
            chain.continueLexicalErrors(lexicalErrors);
            if (end) placeAfterHeader(chain, *end);
            PartCut cut(chain.parser(), chain.tokens(), budget);
            chain.parser().addParseListener(&cut);
            try {
                chain.unitFile();
                return chain.unshownLexicalErrors();
            } catch (const PartEnd& at) {
                from += at.index - header.size();
                end = at;
                lexicalErrors = chain.lexicalErrors();
            }
        }
        // The next part's tokens and rules take the place of this one's.
        Util::releaseFreedMemory();
    }
}

}  // namespace Rilk
