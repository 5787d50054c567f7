#include "util/ci_string.h"

namespace Util {

namespace {

// The system never leaves the "C" locale, where tolower folds exactly 'A'..'Z'; folding
// inline keeps comparisons and hashing free of library calls.
inline int fold(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u;
}

}  // namespace

bool CiString::equal(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

bool CiString::less(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto fa = static_cast<std::int8_t>(fold(a[i]));
        const auto fb = static_cast<std::int8_t>(fold(b[i]));
        if (fa != fb) return fa < fb;
    }
    return a.size() < b.size();
}

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
