#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>
#include <vector>

#include "types/unit.h"

namespace Rilk {

/// The unit of `text` read in the ranges between `cuts` (see `unitCuts`), on the calling
/// thread and up to `helpers` more: the calling thread reads the `unit` line and the first
/// range, then all take the other ranges in turn. Null where any range is not read to its
/// end, or a target name comes twice, so that the caller reads the whole text on one thread
/// instead. Nothing is printed or thrown.
UnitPtr readUnitInRanges(std::string_view text, const std::filesystem::path& baseDirectory,
                         const std::vector<std::size_t>& cuts, unsigned helpers);

}  // namespace Rilk
