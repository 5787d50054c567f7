#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/build_plan.h"
#include "tools/builder.h"
#include "tools/object_placement.h"
#include "tools/planned_work.h"
#include "tools/recipe.h"
#include "types/rilk_context_types.h"

namespace Rilk {

/// The context variable of a plan that holds the builder's `programIdentity`.
inline constexpr const char* kToolProgramVariable = "RILK_TOOL_PROGRAM";

/// The common base of the builders that drive a compiler-like program.
///
/// It implements the build phases once: where a target's outputs go (`beginBuild` sets
/// the output directory, which is also the working directory of every recipe, and the
/// output name), how a plan is completed with the variables it depends on (`planBuild`),
/// and how command lines become recipes (`createRecipes`). Subclasses describe their work
/// with the planning operations below and supply the tool-specific parts through the
/// protected virtual operations.
///
/// Object files: the object of a source is named from the placement of all sources the
/// target compiles (`compiledSources`), which `planBuild` records for the target (or
/// `beginBuild`, for a target built without a plan), so that
/// two sources with one file name never share an object and a job that holds only some of
/// the sources names their objects as the plan did.
class CBuilder : public Builder {
public:
    CBuilder(AssignmentTable inputVariables, VariableSpecTable declaredVariables);

    /// Sets the output directory, output name, target name and job count from the first
    /// job (which must be a `TargetContext`, else `std::bad_cast`), logs and creates the
    /// output directory (with the subdirectories that objects of colliding sources go to),
    /// then calls `onBeginBuild`.
    void beginBuild(Context& firstJob, const std::size_t& jobCount) override;
    /// Calls `onEndBuild`, then sets the job count back to 1.
    void endBuild() override;
    /// `planWork`, completed with the variables PROJECT_ROOT, OUTPUT_NAME,
    /// OUTPUT_DIR, OUTPUT_DEF_DIR and PROFILE, the program identity (as the variable
    /// `kToolProgramVariable`, when not empty) and the cap of `maxParallelJobs`.
    BuildPlan planBuild(const TargetContext& target) override;
    /// One recipe per line of `createCommandLines`, run in the output directory, with
    /// `programDirectory` (when not empty) in front of `PATH`.
    std::vector<Recipe> createRecipes(const Context& job) override;

protected:
    /// The target's work items and the context assignments they depend on.
    virtual PlannedWork planWork(const TargetContext& target) const = 0;
    /// The cap on the number of jobs; -1 for none. Default 1.
    virtual std::int64_t maxParallelJobs(const TargetContext& target,
                                         const PlannedWork& planned) const;
    /// Hook at the end of `beginBuild`.
    virtual void onBeginBuild(Context& firstJob) = 0;
    /// Hook at the start of `endBuild`. Default: nothing.
    virtual void onEndBuild();
    /// The shell command lines of one job, in run order.
    virtual std::vector<std::string> createCommandLines(const std::string& targetName,
                                                        const Context& job) const = 0;
    /// Identifies the tool and its version; one component of the default output directory.
    virtual std::string toolId(const Context& target) const = 0;
    /// The extension of object files, with its dot.
    virtual std::string objectExtension() const = 0;
    /// Every source value the target compiles into an object file. Default: none.
    virtual std::vector<RilkValuePtr> compiledSources(const Context& target) const;
    /// The directory of the tool's program, put in front of `PATH` for every recipe so the
    /// program finds the helpers installed beside it. Default: none.
    virtual std::filesystem::path programDirectory() const;
    /// What tells the program the recipes run from another one: its path and the version
    /// its probe found. Part of every plan, so that a target built by another toolchain is
    /// built again. Default: none.
    virtual std::string programIdentity() const;

    /// Whether one of `candidates` makes the target a match subject: the first candidate
    /// the target defines and not as an output variable ('^') makes it one; an output
    /// variable before it is skipped with a `Detail` message.
    static bool hasSubject(const Context& target, std::span<const Util::CiString> candidates);
    /// The match result of a target that is (`isSubject`) or is not a subject: the status,
    /// and every variable of the target classified.
    MatchResult classifiedSubject(const Context& target, bool isSubject) const;
    /// `classifiedSubject` of `hasSubject`.
    MatchResult subjectFrom(const Context& target,
                            std::span<const Util::CiString> candidates) const;

