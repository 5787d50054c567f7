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
    static bool equal(std::string_view a, std::string_view b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (a[i] != b[i] && fold(a[i]) != fold(b[i])) return false;
        }
        return true;
    }
    /// Case-insensitive strict ordering of two plain texts.
    static bool less(std::string_view a, std::string_view b) {
        const std::size_t n = a.size() < b.size() ? a.size() : b.size();
        for (std::size_t i = 0; i < n; ++i) {
            if (a[i] == b[i]) continue;
            const auto fa = static_cast<std::int8_t>(fold(a[i]));
            const auto fb = static_cast<std::int8_t>(fold(b[i]));
            if (fa != fb) return fa < fb;
        }
        return a.size() < b.size();
    }
    /// The case-insensitive hash of a text; the empty text hashes to 0.
    static std::uint64_t hash(std::string_view text);

    friend bool operator==(const CiString& a, const CiString& b) { return equal(a.text_, b.text_); }
    friend bool operator<(const CiString& a, const CiString& b) { return less(a.text_, b.text_); }

private:
    // The system never leaves the "C" locale, where tolower folds exactly 'A'..'Z'; folding
    // inline keeps comparisons and hashing free of library calls.
    static int fold(char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u;
    }

    std::string text_;
};

/// The order of `CiString` as a transparent comparator: a map keyed by `CiString` finds a
/// plain text without making a key of it first.
struct CiLess {
    using is_transparent = void;
    template <typename A, typename B>
    bool operator()(const A& a, const B& b) const {
        return CiString::less(view(a), view(b));
    }

private:
    static std::string_view view(const CiString& text) { return text.str(); }
    static std::string_view view(const std::string& text) { return text; }
    static std::string_view view(std::string_view text) { return text; }
    static std::string_view view(const char* text) { return text; }
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
