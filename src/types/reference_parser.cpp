#include "types/reference_parser.h"

#include <cctype>

#include "types/identifier_parser.h"

namespace Rilk {

bool parseIdentifierText(const std::string& text, Identifier& out, ParseError& error) {
    if (text.empty()) {
        error = ParseError{0, "Empty identifier"};
        return false;
    }
    IdentifierParseState state{text.size(), text.data(), 0, &error};
    return parseKeyChain(state, out.segments, '\0');
}

bool isPlainName(const std::string& text) {
    // The identifier parser's classes of name characters, in the "C" locale.
    if (text.empty() || !(std::isalpha(static_cast<unsigned char>(text[0])) || text[0] == '_')) {
        return false;
    }
    for (const char c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    }
    return true;
}

Identifier parseReferenceName(const std::string& name) {
    Identifier identifier;
    ParseError error;
    if (!parseIdentifierText(name, identifier, error)) throw error;
    return identifier;
}

}  // namespace Rilk
