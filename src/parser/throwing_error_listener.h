#pragma once

#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "antlr4-runtime.h"

/// Collects one message per lexical or syntax error, in report order, each in the form
/// "<source>(<line>,<column>): " + "'<token>' " (parser errors only) + the runtime's text.
/// Reporting never throws; the loader reads the messages after the parse (`throwFirst`).
class ThrowingErrorListener : public antlr4::BaseErrorListener {
public:
    explicit ThrowingErrorListener(std::filesystem::path source) : source_(std::move(source)) {}

    void syntaxError(antlr4::Recognizer* recognizer, antlr4::Token* offendingSymbol, size_t line,
                     size_t charPositionInLine, const std::string& msg,
                     std::exception_ptr e) override;

    const std::vector<std::string>& messages() const { return messages_; }
    const std::filesystem::path& source() const { return source_; }

    /// Throws `std::runtime_error` with the first collected message, if there is one.
    void throwFirst() const;

private:
    std::vector<std::string> messages_;
    std::filesystem::path source_;
};
