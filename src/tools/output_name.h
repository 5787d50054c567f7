#pragma once

#include <filesystem>
#include <string>

#include "types/context.h"

namespace Rilk {

// One rule names the file that a tool writes for a target, so that planning, the command
// line and the output variables always name the same file.

/// The output name of a target, relative to its output directory (an absolute name stands
/// alone): the text of OUTPUT_NAME when it is not empty; the target's plain name when
/// OUTPUT_NAME is absent or declared without value (an archive target core writes core);
/// for an OUTPUT_NAME whose text is empty, the target's plain name with its extension
/// replaced by `emptyNameExtension` (core gives core.a, x.o gives x.a), or the plain name
/// when that extension is empty, so that no command is handed an empty file name. Never
/// empty for a non-empty target name.
std::string outputNameFor(const Context& target, const std::string& targetName,
                          const std::string& emptyNameExtension);

/// Creates the directories of the name's directory part below the output directory
/// (nothing for a plain file name). Throws `std::filesystem::filesystem_error` on failure.
void createOutputNameDirectory(const std::filesystem::path& outputDirectory,
                               const std::string& outputName);

}  // namespace Rilk
