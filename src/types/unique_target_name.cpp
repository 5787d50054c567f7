#include "types/unique_target_name.h"

#include <cstdint>

#include <fmt/format.h>

namespace Rilk {

std::string parameterHashOf(std::string_view parameterText) {
    if (parameterText.empty()) return {};
    std::uint64_t hash = 14695981039346656037ULL;
    for (const unsigned char byte : parameterText) {
        hash ^= byte;
        hash *= 1099511628211ULL;
    }
    return fmt::format("{:016x}", hash);
}

std::string uniqueTargetName(const QualifiedTargetName& name, std::string_view parameterHash) {
    std::string text;
    text.reserve(name.ns.size() + name.unit.size() + name.target.size() + parameterHash.size() + 4);
    if (!name.ns.empty()) text.append(name.ns).append("/");
    if (!name.unit.empty()) text.append(name.unit).append("::");
    text += name.target;
    if (!parameterHash.empty()) text.append("@").append(parameterHash);
    return text;
}

}  // namespace Rilk
