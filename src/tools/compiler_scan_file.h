#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/probe_answer_file.h"
#include "tools/scan_dependencies.h"

namespace Rilk {

/// What a toolchain scan is remembered for: the bin directories below a toolchain root
/// (`Walk`), or the compilers in one bin directory (`Directory`).
enum class ScanKind : char { Walk = 'W', Directory = 'D' };

/// One scan's answer with everything it relied on: the stamps of the paths it read and the
/// probe answers it used. `items` is the answer, as texts.
struct RememberedScan {
    ScanDependencies dependencies;
    ProbeAnswers probes;
    std::vector<std::string> items;
};

/// A scan by its kind and the path text it was asked for.
using ScanKey = std::pair<ScanKind, std::string>;
using RememberedScans = std::map<ScanKey, RememberedScan>;

/// First line of a remembered scan file.
inline constexpr std::string_view kScanFileHeader = "RILK_SCANS_V1";

/// Largest remembered scan file read or written; a larger one is ignored.
inline constexpr std::size_t kMaxScanFile = 1 << 20;

/// The file text of `scans`: the header line, then one record per scan in key order. Texts
/// are written as their byte count, ':' and the bytes; each record ends with a checksum of
/// its bytes and a line feed.
std::string rememberedScansText(const RememberedScans& scans);

/// The scans of a remembered scan file's text. A last record cut short (a torn write) is
/// dropped and the whole records before it are kept; any other defect gives nothing, so
/// that every directory is scanned again.
std::optional<RememberedScans> parseRememberedScans(std::string_view text);

/// `parseRememberedScans` of the file at `file`, read with bounded reads as the probe
/// answers are: nothing when it is missing, unreadable, not a regular file, owned by
/// another user or larger than `kMaxScanFile`. A file that is there and cannot be read
/// (other than a foreign one) gets a warning naming it and the reason.
std::optional<RememberedScans> readRememberedScanFile(const std::filesystem::path& file);

}  // namespace Rilk
