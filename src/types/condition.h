#pragma once

#include <cstdint>
#include <memory>

#include "types/rilk_value.h"

namespace Rilk {

class ContextTemplate;

/// One conditional block, written `if` identifier [operator value] "{" ... "}".
///
/// Copies share the operand values and the body with their source. A context binds the
/// operands to itself when the condition enters it; evaluation binds nothing.
struct Condition {
    /// The test between the resolved operands.
    enum class OperatorType : std::uint32_t {
        Equal = 1,     ///< "=": `equals`
        NotEqual = 2,  ///< "!=": `notEquals`
        Less = 3,      ///< "<": `less`
        Greater = 4,   ///< ">": `greater`
        Resolves = 5,  ///< no operator: the left operand resolves without an error
    };

    /// The identifier written after `if`.
    RilkValuePtr lhs;
    /// The value after the operator; null without an operator.
    RilkValuePtr rhs;
    OperatorType type = OperatorType::Resolves;
    /// The block applied when the test holds.
    std::shared_ptr<ContextTemplate> body;
};

}  // namespace Rilk
