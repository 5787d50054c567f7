#include "parser/cache_escaped_literal.h"

#include "parser/delimited_literal.h"
#include "parser/utf8_text.h"

namespace Rilk {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

bool textHasLiteral(std::string_view text) {
    return isUtf8(text) &&
           (text.find('"') == std::string_view::npos || fitsDelimitedLiteralStrictly(text));
}

bool pathHasLiteral(std::string_view text) {
    return isUtf8(text) && fitsDelimitedLiteralStrictly(text);
}

void appendCacheEscaped(std::string& out, std::string_view bytes) {
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (!isEscapedInCacheLiteral(byte)) {
            out += c;
            continue;
        }
        out += '%';
        out += kHexDigits[byte >> 4];
        out += kHexDigits[byte & 0xF];
    }
}

std::optional<std::string> readCacheEscaped(std::string_view escaped) {
    std::string bytes;
    bytes.reserve(escaped.size());
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        const char c = escaped[i];
        if (c != '%') {
            if (isEscapedInCacheLiteral(static_cast<unsigned char>(c))) return std::nullopt;
            bytes += c;
            continue;
        }
        if (escaped.size() - i < 3) return std::nullopt;
        const int high = hexValue(escaped[i + 1]);
        const int low = hexValue(escaped[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return bytes;
}

}  // namespace Rilk
