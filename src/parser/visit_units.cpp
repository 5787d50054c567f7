// Unit files: the unit declaration and the targets with their parameters, dependencies and
// variable blocks.
#include <memory>

#include "parser/rilk_visitor_impl.h"
#include "types/dependency.h"
#include "types/target.h"
#include "types/unit.h"

antlrcpp::Any RilkVisitorImpl::visitRilkUnit(RilkTopParser::RilkUnitContext* ctx) {
    auto unit = std::make_unique<Rilk::Unit>();
    // The unit name is taken before any target is visited, so that every target of the
    // file carries it in its qualified name.
    if (auto* declaration = ctx->unit_name(); declaration != nullptr) {
        if (declaration->IDENTIFIER() == nullptr) fail(declaration, "the unit name is missing");
        unitName = declaration->IDENTIFIER()->getText();
        unit->name = unitName;
    }
    for (auto* node : ctx->target()) {
        std::unique_ptr<Rilk::Target> target(takeResult<Rilk::Target*>(visitTarget(node)));
        unit->addTarget(std::move(*target));
    }
    return unit.release();
}

antlrcpp::Any RilkVisitorImpl::visitTarget(RilkTopParser::TargetContext* ctx) {
    if (ctx->IDENTIFIER() == nullptr || ctx->context() == nullptr) {
        fail(ctx, "the target is incomplete");
    }
    auto target = std::make_unique<Rilk::Target>();
    target->name =
        Rilk::QualifiedTargetName(targetNamespace, unitName, ctx->IDENTIFIER()->getText());
    for (auto* parameter : ctx->parameter_name()) {
        target->parameterNames.push_back(parameter->getText());
    }
    for (auto* dependency : ctx->dependency()) {
        target->dependencies.push_back(takeResult<Rilk::Dependency>(visitDependency(dependency)));
    }
    std::unique_ptr<UnitContextData> block(
        takeResult<UnitContextData*>(visitContext(ctx->context())));
    target->conditions = std::move(block->conditions);
    target->assignments = std::move(block->assignments);
    return target.release();
}
