#include "parser/closing_inside_literal.h"

#include <fmt/format.h>

#include "parser/fast_lexer.h"
#include "util/logger.h"

namespace Rilk {

namespace {

bool isDelimited(FastToken::Kind kind) {
    return kind == FastToken::Kind::RawString || kind == FastToken::Kind::PathString;
}

/// Whether `byte` starts a character of UTF-8 text (it is no continuation byte).
bool startsCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }

}  // namespace

std::vector<std::size_t> literalsHoldingClosing(std::string_view text) {
    std::vector<std::size_t> found;
    // Inside content, `)"` can only follow a ')' that a step took as the first of a pair.
    if (text.find("))\"") == std::string_view::npos) return found;
    FastLexer lexer(text);
    for (;;) {
        const FastToken token = lexer.next();
        if (token.kind == FastToken::Kind::End || token.kind == FastToken::Kind::Invalid) break;
        if (isDelimited(token.kind) &&
            holdsClosingDelimiter(token.text.substr(3, token.text.size() - 5))) {
            found.push_back(static_cast<std::size_t>(token.text.data() - text.data()));
        }
    }
    return found;
}

std::string closingInsideLiteralWarning(const std::filesystem::path& file, std::size_t line,
                                        std::size_t column) {
    const std::string where = file.empty()
                                  ? fmt::format("line {}, column {}", line, column)
                                  : fmt::format("{}({},{})", file.string(), line, column);
    return fmt::format(
        "{}: this raw or path string holds ')\"' and so runs on past where it seems "
        "to end: a content ending in an odd number of ')' takes the closing ')' with it. If "
        "it was meant to end at the first ')\"', put a blank before that ')\"' "
        "(R\"(echo $(date) )\").",
        where);
}

void warnClosingInsideLiterals(std::string_view text, const std::filesystem::path& file) {
    std::size_t line = 1;
    std::size_t lineStart = 0;
    std::size_t counted = 0;
    for (const std::size_t at : literalsHoldingClosing(text)) {
        for (; counted < at; ++counted) {
            if (text[counted] == '\n') {
                ++line;
                lineStart = counted + 1;
            }
        }
        std::size_t column = 0;
        for (std::size_t i = lineStart; i < at; ++i) column += startsCharacter(text[i]) ? 1 : 0;
        log(LogLevel::Warning, "{}\n", closingInsideLiteralWarning(file, line, column));
    }
}

}  // namespace Rilk
