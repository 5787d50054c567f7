#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "types/target.h"
#include "util/ci_string.h"

namespace Rilk {

/// The error of a second target of a name a unit holds already: "Key already exists: "
/// followed by the stored target's name, which `name` keeps for callers that say where.
class DuplicateTarget : public std::invalid_argument {
public:
    explicit DuplicateTarget(const std::string& target)
        : std::invalid_argument("Key already exists: " + target), name(target) {}
    std::string name;
};

/// The targets of one unit, keyed by their unqualified names compared ignoring case.
///
/// A unit is filled from one unit file, or merged from several, through `addTarget`,
/// which refuses a second target of the same name and remembers the first target ever
/// added as the unit's default target.
class Unit {
public:
    /// Enters `target` under `target.name.target` and takes over its contents.
    ///
    /// When a target of that name (ignoring case) is already stored, throws
    /// `DuplicateTarget` "Key already exists: " followed by the stored target's
    /// name, and leaves the unit unchanged. The first target added becomes
    /// `defaultTarget`.
    void addTarget(Target&& target);

    /// The name from the file's `unit` declaration; empty when the file has none.
    std::string name;
    std::map<Util::CiString, Target> targets;
    /// The name of the first target added; empty while the unit has none.
    std::string defaultTarget;
};

using UnitPtr = std::shared_ptr<Unit>;

}  // namespace Rilk
