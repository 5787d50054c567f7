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

/// The byte-by-byte form of the check, for paths shorter than a word.
bool isPlainShortPath(std::string_view path) {
    char previous = '\0';
    for (const char c : path) {
        if (c == '*' || c == '?' || (c == '/' && previous == '/')) return false;
        previous = c;
    }
    return true;
}

}  // namespace

bool isPlainPath(std::string_view path) {
    // Paths are checked once per path value resolved: eight bytes per step instead of one.
    const std::size_t size = path.size();
    if (size < sizeof(Word)) return isPlainShortPath(path);
    bool slashBefore = false;  // the byte before the word is a separator
    std::size_t at = 0;
    for (;;) {
        Word word;
        std::memcpy(&word, path.data() + at, sizeof word);
        if ((bytesEqual(word, '*') | bytesEqual(word, '?')) != 0) return false;
        const Word slashes = bytesEqual(word, '/');
        // A separator marked in a byte and in the byte after it.
        if ((slashes & (slashes >> 8)) != 0 || (slashBefore && (slashes & 0x80) != 0)) {
            return false;
        }
        if (at + sizeof(Word) == size) return true;
        slashBefore = (slashes >> 63) != 0;
        at += sizeof(Word);
        if (at + sizeof(Word) > size) {
            // The last word ends at the end of the path and so overlaps the one before; it
            // holds the pair of bytes across their border itself.
            at = size - sizeof(Word);
            slashBefore = false;
        }
    }
}

}  // namespace Rilk
