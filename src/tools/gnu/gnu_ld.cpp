#include "tools/gnu/gnu_ld.h"

#include <optional>
#include <utility>

#include "tools/command_line_text.h"
#include "types/argument_text.h"

namespace Rilk {

namespace {

bool buildsSharedObject(const Context& target) {
    return target.hasVariable("SO") || target.hasVariable("SHARED");
}

}  // namespace

std::span<const Util::CiString> GNU_LD::subjectNames() const {
    static const Util::CiString names[] = {"OBJS"};
    return names;
}

std::string GNU_LD::emptyNameExtension(const Context& target) const {
    if (buildsSharedObject(target)) return ".so";
    return target.hasVariable("KO") ? ".ko" : ".elf";
}

PlannedWork GNU_LD::planWork(const TargetContext& target) const {
    PlannedWork planned;
    WorkItem item;
    for (const char* name : {"OBJS", "LIB", "LIBPATH", "LINK_FLAGS", "LD_SCRIPT"}) {
        addInput(target.assignments, name, item, std::nullopt);
    }
    const std::filesystem::path directory = plannedOutputDirectory(target);
    const std::string name = outputNameOf(target, target.name.target);
    addOutputPair(item.outputs, "BINARY", "BINARY_NAME", directory, name);
    if (buildsSharedObject(target)) addOutputPair(item.outputs, "SO", "SO_NAME", directory, name);
    planned.workItems.push_back(std::move(item));
    for (const char* variable : {"SO", "SHARED", "KO"}) {
        appendContextAssignment(target.assignments, variable, planned.context);
    }
    return planned;
}

std::vector<std::string> GNU_LD::createCommandLines(const std::string& targetName,
                                                    const Context& job) const {
    std::string line = quotedExecutable();
    line += job.formatVariableArgs("OBJS", "", true);
    line += flatArguments(job, "LIB", "", true);
    line += job.formatVariableArgs("LIBPATH", "-L", true);
    line += flatArguments(job, "LINK_FLAGS", "", true);
    line += job.formatVariableArgs("LD_SCRIPT", "-T", true);
    if (buildsSharedObject(job)) line += " -shared ";
    return {line + " -o " + shellQuoted(jobOutputName(job, targetName))};
}

Context GNU_LD::collectOutputs(const Context& job, int) {
    Context outputs;
    const std::string name = jobOutputName(job, targetName);
    if (buildsSharedObject(job)) {
        addOutputPairToContext(outputs, "so", "so_name", outputDirectory, name);
    }
    addOutputPairToContext(outputs, "binary", "binary_name", outputDirectory, name);
    return outputs;
}

}  // namespace Rilk
