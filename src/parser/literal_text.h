#pragma once

#include <string>

namespace Rilk {

/// The text of a string literal without its enclosing double quotes; a text that is not
/// enclosed in them is returned whole.
inline std::string unquotedLiteral(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

}  // namespace Rilk
