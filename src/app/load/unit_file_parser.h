#pragma once

#include <filesystem>

#include "parser/RilkTopParser.h"
#include "types/unit.h"

namespace Rilk {

/// Parses one unit file into a new, unregistered unit. A relative `path` is taken against
/// `projectRoot`.
///
/// Lexical and syntax errors are printed to standard error as the parse meets them and
/// then fail the load with `RilkException` "<path> Parsing failed due to syntax errors.".
/// A missing file fails with "File not found at <path>", one that cannot be read with
/// "Unable to open file!"; two targets of one name throw `std::invalid_argument`
/// "Key already exists: <name>".
UnitPtr parseUnitFile(const std::filesystem::path& projectRoot, std::filesystem::path path);

/// The unit of a parsed unit file whose base directory is `directory`. A tree without its
/// unit node fails with `RilkException` "Unable to parse unit file.".
UnitPtr visitUnitTree(RilkTopParser::UnitFileContext* tree, const std::filesystem::path& directory,
                      const std::filesystem::path& source);

}  // namespace Rilk
