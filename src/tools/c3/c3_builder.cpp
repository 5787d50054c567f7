#include "tools/c3/c3_builder.h"

#include <utility>

#include "tools/c3/c3_output_kinds.h"
#include "tools/output_name.h"
#include "tools/tool_tables.h"

namespace Rilk {

namespace fs = std::filesystem;

namespace {

/// The inputs of a C3 target's one work item, in plan order.
const char* const kInputVariables[] = {"C3_FILES", "C3C_FILES", "C3_TEST_FILES", "C3C_FLAGS",
                                       "LIB",      "LIB_PATH",  "LIBPATH",       "LINK_FLAGS"};
/// The target variables the plan depends on besides the inputs.
const char* const kContextVariables[] = {"C3C", "EXE", "STATIC", "DLL", "SO"};

}  // namespace

C3Builder::C3Builder(std::string version, fs::path compilerPath, fs::path binDirectory)
    : CBuilder(c3BuilderTables().inputVariables, c3BuilderTables().declaredVariables),
      version_(std::move(version)),
      compilerPath_(std::move(compilerPath)),
      binDirectory_(std::move(binDirectory)) {}

std::string C3Builder::name() const { return "c3c"; }

std::string C3Builder::toolId(const Context&) const { return "c3c-" + version_; }

std::string C3Builder::objectExtension() const { return ".o"; }

fs::path C3Builder::programDirectory() const { return binDirectory_; }

std::string C3Builder::programIdentity() const { return compilerPath_.string() + " " + version_; }

MatchResult C3Builder::selectMatchSubject(const Context& target) const {
    return subjectFrom(target, subjectNames());
}

std::span<const Util::CiString> C3Builder::subjectNames() {
    static const Util::CiString names[] = {"C3_FILES", "C3C_FILES", "C3_TEST_FILES"};
    return names;
}

PlannedWork C3Builder::planWork(const TargetContext& target) const {
    checkOutputSelectors(target);
    const fs::path directory = plannedOutputDirectory(target);
    const C3OutputNames& names = c3OutputNames(outputKind(target));
    const std::string output = outputName(target, target.name.target);
    WorkItem item;
    for (const char* name : kInputVariables) addInput(target.assignments, name, item, {});
    PlannedWork planned;
    for (const char* name : kContextVariables) {
        appendContextAssignment(target.assignments, name, planned.context);
    }
    addOutputPair(item.outputs, "BINARY", "BINARY_NAME", directory, output);
    addOutputPair(item.outputs, names.plannedPathVariable, names.plannedNameVariable, directory,
                  output);
    planned.workItems.push_back(std::move(item));
    return planned;
}

void C3Builder::onBeginBuild(Context& firstJob) {
    CBuilder::outputName = outputName(firstJob, targetName);
    createOutputNameDirectory(outputDirectory, CBuilder::outputName);
}

Context C3Builder::collectOutputs(const Context& job, int) {
    const std::string output = outputName(job, targetName);
    const C3OutputNames& names = c3OutputNames(outputKind(job));
    Context outputs;
    addOutputPairToContext(outputs, "binary", "binary_name", outputDirectory, output);
    addOutputPairToContext(outputs, names.pathVariable, names.nameVariable, outputDirectory,
                           output);
    return outputs;
}

}  // namespace Rilk
