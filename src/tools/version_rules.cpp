#include "tools/version_rules.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "util/ci_string.h"

namespace Rilk {

namespace {

std::uint32_t parseComponent(const std::string& component) {
    if (component.empty()) return 0;
    try {
        return static_cast<std::uint32_t>(std::stoul(component, nullptr, 10));
    } catch (const std::invalid_argument&) {
        return 0;
    } catch (const std::out_of_range&) {
        return 0;
    }
}

}  // namespace

std::vector<std::uint32_t> parseVersion(const std::string& text) {
    std::vector<std::uint32_t> components;
    std::istringstream stream(text);
    std::string component;
    while (std::getline(stream, component, '.')) components.push_back(parseComponent(component));
    return components;
}

int compareVersions(const std::string& a, const std::string& b) {
    const std::vector<std::uint32_t> left = parseVersion(a);
    const std::vector<std::uint32_t> right = parseVersion(b);
    const std::size_t length = std::max(left.size(), right.size());
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint32_t l = i < left.size() ? left[i] : 0;
        const std::uint32_t r = i < right.size() ? right[i] : 0;
        if (l < r) return -1;
        if (l > r) return 1;
    }
    return 0;
}

bool meetsMinVersion(const std::string& version, const std::string& minimum) {
    if (minimum.empty() || Util::CiString::equal(minimum, "0")) return true;
    return compareVersions(version, minimum) != -1;
}

}  // namespace Rilk
