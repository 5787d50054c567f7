#include "tools/output_name.h"

namespace Rilk {

namespace fs = std::filesystem;

std::string outputNameFor(const Context& target, const std::string& targetName,
                          const std::string& emptyNameExtension) {
    std::string name = target.getString("OUTPUT_NAME", targetName);
    if (!name.empty()) return name;
    if (emptyNameExtension.empty()) return targetName;
    return fs::path(targetName).replace_extension(emptyNameExtension).string();
}

void createOutputNameDirectory(const fs::path& outputDirectory, const std::string& outputName) {
    const fs::path directory = (outputDirectory / outputName).parent_path();
    if (!directory.empty()) fs::create_directories(directory);
}

}  // namespace Rilk
