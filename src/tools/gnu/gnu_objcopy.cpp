#include "tools/gnu/gnu_objcopy.h"

#include <optional>
#include <utility>

#include "tools/command_line_text.h"
#include "types/argument_text.h"

namespace Rilk {

std::span<const Util::CiString> GNU_OBJCOPY::subjectNames() const {
    static const Util::CiString names[] = {"INPUT"};
    return names;
}

PlannedWork GNU_OBJCOPY::planWork(const TargetContext& target) const {
    PlannedWork planned;
    WorkItem item;
    addInput(target.assignments, "INPUT", item, std::nullopt);
    addInput(target.assignments, "OBJCOPY_FLAGS", item, std::nullopt);
    addOutputPair(item.outputs, "OUTPUT", "OUTPUT_NAME", plannedOutputDirectory(target),
                  outputNameOf(target, target.name.target));
    planned.workItems.push_back(std::move(item));
    return planned;
}

std::vector<std::string> GNU_OBJCOPY::createCommandLines(const std::string& targetName,
                                                         const Context& job) const {
    return {quotedExecutable() + flatArguments(job, "OBJCOPY_FLAGS", "", false) +
            job.formatVariableArgs("INPUT", "", true) + " " +
            shellQuoted(operandText(jobOutputName(job, targetName)))};
}

Context GNU_OBJCOPY::collectOutputs(const Context& job, int) {
    Context outputs;
    addOutputPairToContext(outputs, "output", "output_name", outputDirectory,
                           jobOutputName(job, targetName));
    return outputs;
}

}  // namespace Rilk
