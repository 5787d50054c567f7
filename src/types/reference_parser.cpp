#include "types/reference_parser.h"

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

namespace {

// ASCII letters, digits and '_' are name characters of the identifier parser in every
// locale; any other byte sends the name to the parser, which decides exactly. Testing them
// here spares a call into the C library per character.
bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isAsciiNameChar(char c) { return isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '_'; }

}  // namespace

bool isPlainName(const std::string& text) {
    if (text.empty() || !(isAsciiLetter(text[0]) || text[0] == '_')) return false;
    for (const char c : text) {
        if (!isAsciiNameChar(c)) return false;
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
