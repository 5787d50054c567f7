#include "parser/delimited_literal.h"

namespace Rilk {

std::size_t delimitedLiteralEnd(std::string_view text, std::size_t contentStart) {
    std::size_t at = contentStart;
    bool closed = false;
    while (at < text.size()) {
        at = delimitedScanStep(text, at, closed);
        if (closed) return at;
    }
    return std::string_view::npos;
}

bool fitsDelimitedLiteral(std::string_view content) {
    // The steps go one or two characters at a time and a step of two starts only before
    // the last character, so a scan that neither closes nor stops ends exactly at the end.
    std::size_t at = 0;
    bool closed = false;
    while (at < content.size()) {
        at = delimitedScanStep(content, at, closed);
        if (closed || at == std::string_view::npos) return false;
    }
    return true;
}

std::size_t DelimitedLiteralEnds::endOf(std::size_t contentStart) {
    if (ends_.empty()) {
        // ends_[i]: where the scan from i closes; the steps only go forward.
        const std::size_t n = text_.size();
        ends_.assign(n + 2, std::string_view::npos);
        for (std::size_t i = n; i-- > 0;) {
            bool closed = false;
            const std::size_t next = delimitedScanStep(text_, i, closed);
            if (closed || next == std::string_view::npos) {
                ends_[i] = next;
            } else {
                ends_[i] = ends_[next];
            }
        }
    }
    return contentStart < ends_.size() ? ends_[contentStart] : std::string_view::npos;
}

}  // namespace Rilk
