#pragma once

#include <filesystem>
#include <string>

#include "types/context.h"

namespace Rilk {

/// The text of the `-o` file: one line "NAME = <value>" per output variable of the main
/// target, in name order ignoring case; variables without value are left out. Each line is
/// a command-line assignment (`rilk NAME=...`) that reads back as the variable's value, also
/// once it is resolved again: the values are written in the language's command-line form
/// (strings in double quotes, or raw strings when they hold one, paths as P"(full path)";
/// text that resolving would change has none, `SourceForm::CommandLine`).
///
/// A variable whose value has no such form is left out with a `Warning` naming
/// `file`, the variable and the reason: never a line that reads back as something else.
std::string outputFileText(const Rilk::Context& outputs, const std::filesystem::path& file);

/// Writes the `-o` file through the shared file writer: a reader sees the old file or the
/// new one, whole. A file that is not a regular one (a FIFO, a device, standard output
/// through /dev/stdout) is written directly, after everything printed so far. Throws
/// std::runtime_error naming the file when it cannot be written (the old file then stays as
/// it was).
void writeOutputFile(const std::filesystem::path& file, const Rilk::Context& outputs);

}  // namespace Rilk
