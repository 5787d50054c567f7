#include "types/context.h"

#include <tuple>
#include <utility>

#include "types/rilk_context_value.h"
#include "types/rilk_string.h"
#include "types/value_cast.h"

namespace Rilk {

namespace {

Resolver* resolverOf(const RilkValuePtr& value) {
    const auto* resolvable = asResolvable(value.get());
    return resolvable ? resolvable->resolver() : nullptr;
}

void setResolverOf(const RilkValuePtr& value, Resolver* resolver) {
    auto* resolvable = asResolvable(value.get());
    if (resolvable && resolver) resolvable->setResolver(resolver);
}

/// An independent copy of a value held by `source`, for `target`: a value that resolved
/// in `source` resolves in `target`; one bound elsewhere keeps that resolver.
RilkValuePtr copyFor(const RilkValuePtr& value, const Context& source, Context& target) {
    RilkValuePtr copy = independentCopy(value);
    Resolver* resolver = resolverOf(value);
    setResolverOf(copy, resolver == &source ? &target : resolver);
    return copy;
}

/// Whether a template's value may become a context's own as it is, instead of a copy: a
/// text, path or number that nothing else holds and no context has bound or shared, so
/// that a copy would be the same value (`independentCopy` of it is a `clone`).
bool isTakeable(const RilkValuePtr& value) {
    if (value.use_count() != 1 || resolverOf(value) != nullptr) return false;
    if (const auto* text = valueCast<const RilkBaseString>(value.get())) return !text->isShared();
    return value->kind() == ValueKind::Int;
}

/// After a move, the values that resolved in the moved-from context resolve here.
void rebind(const RilkValuePtr& value, const Context& old, Context& target) {
    if (resolverOf(value) == &old) setResolverOf(value, &target);
}

/// The value as a plain text that contexts can share instead of copying, or null: such a
/// text is left as it is by resolving, and appending to it copies it first. A text shared
/// already was found plain when it was first shared, and nothing changes it since.
RilkString* shareableText(const RilkValuePtr& value) {
    auto* text = valueCast<RilkString>(value.get());
    if (text == nullptr || text->kind() != ValueKind::String) return nullptr;
    return text->isShared() || text->isPlainText() ? text : nullptr;
}

/// Whether no variable of `source` is named like one of `own` (both in name order), and
/// each of `source` is keyed by its name exactly as spelled.
bool namedApart(const AssignmentMap& own, const AssignmentMap& source) {
    auto mine = own.begin();
    for (const auto& [key, stored] : source) {
        if (key.str() != stored.name) return false;
        while (mine != own.end() && Util::CiString::less(mine->first.str(), key.str())) ++mine;
        if (mine != own.end() && !Util::CiString::less(key.str(), mine->first.str())) return false;
    }
    return true;
}

}  // namespace

Context::Context(const Context& other) : Resolver(other), std::enable_shared_from_this<Context>() {
    copyFrom(other);
}

Context& Context::operator=(const Context& other) {
    if (this != &other) {
        conditions.clear();
        assignments.clear();
        copyFrom(other);
    }
    return *this;
}

Context::Context(Context&& other) noexcept
    : Resolver(other),
      std::enable_shared_from_this<Context>(),
      conditions(std::move(other.conditions)),
      assignments(std::move(other.assignments)) {
    rebindAfterMove(other);
}

Context& Context::operator=(Context&& other) noexcept {
    if (this != &other) {
        conditions = std::move(other.conditions);
        assignments = std::move(other.assignments);
        rebindAfterMove(other);
    }
    return *this;
}

void Context::copyFrom(const Context& other) {
    // This context is empty and takes the variables in their own order: each goes last.
    for (const auto& [key, stored] : other.assignments) {
        Assignment copy = stored;
        copy.value = copyFor(stored.value, other, *this);
        assignments.emplace_hint(assignments.end(), key, std::move(copy));
    }
    for (const Condition& condition : other.conditions) {
        Condition copy = condition;
        copy.lhs = copyFor(condition.lhs, other, *this);
        copy.rhs = copyFor(condition.rhs, other, *this);
        conditions.push_back(std::move(copy));
    }
}

std::vector<Assignment> Context::addCopyOf(const Context& source, unsigned mode) {
    // Fewer variables here than in `source`, none named alike (a target and the variables
    // it inherits): `source`'s tree is copied whole, node by node without a comparison,
    // and this context's own nodes are moved into it. The variables and values are those
    // the walk below makes, for far less work.
    if (assignments.size() < source.assignments.size() &&
        namedApart(assignments, source.assignments)) {
        AssignmentMap merged(source.assignments);
        for (auto& [key, stored] : merged) {
            RilkString* text = shareableText(stored.value);
            if (text != nullptr) {
                text->markShared();
            } else if (RilkValuePtr copied = copyFor(stored.value, source, *this)) {
                stored.value = std::move(copied);
            }
            bind(stored.value);
        }
        while (!assignments.empty()) merged.insert(assignments.extract(assignments.begin()));
        assignments.swap(merged);
        return {};
    }
    std::vector<Assignment> failed;
    // Both maps are in name order, so one forward walk over this context finds the place
    // of each variable of `source`; a variable new here is stored right there, the others
    // go through `addAssignment`.
    auto place = assignments.begin();
    for (const auto& [key, stored] : source.assignments) {
        while (place != assignments.end() && Util::CiString::less(place->first.str(), key.str())) {
            ++place;
        }
        const bool isNew =
            place == assignments.end() || Util::CiString::less(key.str(), place->first.str());
        RilkString* text = shareableText(stored.value);
        if (text != nullptr) text->markShared();
        if (isNew) {
            RilkValuePtr copied = text == nullptr ? copyFor(stored.value, source, *this) : nullptr;
            place = assignments.emplace_hint(place, stored.name, stored);
            if (copied) place->second.value = std::move(copied);
            bind(place->second.value);
            continue;
        }
        if (text != nullptr) {
            addMerged(stored, mode, failed);
            continue;
        }
        Assignment copy = stored;
        copy.value = copyFor(stored.value, source, *this);
        addMerged(copy, mode, failed);
    }
    return failed;
}

void Context::rebindAfterMove(const Context& old) {
    for (auto& [key, stored] : assignments) rebind(stored.value, old, *this);
    for (const Condition& condition : conditions) {
        rebind(condition.lhs, old, *this);
        rebind(condition.rhs, old, *this);
    }
}

Context::Context(const std::vector<Assignment>& assignmentList,
                 const std::vector<Condition>& conditionList) {
    for (const Assignment& source : assignmentList) {
        addTemplateAssignment(
            Assignment(source.name, independentCopy(source.value), source.type, source.modifier));
    }
    addTemplateConditions(conditionList);
}

Context::Context(std::vector<Assignment>&& assignmentList,
                 const std::vector<Condition>& conditionList) {
    for (Assignment& source : assignmentList) {
        if (!isTakeable(source.value)) source.value = independentCopy(source.value);
        addTemplateAssignment(std::move(source));
    }
    addTemplateConditions(conditionList);
}

void Context::addTemplateAssignment(Assignment made) {
    // A name not held yet is stored as `addAssignment` stores it, but moved in rather than
    // copied a second time; a repeated name goes through `addAssignment`.
    auto found = assignments.lower_bound(made.name);
    if (found == assignments.end() || Util::CiString::less(made.name, found->first.str())) {
        // The key is made from the name before the assignment is moved into the node.
        found = assignments.emplace_hint(found, std::piecewise_construct,
                                         std::forward_as_tuple(made.name),
                                         std::forward_as_tuple(std::move(made)));
        bind(found->second.value);
        return;
    }
    addAssignment(made, kKeepModifier);
}

void Context::addTemplateConditions(const std::vector<Condition>& conditionList) {
    for (const Condition& source : conditionList) {
        Condition copy = source;
        copy.lhs = independentCopy(source.lhs);
        copy.rhs = independentCopy(source.rhs);
        bind(copy.lhs);
        bind(copy.rhs);
        conditions.push_back(std::move(copy));
    }
}

}  // namespace Rilk
