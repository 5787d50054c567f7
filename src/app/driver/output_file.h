#pragma once

#include <filesystem>
#include <string>

#include "types/context.h"

namespace Rilk {

/// The text of the `-o` file: one line "NAME = <display text>" per output variable of the
/// main target, in name order ignoring case; variables without value are left out.
std::string outputFileText(const Rilk::Context& outputs);

/// Writes the `-o` file through the shared file writer: a reader sees the old file or the
/// new one, whole. Throws std::runtime_error naming the file when it cannot be written.
void writeOutputFile(const std::filesystem::path& file, const Rilk::Context& outputs);

}  // namespace Rilk
