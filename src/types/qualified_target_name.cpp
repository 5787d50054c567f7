#include "types/qualified_target_name.h"

namespace Rilk {

QualifiedTargetName QualifiedTargetName::parse(const std::string& text) {
    QualifiedTargetName name;
    const std::size_t separator = text.find("::");
    if (separator == std::string::npos) {
        name.target = text;
        return name;
    }
    name.target = text.substr(separator + 2);
    const std::string prefix = text.substr(0, separator);
    const std::size_t slash = prefix.find('/');
    if (slash == std::string::npos) {
        name.unit = prefix;
    } else {
        name.ns = prefix.substr(0, slash);
        name.unit = prefix.substr(slash + 1);
    }
    return name;
}

std::string QualifiedTargetName::toString() const {
    std::string text;
    text.reserve(ns.size() + unit.size() + target.size() + 3);
    text.append(ns).append("/").append(unit).append("::").append(target);
    return text;
}

std::string QualifiedTargetName::shownName() const {
    std::string text;
    text.reserve(ns.size() + unit.size() + target.size() + 3);
    if (!ns.empty()) text.append(ns).append("/");
    text.append(unit).append("::").append(target);
    return text;
}

}  // namespace Rilk
