#include "types/dependency_string.h"

#include <stdexcept>

#include "util/ci_find.h"

namespace Rilk {

QualifiedTargetName parseDependencyString(const std::string& text) {
    QualifiedTargetName name;
    const std::size_t colons = Util::ciFind(text, "::", 0);
    if (colons == std::string::npos) {
        if (text.empty()) throw std::runtime_error("Dependency string is empty");
        name.target = text;
        return name;
    }
    const std::string prefix = text.substr(0, colons);
    name.target = text.substr(colons + 2);
    if (prefix.empty() || name.target.empty()) {
        throw std::runtime_error("Dependency string has empty prefix or target: " + text);
    }
    const std::size_t slash = Util::ciFind(prefix, "/", 0);
    if (slash == std::string::npos) {
        name.unit = prefix;
        return name;
    }
    name.ns = prefix.substr(0, slash);
    name.unit = prefix.substr(slash + 1);
    if (name.ns.empty() || name.unit.empty()) {
        throw std::runtime_error("Dependency string has empty ns or unit: " + text);
    }
    return name;
}

}  // namespace Rilk
