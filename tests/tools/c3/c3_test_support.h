#pragma once

// Targets and a recipe runner for the tests of the C3 tool.

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/run_process.h"
#include "tools/recipe.h"
#include "types/rilk_context_types.h"
#include "types/rilk_value_types.h"

namespace RilkTest {

/// A variable of a test target: a value, or a declaration without value (null). A name
/// written with a leading '^' is an output variable.
using TestVariable = std::pair<std::string, Rilk::RilkValuePtr>;

/// A target main::app with the variables; `parameters` makes it a parameterised instance.
inline std::shared_ptr<Rilk::TargetContext> makeC3Target(const std::vector<TestVariable>& variables,
                                                         const std::string& parameters = "") {
    std::vector<Rilk::Assignment> assignments;
    for (const auto& [written, value] : variables) {
        const bool output = !written.empty() && written[0] == '^';
        assignments.emplace_back(written.substr(output ? 1 : 0), value,
                                 value ? Rilk::AssignType::Set : Rilk::AssignType::Declare,
                                 output ? Rilk::AssignModifier::Up : Rilk::AssignModifier::None);
    }
    auto target = std::make_shared<Rilk::TargetContext>(
        Rilk::Context(assignments, {}), Rilk::QualifiedTargetName{"", "main", "app"});
    target->parameterText = parameters;
    return target;
}

/// A list of path strings, one per file.
inline Rilk::RilkValuePtr pathList(const std::vector<std::filesystem::path>& files) {
    std::vector<Rilk::RilkValuePtr> elements;
    for (const auto& file : files) elements.push_back(Rilk::makePathString(file.string(), {}));
    return std::make_shared<Rilk::RilkList>(std::move(elements));
}

/// Runs a recipe as the job runner does: "/bin/sh" "-c" command in its working directory,
/// its directories in front of `PATH`; the stand-in logs to `log`.
inline ProcessResult runRecipe(const Rilk::Recipe& recipe, const std::filesystem::path& log) {
    std::string path;
    for (const auto& directory : recipe.pathDirectories) path += directory.string() + ":";
    const char* inherited = std::getenv("PATH");
    path += inherited != nullptr ? inherited : "/usr/bin:/bin";
    return runProcess({"/bin/sh", "-c", recipe.command},
                      {recipe.workingDirectory, {{"PATH", path}, {"FAKE_C3C_LOG", log.string()}}});
}

}  // namespace RilkTest
