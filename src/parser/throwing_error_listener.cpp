#include "parser/throwing_error_listener.h"

#include <sstream>
#include <stdexcept>

void ThrowingErrorListener::syntaxError(antlr4::Recognizer*, antlr4::Token* offendingSymbol,
                                        size_t line, size_t charPositionInLine,
                                        const std::string& msg, std::exception_ptr) {
    std::ostringstream text;
    text << source_.string() << "(" << line << "," << charPositionInLine << "): ";
    if (offendingSymbol != nullptr) text << "'" << offendingSymbol->getText() << "' ";
    text << msg;
    messages_.push_back(text.str());
}

void ThrowingErrorListener::throwFirst() const {
    if (!messages_.empty()) throw std::runtime_error(messages_.front());
}
