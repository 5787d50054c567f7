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

struct FastDecline;
/// `readUnitFast` that tells where it stopped when it declines (see `FastDecline`).
UnitPtr readUnitFast(std::string_view text, const std::filesystem::path& baseDirectory,
                     FastDecline& decline);

/// The pieces `readUnitFast` is made of (see unit_range_read.h). A decline is an empty
/// result, never an exception.

/// The whole of `text` read on the calling thread.
UnitPtr readWholeUnitFast(std::string_view text,
                          const std::filesystem::path& baseDirectory) noexcept;

/// Where a read of a whole text stopped, as offsets into the text.
struct FastDecline {
    /// Where the text after the `unit` line starts; 0 when the read stopped before.
    std::size_t headerEnd = 0;
    /// Where the target being read starts; 0 when the read stopped in the `unit` line.
    std::size_t targetStart = 0;
    /// Where the token the read stopped at starts.
    std::size_t at = 0;
    /// A comment or string that never closes: the generated lexer reads on to the end.
    bool runsToEnd = false;
    /// The text is not UTF-8, which the generated parser refuses as a whole.
    bool notUtf8 = false;
    /// The text reads without a syntax error: the model refused what it says (a target
    /// named twice, say). Only a read of the whole text gives the error.
    bool syntaxFine = false;
};

/// `readWholeUnitFast` that tells where it stopped when it declines: the target to hand to
/// the generated parser for its diagnostic.
UnitPtr readWholeUnitFast(std::string_view text, const std::filesystem::path& baseDirectory,
                          FastDecline& decline) noexcept;
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
