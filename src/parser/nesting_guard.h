#pragma once

#include <cstddef>
#include <stdexcept>

#include "antlr4-runtime.h"

namespace Rilk {

/// Thrown to abandon a parse whose rules nest deeper than `NestingGuard` allows. The error has
/// already been reported to the parser's error listeners when this is thrown.
class NestingTooDeep : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A parse listener that keeps the parser's rule recursion within a fixed depth, so that
/// deeply nested contexts, lists, conditions or indices end the parse with a syntax error at
/// the offending token instead of exhausting the stack. Every input that a person would
/// write stays far below the limit.
class NestingGuard : public antlr4::tree::ParseTreeListener {
public:
    /// Deepest rule nesting a parse may reach. One level of a nested block, list or index
    /// costs two to four rule levels.
    static constexpr std::size_t maxRuleDepth = 1000;

    /// The error text reported at the token where the limit is exceeded.
    static const char* const message;

    explicit NestingGuard(antlr4::Parser& parser) : parser_(parser) {}

    void enterEveryRule(antlr4::ParserRuleContext* ctx) override;
    void exitEveryRule(antlr4::ParserRuleContext* ctx) override;
    void visitTerminal(antlr4::tree::TerminalNode*) override {}
    void visitErrorNode(antlr4::tree::ErrorNode*) override {}

private:
    antlr4::Parser& parser_;
    std::size_t depth_ = 0;
};

}  // namespace Rilk
