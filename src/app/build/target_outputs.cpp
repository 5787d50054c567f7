#include "app/build/target_outputs.h"

#include <algorithm>
#include <vector>

#include "types/value_cast.h"
#include "util/ordered_lookup.h"

namespace Rilk {

namespace {

Rilk::Assignment ownValue(const Rilk::Assignment& stored, const Rilk::RilkValuePtr& value) {
    return Rilk::Assignment(stored.name, value ? value->clone() : nullptr, Rilk::AssignType::Set,
                            stored.modifier);
}

/// The same value, compared exactly: the language's own equality ignores letter case.
bool sameValue(const Rilk::RilkValuePtr& a, const Rilk::RilkValuePtr& b) {
    if (!a || !b) return !a && !b;
    return a->typeName() == b->typeName() && a->toDisplayString() == b->toDisplayString();
}

/// Whether one of the work items outputs `assignment`'s value under its name.
bool planOutputs(const std::vector<Rilk::WorkItem>& planned, const Rilk::Assignment& assignment) {
    for (const Rilk::WorkItem& item : planned) {
        for (const Rilk::Assignment& output : item.outputs) {
            if (Util::CiString::equal(output.name, assignment.name) &&
                sameValue(output.value, assignment.value)) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

TargetOutputs::TargetOutputs(const Rilk::Context& target, const Rilk::Context& inherited,
                             const std::set<Util::CiString>& commandLine)
    : commandLine_(commandLine) {
    for (const auto& [name, stored] : target.assignments) {
        if (stored.modifier != Rilk::AssignModifier::Up) continue;
        names_.insert(name);
        if (inherited.hasVariable(name.str()) && !commandLine_.contains(name))
            saved_.insert_or_assign(name, ownValue(stored, stored.value));
    }
}

void TargetOutputs::keepCurrentValue(const Rilk::Context& target, const std::string& name) {
    const auto found = target.assignments.find(name);
    if (found == target.assignments.end() || commandLine_.contains(found->first)) return;
    saved_.insert_or_assign(found->first, ownValue(found->second, found->second.value));
}

void TargetOutputs::resolveKeptValues(Rilk::Context& target) {
    for (auto& [name, kept] : saved_) {
        Rilk::Resolvable* resolvable = Rilk::asResolvable(kept.value.get());
        if (resolvable == nullptr) continue;
        resolvable->setResolver(&target);
        kept.value = Rilk::resolveValue(kept.value);
    }
}

const Rilk::Assignment* TargetOutputs::applied(const Rilk::Assignment& stored, bool listed,
                                               const Rilk::Assignment* kept) {
    if (stored.modifier != Rilk::AssignModifier::Up && !listed) return nullptr;
    return kept != nullptr ? kept : &stored;
}

const Rilk::Assignment* TargetOutputs::appliedOutput(const Util::CiString& name,
                                                     const Rilk::Assignment& stored) const {
    const auto kept = saved_.find(name);
    return applied(stored, names_.contains(name), kept != saved_.end() ? &kept->second : nullptr);
}

bool TargetOutputs::setsOwnValue(const Rilk::Context& target, const std::string& name) const {
    const auto found = target.assignments.find(name);
    if (found == target.assignments.end()) return false;
    const Rilk::Assignment* applied = appliedOutput(found->first, found->second);
    return applied != nullptr && applied->type == Rilk::AssignType::Set;
}

void TargetOutputs::addWorkItemOutputs(const Rilk::Context& target, const Rilk::WorkItem& item,
                                       Rilk::Context& output) const {
    // Each output's name is looked up once: none before `firstSet` is set by the target.
    const auto setsOwn = [&](const Rilk::Assignment& produced) {
        return setsOwnValue(target, produced.name);
    };
    const auto firstSet = std::find_if(item.outputs.begin(), item.outputs.end(), setsOwn);
    if (firstSet == item.outputs.end()) {
        output.appendToList(item.outputs);
        return;
    }
    // A list that the target's own value replaces is never seen: only the variable it
    // would have made is made, with the same spelling, operator and modifier, and
    // `fill` gives it its value.
    std::vector<Rilk::Assignment> listed(item.outputs.begin(), firstSet);
    for (auto produced = firstSet; produced != item.outputs.end(); ++produced) {
        if (produced == firstSet || setsOwn(*produced)) {
            output.assignments.try_emplace(produced->name, produced->name, nullptr,
                                           Rilk::AssignType::Set, produced->modifier);
        } else {
            listed.push_back(*produced);
        }
    }
    if (!listed.empty()) output.appendToList(listed);
}

void TargetOutputs::fill(const Rilk::Context& target, const std::vector<Rilk::WorkItem>& planned,
                         Rilk::Context& output) const {
    output = Rilk::Context();
    for (const Rilk::WorkItem& item : planned) addWorkItemOutputs(target, item, output);
    applyOutputVariables(target, planned, output);
}

void TargetOutputs::applyOutputVariables(const Rilk::Context& target,
                                         const std::vector<Rilk::WorkItem>& planned,
                                         Rilk::Context& output) const {
    // `appliedOutput` of each variable, with the output names and kept values walked
    // alongside the target's variables (all in the same order) rather than searched.
    Rilk::OrderedLookup<std::set<Util::CiString>> outputNames(names_);
    Rilk::OrderedLookup<Rilk::AssignmentMap> keptValues(saved_);
    for (const auto& [name, stored] : target.assignments) {
        const auto* kept = keptValues.find(name);
        const Rilk::Assignment* chosen = applied(stored, outputNames.find(name) != nullptr,
                                                 kept != nullptr ? &kept->second : nullptr);
        if (chosen == nullptr) continue;
        if (chosen->type == Rilk::AssignType::Append && planOutputs(planned, *chosen)) continue;
        output.addAssignment(*chosen, Rilk::kKeepModifier);
    }
}

}  // namespace Rilk
