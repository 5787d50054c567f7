#include "util/ci_string.h"

namespace Util {

std::uint64_t CiString::hash(std::string_view text) {
    std::uint64_t h = 0;
    for (char c : text) {
        // The folded byte is widened with its sign, as the stored hashes expect.
        const auto f = static_cast<std::uint64_t>(
            static_cast<std::int64_t>(static_cast<std::int8_t>(fold(c))));
        h ^= (h << 6) + (h >> 2) + 0x9e3779b9ULL + f;
    }
    return h;
}

}  // namespace Util
