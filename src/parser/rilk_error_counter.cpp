#include "parser/rilk_error_counter.h"

#include <iostream>

void RilkErrorCounter::syntaxError(antlr4::Recognizer*, antlr4::Token*, size_t line,
                                   size_t charPositionInLine, const std::string& msg,
                                   std::exception_ptr) {
    ++errorCount_;
    if (silent_) return;
    std::cerr << name_ << ": line " << line << ":" << charPositionInLine << " " << msg << std::endl;
}
