#include "parser/capped_error_printer.h"

#include <iostream>

#include <fmt/format.h>

namespace Rilk {

void CappedErrorPrinter::syntaxError(antlr4::Recognizer*, antlr4::Token*, size_t line,
                                     size_t charPositionInLine, const std::string& msg,
                                     std::exception_ptr) {
    if (errors_++ >= kShownErrors) return;
    std::cerr << "line " << line << ":" << charPositionInLine << " " << msg << std::endl;
}

std::string unshownSyntaxErrorsLine(std::size_t count) {
    if (count == 0) return "";
    return fmt::format("... and {} more syntax errors\n", count);
}

}  // namespace Rilk
