#include "types/text_origins.h"

#include <algorithm>
#include <unordered_set>

#include "util/ci_string.h"

namespace Rilk {

OriginTable::Id OriginTable::add(std::vector<std::string> names) {
    names_.push_back(std::move(names));
    return static_cast<Id>(names_.size() - 1);
}

std::vector<std::string> OriginTable::common(const Id* first, const Id* last) const {
    if (first == last) return {};
    std::vector<std::string> result = names_[*first];
    for (const Id* id = first + 1; id != last && !result.empty(); ++id) {
        if (*id == *first) continue;
        const std::vector<std::string>& other = names_[*id];
        std::erase_if(result, [&other](const std::string& name) {
            return std::none_of(other.begin(), other.end(), [&name](const std::string& o) {
                return Util::CiString::equal(name, o);
            });
        });
    }
    return result;
}

std::vector<std::string> OriginTable::any(const Id* first, const Id* last) const {
    std::unordered_set<Id> seen;
    std::vector<std::string> result;
    for (const Id* id = first; id != last; ++id) {
        if (!seen.insert(*id).second) continue;
        for (const std::string& name : names_[*id]) {
            const bool known = std::any_of(
                result.begin(), result.end(),
                [&name](const std::string& r) { return Util::CiString::equal(name, r); });
            if (!known) result.push_back(name);
        }
    }
    return result;
}

void TrackedText::replace(std::size_t position, std::size_t count, const std::string& with,
                          OriginTable::Id origin) {
    text.replace(position, count, with);
    const auto at = origins.begin() + static_cast<std::ptrdiff_t>(position);
    const auto removed = origins.erase(at, at + static_cast<std::ptrdiff_t>(count));
    origins.insert(removed, with.size(), origin);
}

std::vector<std::string> TrackedText::anyNames(const OriginTable& table, std::size_t position,
                                               std::size_t count) const {
    const OriginTable::Id* first = origins.data() + position;
    return table.any(first, first + count);
}

std::vector<std::string> TrackedText::commonNames(const OriginTable& table, std::size_t position,
                                                  std::size_t count) const {
    const OriginTable::Id* first = origins.data() + position;
    return table.common(first, first + count);
}

}  // namespace Rilk
