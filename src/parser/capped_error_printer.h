#pragma once

#include <cstddef>
#include <string>

#include "antlr4-runtime.h"
#include "parser/bounded_lexer.h"

namespace Rilk {

/// The parser's errors on standard error as the runtime's console listener prints them
/// ("line <line>:<column> <message>"), the first `kShownErrors` of them; later ones are only
/// counted, so that a file of thousands of broken lines is reported in a few, as the lexer's
/// own errors are (`BoundedLexer`).
class CappedErrorPrinter : public antlr4::BaseErrorListener {
public:
    static constexpr std::size_t kShownErrors = BoundedLexer::kShownErrors;

    void syntaxError(antlr4::Recognizer* recognizer, antlr4::Token* offendingSymbol, size_t line,
                     size_t charPositionInLine, const std::string& msg,
                     std::exception_ptr e) override;

    /// The errors that were only counted.
    std::size_t unshownErrors() const {
        return errors_ > kShownErrors ? errors_ - kShownErrors : 0;
    }

private:
    std::size_t errors_ = 0;
};

/// The line that follows the reported syntax errors when `count` more were only counted
/// (none when `count` is 0): "... and <count> more syntax errors", with its line end.
std::string unshownSyntaxErrorsLine(std::size_t count);

}  // namespace Rilk
