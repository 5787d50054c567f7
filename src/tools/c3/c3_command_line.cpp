// The C3 compiler's command line: options first, then the subcommand, then the sources.

#include "tools/c3/c3_builder.h"
#include "tools/c3/c3_output_kinds.h"
#include "types/argument_text.h"
#include "types/rilk_path_string.h"

namespace Rilk {

namespace {

/// The text in double quotes, escaped so that the shell passes it on literally.
std::string quoted(const std::string& text) {
    if (text.empty()) return "\"\"";
    return formatArg(makePathString(text, {}), "", true).substr(1);
}

}  // namespace

std::vector<std::string> C3Builder::createCommandLines(const std::string& target,
                                                       const Context& job) const {
    checkOutputSelectors(job);
    const OutputKind kind = outputKind(job);
    std::string line = quoted(compilerPath_.string());
    line += job.formatVariableArgsFlat("C3C_FLAGS", "", false);
    line += " -o " + quoted(outputName(job, target));
    line += job.formatVariableArgs("LIB_PATH", "-L ", true);
    line += job.formatVariableArgs("LIBPATH", "-L ", true);
    line += job.formatVariableArgs("LIB", "-l ", false);
    line += job.formatVariableArgsFlat("LINK_FLAGS", "-z ", true);
    line += c3Subcommand(job, kind);
    line += job.formatVariableArgs("C3_FILES", "", true);
    line += job.formatVariableArgs("C3C_FILES", "", true);
    line += job.formatVariableArgs("C3_TEST_FILES", "", true);
    return {line};
}

}  // namespace Rilk
