#include "app/build/target_build.h"

#include <exception>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include <fmt/format.h>

#include "app/build/dependency_output_store.h"
#include "app/build/plus_merge.h"
#include "app/build/second_try.h"
#include "app/build/target_outputs.h"
#include "app/build/unwritten_outputs.h"
#include "app/toolbox/tool_selection_report.h"
#include "types/rilk_context_value.h"
#include "types/rilk_errors.h"
#include "types/unique_target_name.h"
#include "util/large_stack_thread.h"
#include "util/logger.h"

namespace Rilk {

namespace {

/// The pieces one after another, in a string allocated once.
std::string joined(std::initializer_list<std::string_view> pieces) {
    std::size_t size = 0;
    for (const std::string_view piece : pieces) size += piece.size();
    std::string text;
    text.reserve(size);
    for (const std::string_view piece : pieces) text += piece;
    return text;
}

/// The error for a chain that would grow past `TargetBuild::kMaxChainLength`, naming the
/// targets it starts with (the outermost ones, at the back of the chain).
Rilk::RilkException chainTooLong(const Rilk::VisitingChain& chain) {
    constexpr std::size_t kNamed = 3;
    std::string first;
    std::size_t named = 0;
    for (auto name = chain.names.rbegin(); name != chain.names.rend() && named < kNamed;
         ++name, ++named) {
        first += fmt::format("'{}' -> ", *name);
    }
    return Rilk::RilkException(fmt::format(
        "Dependency chain too long: more than {} targets depend on each other in a row, "
        "starting with {}...",
        TargetBuild::kMaxChainLength, first));
}

/// Puts the target of `text` on the chain; returns its entry in the lookup set, which
/// stays valid until `leaveChain` takes it off again.
std::set<Util::CiString>::iterator enterChain(Rilk::VisitingChain& chain, std::string text) {
    if (chain.names.size() >= TargetBuild::kMaxChainLength) throw chainTooLong(chain);
    const auto [entry, added] = chain.lookup.insert(Util::CiString(text));
    if (!added) throw Rilk::LoopFoundException::ofTargets(text, chain);
    chain.names.push_front(std::move(text));
    return entry;
}

void leaveChain(Rilk::VisitingChain& chain, std::set<Util::CiString>::iterator entry) {
    chain.lookup.erase(entry);
    chain.names.pop_front();
}

std::string displayText(const Rilk::RilkValuePtr& value) {
    return value ? value->toDisplayString() : std::string();
}

/// A dependency's name: the parts it leaves empty are the dependent target's own.
Rilk::QualifiedTargetName dependencyName(const Rilk::Dependency& dependency,
                                         const Rilk::QualifiedTargetName& own) {
    const auto* written = std::get_if<Rilk::QualifiedTargetName>(&dependency.target);
    if (written == nullptr) throw Rilk::InternalError();
    return written->within(own);
}

std::vector<Rilk::RilkValuePtr> dependencyParameters(const Rilk::Dependency& dependency,
                                                     Rilk::TargetContext& target) {
    std::vector<Rilk::RilkValuePtr> values;
    if (dependency.sourceValue) values.push_back(dependency.sourceValue);
    for (const Rilk::Identifier& parameter : dependency.parameters) {
        values.push_back(target.resolve(parameter));
    }
    return values;
}

/// Resolves the variable a failed assignment is tried on again (and what it refers to),
/// so that the assignment meets its value rather than the reference it was written as.
void resolveForSecondTry(Rilk::TargetContext& target, const std::string& name) {
    if (target.hasVariable(name)) target.resolveName(name);
}

/// Applies an inherited assignment that failed when first merged; an error names the
/// variable (the build names the target).
void applyInheritedAgain(Rilk::TargetContext& target, const Rilk::Assignment& assignment) {
    addOnSecondTry(target, assignment, assignment.name,
                   "the inherited value cannot be joined to the target's");
}

}  // namespace

Rilk::Context TargetBuild::buildTarget(Rilk::QualifiedTargetName& name,
                                       const std::vector<Rilk::RilkValuePtr>& parameters,
                                       Rilk::VisitingChain& chain) {
    return Rilk::Context(*buildShared(name, parameters, chain));
}

Rilk::ContextPtr TargetBuild::buildShared(Rilk::QualifiedTargetName& name,
                                          const std::vector<Rilk::RilkValuePtr>& parameters,
                                          Rilk::VisitingChain& chain) {
    // A target builds after its dependencies, one level of recursion each: a long chain of
    // them gets a stack after every so many, and the main thread's is never used.
    if (chain.names.size() % kTargetsPerStack != 0) return buildTargetHere(name, parameters, chain);
    Rilk::ContextPtr output;
    Util::runWithLargeStack(kStackBytes,
                            [&] { output = buildTargetHere(name, parameters, chain); });
    return output;
}

Rilk::ContextPtr TargetBuild::buildTargetHere(Rilk::QualifiedTargetName& name,
                                           const std::vector<Rilk::RilkValuePtr>& parameters,
                                           Rilk::VisitingChain& chain) {
    const Util::CiString label(joined({name.unit, "::", name.target}));
    // The target is looked up before its loop check, which needs its canonical name, but
    // a failed lookup is reported after "Visiting target", like every other failure of a
    // target; a repeated target never gets that line.
    FoundTarget found;
    std::exception_ptr lookupFailure;
    try {
        found = services_.findTarget(name);
    } catch (...) {
        lookupFailure = std::current_exception();
    }
    std::set<Util::CiString>::iterator chainEntry;
    if (!lookupFailure) chainEntry = enterChain(chain, found.canonicalName.toString());
    const Rilk::LogIndentGuard prefix(joined({"[", label.str(), "] "}));
    Rilk::log(Rilk::LogLevel::Info, "Visiting target\n");
    if (lookupFailure) std::rethrow_exception(lookupFailure);
    Rilk::ContextPtr output;
    try {
        output = build(found, parameters, label, chain);
    } catch (Rilk::VariableError& error) {
        error.setTarget(label.str());
        throw;
    } catch (Rilk::LoopFoundException& loop) {
        loop.setTarget(label.str());
        throw;
    } catch (const Rilk::BadConversion& error) {
        // Met outside any one variable's resolution: at least the target is known.
        throw Rilk::RilkException("In target " + label.str() + ": " + error.message());
    }
    leaveChain(chain, chainEntry);
    return output;
}

Rilk::ContextPtr TargetBuild::build(const FoundTarget& found,
                                 const std::vector<Rilk::RilkValuePtr>& parameters,
                                 const Util::CiString& label, Rilk::VisitingChain& chain) {
    Rilk::Target& target = *found.target;
    const Rilk::QualifiedTargetName& own = found.canonicalName;
    const Rilk::Context& inherited = services_.inheritedContext(own.ns);
    if (!target.parameterNames.empty()) {
        auto context = std::make_shared<Rilk::TargetContext>(own, target, parameters);
        std::string uniqueName = context->uniqueName();
        if (Rilk::ContextPtr done = builtOutput(uniqueName, label)) return done;
        return buildInstance(std::move(context), inherited, std::move(uniqueName), label, chain);
    }
    // Without parameters the target has one instance, whatever values it is called with:
    // once built, it is answered from `built_` before any context is made for it.
    std::string uniqueName = Rilk::uniqueTargetName(own, {});
    if (Rilk::ContextPtr done = builtOutput(uniqueName, label)) return done;
    // Given up only by its one build, under the one name checked above.
    if (target.bodyReleased()) throw Rilk::InternalError();
    // That build's context takes the template's values instead of copying them.
    Rilk::ContextPtr output = buildInstance(
        std::make_shared<Rilk::TargetContext>(own, target, Rilk::TargetContext::OnlyInstance{}),
        inherited, std::move(uniqueName), label, chain);
    // No later build reads the template: its instance is built, and the context that read
    // its dependency records in place is done with them.
    target.releaseBody();
    return output;
}

Rilk::ContextPtr TargetBuild::builtOutput(std::string_view uniqueName,
                                          const Util::CiString& label) const {
    const auto done = built_.find(uniqueName);
    if (done == built_.end()) return nullptr;
    Rilk::log(Rilk::LogLevel::Trace, "Target '{}' already built.\n", label.str());
    return done->second;
}

Rilk::ContextPtr TargetBuild::buildInstance(std::shared_ptr<Rilk::TargetContext> context,
                                            const Rilk::Context& inherited,
                                            std::string uniqueName, const Util::CiString& label,
                                            Rilk::VisitingChain& chain) {
    const Rilk::QualifiedTargetName& own = context->name;
    TargetOutputs outputs(*context, inherited, services_.commandLineNames());
    const std::vector<Rilk::Assignment> failedInherited =
        context->addCopyOf(inherited, Rilk::kTakeModifier);

    const Rilk::Matcher* tool = services_.findBestTool(*context);
    if (tool == nullptr) {
        requireDependencies(*context, label);
        throw Rilk::RilkException("No tool to build " + label.str() + "." +
                                  services_.whyNoTool(*context));
    }
    applyToolDefaults(*tool, *context);
    const std::shared_ptr<Rilk::Builder> builder = tool->builderFor(*context);
    if (!builder) throw Rilk::RilkException("No tool to build " + label.str() + ".");
    reportToolSelection(*tool, *builder, *context);
    reportClaimedVariables(*builder, inherited);

    context->evaluateConditions();
    DependencyOutputStore store(*context, own, builder.get());
    const std::vector<PendingPlusMerge> failedAppends = buildDependencies(*context, store, chain);
    // The second tries come before the rest is resolved, so that every command and value
    // that refers to a variable sees what it holds after them.
    for (const Rilk::Assignment& assignment : failedInherited) {
        Rilk::log(Rilk::LogLevel::Trace, "Second try adding implicit assignment {}.\n", displayText(assignment.value));
        resolveForSecondTry(*context, assignment.name);
        outputs.keepCurrentValue(*context, assignment.name);
        applyInheritedAgain(*context, assignment);
    }
    for (const PendingPlusMerge& pending : failedAppends) {
        Rilk::log(Rilk::LogLevel::Trace, "Second try adding implicit append {}.\n",
                  displayText(pending.append.value));
        resolveForSecondTry(*context, pending.append.name);
        retryPlusMerge(*context, own, pending);
    }
    context->resolveAll();
    outputs.resolveKeptValues(*context);
    store.retryMergedFailures();
    Rilk::log(Rilk::LogLevel::Verbose, "Input context:\n");
    context->print(Rilk::LogLevel::Verbose);

    Rilk::Context output;
    const JobPlan plan = services_.runTargetWork(*builder, context, label, output);
    warnUnwrittenOutputs(plan, own, *builder);
    outputs.fill(*context, plan.work.workItems(), output);
    Rilk::log(Rilk::LogLevel::Verbose, "Output context:\n");
    output.print(Rilk::LogLevel::Verbose);
    Rilk::log(Rilk::LogLevel::Info, "Build done\n");
    // Resolved now, the output can be read by every dependent without a copy of its own.
    Rilk::resolveSelfContained(output);
    auto kept = std::make_shared<Rilk::Context>(std::move(output));
    built_.insert_or_assign(Util::CiString(std::move(uniqueName)), kept);
    return kept;
}

void TargetBuild::requireDependencies(const Rilk::TargetContext& target,
                                      const Util::CiString& label) {
    for (const Rilk::Dependency& dependency : target.dependencyRecords()) {
        if (dependency.isDynamic()) continue;
        Rilk::QualifiedTargetName name = dependencyName(dependency, target.name);
        try {
            services_.findTarget(name);
        } catch (const Rilk::NotFoundException& error) {
            throw Rilk::RilkException(error.message() + " It is a dependency of " + label.str() +
                                      ".");
        }
    }
}

std::vector<PendingPlusMerge> TargetBuild::buildDependencies(Rilk::TargetContext& target,
                                                             DependencyOutputStore& store,
                                                             Rilk::VisitingChain& chain) {
    std::vector<PendingPlusMerge> failedAppends;
    std::vector<Rilk::Dependency> expanded;
    const std::vector<Rilk::Dependency>& dependencies = target.dependencyList(expanded);
    store.listDependencies(&dependencies);
    for (const Rilk::Dependency& dependency : dependencies) {
        const std::vector<Rilk::RilkValuePtr> values = dependencyParameters(dependency, target);
        Rilk::QualifiedTargetName name = dependencyName(dependency, target.name);
        const Rilk::ContextPtr output = buildShared(name, values, chain);
        // Whether the store's collision warning covers the name its nested context takes.
        bool warned = false;
        if (dependency.aliasKind == Rilk::Dependency::kMergeAlias) {
            warned = target.hasVariable(nestedOutputName(dependency, target.name, name));
            // The merge takes the output's values themselves: they must be this target's own.
            store.addMergedAliasOutput(dependency, name, std::make_shared<Rilk::Context>(*output));
        } else {
            warned = store.addOutput(dependency, name, output);
        }
        if (dependency.modifier == Rilk::Dependency::kPlus) {
            const auto failed = mergePlusOutputs(target, target.name, dependency, name, *output,
                                                 warned, store.tool());
            failedAppends.insert(failedAppends.end(), failed.begin(), failed.end());
        }
    }
    // The list may be this function's own.
    store.listDependencies(nullptr);
    return failedAppends;
}

}  // namespace Rilk
