#include "types/reference_parser.h"

#include "types/identifier_parser.h"
#include "types/name_chars.h"

namespace Rilk {

bool parseIdentifierText(const std::string& text, Identifier& out, ParseError& error) {
    if (text.empty()) {
        error = ParseError{0, "Empty identifier"};
        return false;
    }
    IdentifierParseState state{text.size(), text.data(), 0, &error};
    return parseKeyChain(state, out.segments, '\0');
}

bool isPlainName(const std::string& text) { return isNameText(text); }

Identifier parseReferenceName(const std::string& name) {
    Identifier identifier;
    ParseError error;
    if (!parseIdentifierText(name, identifier, error)) throw error;
    return identifier;
}

}  // namespace Rilk
