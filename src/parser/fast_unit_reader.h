#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "types/unit.h"

namespace Rilk {

/// Reads a valid unit file without the generated parser, which spends most of a large
/// file's load on per-token and per-node overhead.
///
/// For every text that the generated parser reads without a lexical or syntax error and
/// that `RilkVisitorImpl` (file kind `Unit`, empty namespace, `baseDirectory` as given)
/// turns into a unit without an error, the unit returned is built exactly as the visitor
/// builds it. Everything else it declines by returning null: any error, any text it does
/// not fully understand (non-ASCII text, nesting deeper than a person writes), so that the
/// caller falls back to the generated parser and every diagnostic stays the one it gives.
/// Nothing is printed and nothing is thrown.
///
/// A large text (256 KiB and more) is read on up to four threads where the machine has
/// more than one core; the unit, or the decline, is the same as on one thread.
UnitPtr readUnitFast(std::string_view text, const std::filesystem::path& baseDirectory);

/// `readUnitFast` with the split chosen by the caller: a text of at least `splitFrom` bytes
/// is read on up to `threads` threads (one or none: on the calling thread only). For tests,
/// which cover the split read with small texts.
UnitPtr readUnitFast(std::string_view text, const std::filesystem::path& baseDirectory,
                     std::size_t splitFrom, unsigned threads);

/// The pieces `readUnitFast` is made of (see unit_range_read.h). A decline is an empty
/// result, never an exception.

/// The whole of `text` read on the calling thread.
UnitPtr readWholeUnitFast(std::string_view text,
                          const std::filesystem::path& baseDirectory) noexcept;
struct FastUnitHeader {
    /// The unit's name; empty without a `unit` line.
    std::string name;
    /// Where the text after the `unit` line starts: at its first token, or at its end.
    std::size_t end = 0;
};
/// The optional `unit` line at the start of `text`.
std::optional<FastUnitHeader> readUnitHeaderFast(std::string_view text);
/// The targets of the whole of `text` (read as the top level) into `unit`, under the unit
/// name `unitName`; false where the fast reader declines them.
bool readUnitTargetsFast(std::string_view text, const std::filesystem::path& baseDirectory,
                         const std::string& unitName, Unit& unit) noexcept;

}  // namespace Rilk
