#include "types/context.h"

#include <fmt/format.h>

#include "types/rilk_base_string.h"
#include "types/rilk_errors.h"
#include "types/rilk_list.h"
#include "types/value_cast.h"
#include "util/logger.h"

namespace Rilk {

namespace {

/// Changes an existing variable's value by the operator of `applied`. Returns false when
/// the operator leaves the variable as it is ("?=" on a variable with a value).
bool applyOperator(Assignment& stored, const Assignment& applied) {
    switch (applied.type) {
        case AssignType::Set:
            stored.value = applied.value;
            return true;
        case AssignType::Append:
            if (!stored.value) {
                stored.value = applied.value;
            } else if (applied.value) {
                // A text other contexts hold too changes by copy; they never see it.
                const auto* text = valueCast<const RilkBaseString>(stored.value.get());
                if (text && text->isShared()) stored.value = stored.value->clone();
                stored.value->append(*applied.value);
            }
            return true;
        case AssignType::SetIfUnset:
            if (stored.value) return false;
            stored.value = applied.value;
            return true;
        case AssignType::Declare:
            stored.value = nullptr;
            return true;
    }
    throw AssignmentException(stored, applied);
}

}  // namespace

void Context::bind(const RilkValuePtr& value) {
    if (auto* resolvable = asResolvable(value.get())) resolvable->setResolver(this);
}

void Context::addAssignment(const Assignment& assignment, unsigned mode) {
    // One walk of the tree finds the variable or the place for it.
    auto found = assignments.lower_bound(assignment.name);
    if (found == assignments.end() || Util::CiString::less(assignment.name, found->first.str())) {
        found = assignments.emplace_hint(found, assignment.name, assignment);
        bind(found->second.value);
        return;
    }
    Assignment& stored = found->second;
    if (!Util::CiString::equal(stored.name, assignment.name)) {
        throw AssignmentException(stored, assignment);
    }
    // A list bound here already needs only the elements an append adds bound: binding the
    // whole list on every "+=" would make a run of appends cost quadratic time.
    auto* list = valueCast<RilkList>(stored.value.get());
    const bool boundList = assignment.type == AssignType::Append && assignment.value && list &&
                           list->resolver() == this;
    const std::size_t kept = boundList ? list->elements().size() : 0;
    if (applyOperator(stored, assignment)) {
        if (mode == kTakeModifier) stored.modifier = assignment.modifier;
    }
    stored.resolved = false;
    if (!boundList) {
        bind(stored.value);
        return;
    }
    const std::vector<RilkValuePtr>& elements = list->elements();
    for (std::size_t i = kept; i < elements.size(); ++i) bind(elements[i]);
}

bool Context::addIfNew(const Assignment& assignment) {
    const auto found = assignments.lower_bound(assignment.name);
    if (found != assignments.end() && !Util::CiString::less(assignment.name, found->first.str())) {
        return false;
    }
    bind(assignments.emplace_hint(found, assignment.name, assignment)->second.value);
    return true;
}

void Context::markUnresolved(Assignment& stored) {
    stored.resolved = false;
    bind(stored.value);
}

Context& Context::addAssignments(const Context& other) {
    for (const auto& [name, stored] : other.assignments) addAssignment(stored, kKeepModifier);
    return *this;
}

void Context::addConditions(const Context& other) {
    // `other` may be this context: copy only the conditions it held on entry, by position,
    // since appending may move the vector's elements.
    const std::size_t count = other.conditions.size();
    for (std::size_t i = 0; i < count; ++i) {
        conditions.push_back(other.conditions[i]);
        bind(conditions.back().lhs);
        bind(conditions.back().rhs);
    }
}

bool Context::hasVariable(const std::string& name) const { return assignments.contains(name); }

RilkValuePtr Context::getVariable(const std::string& name) const {
    const auto found = assignments.find(name);
    if (found == assignments.end()) throw NotFoundException("Variable", name);
    return found->second.value;
}

std::string Context::getString(const std::string& name, const std::string& defaultText) const {
    const auto found = assignments.find(name);
    if (found == assignments.end() || !found->second.value) return defaultText;
    return found->second.value->toString();
}

std::string Context::getString(const std::string& name) const { return getString(name, ""); }

void Context::appendToList(const std::vector<Assignment>& items) {
    for (const Assignment& item : items) {
        auto found = assignments.find(item.name);
        std::shared_ptr<RilkList> list;
        if (found == assignments.end()) {
            list = std::make_shared<RilkList>();
            assignments.emplace(item.name,
                                Assignment(item.name, list, AssignType::Set, item.modifier));
        } else if (!(list = valuePointerCast<RilkList>(found->second.value))) {
            Assignment& stored = found->second;
            list = std::make_shared<RilkList>();
            if (stored.value) list->append(*stored.value);
            // The variable keeps the spelling it was first stored with.
            stored = Assignment(stored.name, list, AssignType::Set, stored.modifier);
        }
        if (item.value) list->append(*item.value);
    }
}

void Context::print(int level) const {
    if (level < verbosity) return;
    std::string lines;
    for (const auto& [name, stored] : assignments) lines += stored.toString() + "\n";
    log(level, "{{\n{}}}\n\n", lines);
}

}  // namespace Rilk
