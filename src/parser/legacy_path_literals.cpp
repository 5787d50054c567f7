#include "parser/legacy_path_literals.h"

#include <cstddef>

#include "parser/delimited_literal.h"
#include "parser/name_rules.h"

namespace Rilk {
namespace {

/// The end of the older path form "P\"path\"" at `start`; npos when it does not fit.
std::size_t legacyPathEnd(std::string_view text, std::size_t start) {
    std::size_t i = start + 2;
    if (i < text.size() && text[i] == '(') return std::string_view::npos;
    for (; i < text.size(); ++i) {
        if (text[i] == '"') return i + 1;
        if (text[i] == '\r' || text[i] == '\n') break;
    }
    return std::string_view::npos;
}

bool startsWith(std::string_view text, std::size_t at, std::string_view prefix) {
    return text.substr(at, prefix.size()) == prefix;
}

}  // namespace

std::string rewriteLegacyPathLiterals(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    DelimitedLiteralEnds delimited(text);
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = i + 1;
        const char c = text[i];
        if (c == '"') {
            const std::size_t close = text.find('"', i + 1);
            end = close == std::string_view::npos ? text.size() : close + 1;
        } else if (startsWith(text, i, "//")) {
            end = text.find_first_of("\r\n", i);
            if (end == std::string_view::npos) end = text.size();
        } else if (startsWith(text, i, "/*")) {
            const std::size_t close = text.find("*/", i + 2);
            end = close == std::string_view::npos ? text.size() : close + 2;
        } else if (startsWith(text, i, "R\"(") || startsWith(text, i, "P\"(")) {
            end = delimited.endOf(i + 3);
            if (end == std::string_view::npos) end = i + 1;  // only the name R or P
        } else if (startsWith(text, i, "P\"")) {
            const std::size_t close = legacyPathEnd(text, i);
            if (close != std::string_view::npos) {
                out += "P\"(";
                out += text.substr(i + 2, close - 1 - (i + 2));
                out += ")\"";
                i = close;
                continue;
            }
        } else if (isNameStart(c)) {
            while (end < text.size() && isNameChar(text[end])) ++end;
        }
        out += text.substr(i, end - i);
        i = end;
    }
    return out;
}

}  // namespace Rilk
