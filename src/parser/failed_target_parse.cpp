#include "parser/failed_target_parse.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "parser/RilkTopParser.h"
#include "parser/parse_chain.h"

namespace Rilk {
namespace {

/// The header each later part starts with: a target and its block opened, on line 1.
constexpr std::string_view kPartHeader = "t:{";
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
        if (next->getLine() == 1 && next->getCharPositionInLine() < kPartHeader.size()) return;
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

/// The byte offset of the character with index `characters` in the UTF-8 `text`.
std::size_t byteOffset(std::string_view text, std::size_t characters) {
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xc0) == 0x80) continue;
        if (characters-- == 0) break;
    }
    return i;
}

/// The part that starts at byte `at` of `text`, at the given line and column.
std::string partFrom(const std::string& text, std::size_t at, const PartEnd& end) {
    std::string part(kPartHeader);
    if (end.line > 1) {
        part.append(end.line - 1, '\n');
        part.append(end.column, ' ');
    } else {
        part.append(end.column - kPartHeader.size(), ' ');
    }
    part.append(text, at);
    return part;
}

}  // namespace

std::size_t parseFailedTarget(const std::string& text, const std::filesystem::path& source,
                              antlr4::ANTLRErrorListener& listener, std::size_t partTokens) {
    const std::size_t budget = partTokens != 0
                                   ? partTokens
                                   : std::max(kMinPartTokens, text.size() / kBytesPerPartToken);
    std::string part;
    // Where the part's own text starts, in `text` (bytes) and in the part (characters).
    std::size_t textStart = 0;
    std::size_t headerCharacters = 0;
    std::size_t lexicalErrors = 0;
    for (;;) {
        std::optional<PartEnd> end;
        {
            ParseChain chain(textStart == 0 ? text : part, source);
            chain.useErrorListener(listener);
            chain.continueLexicalErrors(lexicalErrors);
            PartCut cut(chain.parser(), chain.tokens(), budget);
            chain.parser().addParseListener(&cut);
            try {
                chain.unitFile();
                return chain.unshownLexicalErrors();
            } catch (const PartEnd& at) {
                end = at;
                lexicalErrors = chain.lexicalErrors();
            }
        }
        // The part's characters past its header are those of `text` from `textStart` on.
        textStart +=
            byteOffset(std::string_view(text).substr(textStart), end->index - headerCharacters);
        part = partFrom(text, textStart, *end);
        headerCharacters = part.size() - (text.size() - textStart);
    }
}

}  // namespace Rilk
