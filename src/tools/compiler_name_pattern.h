#pragma once

#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

namespace Rilk {

/// The name pattern of a compiler kind: "gcc" (ignoring case) stands for gcc or cc, the
/// pattern "g\+\+" for g++ or c++; any other text is taken as the pattern itself.
std::string compilerKindPattern(const std::string& kind);

/// The file names of a compiler kind: the kind's name, optionally after any text ending in
/// "-" (a target triple) and optionally followed by "-" and a dotted version ("gcc",
/// "x86_64-linux-gnu-gcc-12", "c++-12.2"). Matching is exact in letter case.
///
/// Scanning a bin directory tests every file name, so the two kinds the system scans for
/// are matched by hand; any other kind goes through a regular expression built from
/// `compilerKindPattern`.
class CompilerNamePattern {
public:
    explicit CompilerNamePattern(const std::string& kind);

    /// Whether `name` is a file name of the kind.
    bool matches(std::string_view name) const;
    /// The version `name` ends in ("gcc-12" gives "12") when it is a file name of the kind
    /// with a version; nothing otherwise.
    std::optional<std::string> version(std::string_view name) const;

private:
    /// Whether `core` (a name without version suffix) names the kind, with or without a
    /// "<text>-" prefix.
    bool namesKind(std::string_view core) const;

    std::vector<std::string> names_;
    std::optional<std::regex> pattern_;
    std::optional<std::regex> versionPattern_;
};

}  // namespace Rilk
