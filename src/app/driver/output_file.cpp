#include "app/driver/output_file.h"

#include <stdexcept>

#include <fmt/format.h>

#include "parser/source_writer.h"
#include "util/file_writer.h"
#include "util/logger.h"

namespace Rilk {

std::string outputFileText(const Rilk::Context& outputs, const std::filesystem::path& file) {
    std::string text;
    Rilk::SourceWriter writer(Rilk::SourceForm::Resolved);
    for (const auto& [name, assignment] : outputs.assignments) {
        if (!assignment.value) continue;
        if (!writer.itemText(text, assignment)) {
            throw std::runtime_error(fmt::format(
                "The output file '{}' was not written: {}, so its line would not read back "
                "as the same value.",
                file.string(), writer.refusal().message()));
        }
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
