#include "app/driver/output_file.h"

#include "parser/source_writer.h"
#include "util/file_writer.h"
#include "util/logger.h"

namespace Rilk {

std::string outputFileText(const Rilk::Context& outputs, const std::filesystem::path& file) {
    std::string text;
    std::string line;
    Rilk::SourceWriter writer(Rilk::SourceForm::CommandLine);
    for (const auto& [name, assignment] : outputs.assignments) {
        if (!assignment.value) continue;
        line.clear();
        if (!writer.itemText(line, assignment)) {
            Rilk::log(Rilk::LogLevel::Warning,
                      "The output file '{}' leaves out the variable '{}', as no line would read "
                      "back as the same value: {}.\n",
                      file.string(), name.str(),
                      // Within a block value, which of its variables it is.
                      writer.refusal().variable == name.str() ? writer.refusal().reason
                                                              : writer.refusal().message());
            continue;
        }
        text += line;
        text += '\n';
    }
    return text;
}

void writeOutputFile(const std::filesystem::path& file, const Rilk::Context& outputs) {
    const std::string text = outputFileText(outputs, file);
    // The file may be standard output itself (/dev/stdout): its lines follow the log.
    Rilk::flushConsole();
    Util::writeFileReplacing(file, text);
}

}  // namespace Rilk
