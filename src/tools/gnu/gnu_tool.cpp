#include "tools/gnu/gnu_tool.h"

#include <utility>

#include "tools/output_name.h"
#include "types/argument_text.h"

namespace Rilk {

namespace fs = std::filesystem;

GNUTool::GNUTool(const BuilderTables& tables, const CompilerInfo& toolchain, fs::path executable)
    : CBuilder(tables.inputVariables, tables.declaredVariables),
      toolchain_(toolchain),
      executable_(std::move(executable)) {}

std::string GNUTool::name() const { return executable_.filename().string(); }

MatchResult GNUTool::matchResult(const Context& target, bool isSubject) const {
    return classifiedSubject(target, isSubject);
}

MatchResult GNUTool::selectMatchSubject(const Context& target) const {
    return matchResult(target, hasMatchSubject(target));
}

std::string GNUTool::toolId(const Context&) const {
    return toolchain_.arch + "-" + toolchain_.os + "-" + toolchain_.abi;
}

std::string GNUTool::objectExtension() const { return ".o"; }

fs::path GNUTool::programDirectory() const { return toolchain_.binDir; }

std::string GNUTool::programIdentity() const {
    return executable_.string() + " " + toolchain_.version;
}

void GNUTool::onBeginBuild(Context& firstJob) {
    if (writesNamedOutput(firstJob)) {
        outputName = outputNameOf(firstJob, targetName);
        createOutputNameDirectory(outputDirectory, outputName);
    }
    onOutputsPrepared(firstJob);
}

std::string GNUTool::emptyNameExtension(const Context&) const { return {}; }

bool GNUTool::writesNamedOutput(const Context&) const { return true; }

void GNUTool::onOutputsPrepared(Context&) {}

std::string GNUTool::outputNameOf(const Context& target, const std::string& name) const {
    return outputNameFor(target, name, emptyNameExtension(target));
}

std::string GNUTool::jobOutputName(const Context& job, const std::string& name) const {
    return outputName.empty() ? outputNameOf(job, name) : outputName;
}

std::string GNUTool::quotedExecutable() const { return shellQuoted(executable_.string()); }

}  // namespace Rilk
