#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include <fmt/format.h>

namespace Util {

/// A text compared, ordered and hashed without regard to the case of ASCII letters.
///
/// Only 'A'..'Z' fold (the "C" locale's tolower); every other byte, each byte of a
/// multi-byte UTF-8 character included, takes part as it is. The stored text keeps the
/// spelling it was created with, so a key printed from a map shows its first spelling.
/// Ordering compares folded bytes as signed 8-bit values, so bytes 0x80..0xFF order
/// before ASCII. This is the key type of every map and set of names in the system.
class CiString {
public:
    CiString() = default;
    CiString(std::string text) : text_(std::move(text)) {}
    CiString(const char* text) : text_(text) {}
    CiString(std::string_view text) : text_(text) {}

    const std::string& str() const { return text_; }
    bool empty() const { return text_.empty(); }
    std::size_t size() const { return text_.size(); }

    /// Case-insensitive equality of two plain texts, for callers that need no key.
    static bool equal(std::string_view a, std::string_view b);
    /// Case-insensitive strict ordering of two plain texts.
    static bool less(std::string_view a, std::string_view b);
    /// The case-insensitive hash of a text; the empty text hashes to 0.
    static std::uint64_t hash(std::string_view text);

    friend bool operator==(const CiString& a, const CiString& b) { return equal(a.text_, b.text_); }
    friend bool operator<(const CiString& a, const CiString& b) { return less(a.text_, b.text_); }

private:
    std::string text_;
};

}  // namespace Util

template <>
struct std::hash<Util::CiString> {
    std::size_t operator()(const Util::CiString& s) const noexcept {
        return Util::CiString::hash(s.str());
    }
};

/// Names print with the spelling they were created with.
template <>
struct fmt::formatter<Util::CiString> : fmt::formatter<std::string_view> {
    auto format(const Util::CiString& s, fmt::format_context& ctx) const {
        return fmt::formatter<std::string_view>::format(s.str(), ctx);
    }
};
