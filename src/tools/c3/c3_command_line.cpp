// The C3 compiler's command line: options first, then the subcommand, then the sources.

#include "tools/c3/c3_builder.h"
#include "tools/c3/c3_output_kinds.h"
#include "tools/command_line_text.h"
#include "types/argument_text.h"

namespace Rilk {

std::vector<std::string> C3Builder::createCommandLines(const std::string& target,
                                                       const Context& job) const {
    checkOutputSelectors(job);
    const OutputKind kind = outputKind(job);
    std::string line = shellQuoted(compilerPath_.string());
    line += flatArguments(job, "C3C_FLAGS", "", false);
    line += " -o " + shellQuoted(outputName(job, target));
    line += job.formatVariableArgs("LIB_PATH", "-L ", true);
    line += job.formatVariableArgs("LIBPATH", "-L ", true);
    line += job.formatVariableArgs("LIB", "-l ", false);
    line += flatArguments(job, "LINK_FLAGS", "-z ", true);
    line += c3Subcommand(job, kind);
    line += job.formatVariableArgs("C3_FILES", "", true);
    line += job.formatVariableArgs("C3C_FILES", "", true);
    line += job.formatVariableArgs("C3_TEST_FILES", "", true);
    return {line};
}

}  // namespace Rilk
