#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace Rilk {

struct Identifier;

/// An index written `[first..last]`: the positions from `first` to `last`.
struct IndexRange {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    bool operator==(const IndexRange&) const = default;
};

/// One index of an identifier segment, by alternative: 0 a number `[3]`, 1 a range
/// `[2..5]`, 2 a nested identifier `[key.name]` that is resolved with the outer one.
using IndexExpr = std::variant<std::uint64_t, IndexRange, std::shared_ptr<Identifier>>;

inline constexpr std::size_t kNumberIndex = 0;
inline constexpr std::size_t kRangeIndex = 1;
inline constexpr std::size_t kIdentifierIndex = 2;

/// A dotted variable path such as `a.b[1][2..5][c.d]`: segments, each a name with the
/// indices written after it. Never empty once parsed.
struct Identifier {
    struct Segment {
        std::string name;
        std::vector<IndexExpr> indices;
    };

    std::vector<Segment> segments;

    /// The identifier in its written form, which the identifier parser reads back:
    /// segments joined by ".", each index as "[n]", "[first..last]" or "[nested]".
    std::string toString() const;
};

}  // namespace Rilk
