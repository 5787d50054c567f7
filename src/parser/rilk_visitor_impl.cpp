#include "parser/rilk_visitor_impl.h"

#include <stdexcept>

#include <fmt/format.h>

#include "parser/nesting_guard.h"

RilkVisitorImpl::NestingScope::NestingScope(RilkVisitorImpl& visitor,
                                            antlr4::ParserRuleContext* node)
    : visitor_(visitor) {
    if (visitor_.nesting_ >= maxNesting) {
        visitor_.fail(node, Rilk::NestingGuard::message);
    }
    ++visitor_.nesting_;
}

void RilkVisitorImpl::fail(antlr4::ParserRuleContext* node, const std::string& text) const {
    throw std::runtime_error(position(node) + text);
}

void RilkVisitorImpl::failOutOfRange(antlr4::ParserRuleContext* node,
                                     const std::string& text) const {
    throw std::out_of_range(position(node) + text);
}

std::string RilkVisitorImpl::position(antlr4::ParserRuleContext* node) const {
    std::size_t line = 0;
    std::size_t column = 0;
    if (node != nullptr && node->getStart() != nullptr) {
        line = node->getStart()->getLine();
        column = node->getStart()->getCharPositionInLine();
    }
    if (sourcePath.empty()) return fmt::format("line {}, column {}: ", line, column);
    return fmt::format("{}({},{}): ", sourcePath.string(), line, column);
}
