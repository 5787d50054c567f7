#pragma once

#include <span>
#include <string>

#include "types/target_context.h"
#include "util/ci_string.h"

namespace Rilk {

// What a tool says of a target that holds none of the variables that make targets its
// subjects (its match subjects), for the message that no tool can build the target.

/// "'ar' needs OBJS", "'gcc' needs C_FILES or OBJS", noting a subject variable that the
/// target holds only as an output variable: "... (the target has C_FILES only as output
/// variable)".
std::string subjectWanted(const std::string& tool, std::span<const Util::CiString> subjects,
                          const TargetContext& target);

/// How many of `subjects` the target holds only as output variables ('^'). A tool that
/// knows no other variable of the target still has something to say about such a target.
int outputOnlySubjects(std::span<const Util::CiString> subjects, const TargetContext& target);

}  // namespace Rilk
