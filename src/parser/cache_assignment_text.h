#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "types/assignment.h"

namespace Rilk {

/// Nesting of lists and blocks that the cache's assignment texts may have; the writer
/// refuses deeper values and the fast reader declines deeper texts.
inline constexpr int kMaxCacheTextDepth = 64;

/// The text under which the build cache file keeps an assignment, in the configuration
/// language's assignment syntax, such that reading it back gives the same name and value:
/// the name, the operator (" = " for a declaration with a value, since the record line
/// carries the operator) and the value. Plain strings are written in double quotes, or as
/// raw strings when they hold a double quote; paths as P"(full path)"; nested blocks whole.
/// Nothing when the value cannot be written so that it reads back the same (a text that
/// no literal form can hold, a list holding a list or a missing element, an identifier, a
/// block with conditions or a "!" variable, text that is not UTF-8).
std::optional<std::string> cacheAssignmentText(const Assignment& assignment);

namespace CacheNameChars {
/// Bit 1: may start an identifier (a letter or "_"); bit 2: may continue one (also digits
/// and "-"). A table: these run for every byte of every name the cache file holds.
inline constexpr std::array<unsigned char, 256> kClasses = [] {
    std::array<unsigned char, 256> classes{};
    for (int c = 0; c < 256; ++c) {
        const bool start = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
        const bool more = start || (c >= '0' && c <= '9') || c == '-';
        classes[static_cast<std::size_t>(c)] =
            static_cast<unsigned char>((start ? 1 : 0) | (more ? 2 : 0));
    }
    return classes;
}();
}  // namespace CacheNameChars

/// Whether `c` may start an identifier.
inline bool isCacheNameStart(char c) {
    return (CacheNameChars::kClasses[static_cast<unsigned char>(c)] & 1) != 0;
}
/// Whether `c` may continue an identifier.
inline bool isCacheNameChar(char c) {
    return (CacheNameChars::kClasses[static_cast<unsigned char>(c)] & 2) != 0;
}

/// Whether `name` is read as one assignable name: an identifier that is not a keyword.
bool isPlainVariableName(std::string_view name);

/// Whether the bytes are well-formed UTF-8.
bool isUtf8(std::string_view text);

/// Whether `text` can stand between R"( and )" (or P"( and )") and be read back whole.
bool fitsDelimitedLiteral(std::string_view text);

}  // namespace Rilk
