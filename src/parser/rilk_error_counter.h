#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "antlr4-runtime.h"

/// Counts the syntax errors that a lexer or parser reports to it. Unless silent, it also
/// writes each one to standard error as "<name>: line <line>:<column> <message>".
class RilkErrorCounter : public antlr4::BaseErrorListener {
public:
    /// `name` names what is parsed; it must outlive the counter (a fixed text).
    RilkErrorCounter(const char* name, bool silent) : name_(name), silent_(silent) {}

    void syntaxError(antlr4::Recognizer* recognizer, antlr4::Token* offendingSymbol, size_t line,
                     size_t charPositionInLine, const std::string& msg,
                     std::exception_ptr e) override;

    const char* name() const { return name_; }
    std::uint32_t errorCount() const { return errorCount_; }

private:
    const char* name_;
    bool silent_;
    std::uint32_t errorCount_ = 0;
};
