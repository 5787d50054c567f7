#pragma once

#include <string>
#include <vector>

#include "types/assignment.h"
#include "types/condition.h"
#include "types/context.h"
#include "types/dependency.h"
#include "types/qualified_target_name.h"
#include "types/rilk_value.h"
#include "types/target.h"

namespace Rilk {

/// The variable context of one target instance being built: its template's variables and
/// conditions, its qualified name and dependency records, and the parameter values it was
/// called with, applied as variables and remembered as the parameter text from which the
/// instance's unique name is formed. Always owned through a shared pointer made for it.
class TargetContext : public Context {
public:
    /// Builds the context from the template lists (values cloned), then applies the
    /// parameters: the i-th name gets (a copy of) the i-th value with "=", up to the
    /// shorter of the two lists.
    TargetContext(const QualifiedTargetName& name, const std::vector<std::string>& parameterNames,
                  const std::vector<RilkValuePtr>& parameterValues,
                  const std::vector<Assignment>& assignments,
                  const std::vector<Condition>& conditions,
                  const std::vector<Dependency>& dependencies);
    /// The same from a target template whose dependency records stay in place while the
    /// context reads them: they are read where they are instead of copied (a target
    /// gathering thousands of dependencies would copy them all). A build releases a
    /// template's body (see `Target::releaseBody`) only once it is done with the context.
    TargetContext(const QualifiedTargetName& name, const Target& target,
                  const std::vector<RilkValuePtr>& parameterValues);
    /// The context of the one instance of a target without parameters: as the one above,
    /// but the context takes the template's assignments (see `Target::takeAssignments`)
    /// and their values where it may, instead of copying them.
    struct OnlyInstance {};
    TargetContext(const QualifiedTargetName& name, Target& target, OnlyInstance);
    /// A copy of `context`'s variables and conditions under `name`, with no dependency
    /// records and no parameters.
    TargetContext(const Context& context, const QualifiedTargetName& name);

    /// `parameterHashOf(parameterText)`: empty when the target has no parameters.
    std::string parameterHash() const;
    /// `uniqueTargetName(name, parameterHash())`: the key of the target instance's cache
    /// record and output directory.
    std::string uniqueName() const;
    /// The qualified name, then the variables in braces, at `level`.
    void print(int level) const override;

    /// The dependency records with every dynamic dependency replaced by the direct ones
    /// its variable's value names, in order. (Defined with the dependency list.)
    std::vector<Dependency> createDependencyList();
    /// What `createDependencyList` gives, without copying the records when none is dynamic:
    /// then `dependencies` itself, otherwise the list, kept in `storage`.
    const std::vector<Dependency>& dependencyList(std::vector<Dependency>& storage);

    /// The dependency records: the template's own when it was given, else `dependencies`.
    const std::vector<Dependency>& dependencyRecords() const {
        return templateDependencies_ != nullptr ? *templateDependencies_ : dependencies;
    }

    QualifiedTargetName name;
    /// The dependency records given as a list (empty when the template's are read).
    std::vector<Dependency> dependencies;
    /// The text of this instance's parameter values (see `parameterTextOf`).
    std::string parameterText;

private:
    const std::vector<Dependency>* templateDependencies_ = nullptr;
};

}  // namespace Rilk
