#include "app/load/unit_index.h"

#include <utility>

#include "types/rilk_errors.h"

namespace Rilk {
namespace {

/// "ns/unit", or the unit alone in the empty namespace.
std::string unitPath(const std::string& ns, const std::string& unitName) {
    return ns.empty() ? unitName : ns + "/" + unitName;
}

}  // namespace

void UnitIndex::addUnit(const std::string& ns, const std::string& unitName, UnitPtr unit) {
    namespaces[ns].insert_or_assign(unitName, std::move(unit));
}

const UnitPtr& UnitIndex::findUnit(std::string& ns, std::string& unitName) const {
    if (ns.empty()) ns = defaultNamespace;
    const auto space = namespaces.find(ns);
    if (space == namespaces.end()) throw NotFoundException("Namespace", ns);
    if (unitName.empty()) unitName = defaultUnit;
    const auto unit = space->second.find(unitName);
    if (unit == space->second.end()) throw NotFoundException("Unit", unitPath(ns, unitName));
    return unit->second;
}

Target& UnitIndex::findTarget(QualifiedTargetName& name) const {
    const UnitPtr& unit = findUnit(name.ns, name.unit);
    const auto target = unit->targets.find(name.target);
    if (target == unit->targets.end()) {
        throw NotFoundException("Target", unitPath(name.ns, name.unit) + "::" + name.target);
    }
    return target->second;
}

bool UnitIndex::hasTarget(const std::string& text) const {
    QualifiedTargetName name = QualifiedTargetName::parse(text);
    try {
        findTarget(name);
        return true;
    } catch (const NotFoundException&) {
        return false;
    }
}

}  // namespace Rilk
