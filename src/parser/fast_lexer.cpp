#include "parser/fast_lexer.h"

#include <array>
#include <cstddef>
#include <utility>

namespace Rilk {
namespace {

using Kind = FastToken::Kind;

constexpr bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool isWordStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

/// The bytes that continue a word, by table: words are most of a unit file's text.
constexpr std::array<bool, 256> kWordParts = [] {
    std::array<bool, 256> parts{};
    for (std::size_t byte = 0; byte < parts.size(); ++byte) {
        const auto c = static_cast<char>(byte);
        parts[byte] = isWordStart(c) || isDigit(c) || c == '-';
    }
    return parts;
}();

bool isWordPart(char c) { return kWordParts[static_cast<unsigned char>(c)]; }

/// Whether `text` is valid UTF-8: no stray continuation byte, no overlong form, no
/// surrogate, nothing past U+10FFFF.
bool isUtf8(std::string_view text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (i < size) {
        if (bytes[i] < 0x80) {
            ++i;
            continue;
        }
        const unsigned char lead = bytes[i];
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xbf;
        if (lead >= 0xc2 && lead <= 0xdf) {
            length = 2;
        } else if (lead >= 0xe0 && lead <= 0xef) {
            length = 3;
            if (lead == 0xe0) low = 0xa0;
            if (lead == 0xed) high = 0x9f;
        } else if (lead >= 0xf0 && lead <= 0xf4) {
            length = 4;
            if (lead == 0xf0) low = 0x90;
            if (lead == 0xf4) high = 0x8f;
        } else {
            return false;
        }
        if (size - i < length) return false;
        if (bytes[i + 1] < low || bytes[i + 1] > high) return false;
        for (std::size_t k = 2; k < length; ++k) {
            if (bytes[i + k] < 0x80 || bytes[i + k] > 0xbf) return false;
        }
        i += length;
    }
    return true;
}

constexpr std::array<std::pair<std::string_view, Kind>, 8> kKeywords{{
    {"unit", Kind::UnitKeyword},
    {"if", Kind::IfKeyword},
    {"import", Kind::ImportKeyword},
    {"units", Kind::UnitsKeyword},
    {"profiles", Kind::ProfilesKeyword},
    {"projects", Kind::ProjectsKeyword},
    {"tools", Kind::ToolsKeyword},
    {"name", Kind::NameKeyword},
}};

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
    if (isWordStart(c)) return word();
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
    while (end < text_.size() && isWordPart(text_[end])) ++end;
    const std::string_view text = text_.substr(at_, end - at_);
    // Comparing the first letter first spares most words a full comparison.
    for (const auto& [keyword, kind] : kKeywords) {
        if (text.size() == keyword.size() && text[0] == keyword[0] && text == keyword) {
            return make(kind, text.size());
        }
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
    // Content is read in steps: a character other than ')'; ')' and '"' closing the token;
    // or ')' with the character after it, which is never looked at as a closing start.
    std::size_t i = at_ + 3;
    while (i < text_.size()) {
        if (text_[i] != ')') {
            ++i;
        } else if (i + 1 >= text_.size()) {
            break;
        } else if (text_[i + 1] == '"') {
            return make(kind, i + 2 - at_);
        } else {
            i += 2;
        }
    }
    unclosed_ = true;
    return invalid();
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
