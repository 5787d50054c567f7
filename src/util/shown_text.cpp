#include "util/shown_text.h"

#include <algorithm>

#include <fmt/format.h>

namespace Util {

namespace {

/// A well-formed UTF-8 sequence: its length in bytes (0: the bytes are none) and its
/// code point.
struct Sequence {
    std::size_t length = 0;
    char32_t codePoint = 0;
};

/// The length of the sequence a lead byte starts and the bits of the code point it holds;
/// length 0 for a byte that starts none.
Sequence leadOf(unsigned char lead) {
    if (lead < 0x80) return {1, lead};
    if ((lead & 0xe0) == 0xc0) return {2, char32_t{lead} & 0x1fU};
    if ((lead & 0xf0) == 0xe0) return {3, char32_t{lead} & 0x0fU};
    if ((lead & 0xf8) == 0xf0) return {4, char32_t{lead} & 0x07U};
    return {};
}

/// The well-formed sequence at `at` of `text` (no overlong form, no surrogate, nothing
/// above U+10FFFF), or length 0 when the bytes there are none.
Sequence sequenceAt(std::string_view text, std::size_t at) {
    // The smallest code point each length may hold; one below it is an overlong form.
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    Sequence sequence = leadOf(static_cast<unsigned char>(text[at]));
    if (sequence.length <= 1) return sequence;
    if (text.size() - at < sequence.length) return {};
    for (std::size_t i = 1; i < sequence.length; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if ((byte & 0xc0) != 0x80) return {};
        sequence.codePoint = (sequence.codePoint << 6) | (byte & 0x3fU);
    }
    const char32_t c = sequence.codePoint;
    if (c < kSmallest[sequence.length] || c > 0x10ffff || (c >= 0xd800 && c <= 0xdfff)) {
        return {};
    }
    return sequence;
}

/// Whether a character can change how a terminal shows what follows it: the C0 and C1
/// controls, DEL, and the bidirectional embeddings, overrides and isolates, which reorder
/// the text after them (a name could show as another one).
bool drivesTheTerminal(char32_t c) {
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || (c >= 0x202a && c <= 0x202e) ||
           (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

std::string shownText(std::string_view text, std::size_t limit) {
    std::string shown;
    shown.reserve(std::min(text.size(), limit) + 3);
    std::size_t at = 0;
    while (at < text.size()) {
        const Sequence sequence = sequenceAt(text, at);
        // A byte that starts no well-formed character is shown, and counted, on its own.
        const std::size_t length = sequence.length == 0 ? 1 : sequence.length;
        if (at + length > limit) break;
        if (sequence.length == 0) {
            shown += fmt::format("\\x{:02x}", static_cast<unsigned char>(text[at]));
        } else if (!drivesTheTerminal(sequence.codePoint)) {
            shown.append(text, at, length);
        } else if (sequence.codePoint < 0x80) {
            shown += fmt::format("\\x{:02x}", static_cast<unsigned>(sequence.codePoint));
        } else {
            shown += fmt::format("\\u{:04x}", static_cast<unsigned>(sequence.codePoint));
        }
        at += length;
    }
    if (at < text.size()) shown += "...";
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
