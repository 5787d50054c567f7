#pragma once

#include "app/cache/planning/job_plan.h"
#include "tools/builder.h"
#include "types/qualified_target_name.h"

namespace Rilk {

/// After every job of `plan` succeeded: warns (level Warning), once per file, of each file
/// the jobs' work items declare as an output that is not there. The record of the work
/// says it was built, but the next run finds no file and runs the commands again, on every
/// run, while "Build done" shows no sign of it. The warning ends with the hint of the
/// target's tool (`Builder::unwrittenOutputHint`). One `stat` per declared file, and only
/// for a target whose jobs ran.
void warnUnwrittenOutputs(const JobPlan& plan, const QualifiedTargetName& target,
                          const Builder& tool);

}  // namespace Rilk
