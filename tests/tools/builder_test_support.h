#pragma once

// Targets and a recipe runner shared by the tests of the compiler-driving builders.

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/run_process.h"
#include "tools/recipe.h"
#include "types/rilk_context_types.h"

namespace RilkTest {

/// `name = value`, or a bare declaration when the value is null.
inline Rilk::Assignment var(const std::string& name, const Rilk::RilkValuePtr& value,
                            Rilk::AssignModifier modifier = Rilk::AssignModifier::None) {
    return Rilk::Assignment(name, value, value ? Rilk::AssignType::Set : Rilk::AssignType::Declare,
                            modifier);
}

/// A target of unit "main" with the variables; `parameters` makes it a parameterised
/// instance.
inline std::shared_ptr<Rilk::TargetContext> makeTarget(
    const std::vector<Rilk::Assignment>& variables, const std::string& name = "app",
    const std::string& parameters = "") {
    auto target = std::make_shared<Rilk::TargetContext>(
        Rilk::Context(variables, {}), Rilk::QualifiedTargetName{"", "main", name});
    target->parameterText = parameters;
    return target;
}

/// Runs a recipe as the job runner does: "/bin/sh" "-c" command in its working directory,
/// its directories in front of `PATH`, with the extra environment variables set.
inline ProcessResult runRecipe(const Rilk::Recipe& recipe,
                               std::map<std::string, std::string> environment = {}) {
    std::string path;
    for (const auto& directory : recipe.pathDirectories) path += directory.string() + ":";
    const char* inherited = std::getenv("PATH");
    path += inherited != nullptr ? inherited : "/usr/bin:/bin";
    environment["PATH"] = path;
    return runProcess({"/bin/sh", "-c", recipe.command},
                      {recipe.workingDirectory, std::move(environment)});
}

}  // namespace RilkTest
