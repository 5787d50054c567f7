#include "tools/command/no_tool_builder.h"

#include <memory>

#include "types/context.h"
#include "types/target_context.h"

namespace Rilk {

NoToolBuilder::NoToolBuilder()
    : Builder(noToolBuilderTables().inputVariables, noToolBuilderTables().declaredVariables) {}

std::string NoToolBuilder::name() const { return "no_tool"; }

void NoToolBuilder::beginBuild(Context&, const std::size_t&) {}

void NoToolBuilder::endBuild() {}

Context NoToolBuilder::collectOutputs(const Context&, int) { return {}; }

BuildPlan NoToolBuilder::planBuild(const TargetContext&) { return {}; }

ContextPtr NoToolBuilder::wholeTargetJob(const TargetContext& target) const {
    return std::make_shared<TargetContext>(Context(), target.name);
}

std::vector<Recipe> NoToolBuilder::createRecipes(const Context&) { return {}; }

}  // namespace Rilk
