#include "app/build/dependency_output_store.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <variant>

#include "app/build/output_collision.h"
#include "app/build/second_try.h"
#include "types/rilk_context_value.h"
#include "types/rilk_errors.h"
#include "types/value_cast.h"
#include "util/logger.h"

namespace Rilk {

namespace {

using Rilk::Assignment;
using Rilk::AssignModifier;
using Rilk::AssignType;

bool sameUnitAndNamespace(const Rilk::QualifiedTargetName& a, const Rilk::QualifiedTargetName& b) {
    return Util::CiString::equal(a.unit, b.unit) && Util::CiString::equal(a.ns, b.ns);
}

Rilk::RilkValuePtr nestedValue(const Rilk::ContextPtr& context) {
    return std::make_shared<Rilk::RilkContext>(context);
}

std::string displayText(const Rilk::RilkValuePtr& value) {
    return value ? value->toDisplayString() : std::string();
}

/// " 'Name'" with the target's own spelling of the variable `name`, when it differs from
/// `name` (names are case-insensitive), so that a message names both; empty otherwise.
std::string otherSpelling(const Rilk::Context& target, const std::string& name) {
    const auto found = target.assignments.find(name);
    if (found == target.assignments.end() || found->second.name == name) return {};
    return " '" + found->second.name + "'";
}

/// The name a dependency's outputs are reached under in the target `targetName`: its
/// alias, its target's name in the target's own unit, else unit::target.
std::string reachedAs(const Rilk::Dependency& dependency, const Rilk::QualifiedTargetName& name,
                      const Rilk::QualifiedTargetName& targetName) {
    if (!dependency.alias.empty()) return dependency.alias;
    if (sameUnitAndNamespace(name, targetName)) return name.target;
    return name.unit + "::" + name.target;
}

}  // namespace

DependencyOutputStore::DependencyOutputStore(Rilk::Context& target,
                                             const Rilk::QualifiedTargetName& targetName,
                                             const Rilk::Builder* tool)
    : target_(target), targetName_(targetName), tool_(tool) {}

void DependencyOutputStore::warnCollision(const Rilk::Context& target,
                                          const Rilk::QualifiedTargetName& targetName,
                                          const Rilk::QualifiedTargetName& dependencyName,
                                          const std::string& alias,
                                          const std::function<std::string()>& note) {
    const auto noteText = [&] { return note ? note() : std::string(); };
    const std::string variable = "an existing context variable";
    if (!alias.empty()) {
        if (target.hasVariable(alias)) {
            warnOutputCollision(describedOutput(alias, dependencyName, targetName),
                                variable + otherSpelling(target, alias), targetName, noteText());
        }
        return;
    }
    if (sameUnitAndNamespace(dependencyName, targetName)) {
        if (target.hasVariable(dependencyName.target)) {
            warnOutputCollision(describedOutput(alias, dependencyName, targetName),
                                variable + otherSpelling(target, dependencyName.target), targetName,
                                noteText());
        }
        return;
    }
    if (!target.hasVariable(dependencyName.unit)) return;
    const auto* unitValue =
        Rilk::valueCast<const Rilk::RilkContext>(target.getVariable(dependencyName.unit).get());
    if (unitValue == nullptr || !unitValue->context()) {
        warnOutputCollision(
            describedOutput(alias, dependencyName, targetName),
            variable + " '" + target.assignments.find(dependencyName.unit)->second.name + "'",
            targetName);
    } else if (unitValue->context()->hasVariable(dependencyName.target)) {
        warnOutputCollision(describedOutput(alias, dependencyName, targetName),
                            "an existing dependency output", targetName, noteText());
    }
}

std::string DependencyOutputStore::namesakeNote(const Rilk::Dependency& dependency,
                                                const Rilk::QualifiedTargetName& name) const {
    if (dependencies_ == nullptr) return {};
    const std::string reached = reachedAs(dependency, name, targetName_);
    for (const Rilk::Dependency& other : *dependencies_) {
        if (&other == &dependency) return {};
        const auto* written = std::get_if<Rilk::QualifiedTargetName>(&other.target);
        if (written == nullptr) continue;
        const std::string otherReached =
            reachedAs(other, written->within(targetName_), targetName_);
        // Names alike only ignoring letter case are left to the warning's own words.
        if (otherReached != reached) continue;
        const std::string named =
            !dependency.alias.empty() ? "have the alias '" + dependency.alias + "'"
            : sameUnitAndNamespace(name, targetName_)
                ? "are named '" + name.target + "'"
                : "are named '" + name.target + "' in a unit '" + name.unit + "'";
        return "; both dependencies " + named +
               ", and '=> name' after one of them gives its outputs a name of their own";
    }
    return {};
}

std::string DependencyOutputStore::describedOutput(const std::string& alias,
                                                   const Rilk::QualifiedTargetName& dependencyName,
                                                   const Rilk::QualifiedTargetName& targetName) {
    const std::string dependency = dependencyName.shownName();
    if (!alias.empty()) return "alias '" + alias + "' of " + dependency;
    if (sameUnitAndNamespace(dependencyName, targetName)) {
        return "'" + dependencyName.target + "' of " + dependency;
    }
    return "'" + dependency + "'";
}

void DependencyOutputStore::warnToolVariable(const std::string& nested,
                                             const Rilk::Dependency& dependency,
                                             const Rilk::QualifiedTargetName& dependencyName,
                                             const Rilk::Context& output) const {
    if (tool_ == nullptr) return;
    for (const auto& [variable, spec] : tool_->declaredVariables) {
        if (!Util::CiString::equal(variable.str(), nested)) continue;
        // A '+' merge of an output of that name replaces the outputs, and warns itself.
        if (dependency.modifier == Rilk::Dependency::kPlus && output.hasVariable(nested)) return;
        warnOutputCollision(
            describedOutput(dependency.alias, dependencyName, targetName_),
            "the variable '" + variable.str() + "' of its tool '" + tool_->name() + "'",
            targetName_);
        return;
    }
}

void DependencyOutputStore::appendNested(const std::string& name, const Rilk::RilkValuePtr& value,
                                         const Rilk::QualifiedTargetName& dependencyName) {
    try {
        target_.addAssignment(Assignment(name, value, AssignType::Append, AssignModifier::None),
                              Rilk::kKeepModifier);
    } catch (const Rilk::RilkException& error) {
        // The collision warning came first; the variable keeps its own value.
        const std::string spelling = otherSpelling(target_, name);
        Rilk::log(Rilk::LogLevel::Warning,
                  "Dependency output '{}' is not added to context variable '{}'{}, whose "
                  "value cannot take it: {}\n",
                  dependencyName.shownName(),
                  spelling.empty() ? name : target_.assignments.find(name)->second.name,
                  spelling.empty() ? "" : " (named '" + name + "' here)", error.message());
    }
}

std::pair<const std::string*, Rilk::RilkValuePtr> DependencyOutputStore::placement(
    const Rilk::Dependency& dependency, const Rilk::QualifiedTargetName& name,
    const Rilk::RilkValuePtr& wrapped) const {
    if (!dependency.alias.empty()) return {&dependency.alias, wrapped};
    if (sameUnitAndNamespace(name, targetName_)) return {&name.target, wrapped};
    auto unitContext = std::make_shared<Rilk::Context>();
    unitContext->addAssignment(Assignment(name.target, wrapped, AssignType::Set, AssignModifier::None),
                               Rilk::kKeepModifier);
    return {&name.unit, nestedValue(unitContext)};
}

bool DependencyOutputStore::addOutput(const Rilk::Dependency& dependency,
                                      const Rilk::QualifiedTargetName& name,
                                      const Rilk::ContextPtr& output) {
    // The output itself is shown when nothing can change it through this target; the
    // target gets a copy of its own otherwise.
    const bool shared = Rilk::isReadOnlyShareable(*output);
    const Rilk::RilkValuePtr wrapped =
        shared ? Rilk::RilkValuePtr(Rilk::RilkContext::readOnlyView(output))
               : nestedValue(std::make_shared<Rilk::Context>(*output));
    auto [nested, value] = placement(dependency, name, wrapped);
    // A name new here needs no warning and takes the value as "+=" would give it: one search
    // of the target's variables, which for a top target with many dependencies are many.
    if (target_.addIfNew(Assignment(*nested, value, AssignType::Append, AssignModifier::None))) {
        warnToolVariable(*nested, dependency, name, *output);
        return false;
    }
    warnCollision(target_, targetName_, name, dependency.alias,
                  [&] { return namesakeNote(dependency, name); });
    // "+=" merges the outputs into what the name holds, values and all: a copy of their own.
    if (shared) {
        value = placement(dependency, name, nestedValue(std::make_shared<Rilk::Context>(*output)))
                    .second;
    }
    appendNested(*nested, value, name);
    return true;
}

void DependencyOutputStore::addMergedAliasOutput(const Rilk::Dependency& dependency,
                                                 const Rilk::QualifiedTargetName& name,
                                                 const Rilk::ContextPtr& output) {
    if (dependency.alias.empty()) throw Rilk::InternalError();
    Rilk::ContextPtr& shared = mergedAliases_[dependency.alias];
    if (!shared) {
        warnCollision(target_, targetName_, name, dependency.alias,
                      [&] { return namesakeNote(dependency, name); });
        if (!target_.hasVariable(dependency.alias)) {
            warnToolVariable(dependency.alias, dependency, name, *output);
        }
        shared = std::make_shared<Rilk::Context>();
        appendNested(dependency.alias, nestedValue(shared), name);
        // When the alias already held a nested context, "+=" merged into that one: it is
        // the context the target sees, so later outputs of the alias must go there too.
        const auto* seen =
            Rilk::valueCast<const Rilk::RilkContext>(target_.getVariable(dependency.alias).get());
        if (seen != nullptr && seen->context()) shared = seen->contextForChange();
    }
    std::vector<Assignment> failed = shared->addContext(
        *output, operatorOverride(AssignType::Append), Rilk::kKeepModifier, false);
    if (failed.empty()) return;
    auto& pending = mergedFailures_[dependency.alias];
    pending.insert(pending.end(), failed.begin(), failed.end());
}

void DependencyOutputStore::retryMergedFailures() {
    for (const auto& [alias, failed] : mergedFailures_) {
        const Rilk::ContextPtr& shared = mergedAliases_.at(alias);
        for (const Assignment& assignment : failed) {
            Rilk::log(Rilk::LogLevel::Trace,
                      "Second try adding merged dependency output append {}.\n",
                      displayText(assignment.value));
            // As the first try says it, with the alias the variable is reached under.
            addOnSecondTry(*shared, assignment, alias.str() + "." + assignment.name,
                           "the merged value cannot be joined to the one it has");
        }
    }
}

}  // namespace Rilk
