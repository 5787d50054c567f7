#include "parser/legacy_path_literals.h"

#include <cstddef>
#include <vector>

namespace Rilk {
namespace {

bool isNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }

bool isNameChar(char c) { return isNameStart(c) || (c >= '0' && c <= '9') || c == '-'; }

/// Where the lexer's pairwise scan of a delimited literal's content, started at a given
/// position, finds the closing ")\"" (the position after it), or npos. Worked out for every
/// position at once, backwards, so that many literals that never close cost linear time.
class DelimitedEnds {
public:
    explicit DelimitedEnds(std::string_view text) : text_(text) {}

    /// The end of the literal whose opening "R\"(" or "P\"(" is at `start`.
    std::size_t endOf(std::size_t start) {
        if (ends_.empty()) compute();
        return start + 3 < ends_.size() ? ends_[start + 3] : std::string_view::npos;
    }

private:
    void compute() {
        const std::size_t n = text_.size();
        ends_.assign(n + 2, std::string_view::npos);
        for (std::size_t i = n; i-- > 0;) {
            if (text_[i] != ')') {
                ends_[i] = ends_[i + 1];
            } else if (i + 1 < n && text_[i + 1] == '"') {
                ends_[i] = i + 2;
            } else if (i + 1 < n) {
                ends_[i] = ends_[i + 2];
            }
        }
    }

    std::string_view text_;
    std::vector<std::size_t> ends_;
};

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
    DelimitedEnds delimited(text);
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
            end = delimited.endOf(i);
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
