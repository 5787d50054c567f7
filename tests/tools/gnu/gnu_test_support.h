#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tools/builder.h"
#include "tools/builder_test_support.h"
#include "tools/compiler_info.h"
#include "types/rilk_value_types.h"
#include "types/target_context.h"

namespace RilkTest {

inline Rilk::RilkValuePtr str(const std::string& text) { return Rilk::makeString(text); }

inline Rilk::RilkValuePtr list(const std::vector<std::string>& texts, bool paths = false) {
    std::vector<Rilk::RilkValuePtr> elements;
    for (const std::string& text : texts) {
        elements.push_back(paths ? Rilk::RilkValuePtr(Rilk::makePathString(text, {}))
                                 : Rilk::RilkValuePtr(Rilk::makeString(text)));
    }
    return std::make_shared<Rilk::RilkList>(std::move(elements));
}

/// The x86_64-linux-gnu toolchain of version 12.2.0 in `binDir`.
inline Rilk::CompilerInfo toolchainIn(const std::filesystem::path& binDir) {
    Rilk::CompilerInfo info;
    info.version = "12.2.0";
    info.prefix = "x86_64-linux-gnu";
    info.arch = "x86_64";
    info.os = "linux";
    info.abi = "gnu";
    info.binDir = binDir;
    info.toolchainRoot = binDir.parent_path();
    info.compilerPath = binDir / "gcc";
    return info;
}

/// The full path of a path-string variable ("" when it holds none).
inline std::string fullPathOf(const Rilk::Context& context, const std::string& name) {
    const auto* path = dynamic_cast<const Rilk::RilkPathString*>(context.getVariable(name).get());
    return path ? path->fullPath().string() : "";
}

/// What the build driver does with a builder for one target, in its order: plan, deal the
/// work items out to `jobs` job contexts (each gets its items' inputs, then the plan's
/// context assignments: the first value of a name as it is, further ones gathered with it
/// into a list), begin, make every job's recipes, collect every job's outputs, end.
struct DrivenBuild {
    Rilk::BuildPlan plan;
    std::vector<std::shared_ptr<Rilk::TargetContext>> jobs;
    std::vector<Rilk::Recipe> recipes;
    std::vector<Rilk::Context> outputs;
};

/// Adds the assignments to a job as the build's job split does (`contribute` there).
inline void contribute(Rilk::Context& job, const std::vector<Rilk::Assignment>& assignments) {
    for (const Rilk::Assignment& item : assignments) {
        if (job.hasVariable(item.name)) {
            job.appendToList({item});
            continue;
        }
        job.addAssignment(Rilk::Assignment(item.name, item.value ? item.value->clone() : nullptr,
                                           Rilk::AssignType::Set, item.modifier),
                          Rilk::kKeepModifier);
    }
}

inline DrivenBuild driveBuild(Rilk::Builder& builder, const Rilk::TargetContext& target,
                              std::size_t jobs = 1) {
    DrivenBuild built;
    built.plan = builder.planBuild(target);
    const std::size_t items = built.plan.workItems.size();
    if (jobs > items) jobs = items;
    for (std::size_t k = 0, next = 0; k < jobs; ++k) {
        auto job = std::make_shared<Rilk::TargetContext>(Rilk::Context(), target.name);
        job->parameterText = target.parameterText;
        const std::size_t count = items / jobs + (k < items % jobs ? 1 : 0);
        for (std::size_t i = 0; i < count; ++i, ++next) {
            std::vector<Rilk::Assignment> inputs;
            for (const auto& entry : built.plan.workItems[next].inputs) {
                inputs.push_back(entry.intermediateFlag && entry.hasIntermediate()
                                     ? entry.intermediate()
                                     : entry.input);
            }
            contribute(*job, inputs);
        }
        contribute(*job, built.plan.context);
        built.jobs.push_back(job);
    }
    if (built.jobs.empty()) return built;
    builder.beginBuild(*built.jobs.front(), built.jobs.size());
    for (const auto& job : built.jobs) {
        for (Rilk::Recipe& recipe : builder.createRecipes(*job)) built.recipes.push_back(recipe);
    }
    for (const auto& job : built.jobs) built.outputs.push_back(builder.collectOutputs(*job, 0));
    builder.endBuild();
    return built;
}

}  // namespace RilkTest
