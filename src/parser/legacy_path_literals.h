#pragma once

#include <string>
#include <string_view>

namespace Rilk {

/// Rewrites the older written form of a path value, the letter P and the path in double
/// quotes, into the language's path literal P"(path)" wherever such a form starts a token.
/// A path holding a line break or a quote, or one that starts with "(", is left alone. Text
/// inside string, raw-string and path literals and inside comments never changes, nor does
/// a P that ends a longer name.
std::string rewriteLegacyPathLiterals(std::string_view text);

}  // namespace Rilk
