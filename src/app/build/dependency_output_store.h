#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/builder.h"
#include "types/rilk_context_types.h"
#include "util/ci_string.h"

namespace Rilk {

/// Puts the output context of each built dependency into the context of the target that
/// depends on it, as a nested context value its variables can refer to:
/// - under the dependency's alias when it has one ("=>"),
/// - under the dependency's target name when it lies in the target's own unit and
///   namespace (`lib.X`),
/// - otherwise under its unit name and then its target name (`other.lib.X`);
/// dependencies that share a merged alias ("+>") share one nested context collecting all
/// of their outputs. A name that is already taken only gives a `Warning`; the outputs
/// are still appended to it with "+=" when its value can take them.
///
/// One store per target build, used on the main thread; the target context outlives it.
class DependencyOutputStore {
public:
    /// `tool` is the builder chosen for the target, whose variables an output's name must
    /// not take (null: none is checked).
    DependencyOutputStore(Rilk::Context& target, const Rilk::QualifiedTargetName& targetName,
                          const Rilk::Builder* tool = nullptr);

    /// Adds the outputs of a dependency without merged alias. `output` is shared and never
    /// changed here: the target reads it through a read-only view where it can, a copy
    /// otherwise. Returns whether the name they go under (see `nestedOutputName`) was a
    /// variable of the target already.
    bool addOutput(const Rilk::Dependency& dependency, const Rilk::QualifiedTargetName& name,
                   const Rilk::ContextPtr& output);
    /// Adds the outputs of a dependency with a merged alias to the alias's shared context.
    /// An empty alias is an internal error.
    void addMergedAliasOutput(const Rilk::Dependency& dependency,
                              const Rilk::QualifiedTargetName& name,
                              const Rilk::ContextPtr& output);
    /// Applies once more, in alias order, the merged outputs that could not be appended when
    /// they arrived; call it after the target context was resolved. Errors propagate.
    void retryMergedFailures();

    /// The dependencies whose outputs are added next, in order, read where they are until
    /// the next call (null: none): a collision with an earlier one of the same name says so.
    void listDependencies(const std::vector<Rilk::Dependency>* dependencies) {
        dependencies_ = dependencies;
    }

    /// The builder given at construction (may be null).
    const Rilk::Builder* tool() const { return tool_; }

    /// Prints the `Warning` (`warnOutputCollision`, with the text `note` makes, asked only
    /// then) when the name under which a dependency's outputs will appear is already a
    /// variable of the target context. Only prints.
    static void warnCollision(const Rilk::Context& target,
                              const Rilk::QualifiedTargetName& targetName,
                              const Rilk::QualifiedTargetName& dependencyName,
                              const std::string& alias,
                              const std::function<std::string()>& note = {});
    /// The outputs as a collision warning names them: "alias 'l' of u::lib", "'lib' of
    /// u::lib" in the target's own unit, else "'other::tool'" (each with the namespace of
    /// an imported project: "'ns/other::tool'").
    static std::string describedOutput(const std::string& alias,
                                       const Rilk::QualifiedTargetName& dependencyName,
                                       const Rilk::QualifiedTargetName& targetName);

private:
    /// The name a dependency's outputs go under and the value put there for `wrapped`, the
    /// outputs as a nested context value (see the class comment).
    std::pair<const std::string*, Rilk::RilkValuePtr> placement(
        const Rilk::Dependency& dependency, const Rilk::QualifiedTargetName& name,
        const Rilk::RilkValuePtr& wrapped) const;
    /// Applies `name += value`; a variable that cannot take a nested context (a string or
    /// an integer) keeps its value and the outputs are dropped with a `Warning`.
    void appendNested(const std::string& name, const Rilk::RilkValuePtr& value,
                      const Rilk::QualifiedTargetName& dependencyName);

    /// The level-6 collision warning when `nested`, a name new in the target that now holds
    /// the dependency's outputs (`output`), is a variable of the target's tool: the tool
    /// would read the outputs as that variable's value. None when a '+' merge of an output
    /// of that name will replace them (the merge warns itself).
    void warnToolVariable(const std::string& nested, const Rilk::Dependency& dependency,
                          const Rilk::QualifiedTargetName& dependencyName,
                          const Rilk::Context& output) const;

    /// The note of a collision warning when a dependency listed before `dependency` (one of
    /// the listed) puts its outputs under the same name spelled exactly alike ("; both
    /// dependencies are named 'p', and '=> name' ..."): letter case cannot be what parts
    /// them. Empty otherwise.
    std::string namesakeNote(const Rilk::Dependency& dependency,
                             const Rilk::QualifiedTargetName& name) const;

    Rilk::Context& target_;
    Rilk::QualifiedTargetName targetName_;
    const Rilk::Builder* tool_;
    std::map<Util::CiString, Rilk::ContextPtr> mergedAliases_;
    std::map<Util::CiString, std::vector<Rilk::Assignment>> mergedFailures_;
    const std::vector<Rilk::Dependency>* dependencies_ = nullptr;
};

}  // namespace Rilk
