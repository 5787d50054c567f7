#include "util/shown_text.h"

#include <fmt/format.h>

namespace Util {

std::string shownText(std::string_view text, std::size_t limit) {
    std::size_t end = text.size();
    if (end > limit) {
        end = limit;
        // Back to the start of the character the cut falls in.
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xc0) == 0x80) --end;
    }
    std::string shown;
    shown.reserve(end + 3);
    for (const char c : text.substr(0, end)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            shown += fmt::format("\\x{:02x}", byte);
        } else {
            shown += c;
        }
    }
    if (end < text.size()) shown += "...";
    return shown;
}

std::string quotedStart(std::string_view text, std::size_t maxCharacters) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool continues = (static_cast<unsigned char>(text[i]) & 0xc0) == 0x80;
        if (continues || characters++ < maxCharacters) continue;
        return std::string(text.substr(0, i)) + "...";
    }
    return std::string(text);
}

}  // namespace Util
