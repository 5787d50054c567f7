#include "types/exact_equality.h"

#include <algorithm>
#include <vector>

#include "types/context.h"
#include "types/rilk_context_value.h"
#include "types/rilk_identifier.h"
#include "types/rilk_value_types.h"
#include "types/value_cast.h"

namespace Rilk {
namespace {

template <typename T, typename Same>
bool sameSequence(const std::vector<T>& a, const std::vector<T>& b, Same same) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), same);
}

bool sameIdentifier(const Identifier& a, const Identifier& b);

bool sameIndex(const IndexExpr& a, const IndexExpr& b) {
    if (a.index() != b.index()) return false;
    if (a.index() != kIdentifierIndex) return a == b;
    const auto& x = std::get<kIdentifierIndex>(a);
    const auto& y = std::get<kIdentifierIndex>(b);
    return x && y ? sameIdentifier(*x, *y) : x == y;
}

bool sameIdentifier(const Identifier& a, const Identifier& b) {
    return sameSequence(a.segments, b.segments, [](const auto& x, const auto& y) {
        return x.name == y.name && sameSequence(x.indices, y.indices, sameIndex);
    });
}

bool sameCondition(const Condition& a, const Condition& b) {
    return a.type == b.type && sameValue(a.lhs, b.lhs) && sameValue(a.rhs, b.rhs) &&
           sameTemplate(a.body, b.body);
}

bool sameContext(const Context& a, const Context& b) {
    if (!std::equal(a.assignments.begin(), a.assignments.end(), b.assignments.begin(),
                    b.assignments.end(), [](const auto& x, const auto& y) {
                        return x.first.str() == y.first.str() && sameAssignment(x.second, y.second);
                    })) {
        return false;
    }
    return sameSequence(a.conditions, b.conditions, sameCondition);
}

template <typename T>
const T* as(const RilkValuePtr& value) {
    return valueCast<const T>(value.get());
}

}  // namespace

bool sameValue(const RilkValuePtr& a, const RilkValuePtr& b) {
    if (!a || !b) return !a && !b;
    if (a->typeName() != b->typeName()) return false;
    if (const auto* x = as<RilkPathString>(a)) {
        const auto* y = as<RilkPathString>(b);
        return y != nullptr && x->fullPath() == y->fullPath();
    }
    if (as<RilkPathString>(b) != nullptr) return false;
    if (const auto* x = as<RilkBaseString>(a)) return x->text() == as<RilkBaseString>(b)->text();
    if (const auto* x = as<RilkList>(a)) {
        return sameSequence(x->elements(), as<RilkList>(b)->elements(),
                            [](const auto& p, const auto& q) { return sameValue(p, q); });
    }
    if (const auto* x = as<RilkIdentifier>(a)) {
        return sameIdentifier(x->identifier(), as<RilkIdentifier>(b)->identifier());
    }
    if (const auto* x = as<RilkContext>(a)) {
        const auto& p = x->context();
        const auto& q = as<RilkContext>(b)->context();
        return p && q ? sameContext(*p, *q) : p == q;
    }
    return a->toString() == b->toString();
}

bool sameAssignment(const Assignment& a, const Assignment& b) {
    return a.name == b.name && a.type == b.type && a.modifier == b.modifier &&
           sameValue(a.value, b.value);
}

bool sameTemplate(const std::shared_ptr<ContextTemplate>& a,
                  const std::shared_ptr<ContextTemplate>& b) {
    if (!a || !b) return !a && !b;
    return sameSequence(a->assignments, b->assignments, sameAssignment) &&
           sameSequence(a->conditions, b->conditions, sameCondition);
}

}  // namespace Rilk
