#pragma once

#include <string_view>

namespace Rilk {

/// Whether the bytes are well-formed UTF-8 (no overlong form, no surrogate, nothing above
/// U+10FFFF): the texts the language's lexer decodes. The fast readers and the source
/// writer decline any other text.
bool isUtf8(std::string_view text);

}  // namespace Rilk
