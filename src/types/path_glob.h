#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace Rilk {

/// The paths that a pattern names. Path components holding "*" or "?" are wild and are
/// matched against directory listings; every other component is taken as written without
/// looking at the file system (brackets and backslashes are ordinary characters, "**" is
/// two stars in one component). Results follow the listing order and keep the pattern's
/// fixed parts as written. A relative pattern starts from the empty path, so a wild first
/// component matches nothing. Never throws for file-system conditions: missing,
/// unreadable or non-directory paths only drop candidates, and the result may be empty.
/// A directory is never listed twice on one path (device and inode decide), so links back
/// to a parent add nothing. A pattern holding a NUL byte, which the system would cut there,
/// raises `RilkException`; more than `ResolutionLimits::maxResults` paths raise
/// `LimitExceeded`.
std::vector<std::filesystem::path> expandPathGlob(const std::filesystem::path& pattern);
/// `expandPathGlob` of `base / pattern` where `base` is a directory taken as it is: a "*"
/// or "?" in it is an ordinary character, never a wildcard. A pattern with a root directory
/// stands alone, as in the join.
std::vector<std::filesystem::path> expandPathGlob(const std::filesystem::path& base,
                                                  const std::filesystem::path& pattern);

/// Whether a path or path element holds a wildcard ("*" or "?").
inline bool isWildPattern(const std::string& text) {
    // Two scans for one byte each: far cheaper than one scan for either of two bytes.
    return text.find('*') != std::string::npos || text.find('?') != std::string::npos;
}

/// Confines every later glob of this process to directories inside `root` (compared after
/// lexical normalisation): others are not listed and match nothing. An empty root lifts
/// the confinement. For harnesses that feed arbitrary text to the resolver.
void confineGlobs(const std::filesystem::path& root);

/// The text with each NUL byte written as "\0", for messages.
std::string printablePath(const std::string& text);

/// Whether the whole of `name` matches `pattern`, byte for byte (case-sensitive): "?"
/// stands for one character, "*" for any run of characters including none (a leading "."
/// too).
bool globMatch(const std::string& name, const std::string& pattern);

}  // namespace Rilk
