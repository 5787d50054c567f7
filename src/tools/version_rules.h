#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Rilk {

/// The numeric components of a dotted version text, in text order. Never fails: an empty
/// component, or one that does not begin with a number, counts as 0; each component is read
/// as by `std::stoul` (leading blanks and a sign accepted, text after the digits ignored)
/// and keeps the low 32 bits of its value. "12.2.0" gives {12, 2, 0}, "3rc1.x" {3, 0},
/// "1..2" {1, 0, 2}, "1.2." {1, 2}, "" {}.
std::vector<std::uint32_t> parseVersion(const std::string& text);

/// -1 when version `a` is lower than `b`, 0 when equal, 1 when higher; components are
/// compared numerically from the left, a missing component counting as 0 (so 12 == 12.0.0
/// and 12.2.0 < 12.10).
int compareVersions(const std::string& a, const std::string& b);

/// Whether `version` satisfies `minimum`: always when the minimum is empty or "0",
/// otherwise when the version is equal to or higher than the minimum.
bool meetsMinVersion(const std::string& version, const std::string& minimum);

}  // namespace Rilk
