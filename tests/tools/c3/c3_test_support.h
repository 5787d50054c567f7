#pragma once

// Targets and a recipe runner for the tests of the C3 tool.

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tools/builder_test_support.h"
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
        assignments.push_back(var(written.substr(output ? 1 : 0), value,
                                  output ? Rilk::AssignModifier::Up : Rilk::AssignModifier::None));
    }
    return makeTarget(assignments, "app", parameters);
}

/// A list of path strings, one per file.
inline Rilk::RilkValuePtr pathList(const std::vector<std::filesystem::path>& files) {
    std::vector<Rilk::RilkValuePtr> elements;
    for (const auto& file : files) elements.push_back(Rilk::makePathString(file.string(), {}));
    return std::make_shared<Rilk::RilkList>(std::move(elements));
}

/// Runs a recipe as the job runner does; the stand-in logs to `log`.
inline ProcessResult runRecipe(const Rilk::Recipe& recipe, const std::filesystem::path& log) {
    return runRecipe(recipe, std::map<std::string, std::string>{{"FAKE_C3C_LOG", log.string()}});
}

}  // namespace RilkTest
