#pragma once

#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "every_entry.h"
#include "types/path_glob.h"
#include "types/rilk_string.h"
#include "types/target_context.h"

namespace RilkFuzz {

/// Fills `directory` with the tree that globs of the resolving target walk: a few files,
/// a subdirectory, and in "L" ten links "s0" ... "s9" back to "L" itself.
inline void makeGlobTree(const std::filesystem::path& directory) {
    namespace fs = std::filesystem;
    fs::create_directories(directory / "L" / "sub");
    for (const char* file : {"L/a.c", "L/b.h", "L/sub/c.c", "top.txt"}) {
        std::ofstream(directory / file) << "x\n";
    }
    for (int i = 0; i < 10; ++i) {
        const fs::path link = directory / "L" / ("s" + std::to_string(i));
        std::error_code ignored;
        fs::create_directory_symlink(".", link, ignored);
    }
}

/// Resolves one target instance the way a build does: its context from the template, with
/// each parameter set to a string of its name, then its conditions, every variable and
/// its dependency list (all variables in one go, which the first error ends, as a build
/// does). Errors the model reports by design are caught per step. Returns the context with
/// whatever resolved.
inline std::shared_ptr<Rilk::TargetContext> resolveTarget(const Rilk::Target& target) {
    std::vector<Rilk::RilkValuePtr> parameters;
    for (const std::string& name : target.parameterNames)
        parameters.push_back(Rilk::makeString(name));
    auto context = std::make_shared<Rilk::TargetContext>(target.name, target.parameterNames,
                                                         parameters, target.assignments,
                                                         target.conditions, target.dependencies);
    const auto guarded = [](auto step) {
        try {
            step();
        } catch (const std::exception&) {
        } catch (const Rilk::RilkException&) {
        } catch (const Rilk::ParseError&) {
        }
    };
    guarded([&] { context->evaluateConditions(); });
    guarded([&] { context->resolveAll(); });
    guarded([&] { context->createDependencyList(); });
    guarded([&] { (void)context->uniqueName(); });
    return context;
}

/// Parses `text` as a unit file whose relative paths start in `directory` and, when it
/// parsed without errors, calls `use` with each of its targets.
template <typename Use>
void forEachUnitTarget(const std::string& text, const std::filesystem::path& directory, Use use) {
    try {
        Rilk::ParseChain chain(text, "fuzz.txt");
        forgetPredictions(chain);
        ThrowingErrorListener listener("fuzz.txt");
        chain.useErrorListener(listener);
        auto* tree = chain.unitFile();
        if (tree == nullptr || !listener.messages().empty()) return;
        RilkVisitorImpl visitor(directory, "", RilkVisitorImpl::Unit);
        visitor.sourcePath = "fuzz.txt";
        std::unique_ptr<Rilk::Unit> unit(
            takeResult<Rilk::Unit*>(visitor.visitRilkUnit(tree->rilkUnit())));
        for (const auto& [name, target] : unit->targets) use(target);
    } catch (const std::exception&) {
    } catch (const Rilk::RilkException&) {
    }
}

/// Parses `text` as a unit file whose relative paths start in `directory` and, when it
/// parsed without errors, resolves each of its targets. Globs stay inside `directory`.
inline void resolveUnitText(const std::string& text, const std::filesystem::path& directory) {
    Rilk::confineGlobs(directory);
    forEachUnitTarget(text, directory, [](const Rilk::Target& target) { resolveTarget(target); });
    Rilk::confineGlobs({});
}

}  // namespace RilkFuzz
