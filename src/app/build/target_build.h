#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/build/plus_merge.h"
#include "app/build/target_build_services.h"
#include "types/rilk_context_types.h"
#include "types/visiting_chain.h"
#include "util/ci_string.h"

namespace Rilk {

class DependencyOutputStore;

/// The recursive build of one run: builds a target after everything it depends on, each
/// target at most once, and returns its output context.
///
/// A target is known by its canonical name (see `FoundTarget`), so the main unit's alias
/// and letter case never make two targets of one. A target already on the chain of builds
/// under way is a loop (`Rilk::LoopFoundException`); one reached again along another path
/// reuses the output context of its first build, keyed by the target context's unique name
/// (canonical name and parameter text). A target without parameters has one instance, so
/// its template's body is released once that is built (see `Rilk::Target::releaseBody`):
/// the unit's targets change during a run. While a target builds, every console line carries
/// its "[unit::target] " prefix; the caller's prefix comes back however the build ends.
class TargetBuild {
public:
    /// Targets on one chain of dependencies (a target, one it depends on, one that one
    /// depends on ...) at most; a longer chain is an error naming its first targets. Far
    /// above real projects, it keeps hostile input from exhausting the stack.
    static constexpr std::size_t kMaxChainLength = 100000;
    /// Targets on one chain build on one thread's stack; the next one starts a thread of
    /// its own, which the former waits for. Each stack holds its targets in one half and
    /// leaves the other to value resolution at the deepest of them (see RecursionLevel),
    /// and a sanitizer build's frames are several times larger than a release build's. A
    /// stack never holds so deep an unwinding that the sanitizer stops tracking it (64 MB).
    static constexpr std::size_t kTargetsPerStack = 4096;
    static constexpr std::size_t kStackBytes = std::size_t{64} << 20;

    explicit TargetBuild(TargetBuildServices& services) : services_(services) {}

    /// Builds the target `name` names (an empty namespace or unit is completed in place)
    /// with the given parameter values and returns its output context. Every failure
    /// propagates; the chain then keeps the entries of the failed path. The first target of
    /// each `kTargetsPerStack` on the chain builds on a new thread, this one waiting.
    Rilk::Context buildTarget(Rilk::QualifiedTargetName& name,
                              const std::vector<Rilk::RilkValuePtr>& parameters,
                              Rilk::VisitingChain& chain);

private:
    /// `buildTarget`'s output as this run keeps it: one context per target instance, never
    /// changed once built, shared by every dependent that reads it (see `buildDependencies`).
    Rilk::ContextPtr buildShared(Rilk::QualifiedTargetName& name,
                                 const std::vector<Rilk::RilkValuePtr>& parameters,
                                 Rilk::VisitingChain& chain);
    /// `buildShared` on the calling thread.
    Rilk::ContextPtr buildTargetHere(Rilk::QualifiedTargetName& name,
                                  const std::vector<Rilk::RilkValuePtr>& parameters,
                                  Rilk::VisitingChain& chain);
    /// Everything after the target was found, its loop check passed and its prefix set.
    /// A target without parameters is looked up by its unique name before any context is
    /// made for it, and its template's body is released once it is built.
    Rilk::ContextPtr build(const FoundTarget& found, const std::vector<Rilk::RilkValuePtr>& parameters,
                        const Util::CiString& label, Rilk::VisitingChain& chain);
    /// The output of the instance of `uniqueName` built in this run (traced as such), or
    /// null when it has not been built yet.
    Rilk::ContextPtr builtOutput(std::string_view uniqueName, const Util::CiString& label) const;
    /// Builds the target instance of `context`, whose unique name is `uniqueName`, and
    /// keeps its output in `built_`.
    Rilk::ContextPtr buildInstance(std::shared_ptr<Rilk::TargetContext> context,
                                   const Rilk::Context& inherited, std::string uniqueName,
                                   const Util::CiString& label, Rilk::VisitingChain& chain);
    /// Looks up the target's direct dependencies without building them, so that one that
    /// does not exist is named ("Target ... not found. It is a dependency of <label>.")
    /// before what a tool lacks without its outputs.
    void requireDependencies(const Rilk::TargetContext& target, const Util::CiString& label);
    /// Builds the dependencies in order and puts their outputs into the target context;
    /// returns the '+' outputs that could not be appended at first.
    std::vector<PendingPlusMerge> buildDependencies(Rilk::TargetContext& target,
                                                    DependencyOutputStore& store,
                                                    Rilk::VisitingChain& chain);

    TargetBuildServices& services_;
    /// Hashes a unique name or any text standing for one, so that a lookup needs no key.
    /// Not noexcept on purpose: the map then keeps each key's hash instead of hashing every
    /// key again whenever it grows.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const { return Util::CiString::hash(name); }
        std::size_t operator()(const Util::CiString& name) const {
            return Util::CiString::hash(name.str());
        }
    };
    struct NameEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const {
            return Util::CiString::equal(a, b);
        }
        bool operator()(const Util::CiString& a, std::string_view b) const {
            return Util::CiString::equal(a.str(), b);
        }
        bool operator()(std::string_view a, const Util::CiString& b) const {
            return Util::CiString::equal(a, b.str());
        }
        bool operator()(const Util::CiString& a, const Util::CiString& b) const { return a == b; }
    };

    /// The output context of every target built in this run, by unique name. None changes
    /// after its build: a dependent that may change its dependency's output gets a copy.
    std::unordered_map<Util::CiString, Rilk::ContextPtr, NameHash, NameEqual> built_;
};

}  // namespace Rilk
