#include "tools/gnu/gnu_gcc.h"

#include <climits>
#include <memory>
#include <optional>
#include <utility>

#include <fmt/format.h>

#include "tools/command_line_text.h"
#include "tools/gnu/compile_only_flag.h"
#include "types/argument_text.h"
#include "types/rilk_errors.h"
#include "types/rilk_list.h"
#include "util/logger.h"

namespace Rilk {

namespace fs = std::filesystem;

namespace {

bool isCompileOnly(const Context& context) {
    return hasCompileOnlyFlag(context.getString("C_FLAGS", ""));
}

/// The arguments every command of a job ends with: definitions and include directories
/// (before the point where "-o" goes) and libraries with their directories and link flags
/// (after it).
struct SharedArguments {
    std::string beforeOutput;
    std::string afterOutput;
};

/// The dependency file of a program compiled and linked in one command, relative to the
/// output directory: the program's name with ".d". The compiler reads a blank in the
/// variable naming it as the end of the file name, so blanks become underscores.
std::string linkDependencyFileName(const std::string& program) {
    std::string name = program + ".d";
    for (char& c : name) {
        if (c == ' ' || c == '\t' || c == '\n') c = '_';
    }
    return name;
}

/// Refuses a dependency file whose name is longer than a file name may be: the shell could
/// not create it, and the command would fail with the shell's word only.
void checkDependencyFileName(const std::string& name, const TargetContext& target) {
    const std::string file = fs::path(name).filename().string();
    if (file.size() <= NAME_MAX) return;
    throw RilkException(fmt::format(
        "The OUTPUT_NAME of {}::{} is too long: its dependency file '{}' would have a name of "
        "{} bytes, more than the {} a file name may have. Choose a shorter OUTPUT_NAME.",
        target.name.unit, target.name.target, file, file.size(), NAME_MAX));
}

SharedArguments sharedArguments(const Context& job) {
    SharedArguments shared;
    shared.beforeOutput = flatArguments(job, "C_DEFINES", "-D", false) +
                          job.formatVariableArgs("INCLUDE", "-I", true);
    shared.afterOutput = flatArguments(job, "LIB", "", true);
    if (!job.getString("LIBPATH", "").empty() || !job.getString("LINK_FLAGS", "").empty()) {
        shared.afterOutput += job.formatVariableArgs("LIBPATH", "-Wl,-L", true) +
                              flatArguments(job, "LINK_FLAGS", "-Wl,", true);
    }
    return shared;
}

}  // namespace

GNU_GCC::GNU_GCC(const BuilderTables& tables, const CompilerInfo& toolchain, fs::path executable)
    : GNUTool(tables, toolchain, std::move(executable)) {}

std::vector<std::string> GNU_GCC::sourceVariables() const { return {"C_FILES"}; }

std::span<const Util::CiString> GNU_GCC::subjectNames() const {
    static const Util::CiString names[] = {"C_FILES", "OBJS"};
    return names;
}

std::int64_t GNU_GCC::maxParallelJobs(const TargetContext& target, const PlannedWork&) const {
    return isCompileOnly(target) ? -1 : 1;
}

bool GNU_GCC::writesNamedOutput(const Context& target) const { return !isCompileOnly(target); }

bool GNU_GCC::hasSources(const Context& target) const {
    for (const std::string& name : sourceVariables()) {
        if (!target.getString(name, "").empty()) return true;
    }
    return false;
}

std::vector<RilkValuePtr> GNU_GCC::compiledSources(const Context& target) const {
    std::vector<RilkValuePtr> sources;
    if (!isCompileOnly(target)) return sources;
    for (const std::string& name : sourceVariables()) {
        if (target.hasVariable(name) && target.getVariable(name)) {
            sources.push_back(target.getVariable(name));
        }
    }
    return sources;
}

PlannedWork GNU_GCC::planWork(const TargetContext& target) const {
    PlannedWork planned;
    const fs::path directory = plannedOutputDirectory(target);
    for (const char* name : {"C_DEFINES", "C_FLAGS", "INCLUDE"}) {
        appendContextAssignment(target.assignments, name, planned.context);
    }
    if (isCompileOnly(target)) {
        // The jobs' contexts hold the sources only: OBJS is said here, once per target.
        if (target.hasVariable("OBJS")) {
            log(LogLevel::Warning, "OBJS were passed to '{}', but target uses -c.\n",
                target.name.target);
        }
        for (const std::string& name : sourceVariables()) {
            addCompileWorkItems(target.assignments, name, directory, planned.workItems);
        }
        const auto besideObjects = DependencyFiles::besideOutputs(directory);
        for (WorkItem& item : planned.workItems) {
            // Assembly without preprocessing reads no header and gets no dependency file.
            if (!item.inputs.front().input.value->toString().ends_with(".s")) {
                item.dependencyFiles = besideObjects;
            }
        }
        return planned;
    }
    appendContextAssignment(target.assignments, "LINK_FLAGS", planned.context);
    appendContextAssignment(target.assignments, "LIBPATH", planned.context);
    // Linking straight from the sources writes no object files, so the sources have no
    // intermediate that a later build could use in their place.
    WorkItem item;
    addInput(target.assignments, "OBJS", item, std::nullopt);
    for (const std::string& name : sourceVariables()) {
        addInput(target.assignments, name, item, std::nullopt);
    }
    addInput(target.assignments, "LIB", item, std::nullopt);
    addInput(target.assignments, "LD_SCRIPT", item, std::nullopt);
    const std::string program = outputNameOf(target, target.name.target);
    addOutputPair(item.outputs, "BINARY", "BINARY_NAME", directory, program);
    if (hasSources(target)) {
        const std::string dependencies = linkDependencyFileName(program);
        checkDependencyFileName(dependencies, target);
        item.dependencyFiles = DependencyFiles::named(directory / dependencies, directory);
    }
    planned.workItems.push_back(std::move(item));
    return planned;
}

std::vector<std::string> GNU_GCC::createCommandLines(const std::string& targetName,
                                                     const Context& job) const {
    std::string head = quotedExecutable();
    const std::string flags = job.getString("C_FLAGS", "");
    if (!flags.empty()) head += " " + flags;
    if (!isCompileOnly(job)) return {linkCommand(head, targetName, job)};
    // Each object's dependency file goes beside it, named as the object with ".d". "-MD"
    // names every header the compile read, those of system folders ("-isystem", the
    // compiler's own) too: a change to any of them makes the object stale.
    head += " -MD";
    return compileCommands(head, job);
}

std::string GNU_GCC::linkCommand(const std::string& head, const std::string& targetName,
                                 const Context& job) const {
    const SharedArguments shared = sharedArguments(job);
    // Several sources compiled and linked in one command would each overwrite the one
    // dependency file "-MD" names; the compiler appends to the file this variable names,
    // every header each source read (system folders' too, which DEPENDENCIES_OUTPUT would
    // leave out) and not the source itself. It is emptied first, so that it always exists
    // after the command and names nothing of an earlier run.
    std::string line = head;
    if (hasSources(job)) {
        const std::string dependencies =
            shellQuoted(linkDependencyFileName(jobOutputName(job, targetName)));
        line = ": > " + dependencies + " && SUNPRO_DEPENDENCIES=" + dependencies + " " + head;
    }
    for (const std::string& name : sourceVariables()) {
        line += job.formatVariableArgs(name, "", true);
    }
    line += shared.beforeOutput;
    line += job.formatVariableArgs("OBJS", "", true);
    line += job.formatVariableArgs("LD_SCRIPT", "-T", true);
    line += " -o " + shellQuoted(jobOutputName(job, targetName));
    return line + shared.afterOutput;
}

std::vector<std::string> GNU_GCC::compileCommands(const std::string& head,
                                                  const Context& job) const {
    const SharedArguments shared = sharedArguments(job);
    const fs::path directory = fs::absolute(outputDirectory);
    std::string together;
    std::vector<std::string> alone;
    for (const std::string& name : sourceVariables()) {
        if (!job.hasVariable(name)) continue;
        for (const auto& [source, object] : objectFiles(job.getVariable(name), outputDirectory)) {
            // The compiler names the object of a source it is given without "-o" by the
            // source's file name, in the working directory (the output directory).
            const fs::path normal =
                directory / fs::path(source->toString()).filename().replace_extension(".o");
            if (fs::path(object->toString()) == normal) {
                together += formatArg(source, "", true);
            } else {
                alone.push_back(head + formatArg(source, "", true) + shared.beforeOutput + " -o " +
                                shellQuoted(object->toString()) + shared.afterOutput);
            }
        }
    }
    std::vector<std::string> lines;
    if (!together.empty())
        lines.push_back(head + together + shared.beforeOutput + shared.afterOutput);
    for (std::string& line : alone) lines.push_back(std::move(line));
    return lines;
}

Context GNU_GCC::collectOutputs(const Context& job, int) {
    Context outputs;
    std::vector<RilkValuePtr> objects;
    const bool compileOnly = isCompileOnly(job);
    if (compileOnly) {
        for (const std::string& name : sourceVariables()) {
            appendObjectFiles(job.assignments, name, outputDirectory, objects);
        }
    }
    outputs.addAssignment(Assignment("objs", std::make_shared<RilkList>(std::move(objects)),
                                     AssignType::Set, AssignModifier::None),
                          kKeepModifier);
    if (!compileOnly) {
        const std::string program = jobOutputName(job, targetName);
        addOutputPairToContext(outputs, "elf", "elf_name", outputDirectory, program);
        addOutputPairToContext(outputs, "binary", "binary_name", outputDirectory, program);
    }
    return outputs;
}

std::vector<std::string> GNU_GPP::sourceVariables() const { return {"C_FILES", "CPP_FILES"}; }

std::span<const Util::CiString> GNU_GPP::subjectNames() const {
    static const Util::CiString names[] = {"CPP_FILES", "C_FILES", "OBJS"};
    return names;
}

}  // namespace Rilk
