#pragma once

#include <filesystem>
#include <string>

#include "types/assignment.h"

namespace Rilk {

/// Reads one assignment written in the configuration language (a NAME=value item of the
/// command line, a line of the build cache). The whole text must be exactly one assignment:
/// a lexical error, a syntax error or anything after the assignment fails with
/// `std::runtime_error` "Parsing assignment failed due to syntax errors.". Lexical errors are
/// also printed on standard error by the runtime's console listener, unless `quiet` is set
/// (for text that rilk wrote itself, such as a build cache line, where a bare lexer message
/// would tell the user nothing).
///
/// Path literals are relative to `source`; with `source` "." (the working directory), one
/// that starts with "./" is taken as written, without a base directory. "!" is refused (the
/// visitor's error passes through). A value written as an identifier becomes a plain string of its
/// text: `MODE = release` sets the string "release".
Assignment parseAssignment(const std::string& text, const std::filesystem::path& source,
                           bool quiet = false);

}  // namespace Rilk
