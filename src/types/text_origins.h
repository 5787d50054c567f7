#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Rilk {

/// The origins met during one cross expansion. An origin is the list of group names
/// (oldest first) whose elements put a character into the text; origin 0, the empty list,
/// marks characters that were written in the expanded text itself.
class OriginTable {
public:
    using Id = std::uint32_t;

    OriginTable() : names_(1) {}

    /// A new origin with these names.
    Id add(std::vector<std::string> names);
    /// The names that the origins of every id in [first, last) have in common, in the order
    /// of the first one's; compared ignoring case.
    std::vector<std::string> common(const Id* first, const Id* last) const;
    /// The names that any origin of an id in [first, last) holds, each once, in the order
    /// first met; compared ignoring case.
    std::vector<std::string> any(const Id* first, const Id* last) const;

private:
    std::vector<std::vector<std::string>> names_;
};

/// A text with the origin of each of its characters, kept in step through replacements.
struct TrackedText {
    explicit TrackedText(std::string content) : text(std::move(content)), origins(text.size(), 0) {}

    /// Replaces `count` characters at `position` by `with`, whose characters get `origin`.
    void replace(std::size_t position, std::size_t count, const std::string& with,
                 OriginTable::Id origin);
    /// The names of any origin of the characters in [position, position + count).
    std::vector<std::string> anyNames(const OriginTable& table, std::size_t position,
                                      std::size_t count) const;
    /// The names that the origins of all characters in [position, position + count) share.
    std::vector<std::string> commonNames(const OriginTable& table, std::size_t position,
                                         std::size_t count) const;

    std::string text;
    std::vector<OriginTable::Id> origins;
};

}  // namespace Rilk
