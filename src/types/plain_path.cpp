#include "types/plain_path.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace Rilk {

namespace {

static_assert(std::endian::native == std::endian::little,
              "the byte masks below put the first byte of a word lowest");

using Word = std::uint64_t;

constexpr Word kOnes = 0x0101010101010101ULL;
constexpr Word kLow7 = 0x7F7F7F7F7F7F7F7FULL;

/// The high bit of every byte of `word` that equals `byte`, and no other bit. Exact: the
/// sum below never carries from one byte into the next.
Word bytesEqual(Word word, unsigned char byte) {
    const Word x = word ^ (kOnes * byte);
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

/// The path's bytes from `at`, eight at a time; past the end come zero bytes, which match
/// none of the bytes looked for.
Word wordAt(std::string_view path, std::size_t at) {
    Word word = 0;
    std::memcpy(&word, path.data() + at, path.size() - at < 8 ? path.size() - at : 8);
    return word;
}

}  // namespace

bool isPlainPath(std::string_view path) {
    // Paths are checked once per path value resolved: eight bytes per step instead of one.
    bool slashBefore = false;  // the last byte of the previous word is a separator
    for (std::size_t at = 0; at < path.size(); at += 8) {
        const Word word = wordAt(path, at);
        if ((bytesEqual(word, '*') | bytesEqual(word, '?')) != 0) return false;
        const Word slashes = bytesEqual(word, '/');
        // A separator marked in a byte and in the byte after it.
        if ((slashes & (slashes >> 8)) != 0 || (slashBefore && (slashes & 0x80) != 0)) {
            return false;
        }
        slashBefore = (slashes >> 63) != 0;
    }
    return true;
}

}  // namespace Rilk
