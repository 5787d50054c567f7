// Context blocks and their conditional blocks.
#include <memory>

#include "parser/rilk_visitor_impl.h"
#include "types/context_template.h"
#include "types/rilk_identifier.h"

antlrcpp::Any RilkVisitorImpl::visitContext(RilkTopParser::ContextContext* ctx) {
    NestingScope scope(*this, ctx);
    auto data = std::make_unique<UnitContextData>();
    // All assignments of a block come before its conditional blocks, whatever the order
    // in the text.
    for (auto* assignment : ctx->assignment()) {
        data->assignments.push_back(takeResult<Rilk::Assignment>(visitAssignment(assignment)));
    }
    for (auto* block : ctx->cond_context()) {
        if (block->condition() == nullptr || block->context() == nullptr) {
            fail(block, "a conditional block is incomplete");
        }
        auto condition = takeResult<Rilk::Condition>(visitCondition(block->condition()));
        condition.body = blockTemplate(block->context());
        data->conditions.push_back(std::move(condition));
    }
    return data.release();
}

std::shared_ptr<Rilk::ContextTemplate> RilkVisitorImpl::blockTemplate(
    RilkTopParser::ContextContext* ctx) {
    std::unique_ptr<UnitContextData> block(takeResult<UnitContextData*>(visitContext(ctx)));
    return std::make_shared<Rilk::ContextTemplate>(std::move(block->assignments),
                                                   std::move(block->conditions));
}

antlrcpp::Any RilkVisitorImpl::visitCondition(RilkTopParser::ConditionContext* ctx) {
    auto* expression = ctx->bool_expr();
    if (expression == nullptr || expression->identifier() == nullptr) {
        fail(ctx, "the condition is missing");
    }
    Rilk::Condition condition;
    condition.lhs = std::make_shared<Rilk::RilkIdentifier>(
        takeResult<Rilk::Identifier>(visitIdentifier(expression->identifier())));
    if (expression->valueNode() != nullptr && expression->bool_operator() != nullptr) {
        condition.rhs = takeResult<Rilk::RilkValuePtr>(visitValueNode(expression->valueNode()));
        condition.type = takeResult<Rilk::Condition::OperatorType>(
            visitBool_operator(expression->bool_operator()));
    } else {
        condition.type = Rilk::Condition::OperatorType::Resolves;
    }
    return condition;
}

antlrcpp::Any RilkVisitorImpl::visitBool_operator(RilkTopParser::Bool_operatorContext* ctx) {
    using Type = Rilk::Condition::OperatorType;
    if (ctx->EQUALS() != nullptr) return Type::Equal;
    if (ctx->NEQUALS() != nullptr) return Type::NotEqual;
    if (ctx->LESSER() != nullptr) return Type::Less;
    if (ctx->GREATER() != nullptr) return Type::Greater;
    return nullptr;
}
