#include "app/target_outputs.h"

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

bool planOutputs(const JobPlan& plan, const Rilk::Assignment& assignment) {
    for (const Rilk::WorkItem& item : plan.workItems) {
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

TargetOutputs::TargetOutputs(const Rilk::Context& target, const Rilk::Context& inherited) {
    for (const auto& [name, stored] : target.assignments) {
        if (stored.modifier != Rilk::AssignModifier::Up) continue;
        names_.insert(name);
        if (inherited.hasVariable(name.str()))
            saved_.insert_or_assign(name, ownValue(stored, stored.value));
    }
}

void TargetOutputs::keepCurrentValue(const Rilk::Context& target, const std::string& name) {
    const auto found = target.assignments.find(name);
    if (found == target.assignments.end()) return;
    saved_.insert_or_assign(found->first, ownValue(found->second, found->second.value));
}

void TargetOutputs::fill(const Rilk::Context& target, const JobPlan& plan,
                         Rilk::Context& output) const {
    if (plan.cached) {
        output = Rilk::Context();
        for (const Rilk::WorkItem& item : plan.workItems) output.appendToList(item.outputs);
    }
    for (const auto& [name, stored] : target.assignments) {
        if (stored.modifier != Rilk::AssignModifier::Up && !names_.contains(name)) continue;
        const auto kept = saved_.find(name);
        const Rilk::Assignment& applied = kept != saved_.end() ? kept->second : stored;
        if (applied.type == Rilk::AssignType::Append && planOutputs(plan, applied)) continue;
        output.addAssignment(applied, Rilk::kKeepModifier);
    }
}
