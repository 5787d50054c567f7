#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace Util {

/// The whole content of `path` when it is a regular file of at most `maxBytes` bytes, or
/// nothing: missing, unreadable, not a regular file (a FIFO or device is never waited on,
/// as it is opened without blocking) or larger than the limit, also when it grew past the
/// limit while being read.
std::optional<std::string> readRegularFile(const std::filesystem::path& path, std::size_t maxBytes);

}  // namespace Util
