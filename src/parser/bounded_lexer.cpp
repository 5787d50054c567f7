#include "parser/bounded_lexer.h"

#include <algorithm>

#include <fmt/format.h>

#include "util/shown_text.h"

namespace Rilk {

void BoundedLexer::notifyListeners(const antlr4::LexerNoViableAltException&) {
    if (errors_++ >= kShownErrors) return;
    // As the runtime words it, the text cut after `kQuotedCharacters` characters: one more
    // is read, so that the quote knows whether it cut.
    const std::size_t start = tokenStartCharIndex;
    // The runtime's text runs to the character the error stopped at, or to the end.
    const std::size_t last = std::min<std::size_t>(_input->index(), _input->size() - 1);
    const std::size_t readLast = std::min(last, start + kQuotedCharacters);
    const std::string text = _input->getText(antlr4::misc::Interval(start, readLast));
    const std::string message =
        "token recognition error at: '" + getErrorDisplay(Util::quotedStart(text)) + "'";
    getErrorListenerDispatch().syntaxError(this, nullptr, tokenStartLine,
                                           tokenStartCharPositionInLine, message,
                                           std::current_exception());
}

bool startsNoToken(std::size_t c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return false;
    switch (c) {
        case ' ': case '\t': case '\r': case '\n': case '/': case ':': case '=': case '+':
        case '{': case '}': case '(': case ')': case '!': case '>': case '<': case '?':
        case '"': case '-': case '[': case ']': case '@': case '^': case ',': case '.':
        case ';': case '_':
            return false;
        default:
            return c != antlr4::Token::EOF;
    }
}

std::string unshownErrorsLine(std::size_t count) {
    if (count == 0) return "";
    return fmt::format("... and {} more token recognition errors\n", count);
}

}  // namespace Rilk
