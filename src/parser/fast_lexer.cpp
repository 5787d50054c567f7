#include "parser/fast_lexer.h"

#include <array>
#include <cstddef>

#include "parser/delimited_literal.h"
#include "parser/name_rules.h"
#include "parser/utf8_text.h"

namespace Rilk {
namespace {

using Kind = FastToken::Kind;

constexpr bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The keyword kinds stand in the order of `kKeywords`, as the lexer's keyword tokens do.
static_assert(static_cast<int>(Kind::NameKeyword) - static_cast<int>(Kind::UnitKeyword) + 1 ==
              static_cast<int>(kKeywords.size()));

}  // namespace

FastLexer::FastLexer(std::string_view text)
    : text_(text), refused_(!isUtf8(text)), refusedWhole_(refused_) {}

FastToken FastLexer::next() {
    if (refused_) return invalid();
    // Plain blanks are skipped here; only a slash can start a comment.
    while (at_ < text_.size() && isBlank(text_[at_])) ++at_;
    if (at_ < text_.size() && text_[at_] == '/' && !skipBlanksAndComments()) {
        unclosed_ = true;
        return invalid();
    }
    if (at_ >= text_.size()) return FastToken{Kind::End, text_.substr(at_, 0)};
    const char c = text_[at_];
    const char after = at_ + 1 < text_.size() ? text_[at_ + 1] : '\0';
    const char third = at_ + 2 < text_.size() ? text_[at_ + 2] : '\0';
    if ((c == 'R' || c == 'P') && after == '"' && third == '(') {
        return delimited(c == 'R' ? Kind::RawString : Kind::PathString);
    }
    if (isNameStart(c)) return word();
    if (isDigit(c) || (c == '-' && isDigit(after))) return number();
    if (c == '"') return quoted();
    return symbol();
}

bool FastLexer::skipBlanksAndComments() {
    while (at_ < text_.size()) {
        const char c = text_[at_];
        if (isBlank(c)) {
            ++at_;
        } else if (c != '/') {
            break;
        } else if (text_.substr(at_, 2) == "//") {
            const std::size_t end = text_.find_first_of("\r\n", at_);
            at_ = end == std::string_view::npos ? text_.size() : end;
        } else if (text_.substr(at_, 2) == "/*") {
            const std::size_t end = text_.find("*/", at_ + 2);
            if (end == std::string_view::npos) return false;
            at_ = end + 2;
        } else {
            break;
        }
    }
    return true;
}

FastToken FastLexer::word() {
    std::size_t end = at_ + 1;
    while (end < text_.size() && isNameChar(text_[end])) ++end;
    const std::string_view text = text_.substr(at_, end - at_);
    const int keyword = keywordIndex(text);
    if (keyword >= 0) {
        return make(static_cast<Kind>(static_cast<int>(Kind::UnitKeyword) + keyword), text.size());
    }
    return make(Kind::Identifier, text.size());
}

FastToken FastLexer::number() {
    std::size_t end = at_ + 1;
    while (end < text_.size() && isDigit(text_[end])) ++end;
    return make(Kind::Number, end - at_);
}

FastToken FastLexer::quoted() {
    const std::size_t close = text_.find('"', at_ + 1);
    if (close == std::string_view::npos) {
        unclosed_ = true;
        return invalid();
    }
    return make(Kind::String, close + 1 - at_);
}

FastToken FastLexer::delimited(Kind kind) {
    const std::size_t end = delimitedLiteralEnd(text_, at_ + 3);
    if (end == std::string_view::npos) {
        unclosed_ = true;
        return invalid();
    }
    return make(kind, end - at_);
}

FastToken FastLexer::symbol() {
    const char c = text_[at_];
    const char after = at_ + 1 < text_.size() ? text_[at_ + 1] : '\0';
    switch (c) {
        case ':':
            return after == ':' ? make(Kind::DoubleColon, 2) : make(Kind::Colon, 1);
        case '=':
            return after == '>' ? make(Kind::Alias, 2) : make(Kind::Equals, 1);
        case '+':
            if (after == '>') return make(Kind::MergeAlias, 2);
            return after == '=' ? make(Kind::Append, 2) : make(Kind::Plus, 1);
        case '!':
            return after == '=' ? make(Kind::NotEquals, 2) : make(Kind::Must, 1);
        case '?':
            return after == '=' ? make(Kind::AssignEmpty, 2) : invalid();
        case '{':
            return make(Kind::LBrace, 1);
        case '}':
            return make(Kind::RBrace, 1);
        case '(':
            return make(Kind::LParen, 1);
        case ')':
            return make(Kind::RParen, 1);
        case '>':
            return make(Kind::Greater, 1);
        case '<':
            return make(Kind::Lesser, 1);
        case '[':
            return make(Kind::LSquare, 1);
        case ']':
            return make(Kind::RSquare, 1);
        case '@':
            return make(Kind::At, 1);
        case '^':
            return make(Kind::Up, 1);
        case '/':
            return make(Kind::Slash, 1);
        case ',':
            return make(Kind::Comma, 1);
        case '.':
            return make(Kind::Dot, 1);
        case ';':
            return make(Kind::Semicolon, 1);
        default:
            return invalid();
    }
}

FastToken FastLexer::make(Kind kind, std::size_t length) {
    FastToken token{kind, text_.substr(at_, length)};
    at_ += length;
    return token;
}

FastToken FastLexer::invalid() {
    refused_ = true;
    return FastToken{Kind::Invalid, {}};
}

}  // namespace Rilk
