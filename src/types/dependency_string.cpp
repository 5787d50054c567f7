#include "types/dependency_string.h"

#include <stdexcept>

namespace Rilk {

QualifiedTargetName parseDependencyString(const std::string& text) {
    if (text.empty()) throw std::runtime_error("Dependency string is empty");
    QualifiedTargetName name = QualifiedTargetName::parse(text);
    const std::size_t colons = text.find("::");
    if (colons == std::string::npos) return name;
    if (colons == 0 || name.target.empty()) {
        throw std::runtime_error("Dependency string has empty prefix or target: " + text);
    }
    const bool hasNamespace = text.find('/') < colons;
    if (hasNamespace && (name.ns.empty() || name.unit.empty())) {
        throw std::runtime_error("Dependency string has empty ns or unit: " + text);
    }
    return name;
}

}  // namespace Rilk
