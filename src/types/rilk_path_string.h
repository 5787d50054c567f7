#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "types/rilk_string.h"

namespace Rilk {

/// The pieces of `std::filesystem::path(base) / text` on this system, in order: `text` alone
/// when it is absolute or `base` is empty, else `base`, a "/" unless `base` ends with one,
/// and `text`. Views into the arguments.
struct JoinedPath {
    std::string_view base;
    bool separator = false;
    std::string_view text;
};
JoinedPath joinPath(const std::string& base, const std::string& text);

/// The text of `joinPath`'s pieces.
std::string joinedPathText(const std::string& base, const std::string& text);
/// Makes `out` the text of the pieces, keeping its room (for buffers used again and again).
void assignJoinedPath(std::string& out, const JoinedPath& path);

/// A string naming a file relative to a base directory (which may be empty). Its full
/// path is the base directory joined with the text; two path strings are equal when they
/// name the same existing file. `resolve` expands references, then glob patterns.
class RilkPathString : public RilkString {
public:
    /// The base directory of a path string, shared by the values made from one another
    /// (clones, words, substrings): copying a path costs allocations, sharing one does not.
    /// Null for an empty base directory.
    using SharedDirectory = std::shared_ptr<const std::filesystem::path>;

    RilkPathString(std::string text, const std::filesystem::path& baseDirectory)
        : RilkString(std::move(text)), baseDirectory_(shareDirectory(baseDirectory)) {}
    RilkPathString(std::string text, SharedDirectory baseDirectory)
        : RilkString(std::move(text)), baseDirectory_(std::move(baseDirectory)) {}

    /// "P\"" + the full path (the bare text when there is no base directory) + "\"".
    std::string toDisplayString() const override;
    bool equals(const RilkValue& other) const override;
    std::shared_ptr<RilkBaseString> createSame(std::string text) const override;
    RilkValuePtr resolve() override;
    /// `resolve` for a value that is not shared and that its only holder drops for the
    /// result: where the result is one path, this value itself becomes it (the full path, no
    /// base directory, no resolver) instead of a new value being made for it, and the result
    /// is null (the holder has the value already).
    RilkValuePtr resolveInPlace() override;
    ValueKind kind() const override { return ValueKind::PathString; }
    static constexpr bool holdsKind(ValueKind kind) { return kind == ValueKind::PathString; }

    const std::filesystem::path& baseDirectory() const {
        return baseDirectory_ ? *baseDirectory_ : noDirectory();
    }
    /// The base directory joined with the text (an absolute text stands alone).
    std::filesystem::path fullPath() const { return baseDirectory() / text(); }
    /// `fullPath().string()`, made without taking the path apart.
    std::string fullPathText() const { return joinedPathText(baseDirectory().native(), text()); }

private:
    /// `resolve`, or `resolveInPlace` when `inPlace`.
    RilkValuePtr resolvePath(bool inPlace);
    /// The result of one path: this value's text becomes `full`, and the result is a path
    /// of that text without base directory (this value itself when `inPlace`).
    RilkValuePtr resolvedTo(std::string full, bool inPlace);

    /// `directory` as a shared base directory. The values of one unit file share a base
    /// directory, so the last one made on this thread is handed out again while it fits.
    static SharedDirectory shareDirectory(const std::filesystem::path& directory);

    /// The empty path, for a value without base directory.
    static const std::filesystem::path& noDirectory();
    SharedDirectory baseDirectory_;
};

/// A new path string without resolver.
std::shared_ptr<RilkPathString> makePathString(std::string text,
                                               const std::filesystem::path& baseDirectory);

}  // namespace Rilk
