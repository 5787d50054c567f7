#include "types/identifier_parser.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>

#include "types/name_chars.h"
#include "types/resolution_limits.h"

namespace Rilk {

const char* const kIdentifierTooDeep = "nested too deeply: flatten the indices of the identifier";

namespace {

bool atEnd(const IdentifierParseState& s) { return s.position >= s.length; }
char current(const IdentifierParseState& s) { return s.text[s.position]; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

/// Reads a run of digits; a run beyond 64 bits is an error at the run's first digit.
std::optional<std::uint64_t> readNumber(IdentifierParseState& s) {
    const std::size_t start = s.position;
    std::uint64_t value = 0;
    bool overflow = false;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    for (; !atEnd(s) && isDigit(current(s)); ++s.position) {
        const auto digit = static_cast<std::uint64_t>(current(s) - '0');
        if (value > (kMax - digit) / 10) overflow = true;
        value = value * 10 + digit;
    }
    if (!overflow) return value;
    s.position = start;
    setParseError(s, "Index number does not fit in 64 bits");
    return std::nullopt;
}

/// A number or a range "first..last"; the state stands on the first digit.
bool parseNumericIndex(IdentifierParseState& s, IndexExpr& out) {
    const std::optional<std::uint64_t> first = readNumber(s);
    if (!first) return false;
    if (s.length - s.position < 2 || s.text[s.position] != '.' || s.text[s.position + 1] != '.') {
        out = *first;
        return true;
    }
    s.position += 2;
    if (atEnd(s) || !isDigit(current(s))) {
        setParseError(s, "Expected number");
        return false;
    }
    const std::optional<std::uint64_t> last = readNumber(s);
    if (!last) return false;
    out = IndexRange{*first, *last};
    return true;
}

/// One "[...]" index; the state stands on the "[".
bool parseIndex(IdentifierParseState& s, IndexExpr& out) {
    ++s.position;
    if (atEnd(s)) {
        setParseError(s, "Unexpected end inside '[]'");
        return false;
    }
    if (isDigit(current(s))) {
        if (!parseNumericIndex(s, out)) return false;
    } else if (isNameStart(current(s))) {
        if (s.depth >= ResolutionLimits::maxIdentifierDepth) {
            setParseError(s, kIdentifierTooDeep);
            return false;
        }
        auto nested = std::make_shared<Identifier>();
        ++s.depth;
        const bool parsed = parseKeyChain(s, nested->segments, ']');
        --s.depth;
        if (!parsed) return false;
        out = std::move(nested);
    } else {
        setParseError(s, "Invalid index expression inside '[]'");
        return false;
    }
    if (atEnd(s) || current(s) != ']') {
        setParseError(s, "Expected ']'");
        return false;
    }
    ++s.position;
    return true;
}

}  // namespace

void setParseError(IdentifierParseState& state, const char* message) {
    if (!state.error) return;
    state.error->position = state.position;
    state.error->message = message;
}

bool parseSegment(IdentifierParseState& state, Identifier::Segment& out) {
    out.indices.clear();
    if (atEnd(state)) {
        setParseError(state, "Unexpected end while parsing name");
        return false;
    }
    if (!isNameStart(current(state))) {
        setParseError(state, "Invalid identifier start");
        return false;
    }
    const std::size_t start = state.position;
    while (!atEnd(state) && isNameChar(current(state))) ++state.position;
    out.name.assign(state.text + start, state.position - start);
    while (!atEnd(state) && current(state) == '[') {
        IndexExpr index;
        if (!parseIndex(state, index)) return false;
        out.indices.push_back(std::move(index));
    }
    return true;
}

bool parseKeyChain(IdentifierParseState& state, std::vector<Identifier::Segment>& out,
                   char terminator) {
    out.clear();
    Identifier::Segment segment;
    if (!parseSegment(state, segment)) return false;
    out.push_back(std::move(segment));
    while (!atEnd(state) && current(state) == '.') {
        ++state.position;
        if (atEnd(state) || current(state) == terminator) {
            setParseError(state, "Expected identifier segment after '.'");
            return false;
        }
        if (!parseSegment(state, segment)) return false;
        out.push_back(std::move(segment));
    }
    return true;
}

}  // namespace Rilk
