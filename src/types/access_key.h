#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace Rilk {

/// Positions from `start` up to `end` (excluded), every `step`-th.
struct Range {
    std::int64_t start = 0;
    std::int64_t end = 0;
    std::int64_t step = 1;
    bool operator==(const Range&) const = default;
};

/// The index passed to a value's `get`, by alternative: 0 a position, 1 a range,
/// 2 a variable name, 3 a regular-expression pattern. Names and patterns are both texts;
/// build them with `nameKey` and `patternKey` so the alternative is never mistaken.
using AccessKey = std::variant<std::int64_t, Range, std::string, std::string>;

inline constexpr std::size_t kPositionKey = 0;
inline constexpr std::size_t kRangeKey = 1;
inline constexpr std::size_t kNameKey = 2;
inline constexpr std::size_t kPatternKey = 3;

inline AccessKey nameKey(std::string name) {
    return AccessKey(std::in_place_index<kNameKey>, std::move(name));
}
inline AccessKey patternKey(std::string pattern) {
    return AccessKey(std::in_place_index<kPatternKey>, std::move(pattern));
}

/// The flattened form of an identifier: its names and indices in order.
using KeyChain = std::vector<AccessKey>;

/// A key as error messages show it: "[n]", "[start:end:step]", the name, or "/pattern/".
std::string formatAccessKey(const AccessKey& key);

}  // namespace Rilk
