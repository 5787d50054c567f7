#include "tools/command/basic_builder.h"

#include <utility>

#include "types/rilk_context_types.h"
#include "types/rilk_value_types.h"
#include "types/value_cast.h"

namespace Rilk {

namespace {

/// Where a target variable goes in the plan.
enum class PlanPart { None, Output, Setting, Input };

/// The variables that say how the commands run rather than what they consume.
bool isCommandSetting(const Util::CiString& name) {
    return Util::CiString::equal(name.str(), "cmdline") || Util::CiString::equal(name.str(), "cwd");
}

PlanPart planPartOf(const Util::CiString& name, const Assignment& assignment) {
    if (!assignment.value) return PlanPart::None;
    if (assignment.modifier == AssignModifier::Up) return PlanPart::Output;
    return isCommandSetting(name) ? PlanPart::Setting : PlanPart::Input;
}

}  // namespace

BasicBuilder::BasicBuilder() : Builder({}, makeVariableSpecTable({"cmdline"})) {}

std::string BasicBuilder::name() const { return commandVariable; }

std::string BasicBuilder::unwrittenOutputHint() const {
    return "A command target's outputs ('^') name the files its command writes.";
}

void BasicBuilder::beginBuild(Context&, const std::size_t&) {}

void BasicBuilder::endBuild() {}

Context BasicBuilder::collectOutputs(const Context&, int jobResult) {
    Context outputs;
    outputs.addAssignment(Assignment("result", std::make_shared<RilkInt>(jobResult),
                                     AssignType::Set, AssignModifier::None),
                          kKeepModifier);
    return outputs;
}

BuildPlan BasicBuilder::planBuild(const TargetContext& target) {
    // One walk: the inputs get room for every variable at once, the settings for both
    // there can be; a command target has one output.
    BuildPlan plan;
    WorkItem item;
    item.inputs.reserve(target.assignments.size());
    plan.context.reserve(2);
    for (const auto& [key, assignment] : target.assignments) {
        const PlanPart part = planPartOf(key, assignment);
        if (part == PlanPart::None) continue;
        // The plan shares the resolved values; what the cache keeps of it is copied there.
        const RilkValuePtr& value = assignment.value;
        if (part == PlanPart::Output) {
            item.outputs.emplace_back(assignment.name, value, AssignType::Set, AssignModifier::Up);
        } else if (part == PlanPart::Setting) {
            plan.context.emplace_back(assignment.name, value, AssignType::Set, assignment.modifier);
        } else {
            item.inputs.emplace_back(assignment.name, value, AssignType::Set, assignment.modifier);
        }
    }
    if (item.outputs.empty()) return {};
    plan.workItems.push_back(std::move(item));
    return plan;
}

std::vector<Recipe> BasicBuilder::createRecipes(const Context& job) {
    const RilkValuePtr commands = job.getVariable(commandVariable);
    const std::filesystem::path directory = job.getString("cwd", "");
    std::vector<Recipe> recipes;
    auto add = [&](const RilkValuePtr& command) {
        if (command) recipes.push_back(Recipe{command->toString(), directory, recipeKind, {}});
    };
    // A raw string is a command like any other string: it never gets expanded, which is
    // exactly what a command line full of shell "$" wants.
    if (valueCast<const RilkBaseString>(commands.get()) != nullptr) {
        add(commands);
    } else if (const auto* list = valueCast<const RilkList>(commands.get())) {
        for (const RilkValuePtr& element : list->elements()) add(element);
    }
    return recipes;
}

}  // namespace Rilk
