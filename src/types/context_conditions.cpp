#include "types/context.h"
#include "types/context_template.h"
#include "types/rilk_errors.h"
#include "types/value_cast.h"

namespace Rilk {

namespace {

using Op = Condition::OperatorType;

/// A condition without operator holds when its left operand resolves without an error.
bool operandResolves(const RilkValuePtr& operand) {
    if (!operand) return false;
    auto* resolvable = asResolvable(operand.get());
    if (!resolvable) return true;
    try {
        resolvable->resolve();
        return true;
    } catch (...) {
        return false;
    }
}

/// A comparison with a variable that has no value: only "no value" equals "no value",
/// and nothing orders against it.
bool compareMissing(Op type, const RilkValuePtr& left, const RilkValuePtr& right) {
    const bool equal = !left && !right;
    if (type == Op::Equal) return equal;
    if (type == Op::NotEqual) return !equal;
    return false;
}

bool compare(const Condition& condition) {
    const RilkValuePtr left = resolveValue(condition.lhs);
    const RilkValuePtr right = resolveValue(condition.rhs);
    if (!left || !right) return compareMissing(condition.type, left, right);
    switch (condition.type) {
        case Op::Equal:
            return left->equals(*right);
        case Op::NotEqual:
            return left->notEquals(*right);
        case Op::Less:
            return left->less(*right);
        default:
            return left->greater(*right);
    }
}

bool holds(const Condition& condition) {
    switch (condition.type) {
        case Op::Resolves:
            return operandResolves(condition.lhs);
        case Op::Equal:
        case Op::NotEqual:
        case Op::Less:
        case Op::Greater:
            return compare(condition);
        default:
            throw InternalError();
    }
}

}  // namespace

void Context::evaluateConditions() {
    // The conditions still to test, the next one last; an applied block's nested
    // conditions go on top, so that they are tested right after it. Those that do not hold
    // are kept in order for a later call.
    std::vector<Condition> pending(conditions.rbegin(), conditions.rend());
    std::vector<Condition> kept;
    try {
        while (!pending.empty()) {
            const bool applies = holds(pending.back());
            const Condition condition = std::move(pending.back());
            pending.pop_back();
            if (!applies) {
                kept.push_back(condition);
                continue;
            }
            if (!condition.body) continue;
            const ContextPtr block = condition.body->createContext();
            addAssignments(*block);
            for (auto inner = block->conditions.rbegin(); inner != block->conditions.rend();
                 ++inner) {
                bind(inner->lhs);
                bind(inner->rhs);
                pending.push_back(*inner);
            }
        }
    } catch (...) {
        // The conditions not applied stay, in their order, for a later call.
        kept.insert(kept.end(), pending.rbegin(), pending.rend());
        conditions = std::move(kept);
        throw;
    }
    conditions = std::move(kept);
}

}  // namespace Rilk
