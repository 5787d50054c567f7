#include "types/target_context.h"

#include <algorithm>

#include "types/parameter_text.h"
#include "types/rilk_context_value.h"
#include "types/unique_target_name.h"
#include "util/logger.h"

namespace Rilk {

TargetContext::TargetContext(const QualifiedTargetName& name,
                             const std::vector<std::string>& parameterNames,
                             const std::vector<RilkValuePtr>& parameterValues,
                             const std::vector<Assignment>& assignments,
                             const std::vector<Condition>& conditions,
                             const std::vector<Dependency>& dependencies)
    : Context(assignments, conditions), name(name), dependencies(dependencies) {
    const std::size_t count = std::min(parameterNames.size(), parameterValues.size());
    const std::vector<RilkValuePtr> used(parameterValues.begin(),
                                         parameterValues.begin() + static_cast<long>(count));
    parameterText = parameterTextOf(used);
    for (std::size_t i = 0; i < count; ++i) {
        // The caller's value is copied so that this target's build cannot change it.
        const RilkValuePtr value = independentCopy(used[i]);
        addAssignment(Assignment(parameterNames[i], value, AssignType::Set, AssignModifier::None),
                      kKeepModifier);
    }
}

TargetContext::TargetContext(const QualifiedTargetName& name, const Target& target,
                             const std::vector<RilkValuePtr>& parameterValues)
    : TargetContext(name, target.parameterNames, parameterValues, target.assignments,
                    target.conditions, {}) {
    templateDependencies_ = &target.dependencies;
}

TargetContext::TargetContext(const QualifiedTargetName& name, Target& target, OnlyInstance)
    : Context(target.takeAssignments(), target.conditions), name(name) {
    templateDependencies_ = &target.dependencies;
}

TargetContext::TargetContext(const Context& context, const QualifiedTargetName& name)
    : Context(context), name(name) {}

std::string TargetContext::parameterHash() const { return parameterHashOf(parameterText); }

std::string TargetContext::uniqueName() const {
    return uniqueTargetName(name, parameterHash());
}

void TargetContext::print(int level) const {
    if (level < verbosity) return;
    log(level, "{}\n", name.toString());
    Context::print(level);
}

}  // namespace Rilk
