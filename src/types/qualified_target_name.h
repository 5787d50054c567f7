#pragma once

#include <string>

namespace Rilk {

/// The name that identifies a target across projects: the namespace of the project that
/// declares it (empty for the main project), the unit and the target name.
struct QualifiedTargetName {
    std::string ns;
    std::string unit;
    std::string target;

    QualifiedTargetName() = default;
    QualifiedTargetName(const std::string& ns, const std::string& unit, const std::string& target)
        : ns(ns), unit(unit), target(target) {}

    /// Splits a written reference `[[ns/]unit::]target` at its first "::" and, before
    /// that, at the first "/". Never fails: missing parts stay empty, and further "::"
    /// belong to the target.
    static QualifiedTargetName parse(const std::string& text);

    /// ns + "/" + unit + "::" + target, with both separators also when parts are empty.
    std::string toString() const;

    /// This name, as a reference written in target `own` means it: the namespace and unit
    /// it leaves empty are `own`'s.
    QualifiedTargetName within(const QualifiedTargetName& own) const {
        return {ns.empty() ? own.ns : ns, unit.empty() ? own.unit : unit, target};
    }

    /// The target as messages name it, the way a reference to it is written: "unit::target",
    /// with "ns/" before it for a target of an imported project (whose units may have the
    /// names of the main project's).
    std::string shownName() const;
};

}  // namespace Rilk
