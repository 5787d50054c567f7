// Identifiers with their segments and indices.
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>

#include "parser/rilk_visitor_impl.h"

namespace {

/// The unsigned 64-bit conversion of an index number (a leading '-' wraps modulo 2^64),
/// or nothing when the digits exceed 64 bits.
bool toIndexNumber(const std::string& text, std::uint64_t& number) {
    errno = 0;
    number = std::strtoull(text.c_str(), nullptr, 10);
    return errno != ERANGE;
}

}  // namespace

antlrcpp::Any RilkVisitorImpl::visitIdentifier(RilkTopParser::IdentifierContext* ctx) {
    NestingScope scope(*this, ctx);
    Rilk::Identifier identifier;
    for (auto* segment : ctx->segment()) {
        identifier.segments.push_back(takeResult<Rilk::Identifier::Segment>(visitSegment(segment)));
    }
    return identifier;
}

antlrcpp::Any RilkVisitorImpl::visitSegment(RilkTopParser::SegmentContext* ctx) {
    if (ctx->IDENTIFIER() == nullptr) fail(ctx, "a name is missing");
    Rilk::Identifier::Segment segment;
    segment.name = ctx->IDENTIFIER()->getText();
    for (auto* index : ctx->index()) {
        if (index->indexExpr() == nullptr) fail(index, "an index is missing");
        segment.indices.push_back(takeResult<Rilk::IndexExpr>(visitIndexExpr(index->indexExpr())));
    }
    return segment;
}

antlrcpp::Any RilkVisitorImpl::visitIndexExpr(RilkTopParser::IndexExprContext* ctx) {
    auto number = [&](antlr4::tree::TerminalNode* token) {
        std::uint64_t value = 0;
        if (!toIndexNumber(token->getText(), value)) {
            failOutOfRange(ctx, "the index " + token->getText() + " does not fit in 64 bits");
        }
        return value;
    };
    if (ctx->NUMBER() != nullptr) return Rilk::IndexExpr(number(ctx->NUMBER()));
    if (ctx->identifier() != nullptr) {
        auto nested = std::make_shared<Rilk::Identifier>(
            takeResult<Rilk::Identifier>(visitIdentifier(ctx->identifier())));
        return Rilk::IndexExpr(std::move(nested));
    }
    if (auto* range = ctx->range(); range != nullptr && range->NUMBER().size() == 2) {
        return Rilk::IndexExpr(
            Rilk::IndexRange{number(range->NUMBER(0)), number(range->NUMBER(1))});
    }
    if (ctx->regex() != nullptr) {
        fail(ctx, "the regular-expression index " + ctx->regex()->getText() +
                      " is not supported; index with a number, a range or an identifier");
    }
    fail(ctx, "an index is missing");
}
