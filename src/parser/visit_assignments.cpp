// Assignments: modifier, name, operator and value.
#include <stdexcept>

#include "parser/rilk_visitor_impl.h"

antlrcpp::Any RilkVisitorImpl::visitAssignment(RilkTopParser::AssignmentContext* ctx) {
    if (ctx->IDENTIFIER() == nullptr) fail(ctx, "the assigned name is missing");
    // The modifier is checked before the value is visited, so a refused "!" is reported
    // before any error inside the value.
    Rilk::AssignModifier modifier = assignModifier(ctx);
    Rilk::RilkValuePtr value;
    if (ctx->valueNode() != nullptr) {
        value = takeResult<Rilk::RilkValuePtr>(visitValueNode(ctx->valueNode()));
    }
    return Rilk::Assignment(ctx->IDENTIFIER()->getText(), value, assignType(ctx), modifier);
}

antlrcpp::Any RilkVisitorImpl::visitAssign_operator(RilkTopParser::Assign_operatorContext* ctx) {
    using Type = Rilk::Assignment::AssignType;
    if (ctx->EQUALS() != nullptr) return Type::Set;
    if (ctx->APPEND() != nullptr) return Type::Append;
    if (ctx->ASSIGNEMPTY() != nullptr) return Type::SetIfUnset;
    return nullptr;
}

Rilk::AssignModifier RilkVisitorImpl::assignModifier(RilkTopParser::AssignmentContext* ctx) {
    auto* modifier = ctx->assignment_modifier();
    if (modifier == nullptr) return Rilk::AssignModifier::None;
    if (modifier->UP() != nullptr) return Rilk::AssignModifier::Up;
    if (fileKind != Registry && !allowMustModifier) {
        const std::string refusal = "'!' assignment modifier is not allowed in this context.";
        // In a file the place is told as for every other error of the file; a single
        // assignment's caller names the text itself.
        if (sourcePath.empty()) throw std::runtime_error(refusal);
        fail(modifier, refusal);
    }
    return Rilk::AssignModifier::Must;
}

Rilk::Assignment::AssignType RilkVisitorImpl::assignType(RilkTopParser::AssignmentContext* ctx) {
    if (ctx->assign_operator() == nullptr) return Rilk::Assignment::AssignType::Declare;
    return takeResult<Rilk::Assignment::AssignType>(visitAssign_operator(ctx->assign_operator()));
}
