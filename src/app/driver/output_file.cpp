#include "app/driver/output_file.h"

#include "util/file_writer.h"

namespace Rilk {

std::string outputFileText(const Rilk::Context& outputs) {
    std::string text;
    for (const auto& [name, assignment] : outputs.assignments) {
        if (assignment.value)
            text += assignment.name + " = " + assignment.value->toDisplayString() + "\n";
    }
    return text;
}

void writeOutputFile(const std::filesystem::path& file, const Rilk::Context& outputs) {
    Util::writeFileReplacing(file, outputFileText(outputs));
}

}  // namespace Rilk
