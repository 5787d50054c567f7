#pragma once

#include <filesystem>
#include <string>

#include "types/context.h"

namespace Rilk {

// One rule names the file that a tool writes for a target, so that planning, the command
// line and the output variables always name the same file.

/// The output name of a target, relative to its output directory (an absolute name stands
/// alone): the text of OUTPUT_NAME when it is not empty; otherwise (OUTPUT_NAME absent,
/// declared without value, or empty) the tool's default: the target's plain name, with its
/// extension replaced by `defaultExtension` when that is not empty (core gives core.a,
/// x.o gives x.a). Never empty for a non-empty target name.
std::string outputNameFor(const Context& target, const std::string& targetName,
                          const std::string& defaultExtension);

/// Creates the directories of the name's directory part below the output directory
/// (nothing for a plain file name). Throws `std::filesystem::filesystem_error` on failure.
void createOutputNameDirectory(const std::filesystem::path& outputDirectory,
                               const std::string& outputName);

}  // namespace Rilk