    /// The output directory of a target: the text of OUTPUT_DIR when it is not empty,
    /// otherwise PROJECT_ROOT / OUTPUT_DEF_DIR / toolId / PROFILE / namespace / unit /
    /// targetName + suffix. Throws `NotFoundException` without PROJECT_ROOT.
    std::filesystem::path outputDirectoryFor(const Context& target,
                                             const QualifiedTargetName& qualifiedName,
                                             const std::string& targetName,
                                             const std::string& suffix) const;
    /// The output directory of the target itself: `outputDirectoryFor` its qualified name
    /// and plain name, suffixed with "@" and the parameter hash for a parameterised target,
    /// so that every instance of a target has its own directory.
    std::filesystem::path plannedOutputDirectory(const TargetContext& target) const;
    /// Appends the variable `name` (spelled as given) with a clone of its value to `out`,
    /// when the variables define it; a variable without value is appended as a declaration.
    static void appendContextAssignment(const AssignmentTable& variables, const std::string& name,
                                        std::vector<Assignment>& out);
    /// One work item per source of the variable `name`: input the source, output OBJS
    /// (an output variable) its object file.
    void addCompileWorkItems(const AssignmentTable& variables, const std::string& name,
                             const std::filesystem::path& objectDirectory,
                             std::vector<WorkItem>& out) const;
    /// Each leaf of `value` paired with its object file, a path string below
    /// `objectDirectory`. Leaves without a file name (empty, ".", "..") name no object.
    std::vector<std::pair<RilkValuePtr, RilkValuePtr>> objectFiles(
        const RilkValuePtr& value, const std::filesystem::path& objectDirectory) const;
    /// Appends the object files of the variable `name`, when the variables define it.
    void appendObjectFiles(const AssignmentTable& variables, const std::string& name,
                           const std::filesystem::path& objectDirectory,
                           std::vector<RilkValuePtr>& out) const;
    /// The file name of `text` as a path; the whole text when that is empty.
    static std::string fileNameText(const std::string& text);
    /// Adds the variable `name` to the item's inputs (one value, or a list of its leaves),
    /// with the intermediate that `intermediate` derives from it.
    static void addInput(const AssignmentTable& variables, const std::string& name, WorkItem& item,
                         const std::optional<IntermediateSpec>& intermediate);
    /// Appends the output variables pathVariable (a path string) and nameVariable (its file
    /// name), both marked as output variables. A relative base directory is made absolute
    /// against the working directory, so the path names the file wherever it is passed.
    static void addOutputPair(std::vector<Assignment>& out, const std::string& pathVariable,
                              const std::string& nameVariable,
                              const std::filesystem::path& baseDirectory,
                              const std::string& pathText);
    /// The same pair, set in a job's output context.
    static void addOutputPairToContext(Context& out, const std::string& pathVariable,
                                       const std::string& nameVariable,
                                       const std::filesystem::path& baseDirectory,
                                       const std::string& pathText);

    /// Directory of the target's outputs and working directory of its recipes.
    std::filesystem::path outputDirectory;
    /// The text of OUTPUT_NAME, or the target's name.
    std::string outputName;
    /// The target's name (the last part of its qualified name).
    std::string targetName;
    /// The number of jobs of the current target.
    std::uint64_t jobCount = 1;

private:
    /// Records the sources the target compiles, so that jobs name objects as the plan did.
    void recordCompiledSources(const TargetContext& target);
    void forgetCompiledSources();

    /// The unique name of the target whose sources are recorded; empty for none.
    std::string sourcesTarget_;
    /// The recorded sources and their placement.
    std::vector<std::filesystem::path> targetSources_;
    ObjectPlacement targetPlacement_;
};

}  // namespace Rilk
