#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Rilk {

// The checksum that ends every record of the answer files kept across runs (the probe
// answers, the toolchain scans): FNV-1a of the record's bytes, 64 bits, written as 16
// lowercase hexadecimal digits and a line feed. Enough to tell a damaged record from a
// whole one.

/// The checksum of `bytes`.
std::uint64_t recordChecksum(std::string_view bytes);

/// Ends the record that starts at `recordStart` in `out` with its checksum and a line feed.
void appendRecordChecksum(std::string& out, std::size_t recordStart);

/// How reading a piece of a record went: `Short` when the text ended before the piece did.
enum class RecordRead { Ok, Short, Bad };

/// Reads the checksum digits at `pos` into `value`, moving `pos` past them.
RecordRead readRecordChecksum(std::string_view text, std::size_t& pos, std::uint64_t& value);

}  // namespace Rilk
