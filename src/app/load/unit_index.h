#pragma once

#include <map>
#include <string>

#include "types/qualified_target_name.h"
#include "types/target.h"
#include "types/unit.h"
#include "util/ci_string.h"

namespace Rilk {

/// Every loaded unit by namespace (a project's name; empty without a project) and unit
/// name, both compared ignoring case. One unit may stand under several names (the main
/// unit also as "1").
///
/// Lookups fill the parts a name leaves empty from `defaultNamespace` and `defaultUnit`
/// and write them back into the caller's name, whether the lookup then succeeds or not.
/// They never add entries; a missing namespace, unit or target is a `NotFoundException`
/// of kind "Namespace", "Unit" or "Target".
class UnitIndex {
public:
    /// Stores `unit` under `ns` and `unitName`, replacing a unit of an equal name; a stored
    /// key keeps the spelling of its first insertion.
    void addUnit(const std::string& ns, const std::string& unitName, UnitPtr unit);

    /// The unit named by `ns` and `unitName`, both completed in place; the reference stays
    /// valid while the unit is registered under that name.
    const UnitPtr& findUnit(std::string& ns, std::string& unitName) const;

    /// The target `name` names, its namespace and unit completed in place. The target lives
    /// in its unit and stays valid as long as that unit is registered.
    Target& findTarget(QualifiedTargetName& name) const;

    /// Whether `text`, read as `[[ns/]unit::]target`, names a registered target.
    bool hasTarget(const std::string& text) const;

    std::map<Util::CiString, std::map<Util::CiString, UnitPtr>> namespaces;
    /// The unit of a name that leaves the unit empty.
    std::string defaultUnit;
    /// The namespace of a name that leaves the namespace empty.
    std::string defaultNamespace;
};

}  // namespace Rilk
