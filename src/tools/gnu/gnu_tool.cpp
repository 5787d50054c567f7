#include "tools/gnu/gnu_tool.h"

#include <utility>

#include "tools/command_line_text.h"
#include "tools/output_name.h"
#include "util/logger.h"

namespace Rilk {

namespace fs = std::filesystem;

GNUTool::GNUTool(const BuilderTables& tables, const CompilerInfo& toolchain, fs::path executable)
    : CBuilder(tables.inputVariables, tables.declaredVariables),
      toolchain_(toolchain),
      executable_(std::move(executable)) {}

std::string GNUTool::name() const { return executable_.filename().string(); }

std::vector<Recipe> GNUTool::createRecipes(const Context& job) {
    std::vector<Recipe> recipes = CBuilder::createRecipes(job);
    if (!toolchain_.binDir.empty()) {
        for (Recipe& recipe : recipes) recipe.pathDirectories.push_back(toolchain_.binDir);
    }
    return recipes;
}

std::string GNUTool::toolId(const Context&) const {
    return toolchain_.arch + "-" + toolchain_.os + "-" + toolchain_.abi;
}

std::string GNUTool::objectExtension() const { return ".o"; }

void GNUTool::onBeginBuild(Context& firstJob) {
    if (writesNamedOutput(firstJob)) {
        outputName = outputNameOf(firstJob, targetName);
        createOutputNameDirectory(outputDirectory, outputName);
    }
    onOutputsPrepared(firstJob);
}

std::string GNUTool::defaultOutputExtension(const Context&) const { return {}; }

bool GNUTool::writesNamedOutput(const Context&) const { return true; }

void GNUTool::onOutputsPrepared(Context&) {}

std::string GNUTool::outputNameOf(const Context& target, const std::string& name) const {
    return outputNameFor(target, name, defaultOutputExtension(target));
}

std::string GNUTool::jobOutputName(const Context& job, const std::string& name) const {
    return outputName.empty() ? outputNameOf(job, name) : outputName;
}

fs::path GNUTool::plannedOutputDirectory(const TargetContext& target) const {
    const std::string hash = target.parameterHash();
    return outputDirectoryFor(target, target.name, target.name.target,
                              hash.empty() ? "" : "@" + hash);
}

std::string GNUTool::quotedExecutable() const { return shellQuoted(executable_.string()); }

MatchResult GNUTool::subjectFrom(const Context& target,
                                 std::initializer_list<const char*> candidates) const {
    MatchResult result;
    for (const char* candidate : candidates) {
        const auto found = target.assignments.find(candidate);
        if (found == target.assignments.end()) continue;
        if (found->second.modifier == AssignModifier::Up) {
            log(4, "Skipping '{}' as match subject: output variable\n", candidate);
            continue;
        }
        result.status = BuildPossible;
        break;
    }
    classifyVariables(result, target.assignments);
    return result;
}

}  // namespace Rilk
