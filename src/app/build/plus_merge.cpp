#include "app/build/plus_merge.h"

#include <string>

#include "app/build/output_collision.h"
#include "app/build/path_list_merge.h"
#include "types/rilk_errors.h"
#include "types/value_cast.h"
#include "util/logger.h"

namespace {

bool holdsContext(const Rilk::RilkValuePtr& value) {
    return Rilk::valueCast<const Rilk::RilkContext>(value.get()) != nullptr;
}

std::string label(const Rilk::QualifiedTargetName& name) { return name.shownName(); }

[[noreturn]] void throwUnmergeable(const std::string& variable,
                                   const Rilk::QualifiedTargetName& targetName,
                                   const Rilk::QualifiedTargetName& dependencyName,
                                   const std::string& reason) {
    throw Rilk::RilkException("Cannot merge output '" + variable + "' of dependency " +
                              label(dependencyName) + " into target " + label(targetName) + ": " +
                              reason);
}

}  // namespace

const std::string& nestedOutputName(const Rilk::Dependency& dependency,
                                    const Rilk::QualifiedTargetName& targetName,
                                    const Rilk::QualifiedTargetName& dependencyName) {
    if (!dependency.alias.empty()) return dependency.alias;
    const bool sameUnit = Util::CiString::equal(dependencyName.unit, targetName.unit) &&
                          Util::CiString::equal(dependencyName.ns, targetName.ns);
    return sameUnit ? dependencyName.target : dependencyName.unit;
}

std::vector<PendingPlusMerge> mergePlusOutputs(Rilk::Context& target,
                                               const Rilk::QualifiedTargetName& targetName,
                                               const Rilk::Dependency& dependency,
                                               const Rilk::QualifiedTargetName& dependencyName,
                                               const Rilk::Context& output, bool warned,
                                               const Rilk::Builder* tool) {
    const std::string& nested = nestedOutputName(dependency, targetName, dependencyName);
    const Rilk::Context copy(output);
    std::vector<PendingPlusMerge> failed;
    for (const auto& [name, stored] : copy.assignments) {
        const auto found = target.assignments.find(name);
        if (found != target.assignments.end() && holdsContext(found->second.value) &&
            !holdsContext(stored.value)) {
            if (!Util::CiString::equal(name.str(), nested)) {
                throwUnmergeable(name.str(), targetName, dependencyName,
                                 "the target's variable '" + found->second.name +
                                     "' holds a nested context.");
            }
            if (!warned) {
                Rilk::warnOutputCollision("'" + name.str() + "' of " + label(dependencyName),
                                          "an existing context variable", targetName);
            }
            // The modifier is what it would be without the nested context: the target's own
            // when it has a variable of that name (`warned`), else the output's, as a merged
            // variable new here takes it. The dependency's name never adds an output.
            target.addAssignment(
                Rilk::Assignment(name.str(), stored.value, Rilk::AssignType::Set, stored.modifier),
                warned ? Rilk::kKeepModifier : Rilk::kTakeModifier);
            continue;
        }
        const Rilk::Assignment applied(stored.name, stored.value, Rilk::AssignType::Append,
                                       stored.modifier);
        Rilk::warnPathMergedIntoPath(found != target.assignments.end() ? &found->second : nullptr,
                                     applied, targetName, dependencyName, tool);
        try {
            target.addAssignment(applied, Rilk::kKeepModifier);
        } catch (const Rilk::BadOperation& error) {
            Rilk::log(Rilk::LogLevel::Debug, "Exception when adding implicit context: {}\n",
                      error.message());
            failed.push_back({applied, dependencyName});
        } catch (const Rilk::RilkException& error) {
            throwUnmergeable(name.str(), targetName, dependencyName, error.message());
        }
    }
    return failed;
}

void retryPlusMerge(Rilk::Context& target, const Rilk::QualifiedTargetName& targetName,
                    const PendingPlusMerge& pending) {
    try {
        target.addAssignment(pending.append, Rilk::kKeepModifier);
    } catch (const Rilk::VariableError&) {
        throw;
    } catch (const Rilk::LoopFoundException&) {
        throw;
    } catch (const Rilk::RilkException& error) {
        throwUnmergeable(pending.append.name, targetName, pending.dependency, error.message());
    }
}
