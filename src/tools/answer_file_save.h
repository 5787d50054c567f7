#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace Rilk {

/// Writes one of the answer files kept across runs (the probe answers, the toolchain scans)
/// whole, replacing what was there, its directory made first. Never fails the run: a text
/// over `sizeLimit` bytes is not written, and an error writing it is only logged, both as
/// "<what> not saved: ..." at the verbose level.
void saveAnswerFile(const std::filesystem::path& file, const std::string& text,
                    std::size_t sizeLimit, const char* what);

}  // namespace Rilk
