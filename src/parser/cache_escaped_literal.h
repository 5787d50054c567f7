#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace Rilk {

// The build cache's own literal for a text that no literal of the language can hold: one
// that is not UTF-8, or whose `)"` or last ')' rules out R"(...)" and P"(...)" where a
// double quote also rules out "...". Written `<kind>%"(<escaped>)"`, the kind being S (a
// plain string), R (a raw string) or P (a path). In the escaped text every '%', ')', '"',
// control byte and byte above 0x7E stands as '%' and two upper-case hexadecimal digits, so
// it is printable ASCII and holds no ')': the literal ends at its first ')'. Only the cache
// writes and reads it; unit files have no such literal.

/// Whether the byte stands escaped in the cache's own literal.
constexpr bool isEscapedInCacheLiteral(unsigned char c) {
    return c == '%' || c == ')' || c == '"' || c < 0x20 || c > 0x7E;
}

/// Whether a plain or raw string holding `text` has a literal of the language in resolved
/// form: valid UTF-8, and no double quote or a fit in R"(...)".
bool textHasLiteral(std::string_view text);
/// Whether a path whose full text is `text` has a P"(...)" literal in resolved form.
bool pathHasLiteral(std::string_view text);

/// Appends `bytes` escaped.
void appendCacheEscaped(std::string& out, std::string_view bytes);
/// The bytes an escaped text stands for; nothing when it holds a byte that should stand
/// escaped or a '%' without two hexadecimal digits after it.
std::optional<std::string> readCacheEscaped(std::string_view escaped);

}  // namespace Rilk
