#include "tools/c_builder.h"

#include <climits>
#include <system_error>
#include <typeinfo>
#include <utility>

#include <fmt/format.h>

#include "types/rilk_errors.h"
#include "types/rilk_string.h"
#include "util/logger.h"

namespace Rilk {

namespace fs = std::filesystem;

namespace {

/// Creates an output directory of the target, or says which one could not be made and why.
void createOutputDirectory(const fs::path& directory, const TargetContext& target) {
    std::error_code error;
    fs::create_directories(directory, error);
    if (!error) return;
    std::string message =
        fmt::format("Cannot create the output directory '{}' of {}::{}: {}.", directory.string(),
                    target.name.unit, target.name.target, error.message());
    if (error == std::errc::filename_too_long && directory.native().size() >= PATH_MAX) {
        message += fmt::format(
            " Its path has {} bytes, more than the system takes ({}); move the project to a "
            "shorter path.",
            directory.native().size(), PATH_MAX - 1);
    }
    throw RilkException(message);
}

}  // namespace

CBuilder::CBuilder(AssignmentTable inputs, VariableSpecTable declared)
    : Builder(std::move(inputs), std::move(declared)) {}

void CBuilder::beginBuild(Context& firstJob, const std::size_t& count) {
    jobCount = count;
    const auto& job = dynamic_cast<const TargetContext&>(firstJob);
    targetName = job.name.target;
    outputName = job.getString("OUTPUT_NAME", targetName);
    outputDirectory = plannedOutputDirectory(job);
    // A target built without a plan (no build cache) places its objects by its own sources.
    if (!Util::CiString::equal(job.uniqueName(), sourcesTarget_)) recordCompiledSources(job);
    log(LogLevel::Info, "Output dir: {}\n", outputDirectory.string());
    createOutputDirectory(outputDirectory, job);
    for (const fs::path& directory : targetPlacement_.subdirectories()) {
        createOutputDirectory(outputDirectory / directory, job);
    }
    onBeginBuild(firstJob);
}

void CBuilder::endBuild() {
    onEndBuild();
    jobCount = 1;
    forgetCompiledSources();
}

BuildPlan CBuilder::planBuild(const TargetContext& target) {
    recordCompiledSources(target);
    PlannedWork planned = planWork(target);
    for (const char* name :
         {"PROJECT_ROOT", "OUTPUT_NAME", "OUTPUT_DIR", "OUTPUT_DEF_DIR", "PROFILE"}) {
        appendContextAssignment(target.assignments, name, planned.context);
    }
    if (std::string identity = programIdentity(); !identity.empty()) {
        planned.context.emplace_back(kToolProgramVariable, makeString(std::move(identity)),
                                     AssignType::Set, AssignModifier::None);
    }
    const std::int64_t cap = maxParallelJobs(target, planned);
    return BuildPlan{std::move(planned.workItems), std::move(planned.context),
                     static_cast<std::uint64_t>(cap)};
}

std::vector<Recipe> CBuilder::createRecipes(const Context& job) {
    std::vector<fs::path> pathDirectories;
    if (fs::path program = programDirectory(); !program.empty()) {
        pathDirectories.push_back(std::move(program));
    }
    std::vector<Recipe> recipes;
    for (std::string& line : createCommandLines(targetName, job)) {
        recipes.push_back(Recipe{std::move(line), outputDirectory, Recipe::Run, pathDirectories});
    }
    return recipes;
}

std::int64_t CBuilder::maxParallelJobs(const TargetContext&, const PlannedWork&) const { return 1; }

void CBuilder::onEndBuild() {}

std::vector<RilkValuePtr> CBuilder::compiledSources(const Context&) const { return {}; }

fs::path CBuilder::programDirectory() const { return {}; }

std::string CBuilder::programIdentity() const { return {}; }

namespace {

/// Whether a variable the target may hold makes it a match subject: held, and not as an
/// output variable, which is skipped with a `Detail` message.
bool isSubjectVariable(const Context& target, const Util::CiString& name) {
    const auto found = target.assignments.find(name);
    if (found == target.assignments.end()) return false;
    if (found->second.modifier == AssignModifier::Up) {
        log(LogLevel::Detail, "Skipping '{}' as match subject: output variable\n", found->second.name);
        return false;
    }
    return true;
}

}  // namespace

bool CBuilder::hasSubject(const Context& target, std::span<const Util::CiString> candidates) {
    for (const Util::CiString& candidate : candidates) {
        if (isSubjectVariable(target, candidate)) return true;
    }
    return false;
}

MatchResult CBuilder::classifiedSubject(const Context& target, bool isSubject) const {
    MatchResult result;
    if (isSubject) result.status = BuildPossible;
    classifyVariables(result, target.assignments);
    return result;
}

MatchResult CBuilder::subjectFrom(const Context& target,
                                  std::span<const Util::CiString> candidates) const {
    return classifiedSubject(target, hasSubject(target, candidates));
}

fs::path CBuilder::outputDirectoryFor(const Context& target,
                                      const QualifiedTargetName& qualifiedName,
                                      const std::string& name, const std::string& suffix) const {
    const std::string explicitDirectory = target.getString("OUTPUT_DIR", "");
    if (!explicitDirectory.empty()) return fs::path(explicitDirectory);
    const RilkValuePtr root = target.getVariable("PROJECT_ROOT");
    if (!root) {
        throw RilkException(fmt::format(
            "Variable 'PROJECT_ROOT' has no value; the outputs of target '{}' have no place.",
            name));
    }
    fs::path directory = root->toString();
    directory /= target.getString("OUTPUT_DEF_DIR", "");
    directory /= toolId(target);
    directory /= target.getString("PROFILE", "");
    directory /= qualifiedName.ns;
    directory /= qualifiedName.unit;
    directory /= name + suffix;
    return directory;
}

fs::path CBuilder::plannedOutputDirectory(const TargetContext& target) const {
    const std::string hash = target.parameterHash();
    return outputDirectoryFor(target, target.name, target.name.target,
                              hash.empty() ? "" : "@" + hash);
}

void CBuilder::appendContextAssignment(const AssignmentTable& variables, const std::string& name,
                                       std::vector<Assignment>& out) {
    auto found = variables.find(name);
    if (found == variables.end()) return;
    const Assignment& stored = found->second;
    if (stored.value) {
        out.emplace_back(name, stored.value->clone(), AssignType::Set, stored.modifier);
    } else {
        out.emplace_back(name, nullptr, AssignType::Declare, stored.modifier);
    }
}

}  // namespace Rilk
