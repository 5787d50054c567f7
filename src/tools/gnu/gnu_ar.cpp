#include "tools/gnu/gnu_ar.h"

#include <optional>
#include <utility>

#include "tools/command_line_text.h"
#include "types/argument_text.h"

namespace Rilk {

namespace fs = std::filesystem;

std::span<const Util::CiString> GNU_AR::subjectNames() const {
    static const Util::CiString names[] = {"OBJS"};
    return names;
}

MatchResult GNU_AR::matchResult(const Context& target, bool isSubject) const {
    MatchResult result = GNUTool::matchResult(target, isSubject);
    const auto found = target.assignments.find("OUTPUT_NAME");
    if (found != target.assignments.end() && found->second.modifier != AssignModifier::Up &&
        found->second.value &&
        fs::path(found->second.value->toString()).extension().string() == ".a") {
        result.variables[Util::CiString("OUTPUT_NAME")].kind = ExactMatch;
    }
    return result;
}

std::string GNU_AR::emptyNameExtension(const Context&) const { return ".a"; }

PlannedWork GNU_AR::planWork(const TargetContext& target) const {
    PlannedWork planned;
    WorkItem item;
    addInput(target.assignments, "OBJS", item, std::nullopt);
    addOutputPair(item.outputs, "LIB", "LIB_NAME", plannedOutputDirectory(target),
                  outputNameOf(target, target.name.target));
    planned.workItems.push_back(std::move(item));
    return planned;
}

std::vector<std::string> GNU_AR::createCommandLines(const std::string& targetName,
                                                    const Context& job) const {
    return {quotedExecutable() + " rcs " +
            shellQuoted(operandText(jobOutputName(job, targetName))) +
            job.formatVariableArgs("OBJS", "", true)};
}

void GNU_AR::onOutputsPrepared(Context&) { fs::remove(outputDirectory / outputName); }

Context GNU_AR::collectOutputs(const Context& job, int) {
    Context outputs;
    addOutputPairToContext(outputs, "lib", "lib_name", outputDirectory,
                           jobOutputName(job, targetName));
    return outputs;
}

}  // namespace Rilk
