#include "types/context.h"
#include "types/context_template.h"
#include "types/rilk_errors.h"

namespace Rilk {

namespace {

using Op = Condition::OperatorType;

/// A condition without operator holds when its left operand resolves without an error.
bool operandResolves(const RilkValuePtr& operand) {
    if (!operand) return false;
    auto* resolvable = dynamic_cast<Resolvable*>(operand.get());
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

}  // namespace

void Context::evaluateConditions() {
    std::size_t i = 0;
    while (i < conditions.size()) {
        const Condition condition = conditions[i];
        bool holds = false;
        switch (condition.type) {
            case Op::Resolves:
                holds = operandResolves(condition.lhs);
                break;
            case Op::Equal:
            case Op::NotEqual:
            case Op::Less:
            case Op::Greater:
                holds = compare(condition);
                break;
            default:
                throw InternalError();
        }
        if (!holds) {
            ++i;
            continue;
        }
        std::vector<Condition> nested;
        if (condition.body) {
            const ContextPtr block = condition.body->createContext();
            addAssignments(*block);
            nested = block->conditions;
            for (const Condition& inner : nested) {
                bind(inner.lhs);
                bind(inner.rhs);
            }
        }
        // The nested blocks take the applied one's place and are evaluated next.
        conditions.erase(conditions.begin() + static_cast<std::ptrdiff_t>(i));
        conditions.insert(conditions.begin() + static_cast<std::ptrdiff_t>(i), nested.begin(),
                          nested.end());
    }
}

}  // namespace Rilk
